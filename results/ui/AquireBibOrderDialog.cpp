#include "results/ui/AquireBibOrderDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowFit.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TAqBibOrderRequestType;

const QString kCaption = QStringLiteral("Rangfolge erfassen");
const QString kPart; // the one dirty part: its question takes the window's caption

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Takes Enter from the editor: the text goes into the model first, then the grid reports the key.
class TBibOrderDelegate : public QStyledItemDelegate {
public:
    explicit TBibOrderDelegate(TBibOrderGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        grid_->setEditorWidget(editor);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            connect(line, &QLineEdit::textEdited, grid_, [grid = grid_] { emit grid->editorEdited(); });
        return editor;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent*>(event)->key()))
            if (auto* editor = qobject_cast<QWidget*>(object)) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                grid_->setEditorWidget(nullptr);
                emit grid_->enterKey();
                return true;
            }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TBibOrderGrid* grid_;
};

} // namespace

TBibOrderGrid::TBibOrderGrid(QWidget* parent) : TEntryGrid(parent)
{
    setItemDelegate(new TBibOrderDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    verticalHeader()->hide();
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void TBibOrderGrid::openEditor()
{
    if (currentIndex().isValid() && state() != EditingState)
        edit(currentIndex());
}

void TBibOrderGrid::commitEditor()
{
    // A closed editor may linger until deleted.
    if (editor_ && state() == EditingState && indexWidget(currentIndex()) == editor_)
        commitData(editor_);
}

void TBibOrderGrid::keyPressEvent(QKeyEvent* event)
{
    if (isEnter(event->key()) && state() != EditingState) {
        emit enterKey();
        event->accept();
        return;
    }
    TEntryGrid::keyPressEvent(event);
}

TAquireBibOrderForm::TAquireBibOrderForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, aqBibOrderRequests(), this,
            [this](std::unique_ptr<TAqBibOrderResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(kCaption);
    setMinimumSize(550, 250);
    resize(560, 420);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Disziplin: -"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);
    Label2 = new QLabel(QStringLiteral("Bei Ranggleichheit Startnummern kommagetrennt in eine Zeile eingeben"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(Label2);
    StringGrid1 = new TBibOrderGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(&model_);
    layout->addWidget(StringGrid1, 1);
    StringGrid1->hide();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Rangdarubereinfugen1 = PopupMenu1->addAction(QStringLiteral("Rang darüber einfügen und nach hinten schieben"));
    Rangdarubereinfugen1->setObjectName(QStringLiteral("Rangdarubereinfugen1"));
    Rangloschen1 = PopupMenu1->addAction(QStringLiteral("Rang löschen und nach vorne schieben"));
    Rangloschen1->setObjectName(QStringLiteral("Rangloschen1"));

    connect(StringGrid1, &TBibOrderGrid::enterKey, this, [this] { guarded([this] { StringGrid1KeyDown(); }); });
    connect(StringGrid1, &TBibOrderGrid::editorEdited, this, [this] { guarded([this] { DoItemChangeCheck(kPart); }); });
    connect(&model_, &QAbstractItemModel::dataChanged, this, [this] { guarded([this] { DoItemChangeCheck(kPart); }); });
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] { guarded([this] { DoItemChangeCheck(kPart); }); });
    connect(StringGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { guarded([&] { showPopup(pos); }); });
    connect(Rangdarubereinfugen1, &QAction::triggered, this, [this] { guarded([this] { shiftClick(true); }); });
    connect(Rangloschen1, &QAction::triggered, this, [this] { guarded([this] { shiftClick(false); }); });
}

TAquireBibOrderForm::~TAquireBibOrderForm() = default;

std::size_t TAquireBibOrderForm::pendingRequests() const
{
    return road_.pending();
}

void TAquireBibOrderForm::showDialog(int discId, int attemptNo)
{
    currentDiscId = discId;
    attempt = attemptNo;
    reloadData();
    show();
}

void TAquireBibOrderForm::unload()
{
    hide();
}

bool TAquireBibOrderForm::checkItemChanged(const QString&)
{
    if (model_.hasUnsentText() || !keptTyped_.empty())
        return true;
    const auto* line = qobject_cast<const QLineEdit*>(StringGrid1->editorWidget());
    return line && line->isModified() && model_.differsFromDrawn(StringGrid1->currentIndex().row(), line->text());
}

void TAquireBibOrderForm::reloadData()
{
    StringGrid1->commitEditor();
    // A "Ja" to losing the changes has cleared the dirty parts already.
    if (!hasOverallDirtyData() || loadedDiscId_ != currentDiscId || loadedAttempt_ != attempt) {
        keptTyped_.clear();
    } else if (model_.rowCount() > 0) {
        // With an earlier reload still under way the grid is empty and keptTyped_ already holds
        // what was typed.
        keptTyped_ = model_.unsentTexts();
        shownBeforeReload_ = RankList;
    }
    Label1->setText(QStringLiteral("Disziplin: -"));
    const int currentRow = StringGrid1->currentIndex().isValid() ? StringGrid1->currentIndex().row() + 1 : 0;
    RankList.clear();
    model_.resetRows();
    StringGrid1->hide();
    auto request = std::make_unique<TAqBibOrderRequest>();
    request->reqType = rt_getDiscipline;
    request->DisciplineId = currentDiscId;
    request->attempt = attempt;
    request->CurrentRow = currentRow;
    latestLoad_ = road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TAquireBibOrderForm::RequestFinished(std::unique_ptr<TAqBibOrderResponse> response, const TRequestOutcome& outcome)
{
    if (outcome.command == int(rt_getDiscipline)) {
        // Loads may overlap and finish in any order; only the last one queued is shown.
        if (outcome.requestId != latestLoad_)
            return;
        latestLoad_ = 0;
    }
    if (!response) {
        road_.report(outcome);
        return;
    }
    if (!outcome.ok()) {
        if (response->reqType == rt_getDiscipline && outcome.errorId == kDisciplineNotFoundError) {
            context().messages().AddException(
                0, {}, QStringLiteral("Disziplin wurde nicht mehr gefunden. Rangfolge erfassen wird beendet."),
                QStringLiteral("Disziplin laden"), this);
            close();
            return;
        }
        road_.report(outcome);
        if (response->reqType == rt_setResult)
            keepRefused(*response);
        // What is typed stays over this reload, so there is nothing to ask about.
        if (response->reqType != rt_getDiscipline)
            reloadData();
        return;
    }
    switch (response->reqType) {
    case rt_getDiscipline: loadFinished(*response); break;
    case rt_setResult: storeFinished(*response); break;
    case rt_shiftResult:
        reloadData();
        refreshOthers();
        break;
    }
}

void TAquireBibOrderForm::loadFinished(const TAqBibOrderResponse& response)
{
    const proto::DisciplinType* disc = response.getDisciplineInfoResponse.Disciplin.get();
    if (!disc || disc->CompetitionID != context().competition().getCompetitionId(false)) {
        unload();
        return;
    }
    Label1->setText(QStringLiteral("Disziplin: ") + disc->Name + QStringLiteral(" (Durchgang ") +
                    QString::number(attempt) + u')');
    teamDisc = disc->ResultTableType && disc->ResultTableType->Team;

    RankList.clear();
    const auto& heats = response.getParticipantsResponse.HeatList;
    for (const proto::BibRankType& entry : response.getBibRanking) {
        if (entry.Rank > TRankList::kMaxRank) {
            context().messages().AddWarning(0, {},
                                            QStringLiteral("Rang %1 der Startnummer %2 liegt außerhalb der Rangfolge "
                                                           "und wird nicht angezeigt.")
                                                .arg(entry.Rank)
                                                .arg(entry.AssignedBib),
                                            kCaption, this);
            continue;
        }
        const TBibHolder holder = getNameForBib(heats, entry.AssignedBib);
        (void)RankList.AddRankItem(entry.Rank, entry.AssignedBib, holder.name, holder.id);
    }
    RankList.appendNextEmpty();
    loadedDiscId_ = currentDiscId;
    loadedAttempt_ = attempt;
    if (!restoreTyped()) {
        // What was shown stays, typed bibs with it.
        RankList = std::move(shownBeforeReload_);
        restoreTyped();
    }

    StringGrid1->show();
    StringGrid1->setEnabled(true);
    StringGrid1->horizontalHeader()->resizeSection(TRankListModel::colRank, 60);
    StringGrid1->horizontalHeader()->resizeSection(TRankListModel::colBibs, 60);
    StringGrid1->horizontalHeader()->resizeSection(TRankListModel::colName, 150);
    fitColumnsToRoom(*StringGrid1);
    StringGrid1->setFocus();
    // Only "Startnr." cells are taken; the first row when the old one is gone.
    selectRow(response.CurrentRow > 0 && response.CurrentRow - 1 < model_.rowCount() ? response.CurrentRow - 1 : 0);
    StringGrid1->openEditor();

    const int attempts = disc->ResultTableType ? disc->ResultTableType->ResultsPerRow : 0;
    if (attempt > attempts)
        close();
}

bool TAquireBibOrderForm::restoreTyped()
{
    std::vector<std::pair<int, QString>> placed;
    for (const auto& [rank, text] : keptTyped_) {
        const int row = RankList.rowOfRank(rank);
        if (row < 0 && showDirtyDataMessage({}, reloadMessage))
            return false;
        if (row >= 0)
            placed.emplace_back(row, text);
    }
    model_.resetRows();
    for (const auto& [row, text] : placed)
        model_.setData(model_.index(row, TRankListModel::colBibs), text, Qt::EditRole);
    keptTyped_.clear();
    DoItemChangeCheck(kPart);
    return true;
}

void TAquireBibOrderForm::keepRefused(const TAqBibOrderResponse& response)
{
    QStringList bibs;
    for (int bib : response.newBibs)
        bibs << QString::number(bib);
    const QString text = bibs.join(QStringLiteral(", "));
    const int row = RankList.rowOfRank(response.rank);
    if (latestLoad_ == 0 && row >= 0 && row < model_.rowCount()) {
        model_.markUnsent(row, text);
        return;
    }
    // The grid waits for a reload: the bibs join what it keeps, unless the rank has newer ones.
    for (const auto& kept : keptTyped_)
        if (kept.first == response.rank)
            return;
    if (!text.isEmpty())
        keptTyped_.emplace_back(response.rank, text);
    DoItemChangeCheck(kPart);
}

void TAquireBibOrderForm::selectRow(int row)
{
    StringGrid1->setCurrentIndex(model_.index(row, TRankListModel::colBibs));
}

void TAquireBibOrderForm::StringGrid1KeyDown()
{
    const QModelIndex current = StringGrid1->currentIndex();
    if (!current.isValid() || current.column() != TRankListModel::colBibs)
        return;
    const int row = current.row();
    if (row >= RankList.count()) {
        context().messages().AddException(
            0, {}, QStringLiteral("Interner Fehler: Platzierungsobjekt nicht gefunden. Mit F5 aktualisieren."),
            kCaption, this);
        return;
    }
    const TBibText typed = parseBibText(model_.bibText(row));
    if (!typed.valid()) {
        context().messages().AddException(
            0, {}, QStringLiteral("Ungültige Startnummer: %1 ist zu groß.").arg(typed.tooLarge), kCaption, this);
        return;
    }
    storeResultAsync(row, typed.bibs);
    model_.markSent(row);
    if (row == model_.rowCount() - 1) {
        RankList.append(TRankItem(RankList.at(row).fRank + 1));
        model_.renderRow(RankList.count() - 1);
    }
    selectRow(std::min(row + 1, model_.rowCount() - 1));
    if (StringGrid1->isEnabled())
        StringGrid1->openEditor();
}

void TAquireBibOrderForm::storeResultAsync(int row, const std::vector<int>& newBibs)
{
    const TRankItem& item = RankList.at(row);
    auto request = std::make_unique<TAqBibOrderRequest>();
    request->reqType = rt_setResult;
    request->DisciplineId = currentDiscId;
    request->teamDisc = teamDisc;
    request->attempt = attempt;
    request->rank = item.fRank;
    request->oldBibs = item.bibs();
    request->newBibs = newBibs;
    request->CurrentRow = row + 1;
    const std::size_t before = request->oldBibs.size();
    request->issueReload = before != newBibs.size() && !(before == 0 && newBibs.size() == 1);
    if (request->issueReload)
        disableGrid();
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TAquireBibOrderForm::disableGrid()
{
    // The reload's model reset closes an open editor.
    StringGrid1->setEnabled(false);
}

void TAquireBibOrderForm::storeFinished(const TAqBibOrderResponse& response)
{
    for (const QString& warning : bibOrderWarnings(response))
        context().messages().AddWarning(0, {}, warning, kCaption, this);
    // While a reload is under way the list is not the one the store was typed into; a newer
    // reload shows both.
    if (response.issueReload || latestLoad_ != 0) {
        reloadData();
        refreshOthers();
        return;
    }
    TRankItem* item = RankList.itemOfRank(response.rank);
    if (item)
        item->clear();
    if (RankList.holdsAnyBib(response.bibs)) {
        // A bib moved from another rank: the other windows show it moved too.
        disableGrid();
        reloadData();
        refreshOthers();
        return;
    }
    int placed = -1;
    for (std::size_t i = 0; i < response.bibs.size(); ++i) {
        TBibHolder holder;
        if (response.teamDisc && i < response.Teams.size()) {
            holder = {response.Teams[i].Name, response.Teams[i].TeamID};
        } else if (!response.teamDisc && i < response.Athletes.size()) {
            holder = {getDisplayNameForAthlete(response.Athletes[i]), response.Athletes[i].AthleteID};
        }
        placed = RankList.AddRankItem(response.rank, response.bibs[i], holder.name, holder.id);
    }
    // A cleared row is drawn again too, so no typed text stays behind.
    if (placed < 0 && item)
        placed = int(item - &RankList.at(0));
    model_.renderRow(placed);
    refreshOthers();
}

void TAquireBibOrderForm::refreshOthers()
{
    TWindowRegistry& windows = context().windows();
    if (windows.isVisible(TWindowId::ResultDialog))
        if (auto* results = windows.get<IResultDialog>(TWindowId::ResultDialog))
            results->reloadFromBibRanking();
    windows.reloadIfVisible(TWindowId::ResultCheckForm);
}

void TAquireBibOrderForm::showPopup(const QPoint& pos)
{
    const QModelIndex clicked = StringGrid1->indexAt(pos);
    if (!clicked.isValid())
        return;
    SelectedRow = clicked.row() + 1;
    PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(pos));
}

void TAquireBibOrderForm::shiftClick(bool insert)
{
    const int index = SelectedRow - 1;
    if (index < 0 || index >= RankList.count()) {
        context().messages().AddException(0, {}, QStringLiteral("Interner Fehler: Ungültiger Zelle ausgewählt"),
                                          QStringLiteral("Rangfolge verschieben"), this);
        return;
    }
    const TRankItem& item = RankList.at(index);
    auto request = std::make_unique<TAqBibOrderRequest>();
    request->reqType = rt_shiftResult;
    request->DisciplineId = currentDiscId;
    request->teamDisc = teamDisc;
    request->attempt = attempt;
    if (insert) {
        request->rank = item.fRank;
        request->shiftOffset = 1;
    } else {
        const int n = std::max(1, item.getBibCount());
        request->rank = item.fRank + n;
        request->shiftOffset = -n;
    }
    disableGrid();
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TAquireBibOrderForm::closeEvent(QCloseEvent* event)
{
    if (RankList.hasGap() && isVisible() &&
        !askYesNo(this, QStringLiteral("Erfassungsfenster Schließen?"),
                  QStringLiteral("Es sind noch Platzierungen ohne Startnummer vorhanden. Soll das Fenster dennoch "
                                 "geschlossen werden?"))) {
        event->ignore();
    } else {
        TTVPForm::closeEvent(event);
    }
    TWindowRegistry& windows = context().windows();
    // As after a store: what was typed there stays, and it asks only where it cannot.
    if (windows.isVisible(TWindowId::ResultDialog))
        windows.reload(TWindowId::ResultDialog, false);
    windows.reloadIfVisible(TWindowId::AnalyseForm);
}

} // namespace tvp
