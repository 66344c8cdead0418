#pragma once
// The competition-list window on a stand-in with one competition: athletes in three teams, two
// squads, an athlete and a team discipline with time results and a long jump; stand-ins for the
// participant, age-class and result windows it talks to, and a timing exchange folder of its own.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/ParticipantForms.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "organisation/ui/DisciplinListDialog.h"
#include "results/TimingConnector.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStatusBar>
#include <QTreeView>

#include <gtest/gtest.h>

namespace tvp::test {

// A participant window as far as the competition-list window sees it: a list to drag from and the
// calls it receives.
class FakeListWindow : public QWidget {
public:
    FakeListWindow()
    {
        list = new QTreeView(this);
        list->setObjectName(QStringLiteral("ListView1"));
    }
    QTreeView* list;
    std::vector<int> selected;
    std::vector<int> updated; // disciplines of discParticipantsUpdated / discSquadsUpdated
    QStringList calls;
};

class FakeListAthleteForm : public FakeListWindow, public IAthleteForm {
public:
    void showAthlete(int athleteId, int teamId) override
    {
        calls << QStringLiteral("showAthlete %1 %2").arg(athleteId).arg(teamId);
    }
    void showTeamMembers(int teamId) override { calls << QStringLiteral("showTeamMembers %1").arg(teamId); }
    void showDisc(int d, int a) override { calls << QStringLiteral("showDisc %1 %2").arg(d).arg(a); }
    void discParticipantsUpdated(int d) override { updated.push_back(d); }
    std::vector<int> getSelectedIds() const override { return selected; }
    std::optional<proto::AthleteType> getCachedAthleteByID(int) const override { return std::nullopt; }
    std::optional<proto::AthleteType> getCachedAthlete(int) const override { return std::nullopt; }
    void selectAthlete(int) override {}
    void createNewAthleteWithBarcode(int) override {}
    void checkParticipantContraints(bool) override {}
    void openSearch() override {}
};

class FakeTeamForm : public FakeListWindow, public ITeamForm {
public:
    int getSelected() const override { return 0; }
    std::vector<int> getSelectedIds() const override { return selected; }
    std::vector<proto::TeamType> getSelectedTeams() const override { return {}; }
    void showDisc(int d, int a) override { calls << QStringLiteral("showDisc %1 %2").arg(d).arg(a); }
    void discParticipantsUpdated(int d) override { updated.push_back(d); }
};

class FakeSquadForm : public FakeListWindow, public ISquadForm {
public:
    std::vector<int> getSelectedIds() const override { return selected; }
    std::vector<proto::TeamType> getSelectedTeams() const override { return {}; }
    void showSquad(int squadId) override { calls << QStringLiteral("showSquad %1").arg(squadId); }
    void showDisc(int d, int a) override { calls << QStringLiteral("showDisc %1 %2").arg(d).arg(a); }
    void discSquadsUpdated(int d) override { updated.push_back(d); }
};

class FakeAgeClassForm : public QWidget, public IAgeClassForm {
public:
    int getSelected() const override { return 0; }
    std::optional<proto::AgeClassType> getAgeClass(int id) const override
    {
        for (const proto::AgeClassType& a : ageClasses)
            if (a.AgeClassID == id)
                return a;
        return std::nullopt;
    }
    std::vector<proto::AgeClassType> ageClasses;
};

class FakeResultDialog : public QWidget, public IResultDialog {
public:
    void showAndLoadDisciplin(int d, int heat, int version, int position) override
    {
        calls << QStringLiteral("showAndLoadDisciplin %1 %2 %3 %4").arg(d).arg(heat).arg(version).arg(position);
    }
    void showAndLoadBarcodeDisciplin(int, int, int, int) override {}
    void goToAthlete(int, int, int, bool, int, bool, bool) override {}
    void goToTeam(int, int, int, int, bool, bool) override {}
    void goToBarcodeAthlete(int, int, int, int, bool) override {}
    void reloadFromBibRanking() override {}
    void cancelEdit() override {}
    void showTallySheet() override {}
    QStringList calls;
};

// The texts of a node's children; "heat: child, child" per heat below the root for heats().
inline QStringList childTexts(const QAbstractItemModel& model, const QModelIndex& parent)
{
    QStringList out;
    for (int r = 0; r < model.rowCount(parent); ++r)
        out << model.index(r, 0, parent).data().toString();
    return out;
}

class DisciplinListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        ASSERT_TRUE(exchange.isValid());
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        comp = seed->competition(QStringLiteral("Kinderleichtathletik"));
        u10 = seed->ageClass(comp, QStringLiteral("U10"));
        u12 = seed->ageClass(comp, QStringLiteral("U12"));
        proto::ResultTableType single;
        single.ResultsPerRow = 2;
        sprint = seed->discipline(comp, QStringLiteral("Sprint 50 m"), u10, single);
        jump = seed->discipline(comp, QStringLiteral("Weitsprung"), u10, single);
        proto::ResultTableType team;
        team.Team = true;
        team.ResultsPerRow = 1;
        relay = seed->discipline(comp, QStringLiteral("Staffel"), u10, team);
        uiInfo(QStringLiteral("Disciplin_ResultType"), sprint, QStringLiteral("Time"));
        uiInfo(QStringLiteral("Disciplin_ResultType"), relay, QStringLiteral("Time"));
        uiInfo(QStringLiteral("Disciplin_ResultType"), jump, QStringLiteral("Distance"));
        seed->setHeatSize(sprint, 4);
        foxes = seed->team(comp, QStringLiteral("Füchse"), u10);
        owls = seed->team(comp, QStringLiteral("Eulen"), u10);
        badgers = seed->team(comp, QStringLiteral("Dachse"), u10);
        const QStringList foxNames{QStringLiteral("Müller"), QStringLiteral("Fuchs"), QStringLiteral("Rot"),
                                   QStringLiteral("Wald")};
        for (int i = 0; i < 4; ++i)
            fox.push_back(seed->athlete(comp, QStringLiteral("Fee%1").arg(i), foxNames[i], foxes, 0, {10 + i}));
        for (int i = 0; i < 3; ++i)
            owl.push_back(
                seed->athlete(comp, QStringLiteral("Eva%1").arg(i), QStringLiteral("Eule"), owls, 0, {20 + i}));
        for (int i = 0; i < 2; ++i)
            badger.push_back(
                seed->athlete(comp, QStringLiteral("Dan%1").arg(i), QStringLiteral("Dachs"), badgers, 0, {30 + i}));
        squad1 = seed->squad(comp, 1, QStringLiteral("Rot"), u10, {foxes});
        squad2 = seed->squad(comp, 2, QString(), u10, {owls, badgers});
        seed->placeAthlete(sprint, fox[0], 1);
        seed->placeAthlete(sprint, fox[1], 1);
        seed->placeAthlete(sprint, owl[0], 2);

