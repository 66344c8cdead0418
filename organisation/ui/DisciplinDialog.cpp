#include "organisation/ui/DisciplinDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/results/tvpUtils.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/ScoringViews.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/ShellClock.h"
#include "participants/ParticipantForms.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
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
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextDocument>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstdlib>
#include <utility>

namespace tvp {

namespace {

using enum TDisciplinRequestType;

constexpr double kNeverActivated = 1.7e308;
// The heat size has no upper bound of its own; the editor shows what the server holds.
constexpr int kMaxHeatSize = 999999;
constexpr int kMaxAttempts = 9999;

const QString kDiscPart;
const QString kCrLf = QStringLiteral("\r\n");

QString idText(int id)
{
    return QString::number(std::abs(id));
}

// Only "Nach Teams gruppieren" and "Alle Riegen in einen Lauf" suit team disciplines.
bool isComboItemForTeam(int index)
{
    return index == 1 || index == 3;
}

struct TRefusal {
    std::vector<int> ids;
    bool TDisciplinForce::*flag;
    const char* text;
};

const std::vector<TRefusal>& deleteRefusals()
{
    static const std::vector<TRefusal> r = {
        {{36},
         &TDisciplinForce::forceDelete,
         "Der Disziplin sind Ergebnisse und Laufeinteilungen zugewiesen. Diese werden ebenfalls gelöscht."},
        {{35},
         &TDisciplinForce::forceDelete,
         "Die Disziplin enthält Laufeinteilungen. Diese werden ebenfalls gelöscht."},
        {{168},
         &TDisciplinForce::forceDeleteScheduleItem,
         "Die Disziplin enthält bereits Zuordnungen zu Zeitplaneinträgen. Diese werden ebenfalls gelöscht."},
    };
    return r;
}

const std::vector<TRefusal>& modifyRefusals()
{
    static const std::vector<TRefusal> r = {
        {{12, 51, 52, 54, 56},
         &TDisciplinForce::forceReassignResults,
         "Leistungszuordnung ändern: Die Disziplin enthält bereits Ergebnisse, die mit der neuen Leistungszuordnung "
         "nicht zugeordnet werden können. Diese werden gelöscht."},
        {{37},
         &TDisciplinForce::forceModify,
         "Anzahl der Versuche/Läufe reduzieren: Die Disziplin enthält Ergebnisse von höheren Versuchen/Läufen. Diese "
         "werden gelöscht."},
        {{38},
         &TDisciplinForce::forceModify,
         "Der Disziplin sind Ergebnisse und Laufeinteilungen zugewiesen. Diese werden ebenfalls gelöscht."},
        {{39},
         &TDisciplinForce::forceModify,
         "Die Disziplin enthält Laufeinteilungen. Diese werden ebenfalls gelöscht."},
        {{45, 46},
         &TDisciplinForce::forceRemoveAssignedResults,
         "Die Altersklassenänderung entfernt Riegen, denen schon Ergebnisse zugeordnet sind. Diese Ergebnisse werden "
         "gelöscht."},
        {{70},
         &TDisciplinForce::forceAgeClass,
         "Der Disziplin sind schon Riegen anderer Altersklassen zugeordnet, die Zuordnung wird entfernt."},
        {{182},
         &TDisciplinForce::forceChangeResultType,
         "Der Ergebnistyp soll geändert werden, aber die Disziplin enthält bereits Ergebnisse."},
    };
    return r;
}

const TRefusal* refusalFor(const std::vector<TRefusal>& table, int errorId)
{
    for (const TRefusal& r : table)
        if (std::find(r.ids.begin(), r.ids.end(), errorId) != r.ids.end())
            return &r;
    return nullptr;
}

} // namespace

// ---- creation --------------------------------------------------------------------------------------

TDisciplinForm::TDisciplinForm(TWindowContext& context, int index)
    : TTVPForm(context),
      FLastAccess(kNeverActivated),
      index_(index),
      discs_({{QStringLiteral("Disziplinname"), [](const TDiscListEntry& e) { return e.info.name; }},
              {QStringLiteral("Team Wettbewerb"),
               [](const TDiscListEntry& e) { return e.info.isTeam ? QStringLiteral("Ja") : QStringLiteral("Nein"); }},
              {QStringLiteral("Leistungszuordnung"),
               [](const TDiscListEntry& e) { return assignmentTypeToString(e.info.assignmentType); }},
              {QStringLiteral("Versuche"), [](const TDiscListEntry& e) { return QString::number(e.info.attempts); }},
              {QStringLiteral("ID"), [](const TDiscListEntry& e) { return idText(e.info.id); }}}),
      sorted_(QStringLiteral("DisciplinListForm%1.ListView1.").arg(index))
{
    setObjectName(QStringLiteral("DisciplinListForm%1").arg(index));
    setWindowTitle(QStringLiteral("Disziplinen verwalten"));
    defaultDiscInfo.attempts = 1;
    FLoadedInfos = {QString(), TBool::bNotSet, TBool::bNotSet};
    road_ = std::make_unique<Road>(context, disciplinRequests(), this,
                                   [this](std::unique_ptr<TDisciplinResponse> r, const TRequestOutcome& o) {
                                       guarded([&] { CommunicationThread1Finished(std::move(r), o); });
                                   });
    buildControls();
    sorted_.setSourceModel(&discs_);
    sorted_.initListView();

    SelectItemTimer.setObjectName(QStringLiteral("SelectItemTimer"));
    SelectItemTimer.setSingleShot(true);
    connect(&SelectItemTimer, &QTimer::timeout, this, [this] { guarded([this] { SelectItemTimerTimer(); }); });

    if (auto* trees = context.windows().find<IAggregatorTrees>()) {
        FAggSourceList =
            trees->createAggregatorSourceList(context, this, [this](int id) { return getDiscInfoById(id); });
        SourcesListView->setModel(FAggSourceList->model());
        SourcesListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }

    // The second window opens beside the first.
    if (index == 1)
        if (QWidget* first = context.windows().widget(TWindowId::DisciplinListForm0))
            move(first->pos() + QPoint(30, 30));
    LoadItem(false);
}

TDisciplinForm::~TDisciplinForm()
{
    // Gone first: nothing calls back into a half-destroyed window.
    road_.reset();
    if (FAggSourceList)
        FAggSourceList->DetachToAggTree();
    FAggSourceList.reset();
    resAggTree.reset();
    tempAggTree.reset();
}

void TDisciplinForm::buildControls()
{
    resize(1180, 860);
    auto* outer = new QVBoxLayout(this);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    ZweitesDisziplinfenster1 = MainMenu1->addAction(QStringLiteral("Zweites Disziplinfenster"));
    ZweitesDisziplinfenster1->setObjectName(QStringLiteral("ZweitesDisziplinfenster1"));
    Veranstaltungsparameter1 = MainMenu1->addAction(QStringLiteral("Veranstaltungsparameter"));
    Veranstaltungsparameter1->setObjectName(QStringLiteral("Veranstaltungsparameter1"));
    outer->setMenuBar(MainMenu1);
    connect(ZweitesDisziplinfenster1, &QAction::triggered, this,
            [this] { guarded([this] { tvp::ShowDisciplinForm(context().windows(), this, 0, 0); }); });
    connect(Veranstaltungsparameter1, &QAction::triggered, this, [this] {
        guarded([this] {
            if (auto* parameters = context().windows().find<IGlobalParameterForm>())
                parameters->showGlobalParameterForm(0);
        });
    });

    // ---- upper half: the list and the editor ----
    auto* upper = new QHBoxLayout;
    outer->addLayout(upper, 2);

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->setModel(&sorted_);
    ListView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListView1->header()->setStretchLastSection(true);
    ListView1->header()->setSectionsClickable(true);
    ListView1->viewport()->installEventFilter(this);
    upper->addWidget(ListView1, 1);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { guarded([&] { sorted_.SortListView(column, true); }); });
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (loading_)
            return;
        // A right click only opens the menu: it loads nothing.
        if (rightButtonDown_)
            SelectItemTimer.stop();
        else if (ListView1->selectionModel()->hasSelection())
            SelectItemTimer.start(selectDelayMs);
    });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Entfernen1 = PopupMenu1->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));
    OtherWindow1 = PopupMenu1->addAction(QStringLiteral("Im anderen Fenster öffnen"));
    OtherWindow1->setObjectName(QStringLiteral("Imanderen Fensteroeffnen1"));
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        guarded([&] {
            PopupMenu1Popup();
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
        });
    });
    connect(PopupMenu1, &QMenu::aboutToHide, this, [this] { guarded([this] { PopupMenu1Closed(); }); });
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
    connect(OtherWindow1, &QAction::triggered, this, [this] { guarded([this] { OtherWindow1Click(); }); });

    DiscGroupBox = new QGroupBox(QStringLiteral("Disziplin Eigenschaften"), this);
    DiscGroupBox->setObjectName(QStringLiteral("DiscGroupBox"));
    upper->addWidget(DiscGroupBox, 1);
    auto* discLayout = new QVBoxLayout(DiscGroupBox);
    auto* form = new QFormLayout;
    discLayout->addLayout(form);

    NameEdit = new QLineEdit(DiscGroupBox);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    form->addRow(QStringLiteral("Name:"), NameEdit);

    AttemptsLabel = new QLabel(QStringLiteral("Versuche:"), DiscGroupBox);
    AttemptsLabel->setObjectName(QStringLiteral("AttemptsLabel"));
    AttemptsUpDown = new QSpinBox(DiscGroupBox);
    AttemptsUpDown->setObjectName(QStringLiteral("AttemptsUpDown"));
    AttemptsUpDown->setRange(1, kMaxAttempts);
    form->addRow(AttemptsLabel, AttemptsUpDown);

    TeamCheckBox = new QCheckBox(QStringLiteral("Teamdisziplin"), DiscGroupBox);
    TeamCheckBox->setObjectName(QStringLiteral("TeamCheckBox"));
    form->addRow(QString(), TeamCheckBox);

    AssignmentComboBox = new QComboBox(DiscGroupBox);
    AssignmentComboBox->setObjectName(QStringLiteral("AssignmentComboBox"));
    AssignmentComboBox->addItems(
        {QStringLiteral("Athlet/Team"), QStringLiteral("Startnummer"), QStringLiteral("Bahn")});
    form->addRow(QStringLiteral("Leistungszuordnung über:"), AssignmentComboBox);

    ResultTypeComboBox = new QComboBox(DiscGroupBox);
    ResultTypeComboBox->setObjectName(QStringLiteral("ResultTypeComboBox"));
    ResultTypeComboBox->addItems(resultKindItems());
    HeightsButton = new QPushButton(QStringLiteral("Sprunghöhen"), DiscGroupBox);
    HeightsButton->setObjectName(QStringLiteral("HeightsButton"));
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(ResultTypeComboBox, 1);
    kindRow->addWidget(HeightsButton);
    form->addRow(QStringLiteral("Ergebnistyp:"), kindRow);

    AgeClassComboBox = new QComboBox(DiscGroupBox);
    AgeClassComboBox->setObjectName(QStringLiteral("AgeClassComboBox"));
    AgeClassButton = new QPushButton(QStringLiteral("..."), DiscGroupBox);
    AgeClassButton->setObjectName(QStringLiteral("AgeClassButton"));
    AgeClassButton->setFixedWidth(32);
    auto* ageRow = new QHBoxLayout;
    ageRow->addWidget(AgeClassComboBox, 1);
    ageRow->addWidget(AgeClassButton);
    form->addRow(QStringLiteral("Altersklasse:"), ageRow);

    PresetGroupBox = new QGroupBox(QStringLiteral("Vorgaben für Auto-Wettkampflisteneinteilung"), DiscGroupBox);
    PresetGroupBox->setObjectName(QStringLiteral("PresetGroupBox"));
    auto* presetForm = new QFormLayout(PresetGroupBox);
    PresetComboBox = new QComboBox(PresetGroupBox);
    PresetComboBox->setObjectName(QStringLiteral("PresetComboBox"));
    PresetComboBox->addItems({QStringLiteral("Teammitglieder gleichmäßig verteilen"),
                              QStringLiteral("Nach Teams gruppieren"), QStringLiteral("Beliebige Einteilung"),
                              QStringLiteral("Alle Riegen in einen Lauf")});
    presetForm->addRow(QStringLiteral("Voreinstellung:"), PresetComboBox);
    MaxPerHeatUpDown = new QSpinBox(PresetGroupBox);
    MaxPerHeatUpDown->setObjectName(QStringLiteral("MaxPerHeatUpDown"));
    MaxPerHeatUpDown->setRange(0, kMaxHeatSize);
    MaxPerHeatUpDown->setSpecialValueText(QStringLiteral("unbegrenzt"));
    presetForm->addRow(QStringLiteral("Max. Teiln. pro Lauf/Gruppe:"), MaxPerHeatUpDown);
    discLayout->addWidget(PresetGroupBox);

    IdLabel = new QLabel(QStringLiteral("ID: -"), DiscGroupBox);
    IdLabel->setObjectName(QStringLiteral("IdLabel"));
    discLayout->addWidget(IdLabel);

    auto* buttons = new QHBoxLayout;
    NewButton = new QPushButton(QStringLiteral("Neu Anlegen"), DiscGroupBox);
    NewButton->setObjectName(QStringLiteral("NewButton"));
    SaveButton = new QPushButton(QStringLiteral("Speichern"), DiscGroupBox);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    buttons->addWidget(NewButton);
    buttons->addWidget(SaveButton);
    discLayout->addLayout(buttons);
    auto* templateButtons = new QHBoxLayout;
    ImportTemplateButton = new QPushButton(QStringLiteral("Vorlage Importieren"), DiscGroupBox);
    ImportTemplateButton->setObjectName(QStringLiteral("ImportTemplateButton"));
    SaveTemplateButton = new QPushButton(QStringLiteral("Als Vorlage speichern"), DiscGroupBox);
    SaveTemplateButton->setObjectName(QStringLiteral("SaveTemplateButton"));
    templateButtons->addWidget(ImportTemplateButton);
    templateButtons->addWidget(SaveTemplateButton);
    discLayout->addLayout(templateButtons);
    discLayout->addStretch(1);

    // User edits re-evaluate the discipline part; the same changes made while loading do not.
    connect(NameEdit, &QLineEdit::textChanged, this, [this] { guarded([this] { userEdit(); }); });
    connect(AttemptsUpDown, &QSpinBox::valueChanged, this, [this] { guarded([this] { userEdit(); }); });
    connect(MaxPerHeatUpDown, &QSpinBox::valueChanged, this, [this] { guarded([this] { userEdit(); }); });
    connect(TeamCheckBox, &QCheckBox::clicked, this, [this] {
        guarded([this] {
            TeamCheckBoxClick();
            userEdit();
        });
    });
    connect(AssignmentComboBox, &QComboBox::activated, this, [this] { guarded([this] { userEdit(); }); });
    connect(ResultTypeComboBox, &QComboBox::activated, this, [this] {
        guarded([this] {
            ResultTypeChanged();
            userEdit();
        });
    });
    connect(AgeClassComboBox, &QComboBox::activated, this, [this] {
        guarded([this] {
            currentAgeClassId = AgeClassComboBox->currentData().toInt();
            userEdit();
        });
    });
    connect(PresetComboBox, &QComboBox::activated, this, [this] {
        guarded([this] {
            PresetChanged();
            userEdit();
        });
    });
    connect(AgeClassButton, &QPushButton::clicked, this, [this] { guarded([this] { AgeClassButtonClick(); }); });
    connect(HeightsButton, &QPushButton::clicked, this, [this] { guarded([this] { HeightsButtonClick(); }); });
    connect(NewButton, &QPushButton::clicked, this, [this] { guarded([this] { NewButtonClick(); }); });
    connect(SaveButton, &QPushButton::clicked, this, [this] { guarded([this] { SaveButtonClick(); }); });
    connect(SaveTemplateButton, &QPushButton::clicked, this,
            [this] { guarded([this] { SaveTemplateButtonClick(); }); });
    connect(ImportTemplateButton, &QPushButton::clicked, this,
            [this] { guarded([this] { ImportTemplateButtonClick(); }); });

    // ---- lower half: the result-evaluation editor ----
    ResEvalGroupBox = new QGroupBox(QStringLiteral("Ergebnisauswertung"), this);
    ResEvalGroupBox->setObjectName(QStringLiteral("ResEvalGroupBox"));
    outer->addWidget(ResEvalGroupBox, 3);
    buildResultEvaluation(ResEvalGroupBox);
}

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
    ParameterGrid->horizontalHeader()->setStretchLastSection(true);
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

