#include "organisation/ui/DisciplinListDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/lists/RecordListModel.h"
#include "core/results/tvpUtils.h"
#include "core/services/ParticipantForms.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "organisation/TimingLists.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

namespace {

using enum TDiscListRequestType;

const QString kNoAgeClass = QStringLiteral("Disziplinaltersklasse: -");
const QString kExportingText = QStringLiteral("Exportiere Daten an Zeitmessung...");

} // namespace

TDisciplinListForm::TDisciplinListForm(TWindowContext& context)
    : TTVPForm(context),
      squads_(
          std::make_unique<TRecordListModel<proto::SquadType>>(std::vector<TRecordListModel<proto::SquadType>::Column>{
              {QStringLiteral("Riege"), [](const proto::SquadType& s) { return QString::number(s.OrderIndex); }},
              {QStringLiteral("Eigenname"), [](const proto::SquadType& s) { return s.CustomName; }},
              {QStringLiteral("Altersklasse"),
               [](const proto::SquadType& s) { return s.AgeClass ? s.AgeClass->Name : QStringLiteral("-"); }},
              {QStringLiteral("ID"), [](const proto::SquadType& s) { return QString::number(std::abs(s.SquadID)); }},
          })),
      road_(std::make_unique<TDiscListRoad>(context, discListRequests(), this,
                                            [this](std::unique_ptr<TDiscListResponse> r, const TRequestOutcome& o) {
                                                guarded([&] { RequestFinished(std::move(r), o); });
                                            }))
{
    setWindowTitle(kCaption);
    resize(860, 600);
    buildControls();
    // The empty choice, without loading anything.
    ComboBox1->setCurrentIndex(-1);
    setUiLockStatus(proto::LockType::NOTLOADED);
}

TDisciplinListForm::~TDisciplinListForm()
{
    // Gone first: a request finishing later calls nobody back.
    road_.reset();
}

