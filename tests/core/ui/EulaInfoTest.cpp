// The terms consent at start-up, and the about window against a stand-in server.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/ui/EulaDialog.h"
#include "core/ui/ExceptionDialog.h"
#include "core/util/IniHandler.h"
#include "core/ui/InfoDialog.h"
#include "core/util/ProgramVersion.h"
#include "tests/core/ui/ShellFixture.h"
#include "tests/support/StandinHarness.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTreeView>

using namespace tvp;
using namespace tvp::test;

namespace {

QString storedConsent()
{
    QString value;
    ReadIniStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted"), QStringLiteral("(nichts)"), value);
    return value;
}

QLabel* label(QWidget& window, const char* name)
{
    return window.findChild<QLabel*>(QString::fromLatin1(name));
}

using WindowTest = ShellTest;

} // namespace

TEST_F(WindowTest, TermsAreAskedUntilTheConsentIsGivenAndThenStored)
{
    auto tickThen = [](bool tick, const char* buttonName) {
        return [=](QDialog& dialog) {
            auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
            auto* accept = dialog.findChild<QPushButton*>(QStringLiteral("AcceptButton"));
            EXPECT_FALSE(accept->isEnabled());
            box->setChecked(true);
            box->setChecked(tick);
            EXPECT_EQ(accept->isEnabled(), tick);
            if (buttonName)
                dialog.findChild<QPushButton*>(QString::fromLatin1(buttonName))->click();
            else
                dialog.reject(); // the window's frame
            return dialog.result();
        };
    };
    const QString caption = QStringLiteral("Lizenzinformationen");
    // First start: "Programm beenden" ends the program, and nothing is stored.
    script->expectModal(caption, tickThen(false, "Button2"));
    EXPECT_FALSE(TEulaForm().CheckEULA());
    EXPECT_EQ(storedConsent(), QStringLiteral("(nichts)"));
    // The next start asks again; closing the window with the box ticked is no consent either.
    script->expectModal(caption, tickThen(true, nullptr));
    EXPECT_FALSE(TEulaForm().CheckEULA());
    EXPECT_EQ(storedConsent(), QStringLiteral("(nichts)"));

    script->expectModal(caption, tickThen(true, "AcceptButton"));
    EXPECT_TRUE(TEulaForm().CheckEULA());
    EXPECT_EQ(storedConsent(), QStringLiteral("yes"));
    EXPECT_TRUE(TEulaForm().CheckEULA()) << "asked no more";
}

TEST_F(WindowTest, AboutWindowShowsBothVersionsAndReportsAnUnreachableServer)
{
    InitComm();
    TExceptionForm exceptions;
    StandinHarness server;
    server.options.version = {1, 2, 3};
    server.start();
    competitionUrlHolderInstance().setServerUrl(server.serverAddress());

    TInfoForm info;
    QLabel* serverVersion = label(info, "ServerVersionLabel");
    EXPECT_EQ(label(info, "VersionLabel")->text(), QStringLiteral("Version " TVP_VERSION_TEXT));
    EXPECT_EQ(std::tuple(info.majorVersion(), info.minorVersion(), info.releaseVersion()),
              std::tuple(TVP_VERSION_MAJOR, TVP_VERSION_MINOR, TVP_VERSION_PATCH));
    EXPECT_FALSE(serverVersion->isVisibleTo(&info));
    info.LoadServerVersion();
    EXPECT_TRUE(serverVersion->isVisibleTo(&info));
    EXPECT_EQ(serverVersion->text(), QStringLiteral("Server-Version: 1.2.3"));

    // The server goes away: the old version must not stay, and the slot is given back each time.
    server.stop();
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:%1").arg(probe.serverPort()));
    probe.close();
    CommTimeouts::channelWaitMs = 200;
    for (int i = 0; i < 3; ++i)
        info.LoadServerVersion();
    EXPECT_FALSE(serverVersion->isVisibleTo(&info));
    const QAbstractItemModel* rows = exceptions.findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
    ASSERT_EQ(rows->rowCount(), 3);
    EXPECT_EQ(rows->index(2, 1).data().toString(), QStringLiteral("Serverversion abrufen"));
    const QString message = rows->index(2, 0).data().toString();
    EXPECT_TRUE(message.startsWith(
        QStringLiteral("Serverversion konnte nicht abgerufen werden: Verbindung zum Server fehlgeschlagen")))
        << message.toStdString();
    bool bothSlotsFree = false;
    EXPECT_NO_THROW({
        ChannelGuard first;
        ChannelGuard second;
        bothSlotsFree = true;
    });
    EXPECT_TRUE(bothSlotsFree);
    CommTimeouts::channelWaitMs = 35000;

    // The update check must not take a version part that is no number for one.
    TInfoForm odd(QStringLiteral("2.5.x"));
    EXPECT_EQ(std::tuple(odd.majorVersion(), odd.minorVersion(), odd.releaseVersion()), std::tuple(2, 5, -1));
    TInfoForm unknown{QString()};
    EXPECT_EQ(label(unknown, "VersionLabel")->text(), QStringLiteral("Version unbekannt"));
}
