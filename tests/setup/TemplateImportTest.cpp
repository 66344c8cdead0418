// Templates against a server: the export names its interfaces after the keys already there and
// takes them back when the file cannot be written; the imports rebuild a discipline or an overall
// scoring in another competition in one transaction, repair parameters the competition lacks, and
// leave nothing behind when the server refuses a source (read back from the stand-in's data file).
// The call order and endless refusals are checked on the typed fake server.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/results/tvpUtils.h"
#include "scoring/AggregatorTreeModel.h"
#include "setup/TemplateFiles.h"
#include "tests/setup/TemplateTestData.h"
#include "tests/support/FakeServer.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/RoadRun.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

QByteArray golden(const char* name)
{
    QFile f(QStringLiteral(TVP_TEMPLATE_GOLDEN "/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TParameterMappingRows mappingOf(const std::vector<GlobalParametersType>& params)
{
    auto find = [params](const QString& name) -> std::optional<double> {
        for (const GlobalParametersType& p : params)
            if (p.Key == name && !p.Cup)
                return p.Value;
        return std::nullopt;
    };
    return TParameterMappingRows([find](const QString& n) { return find(n).has_value(); }, find);
}

class TemplatesOnStandin : public StandinTest {
protected:
    void SetUp() override
    {
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        source = client->create(QStringLiteral("Quelle"));
        target = client->create(QStringLiteral("Ziel"));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
    }

    void use(int competitionId)
    {
        auto c = std::make_unique<CompetitionType>();
        c->ID = competitionId;
        competition.SetCompetitionInternal(std::move(c));
    }

    int disc(int comp, const QString& name, bool team = false)
    {
        DisciplinInfoType info;
        info.Name = name;
        info.ResultTableType.ensure().Team = team;
        info.ResultTableType->ResultsPerRow = 3;
        return client->cms()->createDisciplin(info, comp).Disciplin->DisciplinID;
    }
    int node(int templateId, std::vector<int> sources, std::vector<QString> parameters)
    {
        ResultAggregatorInstanceInfoType n;
        n.TemplateID = templateId;
        n.ConnectedAggregators = std::move(sources);
        n.Parameters = std::move(parameters);
        return client->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
    }
    void parameter(int comp, const QString& key, double value)
    {
        GlobalParametersInfoType p;
        p.Key = key;
        p.Value = value;
        client->cms()->setGlobalParameter(comp, {p});
    }
    QString info(const QString& key, int id) { return client->drs()->getUiInfo(key, id).Value; }

    template <class Request, class Response>
    std::pair<std::unique_ptr<Response>, TRequestOutcome> run(const TRequestTable<Request, Response>& table,
                                                              std::unique_ptr<Request> request)
    {
        return runOnRoad(context, table, std::move(request), TTransactionMode::tm_readwrite, 10000);
    }

    // The source competition's "Sprint" with the golden tree's nodes, labels and marks; 21
    // already carries two output keys, one of them no number.
    struct Seeded {
        int sprint = 0, best = 0, sum = 0, overall = 0;
    };
    Seeded seedSource()
    {
        Seeded s;
        parameter(source, QStringLiteral("Faktor"), 1.5);
        parameter(source, QStringLiteral("Streich"), 2);
        s.sprint = disc(source, QStringLiteral("Sprint"));
        const int wurf = disc(source, QStringLiteral("Wurf"));
        s.best = node(1, {s.sprint}, {QStringLiteral("Faktor")});
        s.sum = node(2, {s.best}, {QStringLiteral("Streich")});
        s.overall = node(5, {s.sum, wurf}, {QStringLiteral("3")});
        client->cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("Sprint $(1)"), s.best);
        client->cms()->setUiInfo(QStringLiteral("ResAgg_VisAnalysis"), QStringLiteral("true"), s.best);
        client->cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("Summe"), s.sum);
        client->cms()->setUiInfo(QStringLiteral("ResultsOutputConnections3"), QStringLiteral("alt"), s.sum);
        client->cms()->setUiInfo(QStringLiteral("ResultsOutputConnectionsX"), QStringLiteral("alt"), s.sum);
        client->cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("Gesamt"), s.overall);
        return s;
    }

    // The discipline's tree as the discipline window builds it, labels applied.
    std::unique_ptr<TAggregatorTreeModel> treeOf(int discId, const TDisciplineInfo& info)
    {
        const std::vector<AggregatorTreeNodeType> roots = client->drs()->getResultAggregatorTree(discId, source);
        auto tree = std::make_unique<TAggregatorTreeModel>(
            roots, std::vector<int>{discId}, [](int) { return nullptr; }, &info);
        getUiInfos keys;
        for (int i = 0; i < tree->getAggregatorCount(); ++i)
            keys.push_back(makeUiInfoKey({}, tree->getAggregator(i)->ID()));
        tree->setLabelsToAggTree(client->drs()->getUiInfos(keys), 0);
        return tree;
    }

    TCurrentCompetition competition;
    TRequestContext context{competition};
    RecordingContext recorder{context};
    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int source = 0;
    int target = 0;
};

} // namespace

