// The discipline windows' requests and editor rules without a window: result kinds and their UI
// infos, the node request from the editor, change checks, the walks over the scoring tree, and the
// requests against the stand-in.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/results/tvpUtils.h"
#include "organisation/DisciplinRequests.h"
#include "scoring/AggregatorTreeModel.h"
#include "tests/support/DisciplineSeed.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/TestUtil.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

UiInfoKeyValuePair pair(const QString& key, int id, const QString& value)
{
    UiInfoKeyValuePair p;
    p.Key = makeUiInfoKey(key, id);
    p.Value = value;
    return p;
}

DisciplinType disc(int id, const QString& name)
{
    DisciplinType d;
    d.DisciplinID = id;
    d.Name = name;
    d.ResultTableType.ensure().ResultsPerRow = 2;
    return d;
}

AggregatorTreeNodeType aggregator(int id, std::vector<int> sources, std::vector<AggregatorTreeNodeType> children = {})
{
    AggregatorTreeNodeType n;
    n.ID = id;
    ResultAggregatorInstanceType& info = n.AggregatorInfo.ensure();
    info.TemplateID = 1;
    info.ConnectedAggregators = std::move(sources);
    info.Parameters = {QStringLiteral("1")};
    n.OutputConnections = std::move(children);
    return n;
}

std::vector<int> ids(const std::vector<TUiAggregator*>& nodes)
{
    std::vector<int> out;
    for (const TUiAggregator* n : nodes)
        out.push_back(n->ID());
    return out;
}

} // namespace

TEST(DisciplinList, EachDisciplineTakesTheUiInfosAnsweredForItsOwnKeyAndId)
{
    // The answer in another order than asked, one discipline's format missing, a foreign entry.
    const std::vector<DisciplinType> discs{disc(10, QStringLiteral("Sprint")), disc(11, QStringLiteral("Hoch")),
                                           disc(12, QStringLiteral("Wurf"))};
    const std::vector<UiInfoKeyValuePair> answer{
        pair(QStringLiteral("Disciplin_ResultFormat"), 11, QStringLiteral("Heights")),
        pair(QStringLiteral("Disciplin_ResultType"), 12, QStringLiteral("Rank")),
        pair(QStringLiteral("Disciplin_HeightList"), 11, QStringLiteral("80;90;100")),
        pair(QStringLiteral("Disciplin_ResultType"), 10, QStringLiteral("Time")),
        pair(QStringLiteral("Disciplin_ResultFormat"), 10, QStringLiteral("Default")),
        pair(QStringLiteral("Disciplin_ResultType"), 11, QStringLiteral("Distance")),
        pair(QStringLiteral("Disciplin_ResultType"), 99, QStringLiteral("Time")),
    };
    const std::vector<TDiscListEntry> list = discListFromAnswer(discs, answer);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].info.resultType, ResultValueType::Time);
    EXPECT_TRUE(list[0].resultTypeLoaded && list[0].resultFormatLoaded);
    EXPECT_EQ(list[1].info.resultType, ResultValueType::Distance);
    EXPECT_EQ(list[1].info.resultFormat, TResultformat::rf_Height);
    EXPECT_EQ(list[1].info.heightList, QStringLiteral("80;90;100"));
    EXPECT_EQ(list[2].info.resultType, ResultValueType::Rank);
    EXPECT_FALSE(list[2].resultFormatLoaded) << "not answered: not loaded";
    EXPECT_EQ(list[2].info.resultFormat, TResultformat::rf_Default);
    EXPECT_EQ(list[2].info.attempts, 2);

    // A short answer leaves the kind unknown.
    const std::vector<TDiscListEntry> shortList = discListFromAnswer(discs, {});
    EXPECT_EQ(shortList[0].info.resultType, ResultValueType::Info);
    EXPECT_FALSE(shortList[0].resultTypeLoaded);
}

