// Disciplines and their scoring nodes: create, change and remove disciplines with the refusals that
// guard their results, heats, squads and schedule items; scoring nodes with their sources and
// parameters; the trees and the fixed catalogue of node templates.
//
// A scoring node's sources are disciplines or other nodes of the same competition, by id (they
// share one id space); a discipline is the bottom node of its own tree. The nodes' results are
// computed on every read (ScoringOps.cpp).

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/NodeTables.h"
#include "standin/Parameters.h"
#include "standin/Records.h"
#include "standin/ScoringNodes.h"

#include <algorithm>
#include <map>
#include <set>

namespace tvp::standin::ops {

namespace {

// ---- the template catalogue ----------------------------------------------------------------------

struct CatalogueEntry {
    int id;
    const char* name;
    std::vector<const char*> parameters;
};

// Fixed ids: templates exported from one server name them by id and are read by another.
const std::vector<CatalogueEntry>& catalogue()
{
    static const std::vector<CatalogueEntry> entries = {
        {1, "Bester Versuch", {"Faktor"}},
        {2, "Summe", {"Anzahl Streichwerte"}},
        {3, "Rang", {"Niedrigere Werte besser"}},
        {4, "Punkte nach Tabelle", {"a", "b", "c"}},
        {5, "Team: Beste N", {"N"}},
    };
    return entries;
}

// "Team: Beste N": makes a team table from members' values.
constexpr int kTeamBestN = 5;

const CatalogueEntry* findTemplate(int id)
{
    for (const CatalogueEntry& e : catalogue())
        if (e.id == id)
            return &e;
    return nullptr;
}

proto::ResultAggregatorTemplateType templateRecord(const CatalogueEntry& e)
{
    proto::ResultAggregatorTemplateType t;
    t.ID = e.id;
    t.Name = QString::fromUtf8(e.name);
    for (const char* p : e.parameters) {
        proto::ParameterType& parameter = t.ParameterTypes.emplace_back();
        parameter.Name = QString::fromUtf8(p);
    }
    return t;
}

// Nodes refer to their template's row; the catalogue itself lives here, so a row is written when a
// node first uses its template.
void ensureTemplateRow(Db& db, const CatalogueEntry& e)
{
    if (db.query("SELECT 1 FROM aggregator_templates WHERE id = ?", e.id).next())
        return;
    db.query("INSERT INTO aggregator_templates (id, name) VALUES (?, ?)", e.id, QString::fromUtf8(e.name)).run();
    int position = 0;
    for (const char* p : e.parameters)
        db.query("INSERT INTO aggregator_template_parameters (template_id, position, name) VALUES (?, ?, ?)", e.id,
                 position++, QString::fromUtf8(p))
            .run();
}

// ---- reading -------------------------------------------------------------------------------------

QString num(int value)
{
    return QString::number(value);
}

// Read as the discipline list reads it, so a changed record comes back as the list shows it.
std::optional<proto::DisciplinType> findDiscipline(Db& db, int id)
{
    Statement q = db.query("SELECT competition_id FROM disciplines WHERE id = ?", id);
    if (!q.next())
        return std::nullopt;
    for (proto::DisciplinType& d : readDisciplines(db, q.intAt(0)))
        if (d.DisciplinID == id)
            return std::move(d);
    return std::nullopt;
}

proto::DisciplinType requireDiscipline(Db& db, int id)
{
    std::optional<proto::DisciplinType> d = findDiscipline(db, id);
    if (!d)
        throw ServerError(errors::DisciplineNotFound, {num(id)});
    return std::move(*d);
}

bool isAggregator(Db& db, int id)
{
    return db.query("SELECT 1 FROM aggregators WHERE id = ?", id).next();
}

void requireAggregator(Db& db, int id)
{
    if (!isAggregator(db, id))
        throw ServerError(errors::NotAnAggregator, {num(id)});
}

// The competition of a discipline or node; 0 when the id names neither.
int providerCompetition(Db& db, int id)
{
    Statement d = db.query("SELECT competition_id FROM disciplines WHERE id = ?", id);
    if (d.next())
        return d.intAt(0);
    Statement a = db.query("SELECT competition_id FROM aggregators WHERE id = ?", id);
    return a.next() ? a.intAt(0) : 0;
}

// The cup of a cup scoring; 0 for anything else.
int nodeCup(Db& db, int id)
{
    Statement q = db.query("SELECT IFNULL(cup_id, 0) FROM aggregators WHERE id = ?", id);
    return q.next() ? q.intAt(0) : 0;
}

// A cup scoring draws on the disciplines and nodes of the cup's competitions and on the cup's
// other scorings.
bool isCupSource(Db& db, int cupId, int source)
{
    if (nodeCup(db, source) == cupId)
        return true;
    const int competition = providerCompetition(db, source);
    return competition != 0 &&
           db.query("SELECT 1 FROM cup_competitions WHERE cup_id = ? AND competition_id = ?", cupId, competition)
               .next();
}

std::vector<int> sourcesOf(Db& db, int aggregatorId)
{
    std::vector<int> ids;
    Statement q =
        db.query("SELECT provider_id FROM aggregator_sources WHERE aggregator_id = ? ORDER BY position", aggregatorId);
    while (q.next())
        ids.push_back(q.intAt(0));
    return ids;
}

// The nodes fed by a provider, oldest first.
std::vector<int> consumersOf(Db& db, int providerId)
{
    std::vector<int> ids;
    Statement q =
        db.query("SELECT DISTINCT aggregator_id FROM aggregator_sources WHERE provider_id = ? ORDER BY aggregator_id",
                 providerId);
    while (q.next())
        ids.push_back(q.intAt(0));
    return ids;
}

proto::ResultAggregatorInstanceType readAggregator(Db& db, int id)
{
    proto::ResultAggregatorInstanceType a;
    Statement q = db.query("SELECT template_id, result_table_team, result_table_results_per_row, "
                           "result_table_unit_pattern, result_table_lower_values_higher_ranked, IFNULL(cup_id, 0) "
                           "FROM aggregators WHERE id = ?",
                           id);
    if (!q.next())
        throw ServerError(errors::NotAnAggregator, {num(id)});
    a.ID = id;
    if (const int cup = q.intAt(5))
        a.Cup = readCup(db, cup);
    a.TemplateID = q.intAt(0);
    proto::ResultTableType& table = a.ResultTableType.ensure();
    table.Team = q.intAt(1) != 0;
    table.ResultsPerRow = q.intAt(2);
    table.ResultUnitPattern = q.textAt(3);
    table.LowerValuesAreHigherRanked = q.intAt(4) != 0;
    a.ConnectedAggregators = sourcesOf(db, id);
    Statement p = db.query("SELECT value FROM aggregator_parameters WHERE aggregator_id = ? ORDER BY position", id);
    while (p.next())
        a.Parameters.push_back(p.textAt(0));
    return a;
}

// Whether provider draws on target, directly or through other nodes (a provider draws on itself).
bool drawsOn(Db& db, int provider, int target)
{
    std::set<int> seen;
    std::vector<int> open{provider};
    while (!open.empty()) {
        const int id = open.back();
        open.pop_back();
        if (id == target)
            return true;
        if (!seen.insert(id).second)
            continue;
        for (int s : sourcesOf(db, id))
            open.push_back(s);
    }
    return false;
}

// The disciplines a provider draws on at the bottom of its tree, by id.
std::vector<int> toplevelDisciplineIds(Db& db, int provider)
{
    std::set<int> disciplines;
    std::set<int> seen;
    std::vector<int> open{provider};
    while (!open.empty()) {
        const int id = open.back();
        open.pop_back();
        if (!seen.insert(id).second)
            continue;
        if (db.query("SELECT 1 FROM disciplines WHERE id = ?", id).next())
            disciplines.insert(id);
        else
            for (int s : sourcesOf(db, id))
                open.push_back(s);
    }
    return {disciplines.begin(), disciplines.end()};
}

// A warning when one of the nodes draws on disciplines of more than one age class: each age class
// with its disciplines. Disciplines without age class mix with any.
proto::Owned<proto::MixedAgeClassesWarningType> mixedAgeClasses(Db& db, const std::vector<int>& nodes)
{
    std::map<int, std::set<int>> byAgeClass; // age class -> disciplines
    for (int node : nodes) {
        // Age classes of different competitions are not comparable.
        if (nodeCup(db, node) != 0)
            continue;
        std::map<int, std::set<int>> own;
        for (int disc : toplevelDisciplineIds(db, node)) {
            Statement q = db.query("SELECT age_class_id FROM disciplines WHERE id = ?", disc);
            if (q.next() && q.intAt(0) != 0)
                own[q.intAt(0)].insert(disc);
        }
        if (own.size() > 1)
            for (const auto& [ageClass, discs] : own)
                byAgeClass[ageClass].insert(discs.begin(), discs.end());
    }
    if (byAgeClass.empty())
        return nullptr;
    proto::MixedAgeClassesWarningType warning;
    const int competition = providerCompetition(db, nodes.front());
    const CompetitionParticipants participants(db, competition);
    for (const auto& [ageClass, discs] : byAgeClass) {
        proto::MixedDisciplinesType& mixed = warning.MixedDisciplines.emplace_back();
        mixed.AgeClass = participants.ageClass(ageClass);
        for (int disc : discs)
            mixed.Disciplines.push_back(requireDiscipline(db, disc));
    }
    return proto::Owned<proto::MixedAgeClassesWarningType>(std::move(warning));
}

// Every node above a provider, through any number of levels.
std::vector<int> nodesAbove(Db& db, int provider)
{
    std::vector<int> out;
    std::set<int> seen;
    std::vector<int> open = consumersOf(db, provider);
    while (!open.empty()) {
        const int id = open.back();
        open.pop_back();
        if (!seen.insert(id).second)
            continue;
        out.push_back(id);
        for (int c : consumersOf(db, id))
            open.push_back(c);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// ---- writing -------------------------------------------------------------------------------------

int newAggregatorId(Db& db)
{
    // An id of 1 would read as "no result" wherever a result id is expected.
    int id = db.nextId("aggregator");
    while (id == 1)
        id = db.nextId("aggregator");
    return id;
}

void writeSources(Db& db, int aggregatorId, const std::vector<int>& sources)
{
    db.query("DELETE FROM aggregator_sources WHERE aggregator_id = ?", aggregatorId).run();
    int position = 0;
    for (int s : sources)
        db.query("INSERT INTO aggregator_sources (aggregator_id, position, provider_id) VALUES (?, ?, ?)", aggregatorId,
                 position++, s)
            .run();
}

void writeParameters(Db& db, int aggregatorId, const std::vector<QString>& parameters)
{
    db.query("DELETE FROM aggregator_parameters WHERE aggregator_id = ?", aggregatorId).run();
    int position = 0;
    for (const QString& p : parameters)
        db.query("INSERT INTO aggregator_parameters (aggregator_id, position, value) VALUES (?, ?, ?)", aggregatorId,
                 position++, p)
            .run();
}

// A node's result table: a team table when any source gives one, one result per row.
void writeResultTable(Db& db, int aggregatorId, const std::vector<int>& sources)
{
    bool team = false;
    for (int s : sources) {
        Statement q = db.query("SELECT result_table_team FROM disciplines WHERE id = ? "
                               "UNION ALL SELECT result_table_team FROM aggregators WHERE id = ?",
                               s, s);
        team = team || (q.next() && q.intAt(0) != 0);
    }
    db.query("UPDATE aggregators SET result_table_team = ?, result_table_results_per_row = 1, "
             "result_table_unit_pattern = '', result_table_lower_values_higher_ranked = 0 WHERE id = ?",
             team ? 1 : 0, aggregatorId)
        .run();
}

int aggregatorTemplate(Db& db, int id)
{
    Statement q = db.query("SELECT template_id FROM aggregators WHERE id = ?", id);
    return q.next() ? q.intAt(0) : 0;
}

// Whether a source's table is a team table: a team discipline, a node fed by one, or a node of the
// team rule itself.
bool givesTeamTable(Db& db, int source)
{
    Statement q = db.query("SELECT result_table_team FROM disciplines WHERE id = ? "
                           "UNION ALL SELECT result_table_team OR template_id = ? FROM aggregators WHERE id = ?",
                           source, kTeamBestN, source);
    return q.next() && q.intAt(0) != 0;
}

// "Team: Beste N" makes a team table of athletes' values: a source that is already a team table
// has no members to pick from.
void checkSourceFits(Db& db, const CatalogueEntry& entry, int source)
{
    if (entry.id == kTeamBestN && givesTeamTable(db, source))
        throw ServerError(errors::SourceDoesNotFit, {QString::fromUtf8(entry.name), num(source)});
}

// Template, parameter count and sources of a node's data; the sources without repeats, in order.
// The node's competition is that of its sources; node is 0 for a new one.
struct CheckedInstance {
    const CatalogueEntry* entry = nullptr;
    std::vector<int> sources;
    int competitionId = 0;
};

CheckedInstance checkInstance(Db& db, const proto::ResultAggregatorInstanceInfoType& info, int node)
{
    CheckedInstance out;
    out.entry = findTemplate(info.TemplateID);
    if (!out.entry)
        throw ServerError(errors::TemplateNotFound, {num(info.TemplateID)});
    if (info.Parameters.size() != out.entry->parameters.size())
        throw ServerError(errors::ParameterCount,
                          {QString::fromUtf8(out.entry->name), num(int(out.entry->parameters.size())),
                           num(int(info.Parameters.size()))});
    for (int s : info.ConnectedAggregators)
        if (std::find(out.sources.begin(), out.sources.end(), s) == out.sources.end())
            out.sources.push_back(s);
    if (out.sources.empty())
        throw ServerError(errors::NoSource, {});
    const int cupId = node != 0 ? nodeCup(db, node) : 0;
    // A cup scoring has no competition of its own (a promoted one); its parameters are the cup's.
    if (cupId != 0)
        out.competitionId = providerCompetition(db, node);
    for (int s : out.sources) {
        if (cupId != 0) {
            if (!isCupSource(db, cupId, s))
                throw ServerError(errors::ProviderNotFound, {num(s)});
            if (drawsOn(db, s, node))
                throw ServerError(errors::SourceCycle, {num(node)});
            continue;
        }
        const int competition = providerCompetition(db, s);
        if (competition == 0 || (out.competitionId != 0 && competition != out.competitionId))
            throw ServerError(errors::ProviderNotFound, {num(s)});
        out.competitionId = competition;
        if (node != 0 && drawsOn(db, s, node))
            throw ServerError(errors::SourceCycle, {num(node)});
        checkSourceFits(db, *out.entry, s);
    }
    // A name that resolves to nothing would leave the node computing nothing without anyone noticing.
    for (std::size_t i = 0; i < info.Parameters.size(); ++i)
        if (!resolveParameterText(db, out.competitionId, cupId, info.Parameters[i]))
            throw ServerError(
                errors::ParameterNotResolvable,
                {QString::fromUtf8(out.entry->name), QString::fromUtf8(out.entry->parameters[i]), info.Parameters[i]});
    return out;
}

void deleteAggregator(Db& db, int id);

// A provider about to go: the nodes it feeds lose it as a source, and those left without any go too.
void dropProvider(Db& db, int provider)
{
    for (int consumer : consumersOf(db, provider)) {
        std::vector<int> sources = sourcesOf(db, consumer);
        std::erase(sources, provider);
        writeSources(db, consumer, sources);
        if (sources.empty())
            deleteAggregator(db, consumer);
    }
    db.query("DELETE FROM ui_infos WHERE assoc_id = ?", provider).run();
}

// Removes a node and every node that is then left without sources.
void deleteAggregator(Db& db, int id)
{
    dropProvider(db, id);
    db.query("DELETE FROM aggregators WHERE id = ?", id).run();
}

// ---- the dependants of a discipline --------------------------------------------------------------

int count(Db& db, const char* sql, int id)
{
    Statement q = db.query(sql, id);
    return q.next() ? q.intAt(0) : 0;
}

bool hasResults(Db& db, int disc)
{
    return count(db, "SELECT COUNT(*) FROM results WHERE discipline_id = ?", disc) > 0;
}

bool hasHeats(Db& db, int disc)
{
    return count(db, "SELECT COUNT(*) FROM heat_assignments WHERE discipline_id = ?", disc) > 0;
}

void bumpListVersion(Db& db, int disc)
{
    db.query("UPDATE disciplines SET list_version = list_version + 1 WHERE id = ?", disc).run();
}

// The squads assigned to a discipline that are not of the age class (squads without one included).
std::vector<int> squadsOutsideAgeClass(Db& db, int disc, int ageClass)
{
    std::vector<int> ids;
    Statement q = db.query("SELECT ds.squad_id FROM discipline_squads ds JOIN squads s ON s.id = ds.squad_id "
                           "WHERE ds.discipline_id = ? AND IFNULL(s.age_class_id, 0) <> ? ORDER BY ds.squad_id",
                           disc, ageClass);
    while (q.next())
        ids.push_back(q.intAt(0));
    return ids;
}

// The results in the discipline of a squad's teams and their athletes.
constexpr const char* kSquadResults =
    "SELECT r.id FROM results r WHERE r.discipline_id = ?1 AND ("
    " r.athlete_id IN (SELECT a.id FROM athletes a JOIN squad_teams st ON st.team_id = a.team_id"
    "                  WHERE st.squad_id = ?2)"
    " OR r.id IN (SELECT rt.result_id FROM result_teams rt JOIN squad_teams st ON st.team_id = rt.team_id"
    "             WHERE st.squad_id = ?2))";

void removeSquadFromDiscipline(Db& db, int disc, int squad)
{
    db.query((std::string("DELETE FROM results WHERE id IN (") + kSquadResults + ")").c_str(), disc, squad).run();
    db.query("DELETE FROM heat_assignments WHERE discipline_id = ?1 AND ("
             " team_id IN (SELECT team_id FROM squad_teams WHERE squad_id = ?2)"
             " OR athlete_id IN (SELECT a.id FROM athletes a JOIN squad_teams st ON st.team_id = a.team_id"
             "                   WHERE st.squad_id = ?2))",
             disc, squad)
        .run();
    db.query("DELETE FROM discipline_squads WHERE discipline_id = ? AND squad_id = ?", disc, squad).run();
}

// Results that the new assignment cannot place: by bib needs the bib, by lane heat and lane, by
// athlete or team the athlete or a team.
void removeUnassignableResults(Db& db, int disc, proto::ResultAssignmentType assignment)
{
    using enum proto::ResultAssignmentType;
    switch (assignment) {
    case byBib: db.query("DELETE FROM results WHERE discipline_id = ? AND bib IS NULL", disc).run(); break;
    case byLane:
        db.query("DELETE FROM results WHERE discipline_id = ? AND (heat_no IS NULL OR lane IS NULL)", disc).run();
        break;
    case byAthleteOrTeam:
        db.query("DELETE FROM results WHERE discipline_id = ? AND athlete_id IS NULL "
                 "AND NOT EXISTS (SELECT 1 FROM result_teams rt WHERE rt.result_id = results.id)",
                 disc)
            .run();
        break;
    }
}

void checkDisciplineInfo(Db& db, const proto::DisciplinInfoType& info, const proto::ResultTableType& table,
                         int competitionId)
{
    if (info.Name.trimmed().isEmpty())
        throw ServerError(errors::InvalidDiscipline, {QStringLiteral("Name fehlt")});
    if (table.ResultsPerRow < 1)
        throw ServerError(errors::InvalidDiscipline, {QStringLiteral("mindestens ein Versuch")});
    if (info.maxParticipantsPerHeat < 0)
        throw ServerError(errors::InvalidDiscipline, {QStringLiteral("negative Laufgröße")});
    if (info.AgeClassID != 0 &&
        !db.query("SELECT 1 FROM age_classes WHERE id = ? AND competition_id = ?", info.AgeClassID, competitionId)
             .next())
        throw ServerError(errors::AgeClassNotFound, {num(info.AgeClassID)});
}

void writeDiscipline(Db& db, int id, const proto::DisciplinInfoType& info, const proto::ResultTableType& table)
{
    db.query("UPDATE disciplines SET name = ?, result_assignment = ?, age_class_id = NULLIF(?, 0), "
             "squad_assignment = ?, max_participants_per_heat = ?, result_table_team = ?, "
             "result_table_results_per_row = ?, result_table_unit_pattern = ?, "
             "result_table_lower_values_higher_ranked = ? WHERE id = ?",
             info.Name, wireName(info.ResultAssignment), info.AgeClassID, wireName(info.SquadAssignment),
             info.maxParticipantsPerHeat, table.Team ? 1 : 0, table.ResultsPerRow, table.ResultUnitPattern,
             table.LowerValuesAreHigherRanked ? 1 : 0, id)
        .run();
}

proto::ResultTableType defaultTable()
{
    proto::ResultTableType t;
    t.ResultsPerRow = 1;
    return t;
}

proto::AggregatorTreeNodeType treeNode(Db& db, int id, std::vector<int>& path)
{
    proto::AggregatorTreeNodeType node;
    node.ID = id;
    if (isAggregator(db, id))
        node.AggregatorInfo = readAggregator(db, id);
    path.push_back(id);
    for (int consumer : consumersOf(db, id))
        if (std::find(path.begin(), path.end(), consumer) == path.end())
            node.OutputConnections.push_back(treeNode(db, consumer, path));
    path.pop_back();
    return node;
}

} // namespace

// ---- disciplines ---------------------------------------------------------------------------------

// An age class other than 0 keeps the disciplines of that age class only.
proto::getDisciplinesResponse1 getDisciplines(Call& c, const op::getDisciplines& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    proto::getDisciplinesResponse1 r = readDisciplines(db, a.CompetitionID, a.AgeClassID);
    const NameFilter name(a.Name);
    std::erase_if(r, [&](const proto::DisciplinType& d) { return !name.matches(d.Name); });
    return r;
}

proto::createDisciplinResponse createDisciplin(Call& c, const op::createDisciplin& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    const proto::DisciplinInfoType info = a.DisciplinInfo ? *a.DisciplinInfo : proto::DisciplinInfoType{};
    const proto::ResultTableType table = info.ResultTableType ? *info.ResultTableType : defaultTable();
    checkDisciplineInfo(db, info, table, a.CompetitionID);

    db.query("INSERT INTO barcodes (kind, competition_id) VALUES ('discipline', ?)", a.CompetitionID).run();
    const int barcode = db.lastInsertId();
    const int id = db.nextId("discipline");
    db.query("INSERT INTO disciplines (id, competition_id, name, barcode) VALUES (?, ?, ?, ?)", id, a.CompetitionID,
             info.Name, barcode)
        .run();
    writeDiscipline(db, id, info, table);
    proto::createDisciplinResponse r;
    r.Disciplin = requireDiscipline(db, id);
    return r;
}

proto::modifyDisciplinResponse1 modifyDisciplin(Call& c, const op::modifyDisciplin& a)
{
    Db& db = c.database();
    const proto::DisciplinType stored = requireDiscipline(db, a.DisciplinId);
    const proto::ResultTableType storedTable = stored.ResultTableType ? *stored.ResultTableType : defaultTable();
    // Without settings everything stays as stored.
    proto::DisciplinInfoType info = a.DisciplinInfo ? *a.DisciplinInfo : proto::DisciplinInfoType(stored);
    const proto::ResultTableType table = info.ResultTableType ? *info.ResultTableType : storedTable;
    checkDisciplineInfo(db, info, table, stored.CompetitionID);
    const int disc = a.DisciplinId;

    // The result kind is a UI info the stand-in does not read: the client says with the flag whether
    // it stays.
    if (!a.forceChangeResultType && hasResults(db, disc))
        throw ServerError(errors::ResultTypeChangeWithResults, {stored.Name});

    if (info.ResultAssignment != stored.ResultAssignment && hasResults(db, disc)) {
        if (!a.forceReassignResults)
            throw ServerError(errors::AssignmentChangeWithResults, {stored.Name});
        removeUnassignableResults(db, disc, info.ResultAssignment);
    }

    if (table.Team != storedTable.Team && (hasResults(db, disc) || hasHeats(db, disc))) {
        if (!a.forceModify)
            throw ServerError(hasResults(db, disc) ? errors::TeamChangeWithResults : errors::TeamChangeWithHeats,
                              {stored.Name});
        db.query("DELETE FROM results WHERE discipline_id = ?", disc).run();
        db.query("DELETE FROM heat_assignments WHERE discipline_id = ?", disc).run();
        bumpListVersion(db, disc);
    }

    if (table.ResultsPerRow < storedTable.ResultsPerRow &&
        db.query("SELECT 1 FROM results WHERE discipline_id = ? AND attempt > ?", disc, table.ResultsPerRow).next()) {
        if (!a.forceModify)
            throw ServerError(errors::FewerAttemptsWithResults, {stored.Name, num(table.ResultsPerRow)});
        db.query("DELETE FROM results WHERE discipline_id = ? AND attempt > ?", disc, table.ResultsPerRow).run();
    }

    if (info.AgeClassID != 0 && info.AgeClassID != stored.AgeClassID) {
        const std::vector<int> squads = squadsOutsideAgeClass(db, disc, info.AgeClassID);
        if (!squads.empty() && !a.forceAgeClass)
            throw ServerError(errors::SquadsOfOtherAgeClass, {stored.Name});
        bool withResults = false;
        for (int squad : squads)
            withResults = withResults || db.query(kSquadResults, disc, squad).next();
        if (withResults && !a.forceRemoveAssignedResults)
            throw ServerError(errors::RemovedSquadsHaveResults, {stored.Name});
        for (int squad : squads)
            removeSquadFromDiscipline(db, disc, squad);
        if (!squads.empty())
            bumpListVersion(db, disc);
    }

    writeDiscipline(db, disc, info, table);
    proto::modifyDisciplinResponse1 r;
    if (auto warning = mixedAgeClasses(db, nodesAbove(db, disc)))
        r.Warnings.ensure().MixedAgeClassesWarning = std::move(warning);
    return r;
}

void removeDisciplin(Call& c, const op::removeDisciplin& a)
{
    Db& db = c.database();
    const proto::DisciplinType stored = requireDiscipline(db, a.DisciplinID);
    const int disc = a.DisciplinID;
    if (!a.forceRemove) {
        if (hasResults(db, disc))
            throw ServerError(errors::DisciplineHasResults, {stored.Name});
        if (hasHeats(db, disc))
            throw ServerError(errors::DisciplineHasHeats, {stored.Name});
    }
    if (!a.forceRemoveScheduleItems &&
        db.query("SELECT 1 FROM schedule_items si JOIN places_of_disciplines pd ON pd.id = si.place_of_discipline_id "
                 "WHERE pd.discipline_id = ?",
                 disc)
            .next())
        throw ServerError(errors::DisciplineHasScheduleItems, {stored.Name});

    // Its results, heats, squad and facility assignments and schedule items go with it.
    dropProvider(db, disc);
    db.query("DELETE FROM disciplines WHERE id = ?", disc).run();
}

// ---- scoring nodes -------------------------------------------------------------------------------

void ensureAggregatorTemplate(Db& db, int templateId)
{
    const CatalogueEntry* entry = findTemplate(templateId);
    if (!entry)
        throw ServerError(errors::TemplateNotFound, {num(templateId)});
    ensureTemplateRow(db, *entry);
}

proto::assignResultAggregatorResponse1 assignResultAggregator(Call& c, const op::assignResultAggregator& a)
{
    Db& db = c.database();
    const proto::ResultAggregatorInstanceInfoType info =
        a.ResultAggregator ? *a.ResultAggregator : proto::ResultAggregatorInstanceInfoType{};
    const CheckedInstance checked = checkInstance(db, info, 0);
    ensureTemplateRow(db, *checked.entry);
    const int id = newAggregatorId(db);
    db.query("INSERT INTO aggregators (id, competition_id, template_id) VALUES (?, ?, ?)", id, checked.competitionId,
             checked.entry->id)
        .run();
    writeSources(db, id, checked.sources);
    writeParameters(db, id, info.Parameters);
    writeResultTable(db, id, checked.sources);

    proto::assignResultAggregatorResponse1 r;
    r.CreatedResultAggregator = readAggregator(db, id);
    if (auto warning = mixedAgeClasses(db, {id}))
        r.Warnings.ensure().MixedAgeClassesWarning = std::move(warning);
    return r;
}

proto::modifyAssignedResultAggregatorResponse1
modifyAssignedResultAggregator(Call& c, const op::modifyAssignedResultAggregator& a)
{
    Db& db = c.database();
    requireAggregator(db, a.AggregatorId);
    proto::modifyAssignedResultAggregatorResponse1 r;
    if (!a.aggregatorInfo)
        return r;
    const CheckedInstance checked = checkInstance(db, *a.aggregatorInfo, a.AggregatorId);
    ensureTemplateRow(db, *checked.entry);
    db.query("UPDATE aggregators SET template_id = ? WHERE id = ?", checked.entry->id, a.AggregatorId).run();
    writeSources(db, a.AggregatorId, checked.sources);
    writeParameters(db, a.AggregatorId, a.aggregatorInfo->Parameters);
    writeResultTable(db, a.AggregatorId, checked.sources);
    if (auto warning = mixedAgeClasses(db, {a.AggregatorId}))
        r.Warnings.ensure().MixedAgeClassesWarning = std::move(warning);
    return r;
}

void removeResultAggregator(Call& c, const op::removeResultAggregator& a)
{
    Db& db = c.database();
    requireAggregator(db, a.ResultAggregatorID);
    QStringList lonely;
    for (int consumer : consumersOf(db, a.ResultAggregatorID))
        if (sourcesOf(db, consumer) == std::vector<int>{a.ResultAggregatorID})
            lonely << num(consumer);
    if (!lonely.isEmpty() && !a.forceRemove)
        throw ServerError(errors::OnlySourceOf, {num(a.ResultAggregatorID), lonely.join(QStringLiteral(", "))});
    deleteAggregator(db, a.ResultAggregatorID);
}

proto::connectProviderToResultAggregatorResponse1
connectProviderToResultAggregator(Call& c, const op::connectProviderToResultAggregator& a)
{
    Db& db = c.database();
    requireAggregator(db, a.AggregatorId);
    const int competition = providerCompetition(db, a.ProviderId);
    if (const int cupId = nodeCup(db, a.AggregatorId)) {
        if (!isCupSource(db, cupId, a.ProviderId))
            throw ServerError(errors::ProviderNotFound, {num(a.ProviderId)});
    } else if (competition == 0 || competition != providerCompetition(db, a.AggregatorId)) {
        throw ServerError(errors::ProviderNotFound, {num(a.ProviderId)});
    }
    if (drawsOn(db, a.ProviderId, a.AggregatorId))
        throw ServerError(errors::SourceCycle, {num(a.AggregatorId)});
    if (const CatalogueEntry* entry = findTemplate(aggregatorTemplate(db, a.AggregatorId)))
        checkSourceFits(db, *entry, a.ProviderId);
    std::vector<int> sources = sourcesOf(db, a.AggregatorId);
    if (std::find(sources.begin(), sources.end(), a.ProviderId) == sources.end()) {
        sources.push_back(a.ProviderId);
        writeSources(db, a.AggregatorId, sources);
        writeResultTable(db, a.AggregatorId, sources);
    }
    proto::connectProviderToResultAggregatorResponse1 r;
    if (auto warning = mixedAgeClasses(db, {a.AggregatorId}))
        r.Warnings.ensure().MixedAgeClassesWarning = std::move(warning);
    return r;
}

void disconnectProviderFromResultAggregator(Call& c, const op::disconnectProviderFromResultAggregator& a)
{
    Db& db = c.database();
    requireAggregator(db, a.AggregatorId);
    std::vector<int> sources = sourcesOf(db, a.AggregatorId);
    if (std::erase(sources, a.ProviderId) == 0)
        return;
    if (sources.empty())
        throw ServerError(errors::NoSource, {});
    writeSources(db, a.AggregatorId, sources);
    writeResultTable(db, a.AggregatorId, sources);
}

proto::getResultAggregatorTreeResponse1 getResultAggregatorTree(Call& c, const op::getResultAggregatorTree& a)
{
    Db& db = c.database();
    std::vector<int> roots;
    if (a.DisciplinId != 0) {
        requireDiscipline(db, a.DisciplinId);
        roots.push_back(a.DisciplinId);
    } else {
        Statement q = db.query("SELECT id FROM disciplines WHERE competition_id = ? ORDER BY id", a.CompetitionId);
        while (q.next())
            roots.push_back(q.intAt(0));
    }
    proto::getResultAggregatorTreeResponse1 r;
    std::vector<int> path;
    for (int root : roots)
        r.push_back(treeNode(db, root, path));
    setEvaluatedTableTypes(db, r);
    return r;
}

// The catalogue is the same for every competition; what a template takes is not checked.
proto::getResultAggregatorsResponse1 getResultAggregators(Call&, const op::getResultAggregators& a)
{
    proto::getResultAggregatorsResponse1 r;
    const NameFilter name(a.Name);
    for (const CatalogueEntry& e : catalogue())
        if (name.matches(QString::fromUtf8(e.name)))
            r.push_back(templateRecord(e));
    return r;
}

proto::getResultAggregatorInfoResponse1 getResultAggregatorInfo(Call& c, const op::getResultAggregatorInfo& a)
{
    const proto::ResultAggregatorInstanceType node = readAggregator(c.database(), a.ResultAggregatorID);
    proto::getResultAggregatorInfoResponse1 r;
    if (const CatalogueEntry* e = findTemplate(node.TemplateID))
        r.ResultAggregator = templateRecord(*e);
    return r;
}

proto::getToplevelSourceDisciplinesResponse1 getToplevelSourceDisciplines(Call& c,
                                                                          const op::getToplevelSourceDisciplines& a)
{
    Db& db = c.database();
    if (providerCompetition(db, a.ResultAggregatorId) == 0 && nodeCup(db, a.ResultAggregatorId) == 0)
        throw ServerError(errors::NotAnAggregator, {num(a.ResultAggregatorId)});
    proto::getToplevelSourceDisciplinesResponse1 r;
    for (int id : toplevelDisciplineIds(db, a.ResultAggregatorId))
        r.push_back(requireDiscipline(db, id));
    return r;
}

// ---- shared with the cup scorings ---------------------------------------------------------------

std::vector<int> nodeSources(Db& db, int id)
{
    return sourcesOf(db, id);
}

void setNodeSources(Db& db, int id, const std::vector<int>& sources)
{
    writeSources(db, id, sources);
    writeResultTable(db, id, sources);
}

void setNodeParameters(Db& db, int id, const std::vector<QString>& parameters)
{
    writeParameters(db, id, parameters);
}

void removeNode(Db& db, int id)
{
    deleteAggregator(db, id);
}

proto::ResultAggregatorInstanceType nodeRecord(Db& db, int id)
{
    return readAggregator(db, id);
}

proto::AggregatorTreeNodeType nodeTree(Db& db, int root)
{
    std::vector<int> path;
    return treeNode(db, root, path);
}

int competitionOfProvider(Db& db, int id)
{
    return providerCompetition(db, id);
}

} // namespace tvp::standin::ops