TEST_F(TemplatesOnStandin, ExportNamesInterfacesAfterTheKeysThereAndTakesThemBackWhenTheFileFails)
{
    const Seeded s = seedSource();
    use(source);
    TDisciplineInfo disc = goldenDiscipline();
    disc.id = s.sprint;
    const auto tree = treeOf(s.sprint, disc);
    const std::vector<TDiscInterfaceNode> interfaces{
        {s.sum, {{QStringLiteral("Gesamt"), s.overall}, {QStringLiteral("Neu"), 0}}}};
    const QString file = standin.folder() + QStringLiteral("/Sprint.qdt");

    auto request = discTemplateExport(*tree, QStringLiteral("Sprint U10"), goldenParameterRows(), interfaces, file);
    const QByteArray document = request->document;
    auto [response, outcome] = run(discTemplateExportRequests(), std::move(request));
    ASSERT_TRUE(outcome.ok()) << outcome.error.toStdString();
    EXPECT_EQ(readFile(file), document);
    const TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(document);
    ASSERT_TRUE(read.templ.aggRoot);
    EXPECT_EQ(read.templ.aggRoot->ID, s.sprint);
    EXPECT_TRUE(read.templ.aggRoot->OutputConnections.at(0).VisAnalysis);

    // "3" and "X" (counting as -1) were there: the new keys follow at 4.
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections4"), s.sum), QStringLiteral("Gesamt"));
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections5"), s.sum), QStringLiteral("Neu"));
    EXPECT_EQ(info(QStringLiteral("ResultsTopLevelConnection0"), s.overall), QStringLiteral("Gesamt"));

    // Exported again into a folder that is not there: the error comes back and no key stays.
    auto again = discTemplateExport(*tree, QStringLiteral("Sprint U10"), goldenParameterRows(), interfaces,
                                    standin.folder() + QStringLiteral("/fehlt/Sprint.qdt"));
    auto [failed, failure] = run(discTemplateExportRequests(), std::move(again));
    EXPECT_FALSE(failure.ok());
    EXPECT_TRUE(info(QStringLiteral("ResultsOutputConnections6"), s.sum).isEmpty());
    EXPECT_TRUE(info(QStringLiteral("ResultsTopLevelConnection1"), s.overall).isEmpty());
    EXPECT_EQ(readFile(file), document);

    // A second export adds keys instead of overwriting.
    auto third = discTemplateExport(*tree, QStringLiteral("Sprint U10"), goldenParameterRows(), interfaces, file);
    ASSERT_TRUE(run(discTemplateExportRequests(), std::move(third)).second.ok());
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections6"), s.sum), QStringLiteral("Gesamt"));
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections4"), s.sum), QStringLiteral("Gesamt"));
}

