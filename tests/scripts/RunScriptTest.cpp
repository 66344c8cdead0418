// scripts/run.sh as a new user meets it, in a copy of the tree whose install, build, server and
// program are stand-ins that only leave a mark.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeScript(const QString& path, const QByteArray& body)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/usr/bin/env bash\n" + body + "\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
}

class RunScript : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("scripts")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TVP_RUN_SCRIPT), root.filePath(QStringLiteral("scripts/run.sh"))));
        for (const char* name : {"deps", "build"})
            writeScript(root.filePath(QStringLiteral("scripts/%1.sh").arg(QLatin1String(name))),
                        "touch \"" + mark(name).toUtf8() + "\"");
        writeScript(root.filePath(QStringLiteral("build/program/server/start.sh")),
                    "touch \"" + mark("server").toUtf8() + "\"");
        writeScript(root.filePath(QStringLiteral("build/program/TrivantaPentrel")),
                    "touch \"" + mark("program").toUtf8() + "\"");
        // The X display :99 is there, every other one cannot be opened.
        writeScript(root.filePath(QStringLiteral("bin/xdpyinfo")), "[ \"$DISPLAY\" = :99 ]");
    }

    QString mark(const char* what) const { return root.filePath(QStringLiteral("ran-%1").arg(QLatin1String(what))); }

    // Runs the copy with the desktop variables given; returns its exit code.
    int run(const QStringList& desktop)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "TVP_BUILD_DIR"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("PATH"),
                   root.filePath(QStringLiteral("bin")) + u':' + env.value(QStringLiteral("PATH")));
        for (const QString& setting : desktop)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("bash"), {root.filePath(QStringLiteral("scripts/run.sh"))});
        EXPECT_TRUE(p.waitForFinished(30000));
        errors = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

    QTemporaryDir root;
    QString errors;
};

} // namespace

TEST_F(RunScript, WithoutADesktopItSaysSoAndStartsNothing)
{
    EXPECT_EQ(run({}), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("no desktop session"))) << errors.toStdString();
    for (const char* what : {"deps", "build", "server", "program"})
        EXPECT_FALSE(QFile::exists(mark(what))) << what;
}

TEST_F(RunScript, WithADesktopItBuildsStartsTheServerAndTheProgram)
{
    EXPECT_EQ(run({QStringLiteral("DISPLAY=:99")}), 0) << errors.toStdString();
    for (const char* what : {"deps", "build", "program"})
        EXPECT_TRUE(QFile::exists(mark(what))) << what;
}

TEST_F(RunScript, ADisplayThatCannotBeOpenedStartsNoServer)
{
    EXPECT_EQ(run({QStringLiteral("DISPLAY=:98")}), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("cannot open the display :98"))) << errors.toStdString();
    for (const char* what : {"build", "server", "program"})
        EXPECT_FALSE(QFile::exists(mark(what))) << what;

    // A Wayland session is tried by its socket.
    QTemporaryDir runtime;
    EXPECT_EQ(run({QStringLiteral("WAYLAND_DISPLAY=wayland-7"), QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()}),
              1);
    EXPECT_FALSE(QFile::exists(mark("server")));
    // A platform without display needs none.
    EXPECT_EQ(run({QStringLiteral("QT_QPA_PLATFORM=offscreen")}), 0) << errors.toStdString();
    EXPECT_TRUE(QFile::exists(mark("program")));
}
