// The competition-list window against the stand-in over loopback: loading, drops from the
// participant windows and within the tree, removal with the results question, squads, the lock,
// the timing export, and the answers that must not reach the tree.

#include "DisciplinListFixture.h"

#include "tests/support/FakeServer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QThread>

#include <atomic>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

const QString kMueller = QStringLiteral("Müller, Fee0 (Füchse)");
const QString kFuchs = QStringLiteral("Fuchs, Fee1 (Füchse)");
const QString kRot = QStringLiteral("Rot, Fee2 (Füchse)");
const QString kWald = QStringLiteral("Wald, Fee3 (Füchse)");
QString eva(int i)
{
    return QStringLiteral("Eule, Eva%1 (Eulen)").arg(i);
}
QString dan(int i)
{
    return QStringLiteral("Dachs, Dan%1 (Dachse)").arg(i);
}

using Heats = std::map<int, QStringList>;

} // namespace

TEST_F(DisciplinListTest, LoadingShowsHeatsSquadsAgeClassAndLockState)
{
    seed->assignSquad(sprint, squad1);
    open(sprint);

    auto* combo = form->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Sprint 50 m"));
    EXPECT_EQ(tree().rootNode().data().toString(), QStringLiteral("Sprint 50 m"));
    EXPECT_EQ(heats(), (Heats{{1, {kMueller, kFuchs}}, {2, {eva(0)}}}));
    EXPECT_TRUE(treeView()->isEnabled());
    EXPECT_TRUE(treeView()->isExpanded(tree().heatNode(2)));
    EXPECT_EQ(lockText(), QStringLiteral("Status: Freigegeben für automatische Einteilung"));
    EXPECT_TRUE(action("Sperren1")->isEnabled());
    EXPECT_FALSE(action("Entsperren1")->isEnabled());
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Disziplinaltersklasse: U10"));
    auto* button1 = form->findChild<QPushButton*>(QStringLiteral("Button1"));
    EXPECT_FALSE(button1->isHidden());
    EXPECT_EQ(button1->text(), QStringLiteral("Verfügbare Athleten anzeigen..."));
    EXPECT_TRUE(action("Wettkampflistesenden1")->isEnabled()) << "time results and heats";
    EXPECT_TRUE(form->printMenu()->isEnabled());
    ASSERT_EQ(form->assignedSquads().size(), 1u);
    const QAbstractItemModel* squadList = form->findChild<QTreeView*>(QStringLiteral("ListView2"))->model();
    EXPECT_EQ(childTexts(*squadList, {}), QStringList{QStringLiteral("1")});
    EXPECT_EQ(squadList->index(0, 1).data().toString(), QStringLiteral("Rot"));
    EXPECT_EQ(squadList->index(0, 2).data().toString(), QStringLiteral("U10"));
    EXPECT_EQ(form->getDiscAttempts(sprint), 2);
    EXPECT_EQ(form->getDiscMaxParticipantsPerHeat(sprint), 4);
    EXPECT_EQ(form->getDiscResultValueType(sprint), ResultValueType::Time);
    EXPECT_EQ(form->getDiscName(9999), QStringLiteral("9999"));

    choose(QStringLiteral("Weitsprung"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(tree().rootNode().data().toString(), QStringLiteral("Weitsprung"));
    EXPECT_TRUE(heats().empty());
    EXPECT_FALSE(action("Wettkampflistesenden1")->isEnabled()) << "distances go to no timing program";

    choose(QStringLiteral("Staffel"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(button1->text(), QStringLiteral("Verfügbare Teams anzeigen..."));
    EXPECT_TRUE(form->isTeamDisc(relay));
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(DisciplinListTest, TheAgeClassNameIsShownAsWritten)
{
    const QString name = QStringLiteral("<b>U10</b> <img src=\"file:///etc/passwd\">");
    ageClasses.ageClasses.front().Name = name;
    open(sprint);
    const auto* label = form->findChild<QLabel*>(QStringLiteral("Label2"));
    EXPECT_EQ(label->text(), QStringLiteral("Disziplinaltersklasse: ") + name);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
}

TEST_F(DisciplinListTest, DropsFromTheAthleteWindowAndWithinTheTree)
{
    open(sprint);

    athletes.selected = {fox[2], fox[3]};
    form->TreeView1DragDrop(athletes.list, tree().heatNode(2));
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[2], (QStringList{eva(0), kRot, kWald})) << "a heat node takes them at its end";
    EXPECT_EQ(athletes.updated, std::vector<int>{sprint});
    EXPECT_EQ(teams.updated, std::vector<int>{sprint});
    EXPECT_TRUE(recorder.waits.log.contains(QStringLiteral("+Füge Athleten hinzu.")));
    EXPECT_TRUE(recorder.waits.shown.isEmpty());

    // On a participant: they take its place, one after the other.
    athletes.selected = {owl[1], owl[2]};
    form->TreeView1DragDrop(athletes.list, participant(1, 1));
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[1], (QStringList{kMueller, eva(1), eva(2), kFuchs}));

    // Within the tree: the athlete and team windows are not bothered.
    athletes.updated.clear();
    teams.updated.clear();
    select({participant(2, 2)});
    form->TreeView1DragDrop(treeView(), participant(2, 0));
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[2], (QStringList{kWald, eva(0), kRot}));
    select({participant(2, 0)});
    form->TreeView1DragDrop(treeView(), QModelIndex()); // empty space: heat 1, at its end
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[1].back(), kWald);
    EXPECT_TRUE(athletes.updated.empty());
    EXPECT_TRUE(teams.updated.empty());

    // Teams go only into team disciplines, athletes only into the others.
    teams.selected = {foxes};
    EXPECT_TRUE(form->getDragInput(teams.list).empty());
    form->TreeView1DragDrop(teams.list, tree().heatNode(1));
    EXPECT_EQ(form->pendingRequests(), 0u);
    EXPECT_TRUE(form->getDragInput(squads.list).empty()) << "a list of another window";

    choose(QStringLiteral("Staffel"));
    ASSERT_TRUE(settled());
    athletes.selected = {fox[0]};
    EXPECT_TRUE(form->getDragInput(athletes.list).empty());
    teams.selected = {foxes, owls};
    form->TreeView1DragDrop(teams.list, tree().rootNode());
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats(), (Heats{{1, {QStringLiteral("Füchse"), QStringLiteral("Eulen")}}}));
    const QModelIndex team = participant(1, 0);
    EXPECT_EQ(childTexts(tree(), team).first(), QStringLiteral("Müller, Fee0"));
    select({tree().index(0, 0, team)});
    EXPECT_TRUE(form->getDragInput(treeView()).empty()) << "a team member is never dragged alone";
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(DisciplinListTest, RemovalAsksAboutResultsAndForcesOnlyOnYes)
{
    seed->result(sprint, fox[0]);
    seed->result(sprint, owl[0]);
    open(sprint);

    select({participant(1, 0), participant(1, 1)});
    script->expectMessage(QStringLiteral("Entfernen mehrerer Athleten"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = true});
    action("Entfernen1")->trigger();
    ASSERT_TRUE(settled());
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Sollen die markierten Teilnehmer von der Disziplin entfernt werden?"));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Athleten mit Ergebnissen entfernen?"));
    EXPECT_TRUE(recorder.confirmation.asked[0].text.startsWith(QStringLiteral("Zu entfernende Athleten haben")));
    EXPECT_EQ(heats(), (Heats{{2, {eva(0)}}}));
    EXPECT_EQ(athletes.updated, std::vector<int>{sprint}) << "they are available again";

    // "Nein" to the results question: nothing removed, nothing reported.
    select({participant(2, 0)});
    script->expectMessage(QStringLiteral("Entfernen mehrerer Athleten"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = false});
    form->Entfernen1Click();
    ASSERT_TRUE(settled());
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Soll der markierte Teilnehmer von der Disziplin entfernt werden?"));
    EXPECT_EQ(heats(), (Heats{{2, {eva(0)}}}));
    EXPECT_TRUE(recorder.messages.messages.empty());

    // "Nein" to the first question sends nothing.
    select({participant(2, 0)});
    script->expectMessage(QStringLiteral("Entfernen mehrerer Athleten"), TMsgAnswer::No);
    form->Entfernen1Click();
    EXPECT_EQ(form->pendingRequests(), 0u);
}

