#include "participants/TeamListPrint.h"

#include "core/results/tvpUtils.h"

namespace tvp {

TTeamColMapper::TTeamColMapper()
{
    for (const char* header : {"Teamname", "Abrechnungsverein", "Altersklasse", "Riege", "#Athleten"})
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
    : TOverviewPrintTable<proto::TeamType>(std::make_shared<TTeamColMapper>(), rowHeight, nullptr,
                                           std::make_shared<TWrappingLineRenderer>())
{
}

void printTeamOverview(TPrintManager& manager, const std::vector<proto::TeamType>& teams, const QString& filterCaption)
{
    auto body = std::make_shared<TTeamPrintTable>();
    for (const proto::TeamType& t : teams)
        body->addItem(t);
    renderOverview(manager, QStringLiteral("Team/Riegen-Übersicht"), filterCaption, body);
}

} // namespace tvp
