// The stand-in's cups over HTTP: items built from the competitions' entries and matched by name,
// moving entries between items, values of custom columns, the removal rules for competitions and
// cups, cup scorings promoted from a competition and their evaluation over the cup's finishers.

#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <algorithm>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

CustomInformationsDataType value(int column, const QString& text)
{
    CustomInformationsDataType v;
    v.ColumnID = column;
    v.Value = text;
    return v;
}

// "given sur:entries" per cup athlete, entries as competition names.
QStringList describe(const std::vector<CupAthleteType>& athletes)
{
    QStringList out;
    for (const CupAthleteType& a : athletes) {
        QStringList comps;
        for (const CompetitionAthleteType& e : a.AssignedAthletes)
            comps << e.Competition->Name;
        out << QStringLiteral("%1 %2:%3").arg(a.Name->givenName, a.Name->surName, comps.join(QLatin1Char(',')));
    }
    return out;
}

// "athlete=value" per row of an athlete table, best first.
QStringList rows(const getResultTableResponse1& table, const std::map<int, QString>& names)
{
    QStringList out;
    for (const AssignedResultType& r : table.Results)
        out << QStringLiteral("%1=%2")
                   .arg(names.count(r.AthleteId) ? names.at(r.AthleteId) : QString::number(r.AthleteId))
                   .arg(r.DistanceInMeter);
    return out;
}

class StandinCups : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
    }

    int createCup(const QString& name, int minTeams = 1, int minAthletes = 1)
    {
        CupInfoDataType info;
        info.Name = name;
        info.MinTeamParticipations = minTeams;
        info.MinAthleteParticipations = minAthletes;
        return c->css()->createCup(info).CupID;
    }

    void setMinimum(int cup, int minAthletes)
    {
        CupInfoDataType info;
        info.Name = QStringLiteral("Kreiscup");
        info.MinTeamParticipations = 1;
        info.MinAthleteParticipations = minAthletes;
        c->css()->modifyCup(cup, info);
    }

    std::vector<CupAthleteType> allAthletes(int cup, int ageClass = 0, int team = 0)
    {
        getCupAthletesResponse r = c->crs()->getCupAthletes(cup, ageClass, team);
        std::vector<CupAthleteType> all = r.CompletedCupAthletes;
        all.insert(all.end(), r.PendingCupAthletes.begin(), r.PendingCupAthletes.end());
        return all;
    }

    const CupAthleteType* find(const std::vector<CupAthleteType>& list, const QString& given)
    {
        for (const CupAthleteType& a : list)
            if (a.Name->givenName == given)
                return &a;
        return nullptr;
    }

    int addAthlete(int comp, const QString& given, const QString& sur, int year = 0, int team = 0)
    {
        AthleteInfoDataType info;
        info.Name.ensure().givenName = given;
        info.Name->surName = sur;
        info.YearOfBirth = year;
        return c->das()->addAthlete(info, team, comp, false, 0).Athlete->AthleteID;
    }

    std::unique_ptr<StandinClient> c;
};

} // namespace

