// The whole program started offscreen against a stand-in server, with scripted answers.

#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/ExceptionDialog.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CurrentCompetition.h"
#include "core/util/IniHandler.h"
#include "core/ui/InstanceRegistry.h"
#include "core/ui/MainWindow.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WebUIController.h"
#include "core/connection/PingTest.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ResultCaptureServices.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/LoopbackChooser.h"
#include "tests/support/ScriptedDialogs.h"
#include "core/connection/ServerDiscovery.h"
#include "core/util/ShellClock.h"
#include "tests/support/StandinHarness.h"
#include "core/ui/Startup.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowContext.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"
#include "core/ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <optional>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using namespace tvp;
using tvp::test::ScriptedDialogs;

namespace {

// A second process of this program that only waits, ended with the test.
struct WaitingChild {
    WaitingChild() : pid(::fork())
    {
        if (pid == 0) {
            ::sleep(30);
            ::_exit(0);
        }
    }
    ~WaitingChild()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    WaitingChild(const WaitingChild&) = delete;
    WaitingChild& operator=(const WaitingChild&) = delete;
    const pid_t pid;
};

const QString kEulaCaption = QStringLiteral("Lizenzinformationen");

// A work window that counts its reloads and unloads, standing in for one of the catalogue.
class CountingForm : public TTVPForm {
public:
    explicit CountingForm(TWindowContext& context) : TTVPForm(context) {}
    void unload() override { ++unloads; }
    int reloads = 0;
    int unloads = 0;

protected:
    void reloadData() override { ++reloads; }
};

// The schedule window, with or without its edit panel open.
class FakeSchedule : public CountingForm, public IScheduleEditing {
public:
    using CountingForm::CountingForm;
    bool isEditing() const override { return editing; }
    bool editing = false;
};

// The result window's F7 reaches its tally list.
class FakeResults : public CountingForm, public IResultDialog {
public:
    using CountingForm::CountingForm;
    void showAndLoadDisciplin(int, int, int, int) override {}
    void showAndLoadBarcodeDisciplin(int, int, int, int) override {}
    void goToAthlete(int, int, int, bool, int, bool, bool) override {}
    void goToTeam(int, int, int, int, bool, bool) override {}
    void goToBarcodeAthlete(int, int, int, int, bool) override {}
    void reloadFromBibRanking() override {}
    void cancelEdit() override {}
    void showTallySheet() override { ++tallies; }
    int tallies = 0;
};

// A work window with key commands of its own: takes Ctrl+Q, fails on Ctrl+E.
class KeyTakingForm : public CountingForm, public IKeyCommands {
public:
    using CountingForm::CountingForm;
    bool hotKeyCallback(int key) override
    {
        keys << key;
        if (key == Qt::Key_E)
            throw std::runtime_error("Tastenbefehl fehlgeschlagen");
        return key == Qt::Key_Q;
    }
    QList<int> keys;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid() && instanceDir.isValid());
        qputenv("TVP_INSTANCE_DIR", instanceDir.path().toUtf8());
        PingTimeouts::checkIntervalMs = tvp::test::kLoopbackPingIntervalMs;
        server.start();
        address = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        setShellClockForTests([this] { return clockMs; });
    }
    void TearDown() override
    {
        EXPECT_TRUE(script->allAnswered());
        program.reset();
        setDialogs(nullptr);
        setShellClockForTests({});
        PingTimeouts::checkIntervalMs = 500;
        qunsetenv("TVP_INSTANCE_DIR");
        InitComm();
    }

    int createCompetition(const QString& name) { return server.client().create(name); }
    void storeChoice(int competitionId)
    {
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), address);
        WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), competitionId);
    }
    void acceptTerms()
    {
        script->expectModal(kEulaCaption, [](QDialog& d) {
            d.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
            d.findChild<QPushButton*>(QStringLiteral("AcceptButton"))->click();
            return d.result();
        });
    }
    // The window of the row becomes a T, which the test reaches afterwards as counting[id].
    template <class T = CountingForm>
    void substitute(TWindowId id)
    {
        substitutes.push_back({id, [this, id](TWindowContext& c) {
                                   auto form = std::make_unique<T>(c);
                                   counting[id] = form.get();
                                   return form;
                               }});
    }
    void makeProgram()
    {
        program = std::make_unique<TProgram>();
        // The chooser's local entry is the stand-in, and it looks for no server beyond this machine.
        program->registry().registerWindow(TWindowId::ChooseCompetitionForm, [this](TWindowContext& c) {
            return std::make_unique<TChooseCompetitionForm>(c, tvp::test::loopbackChooser(address));
        });
        for (auto& [id, factory] : substitutes)
            program->registry().registerWindow(id, factory);
    }
    // Starts the program with a stored competition; the main window is then shown.
    void startWithCompetition(const QString& name)
    {
        storeChoice(createCompetition(name));
        acceptTerms();
        makeProgram();
        ASSERT_TRUE(program->start());
    }
    static TWindowRegistry& windows() { return programWindows(); }
    QWidget* window(const QString& objectName) const
    {
        for (QWidget* w : program->windows())
            if (w->objectName() == objectName)
                return w;
        return nullptr;
    }
    void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(target->window());
        target->setFocus();
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        handled = program->mainForm()->handleApplicationEvent(target, &event);
    }

    tvp::test::TempAppFolders folders;
    QTemporaryDir instanceDir;
    tvp::test::StandinHarness server;
    QString address;
    ScriptedDialogs* script = nullptr;
    std::unique_ptr<TProgram> program;
    std::vector<std::pair<TWindowId, TWindowFactory>> substitutes;
    std::map<TWindowId, CountingForm*> counting;
    qint64 clockMs = 100000;
    bool handled = false;
};

} // namespace

