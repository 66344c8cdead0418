#include "core/ui/MainWindow.h"

#include "core/ui/ChooseCompetitionDialog.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ParticipantServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/InfoDialog.h"
#include "core/ui/MainWindowServices.h"
#include "core/connection/LocalServerControl.h"
#include "core/services/ResultCaptureServices.h"
#include "core/util/ShellClock.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

namespace tvp {

namespace {
QString appTitle = TMainForm::kTitle;
constexpr int kHintDelayMs = 800;
const QString kQuitCaption = QStringLiteral("Trivanta Pentrel beenden");
// What the unsaved-changes question says when the program ends or the competition changes.
const QString kQuitLosesChanges = QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden. Beim Beenden des "
                                                 "Programms gehen sie verloren. Programm trotzdem beenden?");
const QString kChangeLosesChanges =
    QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden. Beim Wechseln der Veranstaltung gehen sie "
                   "verloren. Veranstaltung trotzdem wechseln?");
} // namespace

TMainForm* MainForm()
{
    return programWindows().get<TMainForm>(TWindowId::MainForm);
}

QString TMainForm::applicationTitle()
{
    return appTitle;
}

TMainForm::TMainForm(QWidget* parent) : TMainForm(programContext(), parent)
{
}

TMainForm::TMainForm(TWindowContext& context, QWidget* parent)
    : TTVPForm(context, parent), services_(std::make_unique<TMainWindowServices>(context, this))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(kStartingTitle);
    timingList_.setSingleShot(true);
    connect(&timingList_, &QTimer::timeout, this, [this] {
        guarded([this] {
            if (std::exchange(timingListPending_, false))
                updateTimingList();
        });
    });

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // The menu sits in the window on every desktop, as the organisers know it.
    MainMenu1->setNativeMenuBar(false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAutoFillBackground(true);
    Panel1Label = new QLabel(QStringLiteral("Zeitmessungsdaten"), Panel1);
    Panel1Label->setAlignment(Qt::AlignCenter);
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->addWidget(Panel1Label);
    Panel1->hide();
    Panel1->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Panel1);
    layout->addStretch();
    setSizeableBorder(false);
    buildMenu();
    // Wide enough that every menu is in sight.
    resize(MainMenu1->sizeHint().width() + 24, 60);

    connect(services_.get(), &TMainWindowServices::updateEntryEnabledChanged, this, &TMainForm::setUpdateEntryEnabled);
    connect(services_.get(), &TMainWindowServices::onlineHelpEntryChanged, this, &TMainForm::setOnlineHelpEntry);
}

TMainForm::~TMainForm() = default;

// ---- competition export ----

namespace {
const QString kExportCaption = QStringLiteral("Veranstaltung exportieren");
const QString kExportWait = QStringLiteral("Exportiere Veranstaltung");
} // namespace

void TMainForm::exportCompetition(bool asTemplate)
{
    using namespace compfiles;
    const QString suffix = asTemplate ? QStringLiteral("qpt") : QStringLiteral("qpc");
    const QString file = context().dialogs().getSaveFileNameWithSuffix(
        this, asTemplate ? QStringLiteral("Als Vorlage exportieren") : kExportCaption,
        exportFileStem(context().competition().getCompetitionName(), asTemplate) + suffix,
        asTemplate ? kTemplateFileFilter : kCompetitionFileFilter, suffix);
    if (file.isEmpty())
        return;
    if (!ExportCommunicationThread)
        ExportCommunicationThread = std::make_unique<TRequestRoad<TExportRequest, TExportResponse>>(
            context(), exportRequests(), this, [this](std::unique_ptr<TExportResponse> r, const TRequestOutcome& o) {
                guarded([&] { ExportFinished(std::move(r), o); });
            });
    auto request = std::make_unique<TExportRequest>();
    request->AsTemplate = asTemplate;
    request->FileName = file;
    ExportAction->setEnabled(false);
    TemplateExportAction->setEnabled(false);
    context().waitTexts().showWait(kExportWait, this);
    if (ExportCommunicationThread->AddRequest(std::move(request), TTransactionMode::tm_None) == 0) {
        context().waitTexts().closeWait(kExportWait);
        ExportAction->setEnabled(true);
        TemplateExportAction->setEnabled(true);
    }
}

