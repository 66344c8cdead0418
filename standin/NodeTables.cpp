#include "standin/NodeTables.h"

#include "standin/Database.h"
#include "standin/Parameters.h"

#include <unordered_map>

namespace tvp::standin {

namespace {

template <proto::Enumeration E>
E enumOf(const Statement& q, int column, E fallback)
{
    const QByteArray name = q.textAt(column).toUtf8();
    return proto::enumFromName<E>(std::string_view(name.constData(), std::size_t(name.size()))).value_or(fallback);
}

} // namespace

std::optional<proto::getResultTableResponse1> disciplineScoringTable(Db& db, int disciplineId)
{
    Statement d = db.query("SELECT competition_id, result_table_team, result_table_results_per_row, "
                           "result_table_unit_pattern, result_table_lower_values_higher_ranked "
                           "FROM disciplines WHERE id = ?",
                           disciplineId);
    if (!d.next())
        return std::nullopt;
    const int competition = d.intAt(0);
    proto::getResultTableResponse1 out;
    proto::ResultTableType& type = out.ResultTableType.ensure();
    type.ResultsPerRow = 1;
    if (!d.isNullAt(1)) {
        type.Team = d.intAt(1) != 0;
        type.ResultsPerRow = d.intAt(2);
        type.ResultUnitPattern = d.textAt(3);
        type.LowerValuesAreHigherRanked = d.intAt(4) != 0;
    }

    std::unordered_map<int, std::size_t> at; // result id -> row
    Statement q = db.query(
        "SELECT r.id, r.attempt, COALESCE(r.athlete_id, b.athlete_id, h.athlete_id), h.team_id, r.kind, "
        "r.distance_in_meter, r.time_in_seconds, r.info, r.rank, r.info_string "
        "FROM results r "
        "LEFT JOIN athlete_bibs b ON r.athlete_id IS NULL AND b.competition_id = ?1 AND b.bib = r.bib "
        "LEFT JOIN heat_assignments h ON r.athlete_id IS NULL AND r.bib IS NULL AND h.discipline_id = r.discipline_id "
        "  AND h.heat_no = r.heat_no AND h.position = r.lane "
        "WHERE r.discipline_id = ?2 ORDER BY r.id",
        competition, disciplineId);
    while (q.next()) {
        proto::AssignedResultType& r = out.Results.emplace_back();
        r.ResultID = q.intAt(0);
        r.Attempt = q.intAt(1);
        r.AthleteId = q.isNullAt(2) ? 0 : q.intAt(2);
        if (!q.isNullAt(3))
            r.TeamId.push_back(q.intAt(3));
        r.Type_ = enumOf(q, 4, proto::ResultValueType::Info);
        r.DistanceInMeter = q.doubleAt(5);
        r.TimeInSeconds = q.doubleAt(6);
        r.Info = enumOf(q, 7, proto::ResultInfo::disq);
        r.Rank = q.intAt(8);
        r.InfoString = q.textAt(9);
        at.emplace(r.ResultID, out.Results.size() - 1);
    }
    Statement t = db.query("SELECT rt.result_id, rt.team_id FROM result_teams rt JOIN results r ON r.id = rt.result_id "
                           "WHERE r.discipline_id = ? ORDER BY rt.result_id, rt.position",
                           disciplineId);
    std::vector<bool> fromTable(out.Results.size(), false);
    while (t.next()) {
        const auto it = at.find(t.intAt(0));
        if (it == at.end())
            continue;
        proto::AssignedResultType& r = out.Results[it->second];
        if (!fromTable[it->second]) {
            r.TeamId.clear(); // the stored teams rule over the heat place's
            fromTable[it->second] = true;
        }
        r.TeamId.push_back(t.intAt(1));
    }
    if (!type.Team) {
        std::unordered_map<int, int> teamOf;
        Statement a =
            db.query("SELECT id, team_id FROM athletes WHERE competition_id = ? AND team_id IS NOT NULL", competition);
        while (a.next())
            teamOf.emplace(a.intAt(0), a.intAt(1));
        for (proto::AssignedResultType& r : out.Results)
            if (r.TeamId.empty() && r.AthleteId != 0)
                if (const auto it = teamOf.find(r.AthleteId); it != teamOf.end())
                    r.TeamId.push_back(it->second);
    }
    return out;
}

std::optional<scoring::Node> readScoringNode(Db& db, int id)
{
    Statement q = db.query("SELECT template_id, IFNULL(competition_id, 0), IFNULL(cup_id, 0) FROM aggregators "
                           "WHERE id = ?",
                           id);
    if (!q.next())
        return std::nullopt;
    scoring::Node node;
    node.id = id;
    node.templateId = q.intAt(0);
    node.competitionId = q.intAt(1);
    node.cupId = q.intAt(2);
    Statement s = db.query("SELECT provider_id FROM aggregator_sources WHERE aggregator_id = ? ORDER BY position", id);
    while (s.next())
        node.sources.push_back(s.intAt(0));
    Statement p = db.query("SELECT value FROM aggregator_parameters WHERE aggregator_id = ? ORDER BY position", id);
    while (p.next())
        node.parameters.push_back(p.textAt(0));
    return node;
}

std::optional<double> storedParameter(Db& db, const QString& name, int cupId, int competitionId)
{
    return globalParameter(db, competitionId, cupId, name);
}

NodeTables::NodeTables(Db& db)
    : db_(db),
      evaluator_([&db](int id) { return readScoringNode(db, id); },
                 [&db](int id) { return disciplineScoringTable(db, id); },
                 [&db](const QString& name, int cupId, int competitionId) {
                     return storedParameter(db, name, cupId, competitionId);
                 })
{
}

std::optional<proto::getResultTableResponse1> NodeTables::table(int providerId)
{
    return evaluator_.table(providerId);
}

bool NodeTables::isNode(int id)
{
    return db_.query("SELECT 1 FROM aggregators WHERE id = ?", id).next();
}

namespace {

void setTypes(NodeTables& tables, proto::AggregatorTreeNodeType& node)
{
    if (node.AggregatorInfo)
        if (std::optional<proto::getResultTableResponse1> t = tables.table(node.ID); t && t->ResultTableType)
            node.AggregatorInfo->ResultTableType = *t->ResultTableType;
    for (proto::AggregatorTreeNodeType& child : node.OutputConnections)
        setTypes(tables, child);
}

} // namespace

void setEvaluatedTableTypes(Db& db, std::vector<proto::AggregatorTreeNodeType>& roots)
{
    NodeTables tables(db);
    for (proto::AggregatorTreeNodeType& root : roots)
        setTypes(tables, root);
}

} // namespace tvp::standin
