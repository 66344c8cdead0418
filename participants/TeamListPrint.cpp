#include "participants/TeamListPrint.h"

#include "core/results/tvpUtils.h"

namespace tvp {

TTeamColMapper::TTeamColMapper()
{
    // Printed so, although the team window's list column reads "Abrechungsverein".
    for (const char* header : {"Teamname", "Abrechnungsverein", "Alterklasse", "Riege", "#Athleten"})
        addHeader(QString::fromUtf8(header));
}

QString TTeamColMapper::getCellText(int col, const proto::TeamType& team) const
{
    switch (col) {
    case 0: return team.Name;
    case 1: return team.BillingClub ? team.BillingClub->Name : QString();
    case 2: return team.AgeClass ? team.AgeClass->Name : QString();
    case 3: return getSquadInfoStr(team.SquadInfo.get());
    case 4: return QString::number(team.NoOfAthletes);
    default: return {};
    }
}

TTeamPrintTable::TTeamPrintTable(int rowHeight)
    : TItemListPrintTable<proto::TeamType>(rowHeight, std::make_shared<TSimpleLineRenderer>(), nullptr,
                                           std::make_shared<TTeamColMapper>())
{
}

std::shared_ptr<ITVChunk> TTeamPrintTable::getChunk(int availableHeight)
{
    if (getItemCount() > 0)
        return TItemListPrintTable<proto::TeamType>::getChunk(availableHeight);
    if (emptyPageHanded_)
        return nullptr;
    emptyPageHanded_ = true;
    return getPartList(FRowHeight, 0, 0);
}

void TTeamPrintTable::resetSplitting()
{
    emptyPageHanded_ = false;
    TItemListPrintTable<proto::TeamType>::resetSplitting();
}

void printTeamOverview(TPrintManager& manager, const std::vector<proto::TeamType>& teams, const QString& filterCaption)
{
    manager.setPageHeader(
        std::make_shared<TGenericCaptionStringHeader>(QStringLiteral("Team/Riegen-Übersicht"), filterCaption, 20, 45));
    manager.setHeaderSpacing(150);
    manager.setPageFooter(std::make_shared<TTVPFooter>());
    manager.setFooterSpacing(30);
    auto body = std::make_shared<TTeamPrintTable>(65);
    for (const proto::TeamType& t : teams)
        body->addItem(t);
    manager.setContent(body);
    manager.render();
}

} // namespace tvp
