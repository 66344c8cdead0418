#include "participants/ui/TeamDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/print/ui/Print.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/MainWindow.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"
#include "participants/ServerChanges.h"
#include "participants/ui/NameChangedElsewhere.h"
#include "participants/TeamListPrint.h"
#include "participants/ui/DragListView.h"
#include "participants/ui/ParticipantWindowInterfaces.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <numeric>

namespace tvp {

using enum TTeamRequestType;

namespace {

const QString kCountText = QStringLiteral("Teams in dieser Ansicht: ");

// A team's fields as the editor compares them: the name trimmed, as it is saved.
TTeamFields shownFieldsOf(const proto::TeamType& team)
{
    TTeamFields fields = teamFieldsOf(team);
    fields.name = fields.name.trimmed();
    return fields;
}

// The box's entries: the zero entry (none when empty), then each item with its id as entry data.
template <class Item, class Entry>
void fillCombo(QComboBox& combo, const QString& zeroEntry, const std::vector<Item>& items, Entry entry, int selectedId)
{
    combo.clear();
    if (!zeroEntry.isEmpty())
        combo.addItem(zeroEntry, 0);
    for (const Item& item : items) {
        const auto [name, id] = entry(item);
        combo.addItem(name, id);
    }
    // Without the id the box is left on its zero entry, or on none.
    selectComboIntegerFilter(combo, selectedId, zeroEntry.isEmpty() ? -1 : 0);
    combo.setEnabled(true);
}

auto ageClassEntry = [](const proto::AgeClassType& a) { return std::pair{a.Name, a.AgeClassID}; };

} // namespace

TTeamForm::TTeamForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, teamRequests(), this,
            [this](std::unique_ptr<TTeamResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      model_(teamColumns()),
      sorted_(QStringLiteral("TeamForm.ListView1."))
{
    setWindowTitle(QStringLiteral("Teams"));
    setMinimumSize(455, 400);
    resize(820, 460);
    buildWindow();
    buildMenus();
    showSortedList(*ListView1, sorted_, model_, *this, [this] { ListView1Change(); });
    fitColumnsToRoom(*ListView1);
    opensWideForNames(*ListView1);
    LoadItem();
    fitToTexts(*this);
}

TTeamForm::~TTeamForm() = default;

void TTeamForm::buildWindow()
{
    ListView1 = new TDragListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->setDragEnabled(true);
    ListView1->setAcceptDrops(true);
    ListView1->setDragDropMode(QAbstractItemView::DragDrop);
    model_.setDragSource(QStringLiteral("TeamForm"));
    ListView1->acceptsDrop = [this](const QDropEvent& e) { return acceptsAthletes(e); };
    ListView1->dropped = [this](const QDropEvent&, const QModelIndex& row) { guarded([&] { dropAthletes(row); }); };
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Teammitgliederanzeigen1 = PopupMenu1->addAction(QStringLiteral("Teammitglieder anzeigen"));
    Teammitgliederanzeigen1->setObjectName(QStringLiteral("Teammitgliederanzeigen1"));
    Entfernen1 = PopupMenu1->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));
    Teammitgliederanzeigen1->setEnabled(false);
    Entfernen1->setEnabled(false);
    connect(Teammitgliederanzeigen1, &QAction::triggered, this,
            [this] { guarded([this] { Teammitgliederanzeigen1Click(); }); });
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([&] { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); }); });
    onKey(*ListView1, Qt::Key_Delete, [this] { Entfernen1Click(); });
    // Ctrl+F anywhere in the active window.
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] { guarded([this] { Suchen1Click(); }); });

    FilterGroup = new QGroupBox(QStringLiteral("Filter"), this);
    FilterGroup->setObjectName(QStringLiteral("FilterGroup"));
    AgeClassFilterCombo = new QComboBox(FilterGroup);
    AgeClassFilterCombo->setObjectName(QStringLiteral("AgeClassFilterCombo"));
    DisciplineFilterCombo = new QComboBox(FilterGroup);
    DisciplineFilterCombo->setObjectName(QStringLiteral("DisciplineFilterCombo"));
    auto* filters = new QFormLayout(FilterGroup);
    filters->addRow(QStringLiteral("Altersklasse:"), AgeClassFilterCombo);
    filters->addRow(QStringLiteral("Nicht eingeteilt:"), DisciplineFilterCombo);
    connect(AgeClassFilterCombo, &QComboBox::activated, this,
            [this] { guarded([this] { filterChanged(*AgeClassFilterCombo, currentAgeClassFilterId); }); });
    connect(DisciplineFilterCombo, &QComboBox::activated, this,
            [this] { guarded([this] { filterChanged(*DisciplineFilterCombo, currentDisciplinFilterId); }); });

    GroupBox1 = new QGroupBox(QStringLiteral("Team"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    NameEdit = new QLineEdit(GroupBox1);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    AgeClassCombo = new QComboBox(GroupBox1);
    AgeClassCombo->setObjectName(QStringLiteral("AgeClassCombo"));
    AgeClassButton = new QPushButton(QStringLiteral("Altersklassen..."), GroupBox1);
    AgeClassButton->setObjectName(QStringLiteral("AgeClassButton"));
    ClubCombo = new QComboBox(GroupBox1);
    ClubCombo->setObjectName(QStringLiteral("ClubCombo"));
    ClubCombo->addItem(QStringLiteral("Ohne Verein"), 0);
    ClubButton = new QPushButton(QStringLiteral("Vereine..."), GroupBox1);
    ClubButton->setObjectName(QStringLiteral("ClubButton"));
    IdLabel = new QLabel(QStringLiteral("ID: -"), GroupBox1);
    IdLabel->setObjectName(QStringLiteral("IdLabel"));
    Button1 = new QPushButton(QStringLiteral("Änderung speichern"), GroupBox1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Als neues Team hinzufügen"), GroupBox1);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto* editor = new QGridLayout(GroupBox1);
    editor->addWidget(new QLabel(QStringLiteral("Name:"), GroupBox1), 0, 0);
    editor->addWidget(NameEdit, 0, 1, 1, 2);
    editor->addWidget(new QLabel(QStringLiteral("Altersklasse:"), GroupBox1), 1, 0);
    editor->addWidget(AgeClassCombo, 1, 1);
    editor->addWidget(AgeClassButton, 1, 2);
    editor->addWidget(new QLabel(QStringLiteral("Re.-Verein:"), GroupBox1), 2, 0);
    editor->addWidget(ClubCombo, 2, 1);
    editor->addWidget(ClubButton, 2, 2);
    editor->addWidget(IdLabel, 3, 0);
    editor->addWidget(Button1, 4, 0, 1, 2);
    editor->addWidget(Button2, 5, 0, 1, 2);
    editor->setColumnStretch(1, 1);

    connect(NameEdit, &QLineEdit::textEdited, this, [this] {
        guarded([this] {
            DoItemChangeCheck({});
            EnableButtons();
        });
    });
    connect(NameEdit, &QLineEdit::returnPressed, this, [this] {
        guarded([this] {
            if (Button1->isEnabled())
                Button1Click();
            else if (Button2->isEnabled())
                Button2Click();
        });
    });
    connect(AgeClassCombo, &QComboBox::activated, this, [this] {
        guarded([this] {
            currentAgeClassID = comboId(*AgeClassCombo);
            DoItemChangeCheck({});
            EnableButtons();
        });
    });
    connect(ClubCombo, &QComboBox::activated, this, [this] {
        guarded([this] {
            currentClubId = comboId(*ClubCombo);
            DoItemChangeCheck({});
            EnableButtons();
        });
    });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(AgeClassButton, &QPushButton::clicked, this, [this] { guarded([this] { AgeClassButtonClick(); }); });
    connect(ClubButton, &QPushButton::clicked, this, [this] { guarded([this] { ClubButtonClick(); }); });

    // The choices keep a name's width beside the list, which takes the rest: the names they offer
    // are as long as the teams' own.
    for (QComboBox* box : {AgeClassFilterCombo, DisciplineFilterCombo, AgeClassCombo, ClubCombo}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(16);
    }
    auto* right = new QVBoxLayout;
    right->addWidget(FilterGroup);
    right->addWidget(GroupBox1);
    right->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(ListView1, 1);
    left->addWidget(CountLabel);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    layout->setMenuBar(MainMenu1);
}

void TTeamForm::buildMenus()
{
    auto entry = [this](QMenu* menu, const QString& caption, const char* name, std::function<void()> run) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [run = std::move(run)] { guarded(run); });
        return a;
    };
    QMenu* exportMenu = MainMenu1->addMenu(QStringLiteral("Export"));
    exportMenu->setObjectName(QStringLiteral("Export1"));
    entry(exportMenu, QStringLiteral("Als csv"), "Alscsv1", [this] { exportCsv(false); });
    entry(exportMenu, QStringLiteral("Als csv und ausführen"), "Alscsvundausfhren1", [this] { exportCsv(true); });
    QMenu* printMenu = MainMenu1->addMenu(QStringLiteral("Drucken"));
    printMenu->setObjectName(QStringLiteral("Drucken1"));
    entry(printMenu, QStringLiteral("Team/Riegen-Übersicht"), "TeamRiegenbersicht1",
          [this] { TeamRiegenbersicht1Click(); });
    QAction* search = MainMenu1->addAction(QStringLiteral("Suchen"));
    search->setObjectName(QStringLiteral("Suchen1"));
    connect(search, &QAction::triggered, this, [this] { guarded([this] { Suchen1Click(); }); });
}

