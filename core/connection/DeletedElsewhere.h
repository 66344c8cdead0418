#pragma once
// A save for a record another desk deleted meanwhile is refused naming the record, not with the
// server's "... mit der ID 11 existiert nicht" or "gehört nicht zur Veranstaltung".

#include "core/connection/ServicePorts.h"
#include "core/protocol/Errors.h"

#include <algorithm>

namespace tvp {

// Does the current competition still hold the athlete (or team)? Asked only after a refusal; when
// even the list cannot be read, the refusal stands as the server gave it.
inline bool stillInCompetition(TServicePorts& ports, bool team, int id)
{
    try {
        proto::DataRetrievalPortType& drs = ports.drs();
        if (team) {
            const proto::getTeamsResponse1 teams = drs.getTeams(ports.competitionId(), 0, nullptr, 0);
            return std::any_of(teams.begin(), teams.end(), [id](const proto::TeamType& t) { return t.TeamID == id; });
        }
        const proto::getAthletesResponse1 athletes =
            drs.getAthletes(ports.competitionId(), 0, 0, 0, nullptr, nullptr, 0);
        return std::any_of(athletes.begin(), athletes.end(),
                           [id](const proto::AthleteType& a) { return a.AthleteID == id; });
    } catch (const TvpError&) {
        return true;
    }
}

// Runs save; when the server refuses it because the record is gone, says so by its name
// (record: "Der Athlet „Anna Berg“", "Das Team „Adler“").
template <class Save>
void saveUnlessDeletedElsewhere(TServicePorts& ports, bool team, int id, const QString& record, Save&& save)
{
    try {
        save();
    } catch (const ETvExceptionDetail&) {
        if (id != 0 && !stillInCompetition(ports, team, id))
            throw ETvExceptionDetail(
                QStringLiteral("%1 existiert nicht mehr (an einem anderen Platz gelöscht).").arg(record));
        throw;
    }
}

} // namespace tvp
