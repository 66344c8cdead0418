#include "core/connection/BatchRequest.h"

#include "core/connection/RequestContext.h"

namespace tvp {

TBatchObject::TBatchObject(std::shared_ptr<TBatchContext> context) : FContext(std::move(context))
{
}

TBatchObject::~TBatchObject()
{
    // A selection can make a chain of thousands of items; unlink it step by step, not recursively.
    std::unique_ptr<TBatchRequest> next = std::move(nextBatch);
    while (next)
        next = std::move(next->nextBatch);
}

TBatchResponse::TBatchResponse(TBatchRequest& request)
{
    takeChainOf(request);
}

void TBatchResponse::takeChainOf(TBatchRequest& request)
{
    FContext = request.getBatchContext();
    nextBatch = std::move(request.nextBatch);
}

std::unique_ptr<TBatchRequest> TBatchResponse::CleanForContinue()
{
    FContext.reset();
    return std::move(nextBatch);
}

TBatchContext& TBatchObject::ensureBatchContext()
{
    // A chain built without a context must still remember an answer for all; the later items'
    // responses take theirs from their requests, so those get it too.
    if (!FContext) {
        FContext = std::make_shared<TBatchContext>();
        for (TBatchObject* item = nextBatch.get(); item; item = item->nextBatch.get())
            if (!item->FContext)
                item->FContext = FContext;
    }
    return *FContext;
}

void TBatchResponse::handleRequestError(const QString& text, const QString& caption, int errorId, int handledErrorId,
                                        std::function<void(std::unique_ptr<TBatchRequest>)> queue,
                                        IBatchConfirmation& confirmation, QObject* window,
                                        std::function<void(THandleState)> decided)
{
    if (errorId != handledErrorId) {
        decided(THandleState::hs_ignored);
        return;
    }
    if (FContext && (FContext->isConfirmed(errorId) || FContext->isDeclined(errorId))) {
        decided(decide(FContext->isConfirmed(errorId), queue));
        return;
    }
    confirmation.askConfirm(
        text, caption, nextBatch != nullptr, window,
        [this, errorId, queue = std::move(queue), decided = std::move(decided)](const TConfirmAnswer& answer) {
            if (!answer.given) {
                decided(THandleState::hs_ignored);
                return;
            }
            if (answer.applyToAll) {
                if (answer.confirmed)
                    ensureBatchContext().setConfirmed(errorId);
                else
                    ensureBatchContext().setDeclined(errorId);
            }
            decided(decide(answer.confirmed, queue));
        });
}

THandleState TBatchResponse::decide(bool confirmed, const std::function<void(std::unique_ptr<TBatchRequest>)>& queue)
{
    if (confirmed)
        return THandleState::hs_confirmed;
    if (nextBatch) {
        queue(CleanForContinue());
        return THandleState::hs_continued;
    }
    return THandleState::hs_finished;
}

} // namespace tvp