// ---- what other windows ask ----

int TTeamForm::getSelected() const
{
    const QModelIndex current = ListView1->selectionModel()->currentIndex();
    if (!current.isValid() || !ListView1->selectionModel()->isRowSelected(current.row(), current.parent())) {
        const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
        return rows.isEmpty() ? 0 : model_.record(sorted_.mapToSource(rows.first()).row()).TeamID;
    }
    return model_.record(sorted_.mapToSource(current).row()).TeamID;
}

std::vector<int> TTeamForm::getSelectedIds() const
{
    std::vector<int> ids;
    for (const proto::TeamType& t : getSelectedTeams())
        ids.push_back(t.TeamID);
    return ids;
}

std::vector<proto::TeamType> TTeamForm::getSelectedTeams() const
{
    std::vector<proto::TeamType> teams;
    for (int row : selectedSourceRows(*ListView1, sorted_))
        teams.push_back(model_.record(row));
    return teams;
}

std::vector<proto::TeamType> TTeamForm::teamsInListOrder() const
{
    std::vector<proto::TeamType> teams;
    for (int r = 0; r < sorted_.rowCount(); ++r)
        teams.push_back(model_.record(sorted_.mapToSource(sorted_.index(r, 0)).row()));
    return teams;
}

void TTeamForm::showDisc(int disciplineId, int ageClassId)
{
    if (disciplineId == 0)
        return;
    DoItemChangeCheck({});
    if (checkDirtyDataMessage(nullptr, {}))
        return;
    hide();
    // A window not loaded yet has no entries: the load that showing starts applies the ids.
    if (!setComboItem(*AgeClassFilterCombo, ageClassId))
        currentAgeClassFilterId = ageClassId;
    if (!setComboItem(*DisciplineFilterCombo, disciplineId))
        currentDisciplinFilterId = disciplineId;
    show();
}