TEST_F(TemplatesOnStandin, ADisciplineTemplateIsRebuiltInAnotherCompetition)
{
    parameter(target, QStringLiteral("Faktor"), 2.5);
    const int lauf = disc(target, QStringLiteral("Lauf"));
    const int overall = node(2, {lauf}, {QStringLiteral("0")});
    use(target);

    const TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(golden("discipline.qdt"));
    TParameterMappingRows rows = mappingOf(client->drs()->getGlobalParameters(target));
    rows.loadParams(read.templ.params->Parameters);
    rows.mapToExisting(0, QStringLiteral("Faktor"));
    rows.loadReferences(read.templ.aggRoot.get());
    rows.assignReference(0, overall, QStringLiteral("Gesamt"));
    std::vector<GlobalParametersInfoType> created;
    rows.AddNewGlobalParameters(created);
    auto request = discImportRequest(read.templ, rows, created, QStringLiteral(" Sprint B "), 0,
                                     SquadAssignmentType::allSquadsInOneHeat, 6, target);
    auto [response, outcome] = run(discImportRequests(), std::move(request));
    ASSERT_TRUE(outcome.ok()) << outcome.error.toStdString();
    const int discId = response->discId;

    DisciplinType made;
    for (const DisciplinType& d : client->drs()->getDisciplines(target, nullptr, 0))
        if (d.DisciplinID == discId)
            made = d;
    EXPECT_EQ(made.Name, QStringLiteral("Sprint B"));
    EXPECT_EQ(made.ResultAssignment, ResultAssignmentType::byBib);
    EXPECT_EQ(made.SquadAssignment, SquadAssignmentType::allSquadsInOneHeat);
    EXPECT_EQ(made.maxParticipantsPerHeat, 6);
    EXPECT_EQ(made.ResultTableType->ResultsPerRow, 3);
    EXPECT_EQ(info(QStringLiteral("Disciplin_ResultType"), discId), ResultValueTypeToUIInfo(ResultValueType::Time));
    EXPECT_EQ(info(QStringLiteral("Disciplin_ResultFormat"), discId), QStringLiteral("Default"));
    EXPECT_EQ(info(QStringLiteral("Disciplin_HeightList"), discId), QStringLiteral("1,00;1,10"));

    // Only the first root's nodes: discipline -> best -> sum -> the existing overall scoring.
    const std::vector<AggregatorTreeNodeType> tree = client->drs()->getResultAggregatorTree(discId, target);
    ASSERT_EQ(tree.size(), 1u);
    ASSERT_EQ(tree[0].OutputConnections.size(), 1u);
    const AggregatorTreeNodeType& best = tree[0].OutputConnections[0];
    EXPECT_EQ(best.AggregatorInfo->TemplateID, 1);
    EXPECT_EQ(best.AggregatorInfo->Parameters, std::vector<QString>{QStringLiteral("Faktor")}) << "mapped";
    ASSERT_EQ(best.OutputConnections.size(), 1u);
    const AggregatorTreeNodeType& sum = best.OutputConnections[0];
    EXPECT_EQ(sum.AggregatorInfo->Parameters, std::vector<QString>{QStringLiteral("2")});
    ASSERT_EQ(sum.OutputConnections.size(), 1u);
    EXPECT_EQ(sum.OutputConnections[0].ID, overall) << "the reference connected";
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM aggregators WHERE competition_id = ?", target), 3);

    EXPECT_EQ(info(QStringLiteral("Label"), best.ID), QStringLiteral("Sprint $(1)"));
    EXPECT_EQ(info(QStringLiteral("ResAgg_VisAnalysis"), best.ID), QStringLiteral("true"));
    EXPECT_EQ(info(QStringLiteral("ResAgg_VisCertificate"), sum.ID), QStringLiteral("true"));
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections0"), sum.ID), QStringLiteral("Gesamt"));
    EXPECT_EQ(info(QStringLiteral("ResultsOutputConnections1"), sum.ID), QStringLiteral("Neu"));
    EXPECT_EQ(mapID(21, response->IDMap), sum.ID);
    EXPECT_EQ(client->drs()->getGlobalParameters(target).size(), 1u) << "nothing new";
}

TEST_F(TemplatesOnStandin, AParameterTheCompetitionLacksIsCreatedUnderTheTemplatesName)
{
    const TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(golden("discipline.qdt"));
    // As the competition creation sends it: the template's names, no new parameters.
    TParameterMappingRows rows = mappingOf({});
    auto request = discImportRequest(read.templ, rows, {}, QStringLiteral("Sprint=U10"), 0,
                                     SquadAssignmentType::teamDistributed, 0, target);
    std::vector<TReplacedParameter> replaced;
    const TDiscImportResponse response =
        createDisciplineFromTemplate(*client->cms(), *request, &replaced, read.templ.params->Parameters);

    const QString created = QStringLiteral("NEU_Sprint_U10_Faktor Sprint");
    ASSERT_EQ(replaced.size(), 1u);
    EXPECT_EQ(replaced[0].TemplateName, QStringLiteral("Sprint=U10"));
    EXPECT_EQ(replaced[0].ParamName, created);
    EXPECT_EQ(replaced[0].ParamValue, 1.5);
    const std::vector<GlobalParametersType> params = client->drs()->getGlobalParameters(target);
    ASSERT_EQ(params.size(), 1u);
    EXPECT_EQ(params[0].Key, created);
    EXPECT_EQ(params[0].Value, 1.5) << "the template's default";
    const std::vector<AggregatorTreeNodeType> tree = client->drs()->getResultAggregatorTree(response.discId, target);
    EXPECT_EQ(tree.at(0).OutputConnections.at(0).AggregatorInfo->Parameters, std::vector<QString>{created});
}