void TMainForm::ExportFinished(std::unique_ptr<compfiles::TExportResponse> response, const TRequestOutcome& outcome)
{
    context().waitTexts().closeWait(kExportWait);
    ExportAction->setEnabled(true);
    TemplateExportAction->setEnabled(true);
    if (!outcome.ok() || !response) {
        ExportCommunicationThread->report(outcome);
        return;
    }
    // Written only now that the whole text is here, and whole or not at all.
    const QString error = writeExportFile(response->FileName, response->XmlStream);
    if (!error.isEmpty()) {
        context().messages().AddException(-1, {}, error, kExportCaption, this);
        return;
    }
    // The answer to the user's export, which nobody waits for.
    const TAnswerTo answer(outcome.action);
    askLater(kExportCaption, QStringLiteral("Veranstaltung exportiert."), TMsgKind::Information, TMsgButtons::Ok,
             TMsgAnswer::Ok);
}

QAction* TMainForm::addEntry(QMenu* menu, const QString& objectName, const QString& caption,
                             std::function<void()> onTrigger)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    connect(action, &QAction::triggered, this, [onTrigger = std::move(onTrigger)] { guarded(onTrigger); });
    return action;
}

QAction* TMainForm::action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

void TMainForm::showWindow(TWindowId window)
{
    context().windows().show(window);
}

void TMainForm::showWindowWithHint(TWindowId window, const QString& hint)
{
    showWindow(window);
    context().hints().ShowHintDelayed(hint, kHintDelayMs);
}

