#include "core/ui/MainWindow.h"

#include "core/ui/ChooseCompetitionDialog.h"
#include "core/connection/CommunicationThread.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/HintDialog.h"
#include "core/ui/InfoDialog.h"
#include "core/connection/LocalServerControl.h"
#include "core/services/ResultCaptureServices.h"
#include "core/util/ShellClock.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WaitDialog.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QVBoxLayout>

namespace tvp {

namespace {
TMainForm* instance = nullptr;
QString appTitle = TMainForm::kTitle;
constexpr int kHintDelayMs = 800;
const QString kQuitCaption = QStringLiteral("Trivanta Pentrel beenden");
} // namespace

TMainForm* MainForm()
{
    return instance;
}

QString TMainForm::applicationTitle()
{
    return appTitle;
}

TMainForm::TMainForm(QWidget* parent) : TTVPForm(parent)
{
    setObjectName(wnd::Main);
    setWindowTitle(kStartingTitle);
    if (!instance)
        instance = this;

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
}

TMainForm::~TMainForm()
{
    if (instance == this)
        instance = nullptr;
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

void TMainForm::showWindow(const QString& objectName)
{
    programWindows().show(objectName);
}

void TMainForm::showWindowWithHint(const QString& objectName, const QString& hint)
{
    showWindow(objectName);
    if (HintForm())
        HintForm()->ShowHintDelayed(hint, kHintDelayMs);
}

void TMainForm::buildMenu()
{
    QMenu* competition = MainMenu1->addMenu(QStringLiteral("Veranstaltung"));
    competition->setObjectName(QStringLiteral("Veranstaltung1"));
    addEntry(competition, QStringLiteral("Altersklassen1"), QStringLiteral("Altersklassen..."),
             [this] { showWindow(wnd::AgeClasses); });
    addEntry(competition, QStringLiteral("Disziplinen1"), QStringLiteral("Disziplinen..."),
             [this] { showWindowWithHint(wnd::Discipline1, QStringLiteral("DISCIPLINEWND")); });
    addEntry(competition, QStringLiteral("Wettkampfanlagen1"), QStringLiteral("Wettkampfanlagen..."),
             [this] { showWindow(wnd::Facilities); });
    addEntry(competition, QStringLiteral("Zeitplan1"), QStringLiteral("Zeitplan..."),
             [this] { showWindow(wnd::Schedule); });
    addEntry(competition, QStringLiteral("Veranstaltungsdetails1"), QStringLiteral("Veranstaltungsdetails..."),
             [this] { showWindow(wnd::CompetitionDetails); });
    // The competition files (export and template export) are not built yet.
    addEntry(competition, QStringLiteral("Veranstaltungexportieren1"), QStringLiteral("Veranstaltung exportieren..."),
             [] {})
        ->setEnabled(false);
    addEntry(competition, QStringLiteral("Veranstaltungwechseln1"), QStringLiteral("Veranstaltung wechseln..."),
             [this] { changeCompetition(); });
    addEntry(competition, QStringLiteral("AlsVorlageexportieren1"), QStringLiteral("Als Vorlage exportieren..."), [] {
    })->setEnabled(false);
    competition->addSeparator();
    addEntry(competition, QStringLiteral("ClientBeenden1"), QStringLiteral("Client Beenden"), [this] { close(); });
    addEntry(competition, QStringLiteral("LokalenServerundProgrammbeenden1"),
             QStringLiteral("Lokalen Server und Programm beenden"), [this] { stopLocalServerAndQuit(); });

    QMenu* participants = MainMenu1->addMenu(QStringLiteral("Teilnehmer"));
    participants->setObjectName(QStringLiteral("Teilnehmer1"));
    addEntry(participants, QStringLiteral("Athleten1"), QStringLiteral("&Athleten... (Strg+T)"),
             [this] { showWindow(wnd::Athletes); });
    addEntry(participants, QStringLiteral("Teams1"), QStringLiteral("&Teams..."), [this] { showWindow(wnd::Teams); });
    addEntry(participants, QStringLiteral("VereineOrganisationen1"), QStringLiteral("Vereine/Organisationen..."),
             [this] { showWindow(wnd::Clubs); });
    addEntry(participants, QStringLiteral("Riegen1"), QStringLiteral("Riegen..."), [this] { showWindow(wnd::Squads); });

    QMenu* contests = MainMenu1->addMenu(QStringLiteral("Wettkämpfe"));
    contests->setObjectName(QStringLiteral("Wettkmpfe1"));
    addEntry(contests, QStringLiteral("Wettkampflisten1"), QStringLiteral("Wettkampflisten... (Strg + W)"),
             [this] { showWindow(wnd::CompetitionLists); });
    addEntry(contests, QStringLiteral("Leistungserfassung1"), QStringLiteral("Leistungserfassung... (Strg + L)"),
             [this] { showWindowWithHint(wnd::ResultEntry, QStringLiteral("RESULTWND")); });
    addEntry(contests, QStringLiteral("Auswertung1"), QStringLiteral("Auswertung..."),
             [this] { showWindow(wnd::Analysis); });

    QMenu* results = MainMenu1->addMenu(QStringLiteral("Ergebnisse und Urkunden"));
    results->setObjectName(QStringLiteral("ErgebnisseundUrkunden1"));
    addEntry(results, QStringLiteral("Urkunden1"), QStringLiteral("Urkunden / Ergebniszusammenstellungen... (Strg+ U)"),
             [this] { showWindow(wnd::Certificates); });

    QMenu* cups = MainMenu1->addMenu(QStringLiteral("Cup-Wertung"));
    cups->setObjectName(QStringLiteral("CupWertung1"));
    addEntry(cups, QStringLiteral("CupWertungen1"), QStringLiteral("Cup-Wertungen..."),
             [this] { showWindow(wnd::Cups); });
    addEntry(cups, QStringLiteral("Altersklassenzuordnen1"), QStringLiteral("Altersklassen zuordnen..."),
             [this] { showWindow(wnd::CupAgeClasses); });
    addEntry(cups, QStringLiteral("Teamszuordnen1"), QStringLiteral("Teams zuordnen..."),
             [this] { showWindow(wnd::CupTeams); });
    addEntry(cups, QStringLiteral("Athletenzuordnen1"), QStringLiteral("Athleten zuordnen..."),
             [this] { showWindow(wnd::CupAthletes); });
    addEntry(cups, QStringLiteral("CupErgebnismodellierung1"), QStringLiteral("Cup-Ergebnismodellierung..."),
             [this] { showWindow(wnd::CupResultModel); });

    QMenu* interfaces = MainMenu1->addMenu(QStringLiteral("Schnittstellen"));
    interfaces->setObjectName(QStringLiteral("Schnittstellen1"));
    addEntry(interfaces, QStringLiteral("LADV1"), QStringLiteral("LADV..."), [this] { showWindow(wnd::Ladv); });
    addEntry(interfaces, QStringLiteral("Zeitmessung1"), QStringLiteral("Zeitmessung..."),
             [this] { showWindow(wnd::TimingSettings); });
    addEntry(interfaces, QStringLiteral("csvMeldeimport1"), QStringLiteral("csv-Meldeimport..."),
             [this] { showWindow(wnd::CsvImport); });
    addEntry(interfaces, QStringLiteral("Barcode1"), QStringLiteral("Barcode..."),
             [this] { showWindow(wnd::BarcodeSettings); });

    QMenu* updates = MainMenu1->addMenu(QStringLiteral("Updates"));
    updates->setObjectName(QStringLiteral("Updates1"));
    UpdateAction = addEntry(updates, QStringLiteral("AufUpdatesprfen1"), QStringLiteral("Auf Updates prüfen"), [this] {
        if (onUpdateCheck)
            onUpdateCheck();
    });

    HelpMenu = MainMenu1->addMenu(QStringLiteral("Hilfe"));
    HelpMenu->setObjectName(QStringLiteral("Hilfe1"));
    addEntry(HelpMenu, QStringLiteral("GenerellesVorgehen1"), QStringLiteral("Generelles Vorgehen..."),
             [this] { showWindow(wnd::CoarseSteps); });
    addEntry(HelpMenu, QStringLiteral("AlleHinweisewiederaktivieren1"),
             QStringLiteral("Alle Hinweise wieder aktivieren"), [this] { resetHints(); });
    OnlineHelpAction = addEntry(HelpMenu, QStringLiteral("OnlineHilfe1"), QStringLiteral("Loading..."), [this] {
        if (onOpenOnlineHelp)
            onOpenOnlineHelp();
    });
    OnlineHelpAction->setEnabled(false);
    connect(HelpMenu, &QMenu::aboutToShow, this, [this] {
        if (!FFirstOnlineHelpCall)
            return;
        FFirstOnlineHelpCall = false;
        OnlineHelpAction->setText(QStringLiteral("Loading..."));
        OnlineHelpAction->setEnabled(false);
        if (onFirstHelpMenu)
            guarded(onFirstHelpMenu);
    });

    QAction* info = MainMenu1->addAction(QStringLiteral("Info"));
    info->setObjectName(QStringLiteral("Info1"));
    connect(info, &QAction::triggered, this, [] { guarded(showInfoFormModal); });
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
    if (posStoreAdapter() && posStoreAdapter()->checkAllDirtyData())
        return;
    if (ChooseCompetitionForm())
        ChooseCompetitionForm()->setCompetition(true);
}

void TMainForm::onCompetitionChange()
{
    const QString name = ChooseCompetitionForm() && ChooseCompetitionForm()->getCompetition()
                             ? ChooseCompetitionForm()->getCompetitionName()
                             : QString();
    // Not Qt's application display name: desktops would append it to every window's title.
    if (name.isEmpty()) {
        setWindowTitle(kTitle);
        appTitle = kTitle;
    } else {
        setWindowTitle(name + QStringLiteral(" - ") + kTitle);
        appTitle = kTitle + QStringLiteral(" - ") + name;
    }
}

void TMainForm::RefreshButton()
{
    const qint64 now = shellClockMs();
    if (now < nextReload)
        return;
    nextReload = now + refreshThrottleMs;

    const TWindowRegistry& w = programWindows();
    w.reloadIfVisible(wnd::TeamMemberWarning);
    TChooseCompetitionForm* chooser = ChooseCompetitionForm();
    const bool chooserVisible = chooser && chooser->isVisible();
    if (chooserVisible)
        chooser->selectNewComp(chooser->getCompetitionId(false), false);
    w.reload(wnd::CompetitionDetails, true);
    if (chooserVisible)
        return;

    const bool finderVisible = w.isVisible(wnd::AthleteResultFinder);
    const bool disciplineVisible = w.isVisible(wnd::Discipline1) || w.isVisible(wnd::Discipline2);
    if (w.isVisible(wnd::GlobalParameters) && !disciplineVisible)
        w.reload(wnd::GlobalParameters, true);
    w.reloadIfVisible(wnd::Clubs);
    if (w.isVisible(wnd::AgeClasses) || finderVisible)
        w.reload(wnd::AgeClasses, true);
    w.reloadIfVisible(wnd::Teams);
    if (w.isVisible(wnd::Athletes) || finderVisible)
        w.reload(wnd::Athletes, true);
    if (disciplineVisible || finderVisible) {
        w.reload(wnd::Discipline1, true);
        w.reload(wnd::Discipline2, true);
        if (disciplineVisible && LoadDisciplineTemplates)
            LoadDisciplineTemplates();
    }
    w.reloadIfVisible(wnd::CompetitionLists);
    if (w.isVisible(wnd::ResultEntry) || w.isVisible(wnd::BibOrderCapture) || w.isVisible(wnd::TallySheet))
        w.reload(wnd::ResultEntry, true);
    w.reloadIfVisible(wnd::Analysis);
    w.reloadIfVisible(wnd::Certificates);
    if (w.isVisible(wnd::Squads) || w.isVisible(wnd::SquadFormation))
        w.reload(wnd::Squads, true);
    if (ITimingImportForm* timing = resultCapture().TimingImportForm; timing && timing->isWindowVisible())
        timing->UpdateItems();
    for (const QString& name : {wnd::Cups, wnd::CupAgeClasses, wnd::CupTeams, wnd::CupAthletes, wnd::CupResultModel,
                                wnd::CupCertificates, wnd::CustomCupColumns})
        w.reloadIfVisible(name);
    if (ITemplateAgeClasses* templates = competitionSetup().LoadDiscTemplateForm;
        templates && templates->isWindowVisible())
        templates->reloadAgeClass();
    for (const QString& name : {wnd::BarcodeSettings, wnd::Facilities, wnd::Schedule, wnd::ResultCheck})
        w.reloadIfVisible(name);
}

void TMainForm::ReloadAll()
{
    const TWindowRegistry& w = programWindows();
    for (const QString& name :
         {wnd::GlobalParameters, wnd::AgeClasses, wnd::Teams, wnd::Facilities, wnd::Schedule, wnd::Athletes,
          wnd::Discipline1, wnd::Discipline2, wnd::CompetitionLists, wnd::ResultEntry, wnd::Analysis, wnd::Certificates,
          wnd::Squads, wnd::Cups, wnd::Clubs, wnd::BibOrderCapture, wnd::AthleteResultFinder})
        w.unload(name);
}

// ---- timing indicator ----

void TMainForm::SetNewTimingData()
{
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, QColor(0x90, 0xC0, 0xFF));
    Panel1->setPalette(palette);
    Panel1->show();
    if (ITimingImportForm* timing = resultCapture().TimingImportForm; timing && timing->isWindowVisible())
        timing->UpdateItems();
}

void TMainForm::ResetSetTimingData()
{
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(palette);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1) {
        if (event->type() == QEvent::MouseButtonPress)
            Panel1->setFrameShadow(QFrame::Sunken);
        else if (event->type() == QEvent::MouseButtonRelease) {
            Panel1->setFrameShadow(QFrame::Raised);
            guarded([this] { showWindow(wnd::TimingImport); });
        }
    }
    return TTVPForm::eventFilter(watched, event);
}