void TTeamForm::discParticipantsUpdated(int disciplineId)
{
    if (isVisible() && disciplineId == currentDisciplinFilterId)
        reloadData();
}

// ---- loading ----

void TTeamForm::reloadData()
{
    EnableButtons();
    CountLabel->clear();
    setListEnabled(false);
    road_.AddRequest(makeTeamGet(currentAgeClassFilterId, currentDisciplinFilterId), TTransactionMode::tm_readonly);
    AgeClassCombo->setEnabled(AgeClassCombo->count() > 0);
    ClubCombo->setEnabled(ClubCombo->count() > 1);
}

void TTeamForm::FormShow()
{
    ListView1->setEnabled(false);
    reloadData();
}

void TTeamForm::unload()
{
    // The billing club stays: the next competition's new teams often pay the same way.
    currentTeamId = 0;
    currentAgeClassID = 0;
    currentAgeClassFilterId = 0;
    currentDisciplinFilterId = 0;
    LoadItem();
    reloadData();
}

void TTeamForm::setListEnabled(bool enabled)
{
    ListView1->setEnabled(enabled);
    GroupBox1->setEnabled(enabled);
}

void TTeamForm::fillWindow(TTeamResponse& r)
{
    const int scroll = ListView1->verticalScrollBar()->value();
    fillCombo(*AgeClassCombo, {}, r.ageClasses, ageClassEntry, currentAgeClassID);
    fillCombo(*AgeClassFilterCombo, QStringLiteral("Kein Filter"), r.ageClasses, ageClassEntry,
              currentAgeClassFilterId);
    fillCombo(
        *ClubCombo, QStringLiteral("Ohne Verein"), r.clubs,
        [](const proto::ClubType& c) {
            return std::pair{c.Name, c.ClubId};
        },
        currentClubId);
    fillCombo(
        *DisciplineFilterCombo, QStringLiteral("Kein Filter"), teamDisciplines(r.disciplines),
        [](const proto::DisciplinType& d) {
            return std::pair{d.Name, d.DisciplinID};
        },
        currentDisciplinFilterId);
    // Whatever vanished since is reset; a vanished filter was applied to this answer, so load again.
    resetCurIdIfDeleted(*AgeClassCombo, currentAgeClassID, -1);
    resetCurIdIfDeleted(*ClubCombo, currentClubId, 0);
    const bool filterGone = resetCurIdIfDeleted(*AgeClassFilterCombo, currentAgeClassFilterId, 0) |
                            resetCurIdIfDeleted(*DisciplineFilterCombo, currentDisciplinFilterId, 0);

    filterPrintString.Reset();
    if (currentDisciplinFilterId != 0)
        filterPrintString.setDisciplineName(DisciplineFilterCombo->currentText());
    if (currentAgeClassFilterId != 0)
        filterPrintString.setAgeClassName(
            ageClassFilterName(r.getResponse, currentAgeClassFilterId, AgeClassFilterCombo->currentText()));

    // Only what the user typed counts: a change another window made to the shown team is not his.
    const bool typed = hasDirtyData({});
    {
        const QScopedValueRollback<bool> quiet(suppressLoadItem, true);
        model_.setRecords(std::move(r.getResponse));
    }
    setListEnabled(true);
    CountLabel->setText(kCountText + QString::number(model_.rowCount()));
    ListView1->verticalScrollBar()->setValue(scroll);
    fitColumnsToRoom(*ListView1);
    checkCurrentTeam();
    // What the user typed stays when a refused request reloads the list.
    if (typed) {
        if (const proto::TeamType* team = teamOf(currentTeamId))
            takeServerChanges(*team);
        DoItemChangeCheck({});
        EnableButtons();
    } else {
        LoadItem();
    }
    if (filterGone && isVisible())
        reloadData();
}

