#pragma once
// The wire contract: every operation with its arguments in order and every record with its fields
// in order, as text. docs/wire-contract.txt holds the agreed version and a test compares the two,
// so no element name or order changes unnoticed. Regenerate after an intended change with
//   cmake --build build --target wire-contract

#include "core/protocol/ServiceOperations.h"

#include <set>
#include <string>

namespace tvp::proto {

// Records of the protocol that no operation argument or result carries: the request elements of
// four operations and the LADV exchange list.
using RecordsOutsideOperations = std::tuple<setUiInfo, createAgeClass, addTeam, addAthlete, CompetitionList>;

namespace detail {

template <class T, class F>
void visitRecordsIn(std::set<std::string_view>& seen, F& f)
{
    if constexpr (Record<T>) {
        if (!seen.insert(T::tvpName).second)
            return;
        f.template operator()<T>();
        if constexpr (!std::is_void_v<typename T::tvpBase>)
            visitRecordsIn<typename T::tvpBase>(seen, f);
        applyFields(
            [&](const auto&... field) {
                (visitRecordsIn<std::remove_cvref_t<decltype(std::declval<T&>().*(field.member))>>(seen, f), ...);
            },
            T::fields());
    } else if constexpr (IsOwned<T>::value) {
        visitRecordsIn<typename IsOwned<T>::Item>(seen, f);
    } else if constexpr (IsVector<T>::value) {
        visitRecordsIn<typename IsVector<T>::Item>(seen, f);
    }
}

} // namespace detail

// Calls f.template operator()<R>() once for every record of the protocol: those reachable from
// the operations' arguments and results, then RecordsOutsideOperations.
template <class F>
void forEachRecord(F&& f)
{
    std::set<std::string_view> seen;
    forEachOperation([&]<Operation Op>() {
        applyFields(
            [&](const auto&... field) {
                (detail::visitRecordsIn<std::remove_cvref_t<decltype(std::declval<Op&>().*(field.member))>>(seen, f),
                 ...);
            },
            Op::fields());
        if constexpr (!std::is_void_v<typename Op::Result>)
            detail::visitRecordsIn<typename Op::Result>(seen, f);
    });
    [&]<class... R>(std::tuple<R...>*) {
        (detail::visitRecordsIn<R>(seen, f), ...);
    }(static_cast<RecordsOutsideOperations*>(nullptr));
}

// The contract text, as docs/wire-contract.txt holds it.
std::string wireContractText();

} // namespace tvp::proto