void TMainForm::buildMenu()
{
    QMenu* competition = MainMenu1->addMenu(QStringLiteral("Veranstaltung"));
    competition->setObjectName(QStringLiteral("Veranstaltung1"));
    addEntry(competition, QStringLiteral("Altersklassen1"), QStringLiteral("Altersklassen..."),
             [this] { showWindow(TWindowId::AgeClassForm); });
    addEntry(competition, QStringLiteral("Disziplinen1"), QStringLiteral("Disziplinen..."), [this] {
        // The pair chooses which of its windows shows.
        if (auto* disciplines = context().windows().find<IDisciplineWindows>()) {
            disciplines->ShowDisciplinForm(nullptr, 0, 0);
            context().hints().ShowHintDelayed(QStringLiteral("DISCIPLINEWND"), kHintDelayMs);
        } else {
            showWindowWithHint(TWindowId::DisciplinListForm0, QStringLiteral("DISCIPLINEWND"));
        }
    });
    addEntry(competition, QStringLiteral("Wettkampfanlagen1"), QStringLiteral("Wettkampfanlagen..."),
             [this] { showWindow(TWindowId::DisciplinePlaceForm); });
    addEntry(competition, QStringLiteral("Zeitplan1"), QStringLiteral("Zeitplan..."),
             [this] { showWindow(TWindowId::ScheduleForm); });
    addEntry(competition, QStringLiteral("Veranstaltungsdetails1"), QStringLiteral("Veranstaltungsdetails..."),
             [this] { showWindow(TWindowId::CompetitionForm); });
    ExportAction = addEntry(competition, QStringLiteral("Veranstaltungexportieren1"),
                            QStringLiteral("Veranstaltung exportieren..."), [this] { exportCompetition(false); });
    addEntry(competition, QStringLiteral("Veranstaltungwechseln1"), QStringLiteral("Veranstaltung wechseln..."),
             [this] { changeCompetition(); });
    TemplateExportAction = addEntry(competition, QStringLiteral("AlsVorlageexportieren1"),
                                    QStringLiteral("Als Vorlage exportieren..."), [this] { exportCompetition(true); });
    competition->addSeparator();
    addEntry(competition, QStringLiteral("ClientBeenden1"), QStringLiteral("Client Beenden"), [this] { close(); });
    addEntry(competition, QStringLiteral("LokalenServerundProgrammbeenden1"),
             QStringLiteral("Lokalen Server und Programm beenden"), [this] { stopLocalServerAndQuit(); });

    QMenu* participants = MainMenu1->addMenu(QStringLiteral("Teilnehmer"));
    participants->setObjectName(QStringLiteral("Teilnehmer1"));
    addEntry(participants, QStringLiteral("Athleten1"), QStringLiteral("&Athleten... (Strg+T)"),
             [this] { showWindow(TWindowId::AthleteForm); });
    addEntry(participants, QStringLiteral("Teams1"), QStringLiteral("&Teams..."),
             [this] { showWindow(TWindowId::TeamForm); });
    addEntry(participants, QStringLiteral("VereineOrganisationen1"), QStringLiteral("Vereine/Organisationen..."),
             [this] { showWindow(TWindowId::ClubForm); });
    addEntry(participants, QStringLiteral("Riegen1"), QStringLiteral("Riegen..."),
             [this] { showWindow(TWindowId::SquadForm); });

    QMenu* contests = MainMenu1->addMenu(QStringLiteral("Wettkämpfe"));
    contests->setObjectName(QStringLiteral("Wettkmpfe1"));
    addEntry(contests, QStringLiteral("Wettkampflisten1"), QStringLiteral("Wettkampflisten... (Strg + W)"),
             [this] { showWindow(TWindowId::DisciplinListForm); });
    addEntry(contests, QStringLiteral("Leistungserfassung1"), QStringLiteral("Leistungserfassung... (Strg + L)"),
             [this] { showWindowWithHint(TWindowId::ResultDialog, QStringLiteral("RESULTWND")); });
    addEntry(contests, QStringLiteral("Auswertung1"), QStringLiteral("Auswertung..."),
             [this] { showWindow(TWindowId::AnalyseForm); });

    QMenu* results = MainMenu1->addMenu(QStringLiteral("Ergebnisse und Urkunden"));
    results->setObjectName(QStringLiteral("ErgebnisseundUrkunden1"));
    addEntry(results, QStringLiteral("Urkunden1"), QStringLiteral("Urkunden / Ergebniszusammenstellungen... (Strg+U)"),
             [this] { showWindow(TWindowId::CertForm); });

    QMenu* cups = MainMenu1->addMenu(QStringLiteral("Cup-Wertung"));
    cups->setObjectName(QStringLiteral("CupWertung1"));
    addEntry(cups, QStringLiteral("CupWertungen1"), QStringLiteral("Cup-Wertungen..."),
             [this] { showWindow(TWindowId::CupsForm); });
    addEntry(cups, QStringLiteral("Altersklassenzuordnen1"), QStringLiteral("Altersklassen zuordnen..."),
             [this] { showWindow(TWindowId::CupAgeClassForm); });
    addEntry(cups, QStringLiteral("Teamszuordnen1"), QStringLiteral("Teams zuordnen..."),
             [this] { showWindow(TWindowId::CupTeamForm); });
    addEntry(cups, QStringLiteral("Athletenzuordnen1"), QStringLiteral("Athleten zuordnen..."),
             [this] { showWindow(TWindowId::CupAthleteForm); });
    addEntry(cups, QStringLiteral("CupErgebnismodellierung1"), QStringLiteral("Cup-Ergebnismodellierung..."),
             [this] { showWindow(TWindowId::CupResultModelForm); });

    QMenu* interfaces = MainMenu1->addMenu(QStringLiteral("Schnittstellen"));
    interfaces->setObjectName(QStringLiteral("Schnittstellen1"));
    addEntry(interfaces, QStringLiteral("LADV1"), QStringLiteral("LADV..."),
             [this] { showWindow(TWindowId::LadvForm); });
    addEntry(interfaces, QStringLiteral("Zeitmessung1"), QStringLiteral("Zeitmessung..."),
             [this] { showWindow(TWindowId::TimingSettingsForm); });
    addEntry(interfaces, QStringLiteral("csvMeldeimport1"), QStringLiteral("csv-Meldeimport..."),
             [this] { showWindow(TWindowId::CsvImportForm); });
    addEntry(interfaces, QStringLiteral("Barcode1"), QStringLiteral("Barcode..."),
             [this] { showWindow(TWindowId::BarcodeSettingsForm); });

    QMenu* updates = MainMenu1->addMenu(QStringLiteral("Updates"));
    updates->setObjectName(QStringLiteral("Updates1"));
    UpdateAction = addEntry(updates, QStringLiteral("AufUpdatesprfen1"), QStringLiteral("Auf Updates prüfen"),
                            [this] { services_->startUpdateCheck(); });

    HelpMenu = MainMenu1->addMenu(QStringLiteral("Hilfe"));
    HelpMenu->setObjectName(QStringLiteral("Hilfe1"));
    addEntry(HelpMenu, QStringLiteral("GenerellesVorgehen1"), QStringLiteral("Generelles Vorgehen..."),
             [this] { showWindow(TWindowId::CoarseCompStepsForm); });
    addEntry(HelpMenu, QStringLiteral("AlleHinweisewiederaktivieren1"),
             QStringLiteral("Alle Hinweise wieder aktivieren"), [this] { resetHints(); });
    OnlineHelpAction = addEntry(HelpMenu, QStringLiteral("OnlineHilfe1"), QStringLiteral("Loading..."),
                                [this] { services_->openOnlineHelp(); });
    OnlineHelpAction->setEnabled(false);
    connect(HelpMenu, &QMenu::aboutToShow, this, [this] {
        if (!FFirstOnlineHelpCall)
            return;
        FFirstOnlineHelpCall = false;
        OnlineHelpAction->setText(QStringLiteral("Loading..."));
        OnlineHelpAction->setEnabled(false);
        guarded([this] { services_->requestOnlineHelpLink(); });
    });

    QAction* info = MainMenu1->addAction(QStringLiteral("Info"));
    info->setObjectName(QStringLiteral("Info1"));
    connect(info, &QAction::triggered, this, [this] {
        guarded([this] {
            if (TInfoForm* form = context().windows().get<TInfoForm>(TWindowId::InfoForm))
                context().dialogs().execModal(*form);
        });
    });
}

