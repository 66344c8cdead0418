#pragma once
// Stores of a window that wait while one is on its way leave together, in one read-write
// transaction, each answered on its own: the server runs every request of a transaction in a
// savepoint, so a refused store is undone alone and the others stay. A transaction that fails as
// a whole stored none of them. The result grid and the finishing order send their stores so.

#include "core/connection/RequestRoad.h"

#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

namespace tvp {

// Stores waiting when the one on its way is answered leave together, at most this many: a
// transaction holds the server's write lock for its read, its stores and its commit. At 3 s per
// answer six hold it 24 s; others wait their turn meanwhile.
inline constexpr std::size_t kStoresPerTransaction = 6;

// Thrown by a store refused after part of it was written: the whole transaction fails with the
// server's refusal, so that no half of a store stays.
class EStoreBatchFailed : public ETvExceptionDetail {
public:
    using ETvExceptionDetail::ETvExceptionDetail;
};

// Worker side: store(item, i) for each item in order. A refusal of the server (its fault, with or
// without detail) is refused(i, outcome) and the next item goes on; anything else fails the whole
// request, and a store whose answer never came may have landed (kWriteInDoubtError).
template <class Items, class Store, class Refused>
void storeEach(const Items& items, Store&& store, Refused&& refused)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto outcome = [](const TvpError& e, int id, QStringList parameters) {
            TRequestOutcome o;
            o.error = e.message().isEmpty() ? kErrUnknown : e.message();
            o.errorId = id;
            o.parameters = std::move(parameters);
            return o;
        };
        try {
            store(items[i], i);
        } catch (const EStoreBatchFailed&) {
            throw;
        } catch (const ETvExceptionDetail& e) {
            refused(i, outcome(e, e.ExceptionID, e.ExceptionParameters));
        } catch (const ESoapFault& e) {
            refused(i, outcome(e, 0, {}));
        } catch (const ESoapTransportError& e) {
            throw ETvExceptionDetail(e.message(), kWriteInDoubtError);
        } catch (const ESoapDecodeError& e) {
            throw ETvExceptionDetail(e.message(), kWriteInDoubtError);
        }
    }
}

// GUI side: the stores waiting at the front of the queue that leave together, at most max of them:
// taken while fits(next, taken so far) holds.
template <class T, class Fits>
std::vector<T> takeTogether(std::deque<T>& queue, std::size_t max, Fits&& fits)
{
    std::vector<T> taken;
    while (!queue.empty() && taken.size() < max && (taken.empty() || fits(queue.front(), taken))) {
        taken.push_back(std::move(queue.front()));
        queue.pop_front();
    }
    return taken;
}

// GUI side: what became of one store of a batch. A transaction that went through answers each store
// with its own outcome (own; none came back: the store is unaccounted for); one that failed answers
// every store with its failure.
inline TRequestOutcome storeOutcome(const TRequestOutcome& batch, const TRequestOutcome* own)
{
    if (!batch.ok())
        return batch;
    TRequestOutcome o = batch;
    o.error = own ? own->error : kErrUnknown;
    o.errorId = own ? own->errorId : 0;
    o.parameters = own ? own->parameters : QStringList();
    return o;
}

} // namespace tvp
