#include "scoring/ui/CupsDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TCupRequestType;

const QString kPart; // the window's one dirty part
const QString kWaitRemoveCup = QStringLiteral("Entferne Cup...");
const QString kWaitRemoveCompetition = QStringLiteral("Entferne Veranstaltung von Cup...");
const QString kWaitAssign = QStringLiteral("Veranstaltungen hinzufügen...");

std::optional<int> nodeCup(const QModelIndex& node)
{
    return TCupTreeModel::cupOf(node);
}

std::optional<int> nodeCompetition(const QModelIndex& node)
{
    return TCupTreeModel::competitionOf(node);
}

// Key releases in the tree act as a click; right clicks select before the popup opens.
class TreeEvents : public QObject {
public:
    TreeEvents(QTreeView* tree, std::function<void()> click, std::function<void(const QPoint&)> popup)
        : QObject(tree), tree_(tree), click_(std::move(click)), popup_(std::move(popup))
    {
        tree->installEventFilter(this);
        tree->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyRelease && watched == tree_) {
            guarded([&] { click_(); });
        } else if (event->type() == QEvent::ContextMenu && watched == tree_->viewport()) {
            auto* e = static_cast<QContextMenuEvent*>(event);
            guarded([&] { popup_(e->pos()); });
            return true;
        }
        return false;
    }

private:
    QTreeView* tree_;
    std::function<void()> click_;
    std::function<void(const QPoint&)> popup_;
};

} // namespace

// ---- the competition list and the tree -----------------------------------------------------------

std::vector<int> TCupCompetitionList::selectedIds() const
{
    std::vector<int> out;
    if (!model() || !selectionModel())
        return out;
    for (int row = 0; row < model()->rowCount(); ++row)
        if (selectionModel()->isRowSelected(row, rootIndex()))
            out.push_back(model()->index(row, 0).data(Qt::UserRole).toInt());
    return out;
}

std::optional<int> TCupTree::targetCup(const QDropEvent* event) const
{
    if (!event->mimeData()->hasFormat(kCupCompetitionIdsMimeType))
        return std::nullopt;
    const std::optional<int> cup = TCupTreeModel::cupOf(indexAt(event->position().toPoint()));
    if (!cup || decodeCompetitionIds(event->mimeData()->data(kCupCompetitionIdsMimeType)).empty())
        return std::nullopt;
    return cup;
}

