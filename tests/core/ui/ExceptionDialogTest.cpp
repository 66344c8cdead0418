#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/ui/ExceptionDialog.h"
#include "tests/core/ui/ShellFixture.h"
#include "core/protocol/TVPWebServices2.h"
#include "tests/support/TestUtil.h"
#include "core/connection/UncaughtErrors.h"
#include "core/ui/WaitDialog.h"

#include <QTreeWidget>

#include <thread>

using namespace tvp;
using namespace tvp::test;

namespace {

// Answers getExceptionMessages with a fixed table, or fails.
class MessageTableServer : public proto::ISoapTransport {
public:
    proto::HttpAnswer post(const std::string&, const std::string&, const std::string&) override
    {
        if (fail)
            throw ESoapTransportError(QStringLiteral("Verbindung abgelehnt"));
        std::string items;
        for (const auto& [id, text] : table)
            items += "<item><ExceptionID>" + std::to_string(id) + "</ExceptionID><ExceptionMessage>" + text +
                     "</ExceptionMessage></item>";
        return {200, "<soapenv:Envelope xmlns:soapenv=\"http://schemas.xmlsoap.org/soap/envelope/\"><soapenv:Body>"
                     "<tvp:getExceptionMessagesResponse xmlns:tvp=\"" +
                         std::string(proto::wire::kMainNs) + "\">" + items +
                         "</tvp:getExceptionMessagesResponse></soapenv:Body></soapenv:Envelope>"};
    }
    bool fail = false;
    std::vector<std::pair<int, std::string>> table{{45, "Die Athleten %s haben in %s bereits Ergebnisse."},
                                                   {7, "Team %s fehlt"},
                                                   {8, "100% sicher: %s %d %%"},
                                                   {7, "zweiter Eintrag zu 7"}};
};

class MessageWindow : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        proto::setSoapTransport(server);
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("http://127.0.0.1:8080"));
        list = form.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        ASSERT_TRUE(list);
    }
    void TearDown() override
    {
        proto::setSoapTransport(nullptr);
        ShellTest::TearDown();
    }

    void add(const QString& text, QWidget* caller = nullptr)
    {
        form.AddException(-1, {}, text, QStringLiteral("Anfrage"), caller);
    }
    QString rowText(int row, int column = 0) const { return list->topLevelItem(row)->text(column); }
    bool shown()
    {
        return waitUntil([&] { return form.isVisible(); }, 2000);
    }

    std::shared_ptr<MessageTableServer> server = std::make_shared<MessageTableServer>();
    TForm10 wait;
    TExceptionForm form;
    QTreeWidget* list = nullptr;
};

} // namespace

TEST_F(MessageWindow, ServerTextsTakeTheParametersInOrder)
{
    form.ReloadExceptionMessages();
    const QStringList two{QStringLiteral("Anna, Ben"), QStringLiteral("Weitsprung")};
    EXPECT_EQ(form.getExceptionById(45, two),
              QStringLiteral("Die Athleten Anna, Ben haben in Weitsprung bereits Ergebnisse."));
    EXPECT_EQ(form.getExceptionById(45, {QStringLiteral("Anna")}),
              QStringLiteral("Die Athleten Anna haben in  bereits Ergebnisse."))
        << "a missing parameter is left empty";
    EXPECT_EQ(form.getExceptionById(7, two), QStringLiteral("Team Anna, Ben fehlt"))
        << "extra parameters are ignored; the first entry of an id wins";
    EXPECT_EQ(form.getExceptionById(8, {QStringLiteral("%s%n")}), QStringLiteral("100% sicher: %s%n %d %%"))
        << "other % sequences and the parameters' own text stay as they are";
    EXPECT_EQ(form.getExceptionById(99, two), QString());
}

