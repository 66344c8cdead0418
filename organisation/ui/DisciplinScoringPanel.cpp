// The lower half of the discipline window: the discipline's scoring nodes drawn as a tree, and
// the editor of one node (its template, parameters, name, marks and sources).

#include "organisation/ui/DisciplinDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ScoringViews.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextDocument>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace tvp {

void TDisciplinForm::buildResultEvaluation(QWidget* group)
{
    auto* layout = new QHBoxLayout(group);

    auto* left = new QVBoxLayout;
    layout->addLayout(left, 3);
    left->setSpacing(4);
    left->addWidget(new QLabel(QStringLiteral("Auswertung:"), group));
    ScrollBox1 = new QScrollArea(group);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(true);
    left->addWidget(ScrollBox1, 1);
    auto* resultButtons = new QHBoxLayout;
    ImportResultsTemplateButton = new QPushButton(QStringLiteral("Gesamtwertung importieren"), group);
    ImportResultsTemplateButton->setObjectName(QStringLiteral("ImportResultsTemplateButton"));
    SaveResultsTemplateButton = new QPushButton(QStringLiteral("Gesamtwertung als Vorlage speichern"), group);
    SaveResultsTemplateButton->setObjectName(QStringLiteral("SaveResultsTemplateButton"));
    resultButtons->addWidget(ImportResultsTemplateButton);
    resultButtons->addWidget(SaveResultsTemplateButton);
    left->addLayout(resultButtons);

    AggregatorGroupBox = new QGroupBox(QStringLiteral("Ergebnis-Aggregator"), group);
    AggregatorGroupBox->setObjectName(QStringLiteral("AggregatorGroupBox"));
    layout->addWidget(AggregatorGroupBox, 5);
    // The node's own settings on the left, its sources on the right.
    auto* aggColumns = new QHBoxLayout(AggregatorGroupBox);
    auto* agg = new QVBoxLayout;
    auto* sources = new QVBoxLayout;
    aggColumns->addLayout(agg, 1);
    aggColumns->addLayout(sources, 1);
    AggIdLabel = new QLabel(QStringLiteral("ID: -"), AggregatorGroupBox);
    AggIdLabel->setObjectName(QStringLiteral("AggIdLabel"));
    agg->addWidget(AggIdLabel);
    auto* aggForm = new QFormLayout;
    agg->addLayout(aggForm);
    TemplateComboBox = new QComboBox(AggregatorGroupBox);
    TemplateComboBox->setObjectName(QStringLiteral("TemplateComboBox"));
    aggForm->addRow(QStringLiteral("Aggregator-Typ:"), TemplateComboBox);
    DisplayNameEdit = new QLineEdit(AggregatorGroupBox);
    DisplayNameEdit->setObjectName(QStringLiteral("DisplayNameEdit"));
    aggForm->addRow(QStringLiteral("Anzeigename:"), DisplayNameEdit);
    agg->addWidget(new QLabel(QStringLiteral("Parameter:"), AggregatorGroupBox));
    ParameterGrid = new QTableWidget(0, 2, AggregatorGroupBox);
    ParameterGrid->setObjectName(QStringLiteral("ParameterGrid"));
    ParameterGrid->setHorizontalHeaderLabels({QStringLiteral("Parameter"), QStringLiteral("Wert")});
    // The parameters' names take the room the values leave; a name still too long ends in "…".
    fitColumnsToRoom(*ParameterGrid);
    ParameterGrid->verticalHeader()->hide();
    ParameterGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    ParameterGrid->setMinimumHeight(80);
    ParameterGrid->verticalHeader()->setDefaultSectionSize(ParameterGrid->fontMetrics().height() + 6);
    agg->addWidget(ParameterGrid, 1);
    CertificateCheckBox =
        new QCheckBox(QStringLiteral("Ergebnis verfügbar für Urkunden/Ergebniszusammenstellungen"), AggregatorGroupBox);
    CertificateCheckBox->setObjectName(QStringLiteral("CertificateCheckBox"));
    AnalysisCheckBox = new QCheckBox(QStringLiteral("Ergebnis sichtbar in Auswertung"), AggregatorGroupBox);
    AnalysisCheckBox->setObjectName(QStringLiteral("AnalysisCheckBox"));
    agg->addWidget(CertificateCheckBox);
    agg->addWidget(AnalysisCheckBox);
    AppendButton = new QPushButton(QStringLiteral("Neu an Markierung anhängen"), AggregatorGroupBox);
    AppendButton->setObjectName(QStringLiteral("AppendButton"));
    agg->addWidget(AppendButton);
    sources->addWidget(new QLabel(QStringLiteral("Quelle(n):"), AggregatorGroupBox));
    SourcesListView = new QTreeView(AggregatorGroupBox);
    SourcesListView->setObjectName(QStringLiteral("SourcesListView"));
    SourcesListView->setRootIsDecorated(false);
    SourcesListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SourcesListView->setContextMenuPolicy(Qt::CustomContextMenu);
    SourcesListView->setAcceptDrops(true);
    SourcesListView->viewport()->setAcceptDrops(true);
    SourcesListView->viewport()->installEventFilter(this);
    SourcesListView->installEventFilter(this);
    sources->addWidget(SourcesListView, 1);
    auto* aggButtons = new QVBoxLayout;
    ShowAnalysisButton = new QPushButton(QStringLiteral("Auswertung anzeigen"), AggregatorGroupBox);
    ShowAnalysisButton->setObjectName(QStringLiteral("ShowAnalysisButton"));
    SaveAggregatorButton = new QPushButton(QStringLiteral("Änderungen speichern"), AggregatorGroupBox);
    SaveAggregatorButton->setObjectName(QStringLiteral("SaveAggregatorButton"));
    aggButtons->addWidget(ShowAnalysisButton);
    aggButtons->addWidget(SaveAggregatorButton);
    sources->addLayout(aggButtons);

    TreePopupMenu = new QMenu(this);
    TreePopupMenu->setObjectName(QStringLiteral("TreePopupMenu"));
    TreeEntfernen1 = TreePopupMenu->addAction(QStringLiteral("Enfernen"));
    TreeEntfernen1->setObjectName(QStringLiteral("TreeEntfernen1"));
    connect(TreePopupMenu, &QMenu::aboutToShow, this, [this] {
        const TUiAggregator* selected = resAggTree ? resAggTree->getSelected() : nullptr;
        TreeEntfernen1->setEnabled(selected && selected->ID() != resAggTree->CurDiscInfo()->id);
    });
    connect(TreeEntfernen1, &QAction::triggered, this, [this] { guarded([this] { TreeEntfernenClick(); }); });

    SourcesPopupMenu = new QMenu(this);
    SourcesPopupMenu->setObjectName(QStringLiteral("SourcesPopupMenu"));
    RemoveSource1 = SourcesPopupMenu->addAction(QStringLiteral("Quelle entfernen"));
    RemoveSource1->setObjectName(QStringLiteral("RemoveSource1"));
    connect(RemoveSource1, &QAction::triggered, this, [this] { guarded([this] { RemoveSourceClick(); }); });
    connect(SourcesListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { SourcesPopupMenu->popup(SourcesListView->viewport()->mapToGlobal(pos)); });

    ParameterPopupMenu = new QMenu(this);
    ParameterPopupMenu->setObjectName(QStringLiteral("ParameterPopupMenu"));
    InsertParameter1 = ParameterPopupMenu->addMenu(QStringLiteral("Veranstaltungsparameter einfügen"));
    InsertParameter1->setObjectName(QStringLiteral("InsertParameter1"));
    ManageParameters1 = ParameterPopupMenu->addAction(QStringLiteral("Veranstaltungsparameter verwalten"));
    ManageParameters1->setObjectName(QStringLiteral("ManageParameters1"));
    connect(ManageParameters1, &QAction::triggered, this, [this] {
        guarded([this] {
            if (auto* parameters = context().windows().find<IGlobalParameterForm>())
                parameters->showGlobalParameterForm(0);
        });
    });
    connect(ParameterGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        guarded([&] {
            ParameterPopupOpening();
            ParameterPopupMenu->popup(ParameterGrid->viewport()->mapToGlobal(pos));
        });
    });

    connect(TemplateComboBox, &QComboBox::activated, this,
            [this](int index) { guarded([&] { TemplateComboBoxSelect(index); }); });
    connect(DisplayNameEdit, &QLineEdit::textEdited, this,
            [this] { guarded([this] { DoItemChangeCheck(kAggPart); }); });
    connect(CertificateCheckBox, &QCheckBox::clicked, this,
            [this] { guarded([this] { DoItemChangeCheck(kAggPart); }); });
    connect(AnalysisCheckBox, &QCheckBox::clicked, this, [this] { guarded([this] { DoItemChangeCheck(kAggPart); }); });
    connect(ParameterGrid, &QTableWidget::itemChanged, this, [this] {
        if (!loading_)
            guarded([this] { DoItemChangeCheck(kAggPart); });
    });
    connect(AppendButton, &QPushButton::clicked, this, [this] { guarded([this] { AppendButtonClick(); }); });
    connect(SaveAggregatorButton, &QPushButton::clicked, this,
            [this] { guarded([this] { SaveAggregatorButtonClick(); }); });
    connect(ShowAnalysisButton, &QPushButton::clicked, this,
            [this] { guarded([this] { ShowAnalysisButtonClick(); }); });
    connect(SaveResultsTemplateButton, &QPushButton::clicked, this,
            [this] { guarded([this] { SaveResultsTemplateButtonClick(); }); });
    connect(ImportResultsTemplateButton, &QPushButton::clicked, this,
            [this] { guarded([this] { ImportResultsTemplateButtonClick(); }); });
    connect(SourcesListView, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { guarded([&] { SourcesDoubleClick(index.row()); }); });
}

