// Result compilations on the stand-in: stored per competition or cup, changed, removed and read
// back with their sort order as the certificate windows use it.

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
    std::unique_ptr<proto::UiRetrievalPortType> uir()
    {
        return proto::GetUiRetrievalPortType(false, QString::fromStdString(c->url("UiRetrievalService")), &c->rio);
    }
    static proto::Owned<proto::AggregatorCollectionInfoType> info(const QString& name, std::vector<int> ids)
    {
        proto::AggregatorCollectionInfoType i;
        i.Name = name;
        i.AggIds = std::move(ids);
        return proto::Owned<proto::AggregatorCollectionInfoType>(std::move(i));
    }
    int cupNode(int cup)
    {
        const int id = seed->aggregator(comp, {});
        seed->db().query("UPDATE aggregators SET competition_id = NULL, cup_id = ? WHERE id = ?", cup, id).run();
        return id;
    }
    int collections() { return seed->count("SELECT count(*) FROM aggregator_collections WHERE id <> ?", 0); }
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

TEST_F(StandinCollectionTest, StoredCompilationsAreListedPerOwnerInCreationOrder)
{
    const int disc = seed->discipline(comp, QStringLiteral("Weitsprung"));
    const int node = seed->aggregator(comp, {disc});
    const int cup = seed->cup(QStringLiteral("Kreiscup"), {comp});
    const int ofCup = cupNode(cup);

    const proto::storeAggregatorCollectionResponse stored =
        uis()->storeAggregatorCollection(comp, 0, info(QStringLiteral("Urkunden/U12"), {node, disc, node}));
    ASSERT_TRUE(stored.newAggregatorCollection);
    const int id = stored.newAggregatorCollection->Id;
    EXPECT_EQ(stored.newAggregatorCollection->Name, QStringLiteral("Urkunden/U12"));
    EXPECT_EQ(stored.newAggregatorCollection->AggIds, (std::vector<int>{node, disc, node}));
    // From the server-wide sequence, so its UI infos meet no other entity's.
    EXPECT_EQ(seed->count("SELECT count(*) FROM ids WHERE id = ? AND kind = 'aggregator_collection'", id), 1);
    EXPECT_GT(id, ofCup);

    const int forCup =
        uis()->storeAggregatorCollection(0, cup, info(QStringLiteral("Cup"), {ofCup})).newAggregatorCollection->Id;

    const proto::getAggregatorCollectionResponse4 ofComp = uir()->getAggregatorCollection(comp, 0);
    ASSERT_EQ(ofComp.size(), 2u);
    EXPECT_EQ(ofComp[0].Id, collection);
    EXPECT_EQ(ofComp[0].Name, QStringLiteral("Urkunden/U10"));
    EXPECT_TRUE(ofComp[0].AggIds.empty());
    EXPECT_EQ(ofComp[1].Id, id);
    EXPECT_EQ(ofComp[1].AggIds, (std::vector<int>{node, disc, node}));
    const proto::getAggregatorCollectionResponse4 cups = uir()->getAggregatorCollection(0, cup);
    ASSERT_EQ(cups.size(), 1u);
    EXPECT_EQ(cups[0].Id, forCup);
    EXPECT_EQ(cups[0].AggIds, std::vector<int>{ofCup});
}

TEST_F(StandinCollectionTest, RefusedStoresAndChangesLeaveEverythingAsItWas)
{
    const int disc = seed->discipline(comp, QStringLiteral("Weitsprung"));
    const int other = c->create(QStringLiteral("Herbstfest"));
    const int foreignDisc = seed->discipline(other, QStringLiteral("Sprint"));
    const int foreignNode = seed->aggregator(other, {foreignDisc});
    const int cup = seed->cup(QStringLiteral("Kreiscup"), {comp});
    const int ofCup = cupNode(cup);
    const int before = collections();

    auto store = [&](int competitionId, int cupId, std::vector<int> ids) {
        return errorIdOf(
            [&] { uis()->storeAggregatorCollection(competitionId, cupId, info(QStringLiteral("X"), ids)); });
    };
    EXPECT_EQ(store(0, 0, {}), standin::errors::CompetitionNotFound);
    EXPECT_EQ(store(comp, cup, {}), standin::errors::CompetitionNotFound) << "one owner only";
    EXPECT_EQ(store(other + 1000, 0, {}), standin::errors::CompetitionNotFound);
    EXPECT_EQ(store(0, cup + 1000, {}), standin::errors::CupNotFound);
    EXPECT_EQ(store(comp, 0, {disc, foreignDisc}), standin::errors::ProviderNotFound);
    EXPECT_EQ(store(comp, 0, {foreignNode}), standin::errors::ProviderNotFound);
    EXPECT_EQ(store(comp, 0, {ofCup}), standin::errors::ProviderNotFound) << "a cup's node is not the competition's";
    EXPECT_EQ(store(0, cup, {disc}), standin::errors::ProviderNotFound);
    EXPECT_EQ(errorIdOf([&] { uir()->getAggregatorCollection(0, cup + 1000); }), standin::errors::CupNotFound);
    EXPECT_EQ(collections(), before);

    EXPECT_EQ(errorIdOf([&] { uis()->modifyAggregatorCollection(collection, info(QStringLiteral("Neu"), {ofCup})); }),
              standin::errors::ProviderNotFound);
    EXPECT_EQ(uir()->getAggregatorCollection(comp, 0).at(0).Name, QStringLiteral("Urkunden/U10"));
    EXPECT_EQ(errorIdOf([&] { uis()->modifyAggregatorCollection(collection + 1000, info(QStringLiteral("N"), {})); }),
              standin::errors::CollectionNotFound);
    EXPECT_EQ(errorIdOf([&] { uis()->removeAggregatorCollection(collection + 1000); }),
              standin::errors::CollectionNotFound);
}

