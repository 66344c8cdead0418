// The discipline window's templates: a discipline saved as a template or made from one, an overall
// scoring saved or imported, and the nodes a template import connects to.

#include "organisation/ui/DisciplinDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

namespace tvp {

void TDisciplinForm::SaveTemplateButtonClick()
{
    if (!context().windows().findOrPlaceholder<ITemplateForms>(TWindowId::SaveDiscTemplateForm))
        return;
    if (!resAggTree) {
        context().messages().AddException(0, {}, QStringLiteral("Keine Disziplin ausgewählt"),
                                          QStringLiteral("Disziplinvorlage speichern"), this);
        return;
    }
    if (hasOverallDirtyData() &&
        !askYesNo(this, QStringLiteral("Vorlage exportieren"),
                  QStringLiteral("Ungespeicherte Änderungen an der Disziplin gehen beim Exportieren der Vorlage "
                                 "verloren und werden nicht exportiert. Fortfahren?")))
        return;
    reload(true);
}

void TDisciplinForm::ImportTemplateButtonClick()
{
    if (auto* templates = context().windows().findOrPlaceholder<ITemplateForms>(TWindowId::LoadDiscTemplateForm))
        templates->loadDiscTemplate(*this);
}

void TDisciplinForm::SaveResultsTemplateButtonClick()
{
    TUiAggregator* selected = resAggTree ? resAggTree->getSelected() : nullptr;
    if (!selected ||
        (selected->getType() != TAggregatorType::ag_ExtRef && selected->getType() != TAggregatorType::ag_CupRef))
        return;
    if (!context().windows().findOrPlaceholder<ITemplateForms>(TWindowId::SaveResultsTemplateForm))
        return;
    const TSelectType walk =
        selected->getType() == TAggregatorType::ag_CupRef ? TSelectType::st_Cup : TSelectType::st_ResEval;
    std::vector<TUiAggregator*> start;
    getExportConnections(selected, start, walk);
    std::vector<TUiAggregator*> marked;
    for (TUiAggregator* n : start)
        selectRecursive(n, marked, walk);
    for (TUiAggregator* n : marked)
        n->markForDelete();
    const bool go = askYesNo(this, QStringLiteral("Gesamtwertungsvorlage erstellen"),
                             QStringLiteral("Die markierten Elemente werden als Gesamtwertungsvorlage verwendet. "
                                            "Fortfahren?"));
    for (TUiAggregator* n : marked)
        n->setTypeColor();
    if (go) {
        if (auto* templates = context().windows().find<ITemplateForms>()) {
            std::vector<int> startIds;
            std::vector<int> markedIds;
            for (const TUiAggregator* n : start)
                startIds.push_back(n->ID());
            for (const TUiAggregator* n : marked)
                markedIds.push_back(n->ID());
            if (FAggSourceList)
                FAggSourceList->DetachToAggTree();
            std::unique_ptr<TAggregatorTree> tree = std::move(resAggTree);
            guarded([&] { templates->saveResultsTemplate(startIds, markedIds, std::move(tree)); });
        }
    }
    reloadData();
}

void TDisciplinForm::ImportResultsTemplateButtonClick()
{
    if (auto* templates = context().windows().findOrPlaceholder<ITemplateForms>(TWindowId::LoadResultsTemplateForm))
        templates->loadResultsTemplate(*this);
}

std::unique_ptr<TAggDragObject> TDisciplinForm::getImportReference(const QString& label, int ageClassId) const
{
    if (!resAggTree || currentDiscId == 0)
        return nullptr;
    const TDisciplineInfo* disc = getDiscInfoById(currentDiscId);
    if (ageClassId != 0 && disc && disc->ageClassId != 0 && disc->ageClassId != ageClassId)
        return nullptr;
    const std::vector<TUiAggregator*> nodes = resAggTree->getResultConnections(label);
    if (nodes.empty())
        return nullptr;
    auto ref = std::make_unique<TAggDragObject>();
    ref->Id = nodes.front()->ID();
    ref->name = nodes.front()->getDisplayName();
    ref->aggType = nodes.front()->getType();
    return ref;
}

std::vector<TUiAggregator*> TDisciplinForm::getDiscReferences(const QString& label) const
{
    if (!resAggTree || currentDiscId == 0)
        return {};
    return resAggTree->getResultOutputConnections(label);
}

} // namespace tvp