// ---- base window ----------------------------------------------------------------------------------

void TDisciplinForm::FormShow()
{
    reloadData();
}

void TDisciplinForm::changeEvent(QEvent* event)
{
    TTVPForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FLastAccess = double(shellClockMs());
}

bool TDisciplinForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            rightButtonDown_ = static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        if (rightButtonDown_ && event->type() == QEvent::MouseButtonPress)
            SelectItemTimer.stop();
        if (event->type() == QEvent::MouseButtonRelease)
            rightButtonDown_ = false;
        return false;
    }
    if (watched == SourcesListView->viewport()) {
        const bool ours = SourcesListView->isEnabled() && aggDragObject().Id != 0;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (ours && drag->mimeData()->hasFormat(QString::fromLatin1(kAggregatorMimeType)))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            bool taken = false;
            if (drop->mimeData()->hasFormat(QString::fromLatin1(kAggregatorMimeType)))
                guarded([&] { taken = SourcesDrop(aggDragObject()); });
            taken ? drop->acceptProposedAction() : drop->ignore();
            return true;
        }
        default: return false;
        }
    }
    if (watched == SourcesListView && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        guarded([this] { RemoveSourceClick(); });
        return true;
    }
    return TTVPForm::eventFilter(watched, event);
}

void TDisciplinForm::reloadData()
{
    reload(false);
}