void TDisciplinForm::ReloadAggregatorTree(int selectAggregatorId, bool exportTemplate)
{
    ResEvalGroupBox->hide();
    auto r = newRequest(exportTemplate ? TDisciplinRequestType::rt_getAggTreeExportTemplate
                                       : TDisciplinRequestType::rt_getAggTree);
    r->discId = currentDiscId;
    r->selectAggregatorId = selectAggregatorId;
    queue(std::move(r));
}

void TDisciplinForm::LoadTemplates()
{
    TemplateComboBox->setEnabled(false);
    TemplateComboBox->setPlaceholderText(QStringLiteral("Lade..."));
    TemplateComboBox->setCurrentIndex(-1);
    queue(newRequest(TDisciplinRequestType::rt_getTemplates));
}

void TDisciplinForm::LoadAggregatorLabels(TAggregatorTree* tree, bool exportTemplate)
{
    if (!tree)
        return;
    auto r = newRequest(exportTemplate ? TDisciplinRequestType::rt_getLabelsExportTemplate
                                       : TDisciplinRequestType::rt_getLabels);
    r->labelKeys = aggregatorLabelKeys(*tree);
    queue(std::move(r));
}

std::unique_ptr<TAggregatorTree> TDisciplinForm::buildTree(const TDisciplinResponse& response)
{
    const TDisciplineInfo* info = getDiscInfoById(response.discId);
    TDisciplineInfo disc = info ? *info : TDisciplineInfo{};
    disc.id = response.discId;
    TTemplateLookup templates = [this](int id) { return getTemplateById(id); };
    // The export's tree is never shown.
    if (response.reqType == TDisciplinRequestType::rt_getAggTree) {
        auto* views = context().windows().find<IAggregatorTreeViews>();
        return views ? views->createDrawnAggregatorTree(ScrollBox1, response.aggregatorTree, {response.discId},
                                                        std::move(templates), disc, TreePopupMenu)
                     : nullptr;
    }
    auto* trees = context().windows().find<IAggregatorTrees>();
    return trees ? trees->createAggregatorTree(response.aggregatorTree, {response.discId}, std::move(templates), disc)
                 : nullptr;
}

