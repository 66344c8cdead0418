// A competition type's per-age-class tabs as the wizard fills them: every template file of the
// folder read and hashed, matched with the age class's references, filtered to the recommended
// ones and the chosen ones applied. 300 discipline templates of 30 nodes; 60 results templates.

#include "setup/CompetitionTypeSections.h"
#include "setup/TemplateFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using tvp::proto::TExportAggregatorTreeNodeType;

TExportAggregatorTreeNodeType node(int id, int depth)
{
    TExportAggregatorTreeNodeType n;
    n.ID = id;
    auto& info = n.AggregatorInfo.ensure();
    info.TemplateID = 1 + id % 4;
    info.Parameters = {QStringLiteral("Faktor"), QStringLiteral("2")};
    n.name = QStringLiteral("Knoten %1").arg(id);
    n.VisCertificate = id % 3 == 0;
    n.externalConnections.push_back({id, QStringLiteral("Gesamt")});
    // Ten branches of three nodes each below the discipline's own node.
    if (depth < 2)
        n.OutputConnections.push_back(node(id + 1, depth + 1));
    return n;
}

QByteArray discipline(int n)
{
    tvp::TDiscTemplateContent content;
    content.DisciplinInfo.Name = QStringLiteral("Disziplin %1").arg(n);
    content.GlobalParameters.Parameters.push_back({QStringLiteral("Faktor"), 1.5, {}});
    TExportAggregatorTreeNodeType root;
    root.ID = 1;
    for (int b = 0; b < 10; ++b)
        root.OutputConnections.push_back(node(10 + b * 3, 0));
    content.OutputConnections.push_back(std::move(root));
    return writeDiscTemplate(content);
}

QByteArray results(int n)
{
    tvp::proto::TExportParameters params;
    params.Parameters.push_back({QStringLiteral("N"), 3, {}});
    tvp::proto::TExportAggregators inputs;
    for (int i = 0; i < 4; ++i)
        inputs.Aggregators.push_back(node(100 * n + 10 * i, 0));
    return tvp::writeResultsTemplate(false, params, inputs);
}

void writeFile(const QString& path, const QByteArray& bytes, benchmark::State& state)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0)
        state.SkipWithError("cannot write the templates");
}

// Every second file is listed, each reference with a constraint on the age class's choice.
QByteArray typeFor(const QStringList& discHashes, const QStringList& resHashes)
{
    QByteArray refs;
    for (int i = 0; i < discHashes.size(); i += 2)
        refs +=
            "<Discipline hashValue='" + discHashes[i].toUtf8() + "' hashAlgorithm='SHA1' templateName='D" +
            QByteArray::number(i) +
            " $(#current(AgeClass)/Name)'><DisciplineGroup>G</DisciplineGroup><constraint failType='warn' "
            "userFeedbackOnFail='zu viele'><less expression1='$(#current(AgeClass)/SelectedDisciplineTemplatesCount)' "
            "expression2='9'/></constraint></Discipline>";
    QByteArray resRefs;
    for (int i = 0; i < resHashes.size(); i += 2)
        resRefs += "<ResultTemplate hashValue='" + resHashes[i].toUtf8() + "' hashAlgorithm='SHA1' templateName='R" +
                   QByteArray::number(i) + "'/>";
    return "<CompetitionType><DisplayName>Typ</DisplayName><AgeClasses><TeamStartFeeDefault>0</TeamStartFeeDefault>"
           "<AthleteStartFeeDefault>0</AthleteStartFeeDefault><AgeClass><Name>U10</Name></AgeClass></AgeClasses>"
           "<Disciplines><GlobalParameters/><Constraints><constraint failType='incompliant' userFeedbackOnFail='zwei'>"
           "<greater expression1='$(#current(AgeClass)/SelectedDisciplinesCount)' expression2='1'/></constraint>"
           "</Constraints>" +
           refs + "</Disciplines><ResultEvaluation><GlobalParameters/><Constraints/>" + resRefs +
           "</ResultEvaluation></CompetitionType>";
}