TEST_F(StandinCups, ItemsAreBuiltFromTheEntriesAndMatchedByTheirOwnData)
{
    StandinSeed seed(standin.dataFile());
    const int a = seed.competition(QStringLiteral("A"));
    const int b = seed.competition(QStringLiteral("B"));
    const int u10a = seed.ageClass(a, QStringLiteral("U10"));
    const int u10b = seed.ageClass(b, QStringLiteral(" U10 "));
    seed.team(a, QStringLiteral("Füchse"), u10a);
    seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster"));
    seed.athlete(b, QStringLiteral("Ana"), QStringLiteral("Muster"));
    seed.athlete(b, QStringLiteral(" Anna"), QStringLiteral("Muster "));
    const int cup = createCup(QStringLiteral("Kreiscup"));

    c->css()->assignCompetitions(cup, {a, b});
    // Assigned ones are skipped, not placed twice.
    c->css()->assignCompetitions(cup, {b});

    std::vector<CupAthleteType> athletes = allAthletes(cup);
    EXPECT_EQ(describe(athletes), (QStringList{"Anna Muster:A,B", "Ana Muster:B"}));
    const getCupAgeClassesResponse ages = c->crs()->getCupAgeClasses(cup);
    ASSERT_EQ(ages.PendingCupAgeClasses.size(), 1u);
    EXPECT_EQ(ages.PendingCupAgeClasses[0].AssignedAgeClasses.size(), 2u);
    EXPECT_TRUE(ages.CompletedCupAgeClasses.empty());

    // A completed item that a new entry joins turns pending again; a birth year known on both
    // sides tells two namesakes apart.
    c->css()->markAllCompleted(CupItemType::Athlete, cup);
    ASSERT_EQ(c->crs()->getCupAthletes(cup, 0, 0).PendingCupAthletes.size(), 0u);
    addAthlete(a, QStringLiteral("Ana"), QStringLiteral("Muster"));
    getCupAthletesResponse r = c->crs()->getCupAthletes(cup, 0, 0);
    EXPECT_EQ(describe(r.PendingCupAthletes), (QStringList{"Ana Muster:B,A"}));
    EXPECT_EQ(describe(r.CompletedCupAthletes), (QStringList{"Anna Muster:A,B"}));

    CupAthleteType anna = *find(allAthletes(cup), QStringLiteral("Anna"));
    AthleteInfoDataType year;
    year.YearOfBirth = 2015;
    year.Gender = GenderType::FEMALE;
    c->css()->modifyCupAthlete(anna.AthleteID, year, CustomInformationsDataTypes{});
    addAthlete(b, QStringLiteral("Anna"), QStringLiteral("Muster"), 2016);
    addAthlete(b, QStringLiteral("Anna"), QStringLiteral("Muster"), 2015);
    athletes = allAthletes(cup);
    EXPECT_EQ(describe(athletes), (QStringList{"Anna Muster:A,B,B", "Ana Muster:B,A", "Anna Muster:B"}));
    // The item's data come from the window, not from the entries.
    EXPECT_EQ(find(athletes, QStringLiteral("Anna"))->YearOfBirth, 2015);
    EXPECT_EQ(find(athletes, QStringLiteral("Anna"))->Gender, GenderType::FEMALE);

    // Two items of the same name: a new namesake joins neither.
    addAthlete(a, QStringLiteral("Anna"), QStringLiteral("Muster"));
    EXPECT_EQ(allAthletes(cup).size(), 4u);
}

TEST_F(StandinCups, EntriesMoveBetweenItemsOfTheirCupOnly)
{
    StandinSeed seed(standin.dataFile());
    const int a = seed.competition(QStringLiteral("A"));
    const int b = seed.competition(QStringLiteral("B"));
    const int outside = seed.competition(QStringLiteral("C"));
    seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster"));
    const int ana = seed.athlete(b, QStringLiteral("Ana"), QStringLiteral("Muster"));
    const int stranger = seed.athlete(outside, QStringLiteral("Ole"), QStringLiteral("Fremd"));
    const int cup = createCup(QStringLiteral("Kreiscup"));
    c->css()->assignCompetitions(cup, {a, b});

    std::vector<CupAthleteType> athletes = allAthletes(cup);
    const int annaItem = find(athletes, QStringLiteral("Anna"))->AthleteID;
    const int anaItem = find(athletes, QStringLiteral("Ana"))->AthleteID;

    c->css()->assignCompItemToCupMaster(CupItemType::Athlete, {ana}, annaItem);
    athletes = allAthletes(cup);
    // The emptied item stays for the organiser to see.
    EXPECT_EQ(describe(athletes), (QStringList{"Anna Muster:A,B", "Ana Muster:"}));

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->css()->assignCompItemToCupMaster(CupItemType::Athlete, {stranger}, annaItem); },
                        &parameters),
              1404);
    EXPECT_EQ(parameters.front(), QString::number(stranger));
    EXPECT_EQ(errorIdOf([&] { c->css()->assignCompItemToCupMaster(CupItemType::Athlete, {ana}, 999999); }), 1401);
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCompItemFromCupMaster(CupItemType::Athlete, cup, {stranger}); }), 1404);

    c->css()->markCompletionState({annaItem}, true);
    c->css()->removeCompItemFromCupMaster(CupItemType::Athlete, cup, {ana});
    const getCupAthletesResponse r = c->crs()->getCupAthletes(cup, 0, 0);
    EXPECT_EQ(describe(r.CompletedCupAthletes), (QStringList{"Anna Muster:A"}));
    EXPECT_EQ(describe(r.PendingCupAthletes), (QStringList{"Ana Muster:", "Ana Muster:B"}));
    EXPECT_NE(r.PendingCupAthletes[1].AthleteID, anaItem);

    c->css()->flipCupAthleteNames({annaItem});
    EXPECT_EQ(describe(c->crs()->getCupAthletes(cup, 0, 0).CompletedCupAthletes), (QStringList{"Muster Anna:A"}));
    EXPECT_EQ(errorIdOf([&] { c->css()->flipCupAthleteNames({annaItem, 999999}); }), 1401);
    EXPECT_EQ(describe(c->crs()->getCupAthletes(cup, 0, 0).CompletedCupAthletes), (QStringList{"Muster Anna:A"}));
}