void TDisciplinListForm::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 0);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    AutoEinteilung1 = MainMenu1->addMenu(QStringLiteral("Auto-Einteilung"));
    AutoEinteilung1->setObjectName(QStringLiteral("AutoEinteilung1"));
    Sperren1 = AutoEinteilung1->addAction(QStringLiteral("Sperren"));
    Sperren1->setObjectName(QStringLiteral("Sperren1"));
    Entsperren1 = AutoEinteilung1->addAction(QStringLiteral("Freigeben"));
    Entsperren1->setObjectName(QStringLiteral("Entsperren1"));
    Liste1 = MainMenu1->addMenu(QStringLiteral("Drucken"));
    Liste1->setObjectName(QStringLiteral("Liste1"));
    NachAnlagensortiertdrucken1 = Liste1->addAction(QStringLiteral("Nach Wettkampfanlagen sortiert drucken"));
    NachAnlagensortiertdrucken1->setObjectName(QStringLiteral("NachAnlagensortiertdrucken1"));
    NachAnlagensortiertdrucken1->setCheckable(true);
    Liste1->setEnabled(false);
    Zeitmessung1 = MainMenu1->addMenu(QStringLiteral("Zeitmessung"));
    Zeitmessung1->setObjectName(QStringLiteral("Zeitmessung1"));
    Wettkampflistesenden1 = Zeitmessung1->addAction(QStringLiteral("Wettkampfliste senden"));
    Wettkampflistesenden1->setObjectName(QStringLiteral("Wettkampflistesenden1"));
    Wettkampflistesenden1->setEnabled(false);
    layout->setMenuBar(MainMenu1);

    auto* columns = new QHBoxLayout;
    layout->addLayout(columns, 1);

    auto* left = new QVBoxLayout;
    columns->addLayout(left, 3);
    auto* choice = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("Disziplin:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setMinimumContentsLength(24);
    choice->addWidget(Label1);
    choice->addWidget(ComboBox1, 1);
    left->addLayout(choice);
    Label2 = new QLabel(kNoAgeClass, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    // It shows the age class name as the organiser typed it, markup included.
    Label2->setTextFormat(Qt::PlainText);
    left->addWidget(Label2);

    TreeView1 = new QTreeView(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    tree_.setDragSource(QString::fromLatin1(windowRow(TWindowId::DisciplinListForm).objectName));
    TreeView1->setModel(&tree_);
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    TreeView1->setDragEnabled(true);
    TreeView1->setAcceptDrops(true);
    TreeView1->setDragDropMode(QAbstractItemView::DragDrop);
    TreeView1->setDefaultDropAction(Qt::CopyAction);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeView1->setEnabled(false);
    TreeView1->viewport()->installEventFilter(this);
    TreeView1->installEventFilter(this);
    left->addWidget(TreeView1, 1);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Verfügbare Athleten anzeigen..."), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setVisible(false);
    Button2 = new QPushButton(QStringLiteral("Zur Leistungserfassung"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button5 = new QPushButton(QStringLiteral("Disziplin bearbeiten"), this);
    Button5->setObjectName(QStringLiteral("Button5"));
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button5);
    left->addLayout(buttons);
    CheckBox1 = new QCheckBox(QStringLiteral("Beim Laden Teamgrößen/Geschlechtermischung prüfen"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    left->addWidget(CheckBox1);

    GroupBox1 = new QGroupBox(QStringLiteral("Automatische Einteilung über Riegen"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    columns->addWidget(GroupBox1, 2);
    auto* group = new QVBoxLayout(GroupBox1);
    ListView2 = new QTreeView(GroupBox1);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setModel(squads_.get());
    ListView2->setRootIsDecorated(false);
    ListView2->setAlternatingRowColors(true);
    ListView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView2->setAcceptDrops(true);
    ListView2->setDragDropMode(QAbstractItemView::DropOnly);
    ListView2->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView2->setEnabled(false);
    fitColumnsToRoom(*ListView2);
    ListView2->viewport()->installEventFilter(this);
    ListView2->installEventFilter(this);
    group->addWidget(ListView2, 1);
    Button3 = new QPushButton(QStringLiteral("Verfügbare Riegen anzeigen..."), GroupBox1);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setVisible(false);
    group->addWidget(Button3);
    Label3 = new QLabel(GroupBox1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label3->setMargin(4);
    group->addWidget(Label3);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    layout->addWidget(StatusBar1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    NeuerLaufGruppe1 = PopupMenu1->addAction(QStringLiteral("Neuer Lauf/Gruppe"));
    NeuerLaufGruppe1->setObjectName(QStringLiteral("NeuerLaufGruppe1"));
    PopupMenu1->addSeparator();
    Leistungenerfassen1 = PopupMenu1->addAction(QStringLiteral("Leistungen erfassen"));
    Leistungenerfassen1->setObjectName(QStringLiteral("Leistungenerfassen1"));
    LaufGruppedrucken = PopupMenu1->addMenu(QStringLiteral("Lauf/Gruppe drucken"));
    LaufGruppedrucken->setObjectName(QStringLiteral("LaufGruppedrucken"));
    buildPrintMenus();
    Anzeigen1 = PopupMenu1->addAction(QStringLiteral("Anzeigen"));
    Anzeigen1->setObjectName(QStringLiteral("Anzeigen1"));
    Entfernen1 = PopupMenu1->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    RiegeAnzeigen1 = PopupMenu2->addAction(QStringLiteral("Riege anzeigen"));
    RiegeAnzeigen1->setObjectName(QStringLiteral("RiegeAnzeigen1"));
    RiegeEntfernen1 = PopupMenu2->addAction(QStringLiteral("Riege entfernen"));
    RiegeEntfernen1->setObjectName(QStringLiteral("RiegeEntfernen1"));
    PopupMenu2->addSeparator();
    RiegenPassenderAltersklassen1 =
        PopupMenu2->addAction(QStringLiteral("Riegen passender Altersklassen automatisch einfügen"));
    RiegenPassenderAltersklassen1->setObjectName(QStringLiteral("RiegenPassenderAltersklassen1"));

    auto on = [this](auto* sender, auto signal, void (TDisciplinListForm::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(ComboBox1, &QComboBox::activated, &TDisciplinListForm::ComboBox1Change);
    on(Button1, &QPushButton::clicked, &TDisciplinListForm::Button1Click);
    on(Button2, &QPushButton::clicked, &TDisciplinListForm::Button2Click);
    on(Button3, &QPushButton::clicked, &TDisciplinListForm::Button3Click);
    on(Button5, &QPushButton::clicked, &TDisciplinListForm::Button5Click);
    on(Sperren1, &QAction::triggered, &TDisciplinListForm::Sperren1Click);
    on(Entsperren1, &QAction::triggered, &TDisciplinListForm::Entsperren1Click);
    on(Wettkampflistesenden1, &QAction::triggered, &TDisciplinListForm::StartTimingExport);
    on(NeuerLaufGruppe1, &QAction::triggered, &TDisciplinListForm::NeuerLaufGruppe1Click);
    on(Leistungenerfassen1, &QAction::triggered, &TDisciplinListForm::Leistungenerfassen1Click);
    on(Anzeigen1, &QAction::triggered, &TDisciplinListForm::Anzeigen1Click);
    on(Entfernen1, &QAction::triggered, &TDisciplinListForm::Entfernen1Click);
    on(RiegeAnzeigen1, &QAction::triggered, &TDisciplinListForm::RiegeAnzeigen1Click);
    on(RiegeEntfernen1, &QAction::triggered, &TDisciplinListForm::RiegeEntfernen1Click);
    on(RiegenPassenderAltersklassen1, &QAction::triggered, &TDisciplinListForm::RiegenPassenderAltersklassen1Click);
    connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            PopupMenu1Popup();
            PopupMenu1->popup(TreeView1->viewport()->mapToGlobal(at));
        });
    });
    connect(ListView2, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            PopupMenu2Popup();
            PopupMenu2->popup(ListView2->viewport()->mapToGlobal(at));
        });
    });
}

// ---- loading ----

void TDisciplinListForm::FormShow()
{
    confirmedAutoOverwrite = false;
    reloadData();
    context().hints().ShowHintDelayed(kHint, hintDelayMs);
}

void TDisciplinListForm::closeEvent(QCloseEvent* event)
{
    confirmedAutoOverwrite = false;
    TTVPForm::closeEvent(event);
}

void TDisciplinListForm::reloadData()
{
    // The status line speaks of the discipline it was written for.
    if (currentDisciplinID != statusDisciplinID_)
        StatusBar1->clearMessage();
    TreeView1->setEnabled(false);
    ListView2->setEnabled(false);
    squads_->setRecords({});
    Button1->setVisible(false);
    Button3->setVisible(false);
    Label2->setText(kNoAgeClass);
    enableTallySheets(false);
    setUiLockStatus(currentDisciplinID != 0 ? proto::LockType::PENDING : proto::LockType::NOTLOADED);
    auto request = makeDiscListRequest(rt_getList, currentDisciplinID);
    request->checkTeams = CheckBox1->isChecked() && currentDisciplinID != 0;
    curListVersion = -1;
    Liste1->setEnabled(false);
    // Nothing may go to the timing program until the tree shows this discipline's list.
    Wettkampflistesenden1->setEnabled(false);
    lastListRequest_ = road_->AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TDisciplinListForm::unload()
{
    currentDisciplinID = 0;
    currentAgeClassID = 0;
    reloadData();
}

void TDisciplinListForm::showAndLoadDisciplin(int discId)
{
    if (discId != 0) {
        currentDisciplinID = discId;
        hide();
    }
    show();
}

void TDisciplinListForm::ComboBox1Change()
{
    const int index = ComboBox1->currentIndex();
    if (index < 0 || index >= int(disciplines_.size())) {
        currentDisciplinID = 0;
        currentAgeClassID = 0;
    } else {
        currentDisciplinID = disciplines_[std::size_t(index)].id;
    }
    reloadData();
}

void TDisciplinListForm::RequestFinished(std::unique_ptr<TDiscListResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        requestFailed(response.get(), outcome);
        return;
    }
    if (!response)
        return;
    switch (response->reqType) {
    case rt_getList:
        // An answer to an earlier load, or for a discipline no longer chosen, would overwrite the
        // list the user now looks at.
        if (outcome.requestId != lastListRequest_ || response->DisciplinId != currentDisciplinID)
            return;
        listLoaded(*response);
        break;
    case rt_AssignAthlete:
    case rt_setPosition:
        road_->continueBatch(*response);
        participantsChanged(*response);
        break;
    case rt_getDiscTimingID: timingIdArrived(*response); break;
    case rt_assignSquads:
    case rt_unassignSquads:
    case rt_assignFittingSquad:
        road_->continueBatch(*response);
        squadsChanged(*response);
        break;
    case rt_setLock: reloadFormData(false); break;
    }
}

void TDisciplinListForm::requestFailed(TDiscListResponse* response, const TRequestOutcome& outcome)
{
    const auto command = TDiscListRequestType(outcome.command);
    if (command == rt_AssignAthlete)
        context().waitTexts().closeWait(kAddWaitText);
    if (outcome.declined) {
        // A refusal the user did not want forced: what the server holds is shown again everywhere.
        if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
            main->RefreshButton();
        else
            reloadFormData(false);
        return;
    }
    if (!response) {
        road_->report(outcome);
        return;
    }
    if (command == rt_getList) {
        // A failed earlier load says nothing about the list now wanted. (A load whose transaction
        // could not begin never reached its worker, so its response names no discipline.)
        if (outcome.requestId != lastListRequest_)
            return;
        setUiLockStatus(proto::LockType::NOTLOADED);
        if (outcome.errorId == kDisciplineNotFoundError) {
            // The discipline is gone: the window empties without a word, and the choice is read
            // again so that it no longer offers it.
            clearList();
            currentDisciplinID = 0;
            currentAgeClassID = 0;
            reloadData();
            return;
        }
    }
    if (command == rt_getDiscTimingID)
        StatusBar1->clearMessage();
    road_->report(outcome);
    if (command != rt_getList)
        reloadFormData(false);
}

void TDisciplinListForm::clearList()
{
    tree_.clear();
    squads_->setRecords({});
    squadScheduleMap.clear();
    updateTimingMenu();
}

void TDisciplinListForm::setDisciplines(const TDiscListResponse& response)
{
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->clear();
        disciplines_.clear();
        int selected = -1;
        for (const proto::DisciplinType& d : response.disciplines) {
            TDisciplineInfo info = TDisciplineInfo::CreateFromDisc(d);
            info.resultType = proto::ResultValueType::Info;
            info.resultFormat = TResultformat::rf_Default;
            // Matched by key and id, not by their place in the answer.
            if (const auto* type = findUiInfo(response.uiInfos, uiInfoKeys::DisciplinResultType, d.DisciplinID))
                info.resultType = UIInfoToResultValueType(type->Value);
            if (const auto* format = findUiInfo(response.uiInfos, uiInfoKeys::DisciplinResultFormat, d.DisciplinID))
                info.resultFormat = uiInfoStringToResultFormat(format->Value);
            if (d.DisciplinID == currentDisciplinID)
                selected = int(disciplines_.size());
            disciplines_.push_back(info);
            ComboBox1->addItem(d.Name, d.DisciplinID);
        }
        ComboBox1->setCurrentIndex(selected);
    }
    ComboBox1->setEnabled(true);
    // A discipline that vanished resets the choice, which loads anew.
    resetCurIdIfDeleted(*ComboBox1, currentDisciplinID, -1);
    updateTimingMenu();
}

void TDisciplinListForm::listLoaded(TDiscListResponse& response)
{
    const int scroll = TreeView1->verticalScrollBar()->value();
    setDisciplines(response);
    if (response.DisciplinId == 0 || response.DisciplinId != currentDisciplinID || !response.getResponse) {
        // No discipline (also after a competition change): nothing of another one stays.
        clearList();
        return;
    }
    squadScheduleMap.clear();

    const QStringList collapsed = getCollapsedItems(*TreeView1);
    const bool team = isTeamDisc(currentDisciplinID);
    tree_.setList(getDiscName(currentDisciplinID), *response.getResponse);
    Button1->setText(team ? QStringLiteral("Verfügbare Teams anzeigen...")
                          : QStringLiteral("Verfügbare Athleten anzeigen..."));
    Button1->setVisible(true);
    Button3->setVisible(true);
    curListVersion = response.getResponse->ListVersion;
    const QModelIndex root = tree_.rootNode();
    TreeView1->expand(root);
    for (int h = 0; h < tree_.rowCount(root); ++h)
        TreeView1->expand(tree_.index(h, 0, root));
    setUiLockStatus(response.getResponse->ParticipantsListLocked);
    const int max = response.getResponse->maxParticipantsPerHeat;
    maxParticipantsPerHeat = max > 0 ? max : INT_MAX;
    restoreCollapsedItems(*TreeView1, collapsed);
    squadScheduleMap = populateSquadScheduleMap(response.getDisciplineScheduleResponse);

    TreeView1->setEnabled(true);
    Liste1->setEnabled(true);
    TreeView1->verticalScrollBar()->setValue(scroll);
    TreeView1->setFocus();
    currentAgeClassID = 0;
    Label2->setText(kNoAgeClass);
    if (const TDisciplineInfo* info = discInfo(currentDisciplinID)) {
        currentAgeClassID = info->ageClassId;
        if (auto* ageClasses = context().windows().get<IAgeClassForm>(TWindowId::AgeClassForm))
            if (const auto ageClass = ageClasses->getAgeClass(currentAgeClassID))
                Label2->setText(QStringLiteral("Disziplinaltersklasse: ") + ageClass->Name);
    }

    enableTallySheets(getDiscResultFormat(currentDisciplinID) == TResultformat::rf_Points);
    updateTimingMenu();
    fillSquadList(std::move(response.getSquadResponse));
    if (response.checkTeams)
        if (auto* warnings = context().windows().get<ITeamMemberWarningForm>(TWindowId::TeamMemberWarningForm))
            warnings->showParticipantWarning(response.participantWarning, {response.DisciplinId}, 0);
}

void TDisciplinListForm::fillSquadList(std::vector<proto::SquadType> squads)
{
    squads_->setRecords(std::move(squads));
    ListView2->setEnabled(true);
}

const std::vector<proto::SquadType>& TDisciplinListForm::assignedSquads() const
{
    return squads_->records();
}

// The tally-sheet items of the printouts: only points are counted on them.
void TDisciplinListForm::enableTallySheets(bool enabled)
{
    for (const char* name : {"Zonenstrichlisten1", "Zonenstrichlisten2"})
        for (QAction* item : findChildren<QAction*>(QLatin1String(name)))
            item->setEnabled(enabled);
}

void TDisciplinListForm::updateTimingMenu()
{
    const TDisciplineInfo* info = discInfo(currentDisciplinID);
    Wettkampflistesenden1->setEnabled(info && info->resultType == proto::ResultValueType::Time &&
                                      tree_.nodeCount() > 1 && curListVersion >= 0);
}

// ---- lookups ----

const TDisciplineInfo* TDisciplinListForm::discInfo(int id) const
{
    for (const TDisciplineInfo& d : disciplines_)
        if (d.id == id)
            return &d;
    return nullptr;
}

QString TDisciplinListForm::getDiscName(int id) const
{
    const TDisciplineInfo* d = discInfo(id);
    return d ? d->name : QString::number(id);
}

proto::ResultValueType TDisciplinListForm::getDiscResultValueType(int id) const
{
    const TDisciplineInfo* d = discInfo(id);
    return d ? d->resultType : proto::ResultValueType::Distance;
}

proto::ResultValueType TDisciplinListForm::getTeamResultType(int id) const
{
    return getDiscResultValueType(id);
}

TResultformat TDisciplinListForm::getDiscResultFormat(int id) const
{
    const TDisciplineInfo* d = discInfo(id);
    return d ? d->resultFormat : TResultformat::rf_Default;
}

int TDisciplinListForm::getDiscMaxParticipantsPerHeat(int id) const
{
    const TDisciplineInfo* d = discInfo(id);
    return d ? d->maxParticipantsPerHeat : -1;
}

int TDisciplinListForm::getDiscAttempts(int id) const
{
    const TDisciplineInfo* d = discInfo(id);
    return d ? d->attempts : 0;
}

int TDisciplinListForm::getDiscBarcodeId(int id) const
{
    const TDisciplineInfo* d = discInfo(id);
    return d ? d->Barcode : 0;
}

bool TDisciplinListForm::isTeamDisc(int id) const
{
    const TDisciplineInfo* d = discInfo(id);
    return d && d->isTeam;
}

int TDisciplinListForm::getHeatNo(const QModelIndex& node) const
{
    return tree_.getHeatNo(node);
}

int TDisciplinListForm::getPosNo(const QModelIndex& node) const
{
    return tree_.getPosNo(node);
}

bool TDisciplinListForm::checkNoOfParticipants()
{
    if (maxParticipantsPerHeat <= 0 || maxParticipantsPerHeat == INT_MAX)
        return true;
    const QModelIndex root = tree_.rootNode();
    for (int h = 0; h < tree_.rowCount(root); ++h) {
        const QModelIndex heat = tree_.index(h, 0, root);
        if (tree_.rowCount(heat) <= maxParticipantsPerHeat)
            continue;
        return ask(QStringLiteral("Zu viele Teilnehmer"),
                   QStringLiteral("In Lauf/Gruppe %1 sind mehr Teilnehmer bzw. belegte Bahnen als in den "
                                  "Disziplineinstellungen vorgegeben. Trotzdem Fortfahren?")
                       .arg(tree_.getHeatNo(heat)));
    }
    return true;
}

TSquadsInfo TDisciplinListForm::getSquadsInfo(const QModelIndex& heatNode) const
{
    return tvp::getSquadsInfo(heatNode, squadScheduleMap);
}

bool TDisciplinListForm::checkUiForPlaceSort()
{
    if (!NachAnlagensortiertdrucken1->isChecked())
        return false;
    if (!squadScheduleMap.empty())
        return true;
    if (ask(QStringLiteral("Sortiert drucken"),
            QStringLiteral("Es wurde im Druck-Menu ausgewählt nach Anlagen sortiert zu drucken. Es sind für diese "
                           "Disziplin aber noch keine Zeitplaneinträge vorhanden, sodass eine Sortierung nicht möglich "
                           "ist.\r\nStattdessen nach Lauf/Gruppe sortiert drucken?")))
        return false;
    throw EPrintCancelled(QStringLiteral("Abbruch durch Benutzer"));
}

bool TDisciplinListForm::hotKeyCallback(int key)
{
    if (key != Qt::Key_P)
        return false;
    // Follows the print entry: nothing to print while it is missing or disabled.
    if (!Drucken1 || !Drucken1->isEnabled() || !Liste1->isEnabled())
        return false;
    Drucken1->trigger();
    return true;
}

// ---- selection ----

QModelIndexList TDisciplinListForm::selectedNodes() const
{
    return TreeView1->selectionModel() ? TreeView1->selectionModel()->selectedRows() : QModelIndexList{};
}

QModelIndex TDisciplinListForm::selectedNode() const
{
    const QModelIndexList nodes = selectedNodes();
    return nodes.size() == 1 ? nodes.first() : QModelIndex();
}

// In tree order, as the user sees them.
std::vector<int> TDisciplinListForm::selectedParticipantIds() const
{
    std::vector<int> ids;
    const QItemSelectionModel* selection = TreeView1->selectionModel();
    const QModelIndex root = tree_.rootNode();
    if (!selection || !root.isValid())
        return ids;
    for (int h = 0; h < tree_.rowCount(root); ++h) {
        const QModelIndex heat = tree_.index(h, 0, root);
        for (int p = 0; p < tree_.rowCount(heat); ++p) {
            const QModelIndex node = tree_.index(p, 0, heat);
            if (selection->isSelected(node) && tree_.isParticipant(node))
                ids.push_back(tree_.info(node)->AthleteTeamId);
        }
    }
    return ids;
}

std::vector<int> TDisciplinListForm::selectedSquadIds() const
{
    std::vector<int> ids;
    if (!ListView2->selectionModel())
        return ids;
    QModelIndexList rows = ListView2->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : rows)
        ids.push_back(squads_->record(row.row()).SquadID);
    return ids;
}

bool TDisciplinListForm::ask(const QString& caption, const QString& text)
{
    return context().dialogs().messageBox(this, caption, text, TMsgKind::Question, TMsgButtons::YesNo) ==
           TMsgAnswer::Yes;
}

// ---- drag and drop ----

namespace {

// A drag from another work window comes from its first list (ListView1), or names that window,
// which then stands for it; a second list names itself in the drag and is never taken.
bool isFirstList(const QWidget& source)
{
    return source.isWindow() || source.objectName() == QLatin1String("ListView1");
}

} // namespace

std::vector<int> TDisciplinListForm::getDragInput(const QObject* source) const
{
    if (!source || currentDisciplinID == 0)
        return {};
    if (source == TreeView1 || source == TreeView1->viewport())
        return selectedParticipantIds();
    const auto* view = qobject_cast<const QWidget*>(source);
    if (!view || !isFirstList(*view))
        return {};
    const TWindowRegistry& windows = context().windows();
    const bool team = isTeamDisc(currentDisciplinID);
    if (!team && view->window() == windows.widget(TWindowId::AthleteForm))
        if (const auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm))
            return athletes->getSelectedIds();
    if (team && view->window() == windows.widget(TWindowId::TeamForm))
        if (const auto* teams = windows.get<ITeamForm>(TWindowId::TeamForm))
            return teams->getSelectedIds();
    return {};
}

const QObject* TDisciplinListForm::dragSource(const QDropEvent& event) const
{
    if (event.source())
        return event.source();
    const QString name = windowDragSource(event.mimeData());
    if (name.isEmpty())
        return nullptr;
    if (name == QLatin1String(windowRow(TWindowId::DisciplinListForm).objectName))
        return TreeView1;
    for (TWindowId id : {TWindowId::AthleteForm, TWindowId::TeamForm, TWindowId::SquadForm})
        if (const QWidget* window = context().windows().widget(id); window && window->objectName() == name)
            return window;
    return nullptr;
}

void TDisciplinListForm::TreeView1DragDrop(const QObject* source, const QModelIndex& target)
{
    const std::vector<int> ids = getDragInput(source);
    if (ids.empty())
        return;
    if (isLocked && !confirmedAutoOverwrite) {
        if (!ask(QStringLiteral("Gesperrte Disziplin ändern"),
                 QStringLiteral("Disziplin ist schon für die automatische Einteilung gesperrt. Trotzdem manuelle "
                                "Änderungen vornehmen?")))
            return;
        confirmedAutoOverwrite = true;
        setUiLockStatus(proto::LockType::LOCKED);
    }
    const int heat = tree_.getHeatNo(target);
    auto request = makeDiscListRequest(rt_AssignAthlete, currentDisciplinID);
    request->AthleteId = ids;
    request->HeatNo = heat != 0 ? heat : 1;
    request->PosInHeat = tree_.getPosNo(target);
    request->internalmove = source == TreeView1 || source == TreeView1->viewport();
    context().waitTexts().showWait(kAddWaitText, this);
    if (road_->AddRequest(std::move(request), TTransactionMode::tm_readwrite) == 0)
        context().waitTexts().closeWait(kAddWaitText);
}

void TDisciplinListForm::ListView2DragDrop(const QObject* source)
{
    const auto* view = qobject_cast<const QWidget*>(source);
    if (!view || currentDisciplinID == 0 || !isFirstList(*view) ||
        view->window() != context().windows().widget(TWindowId::SquadForm))
        return;
    const auto* squads = context().windows().get<ISquadForm>(TWindowId::SquadForm);
    const std::vector<int> ids = squads ? squads->getSelectedIds() : std::vector<int>{};
    if (ids.empty())
        return;
    auto request = makeDiscListRequest(rt_assignSquads, currentDisciplinID, true);
    request->squadIds = ids;
    road_->AddRequest(std::move(request), TTransactionMode::tm_None);
}

bool TDisciplinListForm::eventFilter(QObject* watched, QEvent* event)
{
    const bool tree = watched == TreeView1->viewport();
    const bool squads = watched == ListView2->viewport();
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (tree || squads) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            bool accepted = false;
            guarded([&] {
                if (tree)
                    accepted = !getDragInput(dragSource(*drag)).empty();
                else if (auto* view = qobject_cast<const QWidget*>(dragSource(*drag)))
                    accepted = currentDisciplinID != 0 && isFirstList(*view) &&
                               view->window() == context().windows().widget(TWindowId::SquadForm);
            });
            if (accepted) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        break;
    case QEvent::Drop:
        if (tree || squads) {
            auto* drop = static_cast<QDropEvent*>(event);
            // Copy only: a move would let the source view remove its rows.
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            guarded([&] {
                if (tree)
                    TreeView1DragDrop(dragSource(*drop), TreeView1->indexAt(drop->position().toPoint()));
                else
                    ListView2DragDrop(dragSource(*drop));
            });
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            if (watched == TreeView1) {
                guarded([this] { Entfernen1Click(); });
                return true;
            }
            if (watched == ListView2) {
                guarded([this] { RiegeEntfernen1Click(); });
                return true;
            }
        }
        break;
    default: break;
    }
    return TTVPForm::eventFilter(watched, event);
}