bool TDisciplinForm::checkItemChanged(const QString& part)
{
    return part == kAggPart ? checkAggItemChanged() : checkDiscItemChanged();
}

void TDisciplinForm::dirtyDataChangeCallback(bool& changed, const QString& part)
{
    if (part == kAggPart)
        SaveAggregatorButton->setEnabled(changed && currentAggregatorId != 0);
}

std::size_t TDisciplinForm::pendingRequests() const
{
    return road_ ? road_->pending() : 0;
}

// ---- requests -------------------------------------------------------------------------------------

std::unique_ptr<TDisciplinRequest> TDisciplinForm::newRequest(TDisciplinRequestType type) const
{
    auto r = std::make_unique<TDisciplinRequest>();
    r->reqType = type;
    return r;
}

void TDisciplinForm::queue(std::unique_ptr<TDisciplinRequest> request)
{
    const TTransactionMode mode = disciplinRequestMode(request->reqType);
    road_->AddRequest(std::move(request), mode);
}

void TDisciplinForm::reload(bool exportTemplate)
{
    ListView1->setEnabled(false);
    HeightsButton->setEnabled(false);
    EnableButtons();
    context().windows().reload(TWindowId::GlobalParameterForm, true);
    AgeClassComboBox->setEnabled(false);
    ResEvalGroupBox->hide();
    ResEvalGroupBox->setEnabled(false);
    queue(newRequest(exportTemplate ? rt_templateExport : rt_get));
}