void TTeamForm::checkCurrentTeam()
{
    if (teamOf(currentTeamId)) {
        selectRowOf(currentTeamId);
    } else {
        currentTeamId = 0;
        IdLabel->setText(QStringLiteral("ID: -"));
        selectRowOf(0);
    }
    EnableButtons();
}

const proto::TeamType* TTeamForm::teamOf(int teamId) const
{
    if (teamId == 0)
        return nullptr;
    const int row = model_.findRow([&](const proto::TeamType& t) { return t.TeamID == teamId; });
    return row < 0 ? nullptr : &model_.record(row);
}

void TTeamForm::selectRowOf(int teamId)
{
    const QScopedValueRollback<bool> quiet(reselecting_, true);
    selectSourceRow(*ListView1, sorted_,
                    teamId == 0 ? -1 : model_.findRow([&](const proto::TeamType& t) { return t.TeamID == teamId; }));
}

// ---- the editor ----

void TTeamForm::LoadItem()
{
    const proto::TeamType* stored = nullptr;
    if (currentTeamId != 0) {
        currentAgeClassID = 0;
        currentClubId = 0;
        stored = teamOf(currentTeamId);
    }
    const proto::TeamType& t = stored ? *stored : defaultTeam();
    NameEdit->setText(t.Name);
    if (stored) {
        IdLabel->setText(QStringLiteral("ID: %1").arg(std::abs(t.TeamID)));
        currentAgeClassID = t.AgeClass ? t.AgeClass->AgeClassID : 0;
        currentClubId = t.BillingClub ? t.BillingClub->ClubId : 0;
    } else {
        IdLabel->setText(QStringLiteral("ID: -"));
    }
    // A new team keeps the age class and billing club chosen last, in the boxes as in the request.
    if (!setComboItem(*AgeClassCombo, currentAgeClassID)) {
        AgeClassCombo->setCurrentIndex(-1);
        currentAgeClassID = 0;
    }
    if (!setComboItem(*ClubCombo, currentClubId)) {
        ClubCombo->setCurrentIndex(0);
        currentClubId = 0;
    }
    loaded_ = shownFieldsOf(t);
    DoItemChangeCheck({});
    EnableButtons();
}