void TMainForm::setOnlineHelpEntry(const QString& caption, bool enabled)
{
    OnlineHelpAction->setText(caption);
    OnlineHelpAction->setEnabled(enabled);
}

void TMainForm::setUpdateEntryEnabled(bool enabled)
{
    UpdateAction->setEnabled(enabled);
}

// ---- competition ----

void TMainForm::changeCompetition()
{
    if (TPositionStoreAdapter* store = context().positionStore();
        store && store->checkAllDirtyData(kChangeLosesChanges))
        return;
    if (auto* chooser = context().windows().get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm))
        chooser->setCompetition(true);
}

void TMainForm::onCompetitionChange()
{
    const QString name = context().competition().getCompetitionName();
    // Not Qt's application display name: desktops would append it to every window's title.
    if (name.isEmpty()) {
        setWindowTitle(kTitle);
        appTitle = kTitle;
    } else {
        setWindowTitle(name + QStringLiteral(" - ") + kTitle);
        appTitle = kTitle + QStringLiteral(" - ") + name;
    }
}

namespace {

// One step of refresh-all on a window that is there.
void refreshWindow(const TWindowRegistry& windows, const TRefreshRule& rule)
{
    switch (rule.action) {
    case TRefreshAction::Reload: windows.reload(rule.window, true); break;
    case TRefreshAction::ReloadKeepingInput: windows.reload(rule.window, false); break;
    case TRefreshAction::UpdateItems:
        if (auto* timing = windows.get<ITimingImportForm>(rule.window))
            timing->UpdateItems();
        break;
    case TRefreshAction::ReloadAgeClass:
        if (auto* templates = windows.get<ITemplateAgeClasses>(rule.window))
            templates->reloadAgeClass();
        break;
    case TRefreshAction::ReloadDisciplinForms:
        // Only the visible ones: a hidden discipline window is loaded when it is shown.
        if (auto* disciplines = windows.find<IDisciplineWindows>()) {
            disciplines->reloadDisciplinForms(true);
        } else {
            windows.reloadIfVisible(TWindowId::DisciplinListForm0);
            windows.reloadIfVisible(TWindowId::DisciplinListForm1);
        }
        break;
    case TRefreshAction::LoadDisciplineTemplates:
        if (auto* templates = windows.find<IDisciplineTemplates>())
            templates->LoadDisciplineTemplates();
        break;
    }
}

bool anyVisible(const TWindowRegistry& windows, const std::vector<TWindowId>& ids)
{
    return std::any_of(ids.begin(), ids.end(), [&](TWindowId id) { return windows.isVisible(id); });
}

} // namespace

void TMainForm::RefreshButton()
{
    const qint64 now = shellClockMs();
    if (now < nextReload)
        return;
    nextReload = now + refreshThrottleMs;

    const TWindowRegistry& w = context().windows();
    w.reloadIfVisible(TWindowId::TeamMemberWarningForm);
    auto* chooser = w.get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm);
    const bool chooserVisible = chooser && chooser->isVisible();
    if (chooserVisible)
        chooser->selectNewComp(chooser->getCompetitionId(false), false);
    w.reload(TWindowId::CompetitionForm, true);
    if (chooserVisible)
        return;

    for (const TRefreshRule& rule : refreshRules())
        if (anyVisible(w, rule.whenVisible) && !anyVisible(w, rule.unlessVisible))
            refreshWindow(w, rule);
}

