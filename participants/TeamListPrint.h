#pragma once
// The team overview printout ("Team/Riegen-Übersicht"): the team window's rows as a table under
// the filter caption, with the standard footer.

#include "core/protocol/ParticipantRecords.h"
#include "participants/OverviewPrint.h"

#include <QString>

#include <vector>

namespace tvp {

class TTeamColMapper : public TObjectColMapper<proto::TeamType> {
public:
    TTeamColMapper();
    QString getCellText(int col, const proto::TeamType& team) const override;
};

// An empty list still gives one page: its header line, between page header and footer.
class TTeamPrintTable : public TOverviewPrintTable<proto::TeamType> {
public:
    explicit TTeamPrintTable(int rowHeight = kOverviewRowHeight);
};

inline const QString kTeamOverviewJob = QStringLiteral("Team-Riegen-Übersicht");

// Lays out the teams in the given order on the manager's job and renders them.
void printTeamOverview(TPrintManager& manager, const std::vector<proto::TeamType>& teams, const QString& filterCaption);

} // namespace tvp
