#include "participants/ui/SquadDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/results/tvpUtils.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"
#include "participants/ServerChanges.h"
#include "participants/ui/NameChangedElsewhere.h"
#include "participants/ui/DragListView.h"
#include "participants/ui/ParticipantWindowInterfaces.h"
#include "core/ui/WindowFit.h"

#include <QComboBox>
#include <QDrag>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace tvp {

namespace {

using enum TSquadRequestType;

const QString kEditorPart;
const QString kAssignWaitText = QStringLiteral("Riegen werden zugeordnet...");
const QString kWindowName = QStringLiteral("SquadForm");

const proto::SquadType& defaultSquad()
{
    static const proto::SquadType squad;
    return squad;
}

int ageClassIdOf(const proto::SquadType& s)
{
    return s.AgeClass ? s.AgeClass->AgeClassID : 0;
}

int ageClassIdOf(const proto::TeamType& t)
{
    return t.AgeClass ? t.AgeClass->AgeClassID : 0;
}

std::vector<int> teamIdsOf(const std::vector<proto::TeamType>& teams)
{
    std::vector<int> ids;
    for (const proto::TeamType& t : teams)
        ids.push_back(t.TeamID);
    return ids;
}

int comboId(const QComboBox* combo, int index)
{
    return index >= 0 ? combo->itemData(index).toInt() : 0;
}

// The drag of the editor's team list names the list, not just the window, and hands Qt no
// widget as its source: other windows must not take these teams for the window's squads.
const QString kTeamListDrag = QStringLiteral("SquadForm/ListView2");

bool fromTeamList(const QDropEvent& event)
{
    return windowDragSource(event.mimeData()) == kTeamListDrag;
}

class TTeamListView : public QTreeView {
public:
    explicit TTeamListView(QWidget* parent) : QTreeView(parent), dragSource_(this)
    {
        setRootIsDecorated(false);
        setUniformRowHeights(true);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setDragEnabled(true);
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DragDrop);
    }

protected:
    void startDrag(Qt::DropActions) override
    {
        const QModelIndexList rows = selectionModel()->selectedRows();
        QMimeData* data = rows.isEmpty() ? nullptr : model()->mimeData(rows);
        if (!data)
            return;
        auto* drag = new QDrag(&dragSource_);
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction);
    }

private:
    QObject dragSource_;
};

} // namespace