TEST_F(StandinCups, AthletesAreFilteredByCupAgeClassAndCupTeam)
{
    StandinSeed seed(standin.dataFile());
    const int a = seed.competition(QStringLiteral("A"));
    const int u10 = seed.ageClass(a, QStringLiteral("U10"));
    const int u12 = seed.ageClass(a, QStringLiteral("U12"));
    const int foxes = seed.team(a, QStringLiteral("Füchse"), u10);
    const int owls = seed.team(a, QStringLiteral("Eulen"), u12);
    seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster"), foxes);
    seed.athlete(a, QStringLiteral("Ben"), QStringLiteral("Berg"), owls);
    seed.athlete(a, QStringLiteral("Cem"), QStringLiteral("Ohne"));
    const int cup = createCup(QStringLiteral("Kreiscup"));
    c->css()->assignCompetitions(cup, {a});

    const getCupAgeClassesResponse ages = c->crs()->getCupAgeClasses(cup);
    ASSERT_EQ(ages.PendingCupAgeClasses.size(), 2u);
    const int cupU12 = ages.PendingCupAgeClasses[1].AgeClassID;
    const getCupTeamsResponse teams = c->crs()->getCupTeams(cup, cupU12);
    ASSERT_EQ(teams.PendingCupTeams.size(), 1u);
    EXPECT_EQ(teams.PendingCupTeams[0].Name, QStringLiteral("Eulen"));
    const int cupFoxes = c->crs()->getCupTeams(cup, 0).PendingCupTeams[0].TeamID;

    EXPECT_EQ(describe(allAthletes(cup)).size(), 3);
    EXPECT_EQ(describe(allAthletes(cup, cupU12)), (QStringList{"Ben Berg:A"}));
    EXPECT_EQ(describe(allAthletes(cup, 0, cupFoxes)), (QStringList{"Anna Muster:A"}));
    EXPECT_TRUE(allAthletes(cup, cupU12, cupFoxes).empty());
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCupAthletes(cup, cupFoxes, 0); }), 1401);
}