TEST_F(DisciplinListTest, AssignedSquadsFillTheHeatsAndTheirRemovalAsks)
{
    open(sprint);
    squads.selected = {squad1, squad2};
    form->ListView2DragDrop(squads.list);
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats(),
              (Heats{{1, {kMueller, kFuchs, kRot, kWald}}, {2, {eva(0), eva(1), eva(2), dan(0)}}, {3, {dan(1)}}}))
        << "squad order, at most four per heat";
    ASSERT_EQ(form->assignedSquads().size(), 2u);
    EXPECT_EQ(squads.updated, std::vector<int>{sprint});
    EXPECT_EQ(athletes.updated, std::vector<int>{sprint});

    // Another age class: asked, and forced on "Ja".
    const int older = seed->team(comp, QStringLiteral("Große"), u12);
    seed->athlete(comp, QStringLiteral("Gero"), QStringLiteral("Groß"), older);
    const int squad3 = seed->squad(comp, 3, QStringLiteral("Groß"), u12, {older});
    squads.selected = {squad3};
    recorder.confirmation.expect({.confirmed = true});
    form->ListView2DragDrop(squads.list);
    ASSERT_TRUE(settled());
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Riege zuweisen?"));
    EXPECT_EQ(heats()[3], (QStringList{dan(1), QStringLiteral("Groß, Gero (Große)")}));

    // Removing the second squad asks first and takes its participants out.
    auto* list = form->findChild<QTreeView*>(QStringLiteral("ListView2"));
    list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    form->PopupMenu2Popup();
    EXPECT_TRUE(action("RiegeAnzeigen1")->isEnabled());
    form->RiegeAnzeigen1Click();
    EXPECT_EQ(squads.calls.back(), QStringLiteral("showSquad %1").arg(squad2));
    script->expectMessage(QStringLiteral("Riegezuordnung entfernen"), TMsgAnswer::Yes);
    form->RiegeEntfernen1Click();
    ASSERT_TRUE(settled());
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Soll die Zuordnung der markierten Riege wirklich entfernt werden?"));
    EXPECT_EQ(heats(), (Heats{{1, {kMueller, kFuchs, kRot, kWald}}, {2, {QStringLiteral("Groß, Gero (Große)")}}}));

    form->ListView2DragDrop(athletes.list);
    EXPECT_EQ(form->pendingRequests(), 0u) << "only the squad window's list is taken";
}

