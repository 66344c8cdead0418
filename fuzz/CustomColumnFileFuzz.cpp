// Custom column files through the reader, the column names and the athlete matching against a cup
// with namesakes in both lists: every input gives a log or the reader's error, and every store
// names a cup athlete and only cup columns.

#include "core/protocol/Errors.h"
#include "scoring/CustomColumnFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

tvp::proto::CupAthleteType athlete(int id, const char* given, const char* sur)
{
    tvp::proto::CupAthleteType a;
    a.AthleteID = id;
    a.Name = tvp::proto::AthleteNameType{QString::fromLatin1(given), QString::fromLatin1(sur)};
    return a;
}

tvp::proto::CustomColumnType column(int id, const char* name)
{
    tvp::proto::CustomColumnType c;
    c.ID = id;
    c.Name = QString::fromLatin1(name);
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const tvp::proto::getCupAthletesResponse cup = [] {
        tvp::proto::getCupAthletesResponse r;
        r.CompletedCupAthletes = {athlete(1, "Anna", "Muster"), athlete(2, "Anna", "Muster"), athlete(3, "Ben", "B")};
        r.PendingCupAthletes = {athlete(4, "Anna", "Muster"), athlete(5, "", "")};
        return r;
    }();
    static const std::vector<tvp::proto::CustomColumnType> columns = {column(7, "Shirt"), column(8, "Nr")};

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        tvp::TCustomDataList list(bytes, 1);
        tvp::matchCustomColumns(list, columns);
        const auto stores = tvp::matchCustomAthletes(list, cup);
        if (stores.size() > size_t(list.getNoOfAthletes()))
            std::abort();
        for (const auto& store : stores) {
            if (store.athleteId < 1 || store.athleteId > 5)
                std::abort();
            for (const auto& value : store.values)
                if (value.ColumnID != 7 && value.ColumnID != 8)
                    std::abort();
        }
    } catch (const tvp::TvpError&) {
    }
    return 0;
}