class Folder {
public:
    explicit Folder(benchmark::State& state)
    {
        for (int n = 0; n < 300; ++n) {
            const QByteArray bytes = discipline(n);
            discHashes.push_back(tvp::secureHashOf(bytes));
            writeFile(dir.filePath(QStringLiteral("d%1.qdt").arg(n, 3, 10, QLatin1Char('0'))), bytes, state);
        }
        for (int n = 0; n < 60; ++n) {
            const QByteArray bytes = results(n);
            resHashes.push_back(tvp::secureHashOf(bytes));
            writeFile(dir.filePath(QStringLiteral("r%1.qrt").arg(n, 2, 10, QLatin1Char('0'))), bytes, state);
        }
        type = std::make_unique<tvp::TCompetitionType>(typeFor(discHashes, resHashes));
    }
    QTemporaryDir dir;
    QStringList discHashes;
    QStringList resHashes;
    std::unique_ptr<tvp::TCompetitionType> type;
};

void BM_DisciplineTabOf300Templates(benchmark::State& state)
{
    Folder folder(state);
    tvp::CTT_AgeClassType& ageClass = folder.type->AgeClasses().getAgeClass(0);
    for (int i = 0; i < 6; i += 2)
        ageClass.getDisciplineSelectionState().select(folder.discHashes[i], QStringLiteral("SHA1"));
    for (auto _ : state) {
        ageClass.reloadDisciplines();
        const auto loaded = tvp::loadDisciplineTemplates(folder.dir.path());
        const std::vector<std::shared_ptr<tvp::TAbstractTemplateWrapper>> all(loaded.templates.begin(),
                                                                              loaded.templates.end());
        const tvp::TTemplateFilterResult shown =
            tvp::filterTemplates(ageClass, tvp::TTemplateKind::Discipline, all, tvp::TTemplateFilter::Recommended,
                                 QStringLiteral("Typ"), folder.dir.path());
        tvp::applySelection(ageClass, tvp::TTemplateKind::Discipline, shown.rows);
        QStringList errors;
        const auto messages = tvp::ageClassMessages(ageClass, tvp::TTemplateKind::Discipline, {}, &errors);
        if (loaded.templates.size() != 300 || shown.rows.size() != 150 || ageClass.getSelectedDisciplines().size() != 3)
            state.SkipWithError("templates not listed");
        benchmark::DoNotOptimize(messages.data());
    }
}
BENCHMARK(BM_DisciplineTabOf300Templates)->Unit(benchmark::kMillisecond);

void BM_ResultEvaluationTabOf60Templates(benchmark::State& state)
{
    Folder folder(state);
    tvp::CTT_AgeClassType& ageClass = folder.type->AgeClasses().getAgeClass(0);
    ageClass.getResEvalSelectionState().select(folder.resHashes[0], QStringLiteral("SHA1"));
    for (auto _ : state) {
        ageClass.reloadResEvals();
        ageClass.clearResEvals();
        const auto loaded = tvp::loadResEvalTemplates(folder.dir.path());
        for (const auto& w : loaded.templates)
            ageClass.addResEval(w);
        const std::vector<std::shared_ptr<tvp::TAbstractTemplateWrapper>> all(ageClass.loadedResEvals().begin(),
                                                                              ageClass.loadedResEvals().end());
        const tvp::TTemplateFilterResult shown =
            tvp::filterTemplates(ageClass, tvp::TTemplateKind::ResultEvaluation, all, tvp::TTemplateFilter::All,
                                 QStringLiteral("Typ"), folder.dir.path());
        tvp::applySelection(ageClass, tvp::TTemplateKind::ResultEvaluation, shown.rows);
        if (shown.rows.size() != 60 || ageClass.getSelectedResEvals().size() != 1)
            state.SkipWithError("templates not listed");
    }
}
BENCHMARK(BM_ResultEvaluationTabOf60Templates)->Unit(benchmark::kMillisecond);

} // namespace
