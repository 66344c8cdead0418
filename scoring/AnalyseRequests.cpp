#include "scoring/AnalyseRequests.h"

#include "core/connection/ServicePorts.h"
#include "core/lists/ListCells.h"
#include "core/protocol/WebServices.h"
#include "core/results/tvpUtils.h"

#include <algorithm>
#include <set>

namespace tvp {

namespace {

void copyRequest(const TAnalyseRequest& request, TAnalyseResponse& response)
{
    response.reqType = request.reqType;
    response.resProvId = request.resProvId;
    response.disciplineID = request.DisciplinId;
    response.cupID = request.cupID;
}

void getAggChain(TServicePorts& ports, const TAnalyseRequest& request, TAnalyseResponse& response)
{
    copyRequest(request, response);
    proto::DataRetrievalPortType& drs = ports.drs();
    response.disciplines = drs.getDisciplines(ports.competitionId(), nullptr, 0);
    response.resProvId = request.DisciplinId;
    if (request.DisciplinId == 0)
        return;
    const proto::getResultAggregatorTreeResponse1 roots = drs.getResultAggregatorTree(request.DisciplinId, 0);
    std::unique_ptr<TAggregatorTreeModel> tree = makeHeadlessTree(roots, request.DisciplinId, request.treeInputs);
    applyNodeInfos(drs, *tree, uiInfoKeys::ResAggVisAnalysis);
    response.aggTree = std::move(tree);
}

void getList(TServicePorts& ports, const TAnalyseRequest& request, TAnalyseResponse& response)
{
    copyRequest(request, response);
    proto::DataRetrievalPortType& drs = ports.drs();
    const int provider = request.resProvId;
    response.resultFormat = getResultFormatForAgg(drs, provider);
    response.getResultTableResponse = drs.getResultTable(provider);
    response.ambiguousBibWarning = drs.checkAmbiguousBibResults({provider});
    response.participantWarning = drs.checkParticipantConstraints({provider}, 0);
    const bool team =
        response.getResultTableResponse.ResultTableType && response.getResultTableResponse.ResultTableType->Team;
    if (request.cupID == 0) {
        if (team)
            response.getTeams = drs.getTeams(ports.competitionId(), 0, nullptr, 0);
        else
            response.getAthletes = drs.getAthletes(ports.competitionId(), 0, 0, 0, nullptr, nullptr, 0);
    } else if (team) {
        response.getFinisherTeams = ports.crs().getFinisherTeams(request.cupID);
    } else {
        response.getFinisherAthletes = ports.crs().getFinisherAthletes(request.cupID);
    }
}

} // namespace

const TRequestTable<TAnalyseRequest, TAnalyseResponse>& analyseRequests()
{
    static const TRequestTable<TAnalyseRequest, TAnalyseResponse> table{{
        {TAnalyseRequestType::rt_getList, QStringLiteral("Ergebnisliste laden"), &getList},
        {TAnalyseRequestType::rt_getAggChain, QStringLiteral("Auswertungsbaum laden"), &getAggChain},
    }};
    return table;
}

std::unique_ptr<TAggregatorTreeModel> makeHeadlessTree(const std::vector<proto::AggregatorTreeNodeType>& roots,
                                                       int disciplineId,
                                                       std::shared_ptr<const TAnalyseTreeInputs> inputs)
{
    if (!inputs)
        inputs = std::make_shared<const TAnalyseTreeInputs>();
    // The lookups hold the inputs: the tree goes on to the GUI thread with them.
    TTemplateLookup lookup = [inputs](int id) -> const proto::ResultAggregatorTemplateType* {
        for (const proto::ResultAggregatorTemplateType& t : inputs->templates)
            if (t.ID == id)
                return &t;
        return nullptr;
    };
    TParameterResolver resolver = [inputs](const QString& name, int cupId) -> std::optional<double> {
        const auto it = inputs->parameters.find({cupId, name});
        return it == inputs->parameters.end() ? std::nullopt : std::optional<double>(it->second);
    };
    TDisciplineInfo disc;
    if (inputs->discInfo)
        disc = *inputs->discInfo;
    else
        disc.id = disciplineId;
    return std::make_unique<TAggregatorTreeModel>(roots, std::vector<int>{disciplineId}, std::move(lookup), &disc,
                                                  std::move(resolver));
}

void applyNodeInfos(proto::DataRetrievalPortType& drs, TAggregatorTreeModel& tree, const QString& markKey)
{
    proto::getUiInfos keys;
    for (int i = 0; i < tree.getAggregatorCount(); ++i) {
        const int id = tree.node(i)->ID();
        keys.push_back(makeUiInfoKey(uiInfoKeys::Label, id));
        keys.push_back(makeUiInfoKey(markKey, id));
    }
    if (!keys.empty())
        tree.setLabelsToAggTree(drs.getUiInfos(keys), 0);
}

std::vector<TResultProviderInfo> evaluationItems(const TAggregatorTreeModel& tree, bool showAll,
                                                 const QString& disciplineName)
{
    std::vector<TResultProviderInfo> items;
    const int disciplineId = tree.CurDiscInfo()->id;
    for (int i = tree.getAggregatorCount() - 1; i >= 0; --i) {
        const TAggregatorNode* node = tree.node(i);
        const bool own = node->ID() == disciplineId;
        if (node->VisAnalysis() == TBool::bFalse && !own && !showAll)
            continue;
        TResultProviderInfo item;
        item.id = node->ID();
        item.cupId = node->cupId();
        item.name = node->getParsedName();
        if (item.name.isEmpty())
            item.name = node->getTemplateName();
        if (item.name.isEmpty() && own)
            item.name = disciplineName;
        item.aggType = node->getType();
        item.color = node->Color();
        items.push_back(std::move(item));
    }
    return items;
}

QString analysisPrintTitle(TAggregatorType kind, const QString& providerName, const QString& disciplineName)
{
    switch (kind) {
    case TAggregatorType::ag_Unknown: return disciplineName + QStringLiteral(" - Ergebnisse");
    case TAggregatorType::ag_DiscInternal: return providerName + QStringLiteral(" - ") + disciplineName;
    case TAggregatorType::ag_ExtRef: return QStringLiteral("Tageswertung - ") + providerName;
    case TAggregatorType::ag_CupRef: return QStringLiteral("Cup-Wertung - ") + providerName;
    }
    return disciplineName;
}

// ---- the table ----------------------------------------------------------------------------------

std::unique_ptr<TResultCache> makeAnalyseCache(const TAnalyseResponse& response, TResultCache::TChangeCallback onChange)
{
    const proto::getResultTableResponse1& table = response.getResultTableResponse;
    const proto::ResultTableType type = table.ResultTableType ? *table.ResultTableType : proto::ResultTableType{};
    return std::make_unique<TResultCache>(response.resProvId, type.Team, proto::ResultAssignmentType(0),
                                          proto::ResultValueType(0), type.ResultUnitPattern,
                                          std::max(1, type.ResultsPerRow), std::move(onChange), response.resultFormat,
                                          0, std::nullopt);
}

void fillAnalyseCache(TResultCache& cache, const TAnalyseResponse& response)
{
    const bool team = cache.isTeamDisc();
    const int attempts = cache.getAttempts();
    // The cache drops a whole row for one result outside its attempts; here only that result goes.
    // A result counting for several teams counts for each of them.
    std::vector<proto::AssignedResultType> results;
    for (const proto::AssignedResultType& r : response.getResultTableResponse.Results) {
        if (r.Attempt < 1 || r.Attempt > attempts)
            continue;
        if (team) {
            const std::set<int> teams(r.TeamId.begin(), r.TeamId.end());
            for (int t : teams)
                if (t != 0) {
                    proto::AssignedResultType& one = results.emplace_back(r);
                    one.TeamId = {t};
                }
        } else if (r.AthleteId != 0) {
            results.push_back(r);
        }
    }
    const TAssignedResults indexed(results);
    std::set<int> added; // each participant once, also when listed twice
    auto addAthlete = [&](const proto::AthleteType& a) {
        if (a.AthleteID != 0 && added.insert(a.AthleteID).second)
            cache.addAthleteRow(1, a, indexed, a.Bib, false, 0);
    };
    auto addTeam = [&](const proto::TeamType& t) {
        if (t.TeamID != 0 && added.insert(t.TeamID).second)
            cache.addTeamRow(1, t, indexed, {}, false, 0);
    };

    cache.beginUpdate();
    if (response.getFinisherTeams) {
        for (const proto::CupTeamType& t : response.getFinisherTeams->Teams)
            addTeam(proto::teamFromCupTeam(t));
    } else if (response.getFinisherAthletes) {
        for (const proto::FinisherType& f : response.getFinisherAthletes->Finisher) {
            if (!f.Athlete)
                continue;
            // The row's team stands for all the athlete's cup teams.
            proto::TeamType madeUp;
            QStringList names;
            for (const proto::CupTeamType& t : f.Teams)
                names << t.Name;
            madeUp.Name = names.join(QStringLiteral(", "));
            if (!f.Teams.empty())
                madeUp.TeamID = f.Teams.front().TeamID;
            proto::AthleteType a = *f.Athlete;
            a.Team = std::move(madeUp);
            addAthlete(a);
        }
    } else if (team) {
        for (const proto::TeamType& t : response.getTeams)
            addTeam(t);
    } else {
        for (const proto::AthleteType& a : response.getAthletes)
            addAthlete(a);
    }
    cache.endUpdate();
}

QStringList analyseCupWarnings(const TAnalyseResponse& response)
{
    static const QString kPendingAgeClasses =
        QStringLiteral("WARNUNG: Cup enthält noch nicht zugeordnete Altersklassen einzelner Veranstaltungen.");
    static const QString kPendingTeams =
        QStringLiteral("WARNUNG: Cup enthält noch nicht zugeordnete Teams einzelner Veranstaltungen.");
    QStringList warnings;
    if (response.getFinisherTeams) {
        if (response.getFinisherTeams->PendingAgeClasses)
            warnings << kPendingAgeClasses;
        if (response.getFinisherTeams->PendingTeams)
            warnings << kPendingTeams;
    } else if (response.getFinisherAthletes) {
        if (response.getFinisherAthletes->PendingAgeClasses)
            warnings << kPendingAgeClasses;
        if (response.getFinisherAthletes->PendingTeams)
            warnings << kPendingTeams;
        if (response.getFinisherAthletes->PendingAthletes)
            warnings << QStringLiteral(
                "WARNUNG: Cup enthält noch nicht zugeordnete Athleten einzelner Veranstaltungen.");
    }
    return warnings;
}

void TAnalyseTableModel::clear()
{
    beginResetModel();
    headers_.clear();
    rows_.clear();
    endResetModel();
}

void TAnalyseTableModel::showCache(const TResultCache& cache)
{
    beginResetModel();
    headers_.clear();
    rows_.clear();
    team_ = cache.isTeamDisc();
    attempts_ = cache.getAttempts();
    if (team_)
        headers_ << QStringLiteral("Team");
    else
        headers_ << QStringLiteral("Startnr.") << QStringLiteral("Vorname") << QStringLiteral("Nachname")
                 << QStringLiteral("Team");
    for (int a = 1; a <= attempts_; ++a)
        headers_ << QString::number(a) + QLatin1Char('.');

    for (const TResultRow* row : cache.getResultTable().rows) {
        QStringList cells;
        if (team_) {
            if (!row->Team())
                continue;
            cells << row->Team()->Name;
        } else {
            const proto::AthleteType* a = row->Athlete();
            if (!a)
                continue;
            cells << bibstoString(row->Bibs()) << (a->Name ? a->Name->givenName : QString())
                  << (a->Name ? a->Name->surName : QString()) << (a->Team ? a->Team->Name : QString());
        }
        for (int a = 1; a <= attempts_; ++a) {
            const TResultType* cell = row->cell(a);
            cells << cache.resultText(cell ? cell->getResult() : nullptr);
        }
        rows_.push_back(std::move(cells));
    }
    endResetModel();
}

std::vector<int> TAnalyseTableModel::columnWidths() const
{
    std::vector<int> widths;
    if (team_)
        widths.push_back(150);
    else
        widths.insert(widths.end(), {50, 100, 100, 100});
    widths.insert(widths.end(), std::size_t(attempts_), 50);
    return widths;
}

int TAnalyseTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int TAnalyseTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant TAnalyseTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::DisplayRole)
        return {};
    return rows_[std::size_t(index.row())].value(index.column());
}

QVariant TAnalyseTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == kValueColumnRole)
        return section >= firstAttemptColumn() && section < int(headers_.size());
    return role == Qt::DisplayRole ? QVariant(headers_.value(section)) : QVariant();
}

} // namespace tvp