TEST_F(StartupTest, ReachesTheMainWindowWithTheCompetitionInItsCaption)
{
    startWithCompetition(QStringLiteral("Kinderolympiade 2027"));
    TMainForm* main = program->mainForm();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Kinderolympiade 2027 - Trivanta Pentrel"));
    EXPECT_EQ(TMainForm::applicationTitle(), QStringLiteral("Trivanta Pentrel - Kinderolympiade 2027"));
    // The consent is kept: the next start does not ask again.
    QString accepted;
    ReadIniStr(QStringLiteral("EULA"), QStringLiteral("EULA_Accepted"), QString(), accepted);
    EXPECT_EQ(accepted, QStringLiteral("yes"));
}

TEST_F(StartupTest, RefusedTermsEndTheProgram)
{
    storeChoice(createCompetition(QStringLiteral("Nie gesehen")));
    script->expectModal(kEulaCaption, [](QDialog& d) {
        d.reject();
        return d.result();
    });
    makeProgram();
    EXPECT_FALSE(program->start());
}

TEST_F(StartupTest, NoCompetitionEndsTheProgram)
{
    storeChoice(0);
    acceptTerms();
    script->expectWindow(QStringLiteral("Veranstaltung auswählen"), [](QWidget& chooser) {
        chooser.close();
        return 0;
    });
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    makeProgram();
    EXPECT_FALSE(program->start());
}

TEST_F(StartupTest, AnotherRunningInstanceIsAskedAboutUnlessStillStarting)
{
    // Another instance of the same program: a child that only waits.
    const WaitingChild waiting;
    const pid_t child = waiting.pid;
    ASSERT_GE(child, 0);
    QFile other(instanceDir.filePath(QStringLiteral("%1.instance").arg(child)));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(TMainForm::kStartingTitle.toUtf8());
    other.close();
    TInstanceRegistry registry;
    bool asked = false;
    EXPECT_TRUE(singleInstanceTest(registry, [&] { return asked = true; }));
    EXPECT_FALSE(asked);

    ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
    other.write("Sportfest - Trivanta Pentrel");
    other.close();
    script->expectMessage(QStringLiteral("Trivanta Pentrel erkannt"), TMsgAnswer::No);
    makeProgram();
    EXPECT_FALSE(program->start());
}

