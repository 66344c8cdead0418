#include "participants/ui/AthleteDialog.h"

#include "core/barcode/BarcodeUtils.h"
#include "core/connection/SlotGuard.h"
#include "core/print/ui/Print.h"
#include "core/results/tvpUtils.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/MainWindow.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "participants/AthleteListPrint.h"
#include "participants/ui/NameChangedElsewhere.h"
#include "participants/ui/ParticipantWindowInterfaces.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
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
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TAthleteRequestType;

// What the editor shows for a new athlete.
const proto::AthleteType& defaultAthlete()
{
    static const proto::AthleteType athlete = [] {
        proto::AthleteType a;
        a.Gender = proto::GenderType::NotSpecified;
        return a;
    }();
    return athlete;
}

const QString kNoFilter = QStringLiteral("Kein Filter");
const QString kAthleteCountText = QStringLiteral("Athleten in dieser Ansicht: ");

// The boxes' entries carry their entity's id; the first entry 0.
QString comboName(const QComboBox& combo, int id)
{
    const int index = combo.findData(id);
    return index < 0 ? QString() : combo.itemText(index);
}

void resetBox(QComboBox& combo, const QString& zeroEntry)
{
    combo.clear();
    combo.addItem(zeroEntry, 0);
}

// Selects the stored id; when it is gone the id falls back to 0 and the box's handler fires.
void selectStored(QComboBox& combo, int& storedId)
{
    selectComboIntegerFilter(combo, storedId, 0);
    combo.setEnabled(true);
    resetCurIdIfDeleted(combo, storedId, 0);
}

int genderIndex(proto::GenderType g)
{
    switch (g) {
    case proto::GenderType::MALE: return 1;
    case proto::GenderType::FEMALE: return 2;
    default: return 0;
    }
}

// The windows that show athletes and reload after an athlete changed.
constexpr TWindowId kDependents[] = {
    TWindowId::DisciplinListForm, TWindowId::AnalyseForm,           TWindowId::SquadForm,      TWindowId::TeamForm,
    TWindowId::CupAthleteForm,    TWindowId::TeamMemberWarningForm, TWindowId::ResultCheckForm};

// Columns the list search looks at: names, team, bibs, club and id.
const std::vector<int> kSearchColumns{colGivenName, colSurName, colTeam, colBibs, colClub, colId};

} // namespace

// ---- the list model ----

TAthleteListModel::TAthleteListModel()
    : TRecordListModel<proto::AthleteType>([] {
          std::vector<Column> columns;
          const QStringList captions = athleteColumnCaptions();
          for (int c = 0; c < athleteColumnCount; ++c)
              columns.push_back({captions[c], [c](const proto::AthleteType& a) { return athleteCellText(a, c); }});
          return columns;
      }())
{
    setDragSource(QStringLiteral("AthleteForm"));
}

QMimeData* TAthleteListModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList ids;
    QSet<int> rows;
    for (const QModelIndex& i : indexes)
        if (i.isValid() && !rows.contains(i.row())) {
            rows.insert(i.row());
            ids << QString::number(record(i.row()).AthleteID);
        }
    QMimeData* data = TRecordListModel::mimeData(indexes);
    if (data)
        data->setData(kAthleteIdsMimeType, ids.join(QLatin1Char('\n')).toUtf8());
    return data;
}

// ---- creation ----

TAthleteForm::TAthleteForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, athleteRequests(), this,
            [this](std::unique_ptr<TAthleteResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      sorted_(QStringLiteral("AthleteForm.Panel1.ListView1."))
{
    setWindowTitle(kCaption);
    setMinimumSize(660, 425);
    buildLayout();
    buildMenus();
    sorted_.setSourceModel(&athletes_);
    ListView1->setModel(&sorted_);
    sorted_.initListView();
    fitColumnsToRoom(*ListView1);
    opensWideForNames(*ListView1);
    ListView1->header()->setSortIndicator(sorted_.getSortCol(),
                                          sorted_.getSortDir() ? Qt::DescendingOrder : Qt::AscendingOrder);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        guarded([&] {
            sorted_.SortListView(column, true);
            ListView1->header()->setSortIndicator(sorted_.getSortCol(),
                                                  sorted_.getSortDir() ? Qt::DescendingOrder : Qt::AscendingOrder);
        });
    });
    connect(ListView1, &QTreeView::clicked, this, [this] { guarded([this] { ListView1Click(); }); });
    ListView1->installEventFilter(this);
    // F11 works wherever the focus is, as long as this window exists.
    f11_ = std::make_unique<TKeyHook>([this](QKeyEvent& key) {
        bool handled = false;
        if (key.key() == Qt::Key_F11)
            guarded([&] { handled = handleF11(); });
        return handled;
    });
    LoadItem();
    fitToTexts(*this);
}

TAthleteForm::~TAthleteForm() = default;

TKeyHook::TKeyHook(std::function<bool(QKeyEvent&)> onKey) : onKey_(std::move(onKey))
{
    qApp->installEventFilter(this);
}

TKeyHook::~TKeyHook()
{
    qApp->removeEventFilter(this);
}

bool TKeyHook::eventFilter(QObject* watched, QEvent* event)
{
    // A key not taken by a widget goes on to its parents; only its first receiver counts.
    if (event->type() != QEvent::KeyPress || watched != QApplication::focusWidget())
        return false;
    return onKey_(*static_cast<QKeyEvent*>(event));
}

