// Any result-unit pattern (server data) against any value: a text or EInvalidResultUnitPattern,
// nothing else leaves, and no text grows beyond what the pattern's own length allows.

#include "results/ResultUnitParser.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    double value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    // Patterns are single-byte texts.
    const QString pattern = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QString text = tvp::parseResultValue(pattern, value);
        // Each operator gives at most a number of 30 digits each side of the separator (or a
        // huge value's 310 integer digits) or a text already in the pattern.
        if (text.size() > (pattern.size() + 1) * 400)
            std::abort();
    } catch (const tvp::EInvalidResultUnitPattern& e) {
        if (e.message().isEmpty())
            std::abort();
    }
    return 0;
}