// ---- keys ----

void TMainForm::SubscribeForKeyCommand(QWidget* form, std::function<bool(int key)> callback)
{
    KeyCommandNotificationList.push_back({form, std::move(callback)});
}

bool TMainForm::SendKeyCommand(int key)
{
    QWidget* active = QApplication::activeWindow();
    if (!active)
        return false;
    for (const TKeyCommandCallbackInfo& info : KeyCommandNotificationList)
        if (info.form == active)
            return info.callback && info.callback(key);
    return false;
}

namespace {

// Controls that use Escape themselves: lists and grids that can be edited. A list or grid is
// read-only when its edit triggers are off, which every window sets for its read-only lists.
bool usesEscape(QWidget* focused)
{
    for (QWidget* w = focused; w; w = w->parentWidget()) {
        if (auto* view = qobject_cast<QAbstractItemView*>(w))
            return view->editTriggers() != QAbstractItemView::NoEditTriggers;
        if (w->isWindow())
            break;
    }
    return false;
}

} // namespace

bool TMainForm::escapeClosesActiveWindow()
{
    QWidget* active = QApplication::activeWindow();
    if (!active || active == this)
        return false;
    QWidget* focused = QApplication::focusWidget();
    if (focused && focused->window() == active) {
        if (usesEscape(focused))
            return false;
        // The schedule window edits in a panel of its own while it is open.
        if (active->objectName() == wnd::Schedule) {
            QWidget* editPanel = active->findChild<QWidget*>(QStringLiteral("EditPanel"));
            if (editPanel && editPanel->isVisible())
                return false;
        }
    }
    active->close();
    return true;
}