QComboBox* TAthleteForm::box(const char* name)
{
    auto* c = new QComboBox(this);
    c->setObjectName(QString::fromUtf8(name));
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(16);
    return c;
}

QLineEdit* TAthleteForm::edit(const char* name, int maxLength)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromUtf8(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    connect(e, &QLineEdit::textEdited, this, [this] { guarded([this] { editorChanged(); }); });
    return e;
}

void TAthleteForm::buildLayout()
{
    auto* root = new QVBoxLayout(this);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    root->setMenuBar(MainMenu1);

    // Filters above the list.
    auto* filters = new QHBoxLayout;
    ComboBoxTeamFilter = box("ComboBoxTeamFilter");
    ComboBoxAgeClassFilter = box("ComboBoxAgeClassFilter");
    ComboBoxDisciplineFilter = box("ComboBoxDisciplineFilter");
    LabelAgeClassByTeam = new QLabel(QStringLiteral("durch Team festgelegt"), this);
    LabelAgeClassByTeam->setObjectName(QStringLiteral("LabelAgeClassByTeam"));
    LabelAgeClassByTeam->hide();
    filters->addWidget(new QLabel(QStringLiteral("Team:"), this));
    filters->addWidget(ComboBoxTeamFilter, 1);
    filters->addWidget(new QLabel(QStringLiteral("Altersklasse:"), this));
    filters->addWidget(ComboBoxAgeClassFilter, 1);
    filters->addWidget(LabelAgeClassByTeam, 1);
    filters->addWidget(new QLabel(QStringLiteral("Nicht eingeteilt:"), this));
    filters->addWidget(ComboBoxDisciplineFilter, 1);
    root->addLayout(filters);
    for (QComboBox* c : {ComboBoxTeamFilter, ComboBoxAgeClassFilter, ComboBoxDisciplineFilter})
        resetBox(*c, kNoFilter);
    connect(ComboBoxTeamFilter, &QComboBox::activated, this, [this] { guarded([this] { teamFilterChange(); }); });
    connect(ComboBoxAgeClassFilter, &QComboBox::activated, this,
            [this] { guarded([this] { ageClassFilterChange(); }); });
    connect(ComboBoxDisciplineFilter, &QComboBox::activated, this,
            [this] { guarded([this] { disciplineFilterChange(); }); });

    auto* body = new QHBoxLayout;
    root->addLayout(body, 1);

    // The list with its count below.
    auto* Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* listLayout = new QVBoxLayout(Panel1);
    listLayout->setContentsMargins(0, 0, 0, 0);
    ListView1 = new QTreeView(Panel1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setDragEnabled(true);
    ListView1->setDragDropMode(QAbstractItemView::DragOnly);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setSortIndicatorShown(true);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    listLayout->addWidget(ListView1, 1);
    LabelCount = new QLabel(QStringLiteral("Athleten in dieser Ansicht: "), Panel1);
    LabelCount->setObjectName(QStringLiteral("LabelCount"));
    listLayout->addWidget(LabelCount);
    body->addWidget(Panel1, 1);

    // The editor beside it.
    GroupBox1 = new QGroupBox(QStringLiteral("Athlet"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    EditGivenName = edit("EditGivenName");
    EditSurName = edit("EditSurName");
    EditBibs = edit("EditBibs");
    ComboBoxTeam = box("ComboBoxTeam");
    ButtonTeams = new QPushButton(QStringLiteral("Teams..."), this);
    ButtonTeams->setObjectName(QStringLiteral("ButtonTeams"));
    EditYear = edit("EditYear", 4);
    ComboBoxGender = box("ComboBoxGender");
    ComboBoxGender->addItems({QStringLiteral("Keine Angabe"), QStringLiteral("Männlich"), QStringLiteral("Weiblich")});
    ComboBoxClub = box("ComboBoxClub");
    ButtonClubs = new QPushButton(QStringLiteral("Vereine..."), this);
    ButtonClubs->setObjectName(QStringLiteral("ButtonClubs"));
    EditBarcode = edit("EditBarcode");
    LabelId = new QLabel(QStringLiteral("ID: -"), this);
    LabelId->setObjectName(QStringLiteral("LabelId"));
    Button1 = new QPushButton(QStringLiteral("Änderung speichern"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Als neuen Athleten anlegen"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    resetBox(*ComboBoxTeam, QStringLiteral("Ohne Team"));
    resetBox(*ComboBoxClub, QStringLiteral("Ohne Verein"));

    int row = 0;
    const auto line = [&](const QString& label, QWidget* field, QWidget* extra = nullptr) {
        grid->addWidget(new QLabel(label, GroupBox1), row, 0);
        grid->addWidget(field, row, 1, 1, extra ? 1 : 2);
        if (extra)
            grid->addWidget(extra, row, 2);
        ++row;
    };
    line(QStringLiteral("Vorname:"), EditGivenName);
    line(QStringLiteral("Nachname:"), EditSurName);
    line(QStringLiteral("Startnummer(n):"), EditBibs);
    line(QStringLiteral("Team:"), ComboBoxTeam, ButtonTeams);
    line(QStringLiteral("Jahrgang:"), EditYear);
    line(QStringLiteral("Geschlecht:"), ComboBoxGender);
    line(QStringLiteral("Verein/Org.:"), ComboBoxClub, ButtonClubs);
    line(QStringLiteral("Blanko-Barcode:"), EditBarcode);
    grid->addWidget(LabelId, row++, 0, 1, 3);
    grid->setRowStretch(row++, 1);
    grid->addWidget(Button1, row++, 0, 1, 3);
    grid->addWidget(Button2, row++, 0, 1, 3);
    body->addWidget(GroupBox1);

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(ComboBoxTeam, &QComboBox::activated, this, [this] {
        guarded([this] {
            currentTeamId = comboId(*ComboBoxTeam);
            editorChanged();
        });
    });
    connect(ComboBoxClub, &QComboBox::activated, this, [this] {
        guarded([this] {
            currentClubId = comboId(*ComboBoxClub);
            editorChanged();
        });
    });
    connect(ComboBoxGender, &QComboBox::activated, this, [this] { guarded([this] { editorChanged(); }); });
    connect(ButtonTeams, &QPushButton::clicked, this,
            [this] { guarded([this] { showModalChooser(TWindowId::TeamForm, ComboBoxTeam, true); }); });
    connect(ButtonClubs, &QPushButton::clicked, this,
            [this] { guarded([this] { showModalChooser(TWindowId::ClubForm, ComboBoxClub, false); }); });

    // Enter walks through the editor and saves at its end.
    const auto focusOnEnter = [this](QLineEdit* from, QWidget* to) {
        connect(from, &QLineEdit::returnPressed, this, [to] { to->setFocus(); });
    };
    focusOnEnter(EditGivenName, EditSurName);
    focusOnEnter(EditSurName, EditBibs);
    focusOnEnter(EditBibs, EditYear);
    focusOnEnter(EditYear, ComboBoxGender);
    for (QComboBox* c : {ComboBoxTeam, ComboBoxGender, ComboBoxClub})
        c->installEventFilter(this);
}

void TAthleteForm::buildMenus()
{
    const auto entry = [this](QMenu* menu, const char* name, const QString& caption, std::function<void()> run) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromUtf8(name));
        connect(a, &QAction::triggered, this, [run = std::move(run)] { guarded(run); });
        return a;
    };
    QMenu* exportMenu = MainMenu1->addMenu(QStringLiteral("Export"));
    exportMenu->setObjectName(QStringLiteral("Export1"));
    entry(exportMenu, "Alscsv1", QStringLiteral("Als csv"), [this] { exportCsv(false); });
    entry(exportMenu, "Alscsvundausfhren1", QStringLiteral("Als csv und ausführen"), [this] { exportCsv(true); });
    entry(exportMenu, "BlankoBarcodeserzeugen1", QStringLiteral("Blanko-Barcodes erzeugen..."),
          [this] { context().windows().show(TWindowId::BlankoBarcodeForm); });
    QMenu* printMenu = MainMenu1->addMenu(QStringLiteral("Drucken"));
    printMenu->setObjectName(QStringLiteral("Drucken1"));
    entry(printMenu, "Athletenbersicht1", QStringLiteral("Athletenübersicht"), [this] { printOverview(false); });
    entry(printMenu, "EinTeamproSeite1", QStringLiteral("Ein Team pro Seite"), [this] { printOverview(true); });
    QMenu* checkMenu = MainMenu1->addMenu(QStringLiteral("Prüfen"));
    checkMenu->setObjectName(QStringLiteral("Prfen1"));
    entry(checkMenu, "AltersundGeschlechtermischunginTeams1",
          QStringLiteral("Alters- und Geschlechtermischung in Teams"), [this] { checkParticipantContraints(true); });
    QAction* search = MainMenu1->addAction(QStringLiteral("Suchen"));
    search->setObjectName(QStringLiteral("Suchen1"));
    connect(search, &QAction::triggered, this, [this] { guarded([this] { Suchen1Click(); }); });
    QAction* help = MainMenu1->addAction(QStringLiteral("Hilfe"));
    help->setObjectName(QStringLiteral("Hilfe1"));
    connect(help, &QAction::triggered, this,
            [this] { guarded([this] { context().hints().ShowHint(QStringLiteral("ATHWND"), true); }); });
    // Ctrl+F while this window is active opens the search.
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] { guarded([this] { Suchen1Click(); }); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Leistungenzuordnen1 = entry(PopupMenu1, "Leistungenzuordnen1", QStringLiteral("Leistungen zuordnen... (F11)"),
                                [this] { openFinder(); });
    Startnummernvergeben1 =
        entry(PopupMenu1, "Startnummernvergeben1", QStringLiteral("Startnummern vergeben..."), [this] {
            if (auto* bibs = context().windows().getOrPlaceholder<IAssignBibs>(TWindowId::AssignBibForm))
                bibs->ShowBibAssignDialog(1, getSelectedIds());
        });
    VorundNachnametauschen1 = entry(PopupMenu1, "VorundNachnametauschen1", QStringLiteral("Vor- und Nachname tauschen"),
                                    [this] { VorundNachnametauschen1Click(); });
    Entfernen1 = entry(PopupMenu1, "Entfernen1", QStringLiteral("Entfernen"), [this] { Entfernen1Click(); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            updatePopup();
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
        });
    });
}

void TAthleteForm::updatePopup()
{
    const std::size_t selected = selectedSortedRows().size();
    Leistungenzuordnen1->setEnabled(selected == 1);
    Startnummernvergeben1->setEnabled(selected > 0);
    VorundNachnametauschen1->setEnabled(selected > 0);
}

// ---- loading ----

void TAthleteForm::reloadData()
{
    LabelCount->setText(QString());
    road_.AddRequest(makeAthleteLoad(currentAgeClassFilterId, currentTeamFilterId, currentDisciplinFilterId),
                     TTransactionMode::tm_readonly);
}

void TAthleteForm::FormShow()
{
    reloadData();
}

void TAthleteForm::unload()
{
    currentTeamId = 0;
    currentAgeClassFilterId = 0;
    currentTeamFilterId = 0;
    currentDisciplinFilterId = 0;
    currentAthleteId = 0;
    currentClubId = 0;
    // Nothing of the last competition stays: no proposed bib, team or club of its athletes.
    EditBibs->clear();
    resetBox(*ComboBoxTeam, QStringLiteral("Ohne Team"));
    resetBox(*ComboBoxClub, QStringLiteral("Ohne Verein"));
    LoadItem();
    reloadData();
}

void TAthleteForm::fillBoxes(const TAthleteResponse& response)
{
    resetBox(*ComboBoxTeam, QStringLiteral("Ohne Team"));
    resetBox(*ComboBoxTeamFilter, kNoFilter);
    for (const proto::TeamType& t : response.teams) {
        ComboBoxTeam->addItem(teamCaption(t), t.TeamID);
        ComboBoxTeamFilter->addItem(teamCaption(t), t.TeamID);
    }
    resetBox(*ComboBoxClub, QStringLiteral("Ohne Verein"));
    for (const proto::ClubType& c : response.clubs)
        ComboBoxClub->addItem(c.Name, c.ClubId);
    resetBox(*ComboBoxAgeClassFilter, kNoFilter);
    for (const proto::AgeClassType& a : response.ageClasses)
        ComboBoxAgeClassFilter->addItem(a.Name, a.AgeClassID);
    resetBox(*ComboBoxDisciplineFilter, kNoFilter);
    for (const proto::DisciplinType& d : response.disciplines)
        if (!d.ResultTableType || !d.ResultTableType->Team)
            ComboBoxDisciplineFilter->addItem(d.Name, d.DisciplinID);

    selectStored(*ComboBoxTeam, currentTeamId);
    selectStored(*ComboBoxTeamFilter, currentTeamFilterId);
    currentTeamId = comboId(*ComboBoxTeam);
    selectStored(*ComboBoxClub, currentClubId);
    selectStored(*ComboBoxAgeClassFilter, currentAgeClassFilterId);
    selectStored(*ComboBoxDisciplineFilter, currentDisciplinFilterId);
}

void TAthleteForm::setFilterString(const std::vector<proto::AthleteType>& athletes)
{
    filterPrintString.Reset();
    const TAthleteFilterNames names = athleteFilterNames(
        athletes, currentAgeClassFilterId, currentDisciplinFilterId, currentTeamFilterId,
        [this](int id) { return comboName(*ComboBoxAgeClassFilter, id); },
        [this](int id) { return comboName(*ComboBoxTeamFilter, id); },
        [this](int id) { return comboName(*ComboBoxDisciplineFilter, id); });
    filterPrintString.setAgeClassName(names.ageClass);
    filterPrintString.setTeamName(names.team);
    filterPrintString.setDisciplineName(names.discipline);
}

void TAthleteForm::fillList(TAthleteResponse& response)
{
    // Changes in the editor now were typed while the list was on its way (every question before a
    // reload clears them when the user lets them go): they stay, on the athlete they were typed for.
    const bool typed = hasDirtyData(kEditorPart);
    suppressLoadItem = true;
    const int scroll = ListView1->verticalScrollBar()->value();
    fillBoxes(response);
    setFilterString(response.getResponse);
    athletes_.setRecords(std::move(response.getResponse));
    suppressLoadItem = false;
    if (typed) {
        selectRow(rowOf(currentAthleteId));
        if (const proto::AthleteType* athlete = currentAthleteId != 0 ? listedAthlete(currentAthleteId) : nullptr)
            takeServerChanges(*athlete);
        editorChanged();
    } else {
        LoadItem();
        checkCurrentAthlete();
    }
    LabelCount->setText(kAthleteCountText + QString::number(athletes_.rowCount()));
    ListView1->setEnabled(true);
    ListView1->verticalScrollBar()->setValue(scroll);
    fitColumnsToRoom(*ListView1);
    if (auto* finder = context().windows().get<IAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm))
        finder->reload();
}

