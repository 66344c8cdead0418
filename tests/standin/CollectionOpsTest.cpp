// The stand-in keeps a result compilation's chosen sort order as the data view sends it.

#include "standin/ErrorMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

using namespace tvp;
using namespace tvp::test;

namespace {

class StandinCollectionTest : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
        comp = c->create(QStringLiteral("Kinderleichtathletik"));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        collection = seed->db().nextId("collection");
        seed->db()
            .query("INSERT INTO aggregator_collections (id, competition_id, name) VALUES (?, ?, ?)", collection, comp,
                   QStringLiteral("Urkunden/U10"))
            .run();
    }
    std::unique_ptr<proto::UiStorePortType> uis()
    {
        return proto::GetUiStorePortType(false, QString::fromStdString(c->url("UiStoreService")), &c->rio);
    }
    std::vector<int> stored()
    {
        std::vector<int> out;
        standin::Statement q = seed->db().query(
            "SELECT order_index FROM aggregator_collection_order WHERE collection_id = ? ORDER BY position",
            collection);
        while (q.next())
            out.push_back(q.intAt(0));
        return out;
    }

    std::unique_ptr<StandinClient> c;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0, collection = 0;
};

} // namespace

TEST_F(StandinCollectionTest, SortOrderKeepsTheIdsAsSentAndReplacesTheLastOne)
{
    uis()->modifyAggregatorCollectionSortOrder(collection, {812, 0, 640, 812});
    EXPECT_EQ(stored(), (std::vector<int>{812, 0, 640, 812}));
    uis()->modifyAggregatorCollectionSortOrder(collection, {640});
    EXPECT_EQ(stored(), std::vector<int>{640});
    uis()->modifyAggregatorCollectionSortOrder(collection, {});
    EXPECT_TRUE(stored().empty());

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { uis()->modifyAggregatorCollectionSortOrder(collection + 1000, {1}); }, &parameters),
              standin::errors::CollectionNotFound);
    EXPECT_EQ(standin::errors::format(924, parameters),
              QStringLiteral("Die Ergebniszusammenstellung mit der ID %1 existiert nicht.").arg(collection + 1000));
}
