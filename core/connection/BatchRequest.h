#pragma once
// Edits of many items in one user action run as a chain of requests, one per item, each owning the
// next. When the server refuses an item because dependent data would be lost, the user is asked
// whether to force it, and may let the answer stand for every later item refused the same way.

#include "core/connection/CommunicationThread.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace tvp {

class IBatchConfirmation;
class TBatchRequest;

// The answers of one chain that hold for all its later items. Touched on the GUI thread only.
class TBatchContext {
public:
    bool isConfirmed(int errorId) const { return ConfirmList.contains(errorId); }
    bool isDeclined(int errorId) const { return DeclineList.contains(errorId); }
    void setConfirmed(int errorId) { ConfirmList.append(errorId); }
    void setDeclined(int errorId) { DeclineList.append(errorId); }

private:
    QList<int> ConfirmList; // answered "Ja" for all
    QList<int> DeclineList; // answered "Nein" for all
};

enum class THandleState {
    hs_ignored,   // not a question for the batch; the window reports the error itself
    hs_confirmed, // the window sends the item again with its force flag
    hs_continued, // item skipped, the next one is queued
    hs_finished   // item skipped, nothing follows
};

class TBatchObject {
public:
    explicit TBatchObject(std::shared_ptr<TBatchContext> context = nullptr);
    virtual ~TBatchObject();
    TBatchObject(const TBatchObject&) = delete;
    TBatchObject& operator=(const TBatchObject&) = delete;
    // Moving hands over the item with its context and the rest of its chain.
    TBatchObject(TBatchObject&&) noexcept = default;
    TBatchObject& operator=(TBatchObject&&) noexcept = default;

    // Shared by every request and response of the chain; it lives until the last of them is gone.
    const std::shared_ptr<TBatchContext>& getBatchContext() const { return FContext; }
    void setBatchContext(std::shared_ptr<TBatchContext> context) { FContext = std::move(context); }
    void freeBatchContext() { FContext.reset(); }

    // The request to run after this one; null at the end of the chain.
    std::unique_ptr<TBatchRequest> nextBatch;

protected:
    // The context, made when the chain has none and then shared with every later item without one.
    TBatchContext& ensureBatchContext();

    std::shared_ptr<TBatchContext> FContext;
};

// Base of the windows' batch requests.
class TBatchRequest : public TRequest, public TBatchObject {
public:
    explicit TBatchRequest(std::shared_ptr<TBatchContext> context = nullptr) : TBatchObject(std::move(context)) {}
};

// Base of the windows' batch responses, made for each request; it owns the rest of the chain until
// the chain is continued.
class TBatchResponse : public TResponse, public TBatchObject {
public:
    explicit TBatchResponse(std::shared_ptr<TBatchContext> context = nullptr) : TBatchObject(std::move(context)) {}
    // Takes over the request's context and next batch.
    explicit TBatchResponse(TBatchRequest& request);

    // The same for a response made before it knew its request.
    void takeChainOf(TBatchRequest& request);

    // Gives up the context and hands the next batch to the caller, who queues it.
    [[nodiscard]] std::unique_ptr<TBatchRequest> CleanForContinue();

    // Decides about a refused item: asks the user through confirmation (or applies an earlier
    // answer for all) when the server's errorId is the one handled here, and hands the skipped
    // item's successor to queue (which sends it with tm_None). The question waits in front of
    // window without holding the program; decided gets the state once the user answered (at once
    // when nothing is asked), never when the question went unanswered with its window. The
    // response must live until then.
    void handleRequestError(const QString& text, const QString& caption, int errorId, int handledErrorId,
                            std::function<void(std::unique_ptr<TBatchRequest>)> queue, IBatchConfirmation& confirmation,
                            QObject* window, std::function<void(THandleState)> decided);

private:
    THandleState decide(bool confirmed, const std::function<void(std::unique_ptr<TBatchRequest>)>& queue);
};

} // namespace tvp
