#pragma once
// The result entry window offscreen on a stand-in with one competition: two teams with a squad
// each, athletes with bibs, and disciplines by athlete, by bib, by lane (with an empty place) and
// of teams. Fakes stand in for the windows it opens.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ParticipantForms.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "results/ResultUnitParser.h"
#include "results/ui/ChooseBibDialog.h"
#include "results/ui/ResultGrid.h"
#include "results/ui/ResultsDialogs.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"
#include "tests/support/TextFit.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <gtest/gtest.h>

namespace tvp::test {

class FakeAthletes : public QWidget, public IAthleteForm {
public:
    void showAthlete(int athleteId, int teamId) override
    {
        calls << QStringLiteral("showAthlete %1 %2").arg(athleteId).arg(teamId);
    }
    void showTeamMembers(int) override {}
    void showDisc(int, int) override {}
    void discParticipantsUpdated(int d) override { calls << QStringLiteral("discParticipantsUpdated %1").arg(d); }
    std::vector<int> getSelectedIds() const override { return {}; }
    std::optional<proto::AthleteType> getCachedAthleteByID(int) const override { return std::nullopt; }
    std::optional<proto::AthleteType> getCachedAthlete(int) const override { return std::nullopt; }
    void selectAthlete(int) override {}
    void createNewAthleteWithBarcode(int) override {}
    void checkParticipantContraints(bool) override {}
    void openSearch() override {}
    QStringList calls;
};

class FakeFinishingOrder : public QWidget, public IAquireBibOrderForm {
public:
    void showDialog(int discId, int attempt) override
    {
        calls << QStringLiteral("showDialog %1 %2").arg(discId).arg(attempt);
    }
    QStringList calls;
};

class FakeTally : public QWidget, public ITallySheetForm {
public:
    void ShowTallyDialog(int discId, int id, int attempt) override
    {
        calls << QStringLiteral("ShowTallyDialog %1 %2 %3").arg(discId).arg(id).arg(attempt);
    }
    QStringList calls;
};

// The program's own keys (Escape closes the active window, F5, the Ctrl commands): the main
// window sees every event first, as start-up sets it up.
class ProgramKeys : public QObject {
public:
    explicit ProgramKeys(TWindowContext& context) : main(context)
    {
        context.windows().place(TWindowId::MainForm, &main);
        qApp->installEventFilter(this);
    }
    ~ProgramKeys() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* target, QEvent* event) override { return main.handleApplicationEvent(target, event); }
    // A key as the user presses it in a window that has the focus.
    static void press(QWidget* target, int key)
    {
        QApplication::setActiveWindow(target->window());
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
    }

    TMainForm main;
};

class ResultWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        registerResultUnitPatterns();
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        comp = seed->competition(QStringLiteral("Kinderleichtathletik"));
        u10 = seed->ageClass(comp, QStringLiteral("U10"));
        foxes = seed->team(comp, QStringLiteral("Füchse"), u10);
        owls = seed->team(comp, QStringLiteral("Eulen"), u10);
        seed->squad(comp, 1, QStringLiteral("Rot"), u10, {foxes});
        seed->squad(comp, 2, QString(), u10, {owls});
        anna = seed->athlete(comp, QStringLiteral("Anna"), QStringLiteral("Berg"), foxes, 0, {7});
        ben = seed->athlete(comp, QStringLiteral("Ben"), QStringLiteral("Acker"), foxes, 0, {8});
        cara = seed->athlete(comp, QStringLiteral("Cara"), QStringLiteral("Dorn"), owls, 0, {9, 10});

        jump = discipline(QStringLiteral("Weitsprung"), 2, false, "byAthleteOrTeam", QStringLiteral("Distance"));
        seed->placeAthlete(jump, anna, 1);
        seed->placeAthlete(jump, ben, 1);
        seed->placeAthlete(jump, cara, 2);
        throwing = discipline(QStringLiteral("Ballwurf"), 2, false, "byBib", QStringLiteral("Distance"));
        seed->placeAthlete(throwing, anna, 1);
        seed->placeAthlete(throwing, cara, 1);
        sprint = discipline(QStringLiteral("Sprint"), 1, false, "byLane", QStringLiteral("Time"));
        seed->placeAthleteAt(sprint, anna, 1, 1);
        seed->placeAthleteAt(sprint, ben, 1, 3);
        relay = discipline(QStringLiteral("Staffel"), 1, true, "byAthleteOrTeam", QStringLiteral("Time"));
        seed->placeTeam(relay, foxes, 1);
        seed->placeTeam(relay, owls, 1);

        auto record = std::make_unique<proto::CompetitionType>();
        record->ID = comp;
        record->Name = QStringLiteral("Kinderleichtathletik");
        competition.SetCompetitionInternal(std::move(record));
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        windows.place(TWindowId::AthleteForm, &athletes);
        windows.place(TWindowId::AquireBibOrderForm, &finishingOrder);
        windows.place(TWindowId::TallySheetForm, &tally);
        chooser = std::make_unique<TChooseBibForm>(context);
        windows.place(TWindowId::ChooseBibForm, chooser.get());
        form = std::make_unique<TResultDialog>(context);
        windows.place(TWindowId::ResultDialog, form.get());
    }

    void TearDown() override
    {
        closeWindows();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        setDialogs(nullptr);
    }
    // A store still on its way would end in the next test, after its start reset the count.
    void closeWindows()
    {
        EXPECT_TRUE(!form || settled()) << "a request of the window still runs";
        form.reset();
    }

    int discipline(const QString& name, int attempts, bool team, const char* assignment, const QString& kind)
    {
        proto::ResultTableType table;
        table.ResultsPerRow = attempts;
        table.Team = team;
        const int id = seed->discipline(comp, name, u10, table);
        seed->db()
            .query("UPDATE disciplines SET result_assignment = ? WHERE id = ?", QString::fromLatin1(assignment), id)
            .run();
        uiInfo(QStringLiteral("Disciplin_ResultType"), id, kind);
        return id;
    }
    void uiInfo(const QString& key, int id, const QString& value)
    {
        seed->db()
            .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES (?, ?, ?) "
                   "ON CONFLICT (key, assoc_id) DO UPDATE SET value = excluded.value",
                   key, id, value)
            .run();
    }

    bool settled()
    {
        return waitUntil([this] { return form->pendingRequests() == 0 && runningRequestCount() == 0; }, 10000);
    }
    // Opens the window on a discipline's heat as the competition list does.
    void open(int discipline, int heat = 1)
    {
        form->showAndLoadDisciplin(discipline, heat, IResultDialog::kNoVersion, 0);
        ASSERT_TRUE(settled());
        form->activateWindow();
        grid()->setFocus();
    }

    TResultGrid* grid() const { return form->findChild<TResultGrid*>(QStringLiteral("StringGrid1")); }
    const TResultGridModel& model() const { return form->grid(); }
    QString cell(int row, int attempt) const
    {
        return model().index(row, model().columnOfAttempt(attempt)).data().toString();
    }
    TSetResultStatus state(int row, int attempt) const
    {
        return TSetResultStatus(
            model().index(row, model().columnOfAttempt(attempt)).data(TResultGridModel::kStatusRole).toInt());
    }
    void go(int row, int attempt) const
    {
        grid()->setCurrentIndex(model().index(row, model().columnOfAttempt(attempt)));
    }
    // (row, attempt) of the cursor.
    std::pair<int, int> cursor() const
    {
        const QModelIndex c = grid()->currentIndex();
        return {c.row(), model().attemptOfColumn(c.column())};
    }
    // Keys as the user types them: the first opens the cell's editor, the others go to it.
    void type(const QString& text)
    {
        for (QChar ch : text) {
            QWidget* target = grid()->editorWidget() ? static_cast<QWidget*>(grid()->editorWidget()) : grid();
            QTest::keyClick(target, ch.toLatin1());
        }
    }
    // A value typed into a cell and stored with Enter.
    void enter(int row, int attempt, const QString& text)
    {
        go(row, attempt);
        type(text);
        press(Qt::Key_Return);
    }
    // A cell as the user sees it: text, state and status line.
    QString shown(int row, int attempt) const
    {
        const QModelIndex i = model().index(row, model().columnOfAttempt(attempt));
        return i.data().toString() + u'|' + QString::number(int(state(row, attempt))) + u'|' +
               model().cellStatusText(i);
    }
    // With the server held by another client, Anna's 4 and Ben's 5 wait and show yellow after F5 (by ProgramKeys).
    void twoStoresWaitYellow()
    {
        enter(0, 1, QStringLiteral("4"));
        enter(1, 1, QStringLiteral("5"));
        ProgramKeys::press(grid(), Qt::Key_F5);
        const auto yellow = [this](int row) { return state(row, 1) == TSetResultStatus::sr_uncommited; };
        ASSERT_TRUE(waitUntil([&] { return yellow(0) && yellow(1); }, 5000));
    }
    // The next store by bib of a participant with several bibs asks; the user goes down the list
    // by that many lines and takes the bib with Enter.
    void expectBibChoice(int down)
    {
        script->expectWindow(QStringLiteral("Startnummern wählen"), [down](QWidget& w) {
            auto* list = w.findChild<QListView*>(QStringLiteral("ListBox1"));
            for (int i = 0; i < down; ++i)
                QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
            return 0;
        });
    }
    void press(Qt::Key key)
    {
        QWidget* target = grid()->editorWidget() ? static_cast<QWidget*>(grid()->editorWidget()) : grid();
        QTest::keyClick(target, key);
    }

    // A value as another desk sends it.
    static proto::ResultType sent(proto::ResultValueType kind, double value)
    {
        proto::ResultType r;
        r.Type_ = kind;
        if (kind == proto::ResultValueType::Rank)
            r.Rank = int(value);
        else
            r.DistanceInMeter = value;
        return r;
    }
    // "kind value" of the stand-in's result of an athlete's attempt; empty for none.
    QString stored(int discipline, int attempt, const char* column, int id)
    {
        const std::string sql = std::string("SELECT kind, distance_in_meter, time_in_seconds FROM results "
                                            "WHERE discipline_id = ? AND attempt = ? AND ") +
                                column + " = ?";
        standin::Statement q = seed->db().query(sql.c_str(), discipline, attempt, id);
        if (!q.next())
            return {};
        const double value = q.textAt(0) == u"Time" ? q.doubleAt(2) : q.doubleAt(1);
        return q.textAt(0) + u' ' + QString::number(value);
    }
    QString storedForTeam(int discipline, int attempt, int team)
    {
        standin::Statement q = seed->db().query(
            "SELECT r.kind, r.time_in_seconds FROM results r JOIN result_teams t ON t.result_id = r.id "
            "WHERE r.discipline_id = ? AND r.attempt = ? AND t.team_id = ?",
            discipline, attempt, team);
        return q.next() ? q.textAt(0) + u' ' + QString::number(q.doubleAt(1)) : QString();
    }

    TempAppFolders folders;
    StandinHarness standin;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0, u10 = 0, foxes = 0, owls = 0, anna = 0, ben = 0, cara = 0;
    int jump = 0, throwing = 0, sprint = 0, relay = 0;

    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    ScriptedDialogs* script = nullptr;
    FakeAthletes athletes;
    FakeFinishingOrder finishingOrder;
    FakeTally tally;
    std::unique_ptr<TChooseBibForm> chooser;
    std::unique_ptr<TResultDialog> form;
};

} // namespace tvp::test