bool TMainForm::handleApplicationEvent(QObject* target, QEvent* event)
{
    if (barcodeMessageHandler && barcodeMessageHandler(target, event))
        return true;
    if (event->type() != QEvent::KeyPress || closing_)
        return false;
    // Only the window that receives the key reacts, not every widget on its way up.
    if (!target->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(target);
    if (widget != QApplication::focusWidget() && widget != QApplication::activeWindow())
        return false;
    if (programWindows().isVisible(wnd::SetupWizard))
        return false;
    if (ICompSetupWizard* wizard = competitionSetup().CompSetupWizardForm; wizard && wizard->isWizardVisible())
        return false;

    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_F5: RefreshButton(); return true;
    case Qt::Key_F7:
        if (IResultDialog* results = resultCapture().ResultDialog; results && results->isWindowVisible())
            results->Zonenstrichliste1Click();
        return false;
    case Qt::Key_Escape: return escapeClosesActiveWindow();
    default: break;
    }
    if (!(key->modifiers() & Qt::ControlModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_T: showWindow(wnd::Athletes); return true;
    case Qt::Key_M: show(); return true;
    case Qt::Key_W: showWindow(wnd::CompetitionLists); return true;
    case Qt::Key_L: showWindow(wnd::ResultEntry); return true;
    case Qt::Key_U: showWindow(wnd::Certificates); return true;
    case Qt::Key_B:
        if (QWidget* input = programWindows().widget(wnd::BarcodeInput))
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
                                 "dekativiert wurden wiederherstellen?")))
        return;
    if (HintForm()) {
        HintForm()->ResetHintSystem();
        HintForm()->ShowHint(QStringLiteral("HINTSACTIVATED"), false);
    }
}