// ---- the tree's pop-up menu ----

void TDisciplinListForm::PopupMenu1Popup()
{
    Entfernen1->setEnabled(false);
    Anzeigen1->setEnabled(false);
    LaufGruppedrucken->setEnabled(false);
    Anzeigen1->setText(QStringLiteral("Anzeigen"));
    const QModelIndexList nodes = selectedNodes();
    Leistungenerfassen1->setEnabled(nodes.size() == 1);
    if (currentDisciplinID == 0)
        return;
    for (const QModelIndex& node : nodes)
        if (tree_.isParticipant(node))
            Entfernen1->setEnabled(true);
    if (nodes.size() != 1)
        return;
    const TTreeNodeInformation* info = tree_.info(nodes.first());
    if (info && info->AthleteTeamId != 0) {
        Anzeigen1->setEnabled(true);
        Anzeigen1->setText(info->isTeam ? QStringLiteral("Team anzeigen") : QStringLiteral("Athlet(in) anzeigen"));
    }
    // A submenu without print entries would open onto nothing.
    LaufGruppedrucken->setEnabled(tree_.getHeatNo(nodes.first()) > 0 && !LaufGruppedrucken->isEmpty());
}

void TDisciplinListForm::NeuerLaufGruppe1Click()
{
    const QModelIndex heat = tree_.addEmptyHeat();
    if (!heat.isValid())
        return;
    TreeView1->expand(tree_.rootNode());
    TreeView1->setCurrentIndex(heat);
}

