// Result entry with another desk played by direct requests to the stand-in: "Rangfolge erfassen"
// beside "Leistungen erfassen" on the second attempt of a finishing order (where it matters with a
// server that answers each request only after 1.5 s), a value for an athlete deleted there,
// Escape on stores waiting while that desk stores, stores that leave together, and a store while
// another client holds the server's write lock.

#include "results/ui/AquireBibOrderDialog.h"
#include "tests/results/ResultWindowFixture.h"
#include "tests/results/StoredRanks.h"
#include "tests/support/HoldingTransport.h"

#include <QAction>
#include <QElapsedTimer>
#include <QScopeGuard>

#include <functional>
#include <thread>

namespace tvp::test {
namespace {

// The program's road to the stand-in, counting the read-write transactions it begins.
class CountingTransport : public proto::ISoapTransport {
public:
    proto::HttpAnswer post(const std::string& url, const std::string& action, const std::string& body) override
    {
        count(body);
        return real_->post(url, action, body);
    }
    proto::HttpAnswer post(const std::string& url, const std::string& action, const std::string& body,
                           long totalTimeoutMs) override
    {
        count(body);
        return real_->post(url, action, body, totalTimeoutMs);
    }
    proto::HttpAnswer send(const std::string& url, const std::string& action, std::string&& body,
                           long totalTimeoutMs) override
    {
        count(body);
        return real_->send(url, action, std::move(body), totalTimeoutMs);
    }
    std::atomic<int> writers = 0;
    // Runs before each read-write begin while set, on the thread that begins.
    std::function<void()> beforeWriter;
    std::atomic<bool> stepping = false;

private:
    void count(const std::string& body)
    {
        if (body.find("beginTransaction") != std::string::npos && body.find(">false<") != std::string::npos) {
            ++writers;
            if (stepping)
                beforeWriter();
        }
    }
    std::shared_ptr<proto::ISoapTransport> real_ = proto::curlSoapTransport();
};

class FinishingOrderBesideResults : public ResultWindowTest {
protected:
    void SetUp() override
    {
        ResultWindowTest::SetUp();
        finish = discipline(QStringLiteral("Zieleinlauf"), 2, false, "byBib", QStringLiteral("Rank"));
        const int dan = seed->athlete(comp, QStringLiteral("Dan"), QStringLiteral("Dachs"), owls, 0, {11});
        const int emil = seed->athlete(comp, QStringLiteral("Emil"), QStringLiteral("Kurz"), owls, 0, {14});
        for (int athlete : {anna, ben, dan, emil})
            seed->placeAthlete(finish, athlete, 1);
        order = std::make_unique<TAquireBibOrderForm>(context);
        windows.place(TWindowId::AquireBibOrderForm, order.get());
        // Both windows on attempt 2, the finishing order opened from the result window.
        open(finish);
        script->expectText(QStringLiteral("Laufnummer wählen"), QStringLiteral("2"));
        form->findChild<QAction*>(QStringLiteral("Rangfolgeerfassen1"))->trigger();
        ASSERT_TRUE(waitUntil([&] { return order->grid()->isVisible(); }, 10000) && bothSettled());
    }
    void TearDown() override
    {
        standin.server().setAnswerDelay({});
        EXPECT_TRUE(bothSettled());
        order.reset();
        ResultWindowTest::TearDown();
    }