void TMainForm::ReloadAll()
{
    for (TWindowId id : unloadOrder())
        context().windows().unload(id);
}

// ---- timing indicator ----

void TMainForm::SetNewTimingData()
{
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, QColor(0x90, 0xC0, 0xFF));
    Panel1->setPalette(palette);
    Panel1->show();
    refreshTimingList();
}

void TMainForm::refreshTimingList()
{
    // Runs that come in a burst rebuild the open list once they pause, and at least every second,
    // so that a burst does not hold the GUI thread rebuild after rebuild. A run on its own shows at
    // once. The poll reads the result file on a thread of its own, whatever this one does.
    if (!timingList_.isActive()) {
        updateTimingList();
        return;
    }
    timingListPending_ = true;
    if (timingListDue_.elapsed() < kTimingListLatestMs)
        timingList_.start(kTimingListPauseMs);
}

void TMainForm::updateTimingList()
{
    timingListDue_.start();
    timingList_.start(kTimingListPauseMs);
    if (context().windows().isVisible(TWindowId::TimingImportForm))
        if (auto* timing = context().windows().get<ITimingImportForm>(TWindowId::TimingImportForm))
            timing->UpdateItems();
}

void TMainForm::showParticipantWarning(const std::vector<proto::InvalidParticipantType>& warnings,
                                       const std::vector<int>& resProvIds, int compId)
{
    if (auto* warning = context().windows().get<ITeamMemberWarningForm>(TWindowId::TeamMemberWarningForm))
        warning->showParticipantWarning(warnings, resProvIds, compId);
}

void TMainForm::ResetSetTimingData()
{
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(palette);
}

void TMainForm::setTimingIndicatorVisible(bool visible)
{
    if (visible)
        ResetSetTimingData();
    Panel1->setVisible(visible);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1) {
        if (event->type() == QEvent::MouseButtonPress)
            Panel1->setFrameShadow(QFrame::Sunken);
        else if (event->type() == QEvent::MouseButtonRelease) {
            Panel1->setFrameShadow(QFrame::Raised);
            guarded([this] { showWindow(TWindowId::TimingImportForm); });
        }
    }
    return TTVPForm::eventFilter(watched, event);
}

// ---- keys ----

bool TMainForm::SendKeyCommand(int key)
{
    QWidget* active = QApplication::activeWindow();
    auto* commands = active ? context().windows().registered<IKeyCommands>(active) : nullptr;
    bool handled = false;
    if (commands)
        guarded([&] { handled = commands->hotKeyCallback(key); });
    return handled;
}

namespace {

// Controls that use Escape themselves: a string grid (any table of cells), read-only or not; a
// list view that can be edited; and any view while one of its cells is being edited. A list box
// never does.
bool usesEscape(QWidget* focused)
{
    for (QWidget* w = focused; w; w = w->parentWidget()) {
        if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            // An open cell editor lives on the view's viewport.
            if (view->viewport()->isAncestorOf(focused) || qobject_cast<QTableView*>(view))
                return true;
            if (qobject_cast<QListView*>(view))
                return false;
            return view->editTriggers() != QAbstractItemView::NoEditTriggers;
        }
        if (w->isWindow())
            break;
    }
    return false;
}

} // namespace

bool TMainForm::escapeClosesActiveWindow(const QKeyEvent& key)
{
    QWidget* active = QApplication::activeWindow();
    if (!active || active == this)
        return false;
    // An open drop-down or calendar takes Escape to close itself, not its window.
    if (QApplication::activePopupWidget())
        return false;
    QWidget* focused = QApplication::focusWidget();
    if (focused && focused->window() == active) {
        if (usesEscape(focused))
            return false;
        // The schedule window edits in a panel of its own while it is open.
        if (active == context().windows().widget(TWindowId::ScheduleForm))
            if (auto* schedule = context().windows().get<IScheduleEditing>(TWindowId::ScheduleForm);
                schedule && schedule->isEditing())
                return false;
    } else {
        focused = active;
    }
    // A window whose Escape means something of its own (a question's "Nein", the bib choice's
    // "Abbrechen") does that: closing it could mean the opposite, as closing the bib choice keeps
    // the selected bib. Only an Escape that nobody takes closes the window.
    QKeyEvent offered(QEvent::KeyPress, key.key(), key.modifiers(), key.text());
    const QPointer<QWidget> window = active;
    {
        const QScopedValueRollback offering(offeringEscape_, true);
        QCoreApplication::sendEvent(focused, &offered);
    }
    if (!offered.isAccepted() && window)
        window->close();
    return true;
}