// ---- answers ----

void TAthleteForm::RequestFinished(std::unique_ptr<TAthleteResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        handleRefusal(std::move(response), outcome);
        return;
    }
    if (!response)
        return;
    switch (response->reqType) {
    case rt_get: fillList(*response); break;
    case rt_create:
    case rt_modify:
    case rt_flipAthleteNames:
        if (response->reqType != rt_flipAthleteNames)
            resetDirtyData(kEditorPart);
        reloadFormData(false);
        reloadDependents();
        break;
    case rt_delete: {
        if (auto* finder = context().windows().get<IAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm))
            finder->AthleteRemoved(response->id);
        athleteDeleted(response->id);
        const bool more = response->nextBatch != nullptr;
        road_.continueBatch(*response);
        if (!more) {
            // This window's own change: no question; edits of another athlete stay over the reload.
            reloadFormData(false);
            if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
                main->RefreshButton();
        }
        break;
    }
    case rt_checkParticipants:
        if (auto* warnings = context().windows().get<ITeamMemberWarningForm>(TWindowId::TeamMemberWarningForm))
            warnings->showParticipantWarning(response->participantWarning, {}, response->compId);
        if (response->showMessageIfNoWarning && response->participantWarning.empty()) {
            const TAnswerTo answer(outcome.action);
            askLater(road_.requestName(int(rt_checkParticipants)),
                     QStringLiteral("Alle Teams der Veranstaltung entsprechen den Vorgaben der jeweiligen "
                                    "Altersklasse."),
                     TMsgKind::Information, TMsgButtons::Ok, TMsgAnswer::Ok);
        }
        break;
    }
}