TEST_F(DisciplinListTest, FittingSquadsAreTheDisciplinesAgeClassOnes)
{
    seed->squad(comp, 3, QStringLiteral("Andere"), u12, {});
    open(sprint);
    form->RiegenPassenderAltersklassen1Click();
    EXPECT_EQ(lockText(), QStringLiteral("Status: ..."));
    ASSERT_TRUE(settled());
    std::vector<int> assigned;
    for (const SquadType& s : form->assignedSquads())
        assigned.push_back(s.SquadID);
    EXPECT_EQ(assigned, (std::vector<int>{squad1, squad2}));
    EXPECT_EQ(heats()[3], QStringList{dan(1)});
}

TEST_F(DisciplinListTest, ALockedListAsksBeforeAManualChangeUntilTheWindowCloses)
{
    open(sprint);
    form->Sperren1Click();
    EXPECT_EQ(lockText(), QStringLiteral("Status: ..."));
    ASSERT_TRUE(settled());
    EXPECT_EQ(lockText(), QStringLiteral("Status: Gesperrt für automatische Einteilung"));
    EXPECT_TRUE(action("Entsperren1")->isEnabled());
    EXPECT_FALSE(action("Sperren1")->isEnabled());
    EXPECT_TRUE(form->locked());

    athletes.selected = {fox[2]};
    script->expectMessage(QStringLiteral("Gesperrte Disziplin ändern"), TMsgAnswer::No);
    form->TreeView1DragDrop(athletes.list, tree().heatNode(1));
    EXPECT_EQ(form->pendingRequests(), 0u);
    script->expectMessage(QStringLiteral("Gesperrte Disziplin ändern"), TMsgAnswer::Yes);
    form->TreeView1DragDrop(athletes.list, tree().heatNode(1));
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[1], (QStringList{kMueller, kFuchs, kRot}));
    EXPECT_EQ(lockText(), QStringLiteral("Status: Für manuelle Änderungen bis zum Schließen des Fensters frei"));
    athletes.selected = {fox[3]};
    form->TreeView1DragDrop(athletes.list, tree().heatNode(1)); // asks no more
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[1].size(), 4);

    form->close();
    open(sprint);
    EXPECT_FALSE(form->manualChangesConfirmed()) << "a new opening asks again";
    EXPECT_EQ(lockText(), QStringLiteral("Status: Gesperrt für automatische Einteilung"));

    form->Entsperren1Click();
    ASSERT_TRUE(settled());
    EXPECT_EQ(lockText(), QStringLiteral("Status: Freigegeben für automatische Einteilung"));
    EXPECT_FALSE(form->locked());
    form->TreeView1DragDrop(athletes.list, tree().heatNode(2)); // no question when unlocked
    ASSERT_TRUE(settled());
}

