#include "scoring/ui/CupItemsDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/ListSearchServices.h"
#include "core/services/ScoringServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/CodePages.h"
#include "core/util/FileWrite.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
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
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace tvp {

namespace {

using R = TCupItemRequestType;
using proto::CupItemType;

const QString kPart;
const QColor kSame(176, 255, 176);
const QColor kWarning(255, 255, 176);
const QColor kDeviant(255, 176, 176);

template <class T>
const T* findItem(const std::vector<T>& pending, const std::vector<T>& completed, int id)
{
    for (const std::vector<T>* list : {&pending, &completed})
        for (const T& item : *list)
            if (cupItemId(item) == id)
                return &item;
    return nullptr;
}

const proto::CupAthleteType& defaultCupAthlete()
{
    static const proto::CupAthleteType athlete = [] {
        proto::CupAthleteType a;
        a.Name = proto::Owned<proto::AthleteNameType>(proto::AthleteNameType{});
        a.Gender = proto::GenderType::NotSpecified;
        return a;
    }();
    return athlete;
}

TComparatorType comparatorAt(int index)
{
    switch (index) {
    case 1: return TComparatorType::ct_greaterThanOrEqual;
    case 2: return TComparatorType::ct_equals;
    case 3: return TComparatorType::ct_lessThanOrEqual;
    default: return TComparatorType::ct_none;
    }
}

} // namespace

// ---- the compare list view -----------------------------------------------------------------------

TCompareListView::TCompareListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(this, &QTreeView::clicked, this, [this] { emit itemClicked(); });
}

TCompareListModel* TCompareListView::compareModel() const
{
    return dynamic_cast<TCompareListModel*>(model());
}

bool TCompareListView::rowAt(const QPoint& pos, int& root, int& child) const
{
    const QModelIndex at = indexAt(pos);
    const TCompareListModel* list = compareModel();
    return at.isValid() && list && list->rowItem(at.row(), root, child);
}

int TCompareListView::dropTarget(const QDropEvent* event, std::vector<int>* ids) const
{
    if (!event->mimeData()->hasFormat(kCompareRowsMimeType))
        return 0;
    const std::vector<TDraggedCompareRow> rows = draggedCompareRows(event->mimeData()->data(kCompareRowsMimeType));
    // One cup item among the dragged rows refuses the whole drag.
    if (rows.empty() || std::any_of(rows.begin(), rows.end(), [](const TDraggedCompareRow& r) { return !r.child; }))
        return 0;
    int root = 0, child = 0;
    if (!rowAt(event->position().toPoint(), root, child) || child >= 0)
        return 0;
    if (ids)
        for (const TDraggedCompareRow& r : rows)
            ids->push_back(r.id);
    return compareModel()->customItemID(root, -1);
}

void TCompareListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(kCompareRowsMimeType))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCompareListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (dropTarget(event, nullptr) != 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCompareListView::dropEvent(QDropEvent* event)
{
    std::vector<int> ids;
    const int target = dropTarget(event, &ids);
    if (target == 0 || ids.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit entriesDropped(ids, target);
}

void TCompareListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    const int x = int(event->position().x());
    const int marker0 = header()->sectionViewportPosition(1);
    if (event->button() == Qt::LeftButton && x > marker0 && x < marker0 + header()->sectionSize(1))
        if (TCompareListModel* list = compareModel()) {
            const QModelIndex at = indexAt(event->position().toPoint());
            if (at.isValid())
                guarded([&] { list->expandClick(at.row()); });
        }
}

void TCompareListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    if (TCompareListModel* list = compareModel(); list && at.isValid() && selectionModel()->isSelected(at))
        guarded([&] { list->expandClick(at.row()); });
}