TEST_F(StandinCups, ColumnsKeepTheirOrderAndValuesOnlyWhatIsFilledIn)
{
    StandinSeed seed(standin.dataFile());
    const int a = seed.competition(QStringLiteral("A"));
    seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster"));
    const int cup = createCup(QStringLiteral("Kreiscup"));
    c->css()->assignCompetitions(cup, {a});
    const int anna = allAthletes(cup).front().AthleteID;

    const auto add = [&](const QString& name, int index) {
        CustomColumnInfoType info;
        info.Name = name;
        info.OrderIndex = index;
        info.ItemType = CupItemType::Athlete;
        return c->css()->addCustomColumn(cup, info).CustomColumn->ID;
    };
    const auto names = [&] {
        QStringList out;
        for (const CustomColumnType& col : c->crs()->getCustomCupColumns(cup, CupItemType::Athlete))
            out << col.Name;
        return out;
    };
    const int size = add(QStringLiteral("Größe"), 0);
    const int number = add(QStringLiteral("Nummer"), 0);
    add(QStringLiteral("Verein"), 1);
    EXPECT_EQ(names(), (QStringList{"Verein", "Größe", "Nummer"}));
    CustomColumnInfoDataType rename;
    rename.Name = QStringLiteral("Shirt");
    c->css()->modifyCustomColumn(size, rename);
    EXPECT_EQ(names(), (QStringList{"Verein", "Shirt", "Nummer"}));
    EXPECT_TRUE(c->crs()->getCustomCupColumns(cup, CupItemType::Team).empty());

    // Empty names are refused: a column "" could never be told apart.
    rename.Name = QStringLiteral("  ");
    EXPECT_EQ(errorIdOf([&] { c->css()->modifyCustomColumn(size, rename); }), 1409);
    EXPECT_EQ(errorIdOf([&] { add(QString(), 0); }), 1409);

    // An empty value is no value: the column can go without asking.
    c->css()->modifyCupAthlete(anna, nullptr, {value(size, QStringLiteral("140")), value(number, QString())});
    ASSERT_EQ(allAthletes(cup).front().CustomInformations.size(), 1u);
    EXPECT_EQ(allAthletes(cup).front().CustomInformations[0].Value, QStringLiteral("140"));
    c->css()->removeCustomColumn(number, false);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCustomColumn(size, false); }, &parameters), 100);
    EXPECT_EQ(parameters, QStringList{"Shirt"});
    c->css()->modifyCupAthlete(anna, nullptr, {value(size, QString())});
    c->css()->removeCustomColumn(size, false);
    EXPECT_EQ(names(), (QStringList{"Verein"}));
    EXPECT_EQ(errorIdOf([&] { c->css()->modifyCupAthlete(anna, nullptr, {value(size, QStringLiteral("1"))}); }), 1402);

    // Names stay as the window writes them; nil info keeps them.
    AthleteInfoDataType empty;
    empty.Name.ensure();
    EXPECT_EQ(errorIdOf([&] { c->css()->modifyCupAthlete(anna, empty, CustomInformationsDataTypes{}); }), 1410);
    EXPECT_EQ(allAthletes(cup).front().Name->givenName, QStringLiteral("Anna"));
}

