// An age class created with its chosen templates on the stand-in, inside one transaction as the
// competition creation runs it: discipline names and mapped parameters, overall scorings fed by the
// disciplines' interfaces, intermediate scorings per discipline, and nothing left of a scoring that
// one discipline cannot feed fully. Read back from the stand-in's data file.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "setup/CompetitionTypeSections.h"
#include "setup/TemplateFiles.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

struct CreateRequest : TRequest {
    CTT_AgeClassType* ageClass = nullptr;
    int competitionId = 0;
};
struct CreateResponse : TResponse {
    int ageClassId = 0;
    std::vector<TReplacedParameter> replaced;
};

void createAgeClassOnWorker(TServicePorts& ports, const CreateRequest& request, CreateResponse& response)
{
    response.ageClassId = request.ageClass->createAgeClass(request.competitionId, ports, 20, &response.replaced);
}

const TRequestTable<CreateRequest, CreateResponse>& createTable()
{
    static const TRequestTable<CreateRequest, CreateResponse> table{
        {{0, QStringLiteral("Veranstaltung anlegen"), &createAgeClassOnWorker}}};
    return table;
}

TExportAggregatorTreeNodeType input(int id, const char* name)
{
    TExportAggregatorTreeNodeType n;
    n.ID = id;
    ResultAggregatorInstanceType& info = n.AggregatorInfo.ensure();
    info.TemplateID = 5;
    info.Parameters = {QStringLiteral("N")};
    n.name = QString::fromLatin1(name);
    n.VisCertificate = true;
    return n;
}

