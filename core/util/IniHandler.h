#pragma once
// The settings file TVPsettings.ini. Every call opens the file, does one thing and closes it again,
// so no window ever holds it open. As with Windows ini files, section and key names compare without
// regard to case and the first occurrence wins; lines the reader does not understand are kept.

#include <QString>

namespace tvp {

void ReadIniStr(const QString& section, const QString& key, const QString& defaultValue, QString& value);
void WriteIniStr(const QString& section, const QString& key, const QString& value);

// Decimal only: a missing, empty or unparsable value (also "0x10") yields the default.
int ReadIniInteger(const QString& section, const QString& key, int defaultValue);
void WriteIniInteger(const QString& section, const QString& key, int value);

void RemoveIniItem(const QString& section, const QString& key);
// Deletes every key of the section; the header line stays.
void ResetIniSection(const QString& section);

// Where the settings file is: TVPsettings.ini in the settings folder (AppPaths), which is created
// when missing; a missing file is created there as a copy of options.ini from the program folder,
// or empty. Never beside the program: when the folder cannot be made, reads give the defaults and
// writes are refused and reported (once, through reportUncaught).
void getOptionsIniFilePath(QString& path);

} // namespace tvp