TEST_F(StandinCups, ACupSumCountsTheFinishersOfItsCompetitions)
{
    StandinSeed seed(standin.dataFile());
    const int a = seed.competition(QStringLiteral("A"));
    const int b = seed.competition(QStringLiteral("B"));
    const int third = seed.competition(QStringLiteral("C"));
    const int discA = seed.discipline(a, QStringLiteral("Weitsprung"));
    const int discB = seed.discipline(b, QStringLiteral("Weitsprung"));
    const int discC = seed.discipline(third, QStringLiteral("Weitsprung"));
    using enum ResultValueType;
    seed.measured(discA, seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster")), 1, Distance, 30);
    seed.measured(discA, seed.athlete(a, QStringLiteral("Ben"), QStringLiteral("Berg")), 1, Distance, 20);
    seed.measured(discB, seed.athlete(b, QStringLiteral("Anna"), QStringLiteral("Muster")), 1, Distance, 25);
    seed.measured(discB, seed.athlete(b, QStringLiteral("Clara"), QStringLiteral("Creutz")), 1, Distance, 40);
    seed.measured(discC, seed.athlete(third, QStringLiteral("Anna"), QStringLiteral("Muster")), 1, Distance, 28);
    seed.globalParameter(a, QStringLiteral("Streichwerte"), 0);

    const int cup = createCup(QStringLiteral("Kreiscup"), 2, 2);
    c->css()->assignCompetitions(cup, {a, b});
    std::map<int, QString> names;
    for (const CupAthleteType& athlete : allAthletes(cup))
        names[athlete.AthleteID] = athlete.Name->givenName;

    ResultAggregatorInstanceInfoType sum;
    sum.TemplateID = 2;
    sum.ConnectedAggregators = {discA};
    sum.Parameters = {QStringLiteral("Streichwerte")};
    const int node = c->cms()->assignResultAggregator(sum).CreatedResultAggregator->ID;

    // The competition's parameter means nothing in the cup: asked first, then its value.
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->css()->promoteToCupAggregator(node, cup, false); }, &parameters), 102);
    EXPECT_EQ(parameters.last(), QStringLiteral("Streichwerte"));
    c->css()->promoteToCupAggregator(node, cup, true);
    EXPECT_EQ(errorIdOf([&] { c->css()->promoteToCupAggregator(node, cup, true); }), 1405);
    EXPECT_EQ(c->drs()->getResultAggregatorTree(discA, a)[0].OutputConnections[0].AggregatorInfo->Cup->CupID, cup);
    c->cms()->connectProviderToResultAggregator(node, discB);
    EXPECT_EQ(errorIdOf([&] { c->cms()->connectProviderToResultAggregator(node, discC); }), 604);
    EXPECT_EQ(c->drs()->getToplevelSourceDisciplines(node).size(), 2u);

    EXPECT_EQ(rows(c->drs()->getResultTable(node), names), (QStringList{"Anna=55"}));
    setMinimum(cup, 1);
    EXPECT_EQ(rows(c->drs()->getResultTable(node), names), (QStringList{"Anna=55", "Clara=40", "Ben=20"}));

    c->css()->assignCompetitions(cup, {third});
    c->cms()->connectProviderToResultAggregator(node, discC);
    GlobalParametersInfoType drop;
    drop.Key = QStringLiteral("Anzahl Streichwerte");
    drop.Value = 1;
    c->css()->setCupParameter(cup, {drop});
    ResultAggregatorInstanceInfoType dropOne = sum;
    dropOne.ConnectedAggregators = {discA, discB, discC};
    dropOne.Parameters = {QStringLiteral("Anzahl Streichwerte")};
    c->cms()->modifyAssignedResultAggregator(node, dropOne);
    EXPECT_EQ(rows(c->drs()->getResultTable(node), names), (QStringList{"Anna=58", "Clara=40", "Ben=20"}));

    // Finishers by id with their entries; their cup's scoring forest.
    setMinimum(cup, 3);
    const getFinisherAthletesResponse1 finishers = c->crs()->getFinisherAthletes(cup);
    ASSERT_EQ(finishers.Finisher.size(), 1u);
    EXPECT_EQ(finishers.Finisher[0].Athlete->AssignedAthletes.size(), 3u);
    EXPECT_TRUE(finishers.PendingAthletes);
    const getCupAggregatorsResponse forest = c->crs()->getCupAggregators(cup);
    ASSERT_EQ(forest.size(), 1u);
    EXPECT_EQ(forest[0].ID, node);

    // Back in its competition with its own sources, the cup's parameter as its value.
    c->css()->demoteCupAggregator(node);
    const ResultAggregatorInstanceType back =
        *c->drs()->getResultAggregatorTree(discA, a)[0].OutputConnections[0].AggregatorInfo;
    EXPECT_FALSE(back.Cup);
    EXPECT_EQ(back.ConnectedAggregators, std::vector<int>{discA});
    EXPECT_EQ(back.Parameters, std::vector<QString>{"1"});
    EXPECT_TRUE(c->crs()->getCupAggregators(cup).empty());
    EXPECT_EQ(errorIdOf([&] { c->css()->demoteCupAggregator(node); }), 1408);
}