void TCupTree::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(kCupCompetitionIdsMimeType))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCupTree::dragMoveEvent(QDragMoveEvent* event)
{
    if (targetCup(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCupTree::dropEvent(QDropEvent* event)
{
    const std::optional<int> cup = targetCup(event);
    if (!cup) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const std::vector<int> ids = decodeCompetitionIds(event->mimeData()->data(kCupCompetitionIdsMimeType));
    guarded([&] { emit competitionsDropped(*cup, ids); });
}

// ---- the window ----------------------------------------------------------------------------------

TCupsForm::TCupsForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, cupRequests(), this, [this](std::unique_ptr<TCupResponse> r, const TRequestOutcome& o) {
          guarded([&] { RequestFinished(std::move(r), o); });
      })
{
    setObjectName(QStringLiteral("CupsForm"));
    setWindowTitle(QStringLiteral("Cup-Wertungen"));
    setMinimumSize(500, 500);

    auto* layout = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* treeLabel = new QLabel(QStringLiteral("Cup-Wertungen:"), this);
    treeLabel->setObjectName(QStringLiteral("Label1"));
    TreeView1 = new TCupTree(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setModel(&cupTree_);
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setAcceptDrops(true);
    TreeView1->viewport()->setAcceptDrops(true);
    TreeView1->setDropIndicatorShown(true);
    TreeView1->setDragDropMode(QAbstractItemView::DropOnly);
    connect(TreeView1, &TCupTree::competitionsDropped, this,
            [this](int cupId, const std::vector<int>& ids) { guarded([&] { dropOn(cupId, ids); }); });
    left->addWidget(treeLabel);
    left->addWidget(TreeView1);
    auto* right = new QVBoxLayout;
    auto* listLabel = new QLabel(QStringLiteral("Verfügbare Veranstaltungen:"), this);
    listLabel->setObjectName(QStringLiteral("Label2"));
    ListBox1 = new TCupCompetitionList(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setModel(&competitions_);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setDragEnabled(true);
    ListBox1->setDragDropMode(QAbstractItemView::DragOnly);
    right->addWidget(listLabel);
    right->addWidget(ListBox1);
    lists->addLayout(left);
    lists->addLayout(right);
    layout->addLayout(lists, 1);

    auto* group = new QGroupBox(QStringLiteral("Gesamt-Cup"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Name:"), group), 0, 0);
    EditName = new QLineEdit(group);
    EditName->setObjectName(QStringLiteral("EditName"));
    grid->addWidget(EditName, 0, 1, 1, 2);
    LabelID = new QLabel(cupIdLabel(0), group);
    LabelID->setObjectName(QStringLiteral("LabelID"));
    grid->addWidget(LabelID, 0, 3);
    auto addCount = [&](int row, const QString& caption, const QString& name, QLabel*& label, QSpinBox*& upDown) {
        grid->addWidget(new QLabel(caption, group), row, 0);
        label = new QLabel(QStringLiteral("3"), group);
        label->setObjectName(QStringLiteral("Label") + name);
        upDown = new QSpinBox(group);
        upDown->setObjectName(QStringLiteral("UpDown") + name);
        upDown->setRange(0, 100);
        upDown->setValue(3);
        grid->addWidget(label, row, 1);
        grid->addWidget(upDown, row, 2);
        connect(upDown, &QSpinBox::valueChanged, this, [this, label](int value) {
            guarded([&] {
                label->setText(QString::number(value));
                if (!loading_)
                    DoItemChangeCheck(kPart);
            });
        });
    };
    addCount(1, QStringLiteral("Mindestteilnahmen Team:"), QStringLiteral("MinTeam"), LabelMinTeam, UpDownMinTeam);
    addCount(2, QStringLiteral("Mindestteilnahmen Athlet:"), QStringLiteral("MinAthlete"), LabelMinAthlete,
             UpDownMinAthlete);
    auto* buttons = new QHBoxLayout;
    auto button = [&](const QString& caption, const QString& name) {
        auto* b = new QPushButton(caption, group);
        b->setObjectName(name);
        buttons->addWidget(b);
        return b;
    };
    ButtonParameter = button(QStringLiteral("Cup-Parameter"), QStringLiteral("ButtonParameter"));
    ButtonColumns = button(QStringLiteral("Benutzerdefinierte Spalten anlegen"), QStringLiteral("ButtonColumns"));
    ButtonCert = button(QStringLiteral("Ergebnisse/Urkunden..."), QStringLiteral("ButtonCert"));
    ButtonAdd = button(QStringLiteral("Als neuen Cup hinzufügen"), QStringLiteral("ButtonAdd"));
    ButtonSave = button(QStringLiteral("Änderung speichern"), QStringLiteral("ButtonSave"));
    ButtonAdd->setEnabled(false);
    ButtonSave->setEnabled(false);
    grid->addLayout(buttons, 3, 0, 1, 4);
    layout->addWidget(group);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Entfernen1 = PopupMenu1->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));

    connect(ButtonAdd, &QPushButton::clicked, this, [this] { guarded([this] { AddButtonClick(); }); });
    connect(ButtonSave, &QPushButton::clicked, this, [this] { guarded([this] { SaveButtonClick(); }); });
    connect(ButtonCert, &QPushButton::clicked, this, [this] { guarded([this] { CertButtonClick(); }); });
    connect(ButtonColumns, &QPushButton::clicked, this, [this] { guarded([this] { ColumnsButtonClick(); }); });
    connect(ButtonParameter, &QPushButton::clicked, this, [this] { guarded([this] { ParamButtonClick(); }); });
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
    connect(EditName, &QLineEdit::textChanged, this, [this] {
        guarded([this] {
            if (loading_)
                return;
            DoItemChangeCheck(kPart);
            EnableButtons();
        });
    });
    connect(TreeView1, &QTreeView::clicked, this, [this] { guarded([this] { TreeClick(); }); });
    new TreeEvents(
        TreeView1, [this] { TreeClick(); }, [this](const QPoint& pos) { openPopup(pos); });

    LoadItem();
    fitToTexts(*this);
}

TCupsForm::~TCupsForm() = default;

// ---- ICupsForm -----------------------------------------------------------------------------------

void TCupsForm::ReloadCupWindows()
{
    TWindowRegistry& windows = context().windows();
    for (TWindowId id : {TWindowId::CupResultModelForm, TWindowId::CupCertForm, TWindowId::CupAgeClassForm,
                         TWindowId::CupTeamForm, TWindowId::CupAthleteForm})
        windows.reloadIfVisible(id);
}

QString TCupsForm::getCupName()
{
    const QModelIndex node = cupTree_.cupIndex(currentCupId);
    return node.isValid() && currentCupId != 0 ? node.data().toString() : QString();
}

// ---- loading -------------------------------------------------------------------------------------

void TCupsForm::unload()
{
    currentCupId = 0;
    LoadItem();
    reloadData();
}

void TCupsForm::FormShow()
{
    reloadFormData(true);
}

void TCupsForm::reloadData()
{
    TreeView1->setEnabled(false);
    ListBox1->setEnabled(false);
    EnableButtons();
    road_.AddRequest(std::make_unique<TCupRequest>(), TTransactionMode::tm_None);
}

void TCupsForm::fillLists(TCupResponse& response)
{
    competitions_.setCompetitions(response.competitions);
    ListBox1->setEnabled(true);

    const QStringList collapsed = getCollapsedItems(*TreeView1);
    cupTree_.setCups(response.cups);
    TreeView1->setExpanded(cupTree_.index(0, 0), true);
    restoreCollapsedItems(*TreeView1, collapsed);
    TreeView1->setEnabled(true);

    const std::vector<proto::CupType>& cups = cupTree_.cups();
    if (std::none_of(cups.begin(), cups.end(), [&](const proto::CupType& c) { return c.CupID == currentCupId; }))
        currentCupId = 0;
    LoadItem();
}

const proto::CupType* TCupsForm::shownCup() const
{
    if (currentCupId == 0)
        return &defaultCup();
    for (const proto::CupType& cup : cupTree_.cups())
        if (cup.CupID == currentCupId)
            return &cup;
    return nullptr;
}

void TCupsForm::LoadItem()
{
    const proto::CupType* shown = shownCup();
    if (!shown)
        shown = &defaultCup();
    loading_ = true;
    EditName->setText(shown->Name);
    LabelID->setText(cupIdLabel(shown->CupID));
    UpDownMinTeam->setValue(shown->MinTeamParticipations);
    UpDownMinAthlete->setValue(shown->MinAthleteParticipations);
    LabelMinTeam->setText(QString::number(UpDownMinTeam->value()));
    LabelMinAthlete->setText(QString::number(UpDownMinAthlete->value()));
    loading_ = false;
    DoItemChangeCheck(kPart);
    EnableButtons();
}

void TCupsForm::EnableButtons()
{
    for (QPushButton* b : {ButtonParameter, ButtonColumns, ButtonCert, ButtonAdd, ButtonSave})
        b->setEnabled(false);
    if (EditName->text().trimmed().isEmpty())
        return;
    ButtonAdd->setEnabled(true);
    if (currentCupId == 0)
        return;
    ButtonSave->setEnabled(hasDirtyData(kPart));
    ButtonCert->setEnabled(true);
    ButtonColumns->setEnabled(true);
    ButtonParameter->setEnabled(true);
}

// ---- unsaved changes -----------------------------------------------------------------------------

TCupGroupValues TCupsForm::groupValues() const
{
    return {EditName->text().trimmed(), UpDownMinTeam->value(), UpDownMinAthlete->value()};
}

bool TCupsForm::checkItemChanged(const QString& part)
{
    if (part != kPart)
        return false;
    return cupGroupChanged(groupValues(), shownCup());
}

void TCupsForm::dirtyDataChangeCallback(bool& changed, const QString& part)
{
    if (part == kPart)
        ButtonSave->setEnabled(changed && currentCupId != 0);
}

// ---- the user's actions --------------------------------------------------------------------------

void TCupsForm::TreeClick()
{
    QModelIndex node = TreeView1->currentIndex();
    if (node.isValid() && !TreeView1->selectionModel()->isSelected(node))
        node = {};
    if (node.isValid() && nodeCup(node) == currentCupId && currentCupId != 0)
        return;
    // The root asks like any other node: its load resets the group the user may be typing in.
    DoItemChangeCheck(kPart);
    if (checkDirtyDataMessage(nullptr, kPart)) {
        TreeView1->clearSelection();
        if (currentCupId != 0) {
            if (const QModelIndex kept = cupTree_.cupIndex(currentCupId); kept.isValid()) {
                TreeView1->setCurrentIndex(kept);
            } else {
                currentCupId = 0;
                LoadItem();
            }
        }
        return;
    }
    if (node.isValid()) {
        currentCupId = nodeCup(node).value_or(0);
        LoadItem();
    }
}

void TCupsForm::AddButtonClick()
{
    ButtonAdd->setEnabled(false);
    const TCupGroupValues values = groupValues();
    if (!values.name.isEmpty()) {
        EditName->setText(values.name);
        road_.AddRequest(makeCupSave(rt_create, values, 0), TTransactionMode::tm_None);
    }
    currentCupId = 0;
    LoadItem();
}

void TCupsForm::SaveButtonClick()
{
    ButtonSave->setEnabled(false);
    const TCupGroupValues values = groupValues();
    if (values.name.isEmpty() || currentCupId == 0)
        return;
    loading_ = true;
    EditName->setText(values.name);
    loading_ = false;
    road_.AddRequest(makeCupSave(rt_modify, values, currentCupId), TTransactionMode::tm_None);
}

void TCupsForm::openPopup(const QPoint& pos)
{
    if (const QModelIndex at = TreeView1->indexAt(pos); at.isValid()) {
        TreeView1->setCurrentIndex(at);
        TreeClick();
    }
    const QModelIndex current = TreeView1->currentIndex();
    Entfernen1->setEnabled(nodeCup(current).has_value() && TreeView1->selectionModel()->isSelected(current));
    PopupMenu1->popup(TreeView1->viewport()->mapToGlobal(pos));
}

void TCupsForm::Entfernen1Click()
{
    const QModelIndex node = TreeView1->currentIndex();
    const std::optional<int> cup = nodeCup(node);
    if (!cup)
        return;
    auto request = std::make_unique<TCupRequest>();
    request->cupId = *cup;
    if (const std::optional<int> competition = nodeCompetition(node)) {
        request->reqType = rt_removeCompetition;
        request->compIds = {*competition};
        context().waitTexts().showWait(kWaitRemoveCompetition, this);
    } else {
        if (!askYesNo(this, QStringLiteral("Cup-Wertung löschen?"),
                      QStringLiteral("Soll die gewählte Cup-Wertung und alle damit verbundenen Cup-Auswertungen "
                                     "wirklich gelöscht werden?")))
            return;
        if (auto* parameters = context().windows().find<IGlobalParameterForm>();
            parameters && parameters->isCupLoaded(*cup))
            context().windows().widget(TWindowId::GlobalParameterForm)->hide();
        request->reqType = rt_delete;
        context().waitTexts().showWait(kWaitRemoveCup, this);
    }
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCupsForm::dropOn(int cupId, const std::vector<int>& competitionIds)
{
    auto request = std::make_unique<TCupRequest>();
    request->reqType = rt_assignCompetition;
    request->cupId = cupId;
    request->compIds = competitionIds;
    context().waitTexts().showWait(kWaitAssign, this);
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCupsForm::CertButtonClick()
{
    if (currentCupId == 0)
        return;
    if (auto* cert = context().windows().getOrPlaceholder<ICupCertForm>(TWindowId::CupCertForm))
        cert->ShowCertForm(currentCupId);
}

void TCupsForm::ColumnsButtonClick()
{
    if (currentCupId == 0)
        return;
    if (auto* columns = context().windows().getOrPlaceholder<ICustomCupColForm>(TWindowId::CustomCupColForm))
        columns->showCustomCupColForm(currentCupId, proto::CupItemType::Athlete);
}

void TCupsForm::ParamButtonClick()
{
    if (auto* parameters = context().windows().getOrPlaceholder<IGlobalParameterForm>(TWindowId::GlobalParameterForm))
        parameters->showGlobalParameterForm(currentCupId);
}

// ---- answers -------------------------------------------------------------------------------------

void TCupsForm::closeWaits()
{
    context().waitTexts().closeWait(kWaitRemoveCup);
    context().waitTexts().closeWait(kWaitRemoveCompetition);
}

void TCupsForm::afterRemoval()
{
    reloadData();
    ReloadCupWindows();
    if (auto* disciplines = context().windows().find<IDisciplineWindows>())
        disciplines->reloadDisciplinForms(true);
}

void TCupsForm::RequestFinished(std::unique_ptr<TCupResponse> response, const TRequestOutcome& outcome)
{
    if (!response || !outcome.ok()) {
        handleFailure(std::move(response), outcome);
        closeWaits();
        return;
    }
    switch (response->reqType) {
    case rt_get: fillLists(*response); break;
    case rt_create:
    case rt_modify:
        resetDirtyData(kPart);
        reloadData();
        ReloadCupWindows();
        break;
    case rt_assignCompetition:
        context().waitTexts().closeWait(kWaitAssign);
        reloadData();
        ReloadCupWindows();
        break;
    case rt_delete:
    case rt_removeCompetition: afterRemoval(); break;
    }
    closeWaits();
}

void TCupsForm::handleFailure(std::unique_ptr<TCupResponse> response, const TRequestOutcome& outcome)
{
    EnableButtons();
    if (!response) {
        context().waitTexts().closeWait(kWaitAssign);
        road_.report(outcome);
        return;
    }
    if (response->reqType == rt_assignCompetition)
        context().waitTexts().closeWait(kWaitAssign);
    if (outcome.declined)
        return; // "Nein" to removing a competition cup scorings still draw on
    road_.report(outcome);
    if (response->reqType != rt_get)
        reloadFormData(true);
}

} // namespace tvp