TSquadForm::TSquadForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, squadRequests(), this,
            [this](std::unique_ptr<TSquadResponse> r, const TRequestOutcome& o) { RequestFinished(std::move(r), o); }),
      squads_({
          {QStringLiteral("Riege"), [](const proto::SquadType& s) { return QString::number(s.OrderIndex); }},
          {QStringLiteral("Eigenname"), [](const proto::SquadType& s) { return s.CustomName; }},
          {QStringLiteral("Altersklasse"),
           [](const proto::SquadType& s) { return s.AgeClass ? s.AgeClass->Name : QStringLiteral("-"); }},
          {QStringLiteral("#Teams"), [](const proto::SquadType& s) { return QString::number(s.AssignedTeams.size()); }},
          {QStringLiteral("#Athleten"),
           [](const proto::SquadType& s) { return QString::number(getNoOfAthletes(s.AssignedTeams)); }},
          {QStringLiteral("ID"), [](const proto::SquadType& s) { return QString::number(std::abs(s.SquadID)); }},
      }),
      sorted_(QStringLiteral("SquadForm.ListView1.")),
      teams_({
          {QStringLiteral("Teamname"), [](const proto::TeamType& t) { return t.Name; }},
          {QStringLiteral("Altersklasse"),
           [](const proto::TeamType& t) { return t.AgeClass ? t.AgeClass->Name : QStringLiteral("-"); }},
          {QStringLiteral("#Athleten"), [](const proto::TeamType& t) { return QString::number(t.NoOfAthletes); }},
          {QStringLiteral("ID"), [](const proto::TeamType& t) { return QString::number(std::abs(t.TeamID)); }},
      })
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Riegeneinteilung"));
    setMinimumSize(780, 500);

    auto* layout = new QVBoxLayout(this);
    addExportMenu(addMenuBar(this, layout), this, [this](bool open) { exportList(open); });

    auto* body = new QHBoxLayout;
    layout->addLayout(body, 1);

    // ---- the squads and the filters ----
    auto* left = new QVBoxLayout;
    body->addLayout(left, 1);
    ListView1 = new TDragListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setDragEnabled(true);
    ListView1->setAcceptDrops(true);
    ListView1->setDragDropMode(QAbstractItemView::DragDrop);
    squads_.setDragSource(kWindowName);
    ListView1->acceptsDrop = [this](const QDropEvent& e) { return squadListAccepts(e); };
    ListView1->dropped = [this](const QDropEvent& e, const QModelIndex& row) {
        guarded([&] { dropOnSquadList(e, sorted_.mapToSource(row).row()); });
    };
    showSortedList(*ListView1, sorted_, squads_, *this, [this] { ListView1SelectItem(); });
    onKey(*ListView1, Qt::Key_Delete, [this] { Entfernen1Click(); });
    left->addWidget(ListView1, 1);

    auto* filter = new QGroupBox(QStringLiteral("Filter"), this);
    filter->setObjectName(QStringLiteral("GroupBox2"));
    auto* filterGrid = new QGridLayout(filter);
    filterGrid->addWidget(new QLabel(QStringLiteral("Altersklasse:"), filter), 0, 0);
    ComboBox2 = new QComboBox(filter);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    filterGrid->addWidget(ComboBox2, 0, 1);
    filterGrid->addWidget(new QLabel(QStringLiteral("Nicht eingeteilt:"), filter), 1, 0);
    ComboBox3 = new QComboBox(filter);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    filterGrid->addWidget(ComboBox3, 1, 1);
    filterGrid->setColumnStretch(1, 1);
    left->addWidget(filter);
    for (QComboBox* combo : {ComboBox2, ComboBox3})
        combo->addItem(QStringLiteral("Kein Filter"), 0);
    connect(ComboBox2, &QComboBox::activated, this,
            [this] { guarded([this] { filterChanged(ComboBox2, currentAgeClassFilterId); }); });
    connect(ComboBox3, &QComboBox::activated, this,
            [this] { guarded([this] { filterChanged(ComboBox3, currentDisciplinFilterId); }); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    connect(menuAction(PopupMenu1, QStringLiteral("Entfernen1"), QStringLiteral("Entfernen")), &QAction::triggered,
            this, [this] { guarded([this] { Entfernen1Click(); }); });
    connect(menuAction(PopupMenu1, QStringLiteral("MarkiertenRiegenDisziplinennachAltersklassenzuordnen1"),
                       QStringLiteral("Markierten Riegen Disziplinen nach Altersklassen zuordnen")),
            &QAction::triggered, this, [this] { guarded([this] { assignToDisciplines(); }); });
    connect(menuAction(PopupMenu1, QStringLiteral("Riegenausnichtzugeordneten1"),
                       QStringLiteral("Riegen aus nicht zugeordneten Teams erstellen...")),
            &QAction::triggered, this,
            [this] { guarded([this] { this->context().windows().show(TWindowId::SquadCreateForm); }); });
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([&] { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); }); });

    // ---- the editor ----
    GroupBox1 = new QGroupBox(QStringLiteral("Riege"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    body->addWidget(GroupBox1, 1);
    auto* grid = new QGridLayout(GroupBox1);
    Label1 = new QLabel(QStringLiteral("ID: -"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Eigenname:"), GroupBox1), 1, 0);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    grid->addWidget(Edit1, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Ordnungszahl:"), GroupBox1), 2, 0);
    UpDown1 = new QSpinBox(GroupBox1);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(0, 1);
    grid->addWidget(UpDown1, 2, 1);
    Label3 = new QLabel(QStringLiteral("anfügen"), GroupBox1);
    Label3->setObjectName(QStringLiteral("Label3"));
    grid->addWidget(Label3, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("Altersklasse:"), GroupBox1), 3, 0);
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    grid->addWidget(ComboBox1, 3, 1);
    auto* ageClasses = new QPushButton(QStringLiteral("Altersklassen..."), GroupBox1);
    ageClasses->setObjectName(QStringLiteral("Button3"));
    grid->addWidget(ageClasses, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("Teams dieser Riege:"), GroupBox1), 4, 0, 1, 3);
    ListView2 = new TTeamListView(GroupBox1);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    teams_.setDragSource(kTeamListDrag);
    ListView2->setModel(&teams_);
    ListView2->viewport()->installEventFilter(this);
    onKey(*ListView2, Qt::Key_Delete, [this] { Entfernen2Click(); });
    grid->addWidget(ListView2, 5, 0, 1, 3);
    Button1 = new QPushButton(QStringLiteral("Als neue Riege hinzufügen"), GroupBox1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Änderung speichern"), GroupBox1);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto* available = new QPushButton(QStringLiteral("Verfügbare Teams anzeigen..."), GroupBox1);
    available->setObjectName(QStringLiteral("Button4"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 6, 0, 1, 3);
    grid->addWidget(available, 7, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    connect(
        menuAction(PopupMenu2, QStringLiteral("Teammitgliederanzeigen1"), QStringLiteral("Teammitglieder anzeigen")),
        &QAction::triggered, this, [this] {
            guarded([this] {
                const std::vector<proto::TeamType> selected = getSelectedTeams();
                auto* athletes = this->context().windows().get<IAthleteForm>(TWindowId::AthleteForm);
                if (!selected.empty() && athletes)
                    athletes->showTeamMembers(selected.front().TeamID);
            });
        });
    connect(menuAction(PopupMenu2, QStringLiteral("Entfernen2"), QStringLiteral("Entfernen")), &QAction::triggered,
            this, [this] { guarded([this] { Entfernen2Click(); }); });
    connect(menuAction(PopupMenu2, QStringLiteral("NeueRiege1"), QStringLiteral("Neue Riege")), &QAction::triggered,
            this, [this] { guarded([this] { NeueRiege1Click(); }); });
    ListView2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([&] { PopupMenu2->popup(ListView2->viewport()->mapToGlobal(at)); }); });
    connect(ListView2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    currentTeamID = teams_.record(current.row()).TeamID;
            });

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(ageClasses, &QPushButton::clicked, this, [this] { guarded([this] { Button3Click(); }); });
    connect(available, &QPushButton::clicked, this,
            [this] { guarded([this] { this->context().windows().show(TWindowId::TeamForm); }); });
    connect(Edit1, &QLineEdit::textEdited, this, [this] {
        guarded([this] {
            DoItemChangeCheck(kEditorPart);
            EnableButtons();
        });
    });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] {
        guarded([this] {
            if (Button2->isEnabled())
                Button2Click();
            else
                Button1Click();
        });
    });
    connect(UpDown1, &QSpinBox::valueChanged, this, [this](int value) {
        guarded([&] {
            Label3->setText(value == 0 ? QStringLiteral("anfügen") : QString::number(value));
            DoItemChangeCheck(kEditorPart);
            EnableButtons();
        });
    });
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) { guarded([&] { ComboBox1Change(index); }); });

    LoadItem();
}

