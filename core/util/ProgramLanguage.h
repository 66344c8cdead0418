#pragma once
// The program speaks German. A machine whose locale names no language (C, POSIX) gets German
// numbers and dates; any other locale keeps the user's own. Qt's own texts (standard buttons, the
// print and file dialogs) come from Qt's German translations.

#include <QLocale>

class QCoreApplication;

namespace tvp {

// The locale the program uses on a machine with that system locale.
QLocale programLocale(const QLocale& system);
// Makes programLocale(QLocale::system()) the default; before the application object exists.
void applyProgramLocale();
// Loads Qt's German translations into the application; false when they are not installed.
bool installQtTranslations(QCoreApplication& app);

} // namespace tvp
