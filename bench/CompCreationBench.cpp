// A competition created from a type on the stand-in over loopback, as the wizard's "Veranstaltung
// anlegen" runs it: 6 age classes with 8 disciplines of 6 scoring nodes each, 2 overall scorings
// with an intermediate scoring per discipline, and 2 result presentations. At most 6 s.

#include "bench/BenchStandin.h"
#include "bench/QtBenchMain.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "setup/CompCreation.h"
#include "setup/TemplateFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QThread>

#include <memory>

using namespace tvp;

namespace {

constexpr int kAgeClasses = 6;
constexpr int kDisciplines = 8;

// The discipline's results (10) feed five nodes; "Summe" (21) hands on to the overall scorings.
QByteArray disciplineTemplate(int n)
{
    QByteArray nodes;
    for (int id = 22; id <= 24; ++id)
        nodes += "<OutputConnections><ID>" + QByteArray::number(id) +
                 "</ID><AggregatorInfo><TemplateID>1</TemplateID><Parameters>1</Parameters><ID>0</ID>"
                 "</AggregatorInfo><name>Versuch " +
                 QByteArray::number(id) +
                 "</name><VisAnalysis>false</VisAnalysis><VisCertificate>true"
                 "</VisCertificate></OutputConnections>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<tvp:DisciplinTemplate xmlns:tvp=\"http://trivanta.example/Trivanta/Pentrel/Templates\">"
           "<DisciplinInfo><Name>Lauf " +
           QByteArray::number(n) +
           "</Name><ResultAssignment>byBib</ResultAssignment><ResultTableType><Team>false</Team>"
           "<ResultsPerRow>3</ResultsPerRow><LowerValuesAreHigherRanked>false</LowerValuesAreHigherRanked>"
           "</ResultTableType><AgeClassID>0</AgeClassID><SquadAssignment>teamGrouped</SquadAssignment>"
           "<maxParticipantsPerHeat>8</maxParticipantsPerHeat></DisciplinInfo><ResultType>Time</ResultType>"
           "<ResultFormat>rf_Default</ResultFormat><HeightList></HeightList><GlobalParameters/>"
           "<OutputConnections><ID>10</ID>"
           "<OutputConnections><ID>20</ID><AggregatorInfo><TemplateID>1</TemplateID><Parameters>1</Parameters>"
           "<ID>0</ID></AggregatorInfo><OutputConnections><ID>21</ID><AggregatorInfo><TemplateID>2</TemplateID>"
           "<Parameters>2</Parameters><ID>0</ID></AggregatorInfo><name>Summe</name><VisAnalysis>false</VisAnalysis>"
           "<VisCertificate>true</VisCertificate><externalConnections><id>1</id><refLabel>Gesamt</refLabel>"
           "</externalConnections></OutputConnections><name>Bester</name><VisAnalysis>true</VisAnalysis>"
           "<VisCertificate>true</VisCertificate></OutputConnections>" +
           nodes +
           "<name>Lade...</name><VisAnalysis>false</VisAnalysis><VisCertificate>false</VisCertificate>"
           "</OutputConnections></tvp:DisciplinTemplate>";
}

QByteArray resultsTemplate()
{
    proto::TExportAggregatorTreeNodeType input;
    input.ID = 50;
    proto::ResultAggregatorInstanceType& info = input.AggregatorInfo.ensure();
    info.TemplateID = 5;
    info.Parameters = {QStringLiteral("3")};
    input.name = QStringLiteral("Gesamt");
    input.VisCertificate = true;
    proto::TExportAggregators all;
    all.Aggregators = {input};
    return writeResultsTemplate(false, {}, all);
}

struct Creation : bench::TBenchServer {
    Creation()
    {
        // The fees are typed in the program's German format.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        InitComm();
        competitionUrlHolderInstance().setServerUrl(serviceUrl());

        QByteArray discRefs;
        std::vector<std::shared_ptr<TDisciplineTemplateWrapper>> discs;
        for (int n = 1; n <= kDisciplines; ++n) {
            discs.push_back(std::make_shared<TDisciplineTemplateWrapper>(
                write(QStringLiteral("lauf%1.qdt").arg(n), disciplineTemplate(n))));
            discRefs += "<Discipline " + ref(*discs.back(), "Lauf " + QByteArray::number(n)) + "/>";
        }
        // Three files of one content would share one hash: each differs by a comment.
        std::vector<std::shared_ptr<TResEvalTemplateWrapper>> results;
        for (const char* name : {"Wertung A", "Wertung B", "Zwischen"})
            results.push_back(std::make_shared<TResEvalTemplateWrapper>(
                write(QString::fromLatin1(name) + QStringLiteral(".qrt"),
                      resultsTemplate() + "<!-- " + QByteArray(name) + " -->")));
        const QByteArray intermediate =
            "<IntermediateResultTemplates><IntermediateResultTemplate templateName='Zwischen'/>"
            "</IntermediateResultTemplates>";
        QByteArray ageClasses;
        for (int a = 0; a < kAgeClasses; ++a)
            ageClasses += "<AgeClass><Name>U" + QByteArray::number(8 + 2 * a) + "</Name></AgeClass>";
        type = std::make_unique<TCompetitionType>(
            "<CompetitionType><DisplayName>Bench</DisplayName><AgeClasses><TeamStartFeeDefault>0</TeamStartFeeDefault>"
            "<AthleteStartFeeDefault>0</AthleteStartFeeDefault>" +
            ageClasses + "</AgeClasses><Disciplines><GlobalParameters/><Constraints/>" + discRefs +
            "</Disciplines><ResultEvaluation><GlobalParameters/><Constraints/><ResultTemplate " +
            ref(*results[0], "Wertung A") + ">" + intermediate + "</ResultTemplate><ResultTemplate " +
            ref(*results[1], "Wertung B") + ">" + intermediate + "</ResultTemplate><ResultTemplate " +
            ref(*results[2], "Zwischen") +
            "/></ResultEvaluation><ResultPresentations>"
            "<ResultPresentation><Name>Urkunden</Name><defaultPriority>0</defaultPriority></ResultPresentation>"
            "<ResultPresentation><Name>Ergebnisliste</Name><defaultPriority>1</defaultPriority>"
            "</ResultPresentation></ResultPresentations></CompetitionType>");

        for (int a = 0; a < kAgeClasses; ++a) {
            CTT_AgeClassType& ageClass = type->AgeClasses().getAgeClass(a);
            std::vector<std::shared_ptr<TAbstractTemplateWrapper>> loaded(discs.begin(), discs.end());
            const TTemplateFilterResult rows = filterTemplates(
                ageClass, TTemplateKind::Discipline, loaded, TTemplateFilter::All, QStringLiteral("Bench"), dir.path());
            for (const auto& d : discs)
                ageClass.getDisciplineSelectionState().select(d->SecureHash(), d->HashAlgorithm());
            applySelection(ageClass, TTemplateKind::Discipline, rows.rows);
            for (const auto& r : results)
                ageClass.addResEval(r);
            ageClass.addSelectedResEval(results[0]);
            ageClass.addSelectedResEval(results[1]);
            input.ageClasses.push_back(&ageClass);
        }
        input.date = QDate(2026, 6, 20);
        input.teamFee = QStringLiteral("20,00");
        input.athleteFee = QStringLiteral("2,50");
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.path() + QLatin1Char('/') + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    static QByteArray ref(const TSecureHashFile& f, const QByteArray& name)
    {
        return "hashValue='" + f.SecureHash().toUtf8() + "' hashAlgorithm='SHA1' templateName='" + name + "'";
    }

    // One run; false when it failed.
    bool run(int n, QString* error)
    {
        TRequestContext context{competition};
        QObject window;
        bool done = false;
        TRequestOutcome outcome;
        TRequestRoad<TCompCreationRequest, TCompCreationResponse> road(
            context, compCreationRequests(), &window,
            [&](std::unique_ptr<TCompCreationResponse>, const TRequestOutcome& o) {
                outcome = o;
                done = true;
            });
        auto request = std::make_unique<TCompCreationRequest>();
        request->input = input;
        request->input.name = QStringLiteral("Sportfest %1").arg(n);
        road.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
        while (!done) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            QThread::usleep(100);
        }
        *error = outcome.error;
        return outcome.ok();
    }

    QTemporaryDir dir;
    TCurrentCompetition competition;
    std::unique_ptr<TCompetitionType> type;
    TCompCreationInput input;
};

void BM_CreateCompetitionOnLoopback(benchmark::State& state)
{
    Creation creation;
    int n = 0;
    std::vector<double> ms;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        QString error;
        if (!creation.run(++n, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    bench::reportMedianMs(state, ms);
    // What one run made, to see the sizes are the ones asked for.
    test::StandinSeed seed(creation.dataFile());
    state.counters["nodes_per_run"] = seed.count("SELECT COUNT(*) / ? FROM aggregators", n);
    state.counters["collections_per_run"] = seed.count("SELECT COUNT(*) / ? FROM aggregator_collections", n);
}
BENCHMARK(BM_CreateCompetitionOnLoopback)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

TVP_QT_BENCHMARK_MAIN();
