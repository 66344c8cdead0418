#include "core/util/HashMap.h"

namespace tvp::detail {

std::size_t bucketOfKey(int key, std::size_t bucketCount)
{
    const unsigned magnitude = key < 0 ? 0u - unsigned(key) : unsigned(key);
    return magnitude % bucketCount;
}

} // namespace tvp::detail
