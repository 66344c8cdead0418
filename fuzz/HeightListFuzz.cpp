// A ".hls" file as a user may pick any file, and the stored list text as a server sends it: every
// input gives values, never a crash; the file's values are positive and stored texts survive a
// round through the list.

#include "organisation/HeightListRequests.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::vector<int> values = tvp::parseHeightListFile(bytes);
    for (int v : values)
        if (v <= 0)
            std::abort();
    if (tvp::parseHeightListFile(tvp::heightListFileBytes(values)).size() != values.size())
        std::abort();
    const std::vector<int> stored = tvp::parseHeightList(QString::fromUtf8(bytes));
    if (!stored.empty() && tvp::parseHeightList(tvp::joinHeightList(stored)).size() != stored.size())
        std::abort();
    return 0;
}