void TDisciplinListForm::Entfernen1Click()
{
    if (currentDisciplinID == 0)
        return;
    const std::vector<int> ids = selectedParticipantIds();
    if (ids.empty())
        return;
    const QString text = selectedNodes().size() >= 2
                             ? QStringLiteral("Sollen die markierten Teilnehmer von der Disziplin entfernt werden?")
                             : QStringLiteral("Soll der markierte Teilnehmer von der Disziplin entfernt werden?");
    if (!ask(QStringLiteral("Entfernen mehrerer Athleten"), text))
        return;
    removeAbstractAthlete(ids, currentDisciplinID);
}

void TDisciplinListForm::removeAbstractAthlete(const std::vector<int>& ids, int discId)
{
    if (ids.empty())
        return;
    auto request = makeDiscListRequest(rt_setPosition, discId, true);
    request->AthleteId = ids;
    request->PosInHeat = -1;
    road_->AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TDisciplinListForm::Anzeigen1Click()
{
    const TTreeNodeInformation* info = tree_.info(selectedNode());
    if (!info || info->AthleteTeamId == 0)
        return;
    auto* athletes = context().windows().get<IAthleteForm>(TWindowId::AthleteForm);
    if (!athletes)
        return;
    if (info->isTeam)
        athletes->showTeamMembers(info->AthleteTeamId);
    else
        athletes->showAthlete(info->AthleteTeamId, info->TeamId);
}

void TDisciplinListForm::Leistungenerfassen1Click()
{
    const QModelIndex node = selectedNode();
    if (auto* results = context().windows().getOrPlaceholder<IResultDialog>(TWindowId::ResultDialog))
        results->showAndLoadDisciplin(currentDisciplinID, tree_.getHeatNo(node), IResultDialog::kNoVersion,
                                      tree_.getPosNo(node));
}

void TDisciplinListForm::Button2Click()
{
    if (auto* results = context().windows().getOrPlaceholder<IResultDialog>(TWindowId::ResultDialog))
        results->showAndLoadDisciplin(currentDisciplinID, tree_.getHeatNo(selectedNode()), IResultDialog::kNoVersion,
                                      0);
}

void TDisciplinListForm::Button1Click()
{
    const TWindowRegistry& windows = context().windows();
    if (isTeamDisc(currentDisciplinID)) {
        if (auto* teams = windows.get<ITeamForm>(TWindowId::TeamForm))
            teams->showDisc(currentDisciplinID, currentAgeClassID);
    } else if (auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm)) {
        athletes->showDisc(currentDisciplinID, currentAgeClassID);
    }
}