TEST_F(StandinCups, CompetitionsLeaveOnlyWhenTheCupsScoringsLetThem)
{
    StandinSeed seed(standin.dataFile());
    const int a = seed.competition(QStringLiteral("A"));
    const int b = seed.competition(QStringLiteral("B"));
    const int discA = seed.discipline(a, QStringLiteral("Weitsprung"));
    const int discB = seed.discipline(b, QStringLiteral("Weitsprung"));
    seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster"));
    seed.athlete(b, QStringLiteral("Anna"), QStringLiteral("Muster"));
    const int cup = createCup(QStringLiteral("Kreiscup"));
    c->css()->assignCompetitions(cup, {a, b});

    const auto promoted = [&](int disc, std::vector<int> more = {}) {
        ResultAggregatorInstanceInfoType sum;
        sum.TemplateID = 2;
        sum.ConnectedAggregators = {disc};
        sum.Parameters = {QStringLiteral("0")};
        const int node = c->cms()->assignResultAggregator(sum).CreatedResultAggregator->ID;
        c->css()->promoteToCupAggregator(node, cup, false);
        for (int m : more)
            c->cms()->connectProviderToResultAggregator(node, m);
        return node;
    };
    const int onlyB = promoted(discB);
    const int both = promoted(discA, {discB});
    c->cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("Cup B"), onlyB);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCompetitions(cup, {b}, false); }, &parameters), 110);
    EXPECT_EQ(parameters, (QStringList{"B", "2"}));
    EXPECT_EQ(c->crs()->getCupAggregators(cup).size(), 2u);
    c->css()->removeCompetitions(cup, {b}, true);

    const getCupAggregatorsResponse forest = c->crs()->getCupAggregators(cup);
    ASSERT_EQ(forest.size(), 1u);
    EXPECT_EQ(forest[0].ID, both);
    EXPECT_EQ(forest[0].AggregatorInfo->ConnectedAggregators, std::vector<int>{discA});
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM ui_infos WHERE assoc_id = ?", onlyB), 0);
    EXPECT_EQ(describe(allAthletes(cup)), (QStringList{"Anna Muster:A"}));
    EXPECT_EQ(c->crs()->getCup(cup).cup->AssignedCompetitions.size(), 1u);

    // Removing the competition itself takes its sources out of the cup first.
    c->cms()->removeCompetition(a);
    EXPECT_TRUE(c->crs()->getCupAggregators(cup).empty());
    EXPECT_EQ(describe(allAthletes(cup)), (QStringList{"Anna Muster:"}));

    c->css()->removeCup(cup);
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCupAthletes(cup, 0, 0); }), 80);
    EXPECT_EQ(seed.count("SELECT COUNT(*) FROM cup_items WHERE cup_id = ?", cup), 0);
}

TEST_F(StandinCups, AnUnknownCupOrAnEmptyNameIsRefusedEverywhere)
{
    const int unknown = 424242;
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCupAgeClasses(unknown); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCupTeams(unknown, 0); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->crs()->getFinisherAthletes(unknown); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->crs()->getFinisherTeams(unknown); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCupAggregators(unknown); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCustomCupColumns(unknown, CupItemType::Athlete); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->assignCompetitions(unknown, {}); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCompetitions(unknown, {}, true); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCup(unknown); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->markAllCompleted(CupItemType::Team, unknown); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCompItemFromCupMaster(CupItemType::Team, unknown, {}); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->promoteToCupAggregator(1, unknown, false); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->addCustomColumn(unknown, CustomColumnInfoType{}); }), 80);

    CupInfoDataType blank;
    blank.Name = QStringLiteral(" ");
    EXPECT_EQ(errorIdOf([&] { c->css()->createCup(blank); }), 1403);
    EXPECT_TRUE(c->crs()->getCups(0).empty());
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCups(unknown); }), 3);

    // Every refusal reads in German from the message table.
    QStringList texts;
    for (const auto& m : c->drs()->getExceptionMessages(0))
        if (m.ExceptionID == 110 || m.ExceptionID == 1401)
            texts << m.ExceptionMessage;
    EXPECT_EQ(texts.size(), 2);
}