void TAthleteForm::handleRefusal(std::unique_ptr<TAthleteResponse> response, const TRequestOutcome& outcome)
{
    EnableButtons();
    if (!response) {
        road_.report(outcome);
        return;
    }
    // A delete the user declined at the end of its chain: asked already, nothing to report.
    if (outcome.declined) {
        if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
            main->RefreshButton();
        return;
    }
    if (outcome.errorId == kNameChangedElsewhereError && response->reqType == rt_modify) {
        // "Nein" keeps the other desk's value; the typed one stays in the editor, unsaved.
        const int field = outcome.parameters.value(2).toInt();
        const std::shared_ptr<const TAthleteResponse> refused = std::move(response);
        const TAnswerTo answer(outcome.action);
        askChangedElsewhere(*this, road_.requestName(int(rt_modify)), athleteFieldCaption(field), outcome.parameters,
                            [this, refused, field](bool mine) {
                                if (mine)
                                    road_.AddRequest(keptOwnAthleteRequest(*refused, field),
                                                     athleteSaveMode(rt_modify));
                                else
                                    reloadData();
                            });
        return;
    }
    if (const TAthleteForcePrompt* prompt = athleteForcePrompt(response->reqType, outcome.errorId)) {
        // The answer to the user's save waits without holding the program; "Ja" sends it again.
        const std::shared_ptr<const TAthleteResponse> refused = std::move(response);
        const TAnswerTo answer(outcome.action);
        askYesNoLater(kAthleteForceCaption, prompt->question, [this, refused, prompt] {
            road_.AddRequest(forcedAthleteRequest(*refused, *prompt), athleteSaveMode(refused->reqType));
        });
        return;
    }
    road_.report(outcome);
    if (response->reqType != rt_get)
        reloadFormData(true);
}