void TDisciplinListForm::Button3Click()
{
    if (auto* squads = context().windows().get<ISquadForm>(TWindowId::SquadForm))
        squads->showDisc(currentDisciplinID, currentAgeClassID);
}

void TDisciplinListForm::Button5Click()
{
    if (auto* disciplines = context().windows().find<IDisciplineWindows>())
        disciplines->ShowDisciplinForm(nullptr, currentDisciplinID, 0);
}

// ---- squads ----

void TDisciplinListForm::PopupMenu2Popup()
{
    const std::size_t selected = selectedSquadIds().size();
    RiegeAnzeigen1->setEnabled(selected == 1);
    RiegeEntfernen1->setEnabled(selected >= 1);
    RiegenPassenderAltersklassen1->setEnabled(currentDisciplinID != 0);
}

void TDisciplinListForm::RiegeAnzeigen1Click()
{
    const std::vector<int> ids = selectedSquadIds();
    if (ids.size() != 1)
        return;
    if (auto* squads = context().windows().get<ISquadForm>(TWindowId::SquadForm))
        squads->showSquad(ids.front());
}

void TDisciplinListForm::RiegeEntfernen1Click()
{
    std::vector<int> ids = selectedSquadIds();
    if (ids.empty() || currentDisciplinID == 0)
        return;
    const QString text = ids.size() == 1
                             ? QStringLiteral("Soll die Zuordnung der markierten Riege wirklich entfernt werden?")
                             : QStringLiteral("Soll die Zuordnung der markierten Riegen wirklich entfernt werden?");
    if (!ask(QStringLiteral("Riegezuordnung entfernen"), text))
        return;
    std::reverse(ids.begin(), ids.end()); // from the last row to the first
    auto request = makeDiscListRequest(rt_unassignSquads, currentDisciplinID, true);
    request->squadIds = ids;
    road_->AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TDisciplinListForm::RiegenPassenderAltersklassen1Click()
{
    if (currentDisciplinID == 0)
        return;
    assignFittingSquadsToDisc(currentDisciplinID);
    setUiLockStatus(proto::LockType::PENDING);
}

void TDisciplinListForm::assignFittingSquadsToDisc(int discId)
{
    road_->AddRequest(makeDiscListRequest(rt_assignFittingSquad, discId), TTransactionMode::tm_readwrite);
}

void TDisciplinListForm::squadsChanged(const TDiscListResponse& response)
{
    reloadFormData(false);
    const TWindowRegistry& windows = context().windows();
    if (auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm))
        athletes->discParticipantsUpdated(response.DisciplinId);
    if (auto* teams = windows.get<ITeamForm>(TWindowId::TeamForm))
        teams->discParticipantsUpdated(response.DisciplinId);
    if (auto* squads = windows.get<ISquadForm>(TWindowId::SquadForm))
        squads->discSquadsUpdated(response.DisciplinId);
    reloadResultWindow();
    reloadVisible(TWindowId::TeamMemberWarningForm);
    reloadVisible(TWindowId::ResultCheckForm);
    reloadVisible(TWindowId::ScheduleForm);
}