TEST_F(StandinCollectionTest, SortOrderReadsAsPositionsAndOutlivesAChangeOfTheEntries)
{
    const int disc = seed->discipline(comp, QStringLiteral("Weitsprung"));
    const int n1 = seed->aggregator(comp, {disc});
    const int n2 = seed->aggregator(comp, {disc});
    uis()->modifyAggregatorCollection(collection, info(QStringLiteral("Urkunde U10"), {n1, disc, n2}));
    // As the data view stores it: node ids, 0 for a column without node.
    uis()->modifyAggregatorCollectionSortOrder(collection, {n2, 0, n1});
    proto::aggregatorCollectionType read = uir()->getAggregatorCollection(comp, 0).at(0);
    EXPECT_EQ(read.Name, QStringLiteral("Urkunde U10"));
    EXPECT_EQ(read.AggIds, (std::vector<int>{n1, disc, n2}));
    EXPECT_EQ(read.SpecialOrderIndices, (std::vector<int>{2, 0}));

    uis()->modifyAggregatorCollection(collection, info(QStringLiteral("Urkunde"), {n2, n1}));
    EXPECT_EQ(stored(), (std::vector<int>{n2, 0, n1}));
    read = uir()->getAggregatorCollection(comp, 0).at(0);
    EXPECT_EQ(read.AggIds, (std::vector<int>{n2, n1}));
    EXPECT_EQ(read.SpecialOrderIndices, (std::vector<int>{0, 1}));
}

TEST_F(StandinCollectionTest, RemovalsTakeWhatBelongsToTheCompilationAndNoMore)
{
    const int d1 = seed->discipline(comp, QStringLiteral("Weitsprung"));
    const int d2 = seed->discipline(comp, QStringLiteral("Sprint"));
    const int node = seed->aggregator(comp, {d1, d2});
    const int cup = seed->cup(QStringLiteral("Kreiscup"), {comp});
    const int forCup = uis()
                           ->storeAggregatorCollection(0, cup, info(QStringLiteral("Cup"), {cupNode(cup)}))
                           .newAggregatorCollection->Id;
    uis()->modifyAggregatorCollection(collection, info(QStringLiteral("U10"), {node, d1, d2}));
    c->cms()->setUiInfo(QStringLiteral("AggColl_CertDocPath"), QStringLiteral("/home/anna/U10.docx"), collection);
    c->cms()->setUiInfo(QStringLiteral("AggColl_CertDocPath"), QStringLiteral("/home/anna/Cup.docx"), forCup);

    // Every compilation on the server with its owner and its infos.
    const proto::getAllCollectionsResponse all = uir()->getAllCollections();
    ASSERT_EQ(all.size(), 2u);
    ASSERT_TRUE(all[0].IdCollection && all[0].Competition);
    EXPECT_EQ(all[0].IdCollection->AggIds, (std::vector<int>{node, d1, d2}));
    EXPECT_EQ(all[0].Competition->ID, comp);
    EXPECT_FALSE(all[0].Cup);
    ASSERT_EQ(all[0].UIInfos.size(), 1u);
    EXPECT_EQ(all[0].UIInfos[0].Value, QStringLiteral("/home/anna/U10.docx"));
    ASSERT_TRUE(all[1].Cup);
    EXPECT_FALSE(all[1].Competition);
    ASSERT_EQ(all[1].Cup->AssignedCompetitions.size(), 1u);
    EXPECT_EQ(all[1].Cup->AssignedCompetitions[0].ID, comp);

    // A removed discipline or node leaves the compilation.
    c->cms()->removeDisciplin(d2, true, true);
    EXPECT_EQ(uir()->getAggregatorCollection(comp, 0).at(0).AggIds, (std::vector<int>{node, d1}));
    c->cms()->removeResultAggregator(node, true);
    EXPECT_EQ(uir()->getAggregatorCollection(comp, 0).at(0).AggIds, std::vector<int>{d1});

    uis()->removeAggregatorCollection(forCup);
    EXPECT_TRUE(uir()->getAggregatorCollection(0, cup).empty());
    EXPECT_EQ(seed->count("SELECT count(*) FROM ui_infos WHERE assoc_id = ?", forCup), 0);

    // A removed competition takes its compilations and their infos along.
    c->cms()->removeCompetition(comp);
    EXPECT_EQ(collections(), 0);
    EXPECT_EQ(seed->count("SELECT count(*) FROM ui_infos WHERE assoc_id = ?", collection), 0);
}