TEST_F(DisciplinListTest, TimingNumbersStayWithTheirDisciplineAndTheStartListReadsBack)
{
    seed->placeAthleteAt(sprint, fox[2], 1, 4); // lane 3 of heat 1 stays empty
    seed->placeTeam(relay, owls);
    open(sprint);

    form->StartTimingExport();
    EXPECT_EQ(statusText(), QStringLiteral("Exportiere Daten an Zeitmessung..."));
    ASSERT_TRUE(settled());
    EXPECT_EQ(statusText(), QStringLiteral("Zeitmessungsdaten erfolgreich exportiert. ID=1"));

    // Read back through the timing program's side: its result file has the start list's layout.
    const QString startList = QDir(exchange.path()).filePath(QStringLiteral("COM_ZPL.TXT"));
    QFile file(startList);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    EXPECT_TRUE(bytes.contains("M\x81ller")) << "code page 850";
    ASSERT_TRUE(QFile::copy(startList, QDir(exchange.path()).filePath(QStringLiteral("COM_ZDT.TXT"))));
    ASSERT_TRUE(timing.splitTimingImportFile(comp));
    EXPECT_FALSE(timing.splitTimingImportFile(comp)) << "each heat holds the lines its header names: all came at once";
    std::vector<TTimingImportHeat> runs = timing.getRuns(comp);
    ASSERT_EQ(runs.size(), 2u);
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.heatNo < b.heatNo; });
    EXPECT_EQ(runs[0].RunId, 1);
    EXPECT_EQ(runs[0].description, QStringLiteral("Sprint 50 m 1/2"));
    ASSERT_EQ(runs[0].participants.size(), 3u);
    std::vector<int> lanes, bibs;
    for (const TTimingImportParticipant& p : runs[0].participants) {
        lanes.push_back(p.lane);
        bibs.push_back(p.Bib);
    }
    EXPECT_EQ(lanes, (std::vector<int>{1, 2, 4})) << "the empty lane keeps its gap";
    EXPECT_EQ(bibs, (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(runs[0].participants[0].SurName, QStringLiteral("Müller"));
    EXPECT_EQ(runs[0].participants[0].GivenName, QStringLiteral("Fee0"));
    EXPECT_EQ(runs[0].participants[0].Team, QStringLiteral("Füchse"));
    EXPECT_EQ(runs[1].heatNo, 2);
    EXPECT_EQ(runs[1].description, QStringLiteral("Sprint 50 m 2/2"));

    // The same discipline again keeps its number; the next one gets the counter's next.
    form->StartTimingExport();
    ASSERT_TRUE(settled());
    EXPECT_EQ(statusText(), QStringLiteral("Zeitmessungsdaten erfolgreich exportiert. ID=1"));
    form->reloadFormData(false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(statusText(), QStringLiteral("Zeitmessungsdaten erfolgreich exportiert. ID=1")) << "same discipline";
    choose(QStringLiteral("Staffel"));
    EXPECT_TRUE(statusText().isEmpty()) << "the export was of the discipline no longer shown";
    ASSERT_TRUE(settled());
    form->StartTimingExport();
    ASSERT_TRUE(settled());
    EXPECT_EQ(statusText(), QStringLiteral("Zeitmessungsdaten erfolgreich exportiert. ID=2"));
    EXPECT_EQ(uiInfoValue(QStringLiteral("DiscTimingId"), sprint), QStringLiteral("1"));
    EXPECT_EQ(uiInfoValue(QStringLiteral("DiscTimingId"), relay), QStringLiteral("2"));
    EXPECT_EQ(uiInfoValue(QStringLiteral("NextDiscTimingId"), comp), QStringLiteral("3"));
    EXPECT_TRUE(recorder.messages.messages.empty());
}

// The timing program reads code page 850: a name it lacks goes out in plain letters, and the user
// is told once which name the timing program will show otherwise.
TEST_F(DisciplinListTest, ANameTheTimingCodePageLacksIsSentInPlainLettersAndTold)
{
    const int lukasz = seed->athlete(comp, QStringLiteral("Łukasz"), QStringLiteral("Wójcik"), foxes, 0, {14});
    seed->placeAthlete(sprint, lukasz, 1);
    seed->placeAthlete(sprint, fox[2], 2);
    open(sprint);
    form->findChild<QAction*>(QStringLiteral("Wettkampflistesenden1"))->trigger();
    ASSERT_TRUE(settled());

    const QString startList = QDir(exchange.path()).filePath(QStringLiteral("COM_ZPL.TXT"));
    QFile file(startList);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("W\xA2jcik")) << "in the code page";
    EXPECT_TRUE(bytes.contains("Lukasz ")) << bytes.toStdString();
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Zeitmessungsdaten exportieren: In die Datei \"") +
                          QDir::toNativeSeparators(startList) +
                          QStringLiteral("\" wurden Namen anders als gespeichert geschrieben, weil ihr Zeichensatz "
                                         "(DOS-Codepage 850) nicht alle Zeichen kennt: Łukasz → Lukasz. Bitte "
                                         "berichtigen Sie betroffene Dokumente bei Bedarf von Hand.")});
}

