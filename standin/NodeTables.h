#pragma once
// Result tables of scoring nodes, computed from the stored results on every read (the evaluator
// is ScoringEvaluator; this side reads its input from the database).

#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/ScoringRecords.h"
#include "standin/Cups.h"
#include "standin/ScoringEvaluator.h"

#include <map>
#include <optional>
#include <unordered_map>

namespace tvp::standin {

class Db;

// One evaluation over the stored data: every provider asked is read and computed once.
class NodeTables {
public:
    explicit NodeTables(Db& db);

    // The table of a discipline or scoring node; nothing when the id names neither.
    std::optional<proto::getResultTableResponse1> table(int providerId);
    bool isNode(int id);

private:
    std::optional<proto::getResultTableResponse1> discipline(int id);

    std::optional<proto::getResultTableResponse1> cupView(const scoring::Node& node, int source,
                                                          const proto::getResultTableResponse1& table);

    Db& db_;
    std::map<int, std::unordered_map<int, int>> teamsByCompetition_;
    std::map<int, CupKeys> cupKeys_;
    scoring::Evaluator evaluator_;
};

// Gives every node of the trees the table type its evaluation makes.
void setEvaluatedTableTypes(Db& db, std::vector<proto::AggregatorTreeNodeType>& roots);

// A discipline's stored results as the evaluator reads them: each with the athlete it belongs to
// (by id, else the holder of its bib, else the participant at its heat and lane) and the teams it
// counts for (an athlete result without teams counts for the athlete's team). Nothing for an
// unknown discipline. teamOfAthlete: the competition's athletes' teams when known (athleteTeams).
std::optional<proto::getResultTableResponse1>
disciplineScoringTable(Db& db, int disciplineId, const std::unordered_map<int, int>* teamOfAthlete = nullptr);
// The team of every athlete of the competition that has one.
std::unordered_map<int, int> athleteTeams(Db& db, int competitionId);

// A scoring node as stored.
std::optional<scoring::Node> readScoringNode(Db& db, int id);

// A global parameter: a cup node's from its cup, else (and for competition nodes) from the
// competition.
std::optional<double> storedParameter(Db& db, const QString& name, int cupId, int competitionId);

} // namespace tvp::standin