void TDisciplinForm::completeTree(TDisciplinResponse& response)
{
    // An answer for a discipline that is no longer current is dropped.
    if (response.discId != currentDiscId)
        return;
    if (FAggSourceList)
        FAggSourceList->DetachToAggTree();
    resAggTree.reset();
    tempAggTree = buildTree(response);
    const bool exportTemplate = response.reqType == TDisciplinRequestType::rt_getAggTreeExportTemplate;
    LoadAggregatorLabels(tempAggTree.get(), exportTemplate);
    if (!exportTemplate) {
        resAggTree = std::move(tempAggTree);
        if (resAggTree) {
            resAggTree->OnSelectItem = [this](TUiAggregator* n) { guarded([&] { OnSelectAggItem(n); }); };
            resAggTree->OnDoubleClickItem = [this](TUiAggregator* n) { guarded([&] { OpenResAggItem(n); }); };
            resAggTree->OnDoubleClickingItem = [this](TUiAggregator* n, bool& allow) {
                guarded([&] { OnSelectingAggItem(n, allow); });
            };
            if (FAggSourceList)
                FAggSourceList->AttachToAggTree(resAggTree.get());
            if (response.selectAggregatorId != 0)
                if (TUiAggregator* node = resAggTree->findAggregatorById(response.selectAggregatorId)) {
                    resAggTree->setSelected(node);
                    OpenResAggItem(node);
                }
        }
        ResEvalGroupBox->setEnabled(true);
        ResEvalGroupBox->show();
        RestoreResAggSelection();
    }
    EnableButtons();
}

