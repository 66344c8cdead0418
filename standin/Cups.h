#pragma once
// What the other operations need of the cups (CupOps.cpp): placing new competition entries into
// the items of every cup that holds their competition, taking a competition out of a cup, and the
// cup keys a cup scoring re-keys its sources' tables with.

#include "core/protocol/ScoringRecords.h"
#include "standin/Database.h"

#include <unordered_map>
#include <vector>

namespace tvp::standin {

// Places a just created age class, team or athlete of the competition into each cup holding it.
void placeInCups(Db& db, proto::CupItemType kind, int entityId, int competitionId);

// Takes the competition out of the cup: the cup scorings lose their sources there (those left
// without source go), and its entries leave the cup's items.
void leaveCup(Db& db, int cupId, int competitionId);

// The cups holding a competition, by id.
std::vector<int> cupsOfCompetition(Db& db, int competitionId);

// Competition athletes and teams of the cup's finishers, each to its cup item.
struct CupKeys {
    std::unordered_map<int, int> athlete;
    std::unordered_map<int, int> team;
};
CupKeys cupKeys(Db& db, int cupId);

} // namespace tvp::standin
