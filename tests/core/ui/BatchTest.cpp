// Chains of requests on the request road against the stand-in, with its refusals answered in the
// batch confirmation window by a scripted user.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/RequestRoad.h"
#include "core/ui/ConfirmBatchDialog.h"
#include "core/ui/WindowContext.h"
#include "tests/support/StandinHarness.h"
#include "tests/core/ui/ShellFixture.h"
#include "tests/support/CompetitionRequests.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestUtil.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace tvp;
using namespace tvp::test;

namespace {

const QString kCaption = QStringLiteral("Veranstaltung anlegen");

// The user's answer: ticks the apply-to-all box first when told to (even a hidden one, which a
// user could not), then presses the button; notes whether the box was offered.
std::function<int(QWidget&)> answer(const QString& buttonText, bool tickForAll, bool* boxOffered = nullptr)
{
    return [=](QWidget& window) {
        auto* box = window.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
        if (boxOffered)
            *boxOffered = box->isVisible() && box->isEnabled();
        EXPECT_FALSE(box->isChecked()) << "the box starts unticked for every question";
        EXPECT_EQ(window.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(), kReplaceQuestion);
        box->setChecked(tickForAll);
        for (QPushButton* b : window.findChildren<QPushButton*>())
            if (b->text() == buttonText)
                b->click();
        return 0;
    };
}

class BatchTest : public ShellTest {
protected:
    using Road = TRequestRoad<TCompetitionRequest, TCompetitionResponse>;

    void SetUp() override
    {
        ShellTest::SetUp();
        InitComm();
        server.start();
        competitionUrlHolderInstance().setServerUrl(server.serverAddress());
        context.setMessageSink(&messages);
        road = std::make_unique<Road>(context, competitionRequests(), &window,
                                      [this](std::unique_ptr<TCompetitionResponse> r, const TRequestOutcome& o) {
                                          // A window reports what it must, and goes on with the chain.
                                          outcomes.push_back(o);
                                          if (!o.ok() && !o.declined)
                                              road->report(o);
                                          if (o.ok() && r)
                                              road->continueBatch(*r);
                                      });
    }
    void TearDown() override
    {
        road.reset();
        ShellTest::TearDown();
    }

    bool run(std::unique_ptr<TCompetitionRequest> chain)
    {
        outcomes.clear();
        road->AddRequest(std::move(chain), TTransactionMode::tm_None);
        return waitUntil([this] { return road->pending() == 0 && runningRequestCount() == 0; }, 10000);
    }
    // One after the other, so the server numbers them in this order.
    void existing(const QStringList& names)
    {
        for (const QString& name : names) {
            road->AddRequest(competitionRequest(rt_create, name), TTransactionMode::tm_None);
            ASSERT_TRUE(waitUntil([this] { return road->pending() == 0; }, 10000));
        }
    }
    QStringList names() { return server.client().competitionNames(); }

    StandinHarness server;
    TCurrentCompetition competition;
    TWindowContext context{competition, programWindows()};
    RecordingMessages messages;
    TConfirmBatchForm confirm{context};
    QObject window;
    std::unique_ptr<Road> road;
    std::vector<TRequestOutcome> outcomes;
    std::shared_ptr<TBatchContext> batch = std::make_shared<TBatchContext>();
};

} // namespace