void TDisciplinForm::completeTemplates(TDisciplinResponse& response)
{
    // The tree's nodes look their templates up anew; the combo's entries follow the list.
    templates_ = std::move(response.templates);
    TemplateComboBox->clear();
    for (const proto::ResultAggregatorTemplateType& t : templates_)
        TemplateComboBox->addItem(t.Name, t.ID);
    TemplateComboBox->setPlaceholderText(QString());
    TemplateComboBox->setEnabled(true);
    TemplateComboBox->setCurrentIndex(-1);
    if (TUiAggregator* selected = resAggTree ? resAggTree->getSelected() : nullptr) {
        TemplateComboBox->setCurrentIndex(
            selected->AggregatorInfo() ? getTemplateIndexById(selected->AggregatorInfo()->TemplateID) : -1);
        if (TemplateComboBox->currentIndex() < 0)
            OpenResAggItem(selected);
    }
}

// ---- the result-evaluation editor ----------------------------------------------------------------

const proto::ResultAggregatorTemplateType* TDisciplinForm::getTemplateById(int id) const
{
    for (const proto::ResultAggregatorTemplateType& t : templates_)
        if (t.ID == id)
            return &t;
    return nullptr;
}

int TDisciplinForm::getTemplateIndexById(int id) const
{
    for (std::size_t i = 0; i < templates_.size(); ++i)
        if (templates_[i].ID == id)
            return int(i);
    return -1;
}

const proto::ResultAggregatorTemplateType* TDisciplinForm::getSelectedTemplate() const
{
    const int i = TemplateComboBox->currentIndex();
    return i >= 0 && i < int(templates_.size()) ? &templates_[std::size_t(i)] : nullptr;
}

void TDisciplinForm::setCurrentAggregatorId(int id)
{
    const bool leavesNode = currentAggregatorId != 0;
    currentAggregatorId = id;
    if (id != 0) {
        AggIdLabel->setText(QStringLiteral("ID: %1").arg(id));
        SaveAggregatorButton->setEnabled(hasDirtyData(kAggPart));
        SourcesListView->setEnabled(true);
        return;
    }
    AggIdLabel->setText(QStringLiteral("ID:-"));
    FLoadedInfos = {QStringLiteral("Lade..."), TBool::bNotSet, TBool::bNotSet};
    // A new node does not take the name of the node open before; one typed for it stays.
    if (leavesNode)
        DisplayNameEdit->clear();
    DisplayNameEdit->setEnabled(true);
    AnalysisCheckBox->setEnabled(true);
    AnalysisCheckBox->setChecked(false);
    CertificateCheckBox->setEnabled(true);
    CertificateCheckBox->setChecked(false);
    SaveAggregatorButton->setEnabled(false);
    SourcesListView->setEnabled(false);
}

void TDisciplinForm::LoadParameterNames(const proto::ResultAggregatorTemplateType* tmpl)
{
    setCurrentAggregatorId(0);
    const bool wasLoading = std::exchange(loading_, true);
    ParameterGrid->setRowCount(0);
    if (tmpl) {
        for (const proto::ParameterType& p : tmpl->ParameterTypes) {
            const int row = ParameterGrid->rowCount();
            ParameterGrid->insertRow(row);
            auto* name = new QTableWidgetItem(QString(p.Name).replace(QLatin1Char('='), QLatin1Char('_')));
            name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            ParameterGrid->setItem(row, 0, name);
            ParameterGrid->setItem(row, 1, new QTableWidgetItem(QString()));
        }
    }
    loading_ = wasLoading;
    ParameterGrid->setEnabled(ParameterGrid->rowCount() > 0);
    SaveAggregatorButton->setEnabled(false);
    DoItemChangeCheck(kAggPart);
}

