#include "core/util/AppPaths.h"
#include "tests/support/TempAppFolders.h"
#include "core/util/Features.h"
#include "core/util/IniHandler.h"
#include "core/util/UncaughtErrors.h"
#include "tests/support/FileLimits.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace tvp;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QString readStr(const QString& section, const QString& key, const QString& def = QStringLiteral("<none>"))
{
    QString value;
    ReadIniStr(section, key, def, value);
    return value;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folders.isValid()); }
    QString settingsPath() const { return commonDir.filePath(QStringLiteral("TVPsettings.ini")); }
    QString besideProgram(const QString& name) const { return programDir.filePath(name); }

    tvp::test::TempAppFolders folders;
    QTemporaryDir& programDir = folders.programDir;
    QTemporaryDir& commonDir = folders.commonDir;
};

} // namespace

TEST_F(Settings, ShippedOptionsAreCopiedOnceAndChangesGoToTheCopy)
{
    const QByteArray shipped = "[Connections]\r\nServer1=http://halle:8080\r\nendIndex=1\r\n";
    writeAll(besideProgram(QStringLiteral("options.ini")), shipped);

    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("Server1")), QStringLiteral("http://halle:8080"));
    QString path;
    getOptionsIniFilePath(path);
    EXPECT_EQ(path, settingsPath());
    EXPECT_EQ(readAll(settingsPath()), shipped);

    WriteIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 2);
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server2"), QStringLiteral("http://sporthalle:8080"));
    EXPECT_EQ(ReadIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 0), 2);
    EXPECT_EQ(readAll(besideProgram(QStringLiteral("options.ini"))), shipped);

    // A newer options.ini must not replace the user's settings.
    writeAll(besideProgram(QStringLiteral("options.ini")), "[Connections]\r\nendIndex=7\r\n");
    EXPECT_EQ(ReadIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 0), 2);
    EXPECT_FALSE(QFile::exists(besideProgram(QStringLiteral("TVPsettings.ini"))));
}

TEST_F(Settings, WithoutShippedOptionsAnEmptyFileIsCreated)
{
    EXPECT_EQ(readStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted"), QStringLiteral("false")),
              QStringLiteral("false"));
    ASSERT_TRUE(QFile::exists(settingsPath()));
    EXPECT_TRUE(readAll(settingsPath()).isEmpty());
}

TEST_F(Settings, AMissingSettingsFolderIsCreatedAndNothingGoesBesideTheProgram)
{
    // A fresh account: not even the desktop's data folder exists yet.
    const QString missing = commonDir.filePath(QStringLiteral("share/TrivantaPentrel"));
    AppPaths::setCommonAppDataDirForTests(missing);
    writeAll(besideProgram(QStringLiteral("options.ini")), "[EULA]\r\nEULA_Accepted=no\r\n");

    WriteIniStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted"), QStringLiteral("yes"));

    QString path;
    getOptionsIniFilePath(path);
    EXPECT_EQ(path, QDir(missing).filePath(QStringLiteral("TVPsettings.ini")));
    EXPECT_EQ(readAll(path), QByteArray("[EULA]\r\nEULA_Accepted=yes\r\n"));
    EXPECT_FALSE(QFile::exists(besideProgram(QStringLiteral("TVPsettings.ini"))));
}

TEST_F(Settings, SettingsAnEarlierVersionKeptBesideTheProgramAreTakenOver)
{
    writeAll(besideProgram(QStringLiteral("TVPsettings.ini")), "[EULA]\r\nEULA_Accepted=yes\r\n");
    writeAll(besideProgram(QStringLiteral("options.ini")), "[EULA]\r\nEULA_Accepted=no\r\n");
    EXPECT_EQ(readStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted")), QStringLiteral("yes"));
    EXPECT_EQ(readAll(settingsPath()), QByteArray("[EULA]\r\nEULA_Accepted=yes\r\n"));
}

class SettingsFailures : public Settings {
protected:
    void SetUp() override
    {
        Settings::SetUp();
        setUncaughtReporter([this](const QString& text) { reported << text; });
    }
    void TearDown() override { setUncaughtReporter({}); }
    QStringList reported;
};

TEST_F(SettingsFailures, AFolderThatCannotBeMadeIsReportedOnceAndNothingIsWrittenElsewhere)
{
    writeAll(commonDir.filePath(QStringLiteral("blocked")), "a file, not a folder");
    AppPaths::setCommonAppDataDirForTests(commonDir.filePath(QStringLiteral("blocked/TrivantaPentrel")));

    WriteIniStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted"), QStringLiteral("yes"));
    WriteIniStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted"), QStringLiteral("yes"));

    ASSERT_EQ(reported.size(), 1) << "told once, not on every write";
    EXPECT_TRUE(reported[0].startsWith(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden.")));
    EXPECT_TRUE(reported[0].contains(QStringLiteral("blocked/TrivantaPentrel"))) << reported[0].toStdString();
    EXPECT_EQ(readStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted"), QStringLiteral("false")),
              QStringLiteral("false"));
    EXPECT_EQ(QDir(programDir.path()).entryList(QDir::Files), QStringList());
}

TEST_F(SettingsFailures, AFolderThatRefusesNewFilesKeepsTheFileAsItWasAndIsReported)
{
    const QByteArray before = "[EULA]\r\nEULA_Accepted=yes\r\n";
    writeAll(settingsPath(), before);
    ASSERT_TRUE(QFile::setPermissions(commonDir.path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        test::PermissionsApply permissions;
        // The file itself is writable; only writing it in place could change it, and that is refused.
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), QStringLiteral("http://halle:8080"));
    }
    QFile::setPermissions(commonDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(settingsPath()), before);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(QStringLiteral("TVPsettings.ini"))) << reported[0].toStdString();

    // Once writing works again, the next failure is told again.
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), QStringLiteral("http://halle:8080"));
    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("Server1")), QStringLiteral("http://halle:8080"));
}