TEST_F(BatchTest, YesForAllForcesLaterItemsWithTheSameIdWithoutAsking)
{
    // Also for a chain built without a context: the answer must be remembered all the same.
    const std::vector<std::pair<std::shared_ptr<TBatchContext>, QStringList>> runs{{batch, {"A", "B", "C"}},
                                                                                   {nullptr, {"D", "E", "F"}}};
    for (const auto& [shared, chain] : runs) {
        existing({chain[0], chain[2]});
        bool offered = false;
        script->expectWindow(kCaption, answer(QStringLiteral("Ja"), true, &offered));
        script->seen.clear();

        ASSERT_TRUE(run(competitionChain(rt_create, chain, shared)));

        EXPECT_TRUE(offered);
        EXPECT_EQ(script->seen.size(), 1u);
        ASSERT_EQ(outcomes.size(), 3u);
        EXPECT_TRUE(std::all_of(outcomes.begin(), outcomes.end(), [](const TRequestOutcome& o) { return o.ok(); }));
    }
    // The forced ones replaced the old ones, so the server numbered every one anew, in chain order.
    EXPECT_EQ(names(), (QStringList{"A", "B", "C", "D", "E", "F"}));
    EXPECT_TRUE(batch->isConfirmed(kNameInUse));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(BatchTest, NoForAllSkipsLaterItemsAndTheChainGoesOn)
{
    existing({"A", "C", "D"});
    script->expectWindow(kCaption, answer(QStringLiteral("Nein"), true));

    ASSERT_TRUE(run(competitionChain(rt_create, {"A", "B", "C", "D"}, batch)));

    EXPECT_EQ(names(), (QStringList{"A", "C", "D", "B"}));
    // B went through; A and C were skipped unheard; D ended the chain, which the window hears of.
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_TRUE(outcomes[0].ok());
    EXPECT_TRUE(outcomes[1].declined);
    EXPECT_TRUE(batch->isDeclined(kNameInUse));
    EXPECT_FALSE(batch->isConfirmed(kNameInUse));
    EXPECT_TRUE(messages.messages.empty()) << "a declined item is nothing to report";
}

// "Ja" forces what the server refused: Enter, perhaps meant for another window, answers "Nein".
TEST_F(BatchTest, EnterAnswersNo)
{
    existing({"A"});
    script->expectWindow(kCaption, [](QWidget& window) {
        QApplication::setActiveWindow(&window);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        return 0;
    });
    ASSERT_TRUE(run(competitionChain(rt_create, {"A"}, batch)));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].declined);
    EXPECT_EQ(names(), QStringList{"A"});
}

TEST_F(BatchTest, WithoutTheBoxEveryItemIsAskedAndTheLastOneCannotBeRemembered)
{
    existing({"A", "B", "C"});
    bool firstOffered = false;
    bool lastOffered = true;
    script->expectWindow(kCaption, answer(QStringLiteral("Ja"), false, &firstOffered));
    script->expectWindow(kCaption, answer(QStringLiteral("Nein"), false));
    // The last item: the box is hidden, so even a ticked one must not count.
    script->expectWindow(kCaption, answer(QStringLiteral("Nein"), true, &lastOffered));

    ASSERT_TRUE(run(competitionChain(rt_create, {"A", "B", "C"}, batch)));

    EXPECT_TRUE(firstOffered);
    EXPECT_FALSE(lastOffered);
    EXPECT_EQ(names(), (QStringList{"B", "C", "A"})) << "only A was forced";
    EXPECT_FALSE(batch->isConfirmed(kNameInUse));
    EXPECT_FALSE(batch->isDeclined(kNameInUse));
}

TEST_F(BatchTest, CancelAndOtherErrorIdsAreLeftToTheWindowAndTheRestOfTheChainIsDropped)
{
    existing({"A"});
    script->expectWindow(kCaption, answer(QStringLiteral("Abbrechen"), true));
    ASSERT_TRUE(run(competitionChain(rt_create, {"A", "B", "C"}, batch)));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].errorId, kNameInUse);
    EXPECT_FALSE(outcomes[0].declined);
    EXPECT_EQ(names(), QStringList{"A"}) << "B and C went with the response";
    EXPECT_FALSE(batch->isConfirmed(kNameInUse) || batch->isDeclined(kNameInUse));

    // Not an id this window asks about: no question, even with an answer for all of another id.
    batch->setConfirmed(kNameInUse);
    ASSERT_TRUE(run(competitionChain(rt_remove, {"999", "1"}, batch)));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].errorId, kCompetitionNotFound);
    EXPECT_EQ(names(), QStringList{"A"});
    EXPECT_EQ(script->seen.size(), 1u);

    // Both refusals the window reported, under the request's name.
    EXPECT_EQ(
        messages.lines(),
        (QStringList{kCaption + QStringLiteral(": Eine Veranstaltung mit dem Namen A existiert bereits."),
                     QStringLiteral("Veranstaltung löschen: Die Veranstaltung mit der ID 999 existiert nicht.")}));
}
