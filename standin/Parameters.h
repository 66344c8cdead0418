#pragma once
// Global parameters of a competition and of a cup: the named numbers that scoring nodes may give
// instead of a number. Shared by the parameter operations, the node checks and the evaluator.

#include "core/protocol/ScoringRecords.h"
#include "standin/Database.h"

#include <QString>

#include <optional>

namespace tvp::standin {

// A parameter text that is a number: "." as decimal separator, finite.
std::optional<double> parameterNumber(const QString& text);

// The value of a named parameter: the cup's when cupId is not 0 and the cup has it, else the
// competition's; none when neither has it.
std::optional<double> globalParameter(Db& db, int competitionId, int cupId, const QString& key);

// A node's parameter text as a value: a number, else a parameter of its cup or competition.
std::optional<double> resolveParameterText(Db& db, int competitionId, int cupId, const QString& text);

// The cup record with its competitions, nil for an unknown id.
proto::Owned<proto::CupType> readCup(Db& db, int cupId);

} // namespace tvp::standin