TEST_F(MessageWindow, AServerIdShowsTheServerTextElseTheCallersText)
{
    form.ReloadExceptionMessages();
    EXPECT_FALSE(wait.isVisible());
    form.AddException(45, {QStringLiteral("Anna"), QStringLiteral("Lauf")}, QStringLiteral("roher Text"),
                      QStringLiteral("Athleten löschen"));
    form.AddWarning(99, {}, QStringLiteral("Zeile 1\r\nZeile 2\a"), QStringLiteral("Team speichern"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(rowText(0), QStringLiteral("Die Athleten Anna haben in Lauf bereits Ergebnisse."));
    EXPECT_EQ(rowText(0, 1), QStringLiteral("Athleten löschen"));
    EXPECT_EQ(rowText(1), QStringLiteral("Zeile 1  Zeile 2 "));

    script->expectMessage(QStringLiteral("Warnungen und Fehler"), TMsgAnswer::Ok);
    emit list->itemDoubleClicked(list->topLevelItem(1), 0);
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Zeile 1\r\nZeile 2\a"));
}

TEST_F(MessageWindow, AFailedLoadIsReportedFreesItsChannelAndLeavesTheTableEmpty)
{
    form.ReloadExceptionMessages();
    server->fail = true;
    form.ReloadExceptionMessages();
    form.ReloadExceptionMessages();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(rowText(0), QStringLiteral("Fehler beim Laden der Fehlermeldungen"));
    EXPECT_EQ(rowText(0, 1), QStringLiteral("Fehlermeldungen laden"));
    EXPECT_EQ(form.getExceptionById(45, {}), QString());
    EXPECT_FALSE(wait.isVisible());

    const int savedWait = CommTimeouts::channelWaitMs;
    CommTimeouts::channelWaitMs = 50;
    EXPECT_NO_THROW({
        ChannelGuard one;
        ChannelGuard two;
    });
    CommTimeouts::channelWaitMs = savedWait;
}

TEST_F(MessageWindow, MessagesOfHiddenCallersWithoutServerIdAreDropped)
{
    TestForm hidden(QStringLiteral("Hidden"));
    TestForm visible(QStringLiteral("Visible"));
    visible.show();
    add(QStringLiteral("weg"), &hidden);
    form.AddException(0, {}, QStringLiteral("mit Id"), QStringLiteral("x"), &hidden);
    add(QStringLiteral("sichtbar"), &visible);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(rowText(0), QStringLiteral("mit Id"));
    EXPECT_EQ(rowText(1), QStringLiteral("sichtbar"));
}

TEST_F(MessageWindow, ABurstOfMessagesMakesTheWindowAppearOnce)
{
    struct ShowCounter : QObject {
        int shows = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            shows += e->type() == QEvent::Show;
            return false;
        }
    } counter;
    form.installEventFilter(&counter);
    for (int i = 0; i < 3; ++i)
        add(QStringLiteral("Meldung %1").arg(i));
    EXPECT_FALSE(form.isVisible());
    ASSERT_TRUE(shown());
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(counter.shows, 1);
    form.removeEventFilter(&counter);
}

TEST_F(MessageWindow, ClosingKeepsOnlyTheLastTwoSeconds)
{
    add(QStringLiteral("alt"));
    now += 9000;
    add(QStringLiteral("neu"));
    ASSERT_TRUE(shown());
    now += 1000;
    form.CloseButtonClick();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(rowText(0), QStringLiteral("neu"));
    EXPECT_TRUE(form.isVisible());

    now += 3000;
    form.CloseButtonClick();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(form.isVisible());

    // Nothing old: all go.
    add(QStringLiteral("a"));
    add(QStringLiteral("b"));
    ASSERT_TRUE(shown());
    now += 1000;
    form.CloseButtonClick();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MessageWindow, UncaughtFailuresArriveAsRowsAlsoFromOtherThreads)
{
    reportUncaught(QStringLiteral("im GUI-Thread"));
    std::thread([] { reportUncaught(QStringLiteral("im Arbeitsthread")); }).join();
    ASSERT_TRUE(waitUntil([&] { return list->topLevelItemCount() == 2; }, 2000));
    EXPECT_EQ(rowText(0), QStringLiteral("im GUI-Thread"));
    EXPECT_EQ(rowText(1), QStringLiteral("im Arbeitsthread"));
    EXPECT_EQ(rowText(1, 1), QStringLiteral("Unerwarteter Fehler"));
}
