#pragma once
// A whole competition as one XML text and back (docs/competition-file.md).

#include "core/protocol/Record.h"
#include "standin/Database.h"

#include <QString>

namespace tvp::standin {

// Refuses an unknown competition (error 3).
QString exportCompetitionText(Db& db, int competitionId, bool asTemplate);

// A new competition from the text, under the name and date given, or the file's where they are
// empty; its id. Refuses a file it cannot take whole with error 260 (a name in use: 2); the caller's
// transaction then drops what was written.
int importCompetitionText(Db& db, const QString& text, const QString& name, const proto::XsDate& date);

} // namespace tvp::standin