void TAthleteForm::athleteDeleted(int athleteId)
{
    // Its unsaved edits have nothing left to be saved to, and a declined reload must not leave it
    // listed or printed.
    if (athleteId == currentAthleteId) {
        resetDirtyData(kEditorPart);
        currentAthleteId = 0;
        EditBibs->clear(); // his bib, not one to count on from
        LoadItem();
    }
    const int row = athletes_.findRow([&](const proto::AthleteType& a) { return a.AthleteID == athleteId; });
    if (row >= 0)
        athletes_.removeRecord(row);
    LabelCount->setText(kAthleteCountText + QString::number(athletes_.rowCount()));
}

void TAthleteForm::reloadDependents()
{
    TWindowRegistry& windows = context().windows();
    for (TWindowId id : kDependents)
        windows.reloadIfVisible(id);
    if (windows.isVisible(TWindowId::ResultDialog) || windows.isVisible(TWindowId::AquireBibOrderForm))
        windows.reload(TWindowId::ResultDialog, false);
}

// ---- the editor ----

const proto::AthleteType* TAthleteForm::listedAthlete(int athleteId) const
{
    const int row = athletes_.findRow([&](const proto::AthleteType& a) { return a.AthleteID == athleteId; });
    return row < 0 ? nullptr : &athletes_.record(row);
}

void TAthleteForm::LoadItem()
{
    const proto::AthleteType* athlete = nullptr;
    if (currentAthleteId != 0) {
        currentTeamId = 0;
        currentClubId = 0;
        athlete = listedAthlete(currentAthleteId);
    }
    if (!athlete)
        athlete = &defaultAthlete();
    TAthleteEditor shown = athleteEditorOf(*athlete);
    if (athlete->AthleteID == 0) {
        LabelId->setText(QStringLiteral("ID: -"));
        // Team and club stay, so that consecutive new athletes share them, and are saved as shown;
        // the proposed bib moves on once per new athlete, not with every reload.
        shown.teamId = comboId(*ComboBoxTeam);
        shown.clubId = comboId(*ComboBoxClub);
        shown.bibs = editorShowsNew_ ? EditBibs->text() : nextBibsText(EditBibs->text());
        editorShowsNew_ = true;
    } else {
        editorShowsNew_ = false;
        LabelId->setText(QStringLiteral("ID: ") + QString::number(std::abs(qint64(athlete->AthleteID))));
    }
    showEditor(shown);
    loaded_ = shown;
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
}

void TAthleteForm::showEditor(const TAthleteEditor& shown)
{
    // A field that already reads so keeps its cursor.
    const auto show = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text)
            edit->setText(text);
    };
    show(EditGivenName, shown.givenName);
    show(EditSurName, shown.surName);
    show(EditBibs, shown.bibs);
    show(EditYear, shown.year);
    show(EditBarcode, shown.blankBarcode);
    ComboBoxGender->setCurrentIndex(genderIndex(shown.gender));
    if (!setComboItem(*ComboBoxTeam, shown.teamId))
        setComboItem(*ComboBoxTeam, 0);
    if (!setComboItem(*ComboBoxClub, shown.clubId))
        setComboItem(*ComboBoxClub, 0);
}

// The athlete as the server now has it, while the user has unsaved changes: what he left as
// loaded shows the server's values, what he changed stays his.
void TAthleteForm::takeServerChanges(const proto::AthleteType& athlete)
{
    TAthleteEditor shown = editorValues();
    followServerAthleteChanges(shown, loaded_, athleteEditorOf(athlete));
    showEditor(shown);
}

