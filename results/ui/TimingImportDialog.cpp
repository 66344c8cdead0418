#include "results/ui/TimingImportDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "results/TimingFiles.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {
const QString kImportWait = QStringLiteral("Importiere Daten von Zeitmessung");
} // namespace

TTimingImportForm::TTimingImportForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, timingImportRequests(), this,
            [this](std::unique_ptr<TTimingImportResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      connector_([this] { return exchangeDir(); }),
      runs_({
          {QStringLiteral("Status"), [](const TTimingImportHeat& r) { return timingRunStatusText(r); }},
          {QStringLiteral("Lauf"), [](const TTimingImportHeat& r) { return r.description; }},
          {QStringLiteral("Zeit"), [](const TTimingImportHeat& r) { return timingRunTimeText(r); }},
      })
{
    setWindowTitle(kTimingImportName);
    resize(420, 300);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Mit Doppelklick importieren"), this);
    label->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(label);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setModel(&runs_);
    // A run's name ends in its heat ("Hindernis-Rundenlauf 3 Läufe 2/3"): cut in the middle, it stays.
    ListView1->setTextElideMode(Qt::ElideMiddle);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionResizeMode(0, QHeaderView::Fixed);
    ListView1->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    ListView1->header()->setSectionResizeMode(2, QHeaderView::Fixed);
    ListView1->header()->resizeSection(0, 100);
    ListView1->header()->resizeSection(2, 110);
    fitColumns();
    layout->addWidget(ListView1, 1);
    connect(ListView1, &QTreeView::doubleClicked, this, [this] { guarded([this] { ListView1DblClick(); }); });
}

void TTimingImportForm::fitColumns()
{
    // As wide as their longest texts: both states (and those of the runs that lack lines), and a
    // start with its date.
    TTimingImportHeat sample;
    sample.startTime = toOleDate(QDateTime(QDate(2026, 12, 7), QTime(13, 0)));
    const QString time = timingRunTimeText(sample);
    sample.status = TImportStatus::isImported;
    QStringList states{timingRunStatusText(sample), timingRunStatusText({})};
    for (const TTimingImportHeat& run : runs_.records())
        states << timingRunStatusText(run);
    fitColumnToTexts(*ListView1, 0, states, 100);
    fitColumnToTexts(*ListView1, 2, {time}, 110);
    keepColumnsWhole(*ListView1);
    // At its smallest a run's name still shows where it begins and, cut in the middle, its heat:
    // "Hindernis…ufe 12/12".
    const QHeaderView& header = *ListView1->header();
    const int name = ListView1->fontMetrics().horizontalAdvance(QStringLiteral("Hindernis…ufe 12/12")) +
                     2 * (ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView1) + 1);
    const int caption = headerTextWidth(header, runs_.headerData(1, Qt::Horizontal).toString());
    ListView1->setMinimumWidth(ListView1->minimumWidth() + std::max(0, name - caption));
}

ITimingSettingsForm* TTimingImportForm::settings() const
{
    return context().windows().find<ITimingSettingsForm>();
}

QString TTimingImportForm::exchangeDir() const
{
    ITimingSettingsForm* s = settings();
    return s ? s->getTimingExchangeDir() : QString();
}

void TTimingImportForm::FormShow()
{
    UpdateItems();
}

void TTimingImportForm::UpdateItems()
{
    TimingConnector::TRunListing listing = connector_.listRuns(context().competition().getCompetitionId(false));
    sortRunsNewestFirst(listing.runs);
    runs_.setRecords(std::move(listing.runs));
    fitColumns();
    QSet<QString> unreadable;
    for (const TimingConnector::TRunListing::Failure& f : listing.failures) {
        unreadable.insert(f.path);
        if (!reportedUnreadable_.contains(f.path))
            report(f.message);
    }
    reportedUnreadable_ = unreadable;
    if (isVisible())
        if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
            main->ResetSetTimingData();
}

void TTimingImportForm::report(const QString& text)
{
    context().messages().AddException(0, {}, text, kTimingImportName, this);
}

void TTimingImportForm::ListView1DblClick()
{
    const QModelIndex current = ListView1->currentIndex();
    if (!current.isValid() || !ListView1->selectionModel()->isRowSelected(current.row(), {}))
        return;
    std::unique_ptr<TTimingImportRequest> request = makeTimingImportRequest(runs_.record(current.row()));
    context().waitTexts().showWait(kImportWait, this);
    // The poll goes on: a timing program that writes the file anew would otherwise lose every run it
    // writes while the import waits for the server. A run split anew meanwhile is not marked.
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite) == 0) {
        context().waitTexts().closeWait(kImportWait);
        return;
    }
    ++pending_;
}

void TTimingImportForm::RequestFinished(std::unique_ptr<TTimingImportResponse> response, const TRequestOutcome& outcome)
{
    --pending_;
    context().waitTexts().closeWait(kImportWait);
    // The run counts as imported only once its results are committed, and only while its file
    // still holds what was stored.
    QString markError;
    if (outcome.ok() && response && response->discipline != 0 && !response->importedMeanwhile) {
        try {
            markRunImported(response->filename, response->read);
        } catch (const TvpError& e) {
            markError = e.message();
        }
    }
    if (!outcome.ok()) {
        road_.report(outcome);
        // The row showed another run than the one refused.
        if (response && response->changed)
            UpdateItems();
        return;
    }
    if (!response || response->discipline == 0) {
        report(QStringLiteral("Daten konnten keiner Disziplin zugeordnet werden"));
        return;
    }
    if (response->importedMeanwhile) {
        context().messages().AddWarning(
            0, {},
            QStringLiteral("Der Lauf \"%1\" wurde inzwischen importiert, an diesem oder einem anderen Arbeitsplatz. "
                           "Er wurde nicht noch einmal gespeichert, damit seitdem korrigierte Werte bleiben; ein "
                           "weiterer Doppelklick importiert ihn erneut.")
                .arg(response->description),
            kTimingImportName, this);
        UpdateItems();
        return;
    }
    if (!markError.isEmpty())
        report(markError);
    if (const QString notes = timingImportNotes(*response); !notes.isEmpty())
        context().messages().AddWarning(0, {}, notes, kTimingImportName, this);
    if (auto* results = context().windows().getOrPlaceholder<IResultDialog>(TWindowId::ResultDialog))
        results->showAndLoadDisciplin(response->discipline, response->heat, IResultDialog::kNoVersion, 0);
    if (context().windows().isVisible(TWindowId::ResultCheckForm))
        context().windows().reload(TWindowId::ResultCheckForm, true);
    UpdateItems();
}

} // namespace tvp
