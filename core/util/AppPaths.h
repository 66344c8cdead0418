#pragma once
// The one place that decides where the program's own files and the shared settings live.

#include <QString>

namespace tvp::AppPaths {

// Folder of the executable, always ending with "/". TVP_PROGRAM_DIR overrides it.
QString programDir();
QString programFile(const QString& name);

// The settings folder, without a trailing "/": one per user, ~/.local/share/TrivantaPentrel (the
// desktop's data folder), or TVP_COMMON_APPDATA when set. It may not exist yet.
QString commonAppDataDir();
// Creates the settings folder when it is missing; false when that failed.
bool ensureCommonAppDataDir();
// Empty when there is no settings folder at all (no home folder).
QString commonAppDataFile(const QString& name);

// An empty path drops the override.
void setProgramDirForTests(const QString& dir);
void setCommonAppDataDirForTests(const QString& dir);

} // namespace tvp::AppPaths