void TAthleteForm::EnableButtons()
{
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    if (EditGivenName->text().trimmed().isEmpty() && EditSurName->text().trimmed().isEmpty())
        return;
    Button2->setEnabled(true);
    Button1->setEnabled(currentAthleteId != 0 && hasOverallDirtyData());
}

void TAthleteForm::editorChanged()
{
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
}

TAthleteEditor TAthleteForm::editorValues() const
{
    TAthleteEditor e;
    e.givenName = EditGivenName->text();
    e.surName = EditSurName->text();
    e.bibs = EditBibs->text();
    e.year = EditYear->text();
    e.blankBarcode = EditBarcode->text();
    static const proto::GenderType genders[] = {proto::GenderType::NotSpecified, proto::GenderType::MALE,
                                                proto::GenderType::FEMALE};
    e.gender = genders[std::clamp(ComboBoxGender->currentIndex(), 0, 2)];
    e.teamId = currentTeamId;
    e.clubId = currentClubId;
    return e;
}

std::optional<TAthleteInfo> TAthleteForm::getAthleteRequestFromUI(bool strict)
{
    TEditorProblem problem;
    std::optional<TAthleteInfo> info = tvp::getAthleteRequestFromUI(editorValues(), strict, &problem);
    if (!info && strict)
        context().messages().AddException(-1, {}, problem.text, problem.caption, this);
    return info;
}

bool TAthleteForm::checkItemChanged(const QString& part)
{
    if (part != kEditorPart)
        return false;
    const TAthleteEditor editor = editorValues();
    // An undecodable blank barcode is a change: saving it then says why it is refused, as
    // creating does, instead of a silently disabled button.
    if (currentAthleteId != 0 && !editor.blankBarcode.isEmpty() && CustomBarcodeToBarcodeId(editor.blankBarcode) == 0)
        return true;
    const std::optional<TAthleteInfo> info = tvp::getAthleteRequestFromUI(editor, false);
    if (!info)
        return true;
    if (currentAthleteId == 0)
        return athleteChanged(*info, defaultAthlete(), false);
    const proto::AthleteType* stored = listedAthlete(currentAthleteId);
    return !stored || athleteChanged(*info, *stored, true);
}

void TAthleteForm::dirtyDataChangeCallback(bool& changed, const QString& part)
{
    Button1->setEnabled(changed && currentAthleteId != 0);
}

void TAthleteForm::writeBackNames(const TAthleteInfo& info)
{
    EditGivenName->setText(info.fname);
    EditSurName->setText(info.sname);
}

void TAthleteForm::Button2Click()
{
    const std::optional<TAthleteInfo> info = getAthleteRequestFromUI(true);
    if (!info)
        return;
    writeBackNames(*info);
    LabelId->setText(QStringLiteral("ID: -"));
    currentAthleteId = 0;
    // The next load proposes the next bib for the next new athlete.
    editorShowsNew_ = false;
    Button2->setEnabled(false);
    EditGivenName->setFocus();
    road_.AddRequest(makeAthleteSave(rt_create, 0, *info), TTransactionMode::tm_None);
}

void TAthleteForm::Button1Click()
{
    if (currentAthleteId == 0)
        return;
    const std::optional<TAthleteInfo> info = getAthleteRequestFromUI(true);
    if (!info)
        return;
    writeBackNames(*info);
    Button1->setEnabled(false);
    EditGivenName->setFocus();
    road_.AddRequest(makeAthleteSave(rt_modify, currentAthleteId, *info, tvp::getAthleteRequestFromUI(loaded_, false)),
                     athleteSaveMode(rt_modify));
}

// ---- the list ----

const proto::AthleteType* TAthleteForm::athleteAt(int sortedRow) const
{
    if (sortedRow < 0 || sortedRow >= sorted_.rowCount())
        return nullptr;
    return &athletes_.record(sorted_.mapToSource(sorted_.index(sortedRow, 0)).row());
}

int TAthleteForm::rowOf(int athleteId) const
{
    const int source = athletes_.findRow([&](const proto::AthleteType& a) { return a.AthleteID == athleteId; });
    return source < 0 ? -1 : sorted_.mapFromSource(athletes_.index(source, 0)).row();
}