    bool bothSettled()
    {
        return waitUntil([&] { return order->pendingRequests() == 0 && order->grid()->isEnabled(); }, 60000) &&
               waitUntil([&] { return form->pendingRequests() == 0 && runningRequestCount() == 0; }, 60000);
    }
    // Bibs typed into a row of the finishing order, left with the key.
    void inOrder(int row, const QString& bibs, Qt::Key key = Qt::Key_Return)
    {
        order->grid()->setCurrentIndex(order->grid()->model()->index(row, TRankListModel::colBibs));
        order->grid()->setFocus();
        order->grid()->openEditor();
        QTest::keyClicks(order->grid()->editorWidget(), bibs);
        QTest::keyClick(order->grid()->editorWidget(), key);
    }
    // "Rang|Startnr.|Team/Athlet" per row of the finishing order.
    QStringList orderRows() const
    {
        QStringList out;
        const QAbstractItemModel* m = order->grid()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 0).data().toString() + u'|' + m->index(r, 1).data().toString() + u'|' +
                       m->index(r, 2).data().toString();
        return out;
    }
    int finish = 0;
    std::unique_ptr<TAquireBibOrderForm> order;
};

// Bib 8 got rank 1 at another desk; bib 7 typed at rank 1 here is refused, naming Ben, and stays
// typed with the reason for the user to correct.
TEST_F(FinishingOrderBesideResults, ARankGivenAtAnotherDeskIsRefusedNamingWhoHoldsIt)
{
    StandinClient other(standin.port());
    other.das()->setResult(finish, 8, true, nullptr, 0, 0, sent(proto::ResultValueType::Rank, 1), 2);
    inOrder(0, QStringLiteral("7"));
    ASSERT_TRUE(bothSettled());
    EXPECT_EQ(storedRanks(*seed, finish, 2), QStringLiteral("1:8"));
    EXPECT_TRUE(recorder.messages.lines().contains(
        QStringLiteral("Ergebnis speichern: Rang 1, Startnummer 7: Der Rang 1 ist im 2. Versuch der Disziplin "
                       "Zieleinlauf bereits Ben Acker (Füchse) zugewiesen.")))
        << recorder.messages.lines().join(u'\n').toStdString();
    EXPECT_EQ(orderRows().first(), QStringLiteral("1|7|Der Rang 1 ist im 2. Versuch der Disziplin Zieleinlauf bereits "
                                                  "Ben Acker (Füchse) zugewiesen."))
        << "the typed bib with the reason, not beside Ben's name";
}

// Bib 7 typed at rank 3 moves there from rank 1; the result window shows the move.
TEST_F(FinishingOrderBesideResults, ABibMovedToAnotherRankMovesInTheResultWindow)
{
    inOrder(0, QStringLiteral("7"));
    inOrder(1, QStringLiteral("8"));
    ASSERT_TRUE(bothSettled());
    inOrder(2, QStringLiteral("7"));
    ASSERT_TRUE(bothSettled());
    EXPECT_EQ(storedRanks(*seed, finish, 2), QStringLiteral("2:8 3:7"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("3"));
}

// Bibs typed without Enter stay, once each, over the reloads of two stores in the result window
// that overlap on a slow server; the typed 14 shows without the name of Ben, whom the server holds
// at rank 2.
TEST_F(FinishingOrderBesideResults, TypedBibsStayOverOverlappingReloadsOfASlowServer)
{
    inOrder(0, QStringLiteral("7"));
    inOrder(1, QStringLiteral("8"));
    ASSERT_TRUE(bothSettled());
    inOrder(1, QStringLiteral("14"), Qt::Key_Down);
    inOrder(2, QStringLiteral("11"), Qt::Key_Up);
    standin.server().setAnswerDelay(std::chrono::milliseconds(1500));
    form->activateWindow();
    grid()->setFocus();
    enter(0, 2, QStringLiteral("5"));
    enter(2, 2, QStringLiteral("6"));
    ASSERT_TRUE(bothSettled());
    EXPECT_EQ(storedRanks(*seed, finish, 2), QStringLiteral("2:8 5:7 6:11"));
    EXPECT_EQ(orderRows(), (QStringList{QStringLiteral("1||"), QStringLiteral("2|14|"), QStringLiteral("3|11|"),
                                        QStringLiteral("4||"), QStringLiteral("5|7|Anna Berg (Füchse) "),
                                        QStringLiteral("6|11|Dan Dachs (Eulen) "), QStringLiteral("7||")}));
}

// Bibs typed one after the other at a slowed server with F5 between them: each stays in its row
// until it is stored. One the server refuses while another desk holds it shows red with its reason,
// the message names rank and bib, and Enter on the row sends it again.
TEST_F(FinishingOrderBesideResults, BibsTypedAtASlowServerStayInTheirRowsUntilStoredOrShowWhyNot)
{
    standin.stop();
    standin.options.writeWait = std::chrono::milliseconds(300);
    standin.start();
    competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
    const int savedWait = CommTimeouts::channelWaitMs;
    CommTimeouts::channelWaitMs = 300;
    const auto restore = qScopeGuard([&] { CommTimeouts::channelWaitMs = savedWait; });
    ProgramKeys keys(context);
    QApplication::setActiveWindow(order.get());
    order->grid()->setFocus();
    order->grid()->openEditor();
    const auto type = [](const QString& text) {
        for (QChar ch : text)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    };
    standin.server().setAnswerDelay(std::chrono::milliseconds(50));
    type(QStringLiteral("7\r8\r"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    type(QStringLiteral("11\r"));
    EXPECT_EQ(orderRows().mid(0, 3),
              (QStringList{QStringLiteral("1|7|"), QStringLiteral("2|8|"), QStringLiteral("3|11|")}));
    ASSERT_TRUE(bothSettled());
    EXPECT_EQ(storedRanks(*seed, finish, 2), QStringLiteral("1:7 2:8 3:11"));
    EXPECT_EQ(orderRows().mid(0, 3),
              (QStringList{QStringLiteral("1|7|Anna Berg (Füchse) "), QStringLiteral("2|8|Ben Acker (Füchse) "),
                           QStringLiteral("3|11|Dan Dachs (Eulen) ")}));

    StandinClient other(standin.port());
    other.begin(false);
    type(QStringLiteral("14\r"));
    ASSERT_TRUE(bothSettled());
    const QString busy = QStringLiteral("Transaktion starten: Server ausgelastet, bitte erneut versuchen");
    EXPECT_EQ(orderRows().at(3), QStringLiteral("4|14|") + busy);
    EXPECT_EQ(order->grid()->model()->index(3, 1).data(TRankListModel::kRefusedRole), QVariant(true));
    EXPECT_TRUE(
        recorder.messages.lines().contains(QStringLiteral("Ergebnis speichern: Rang 4, Startnummer 14: ") + busy))
        << recorder.messages.lines().join(u'\n').toStdString();
    other.rollback();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(bothSettled());
    EXPECT_EQ(storedRanks(*seed, finish, 2), QStringLiteral("1:7 2:8 3:11 4:14"));
    EXPECT_EQ(orderRows().at(3), QStringLiteral("4|14|Emil Kurz (Eulen) "));
}

// Bibs typed while the row of bib 7 is on its way leave together, in one transaction, each with its
// own answer: rank 3, given to bib 11 at another desk since the list was read, refuses bib 14 and
// shows red with the reason; bib 8 before it and bib 11 after it are stored.
TEST_F(FinishingOrderBesideResults, RowsTypedWhileOneIsOnItsWayLeaveTogetherEachWithItsOwnAnswer)
{
    auto transport = std::make_shared<HoldingTransport>();
    proto::setSoapTransport(transport);
    const auto restore = qScopeGuard([] { proto::setSoapTransport(nullptr); });
    StandinClient(standin.port())
        .das()
        ->setResult(finish, 11, true, nullptr, 0, 0, sent(proto::ResultValueType::Rank, 3), 2);
    const int first = transport->hold("commitTransaction", true, true);
    inOrder(0, QStringLiteral("7"));
    ASSERT_TRUE(waitUntil([&] { return transport->held(first); }, 10000));
    inOrder(1, QStringLiteral("8"));
    inOrder(2, QStringLiteral("14"));
    inOrder(3, QStringLiteral("11"));
    transport->release(first);
    ASSERT_TRUE(bothSettled());
    EXPECT_EQ(transport->writers, 2) << "bib 7 alone, then the three typed meanwhile";
    EXPECT_EQ(storedRanks(*seed, finish, 2), QStringLiteral("1:7 2:8 4:11"));
    const QString taken =
        QStringLiteral("Der Rang 3 ist im 2. Versuch der Disziplin Zieleinlauf bereits Dan Dachs (Eulen) zugewiesen.");
    EXPECT_EQ(orderRows().mid(0, 4),
              (QStringList{QStringLiteral("1|7|Anna Berg (Füchse) "), QStringLiteral("2|8|Ben Acker (Füchse) "),
                           QStringLiteral("3|14|") + taken, QStringLiteral("4|11|Dan Dachs (Eulen) ")}));
    EXPECT_EQ(order->grid()->model()->index(2, 1).data(TRankListModel::kRefusedRole), QVariant(true));
    EXPECT_TRUE(
        recorder.messages.lines().contains(QStringLiteral("Ergebnis speichern: Rang 3, Startnummer 14: ") + taken))
        << recorder.messages.lines().join(u'\n').toStdString();
}

using ResultAtTwoDesks = ResultWindowTest;

// Another desk deleted the team Füchse and with it Anna: her value is refused saying she is gone,
// the status line naming her, not "ID ... gehört nicht zur Veranstaltung".
TEST_F(ResultAtTwoDesks, AValueForAnAthleteDeletedAtAnotherDeskSaysSheIsGone)
{
    open(jump);
    StandinClient(standin.port()).cms()->removeTeam(foxes, true);
    enter(0, 1, QStringLiteral("3"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(model().cellStatusText(model().index(0, model().columnOfAttempt(1))),
              QStringLiteral("Status der Zelle(Anna Berg, Versuch 1): Fehler: Der Athlet existiert nicht mehr (an "
                             "einem anderen Platz gelöscht)."));
}

// Ben's 5 waits for a server another client holds, Anna's 4 and Ben's 6 wait behind it, and
// another desk stores Anna's 7 meanwhile. Escape on the grey 6 sends nothing; Escape on the grey 4
// on its way puts back the 7 it replaced, and the cell says whose value that is.
TEST_F(ResultAtTwoDesks, EscapeOnAGreyCellSendsNothingOrPutsBackWhatItsStoreReplaced)
{
    open(jump);
    StandinClient holder(standin.port());
    holder.begin(false);
    enter(1, 1, QStringLiteral("5"));
    enter(0, 1, QStringLiteral("4"));
    enter(1, 2, QStringLiteral("6"));
    go(1, 2);
    press(Qt::Key_Escape);
    EXPECT_EQ(shown(1, 2), QStringLiteral("-|%1|").arg(int(TSetResultStatus::sr_noResult)));
    // Ben's 5 waits at the server's write gate, the other desk behind it, Anna's 4 behind both.
    ASSERT_TRUE(standin.waitingComesTo(1));
    std::thread desk([this, port = standin.port()] {
        StandinClient other(port);
        other.begin(false);
        other.das()->setResult(jump, 0, nullptr, anna, 0, sent(proto::ResultValueType::Distance, 7), 1);
        other.commit();
    });
    EXPECT_TRUE(standin.waitingComesTo(2));
    standin.server().setAnswerDelay(std::chrono::milliseconds(100));
    holder.rollback();
    const bool annasOnItsWay = waitUntil([this] { return form->pendingRequests() == 1; }, 10000);
    go(0, 1);
    press(Qt::Key_Escape);
    desk.join();
    ASSERT_TRUE(annasOnItsWay && settled());
    standin.server().setAnswerDelay({});
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QStringLiteral("Distance 7"));
    EXPECT_EQ(stored(jump, 1, "athlete_id", ben), QStringLiteral("Distance 5"));
    EXPECT_EQ(stored(jump, 2, "athlete_id", ben), QString());
    EXPECT_EQ(shown(0, 1), QStringLiteral("7,00m|%1|Status der Zelle(Anna Berg, Versuch 1): Warnung: Ein anderer "
                                          "Arbeitsplatz hat inzwischen \"7,00m\" gespeichert; dieser Wert bleibt.")
                               .arg(int(TSetResultStatus::sr_warning)));
}

// Values typed faster than the server answers: those waiting when a store is answered leave
// together, in one transaction, and each is answered alone. Dan's, deleted at another desk, is
// refused and the others stay stored; Escape on Ben's 2 while its transaction is on its way puts
// back the 7 that desk had stored there, which the cell never showed.
TEST_F(ResultAtTwoDesks, StoresWaitingLeaveTogetherAndEachKeepsItsOwnAnswer)
{
    const int dan = seed->athlete(comp, QStringLiteral("Dan"), QStringLiteral("Dachs"), owls, 0, {11});
    seed->placeAthlete(jump, dan, 1);
    auto transport = std::make_shared<CountingTransport>();
    proto::setSoapTransport(transport);
    const auto restore = qScopeGuard([] { proto::setSoapTransport(nullptr); });
    open(jump);
    ASSERT_EQ(model().athleteId(2), dan);
    StandinClient other(standin.port());
    other.das()->setResult(jump, 0, nullptr, ben, 0, sent(proto::ResultValueType::Distance, 7), 2);
    other.cms()->removeAthlete(dan, true);
    standin.server().setAnswerDelay(std::chrono::milliseconds(100));
    enter(0, 1, QStringLiteral("4"));
    enter(1, 1, QStringLiteral("5"));
    enter(2, 1, QStringLiteral("6"));
    enter(0, 2, QStringLiteral("3"));
    enter(1, 2, QStringLiteral("2"));
    const bool fourOnTheirWay = waitUntil([this] { return form->pendingRequests() == 1; }, 10000);
    go(1, 2);
    press(Qt::Key_Escape);
    ASSERT_TRUE(fourOnTheirWay && settled());
    standin.server().setAnswerDelay({});
    EXPECT_EQ(transport->writers, 3) << "Anna's 4, the four typed meanwhile, the undo";
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QStringLiteral("Distance 4"));
    EXPECT_EQ(stored(jump, 1, "athlete_id", ben), QStringLiteral("Distance 5"));
    EXPECT_EQ(stored(jump, 2, "athlete_id", anna), QStringLiteral("Distance 3"));
    EXPECT_EQ(stored(jump, 2, "athlete_id", ben), QStringLiteral("Distance 7"));
    const auto state = [](TSetResultStatus s) { return QString::number(int(s)); };
    EXPECT_EQ(shown(1, 1), QStringLiteral("5,00m|") + state(TSetResultStatus::sr_uptodate) + u'|');
    EXPECT_EQ(shown(0, 2), QStringLiteral("3,00m|") + state(TSetResultStatus::sr_uptodate) + u'|');
    EXPECT_EQ(shown(2, 1), QStringLiteral("6|%1|Status der Zelle(Dan Dachs, Versuch 1): Fehler: Der Athlet existiert "
                                          "nicht mehr (an einem anderen Platz gelöscht).")
                               .arg(state(TSetResultStatus::sr_error)));
    EXPECT_EQ(shown(1, 2), QStringLiteral("7,00m|%1|Status der Zelle(Ben Acker, Versuch 2): Warnung: Ein anderer "
                                          "Arbeitsplatz hat inzwischen \"7,00m\" gespeichert; dieser Wert bleibt.")
                               .arg(state(TSetResultStatus::sr_warning)));
}

// Stores whose answer is lost on the way back. Anna's 4 landed, and Escape was pressed while it was
// on its way: the cell says that it is not known until the undo has read the server, which then
// holds what the cell shows. Ben's 5 landed too and is read back as stored. Anna's 3 never reached
// the server: read back, it shows red for Enter to send again.
TEST_F(ResultAtTwoDesks, AStoreWhoseAnswerIsLostIsReadBackBeforeItsCellClaimsAnything)
{
    auto transport = std::make_shared<HoldingTransport>();
    proto::setSoapTransport(transport);
    const auto restore = qScopeGuard([] { proto::setSoapTransport(nullptr); });
    open(jump);
    const auto state = [](TSetResultStatus s) { return QString::number(int(s)); };
    const QString lost = QStringLiteral("Verbindung zum Server fehlgeschlagen: Verbindung getrennt.");
    const QString readingBack = QStringLiteral("Nicht bekannt, ob gespeichert: %1 Der Wert wird beim Server "
                                               "nachgelesen.")
                                    .arg(lost);

    const int annasCommit = transport->hold("commitTransaction", true, false);
    enter(0, 1, QStringLiteral("4"));
    ASSERT_TRUE(waitUntil([&] { return transport->held(annasCommit); }, 10000));
    go(0, 1);
    press(Qt::Key_Escape);
    const int undo = transport->hold("beginTransaction", true, true);
    transport->release(annasCommit);
    ASSERT_TRUE(waitUntil([&] { return transport->held(undo); }, 10000));
    EXPECT_EQ(shown(0, 1),
              QStringLiteral("-|%1|Status der Zelle(Anna Berg, Versuch 1): ").arg(state(TSetResultStatus::sr_pending)) +
                  readingBack);
    transport->release(undo);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QString());
    EXPECT_EQ(shown(0, 1), QStringLiteral("-|%1|").arg(state(TSetResultStatus::sr_noResult)));

    const int bensCommit = transport->hold("commitTransaction", true, false);
    enter(1, 1, QStringLiteral("5"));
    ASSERT_TRUE(waitUntil([&] { return transport->held(bensCommit); }, 10000));
    const int readBack = transport->hold("beginTransaction", true, true);
    transport->release(bensCommit);
    ASSERT_TRUE(waitUntil([&] { return transport->held(readBack); }, 10000));
    EXPECT_EQ(
        shown(1, 1),
        QStringLiteral("5,00m|%1|Status der Zelle(Ben Acker, Versuch 1): ").arg(state(TSetResultStatus::sr_pending)) +
            readingBack);
    transport->release(readBack);
    ASSERT_TRUE(settled());
    EXPECT_EQ(shown(1, 1), QStringLiteral("5,00m|%1|").arg(state(TSetResultStatus::sr_uptodate)));

    transport->release(transport->hold("commitTransaction", false, false));
    enter(0, 2, QStringLiteral("3"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 2, "athlete_id", anna), QString());
    EXPECT_EQ(
        shown(0, 2),
        QStringLiteral("3|%1|Status der Zelle(Anna Berg, Versuch 2): Fehler: ").arg(state(TSetResultStatus::sr_error)) +
            lost);
    go(0, 2);
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 2, "athlete_id", anna), QStringLiteral("Distance 3"));
}

class ResultAtABusyServer : public ResultWindowTest {
protected:
    void SetUp() override
    {
        // A writer waits this long for the write lock before the server turns it away as busy.
        standin.options.writeWait = std::chrono::milliseconds(300);
        ResultWindowTest::SetUp();
        CommTimeouts::busyPauseMs = 50;
    }
    void TearDown() override
    {
        CommTimeouts::busyPauseMs = savedPause;
        ResultWindowTest::TearDown();
    }
    const int savedPause = CommTimeouts::busyPauseMs;
};

// Another client holds the write lock longer than the server lets a writer wait: the store, turned
// away as busy, is begun again after a pause and lands once the lock is free.
TEST_F(ResultAtABusyServer, AStoreTurnedAwayAsBusyIsTriedAgainAndLands)
{
    open(jump);
    StandinClient holder(standin.port());
    holder.begin(false);
    enter(0, 1, QStringLiteral("4"));
    QTest::qWait(800);
    EXPECT_EQ(state(0, 1), TSetResultStatus::sr_pending);
    holder.commit();
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QStringLiteral("Distance 4"));
    EXPECT_EQ(shown(0, 1), QStringLiteral("4,00m|%1|").arg(int(TSetResultStatus::sr_uptodate)));
    EXPECT_EQ(recorder.messages.lines(), QStringList());
}