TEST(ResultKinds, TheComboShowsTypeAndFormatAsOneKind)
{
    const std::pair<ResultValueType, TResultformat> stored[] = {
        {ResultValueType::Distance, TResultformat::rf_Default},
        {ResultValueType::Time, TResultformat::rf_Default},
        {ResultValueType::Rank, TResultformat::rf_Default},
        {ResultValueType::Distance, TResultformat::rf_Points},
        {ResultValueType::Distance, TResultformat::rf_Height},
        {ResultValueType::Distance, TResultformat::rf_TargetPoints},
        {ResultValueType::Distance, TResultformat::rf_TargetPointCollection},
    };
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(resultKindIndex(stored[i].first, stored[i].second), i);
        EXPECT_EQ(resultTypeOfIndex(i), stored[i].first);
        EXPECT_EQ(getResultFormatfromComboboxSelection(i), stored[i].second);
    }
    EXPECT_EQ(resultKindIndex(ResultValueType::Time, TResultformat::rf_Points), 1) << "time whatever the format";
    EXPECT_EQ(resultKindIndex(ResultValueType::Info, TResultformat::rf_Height), 0) << "unknown shows as Weite";
    EXPECT_EQ(resultFormatToUIInfo(TResultformat::rf_Height), QStringLiteral("Heights"));
    EXPECT_TRUE(resultFormatToUIInfo(TResultformat::rf_Unknown).isEmpty());

    // An unknown stored kind shown as "Weite" is no change.
    TDisciplineInfo unknown;
    unknown.resultType = ResultValueType::Info;
    TDisciplineInfo editor;
    EXPECT_FALSE(discSettingsDiffer(editor, unknown));
    editor.maxParticipantsPerHeat = 45;
    EXPECT_TRUE(discSettingsDiffer(editor, unknown));
}

TEST(ScoringNodeEditor, ParameterCellsAreSentWithAPointOrAsTheEventParameterTheyName)
{
    const auto exists = [](const QString& name) { return name == QLatin1String("Bonus"); };
    EXPECT_EQ(aggregatorParameterValue(QStringLiteral("2,5"), exists), QStringLiteral("2.5"));
    EXPECT_EQ(aggregatorParameterValue(QStringLiteral("3.50"), exists), QStringLiteral("3.5"));
    EXPECT_EQ(aggregatorParameterValue(QStringLiteral("3,50"), exists), QStringLiteral("3.5"));
    EXPECT_EQ(aggregatorParameterValue(QStringLiteral("-12"), exists), QStringLiteral("-12"));
    EXPECT_EQ(aggregatorParameterValue(QStringLiteral("Bonus"), exists), QStringLiteral("Bonus"));
    EXPECT_FALSE(aggregatorParameterValue(QStringLiteral("abc"), exists));
    EXPECT_FALSE(aggregatorParameterValue(QString(), exists));

    ResultAggregatorTemplateType tmpl;
    tmpl.ID = 4;
    tmpl.ParameterTypes.resize(2);
    TAggEditorState editor;
    editor.selectedTemplate = &tmpl;
    editor.values = {QStringLiteral("2,5"), QStringLiteral("abc")};
    TAggRequestBuild bad = CreateAggregatorRequestCurrentLoaded(editor, {}, true, exists);
    EXPECT_FALSE(bad.request);
    EXPECT_EQ(bad.error, QStringLiteral("Parameter 2 hat ein ungültiges Format."));
    editor.selectedTemplate = nullptr;
    EXPECT_EQ(CreateAggregatorRequestCurrentLoaded(editor, {}, true, exists).error,
              QStringLiteral("Bitte einen Aggregator-Typ auswählen"));
}