TSquadForm::~TSquadForm() = default;

// ---- the base window ----

void TSquadForm::FormShow()
{
    ListView1->setEnabled(false);
    reloadData();
    context().hints().ShowHintDelayed(QStringLiteral("SQUADWND"), 800);
}

void TSquadForm::reloadData()
{
    ListView1->setEnabled(false);
    enableEditor(false);
    auto request = std::make_unique<TSquadRequest>();
    request->reqType = rt_get;
    request->ageClassFilterId = currentAgeClassFilterId;
    request->disciplineFilterId = currentDisciplinFilterId;
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
    ComboBox1->setEnabled(ComboBox1->count() > 0);
    context().windows().reloadIfVisible(TWindowId::SquadCreateForm);
}

void TSquadForm::unload()
{
    reportedDuplicates_.clear();
    currentSquadId = 0;
    currentAgeClassId = 0;
    currentAgeClassFilterId = 0;
    currentDisciplinFilterId = 0;
    LoadItem();
    reloadData();
}

bool TSquadForm::checkItemChanged(const QString&)
{
    const proto::SquadType* squad = currentSquadId != 0 ? squadById(currentSquadId) : &defaultSquad();
    if (!squad)
        return true;
    const TSquadEditor e = editor();
    // A new squad's preset age class is none of the user's doing.
    const int ageClassId = currentSquadId != 0 ? ageClassIdOf(*squad) : newSquadAgeClassId_;
    return e.orderIndex != squad->OrderIndex || e.name.trimmed() != squad->CustomName.trimmed() ||
           e.ageClassId != ageClassId || e.teamIds != teamIdsOf(squad->AssignedTeams);
}

void TSquadForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    Button2->setEnabled(changed && currentSquadId != 0);
}

// ---- lookups ----

const proto::SquadType* TSquadForm::squadById(int squadId) const
{
    const int row = sourceRowOf(squadId);
    return row < 0 ? nullptr : &squads_.record(row);
}

int TSquadForm::sourceRowOf(int squadId) const
{
    return squads_.findRow([squadId](const proto::SquadType& s) { return s.SquadID == squadId; });
}

std::vector<int> TSquadForm::getSelectedIds() const
{
    std::vector<int> ids;
    for (int row : selectedSourceRows(*ListView1, sorted_))
        ids.push_back(squads_.record(row).SquadID);
    return ids;
}

