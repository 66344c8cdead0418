// A discipline's participant and result-table answers as a server may send them (any heat
// numbers, attempts outside the range, duplicate and zero ids, empty places), then stored changes,
// confirmations and refusals, into the result cache: nothing crashes, nothing allocates or loops
// by a heat number, heats beyond 32767 are reported and every reader stays inside the rows.

#include "core/results/ResultCache.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

using namespace tvp;

namespace {

int anyInt(FuzzedDataProvider& in)
{
    // Small ids and attempts most of the time, so they meet; the edges now and then.
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: return in.ConsumeIntegral<int>();
    case 1: return 2147483647;
    case 2: return -1;
    default: return in.ConsumeIntegralInRange(0, 6);
    }
}

proto::ResultType anyResult(FuzzedDataProvider& in)
{
    proto::ResultType r;
    r.Type_ = static_cast<proto::ResultValueType>(in.ConsumeIntegralInRange(0, 4));
    r.DistanceInMeter = in.ConsumeFloatingPoint<double>();
    r.TimeInSeconds = in.ConsumeFloatingPoint<double>();
    r.Rank = anyInt(in);
    r.Info = static_cast<proto::ResultInfo>(in.ConsumeIntegralInRange(0, 3));
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool team = in.ConsumeBool();
    const auto assignment = static_cast<proto::ResultAssignmentType>(in.ConsumeIntegralInRange(0, 2));
    const int attempts = in.ConsumeIntegralInRange(-1, 6);
    const auto format = static_cast<TResultformat>(in.ConsumeIntegralInRange(0, 5));
    std::optional<std::vector<int>> heights;
    if (in.ConsumeBool())
        heights = std::vector<int>{100, 105, anyInt(in)};

    std::vector<proto::HeatParticipantsType> heats(in.ConsumeIntegralInRange(0, 6));
    for (proto::HeatParticipantsType& heat : heats) {
        heat.HeatNo = anyInt(in);
        heat.VersionedParticipants.resize(in.ConsumeIntegralInRange(0, 8));
        for (proto::VersionedParticipantsType& entry : heat.VersionedParticipants) {
            entry.Version = anyInt(in);
            switch (in.ConsumeIntegralInRange(0, 2)) {
            case 0: {
                proto::AthleteType a;
                a.AthleteID = anyInt(in);
                a.Bib = {anyInt(in)};
                if (in.ConsumeBool()) {
                    proto::TeamType t;
                    t.TeamID = anyInt(in);
                    a.Team = t;
                }
                entry.Athlete = a;
                break;
            }
            case 1: {
                proto::TeamWithAthletesType t;
                if (in.ConsumeBool()) {
                    proto::TeamType tt;
                    tt.TeamID = anyInt(in);
                    t.Team = tt;
                }
                entry.Team = t;
                break;
            }
            default: break; // an empty place
            }
        }
    }
    std::vector<proto::AssignedResultType> results(in.ConsumeIntegralInRange(0, 24));
    for (proto::AssignedResultType& r : results) {
        static_cast<proto::ResultType&>(r) = anyResult(in);
        r.AthleteId = anyInt(in);
        if (in.ConsumeBool())
            r.TeamId = {anyInt(in)};
        r.Attempt = anyInt(in);
        r.ResultID = anyInt(in);
    }

    int notified = 0;
    TResultCache cache(
        anyInt(in), team, assignment, proto::ResultValueType::Distance, QString(), attempts,
        [&](int, int) { ++notified; }, format, anyInt(in), heights);
    for (int load = 0; load < 2; ++load) {
        cache.Clear(load);
        addParticipantsToResultCache(cache, heats, results);
        bool outOfRange = false;
        for (const proto::HeatParticipantsType& heat : heats)
            outOfRange |= !heat.VersionedParticipants.empty() &&
                          (heat.HeatNo > TResultCache::kMaxHeat || heat.HeatNo < TResultCache::kMinHeat);
        if (outOfRange != !cache.takeLoadMessages().isEmpty())
            std::abort();
        if (cache.getNoOfHeats() > TResultCache::kMaxHeat)
            std::abort();
        for (const proto::HeatParticipantsType& heat : heats) {
            if (cache.getResultTable(heat.HeatNo).rows.size() != std::size_t(cache.getHeatRowCount(heat.HeatNo)))
                std::abort();
            for (int row = 0; row <= cache.getHeatRowCount(heat.HeatNo) + 1; ++row)
                for (int a = -1; a <= attempts + 1; ++a) {
                    cache.getStatusOf(heat.HeatNo, row, a);
                    cache.getErrMsg(heat.HeatNo, row, a);
                    cache.getNameOf(heat.HeatNo, row);
                    cache.assignedIdOfRow(heat.HeatNo, row);
                }
        }
        // Changes and answers as the window and the server may send them.
        for (int i = in.ConsumeIntegralInRange(0, 12); i > 0 && in.remaining_bytes() > 0; --i) {
            const int id = in.ConsumeBool() ? anyInt(in) : cache.assignedIdOfRow(anyInt(in), anyInt(in));
            const int attempt = anyInt(in);
            switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0: {
                const proto::ResultType r = anyResult(in);
                cache.addChange(id, attempt, in.ConsumeBool() ? &r : nullptr);
                break;
            }
            case 1:
                if (!cache.uncomittedChanges().empty())
                    cache.changeCommitted(cache.uncomittedChanges().front());
                break;
            case 2: cache.setError(id, attempt, QStringLiteral("x")); break;
            case 3: cache.setWarning(anyInt(in), attempt, QStringLiteral("w")); break;
            default: cache.beginEdit(anyInt(in), anyInt(in), attempt, QStringLiteral("1")); break;
            }
        }
        cache.hasUncommitedChanges();
        cache.cancelEdit();
    }
    return 0;
}
