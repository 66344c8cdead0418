#include "setup/ui/SaveResultsTemplateDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "setup/ui/TemplateWindowParts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Gesamtwertungsvorlage speichern");
// The parameter table names the discipline export in its message, for both kinds.
const QString kParameterCaption = QStringLiteral("Disziplinvorlage exportieren");
const QString kFilter = QStringLiteral("Gesamtwertungsvorlagen (*.qrt)");

} // namespace

TSaveResultsTemplateForm::TSaveResultsTemplateForm(TWindowContext& context)
    : TSaveTemplateForm(context, resultsTemplateExportRequests(), kCaption, QStringLiteral("Exportiere Gesamtwertung"))
{
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(makeFileRow());
    makeParamGroup(outer, QStringLiteral("Die folgenden globalen Parameter werden in den gewählten "
                                         "Gesamtauswertungsknoten verwendet"));

    QVBoxLayout* interfaces = makeInterfaceGroup(outer);
    interfaces->addWidget(new QLabel(
        QStringLiteral("Sie können den Schnittstellen zu den Disziplinen hier einen sprechenden Namen geben"),
        InterfaceGroupBox));
    InterfaceListView = new QTreeView(InterfaceGroupBox);
    InterfaceListView->setObjectName(QStringLiteral("InterfaceListView"));
    InterfaceListModel = new TResultsInterfaceModel(InterfaceListView);
    InterfaceListView->setModel(InterfaceListModel);
    InterfaceListView->setRootIsDecorated(false);
    InterfaceListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A click on a row edits its name.
    InterfaceListView->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                                       QAbstractItemView::DoubleClicked);
    interfaces->addWidget(InterfaceListView);

    outer->addWidget(new QLabel(
        QStringLiteral("Dies speichert die gewählten Auswertungsknoten als Gesamtwertungsvorlage ab."), this));
    makeButtons(outer);
}

TSaveResultsTemplateForm::~TSaveResultsTemplateForm() = default;

void TSaveResultsTemplateForm::ShowTemplateSaveDialog(const std::vector<int>& topLevelIds,
                                                      const std::vector<int>& allIds,
                                                      std::unique_ptr<TAggregatorTree> tree)
{
    FileNameEdit->clear();
    tree_ = std::move(tree);
    FtopLevelAggs.clear();
    FaggPlainList.clear();
    if (!tree_)
        return;
    for (int id : topLevelIds)
        if (const TUiAggregator* node = tree_->findAggregatorById(id))
            FtopLevelAggs.push_back(node);
    for (int id : allIds)
        if (const TUiAggregator* node = tree_->findAggregatorById(id))
            FaggPlainList.push_back(node);
    FCupID = FtopLevelAggs.empty() ? 0 : FtopLevelAggs.front()->cupId();
    if (runSaveDialog()) {
        QStringList names;
        for (const TUiAggregator* node : FaggPlainList)
            node->addParameters(names);
        setGlobalVariablesToListView(context(), *ParamListView, *ParamListModel, names, FCupID, kParameterCaption);
        std::vector<TResultsInterfaceModel::Row> rows;
        for (const TUiAggregator* node : FtopLevelAggs)
            rows.push_back({node->ID(), node->getDisplayName(), node->getDisplayName()});
        InterfaceListModel->setRows(std::move(rows));
        autoSizeColumns(*InterfaceListView);
        context().dialogs().execModal(*this);
    }
    FtopLevelAggs.clear();
    FaggPlainList.clear();
    tree_.reset();
}

bool TSaveResultsTemplateForm::runSaveDialog()
{
    return chooseFile(getTemplatePath(), kFilter, QStringLiteral("qrt"));
}

void TSaveResultsTemplateForm::SaveButtonClick()
{
    if (FileNameEdit->text().isEmpty() || FtopLevelAggs.empty())
        return;
    std::vector<TResultsExportItem> items;
    for (const TUiAggregator* node : FtopLevelAggs) {
        items.push_back({node, InterfaceListModel->nameOf(node->ID())});
    }
    std::unique_ptr<TTemplateExportRequest> request;
    try {
        request = resultsTemplateExport(items, FaggPlainList, FCupID, ParamListModel->rows(), FileNameEdit->text());
    } catch (const TvpError& e) {
        context().messages().AddException(0, {}, e.message(), road_.requestName(0), this);
        return;
    }
    sendExport(std::move(request));
}

} // namespace tvp
