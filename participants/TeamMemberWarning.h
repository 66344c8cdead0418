#pragma once
// The team-rule warnings: the server's check of the teams behind result providers, and the rows
// the warning window shows for it, one per broken rule.

#include "core/connection/RequestRoad.h"
#include "core/lists/RecordListModel.h"
#include "core/protocol/ParticipantRecords.h"

#include <QStringList>

#include <vector>

namespace tvp {

struct TTeamMemberWarningRequest : TRequest {
    std::vector<int> resProvIDs;
    int compId = 0;
};

struct TTeamMemberWarningResponse : TResponse {
    std::vector<proto::InvalidParticipantType> participantWarning;
    std::vector<int> resProvIDs;
    int compId = 0;
};

// The check under its caption "Teammitglieder prüfen".
const TRequestTable<TTeamMemberWarningRequest, TTeamMemberWarningResponse>& teamMemberWarningRequests();

// One row of the window: the team it names and its seven cells.
struct TTeamWarningRow {
    int teamId = 0;
    QStringList cells;
};

// The rows of an answer, in its order: per team the broken rules in the order member count,
// gender mix, girls, boys. Records naming only an athlete give none.
std::vector<TTeamWarningRow> teamWarningRows(const std::vector<proto::InvalidParticipantType>& warnings);

// "Teamname", "Problem", "Anzahl Athleten", "Altersklasse", "Min #Athl.", "Max #Athl.",
// "Geschlechter Vorgabe".
std::vector<TRecordListModel<TTeamWarningRow>::Column> teamWarningColumns();

} // namespace tvp
