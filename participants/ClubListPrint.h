#pragma once
// The club overview printout: name and remark of each club in the list's order.

#include "core/protocol/ParticipantRecords.h"
#include "participants/OverviewPrint.h"

#include <vector>

namespace tvp {

inline const QString kClubPrintJobName = QStringLiteral("Vereins_und_Organisationsübersicht");
// As the document has always read, without the blank.
inline const QString kClubPrintCaption = QStringLiteral("Vereins- und Organisationsübersicht");

class TClubColMapper : public TObjectColMapper<proto::ClubType> {
public:
    TClubColMapper();
    QString getCellText(int col, const proto::ClubType& club) const override;
};

using TClubPrintTable = TOverviewPrintTable<proto::ClubType>;

// The body of the printout: a copy of each club, in the order given.
std::shared_ptr<TClubPrintTable> makeClubPrintTable(const std::vector<proto::ClubType>& clubs);

// Composes the whole overview on the manager's job.
void renderClubOverview(TPrintManager& manager, const std::vector<proto::ClubType>& clubs);

} // namespace tvp
