// The ordered presentations as the stand-in keeps them: the discipline's own id among the nodes,
// the sort order as positions, and a refusal for an id of another competition.

#include "setup/CompSetupCert.h"
#include "tests/support/StandinHarness.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

class PresentationsOnStandin : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        client = standin.newClient();
        comp = client->create(QStringLiteral("Sportfest"));
        DisciplinInfoType info;
        info.Name = QStringLiteral("Sprint");
        info.ResultTableType.ensure().ResultsPerRow = 1;
        sprint = client->cms()->createDisciplin(info, comp).Disciplin->DisciplinID;
        ResultAggregatorInstanceInfoType n;
        n.TemplateID = 1;
        n.ConnectedAggregators = {sprint};
        n.Parameters = {QStringLiteral("1")};
        best = client->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
    }
    std::unique_ptr<UiStorePortType> uis()
    {
        return GetUiStorePortType(false, QString::fromStdString(client->url("UiStoreService")), &client->rio);
    }

    std::unique_ptr<StandinClient> client;
    int comp = 0, sprint = 0, best = 0;
};

TEST_F(PresentationsOnStandin, StoredWithDisciplineIdAndSortOrder)
{
    TPresentationDiscTemplate d;
    d.DisplayName = QStringLiteral("Sprint");
    d.GivenID = sprint;
    d.aggRoot.ID = 1;
    d.aggRoot.name = QStringLiteral("Beste");
    d.aggRoot.VisCertificate = true;
    d.setIdMap(0, {{1, best}});
    TPresentationAgeClass ageClass;
    ageClass.refNames[&d] = QStringLiteral("Sprint");
    ageClass.presentations = {{QStringLiteral("Urkunde"), 1, {{"", "3", {{TWrapperKind::Discipline, "Sprint", {}}}}}},
                              {QStringLiteral("Liste"), 1, {}}};
    const auto orders = makeResultPresentations(ageClass, {&d}, {});

    const std::vector<int> ids = storeResultPresentations(*uis(), comp, orders);
    ASSERT_EQ(ids.size(), 2u);
    auto stored = GetUiRetrievalPortType(false, QString::fromStdString(client->url("UiRetrievalService")), &client->rio)
                      ->getAggregatorCollection(comp, 0);
    ASSERT_EQ(stored.size(), 2u);
    for (const aggregatorCollectionType& c : stored) {
        EXPECT_EQ(c.AggIds, (std::vector<int>{best, sprint})) << c.Name.toStdString();
        // The sort index stays for the later presentation of the age class.
        EXPECT_EQ(c.SpecialOrderIndices, (std::vector<int>{0, 1})) << c.Name.toStdString();
    }
    EXPECT_EQ(stored[0].Id, ids[0]);
    EXPECT_EQ(stored[0].Name, "Urkunde");

    // An id of another competition is refused, and nothing is stored for it.
    const int other = client->create(QStringLiteral("Anderes"));
    EXPECT_EQ(errorIdOf([&] { storeResultPresentations(*uis(), other, orders); }), 604);
    EXPECT_TRUE(GetUiRetrievalPortType(false, QString::fromStdString(client->url("UiRetrievalService")), &client->rio)
                    ->getAggregatorCollection(other, 0)
                    .empty());
}

} // namespace
