// The input protocol of the heat shown: the grid as printed, with the discipline-list header
// without barcode and the standard footer.

#include "core/print/DisciplineListPrint.h"
#include "core/print/PrintTable.h"
#include "core/print/ui/Print.h"
#include "core/ui/WindowContext.h"
#include "results/ui/ResultGrid.h"
#include "results/ui/ResultsDialogs.h"

namespace tvp {

QString TResultDialog::getSquadStringForHeat() const
{
    std::vector<const proto::TeamType*> teams;
    const TResultTable table = resultCache->getResultTable(currentHeatId);
    for (const TResultRow* row : table.rows)
        teams.push_back(row->Team());
    return squadLine(teams);
}

void TResultDialog::printCurrentProtocol(const TUserAction& action)
{
    if (currentDisciplinID == 0 || currentHeatId == 0 || grid_.dataRows() == 0)
        return;
    // The printer dialog is the answer to the user's Ctrl+P; it waits without holding the program,
    // and the heat is printed as shown when the user confirms.
    const TAnswerTo answer(action);
    ChoosePrinterThen(this, [this, guard = TLoadGuard(this)](bool confirmed) {
        if (confirmed && guard.holds())
            printProtocol();
    });
}

void TResultDialog::printProtocol()
{
    if (currentDisciplinID == 0 || currentHeatId == 0 || grid_.dataRows() == 0)
        return;
    QString name;
    int barcode = 0;
    for (const TDisciplineInfo& d : disciplines_)
        if (d.id == currentDisciplinID) {
            name = d.name;
            barcode = d.Barcode;
        }
    std::unique_ptr<TPrintManager> manager = InitPrint(
        false, name + QStringLiteral(" - Ergebnisprotokoll Gruppe ") + QString::number(currentHeatId), true, this);
    if (!manager)
        return;
    {
        TWaitText wait(kPrintWaitText, this);
        const TPrintTable table(grid_, resultCache->isTeamDisc());
        auto printContext = std::make_shared<TDisciplinePrintContext>(
            getSquadStringForHeat(), currentHeatId, resultCache->getDiscResultType(),
            QStringLiteral("Ergebnisprotokoll"), name, currentDisciplinID, barcode, resultCache->ListVersion(),
            QString(), 0.0);
        manager->setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_none, false, resultCache->ResultFormat()));
        manager->setHeaderSpacing(150);
        manager->setFooterSpacing(30);
        manager->setPageFooter(std::make_shared<TTVPFooter>());
        // Long names and teams go on in further lines of their columns rather than being cut.
        manager->setContent(std::make_shared<TDisciplineListTableContent>(
            table, 60, std::make_shared<TWrappingLineRenderer>(), printContext));
        manager->render();
    }
    endPrintJob(*manager, context().messages(), road_->requestName(int(TResultRequestType::rt_RefreshForPrint)), this);
}

} // namespace tvp