void TDisciplinForm::TemplateComboBoxSelect(int index)
{
    TemplateComboBox->setCurrentIndex(index);
    // Escaped: template names are the server's, and a tooltip would take "<b>" for markup.
    TemplateComboBox->setToolTip(Qt::convertFromPlainText(TemplateComboBox->currentText()));
    LoadParameterNames(getSelectedTemplate());
    DoItemChangeCheck(kAggPart);
    EnableButtons();
}

void TDisciplinForm::loadUiInfosToAgg(TUiAggregator* node)
{
    if (!node)
        return;
    FLoadedInfos = {node->getName(), node->VisAnalysis(), node->VisCertificate()};
    DisplayNameEdit->setText(FLoadedInfos.FName);
    DisplayNameEdit->setEnabled(FLoadedInfos.FName != QLatin1String("Lade..."));
    const auto follow = [](QCheckBox* box, TBool mark) {
        box->setEnabled(mark != TBool::bNotSet);
        if (mark != TBool::bNotSet)
            box->setChecked(mark == TBool::bTrue);
    };
    follow(AnalysisCheckBox, FLoadedInfos.FVisAnalysis);
    follow(CertificateCheckBox, FLoadedInfos.FVisCertificate);
}

void TDisciplinForm::setLabelsToAggTree(TAggregatorTree* tree, const std::vector<proto::UiInfoKeyValuePair>& pairs)
{
    if (!tree)
        return;
    if (TUiAggregator* open = tree->setLabelsToAggTree(pairs, currentAggregatorId))
        loadUiInfosToAgg(open);
    DoItemChangeCheck(kAggPart);
}

void TDisciplinForm::OpenResAggItem(TUiAggregator* node)
{
    currentAggDiscId = 0;
    setCurrentAggregatorId(0);
    // Like the template and its values, the name is the opened node's or, with none, empty.
    DisplayNameEdit->clear();
    if (FAggSourceList)
        FAggSourceList->Clear();
    if (resAggTree)
        resAggTree->setOpenedItem(node);
    const proto::ResultAggregatorTemplateType* tmpl = node ? node->TemplateInfo() : nullptr;
    if (node && tmpl && node->AggregatorInfo()) {
        const proto::ResultAggregatorInstanceType& info = *node->AggregatorInfo();
        currentAggDiscId = node->parentAggregatorTree()->CurDiscInfo()->id;
        TemplateComboBox->setCurrentIndex(getTemplateIndexById(tmpl->ID));
        LoadParameterNames(tmpl);
        if (ParameterGrid->rowCount() != int(info.Parameters.size())) {
            context().messages().AddException(0, {},
                                              QStringLiteral("Ergebnis-Aggregator-Parameter passen nicht zum Template"),
                                              QStringLiteral("Ergebnis-Aggregator öffnen"), this);
            TemplateComboBox->setCurrentIndex(-1);
            LoadParameterNames(nullptr);
            return;
        }
        const bool wasLoading = std::exchange(loading_, true);
        for (std::size_t i = 0; i < info.Parameters.size(); ++i)
            ParameterGrid->item(int(i), 1)->setText(info.Parameters[i]);
        loading_ = wasLoading;
        if (FAggSourceList) {
            const int scroll = SourcesListView->verticalScrollBar()->value();
            FAggSourceList->Clear();
            for (int source : info.ConnectedAggregators)
                FAggSourceList->addItem(source, false);
            FAggSourceList->UpdateInfos();
            SourcesListView->verticalScrollBar()->setValue(scroll);
        }
        loadUiInfosToAgg(node);
        setCurrentAggregatorId(node->ID());
    } else {
        TemplateComboBox->setCurrentIndex(-1);
        LoadParameterNames(nullptr);
    }
    DoItemChangeCheck(kAggPart);
    EnableButtons();
}

void TDisciplinForm::OnSelectAggItem(TUiAggregator*)
{
    EnableButtons();
}

void TDisciplinForm::OnSelectingAggItem(TUiAggregator*, bool& allow)
{
    allow = !checkDirtyDataMessage({}, kAggPart);
}