// The team as the server now has it, while the user has unsaved changes: what he left as loaded
// shows the server's values, what he changed stays his.
void TTeamForm::takeServerChanges(const proto::TeamType& team)
{
    const TTeamFields server = teamFieldsOf(team);
    const TTeamFields shown{NameEdit->text().trimmed(), comboId(*AgeClassCombo), currentClubId};
    TTeamFields taken = shown;
    tvp::takeServerChanges(taken, loaded_, server, &TTeamFields::name, &TTeamFields::ageClassId, &TTeamFields::clubId);
    if (taken.name != shown.name)
        NameEdit->setText(taken.name);
    if (taken.ageClassId != shown.ageClassId)
        setComboItem(*AgeClassCombo, taken.ageClassId);
    if (taken.clubId != shown.clubId && !setComboItem(*ClubCombo, taken.clubId))
        setComboItem(*ClubCombo, 0);
    // A name changed here and there stays as loaded, so the save still finds both and asks.
    const QString loadedName = loaded_.name;
    loaded_ = shownFieldsOf(team);
    if (changedOnBothSides(shown.name, loadedName, server.name))
        loaded_.name = loadedName;
}

bool TTeamForm::checkItemChanged(const QString&)
{
    if (currentTeamId != 0) {
        const proto::TeamType* stored = teamOf(currentTeamId);
        return !stored || teamDiffers(NameEdit->text().trimmed(), comboId(*AgeClassCombo), currentClubId, *stored);
    }
    // A new team is changed by its name; the age class and club chosen last are no edit.
    return NameEdit->text().trimmed() != defaultTeam().Name;
}

void TTeamForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    Button1->setEnabled(changed && currentTeamId != 0);
}

void TTeamForm::EnableButtons()
{
    const bool complete = !NameEdit->text().trimmed().isEmpty() && comboId(*AgeClassCombo) != 0;
    Button2->setEnabled(complete);
    Button1->setEnabled(complete && currentTeamId != 0 && hasDirtyData({}));
}

void TTeamForm::ListView1Change()
{
    const std::vector<int> selected = getSelectedIds();
    Teammitgliederanzeigen1->setEnabled(selected.size() == 1);
    Entfernen1->setEnabled(!selected.empty());
    if (suppressLoadItem || reselecting_)
        return;
    const int id = getSelected();
    if (id == currentTeamId)
        return;
    DoItemChangeCheck({});
    if (checkDirtyDataMessage(nullptr, {})) {
        selectRowOf(currentTeamId);
        return;
    }
    currentTeamId = id;
    LoadItem();
}

void TTeamForm::filterChanged(QComboBox& filter, int& filterId)
{
    const int id = comboId(filter);
    if (id == filterId)
        return;
    DoItemChangeCheck({});
    if (checkDirtyDataMessage(nullptr, {})) {
        selectComboIntegerFilter(filter, filterId, 0);
        return;
    }
    clearAllDirtyData(); // discarded
    filterId = id;
    if (isVisible())
        reloadData();
}

// ---- actions ----

