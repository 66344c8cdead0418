#include "scoring/AggregatorSources.h"

#include "core/results/tvpTypes.h"
#include "scoring/AggregatorTreeModel.h"

#include <cstdlib>

namespace tvp {

namespace {

using enum TSourceRequestType;

void loadLabels(TServicePorts& ports, const TSourcesRequest& request, TSourcesResponse& response)
{
    response.UiValues = ports.drs().getUiInfos(request.UiKeys);
}

void loadAggInfo(TServicePorts& ports, const TSourcesRequest& request, TSourcesResponse& response)
{
    response.Id = request.ID;
    response.reqAggTemplate = ports.drs().getResultAggregatorInfo(request.ID);
}

void loadExternalDiscs(TServicePorts& ports, const TSourcesRequest& request, TSourcesResponse& response)
{
    response.Id = request.ID;
    response.tlDiscs = ports.drs().getToplevelSourceDisciplines(request.ID);
}

QString resultsOf(const QString& disciplineName)
{
    return QStringLiteral("Ergebnisse ") + disciplineName;
}

} // namespace

const TRequestTable<TSourcesRequest, TSourcesResponse>& sourceRequests()
{
    // Resolving runs in the background, without the wait window.
    static const TRequestTable<TSourcesRequest, TSourcesResponse> table{{
        {rt_getLabels, QStringLiteral("Namen laden (Ergebnis-Aggregatoren)"), &loadLabels, false},
        {rt_getAggInfo, QStringLiteral("Informationen laden (Ergebnis-Aggregatoren)"), &loadAggInfo, false},
        {rt_getExternalDiscs, QStringLiteral("Externe Quellen suchen (Ergebnis-Aggregatoren)"), &loadExternalDiscs,
         false},
    }};
    return table;
}

TAggregatorSources::TAggregatorSources(TDisciplineLookup disciplineLookup) : lookup_(std::move(disciplineLookup))
{
}

bool TAggregatorSources::add(int id)
{
    if (indexOf(id) >= 0)
        return false;
    TSourceRow& row = rows_.emplace_back();
    row.Id = id;
    return true;
}

void TAggregatorSources::remove(int index)
{
    if (index >= 0 && index < count())
        rows_.erase(rows_.begin() + index);
}

const TSourceRow* TAggregatorSources::row(int index) const
{
    return index >= 0 && index < count() ? &rows_[std::size_t(index)] : nullptr;
}

int TAggregatorSources::indexOf(int id) const
{
    for (int i = 0; i < count(); ++i)
        if (rows_[std::size_t(i)].Id == id)
            return i;
    return -1;
}

TSourceRow* TAggregatorSources::find(int id)
{
    const int i = indexOf(id);
    return i < 0 ? nullptr : &rows_[std::size_t(i)];
}

TAggregatorSources::TServerWork TAggregatorSources::resolve()
{
    TServerWork work;
    if (!tree_)
        return work;
    const TDisciplineInfo* treeDisc = tree_->CurDiscInfo();
    for (TSourceRow& row : rows_) {
        if (row.updated)
            continue;
        row.updated = true;
        if (const TUiAggregator* node = tree_->findAggregatorById(row.Id)) {
            row.SourceDisciplinId = treeDisc ? treeDisc->id : 0;
            row.CompetitionId = treeDisc ? treeDisc->competitionId : 0;
            row.SourceDisciplin = QStringLiteral("Intern");
            if (const proto::ResultAggregatorTemplateType* t = node->TemplateInfo()) {
                const auto* model = dynamic_cast<const TAggregatorNode*>(node);
                row.Name = model ? model->getParsedName() : node->getName();
                row.TemplateName = t->Name;
                // Its labels have not arrived yet: resolved again with the next pass.
                if (node->VisAnalysis() == TBool::bNotSet)
                    row.updated = false;
            } else if (treeDisc && row.Id == treeDisc->id) {
                row.Name = resultsOf(treeDisc->name);
            } else {
                row.Name = QStringLiteral("Unbekannt");
            }
            continue;
        }
        if (const TDisciplineInfo* disc = lookup_ ? lookup_(row.Id) : nullptr) {
            row.SourceDisciplinId = disc->id;
            row.CompetitionId = disc->competitionId;
            row.SourceDisciplin = QStringLiteral("Extern (%1)").arg(disc->name);
            row.Name = resultsOf(disc->name);
            continue;
        }
        row.SourceDisciplin = QStringLiteral("Extern, lade...");
        work.externalDiscs.push_back(row.Id);
        work.labelKeys.push_back(makeUiInfoKey(uiInfoKeys::Label, row.Id));
    }
    return work;
}

std::vector<int> TAggregatorSources::applyLabels(const std::vector<proto::UiInfoKeyValuePair>& pairs)
{
    std::vector<int> withoutLabel;
    for (const proto::UiInfoKeyValuePair& pair : pairs) {
        if (!pair.Key)
            continue;
        if (pair.Value.isEmpty()) {
            withoutLabel.push_back(pair.Key->AssotiatedId);
        } else if (TSourceRow* row = find(pair.Key->AssotiatedId)) {
            row->Name = pair.Value;
        }
    }
    return withoutLabel;
}

void TAggregatorSources::applyTemplateName(int id, const QString& name)
{
    if (TSourceRow* row = find(id))
        row->Name = name;
}

void TAggregatorSources::applyExternalDisciplines(int id, const std::vector<proto::DisciplinType>& disciplines,
                                                  int competitionId)
{
    TSourceRow* row = find(id);
    if (!row)
        return;
    if (disciplines.empty()) {
        row->SourceDisciplin = QStringLiteral("Fehler beim Laden.");
        row->SourceDisciplinId = 0;
        row->CompetitionId = 0;
        return;
    }
    QStringList names;
    for (const proto::DisciplinType& d : disciplines)
        names << d.Name;
    row->SourceDisciplin = names.join(QStringLiteral(", "));
    row->SourceDisciplinId = disciplines.front().DisciplinID;
    row->CompetitionId = disciplines.front().CompetitionID;
    for (const proto::DisciplinType& d : disciplines) {
        if (d.CompetitionID == competitionId) {
            row->SourceDisciplinId = d.DisciplinID;
            row->CompetitionId = d.CompetitionID;
        }
    }
}

void TAggregatorSources::applyNotAnAggregator(int id)
{
    if (TSourceRow* row = find(id))
        row->Name = QStringLiteral("Ergebnisse");
}

QString TAggregatorSources::caption(const TSourceRow& row)
{
    const int id = std::abs(row.Id);
    if (!row.Name.isEmpty())
        return QStringLiteral("%1 (%2)").arg(row.Name).arg(id);
    if (!row.TemplateName.isEmpty())
        return QStringLiteral("%1 (%2)").arg(row.TemplateName).arg(id);
    return QStringLiteral("Lade... (%1)").arg(id);
}

QString TAggregatorSources::origin(const TSourceRow& row)
{
    return row.SourceDisciplin.isEmpty() ? QStringLiteral("Lade...") : row.SourceDisciplin;
}

} // namespace tvp
