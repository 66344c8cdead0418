#include "organisation/ui/DisciplinePlaceDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace tvp {

namespace {

using enum TDPRequestType;

const QString kEditorPart;

// Shown while no facility is current.
const proto::DisciplinePlaceType& defaultPlace()
{
    static const proto::DisciplinePlaceType place;
    return place;
}

} // namespace

TDisciplinePlaceForm::TDisciplinePlaceForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, disciplinePlaceRequests(), this,
            [this](std::unique_ptr<TDPResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      sorted_(QStringLiteral("DisciplinePlaceForm.ListView1.")),
      sortedDisciplines_(QStringLiteral("DisciplinePlaceForm.GroupBox2.ListView2."))
{
    setObjectName(QStringLiteral("DisciplinePlaceForm"));
    setWindowTitle(QStringLiteral("Wettkampfanlagen"));
    setMinimumSize(520, 520);

    auto* layout = new QVBoxLayout(this);
    QMenuBar* menuBar = addMenuBar(this, layout);
    addExportMenu(menuBar, this, [this](bool open) { exportList(open); });

    auto* filter = new QGroupBox(QStringLiteral("Filter"), this);
    filter->setObjectName(QStringLiteral("GroupBox1"));
    auto* filterRow = new QHBoxLayout(filter);
    auto* filterLabel = new QLabel(QStringLiteral("Disziplin:"), filter);
    filterLabel->setObjectName(QStringLiteral("Label1"));
    ComboBox1 = new QComboBox(filter);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEnabled(false);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(ComboBox1, 1);
    layout->addWidget(filter);
    connect(ComboBox1, &QComboBox::activated, this, [this] { guarded([this] { ComboBox1Change(); }); });

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    showSortedList(*ListView1, sorted_, places_, *this, [this] { ListView1SelectItem(); });
    fitColumnsToRoom(*ListView1);
    opensWideForNames(*ListView1);
    onKey(*ListView1, Qt::Key_Delete, [this] { Entfernen1Click(); });
    layout->addWidget(ListView1, 1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Entfernen1 = menuAction(PopupMenu1, QStringLiteral("Entfernen1"), QStringLiteral("Entfernen"));
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            Entfernen1->setEnabled(ListView1->selectionModel()->hasSelection());
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
        });
    });

    GroupBox2 = new QGroupBox(QStringLiteral("Wettkampfanlage"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* grid = new QGridLayout(GroupBox2);
    auto label = [&](const QString& name, const QString& text, int row) {
        auto* l = new QLabel(text, GroupBox2);
        l->setObjectName(name);
        grid->addWidget(l, row, 0, Qt::AlignTop);
    };
    label(QStringLiteral("Label2"), QStringLiteral("Name:"), 0);
    Edit1 = new QLineEdit(GroupBox2);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    grid->addWidget(Edit1, 0, 1);
    label(QStringLiteral("Label3"), QStringLiteral("Bemerkung:"), 1);
    Edit2 = new QLineEdit(GroupBox2);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    grid->addWidget(Edit2, 1, 1);
    label(QStringLiteral("Label5"), QStringLiteral("Disziplinen:"), 2);
    ListView2 = new QTreeView(GroupBox2);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setSelectionMode(QAbstractItemView::SingleSelection);
    showSortedList(*ListView2, sortedDisciplines_, disciplines_, *this, {});
    fitColumnsToRoom(*ListView2);
    grid->addWidget(ListView2, 2, 1);
    auto* buttons = new QHBoxLayout;
    Label4 = new QLabel(QStringLiteral("ID: -"), GroupBox2);
    Label4->setObjectName(QStringLiteral("Label4"));
    Button1 = new QPushButton(QStringLiteral("Als neue Anlage hinzufügen"), GroupBox2);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Änderung speichern"), GroupBox2);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(Label4);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(GroupBox2);

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    auto editorChanged = [this] {
        guarded([this] {
            DoItemChangeCheck(kEditorPart);
            updateButtons();
        });
    };
    connect(Edit1, &QLineEdit::textEdited, this, editorChanged);
    connect(Edit2, &QLineEdit::textEdited, this, editorChanged);
    connect(&disciplines_, &QAbstractItemModel::dataChanged, this, editorChanged);
    // Enter adds the facility as new, as users of the name and remark fields are used to; the
    // button's own guard keeps one Enter from sending two creates.
    auto enter = [this] {
        guarded([this] {
            if (Button1->isEnabled())
                Button1Click();
        });
    };
    connect(Edit1, &QLineEdit::returnPressed, this, enter);
    connect(Edit2, &QLineEdit::returnPressed, this, enter);

    LoadItem();
    fitToTexts(*this);
}

TDisciplinePlaceForm::~TDisciplinePlaceForm() = default;

// ---- the base window ----

void TDisciplinePlaceForm::reloadData()
{
    updateButtons();
    ListView1->setEnabled(false);
    GroupBox2->setEnabled(false);
    road_.AddRequest(makeDPLoad(currentDPId, currentDisciplinFilterId), TTransactionMode::tm_readonly);
}

void TDisciplinePlaceForm::unload()
{
    currentDPId = 0;
    currentDisciplinFilterId = 0;
    LoadItem();
    reloadData();
}

void TDisciplinePlaceForm::FormShow()
{
    ListView1->setEnabled(false);
    reloadData();
}

bool TDisciplinePlaceForm::checkItemChanged(const QString&)
{
    const proto::DisciplinePlaceType* place = currentDPId != 0 ? placeById(currentDPId) : &defaultPlace();
    if (!place)
        return true;
    if (Edit1->text().trimmed() != place->Name || Edit2->text() != place->Comment)
        return true;
    std::set<int> stored;
    for (const proto::DisciplinType& d : place->AssociatedDisciplines)
        stored.insert(d.DisciplinID);
    const std::vector<int> checked = checkedDisciplineIds();
    return stored != std::set<int>(checked.begin(), checked.end());
}

void TDisciplinePlaceForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    Button2->setEnabled(changed && currentDPId != 0);
}

