// Starting the local server: the consent comes first, then the script in server/.

#include "core/util/AppPaths.h"
#include "core/connection/LocalServerControl.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestUtil.h"
#include "core/ui/UserAgreementServerDialog.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;

namespace {

const QString kCaption = QStringLiteral("Haftungsausschluss");

// Answers the consent window by pressing one of its buttons.
std::function<int(QDialog&)> press(const char* buttonName)
{
    return [buttonName](QDialog& dialog) {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(buttonName));
        if (button)
            button->click();
        return button ? dialog.result() : int(QDialog::Rejected);
    };
}

class LocalServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        setDialogs(std::unique_ptr<IDialogs>(scripted));
        AppPaths::setProgramDirForTests(programDir.path());
    }
    void TearDown() override
    {
        EXPECT_TRUE(scripted->allAnswered());
        setDialogs(nullptr);
        AppPaths::setProgramDirForTests({});
    }
    // The script notes the folder it runs in.
    QString runIn(const QString& script, bool (*run)())
    {
        QDir(programDir.path()).mkpath(QStringLiteral("server"));
        QFile f(programDir.filePath(QStringLiteral("server/") + script));
        f.open(QIODevice::WriteOnly);
        f.write("pwd > ran.tmp && mv ran.tmp ran\n");
        f.close();
        QFile ran(programDir.filePath(QStringLiteral("server/ran")));
        ran.remove();
        if (!run() || !tvp::test::waitUntil([&] { return ran.exists(); }))
            return {};
        ran.open(QIODevice::ReadOnly);
        return QString::fromUtf8(ran.readAll()).trimmed();
    }

    test::ScriptedDialogs* scripted = new test::ScriptedDialogs;
    QTemporaryDir programDir;
    TUserAgreementServerForm consent;
};

TEST_F(LocalServer, OnlyConsentStartsAndItIsAskedEveryTime)
{
    int starts = 0;
    bool startWorks = true;
    const auto start = [&] {
        ++starts;
        return startWorks;
    };
    scripted->expectModal(kCaption, press("ButtonDisagree"));
    EXPECT_EQ(startLocalServerWithConsent(consent, start), TLocalServerStart::NoConsent);
    scripted->expectModal(kCaption, [](QDialog&) { return int(QDialog::Rejected); }); // window closed
    EXPECT_EQ(startLocalServerWithConsent(consent, start), TLocalServerStart::NoConsent);
    EXPECT_EQ(starts, 0);

    scripted->expectModal(kCaption, press("ButtonAgree"));
    EXPECT_EQ(startLocalServerWithConsent(consent, start), TLocalServerStart::Started);
    startWorks = false;
    scripted->expectModal(kCaption, press("ButtonAgree"));
    EXPECT_EQ(startLocalServerWithConsent(consent, start), TLocalServerStart::Failed);
    EXPECT_EQ(starts, 2);
}

TEST_F(LocalServer, ScriptsRunInTheServerFolderAndAreMissedWhenAbsent)
{
    EXPECT_FALSE(StartLocalServer().ran);
    EXPECT_FALSE(StopLocalServer());
    const QString serverDir = QDir(programDir.path()).canonicalPath() + QStringLiteral("/server");
    EXPECT_EQ(runIn(QStringLiteral("start.sh"), [] { return StartLocalServer().succeeded; }), serverDir);
    EXPECT_EQ(runIn(QStringLiteral("stop.sh"), StopLocalServer), serverDir);
}

TEST_F(LocalServer, StoppingWaitsForTheScriptAndReportsItsFailure)
{
    QDir(programDir.path()).mkpath(QStringLiteral("server"));
    const auto script = [&](const QByteArray& text) {
        QFile f(programDir.filePath(QStringLiteral("server/stop.sh")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    // Done only when the script is: the server is gone once the call returns.
    script("sleep 0.3; touch stopped\n");
    EXPECT_TRUE(StopLocalServer());
    EXPECT_TRUE(QFile::exists(programDir.filePath(QStringLiteral("server/stopped"))));

    script("echo 'kill: keine Berechtigung' >&2; exit 1\n");
    EXPECT_FALSE(StopLocalServer()) << "a stop script that fails is no stop";
    script("kill -KILL $$\n");
    EXPECT_FALSE(StopLocalServer()) << "nor one that is killed";
}

} // namespace
