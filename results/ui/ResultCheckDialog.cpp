#include "results/ui/ResultCheckDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/UserAction.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <optional>

namespace tvp {

namespace {

const QString kWaitText = QStringLiteral("Prüfe Ergebnisse");

QLabel* textLabel(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QLabel* okPanel(QWidget* parent, const char* name, const QString& text)
{
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(0, 160, 0));
    palette.setColor(QPalette::WindowText, Qt::white);
    panel->setPalette(palette);
    panel->setAlignment(Qt::AlignCenter);
    panel->hide();
    return panel;
}

} // namespace

QTreeView* makeCheckList(QWidget* parent, const char* name)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->setSectionsClickable(true);
    return view;
}

TResultCheckForm::TResultCheckForm(TWindowContext& context)
    : TTVPForm(context),
      athletes_({
          {QStringLiteral("Vorname"), [](const TAthleteCheckEntry& e) { return e.givenName; }},
          {QStringLiteral("Nachname"), [](const TAthleteCheckEntry& e) { return e.surName; }},
          {QStringLiteral("Team"), [](const TAthleteCheckEntry& e) { return e.team; }},
          {QStringLiteral("(Ungültige) Leistungen"), [](const TAthleteCheckEntry& e) { return e.results; }},
      }),
      warnings_({
          {QStringLiteral("Disziplin"), [](const TWarningListItem& e) { return e.discipline; }},
          {QStringLiteral("Problem"), [](const TWarningListItem& e) { return e.problem; }},
          {QStringLiteral("Lauf/Gruppe"), [](const TWarningListItem& e) { return e.heat; }},
          {QStringLiteral("Riege"), [](const TWarningListItem& e) { return e.squad; }},
          {QStringLiteral("Team"), [](const TWarningListItem& e) { return e.team; }},
          {QStringLiteral("Teilnehmer"), [](const TWarningListItem& e) { return e.participants; }},
      }),
      sortedAthletes_(QStringLiteral("ResultCheckForm.ListView1.")),
      sortedWarnings_(QStringLiteral("ResultCheckForm.ListView2."))
{
    setWindowTitle(QStringLiteral("Plausibilitätsprüfung der Ergebnisse - Übersicht"));
    resize(760, 560);
    road_ =
        std::make_unique<TResultCheckRoad>(context, resultCheckRequests(), this,
                                           [this](std::unique_ptr<TResultCheckResponse> r, const TRequestOutcome& o) {
                                               guarded([&] { RequestFinished(std::move(r), o); });
                                           });
    buildControls();
    fitColumns();
    fitToTexts(*this);
    // Opens with every explanation whole where the screen has the room, measured as drawn.
    ensurePolished();
    layout()->activate();
    resize(width(), height() + content_->hiddenHeight());
}

TResultCheckForm::~TResultCheckForm()
{
    road_.reset();
    if (waitShown_)
        context().waitTexts().closeWait(kWaitText);
}