void TDisciplinForm::ReloadAggregatorTree(int selectAggregatorId, bool exportTemplate)
{
    ResEvalGroupBox->hide();
    auto r = newRequest(exportTemplate ? rt_getAggTreeExportTemplate : rt_getAggTree);
    r->discId = currentDiscId;
    r->selectAggregatorId = selectAggregatorId;
    queue(std::move(r));
}

void TDisciplinForm::LoadTemplates()
{
    TemplateComboBox->setEnabled(false);
    TemplateComboBox->setPlaceholderText(QStringLiteral("Lade..."));
    TemplateComboBox->setCurrentIndex(-1);
    queue(newRequest(rt_getTemplates));
}

void TDisciplinForm::LoadAggregatorLabels(TAggregatorTree* tree, bool exportTemplate)
{
    if (!tree)
        return;
    auto r = newRequest(exportTemplate ? rt_getLabelsExportTemplate : rt_getLabels);
    r->labelKeys = aggregatorLabelKeys(*tree);
    queue(std::move(r));
}

void TDisciplinForm::modifyDisciplin(std::unique_ptr<TDisciplinRequest> request, const TDisciplinForce& force)
{
    request->reqType = rt_modify;
    request->force = force;
    queue(std::move(request));
}

void TDisciplinForm::deleteDisciplin(int discId, const TDisciplinForce& force)
{
    auto r = newRequest(rt_remove);
    r->discId = discId;
    r->force = force;
    queue(std::move(r));
}

// ---- the list and the editor ---------------------------------------------------------------------

const TDiscListEntry* TDisciplinForm::entryById(int id) const
{
    const int row = discs_.findRow([id](const TDiscListEntry& e) { return e.info.id == id; });
    return row < 0 ? nullptr : &discs_.record(row);
}

const TDisciplineInfo* TDisciplinForm::getDiscInfoById(int id) const
{
    const TDiscListEntry* e = entryById(id);
    return e ? &e->info : nullptr;
}

int TDisciplinForm::selectedDiscId() const
{
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return 0;
    const QModelIndex source = sorted_.mapToSource(rows.front());
    return source.isValid() ? discs_.record(source.row()).info.id : 0;
}

