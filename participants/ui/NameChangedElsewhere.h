#pragma once
// The choice after a save stopped because another desk renamed the record too.

#include "core/ui/Dialogs.h"
#include "participants/ServerChanges.h"

namespace tvp {

// Asks which name stays; true when the user takes his own ("Ja"), whose save then goes again over
// the other desk's name. Enter keeps the other desk's name: his typed one stays in the field,
// unsaved, and a later save asks again.
inline bool chooseNameChangedElsewhere(QWidget* window, const QString& caption, const QString& what,
                                       const QStringList& names, QString& loadedName)
{
    const bool mine = dialogs().messageBox(window, caption, nameChangedElsewhereQuestion(what, names),
                                           TMsgKind::Question, TMsgButtons::YesNo, TMsgAnswer::No) == TMsgAnswer::Yes;
    if (mine)
        loadedName = names.value(0);
    return mine;
}

} // namespace tvp