TEST_F(DisciplinListTest, ATimingNumberBeyondTheFieldIsReportedAndNothingIsWritten)
{
    uiInfo(QStringLiteral("NextDiscTimingId"), comp, QStringLiteral("100"));
    open(sprint);
    form->StartTimingExport();
    ASSERT_TRUE(settled());
    EXPECT_TRUE(statusText().isEmpty());
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Zeitmessungsdaten exportieren"));
    EXPECT_TRUE(recorder.messages.messages[0].text.startsWith(QStringLiteral("Die Zeitmessungsnummer 100 passt nicht")))
        << recorder.messages.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(exchange.path()).filePath(QStringLiteral("COM_ZPL.TXT"))));
}

TEST_F(DisciplinListTest, ADisciplineChosenWhileItsTimingNumberComesExportsNothing)
{
    open(sprint);
    form->StartTimingExport();
    choose(QStringLiteral("Weitsprung"));
    ASSERT_TRUE(settled());
    EXPECT_TRUE(statusText().isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(exchange.path()).filePath(QStringLiteral("COM_ZPL.TXT"))));
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(DisciplinListTest, AVanishedDisciplineEmptiesTheWindowSilentlyOtherFailuresKeepTheTree)
{
    open(sprint);
    standin.stop();
    form->reloadFormData(false);
    ASSERT_TRUE(settled());
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Teilnehmer- und Riegenliste laden"));
    EXPECT_EQ(heats().size(), 2u) << "the previous list stays, disabled";
    EXPECT_FALSE(treeView()->isEnabled());
    EXPECT_EQ(lockText(), QStringLiteral("Status: -"));

    standin.start();
    competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
    seed->db().query("DELETE FROM disciplines WHERE id = ?", sprint).run();
    form->reloadFormData(false);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(tree().rootNode().isValid());
    EXPECT_EQ(form->currentDiscipline(), 0);
    EXPECT_EQ(recorder.messages.messages.size(), 1u) << "no message for a discipline that is gone";
}

// Fault mended: after the silent empty the choice still offered the discipline that was gone.
TEST_F(DisciplinListTest, ADisciplineRemovedElsewhereLeavesTheChoice)
{
    open(sprint);
    auto* combo = form->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    ASSERT_EQ(combo->count(), 3);
    // The discipline window removes it and has the shown lists reload.
    seed->db().query("DELETE FROM disciplines WHERE id = ?", sprint).run();
    form->reloadFormData(true);
    ASSERT_TRUE(settled());
    EXPECT_EQ(form->currentDiscipline(), 0);
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->findText(QStringLiteral("Sprint 50 m")), -1);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_TRUE(combo->isEnabled());
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(DisciplinListTest, UnloadingLeavesNothingOfTheListBehind)
{
    open(sprint);
    form->unload(); // a competition change
    ASSERT_TRUE(settled());
    EXPECT_FALSE(tree().rootNode().isValid()) << "no heats of the previous competition";
    EXPECT_EQ(form->currentDiscipline(), 0);
    EXPECT_EQ(lockText(), QStringLiteral("Status: -"));
    EXPECT_FALSE(action("Wettkampflistesenden1")->isEnabled());
}