// Another desk holds the write lock and goes on storing: Anna's 4, turned away as busy again and
// again, waits on for more than twice the request's time. Once that desk stands still, it is
// refused after the request's time, red with the reason, and Enter sends it again once the lock is
// free.
TEST_F(ResultAtABusyServer, AStoreWaitsOnWhileAnotherDeskStoresAndIsRefusedOnlyWhenItStandsStill)
{
    const int savedWait = CommTimeouts::channelWaitMs;
    CommTimeouts::channelWaitMs = 1500;
    auto transport = std::make_shared<CountingTransport>();
    proto::setSoapTransport(transport);
    const auto restore = qScopeGuard([&] {
        proto::setSoapTransport(nullptr);
        CommTimeouts::channelWaitMs = savedWait;
    });
    open(jump);
    StandinClient other(standin.port());
    other.begin(false);
    int step = 0;
    // Each try of this desk finds the other one a store further.
    transport->beforeWriter = [&] {
        other.das()->setResult(jump, 0, nullptr, cara, 0, sent(proto::ResultValueType::Distance, 1 + ++step % 9), 2);
    };
    transport->stepping = true;
    QElapsedTimer waited;
    waited.start();
    enter(0, 1, QStringLiteral("4"));
    const auto refused = [&] { return state(0, 1) == TSetResultStatus::sr_error; };
    ASSERT_TRUE(waitUntil([&] { return (transport->writers >= 10 && waited.elapsed() > 3000) || refused(); }, 60000));
    transport->stepping = false;
    ASSERT_EQ(state(0, 1), TSetResultStatus::sr_pending) << "still waiting its turn";
    ASSERT_TRUE(waitUntil(refused, 60000));
    EXPECT_EQ(shown(0, 1), QStringLiteral("4|%1|Status der Zelle(Anna Berg, Versuch 1): Fehler: Transaktion starten: "
                                          "Server ausgelastet, bitte erneut versuchen")
                               .arg(int(TSetResultStatus::sr_error)));
    other.commit();
    ASSERT_TRUE(settled());
    go(0, 1);
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QStringLiteral("Distance 4"));
    EXPECT_EQ(shown(0, 1), QStringLiteral("4,00m|%1|").arg(int(TSetResultStatus::sr_uptodate)));
}

} // namespace
} // namespace tvp::test
