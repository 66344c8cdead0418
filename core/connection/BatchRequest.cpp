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

THandleState TBatchResponse::handleRequestError(const QString& text, const QString& caption, int errorId,
                                                int handledErrorId, TCommunicationThread& runner,
                                                IBatchConfirmation& confirmation)
{
    return handleRequestError(
        text, caption, errorId, handledErrorId,
        [&runner](std::unique_ptr<TBatchRequest> next) {
            runner.AddRequest(std::move(next), TTransactionMode::tm_None);
        },
        confirmation);
}

THandleState TBatchResponse::handleRequestError(const QString& text, const QString& caption, int errorId,
                                                int handledErrorId,
                                                const std::function<void(std::unique_ptr<TBatchRequest>)>& queue,
                                                IBatchConfirmation& confirmation)
{
    if (errorId != handledErrorId)
        return THandleState::hs_ignored;

    bool confirmed = false;
    if (FContext && FContext->isConfirmed(errorId)) {
        confirmed = true;
    } else if (FContext && FContext->isDeclined(errorId)) {
        confirmed = false;
    } else {
        bool applyToAll = false;
        if (!confirmation.showConfirmDialog(text, caption, nextBatch != nullptr, applyToAll, confirmed))
            return THandleState::hs_ignored;
        if (applyToAll) {
            if (confirmed)
                ensureBatchContext().setConfirmed(errorId);
            else
                ensureBatchContext().setDeclined(errorId);
        }
    }

    if (confirmed)
        return THandleState::hs_confirmed;
    if (nextBatch) {
        queue(CleanForContinue());
        return THandleState::hs_continued;
    }
    return THandleState::hs_finished;
}

} // namespace tvp