bool TMainForm::setupWizardVisible() const
{
    if (context().windows().isVisible(TWindowId::CompSetupWizardForm))
        return true;
    const ICompSetupWizard* wizard = context().windows().find<ICompSetupWizard>();
    return wizard && wizard->isWizardVisible();
}

bool TMainForm::handleApplicationEvent(QObject* target, QEvent* event)
{
    // The Escape offered to the active window passes as any key does.
    if (offeringEscape_)
        return false;
    auto* scanners = context().windows().get<IAppMessageHandler>(TWindowId::BarcodeSettingsForm);
    if (scanners && scanners->AppMsgHandler(target, event))
        return true;
    if (event->type() != QEvent::KeyPress || closing_)
        return false;
    // Only the window that receives the key reacts, not every widget on its way up.
    if (!target->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(target);
    if (widget != QApplication::focusWidget() && widget != QApplication::activeWindow())
        return false;
    if (setupWizardVisible())
        return false;

    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_F5: RefreshButton(); return true;
    case Qt::Key_F7:
        if (context().windows().isVisible(TWindowId::ResultDialog))
            if (auto* results = context().windows().get<IResultDialog>(TWindowId::ResultDialog))
                results->showTallySheet();
        return false;
    case Qt::Key_Escape: return escapeClosesActiveWindow(*key);
    default: break;
    }
    if (!(key->modifiers() & Qt::ControlModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_T: showWindow(TWindowId::AthleteForm); return true;
    case Qt::Key_M: show(); return true;
    case Qt::Key_W: showWindow(TWindowId::DisciplinListForm); return true;
    case Qt::Key_L: showWindow(TWindowId::ResultDialog); return true;
    case Qt::Key_U: showWindow(TWindowId::CertForm); return true;
    case Qt::Key_B:
        if (QWidget* input = context().windows().widget(TWindowId::BarcodeInputForm))
            input->show();
        return true;
    default: return SendKeyCommand(key->key());
    }
}

// ---- hints and shut-down ----

void TMainForm::resetHints()
{
    if (!askYesNo(this, QStringLiteral("Hinweise zurücksetzen"),
                  QStringLiteral("Wollen Sie alle Hinweise über Programmfunktionen, die auf diesem Computer bisher "
                                 "deaktiviert wurden wiederherstellen?")))
        return;
    context().hints().ResetHintSystem();
    context().hints().ShowHint(QStringLiteral("HINTSACTIVATED"), false);
}

void TMainForm::stopLocalServerAndQuit()
{
    if (!askYesNo(this, QStringLiteral("Server herunterfahren"),
                  QStringLiteral("Durch das Beenden des Servers werden auch alle über das Netzwerk verbundenen "
                                 "Teilnehmer getrennt.\r\nServer und Programm beenden?")))
        return;
    // Unsaved edits are asked about while the server can still take them.
    if (TPositionStoreAdapter* store = context().positionStore(); store && store->checkAllDirtyData(kQuitLosesChanges))
        return;
    // The message window closes with the others in a moment: this one must be seen now.
    if (!StopLocalServer())
        showError(this, kStopServerCaption, kStopServerFailedText);
    suppressCloseQuery = true;
    dirtyDataChecked_ = true;
    close();
    suppressCloseQuery = false;
    dirtyDataChecked_ = false;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    TPositionStoreAdapter* store = context().positionStore();
    if (store)
        store->storeAllWindows();
    if (!suppressCloseQuery && !askYesNo(this, kQuitCaption, QStringLiteral("Möchten Sie den Client beenden?"))) {
        event->ignore();
        return;
    }
    // Unsaved edits of the work windows are asked about before anything is closed.
    if (!dirtyDataChecked_ && store && store->checkAllDirtyData(kQuitLosesChanges)) {
        event->ignore();
        return;
    }
    closing_ = true;
    const QString waitText = QStringLiteral("Applikation wird beendet...");
    context().waitTexts().showWait(waitText);
    if (store)
        store->closeAllNonMainWindows();
    ReqShutDown();
    context().waitTexts().closeWait(waitText);
    event->accept();
    emit closed();
}

} // namespace tvp
