// Chains of deletes through a real request runner, with the server's refusals played by the test
// and the user's answers given in the confirmation window.

#include "core/ui/BatchRequest.h"
#include "core/connection/CommunicationThread.h"
#include "core/ui/ConfirmBatchDialog.h"
#include "tests/core/ui/ShellFixture.h"
#include "tests/support/TestUtil.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <atomic>
#include <map>

using namespace tvp;
using namespace tvp::test;

namespace {

const QString kCaption = QStringLiteral("Athleten löschen");
const QString kQuestion = QStringLiteral("Der Athlet hat bereits Ergebnisse. Trotzdem löschen?");
constexpr int kResultsExist = 45;

struct DeleteRequest : TBatchRequest {
    DeleteRequest(int item_, std::shared_ptr<TBatchContext> context, bool force_ = false)
        : TBatchRequest(std::move(context)), item(item_), force(force_)
    {
    }
    ~DeleteRequest() override { ++freed; }
    int item;
    bool force;
    static inline std::atomic<int> freed{0}; // also freed on worker threads
};

struct DeleteResponse : TBatchResponse {
    explicit DeleteResponse(DeleteRequest& r) : TBatchResponse(r), item(r.item), force(r.force) {}
    int item;
    bool force;
};

std::unique_ptr<TBatchRequest> chainOf(const std::vector<int>& items, const std::shared_ptr<TBatchContext>& context)
{
    std::unique_ptr<TBatchRequest> head;
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        auto request = std::make_unique<DeleteRequest>(*it, context);
        request->nextBatch = std::move(head);
        head = std::move(request);
    }
    return head;
}

// Does with a chain what a list window does: an item the "server" refuses goes to the batch
// confirmation and a confirmed one is sent again forced with the rest of the chain; a deleted
// item queues the next one.
struct DeletingWindow {
    explicit DeletingWindow(std::initializer_list<std::pair<const int, int>> refusals_) : refusals(refusals_)
    {
        runner.commandCallback = [](proto::THTTPRIO*, TRequest* request, std::unique_ptr<TResponse>& response,
                                    TSoapThread*) {
            response = std::make_unique<DeleteResponse>(static_cast<DeleteRequest&>(*request));
        };
        runner.OnFinished = [this](std::unique_ptr<TResponse> r, const QString&, int, const QStringList&, quint32) {
            finished(static_cast<DeleteResponse&>(*r));
        };
    }
    bool run(std::unique_ptr<TBatchRequest> chain)
    {
        runner.AddRequest(std::move(chain), TTransactionMode::tm_None);
        return waitUntil([this] { return ended && runningRequestCount() == 0; });
    }
    void finished(DeleteResponse& response)
    {
        const auto refusal = refusals.find(response.item);
        if (refusal != refusals.end() && !response.force) {
            states.push_back(response.handleRequestError(kQuestion, kCaption, refusal->second, kResultsExist, runner));
            if (states.back() == THandleState::hs_confirmed) {
                auto retry = std::make_unique<DeleteRequest>(response.item, response.getBatchContext(), true);
                retry->nextBatch = response.CleanForContinue();
                runner.AddRequest(std::move(retry), TTransactionMode::tm_None);
            }
            ended = states.back() == THandleState::hs_ignored || states.back() == THandleState::hs_finished;
            return;
        }
        deleted << QString::number(response.item) + (response.force ? QStringLiteral("!") : QString());
        ended = !response.nextBatch;
        if (response.nextBatch)
            runner.AddRequest(response.CleanForContinue(), TTransactionMode::tm_None);
    }

    std::map<int, int> refusals; // item -> the server's error id
    QStringList deleted;         // "2", or "1!" when forced
    std::vector<THandleState> states;
    bool ended = false;
    TCommunicationThread runner;
};

// The user's answer: ticks the apply-to-all box first when told to (even a hidden one, which a
// user could not), then presses the button; notes whether the box was offered.
std::function<int(QWidget&)> answer(const QString& buttonText, bool tickForAll, bool* boxOffered = nullptr)
{
    return [=](QWidget& window) {
        auto* box = window.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
        if (boxOffered)
            *boxOffered = box->isVisible() && box->isEnabled();
        EXPECT_FALSE(box->isChecked()) << "the box starts unticked for every question";
        EXPECT_EQ(window.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(), kQuestion);
        box->setChecked(tickForAll);
        for (QPushButton* b : window.findChildren<QPushButton*>())
            if (b->text() == buttonText)
                b->click();
        return 0;
    };
}

class BatchTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        InitComm();
        DeleteRequest::freed = 0;
    }

    TConfirmBatchForm confirm;
    std::shared_ptr<TBatchContext> context = std::make_shared<TBatchContext>();
};

} // namespace

TEST_F(BatchTest, YesForAllForcesLaterItemsWithTheSameIdWithoutAsking)
{
    // Also for a chain built without a context: the answer must be remembered all the same.
    for (const std::shared_ptr<TBatchContext>& shared : {context, std::shared_ptr<TBatchContext>()}) {
        DeletingWindow window({{1, kResultsExist}, {3, kResultsExist}});
        bool offered = false;
        script->expectWindow(kCaption, answer(QStringLiteral("Ja"), true, &offered));
        script->seen.clear();

        ASSERT_TRUE(window.run(chainOf({1, 2, 3}, shared)));

        EXPECT_TRUE(offered);
        EXPECT_EQ(window.deleted, (QStringList{"1!", "2", "3!"}));
        EXPECT_EQ(window.states, (std::vector{THandleState::hs_confirmed, THandleState::hs_confirmed}));
        EXPECT_EQ(script->seen.size(), 1u);
    }
    EXPECT_TRUE(context->isConfirmed(kResultsExist));
}

TEST_F(BatchTest, NoForAllSkipsLaterItemsAndTheChainGoesOnOnTheRunner)
{
    DeletingWindow window({{1, kResultsExist}, {3, kResultsExist}, {4, kResultsExist}});
    script->expectWindow(kCaption, answer(QStringLiteral("Nein"), true));

    ASSERT_TRUE(window.run(chainOf({1, 2, 3, 4}, context)));

    EXPECT_EQ(window.deleted, QStringList{"2"});
    EXPECT_EQ(window.states,
              (std::vector{THandleState::hs_continued, THandleState::hs_continued, THandleState::hs_finished}));
    EXPECT_TRUE(context->isDeclined(kResultsExist));
    EXPECT_FALSE(context->isConfirmed(kResultsExist));
    EXPECT_EQ(DeleteRequest::freed, 4);
}

TEST_F(BatchTest, WithoutTheBoxEveryItemIsAskedAndTheLastOneCannotBeRemembered)
{
    DeletingWindow window({{1, kResultsExist}, {2, kResultsExist}, {3, kResultsExist}});
    bool firstOffered = false;
    bool lastOffered = true;
    script->expectWindow(kCaption, answer(QStringLiteral("Ja"), false, &firstOffered));
    script->expectWindow(kCaption, answer(QStringLiteral("Nein"), false));
    // The last item: the box is hidden, so even a ticked one must not count.
    script->expectWindow(kCaption, answer(QStringLiteral("Nein"), true, &lastOffered));

    ASSERT_TRUE(window.run(chainOf({1, 2, 3}, context)));

    EXPECT_TRUE(firstOffered);
    EXPECT_FALSE(lastOffered);
    EXPECT_EQ(window.deleted, QStringList{"1!"});
    EXPECT_EQ(window.states,
              (std::vector{THandleState::hs_confirmed, THandleState::hs_continued, THandleState::hs_finished}));
    EXPECT_FALSE(context->isConfirmed(kResultsExist));
    EXPECT_FALSE(context->isDeclined(kResultsExist));
}

TEST_F(BatchTest, CancelAndOtherErrorIdsAreLeftToTheWindowAndFreeTheRestOfTheChain)
{
    DeletingWindow cancelled({{1, kResultsExist}});
    script->expectWindow(kCaption, answer(QStringLiteral("Abbrechen"), true));
    ASSERT_TRUE(cancelled.run(chainOf({1, 2, 3}, context)));
    EXPECT_EQ(cancelled.states, std::vector{THandleState::hs_ignored});
    EXPECT_TRUE(cancelled.deleted.isEmpty());
    EXPECT_EQ(DeleteRequest::freed, 3) << "items 2 and 3 go with the response";
    EXPECT_FALSE(context->isConfirmed(kResultsExist) || context->isDeclined(kResultsExist));

    // Not the id this window asks about: no question, even with an answer for all of another id.
    context->setConfirmed(kResultsExist);
    DeletingWindow other({{1, 47}});
    ASSERT_TRUE(other.run(chainOf({1, 2}, context)));
    EXPECT_EQ(other.states, std::vector{THandleState::hs_ignored});
    EXPECT_EQ(script->seen.size(), 1u);
    EXPECT_EQ(DeleteRequest::freed, 5);
}
