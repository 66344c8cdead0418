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
#include <QScopeGuard>
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

// A row whose number of bibs changes moves the ranks after it (a tie takes one per bib); only the
// first bib on an empty rank leaves them where they are.
bool changesRanks(const std::vector<int>& oldBibs, const std::vector<int>& newBibs)
{
    return oldBibs.size() != newBibs.size() && !(oldBibs.empty() && newBibs.size() == 1);
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
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(TRankListModel::kRefusedRole).toBool())
            option->palette.setColor(QPalette::Text, Qt::red);
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
    return road_.pending() + queue_.size();
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
    if (model_.hasUnsentText())
        return true;
    const auto* line = qobject_cast<const QLineEdit*>(StringGrid1->editorWidget());
    return line && line->isModified() && model_.differsFromDrawn(StringGrid1->currentIndex().row(), line->text());
}

void TAquireBibOrderForm::reloadData()
{
    StringGrid1->commitEditor();
    if (loadedDiscId_ != currentDiscId || loadedAttempt_ != attempt) {
        // Another finishing order: nothing of the one shown belongs to it.
        Label1->setText(QStringLiteral("Disziplin: -"));
        RankList.clear();
        model_.resetRows();
        StringGrid1->hide();
        loadedDiscId_ = loadedAttempt_ = 0;
    } else if (!hasOverallDirtyData()) {
        // A "Ja" to losing the changes has cleared the dirty parts already.
        model_.dropUnsent();
    }
    // The list shown stays and takes keys while it loads. One load waiting is enough: it reads what
    // is there when it leaves.
    for (const TQueued& queued : queue_)
        if (queued.request->reqType == rt_getDiscipline && queued.request->DisciplineId == currentDiscId &&
            queued.request->attempt == attempt)
            return;
    auto request = std::make_unique<TAqBibOrderRequest>();
    request->reqType = rt_getDiscipline;
    request->DisciplineId = currentDiscId;
    request->attempt = attempt;
    request->CurrentRow = StringGrid1->currentIndex().isValid() ? StringGrid1->currentIndex().row() + 1 : 0;
    queueRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TAquireBibOrderForm::queueRequest(std::unique_ptr<TAqBibOrderRequest> request, TTransactionMode mode)
{
    queue_.push_back({std::move(request), mode});
    sendNext();
}

void TAquireBibOrderForm::sendNext()
{
    while (!queue_.empty()) {
        // Loads may overlap one another (the last one sent is shown); a store or shift leaves alone.
        const bool load = queue_.front().request->reqType == rt_getDiscipline;
        const bool writing =
            std::ranges::any_of(inFlight_, [](const auto& sent) { return sent.second->reqType != rt_getDiscipline; });
        if (writing || (!load && !inFlight_.empty()))
            return;
        TQueued next = std::move(queue_.front());
        queue_.pop_front();
        TAqBibOrderRequest& request = *next.request;
        if (request.reqType == rt_setResult && request.DisciplineId == loadedDiscId_ &&
            request.attempt == loadedAttempt_)
            if (const TRankItem* item = RankList.itemOfRank(request.rank)) {
                // What the rank holds after the stores before this one.
                request.oldBibs = item->bibs();
                request.issueReload = changesRanks(request.oldBibs, request.newBibs);
            }
        auto sent = std::make_unique<TAqBibOrderRequest>(request);
        const quint32 id = road_.AddRequest(std::move(next.request), next.mode);
        if (id == 0) {
            // Shut-down: nothing is taken any more.
            queue_.clear();
            return;
        }
        if (load)
            latestLoad_ = id;
        inFlight_.emplace(id, std::move(sent));
    }
}

void TAquireBibOrderForm::RequestFinished(std::unique_ptr<TAqBibOrderResponse> response, const TRequestOutcome& outcome)
{
    std::unique_ptr<TAqBibOrderRequest> sent;
    if (const auto it = inFlight_.find(outcome.requestId); it != inFlight_.end()) {
        sent = std::move(it->second);
        inFlight_.erase(it);
    }
    // The next request leaves whatever this one's answer does below.
    const auto next = qScopeGuard([this] { sendNext(); });
    if (outcome.command == int(rt_getDiscipline)) {
        // A load sent after this one shows the list.
        if (outcome.requestId != latestLoad_)
            return;
        latestLoad_ = 0;
    }
    if (!response || !outcome.ok()) {
        requestFailed(response.get(), outcome, sent.get());
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

void TAquireBibOrderForm::requestFailed(const TAqBibOrderResponse* response, const TRequestOutcome& outcome,
                                        const TAqBibOrderRequest* sent)
{
    const auto command = TAqBibOrderRequestType(outcome.command);
    if (command == rt_getDiscipline && response && outcome.errorId == kDisciplineNotFoundError) {
        context().messages().AddException(
            0, {}, QStringLiteral("Disziplin wurde nicht mehr gefunden. Rangfolge erfassen wird beendet."),
            QStringLiteral("Disziplin laden"), this);
        close();
        return;
    }
    if (command == rt_setResult && sent)
        keepRefused(*sent, outcome);
    else
        road_.report(outcome);
    // What is typed stays over this reload, so there is nothing to ask about.
    if (command != rt_getDiscipline)
        reloadData();
    else if (RankList.count() > 0)
        StringGrid1->setEnabled(true); // the list shown is all there is; F5 tries again
}

void TAquireBibOrderForm::loadFinished(const TAqBibOrderResponse& response)
{
    const proto::DisciplinType* disc = response.getDisciplineInfoResponse.Disciplin.get();
    if (!disc || disc->CompetitionID != context().competition().getCompetitionId(false)) {
        unload();
        return;
    }
    // A load of a finishing order left meanwhile shows nothing.
    if (response.DisciplineId != currentDiscId || response.attempt != attempt)
        return;
    Label1->setText(QStringLiteral("Disziplin: ") + disc->Name + QStringLiteral(" (Durchgang ") +
                    QString::number(attempt) + u')');
    teamDisc = disc->ResultTableType && disc->ResultTableType->Team;

    // Where the user is stays where it is: the rank, an open editor with its text and cursor, and
    // every text typed and not drawn from the server yet.
    StringGrid1->commitEditor();
    const QModelIndex current = StringGrid1->currentIndex();
    const int currentRank =
        current.isValid() && current.row() < RankList.count() ? RankList.at(current.row()).fRank : 0;
    std::optional<TEntryGrid::TEditorState> editing;
    if (auto* line = qobject_cast<QLineEdit*>(StringGrid1->editorWidget()); line && StringGrid1->isEditing())
        editing = TEntryGrid::editorState(*line);
    const std::vector<TRankListModel::TTypedRow> kept = model_.typedRows();
    TRankList shownBefore = RankList;

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
    keepTypedRanks(RankList, kept);
    loadedDiscId_ = currentDiscId;
    loadedAttempt_ = attempt;
    if (!restoreTyped(kept)) {
        // What was shown stays, typed bibs with it.
        RankList = std::move(shownBefore);
        restoreTyped(kept);
    }
    dropUnfitting_ = false;

    StringGrid1->show();
    StringGrid1->setEnabled(true);
    StringGrid1->horizontalHeader()->resizeSection(TRankListModel::colRank, 60);
    StringGrid1->horizontalHeader()->resizeSection(TRankListModel::colBibs, 60);
    StringGrid1->horizontalHeader()->resizeSection(TRankListModel::colName, 150);
    fitColumnsToRoom(*StringGrid1);
    StringGrid1->setFocus();
    // Only "Startnr." cells are taken; the user's rank (below the list its free row), else the row
    // asked for, else the first row.
    int row = currentRank > 0 ? RankList.rowOfRank(currentRank) : -1;
    if (row < 0 && currentRank > RankList.at(RankList.count() - 1).fRank)
        row = RankList.count() - 1;
    if (row < 0)
        row = response.CurrentRow > 0 && response.CurrentRow - 1 < model_.rowCount() ? response.CurrentRow - 1 : 0;
    selectRow(row);
    if (editing)
        StringGrid1->reopenEditor(*editing);
    else
        StringGrid1->openEditor();

    const int attempts = disc->ResultTableType ? disc->ResultTableType->ResultsPerRow : 0;
    if (attempt > attempts)
        close();
}

bool TAquireBibOrderForm::restoreTyped(const std::vector<TRankListModel::TTypedRow>& kept)
{
    std::vector<std::pair<int, const TRankListModel::TTypedRow*>> placed;
    for (const TRankListModel::TTypedRow& typed : kept) {
        const int row = RankList.rowOfRank(typed.rank);
        // One on its way is drawn where the server puts it once stored.
        if (row < 0 && typed.state != TRankListModel::TTypedState::Sending && !dropUnfitting_ && keepOverReload([this] {
                dropUnfitting_ = true;
                reloadData();
            }))
            return false;
        if (row >= 0)
            placed.emplace_back(row, &typed);
    }
    model_.resetRows();
    for (const auto& [row, typed] : placed)
        model_.restoreTyped(row, *typed);
    DoItemChangeCheck(kPart);
    return true;
}

void TAquireBibOrderForm::keepRefused(const TAqBibOrderRequest& sent, const TRequestOutcome& outcome)
{
    QString reason;
    if (outcome.errorId != 0)
        reason = context().messages().getExceptionById(outcome.errorId, outcome.parameters);
    if (reason.isEmpty())
        reason = outcome.error;
    QStringList bibs;
    for (int bib : sent.newBibs)
        bibs << QString::number(bib);
    const QString text = bibs.join(QStringLiteral(", "));
    const QString row = bibs.isEmpty() ? QStringLiteral("Rang %1").arg(sent.rank)
                                       : QStringLiteral("Rang %1, Startnummer%2 %3")
                                             .arg(sent.rank)
                                             .arg(bibs.size() > 1 ? QStringLiteral("n") : QString(), text);
    context().messages().AddException(0, {}, row + QStringLiteral(": ") + reason,
                                      failureCaption(outcome, road_.requestName(outcome.command)), this);
    if (sent.DisciplineId == loadedDiscId_ && sent.attempt == loadedAttempt_)
        model_.markRefused(RankList.rowOfRank(sent.rank), text, reason);
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
        // A tie takes a rank for each of its bibs.
        RankList.append(TRankItem(RankList.at(row).fRank + std::max(1, int(typed.bibs.size()))));
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
    request->issueReload = changesRanks(request->oldBibs, newBibs);
    // Below the last row the next rank is known; above it the ranks after it move.
    if (request->issueReload && row < RankList.count() - 1)
        disableGrid();
    queueRequest(std::move(request), TTransactionMode::tm_readwrite);
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
    // Another finishing order is shown since; its list has no place for these bibs.
    if (response.DisciplineId != loadedDiscId_ || response.attempt != loadedAttempt_) {
        refreshOthers();
        return;
    }
    // Its bibs stay shown as typed until the reload draws them.
    model_.markStored(RankList.rowOfRank(response.rank));
    if (response.issueReload) {
        reloadData();
        refreshOthers();
        return;
    }
    TRankItem* item = RankList.itemOfRank(response.rank);
    if (item)
        item->clear();
    if (RankList.holdsAnyBib(response.bibs)) {
        // A bib moved from another rank: the other windows show it moved too. The ranks stay
        // where they are, so the keys go on landing in their rows.
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
    queueRequest(std::move(request), TTransactionMode::tm_readwrite);
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
