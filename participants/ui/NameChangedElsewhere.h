#pragma once
// The choice after a save stopped because another desk changed a field of the record too.

#include "core/ui/Dialogs.h"
#include "core/ui/TVPForm.h"
#include "participants/ServerChanges.h"

#include <functional>

namespace tvp {

// Asks, without holding the program, which value of a field changed at another desk too stays
// (values: the other desk's, the user's); decided(true) when the user takes his own ("Ja"), whose
// save then goes again over it. Enter keeps the other desk's value: his typed one stays in the
// field, unsaved, and a later save asks again.
inline void askChangedElsewhere(TTVPForm& window, const QString& caption, const QString& what,
                                const QStringList& values, std::function<void(bool)> decided)
{
    window.askLater(caption, nameChangedElsewhereQuestion(what, values), TMsgKind::Question, TMsgButtons::YesNo,
                    TMsgAnswer::No,
                    [decided = std::move(decided)](TMsgAnswer answer) { decided(answer == TMsgAnswer::Yes); });
}

} // namespace tvp