TEST_F(StartupTest, MenuEntriesAndShortcutsOpenTheirWindows)
{
    substitute<KeyTakingForm>(TWindowId::TeamForm);
    startWithCompetition(QStringLiteral("Menü"));
    TMainForm* main = program->mainForm();
    main->action(QStringLiteral("Teams1"))->trigger();
    EXPECT_TRUE(windows().isVisible(TWindowId::TeamForm));
    main->action(QStringLiteral("Riegen1"))->trigger();
    EXPECT_TRUE(windows().isVisible(TWindowId::SquadForm));

    QWidget* teams = windows().widget(TWindowId::TeamForm);
    press(teams, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(windows().isVisible(TWindowId::AthleteForm));
    press(teams, Qt::Key_T); // without Ctrl: nothing
    EXPECT_FALSE(handled);

    // A Ctrl key the main window does not know goes to the active window's own key commands, which
    // may leave it; one that fails is reported and counts as not taken.
    auto* keys = static_cast<KeyTakingForm*>(counting[TWindowId::TeamForm]);
    press(teams, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(handled);
    press(teams, Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(handled);
    press(teams, Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(handled);
    const QAbstractItemModel* messages =
        windows().widget(TWindowId::ExceptionForm)->findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
    ASSERT_TRUE(tvp::test::waitUntil([&] { return messages->rowCount() > 0; }));
    EXPECT_EQ(messages->index(messages->rowCount() - 1, 0).data().toString(),
              QStringLiteral("Tastenbefehl fehlgeschlagen"));
    EXPECT_EQ(keys->keys, (QList<int>{Qt::Key_Q, Qt::Key_R, Qt::Key_E})) << "the main window's own keys stay its own";

    // Another window active: its keys are not the team window's.
    windows().show(TWindowId::ClubForm);
    press(windows().widget(TWindowId::ClubForm), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(handled);
    EXPECT_EQ(keys->keys.size(), 3);
}

TEST_F(StartupTest, EscapeClosesWorkWindowsButNotGridsOrTheMainWindow)
{
    substitute<FakeSchedule>(TWindowId::ScheduleForm);
    startWithCompetition(QStringLiteral("Escape"));
    TMainForm* main = program->mainForm();
    windows().show(TWindowId::ClubForm);
    QWidget* clubs = windows().widget(TWindowId::ClubForm);
    auto* grid = new QTableWidget(3, 3, clubs);
    grid->show();
    press(grid, Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_FALSE(handled);
    EXPECT_TRUE(clubs->isVisible());
    press(clubs, Qt::Key_Escape);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(clubs->isVisible());
    press(main, Qt::Key_Escape);
    EXPECT_FALSE(handled);
    EXPECT_TRUE(main->isVisible());

    // A grid keeps Escape even when read-only, as does a list view that can be edited; a read-only
    // list view and a list box do not.
    struct Control {
        const char* what;
        std::function<QWidget*(QWidget*)> make;
        bool keepsEscape;
    };
    const std::vector<Control> controls{
        {"read-only grid",
         [](QWidget* parent) {
             auto* grid = new QTableWidget(3, 3, parent);
             grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
             return grid;
         },
         true},
        {"editable list view",
         [](QWidget* parent) {
             auto* view = new QTreeWidget(parent);
             view->setEditTriggers(QAbstractItemView::DoubleClicked);
             return view;
         },
         true},
        {"read-only list view",
         [](QWidget* parent) {
             auto* view = new QTreeWidget(parent);
             view->setEditTriggers(QAbstractItemView::NoEditTriggers);
             return view;
         },
         false},
        {"list box", [](QWidget* parent) { return new QListWidget(parent); }, false},
    };
    for (const Control& c : controls) {
        windows().show(TWindowId::ClubForm);
        QWidget* control = c.make(clubs);
        control->show(); // made after its window was shown
        QApplication::setActiveWindow(clubs);
        control->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control) << c.what;
        press(control, Qt::Key_Escape);
        EXPECT_EQ(handled, !c.keepsEscape) << c.what;
        EXPECT_EQ(clubs->isVisible(), c.keepsEscape) << c.what;
        delete control;
    }

    // The schedule's edit panel keeps Escape while it is open.
    auto& schedule = static_cast<FakeSchedule&>(*counting[TWindowId::ScheduleForm]);
    schedule.show();
    schedule.editing = true;
    press(&schedule, Qt::Key_Escape);
    EXPECT_FALSE(handled);
    EXPECT_TRUE(schedule.isVisible());
    schedule.editing = false;
    press(&schedule, Qt::Key_Escape);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(schedule.isVisible());
}

TEST_F(StartupTest, EscapeOnTheMessageWindowDoesWhatSchliessenDoes)
{
    startWithCompetition(QStringLiteral("Meldungen"));
    auto* messages = static_cast<TExceptionForm*>(windows().widget(TWindowId::ExceptionForm));
    auto* rows = messages->findChild<QTreeView*>(QStringLiteral("ListView1"));
    messages->AddException(0, {}, QStringLiteral("alt"), QStringLiteral("Anfrage"));
    clockMs += 9000;
    messages->AddException(0, {}, QStringLiteral("neu"), QStringLiteral("Anfrage"));
    ASSERT_TRUE(tvp::test::waitUntil([&] { return messages->isVisible(); }));

    press(rows, Qt::Key_Escape);
    EXPECT_TRUE(handled);
    ASSERT_EQ(rows->model()->rowCount(), 1) << "the old message went";
    EXPECT_EQ(rows->model()->index(0, 0).data().toString(), QStringLiteral("neu"));
    EXPECT_TRUE(messages->isVisible()) << "open for the recent one";

    clockMs += 3000;
    press(rows, Qt::Key_Escape);
    EXPECT_FALSE(messages->isVisible());
    EXPECT_EQ(rows->model()->rowCount(), 0) << "nothing comes back with the next message";
}

TEST_F(StartupTest, EscapeInTheChoosersListClosesIt)
{
    startWithCompetition(QStringLiteral("Bleibt offen"));
    script->expectWindow(QStringLiteral("Veranstaltung auswählen"), [&](QWidget& chooser) {
        press(chooser.findChild<QListView*>(QStringLiteral("ListBox1")), Qt::Key_Escape);
        EXPECT_TRUE(handled);
        EXPECT_FALSE(chooser.isVisible());
        return 0;
    });
    program->mainForm()->changeCompetition();
    EXPECT_EQ(ChooseCompetitionForm()->getCompetitionName(), QStringLiteral("Bleibt offen"));
}

TEST_F(StartupTest, RefreshAllIsThrottled)
{
    substitute(TWindowId::ClubForm);
    startWithCompetition(QStringLiteral("F5"));
    CountingForm& clubs = *counting[TWindowId::ClubForm];
    clubs.show();
    for (int i = 0; i < 3; ++i) {
        press(&clubs, Qt::Key_F5);
        clockMs += 300;
    }
    EXPECT_EQ(clubs.reloads, 1);
    clockMs += 1500;
    press(&clubs, Qt::Key_F5);
    EXPECT_EQ(clubs.reloads, 2);
}

TEST_F(StartupTest, ShutDownAsksAboutUnsavedChangesFirst)
{
    substitute(TWindowId::AthleteForm);
    startWithCompetition(QStringLiteral("Ende"));
    CountingForm& athletes = *counting[TWindowId::AthleteForm];
    TMainForm* main = program->mainForm();
    athletes.show();
    athletes.setDirtyData(QStringLiteral("Athlet"));

    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::No);
    main->close();
    EXPECT_TRUE(main->isVisible());

    // "Ja" to quitting, then "Nein" to losing the athlete's edit: nothing closes.
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Athlet"), TMsgAnswer::No);
    main->close();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(athletes.hasDirtyData(QStringLiteral("Athlet")));

    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Athlet"), TMsgAnswer::Yes);
    bool closed = false;
    QObject::connect(main, &TMainForm::closed, [&] { closed = true; });
    main->close();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(athletes.isVisible());
}

TEST_F(StartupTest, WindowsComeInTheirOrderAndTimingSettingsOnlyAfterTheChoice)
{
    storeChoice(0);
    acceptTerms();
    QStringList createdBeforeChoice;
    script->expectWindow(QStringLiteral("Veranstaltung auswählen"), [&](QWidget& chooser) {
        for (QWidget* w : program->windows())
            createdBeforeChoice << w->objectName();
        chooser.close();
        return 0;
    });
    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    makeProgram();
    EXPECT_FALSE(program->start());
    ASSERT_GE(createdBeforeChoice.size(), 60);
    EXPECT_EQ(createdBeforeChoice.first(), QStringLiteral("MainForm"));
    EXPECT_EQ(createdBeforeChoice[1], QStringLiteral("InfoForm"));
    EXPECT_LT(createdBeforeChoice.indexOf(QStringLiteral("EulaForm")),
              createdBeforeChoice.indexOf(QStringLiteral("Form10")));
    EXPECT_LT(createdBeforeChoice.indexOf(QStringLiteral("Form10")),
              createdBeforeChoice.indexOf(QStringLiteral("ChooseCompetitionForm")));
    EXPECT_EQ(createdBeforeChoice.last(), QStringLiteral("DisciplinePlaceForm"));
    EXPECT_FALSE(createdBeforeChoice.contains(QStringLiteral("TimingSettingsForm")));
}

TEST_F(StartupTest, EveryMenuEntryOpensItsWindow)
{
    startWithCompetition(QStringLiteral("Alle Menüs"));
    TMainForm* main = program->mainForm();
    const std::vector<std::pair<QString, QString>> entries = {
        {"Altersklassen1", "AgeClassForm"},
        {"Disziplinen1", "DisciplinListForm0"},
        {"Wettkampfanlagen1", "DisciplinePlaceForm"},
        {"Zeitplan1", "ScheduleForm"},
        {"Veranstaltungsdetails1", "CompetitionForm"},
        {"Athleten1", "AthleteForm"},
        {"Teams1", "TeamForm"},
        {"VereineOrganisationen1", "ClubForm"},
        {"Riegen1", "SquadForm"},
        {"Wettkampflisten1", "DisciplinListForm"},
        {"Leistungserfassung1", "ResultDialog"},
        {"Auswertung1", "AnalyseForm"},
        {"Urkunden1", "CertForm"},
        {"CupWertungen1", "CupsForm"},
        {"Altersklassenzuordnen1", "CupAgeClassForm"},
        {"Teamszuordnen1", "CupTeamForm"},
        {"Athletenzuordnen1", "CupAthleteForm"},
        {"CupErgebnismodellierung1", "CupResultModelForm"},
        {"LADV1", "LadvForm"},
        {"csvMeldeimport1", "CsvImportForm"},
        {"Barcode1", "BarcodeSettingsForm"},
        {"GenerellesVorgehen1", "CoarseCompStepsForm"},
        {"Zeitmessung1", "TimingSettingsForm"},
    };
    for (const auto& [action, name] : entries) {
        QAction* entry = main->action(action);
        ASSERT_TRUE(entry) << action.toStdString();
        entry->trigger();
        QWidget* shown = window(name);
        ASSERT_TRUE(shown) << name.toStdString();
        EXPECT_TRUE(shown->isVisible()) << action.toStdString();
        shown->hide();
    }
    EXPECT_TRUE(main->action(QStringLiteral("Veranstaltungexportieren1"))->isEnabled());
    EXPECT_TRUE(main->action(QStringLiteral("AlsVorlageexportieren1"))->isEnabled());
    EXPECT_EQ(main->action(QStringLiteral("Athleten1"))->text(), QStringLiteral("&Athleten... (Strg+T)"));
}

TEST_F(StartupTest, ChangingCompetitionAsksAboutUnsavedChangesFirst)
{
    substitute(TWindowId::TeamForm);
    startWithCompetition(QStringLiteral("Bleibt"));
    CountingForm& teams = *counting[TWindowId::TeamForm];
    teams.show();
    teams.setDirtyData(QStringLiteral("Team"));
    script->expectMessage(QStringLiteral("Team"), TMsgAnswer::No);
    program->mainForm()->changeCompetition(); // "Nein": no chooser, same competition
    EXPECT_EQ(ChooseCompetitionForm()->getCompetitionName(), QStringLiteral("Bleibt"));
    EXPECT_TRUE(teams.hasDirtyData(QStringLiteral("Team")));
}

TEST_F(StartupTest, TheUnsavedChangesQuestionSaysWhatIsLostByQuittingOrChanging)
{
    substitute(TWindowId::AthleteForm);
    startWithCompetition(QStringLiteral("Bleibt"));
    CountingForm& athletes = *counting[TWindowId::AthleteForm];
    TMainForm* main = program->mainForm();
    athletes.show();
    athletes.setDirtyData(QStringLiteral("Athletendaten"));

    script->expectMessage(QStringLiteral("Athletendaten"), TMsgAnswer::No);
    main->action(QStringLiteral("Veranstaltungwechseln1"))->trigger();
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden. Beim Wechseln der Veranstaltung gehen "
                             "sie verloren. Veranstaltung trotzdem wechseln?"));

    script->expectMessage(QStringLiteral("Trivanta Pentrel beenden"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Athletendaten"), TMsgAnswer::No);
    main->action(QStringLiteral("ClientBeenden1"))->trigger();
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden. Beim Beenden des Programms gehen sie "
                             "verloren. Programm trotzdem beenden?"));
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(ChooseCompetitionForm()->getCompetitionName(), QStringLiteral("Bleibt"));
}

TEST_F(StartupTest, StoppingTheServerAsksAboutUnsavedChangesBeforeStopping)
{
    substitute(TWindowId::ClubForm);
    startWithCompetition(QStringLiteral("Server bleibt"));
    CountingForm& clubs = *counting[TWindowId::ClubForm];
    clubs.show();
    clubs.setDirtyData(QStringLiteral("Verein"));
    script->expectMessage(QStringLiteral("Server herunterfahren"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Verein"), TMsgAnswer::No);
    // Without a "Server stoppen" message: the server was not touched.
    program->mainForm()->stopLocalServerAndQuit();
    EXPECT_TRUE(program->mainForm()->isVisible());
}

TEST_F(StartupTest, TimingIndicatorShowsAndOpensTheImport)
{
    startWithCompetition(QStringLiteral("Zeitmessung"));
    TMainForm* main = program->mainForm();
    auto* panel = main->findChild<QWidget*>(QStringLiteral("Panel1"));
    EXPECT_FALSE(panel->isVisible());
    main->SetNewTimingData();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(0x90, 0xC0, 0xFF));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, {}, {});
    QApplication::sendEvent(panel, &press);
    QApplication::sendEvent(panel, &release);
    EXPECT_TRUE(windows().isVisible(TWindowId::TimingImportForm));
    main->ResetSetTimingData();
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(StartupTest, CtrlShortcutsAndTheResultWindowsTallyKey)
{
    substitute<FakeResults>(TWindowId::ResultDialog);
    startWithCompetition(QStringLiteral("Tasten"));
    auto& results = static_cast<FakeResults&>(*counting[TWindowId::ResultDialog]);
    QWidget* clubs = windows().widget(TWindowId::ClubForm);
    windows().show(TWindowId::ClubForm);

    // F7 reaches the result window's tally list only while that window is visible, and stays unhandled.
    press(clubs, Qt::Key_F7);
    EXPECT_EQ(results.tallies, 0);

    const std::vector<std::pair<int, TWindowId>> shortcuts = {{Qt::Key_W, TWindowId::DisciplinListForm},
                                                              {Qt::Key_L, TWindowId::ResultDialog},
                                                              {Qt::Key_U, TWindowId::CertForm},
                                                              {Qt::Key_B, TWindowId::BarcodeInputForm}};
    for (const auto& [key, window] : shortcuts) {
        press(clubs, key, Qt::ControlModifier);
        EXPECT_TRUE(handled);
        EXPECT_TRUE(windows().isVisible(window)) << windowRow(window).objectName;
    }
    press(clubs, Qt::Key_F7);
    EXPECT_FALSE(handled);
    EXPECT_EQ(results.tallies, 1);
}

TEST_F(StartupTest, RefreshWithTheChooserOpenRefreshesOnlyItAndTheDetails)
{
    substitute(TWindowId::CompetitionForm);
    substitute(TWindowId::ClubForm);
    startWithCompetition(QStringLiteral("Offen"));
    CountingForm& details = *counting[TWindowId::CompetitionForm];
    CountingForm& clubs = *counting[TWindowId::ClubForm];
    clubs.show();
    script->expectWindow(QStringLiteral("Veranstaltung auswählen"), [&](QWidget&) {
        program->mainForm()->RefreshButton();
        EXPECT_EQ(details.reloads, 1); // reloaded whether visible or not
        EXPECT_EQ(clubs.reloads, 0);
        ChooseCompetitionForm()->close();
        return 0;
    });
    program->mainForm()->changeCompetition();
}

TEST_F(StartupTest, TheChoosersImportOpensTheImportChoice)
{
    startWithCompetition(QStringLiteral("Mit Import"));
    bool choiceShown = false;
    script->expectWindow(QStringLiteral("Veranstaltung auswählen"), [&](QWidget& chooser) {
        auto* import = chooser.findChild<QPushButton*>(QStringLiteral("Button3"));
        EXPECT_TRUE(import->isEnabled());
        import->click();
        QWidget* choice = window(QStringLiteral("CompImportSwitchForm"));
        choiceShown = choice && choice->isVisible();
        if (choice)
            choice->findChild<QPushButton*>(QStringLiteral("Button3"))->click(); // "Abbrechen"
        EXPECT_FALSE(choice && choice->isVisible());
        ChooseCompetitionForm()->close();
        return 0;
    });
    program->mainForm()->changeCompetition();
    EXPECT_TRUE(choiceShown);
}

TEST_F(StartupTest, OpeningACompetitionUnloadsTheWorkWindows)
{
    substitute(TWindowId::AthleteForm);
    startWithCompetition(QStringLiteral("Erste"));
    CountingForm& athletes = *counting[TWindowId::AthleteForm];
    EXPECT_EQ(athletes.unloads, 1);
    const int second = createCompetition(QStringLiteral("Zweite"));
    script->expectWindow(QStringLiteral("Veranstaltung auswählen"), [&](QWidget&) {
        ChooseCompetitionForm()->selectNewComp(second, true);
        return 0;
    });
    program->mainForm()->changeCompetition();
    EXPECT_EQ(athletes.unloads, 2);
    EXPECT_EQ(program->mainForm()->windowTitle(), QStringLiteral("Zweite - Trivanta Pentrel"));
}

TEST_F(StartupTest, TheMenuReadsAsTheOrganisersKnowIt)
{
    startWithCompetition(QStringLiteral("Menü"));
    QStringList menus;
    for (QAction* top : program->mainForm()->findChild<QMenuBar*>(QStringLiteral("MainMenu1"))->actions()) {
        QString line = top->text();
        if (QMenu* menu = top->menu())
            for (QAction* entry : menu->actions())
                if (!entry->isSeparator())
                    line += QStringLiteral(" | ") + entry->text();
        menus << line;
    }
    EXPECT_EQ(menus,
              (QStringList{
                  "Veranstaltung | Altersklassen... | Disziplinen... | Wettkampfanlagen... | Zeitplan... | "
                  "Veranstaltungsdetails... | Veranstaltung exportieren... | Veranstaltung wechseln... | Als "
                  "Vorlage exportieren... | Client Beenden | Lokalen Server und Programm beenden",
                  "Teilnehmer | &Athleten... (Strg+T) | &Teams... | Vereine/Organisationen... | Riegen...",
                  "Wettkämpfe | Wettkampflisten... (Strg + W) | Leistungserfassung... (Strg + L) | Auswertung...",
                  "Ergebnisse und Urkunden | Urkunden / Ergebniszusammenstellungen... (Strg+U)",
                  "Cup-Wertung | Cup-Wertungen... | Altersklassen zuordnen... | Teams zuordnen... | Athleten "
                  "zuordnen... | Cup-Ergebnismodellierung...",
                  "Schnittstellen | LADV... | Zeitmessung... | csv-Meldeimport... | Barcode...",
                  "Updates | Auf Updates prüfen",
                  "Hilfe | Generelles Vorgehen... | Alle Hinweise wieder aktivieren | Loading...",
                  "Info",
              }));
}

TEST_F(StartupTest, StoppingTheLocalServerRunsItsScriptAndEndsTheProgramWithoutAnotherQuestion)
{
    startWithCompetition(QStringLiteral("Feierabend"));
    const QString folder = folders.programDir.path() + QStringLiteral("/server");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile stop(folder + QStringLiteral("/stop.sh"));
    ASSERT_TRUE(stop.open(QIODevice::WriteOnly));
    stop.write("touch stopped\n");
    stop.close();
    bool closed = false;
    QObject::connect(program->mainForm(), &TMainForm::closed, [&] { closed = true; });

    // "Nein" keeps both running.
    script->expectMessage(QStringLiteral("Server herunterfahren"), TMsgAnswer::No);
    program->mainForm()->action(QStringLiteral("LokalenServerundProgrammbeenden1"))->trigger();
    EXPECT_FALSE(closed);
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Durch das Beenden des Servers werden auch alle über das "
                                                       "Netzwerk verbundenen Teilnehmer getrennt.\r\nServer und "
                                                       "Programm beenden?"));

    // "Ja": the stop script runs and the program ends without "Möchten Sie den Client beenden?".
    script->expectMessage(QStringLiteral("Server herunterfahren"), TMsgAnswer::Yes);
    program->mainForm()->action(QStringLiteral("LokalenServerundProgrammbeenden1"))->trigger();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(tvp::test::waitUntil([&] { return QFile::exists(folder + QStringLiteral("/stopped")); }));
}

TEST_F(StartupTest, AStopThatCannotRunIsSaidBeforeTheProgramEnds)
{
    startWithCompetition(QStringLiteral("Ohne Skript"));
    bool closed = false;
    QObject::connect(program->mainForm(), &TMainForm::closed, [&] { closed = true; });
    script->expectMessage(QStringLiteral("Server herunterfahren"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Server stoppen"), TMsgAnswer::Ok);
    program->mainForm()->stopLocalServerAndQuit();
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Server konnte nicht gestoppt werden. Stellen Sie sicher, dass "
                                                       "das Programm vollständig entpackt wurde."));
    EXPECT_TRUE(closed) << "the program ends all the same";
}

namespace {

// Sets environment variables for one scope and puts the old values back.
class EnvScope {
public:
    void set(const char* name, const QByteArray& value)
    {
        remember(name);
        qputenv(name, value);
    }
    void unset(const char* name)
    {
        remember(name);
        qunsetenv(name);
    }
    ~EnvScope()
    {
        for (const auto& [name, value] : saved_)
            value ? qputenv(name, *value) : qunsetenv(name);
    }

private:
    void remember(const char* name)
    {
        if (!std::any_of(saved_.begin(), saved_.end(), [&](const auto& s) { return s.first == name; }))
            saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }
    std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};

TEST(InstanceFolders, OnlyAnInstanceOnTheSameDesktopCounts)
{
    EXPECT_EQ(desktopKey({}, QStringLiteral(":0.1"), {}), desktopKey({}, QStringLiteral(":0"), {}));
    EXPECT_NE(desktopKey({}, QStringLiteral(":0"), {}), desktopKey({}, QStringLiteral(":1"), {}));
    EXPECT_NE(desktopKey({}, QStringLiteral("localhost:10.0"), {}), desktopKey({}, QStringLiteral(":10"), {}));
    EXPECT_EQ(desktopKey(QStringLiteral("wayland-0"), QStringLiteral(":0"), QStringLiteral("3")),
              QStringLiteral("wayland-wayland-0"));
    EXPECT_EQ(desktopKey({}, {}, QStringLiteral("7")), QStringLiteral("session-7"));
    EXPECT_EQ(desktopKey({}, QStringLiteral("../../x"), {}).indexOf(u'/'), -1) << "one folder name";

    EnvScope env;
    env.unset("TVP_INSTANCE_DIR");
    env.unset("WAYLAND_DISPLAY");
    // Without XDG_RUNTIME_DIR the fallback folder is the user's for every session: it is split by
    // desktop as well.
    env.unset("XDG_RUNTIME_DIR");
    env.set("DISPLAY", ":5");
    const QString onFive = defaultInstanceFolder();
    env.set("DISPLAY", ":6");
    EXPECT_NE(defaultInstanceFolder(), onFive);
    EXPECT_TRUE(onFive.endsWith(QStringLiteral("/x11-_5"))) << onFive.toStdString();

    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    env.set("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    env.set("DISPLAY", ":5");
    const QString fiveFolder = defaultInstanceFolder();
    EXPECT_TRUE(fiveFolder.startsWith(runtime.path()));
    env.set("DISPLAY", ":6");
    const QString sixFolder = defaultInstanceFolder();

    // A running program on display 5 (a child of this one, so it is this program).
    const WaitingChild waiting;
    const pid_t child = waiting.pid;
    ASSERT_GE(child, 0);
    ASSERT_TRUE(QDir().mkpath(fiveFolder));
    QFile other(QDir(fiveFolder).filePath(QStringLiteral("%1.instance").arg(child)));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("Sportfest - Trivanta Pentrel");
    other.close();
    EXPECT_TRUE(TInstanceRegistry(sixFolder).otherTitles().isEmpty()) << "another display's instance does not count";
    EXPECT_EQ(TInstanceRegistry(fiveFolder).otherTitles(), QStringList{QStringLiteral("Sportfest - Trivanta Pentrel")});
}

} // namespace

TEST_F(StartupTest, TheBrowserClientsNotificationsReachTheProgramsWindows)
{
    substitute(TWindowId::AthleteForm);
    startWithCompetition(QStringLiteral("Sportfest"));
    tvp::test::FakeOpener opener;
    IWebUIController* bridge = MainWebUIController();
    ASSERT_TRUE(bridge);
    bridge->showInBrowser(program->mainForm(), QStringLiteral("import"), {}, true);
    ASSERT_TRUE(tvp::test::waitUntil([&] { return !opener.opened().isEmpty(); }));
    const QString page = opener.opened()[0];
    EXPECT_TRUE(page.endsWith(
        QStringLiteral("&competitionId=%1").arg(program->context().competition().getCompetitionId(false))))
        << page.toStdString();
    const QString session = page.section(QStringLiteral("sessionId="), 1).section(QLatin1Char('&'), 0, 0);

    const auto notify = [&](const QString& target) {
        const auto uis =
            proto::GetUiStorePortType(false, QString::fromStdString(server.client().url("UiStoreService")), nullptr);
        return uis->notifySessionClient(session, proto::clientType::NATIVE, target, QStringLiteral("ctx"));
    };
    EXPECT_TRUE(notify(QStringLiteral("ATHLETE_FORM")));
    EXPECT_TRUE(tvp::test::waitUntil([&] { return counting[TWindowId::AthleteForm]->isVisible(); }));
    // Until the setup wizard is built, its placeholder says so.
    EXPECT_TRUE(notify(QStringLiteral("COMP_WIZARD_START")));
    EXPECT_TRUE(tvp::test::waitUntil([&] { return windows().isVisible(TWindowId::CompSetupWizardForm); }));
}