TEST_F(StandinCups, OnlyAFreeNodeOfACupCompetitionIsPromotedAndDemotionKeepsItsOwnSources)
{
    StandinSeed seed(standin.dataFile());
    const int a = seed.competition(QStringLiteral("A"));
    const int b = seed.competition(QStringLiteral("B"));
    const int outside = seed.competition(QStringLiteral("X"));
    const int discA = seed.discipline(a, QStringLiteral("Weitsprung"));
    const int discB = seed.discipline(b, QStringLiteral("Weitsprung"));
    const int discX = seed.discipline(outside, QStringLiteral("Weitsprung"));
    const int cup = createCup(QStringLiteral("Kreiscup"));
    c->css()->assignCompetitions(cup, {a, b});
    const auto node = [&](int source) {
        ResultAggregatorInstanceInfoType best;
        best.TemplateID = 1;
        best.ConnectedAggregators = {source};
        best.Parameters = {QStringLiteral("1")};
        return c->cms()->assignResultAggregator(best).CreatedResultAggregator->ID;
    };
    const int lower = node(discA);
    const int upper = node(lower);
    EXPECT_EQ(errorIdOf([&] { c->css()->promoteToCupAggregator(lower, cup, false); }), 1406);
    EXPECT_EQ(errorIdOf([&] { c->css()->promoteToCupAggregator(node(discX), cup, false); }), 1407);
    EXPECT_EQ(errorIdOf([&] { c->css()->promoteToCupAggregator(discA, cup, false); }), 21);

    // A scoring of the cup draws on the cup's scorings and competitions, not the other way round.
    c->css()->promoteToCupAggregator(upper, cup, false);
    const int second = node(discB);
    const int third = node(discB);
    c->cms()->connectProviderToResultAggregator(upper, third);
    // Drawn on by the cup's own scoring only: it may follow it into the cup.
    c->css()->promoteToCupAggregator(third, cup, false);
    c->css()->promoteToCupAggregator(second, cup, false);
    c->cms()->connectProviderToResultAggregator(second, upper);
    EXPECT_EQ(errorIdOf([&] { c->cms()->connectProviderToResultAggregator(lower, upper); }), 604);
    const getCupAggregatorsResponse forest = c->crs()->getCupAggregators(cup);
    ASSERT_EQ(forest.size(), 1u);
    EXPECT_EQ(forest[0].ID, third);
    ASSERT_EQ(forest[0].OutputConnections.size(), 1u);
    EXPECT_EQ(forest[0].OutputConnections[0].ID, upper);
    ASSERT_EQ(forest[0].OutputConnections[0].OutputConnections.size(), 1u);
    EXPECT_EQ(forest[0].OutputConnections[0].OutputConnections[0].ID, second);

    // Back in B it keeps discB; a scoring with nothing left in its competition goes.
    c->css()->demoteCupAggregator(second);
    EXPECT_EQ(c->drs()->getResultAggregatorTree(discB, b)[0].OutputConnections[0].AggregatorInfo->ConnectedAggregators,
              std::vector<int>{discB});
    c->cms()->disconnectProviderFromResultAggregator(upper, lower);
    c->css()->demoteCupAggregator(upper);
    EXPECT_EQ(errorIdOf([&] { c->drs()->getResultAggregatorInfo(upper); }), 21);
    ASSERT_EQ(c->crs()->getCupAggregators(cup).size(), 1u);
    EXPECT_EQ(c->crs()->getCupAggregators(cup)[0].ID, third);
}