void TDisciplinForm::selectDiscRow(int discId)
{
    const int row = discs_.findRow([discId](const TDiscListEntry& e) { return e.info.id == discId; });
    if (row < 0 || discId == 0)
        return;
    const QModelIndex index = sorted_.mapFromSource(discs_.index(row, 0));
    ListView1->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void TDisciplinForm::restoreListView1Selection()
{
    const bool wasLoading = std::exchange(loading_, true);
    ListView1->selectionModel()->clear();
    selectDiscRow(currentDiscId);
    loading_ = wasLoading;
}

TDisciplineInfo TDisciplinForm::editorInfo() const
{
    TDisciplineInfo info;
    info.id = currentDiscId;
    info.name = NameEdit->text().trimmed();
    info.attempts = AttemptsUpDown->value();
    info.isTeam = TeamCheckBox->isChecked();
    info.assignmentType = proto::ResultAssignmentType(std::max(0, AssignmentComboBox->currentIndex()));
    info.resultType = resultTypeOfIndex(ResultTypeComboBox->currentIndex());
    info.resultFormat = getResultFormatfromComboboxSelection(ResultTypeComboBox->currentIndex());
    info.ageClassId = currentAgeClassId;
    info.squadAssignment = proto::SquadAssignmentType(std::max(0, PresetComboBox->currentIndex()));
    info.maxParticipantsPerHeat = MaxPerHeatUpDown->value();
    if (const TDisciplineInfo* stored = getDiscInfoById(currentDiscId)) {
        info.Barcode = stored->Barcode;
        info.competitionId = stored->competitionId;
        info.heightList = stored->heightList;
    }
    return info;
}

std::unique_ptr<TDisciplinRequest> TDisciplinForm::getDisciplinRequestFromUI() const
{
    auto r = std::make_unique<TDisciplinRequest>();
    r->disciplinInfo = editorInfo();
    const TDiscListEntry* stored = entryById(currentDiscId);
    const TDisciplineInfo& storedInfo = stored ? stored->info : defaultDiscInfo;
    r->resultTypeChanged = resultKindIndex(r->disciplinInfo.resultType, r->disciplinInfo.resultFormat) !=
                           resultKindIndex(storedInfo.resultType, storedInfo.resultFormat);
    // A kind the list did not load is written back only when the user chose a new one.
    r->writeResultType = !stored || stored->resultTypeLoaded || r->resultTypeChanged;
    r->writeResultFormat = !stored || stored->resultFormatLoaded || r->resultTypeChanged;
    return r;
}

bool TDisciplinForm::checkDiscItemChanged()
{
    const TDiscListEntry* stored = entryById(currentDiscId);
    return discSettingsDiffer(editorInfo(), stored ? stored->info : defaultDiscInfo);
}

void TDisciplinForm::userEdit()
{
    if (loading_)
        return;
    DoItemChangeCheck(kDiscPart);
    EnableButtons();
}

void TDisciplinForm::LoadItem(bool exportTemplate)
{
    const bool wasLoading = std::exchange(loading_, true);
    ResEvalGroupBox->hide();
    currentAgeClassId = 0;
    TDisciplineInfo info = defaultDiscInfo;
    if (currentDiscId != 0) {
        ReloadAggregatorTree(0, exportTemplate);
        if (const TDisciplineInfo* stored = getDiscInfoById(currentDiscId))
            info = *stored;
    }
    NameEdit->setText(info.name);
    AttemptsUpDown->setValue(std::max(1, info.attempts));
    TeamCheckBox->setChecked(info.isTeam);
    AssignmentComboBox->setCurrentIndex(int(info.assignmentType));
    ResultTypeComboBox->setCurrentIndex(resultKindIndex(info.resultType, info.resultFormat));
    ResultTypeChanged();
    currentAgeClassId = info.ageClassId;
    selectComboIntegerFilter(*AgeClassComboBox, currentAgeClassId, 0);
    currentAgeClassId = AgeClassComboBox->currentIndex() < 0 ? 0 : AgeClassComboBox->currentData().toInt();
    PresetComboBox->setCurrentIndex(int(info.squadAssignment));
    previousSquadAssignment = PresetComboBox->currentIndex();
    // Shown as the server holds it: a larger heat than any bound the editor might impose stays.
    MaxPerHeatUpDown->setValue(info.maxParticipantsPerHeat);
    if (info.id == 0) {
        IdLabel->setText(QStringLiteral("ID: -"));
        ListView1->selectionModel()->clear();
    } else {
        IdLabel->setText(QStringLiteral("ID: ") + idText(info.id));
    }
    loading_ = wasLoading;
    DoItemChangeCheck(kDiscPart);
    EnableButtons();
}

void TDisciplinForm::ResultTypeChanged()
{
    const int index = ResultTypeComboBox->currentIndex();
    AttemptsLabel->setText(index == 1 ? QStringLiteral("Läufe:") : QStringLiteral("Versuche:"));
    HeightsButton->setEnabled(false);
    switch (getResultFormatfromComboboxSelection(index)) {
    case TResultformat::rf_Height:
        HeightsButton->setText(QStringLiteral("Sprunghöhen"));
        HeightsButton->setEnabled(true);
        break;
    case TResultformat::rf_TargetPoints:
    case TResultformat::rf_TargetPointCollection:
        HeightsButton->setText(QStringLiteral("Zielweiten"));
        HeightsButton->setEnabled(true);
        break;
    default: break;
    }
}

void TDisciplinForm::TeamCheckBoxClick()
{
    if (TeamCheckBox->isChecked()) {
        if (!isComboItemForTeam(PresetComboBox->currentIndex())) {
            previousSquadAssignment = PresetComboBox->currentIndex();
            PresetComboBox->setCurrentIndex(1);
        }
    } else {
        PresetComboBox->setCurrentIndex(previousSquadAssignment);
    }
}

void TDisciplinForm::PresetChanged()
{
    if (TeamCheckBox->isChecked() && !isComboItemForTeam(PresetComboBox->currentIndex())) {
        PresetComboBox->setCurrentIndex(1);
        context().messages().AddException(0, {}, QStringLiteral("Diese Auswahl ist für Teamdisziplinen nicht möglich"),
                                          QStringLiteral("Wettkampflisteneinteilung ändern"), this);
    }
    previousSquadAssignment = PresetComboBox->currentIndex();
    PresetComboBox->setToolTip(PresetComboBox->currentText());
}

void TDisciplinForm::setAgeClasses(const std::vector<proto::AgeClassType>& ageClasses)
{
    AgeClassComboBox->clear();
    AgeClassComboBox->addItem(QStringLiteral("Keine Zuordnung"), 0);
    for (const proto::AgeClassType& a : ageClasses)
        AgeClassComboBox->addItem(a.Name, a.AgeClassID);
    selectComboIntegerFilter(*AgeClassComboBox, currentAgeClassId, 0);
    AgeClassComboBox->setEnabled(true);
    if (AgeClassComboBox->currentIndex() == 0)
        currentAgeClassId = 0;
}

void TDisciplinForm::EnableButtons()
{
    SaveButton->setEnabled(false);
    NewButton->setEnabled(false);
    SaveTemplateButton->setEnabled(false);
    if (!NameEdit->text().trimmed().isEmpty()) {
        NewButton->setEnabled(true);
        if (currentDiscId != 0) {
            SaveButton->setEnabled(true);
            SaveTemplateButton->setEnabled(true);
        }
    }
    const TUiAggregator* selected = resAggTree ? resAggTree->getSelected() : nullptr;
    AppendButton->setEnabled(selected && getSelectedTemplate());
    SaveAggregatorButton->setEnabled(currentAggregatorId != 0 && hasDirtyData(kAggPart));
    SaveResultsTemplateButton->setEnabled(selected && (selected->getType() == TAggregatorType::ag_ExtRef ||
                                                       selected->getType() == TAggregatorType::ag_CupRef));
}

void TDisciplinForm::SelectItemTimerTimer()
{
    SelectItemTimer.stop();
    DoItemChangeCheck(kDiscPart);
    if (checkDirtyDataMessage({}, kDiscPart)) {
        restoreListView1Selection();
        return;
    }
    currentDiscId = selectedDiscId();
    LoadItem(false);
}

void TDisciplinForm::ShowAndLoad(int discId, int aggId)
{
    if (checkDirtyDataMessage({}, kDiscPart))
        return;
    if (!hasDirtyData(kDiscPart) && checkDirtyDataMessage({}, kAggPart))
        return;
    if (discId != 0)
        currentDiscId = discId;
    if (aggId != 0)
        currentAggregatorId = aggId;
    hide();
    show();
}

void TDisciplinForm::unload()
{
    currentDiscId = 0;
    currentAgeClassId = 0;
    currentAggregatorId = 0;
    currentAggDiscId = 0;
    LoadItem(false);
    reloadData();
}

void TDisciplinForm::updateItem(int discId, int aggId)
{
    if (discId == 0)
        reloadData();
    else if (discId == currentDiscId)
        ReloadAggregatorTree(0, false);
}

// ---- the user's discipline actions ---------------------------------------------------------------

void TDisciplinForm::NewButtonClick()
{
    NewButton->setEnabled(false);
    const QString name = NameEdit->text().trimmed();
    if (name.isEmpty())
        return;
    auto r = getDisciplinRequestFromUI();
    r->disciplinInfo.id = 0;
    r->writeResultType = true;
    r->writeResultFormat = true;
    NameEdit->setText(name);
    r->reqType = rt_create;
    TDiscListEntry provisional;
    provisional.info.name = QStringLiteral("*") + name + QStringLiteral("*");
    discs_.append(provisional);
    currentDiscId = 0;
    queue(std::move(r));
    LoadItem(false);
    NameEdit->setFocus();
}

void TDisciplinForm::SaveButtonClick()
{
    const QString name = NameEdit->text().trimmed();
    if (name.isEmpty() || currentDiscId == 0)
        return;
    SaveButton->setEnabled(false);
    auto r = getDisciplinRequestFromUI();
    NameEdit->setText(name);
    r->discId = currentDiscId;
    modifyDisciplin(std::move(r), {});
}

void TDisciplinForm::PopupMenu1Popup()
{
    SelectItemTimer.stop();
    Entfernen1->setEnabled(ListView1->selectionModel()->hasSelection());
    setPopupOpen(1);
    PopUpSelection = selectedDiscId();
}

void TDisciplinForm::PopupMenu1Closed()
{
    if (!isPopupOpen(1))
        return;
    PopUpSelection = selectedDiscId();
    restoreListView1Selection();
    resetPopupOpen();
}

void TDisciplinForm::Entfernen1Click()
{
    const TDisciplineInfo* info = PopUpSelection ? getDiscInfoById(*PopUpSelection) : nullptr;
    if (!info || info->id == 0)
        return;
    const int id = info->id;
    if (askYesNo(this, QStringLiteral("Disziplin löschen"),
                 QStringLiteral("Soll die Disziplin \"%1\" wirklich gelöscht werden?").arg(info->name)))
        deleteDisciplin(id, {});
}

void TDisciplinForm::OtherWindow1Click()
{
    if (PopUpSelection && getDiscInfoById(*PopUpSelection))
        tvp::ShowDisciplinForm(context().windows(), this, *PopUpSelection, 0);
}

void TDisciplinForm::AgeClassButtonClick()
{
    TTVPForm* ageClasses = context().windows().form(TWindowId::AgeClassForm);
    if (!ageClasses)
        return;
    if (ageClasses->hasOverallDirtyData() && ageClasses->showDirtyDataMessage({}, ageClasses->closeMessage))
        return;
    ageClasses->hide();
    context().dialogs().execModal(*ageClasses);
    if (auto* chosen = context().windows().get<IAgeClassForm>(TWindowId::AgeClassForm)) {
        selectComboIntegerFilter(*AgeClassComboBox, chosen->getSelected(), 0);
        currentAgeClassId = AgeClassComboBox->currentData().toInt();
        userEdit();
    }
}

void TDisciplinForm::HeightsButtonClick()
{
    if (currentDiscId == 0)
        return;
    if (auto* heights = context().windows().findOrPlaceholder<IHeightListForm>(TWindowId::PrintHighJumpForm))
        heights->showHeightList(currentDiscId,
                                getResultFormatfromComboboxSelection(ResultTypeComboBox->currentIndex()));
}

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

// ---- completion ----------------------------------------------------------------------------------

void TDisciplinForm::CommunicationThread1Finished(std::unique_ptr<TDisciplinResponse> response,
                                                  const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        EnableButtons();
        if (!response) {
            context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                              QStringLiteral("Kommunikationsfehler"), this);
            return;
        }
        if (handleRefusal(*response, outcome))
            return;
        road_->report(outcome);
        const auto code = TDisciplinRequestType(outcome.command);
        if (code != rt_get && code != rt_getAggTree && code != rt_getTemplates && code != rt_getLabels)
            reloadFormData(true);
        return;
    }
    if (!response)
        return;
    switch (response->reqType) {
    case rt_get:
    case rt_templateExport: completeList(*response); break;
    case rt_getAggTree:
    case rt_getAggTreeExportTemplate: completeTree(*response); break;
    case rt_getTemplates: completeTemplates(*response); break;
    case rt_assignAggregator:
        resetDirtyData(kAggPart);
        ReloadAggregatorTree(response->aggId, false);
        InformOtherInstances(response->discId, 0);
        closeResultCheck();
        break;
    case rt_getLabels:
        setLabelsToAggTree(resAggTree.get(), response->labelValues);
        if (FAggSourceList)
            FAggSourceList->UpdateInfos();
        break;
    case rt_getLabelsExportTemplate:
        if (tempAggTree) {
            tempAggTree->setLabelsToAggTree(response->labelValues, 0);
            if (auto* templates = context().windows().find<ITemplateForms>())
                guarded([&] { templates->saveDiscTemplate(*tempAggTree); });
        }
        reloadData();
        break;
    case rt_modifyResAgg:
        resetDirtyData(kAggPart);
        ReloadAggregatorTree(0, false);
        InformOtherInstances(response->discId, response->aggId);
        if (auto* messages = context().windows().get<TExceptionForm>(TWindowId::ExceptionForm);
            messages && response->modifyResAggWarning.Warnings)
            messages->handleMixedAgeClassWarnings(response->modifyResAggWarning.Warnings->MixedAgeClassesWarning.get(),
                                                  this);
        reloadAnalysis();
        closeResultCheck();
        break;
    case rt_removeResAgg:
        ReloadAggregatorTree(0, false);
        InformOtherInstances(0, 0);
        reloadAnalysis();
        closeResultCheck();
        break;
    case rt_create:
        resetDirtyData(kDiscPart);
        reloadFormData(false);
        InformOtherInstances(0, 0);
        break;
    case rt_modify:
        resetDirtyData(kDiscPart);
        if (auto* messages = context().windows().get<TExceptionForm>(TWindowId::ExceptionForm);
            messages && response->modifyWarning.Warnings)
            messages->handleMixedAgeClassWarnings(response->modifyWarning.Warnings->MixedAgeClassesWarning.get(), this);
        [[fallthrough]];
    case rt_remove:
        reloadFormData(false);
        InformOtherInstances(0, 0);
        reloadDependentWindows();
        break;
    case rt_delete: break;
    }
}