void TCompareListView::keyPressEvent(QKeyEvent* event)
{
    TCompareListModel* list = compareModel();
    const QModelIndex current = currentIndex();
    int root = 0, child = 0;
    if (list && current.isValid() && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) &&
        selectionModel()->isSelected(current) && list->rowItem(current.row(), root, child) && child < 0) {
        const bool expanded = list->isExpanded(root);
        if ((event->key() == Qt::Key_Left) == expanded)
            guarded([&] { list->expandClick(current.row()); });
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TCompareListView::keyReleaseEvent(QKeyEvent* event)
{
    QTreeView::keyReleaseEvent(event);
    emit itemClicked();
}

void TCompareListView::contextMenuEvent(QContextMenuEvent* event)
{
    emit popupRequested(event->pos());
}

// ---- the window ----------------------------------------------------------------------------------

TCupItemsForm::TCupItemsForm(TWindowContext& context, CupItemType kind)
    : TTVPForm(context),
      road_(context, cupItemRequests(), this,
            [this](std::unique_ptr<TCupItemResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      FTyp(kind),
      FgetReqType(loadCommandOf(kind))
{
    // The lists give up height on a laptop's screen; the window opens lower than such a screen.
    setMinimumWidth(610);
    resize(610, 640);
    buildLayout();
    buildMenus();
    switch (kind) {
    case CupItemType::AgeClass: initForm(QStringLiteral("Cup-Altersklassen zuordnen"), kind); break;
    case CupItemType::Team: initForm(QStringLiteral("Cup-Teams zuordnen"), kind); break;
    default: initForm(QStringLiteral("Cup-Athleten zuordnen"), kind); break;
    }
    fitToTexts(*this);
}

TCupItemsForm::~TCupItemsForm()
{
    // The views go before the models they show.
    ListView1->setModel(nullptr);
    ListView2->setModel(nullptr);
}

void TCupItemsForm::buildLayout()
{
    auto* layout = new QVBoxLayout(this);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    layout->setMenuBar(MainMenu1);

    auto* top = new QHBoxLayout;
    top->addStretch(1);
    top->addWidget(new QLabel(QStringLiteral("Cup:"), this));
    ComboBoxCup = new QComboBox(this);
    ComboBoxCup->setObjectName(QStringLiteral("ComboBoxCup"));
    ComboBoxCup->setMinimumWidth(200);
    // As wide as the longest cup's name where the row has room, never wider than the window.
    ComboBoxCup->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ComboBoxCup->setMinimumContentsLength(12);
    top->addWidget(ComboBoxCup);
    layout->addLayout(top);

    auto* filter = new QGroupBox(QStringLiteral("Filter"), this);
    filter->setObjectName(QStringLiteral("GroupBoxFilter"));
    auto* filters = new QHBoxLayout(filter);
    filters->addWidget(new QLabel(QStringLiteral("#Teilnahmen"), filter));
    ComboBoxCompare = new QComboBox(filter);
    ComboBoxCompare->setObjectName(QStringLiteral("ComboBoxCompare"));
    ComboBoxCompare->addItems(
        {QStringLiteral("Kein Filter"), QStringLiteral(">="), QStringLiteral("="), QStringLiteral("<=")});
    filters->addWidget(ComboBoxCompare);
    LabelCount = new QLabel(QStringLiteral("0"), filter);
    LabelCount->setObjectName(QStringLiteral("LabelCount"));
    filters->addWidget(LabelCount);
    UpDownCount = new QSpinBox(filter);
    UpDownCount->setObjectName(QStringLiteral("UpDownCount"));
    UpDownCount->setRange(0, 99);
    filters->addWidget(UpDownCount);
    LabelAgeClass = new QLabel(QStringLiteral("|  Altersklasse: "), filter);
    ComboBoxAgeClass = new QComboBox(filter);
    ComboBoxAgeClass->setObjectName(QStringLiteral("ComboBoxAgeClass"));
    LabelTeam = new QLabel(QStringLiteral("|  Team:"), filter);
    ComboBoxTeam = new QComboBox(filter);
    ComboBoxTeam->setObjectName(QStringLiteral("ComboBoxTeam"));
    for (QWidget* w : std::initializer_list<QWidget*>{LabelAgeClass, ComboBoxAgeClass, LabelTeam, ComboBoxTeam})
        filters->addWidget(w);
    // The filters are filled from the server's items after the window was first shown.
    for (QComboBox* box : {ComboBoxCompare, ComboBoxAgeClass, ComboBoxTeam})
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    filters->addStretch(1);
    layout->addWidget(filter);

    const auto list = [&](const QString& caption, const QString& name, QLabel*& count, const QString& countName) {
        auto* head = new QHBoxLayout;
        head->addWidget(new QLabel(caption, this));
        head->addStretch(1);
        count = new QLabel(this);
        count->setObjectName(countName);
        head->addWidget(count);
        layout->addLayout(head);
        auto* view = new TCompareListView(this);
        view->setObjectName(name);
        view->hide();
        layout->addWidget(view, 1);
        return view;
    };
    ListView1 = list(QStringLiteral("Abgeschlossen:"), QStringLiteral("ListView1"), LabelCompleted,
                     QStringLiteral("LabelCompleted"));
    ListView2 =
        list(QStringLiteral("Offen:"), QStringLiteral("ListView2"), LabelPending, QStringLiteral("LabelPending"));

    GroupBoxItem = new QGroupBox(this);
    GroupBoxItem->setObjectName(QStringLiteral("GroupBoxItem"));
    auto* grid = new QGridLayout(GroupBoxItem);
    const auto edit = [&](const QString& caption, const QString& name, int row) {
        grid->addWidget(new QLabel(caption, GroupBoxItem), row, 0);
        auto* e = new QLineEdit(GroupBoxItem);
        e->setObjectName(name);
        grid->addWidget(e, row, 1);
        connect(e, &QLineEdit::textChanged, this, [this] {
            guarded([this] {
                if (!loading_)
                    DoItemChangeCheck(kPart);
            });
        });
        return e;
    };
    if (FTyp == CupItemType::Athlete) {
        GroupBoxItem->setTitle(QStringLiteral("Cup-Athlet"));
        EditGivenName = edit(QStringLiteral("Vorname:"), QStringLiteral("EditGivenName"), 0);
        EditSurName = edit(QStringLiteral("Nachname:"), QStringLiteral("EditSurName"), 1);
        grid->addWidget(new QLabel(QStringLiteral("Geschlecht:"), GroupBoxItem), 2, 0);
        ComboBoxGender = new QComboBox(GroupBoxItem);
        ComboBoxGender->setObjectName(QStringLiteral("ComboBoxGender"));
        ComboBoxGender->addItems(
            {QStringLiteral("Keine Angabe"), QStringLiteral("Männlich"), QStringLiteral("Weiblich")});
        grid->addWidget(ComboBoxGender, 2, 1);
        connect(ComboBoxGender, &QComboBox::currentIndexChanged, this, [this] {
            guarded([this] {
                if (!loading_)
                    DoItemChangeCheck(kPart);
            });
        });
        EditYear = edit(QStringLiteral("Jahrgang:"), QStringLiteral("EditYear"), 3);
        EditYear->setMaxLength(4);
        ValueListEditor1 = new QTableWidget(0, 2, GroupBoxItem);
        ValueListEditor1->setObjectName(QStringLiteral("ValueListEditor1"));
        ValueListEditor1->setHorizontalHeaderLabels({QStringLiteral("Spalte"), QStringLiteral("Wert")});
        ValueListEditor1->verticalHeader()->hide();
        ValueListEditor1->horizontalHeader()->setStretchLastSection(true);
        ValueListEditor1->setMaximumHeight(110);
        grid->addWidget(ValueListEditor1, 0, 2, 4, 1);
        connect(ValueListEditor1, &QTableWidget::itemChanged, this, [this] {
            guarded([this] {
                if (!loading_)
                    DoItemChangeCheck(kPart);
            });
        });
    } else {
        GroupBoxItem->setTitle(FTyp == CupItemType::AgeClass ? QStringLiteral("Cup-Altersklasse")
                                                             : QStringLiteral("Cup-Team"));
        EditName = edit(QStringLiteral("Name:"), QStringLiteral("EditName"), 0);
    }
    LabelID = new QLabel(QStringLiteral("ID: -"), GroupBoxItem);
    LabelID->setObjectName(QStringLiteral("LabelID"));
    grid->addWidget(LabelID, 0, 3);
    ButtonSave = new QPushButton(QStringLiteral("Änderung speichern"), GroupBoxItem);
    ButtonSave->setObjectName(QStringLiteral("ButtonSave"));
    ButtonSave->setEnabled(false);
    grid->addWidget(ButtonSave, 3, 3);
    layout->addWidget(GroupBoxItem);

    const bool teams = FTyp != CupItemType::AgeClass;
    LabelAgeClass->setVisible(teams);
    ComboBoxAgeClass->setVisible(teams);
    LabelTeam->setVisible(FTyp == CupItemType::Athlete);
    ComboBoxTeam->setVisible(FTyp == CupItemType::Athlete);

    connect(ButtonSave, &QPushButton::clicked, this, [this] { guarded([this] { SaveButtonClick(); }); });
    connect(ComboBoxCup, &QComboBox::activated, this, [this] { guarded([this] { cupChosen(); }); });
    connect(ComboBoxAgeClass, &QComboBox::activated, this, [this] { guarded([this] { ageFilterChosen(); }); });
    connect(ComboBoxTeam, &QComboBox::activated, this, [this] { guarded([this] { teamFilterChosen(); }); });
    connect(ComboBoxCompare, &QComboBox::activated, this, [this] { guarded([this] { applyFilter(); }); });
    connect(UpDownCount, &QSpinBox::valueChanged, this, [this](int value) {
        guarded([&] {
            LabelCount->setText(QString::number(value));
            if (ComboBoxCompare->currentIndex() > 0)
                applyFilter();
        });
    });
    for (TCompareListView* view : {ListView1, ListView2}) {
        connect(view, &TCompareListView::itemClicked, this, [this, view] { guarded([&] { listClicked(view); }); });
        connect(view, &TCompareListView::entriesDropped, this,
                [this](const std::vector<int>& ids, int target) { guarded([&] { entriesDropped(ids, target); }); });
        connect(view->header(), &QHeaderView::sectionClicked, this, [view](int column) {
            guarded([&] {
                if (TCompareListModel* list = view->compareModel())
                    list->columnClicked(column);
            });
        });
    }
}

void TCupItemsForm::buildMenus()
{
    if (FTyp == CupItemType::Athlete) {
        QMenu* import = MainMenu1->addMenu(QStringLiteral("Import"));
        ImportColumns1 = import->addAction(QStringLiteral("Benutzerspalten importieren"));
        ImportColumns1->setObjectName(QStringLiteral("ImportColumns1"));
        ImportColumns1->setEnabled(false);
        connect(ImportColumns1, &QAction::triggered, this, [this] {
            guarded([this] {
                if (curCupID == 0)
                    return;
                if (auto* import =
                        context().windows().getOrPlaceholder<ICustomColImportForm>(TWindowId::CustomColImportForm))
                    import->showImportForm(curCupID);
            });
        });
    }
    QMenu* exportMenu = MainMenu1->addMenu(QStringLiteral("Export"));
    const auto exportEntry = [&](const QString& caption, const QString& name, bool cupOnly, bool open) {
        QAction* a = exportMenu->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, [this, cupOnly, open] { guarded([&] { exportCsv(cupOnly, open); }); });
        return a;
    };
    ExportCupOnly1 =
        exportEntry(QStringLiteral("Nur Cup-Teilnehmer als csv"), QStringLiteral("ExportCupOnly1"), true, false);
    ExportCupOnlyOpen1 = exportEntry(QStringLiteral("Nur Cup-Teilnehmer als csv und ausführen"),
                                     QStringLiteral("ExportCupOnlyOpen1"), true, true);
    ExportFull1 =
        exportEntry(QStringLiteral("Mit Veranstaltungseinträgen als csv"), QStringLiteral("ExportFull1"), false, false);
    ExportFullOpen1 = exportEntry(QStringLiteral("Mit Veranstaltungseinträgen als csv und ausführen"),
                                  QStringLiteral("ExportFullOpen1"), false, true);
    connect(exportMenu, &QMenu::aboutToShow, this, [this] {
        const bool on = curCupID != 0 && listsBuilt_;
        for (QAction* a : {ExportCupOnly1, ExportCupOnlyOpen1, ExportFull1, ExportFullOpen1})
            a->setEnabled(on);
    });
    Search1 = MainMenu1->addAction(QStringLiteral("Suchen"));
    Search1->setObjectName(QStringLiteral("Search1"));
    connect(Search1, &QAction::triggered, this, [this] { guarded([this] { Search1Click(); }); });
    // Ctrl+F while this window is active opens the search.
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] { guarded([this] { Search1Click(); }); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    MarkPending1 = PopupMenu1->addAction(QStringLiteral("Als offen markieren"));
    RemoveEntry1 = PopupMenu1->addAction(QStringLiteral("Entfernen von Cup-Eintrag"));
    ShowTeamAthletes1 = PopupMenu1->addAction(QStringLiteral("Athleten des Teams anzeigen"));
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    MarkCompleted2 = PopupMenu2->addAction(QStringLiteral("Als abgeschlossen markieren"));
    MarkAllCompleted2 = PopupMenu2->addAction(QStringLiteral("Alle als abgeschlossen markieren"));
    FlipNames2 = PopupMenu2->addAction(QStringLiteral("Vor- und Nachname tauschen"));
    RemoveEntry2 = PopupMenu2->addAction(QStringLiteral("Entfernen von Cup-Eintrag"));
    ShowTeamAthletes2 = PopupMenu2->addAction(QStringLiteral("Athleten des Teams anzeigen"));
    MarkPending1->setObjectName(QStringLiteral("MarkPending1"));
    RemoveEntry1->setObjectName(QStringLiteral("RemoveEntry1"));
    ShowTeamAthletes1->setObjectName(QStringLiteral("ShowTeamAthletes1"));
    MarkCompleted2->setObjectName(QStringLiteral("MarkCompleted2"));
    MarkAllCompleted2->setObjectName(QStringLiteral("MarkAllCompleted2"));
    FlipNames2->setObjectName(QStringLiteral("FlipNames2"));
    RemoveEntry2->setObjectName(QStringLiteral("RemoveEntry2"));
    ShowTeamAthletes2->setObjectName(QStringLiteral("ShowTeamAthletes2"));
    ShowTeamAthletes1->setVisible(FTyp == CupItemType::Team);
    ShowTeamAthletes2->setVisible(FTyp == CupItemType::Team);
    FlipNames2->setVisible(FTyp == CupItemType::Athlete);

    const auto on = [this](QAction* a, auto fn) { connect(a, &QAction::triggered, this, [fn] { guarded(fn); }); };
    on(MarkPending1, [this] { markCompletion(false); });
    on(MarkCompleted2, [this] { markCompletion(true); });
    on(RemoveEntry1, [this] { removeEntries(); });
    on(RemoveEntry2, [this] { removeEntries(); });
    on(MarkAllCompleted2, [this] { markAllCompleted(); });
    on(FlipNames2, [this] { flipNames(); });
    on(ShowTeamAthletes1, [this] { showTeamAthletes(); });
    on(ShowTeamAthletes2, [this] { showTeamAthletes(); });
    connect(ListView1, &TCompareListView::popupRequested, this,
            [this](const QPoint& pos) { guarded([&] { openPopup(ListView1, PopupMenu1, 1, pos); }); });
    connect(ListView2, &TCompareListView::popupRequested, this,
            [this](const QPoint& pos) { guarded([&] { openPopup(ListView2, PopupMenu2, 2, pos); }); });
    for (QMenu* menu : {PopupMenu1, PopupMenu2})
        connect(menu, &QMenu::aboutToHide, this, [this] { resetPopupOpen(); });
}

void TCupItemsForm::initForm(const QString& caption, CupItemType kind)
{
    setWindowTitle(caption);
    FTyp = kind;
    FgetReqType = loadCommandOf(kind);
    unload();
}

void TCupItemsForm::setFilter(int cupId, TComparatorType comparator, int count, int ageClassId, int teamId)
{
    curCupID = cupId;
    curAgeFilterID = ageClassId;
    curTeamFilterID = teamId;
    if (comparator != TComparatorType::ct_none)
        UpDownCount->setValue(count);
    ComboBoxCompare->setCurrentIndex(int(comparator));
    hide();
    show();
}

void TCupItemsForm::unload()
{
    curCupID = 0;
    curAgeFilterID = 0;
    curTeamFilterID = 0;
    showLists(false);
    setLists(std::make_unique<TCompareListModel>(std::vector<TCompareColumn>{}, kSame, kWarning, kDeviant, 0),
             std::make_unique<TCompareListModel>(std::vector<TCompareColumn>{}, kSame, kWarning, kDeviant, 0));
    listsBuilt_ = false;
    items_.reset();
    ComboBoxAgeClass->clear();
    ComboBoxTeam->clear();
    loadItem(0);
}

void TCupItemsForm::FormShow()
{
    reloadFormData(true);
}

// ---- loading -------------------------------------------------------------------------------------

void TCupItemsForm::showLists(bool shown)
{
    ListView1->setVisible(shown);
    ListView2->setVisible(shown);
    if (!shown) {
        LabelCompleted->setText(QStringLiteral("Abgeschlossene Einträge: -"));
        LabelPending->setText(QStringLiteral("Offene Einträge: -"));
    }
}

void TCupItemsForm::reload(bool smallreload)
{
    showLists(false);
    if (curCupID == 0)
        unload();
    auto request = std::make_unique<TCupItemRequest>();
    request->reqType = FgetReqType;
    request->kind = FTyp;
    request->cupId = curCupID;
    request->smallreload = smallreload;
    request->ageFilterID = curAgeFilterID;
    request->teamFilterID = curTeamFilterID;
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TCupItemsForm::fillCups(const std::vector<proto::CupType>& cups)
{
    ComboBoxCup->clear();
    for (const proto::CupType& cup : cups)
        ComboBoxCup->addItem(cup.Name, cup.CupID);
    ComboBoxCup->setCurrentIndex(ComboBoxCup->findData(curCupID));
    ComboBoxCup->setEnabled(true);
}

bool TCupItemsForm::fillFilters(const TCupItemResponse& response)
{
    const auto fill = [](QComboBox* box, auto items, auto text, int& current) {
        box->clear();
        box->addItem(QStringLiteral("Kein Filter"), 0);
        for (auto* list : items) {
            auto sorted = *list;
            std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
                return a.Name.compare(b.Name, Qt::CaseInsensitive) < 0;
            });
            for (const auto& item : sorted)
                box->addItem(text(item), cupItemId(item));
        }
        const int at = box->findData(current);
        box->setCurrentIndex(std::max(0, at));
        if (at < 0) {
            current = 0;
            return false;
        }
        return true;
    };
    bool kept = true;
    if (FTyp != CupItemType::AgeClass)
        kept = fill(
            ComboBoxAgeClass,
            std::initializer_list<const std::vector<proto::CupAgeClassType>*>{
                &response.ageClasses.CompletedCupAgeClasses, &response.ageClasses.PendingCupAgeClasses},
            [](const proto::CupAgeClassType& a) { return a.Name; }, curAgeFilterID);
    if (FTyp == CupItemType::Athlete)
        kept = fill(
                   ComboBoxTeam,
                   std::initializer_list<const std::vector<proto::CupTeamType>*>{&response.teams.CompletedCupTeams,
                                                                                 &response.teams.PendingCupTeams},
                   [](const proto::CupTeamType& t) { return QStringLiteral("%1 (%2)").arg(t.Name).arg(t.TeamID); },
                   curTeamFilterID) &&
               kept;
    return kept;
}

TCupItemsForm::ViewState TCupItemsForm::takeViewState() const
{
    ViewState state;
    const TCupItemRequestType kind = FgetReqType;
    const TCompareListSortInfo initial{kind == R::rt_getAthletes ? 1 : 0, false};
    state.sortInfo1 = listsBuilt_ ? FCompletedListView->sortInfo() : initial;
    state.sortInfo2 = listsBuilt_ ? FPendingListView->sortInfo() : initial;
    if (listsBuilt_) {
        QVariantList expanded;
        FCompletedListView->addExpandedData(expanded);
        FPendingListView->addExpandedData(expanded);
        for (const QVariant& v : expanded)
            state.expanded.push_back(v.toInt());
        state.scrollpos1 = ListView1->verticalScrollBar()->value();
        state.scrollpos2 = ListView2->verticalScrollBar()->value();
    }
    return state;
}

void TCupItemsForm::setLists(std::unique_ptr<TCompareListModel> completed, std::unique_ptr<TCompareListModel> pending)
{
    ListView1->setModel(completed.get());
    ListView2->setModel(pending.get());
    FCompletedListView = std::move(completed);
    FPendingListView = std::move(pending);
    for (TCompareListView* view : {ListView1, ListView2}) {
        const TCompareListModel* list = view->compareModel();
        for (int c = 0; c < list->columnCount(); ++c)
            view->header()->resizeSection(c, list->columnWidth(c));
        fitColumnsToRoom(*view);
    }
}

void TCupItemsForm::RequestFinished(std::unique_ptr<TCupItemResponse> response, const TRequestOutcome& outcome)
{
    if (!response || !outcome.ok()) {
        handleFailure(std::move(response), outcome);
        return;
    }
    switch (response->reqType) {
    case R::rt_getAgeClasses:
    case R::rt_getTeams:
    case R::rt_getAthletes: fillLists(std::move(response)); break;
    case R::rt_modAgeClasses:
    case R::rt_modTeams:
    case R::rt_modAthletes:
        resetDirtyData(kPart);
        afterChange();
        break;
    default: afterChange(); break;
    }
}

void TCupItemsForm::afterChange()
{
    reload(true);
    TWindowRegistry& windows = context().windows();
    if (FTyp == CupItemType::AgeClass)
        windows.reloadIfVisible(TWindowId::CupTeamForm);
    if (FTyp != CupItemType::Athlete)
        windows.reloadIfVisible(TWindowId::CupAthleteForm);
}

void TCupItemsForm::fillLists(std::unique_ptr<TCupItemResponse> response)
{
    if (response->cupsLoaded) {
        fillCups(response->cups);
        if (curCupID != 0 && ComboBoxCup->findData(curCupID) < 0) {
            curCupID = 0;
            cupChosen();
            return;
        }
    }
    if (ImportColumns1)
        ImportColumns1->setEnabled(curCupID != 0);
    if (curCupID == 0 || response->cupId != curCupID)
        return;
    const ViewState state = takeViewState();
    if (!response->smallreload && !fillFilters(*response)) {
        // A filter whose item is gone falls back to none and loads again.
        reload(false);
        return;
    }

    const std::vector<TCompareColumn> columns = cupItemColumns(FTyp, response->customCols);
    auto completed = std::make_unique<TCompareListModel>(columns, kSame, kWarning, kDeviant, curCupID);
    auto pending = std::make_unique<TCompareListModel>(columns, kSame, kWarning, kDeviant, curCupID);
    if (FTyp == CupItemType::Athlete) {
        customCols_ = response->customCols;
        loading_ = true;
        ValueListEditor1->setRowCount(0);
        for (const proto::CustomColumnType& c : customCols_) {
            const int row = ValueListEditor1->rowCount();
            ValueListEditor1->insertRow(row);
            auto* key = new QTableWidgetItem(QString(c.Name).replace(u'=', QStringLiteral("_=")));
            key->setFlags(Qt::ItemIsEnabled);
            key->setData(Qt::UserRole, c.ID);
            ValueListEditor1->setItem(row, 0, key);
            ValueListEditor1->setItem(row, 1, new QTableWidgetItem);
        }
        ValueListEditor1->setEnabled(!customCols_.empty());
        loading_ = false;
    }
    addCupItems(*pending, *response, false);
    addCupItems(*completed, *response, true);
    const std::set<int> expanded(state.expanded.begin(), state.expanded.end());
    for (TCompareListModel* list : {completed.get(), pending.get()})
        for (int root = 0; root < list->getNoOfItems(); ++root)
            if (expanded.count(list->customItemID(root, -1)))
                list->setExpanded(root, true);
    completed->setSortInfo(state.sortInfo1);
    pending->setSortInfo(state.sortInfo2);
    items_ = std::move(response);
    setLists(std::move(completed), std::move(pending));
    listsBuilt_ = true;

    showLists(true);
    applyFilter();
    ListView1->verticalScrollBar()->setValue(state.scrollpos1);
    ListView2->verticalScrollBar()->setValue(state.scrollpos2);
    int selected = 0;
    for (TCompareListView* view : {ListView1, ListView2}) {
        int root = 0, child = 0;
        const QModelIndexList rows = view->selectionModel()->selectedRows();
        if (selected == 0 && !rows.isEmpty() && view->compareModel()->rowItem(rows.front().row(), root, child))
            selected = view->compareModel()->customItemID(root, child);
    }
    loadItem(selected);
}

void TCupItemsForm::applyFilter()
{
    if (!listsBuilt_)
        return;
    const TComparatorType comparator = comparatorAt(ComboBoxCompare->currentIndex());
    for (TCompareListView* view : {ListView1, ListView2}) {
        view->compareModel()->setChildCountFilter(comparator, UpDownCount->value());
        view->clearSelection();
    }
    selectItemRow(curItemID);
    updateCountLabels();
}

void TCupItemsForm::selectItemRow(int itemId)
{
    if (itemId == 0)
        return;
    for (TCompareListView* view : {ListView1, ListView2}) {
        const int row = view->compareModel()->rowOfItem(itemId);
        if (row < 0)
            continue;
        const QModelIndex at = view->model()->index(row, 2);
        view->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->setFocus();
        return;
    }
}

void TCupItemsForm::updateCountLabels()
{
    if (!listsBuilt_ || ListView1->isHidden())
        return; // the "-" of hidden lists stays
    LabelCompleted->setText(QStringLiteral("Abgeschlossene Einträge: %1").arg(FCompletedListView->noOfFilteredItems()));
    LabelPending->setText(QStringLiteral("Offene Einträge: %1").arg(FPendingListView->noOfFilteredItems()));
}

// ---- the edit group ------------------------------------------------------------------------------

void TCupItemsForm::loadItem(int itemId)
{
    const proto::CupAgeClassType* ageClass = nullptr;
    const proto::CupTeamType* team = nullptr;
    const proto::CupAthleteType* athlete = nullptr;
    if (items_ && itemId != 0) {
        ageClass = findItem(items_->ageClasses.PendingCupAgeClasses, items_->ageClasses.CompletedCupAgeClasses, itemId);
        team = findItem(items_->teams.PendingCupTeams, items_->teams.CompletedCupTeams, itemId);
        athlete = findItem(items_->athletes.PendingCupAthletes, items_->athletes.CompletedCupAthletes, itemId);
    }
    QString name;
    switch (FTyp) {
    case CupItemType::AgeClass:
        if (!ageClass)
            itemId = 0;
        else
            name = ageClass->Name;
        break;
    case CupItemType::Team:
        if (!team)
            itemId = 0;
        else
            name = team->Name;
        break;
    default:
        if (!athlete) {
            itemId = 0;
            athlete = &defaultCupAthlete();
        }
        break;
    }
    curItemID = itemId;
    LabelID->setText(itemId == 0 ? QStringLiteral("ID: -") : QStringLiteral("ID: %1").arg(itemId));
    loading_ = true;
    if (FTyp == CupItemType::Athlete) {
        EditGivenName->setText(athlete->Name ? athlete->Name->givenName : QString());
        EditSurName->setText(athlete->Name ? athlete->Name->surName : QString());
        EditYear->setText(athlete->YearOfBirth > 0 ? QString::number(athlete->YearOfBirth) : QString());
        ComboBoxGender->setCurrentIndex(athlete->Gender == proto::GenderType::MALE     ? 1
                                        : athlete->Gender == proto::GenderType::FEMALE ? 2
                                                                                       : 0);
        for (int row = 0; row < ValueListEditor1->rowCount(); ++row)
            ValueListEditor1->item(row, 1)->setText(
                customValueOf(athlete->CustomInformations, ValueListEditor1->item(row, 0)->data(Qt::UserRole).toInt()));
    } else {
        EditName->setText(name);
    }
    loading_ = false;
    ButtonSave->setEnabled(false);
    DoItemChangeCheck(kPart);
}

TCupAthleteEditor TCupItemsForm::athleteEditor() const
{
    TCupAthleteEditor editor;
    editor.givenName = EditGivenName->text();
    editor.surName = EditSurName->text();
    editor.year = EditYear->text();
    editor.gender = ComboBoxGender->currentIndex() == 1   ? proto::GenderType::MALE
                    : ComboBoxGender->currentIndex() == 2 ? proto::GenderType::FEMALE
                                                          : proto::GenderType::NotSpecified;
    for (int row = 0; row < ValueListEditor1->rowCount(); ++row)
        editor.customValues.emplace_back(ValueListEditor1->item(row, 0)->data(Qt::UserRole).toInt(),
                                         ValueListEditor1->item(row, 1)->text());
    return editor;
}

bool TCupItemsForm::checkItemChanged(const QString& part)
{
    if (part != kPart)
        return false;
    if (FTyp == CupItemType::Athlete) {
        const proto::CupAthleteType* item = curItemID == 0 ? &defaultCupAthlete() : nullptr;
        if (items_ && curItemID != 0)
            item = findItem(items_->athletes.PendingCupAthletes, items_->athletes.CompletedCupAthletes, curItemID);
        return !item || cupAthleteChanged(athleteEditor(), *item);
    }
    QString stored;
    if (curItemID != 0) {
        if (!items_)
            return true;
        if (FTyp == CupItemType::AgeClass) {
            const auto* item =
                findItem(items_->ageClasses.PendingCupAgeClasses, items_->ageClasses.CompletedCupAgeClasses, curItemID);
            if (!item)
                return true;
            stored = item->Name;
        } else {
            const auto* item = findItem(items_->teams.PendingCupTeams, items_->teams.CompletedCupTeams, curItemID);
            if (!item)
                return true;
            stored = item->Name;
        }
    }
    return EditName->text().trimmed() != stored;
}

void TCupItemsForm::dirtyDataChangeCallback(bool& changed, const QString& part)
{
    if (part != kPart)
        return;
    bool on = changed && curItemID != 0;
    if (FTyp != CupItemType::Athlete)
        on = on && !EditName->text().trimmed().isEmpty();
    ButtonSave->setEnabled(on);
}

void TCupItemsForm::SaveButtonClick()
{
    if (curItemID == 0)
        return;
    if (FTyp == CupItemType::Athlete) {
        const TCupAthleteEditor editor = athleteEditor();
        if (const QString problem = cupAthleteEditorProblem(editor); !problem.isEmpty()) {
            context().messages().AddException(0, {}, problem, QStringLiteral("Cup-AthletIn ändern"), this);
            return;
        }
        loading_ = true;
        EditGivenName->setText(editor.givenName.trimmed());
        EditSurName->setText(editor.surName.trimmed());
        loading_ = false;
        ButtonSave->setEnabled(false);
        road_.AddRequest(makeCupAthleteSave(editor, curCupID, curItemID), TTransactionMode::tm_None);
        return;
    }
    const QString name = EditName->text().trimmed();
    if (name.isEmpty())
        return;
    loading_ = true;
    EditName->setText(name);
    loading_ = false;
    ButtonSave->setEnabled(false);
    auto request = std::make_unique<TCupItemRequest>();
    request->reqType = modifyCommandOf(FTyp);
    request->kind = FTyp;
    request->cupId = curCupID;
    request->itemID = curItemID;
    request->name = name;
    request->smallreload = true;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

// ---- choosing ------------------------------------------------------------------------------------

void TCupItemsForm::cupChosen()
{
    if (checkDirtyDataMessage(nullptr, kPart)) {
        ComboBoxCup->setCurrentIndex(ComboBoxCup->findData(curCupID));
        return;
    }
    curCupID = ComboBoxCup->currentIndex() >= 0 ? ComboBoxCup->currentData().toInt() : 0;
    if (ImportColumns1)
        ImportColumns1->setEnabled(curCupID != 0);
    reloadFormData(true);
}

void TCupItemsForm::ageFilterChosen()
{
    if (checkDirtyDataMessage(nullptr, kPart)) {
        ComboBoxAgeClass->setCurrentIndex(std::max(0, ComboBoxAgeClass->findData(curAgeFilterID)));
        return;
    }
    curAgeFilterID = ComboBoxAgeClass->currentData().toInt();
    reloadFormData(true);
}

void TCupItemsForm::teamFilterChosen()
{
    if (checkDirtyDataMessage(nullptr, kPart)) {
        ComboBoxTeam->setCurrentIndex(std::max(0, ComboBoxTeam->findData(curTeamFilterID)));
        return;
    }
    curTeamFilterID = ComboBoxTeam->currentData().toInt();
    reloadFormData(true);
}

void TCupItemsForm::listClicked(TCompareListView* list)
{
    TCompareListModel* model = list->compareModel();
    const QModelIndex current = list->currentIndex();
    int root = 0, child = 0;
    if (!model || !current.isValid() || !list->selectionModel()->isSelected(current) ||
        !model->rowItem(current.row(), root, child) || child >= 0)
        return;
    const int id = model->customItemID(root, -1);
    if (id == curItemID)
        return;
    DoItemChangeCheck(kPart);
    TCompareListView* other = list == ListView1 ? ListView2 : ListView1;
    other->clearSelection();
    if (checkDirtyDataMessage(nullptr, kPart)) {
        ListView1->clearSelection();
        ListView2->clearSelection();
        if (curItemID != 0) {
            const int kept = curItemID;
            selectItemRow(kept);
            if (ListView1->compareModel()->rowOfItem(kept) < 0 && ListView2->compareModel()->rowOfItem(kept) < 0)
                loadItem(0);
        }
        return;
    }
    loadItem(id);
}

// ---- mapping -------------------------------------------------------------------------------------

std::vector<int> TCupItemsForm::selectedIds(TCompareListView* list, bool& allChildren, bool& allRoots) const
{
    std::vector<int> ids;
    allChildren = allRoots = true;
    TCompareListModel* model = list->compareModel();
    QModelIndexList rows = list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& r : rows) {
        int root = 0, child = 0;
        if (!model->rowItem(r.row(), root, child))
            continue;
        (child < 0 ? allChildren : allRoots) = false;
        ids.push_back(model->customItemID(root, child));
    }
    if (ids.empty())
        allChildren = allRoots = false;
    return ids;
}

TCompareListView* TCupItemsForm::popupList() const
{
    return isPopupOpen(1) ? ListView1 : ListView2;
}

void TCupItemsForm::openPopup(TCompareListView* list, QMenu* menu, int popupId, const QPoint& pos)
{
    setPopupOpen(popupId);
    const QModelIndex at = list->indexAt(pos);
    if (at.isValid() && !list->selectionModel()->isSelected(at))
        list->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    listClicked(list);
    bool allChildren = false, allRoots = false;
    const std::vector<int> ids = selectedIds(list, allChildren, allRoots);
    const bool cup = curCupID != 0;
    (list == ListView1 ? RemoveEntry1 : RemoveEntry2)->setEnabled(allChildren);
    (list == ListView1 ? MarkPending1 : MarkCompleted2)->setEnabled(allRoots);
    MarkAllCompleted2->setEnabled(cup);
    FlipNames2->setEnabled(allRoots);
    (list == ListView1 ? ShowTeamAthletes1 : ShowTeamAthletes2)->setEnabled(allRoots && ids.size() == 1);
    menu->popup(list->viewport()->mapToGlobal(pos));
}

void TCupItemsForm::sendIds(TCupItemRequestType type, std::vector<int> ids, bool completed)
{
    if (ids.empty())
        return;
    auto request = std::make_unique<TCupItemRequest>();
    request->reqType = type;
    request->kind = FTyp;
    request->cupId = curCupID;
    request->itemIDs = std::move(ids);
    request->completeted = completed;
    request->smallreload = true;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCupItemsForm::entriesDropped(const std::vector<int>& ids, int cupItemId)
{
    if (ids.empty() || cupItemId == 0)
        return;
    auto request = std::make_unique<TCupItemRequest>();
    request->reqType = R::rt_AssignToMaster;
    request->kind = FTyp;
    request->cupId = curCupID;
    request->itemIDs = ids;
    request->masterItemID = cupItemId;
    request->smallreload = true;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCupItemsForm::removeEntries()
{
    bool allChildren = false, allRoots = false;
    std::vector<int> ids = selectedIds(popupList(), allChildren, allRoots);
    if (allChildren)
        sendIds(R::rt_removeFromMaster, std::move(ids));
}

void TCupItemsForm::markCompletion(bool completed)
{
    bool allChildren = false, allRoots = false;
    std::vector<int> ids = selectedIds(completed ? ListView2 : ListView1, allChildren, allRoots);
    if (allRoots)
        sendIds(R::rt_markCompletionState, std::move(ids), completed);
}

void TCupItemsForm::markAllCompleted()
{
    if (curCupID == 0 || !askYesNo(this, QStringLiteral("Markieren als abgeschlossen"),
                                   QStringLiteral("Sollen alle Einträge als abgeschlossen markiert werden?")))
        return;
    auto request = std::make_unique<TCupItemRequest>();
    request->reqType = R::rt_completeAll;
    request->kind = FTyp;
    request->cupId = curCupID;
    request->smallreload = true;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCupItemsForm::flipNames()
{
    bool allChildren = false, allRoots = false;
    std::vector<int> ids = selectedIds(ListView2, allChildren, allRoots);
    if (FTyp == CupItemType::Athlete && allRoots)
        sendIds(R::rt_flipAthleteName, std::move(ids));
}

void TCupItemsForm::showTeamAthletes()
{
    bool allChildren = false, allRoots = false;
    const std::vector<int> ids = selectedIds(popupList(), allChildren, allRoots);
    if (FTyp != CupItemType::Team || !allRoots || ids.size() != 1)
        return;
    if (auto* athletes = context().windows().get<TCupItemsForm>(TWindowId::CupAthleteForm))
        athletes->setFilter(curCupID, TComparatorType::ct_none, 0, 0, ids.front());
}

void TCupItemsForm::Search1Click()
{
    if (checkDirtyDataMessage(nullptr, kPart))
        return;
    if (hasOverallDirtyData()) {
        ListView1->clearSelection();
        ListView2->clearSelection();
        loadItem(0);
    }
    const std::vector<int> columns = FTyp == CupItemType::Athlete ? std::vector<int>{2, 3, 7, 8} : std::vector<int>{2};
    if (auto* search = context().windows().getOrPlaceholder<IListSearchForm>(TWindowId::SearchForm))
        search->openSearchDialog({FCompletedListView.get(), FPendingListView.get()}, columns);
}

// ---- export --------------------------------------------------------------------------------------

void TCupItemsForm::exportCsv(bool cupOnly, bool open)
{
    if (curCupID == 0 || !listsBuilt_)
        return;
    const QString path = askCsvSaveFile(QStringLiteral("Cup-Teilnehmer.csv"));
    if (path.isEmpty())
        return;
    QString error;
    TRespelledNames respelled;
    if (!writeFileWhole(path, cupItemsCsv(*FCompletedListView, *FPendingListView, cupOnly, &respelled), &error)) {
        context().messages().AddException(0, {}, error, QStringLiteral("csv-Export"), this);
        return;
    }
    if (!respelled.isEmpty())
        context().messages().AddWarning(-1, {}, respelled.warning(QDir::toNativeSeparators(path), kWindows1252Name),
                                        QStringLiteral("csv-Export"), this);
    if (open)
        executeFile(path);
}

// ---- failures ------------------------------------------------------------------------------------

void TCupItemsForm::handleFailure(std::unique_ptr<TCupItemResponse> response, const TRequestOutcome& outcome)
{
    bool dirty = hasDirtyData(kPart);
    dirtyDataChangeCallback(dirty, kPart);
    if (!response) {
        road_.report(outcome);
        return;
    }
    road_.report(outcome);
    const bool load = response->reqType == R::rt_getAgeClasses || response->reqType == R::rt_getTeams ||
                      response->reqType == R::rt_getAthletes;
    if (!load) {
        reloadFormData(true);
        return;
    }
    if (!response->smallreload || response->cupId == 0) {
        fillCups(response->cups);
        if (ComboBoxCup->findData(curCupID) < 0)
            curCupID = 0;
    }
}

} // namespace tvp
