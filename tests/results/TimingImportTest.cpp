// The timing program's result file COM_ZDT.TXT, its split into run files, and the run files read
// back as the import window lists them.

#include "TimingFixture.h"

#include "core/protocol/Errors.h"

#include <QFileInfo>

#include <sys/file.h>

#include <cstring>

namespace tvp::test {
namespace {

const QString kNoAccess =
    QStringLiteral("Zugriff auf Austauschdatei nicht möglich. Evtl. schreibt die Zeitmessung gerade Daten.");
const QString kUnreadable =
    QStringLiteral("Datensatz nicht lesbar. Bitte Exportdatei löschen und erneut von Zeitmessung exportieren.");

constexpr int kCompetition = 3;

double readOle(const QByteArray& runFile)
{
    double value = 0;
    std::memcpy(&value, runFile.constData() + 1, 8); // the test machines are little-endian
    return value;
}

class TimingImport : public TimingFixture {
protected:
    QString runFile(const QString& name) const { return QDir(connector.runFolder(kCompetition)).filePath(name); }
    bool poll() { return connector.splitTimingImportFile(kCompetition); }
    // Two polls that find the same file: the timing program has finished writing.
    bool split()
    {
        const bool first = poll();
        return poll() || first;
    }
    QString splitError()
    {
        try {
            split();
        } catch (const TvpError& e) {
            return e.message();
        }
        return QStringLiteral("(kein Fehler)");
    }
};

TEST_F(TimingImport, TwoRunsAreSplitIntoRunFilesAndReadBack)
{
    const QByteArray heat2Body =
        resultLine("1", "00:01:02.345", "1", "12", "M\x81ller", "Anna", "TSV \x99tigheim") +
        resultLine("2", "d", "", "7", "Bauer B01 Bert", "B", "B01") + // "B01" without TAB is no run start
        resultLine("3", "x", "2", "8", "Ohne", "Zeit", "x means nothing") +
        resultLine("4", "", "", "9", "Leer", "Slot", "blank time slot");
    const QByteArray heat3Body = resultLine("1", "00:00:59.990", "1", "21",
                                            "Gr\x84"
                                            "f",
                                            "Jos\x82",
                                            "LG S\x81"
                                            "d");
    writeBytes(resultFile(), runHeader("Sprint 50m 2/3", " 7", " 2") + heat2Body +
                                 runHeader("Sprint 50m 3/3", " 7", " 3", "07062024", "09:41") + heat3Body);

    EXPECT_TRUE(split());
    EXPECT_TRUE(QFileInfo::exists(resultFile()));
    EXPECT_EQ(QFileInfo(resultFile()).size(), 0);

    const QByteArray file2 = readBytes(runFile(QStringLiteral("_7_250__EL1_SD_.tmp")));
    ASSERT_EQ(file2.size(), kRunFileHeaderLength + heat2Body.size());
    EXPECT_EQ(file2.at(0), 'N');
    EXPECT_DOUBLE_EQ(readOle(file2), 45450.0 + 545.0 / 1440.0);
    EXPECT_EQ(file2.mid(9, 15), QByteArray("Sprint 50m 2/3\0", 15)) << "NUL after a shorter description";
    EXPECT_EQ(file2.mid(55, 2), QByteArray("\r\n"));
    EXPECT_EQ(file2.mid(kRunFileHeaderLength), heat2Body) << "the lines exactly as they stood";
    EXPECT_EQ(readBytes(runFile(QStringLiteral("_7_350__EL1_SD_.tmp"))).mid(kRunFileHeaderLength), heat3Body);

    const std::vector<TTimingImportHeat> runs = connector.getRuns(kCompetition);
    ASSERT_EQ(runs.size(), 2u);
    const TTimingImportHeat& run = runs[0];
    EXPECT_EQ(run.RunId, 7);
    EXPECT_EQ(run.heatNo, 2);
    EXPECT_EQ(run.description, QStringLiteral("Sprint 50m 2/3"));
    EXPECT_EQ(run.status, TImportStatus::isNew);
    EXPECT_EQ(fromOleDate(run.startTime), QDateTime(QDate(2024, 6, 7), QTime(9, 5)));
    EXPECT_EQ(run.filename, runFile(QStringLiteral("_7_250__EL1_SD_.tmp")));
    ASSERT_EQ(run.participants.size(), 4u);

    const TTimingImportParticipant& anna = run.participants[0];
    EXPECT_EQ(anna.lane, 1);
    EXPECT_EQ(anna.Bib, 12);
    EXPECT_EQ(anna.SurName, QStringLiteral("Müller"));
    EXPECT_EQ(anna.GivenName, QStringLiteral("Anna"));
    EXPECT_EQ(anna.Team, QStringLiteral("TSV Ötigheim"));
    ASSERT_TRUE(anna.hasResult);
    EXPECT_EQ(anna.Result.Type_, proto::ResultValueType::Time);
    EXPECT_EQ(anna.Result.TimeInSeconds, 62.345);
    EXPECT_EQ(anna.Result.Rank, 1);

    const TTimingImportParticipant& bert = run.participants[1];
    EXPECT_EQ(bert.SurName, QStringLiteral("Bauer B01 Bert"));
    EXPECT_EQ(bert.Team, QStringLiteral("B01"));
    ASSERT_TRUE(bert.hasResult);
    EXPECT_EQ(bert.Result.Type_, proto::ResultValueType::Info);
    EXPECT_EQ(bert.Result.Info, proto::ResultInfo::disq);
    EXPECT_EQ(bert.Result.Rank, 0);

    EXPECT_FALSE(run.participants[2].hasResult) << "x gives no result, the line stays";
    EXPECT_FALSE(run.participants[3].hasResult) << "a blank time slot is no time of 0 seconds";

    EXPECT_EQ(runs[1].heatNo, 3);
    EXPECT_EQ(fromOleDate(runs[1].startTime), QDateTime(QDate(2024, 6, 7), QTime(9, 41)));
    ASSERT_EQ(runs[1].participants.size(), 1u);
    EXPECT_EQ(runs[1].participants[0].SurName, QStringLiteral("Gräf"));
    EXPECT_EQ(runs[1].participants[0].Result.TimeInSeconds, 59.99);
}

TEST_F(TimingImport, TheStartListReadsBackThroughTheSplitter)
{
    TTimingExportHeat heat;
    heat.heatNo = 4;
    heat.description = QStringLiteral("60m Hürden 4/12");
    heat.participants = {lane(1, 101, QStringLiteral("Müller"), QStringLiteral("Jörg"), QStringLiteral("SC Süd")),
                         lane(2, 0, QStringLiteral("Bahn"), QStringLiteral("Leere"), QString()),
                         lane(3, 0, QStringLiteral("Team Blau, 4, 5"), QString(), QStringLiteral("Blau"))};
    connector.exportTimingList(9, 12, heat);
    QFile::copy(startList(), resultFile());

    EXPECT_TRUE(split());
    const std::vector<TTimingImportHeat> runs = connector.getRuns(kCompetition);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(QFileInfo(runs[0].filename).fileName(), QStringLiteral("_9_450__EL1_SD_.tmp"));
    EXPECT_EQ(runs[0].RunId, 9);
    EXPECT_EQ(runs[0].heatNo, 4);
    EXPECT_EQ(runs[0].description, QStringLiteral("60m Hürden 4/12"));
    EXPECT_EQ(fromOleDate(runs[0].startTime), QDateTime(QDate(2024, 6, 7), QTime(9, 5)));
    ASSERT_EQ(runs[0].participants.size(), 2u);
    EXPECT_EQ(runs[0].participants[0].SurName, QStringLiteral("Müller"));
    EXPECT_EQ(runs[0].participants[0].GivenName, QStringLiteral("Jörg"));
    EXPECT_EQ(runs[0].participants[1].lane, 3);
    EXPECT_EQ(runs[0].participants[1].SurName, QStringLiteral("Team Blau, 4, 5"));
    EXPECT_FALSE(runs[0].participants[0].hasResult) << "no time yet";
}

TEST_F(TimingImport, ContentThatIsNoRunIsKeptBesideTheResultFile)
{
    // At the end of the file it may be a run start still being written, so a poll that finds the
    // file unchanged takes it.
    const QString kept = path(QLatin1String(kSetAsideFileName));
    const QByteArray cases[] = {"", "B01", "B01 \tW"};
    for (const QByteArray& content : cases) {
        writeBytes(resultFile(), content);
        EXPECT_FALSE(split()) << content.toStdString();
        EXPECT_EQ(readBytes(resultFile()), QByteArray()) << content.toStdString();
    }
    EXPECT_EQ(readBytes(kept), QByteArray("B01B01 \tW"));

    // Before a run it goes at once and is said.
    const QByteArray run = runHeader("x", " 1", " 1");
    writeBytes(resultFile(), "Kopfzeile\tA\r\n" + run);
    const TimingConnector::TSplit split = connector.splitResultFile(kCompetition);
    EXPECT_EQ(split.runs, 0);
    EXPECT_EQ(split.setAside, QStringLiteral("13 Bytes in %1 beginnen keinen Lauf (ein Lauf beginnt mit \"B01\" und "
                                             "einem Tabulator): \"Kopfzeile A\". Sie wurden nicht eingelesen und an "
                                             "%2 angehängt.")
                                  .arg(QDir::toNativeSeparators(resultFile()), QDir::toNativeSeparators(kept)));
    EXPECT_EQ(readBytes(kept), QByteArray("B01B01 \tWKopfzeile\tA\r\n"));
    EXPECT_EQ(readBytes(resultFile()), run);
    EXPECT_TRUE(poll());
}

TEST_F(TimingImport, AnUnreadableHeaderIsReportedAndStays)
{
    // Cut anywhere inside the header by the end of the file, the run is still being written: it
    // waits, and nothing changes. Followed by a line, the header is unreadable.
    const QByteArray header = runHeader("Sprint", " 1", " 1");
    const QByteArray line = resultLine("1", "00:00:10.000", "1", "1", "A", "B", "C");
    for (qsizetype cut : {qsizetype(4), qsizetype(40), header.size() - 1}) {
        writeBytes(resultFile(), header.left(cut));
        EXPECT_EQ(splitError(), QStringLiteral("(kein Fehler)")) << cut;
        EXPECT_EQ(readBytes(resultFile()), header.left(cut));
        writeBytes(resultFile(), header.left(cut) + line);
        EXPECT_EQ(splitError(), kUnreadable) << cut;
        EXPECT_EQ(readBytes(resultFile()), header.left(cut) + line);
    }
    // A header whose CR LF is something else.
    QByteArray broken = header;
    broken[broken.size() - 2] = 'X';
    writeBytes(resultFile(), broken + line);
    EXPECT_EQ(splitError(), kUnreadable);
    EXPECT_FALSE(QDir(connector.runFolder(kCompetition)).exists());

    // The poll is told which run, where and why.
    const TimingConnector::TSplit split = connector.splitResultFile(kCompetition);
    EXPECT_EQ(split.runs, 0);
    EXPECT_EQ(split.left, broken + line);
    EXPECT_EQ(split.unreadable,
              QStringLiteral("Datensatz nicht lesbar: Der Kopfsatz des Laufs \"Sprint\" in %1 endet nicht mit CR LF. "
                             "Dieser Lauf und alle danach bleiben in der Datei. Bitte Exportdatei löschen und erneut "
                             "von Zeitmessung exportieren.")
                  .arg(QDir::toNativeSeparators(resultFile())));
}

TEST_F(TimingImport, RunsBeforeAnUnreadableOneAreTakenOutSoTheirImportMarkStays)
{
    const QByteArray first = runHeader("Lauf 1", " 4", " 1") + resultLine("1", "00:00:09.870", "1", "5", "A", "B", "C");
    const QByteArray broken = QByteArray("B01\tW \tSD \tabgebrochen\r\n");
    writeBytes(resultFile(), first + broken);

    EXPECT_EQ(splitError(), kUnreadable);
    const QString name = runFile(QStringLiteral("_4_150__EL1_SD_.tmp"));
    ASSERT_TRUE(QFile::exists(name));
    EXPECT_EQ(readBytes(resultFile()), broken) << "only the unreadable run stays";

    markRunImported(name);
    EXPECT_EQ(splitError(), kUnreadable);
    EXPECT_EQ(readBytes(name).at(0), 'I') << "the next poll does not split the run again";
}

TEST_F(TimingImport, ALastRunWaitsUntilTheNextRunFollowsOrAPollFindsTheFileUnchanged)
{
    const QByteArray first = runHeader("Lauf 1", "12", " 1") + resultLine("1", "00:00:09.870", "1", "5", "A", "B", "C");
    const QByteArray secondHeader = runHeader("Lauf 2", "12", " 2");
    const QByteArray line = resultLine("1", "00:00:10.120", "1", "6", "D", "E", "F");
    writeBytes(resultFile(), first + secondHeader + line.left(30));

    EXPECT_TRUE(poll());
    EXPECT_TRUE(QFile::exists(runFile(QStringLiteral("12_150__EL1_SD_.tmp"))));
    EXPECT_FALSE(QFile::exists(runFile(QStringLiteral("12_250__EL1_SD_.tmp"))));
    EXPECT_EQ(readBytes(resultFile()), secondHeader + line.left(30));
    EXPECT_FALSE(poll()) << "an unfinished line waits however long";

    // Its line is finished, but more may follow.
    writeBytes(resultFile(), secondHeader + line);
    EXPECT_FALSE(poll());
    EXPECT_TRUE(poll());
    const TTimingImportHeat second = importFile(runFile(QStringLiteral("12_250__EL1_SD_.tmp")));
    ASSERT_EQ(second.participants.size(), 1u);
    EXPECT_EQ(second.participants[0].Result.TimeInSeconds, 10.12);
    EXPECT_EQ(readBytes(resultFile()), QByteArray());

    // A header alone is no run yet: the timing program writes the lines after it.
    const QByteArray third = runHeader("Lauf 3", "12", " 3");
    writeBytes(resultFile(), third);
    EXPECT_FALSE(poll());
    writeBytes(resultFile(), third + line);
    EXPECT_FALSE(poll()) << "the file changed since";
    EXPECT_TRUE(poll());
    EXPECT_EQ(importFile(runFile(QStringLiteral("12_350__EL1_SD_.tmp"))).participants.size(), 1u);
    // One that stays alone is a run without lines.
    writeBytes(resultFile(), runHeader("Lauf 4", "12", " 4"));
    EXPECT_TRUE(split());
    EXPECT_TRUE(importFile(runFile(QStringLiteral("12_450__EL1_SD_.tmp"))).participants.empty());
}

// Nothing keeps the timing program out while it holds the file open: the split takes nothing out
// until the file has stayed as it was, and splits no run twice meanwhile.
TEST_F(TimingImport, AResultFileHeldOpenIsShortenedOnlyOnceItStaysAsItWas)
{
    const QByteArray first = runHeader("Lauf 1", " 3", " 1") + resultLine("1", "00:00:09.870", "1", "5", "A", "B", "C");
    const QByteArray second =
        runHeader("Lauf 2", " 3", " 2") + resultLine("1", "00:00:10.120", "1", "6", "D", "E", "F");
    QFile timingProgram(resultFile());
    ASSERT_TRUE(timingProgram.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
    ASSERT_EQ(timingProgram.write(first + second.left(40)), first.size() + 40);

    EXPECT_TRUE(poll());
    const QString firstRun = runFile(QStringLiteral("_3_150__EL1_SD_.tmp"));
    ASSERT_TRUE(QFile::exists(firstRun));
    EXPECT_EQ(readBytes(resultFile()), first + second.left(40));
    markRunImported(firstRun);
    ASSERT_EQ(timingProgram.write(second.mid(40)), second.size() - 40);
    EXPECT_FALSE(poll());
    EXPECT_EQ(readBytes(firstRun).at(0), 'I') << "split again";

    EXPECT_TRUE(poll());
    EXPECT_TRUE(QFile::exists(runFile(QStringLiteral("_3_250__EL1_SD_.tmp"))));
    EXPECT_EQ(readBytes(resultFile()), QByteArray());
    ASSERT_EQ(timingProgram.write("B01\t"), 4);
    EXPECT_EQ(readBytes(resultFile()), QByteArray("B01\t")) << "its next write lands at the start";
}

TEST_F(TimingImport, AMissingOrLockedResultFileChangesNothing)
{
    EXPECT_EQ(splitError(), kNoAccess);
    EXPECT_FALSE(QFile::exists(resultFile())) << "not created";

    const QByteArray content = runHeader("Lauf", " 1", " 1");
    writeBytes(resultFile(), content);
    QFile holder(resultFile());
    ASSERT_TRUE(holder.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(holder.handle(), LOCK_EX), 0);
    EXPECT_EQ(splitError(), kNoAccess);
    EXPECT_EQ(readBytes(resultFile()), content);
    holder.close();
    EXPECT_TRUE(split());

    TimingConnector unset([] { return QString(); });
    EXPECT_THROW(unset.splitTimingImportFile(kCompetition), TvpError);
    EXPECT_TRUE(unset.getRuns(kCompetition).empty());
}

TEST_F(TimingImport, ARunFileThatCannotBeWrittenKeepsTheResultFile)
{
    // A file where the competition's run folder belongs.
    writeBytes(connector.runFolder(kCompetition), "kein Ordner");
    const QByteArray content = runHeader("Lauf", " 1", " 1") + resultLine("1", "00:00:09.870", "1", "5", "A", "B", "C");
    writeBytes(resultFile(), content);
    EXPECT_THROW(split(), TvpError);
    EXPECT_EQ(readBytes(resultFile()), content);
}

TEST_F(TimingImport, RunKeysFromTheFileCannotLeaveTheRunFolder)
{
    QByteArray header = runHeader("Lauf", "..", " 1");
    header.replace("SD \t50  \t", "/..\t../\t");
    writeBytes(resultFile(), header);
    ASSERT_TRUE(split());
    const QStringList names = QDir(connector.runFolder(kCompetition)).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(names, QStringList{QStringLiteral(".._1.._EL1__...tmp")});
    EXPECT_EQ(connector.getRuns(kCompetition).size(), 1u) << "listed although its name starts with a dot";
    EXPECT_EQ(QDir(exchange.path()).entryList(QDir::Files), QStringList{QLatin1String(kResultFileName)});

    // A heat that is no number is "-1"; a NUL ends a key item, here the timing number before its
    // second character: the name says so.
    writeBytes(resultFile(), runHeader("Lauf", QByteArray("8\0", 2), "xy"));
    ASSERT_TRUE(split());
    EXPECT_TRUE(QFile::exists(runFile(QStringLiteral("8-150__EL1_SD_.Zeitmessungsnummer_8.tmp"))));
}

TEST_F(TimingImport, StartTimesCountNonNumbersAsTheirDefaults)
{
    struct Case {
        QByteArray date;
        QByteArray time;
        QDateTime expected;
    };
    const Case cases[] = {
        {"31122023", "23:59", QDateTime(QDate(2023, 12, 31), QTime(23, 59))},
        {"ab062024", "09:05", QDateTime(QDate(2024, 5, 31), QTime(9, 5))},  // day 0
        {"07xx2024", "ab:05", QDateTime(QDate(2023, 12, 7), QTime(0, 5))},  // month 0, hour 0
        {"0706abcd", "09:5x", QDateTime(QDate(1900, 6, 7), QTime(9, 0))},   // year 1900, minute 0
        {"xxxxxxxx", "xx:xx", QDateTime(QDate(1899, 11, 30), QTime(0, 0))}, // before the OLE epoch
        {"31022024", "25:00", QDateTime(QDate(2024, 3, 3), QTime(1, 0))},   // days and hours run over
    };
    for (const Case& c : cases) {
        writeBytes(resultFile(), runHeader("Lauf", " 1", " 1", c.date, c.time));
        ASSERT_TRUE(split());
        const TTimingImportHeat run = connector.getRuns(kCompetition).at(0);
        EXPECT_EQ(fromOleDate(run.startTime), c.expected) << c.date.toStdString() << " " << c.time.toStdString();
    }
}

TEST_F(TimingImport, RunFilesAreListedByExactExtensionAndReadToTheFirstBrokenLine)
{
    EXPECT_TRUE(connector.getRuns(kCompetition).empty());
    EXPECT_FALSE(QDir(connector.runFolder(kCompetition)).exists()) << "listing does not create the folder";

    ASSERT_TRUE(QDir().mkpath(connector.runFolder(kCompetition)));
    QByteArray run("I");
    run += QByteArray(8, '\0');
    run += padded("Staffel \x84 ", 46);
    run += "\r\n";
    run += resultLine("2", "b", "", "3", "A", "B", "C");
    run += resultLine("3", "n", "", "4", "D", "E", "F").chopped(2) + "X\n"; // no CR LF
    run += resultLine("4", "a", "", "5", "G", "H", "I");
    writeBytes(runFile(QStringLiteral("15_350__EL1_SD_.tmp")), run);
    writeBytes(runFile(QStringLiteral("15_450__EL1_SD_.TMP")), run);
    writeBytes(runFile(QStringLiteral("15_550__EL1_SD_.tmp.abc123")), run);

    const std::vector<TTimingImportHeat> runs = connector.getRuns(kCompetition);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].status, TImportStatus::isImported);
    EXPECT_EQ(runs[0].RunId, 15);
    EXPECT_EQ(runs[0].heatNo, 3);
    EXPECT_EQ(runs[0].description, QStringLiteral("Staffel ä"));
    ASSERT_EQ(runs[0].participants.size(), 1u) << "the line without CR LF ends the list";
    EXPECT_EQ(runs[0].participants[0].Result.Info, proto::ResultInfo::ab);