class AgeClassCreation : public StandinTest {
protected:
    void SetUp() override
    {
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        comp = client->create(QStringLiteral("Sportfest"));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = standin.folder() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray results(std::vector<TExportAggregatorTreeNodeType> inputs)
    {
        TExportParameters params;
        params.Parameters.push_back({QStringLiteral("N"), 3, {}});
        TExportAggregators all;
        all.Aggregators = std::move(inputs);
        return writeResultsTemplate(false, params, all);
    }

    // One age class U10: the golden discipline (its "Summe" feeds "Gesamt" and "Neu") as "Sprint",
    // and the overall scoring "Wertung" (input "Neu") with the intermediate scoring "Zwei" per
    // discipline, whose inputs are "Gesamt" and, with missingInput, "Fehlt", which nothing feeds.
    TRequestOutcome createWith(bool missingInput, const QByteArray& wertungChildren = {},
                               const QByteArray& intermediate = "Zwei")
    {
        QFile golden(QStringLiteral(TVP_TEMPLATE_GOLDEN "/discipline.qdt"));
        EXPECT_TRUE(golden.open(QIODevice::ReadOnly));
        auto sprint =
            std::make_shared<TDisciplineTemplateWrapper>(write(QStringLiteral("sprint.qdt"), golden.readAll()));
        std::vector<TExportAggregatorTreeNodeType> zweiInputs{input(30, "Gesamt")};
        if (missingInput)
            zweiInputs.push_back(input(31, "Fehlt"));
        auto zwei = std::make_shared<TResEvalTemplateWrapper>(write(QStringLiteral("Zwei.qrt"), results(zweiInputs)));
        auto wertung = std::make_shared<TResEvalTemplateWrapper>(
            write(QStringLiteral("Wertung.qrt"), results({input(50, "Neu")})));

        auto ref = [](const TSecureHashFile& f, const char* name) {
            return "hashValue='" + f.SecureHash().toUtf8() + "' hashAlgorithm='SHA1' templateName='" + name + "'";
        };
        type = std::make_unique<tvp::TCompetitionType>(
            "<CompetitionType><DisplayName>Testtyp</DisplayName><AgeClasses><TeamStartFeeDefault>0"
            "</TeamStartFeeDefault><AthleteStartFeeDefault>0</AthleteStartFeeDefault><AgeClass><Name>U10</Name>"
            "<DefaultMinTeamMembers>4</DefaultMinTeamMembers></AgeClass></AgeClasses>"
            "<Disciplines><GlobalParameters><Parameters><Name>Faktor</Name><DefaultValue>2</DefaultValue></Parameters>"
            "</GlobalParameters><Constraints/><Discipline " +
            ref(*sprint, "Sprint") +
            "><GlobalParameterMapping><Parameter name='Faktor Sprint' value='Faktor'/></GlobalParameterMapping>"
            "</Discipline></Disciplines>"
            "<ResultEvaluation><GlobalParameters><Parameters><Name>N</Name><DefaultValue>3</DefaultValue></Parameters>"
            "</GlobalParameters><Constraints/><ResultTemplate " +
            ref(*wertung, "Wertung") + ">" + wertungChildren +
            "<IntermediateResultTemplates><IntermediateResultTemplate templateName='" + intermediate +
            "'/>"
            "</IntermediateResultTemplates></ResultTemplate><ResultTemplate " +
            ref(*zwei, "Zwei") +
            "/></ResultEvaluation><ResultPresentations><ResultPresentation><Name>Urkunden $(#current(AgeClass)/Name)"
            "</Name><defaultPriority>0</defaultPriority></ResultPresentation></ResultPresentations></CompetitionType>");
        ageClass = &type->AgeClasses().getAgeClass(0);

        // As the tabs do it: the recommended templates take their reference's names.
        const TTemplateFilterResult discs =
            filterTemplates(*ageClass, TTemplateKind::Discipline, {sprint}, TTemplateFilter::Recommended,
                            QStringLiteral("Testtyp"), standin.folder());
        EXPECT_EQ(discs.rows.size(), 1u);
        ageClass->getDisciplineSelectionState().select(sprint->SecureHash(), sprint->HashAlgorithm());
        applySelection(*ageClass, TTemplateKind::Discipline, discs.rows);
        ageClass->addResEval(zwei);
        ageClass->addResEval(wertung);
        ageClass->addSelectedResEval(wertung);

        TCurrentCompetition competition;
        TRequestContext context{competition};
        RecordingContext recorder{context};
        QObject window;
        bool done = false;
        TRequestOutcome outcome;
        TRequestRoad<CreateRequest, CreateResponse> road(
            context, createTable(), &window, [&](std::unique_ptr<CreateResponse> r, const TRequestOutcome& o) {
                response = std::move(r);
                outcome = o;
                done = true;
            });
        auto request = std::make_unique<CreateRequest>();
        request->ageClass = ageClass;
        request->competitionId = comp;
        road.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
        EXPECT_TRUE(waitUntil([&] { return done; }, 10000));
        return outcome;
    }

    int count(const char* sql) { return seed->count(sql, comp); }

    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    std::unique_ptr<tvp::TCompetitionType> type;
    CTT_AgeClassType* ageClass = nullptr;
    std::unique_ptr<CreateResponse> response;
    int comp = 0;
};

} // namespace

