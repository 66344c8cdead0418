// Must not compile: the value that leaves the map is handed back, and dropping its owner would
// free it while the caller may still hold it. Built only by the test that expects the error.

#include "core/util/HashMap.h"

int main()
{
    tvp::TIntegerHashMap<int> map(4, true);
    map.put(1, new int(1));
    map.put(1, new int(2)); // the first value leaves here, unowned by anyone
    return 0;
}
