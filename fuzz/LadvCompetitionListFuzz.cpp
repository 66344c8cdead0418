// LADV's competition overview into the list parser: every input gives items or the format error.

#include "participants/LadvFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const auto list = tvp::parseCompetitionList(bytes);
        for (const auto& item : list)
            if (!item.competition)
                std::abort();
        if (tvp::openCompetitions(list).size() > list.size())
            std::abort();
    } catch (const tvp::ELadvError&) {
    }
    return 0;
}