TEST_F(SettingsFailures, AFullDiskLeavesTheFileAsItWasAndNoTemporaryFile)
{
    QByteArray before = "[WindowPositions]\r\n";
    for (int i = 0; i < 50; ++i)
        before += "TForm" + QByteArray::number(i) + ".PosX=" + QByteArray::number(i) + "\r\n";
    writeAll(settingsPath(), before);
    {
        test::DiskFullAfter full(64);
        WriteIniInteger(QStringLiteral("WindowPositions"), QStringLiteral("TForm7.PosY"), 3);
    }
    EXPECT_EQ(readAll(settingsPath()), before);
    EXPECT_EQ(QDir(commonDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("TVPsettings.ini")});
    EXPECT_EQ(reported.size(), 1);
}

TEST_F(Settings, ResetSectionRemovesEveryKeyOfThatSectionOnly)
{
    writeAll(settingsPath(), "[HintSystem]\r\nSuppressAll=yes\r\n; why\r\nCHOOSE.DoNotShow=yes\r\n\r\n"
                             "[Features]\r\nladv.online=active\r\n");
    WriteIniStr(QStringLiteral("HintSystem"), QStringLiteral("ATHLETE.DoNotShow"), QStringLiteral("yes"));

    ResetIniSection(QStringLiteral("HintSystem"));

    for (const char* key : {"SuppressAll", "CHOOSE.DoNotShow", "ATHLETE.DoNotShow"})
        EXPECT_EQ(readStr(QStringLiteral("HintSystem"), QString::fromLatin1(key), QStringLiteral("no")),
                  QStringLiteral("no"))
            << key;
    EXPECT_TRUE(isFeatureActive(QStringLiteral("ladv.online")));
    EXPECT_EQ(readAll(settingsPath()), QByteArray("[HintSystem]\r\n; why\r\n\r\n[Features]\r\nladv.online=active\r\n"));
}

TEST_F(Settings, NamesCompareWithoutCaseAndTheFirstOccurrenceWins)
{
    writeAll(settingsPath(), "[CONNECTIONS]\r\nEndIndex=3\r\nendindex=9\r\n[connections]\r\nServer1=x\r\n");

    EXPECT_EQ(ReadIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 0), 3);
    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("server1")), QStringLiteral("<none>"));

    WriteIniInteger(QStringLiteral("connections"), QStringLiteral("ENDINDEX"), 4);
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), QStringLiteral("y"));
    EXPECT_EQ(readAll(settingsPath()),
              QByteArray("[CONNECTIONS]\r\nEndIndex=4\r\nendindex=9\r\nServer1=y\r\n[connections]\r\nServer1=x\r\n"));

    RemoveIniItem(QStringLiteral("Connections"), QStringLiteral("ENDINDEX"));
    EXPECT_EQ(ReadIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), -1), -1);
}