TEST(ScoringNodeEditor, LabelAndMarksAreSentForNewNodesAndOnlyWhenChangedForStoredOnes)
{
    ResultAggregatorTemplateType tmpl;
    tmpl.ID = 1;
    tmpl.ParameterTypes.resize(1);
    TAggEditorState editor;
    editor.selectedTemplate = &tmpl;
    editor.values = {QStringLiteral("1")};
    editor.name = QStringLiteral("Gesamt");
    editor.nameEnabled = editor.visAnalysisEnabled = editor.visCertificateEnabled = true;

    auto fresh = CreateAggregatorRequestCurrentLoaded(editor, {}, true, {}).request;
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->aggInfo.TemplateID, 1);
    EXPECT_EQ(fresh->aggInfo.Parameters, std::vector<QString>{QStringLiteral("1")});
    EXPECT_TRUE(fresh->setName);
    EXPECT_EQ(fresh->UiInfos.FVisAnalysis, TBool::bFalse) << "a new node's marks always go";
    EXPECT_EQ(fresh->UiInfos.FVisCertificate, TBool::bFalse);

    const TAggUiInfos loaded{QStringLiteral("Gesamt"), TBool::bFalse, TBool::bTrue};
    editor.visAnalysis = true;
    editor.visCertificate = true;
    auto stored = CreateAggregatorRequestCurrentLoaded(editor, loaded, false, {}).request;
    EXPECT_FALSE(stored->setName) << "the label is as loaded";
    EXPECT_EQ(stored->UiInfos.FVisAnalysis, TBool::bTrue);
    EXPECT_EQ(stored->UiInfos.FVisCertificate, TBool::bNotSet);

    // Marks not loaded yet: their boxes are disabled and nothing is written.
    editor.visAnalysisEnabled = editor.visCertificateEnabled = editor.nameEnabled = false;
    editor.name = QStringLiteral("Lade...");
    auto waiting = CreateAggregatorRequestCurrentLoaded(
                       editor, {QStringLiteral("Lade..."), TBool::bNotSet, TBool::bNotSet}, false, {})
                       .request;
    EXPECT_FALSE(waiting->setName);
    EXPECT_EQ(waiting->UiInfos.FVisAnalysis, TBool::bNotSet);
    EXPECT_EQ(waiting->UiInfos.FVisCertificate, TBool::bNotSet);
}

TEST(ScoringNodeEditor, TheEditorDiffersFromTheStoredNodeInAnyOfItsParts)
{
    ResultAggregatorTemplateType tmpl;
    tmpl.ID = 1;
    tmpl.Name = QStringLiteral("Bester Versuch");
    tmpl.ParameterTypes.resize(1);
    TDisciplineInfo d;
    d.id = 7;
    AggregatorTreeNodeType root;
    root.ID = 7;
    root.OutputConnections = {aggregator(8, {7})};
    TAggregatorTreeModel tree(
        {root}, {7}, [&](int) { return &tmpl; }, &d);
    tree.setLabelsToAggTree({pair(QStringLiteral("Label"), 8, QStringLiteral("Gesamt")),
                             pair(QStringLiteral("ResAgg_VisAnalysis"), 8, QStringLiteral("true"))},
                            0);
    const TUiAggregator* n = tree.findAggregatorById(8);

    TAggEditorState editor;
    editor.selectedTemplate = &tmpl;
    editor.values = {QStringLiteral("1")};
    editor.name = QStringLiteral("Gesamt");
    editor.visAnalysis = true;
    editor.sources = {7};
    EXPECT_FALSE(aggItemChanged(editor, n));
    EXPECT_TRUE(aggItemChanged(editor, nullptr)) << "a template chosen for a new node";

    const auto changed = [&](auto change) {
        TAggEditorState e = editor;
        change(e);
        return aggItemChanged(e, n);
    };
    EXPECT_TRUE(changed([](TAggEditorState& e) { e.values[0] = QStringLiteral("2"); }));
    EXPECT_TRUE(changed([](TAggEditorState& e) { e.values.clear(); }));
    EXPECT_TRUE(changed([](TAggEditorState& e) { e.name = QStringLiteral("Neu"); }));
    EXPECT_TRUE(changed([](TAggEditorState& e) { e.visAnalysis = false; }));
    EXPECT_TRUE(changed([](TAggEditorState& e) { e.visCertificate = true; }));
    EXPECT_TRUE(changed([](TAggEditorState& e) { e.sources = {7, 30}; }));
    ResultAggregatorTemplateType other = tmpl;
    other.ID = 2;
    EXPECT_TRUE(changed([&](TAggEditorState& e) { e.selectedTemplate = &other; }));
    EXPECT_TRUE(changed([](TAggEditorState& e) { e.selectedTemplate = nullptr; })) << "the node exists";
    editor.selectedTemplate = nullptr;
    EXPECT_FALSE(aggItemChanged(editor, nullptr));
}

