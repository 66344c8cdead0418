#include "scoring/ui/CertSetupDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"

#include <QAction>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

namespace {

const QString kEditorPart; // the window has one part: the compilation being edited

} // namespace

// ---- the compilation's rows ----------------------------------------------------------------------

TCertDataListView::TCertDataListView(QWidget* parent) : QTreeView(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void TCertDataListView::dragEnterEvent(QDragEnterEvent* event)
{
    takeDrag(event);
}

void TCertDataListView::dragMoveEvent(QDragMoveEvent* event)
{
    // Anywhere in the list: below the last row a drop appends.
    takeDrag(event);
}

void TCertDataListView::takeDrag(QDragMoveEvent* event)
{
    if (acceptsDrop && acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TCertDataListView::dropEvent(QDropEvent* event)
{
    if (!acceptsDrop || !acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    // A copy for the source: a move would have the dragging view remove its rows.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const QModelIndex at = indexAt(event->position().toPoint());
    if (dropped)
        dropped(event->mimeData(), at.isValid() ? at.row() : -1);
}

// ---- the window ---------------------------------------------------------------------------------

TCertForm::TCertForm(TWindowContext& context) : TCertForm(context, QStringLiteral("CertForm"))
{
}

TCertForm::TCertForm(TWindowContext& context, const QString& componentName)
    : TTVPForm(context),
      road_(context, certRequests(), this,
            [this](std::unique_ptr<TCertResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      sortedAvailable_(componentName + QStringLiteral(".ListView1.")),
      templates_({{QStringLiteral("Vorlagenname"), [](const TCertificate& c) { return c.name; }}}),
      availableDrag_(componentName + QStringLiteral("/ListView1")),
      templateDrag_(componentName + QStringLiteral("/ListView2"))
{
    setWindowTitle(QStringLiteral("Urkunden / Ergebniszusammenstellungen"));
    available_.setDragSource(availableDrag_);
    onTemplate_.setDragSource(templateDrag_);
    buildLayout();
    buildMenus();
    sortedAvailable_.setSourceModel(&available_);
    ListView1->setModel(&sortedAvailable_);
    sortedAvailable_.initListView();
    ListView2->setModel(&onTemplate_);
    ListView3->setModel(&templates_);
    ListView1->setColumnWidth(0, 100);
    ListView2->setColumnWidth(0, 100);
    LoadCertTemplate(nullptr);
}

TCertForm::~TCertForm() = default;

void TCertForm::buildLayout()
{
    resize(702, 589);
    setMinimumSize(702, 430);
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    Label1 = new QLabel(QStringLiteral("Urkunden- und Ergebnisvorlagen:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ListView3 = new QTreeView(this);
    ListView3->setObjectName(QStringLiteral("ListView3"));
    ListView3->setRootIsDecorated(false);
    ListView3->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView3->setContextMenuPolicy(Qt::CustomContextMenu);
    left->addWidget(Label1);
    left->addWidget(ListView3);

    auto* right = new QVBoxLayout;
    Label2 = new QLabel(QStringLiteral("Verfügbare Daten:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setDragEnabled(true);
    ListView1->setDragDropMode(QAbstractItemView::DragOnly);
    right->addWidget(Label2);
    right->addWidget(ListView1);
    top->addLayout(left, 1);
    top->addLayout(right, 2);
    root->addLayout(top, 1);

    GroupBox1 = new QGroupBox(QStringLiteral("Urkunde / Ergebniszusammenstellung"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* group = new QVBoxLayout(GroupBox1);
    auto* nameRow = new QHBoxLayout;
    Label3 = new QLabel(QStringLiteral("Vorlagenname:"), GroupBox1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Edit1 = new QLineEdit(QStringLiteral("Neue Urkunde"), GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    nameRow->addWidget(Label3);
    nameRow->addWidget(Edit1, 1);
    group->addLayout(nameRow);
    Label4 = new QLabel(QStringLiteral("Daten auf dieser Vorlage:"), GroupBox1);
    Label4->setObjectName(QStringLiteral("Label4"));
    ListView2 = new TCertDataListView(GroupBox1);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setRootIsDecorated(false);
    ListView2->setUniformRowHeights(true);
    ListView2->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView2->setDragEnabled(true);
    ListView2->setDragDropMode(QAbstractItemView::DragDrop);
    ListView2->setContextMenuPolicy(Qt::CustomContextMenu);
    group->addWidget(Label4);
    group->addWidget(ListView2, 1);
    auto* saveRow = new QHBoxLayout;
    Button4 = new QPushButton(QStringLiteral("Als neue Vorlage speichern"), GroupBox1);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button1 = new QPushButton(QStringLiteral("Vorlage speichern"), GroupBox1);
    Button1->setObjectName(QStringLiteral("Button1"));
    saveRow->addStretch(1);
    saveRow->addWidget(Button4);
    saveRow->addWidget(Button1);
    group->addLayout(saveRow);
    root->addWidget(GroupBox1, 1);

    auto* bottom = new QHBoxLayout;
    CheckResultsButton = new QPushButton(QStringLiteral("Plausibilität der Ergebnisse prüfen"), this);
    CheckResultsButton->setObjectName(QStringLiteral("CheckResultsButton"));
    Button3 = new QPushButton(QStringLiteral("Test-Daten anzeigen"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button2 = new QPushButton(QStringLiteral("Daten für Urkunden/Ergebnisse anzeigen"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    bottom->addWidget(CheckResultsButton);
    bottom->addStretch(1);
    bottom->addWidget(Button3);
    bottom->addWidget(Button2);
    root->addLayout(bottom);

    ListView2->acceptsDrop = [this](const QMimeData* data) {
        const QString source = windowDragSource(data);
        if (source == availableDrag_)
            return ListView1->selectionModel()->hasSelection();
        if (source == templateDrag_)
            return ListView2->selectionModel()->hasSelection();
        return false;
    };
    ListView2->dropped = [this](const QMimeData* data, int row) { guarded([&] { dropOnTemplate(data, row); }); };
    ListView2->installEventFilter(this);
    ListView3->installEventFilter(this);

    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { guarded([&] { sortedAvailable_.SortListView(column, true); }); });
    connect(ListView3, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            chooseTemplate();
            Entfernen1->setEnabled(selectedTemplateRow() >= 0);
            setPopupOpen(1);
            PopupMenu1->popup(ListView3->viewport()->mapToGlobal(at));
        });
    });
    connect(ListView2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([&] { PopupMenu2->popup(ListView2->viewport()->mapToGlobal(at)); }); });
    connect(ListView3, &QAbstractItemView::clicked, this, [this] { guarded([this] { chooseTemplate(); }); });
    connect(Edit1, &QLineEdit::textEdited, this, [this] { guarded([this] { DoItemChangeCheck(kEditorPart); }); });
    connect(Button4, &QPushButton::clicked, this, [this] {
        guarded([this] {
            Button4->setEnabled(false);
            CreateCert();
        });
    });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { showData(false); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { showData(true); }); });
    connect(CheckResultsButton, &QPushButton::clicked, this, [this] { guarded([this] { checkResults(); }); });
}

void TCertForm::buildMenus()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Entfernen1 = PopupMenu1->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { removeTemplate(); }); });
    connect(PopupMenu1, &QMenu::aboutToHide, this, [this] { resetPopupOpen(); });

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Entfernen2 = PopupMenu2->addAction(QStringLiteral("Entfernen"));
    Entfernen2->setObjectName(QStringLiteral("Entfernen2"));
    PopupMenu2->addSeparator();
    NeueVorlage1 = PopupMenu2->addAction(QStringLiteral("Neue Vorlage"));
    NeueVorlage1->setObjectName(QStringLiteral("NeueVorlage1"));
    connect(Entfernen2, &QAction::triggered, this, [this] { guarded([this] { removeTemplateRow(); }); });
    connect(NeueVorlage1, &QAction::triggered, this, [this] { guarded([this] { newTemplate(); }); });
}

bool TCertForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView3 || watched == ListView2) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            guarded([&] { watched == ListView3 ? removeTemplate() : removeTemplateRow(); });
            return true;
        }
        if (watched == ListView3 && event->type() == QEvent::KeyRelease)
            guarded([this] { chooseTemplate(); });
    }
    return TTVPForm::eventFilter(watched, event);
}

void TCertForm::FormShow()
{
    CheckResultsButton->setVisible(!isCupWindow());
    reloadData();
}

void TCertForm::reloadData()
{
    Button2->setEnabled(false);
    CheckResultsButton->setEnabled(false);
    LoadCertAggs();
}

void TCertForm::unload()
{
    CurrentCertId = 0;
    reloadData();
}

void TCertForm::LoadCertAggs()
{
    loadAggs(TCertRequestType::rt_getAggChain, 0);
}

void TCertForm::LoadCertTemplates()
{
    loadTemplates(0);
}

void TCertForm::CreateCert()
{
    createCert(0);
}

void TCertForm::showData(bool testData)
{
    openDataView(testData, false, 0);
}

void TCertForm::loadAggs(TCertRequestType type, int cupId)
{
    ListView1->setEnabled(false);
    auto request = std::make_unique<TCertRequest>();
    request->reqType = type;
    request->cupId = cupId;
    request->treeInputs = takeTreeInputs(cupId);
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TCertForm::loadTemplates(int cupId)
{
    ListView3->setEnabled(false);
    auto request = std::make_unique<TCertRequest>();
    request->reqType = TCertRequestType::rt_getCertList;
    request->cupId = cupId;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCertForm::createCert(int cupId)
{
    std::unique_ptr<TCertRequest> request = prepareModReq(true);
    if (!request) {
        Button4->setEnabled(true);
        Button1->setEnabled(hasDirtyData(kEditorPart));
        return;
    }
    Edit1->setText(request->name);
    request->reqType = TCertRequestType::rt_CreateCert;
    request->cupId = cupId;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

// Copies of what names the nodes, taken here: the windows they come from may reload meanwhile.
std::shared_ptr<const TAnalyseTreeInputs> TCertForm::takeTreeInputs(int cupId) const
{
    auto inputs = std::make_shared<TAnalyseTreeInputs>();
    if (auto* disciplines = context().windows().find<IDisciplineWindows>())
        inputs->templates = disciplines->getLatestTemplates();
    if (auto* parameters = context().windows().find<IGlobalParameterForm>())
        for (int cup : {0, cupId}) {
            for (const QString& name : parameters->getParameterNames(cup))
                if (const std::optional<double> v = parameters->resolveParameter(name, cup))
                    inputs->parameters[{cup, name}] = *v;
            if (cupId == 0)
                break;
        }
    return inputs;
}

void TCertForm::RequestFinished(std::unique_ptr<TCertResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        Button4->setEnabled(true);
        Button1->setEnabled(hasDirtyData(kEditorPart));
        if (outcome.command == int(TCertRequestType::rt_getCertList)) {
            // One reload to get past a passing fault; a server that keeps failing is only reported.
            if (++certListFailures_ == 1)
                reloadData();
        }
        road_.report(outcome);
        return;
    }
    if (!response)
        return;
    switch (response->reqType) {
    case TCertRequestType::rt_getAggChain:
    case TCertRequestType::rt_getCupAggChain:
        fillAvailable(*response);
        LoadCertTemplates();
        break;
    case TCertRequestType::rt_getCertList:
        certListFailures_ = 0;
        fillTemplates(*response);
        break;
    case TCertRequestType::rt_CreateCert:
        CurrentCertId = response->id;
        resetDirtyData(kEditorPart);
        Button4->setEnabled(true);
        LoadCertTemplates();
        break;
    case TCertRequestType::rt_modifyCert:
        resetDirtyData(kEditorPart);
        LoadCertTemplates();
        closeResultCheck();
        break;
    case TCertRequestType::rt_removeCert:
        LoadCertTemplates();
        closeResultCheck();
        break;
    }
}

void TCertForm::fillAvailable(TCertResponse& response)
{
    const int scroll = ListView1->verticalScrollBar()->value();
    available_.setItems(std::move(response.availableAggs));
    response.availableAggs.clear();
    ListView1->verticalScrollBar()->setValue(scroll);
    ListView1->setEnabled(true);
    fitColumns(*ListView1);
}

void TCertForm::fillTemplates(const TCertResponse& response)
{
    const int scroll = ListView3->verticalScrollBar()->value();
    std::vector<TCertificate> certificates;
    certificates.reserve(response.CertList.size());
    for (const proto::aggregatorCollectionType& c : response.CertList)
        certificates.push_back({c.Id, c.Name, c.AggIds, c.SpecialOrderIndices});
    templates_.setRecords(std::move(certificates));
    ListView3->selectionModel()->clearSelection();
    const int row = templates_.findRow([this](const TCertificate& c) { return c.id == CurrentCertId; });
    if (row >= 0) {
        selectTemplateRow(row);
        LoadCertTemplate(&templates_.record(row));
    }
    ListView3->verticalScrollBar()->setValue(scroll);
    ListView3->setEnabled(true);
    fitColumns(*ListView3);
    if (row < 0)
        LoadCertTemplate(nullptr);
}

void TCertForm::LoadCertTemplate(const TCertificate* certificate)
{
    const int scroll = ListView2->verticalScrollBar()->value();
    if (certificate) {
        CurrentCertId = certificate->id;
        Button1->setEnabled(hasDirtyData(kEditorPart));
    } else {
        certificate = &defaultCertificate();
        CurrentCertId = 0;
        Button1->setEnabled(false);
    }
    Edit1->setText(certificate->name);
    std::vector<TCertItem> items;
    for (int id : certificate->AggIds) {
        const int row = available_.rowOf(id);
        if (row < 0) {
            context().messages().AddException(0, {},
                                              QStringLiteral("Eine Datenquelle der Urkunde (ID=%1) steht nicht mehr "
                                                             "zur Verfügung und wurde übersprungen.")
                                                  .arg(id),
                                              QStringLiteral("Urkundenvorlage laden"), this);
            continue;
        }
        items.push_back(available_.item(row));
    }
    onTemplate_.setItems(std::move(items));
    ListView2->verticalScrollBar()->setValue(scroll);
    fitColumns(*ListView2);
    Button2->setEnabled(onTemplate_.rowCount() > 0);
    CheckResultsButton->setEnabled(Button2->isEnabled());
    DoItemChangeCheck(kEditorPart);
}

const TCertificate* TCertForm::currentTemplate() const
{
    if (CurrentCertId == 0)
        return &defaultCertificate();
    const int row = templates_.findRow([this](const TCertificate& c) { return c.id == CurrentCertId; });
    return row < 0 ? nullptr : &templates_.record(row);
}

bool TCertForm::checkItemChanged(const QString&)
{
    return certTemplateChanged(currentTemplate(), Edit1->text().trimmed(), onTemplate_.ids());
}

void TCertForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    Button1->setEnabled(changed && CurrentCertId != 0);
}

std::unique_ptr<TCertRequest> TCertForm::prepareModReq(bool showError)
{
    const QString name = Edit1->text().trimmed();
    if (name.isEmpty()) {
        if (showError)
            context().messages().AddException(0, {}, QStringLiteral("Kein Vorlagename eingegeben"),
                                              QStringLiteral("Urkundenvorlage anlegen"), this);
        return nullptr;
    }
    auto request = std::make_unique<TCertRequest>();
    request->name = name;
    request->AggIds = onTemplate_.ids();
    return request;
}

int TCertForm::selectedTemplateRow() const
{
    const QModelIndexList rows = ListView3->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TCertForm::selectTemplateRow(int row)
{
    const QModelIndex index = templates_.index(row, 0);
    ListView3->selectionModel()->setCurrentIndex(index,
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TCertForm::chooseTemplate()
{
    const int row = selectedTemplateRow();
    if (row < 0 || templates_.record(row).id == CurrentCertId)
        return;
    DoItemChangeCheck(kEditorPart);
    if (checkDirtyDataMessage(nullptr, kEditorPart)) {
        // The user keeps the changes: the selection goes back to what is being edited.
        if (CurrentCertId == 0) {
            ListView3->selectionModel()->clearSelection();
            return;
        }
        const int current = templates_.findRow([this](const TCertificate& c) { return c.id == CurrentCertId; });
        if (current >= 0) {
            selectTemplateRow(current);
            ListView3->setFocus();
        } else {
            LoadCertTemplate(nullptr);
        }
        return;
    }
    LoadCertTemplate(&templates_.record(row));
}

void TCertForm::dropOnTemplate(const QMimeData* data, int row)
{
    const QString source = windowDragSource(data);
    if (source == availableDrag_) {
        QModelIndexList selected = ListView1->selectionModel()->selectedRows();
        std::sort(selected.begin(), selected.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        std::vector<TCertItem> items;
        for (const QModelIndex& index : selected)
            items.push_back(available_.item(sortedAvailable_.mapToSource(index).row()));
        const int present = onTemplate_.dropItems(items, row);
        if (present >= 0)
            ListView2->setCurrentIndex(onTemplate_.index(present, 0));
        fitColumns(*ListView2);
    } else if (source == templateDrag_) {
        const QModelIndexList selected = ListView2->selectionModel()->selectedRows();
        if (selected.isEmpty())
            return;
        const int moved = onTemplate_.moveItem(selected.front().row(), row);
        ListView2->setCurrentIndex(onTemplate_.index(moved, 0));
    } else {
        return;
    }
    DoItemChangeCheck(kEditorPart);
}

void TCertForm::removeTemplateRow()
{
    const QModelIndexList selected = ListView2->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    onTemplate_.removeItem(selected.front().row());
    DoItemChangeCheck(kEditorPart);
}

void TCertForm::newTemplate()
{
    if (checkDirtyDataMessage(nullptr, kEditorPart))
        return;
    ListView3->selectionModel()->clearSelection();
    LoadCertTemplate(nullptr);
    Edit1->selectAll();
    Edit1->setFocus();
}

void TCertForm::Button1Click()
{
    if (CurrentCertId == 0)
        return;
    std::unique_ptr<TCertRequest> request = prepareModReq(true);
    if (!request)
        return;
    Edit1->setText(request->name);
    Button1->setEnabled(false);
    request->reqType = TCertRequestType::rt_modifyCert;
    request->certId = CurrentCertId;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCertForm::removeTemplate()
{
    const int row = selectedTemplateRow();
    if (row < 0)
        return;
    const int id = templates_.record(row).id;
    if (!askYesNo(this, QStringLiteral("Urkunde löschen?"),
                  QStringLiteral("Urkunden-/Ergebnisvorlage wirklich löschen?")))
        return;
    auto request = std::make_unique<TCertRequest>();
    request->reqType = TCertRequestType::rt_removeCert;
    request->certId = id;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCertForm::openDataView(bool testData, bool cupMode, int cupId)
{
    const TCertificate* current = CurrentCertId == 0 ? nullptr : currentTemplate();
    const std::vector<int> order = current ? current->OrderIndices : std::vector<int>{};
    if (auto* view = context().windows().findOrPlaceholder<IDataViewForm>(TWindowId::DataViewForm))
        view->ShowData(Edit1->text(), CurrentCertId, certAggInfos(onTemplate_.items()), order, testData, cupMode,
                       cupId);
}

void TCertForm::checkResults()
{
    if (auto* check = context().windows().findOrPlaceholder<IResultCheckForm>(TWindowId::ResultCheckForm))
        check->checkWarnings(onTemplate_.ids(), true);
}

void TCertForm::closeResultCheck()
{
    if (context().windows().isVisible(TWindowId::ResultCheckForm))
        context().windows().close(TWindowId::ResultCheckForm);
}

void TCertForm::fitColumns(QTreeView& view)
{
    fitColumnsToRoom(view);
}

} // namespace tvp