TEST_F(DisciplinListTest, PopupMenuAndTheWindowsItOpens)
{
    seed->placeTeam(relay, owls);
    open(sprint);

    select({participant(1, 1)});
    form->PopupMenu1Popup();
    EXPECT_TRUE(action("Anzeigen1")->isEnabled());
    EXPECT_EQ(action("Anzeigen1")->text(), QStringLiteral("Athlet(in) anzeigen"));
    EXPECT_TRUE(action("Entfernen1")->isEnabled());
    EXPECT_TRUE(action("Leistungenerfassen1")->isEnabled());
    form->Anzeigen1Click();
    EXPECT_EQ(athletes.calls.back(), QStringLiteral("showAthlete %1 %2").arg(fox[1]).arg(foxes));
    form->Leistungenerfassen1Click();
    EXPECT_EQ(results.calls.back(), QStringLiteral("showAndLoadDisciplin %1 1 2147483647 2").arg(sprint));

    select({tree().heatNode(2)});
    form->PopupMenu1Popup();
    EXPECT_FALSE(action("Anzeigen1")->isEnabled());
    EXPECT_FALSE(action("Entfernen1")->isEnabled());
    // The heat's print submenu has its printouts.
    auto* heatPrints = form->findChild<QMenu*>(QStringLiteral("LaufGruppedrucken"));
    EXPECT_TRUE(heatPrints->isEnabled());
    EXPECT_FALSE(heatPrints->actions().isEmpty());
    form->Button2Click();
    EXPECT_EQ(results.calls.back(), QStringLiteral("showAndLoadDisciplin %1 2 2147483647 0").arg(sprint));
    select({});
    form->PopupMenu1Popup();
    EXPECT_FALSE(action("Leistungenerfassen1")->isEnabled());

    form->Button1Click();
    EXPECT_EQ(athletes.calls.back(), QStringLiteral("showDisc %1 %2").arg(sprint).arg(u10));
    form->Button3Click();
    EXPECT_EQ(squads.calls.back(), QStringLiteral("showDisc %1 %2").arg(sprint).arg(u10));
    form->NeuerLaufGruppe1Click();
    EXPECT_EQ(heats()[3], QStringList{}) << "an empty heat until the next load";

    // More participants in a heat than the discipline allows: the print check asks.
    seed->setHeatSize(sprint, 1);
    form->reloadFormData(false);
    ASSERT_TRUE(settled());
    script->expectMessage(QStringLiteral("Zu viele Teilnehmer"), TMsgAnswer::No);
    EXPECT_FALSE(form->checkNoOfParticipants());
    EXPECT_TRUE(script->seen.back().text.startsWith(QStringLiteral("In Lauf/Gruppe 1 sind mehr Teilnehmer")));
    seed->setHeatSize(sprint, 0);
    form->reloadFormData(false);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(form->checkNoOfParticipants()) << "no limit, no question";

    choose(QStringLiteral("Staffel"));
    ASSERT_TRUE(settled());
    select({participant(1, 0)});
    form->PopupMenu1Popup();
    EXPECT_EQ(action("Anzeigen1")->text(), QStringLiteral("Team anzeigen"));
    form->Anzeigen1Click();
    EXPECT_EQ(athletes.calls.back(), QStringLiteral("showTeamMembers %1").arg(owls));
    form->Button1Click();
    EXPECT_EQ(teams.calls.back(), QStringLiteral("showDisc %1 %2").arg(relay).arg(u10));
}

TEST_F(DisciplinListTest, CtrlPPrintsOnlyThroughAnEnabledPrintEntry)
{
    QAction* print = action("Drucken1");
    ASSERT_TRUE(print);
    // Only the key's way to the entry counts here; the printout has tests of its own.
    QObject::disconnect(print, &QAction::triggered, form.get(), nullptr);
    int printed = 0;
    QObject::connect(print, &QAction::triggered, [&] { ++printed; });
    EXPECT_FALSE(form->hotKeyCallback(Qt::Key_P)) << "nothing loaded, the print menu is disabled";
    open(sprint);
    EXPECT_TRUE(form->hotKeyCallback(Qt::Key_P));
    EXPECT_EQ(printed, 1);
    print->setEnabled(false);
    EXPECT_FALSE(form->hotKeyCallback(Qt::Key_P));
    EXPECT_EQ(printed, 1);
}

