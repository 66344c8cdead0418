#pragma once
// A cup on a loopback stand-in, shared by the cup benchmarks: 20 competitions of 300 athletes
// each (1,500 cup athletes, each in four competitions), one custom column with a value for every
// cup athlete, a 21st competition kept out of the cup, and a cup "Summe" over the 20 disciplines.

#include "bench/BenchStandin.h"
#include "core/protocol/TVPWebServices2.h"

#include <memory>
#include <vector>

namespace tvp::bench {

constexpr int kCompetitions = 20;
constexpr int kAthletes = 300;
constexpr int kCupAthletes = 1500;
constexpr int kTeamSize = 10;

struct Cup : TBenchServer {
    Cup()
    {
        base = serviceUrl();
        test::StandinSeed seed = beginSeed();
        for (int k = 0; k <= kCompetitions; ++k) {
            const int comp = competition(seed, k);
            (k < kCompetitions ? competitions : extra).push_back(comp);
        }
        seed.commit();

        proto::CupInfoDataType info;
        info.Name = QStringLiteral("Kreiscup");
        info.MinAthleteParticipations = 1;
        info.MinTeamParticipations = 1;
        cup = css()->createCup(info).CupID;
        css()->assignCompetitions(cup, competitions);
        proto::CustomColumnInfoType column;
        column.Name = QStringLiteral("Größe");
        column.ItemType = proto::CupItemType::Athlete;
        const int columnId = css()->addCustomColumn(cup, column).CustomColumn->ID;
        seed.db()
            .query("INSERT INTO cup_custom_values (cup_item_id, column_id, value) SELECT ca.cup_item_id, ?, '140' "
                   "FROM cup_athletes ca",
                   columnId)
            .run();

        proto::ResultAggregatorInstanceInfoType sum;
        sum.TemplateID = 2;
        sum.ConnectedAggregators = {disciplines.front()};
        sum.Parameters = {QStringLiteral("1")};
        node = cms()->assignResultAggregator(sum).CreatedResultAggregator->ID;
        css()->promoteToCupAggregator(node, cup, false);
        for (std::size_t i = 1; i < disciplines.size(); ++i)
            cms()->connectProviderToResultAggregator(node, disciplines[i]);
    }

    // Competition k takes 300 names of the pool of 1,500 in a row, so each name is in four.
    int competition(test::StandinSeed& seed, int k)
    {
        const int comp = seed.competition(QStringLiteral("Lauf %1").arg(k + 1));
        const int u10 = seed.ageClass(comp, QStringLiteral("U10"));
        const int disc = seed.discipline(comp, QStringLiteral("Weitsprung"));
        if (k < kCompetitions)
            disciplines.push_back(disc);
        int team = 0;
        for (int i = 0; i < kAthletes; ++i) {
            if (i % kTeamSize == 0)
                team = seed.team(comp, QStringLiteral("Team %1").arg(i / kTeamSize), u10);
            const int n = (k * kAthletes + i) % kCupAthletes;
            const int athlete =
                seed.athlete(comp, QStringLiteral("Vorname%1").arg(n), QStringLiteral("Nachname%1").arg(n), team);
            seed.measured(disc, athlete, 1, proto::ResultValueType::Distance, 2.0 + (n % 97) / 10.0);
        }
        return comp;
    }

    std::unique_ptr<proto::CupRetrievalPortType> crs()
    {
        return proto::GetCupRetrievalPortType(false, base + QStringLiteral("CupRetrievalService/"), &rio);
    }
    std::unique_ptr<proto::CupSetupPortType> css()
    {
        return proto::GetCupSetupPortType(false, base + QStringLiteral("CupSetupService/"), &rio);
    }
    std::unique_ptr<proto::CompetitionManagementPortType> cms()
    {
        return proto::GetCompetitionManagementPortType(false, base + QStringLiteral("CompetitionManagementService/"),
                                                       &rio);
    }
    std::unique_ptr<proto::DataRetrievalPortType> drs()
    {
        return proto::GetDataRetrievalPortType(false, base + QStringLiteral("DataRetrievalService/"), &rio);
    }

    proto::THTTPRIO rio;
    QString base;
    std::vector<int> competitions, extra, disciplines;
    int cup = 0;
    int node = 0;
};

inline Cup& theCup()
{
    static Cup c;
    return c;
}

} // namespace tvp::bench
