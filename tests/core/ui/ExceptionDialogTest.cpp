#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/ui/ExceptionDialog.h"
#include "tests/core/ui/ShellFixture.h"
#include "core/protocol/TVPWebServices2.h"
#include "tests/support/FakeServer.h"
#include "tests/support/TestUtil.h"
#include "core/connection/UncaughtErrors.h"
#include "core/ui/WaitDialog.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTextDocument>
#include <QTreeView>

#include <thread>

using namespace tvp;
using namespace tvp::test;

namespace {

// The server's message table, as the fake server answers it.
proto::getExceptionMessagesResponse1 messageTable()
{
    proto::getExceptionMessagesResponse1 table;
    for (const auto& [id, text] :
         std::vector<std::pair<int, const char*>>{{45, "Die Athleten %s haben in %s bereits Ergebnisse."},
                                                  {7, "Team %s fehlt"},
                                                  {8, "100% sicher: %s %d %%"},
                                                  {7, "zweiter Eintrag zu 7"}}) {
        proto::ExceptionMessageType m;
        m.ExceptionID = id;
        m.ExceptionMessage = QString::fromUtf8(text);
        table.push_back(m);
    }
    return table;
}

class MessageWindow : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        fake->answer<proto::op::getExceptionMessages>(messageTable());
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("http://127.0.0.1:8080"));
        list = form.findChild<QTreeView*>(QStringLiteral("ListView1"));
        ASSERT_TRUE(list);
        tester = std::make_unique<QAbstractItemModelTester>(list->model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    void add(const QString& text, QWidget* caller = nullptr)
    {
        form.AddException(-1, {}, text, QStringLiteral("Anfrage"), caller);
    }
    QString rowText(int row, int column = 0) const { return list->model()->index(row, column).data().toString(); }
    int rows() const { return list->model()->rowCount(); }
    bool shown()
    {
        return waitUntil([&] { return form.isVisible(); }, 2000);
    }
    static void settle()
    {
        waitUntil([] { return false; }, 100);
        runQueued();
    }

    FakeServerInstall fake;
    TForm10 wait;
    TExceptionForm form;
    QTreeView* list = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;
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
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(rowText(0), QStringLiteral("Die Athleten Anna haben in Lauf bereits Ergebnisse."));
    EXPECT_EQ(rowText(0, 1), QStringLiteral("Athleten löschen"));
    EXPECT_EQ(rowText(1), QStringLiteral("Zeile 1  Zeile 2 "));

    EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Anfrage"));
    script->expectMessage(QStringLiteral("Warnungen und Fehler"), TMsgAnswer::Ok);
    emit list->doubleClicked(list->model()->index(1, 0));
    ASSERT_FALSE(script->seen.empty());
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Zeile 1\r\nZeile 2\a"));
}

TEST_F(MessageWindow, AFailedLoadIsReportedFreesItsChannelAndLeavesTheTableEmpty)
{
    form.ReloadExceptionMessages();
    EXPECT_FALSE(fake->requests().front().hasSession) << "asked without a session";
    fake->answerText<proto::op::getExceptionMessages>(503, "<html><body>Wartung</body></html>", "text/html");
    form.ReloadExceptionMessages();
    form.ReloadExceptionMessages();
    ASSERT_EQ(rows(), 2);
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

TEST_F(MessageWindow, MessagesOfHiddenCallersAreShownToo)
{
    TestForm hidden(QStringLiteral("Hidden"));
    TestForm visible(QStringLiteral("Visible"));
    visible.show();
    add(QStringLiteral("verborgen"), &hidden);
    form.AddException(0, {}, QStringLiteral("mit Id"), QStringLiteral("x"), &hidden);
    add(QStringLiteral("sichtbar"), &visible);
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(rowText(0), QStringLiteral("verborgen"));
    EXPECT_EQ(rowText(1), QStringLiteral("mit Id"));
    EXPECT_EQ(rowText(2), QStringLiteral("sichtbar"));
    EXPECT_TRUE(shown());
}

TEST_F(MessageWindow, ABurstOfMessagesMakesTheWindowAppearOnce)
{
    const EventCounter shows(form, QEvent::Show);
    for (int i = 0; i < 3; ++i)
        add(QStringLiteral("Meldung %1").arg(i));
    EXPECT_FALSE(form.isVisible());
    ASSERT_TRUE(shown());
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(shows.count, 1);
}

TEST_F(MessageWindow, ClosingKeepsOnlyTheLastTwoSeconds)
{
    add(QStringLiteral("alt"));
    now += 9000;
    add(QStringLiteral("neu"));
    ASSERT_TRUE(shown());
    now += 1000;
    form.CloseButtonClick();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(rowText(0), QStringLiteral("neu"));
    EXPECT_TRUE(form.isVisible());

    now += 3000;
    form.CloseButtonClick();
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(form.isVisible());

    // Nothing old: all go.
    add(QStringLiteral("a"));
    add(QStringLiteral("b"));
    ASSERT_TRUE(shown());
    now += 1000;
    form.CloseButtonClick();
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MessageWindow, UncaughtFailuresArriveAsRowsAlsoFromOtherThreads)
{
    reportUncaught(QStringLiteral("im GUI-Thread"));
    std::thread([] { reportUncaught(QStringLiteral("im Arbeitsthread")); }).join();
    ASSERT_TRUE(waitUntil([&] { return rows() == 2; }, 2000));
    EXPECT_EQ(rowText(0), QStringLiteral("im GUI-Thread"));
    EXPECT_EQ(rowText(1), QStringLiteral("im Arbeitsthread"));
    EXPECT_EQ(rowText(1, 1), QStringLiteral("Unerwarteter Fehler"));
}

TEST_F(MessageWindow, ALongMessageIsReadWholeAndMarkupIsShownAsWritten)
{
    form.resize(420, 260);
    form.show();
    const QString longText = QStringLiteral("Eine Veranstaltung mit dem Namen Kreismeisterschaft der Schulen im "
                                            "Landkreis existiert bereits.");
    const QString markup = QStringLiteral("<b>x</b> <img src=\"file:///etc/passwd\">\r\nzweite Zeile");
    add(longText);
    add(markup);
    ASSERT_TRUE(shown());
    settle();

    // The message column takes the width the request column leaves, and the text wraps in it.
    const int messageWidth = list->header()->sectionSize(0);
    EXPECT_EQ(messageWidth + list->header()->sectionSize(1), list->viewport()->width());
    const QRect needed =
        list->fontMetrics().boundingRect(QRect(0, 0, messageWidth - 8, 10000), Qt::TextWordWrap, rowText(0));
    EXPECT_GE(list->visualRect(list->model()->index(0, 0)).height(), needed.height()) << "every line of it";

    // Text, never markup: in the row, and in its tooltip.
    EXPECT_EQ(rowText(1), QStringLiteral("<b>x</b> <img src=\"file:///etc/passwd\">  zweite Zeile"));
    for (int row : {0, 1}) {
        QTextDocument tip;
        tip.setHtml(list->model()->index(row, 0).data(Qt::ToolTipRole).toString());
        EXPECT_EQ(tip.toPlainText(),
                  row == 0 ? longText : QStringLiteral("<b>x</b> <img src=\"file:///etc/passwd\">\nzweite Zeile"));
    }
}