TEST_F(TemplatesOnStandin, ASourceTheNodeCannotTakeLeavesNothingOfTheImport)
{
    // A team discipline's template whose interface leads into a "Team: Beste N" scoring.
    const int lauf = disc(target, QStringLiteral("Lauf"));
    const int teamNode = node(5, {lauf}, {QStringLiteral("2")});
    use(target);
    QByteArray file = golden("discipline.qdt");
    file.replace("<Team>false</Team>", "<Team>true</Team>");
    const TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(file);
    TParameterMappingRows rows = mappingOf({});
    rows.loadParams(read.templ.params->Parameters);
    rows.loadReferences(read.templ.aggRoot.get());
    rows.assignReference(0, teamNode, QStringLiteral("Team"));
    std::vector<GlobalParametersInfoType> created;
    rows.AddNewGlobalParameters(created);
    auto request = discImportRequest(read.templ, rows, created, QStringLiteral("Staffel"), 0,
                                     SquadAssignmentType::teamDistributed, 0, target);
    auto [response, outcome] = run(discImportRequests(), std::move(request));
    ASSERT_EQ(outcome.errorId, 143);
    EXPECT_EQ(discImportErrorText(outcome),
              QStringLiteral("Die Disziplinvorlage kann nicht importiert werden, da der Ergebnis-Aggregator \"Team: "
                             "Beste N\" das zugeordnete Eingabeformat nicht unterstützt. Vermutlich passt die "
                             "Disziplin nicht zu einer der gewählten Gesamtwertungen."));

    // Also a results template whose input is a team discipline.
    const int staffel = disc(target, QStringLiteral("Staffel"), true);
    const TTemplateRead<TResultsTemplate> overall = LoadResultsFromStream(golden("overall.qrt"));
    TParameterMappingRows resRows = mappingOf({});
    resRows.loadParams(overall.templ.params->Parameters);
    std::vector<GlobalParametersInfoType> resCreated;
    resRows.AddNewGlobalParameters(resCreated);
    auto [resResponse, resOutcome] =
        run(resImportRequests(),
            resImportRequest(overall.templ, resRows, resCreated, {{30, {staffel}, QStringLiteral("Team-Wertung")}},
                             QStringLiteral("overall.qrt"), target));
    ASSERT_EQ(resOutcome.errorId, 143);
    EXPECT_EQ(resImportErrorText(resOutcome),
              QStringLiteral("Die Gesamtwertungsvorlage kann nicht importiert werden, da der Ergebnis-Aggregator "
                             "\"Team: Beste N\" das zugeordnete Eingabeformat nicht unterstützt. Vermutlich passt "
                             "die Gesamtwertungsvorlage nicht zu den gewählten Disziplinen."));

    // Read from the data file: the two disciplines made here, the one node, no parameter, no key.
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM disciplines WHERE competition_id = ?", target), 2);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM aggregators WHERE competition_id = ?", target), 1);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM global_parameters WHERE competition_id = ?", target), 0);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM ui_infos WHERE key LIKE 'Results%' AND assoc_id <> ?", 0), 0);
}

