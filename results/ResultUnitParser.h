#pragma once
// The result-unit pattern language: literal characters and "$" operators that turn a result's
// number (metres, seconds or a rank) into its display text, e.g. "$(/60|.0):$(%60|.0|.-2) min"
// shows 125 seconds as "2:05 min".

#include "core/results/ResultUnitPatterns.h"

#include <QString>

namespace tvp {

// The whole pattern evaluated against one value. Throws EInvalidResultUnitPattern for a malformed
// pattern; no partial text is returned.
QString parseResultValue(const QString& pattern, double value);

// Makes this language the one the result texts of the whole program use.
void registerResultUnitPatterns();

} // namespace tvp