std::vector<int> TAthleteForm::selectedSortedRows() const
{
    std::vector<int> rows;
    if (!ListView1->selectionModel())
        return rows;
    for (const QModelIndex& i : ListView1->selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TAthleteForm::selectRow(int sortedRow)
{
    ListView1->clearSelection();
    if (sortedRow < 0)
        return;
    const QModelIndex index = sorted_.index(sortedRow, 0);
    ListView1->selectionModel()->setCurrentIndex(index,
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ListView1->scrollTo(index);
}

void TAthleteForm::ListView1Click()
{
    const QModelIndex current = ListView1->currentIndex();
    const bool selected = current.isValid() && ListView1->selectionModel()->isRowSelected(current.row(), {});
    const proto::AthleteType* athlete = selected ? athleteAt(current.row()) : nullptr;
    if (athlete && athlete->AthleteID == currentAthleteId)
        return;
    DoItemChangeCheck(kEditorPart);
    if (checkDirtyDataMessage(nullptr, kEditorPart)) {
        // Kept: the editor's athlete stays the selected one.
        selectRow(currentAthleteId != 0 ? rowOf(currentAthleteId) : -1);
        return;
    }
    currentAthleteId = athlete ? athlete->AthleteID : 0;
    if (!suppressLoadItem)
        LoadItem();
    EnableButtons();
}

void TAthleteForm::checkCurrentAthlete()
{
    if (currentAthleteId == 0)
        return;
    const int row = rowOf(currentAthleteId);
    if (row >= 0) {
        selectRow(row);
        ListView1->setFocus();
        return;
    }
    currentAthleteId = 0;
    LoadItem();
}

std::vector<int> TAthleteForm::getSelectedIds() const
{
    std::vector<int> ids;
    for (int row : selectedSortedRows())
        ids.push_back(athleteAt(row)->AthleteID);
    return ids;
}

std::optional<proto::AthleteType> TAthleteForm::getCachedAthleteByID(int athleteId) const
{
    const proto::AthleteType* a = listedAthlete(athleteId);
    return a ? std::optional<proto::AthleteType>(*a) : std::nullopt;
}

std::optional<proto::AthleteType> TAthleteForm::getCachedAthlete(int barcode) const
{
    const int row = athletes_.findRow([&](const proto::AthleteType& a) { return a.Barcode == barcode; });
    return row < 0 ? std::nullopt : std::optional<proto::AthleteType>(athletes_.record(row));
}

void TAthleteForm::selectAthlete(int athleteId)
{
    const int row = rowOf(athleteId);
    if (row < 0) {
        context().messages().AddException(-1, {},
                                          QStringLiteral("Athlet nicht gefunden. Evtl. mit F5 Fenster neu laden"),
                                          QStringLiteral("Athlet anzeigen"), this);
        return;
    }
    selectRow(row);
    ListView1->setFocus();
    ListView1Click();
    show();
}

void TAthleteForm::createNewAthleteWithBarcode(int barcodeId)
{
    currentAthleteId = 0;
    ListView1->clearSelection();
    LoadItem();
    EditBarcode->setText(blankBarcode(barcodeId));
    editorChanged();
    show();
    EditGivenName->setFocus();
}

void TAthleteForm::checkParticipantContraints(bool showMessageIfNoWarning)
{
    road_.AddRequest(makeParticipantCheck(showMessageIfNoWarning), TTransactionMode::tm_None);
}

// ---- requests of the list ----

void TAthleteForm::Entfernen1Click()
{
    const std::vector<int> ids = getSelectedIds();
    if (ids.empty())
        return;
    const QString question = ids.size() == 1
                                 ? QStringLiteral("Soll der markierte Athlet wirklich gelöscht werden?")
                                 : QStringLiteral("Sollen die markierten Athleten wirklich gelöscht werden?");
    if (!askYesNo(this, QStringLiteral("Athleten löschen"), question))
        return;
    road_.AddRequest(makeAthleteDeleteChain(ids), TTransactionMode::tm_None);
}

void TAthleteForm::VorundNachnametauschen1Click()
{
    const std::vector<int> ids = getSelectedIds();
    if (ids.empty())
        return;
    if (!askYesNo(this, QStringLiteral("Namen tauschen"),
                  QStringLiteral("Wollen Sie die Vor- und Nachnamen aller markierten Athleten tauschen?")))
        return;
    road_.AddRequest(makeFlipNames(ids), TTransactionMode::tm_None);
}

void TAthleteForm::Suchen1Click()
{
    if (checkDirtyDataMessage(nullptr, kEditorPart))
        return;
    if (hasOverallDirtyData()) {
        ListView1->clearSelection();
        currentAthleteId = 0;
        LoadItem();
    }
    if (auto* search = context().windows().get<IListSearchForm>(TWindowId::SearchForm))
        search->openSearchDialog({ListView1->model()}, kSearchColumns);
}

void TAthleteForm::openSearch()
{
    show();
    raise();
    activateWindow();
    Suchen1Click();
}

void TAthleteForm::exportCsv(bool open)
{
    exportCsvFile(QStringLiteral("Athleten"), sorted_, open, false, true, -1);
}

void TAthleteForm::printOverview(bool teamPerPage)
{
    std::vector<proto::AthleteType> rows;
    rows.reserve(std::size_t(sorted_.rowCount()));
    for (int r = 0; r < sorted_.rowCount(); ++r)
        rows.push_back(*athleteAt(r));
    std::unique_ptr<TPrintManager> manager =
        InitPrint(true, teamPerPage ? kAthleteTeamOverviewJob : kAthleteOverviewTitle, true, this);
    if (!manager)
        return;
    TWaitText wait(kPrintWaitText, this);
    if (teamPerPage)
        printAthleteTeamOverview(*manager, rows);
    else
        printAthleteOverview(*manager, rows, filterPrintString.getPrintString());
    endPrintJob(*manager, context().messages(), teamPerPage ? kAthleteTeamOverviewJob : kAthleteOverviewTitle, this);
}

// ---- filters ----

void TAthleteForm::showAgeClassFilter(bool visible)
{
    ComboBoxAgeClassFilter->setVisible(visible);
    LabelAgeClassByTeam->setVisible(!visible);
}

void TAthleteForm::teamFilterChange()
{
    if (checkDirtyDataMessage(nullptr, kEditorPart)) {
        selectComboIntegerFilter(*ComboBoxTeamFilter, currentTeamFilterId, 0);
        return;
    }
    resetDirtyData(kEditorPart);
    currentTeamFilterId = comboId(*ComboBoxTeamFilter);
    if (currentTeamFilterId != 0) {
        currentAgeClassFilterId = 0;
        showAgeClassFilter(false);
    } else {
        showAgeClassFilter(true);
        currentAgeClassFilterId = comboId(*ComboBoxAgeClassFilter);
    }
    if (isVisible())
        reloadData();
}

void TAthleteForm::ageClassFilterChange()
{
    if (checkDirtyDataMessage(nullptr, kEditorPart)) {
        selectComboIntegerFilter(*ComboBoxAgeClassFilter, currentAgeClassFilterId, 0);
        return;
    }
    resetDirtyData(kEditorPart);
    currentAgeClassFilterId = comboId(*ComboBoxAgeClassFilter);
    if (isVisible())
        reloadData();
}

void TAthleteForm::disciplineFilterChange()
{
    currentDisciplinFilterId = comboId(*ComboBoxDisciplineFilter);
    if (isVisible())
        reloadData();
}

// ---- what other windows call ----

void TAthleteForm::showAthlete(int athleteId, int teamId)
{
    if (checkDirtyDataMessage(nullptr, kEditorPart))
        return;
    resetDirtyData(kEditorPart);
    currentAthleteId = athleteId;
    currentAgeClassFilterId = 0;
    currentDisciplinFilterId = 0;
    currentTeamFilterId = teamId;
    showAgeClassFilter(teamId == 0);
    hide();
    show();
}

void TAthleteForm::showTeamMembers(int teamId)
{
    if (teamId != 0) {
        if (checkDirtyDataMessage(nullptr, kEditorPart))
            return;
        resetDirtyData(kEditorPart);
        currentDisciplinFilterId = 0;
        if (setComboItem(*ComboBoxTeamFilter, teamId)) {
            selectComboIntegerFilter(*ComboBoxDisciplineFilter, 0, 0);
        } else {
            currentTeamFilterId = teamId;
            currentAgeClassFilterId = 0;
            showAgeClassFilter(false);
            hide();
        }
    }
    show();
}

void TAthleteForm::showDisc(int disciplineId, int ageClassId)
{
    if (disciplineId == 0 || checkDirtyDataMessage(nullptr, kEditorPart))
        return;
    resetDirtyData(kEditorPart);
    hide();
    if (!setComboItem(*ComboBoxAgeClassFilter, ageClassId))
        currentAgeClassFilterId = ageClassId;
    if (!setComboItem(*ComboBoxDisciplineFilter, disciplineId))
        currentDisciplinFilterId = disciplineId;
    show();
}

void TAthleteForm::discParticipantsUpdated(int disciplineId)
{
    if (disciplineId == currentDisciplinFilterId && isVisible())
        reloadData();
}

// ---- the team and club windows, the finder ----

void TAthleteForm::showModalChooser(TWindowId window, QComboBox* target, bool team)
{
    TTVPForm* chooser = context().windows().form(window);
    if (!chooser)
        return;
    if (chooser->hasOverallDirtyData()) {
        if (chooser->showDirtyDataMessage({}, chooser->closeMessage))
            return;
        chooser->clearAllDirtyData();
    }
    chooser->hide();
    context().dialogs().execModal(*chooser);
    int selected = 0;
    if (team) {
        if (auto* teams = context().windows().get<ITeamForm>(window))
            selected = teams->getSelected();
    } else if (auto* clubs = context().windows().get<IClubForm>(window)) {
        selected = clubs->getSelected();
    }
    if (selected == 0)
        return;
    // A team or club just created is in the box after the next load, which selects the stored id.
    if (!setComboItem(*target, selected)) {
        (team ? currentTeamId : currentClubId) = selected;
        editorChanged();
    }
}

void TAthleteForm::openFinder()
{
    const std::vector<int> rows = selectedSortedRows();
    if (rows.size() != 1)
        return;
    auto* finder = context().windows().getOrPlaceholder<IAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm);
    if (!finder)
        return;
    const proto::AthleteType& athlete = *athleteAt(rows.front());
    const int ageClass = athlete.Team && athlete.Team->AgeClass ? athlete.Team->AgeClass->AgeClassID : 0;
    finder->LoadAthlete(athlete, ageClass);
}

bool TAthleteForm::handleF11()
{
    TWindowRegistry& windows = context().windows();
    QWidget* results = windows.widget(TWindowId::ResultDialog);
    QWidget* finder = windows.widget(TWindowId::AthleteResultFinderForm);
    if (results && QApplication::activeWindow() == results) {
        if (!finder || !finder->isVisible())
            return false;
        finder->raise();
        finder->activateWindow();
        return true;
    }
    if (selectedSortedRows().size() != 1)
        return false;
    openFinder();
    return true;
}

bool TAthleteForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return TTVPForm::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    guarded([&] {
        if (watched == ListView1) {
            if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat() && key->key() != Qt::Key_Delete)
                ListView1Click();
            else if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Delete) {
                Entfernen1Click();
                handled = true;
            }
        } else if (event->type() == QEvent::KeyPress && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (watched == ComboBoxTeam || watched == ComboBoxGender) {
                (watched == ComboBoxTeam ? static_cast<QWidget*>(EditYear) : ComboBoxClub)->setFocus();
                handled = true;
            } else if (watched == ComboBoxClub) {
                if (Button1->isEnabled())
                    Button1Click();
                else if (Button2->isEnabled())
                    Button2Click();
                handled = true;
            }
        }
    });
    return handled || TTVPForm::eventFilter(watched, event);
}

} // namespace tvp