// ---- participants ----

void TDisciplinListForm::participantsChanged(const TDiscListResponse& response)
{
    reloadFormData(false);
    if (response.AthletesChanged) {
        const TWindowRegistry& windows = context().windows();
        if (auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm))
            athletes->discParticipantsUpdated(response.DisciplinId);
        if (auto* teams = windows.get<ITeamForm>(TWindowId::TeamForm))
            teams->discParticipantsUpdated(response.DisciplinId);
    }
    reloadResultWindow();
    reloadVisible(TWindowId::TeamMemberWarningForm);
    reloadVisible(TWindowId::ResultCheckForm);
    if (response.reqType == rt_AssignAthlete)
        context().waitTexts().closeWait(kAddWaitText);
}

void TDisciplinListForm::reloadVisible(TWindowId id) const
{
    context().windows().reloadIfVisible(id);
}

void TDisciplinListForm::reloadResultWindow() const
{
    const TWindowRegistry& windows = context().windows();
    if (windows.isVisible(TWindowId::ResultDialog) || windows.isVisible(TWindowId::AquireBibOrderForm))
        windows.reload(TWindowId::ResultDialog, false);
}

// ---- the lock ----

void TDisciplinListForm::setUiLockStatus(proto::LockType lock)
{
    QString text;
    QColor background;
    Sperren1->setEnabled(false);
    Entsperren1->setEnabled(false);
    switch (lock) {
    case proto::LockType::PENDING:
        text = QStringLiteral("Status: ...");
        background = QColor(255, 255, 0);
        break;
    case proto::LockType::NOTLOADED:
        text = QStringLiteral("Status: -");
        background = palette().color(QPalette::Button);
        break;
    case proto::LockType::UNLOCKED:
        isLocked = false;
        text = QStringLiteral("Status: Freigegeben für automatische Einteilung");
        background = QColor(112, 240, 112);
        Sperren1->setEnabled(true);
        break;
    case proto::LockType::LOCKED:
        isLocked = true;
        if (confirmedAutoOverwrite) {
            text = QStringLiteral("Status: Für manuelle Änderungen bis zum Schließen des Fensters frei");
            background = QColor(240, 224, 112);
        } else {
            text = QStringLiteral("Status: Gesperrt für automatische Einteilung");
            background = QColor(240, 112, 112);
        }
        Entsperren1->setEnabled(true);
        break;
    }
    Label3->setText(text);
    Label3->setStyleSheet(QStringLiteral("background-color: %1;").arg(background.name()));
}