    writeBytes(runFile(QStringLiteral("15_650__EL1_SD_.tmp")), "N1234567");
    EXPECT_THROW(connector.getRuns(kCompetition), TvpError) << "a run file shorter than its header";
}

TEST_F(TimingImport, MarkingARunImportedWritesOnlyItsStatusByte)
{
    writeBytes(resultFile(), runHeader("Lauf", " 2", " 1") + resultLine("1", "00:00:09.870", "1", "5", "A", "B", "C"));
    ASSERT_TRUE(split());
    const QString name = runFile(QStringLiteral("_2_150__EL1_SD_.tmp"));
    const QByteArray before = readBytes(name);
    markRunImported(name);
    const QByteArray after = readBytes(name);
    EXPECT_EQ(after.at(0), 'I');
    EXPECT_EQ(after.mid(1), before.mid(1));

    try {
        markRunImported(runFile(QStringLiteral("fehlt.tmp")));
        ADD_FAILURE() << "a missing run file was marked";
    } catch (const TvpError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Kann Importdatei nicht öffnen."));
    }
    EXPECT_FALSE(QFile::exists(runFile(QStringLiteral("fehlt.tmp"))));

    writeBytes(runFile(QStringLiteral("kurz.tmp")), "N");
    EXPECT_THROW(markRunImported(runFile(QStringLiteral("kurz.tmp"))), TvpError);
    EXPECT_EQ(readBytes(runFile(QStringLiteral("kurz.tmp"))), QByteArray("N"));
}

TEST_F(TimingImport, ANumberThatDoesNotFitTheRunKeyIsNamedAndTheImportRefusesIt)
{
    struct Case {
        QByteArray timing, heat;
        QString file;   // in the run folder
        QString misfit; // empty: imported as timing number and heat
        int runId = 0, heatNo = 0;
    };
    const QString timing123 = QStringLiteral("die Zeitmessungsnummer \"123\" passt nicht in ihr Feld von zwei Zeichen "
                                             "(einstellige mit einem Leerzeichen davor)");
    const Case cases[] = {
        {" 7", " 2", QStringLiteral("_7_250__EL1_SD_.tmp"), {}, 7, 2},
        {"12", "99", QStringLiteral("129950__EL1_SD_.tmp"), {}, 12, 99},
        {"AB", " 1", QStringLiteral("AB_150__EL1_SD_.tmp"), {}, 0, 1}, // no number: no discipline has it
        {" 7", "x", QStringLiteral("_7-150__EL1_SD_.tmp"), {}, 7, -1},
        {" 5", "123", QStringLiteral("_512350__EL1_SD_.Laufnummer_123.tmp"),
         QStringLiteral("die Laufnummer 123 passt nicht in ihr Feld von zwei Zeichen")},
        {"123", " 1", QStringLiteral("12_150__EL1_SD_.Zeitmessungsnummer_123.tmp"), timing123},
        {"123", "100", QStringLiteral("1210050__EL1_SD_.Zeitmessungsnummer_123.Laufnummer_100.tmp"),
         timing123 + QStringLiteral(" und die Laufnummer 100 passt nicht in ihr Feld von zwei Zeichen")},
        // Left-justified, it would read as timing number 11 and heat 25.
        {"1", "12", QStringLiteral("11250__EL1_SD_.Zeitmessungsnummer_1.tmp"),
         QStringLiteral("die Zeitmessungsnummer \"1\" passt nicht in ihr Feld von zwei Zeichen (einstellige mit einem "
                        "Leerzeichen davor)")},
        {"", " 2", QStringLiteral("_250__EL1_SD_.Zeitmessungsnummer_.tmp"),
         QStringLiteral("die Zeitmessungsnummer fehlt")},
    };
    for (const Case& c : cases) {
        QDir(connector.runFolder(kCompetition)).removeRecursively();
        writeBytes(resultFile(),
                   runHeader("Lauf", c.timing, c.heat) + resultLine("1", "00:00:09.870", "1", "5", "A", "B", "C"));
        ASSERT_TRUE(split()) << c.timing.toStdString();
        const std::vector<TTimingImportHeat> runs = connector.getRuns(kCompetition);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(QFileInfo(runs[0].filename).fileName(), c.file);
        EXPECT_EQ(runs[0].misfit, c.misfit) << c.file.toStdString();
        if (c.misfit.isEmpty()) {
            EXPECT_EQ(runs[0].RunId, c.runId) << c.file.toStdString();
            EXPECT_EQ(runs[0].heatNo, c.heatNo) << c.file.toStdString();
        }
        EXPECT_EQ(runs[0].participants.size(), 1u) << "nothing of the run is lost";
    }
}

TEST_F(TimingImport, AnImportMarksOnlyTheRunItRead)
{
    writeBytes(resultFile(), runHeader("Lauf", " 2", " 1") + resultLine("1", "00:00:09.870", "1", "5", "A", "B", "C"));
    ASSERT_TRUE(split());
    const QString name = runFile(QStringLiteral("_2_150__EL1_SD_.tmp"));
    const QByteArray read = readRunForImport(name);
    // The run again, split meanwhile.
    writeBytes(resultFile(), runHeader("Lauf", " 2", " 1") + resultLine("1", "00:00:09.500", "1", "5", "A", "B", "C"));
    ASSERT_TRUE(split());
    const QByteArray again = readBytes(name);
    EXPECT_THROW(markRunImported(name, read), TvpError);
    EXPECT_EQ(readBytes(name), again);

    markRunImported(name, again);
    EXPECT_EQ(readBytes(name).at(0), 'I');
    EXPECT_EQ(readBytes(name).mid(1), again.mid(1));
    markRunImported(name, again); // marked already: the same run
    EXPECT_EQ(readBytes(name).at(0), 'I');

    try {
        (void)readRunForImport(runFile(QStringLiteral("fehlt.tmp")));
        ADD_FAILURE() << "a missing run file was read";
    } catch (const TvpError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Kann Importdatei nicht öffnen."));
    }
}

// Heats 1, 3 and 4 split with three of their six lines, heat 4 last; lanes 4 to 6 come after them.
// Lines that come back from beside the result file fit heats 1, 3 and 4 alike and are set aside
// again; the timing program's own lines go on with heat 4. Once the start list names the heats'
// bibs, each line joins the heat its bib ran in.
TEST_F(TimingImport, LinesAfterTheRunsJoinTheHeatTheirBibRanIn)
{
    auto lines = [](int heat, int from, int to) {
        QByteArray out;
        for (int laneNo = from; laneNo <= to; ++laneNo)
            out += resultLine(QByteArray::number(laneNo), "00:00:1" + QByteArray::number(laneNo) + ".000", "",
                              QByteArray::number(heat * 10 + laneNo), "Kind", "", "");
        return out;
    };
    auto body = [&](int heat) {
        return readBytes(runFile(QStringLiteral("_5_%1").arg(heat) + "50__EL1_SD_.tmp")).mid(kRunFileHeaderLength);
    };
    for (int heat : {1, 3, 4}) {
        writeBytes(resultFile(), runHeader("Lauf", " 5", " " + QByteArray::number(heat), "07062024", "10:00", "6") +
                                     lines(heat, 1, 3));
        split();
    }
    const QString beside = path(QLatin1String(kSetAsideFileName));
    writeBytes(beside, lines(1, 4, 6));
    writeBytes(resultFile(), lines(1, 4, 6));
    TimingConnector::TSplit looked = connector.splitResultFile(kCompetition);
    looked = connector.splitResultFile(kCompetition);
    EXPECT_TRUE(looked.setAside.contains(u"Sie passen zu mehreren unvollständigen Läufen"))
        << looked.setAside.toStdString();
    EXPECT_EQ(readBytes(beside), lines(1, 4, 6) + lines(1, 4, 6));
    writeBytes(resultFile(), lines(4, 4, 6));
    split();
    EXPECT_EQ(body(4), lines(4, 1, 6)) << "a pause of the timing program";

    for (int heat : {1, 3}) {
        TTimingExportHeat listed{heat, QStringLiteral("Lauf"), {}};
        for (int laneNo = 1; laneNo <= 6; ++laneNo)
            listed.participants.push_back(lane(laneNo, heat * 10 + laneNo, QStringLiteral("Kind"), {}, {}));
        connector.exportTimingList(5, 4, listed);
    }
    writeBytes(resultFile(), lines(3, 4, 6) + lines(1, 4, 6));
    split();
    EXPECT_EQ(body(1), lines(1, 1, 6));
    EXPECT_EQ(body(3), lines(3, 1, 6));
    EXPECT_EQ(readBytes(resultFile()), QByteArray());
}

TEST(TimingResultField, DecodesTimesAndRemarks)
{
    const auto time = [](const char* field) {
        const std::optional<proto::ResultType> r = decodeTimingResult(field);
        return r && r->Type_ == proto::ResultValueType::Time ? r->TimeInSeconds : -1.0;
    };
    EXPECT_EQ(time("00:01:02.345"), 62.345);
    EXPECT_EQ(time("01:00:00.000"), 3600.0);
    EXPECT_EQ(time("10:59:59.999"), 39599.999);
    EXPECT_EQ(time(" 0:00:07.5  "), 7.5);
    EXPECT_EQ(time("00:00:00.000"), 0.0) << "a real zero stays a time";
    EXPECT_EQ(time("00:01:02.345999"), 62.345) << "only the first 12 characters count";
    EXPECT_EQ(time(" 1"), 3600.0) << "a short item is read no further than it goes";
    EXPECT_EQ(time("            "), -1.0);
    EXPECT_EQ(time("  :  :  .   "), -1.0);
    EXPECT_EQ(time(""), -1.0);
    EXPECT_EQ(time("x0:00:01.000"), -1.0);
    EXPECT_EQ(decodeTimingResult("00:00:01.000")->Info, proto::ResultInfo::aufg);

    const std::pair<const char*, proto::ResultInfo> remarks[] = {{"a", proto::ResultInfo::aufg},
                                                                 {"b           ", proto::ResultInfo::ab},
                                                                 {"d           ", proto::ResultInfo::disq},
                                                                 {"n", proto::ResultInfo::na}};
    for (const auto& [field, info] : remarks) {
        const std::optional<proto::ResultType> r = decodeTimingResult(field);
        ASSERT_TRUE(r) << field;
        EXPECT_EQ(r->Type_, proto::ResultValueType::Info) << field;
        EXPECT_EQ(r->Info, info) << field;
    }
    EXPECT_FALSE(decodeTimingResult("D"));
}

TEST(TimingOleDate, MatchesTheAutomationDateBothWays)
{
    EXPECT_EQ(toOleDate(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_EQ(toOleDate(QDateTime(QDate(1900, 1, 1), QTime(12, 0))), 2.5);
    EXPECT_EQ(toOleDate(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_DOUBLE_EQ(toOleDate(QDateTime(QDate(2024, 6, 7), QTime(9, 5))), 45450.0 + 545.0 / 1440.0);
    for (const QDateTime& t : {QDateTime(QDate(2024, 6, 7), QTime(9, 5)), QDateTime(QDate(1899, 12, 29), QTime(6, 0)),
                               QDateTime(QDate(1850, 3, 1), QTime(23, 59, 30))})
        EXPECT_EQ(fromOleDate(toOleDate(t)), t) << t.toString().toStdString();
    EXPECT_FALSE(fromOleDate(std::nan("")).isValid());
    EXPECT_FALSE(fromOleDate(1e300).isValid());
}

} // namespace
} // namespace tvp::test
