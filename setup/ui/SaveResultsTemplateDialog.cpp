#include "setup/ui/SaveResultsTemplateDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/WindowContext.h"
#include "setup/ui/TemplateWindowParts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
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
    InterfaceListView = new QTreeWidget(InterfaceGroupBox);
    InterfaceListView->setObjectName(QStringLiteral("InterfaceListView"));
    InterfaceListView->setColumnCount(3);
    InterfaceListView->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Schnittstelle"), QStringLiteral("ID")});
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
        setGlobalVariablesToListView(context(), *ParamListView, names, FCupID, kParameterCaption);
        InterfaceListView->clear();
        for (const TUiAggregator* node : FtopLevelAggs) {
            auto* item = new QTreeWidgetItem(
                InterfaceListView, {node->getDisplayName(), node->getDisplayName(), QString::number(-node->ID())});
            item->setData(0, Qt::UserRole, node->ID());
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        autoSizeListView(*InterfaceListView);
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
        QString name;
        for (int i = 0; i < InterfaceListView->topLevelItemCount(); ++i)
            if (InterfaceListView->topLevelItem(i)->data(0, Qt::UserRole).toInt() == node->ID())
                name = InterfaceListView->topLevelItem(i)->text(0);
        items.push_back({node, name});
    }
    std::unique_ptr<TTemplateExportRequest> request;
    try {
        request = resultsTemplateExport(items, FaggPlainList, FCupID, exportParameterRowsOf(*ParamListView),
                                        FileNameEdit->text());
    } catch (const TvpError& e) {
        context().messages().AddException(0, {}, e.message(), road_.requestName(0), this);
        return;
    }
    sendExport(std::move(request));
}

} // namespace tvp
