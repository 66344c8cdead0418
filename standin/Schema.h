#pragma once
// The stand-in's data file: one SQLite schema for the whole competition domain, built up by
// numbered migrations (PRAGMA user_version holds the number applied last).

#include "standin/Database.h"

namespace tvp::standin {

// The number of the newest migration.
int latestSchemaVersion();

// Applies the migrations above the file's version up to target, each in a transaction of its own,
// so a file of any older version keeps its data. A file newer than this program is refused.
void migrate(Db& db, int target = latestSchemaVersion());

} // namespace tvp::standin