TEST(ScoringNodeWalks, RemovingANodeTakesTheNodesAboveThatHaveNoOtherSource)
{
    // 7 (the discipline) -> 8 -> 9 (only source 8) and 10 (sources 8 and 30) -> 11 (only source 9).
    TDisciplineInfo d;
    d.id = 7;
    AggregatorTreeNodeType root;
    root.ID = 7;
    root.OutputConnections = {aggregator(8, {7}, {aggregator(9, {8}, {aggregator(11, {9})}), aggregator(10, {8, 30})})};
    TAggregatorTreeModel tree({root}, {7}, {}, &d);

    std::vector<TUiAggregator*> list;
    selectRecursive(tree.findAggregatorById(8), list, TSelectType::st_SingleConnection);
    EXPECT_EQ(ids(list), (std::vector<int>{8, 9, 11}));
    list.clear();
    selectRecursive(tree.findAggregatorById(7), list, TSelectType::st_SingleConnection);
    EXPECT_TRUE(list.empty()) << "never the discipline's own node";

    // The labels of every node; the discipline's node has no marks.
    const std::vector<UiInfoKey> keys = aggregatorLabelKeys(tree);
    EXPECT_EQ(keys.size(), std::size_t(5 * 4 - 2));
    // The discipline's node comes last in the tree's order, with its label and the empty key only.
    EXPECT_EQ(keys[keys.size() - 2].Key, QStringLiteral("Label"));
    EXPECT_EQ(keys[keys.size() - 2].AssotiatedId, 7);
    EXPECT_TRUE(keys.back().Key.isEmpty());
}

TEST(ScoringNodeWalks, AnOverallEvaluationStartsWhereTheExternalNodesBegin)
{
    // 8 draws on the discipline; 9 on 8 and on 30 from elsewhere (external); 12 on 9 alone.
    TDisciplineInfo d;
    d.id = 7;
    AggregatorTreeNodeType root;
    root.ID = 7;
    root.OutputConnections = {aggregator(8, {7}, {aggregator(9, {8, 30}, {aggregator(12, {9, 31})})})};
    TAggregatorTreeModel tree({root}, {7}, {}, &d);
    ASSERT_EQ(tree.findAggregatorById(9)->getType(), TAggregatorType::ag_ExtRef);
    ASSERT_EQ(tree.findAggregatorById(12)->getType(), TAggregatorType::ag_ExtRef);

    std::vector<TUiAggregator*> start;
    getExportConnections(tree.findAggregatorById(12), start, TSelectType::st_ResEval);
    EXPECT_EQ(ids(start), std::vector<int>{9}) << "walked up while the parents are external";
    std::vector<TUiAggregator*> marked;
    for (TUiAggregator* n : start)
        selectRecursive(n, marked, TSelectType::st_ResEval);
    EXPECT_EQ(ids(marked), (std::vector<int>{9, 12}));
    EXPECT_TRUE(
        isConnectedToDifferentCompetitions(*tree.findAggregatorById(9), tree.findAggregatorById(9)->getParents()));
}

// ---- against the stand-in ----

namespace {

class DisciplinRequestsOnStandin : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        InitComm();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        const int id = client->create(QStringLiteral("Sportfest"));
        auto c = std::make_unique<CompetitionType>();
        c->ID = id;
        competition.SetCompetitionInternal(std::move(c));
        road = std::make_unique<Road>(context, disciplinRequests(), &window,
                                      [this](std::unique_ptr<TDisciplinResponse> r, const TRequestOutcome& o) {
                                          finished.push_back({std::move(r), o});
                                      });
    }

    using Road = TRequestRoad<TDisciplinRequest, TDisciplinResponse>;
    struct Finished {
        std::unique_ptr<TDisciplinResponse> response;
        TRequestOutcome outcome;
    };

    Finished& run(std::unique_ptr<TDisciplinRequest> r)
    {
        const TTransactionMode mode = disciplinRequestMode(r->reqType);
        road->AddRequest(std::move(r), mode);
        EXPECT_TRUE(waitUntil([this] { return road->pending() == 0; }, 10000));
        return finished.back();
    }

    std::unique_ptr<TDisciplinRequest> request(TDisciplinRequestType type, const QString& name = {}, int kind = 0)
    {
        auto r = std::make_unique<TDisciplinRequest>();
        r->reqType = type;
        r->disciplinInfo.name = name;
        r->disciplinInfo.attempts = 3;
        r->disciplinInfo.resultType = resultTypeOfIndex(kind);
        r->disciplinInfo.resultFormat = getResultFormatfromComboboxSelection(kind);
        return r;
    }

    QString info(const char* key, int id) { return client->drs()->getUiInfo(QString::fromLatin1(key), id).Value; }

    TCurrentCompetition competition;
    TRequestContext context{competition};
    RecordingContext recorder{context};
    QObject window;
    std::unique_ptr<StandinClient> client;
    std::unique_ptr<Road> road;
    std::vector<Finished> finished;
};

} // namespace