void TDisciplinForm::RestoreResAggSelection()
{
    TUiAggregator* node = resAggTree ? resAggTree->findAggregatorById(currentAggregatorId) : nullptr;
    if (resAggTree)
        resAggTree->setSelected(node);
    OpenResAggItem(node);
}

TAggEditorState TDisciplinForm::aggEditorState() const
{
    TAggEditorState s;
    s.selectedTemplate = getSelectedTemplate();
    for (int row = 0; row < ParameterGrid->rowCount(); ++row) {
        const QTableWidgetItem* cell = ParameterGrid->item(row, 1);
        s.values << (cell ? cell->text() : QString());
    }
    s.name = DisplayNameEdit->text();
    s.nameEnabled = DisplayNameEdit->isEnabled();
    s.visAnalysis = AnalysisCheckBox->isChecked();
    s.visAnalysisEnabled = AnalysisCheckBox->isEnabled();
    s.visCertificate = CertificateCheckBox->isChecked();
    s.visCertificateEnabled = CertificateCheckBox->isEnabled();
    if (FAggSourceList)
        for (int i = 0; i < FAggSourceList->getListCount(); ++i)
            s.sources.push_back(FAggSourceList->getItem(i)->Id);
    return s;
}

bool TDisciplinForm::checkAggItemChanged()
{
    const TUiAggregator* node = resAggTree ? resAggTree->findAggregatorById(currentAggregatorId) : nullptr;
    return aggItemChanged(aggEditorState(), node);
}

bool TDisciplinForm::paramExists(const QString& name, int cupId) const
{
    auto* parameters = context().windows().find<IGlobalParameterForm>();
    return parameters && parameters->paramExists(name, cupId);
}

void TDisciplinForm::AppendButtonClick()
{
    const QString caption = QStringLiteral("Ergebnis-Aggregator anlegen");
    TUiAggregator* selected = resAggTree ? resAggTree->getSelected() : nullptr;
    if (!selected) {
        context().messages().AddException(0, {}, QStringLiteral("Bitte übergeordneten Knoten auswählen"), caption,
                                          this);
        return;
    }
    TAggRequestBuild build = CreateAggregatorRequestCurrentLoaded(
        aggEditorState(), FLoadedInfos, true, [this](const QString& name) { return paramExists(name, 0); });
    if (!build.request) {
        context().messages().AddException(0, {}, build.error, caption, this);
        return;
    }
    AppendButton->setEnabled(false);
    build.request->reqType = TDisciplinRequestType::rt_assignAggregator;
    build.request->discId = resAggTree->CurDiscInfo()->id;
    build.request->aggInfo.ConnectedAggregators = {selected->ID()};
    queue(std::move(build.request));
}

void TDisciplinForm::SaveAggregatorButtonClick()
{
    const QString caption = QStringLiteral("Ergebnis-Aggregatordaten ändern");
    if (currentAggregatorId == 0) {
        context().messages().AddException(0, {}, QStringLiteral("Kein Aggregator geladen"), caption, this);
        return;
    }
    if (!FAggSourceList || FAggSourceList->getListCount() == 0) {
        context().messages().AddException(0, {}, QStringLiteral("Mindestens eine Quelle muss erhalten bleiben"),
                                          caption, this);
        return;
    }
    const TUiAggregator* node = resAggTree ? resAggTree->findAggregatorById(currentAggregatorId) : nullptr;
    const int cupId = node ? node->cupId() : 0;
    TAggRequestBuild build = CreateAggregatorRequestCurrentLoaded(
        aggEditorState(), FLoadedInfos, false, [this, cupId](const QString& name) { return paramExists(name, cupId); });
    if (!build.request) {
        context().messages().AddException(0, {}, build.error, QStringLiteral("Ergebnis-Aggregator anlegen"), this);
        return;
    }
    SaveAggregatorButton->setEnabled(false);
    build.request->reqType = TDisciplinRequestType::rt_modifyResAgg;
    build.request->aggId = currentAggregatorId;
    build.request->discId = currentAggDiscId;
    build.request->aggInfo.ConnectedAggregators = aggEditorState().sources;
    queue(std::move(build.request));
}