// ---- list and editor ----

const proto::DisciplinePlaceType* TDisciplinePlaceForm::placeById(int dpId) const
{
    const int row = places_.rowOf(dpId);
    return row < 0 ? nullptr : &places_.place(row);
}

std::vector<int> TDisciplinePlaceForm::checkedDisciplineIds() const
{
    std::vector<int> ids;
    for (int r = 0; r < sortedDisciplines_.rowCount(); ++r) {
        const int row = sortedDisciplines_.mapToSource(sortedDisciplines_.index(r, 0)).row();
        if (disciplines_.isChecked(row))
            ids.push_back(disciplines_.discipline(row).DisciplinID);
    }
    return ids;
}

void TDisciplinePlaceForm::setEditorEnabled(bool enabled)
{
    GroupBox2->setEnabled(enabled);
    ListView1->setEnabled(enabled);
}

void TDisciplinePlaceForm::setDisciplines(std::vector<proto::DisciplinType> disciplines)
{
    ComboBox1->clear();
    ComboBox1->addItem(QStringLiteral("Kein Filter"), 0);
    ComboBox1->setCurrentIndex(0);
    for (const proto::DisciplinType& d : disciplines) {
        ComboBox1->addItem(d.Name, d.DisciplinID);
        if (d.DisciplinID == currentDisciplinFilterId)
            ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
    }
    const std::vector<int> typed = keepEditor_ ? checkedDisciplineIds() : std::vector<int>{};
    disciplines_.setDisciplines(std::move(disciplines));
    {
        const QSignalBlocker block(&disciplines_);
        for (int id : typed)
            if (const int row = disciplines_.rowOf(id); row >= 0)
                disciplines_.setChecked(row, true);
    }
    fitColumnsToRoom(*ListView2);
    ComboBox1->setEnabled(true);
    updateButtons();
    // The filtered discipline is gone: back to no filter, which loads again.
    resetCurIdIfDeleted(*ComboBox1, currentDisciplinFilterId, 0);
}

void TDisciplinePlaceForm::fillList(proto::getDisciplinePlacesResponse places)
{
    const int scroll = ListView1->verticalScrollBar()->value();
    suppressSelect_ = true;
    places_.setPlaces(std::move(places));
    suppressSelect_ = false;
    setEditorEnabled(true);
    checkCurrentDP();
    ListView1->verticalScrollBar()->setValue(scroll);
    fitColumnsToRoom(*ListView1);
    if (std::exchange(keepEditor_, false) && currentDPId == 0) {
        DoItemChangeCheck(kEditorPart);
        updateButtons();
        return;
    }
    LoadItem();
}

void TDisciplinePlaceForm::checkCurrentDP()
{
    if (currentDPId != 0 && !placeById(currentDPId)) {
        currentDPId = 0;
        Label4->setText(QStringLiteral("ID: -"));
        updateButtons();
    }
    selectRowOf(currentDPId);
    if (currentDPId != 0)
        ListView1->setFocus();
}

void TDisciplinePlaceForm::selectRowOf(int dpId)
{
    suppressSelect_ = true;
    selectSourceRow(*ListView1, sorted_, dpId == 0 ? -1 : places_.rowOf(dpId));
    suppressSelect_ = false;
}

void TDisciplinePlaceForm::LoadItem()
{
    const proto::DisciplinePlaceType* stored = currentDPId != 0 ? placeById(currentDPId) : nullptr;
    const proto::DisciplinePlaceType& place = stored ? *stored : defaultPlace();
    Edit1->setText(place.Name);
    Edit2->setText(place.Comment);
    Label4->setText(place.DisciplinePlaceId != 0 ? QStringLiteral("ID: %1").arg(std::abs(place.DisciplinePlaceId))
                                                 : QStringLiteral("ID: -"));
    {
        const QSignalBlocker block(&disciplines_);
        disciplines_.clearChecks();
        for (const proto::DisciplinType& d : place.AssociatedDisciplines) {
            const int row = disciplines_.rowOf(d.DisciplinID);
            if (row < 0) {
                context().messages().AddWarning(
                    0, {},
                    QStringLiteral("Interner Fehler: Disziplin \"%1\" der Wettkampfstätte konnte nicht gefunden "
                                   "werden. Bitte Dialog mit F5 neu laden.")
                        .arg(d.Name),
                    QStringLiteral("Wettkampfanlagen laden"), this);
                continue;
            }
            disciplines_.setChecked(row, true);
        }
    }
    ListView2->viewport()->update();
    Edit1->selectAll();
    Edit1->setFocus();
    DoItemChangeCheck(kEditorPart);
    updateButtons();
}

