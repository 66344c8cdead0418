#pragma once
// An editor's record saved over what another window or desk changed since it was loaded.

#include "core/protocol/Errors.h"

#include <QString>
#include <QStringList>

namespace tvp {

// Each listed field of edited that the user left as it was loaded takes the server's value, so a
// save writes what he changed and never turns another's change back to the value loaded before.
template <class Fields, class... T>
void takeServerChanges(Fields& edited, const Fields& loaded, const Fields& server, T Fields::*... fields)
{
    const auto take = [&](auto field) {
        if (edited.*field == loaded.*field)
            edited.*field = server.*field;
    };
    (take(fields), ...);
}

// A name changed here and, to something else, at another desk since the editor loaded it: neither
// may win without a word. The save stops with this id (parameters: the other desk's name, the
// user's) and the window asks which of the two stays.
inline constexpr int kNameChangedElsewhereError = -50;

inline bool changedOnBothSides(const QString& edited, const QString& loaded, const QString& server)
{
    const QString mine = edited.trimmed();
    const QString before = loaded.trimmed();
    const QString theirs = server.trimmed();
    return mine != before && theirs != before && theirs != mine;
}

inline void refuseNameChangedElsewhere(const QString& edited, const QString& loaded, const QString& server)
{
    if (changedOnBothSides(edited, loaded, server))
        throw ETvExceptionDetail(
            QStringLiteral("Der Name wurde an einem anderen Platz in \u201E%1\u201C geändert.").arg(server.trimmed()),
            kNameChangedElsewhereError, {server.trimmed(), edited.trimmed()});
}

// The question after that refusal; "Ja" keeps the user's name. what: "Der Teamname", "Der Riegenname".
inline QString nameChangedElsewhereQuestion(const QString& what, const QStringList& names)
{
    return QStringLiteral(
               "%1 wurde an einem anderen Platz in \u201E%2\u201C geändert. Soll Ihre Eingabe \u201E%3\u201C "
               "gespeichert werden? Bei \u201ENein\u201C bleibt \u201E%2\u201C.")
        .arg(what, names.value(0), names.value(1));
}

} // namespace tvp
