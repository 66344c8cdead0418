#pragma once
// The choice after a save stopped because another desk changed a field of the record too.

#include "core/ui/Dialogs.h"
#include "participants/ServerChanges.h"

namespace tvp {

// Asks which value of a field changed at another desk too stays (values: the other desk's, the
// user's); true when the user takes his own ("Ja"), whose save then goes again over it. Enter keeps
// the other desk's value: his typed one stays in the field, unsaved, and a later save asks again.
inline bool keepOwnChange(QWidget* window, const QString& caption, const QString& what, const QStringList& values)
{
    return dialogs().messageBox(window, caption, nameChangedElsewhereQuestion(what, values), TMsgKind::Question,
                                TMsgButtons::YesNo, TMsgAnswer::No) == TMsgAnswer::Yes;
}

// The same for a name, whose save goes again with the other desk's name as loaded.
inline bool chooseNameChangedElsewhere(QWidget* window, const QString& caption, const QString& what,
                                       const QStringList& names, QString& loadedName)
{
    const bool mine = keepOwnChange(window, caption, what, names);
    if (mine)
        loadedName = names.value(0);
    return mine;
}

} // namespace tvp
