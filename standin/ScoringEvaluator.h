#pragma once
// The stand-in's scoring: a node's result table computed from the tables of its sources, on every
// read. Pure functions over result rows; the database side is NodeTables.
//
// Every value a node answers is finite: a node whose arithmetic leaves the finite numbers (or whose
// parameters cannot be resolved) answers its table type with no rows.

#include "core/protocol/ParticipantRecords.h"

#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace tvp::standin::scoring {

// The fixed template ids of the node catalogue.
enum TemplateId { BestAttempt = 1, Sum = 2, Rank = 3, PointsByTable = 4, TeamBestN = 5 };

// One participant's value in one source; teams are those its rows count for.
struct SourceValue {
    int participant = 0;
    double value = 0;
    std::vector<int> teams;
};

// What one source gives a node: a value per participant (ascending participant id), with the kind,
// pattern and direction of the source.
struct SourceValues {
    proto::ResultValueType kind = proto::ResultValueType::Distance;
    bool lowerBetter = false;
    bool team = false;
    QString pattern;
    std::vector<SourceValue> values;
};

// Maps a participant id to another key; 0 leaves the participant out.
using ParticipantKey = std::function<int(int participant)>;

// The value a result carries: none for statuses, texts and the server's empty result.
std::optional<double> valueOf(const proto::AssignedResultType& result);

// The per-source step: per participant (athlete; team for team tables) the best valued result over
// the attempts. rekey, when given, maps the participant ids first (rows of one key merge).
SourceValues bestValues(const proto::getResultTableResponse1& table, const ParticipantKey& rekey = {});

// One scoring node as stored.
struct Node {
    int id = 0;
    int templateId = 0;
    std::vector<int> sources;
    std::vector<QString> parameters;
    int competitionId = 0;
    int cupId = 0;
};

// A global parameter's value by name; the node's cup (0: none) and competition say where to look.
using ParameterLookup = std::function<std::optional<double>(const QString& name, int cupId, int competitionId)>;

// A number written with "." is itself; anything else names a global parameter. Nothing when
// neither resolves or the value is not finite.
std::optional<double> resolveParameter(const QString& text, const Node& node, const ParameterLookup& lookup);
// Whether the text is a number with "." as separator.
bool isPlainNumber(const QString& text);

// The table of a node of the template from its sources' values and resolved parameters.
proto::getResultTableResponse1 combine(int templateId, const std::vector<SourceValues>& sources,
                                       const std::vector<double>& parameters);

// The table type a node gives for its sources (also when it gives no rows).
proto::ResultTableType combinedType(int templateId, const std::vector<SourceValues>& sources);

// Evaluates a graph of nodes over discipline tables, each provider once per evaluator.
class Evaluator {
public:
    using NodeLookup = std::function<std::optional<Node>(int id)>;
    using DisciplineLookup = std::function<std::optional<proto::getResultTableResponse1>(int id)>;
    // How a cup node sees a source's table: its participants re-keyed to the cup's items. Nothing
    // takes the table as it is (a source keyed like the node already).
    using SourceRekey = std::function<std::optional<proto::getResultTableResponse1>(
        const Node& node, int source, const proto::getResultTableResponse1& table)>;

    Evaluator(NodeLookup nodes, DisciplineLookup disciplines, ParameterLookup parameters, SourceRekey rekey = {});

    // The table of a discipline or node; nothing when the id names neither.
    std::optional<proto::getResultTableResponse1> table(int id);

private:
    proto::getResultTableResponse1 evaluateNode(const Node& node, int depth);
    // Null when the id names neither; the table stays the evaluator's.
    const proto::getResultTableResponse1* tableAt(int id, int depth);

    NodeLookup nodes_;
    DisciplineLookup disciplines_;
    ParameterLookup parameters_;
    SourceRekey rekey_;
    std::map<int, std::optional<proto::getResultTableResponse1>> done_;
    std::map<int, proto::getResultTableResponse1> cut_; // nodes met again inside their own evaluation
    std::set<int> inProgress_;
};

} // namespace tvp::standin::scoring