TEST_F(DisciplinListTest, TallySheetItemsOfThePrintoutsFollowTheResultFormat)
{
    // Where the printouts put them; here only their state matters.
    QAction* all = form->printMenu()->addAction(QStringLiteral("Zonenstrichlisten"));
    all->setObjectName(QStringLiteral("Zonenstrichlisten1"));
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), jump, QStringLiteral("Points"));
    open(sprint);
    EXPECT_FALSE(all->isEnabled());
    choose(QStringLiteral("Weitsprung"));
    ASSERT_TRUE(settled());
    EXPECT_TRUE(all->isEnabled());
    choose(QStringLiteral("Sprint 50 m"));
    ASSERT_TRUE(settled());
    EXPECT_FALSE(all->isEnabled());
}

TEST_F(DisciplinListTest, HeatsSortedByFacilityNeedTheSchedule)
{
    const std::vector<int> field = seed->facility(comp, QStringLiteral("Sportplatz"), {sprint});
    seed->scheduleItem(squad1, field[0], QStringLiteral("09:30:00"));
    open(sprint);
    const TSquadsInfo info = form->getSquadsInfo(tree().heatNode(1));
    EXPECT_EQ(info.SquadString, QStringLiteral("Riege Rot (1)"));
    EXPECT_EQ(info.Place, QStringLiteral("Sportplatz"));
    EXPECT_DOUBLE_EQ(info.StartTime, 9.5 / 24);
    EXPECT_TRUE(form->getSquadsInfo(tree().heatNode(2)).Place.isEmpty()) << "the owls' squad has no item";

    QAction* byFacility = action("NachAnlagensortiertdrucken1");
    EXPECT_FALSE(form->checkUiForPlaceSort());
    byFacility->setChecked(true);
    EXPECT_TRUE(form->checkUiForPlaceSort());

    choose(QStringLiteral("Weitsprung"));
    ASSERT_TRUE(settled());
    script->expectMessage(QStringLiteral("Sortiert drucken"), TMsgAnswer::Yes);
    EXPECT_FALSE(form->checkUiForPlaceSort()) << "by heat instead";
    script->expectMessage(QStringLiteral("Sortiert drucken"), TMsgAnswer::No);
    EXPECT_THROW(form->checkUiForPlaceSort(), TvpError);
}

// ---- answers that must not reach the tree, on a server that answers as the test says ----

namespace {

DisciplinType discipline(int id, const QString& name)
{
    DisciplinType d;
    d.DisciplinID = id;
    d.Name = name;
    d.ResultTableType = ResultTableType{};
    return d;
}

UiInfoKeyValuePair pair(const QString& key, int id, const QString& value)
{
    return UiInfoKeyValuePair{Owned<UiInfoKey>(UiInfoKey{key, id}), value};
}

getDisciplinParticipantsResponse1 listOf(const QString& surName)
{
    AthleteType a;
    a.AthleteID = 1;
    a.Name = AthleteNameType{QStringLiteral("Nina"), surName};
    getDisciplinParticipantsResponse1 r;
    r.HeatList.push_back(HeatParticipantsType{1, {VersionedParticipantsType{1, Owned<AthleteType>(a), nullptr}}});
    r.ParticipantsListLocked = LockType::UNLOCKED;
    return r;
}

// Lets a blocked answer go at the end of the test, whatever happened before.
struct Release {
    std::shared_ptr<std::atomic<bool>> go = std::make_shared<std::atomic<bool>>(false);
    ~Release() { *go = true; }
};

} // namespace