TEST_F(DisciplinRequestsOnStandin, CreateAndModifyKeepTheResultKindAsUiInfos)
{
    Finished& created = run(request(TDisciplinRequestType::rt_create, QStringLiteral("Hochsprung"), 4));
    ASSERT_TRUE(created.outcome.ok()) << created.outcome.error.toStdString();
    const int disc = created.response->discId;
    EXPECT_EQ(info("Disciplin_ResultType", disc), QStringLiteral("Distance"));
    EXPECT_EQ(info("Disciplin_ResultFormat", disc), QStringLiteral("Heights"));

    auto modify = request(TDisciplinRequestType::rt_modify, QStringLiteral("Lauf"), 1);
    modify->discId = disc;
    modify->resultTypeChanged = true;
    ASSERT_TRUE(run(std::move(modify)).outcome.ok());
    EXPECT_EQ(info("Disciplin_ResultType", disc), QStringLiteral("Time"));
    EXPECT_EQ(info("Disciplin_ResultFormat", disc), QStringLiteral("Default"));

    // A kind the list did not load is not written back.
    auto keep = request(TDisciplinRequestType::rt_modify, QStringLiteral("Lauf"), 0);
    keep->discId = disc;
    keep->writeResultType = false;
    keep->writeResultFormat = false;
    ASSERT_TRUE(run(std::move(keep)).outcome.ok());
    EXPECT_EQ(info("Disciplin_ResultType", disc), QStringLiteral("Time"));

    Finished& list = run(request(TDisciplinRequestType::rt_get));
    ASSERT_EQ(list.response->discinfos.size(), 1u);
    EXPECT_EQ(list.response->discinfos[0].info.name, QStringLiteral("Lauf"));
    EXPECT_EQ(list.response->discinfos[0].info.resultType, ResultValueType::Time);
    EXPECT_EQ(list.response->discinfos[0].info.attempts, 3);
}

TEST_F(DisciplinRequestsOnStandin, ARefusedModifyBringsBackWhatItWantedToChange)
{
    const int disc = run(request(TDisciplinRequestType::rt_create, QStringLiteral("Wurf"))).response->discId;
    DisciplineSeed seed(standin.dataFile());
    seed.result(disc, seed.squad(competition.getCompetitionId(false), 0).athlete);

    auto modify = request(TDisciplinRequestType::rt_modify, QStringLiteral("Wurf"), 2);
    modify->discId = disc;
    modify->resultTypeChanged = true;
    Finished& refused = run(std::move(modify));
    EXPECT_EQ(refused.outcome.errorId, 182);
    ASSERT_TRUE(refused.response);
    EXPECT_EQ(refused.response->discId, disc);
    EXPECT_TRUE(refused.response->resultTypeChanged);
    EXPECT_EQ(refused.response->disciplinInfo.resultType, ResultValueType::Rank);
    EXPECT_EQ(info("Disciplin_ResultType", disc), QStringLiteral("Distance")) << "nothing written";

    // The same without a change of kind goes through.
    auto same = request(TDisciplinRequestType::rt_modify, QStringLiteral("Wurf 2"), 0);
    same->discId = disc;
    EXPECT_TRUE(run(std::move(same)).outcome.ok());
}