void TResultCheckForm::buildControls()
{
    auto* outer = new QVBoxLayout(this);
    // The explanations wrap into many lines in a narrow window: the two parts scroll on a small screen.
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    GroupBox1 = new QGroupBox(QStringLiteral("1. Athleten ohne gültiges Einzelergebnis"), content);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* first = new QVBoxLayout(GroupBox1);
    first->addWidget(textLabel(GroupBox1, QStringLiteral("Den folgenden Athleten wurde noch keine Leistungen oder nur "
                                                         "ungültige Versuche zugewiesen.")));
    first->addWidget(textLabel(GroupBox1, QStringLiteral("Da sie aber z.B. Teil eines (Staffel-)Teams sind oder mit "
                                                         "ungültigen Versuchen teilgenommen haben, würden Sie dennoch "
                                                         "Urkunden erhalten.")));
    first->addWidget(textLabel(GroupBox1, QStringLiteral("Bitte ggf. prüfen, ob folgende Athleten tatsächlich "
                                                         "teilgenommen haben.")));
    first->addWidget(textLabel(GroupBox1, QStringLiteral("Doppelklick auf Eintrag öffnet das Athletenfenster, in dem "
                                                         "nicht Teilnehmende entsprechend gelöscht werden können.")));
    ListView1 = makeCheckList(GroupBox1, "ListView1");
    first->addWidget(ListView1, 1);
    Panel1 = okPanel(this, "Panel1", QStringLiteral("OK: Keine Athleten ohne Einzelergebnis gefunden"));
    first->addWidget(Panel1);
    layout->addWidget(GroupBox1, 1);

    GroupBox2 = new QGroupBox(QStringLiteral("2. Mögliche fehlerhaft erfasste Leistungen"), content);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* second = new QVBoxLayout(GroupBox2);
    second->addWidget(
        textLabel(GroupBox2, QStringLiteral("Bei folgenden Leistungen wurde mögliche Probleme gefunden:")));
    second->addWidget(
        textLabel(GroupBox2, QStringLiteral("Doppelklick auf Eintrag öffnet die Leistungserfassung zur Korrektur")));
    ListView2 = makeCheckList(GroupBox2, "ListView2");
    second->addWidget(ListView2, 1);
    Panel2 = okPanel(this, "Panel2", QStringLiteral("OK: Keine fehlerhaften Leistungen gefunden"));
    second->addWidget(Panel2);
    layout->addWidget(GroupBox2, 1);
    content_ = new TVerticalScroll(content, this);
    outer->addWidget(content_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Schließen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    buttons->addWidget(Button1);
    outer->addLayout(buttons);

    for (auto [view, sorted, records] :
         {std::tuple<QTreeView*, TSortedListModel*, QAbstractItemModel*>{ListView1, &sortedAthletes_, &athletes_},
          {ListView2, &sortedWarnings_, &warnings_}}) {
        sorted->setSourceModel(records);
        view->setModel(sorted);
        sorted->initListView();
        connect(view->header(), &QHeaderView::sectionClicked, this,
                [sorted](int column) { guarded([&] { sorted->SortListView(column, true); }); });
    }
    connect(ListView1, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { guarded([&] { ListView1DblClick(index); }); });
    connect(ListView2, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { guarded([&] { ListView2DblClick(index); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { close(); }); });
}

void TResultCheckForm::checkWarnings(const std::vector<int>& resProvIds, bool showOkMessage)
{
    FresProvIds = resProvIds;
    FshowOkMessage = showOkMessage;
    athletes_.setRecords({});
    if (showOkMessage && !waitShown_) {
        context().waitTexts().showWait(kWaitText, this);
        waitShown_ = true;
    }
    reloadData();
}

void TResultCheckForm::reloadData()
{
    auto request = std::make_unique<TResultCheckRequest>();
    request->resProvIDs = FresProvIds;
    request->showOkMessage = FshowOkMessage;
    road_->AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TResultCheckForm::clearLists()
{
    athletes_.setRecords({});
    warnings_.setRecords({});
}

void TResultCheckForm::RequestFinished(std::unique_ptr<TResultCheckResponse> response, const TRequestOutcome& outcome)
{
    if (std::exchange(waitShown_, false))
        context().waitTexts().closeWait(kWaitText);
    if (!outcome.ok() || !response) {
        context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                          QStringLiteral("Leistungen prüfen"), this);
        close();
        return;
    }
    FshowOkMessage = false;
    // The window, or its message, is the answer to the user's check; a reload after a store elsewhere
    // comes up beside.
    std::optional<TAnswerTo> answer;
    if (response->showOkMessage)
        answer.emplace(outcome.action);
    if (response->athletes.empty() && response->missingResults.empty() && response->implausibleRanks.empty()) {
        if (response->showOkMessage)
            askLater(windowTitle(),
                     QStringLiteral("Prüfung erfolgreich: Für die gewählte Ergebnisliste wurden keine "
                                    "Plausibilitätsprobleme festgestellt."),
                     TMsgKind::Information, TMsgButtons::Ok, TMsgAnswer::Ok);
        close();
        clearLists();
        return;
    }
    std::vector<TAthleteCheckEntry> athletes;
    for (const proto::AthleteWithoutValidResultType& a : response->athletes)
        athletes.push_back(athleteCheckEntry(a));
    std::vector<TWarningListItem> warnings;
    for (const proto::MissingResultType& m : response->missingResults)
        warnings.push_back(missingResultEntry(m));
    for (const proto::RankingIssueType& r : response->implausibleRanks)
        warnings.push_back(rankingIssueEntry(r));
    const bool noAthletes = athletes.empty();
    const bool noWarnings = warnings.empty();
    athletes_.setRecords(std::move(athletes));
    warnings_.setRecords(std::move(warnings));
    GroupBox1->setEnabled(!noAthletes);
    Panel1->setVisible(noAthletes);
    GroupBox2->setEnabled(!noWarnings);
    Panel2->setVisible(noWarnings);
    fitColumns();
    show();
    Button1->setFocus();
}

void TResultCheckForm::fitColumns()
{
    for (QTreeView* view : {ListView1, ListView2})
        fitColumnsToRoom(*view);
}

void TResultCheckForm::ListView1DblClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    context().windows().close(TWindowId::DataViewForm);
    const TAthleteCheckEntry& entry = athletes_.record(sortedAthletes_.mapToSource(index).row());
    const int team = entry.athlete.Team ? entry.athlete.Team->TeamID : 0;
    if (auto* athletes = context().windows().getOrPlaceholder<IAthleteForm>(TWindowId::AthleteForm))
        athletes->showAthlete(entry.athlete.AthleteID, team);
}

void TResultCheckForm::ListView2DblClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    context().windows().close(TWindowId::DataViewForm);
    const TWarningListItem e = warnings_.record(sortedWarnings_.mapToSource(index).row());
    auto* results = context().windows().getOrPlaceholder<IResultDialog>(TWindowId::ResultDialog);
    if (!results)
        return;
    if (e.athleteId != 0)
        results->goToAthlete(e.DisciplineID, e.athleteId, e.Attempt, false, IResultDialog::kNoVersion, true,
                             e.tryshowAquireBib);
    else if (e.teamID != 0)
        results->goToTeam(e.DisciplineID, e.teamID, e.Attempt, IResultDialog::kNoVersion, true, e.tryshowAquireBib);
    else
        results->showAndLoadDisciplin(e.DisciplineID, e.heatNo, IResultDialog::kNoVersion, 0);
}

} // namespace tvp