void TDisciplinListForm::setBackendLockStatus(proto::LockType lock)
{
    setUiLockStatus(proto::LockType::PENDING);
    auto request = makeDiscListRequest(rt_setLock, currentDisciplinID);
    request->lock = lock;
    road_->AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TDisciplinListForm::Sperren1Click()
{
    confirmedAutoOverwrite = false;
    setBackendLockStatus(proto::LockType::LOCKED);
}

void TDisciplinListForm::Entsperren1Click()
{
    confirmedAutoOverwrite = false;
    setBackendLockStatus(proto::LockType::UNLOCKED);
}

// ---- the timing export ----

void TDisciplinListForm::StartTimingExport()
{
    if (currentDisciplinID == 0)
        return;
    StatusBar1->showMessage(kExportingText);
    statusDisciplinID_ = currentDisciplinID;
    road_->AddRequest(makeDiscListRequest(rt_getDiscTimingID, currentDisciplinID), TTransactionMode::tm_readwrite);
}

void TDisciplinListForm::timingIdArrived(const TDiscListResponse& response)
{
    // Another discipline chosen meanwhile, or its list not shown yet: the tree is not its heats.
    if (response.DisciplinId != currentDisciplinID || curListVersion < 0) {
        StatusBar1->clearMessage();
        return;
    }
    const TTimingLists lists = buildTimingLists(tree_, getDiscName(currentDisciplinID));
    try {
        if (!lists.heats.empty()) {
            ITimingExport* timing = context().windows().find<ITimingExport>();
            if (!timing)
                throw TvpError(QStringLiteral("Die Zeitmessung ist nicht eingerichtet."));
            const TRespelledNames respelled = exportTimingLists(*timing, response.DisciplinTimingId, lists);
            if (!respelled.isEmpty())
                context().messages().AddWarning(
                    -1, {}, respelled.warning(timing->startListFile(), QStringLiteral("DOS-Codepage 850")),
                    road_->requestName(int(rt_getDiscTimingID)), this);
        }
    } catch (const TvpError& e) {
        // The exporter says which number did not fit or which file failed.
        StatusBar1->clearMessage();
        context().messages().AddException(0, {}, e.message(), road_->requestName(int(rt_getDiscTimingID)), this);
        return;
    }
    StatusBar1->showMessage(QStringLiteral("Zeitmessungsdaten erfolgreich exportiert. ID=") +
                            QString::number(response.DisciplinTimingId));
}

} // namespace tvp
