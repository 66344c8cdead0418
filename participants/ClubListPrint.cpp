#include "participants/ClubListPrint.h"

namespace tvp {

TClubColMapper::TClubColMapper()
{
    addHeader(QStringLiteral("Verein/Organisation"));
    addHeader(QStringLiteral("Bemerkung"));
}

QString TClubColMapper::getCellText(int col, const proto::ClubType& club) const
{
    switch (col) {
    case 0: return club.Name;
    case 1: return club.Comment;
    default: return {};
    }
}

std::shared_ptr<TClubPrintTable> makeClubPrintTable(const std::vector<proto::ClubType>& clubs)
{
    auto table = std::make_shared<TClubPrintTable>(std::make_shared<TClubColMapper>(), kOverviewRowHeight, nullptr,
                                                   std::make_shared<TWrappingLineRenderer>());
    for (const proto::ClubType& club : clubs)
        table->addItem(club);
    return table;
}

void renderClubOverview(TPrintManager& manager, const std::vector<proto::ClubType>& clubs)
{
    renderOverview(manager, kClubPrintCaption, QString(), makeClubPrintTable(clubs));
}

} // namespace tvp