TEST_F(TemplatesOnStandin, AnOverallScoringIsConnectedToEveryChosenDiscipline)
{
    const int a = disc(target, QStringLiteral("A"));
    const int b = disc(target, QStringLiteral("B"));
    const int c = disc(target, QStringLiteral("C"));
    use(target);
    const TTemplateRead<TResultsTemplate> read = LoadResultsFromStream(golden("overall.qrt"));
    TParameterMappingRows rows = mappingOf({});
    rows.loadParams(read.templ.params->Parameters);
    std::vector<GlobalParametersInfoType> created;
    rows.AddNewGlobalParameters(created);

    // Not connected: refused before anything is sent.
    auto [none, refused] = run(resImportRequests(),
                               resImportRequest(read.templ, rows, created, {}, QStringLiteral("overall.qrt"), target));
    EXPECT_EQ(refused.error,
              QStringLiteral("Keine passenden Disziplinen für die Gesamtwertung \"overall.qrt\" gefunden."));

    auto [response, outcome] =
        run(resImportRequests(),
            resImportRequest(read.templ, rows, created, {{30, {a, b, c}, QStringLiteral("Team-Wertung")}},
                             QStringLiteral("overall.qrt"), target));
    ASSERT_TRUE(outcome.ok()) << outcome.error.toStdString();
    const int made = mapID(30, response->IDMap);
    ASSERT_NE(made, 0);
    const AggregatorTreeNodeType created30 =
        client->drs()->getResultAggregatorTree(c, target).at(0).OutputConnections.at(0);
    EXPECT_EQ(created30.ID, made);
    EXPECT_EQ(created30.AggregatorInfo->ConnectedAggregators, (std::vector<int>{a, b, c}));
    EXPECT_EQ(created30.AggregatorInfo->Parameters, std::vector<QString>{QStringLiteral("N")});
    EXPECT_EQ(info(QStringLiteral("ResultsTopLevelConnection0"), made), QStringLiteral("Team-Wertung"));
    const std::vector<GlobalParametersType> params = client->drs()->getGlobalParameters(target);
    ASSERT_EQ(params.size(), 1u);
    EXPECT_EQ(params[0].Key, QStringLiteral("N"));
    EXPECT_EQ(params[0].Value, 3);
}

// ---- on the fake server ----

namespace {

class TemplatesOnFake : public ::testing::Test {
protected:
    TemplatesOnFake() { fake->acceptTransactions(); }
    std::unique_ptr<CompetitionManagementPortType> cms()
    {
        return GetCompetitionManagementPortType(false,
                                                QStringLiteral("http://127.0.0.1:1/TrivantaPentrel/services/"
                                                               "CompetitionManagementService/"),
                                                &rio);
    }
    FakeServerInstall fake;
    THTTPRIO rio;
};

ResultAggregatorInstanceInfoType instanceNaming(const QString& parameter)
{
    ResultAggregatorInstanceInfoType n;
    n.TemplateID = 2;
    n.ConnectedAggregators = {7};
    n.Parameters = {QStringLiteral("0"), parameter};
    return n;
}

} // namespace

TEST_F(TemplatesOnFake, AServerRefusingEveryRepairEndsWithItsRefusal)
{
    const QStringList fault{QStringLiteral("Summe"), QStringLiteral("Streich"), QStringLiteral("Streich")};
    fake->fault<op::assignResultAggregator>(57, fault, QStringLiteral("Parameter fehlt"));
    fake->answer<op::setGlobalParameter>();
    // The name it gives is gone from the instance after the first rename.
    try {
        (void)assignResultAggregatorCreateUnmappedResAggs(nullptr, QStringLiteral("T"), 1, {}, *cms(),
                                                          instanceNaming(QStringLiteral("Streich")));
        ADD_FAILURE() << "created";
    } catch (const ETvExceptionDetail& e) {
        EXPECT_EQ(e.ExceptionID, 57);
        EXPECT_EQ(e.message(), QStringLiteral("Parameter fehlt"));
    }
    EXPECT_EQ(fake->callsOf<op::assignResultAggregator>().size(), 2u);

    // A server naming whatever the instance holds: renamed, created, and refused once more.
    fake->clearRequests();
    fake->on<op::assignResultAggregator>([](const op::assignResultAggregator& a) -> assignResultAggregatorResponse1 {
        throw FakeFault{57,
                        {QStringLiteral("Summe"), QStringLiteral("Streich"), a.ResultAggregator->Parameters.at(1)},
                        QStringLiteral("Parameter fehlt")};
    });
    std::vector<TReplacedParameter> replaced;
    EXPECT_THROW((void)assignResultAggregatorCreateUnmappedResAggs(&replaced, QStringLiteral("T"), 1, {}, *cms(),
                                                                   instanceNaming(QStringLiteral("Streich"))),
                 ETvExceptionDetail);
    const auto calls = fake->callsOf<op::assignResultAggregator>();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].ResultAggregator->Parameters.at(1), QStringLiteral("NEU_T_Streich"));
    EXPECT_EQ(fake->callsOf<op::setGlobalParameter>().size(), 1u);
    EXPECT_EQ(replaced.size(), 1u);

    // A 57 without the name, or another refusal, passes at once.
    fake->clearRequests();
    fake->fault<op::assignResultAggregator>(57, {QStringLiteral("Summe")});
    EXPECT_THROW((void)assignResultAggregatorCreateUnmappedResAggs(nullptr, QStringLiteral("T"), 1, {}, *cms(),
                                                                   instanceNaming(QStringLiteral("Streich"))),
                 ETvExceptionDetail);
    EXPECT_EQ(fake->callsOf<op::assignResultAggregator>().size(), 1u);
}