class DisciplinListAnswers : public DisciplinListTest {
protected:
    void SetUp() override
    {
        DisciplinListTest::SetUp();
        fake->acceptTransactions();
        fake->answer<op::getDisciplines>(
            {discipline(501, QStringLiteral("Alt")), discipline(502, QStringLiteral("Neu"))});
        // Not in the order asked: pairs are found by key and id.
        fake->answer<op::getUiInfos>({pair(QStringLiteral("Disciplin_ResultFormat"), 502, QStringLiteral("Default")),
                                      pair(QStringLiteral("Disciplin_ResultType"), 502, QStringLiteral("Time")),
                                      pair(QStringLiteral("Disciplin_ResultFormat"), 501, QStringLiteral("Points")),
                                      pair(QStringLiteral("Disciplin_ResultType"), 501, QStringLiteral("Distance"))});
        fake->answer<op::getSquadDiscAssignments>({});
        fake->answer<op::getDisciplineSchedule>({});
        // Only the test of the team-rule check answers it.
        form->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(false);
    }

    FakeServerInstall fake;
};

TEST_F(DisciplinListAnswers, ALateListOfThePreviousDisciplineIsDropped)
{
    const Release release;
    fake->on<op::getDisciplinParticipants>([go = release.go](const op::getDisciplinParticipants& a) {
        if (a.DisciplinID == 501)
            while (!*go)
                QThread::msleep(5);
        return listOf(a.DisciplinID == 501 ? QStringLiteral("Alt") : QStringLiteral("Neu"));
    });
    form->show();
    ASSERT_TRUE(settled());
    choose(QStringLiteral("Alt")); // its answer waits on the server
    choose(QStringLiteral("Neu"));
    ASSERT_TRUE(waitUntil([&] { return heats()[1] == QStringList{QStringLiteral("Neu, Nina")}; }));
    *release.go = true;
    ASSERT_TRUE(settled());
    EXPECT_EQ(heats()[1], QStringList{QStringLiteral("Neu, Nina")});
    EXPECT_EQ(tree().rootNode().data().toString(), QStringLiteral("Neu"));
    EXPECT_EQ(form->currentDiscipline(), 502);
    EXPECT_TRUE(action("Wettkampflistesenden1")->isEnabled()) << "Neu has time results, found by key";
    EXPECT_EQ(form->getDiscResultFormat(501), TResultformat::rf_Points);
    EXPECT_EQ(form->getDiscResultValueType(501), ResultValueType::Distance);
}

TEST_F(DisciplinListAnswers, TeamRulesAreCheckedOnLoadWhenAsked)
{
    class Warnings : public QWidget, public ITeamMemberWarningForm {
    public:
        void showParticipantWarning(const std::vector<InvalidParticipantType>& w, const std::vector<int>& ids,
                                    int compId) override
        {
            calls.push_back({int(w.size()), ids, compId});
        }
        struct Call {
            int warnings;
            std::vector<int> ids;
            int compId;
        };
        std::vector<Call> calls;
    } warnings;
    windows.place(TWindowId::TeamMemberWarningForm, &warnings);
    fake->answer<op::getDisciplinParticipants>(listOf(QStringLiteral("Neu")));
    fake->answer<op::checkParticipantConstraints>({InvalidParticipantType{}});
    form->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);

    form->showAndLoadDisciplin(502);
    ASSERT_TRUE(settled());
    ASSERT_EQ(warnings.calls.size(), 1u);
    EXPECT_EQ(warnings.calls[0].warnings, 1);
    EXPECT_EQ(warnings.calls[0].ids, std::vector<int>{502});
    const auto checks = fake->callsOf<op::checkParticipantConstraints>();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].ResultProviderIDs, std::vector<int>{502});
    windows.place(TWindowId::TeamMemberWarningForm, nullptr);
}

// Not a check: with TVP_SCREENSHOT_SECONDS set (under Xvfb with QT_QPA_PLATFORM=xcb) the window stays
// on screen with two heats for that long, so that a screenshot can be taken of it.
TEST_F(DisciplinListTest, ShownForAScreenshot)
{
    const int seconds = qEnvironmentVariableIntValue("TVP_SCREENSHOT_SECONDS");
    if (seconds <= 0)
        GTEST_SKIP() << "only with TVP_SCREENSHOT_SECONDS";
    seed->placeAthlete(sprint, fox[2], 1);
    seed->placeAthlete(sprint, fox[3], 1);
    seed->placeAthlete(sprint, owl[1], 2);
    seed->placeAthlete(sprint, badger[0], 2);
    seed->assignSquad(sprint, squad1);
    seed->assignSquad(sprint, squad2);
    form->move(20, 20);
    open(sprint);
    select({participant(1, 2)});
    waitUntil([] { return false; }, seconds * 1000);
}