TEST_F(Settings, LinesTheReaderIgnoresSurviveAWriteUntouched)
{
    const QByteArray before = "\xEF\xBB\xBF"
                              "orphan=before any section\r\n"
                              "; Einstellungen f\xC3\xBCr die Halle\r\n"
                              "[WindowPositions]\r\n"
                              "garbage without equals sign\r\n"
                              "TAthleteForm.PosX=10\r\n"
                              "  \t\r\n"
                              "[Vendor]\r\n"
                              "\xFF\xFE broken bytes=\x80\r\n"
                              "\r\n"
                              "[TimingConnector]\r\n"
                              "ExchangeFolder=/srv/zeit\r\n";
    writeAll(settingsPath(), before);

    WriteIniInteger(QStringLiteral("WindowPositions"), QStringLiteral("TAthleteForm.PosY"), 20);
    WriteIniStr(QStringLiteral("InputDevices"), QStringLiteral("Device1"), QStringLiteral("Scanner Ä"));

    EXPECT_EQ(readAll(settingsPath()), QByteArray("\xEF\xBB\xBF"
                                                  "orphan=before any section\r\n"
                                                  "; Einstellungen f\xC3\xBCr die Halle\r\n"
                                                  "[WindowPositions]\r\n"
                                                  "garbage without equals sign\r\n"
                                                  "TAthleteForm.PosX=10\r\n"
                                                  "TAthleteForm.PosY=20\r\n"
                                                  "  \t\r\n"
                                                  "[Vendor]\r\n"
                                                  "\xFF\xFE broken bytes=\x80\r\n"
                                                  "\r\n"
                                                  "[TimingConnector]\r\n"
                                                  "ExchangeFolder=/srv/zeit\r\n"
                                                  "[InputDevices]\r\n"
                                                  "Device1=Scanner \xC3\x84\r\n"));
    EXPECT_EQ(readStr(QStringLiteral("InputDevices"), QStringLiteral("Device1")), QStringLiteral("Scanner Ä"));
    EXPECT_EQ(readStr(QStringLiteral("Vendor"), QStringLiteral("orphan")), QStringLiteral("<none>"));
}

TEST_F(Settings, FilesWithBareLineFeedsAreReadAndWrittenBackWithCrLf)
{
    writeAll(settingsPath(), "[SortInformation]\nathletessortCol=3\nathletessortDir=1");
    EXPECT_EQ(ReadIniInteger(QStringLiteral("SortInformation"), QStringLiteral("athletessortCol"), 0), 3);
    EXPECT_EQ(ReadIniInteger(QStringLiteral("SortInformation"), QStringLiteral("athletessortDir"), 0), 1);

    WriteIniInteger(QStringLiteral("SortInformation"), QStringLiteral("athletessortCol"), 2);
    EXPECT_EQ(readAll(settingsPath()), QByteArray("[SortInformation]\r\nathletessortCol=2\r\nathletessortDir=1\r\n"));
}

TEST_F(Settings, ValuesAreTakenAfterTheFirstEqualsSign)
{
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server1"), QStringLiteral("http://h/?a=b;c=d"));
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server2"), QStringLiteral(";not a comment"));
    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("Server1")), QStringLiteral("http://h/?a=b;c=d"));
    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("Server2")), QStringLiteral(";not a comment"));
    // A value with line breaks stays one value and adds no section.
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server3"),
                QStringLiteral("a\r\n[EULA]\nEULA_Accepted=yes"));
    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("Server3")),
              QStringLiteral("a [EULA] EULA_Accepted=yes"));
    EXPECT_EQ(readStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted")), QStringLiteral("<none>"));

    writeAll(settingsPath(), "[Connections]\r\n  currentServer =  \"Veranstaltung auf diesem PC\"  \r\n"
                             "Server1=\"\r\nServer2=\r\n");
    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("currentServer")),
              QStringLiteral("Veranstaltung auf diesem PC"));
    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("Server1")), QStringLiteral("\""));
    EXPECT_EQ(readStr(QStringLiteral("Connections"), QStringLiteral("Server2")), QString());
}

TEST_F(Settings, IntegersFallBackToTheDefaultOnAnythingButDecimals)
{
    writeAll(settingsPath(), "[WindowPositions]\r\nempty=\r\nword=abc\r\ntail=12abc\r\nhex=0x10\r\n"
                             "huge=99999999999\r\nneg= -7 \r\n");
    for (const char* key : {"empty", "word", "tail", "hex", "huge", "missing"})
        EXPECT_EQ(ReadIniInteger(QStringLiteral("WindowPositions"), QString::fromLatin1(key), -1), -1) << key;
    EXPECT_EQ(ReadIniInteger(QStringLiteral("WindowPositions"), QStringLiteral("neg"), 0), -7);
}

TEST_F(Settings, ConcurrentWritesAreNotLost)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i)
                WriteIniInteger(QStringLiteral("InputDevices"), QStringLiteral("Device%1_%2").arg(t).arg(i), i);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i)
            ASSERT_EQ(ReadIniInteger(QStringLiteral("InputDevices"), QStringLiteral("Device%1_%2").arg(t).arg(i), -1),
                      i);
}

TEST_F(Settings, FeaturesAreOffUntilActivated)
{
    EXPECT_FALSE(isFeatureActive(QStringLiteral("ladv.online")));
    activateFeature(QStringLiteral("ladv.online"));
    EXPECT_TRUE(isFeatureActive(QStringLiteral("ladv.online")));
    EXPECT_FALSE(isFeatureActive(QStringLiteral("ladv")));
    EXPECT_EQ(readAll(settingsPath()), QByteArray("[Features]\r\nladv.online=active\r\n"));

    WriteIniStr(QStringLiteral("Features"), QStringLiteral("other"), QStringLiteral("yes"));
    EXPECT_FALSE(isFeatureActive(QStringLiteral("other")));
}
