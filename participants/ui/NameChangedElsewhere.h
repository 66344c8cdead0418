#pragma once
// The choice after a save stopped because another desk renamed the record too.

#include "core/ui/Dialogs.h"
#include "participants/ServerChanges.h"

#include <QLineEdit>

namespace tvp {

// Asks which name stays ("Ja": the user's); the other desk's goes into the field when he takes it.
// Either way that name is now the one loaded, so the save that follows writes the field as it is.
inline void chooseNameChangedElsewhere(QWidget* window, const QString& caption, const QString& what,
                                       const QStringList& names, QLineEdit& field, QString& loadedName)
{
    const bool mine = askYesNo(window, caption, nameChangedElsewhereQuestion(what, names));
    loadedName = names.value(0);
    if (!mine)
        field.setText(names.value(0));
}

} // namespace tvp
