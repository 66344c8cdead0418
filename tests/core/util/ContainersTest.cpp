#include "core/util/Base64.h"
#include "core/util/HashMap.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <limits>

using namespace tvp;

namespace {

// Counts live instances, so a test sees exactly which values were freed.
struct Tracked {
    explicit Tracked(int v) : value(v) { ++alive; }
    ~Tracked() { --alive; }
    int value;
    static inline int alive = 0;
};

std::vector<int> valuesOf(const TIntegerHashMap<Tracked>& map)
{
    std::vector<int> values;
    for (const Tracked* t : map.createListFromValues())
        values.push_back(t->value);
    return values;
}

TEST(IntegerHashMap, BucketsPutAndGet)
{
    Tracked a(1), b(2), c(3), d(4);
    TIntegerHashMap<Tracked> map(10, false);
    EXPECT_EQ(map.put(3, nullptr).get(), nullptr);
    EXPECT_TRUE(map.isEmpty()) << "nullptr under a missing key changes nothing";
    EXPECT_EQ(map.put(15, &a).get(), nullptr) << "a new key hands nothing back";
    EXPECT_EQ(map.put(-5, &b).get(), nullptr); // 15, -5 and 5 share bucket 5
    EXPECT_EQ(map.put(2, &c).get(), nullptr);
    EXPECT_EQ(map.put(5, &d).get(), nullptr);
    EXPECT_EQ(map.get(-5), &b);
    EXPECT_EQ(map.get(25), nullptr) << "same bucket, missing key";
    EXPECT_EQ(valuesOf(map), (std::vector<int>{3, 1, 2, 4})) << "bucket order, then insertion order";

    EXPECT_EQ(map.put(-5, &a).get(), &b) << "the replaced value comes back";
    EXPECT_EQ(valuesOf(map), (std::vector<int>{3, 1, 1, 4})) << "a replaced pair keeps its place";
    EXPECT_EQ(map.put(15, nullptr).get(), &a);
    EXPECT_EQ(map.get(15), nullptr);
    EXPECT_EQ(map.count(), 3);
    EXPECT_EQ(Tracked::alive, 4) << "a map that does not own frees nothing";

    TIntegerHashMap<Tracked> one(0, false); // asks for no bucket, gets one
    EXPECT_EQ(one.put(std::numeric_limits<int>::min(), &a).get(), nullptr);
    EXPECT_EQ(one.get(std::numeric_limits<int>::min()), &a);
}

TEST(IntegerHashMap, OwningMapFreesWhatItHolds)
{
    ASSERT_EQ(Tracked::alive, 0);
    {
        TIntegerHashMap<Tracked> map(100, true);
        for (int k = 0; k < 10000; ++k)
            ASSERT_EQ(map.put(k * 7 - 5000, new Tracked(k)).get(), nullptr);
        EXPECT_EQ(map.get(9999 * 7 - 5000)->value, 9999);

        {
            const auto replaced = map.put(5, new Tracked(-1));
            EXPECT_EQ(replaced->value, 715);
            EXPECT_EQ(map.get(5)->value, -1);
            EXPECT_EQ(Tracked::alive, 10001) << "the replaced value lives as long as its hand-back";
        }
        EXPECT_EQ(Tracked::alive, 10000) << "a dropped hand-back frees the value";

        std::unique_ptr<Tracked> kept(map.put(12, nullptr).release());
        EXPECT_EQ(kept->value, 716) << "removing hands the value to the caller";
        EXPECT_EQ(map.get(12), nullptr);
        EXPECT_EQ(Tracked::alive, 10000);

        map.put(26, nullptr).reset();
        EXPECT_EQ(map.get(26), nullptr);
        EXPECT_EQ(Tracked::alive, 9999) << "reset() frees a removed value at once";

        EXPECT_EQ(map.put(19, map.get(19)).get(), nullptr);
        EXPECT_EQ(map.get(19)->value, 717) << "putting the stored value again must not free it";
        EXPECT_EQ(map.count(), 9998);
        EXPECT_EQ(Tracked::alive, 9999);
    }
    EXPECT_EQ(Tracked::alive, 0);
}

TEST(Base64, Rfc4648VectorsBothWays)
{
    const std::pair<QByteArray, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {QByteArray::fromHex("00fbff3e3f80"), "APv/Pj+A"},
    };
    for (const auto& [plain, coded] : vectors) {
        QByteArray in = "xx" + plain;
        QBuffer source(&in);
        source.open(QIODevice::ReadOnly);
        source.seek(2); // encoding starts at the current position
        EXPECT_EQ(encodeByteStreamBase64(source), QLatin1String(coded));

        QByteArray out("ab");
        QBuffer target(&out);
        target.open(QIODevice::ReadWrite);
        decodeBase64ToStream(target, QLatin1String(coded));
        EXPECT_EQ(out, "ab" + plain) << "decoding appends";
    }
}

TEST(Base64, AnythingButStrictBase64IsAnErrorAndWritesNothing)
{
    for (const char* bad : {"YW*j", "YWJj\nZGVm", "YW Jj", "YQ", "YWJjZA", "YQ==YWJj", "YW=j", "====", "YWJjö"}) {
        QByteArray out("keep");
        QBuffer buffer(&out);
        buffer.open(QIODevice::ReadWrite);
        EXPECT_THROW(decodeBase64ToStream(buffer, QString::fromUtf8(bad)), EBase64Error) << bad;
        EXPECT_EQ(out, QByteArray("keep")) << bad;
    }
}

} // namespace
