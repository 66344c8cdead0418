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
const QString kWaitText = QStringLiteral("Exportiere Gesamtwertung");
const QString kFilter = QStringLiteral("Gesamtwertungsvorlagen (*.qrt)");

} // namespace

TSaveResultsTemplateForm::TSaveResultsTemplateForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, resultsTemplateExportRequests(), this,
            [this](std::unique_ptr<TTemplateExportResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(kCaption);
    auto* outer = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    auto* fileRow = new QHBoxLayout;
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    FileNameEdit->setReadOnly(true);
    ChangeButton = new QPushButton(QStringLiteral("Ändern"), this);
    ChangeButton->setObjectName(QStringLiteral("ChangeButton"));
    fileRow->addWidget(FileNameEdit, 1);
    fileRow->addWidget(ChangeButton);
    form->addRow(QStringLiteral("Dateiname"), fileRow);
    outer->addLayout(form);

    ParamGroupBox = new QGroupBox(
        QStringLiteral("Die folgenden globalen Parameter werden in den gewählten Gesamtauswertungsknoten verwendet"),
        this);
    ParamGroupBox->setObjectName(QStringLiteral("ParamGroupBox"));
    auto* params = new QVBoxLayout(ParamGroupBox);
    params->addWidget(new QLabel(QStringLiteral("Wählen Sie die Parameter aus, die als Parameter in der Vorlage "
                                                "erhalten bleiben sollen."),
                                 ParamGroupBox));
    params->addWidget(
        new QLabel(QStringLiteral(" (Alle anderen werden zu ihrem aktuellen Wert aufgelöst)"), ParamGroupBox));
    ParamListView = makeExportParameterList(ParamGroupBox);
    ParamListView->setObjectName(QStringLiteral("ParamListView"));
    params->addWidget(ParamListView);
    outer->addWidget(ParamGroupBox, 1);

    InterfaceGroupBox = new QGroupBox(QStringLiteral("Schnittstellen"), this);
    InterfaceGroupBox->setObjectName(QStringLiteral("InterfaceGroupBox"));
    auto* interfaces = new QVBoxLayout(InterfaceGroupBox);
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
    outer->addWidget(InterfaceGroupBox, 1);

    outer->addWidget(new QLabel(
        QStringLiteral("Dies speichert die gewählten Auswertungsknoten als Gesamtwertungsvorlage ab."), this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    SaveButton = new QPushButton(QStringLiteral("Speichern"), this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(SaveButton);
    buttons->addWidget(CancelButton);
    outer->addLayout(buttons);

    connect(ChangeButton, &QPushButton::clicked, this, [this] { guarded([this] { ChangeButtonClick(); }); });
    connect(SaveButton, &QPushButton::clicked, this, [this] { guarded([this] { SaveButtonClick(); }); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { guarded([this] { CancelButtonClick(); }); });
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
    const QString file = context().dialogs().getSaveFileNameWithSuffix(this, kCaption, getTemplatePath(), kFilter,
                                                                       QStringLiteral("qrt"));
    if (file.isEmpty())
        return false;
    FileNameEdit->setText(file);
    return true;
}

QString TSaveResultsTemplateForm::resolveParam(const QString& name) const
{
    return resolveParameter(name, exportParameterRowsOf(*ParamListView));
}

void TSaveResultsTemplateForm::ChangeButtonClick()
{
    const QString before = FileNameEdit->text();
    if (!runSaveDialog())
        FileNameEdit->setText(before);
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
    context().waitTexts().showWait(kWaitText, this);
    setControlsEnabled(false);
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TSaveResultsTemplateForm::RequestFinished(std::unique_ptr<TTemplateExportResponse>, const TRequestOutcome& outcome)
{
    setControlsEnabled(true);
    context().waitTexts().closeWait(kWaitText);
    if (!outcome.ok()) {
        road_.report(outcome);
        return;
    }
    hide();
}

void TSaveResultsTemplateForm::CancelButtonClick()
{
    hide();
}

void TSaveResultsTemplateForm::setControlsEnabled(bool enabled)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{SaveButton, ChangeButton, CancelButton, ParamGroupBox, InterfaceGroupBox})
        w->setEnabled(enabled);
}

void TSaveResultsTemplateForm::hideEvent(QHideEvent* event)
{
    TTVPForm::hideEvent(event);
    FileNameEdit->clear();
}

} // namespace tvp
