#include "scoring/ui/CupResultModellingDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tvp {

namespace {

using R = TCupAggRequestType;
constexpr int kTypeWidth = 150;
// Codes of the server's refusals that this window takes on its own.

} // namespace

// ---- the list ------------------------------------------------------------------------------------

int TCupAggListView::rowAt(const QDropEvent* event) const
{
    const QModelIndex at = indexAt(event->position().toPoint());
    return at.isValid() ? at.row() : -1;
}

bool TCupAggListView::accepts(const QDropEvent* event) const
{
    if (!event->mimeData()->hasFormat(QString::fromLatin1(kAggregatorMimeType)) || !acceptsDrop)
        return false;
    bool ok = false;
    guarded([&] { ok = acceptsDrop(rowAt(event)); });
    return ok;
}

void TCupAggListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QString::fromLatin1(kAggregatorMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCupAggListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCupAggListView::dropEvent(QDropEvent* event)
{
    if (!accepts(event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const int row = rowAt(event);
    if (dropped)
        guarded([&] { dropped(row); });
}

// ---- the window ----------------------------------------------------------------------------------

TCupResultModelForm::TCupResultModelForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, cupAggRequests(), this, [this](std::unique_ptr<TCupAggResponse> r, const TRequestOutcome& o) {
          guarded([&] { RequestFinished(std::move(r), o); });
      })
{
    setWindowTitle(QStringLiteral("Cup-Ergebnismodellierung"));
    setMinimumSize(450, 400);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(
        QStringLiteral("1. Legen Sie im Disziplinfenster die Aggregatoren für den Cup an und ziehen Sie sie in die "
                       "Liste unten. So können die anderen Veranstaltungen des Cups sie verwenden.\n"
                       "2. Ziehen Sie in jeder Veranstaltung des Cups die passenden Wertungen aus dem "
                       "Disziplinfenster auf den Cup-Aggregator, um sie ihm als Quelle zuzuweisen."));
    Memo1->setMaximumHeight(90);
    layout->addWidget(Memo1);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Cup:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    Button1 = new QPushButton(QStringLiteral("Disziplinen anzeigen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    row->addWidget(label);
    row->addWidget(ComboBox1, 1);
    row->addWidget(Button1);
    layout->addLayout(row);

    ListView1 = new TCupAggListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(&list_);
    ListView1->setRootIsDecorated(false);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->header()->setSectionsClickable(false);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListView1->setColumnWidth(1, kTypeWidth);
    ListView1->setDragEnabled(true);
    ListView1->setAcceptDrops(true);
    ListView1->viewport()->setAcceptDrops(true);
    ListView1->setDragDropMode(QAbstractItemView::DragDrop);
    ListView1->setDefaultDropAction(Qt::CopyAction);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->acceptsDrop = [this](int at) { return canDropOn(at); };
    ListView1->dropped = [this](int at) { dropOn(at); };
    ListView1->setEnabled(false);
    layout->addWidget(ListView1, 1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    InDisziplinfensteranzeigen1 = PopupMenu1->addAction(QStringLiteral("In Disziplinfenster anzeigen"));
    InDisziplinfensteranzeigen1->setObjectName(QStringLiteral("InDisziplinfensteranzeigen1"));
    InDisziplinfensteranzeigen1->setEnabled(false);
    AggregatorausCupentfernen1 = PopupMenu1->addAction(QStringLiteral("Aggregator aus Cup entfernen"));
    AggregatorausCupentfernen1->setObjectName(QStringLiteral("AggregatorausCupentfernen1"));
    AggregatorausCupentfernen1->setEnabled(false);

    connect(ComboBox1, &QComboBox::activated, this, [this] { guarded([this] { ComboBox1Change(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(InDisziplinfensteranzeigen1, &QAction::triggered, this,
            [this] { guarded([this] { InDisziplinfensteranzeigen1Click(); }); });
    connect(AggregatorausCupentfernen1, &QAction::triggered, this,
            [this] { guarded([this] { AggregatorausCupentfernen1Click(); }); });
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { guarded([this] { updatePopup(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        guarded([&] {
            updatePopup();
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
        });
    });
    keepColumnsWhole(*ListView1);
    fitToTexts(*this);
}

TCupResultModelForm::~TCupResultModelForm() = default;

void TCupResultModelForm::unload()
{
    list_.clear();
    ListView1->setEnabled(false);
    updatePopup();
}

void TCupResultModelForm::FormShow()
{
    reloadData();
}

void TCupResultModelForm::reloadData()
{
    if (curCupId == 0)
        unload();
    auto request = std::make_unique<TCupAggRequest>();
    request->reqType = R::rt_getCupAggs;
    request->cupId = curCupId;
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
    ListView1->setEnabled(false);
}

void TCupResultModelForm::ComboBox1Change()
{
    curCupId = ComboBox1->currentIndex() >= 0 ? ComboBox1->currentData().toInt() : 0;
    reloadFormData(true);
}

void TCupResultModelForm::fillCups(const std::vector<proto::CupType>& cups)
{
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->clear();
    int chosen = -1;
    for (const proto::CupType& cup : cups) {
        if (cup.CupID == curCupId)
            chosen = ComboBox1->count();
        ComboBox1->addItem(cup.Name, cup.CupID);
    }
    ComboBox1->setCurrentIndex(chosen);
}

void TCupResultModelForm::fillList(const TCupAggResponse& response)
{
    const int topRow = ListView1->indexAt(QPoint(1, 1)).row();
    fillCups(response.cups);
    if (curCupId != 0 && ComboBox1->currentIndex() < 0) {
        ComboBox1Change();
        return;
    }
    if (curCupId == 0)
        return;
    // The tree is built here, on the GUI thread: the templates belong to the discipline windows,
    // which replace them on every reload.
    TTemplateLookup templates = [this](int id) -> const proto::ResultAggregatorTemplateType* {
        auto* disciplines = context().windows().find<IDisciplineWindows>();
        return disciplines ? disciplines->getTemplateById(id) : nullptr;
    };
    TParameterResolver parameters = [this](const QString& name, int cupId) -> std::optional<double> {
        auto* form = context().windows().find<IGlobalParameterForm>();
        return form ? form->resolveParameter(name, cupId) : std::nullopt;
    };
    list_.setRows(cupAggRows(response, templates, parameters));
    ListView1->resizeColumnToContents(2);
    ListView1->setEnabled(true);
    if (topRow >= 0 && topRow < list_.rowCount())
        ListView1->scrollTo(list_.index(topRow, 0), QAbstractItemView::PositionAtTop);
    updatePopup();
}

// ---- drops and the popup -------------------------------------------------------------------------

bool TCupResultModelForm::canDropOn(int row) const
{
    const TAggDragObject& dragged = aggDragObject();
    if (dragged.Id == 0 || curCupId == 0)
        return false;
    if (row >= 0)
        return list_.row(row) != nullptr;
    return dragged.aggType != TAggregatorType::ag_Unknown;
}

void TCupResultModelForm::dropOn(int row)
{
    const TAggDragObject& dragged = aggDragObject();
    auto request = std::make_unique<TCupAggRequest>();
    request->cupId = curCupId;
    if (const TCupAggRow* target = list_.row(row)) {
        context().waitTexts().showWait(kLinkWait, this);
        request->reqType = R::rt_AssignAgg;
        request->aggId = target->aggId;
        request->sourceAggID = dragged.Id;
    } else {
        request->reqType = R::rt_promoteAgg;
        request->aggId = dragged.Id;
        request->resolveParams = false;
    }
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

const TCupAggRow* TCupResultModelForm::selectedRow() const
{
    const QModelIndexList chosen = ListView1->selectionModel()->selectedRows();
    if (chosen.isEmpty())
        return nullptr;
    int first = chosen.front().row();
    for (const QModelIndex& i : chosen)
        first = std::min(first, i.row());
    return list_.row(first);
}

void TCupResultModelForm::updatePopup()
{
    const TCupAggRow* row = selectedRow();
    AggregatorausCupentfernen1->setEnabled(row != nullptr);
    const int competition = context().competition().getCompetitionId(false);
    InDisziplinfensteranzeigen1->setEnabled(row && row->compId != 0 && row->compId == competition);
}

void TCupResultModelForm::InDisziplinfensteranzeigen1Click()
{
    updatePopup();
    const TCupAggRow* row = selectedRow();
    if (!row || !InDisziplinfensteranzeigen1->isEnabled())
        return;
    if (auto* disciplines = context().windows().find<IDisciplineWindows>())
        disciplines->ShowDisciplinForm(this, row->discId, row->aggId);
}

void TCupResultModelForm::AggregatorausCupentfernen1Click()
{
    const TCupAggRow* row = selectedRow();
    if (!row)
        return;
    auto request = std::make_unique<TCupAggRequest>();
    request->reqType = R::rt_demoteAgg;
    request->cupId = curCupId;
    request->aggId = row->aggId;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCupResultModelForm::Button1Click()
{
    if (auto* disciplines = context().windows().find<IDisciplineWindows>())
        disciplines->ShowDisciplinForm(this, 0, 0);
}

// ---- answers -------------------------------------------------------------------------------------

void TCupResultModelForm::afterChange(const TCupAggResponse& response)
{
    if (response.reqType == R::rt_AssignAgg && response.AssignAggWarning.Warnings)
        if (auto* messages = context().windows().get<TExceptionForm>(TWindowId::ExceptionForm))
            messages->handleMixedAgeClassWarnings(response.AssignAggWarning.Warnings->MixedAgeClassesWarning.get(),
                                                  this);
    reloadFormData(false);
    if (auto* disciplines = context().windows().find<IDisciplineWindows>())
        disciplines->reloadDisciplinForms(true);
    context().windows().reloadIfVisible(TWindowId::AnalyseForm);
    context().windows().reloadIfVisible(TWindowId::CupCertForm);
}

void TCupResultModelForm::RequestFinished(std::unique_ptr<TCupAggResponse> response, const TRequestOutcome& outcome)
{
    context().waitTexts().closeWait(kLinkWait);
    if (!response) {
        road_.report(outcome);
        return;
    }
    if (outcome.ok()) {
        if (response->reqType == R::rt_getCupAggs)
            fillList(*response);
        else
            afterChange(*response);
        return;
    }
    if (outcome.declined)
        return; // "Nein" to resolving the parameters of a promotion
    if (response->reqType == R::rt_getCupAggs) {
        if (outcome.errorId == kCupNotFoundError) {
            // The cup is gone: the answer's cups no longer hold it, and the window falls back to none.
            fillList(*response);
            return;
        }
        road_.report(outcome);
        return;
    }
    road_.report(outcome);
    reloadFormData(true);
}

} // namespace tvp
