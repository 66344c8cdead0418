// The start-list file COM_ZPL.TXT as the timing program reads it.

#include "TimingFixture.h"

#include "core/protocol/Errors.h"
#include "core/util/IniHandler.h"
#include "tests/support/TempAppFolders.h"

#include <csignal>
#include <sys/resource.h>

namespace tvp::test {
namespace {

TTimingExportHeat sprintHeat()
{
    TTimingExportHeat heat;
    heat.heatNo = 1;
    heat.description = QStringLiteral("Sprint 50m 1/3");
    heat.participants = {
        lane(1, 12, QStringLiteral("Müller"), QStringLiteral("Anna"), QStringLiteral("TSV Ötigheim")),
        lane(2, 0, QStringLiteral("Bahn"), QStringLiteral("Leere"), QString()),
        // Ł is not in code page 850 and goes as L; the surname is longer than its 28 characters.
        lane(3, 7, QStringLiteral("Łukasiewicz-Großmann-Schönberger"), QStringLiteral("Zoë"), QStringLiteral("LG Süd")),
        lane(4, 0, QString(), QString(), QStringLiteral("Leere Bahn")),
        // A TAB in a name must not split the record.
        lane(5, 99999, QStringLiteral("Nuñez"), QStringLiteral("José"), QStringLiteral("Club\tAtlético")),
    };
    return heat;
}

TTimingExportHeat emptyRelayHeat()
{
    TTimingExportHeat heat;
    heat.heatNo = 12;
    heat.description = QStringLiteral("Staffel 4x50m 12/12");
    heat.participants = {lane(1, 3, QStringLiteral("Bahn"), QStringLiteral("Leere"), QStringLiteral("X")),
                         lane(2, 4, QStringLiteral("Y"), QStringLiteral("Z"), QStringLiteral("Leere Bahn"))};
    return heat;
}

using StartListExport = TimingFixture;

TEST_F(StartListExport, AppendsHeatBlocksByteForByteAsTheGoldenFile)
{
    connector.exportTimingList(5, 3, sprintHeat());
    connector.exportTimingList(42, 12, emptyRelayHeat());

    const QByteArray written = readBytes(startList());
    const QByteArray golden = readBytes(QStringLiteral(TVP_TIMING_TEST_DATA "/COM_ZPL_golden.txt"));
    ASSERT_EQ(golden.size(), 2 * kStartListHeaderLength + 3 * kStartListLaneLength);
    EXPECT_EQ(written, golden);

    // The points the timing program depends on, independent of the golden file.
    const QList<QByteArray> records = written.split('\n');
    ASSERT_EQ(records.size(), 6); // five records and the empty rest after the last LF
    for (int i = 0; i < 5; ++i) {
        const QByteArray record = records[i] + '\n';
        EXPECT_EQ(record.size(), i == 0 || i == 4 ? kStartListHeaderLength : kStartListLaneLength) << i;
        EXPECT_TRUE(record.endsWith("\t\r\n")) << i;
    }
    EXPECT_EQ(records[1].mid(27, 6), QByteArray("M\x81ller"));
    EXPECT_EQ(records[0].mid(97, 3), QByteArray("3  ")) << "lane records that follow";
    EXPECT_EQ(records[2].left(3), QByteArray("3  ")) << "the empty lane 2 leaves its gap";
    EXPECT_EQ(records[4].mid(97, 3), QByteArray("0  ")) << "a heat of empty lanes only";
}

TEST_F(StartListExport, NumbersBeyondTheirFieldsAreRefusedAndNothingIsWritten)
{
    struct Case {
        int timing;
        int count;
        int heatNo;
        int laneNo;
        int bib;
        const char* expected;
    };
    const Case cases[] = {
        {100, 3, 1, 1, 1,
         "Die Zeitmessungsnummer 100 passt nicht in die Startliste der Zeitmessung (erlaubt sind 1 bis 99)."},
        {0, 3, 1, 1, 1, "Die Zeitmessungsnummer 0 passt nicht"},
        {5, 100, 1, 1, 1, "Die Anzahl der Läufe 100 passt nicht"},
        {5, 3, 100, 1, 1, "Die Laufnummer 100 passt nicht"},
        {5, 3, 1, 1000, 1, "Die Bahn 1000 in Lauf 1 passt nicht"},
        {5, 3, 1, 0, 1, "Die Bahn 0 in Lauf 1 passt nicht"},
        {5, 3, 1, 1, 100000, "Die Startnummer 100000 in Lauf 1 passt nicht"},
        {5, 3, 1, 1, -1, "Die Startnummer -1 in Lauf 1 passt nicht"},
    };
    for (const Case& c : cases) {
        TTimingExportHeat heat;
        heat.heatNo = c.heatNo;
        heat.participants = {lane(c.laneNo, c.bib, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"))};
        try {
            connector.exportTimingList(c.timing, c.count, heat);
            ADD_FAILURE() << "accepted: " << c.expected;
        } catch (const TvpError& e) {
            EXPECT_TRUE(e.message().startsWith(QString::fromUtf8(c.expected))) << e.message().toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(startList()));

    // A number that fits still goes through after refusals, and an empty lane's odd numbers do not count.
    TTimingExportHeat heat;
    heat.heatNo = 99;
    heat.participants = {lane(999, 99999, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")),
                         lane(5000, -3, QStringLiteral("Bahn"), QStringLiteral("Leere"), QString())};
    connector.exportTimingList(99, 99, heat);
    EXPECT_EQ(readBytes(startList()).size(), kStartListHeaderLength + kStartListLaneLength);
}

TEST_F(StartListExport, TooManyLaneRecordsForTheHeaderAreRefused)
{
    TTimingExportHeat heat;
    heat.heatNo = 1;
    for (int i = 1; i <= 1000; ++i)
        heat.participants.push_back(
            lane(i % 999 + 1, i, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")));
    EXPECT_THROW(connector.exportTimingList(1, 1, heat), TvpError);
    EXPECT_FALSE(QFile::exists(startList()));
}

TEST_F(StartListExport, AppendsToWhatTheFileHolds)
{
    writeBytes(startList(), "earlier\r\n");
    connector.exportTimingList(5, 3, sprintHeat());
    const QByteArray written = readBytes(startList());
    EXPECT_TRUE(written.startsWith("earlier\r\nB01\t"));
    EXPECT_EQ(written.size(), 9 + kStartListHeaderLength + 3 * kStartListLaneLength);
}

TEST_F(StartListExport, AWriteThatStopsHalfwayLeavesNoHalfRecord)
{
    writeBytes(startList(), "earlier\r\n");
    // The file may grow by 150 bytes only: the header fits, the lane records do not.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 9 + 150;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        connector.exportTimingList(5, 3, sprintHeat());
    } catch (const TvpError& e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(message.contains(QStringLiteral("kann nicht geschrieben werden"))) << message.toStdString();
    EXPECT_EQ(readBytes(startList()), QByteArray("earlier\r\n"));
}

TEST_F(StartListExport, AMissingOrUnsetFolderIsReportedNotWrittenElsewhere)
{
    TimingConnector missing([this] { return path(QStringLiteral("nicht-da")); }, &TimingFixture::fixedNow);
    EXPECT_THROW(missing.exportTimingList(5, 3, sprintHeat()), TvpError);
    EXPECT_FALSE(QDir(path(QStringLiteral("nicht-da"))).exists()) << "the exchange folder is not made up";

    TimingConnector unset([] { return QString(); }, &TimingFixture::fixedNow);
    try {
        unset.exportTimingList(5, 3, sprintHeat());
        ADD_FAILURE() << "an unset folder was accepted";
    } catch (const TvpError& e) {
        EXPECT_TRUE(
            e.message().startsWith(QStringLiteral("Für die Zeitmessung ist kein Austauschordner eingestellt.")));
        // Says where to set it.
        QString settings;
        getOptionsIniFilePath(settings);
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(settings))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("[TimingConnector]")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("ExchangeFolder=")));
    }
}

TEST(TimingSettings, TheExchangeFolderIsReadFromTheTimingSection)
{
    TempAppFolders folders;
    ASSERT_TRUE(folders.isValid());
    EXPECT_EQ(getTimingExchangeDir(), QString());
    WriteIniStr(QStringLiteral("TimingConnector"), QStringLiteral("ExchangeFolder"), QStringLiteral("/srv/zeit"));
    EXPECT_EQ(getTimingExchangeDir(), QStringLiteral("/srv/zeit"));
    // The default connector asks the settings on every call.
    TimingConnector connector;
    EXPECT_EQ(connector.runFolder(-17), QStringLiteral("/srv/zeit/17"));
}

} // namespace
} // namespace tvp::test