TEST_F(AgeClassCreation, DisciplinesOverallAndIntermediateScoringsAreCreatedForTheAgeClass)
{
    const TRequestOutcome outcome = createWith(false);
    ASSERT_TRUE(outcome.ok()) << outcome.error.toStdString();
    ASSERT_TRUE(response);
    const std::vector<AgeClassType> ageClasses = client->drs()->getAgeClasses(comp, nullptr);
    ASSERT_EQ(ageClasses.size(), 1u);
    EXPECT_EQ(ageClasses[0].AgeClassID, response->ageClassId);
    EXPECT_EQ(ageClasses[0].BillingPricePerTeam, 20);
    EXPECT_EQ(ageClasses[0].MinTeamMembers, 4);

    const std::vector<DisciplinType> discs = client->drs()->getDisciplines(comp, nullptr, 0);
    ASSERT_EQ(discs.size(), 1u);
    EXPECT_EQ(discs[0].Name, QStringLiteral("Sprint U10"));
    EXPECT_EQ(discs[0].AgeClassID, response->ageClassId);

    // The discipline's two nodes, the intermediate "Zwei" for it, and "Wertung".
    EXPECT_EQ(count("SELECT COUNT(*) FROM aggregators WHERE competition_id = ?"), 4);
    const std::vector<AggregatorTreeNodeType> tree = client->drs()->getResultAggregatorTree(discs[0].DisciplinID, comp);
    const AggregatorTreeNodeType& best = tree.at(0).OutputConnections.at(0);
    EXPECT_EQ(best.AggregatorInfo->Parameters, std::vector<QString>{QStringLiteral("Faktor")}) << "mapped";
    const AggregatorTreeNodeType& sum = best.OutputConnections.at(0);
    EXPECT_EQ(sum.OutputConnections.size(), 2u) << "Summe feeds the intermediate and the overall scoring";
    EXPECT_TRUE(response->replaced.empty());
    EXPECT_TRUE(ageClass->getResEvalItem(0).cert().isDiscRegisteredAsIntermediateParam(discs[0].DisciplinID));

    // The overall scoring first, then the discipline's intermediate scoring, its certificate node
    // and the discipline itself.
    const std::vector<aggregatorCollectionType> collections =
        GetUiRetrievalPortType(false, QString::fromStdString(client->url("UiRetrievalService")), &client->rio)
            ->getAggregatorCollection(comp, 0);
    ASSERT_EQ(collections.size(), 1u);
    EXPECT_EQ(collections[0].Name, QStringLiteral("Urkunden U10"));
    const std::vector<int>& ids = collections[0].AggIds;
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_EQ(client->drs()->getUiInfo(QStringLiteral("Label"), ids[0]).Value, QStringLiteral("U10 Neu"));
    EXPECT_EQ(client->drs()->getUiInfo(QStringLiteral("Label"), ids[1]).Value, QStringLiteral("U10 Gesamt"));
    EXPECT_EQ(ids[2], sum.ID);
    EXPECT_EQ(ids[3], discs[0].DisciplinID);
}

// A results template with two inputs of which one fits the discipline used to leave the fitting
// input's node behind when the other was found to have no source.
TEST_F(AgeClassCreation, AnIntermediateScoringOneDisciplineCannotFeedLeavesNoNode)
{
    const TRequestOutcome outcome = createWith(true);
    ASSERT_TRUE(outcome.ok()) << outcome.error.toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM aggregators WHERE competition_id = ?"), 3);
    const std::vector<DisciplinType> discs = client->drs()->getDisciplines(comp, nullptr, 0);
    ASSERT_EQ(discs.size(), 1u);
    const std::vector<AggregatorTreeNodeType> tree = client->drs()->getResultAggregatorTree(discs[0].DisciplinID, comp);
    EXPECT_EQ(tree.at(0).OutputConnections.at(0).OutputConnections.at(0).OutputConnections.size(), 1u)
        << "only the overall scoring";
    EXPECT_FALSE(ageClass->getResEvalItem(0).cert().isDiscRegisteredAsIntermediateParam(discs[0].DisciplinID));
}

TEST_F(AgeClassCreation, AnOverallScoringWithEveryDisciplineExcludedFailsTheWholeRun)
{
    const TRequestOutcome outcome =
        createWith(false, "<excludeInputs><Discipline templateName='Sprint'/></excludeInputs>");
    EXPECT_EQ(outcome.error, QStringLiteral("Keine passenden Disziplinen für die Gesamtwertung \"Wertung\" gefunden."));
    EXPECT_EQ(count("SELECT COUNT(*) FROM age_classes WHERE competition_id = ?"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM disciplines WHERE competition_id = ?"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM aggregators WHERE competition_id = ?"), 0);
}

// A scoring naming itself as its intermediate would be created inside itself without end.
TEST_F(AgeClassCreation, AnIntermediateScoringNamingItselfFailsTheRun)
{
    const TRequestOutcome outcome = createWith(false, {}, "Wertung");
    EXPECT_EQ(outcome.error, QStringLiteral("Zwischenwertung \"Wertung\" verweist auf sich selbst."));
    EXPECT_EQ(count("SELECT COUNT(*) FROM age_classes WHERE competition_id = ?"), 0);
    EXPECT_EQ(createWith(false, {}, "Keine").error, QStringLiteral("Zwischenwertung \"Keine\" nicht gefunden"));
}