bool TDisciplinForm::handleRefusal(const TDisciplinResponse& response, const TRequestOutcome& outcome)
{
    const auto code = TDisciplinRequestType(outcome.command);
    if (code == rt_remove) {
        if (const TRefusal* r = refusalFor(deleteRefusals(), outcome.errorId)) {
            TDisciplinForce force = response.forced;
            force.*(r->flag) = true;
            promptDeleteDisciplinForced(response.discId, force, QString::fromUtf8(r->text));
            return true;
        }
    } else if (code == rt_modify) {
        if (const TRefusal* r = refusalFor(modifyRefusals(), outcome.errorId)) {
            TDisciplinForce force = response.forced;
            force.*(r->flag) = true;
            promptModifyDisciplinForced(response, QString::fromUtf8(r->text), force);
            return true;
        }
    }
    return false;
}

void TDisciplinForm::promptDeleteDisciplinForced(int discId, TDisciplinForce force, const QString& text)
{
    const TDisciplineInfo* info = getDiscInfoById(discId);
    if (!info) {
        context().messages().AddException(0, {}, QStringLiteral("Zu löschende Disziplin konnte nicht gefunden werden."),
                                          QStringLiteral("Disziplin löschen"), this);
        return;
    }
    if (askYesNo(this, QStringLiteral("Disziplin löschen?"),
                 text + kCrLf + QStringLiteral("Soll \"%1\" wirklich gelöscht werden?").arg(info->name)))
        deleteDisciplin(discId, force);
}

