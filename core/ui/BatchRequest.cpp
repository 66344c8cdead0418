#include "core/ui/BatchRequest.h"

#include "core/ui/ConfirmBatchDialog.h"

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

TBatchResponse::TBatchResponse(TBatchRequest& request) : TBatchObject(request.getBatchContext())
{
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
                                                int handledErrorId, TCommunicationThread& runner)
{
    if (errorId != handledErrorId)
        return THandleState::hs_ignored;

    bool confirmed = false;
    if (FContext && FContext->isConfirmed(errorId)) {
        confirmed = true;
    } else if (FContext && FContext->isDeclined(errorId)) {
        confirmed = false;
    } else {
        TConfirmBatchForm* form = ConfirmBatchForm();
        if (!form)
            return THandleState::hs_ignored;
        bool applyToAll = false;
        if (!form->showConfirmDialog(text, caption, nextBatch != nullptr, applyToAll, confirmed))
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
        runner.AddRequest(CleanForContinue(), TTransactionMode::tm_None);
        return THandleState::hs_continued;
    }
    return THandleState::hs_finished;
}

} // namespace tvp
