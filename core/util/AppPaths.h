#pragma once
// The one place that decides where the program's own files and the shared settings live.

#include <QString>

namespace tvp::AppPaths {

// Folder of the executable, always ending with "/". TVP_PROGRAM_DIR overrides it.
QString programDir();
QString programFile(const QString& name);

// Linux stand-in for the Windows common application-data folder, without a trailing "/".
// TVP_COMMON_APPDATA overrides it. The folder may not exist.
QString commonAppDataDir();
QString commonAppDataFile(const QString& name);

// An empty path drops the override.
void setProgramDirForTests(const QString& dir);
void setCommonAppDataDirForTests(const QString& dir);

} // namespace tvp::AppPaths