TEST_F(StandinCups, FinishersCarryTheirFinisherTeamsAndCreatesInTheCupArePlaced)
{
    StandinSeed seed(standin.dataFile());
    const int a = seed.competition(QStringLiteral("A"));
    const int b = seed.competition(QStringLiteral("B"));
    const int cup = createCup(QStringLiteral("Kreiscup"), 2, 1);
    c->css()->assignCompetitions(cup, {a, b});

    // Made through the operations after the assignment: each lands in the cup.
    const auto ageClass = [&](int comp) {
        AgeClassInfoType info;
        info.Name = QStringLiteral("U10");
        info.MaxTeamMembers = 8;
        return c->cms()->createAgeClass(info, comp).AgeClass->AgeClassID;
    };
    const auto team = [&](int ageClassId, const QString& name) {
        TeamInfoDataType info;
        info.Name = name;
        return c->das()->addTeam(info, ageClassId, 0).Team->TeamID;
    };
    const int foxesA = team(ageClass(a), QStringLiteral("Füchse"));
    const int u10b = ageClass(b);
    const int foxesB = team(u10b, QStringLiteral("Füchse"));
    const int owlsB = team(u10b, QStringLiteral("Eulen"));
    const int annaA = addAthlete(a, QStringLiteral("Anna"), QStringLiteral("Muster"), 0, foxesA);
    const int annaB = addAthlete(b, QStringLiteral("Anna"), QStringLiteral("Muster"), 0, foxesB);
    const int ben = addAthlete(b, QStringLiteral("Ben"), QStringLiteral("Berg"), 0, owlsB);

    const getCupAgeClassesResponse ages = c->crs()->getCupAgeClasses(cup);
    ASSERT_EQ(ages.PendingCupAgeClasses.size(), 1u);
    EXPECT_EQ(ages.PendingCupAgeClasses[0].MaxTeamMembers, 8);
    EXPECT_EQ(ages.PendingCupAgeClasses[0].AssignedAgeClasses.size(), 2u);

    const getFinisherTeamsResponse1 teams = c->crs()->getFinisherTeams(cup);
    ASSERT_EQ(teams.Teams.size(), 1u);
    EXPECT_EQ(teams.Teams[0].Name, QStringLiteral("Füchse"));
    EXPECT_TRUE(teams.PendingTeams);

    const getFinisherAthletesResponse1 athletes = c->crs()->getFinisherAthletes(cup);
    ASSERT_EQ(athletes.Finisher.size(), 2u);
    EXPECT_EQ(athletes.Finisher[0].Athlete->Name->givenName, QStringLiteral("Anna"));
    ASSERT_EQ(athletes.Finisher[0].Teams.size(), 1u);
    EXPECT_EQ(athletes.Finisher[0].Teams[0].TeamID, teams.Teams[0].TeamID);
    // Ben's team is in one competition only: no finisher team.
    EXPECT_TRUE(athletes.Finisher[1].Teams.empty());

    // Team values of a cup scoring count for the cup team; a team in one competition is none.
    const int discA = seed.discipline(a, QStringLiteral("Sprint"));
    const int discB = seed.discipline(b, QStringLiteral("Sprint"));
    using enum ResultValueType;
    seed.measured(discA, annaA, 1, Distance, 3);
    seed.measured(discB, annaB, 1, Distance, 4);
    seed.measured(discB, ben, 1, Distance, 9);
    ResultAggregatorInstanceInfoType bestTeam;
    bestTeam.TemplateID = 5;
    bestTeam.ConnectedAggregators = {discA};
    bestTeam.Parameters = {QStringLiteral("1")};
    const int node = c->cms()->assignResultAggregator(bestTeam).CreatedResultAggregator->ID;
    c->css()->promoteToCupAggregator(node, cup, false);
    c->cms()->connectProviderToResultAggregator(node, discB);
    const getResultTableResponse1 table = c->drs()->getResultTable(node);
    ASSERT_EQ(table.Results.size(), 1u);
    EXPECT_EQ(table.Results[0].TeamId, std::vector<int>{teams.Teams[0].TeamID});
    EXPECT_EQ(table.Results[0].DistanceInMeter, 7);

    c->css()->markAllCompleted(CupItemType::AgeClass, cup);
    c->css()->markAllCompleted(CupItemType::Team, cup);
    c->css()->markAllCompleted(CupItemType::Athlete, cup);
    const getFinisherAthletesResponse1 done = c->crs()->getFinisherAthletes(cup);
    EXPECT_FALSE(done.PendingAgeClasses || done.PendingTeams || done.PendingAthletes);
}
