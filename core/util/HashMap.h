#pragma once
// Integer-keyed map of objects with a bucket count fixed at creation: it never grows or rehashes,
// so windows size it for their data. Each bucket keeps its pairs in insertion order.

#include <memory>
#include <utility>
#include <vector>

namespace tvp {

namespace detail {
// The key's absolute value taken as unsigned (so INT_MIN works too), modulo the bucket count.
std::size_t bucketOfKey(int key, std::size_t bucketCount);
} // namespace detail

template <class T>
class TIntegerHashMap {
public:
    // Frees a value only when it comes from a map that owns its values.
    struct ValueDeleter {
        bool owns = false;
        void operator()(T* value) const
        {
            if (owns)
                delete value;
        }
    };
    using Value = std::unique_ptr<T, ValueDeleter>;

    // A bucket count below 1 is taken as 1. With freeValues the map owns what is put into it.
    TIntegerHashMap(int bucketCount, bool freeValues)
        : buckets_(std::size_t(bucketCount < 1 ? 1 : bucketCount)), freeValues_(freeValues)
    {
    }

    TIntegerHashMap(const TIntegerHashMap&) = delete;
    TIntegerHashMap& operator=(const TIntegerHashMap&) = delete;
    TIntegerHashMap(TIntegerHashMap&&) = default;
    TIntegerHashMap& operator=(TIntegerHashMap&&) = default;

    // Present key: a value replaces the stored one, nullptr removes the pair. New key: a value is
    // appended to its bucket, nullptr does nothing. Putting the stored value again changes nothing.
    // Whatever leaves the map is handed back and the map forgets it. From an owning map the
    // result frees that value when dropped: release() keeps it, reset() frees it at once. From a
    // map that does not own, nothing is ever freed. Dropping the result does not compile (the
    // project builds with -Werror=unused-result): a dropped owner would free a value that the
    // caller may still hold from get().
    [[nodiscard]] Value put(int key, T* value)
    {
        auto& bucket = bucketOf(key);
        for (auto it = bucket.begin(); it != bucket.end(); ++it) {
            if (it->first != key)
                continue;
            if (it->second.get() == value)
                return Value(nullptr, deleter());
            if (value)
                return Value(std::exchange(it->second, Value(value, deleter())).release(), deleter());
            Value removed = std::move(it->second);
            bucket.erase(it);
            return removed;
        }
        if (value)
            bucket.emplace_back(key, Value(value, deleter()));
        return Value(nullptr, deleter());
    }

    [[nodiscard]] T* get(int key) const
    {
        for (const auto& [k, v] : buckets_[detail::bucketOfKey(key, buckets_.size())])
            if (k == key)
                return v.get();
        return nullptr;
    }

    [[nodiscard]] int getCount() const
    {
        std::size_t n = 0;
        for (const auto& bucket : buckets_)
            n += bucket.size();
        return int(n);
    }
    [[nodiscard]] int count() const { return getCount(); }
    [[nodiscard]] bool isEmpty() const { return getCount() == 0; }

    // Bucket by bucket, insertion order within a bucket; the values stay where they are owned.
    [[nodiscard]] std::vector<T*> createListFromValues() const
    {
        std::vector<T*> values;
        for (const auto& bucket : buckets_)
            for (const auto& pair : bucket)
                values.push_back(pair.second.get());
        return values;
    }

    [[nodiscard]] int bucketCount() const { return int(buckets_.size()); }
    [[nodiscard]] bool ownsValues() const { return freeValues_; }

private:
    using Bucket = std::vector<std::pair<int, Value>>;

    ValueDeleter deleter() const { return ValueDeleter{freeValues_}; }
    Bucket& bucketOf(int key) { return buckets_[detail::bucketOfKey(key, buckets_.size())]; }

    std::vector<Bucket> buckets_;
    bool freeValues_;
};

} // namespace tvp