void TMainForm::stopLocalServerAndQuit()
{
    if (!askYesNo(this, QStringLiteral("Server herunterfahren"),
                  QStringLiteral("Durch das Beenden des Servers werden auch alle über das Netzwerk verbundenen "
                                 "Teilnehmer getrennt.\r\nServer und Programm beenden?")))
        return;
    // Unsaved edits are asked about while the server can still take them.
    if (posStoreAdapter() && posStoreAdapter()->checkAllDirtyData())
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
    if (posStoreAdapter())
        posStoreAdapter()->storeAllWindows();
    if (!suppressCloseQuery && !askYesNo(this, kQuitCaption, QStringLiteral("Möchten Sie den Client beenden?"))) {
        event->ignore();
        return;
    }
    // Unsaved edits of the work windows are asked about before anything is closed.
    if (!dirtyDataChecked_ && posStoreAdapter() && posStoreAdapter()->checkAllDirtyData()) {
        event->ignore();
        return;
    }
    closing_ = true;
    const QString waitText = QStringLiteral("Applikation wird beendet...");
    if (Form10())
        Form10()->Showwaitdialog(waitText);
    if (posStoreAdapter())
        posStoreAdapter()->closeAllNonMainWindows();
    ReqShutDown();
    if (Form10())
        Form10()->CloseWaitdialog(waitText);
    event->accept();
    emit closed();
}

} // namespace tvp
