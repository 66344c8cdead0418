// The upper half of the discipline window: the competition's disciplines in a list and the
// selected one's properties in an editor, with the user's actions on them.

#include "organisation/ui/DisciplinDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/results/tvpUtils.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/WindowContext.h"
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
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstdlib>
#include <utility>

namespace tvp {

namespace {

// The heat size has no upper bound of its own; the editor shows what the server holds.
constexpr int kMaxHeatSize = 999999;
constexpr int kMaxAttempts = 9999;

// Only "Nach Teams gruppieren" and "Alle Riegen in einen Lauf" suit team disciplines.
bool isComboItemForTeam(int index)
{
    return index == 1 || index == 3;
}

} // namespace

QString TDisciplinForm::idText(int id)
{
    return QString::number(std::abs(id));
}

void TDisciplinForm::buildDisciplineEditor(QVBoxLayout& outer)
{
    // ---- upper half: the list and the editor ----
    auto* upper = new QHBoxLayout;
    outer.addLayout(upper, 2);

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->setModel(&sorted_);
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
        else if (ListView1->selectionModel()->hasSelection()) {
            // What the timer loads, or asks first, answers the user's pick.
            selectAction_ = TUserAction::current();
            SelectItemTimer.start(selectDelayMs);
        }
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
    const TAnswerTo answer(selectAction_);
    checkDirtyDataLater(
        kDiscPart, [this] { restoreListView1Selection(); },
        [this] {
            currentDiscId = selectedDiscId();
            LoadItem(false);
        });
}

void TDisciplinForm::ShowAndLoad(int discId, int aggId)
{
    // Also brought by an answer (a template loaded) or a timer: the question waits without holding the
    // program; the discipline's part is asked about before the scoring's.
    checkDirtyDataLater(
        hasDirtyData(kDiscPart) ? kDiscPart : kAggPart, [] {},
        [this, discId, aggId] {
            if (discId != 0)
                currentDiscId = discId;
            if (aggId != 0)
                currentAggregatorId = aggId;
            hide();
            show();
        });
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
    r->reqType = TDisciplinRequestType::rt_create;
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

} // namespace tvp
