#include "standin/NodeTables.h"

#include "standin/Database.h"
#include "standin/Parameters.h"

#include <algorithm>
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

std::optional<proto::getResultTableResponse1> disciplineScoringTable(Db& db, int disciplineId,
                                                                     const std::unordered_map<int, int>* teamOfAthlete)
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

    // The bib holder and the heat place are looked up only for results that name no athlete.
    using enum proto::ResultValueType;
    Statement q = db.query(
        "SELECT r.id, r.attempt, "
        " COALESCE(r.athlete_id,"
        "  (SELECT b.athlete_id FROM athlete_bibs b WHERE b.competition_id = ?1 AND b.bib = r.bib),"
        "  CASE WHEN r.bib IS NULL THEN (SELECT h.athlete_id FROM heat_assignments h WHERE h.discipline_id = ?2"
        "   AND h.heat_no = r.heat_no AND h.position = r.lane) END), "
        " CASE WHEN r.athlete_id IS NULL AND r.bib IS NULL THEN (SELECT h.team_id FROM heat_assignments h"
        "  WHERE h.discipline_id = ?2 AND h.heat_no = r.heat_no AND h.position = r.lane) END, "
        " CASE r.kind WHEN 'Distance' THEN 0 WHEN 'Time' THEN 1 WHEN 'Rank' THEN 2 WHEN 'Info' THEN 3 ELSE 4 END, "
        " r.distance_in_meter, r.time_in_seconds, r.rank, "
        " CASE WHEN r.kind = 'Info' THEN r.info END, CASE WHEN r.kind = 'InfoString' THEN r.info_string END "
        "FROM results r WHERE r.discipline_id = ?2",
        competition, disciplineId);
    static constexpr proto::ResultValueType kKinds[] = {Distance, Time, Rank, Info, InfoString};

    while (q.next()) {
        proto::AssignedResultType& r = out.Results.emplace_back();
        r.ResultID = q.intAt(0);
        r.Attempt = q.intAt(1);
        r.AthleteId = q.isNullAt(2) ? 0 : q.intAt(2);
        if (!q.isNullAt(3))
            r.TeamId.push_back(q.intAt(3));
        r.Type_ = kKinds[std::clamp(q.intAt(4), 0, 4)];
        r.DistanceInMeter = q.doubleAt(5);
        r.TimeInSeconds = q.doubleAt(6);
        r.Rank = q.intAt(7);
        if (r.Type_ == Info)
            r.Info = enumOf(q, 8, proto::ResultInfo::disq);
        else if (r.Type_ == InfoString)
            r.InfoString = q.textAt(9);
    }
    // In the order of capture; the index gives them by attempt.
    std::sort(
        out.Results.begin(), out.Results.end(),
        [](const proto::AssignedResultType& a, const proto::AssignedResultType& b) { return a.ResultID < b.ResultID; });
    // The stored teams rule over the heat place's. Read by the range of the discipline's result
    // ids, which costs nothing where results have no stored teams.
    if (!out.Results.empty()) {
        std::unordered_map<int, std::size_t> at; // result id -> row
        at.reserve(out.Results.size());
        for (std::size_t i = 0; i < out.Results.size(); ++i)
            at.emplace(out.Results[i].ResultID, i);
        std::vector<bool> cleared(out.Results.size(), false);
        Statement t = db.query("SELECT result_id, team_id FROM result_teams WHERE result_id BETWEEN ? AND ? "
                               "ORDER BY result_id, position",
                               out.Results.front().ResultID, out.Results.back().ResultID);
        while (t.next()) {
            const auto it = at.find(t.intAt(0));
            if (it == at.end())
                continue;
            proto::AssignedResultType& r = out.Results[it->second];
            if (!cleared[it->second]) {
                r.TeamId.clear();
                cleared[it->second] = true;
            }
            r.TeamId.push_back(t.intAt(1));
        }
    }
    if (!type.Team) {
        std::unordered_map<int, int> own;
        if (!teamOfAthlete) {
            own = athleteTeams(db, competition);
            teamOfAthlete = &own;
        }
        for (proto::AssignedResultType& r : out.Results)
            if (r.TeamId.empty() && r.AthleteId != 0)
                if (const auto it = teamOfAthlete->find(r.AthleteId); it != teamOfAthlete->end())
                    r.TeamId.push_back(it->second);
    }
    return out;
}

std::unordered_map<int, int> athleteTeams(Db& db, int competitionId)
{
    std::unordered_map<int, int> teamOf;
    Statement a =
        db.query("SELECT id, team_id FROM athletes WHERE competition_id = ? AND team_id IS NOT NULL", competitionId);
    while (a.next())
        teamOf.emplace(a.intAt(0), a.intAt(1));
    return teamOf;
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
      evaluator_([&db](int id) { return readScoringNode(db, id); }, [this](int id) { return discipline(id); },
                 [&db](const QString& name, int cupId, int competitionId) {
                     return storedParameter(db, name, cupId, competitionId);
                 },
                 [this](const scoring::Node& node, int source, const proto::getResultTableResponse1& table) {
                     return cupView(node, source, table);
                 })
{
}

// A competition's table as the cup sees it: athletes and teams become the cup's finishers, rows of
// anybody else go. The cup's own scorings are keyed so already.
std::optional<proto::getResultTableResponse1> NodeTables::cupView(const scoring::Node& node, int source,
                                                                  const proto::getResultTableResponse1& table)
{
    if (db_.query("SELECT 1 FROM aggregators WHERE id = ? AND cup_id IS NOT NULL", source).next())
        return std::nullopt;
    auto [it, fresh] = cupKeys_.try_emplace(node.cupId);
    if (fresh)
        it->second = cupKeys(db_, node.cupId);
    const CupKeys& keys = it->second;
    const auto keyOf = [](const std::unordered_map<int, int>& map, int id) {
        const auto found = map.find(id);
        return found == map.end() ? 0 : found->second;
    };
    const bool team = table.ResultTableType && table.ResultTableType->Team;
    proto::getResultTableResponse1 out;
    out.ResultTableType = table.ResultTableType;
    out.Results.reserve(table.Results.size());
    for (const proto::AssignedResultType& r : table.Results) {
        const int athlete = keyOf(keys.athlete, r.AthleteId);
        if (!team && athlete == 0)
            continue;
        std::vector<int> teams;
        for (int t : r.TeamId)
            if (const int cupTeam = keyOf(keys.team, t); cupTeam != 0)
                teams.push_back(cupTeam);
        if (team && teams.empty())
            continue;
        proto::AssignedResultType& row = out.Results.emplace_back(r);
        row.AthleteId = athlete;
        row.TeamId = std::move(teams);
    }
    return out;
}

std::optional<proto::getResultTableResponse1> NodeTables::table(int providerId)
{
    return evaluator_.table(providerId);
}

std::optional<proto::getResultTableResponse1> NodeTables::discipline(int id)
{
    Statement q = db_.query("SELECT competition_id FROM disciplines WHERE id = ?", id);
    if (!q.next())
        return std::nullopt;
    // One competition's athletes per evaluation, whatever number of disciplines it reads.
    auto [it, fresh] = teamsByCompetition_.try_emplace(q.intAt(0));
    if (fresh)
        it->second = athleteTeams(db_, q.intAt(0));
    return disciplineScoringTable(db_, id, &it->second);
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