std::vector<proto::TeamType> TSquadForm::getSelectedTeams() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : ListView2->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<proto::TeamType> teams;
    for (int row : rows)
        teams.push_back(teams_.record(row));
    return teams;
}

TSquadEditor TSquadForm::editor() const
{
    return {UpDown1->value(), Edit1->text(), comboId(ComboBox1, ComboBox1->currentIndex()),
            teamIdsOf(teams_.records())};
}

int TSquadForm::getTeamsAgeClassID() const
{
    int common = 0;
    for (const proto::TeamType& t : teams_.records()) {
        const int id = ageClassIdOf(t);
        if (id == 0 || (common != 0 && id != common))
            return 0;
        common = id;
    }
    return common;
}

// ---- filling ----

void TSquadForm::fillCombos(const TSquadResponse& response)
{
    {
        const QSignalBlocker block(ComboBox3);
        ComboBox3->clear();
        ComboBox3->addItem(QStringLiteral("Kein Filter"), 0);
        for (const proto::DisciplinType& d : response.disciplines)
            ComboBox3->addItem(d.Name, d.DisciplinID);
        selectComboIntegerFilter(*ComboBox3, currentDisciplinFilterId, 0);
    }
    {
        const QSignalBlocker block1(ComboBox1);
        const QSignalBlocker block2(ComboBox2);
        ComboBox1->clear();
        ComboBox2->clear();
        ComboBox1->addItem(QStringLiteral("Keine Altersklasse"), 0);
        ComboBox2->addItem(QStringLiteral("Kein Filter"), 0);
        for (const proto::AgeClassType& a : response.ageClasses) {
            ComboBox1->addItem(a.Name, a.AgeClassID);
            ComboBox2->addItem(a.Name, a.AgeClassID);
        }
        selectComboIntegerFilter(*ComboBox1, currentAgeClassId, 0);
        selectComboIntegerFilter(*ComboBox2, currentAgeClassFilterId, 0);
        previousAgeComboIndex_ = ComboBox1->currentIndex();
    }
    for (QComboBox* combo : {ComboBox1, ComboBox2, ComboBox3})
        combo->setEnabled(true);
    resetCurIdIfDeleted(*ComboBox1, currentAgeClassId, 0);
    resetCurIdIfDeleted(*ComboBox2, currentAgeClassFilterId, 0);
    resetCurIdIfDeleted(*ComboBox3, currentDisciplinFilterId, 0);
}

void TSquadForm::fillList(TSquadResponse& response)
{
    const int scroll = ListView1->verticalScrollBar()->value();
    fillCombos(response);
    if (isVisible()) {
        // Each pair once, and again when it changed: every load (each opening, each save) found
        // the same ones and listed them anew.
        QStringList duplicates;
        for (const proto::DuplicateSquadCustomNamesType& d : response.getResponse.DuplicateSquadCustomNames)
            if (d.Squad1 && d.Squad2)
                duplicates << QStringLiteral("Warnung: Riege %1 und Riege %2 haben den gleichen Eigennamen \"%3\". "
                                             "Dies kann zu Verwechslungen der Riegen führen.")
                                  .arg(d.Squad1->OrderIndex)
                                  .arg(d.Squad2->OrderIndex)
                                  .arg(d.Squad1->CustomName);
        for (const QString& warning : duplicates)
            if (!reportedDuplicates_.contains(warning))
                context().messages().AddWarning(-1, {}, warning, QStringLiteral("Riegen laden"));
        reportedDuplicates_ = duplicates;
    }
    suppressLoadItem_ = true;
    squads_.setRecords(std::move(response.getResponse.Squads));
    suppressLoadItem_ = false;
    int highest = 0;
    for (const proto::SquadType& s : squads_.records())
        highest = std::max(highest, s.OrderIndex);
    {
        const QSignalBlocker block(UpDown1);
        UpDown1->setMaximum(highest + 1);
    }
    if (currentSquadId != 0 && !squadById(currentSquadId)) {
        currentSquadId = 0;
        selectRowOf(0);
        LoadItem();
    } else {
        selectRowOf(currentSquadId);
        // A squad made current from outside (showSquad) comes into the editor with its row.
        if (editorSquadId_ != currentSquadId)
            LoadItem();
        else if (const proto::SquadType* squad = squadById(currentSquadId))
            takeServerChanges(*squad);
        DoItemChangeCheck(kEditorPart);
    }
    ListView1->setEnabled(true);
    enableEditor(true);
    fitColumnsToRoom(*ListView1);
    ListView1->verticalScrollBar()->setValue(scroll);
}