        auto record = std::make_unique<proto::CompetitionType>();
        record->ID = comp;
        record->Name = QStringLiteral("Kinderleichtathletik");
        competition.SetCompetitionInternal(std::move(record));

        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));

        proto::AgeClassType ageClass;
        ageClass.AgeClassID = u10;
        ageClass.Name = QStringLiteral("U10");
        ageClasses.ageClasses.push_back(ageClass);
        windows.place(TWindowId::AthleteForm, &athletes);
        windows.place(TWindowId::TeamForm, &teams);
        windows.place(TWindowId::SquadForm, &squads);
        windows.place(TWindowId::AgeClassForm, &ageClasses);
        windows.place(TWindowId::ResultDialog, &results);
        windows.registerService<ITimingExport>(&timing);

        form = std::make_unique<TDisciplinListForm>(context);
    }

    void TearDown() override
    {
        form.reset();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        setDialogs(nullptr);
        EXPECT_TRUE(recorder.confirmation.allAnswered());
        CommTimeouts::channelWaitMs = 35000;
    }

    void uiInfo(const QString& key, int id, const QString& value)
    {
        seed->db()
            .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES (?, ?, ?) "
                   "ON CONFLICT (key, assoc_id) DO UPDATE SET value = excluded.value",
                   key, id, value)
            .run();
    }
    QString uiInfoValue(const QString& key, int id)
    {
        standin::Statement q = seed->db().query("SELECT value FROM ui_infos WHERE key = ? AND assoc_id = ?", key, id);
        return q.next() ? q.textAt(0) : QString();
    }

    bool settled()
    {
        return waitUntil([this] { return form->pendingRequests() == 0 && runningRequestCount() == 0; }, 10000);
    }
    void open(int discipline)
    {
        form->showAndLoadDisciplin(discipline);
        ASSERT_TRUE(settled());
    }
    void choose(const QString& name)
    {
        QComboBox* combo = form->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        const int index = combo->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    const THeatTreeModel& tree() const { return form->heatTree(); }
    QTreeView* treeView() const { return form->findChild<QTreeView*>(QStringLiteral("TreeView1")); }
    // Heat number to the texts of its participants.
    std::map<int, QStringList> heats() const
    {
        std::map<int, QStringList> out;
        const QModelIndex root = tree().rootNode();
        for (int h = 0; h < tree().rowCount(root); ++h) {
            const QModelIndex heat = tree().index(h, 0, root);
            out[tree().getHeatNo(heat)] = childTexts(tree(), heat);
        }
        return out;
    }
    QModelIndex participant(int heatNo, int row) const { return tree().index(row, 0, tree().heatNode(heatNo)); }
    void select(const std::vector<QModelIndex>& nodes) const
    {
        treeView()->selectionModel()->clearSelection();
        for (const QModelIndex& node : nodes)
            treeView()->selectionModel()->select(node, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString lockText() const { return form->findChild<QLabel*>(QStringLiteral("Label3"))->text(); }
    QString statusText() const { return form->findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->currentMessage(); }
    QAction* action(const char* name) const { return form->findChild<QAction*>(QString::fromLatin1(name)); }

    TempAppFolders folders;
    StandinHarness standin;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0, u10 = 0, u12 = 0, sprint = 0, jump = 0, relay = 0, foxes = 0, owls = 0, badgers = 0;
    int squad1 = 0, squad2 = 0;
    std::vector<int> fox, owl, badger;

    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    ScriptedDialogs* script = nullptr;
    FakeListAthleteForm athletes;
    FakeTeamForm teams;
    FakeSquadForm squads;
    FakeAgeClassForm ageClasses;
    FakeResultDialog results;
    QTemporaryDir exchange;
    TimingConnector timing{[this] { return exchange.path(); }};
    std::unique_ptr<TDisciplinListForm> form;
};

} // namespace tvp::test