void TDisciplinForm::promptModifyDisciplinForced(const TDisciplinResponse& response, const QString& text,
                                                 TDisciplinForce force)
{
    const TDisciplineInfo* info = getDiscInfoById(response.discId);
    if (!info) {
        context().messages().AddException(0, {}, QStringLiteral("Zu ändernde Disziplin konnte nicht gefunden werden."),
                                          QStringLiteral("Disziplin ändern"), this);
        LoadItem(false);
        return;
    }
    if (!askYesNo(this, QStringLiteral("Disziplin ändern?"),
                  text + kCrLf + QStringLiteral("Soll \"%1\" wirklich geändert werden?").arg(info->name))) {
        LoadItem(false);
        return;
    }
    // The same change again, the result kind included: it is forced only once error 182 itself
    // was confirmed.
    auto r = newRequest(rt_modify);
    r->discId = response.discId;
    r->disciplinInfo = response.disciplinInfo;
    r->resultTypeChanged = response.resultTypeChanged;
    r->writeResultType = response.writeResultType;
    r->writeResultFormat = response.writeResultFormat;
    modifyDisciplin(std::move(r), force);
}

void TDisciplinForm::completeList(TDisciplinResponse& response)
{
    const int scroll = ListView1->verticalScrollBar()->value();
    const bool wasLoading = std::exchange(loading_, true);
    setAgeClasses(response.ageClasses);
    discs_.setRecords(std::move(response.discinfos));
    ListView1->selectionModel()->clear();
    selectDiscRow(currentDiscId);
    if (!entryById(currentDiscId))
        currentDiscId = 0;
    loading_ = wasLoading;
    LoadItem(response.reqType == rt_templateExport);
    if (auto* finder = context().windows().get<IAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm)) {
        std::vector<TDisciplineInfo> infos;
        infos.reserve(discs_.records().size());
        for (const TDiscListEntry& entry : discs_.records())
            infos.push_back(entry.info);
        finder->setDisciplines(infos);
    }
    ListView1->setEnabled(true);
    ListView1->verticalScrollBar()->setValue(scroll);
    FLastReload = double(shellClockMs());
}