void TSquadForm::selectRowOf(int squadId)
{
    suppressLoadItem_ = true;
    selectSourceRow(*ListView1, sorted_, squadId == 0 ? -1 : sourceRowOf(squadId));
    suppressLoadItem_ = false;
}

void TSquadForm::setEditorTeams(std::vector<proto::TeamType> teams)
{
    teams_.setRecords(std::move(teams));
    fitColumnsToRoom(*ListView2);
    const int row = teams_.findRow([this](const proto::TeamType& t) { return t.TeamID == currentTeamID; });
    if (row >= 0)
        ListView2->selectionModel()->setCurrentIndex(teams_.index(row, 0),
                                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TSquadForm::setAgeCombo(int ageClassId)
{
    const QSignalBlocker block(ComboBox1);
    selectComboIntegerFilter(*ComboBox1, ageClassId, 0);
    previousAgeComboIndex_ = ComboBox1->currentIndex();
}

void TSquadForm::LoadItem()
{
    teamAgeMissmatchConfirmed = false;
    const proto::SquadType* stored = nullptr;
    if (currentSquadId != 0) {
        currentAgeClassId = 0;
        stored = squadById(currentSquadId);
    }
    // Without a current squad the age class stays: a new squad starts with the one chosen last.
    const proto::SquadType& squad = stored ? *stored : defaultSquad();
    editorSquadId_ = stored ? currentSquadId : 0;
    loaded_ = squadEditorOf(squad);
    {
        const QSignalBlocker block(UpDown1);
        UpDown1->setValue(squad.OrderIndex);
    }
    Label3->setText(squad.OrderIndex == 0 ? QStringLiteral("anfügen") : QString::number(squad.OrderIndex));
    Edit1->setText(squad.CustomName);
    if (stored) {
        Label1->setText(QStringLiteral("ID: %1").arg(std::abs(squad.SquadID)));
        setEditorTeams(squad.AssignedTeams);
    } else {
        Label1->setText(QStringLiteral("ID: -"));
        setEditorTeams({});
    }
    if (squad.AgeClass)
        currentAgeClassId = squad.AgeClass->AgeClassID;
    setAgeCombo(currentAgeClassId);
    newSquadAgeClassId_ = stored ? 0 : currentAgeClassId;
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
}

// The current squad as the server now has it (after a drop, a reorder or another window's change):
// what the user left as loaded shows the server's values, what he changed stays his, so a save
// sends his edits on the server's state and nothing older.
void TSquadForm::takeServerChanges(const proto::SquadType& squad)
{
    const TSquadEditor server = squadEditorOf(squad);
    if (server.orderIndex == loaded_.orderIndex && server.name == loaded_.name &&
        server.ageClassId == loaded_.ageClassId && server.teamIds == loaded_.teamIds)
        return;
    const TSquadEditor shown = editor();
    TSquadEditor taken = shown;
    takeSquadServerChanges(taken, loaded_, server);
    if (taken.orderIndex != shown.orderIndex) {
        const QSignalBlocker block(UpDown1);
        UpDown1->setValue(taken.orderIndex);
        Label3->setText(taken.orderIndex == 0 ? QStringLiteral("anfügen") : QString::number(taken.orderIndex));
    }
    if (taken.name != shown.name)
        Edit1->setText(taken.name);
    if (taken.ageClassId != shown.ageClassId) {
        currentAgeClassId = taken.ageClassId;
        setAgeCombo(currentAgeClassId);
    }
    // Each team as the server has it where it has it, else as the user put it in.
    const auto teamRecord = [&](int id) -> const proto::TeamType* {
        for (const proto::TeamType& t : squad.AssignedTeams)
            if (t.TeamID == id)
                return &t;
        for (const proto::TeamType& t : teams_.records())
            if (t.TeamID == id)
                return &t;
        return nullptr;
    };
    std::vector<proto::TeamType> teams;
    for (int id : taken.teamIds)
        if (const proto::TeamType* t = teamRecord(id))
            teams.push_back(*t);
    setEditorTeams(std::move(teams));
    // A name changed here and there stays as loaded, so the save still finds both and asks.
    const QString loadedName = loaded_.name;
    loaded_ = server;
    if (changedOnBothSides(shown.name, loadedName, server.name))
        loaded_.name = loadedName;
}

void TSquadForm::EnableButtons()
{
    Button2->setEnabled(currentSquadId != 0 && hasDirtyData(kEditorPart));
    Button1->setEnabled(GroupBox1->isEnabled());
}

void TSquadForm::enableEditor(bool enabled)
{
    GroupBox1->setEnabled(enabled);
    EnableButtons();
}

// ---- the user's choices ----

void TSquadForm::ListView1SelectItem()
{
    if (suppressLoadItem_)
        return;
    const int row = chosenSourceRow(*ListView1, sorted_);
    if (row < 0)
        return;
    const int id = squads_.record(row).SquadID;
    if (id == currentSquadId)
        return;
    DoItemChangeCheck(kEditorPart);
    if (checkDirtyDataMessage(nullptr, kEditorPart)) {
        if (currentSquadId != 0 && !squadById(currentSquadId)) {
            currentSquadId = 0;
            LoadItem();
        }
        selectRowOf(currentSquadId);
        return;
    }
    currentSquadId = id;
    LoadItem();
}

void TSquadForm::ComboBox1Change(int index)
{
    if (index < 0) {
        currentAgeClassId = 0;
    } else {
        const int id = comboId(ComboBox1, index);
        // The question is about the teams of the squad: without any there is nothing to ask.
        const bool conflict = id != 0 && teams_.rowCount() > 0 && id != getTeamsAgeClassID();
        auto* prompt = context().windows().get<IAgeMismatchPrompt>(TWindowId::AgeMismatchPromptForm);
        if (conflict && prompt) {
            switch (prompt->ShowAgeMismatchDialog(false)) {
            case TAgeMismatchResolution::amr_ignore:
            case TAgeMismatchResolution::amr_ignoreAll:
                currentAgeClassId = id;
                teamAgeMissmatchConfirmed = true;
                break;
            default:
                // "Nicht übernehmen", and closing the question without an answer: the choice is undone,
                // so the combo never shows an age class the squad does not take.
                {
                    const QSignalBlocker block(ComboBox1);
                    ComboBox1->setCurrentIndex(previousAgeComboIndex_);
                }
                teamAgeMissmatchConfirmed = false;
                break;
            }
        } else {
            currentAgeClassId = id;
        }
    }
    previousAgeComboIndex_ = ComboBox1->currentIndex();
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
}

void TSquadForm::filterChanged(QComboBox* combo, int& filterId)
{
    const int before = filterId;
    filterId = comboId(combo, combo->currentIndex());
    if (filterId == before)
        return;
    if (!reloadFormData(true)) {
        filterId = before;
        const QSignalBlocker block(combo);
        selectComboIntegerFilter(*combo, before, 0);
    }
}

void TSquadForm::Button1Click()
{
    auto request = getSquadRequestFromUI(rt_create, 0, editor(), false);
    request->forceOrderIndex = false;
    Edit1->setText(request->name);
    ListView1->setEnabled(false);
    enableEditor(false);
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    currentSquadId = 0;
    Label1->setText(QStringLiteral("ID: -"));
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TSquadForm::Button2Click()
{
    if (currentSquadId == 0)
        return;
    auto request = getSquadRequestFromUI(rt_modify, currentSquadId, editor(), teamAgeMissmatchConfirmed, loaded_);
    Edit1->setText(request->name);
    Button2->setEnabled(false);
    // Read and written in one transaction: another desk's rename between them would be overwritten.
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TSquadForm::Button3Click()
{
    const TWindowRegistry& windows = context().windows();
    QWidget* ageClasses = windows.widget(TWindowId::AgeClassForm);
    if (!ageClasses)
        return;
    ageClasses->hide();
    dialogs().execModal(*ageClasses);
    if (auto* form = windows.get<IAgeClassForm>(TWindowId::AgeClassForm)) {
        const int chosen = form->getSelected();
        const int index = ComboBox1->findData(chosen);
        if (index >= 0) {
            ComboBox1->setCurrentIndex(index);
            ComboBox1Change(index);
        }
    }
}

void TSquadForm::Entfernen1Click()
{
    const std::vector<int> ids = getSelectedIds();
    if (ids.empty())
        return;
    if (!askYesNo(this, QStringLiteral("Riege löschen"),
                  ids.size() == 1 ? QStringLiteral("Soll die markierte Riege wirklich gelöscht werden?")
                                  : QStringLiteral("Sollen die markierten Riegen wirklich gelöscht werden?")))
        return;
    road_.AddRequest(makeSquadDeleteChain(ids), TTransactionMode::tm_None);
    currentSquadId = 0;
    LoadItem();
}

void TSquadForm::Entfernen2Click()
{
    std::vector<int> rows;
    for (const QModelIndex& index : ListView2->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty())
        return;
    std::vector<proto::TeamType> kept;
    for (int row = 0; row < teams_.rowCount(); ++row)
        if (!std::binary_search(rows.begin(), rows.end(), row))
            kept.push_back(teams_.record(row));
    setEditorTeams(std::move(kept));
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
}

void TSquadForm::assignToDisciplines()
{
    const std::vector<int> ids = getSelectedIds();
    if (ids.empty())
        return;
    auto request = std::make_unique<TSquadRequest>();
    request->reqType = rt_assignToDisciplines;
    request->squadIdList = ids;
    context().waitTexts().showWait(kAssignWaitText, this);
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite) == 0)
        context().waitTexts().closeWait(kAssignWaitText);
}

void TSquadForm::NeueRiege1Click()
{
    selectRowOf(0);
    currentSquadId = 0;
    LoadItem();
    Edit1->setFocus();
}

void TSquadForm::exportList(bool openAfterwards)
{
    exportCsvFile(QStringLiteral("Riegeneinteilung"), sorted_, openAfterwards, false, true, -1);
}

// ---- the other windows ----

void TSquadForm::showSquad(int squadId)
{
    if (squadId == 0)
        return;
    currentSquadId = squadId;
    currentAgeClassFilterId = 0;
    currentDisciplinFilterId = 0;
    for (QComboBox* combo : {ComboBox2, ComboBox3}) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(0);
    }
    if (isVisible())
        reloadData();
    show();
}

void TSquadForm::showDisc(int discId, int ageClassId)
{
    if (discId == 0)
        return;
    DoItemChangeCheck(kEditorPart);
    if (checkDirtyDataMessage(nullptr, kEditorPart))
        return;
    clearAllDirtyData();
    hide();
    currentAgeClassFilterId = ageClassId;
    currentDisciplinFilterId = discId;
    {
        const QSignalBlocker block2(ComboBox2);
        const QSignalBlocker block3(ComboBox3);
        selectComboIntegerFilter(*ComboBox2, ageClassId, 0);
        selectComboIntegerFilter(*ComboBox3, discId, 0);
    }
    show();
}

void TSquadForm::discSquadsUpdated(int discId)
{
    if (isVisible() && currentDisciplinFilterId == discId)
        reloadFormData(true);
}

// ---- drag and drop ----

std::vector<proto::TeamType> TSquadForm::draggedTeams(const QDropEvent& event) const
{
    if (fromTeamList(event))
        return getSelectedTeams();
    if (dropComesFrom(event, context().windows(), TWindowId::TeamForm))
        if (auto* teams = context().windows().get<ITeamForm>(TWindowId::TeamForm))
            return teams->getSelectedTeams();
    return {};
}

void TSquadForm::dropTeamsOnTeamList(std::vector<proto::TeamType> dropped, int row)
{
    const std::vector<proto::TeamType> before = teams_.records();
    std::set<int> droppedIds;
    for (const proto::TeamType& t : dropped)
        droppedIds.insert(t.TeamID);
    int position = row < 0 ? int(before.size()) : row;
    std::set<int> alreadyIn;
    std::vector<proto::TeamType> list;
    for (int i = 0; i < int(before.size()); ++i) {
        if (droppedIds.contains(before[i].TeamID)) {
            alreadyIn.insert(before[i].TeamID);
            if (i < position)
                --position;
        } else {
            list.push_back(before[i]);
        }
    }
    auto* prompt = context().windows().get<IAgeMismatchPrompt>(TWindowId::AgeMismatchPromptForm);
    const int squadAge = currentAgeClassId;
    bool askMore = true;
    bool allTaken = false;
    for (auto t = dropped.rbegin(); t != dropped.rend(); ++t) {
        if (!alreadyIn.contains(t->TeamID) && askMore && prompt && squadAge != 0 && ageClassIdOf(*t) != squadAge) {
            const TAgeMismatchResolution answer = prompt->ShowAgeMismatchDialog(dropped.size() > 1);
            if (answer == TAgeMismatchResolution::amr_Skip)
                continue;
            if (answer == TAgeMismatchResolution::amr_cancel) {
                // "Abbrechen" stops the whole drop: the team list is as it was.
                setEditorTeams(before);
                return;
            }
            if (answer == TAgeMismatchResolution::amr_ignoreAll) {
                askMore = false;
                allTaken = true;
            }
        }
        list.insert(list.begin() + position, *t);
    }
    if (allTaken)
        teamAgeMissmatchConfirmed = true;
    setEditorTeams(std::move(list));
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
}

bool TSquadForm::squadListAccepts(const QDropEvent& event) const
{
    if (!fromTeamList(event) && dropComesFrom(event, context().windows(), TWindowId::SquadForm))
        return (event.modifiers() & Qt::ControlModifier) && ListView1->selectionModel()->hasSelection();
    return !draggedTeams(event).empty();
}

void TSquadForm::dropOnSquadList(const QDropEvent& event, int sourceRow)
{
    if (sourceRow < 0 || !squadListAccepts(event))
        return;
    const proto::SquadType& target = squads_.record(sourceRow);
    if (!fromTeamList(event) && dropComesFrom(event, context().windows(), TWindowId::SquadForm)) {
        if (auto chain = makeReorderChain(squads_.records(), getSelectedIds(), target.SquadID))
            road_.AddRequest(std::move(chain), TTransactionMode::tm_readwrite);
        return;
    }
    road_.AddRequest(makeTeamsToSquadRequest(target, teamIdsOf(draggedTeams(event))), TTransactionMode::tm_readwrite);
}

// Drops on the editor's team list: anywhere, a drop below the rows appends.
bool TSquadForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ListView2->viewport())
        return TTVPForm::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        bool accept = false;
        guarded([&] { accept = !draggedTeams(*drag).empty(); });
        if (accept)
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->acceptProposedAction();
        guarded([&] {
            const QModelIndex row = ListView2->indexAt(drop->position().toPoint());
            dropTeamsOnTeamList(draggedTeams(*drop), row.isValid() ? row.row() : -1);
        });
        return true;
    }
    default: return TTVPForm::eventFilter(watched, event);
    }
}