void TDisciplinePlaceForm::updateButtons()
{
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    if (Edit1->text().trimmed().isEmpty())
        return;
    Button1->setEnabled(!createPending_);
    Button2->setEnabled(currentDPId != 0 && hasDirtyData(kEditorPart));
}

void TDisciplinePlaceForm::ListView1SelectItem()
{
    if (suppressSelect_)
        return;
    const int row = chosenSourceRow(*ListView1, sorted_);
    const int id = row < 0 ? 0 : places_.place(row).DisciplinePlaceId;
    if (id == currentDPId)
        return;
    DoItemChangeCheck(kEditorPart);
    if (checkDirtyDataMessage(nullptr, kEditorPart)) {
        selectRowOf(currentDPId);
        return;
    }
    currentDPId = id;
    LoadItem();
}

void TDisciplinePlaceForm::ComboBox1Change()
{
    DoItemChangeCheck(kEditorPart);
    if (checkDirtyDataMessage(nullptr, kEditorPart)) {
        selectComboIntegerFilter(*ComboBox1, currentDisciplinFilterId, 0);
        return;
    }
    currentDisciplinFilterId = ComboBox1->currentData().toInt();
    if (isVisible())
        reloadFormData(true);
    updateButtons();
}

// ---- actions ----

void TDisciplinePlaceForm::Button1Click()
{
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    if (createPending_)
        return;
    if (!Edit1->text().trimmed().isEmpty()) {
        auto request = getDPRequestFromUI(rt_create, 0, Edit1->text(), Edit2->text(), checkedDisciplineIds());
        Edit1->setText(request->name);
        setEditorEnabled(false);
        createPending_ = road_.AddRequest(std::move(request), TTransactionMode::tm_None) != 0;
    }
    currentDPId = 0;
    selectRowOf(0);
    Label4->setText(QStringLiteral("ID: -"));
}

void TDisciplinePlaceForm::Button2Click()
{
    Button2->setEnabled(false);
    if (Edit1->text().trimmed().isEmpty() || currentDPId == 0)
        return;
    auto request = getDPRequestFromUI(rt_modify, currentDPId, Edit1->text(), Edit2->text(), checkedDisciplineIds());
    request->setBatchContext(std::make_shared<TBatchContext>());
    Edit1->setText(request->name);
    setEditorEnabled(false);
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TDisciplinePlaceForm::Entfernen1Click()
{
    std::vector<int> ids;
    for (int row : selectedSourceRows(*ListView1, sorted_))
        ids.push_back(places_.place(row).DisciplinePlaceId);
    if (ids.empty())
        return;
    const QString question = ids.size() == 1
                                 ? QStringLiteral("Soll die markierte Anlage wirklich gelöscht werden?")
                                 : QStringLiteral("Sollen die markierten Anlagen wirklich gelöscht werden?");
    if (!askYesNo(this, QStringLiteral("Anlage löschen"), question))
        return;
    road_.AddRequest(makeDPDeleteChain(ids), TTransactionMode::tm_None);
}

void TDisciplinePlaceForm::exportList(bool openAfterwards)
{
    exportCsvFile(QStringLiteral("Wettkampfanlagen"), sorted_, openAfterwards, false, true, -1);
}

// ---- answers ----

void TDisciplinePlaceForm::RequestFinished(std::unique_ptr<TDPResponse> response, const TRequestOutcome& outcome)
{
    const auto type = static_cast<TDPRequestType>(outcome.command);
    if (type == rt_create)
        createPending_ = false;
    if (!outcome.ok()) {
        GroupBox2->setEnabled(true);
        ListView1->setEnabled(true);
        updateButtons();
        if (outcome.declined) {
            refreshAllWindows(context());
            return;
        }
        road_.report(outcome);
        // A refused create keeps the new facility's editor; the reload shows the server's list.
        keepEditor_ = type == rt_create;
        if (response && type != rt_get)
            reloadData();
        return;
    }
    switch (type) {
    case rt_get:
        setDisciplines(std::move(response->disciplines));
        fillList(std::move(response->getResponse));
        break;
    case rt_create:
    case rt_modify:
        resetDirtyData(kEditorPart);
        currentDPId = response->id;
        reloadData();
        context().windows().reloadIfVisible(TWindowId::ScheduleForm);
        break;
    case rt_delete:
        if (response->nextBatch)
            road_.continueBatch(*response);
        else
            refreshAllWindows(context());
        break;
    }
}

} // namespace tvp