void TTeamForm::Button2Click()
{
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    const QString name = NameEdit->text().trimmed();
    const int ageClass = comboId(*AgeClassCombo);
    if (!name.isEmpty() && ageClass != 0) {
        NameEdit->setText(name);
        setListEnabled(false);
        road_.AddRequest(makeTeamRequest(rt_create, 0, name, ageClass, currentClubId), TTransactionMode::tm_None);
    }
    currentTeamId = 0;
    IdLabel->setText(QStringLiteral("ID: -"));
}

void TTeamForm::Button1Click()
{
    Button1->setEnabled(false);
    const QString name = NameEdit->text().trimmed();
    const int ageClass = comboId(*AgeClassCombo);
    if (name.isEmpty() || currentTeamId == 0 || ageClass == 0)
        return;
    setListEnabled(false);
    auto request = makeTeamRequest(rt_modify, currentTeamId, name, ageClass, currentClubId, loaded_);
    if (const proto::TeamType* listed = teamOf(currentTeamId))
        request->listedName = listed->Name.trimmed();
    // Read and written in one transaction: another desk's rename between them would be overwritten.
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TTeamForm::Entfernen1Click()
{
    const std::vector<int> ids = getSelectedIds();
    if (ids.empty())
        return;
    const QString question = ids.size() == 1 ? QStringLiteral("Soll das markierte Team wirklich gelöscht werden?")
                                             : QStringLiteral("Sollen die markierten Teams wirklich gelöscht werden?");
    if (!askYesNo(this, QStringLiteral("Teams löschen"), question))
        return;
    road_.AddRequest(makeTeamDeleteChain(ids), TTransactionMode::tm_None);
}

void TTeamForm::Teammitgliederanzeigen1Click()
{
    const std::vector<int> ids = getSelectedIds();
    if (ids.size() != 1)
        return;
    if (auto* athletes = context().windows().get<IAthleteForm>(TWindowId::AthleteForm))
        athletes->showTeamMembers(ids.front());
}

void TTeamForm::showModally(TWindowId window, QComboBox& field, int& fieldId)
{
    TTVPForm* form = context().windows().form(window);
    if (!form)
        return;
    for (const QString& part : form->getDirtyDataParts())
        if (form->checkDirtyDataMessage(nullptr, part))
            return;
    form->hide();
    dialogs().execModal(*form);
    int chosen = 0;
    if (auto* ageClasses = context().windows().get<IAgeClassForm>(window))
        chosen = ageClasses->getSelected();
    else if (auto* clubs = context().windows().get<IClubForm>(window))
        chosen = clubs->getSelected();
    // A class or club made just now arrives with the reload its window has started here.
    if (!setComboItem(field, chosen) && chosen != 0)
        fieldId = chosen;
    EnableButtons();
}

void TTeamForm::AgeClassButtonClick()
{
    showModally(TWindowId::AgeClassForm, *AgeClassCombo, currentAgeClassID);
}

void TTeamForm::ClubButtonClick()
{
    showModally(TWindowId::ClubForm, *ClubCombo, currentClubId);
}

void TTeamForm::Suchen1Click()
{
    DoItemChangeCheck({});
    const bool dirty = hasDirtyData({});
    if (checkDirtyDataMessage(nullptr, {}))
        return;
    if (dirty) {
        clearAllDirtyData();
        selectRowOf(0);
        currentTeamId = 0;
        LoadItem();
    }
    if (auto* search = context().windows().get<IListSearchForm>(TWindowId::SearchForm)) {
        std::vector<int> columns(std::size_t(model_.columnCount()));
        std::iota(columns.begin(), columns.end(), 0);
        search->openSearchDialog({ListView1->model()}, columns);
    }
}

void TTeamForm::exportCsv(bool openAfterwards)
{
    exportCsvFile(QStringLiteral("Teams"), sorted_, openAfterwards, false, true, -1);
}

void TTeamForm::TeamRiegenbersicht1Click()
{
    std::unique_ptr<TPrintManager> manager = InitPrint(true, kTeamOverviewJob, false, this);
    if (!manager)
        return;
    TWaitText wait(kPrintWaitText, this);
    printTeamOverview(*manager, teamsInListOrder(), filterPrintString.getPrintString());
    endPrintJob(*manager, context().messages(), kTeamOverviewJob, this);
}

// ---- drag and drop ----

bool TTeamForm::acceptsAthletes(const QDropEvent& event) const
{
    if (!dropComesFrom(event, context().windows(), TWindowId::AthleteForm))
        return false;
    const auto* athletes = context().windows().get<IAthleteForm>(TWindowId::AthleteForm);
    return athletes && !athletes->getSelectedIds().empty();
}

void TTeamForm::dropAthletes(const QModelIndex& row)
{
    const auto* athletes = context().windows().get<IAthleteForm>(TWindowId::AthleteForm);
    if (!athletes || !row.isValid())
        return;
    std::vector<int> ids = athletes->getSelectedIds();
    if (ids.empty())
        return;
    const int teamId = model_.record(sorted_.mapToSource(row).row()).TeamID;
    if (!askYesNo(this, QStringLiteral("Athleten Team zuweisen"),
                  QStringLiteral("Sollen alle markierten Athleten dem Team zugewiesen werden (dabei werden sie ggf. "
                                 "von ihrem alten Team entfernt)?")))
        return;
    road_.AddRequest(makeAssignAthletes(teamId, std::move(ids)), TTransactionMode::tm_readwrite);
}

// ---- answers ----

void TTeamForm::refreshAll()
{
    if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
        main->RefreshButton();
    else
        reloadFormData(false);
}

void TTeamForm::RequestFinished(std::unique_ptr<TTeamResponse> response, const TRequestOutcome& outcome)
{
    const auto command = TTeamRequestType(outcome.command);
    TWindowRegistry& w = context().windows();
    if (!outcome.ok()) {
        EnableButtons();
        // Sending disabled them; a declined question must not leave the window unusable.
        setListEnabled(true);
        if (outcome.declined) {
            // The user said "Nein" at the chain's end; a declined age-class change leaves all as it was.
            if (outcome.errorId != kTeamInSquadOfOtherAgeClassError)
                refreshAll();
            return;
        }
        if (outcome.errorId == kNameChangedElsewhereError) {
            const TAnswerTo answer(outcome.action);
            askChangedElsewhere(*this, QStringLiteral("Teamdaten ändern"), QStringLiteral("Der Teamname"),
                                outcome.parameters,
                                [this, teamId = currentTeamId, other = outcome.parameters.value(0)](bool mine) {
                                    // "Nein" keeps the other desk's name; so does another team chosen meanwhile.
                                    if (!mine || teamId != currentTeamId) {
                                        reloadData();
                                        return;
                                    }
                                    loaded_.name = other;
                                    Button1Click();
                                });
            return;
        }
        road_.report(outcome);
        if (command != rt_get)
            reloadData();
        return;
    }
    auto reloadResults = [&] {
        if (w.isVisible(TWindowId::ResultDialog) || w.isVisible(TWindowId::AquireBibOrderForm))
            w.reload(TWindowId::ResultDialog, false);
    };
    switch (command) {
    case rt_get: fillWindow(*response); return;
    case rt_create:
    case rt_modify:
        resetDirtyData({});
        currentTeamId = response->id;
        reloadFormData(false);
        for (TWindowId id :
             {TWindowId::SquadForm, TWindowId::CupTeamForm, TWindowId::CupAthleteForm, TWindowId::AthleteForm})
            w.reloadIfVisible(id);
        if (command == rt_modify)
            w.reloadIfVisible(TWindowId::DisciplinListForm);
        reloadResults();
        return;
    case rt_delete: {
        const bool more = response->nextBatch != nullptr;
        road_.continueBatch(*response);
        if (!more)
            refreshAll();
        return;
    }
    case rt_assignAthletes:
        reloadFormData(true);
        // Each once, in this order.
        for (TWindowId id : {TWindowId::AthleteForm, TWindowId::DisciplinListForm})
            w.reloadIfVisible(id);
        reloadResults();
        for (TWindowId id : {TWindowId::AnalyseForm, TWindowId::SquadForm, TWindowId::CupAthleteForm,
                             TWindowId::CupTeamForm, TWindowId::TeamMemberWarningForm, TWindowId::ResultCheckForm})
            w.reloadIfVisible(id);
        return;
    }
}

} // namespace tvp