// ---- answers ----

void TSquadForm::RequestFinished(std::unique_ptr<TSquadResponse> response, const TRequestOutcome& outcome)
{
    const auto type = static_cast<TSquadRequestType>(outcome.command);
    const TWindowRegistry& windows = context().windows();
    if (type == rt_assignToDisciplines)
        context().waitTexts().closeWait(kAssignWaitText);
    if (!outcome.ok()) {
        ListView1->setEnabled(true);
        enableEditor(true);
        if (outcome.declined) {
            reloadData();
            refreshAllWindows(context());
            return;
        }
        if (outcome.errorId == kNameChangedElsewhereError) {
            const TAnswerTo answer(outcome.action);
            askChangedElsewhere(*this, QStringLiteral("Riegedaten ändern"), QStringLiteral("Der Riegenname"),
                                outcome.parameters,
                                [this, squadId = currentSquadId, other = outcome.parameters.value(0)](bool mine) {
                                    // "Nein" keeps the other desk's name; so does another squad chosen meanwhile.
                                    if (!mine || squadId != currentSquadId) {
                                        reloadData();
                                        return;
                                    }
                                    loaded_.name = other;
                                    Button2Click();
                                });
            return;
        }
        road_.report(outcome);
        if (!response)
            return;
        if (type != rt_get)
            reloadFormData(true);
        return;
    }
    auto reloadResultEntry = [&] {
        if (windows.isVisible(TWindowId::ResultDialog) || windows.isVisible(TWindowId::AquireBibOrderForm))
            windows.reload(TWindowId::ResultDialog, false);
    };
    switch (type) {
    case rt_get: fillList(*response); break;
    case rt_create:
    case rt_modify:
    case rt_batchModifyOrder:
        if (type != rt_batchModifyOrder)
            resetDirtyData(kEditorPart);
        // The editor is free for the next new squad; a drop or reorder leaves a new one being typed.
        if (type == rt_create && currentSquadId == 0)
            LoadItem();
        reloadData();
        windows.reloadIfVisible(TWindowId::TeamForm);
        windows.reloadIfVisible(TWindowId::DisciplinListForm);
        reloadResultEntry();
        windows.reloadIfVisible(TWindowId::AnalyseForm);
        windows.reloadIfVisible(TWindowId::ScheduleForm);
        windows.reloadIfVisible(TWindowId::ResultCheckForm);
        break;
    case rt_delete: {
        const bool last = !response->nextBatch;
        road_.continueBatch(*response);
        if (last) {
            reloadData();
            refreshAllWindows(context());
        }
        break;
    }
    case rt_assignToDisciplines:
        reloadData();
        windows.reloadIfVisible(TWindowId::DisciplinListForm);
        reloadResultEntry();
        windows.reloadIfVisible(TWindowId::ScheduleForm);
        windows.reloadIfVisible(TWindowId::ResultCheckForm);
        break;
    }
}

} // namespace tvp
