#pragma once
// Texts shown in less room than they need, where several of them share a long start (squads of one
// age class and town, teams of one club): what is shown keeps the part that tells them apart.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace tvp {

// For each text, how many of its first characters no other text starts with: all of them where it
// is the start of another. A letter written as two code units is never halved.
std::vector<int> distinctStarts(const QStringList& texts);

// The text in room (measured by width): whole where it fits; else its start and "…", unless that
// cut falls within the first `shared` characters it has in common with others: then the start is
// cut in its middle so that the part from the word where they differ stays ("Riege U10 Übe…(4)"),
// also where that is its last character ("Riege U10 Übe…(1)" beside "…(10)"). Where not a letter
// of the start fits beside that part, the start goes and a "…" stands in its place ("…(12)").
QString cutKeepingDifference(const QString& text, int shared, int room,
                             const std::function<int(const QString&)>& width);

// For each text of a column, the least room in which its cut still tells it from the others: its
// start as far as where it parts from them and "…" ("Hoffmann-Üb…"), or where narrower, "…" and
// the end from the word in which it parts ("…(16)"); where another text ends so too, as much of
// the start before it as tells the two apart ("Riege S…(1)" beside "Riege N…(1)").
std::vector<int> leastApartWidths(const QStringList& texts, const std::function<int(const QString&)>& width);

// The text cut in its middle ("Riege U10 Überlingen-...Nord (4)") until fits holds: names that
// begin alike differ at their ends. In a list ("a, b") every entry loses its middle alike, so none
// is lost whole. The whole text when it fits; "..." alone when nothing does.
QString elideMiddle(const QString& text, const std::function<bool(const QString&)>& fits);

} // namespace tvp