void TDisciplinForm::TreeEntfernenClick()
{
    TUiAggregator* selected = resAggTree ? resAggTree->getSelected() : nullptr;
    if (!selected || selected->ID() == resAggTree->CurDiscInfo()->id)
        return;
    std::vector<TUiAggregator*> list;
    selectRecursive(selected, list, TSelectType::st_SingleConnection);
    for (TUiAggregator* n : list)
        n->markForDelete();
    const QString text = list.size() == 1
                             ? QStringLiteral("Markiertes Element Löschen?")
                             : QStringLiteral("Mit dieser Operation, werden alle rot markierten Elemente mitgelöscht. "
                                              "Fortfahren?");
    if (!askYesNo(this, QStringLiteral("Löschvorgang bestätigen"), text)) {
        for (TUiAggregator* n : list)
            n->setTypeColor();
        return;
    }
    auto r = newRequest(TDisciplinRequestType::rt_removeResAgg);
    for (const TUiAggregator* n : list)
        r->removeList.push_back(n->ID());
    queue(std::move(r));
}

void TDisciplinForm::ShowAnalysisButtonClick()
{
    auto* analysis = context().windows().findOrPlaceholder<IAnalyseForm>(TWindowId::AnalyseForm);
    if (!analysis)
        return;
    if (currentAggregatorId == 0)
        analysis->ShowAndLoad(currentDiscId, currentDiscId);
    else
        analysis->ShowAndLoad(currentAggDiscId, currentAggregatorId);
}

void TDisciplinForm::RemoveSourceClick()
{
    if (!FAggSourceList)
        return;
    const QModelIndex current = SourcesListView->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    if (row < 0)
        return;
    FAggSourceList->RemoveItem(row);
    DoItemChangeCheck(kAggPart);
}

bool TDisciplinForm::SourcesDrop(const TAggDragObject& dragged)
{
    if (!SourcesListView->isEnabled() || dragged.Id == 0 || !FAggSourceList)
        return false;
    FAggSourceList->addItem(dragged.Id, true);
    DoItemChangeCheck(kAggPart);
    return true;
}

void TDisciplinForm::SourcesDoubleClick(int row)
{
    const TSourceListItem* item = FAggSourceList ? FAggSourceList->getItem(row) : nullptr;
    if (!item)
        return;
    if (TUiAggregator* node = resAggTree ? resAggTree->findAggregatorById(item->Id) : nullptr) {
        resAggTree->setSelected(node);
        EnableButtons();
        return;
    }
    if (item->CompetitionId != context().competition().getCompetitionId(false)) {
        context().dialogs().messageBox(this, windowTitle(),
                                       QStringLiteral("Quelle gehört zu einer anderen Veranstaltung. Wechseln Sie zum "
                                                      "Betrachten bitte zuerst in die entsprechende Veranstaltung."),
                                       TMsgKind::Information, TMsgButtons::Ok);
        return;
    }
    tvp::ShowDisciplinForm(context().windows(), this, item->SourceDisciplinId, item->Id);
}

bool TDisciplinForm::checkEnablingParams() const
{
    if (currentAggregatorId == 0)
        return true;
    const TUiAggregator* node = resAggTree ? resAggTree->findAggregatorById(currentAggregatorId) : nullptr;
    return node && node->getType() != TAggregatorType::ag_Unknown;
}

void TDisciplinForm::ParameterPopupOpening()
{
    InsertParameter1->clear();
    const TUiAggregator* node = resAggTree ? resAggTree->findAggregatorById(currentAggregatorId) : nullptr;
    const int cupId = node ? node->cupId() : 0;
    QStringList names;
    if (auto* parameters = context().windows().find<IGlobalParameterForm>())
        names = parameters->getParameterNames(cupId);
    InsertParameter1->setEnabled(!names.isEmpty() && checkEnablingParams());
    for (const QString& name : names) {
        // Without automatic hot keys: the name stays exactly as it is.
        QAction* a = InsertParameter1->addAction(QString(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
        connect(a, &QAction::triggered, this, [this, name] {
            guarded([&] {
                const int row = ParameterGrid->currentRow();
                if (row >= 0 && ParameterGrid->item(row, 1)) {
                    ParameterGrid->item(row, 1)->setText(name);
                    DoItemChangeCheck(kAggPart);
                }
            });
        });
    }
}

} // namespace tvp
