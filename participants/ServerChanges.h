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

// A field (a name, a year) changed here and, to something else, at another desk since the editor
// loaded it: neither may win without a word. The save stops with this id (parameters: the other
// desk's value, the user's, the field's place in its record's list) and the window asks which of
// the two stays.
inline constexpr int kNameChangedElsewhereError = -50;

inline bool changedOnBothSides(const QString& edited, const QString& loaded, const QString& server)
{
    const QString mine = edited.trimmed();
    const QString before = loaded.trimmed();
    const QString theirs = server.trimmed();
    return mine != before && theirs != before && theirs != mine;
}

template <class V>
bool changedOnBothSides(const V& edited, const V& loaded, const V& server)
{
    return !(edited == loaded) && !(server == loaded) && !(server == edited);
}

// what: "Der Vorname"; the values as the user reads them.
[[noreturn]] inline void refuseChangedElsewhere(const QString& what, int field, const QString& server,
                                                const QString& mine)
{
    throw ETvExceptionDetail(
        QStringLiteral("%1 wurde an einem anderen Platz in \u201E%2\u201C geändert.").arg(what, server),
        kNameChangedElsewhereError, {server, mine, QString::number(field)});
}

inline void refuseNameChangedElsewhere(const QString& edited, const QString& loaded, const QString& server)
{
    if (changedOnBothSides(edited, loaded, server))
        refuseChangedElsewhere(QStringLiteral("Der Name"), 0, server.trimmed(), edited.trimmed());
}

// The three-way merge of a save, in its transaction: each listed field the user left as loaded takes
// the server's value (takeServerChanges). Returns the place (from 0, as listed) of the first field
// changed on both sides whose bit is not set in keptOwn (the user's answer to keep his own), -1
// when none.
template <class Fields, class... T>
int mergeServerChanges(Fields& edited, const Fields& loaded, const Fields& server, unsigned keptOwn,
                       T Fields::*... fields)
{
    int conflict = -1;
    int place = 0;
    const auto merge = [&](auto field) {
        const int at = place++;
        if (edited.*field == loaded.*field)
            edited.*field = server.*field;
        else if (conflict < 0 && !(keptOwn & (1u << at)) &&
                 changedOnBothSides(edited.*field, loaded.*field, server.*field))
            conflict = at;
    };
    (merge(fields), ...);
    return conflict;
}

// An editor with unsaved changes shows the server's record anew: fields left as loaded show the
// server's values, and loaded becomes the server's record, except a field changed on both sides,
// which stays as loaded so that the next save finds it and asks.
template <class Fields, class... T>
void followServerChanges(Fields& shown, Fields& loaded, const Fields& server, T Fields::*... fields)
{
    const Fields before = loaded;
    takeServerChanges(shown, before, server, fields...);
    loaded = server;
    const auto keep = [&](auto field) {
        if (changedOnBothSides(shown.*field, before.*field, server.*field))
            loaded.*field = before.*field;
    };
    (keep(fields), ...);
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
