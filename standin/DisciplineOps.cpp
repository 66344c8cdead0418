// Disciplines.

#include "standin/Handlers.h"
#include "standin/Records.h"

namespace tvp::standin::ops {

// An age class other than 0 keeps the disciplines of that age class only.
proto::getDisciplinesResponse1 getDisciplines(Call& c, const op::getDisciplines& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    proto::getDisciplinesResponse1 r = readDisciplines(db, a.CompetitionID, a.AgeClassID);
    const NameFilter name(a.Name);
    std::erase_if(r, [&](const proto::DisciplinType& d) { return !name.matches(d.Name); });
    return r;
}

} // namespace tvp::standin::ops
