#pragma once
// Checks that handlers of several topics share; each refuses with the server's error.

#include "standin/Database.h"

namespace tvp::standin {

// An id that names no competition is refused with error 3.
void requireCompetition(Db& db, int id);

} // namespace tvp::standin