std::unique_ptr<TAggregatorTree> TDisciplinForm::buildTree(const TDisciplinResponse& response)
{
    const TDisciplineInfo* info = getDiscInfoById(response.discId);
    TDisciplineInfo disc = info ? *info : TDisciplineInfo{};
    disc.id = response.discId;
    TTemplateLookup templates = [this](int id) { return getTemplateById(id); };
    // The export's tree is never shown.
    if (response.reqType == rt_getAggTree) {
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
    const bool exportTemplate = response.reqType == rt_getAggTreeExportTemplate;
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

void TDisciplinForm::InformOtherInstances(int discId, int aggId)
{
    itemChanged(context().windows(), this, discId, aggId);
    for (TWindowId w : {TWindowId::AnalyseForm, TWindowId::CertForm, TWindowId::CupCertForm,
                        TWindowId::CupResultModelForm, TWindowId::DisciplinePlaceForm})
        context().windows().reloadIfVisible(w);
}

void TDisciplinForm::reloadAnalysis()
{
    context().windows().reloadIfVisible(TWindowId::AnalyseForm);
}

void TDisciplinForm::closeResultCheck()
{
    if (QWidget* check = context().windows().widget(TWindowId::ResultCheckForm); check && check->isVisible())
        check->close();
}

void TDisciplinForm::reloadDependentWindows()
{
    const TWindowRegistry& w = context().windows();
    w.reloadIfVisible(TWindowId::DisciplinListForm);
    if (w.isVisible(TWindowId::ResultDialog) || w.isVisible(TWindowId::AquireBibOrderForm))
        w.reload(TWindowId::ResultDialog, true);
    w.reloadIfVisible(TWindowId::AnalyseForm);
    w.reloadIfVisible(TWindowId::AthleteForm);
    w.reloadIfVisible(TWindowId::TeamForm);
    w.reloadIfVisible(TWindowId::SquadForm);
    closeResultCheck();
    w.reloadIfVisible(TWindowId::ScheduleForm);
    w.reloadIfVisible(TWindowId::DisciplinePlaceForm);
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
    currentAggregatorId = id;
    if (id != 0) {
        AggIdLabel->setText(QStringLiteral("ID: %1").arg(id));
        SaveAggregatorButton->setEnabled(hasDirtyData(kAggPart));
        SourcesListView->setEnabled(true);
        return;
    }
    AggIdLabel->setText(QStringLiteral("ID:-"));
    FLoadedInfos = {QStringLiteral("Lade..."), TBool::bNotSet, TBool::bNotSet};
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
    build.request->reqType = rt_assignAggregator;
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
    build.request->reqType = rt_modifyResAgg;
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
    auto r = newRequest(rt_removeResAgg);
    for (const TUiAggregator* n : list)
        r->removeList.push_back(n->ID());
    queue(std::move(r));
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

// ---- the pair ------------------------------------------------------------------------------------

void TDisciplinForm::ShowDisciplinForm(QObject* sender, int discId, int aggId)
{
    tvp::ShowDisciplinForm(context().windows(), sender, discId, aggId);
}

void TDisciplinForm::reloadDisciplinForms(bool onlyVisible)
{
    tvp::reloadDisciplinForms(context().windows(), onlyVisible);
}

bool TDisciplinForm::isDiscVisible() const
{
    return tvp::isDiscVisible(context().windows());
}

std::optional<TDisciplineInfo> TDisciplinForm::getLatestDiscInfo(int discId) const
{
    const TDisciplinForm* latest = getLatestDiscForm(context().windows());
    const TDisciplineInfo* info = latest ? latest->getDiscInfoById(discId) : nullptr;
    return info ? std::optional<TDisciplineInfo>(*info) : std::nullopt;
}

std::vector<proto::ResultAggregatorTemplateType> TDisciplinForm::getLatestTemplates() const
{
    const TDisciplinForm* latest = getLatestDiscForm(context().windows());
    return latest ? latest->templates_ : std::vector<proto::ResultAggregatorTemplateType>{};
}

void TDisciplinForm::LoadDisciplineTemplates()
{
    tvp::LoadDisciplineTemplates(context().windows());
}

TDisciplinForm* disciplinForm(const TWindowRegistry& windows, int index)
{
    return windows.get<TDisciplinForm>(index == 0 ? TWindowId::DisciplinListForm0 : TWindowId::DisciplinListForm1);
}

void ShowDisciplinForm(const TWindowRegistry& windows, QObject* sender, int discId, int aggId)
{
    const auto* from = qobject_cast<const TDisciplinForm*>(sender);
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (f && f != from && !f->isVisible()) {
            f->ShowAndLoad(discId, aggId);
            return;
        }
    }
    // Both open: the one activated longer ago; one never activated is never taken.
    TDisciplinForm* chosen = nullptr;
    double bound = kNeverActivated;
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (f && f != from && f->LastAccess() < bound) {
            chosen = f;
            bound = f->LastAccess();
        }
    }
    if (chosen)
        chosen->ShowAndLoad(discId, aggId);
}

void reloadDisciplinForms(const TWindowRegistry& windows, bool onlyVisible)
{
    bool any = false;
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (!f || (onlyVisible && !f->isVisible()))
            continue;
        any = true;
        // The refused reload would have reloaded the event parameters.
        if (!f->reloadFormData(true))
            windows.reload(TWindowId::GlobalParameterForm, true);
    }
    if (!any)
        if (TDisciplinForm* first = disciplinForm(windows, 0))
            first->reloadFormData(true);
}

void unloadDisciplinForms(const TWindowRegistry& windows)
{
    for (int i = 0; i < 2; ++i)
        if (TDisciplinForm* f = disciplinForm(windows, i))
            f->unload();
}

void LoadDisciplineTemplates(const TWindowRegistry& windows)
{
    for (int i = 0; i < 2; ++i)
        if (TDisciplinForm* f = disciplinForm(windows, i))
            f->LoadTemplates();
}

bool isDiscVisible(const TWindowRegistry& windows)
{
    for (int i = 0; i < 2; ++i)
        if (TDisciplinForm* f = disciplinForm(windows, i); f && f->isVisible())
            return true;
    return false;
}

TDisciplinForm* getLatestDiscForm(const TWindowRegistry& windows)
{
    TDisciplinForm* latest = disciplinForm(windows, 0);
    double newest = 0.0;
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (f && f->LastReload() > newest) {
            latest = f;
            newest = f->LastReload();
        }
    }
    return latest;
}

void itemChanged(const TWindowRegistry& windows, TDisciplinForm* sender, int discId, int aggId)
{
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (f && f != sender && f->isVisible())
            f->updateItem(discId, aggId);
    }
}

} // namespace tvp