TEST_F(TemplatesOnFake, TheDisciplineImportCallsInItsOrder)
{
    createDisciplinResponse disc;
    disc.Disciplin.ensure().DisciplinID = 500;
    fake->answer<op::createDisciplin>(disc);
    fake->answer<op::setUiInfo>();
    fake->answer<op::setGlobalParameter>();
    int next = 600;
    fake->on<op::assignResultAggregator>([&next](const op::assignResultAggregator&) {
        assignResultAggregatorResponse1 r;
        r.CreatedResultAggregator.ensure().ID = next++;
        return r;
    });
    fake->answer<op::connectProviderToResultAggregator>({});

    const TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(golden("discipline.qdt"));
    TParameterMappingRows rows = mappingOf({});
    rows.loadParams(read.templ.params->Parameters);
    rows.loadReferences(read.templ.aggRoot.get());
    rows.assignReference(0, 900, QStringLiteral("Gesamt"));
    std::vector<GlobalParametersInfoType> created;
    rows.AddNewGlobalParameters(created);
    auto request = discImportRequest(read.templ, rows, created, QStringLiteral("Sprint"), 0,
                                     SquadAssignmentType::teamDistributed, 0, 1);
    const TDiscImportResponse response = createDisciplineFromTemplate(*cms(), *request, nullptr, {});

    EXPECT_EQ(fake->operations(),
              (std::vector<std::string>{"createDisciplin", "setUiInfo", "setUiInfo", "setUiInfo", "setGlobalParameter",
                                        "assignResultAggregator", "assignResultAggregator",
                                        "connectProviderToResultAggregator", "setUiInfo", "setUiInfo", "setUiInfo",
                                        "setUiInfo", "setUiInfo", "setUiInfo"}));
    const auto assigned = fake->callsOf<op::assignResultAggregator>();
    EXPECT_EQ(assigned[0].ResultAggregator->ConnectedAggregators, std::vector<int>{500}) << "the new discipline";
    EXPECT_EQ(assigned[1].ResultAggregator->ConnectedAggregators, std::vector<int>{600});
    const auto connected = fake->callsOf<op::connectProviderToResultAggregator>();
    EXPECT_EQ(connected[0].AggregatorId, 900);
    EXPECT_EQ(connected[0].ProviderId, 601);
    const auto infos = fake->callsOf<op::setUiInfo>();
    EXPECT_EQ(infos[3].Key, QStringLiteral("ResultsOutputConnections0"));
    EXPECT_EQ(infos[3].AssotiatedId, 601);
    EXPECT_EQ(infos[4].Key, QStringLiteral("ResultsOutputConnections1"));
    EXPECT_EQ(infos[5].Key, QStringLiteral("Label"));
    EXPECT_EQ(infos[5].AssotiatedId, 600);
    EXPECT_EQ(response.discId, 500);

    // An overall scoring without connection is refused before the first call.
    fake->clearRequests();
    const TTemplateRead<TResultsTemplate> overall = LoadResultsFromStream(golden("overall.qrt"));
    auto res = resImportRequest(overall.templ, rows, {{QStringLiteral("N"), 3}}, {{30, {}, QStringLiteral("x")}},
                                QStringLiteral("overall.qrt"), 1);
    EXPECT_THROW((void)createResFromTemplate(*cms(), *res, nullptr, {}), ENoFittingDisciplineException);
    EXPECT_TRUE(fake->operations().empty());
}
