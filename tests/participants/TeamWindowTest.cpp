// The team window driven offscreen against the stand-in: editing, the refusals and their force
// questions, filters, search, export and printout; athletes dropped from the athlete window
// against the typed fake server (assigning athletes is the athlete area's stand-in operation).

#include "participants/ui/AgeClassDialog.h"
#include "participants/ui/DragListView.h"
#include "participants/ui/TeamDialog.h"
#include "core/print/ui/Print.h"
#include "tests/core/print/PdfTools.h"
#include "tests/participants/WindowFixture.h"
#include "tests/support/FakeServer.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

using namespace tvp;
using namespace tvp::test;

namespace {

class TeamWindow : public EditorWindowTest<TTeamForm> {
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        u10 = ageClass(QStringLiteral("U10"));
        u12 = ageClass(QStringLiteral("U12"));
        club = seed->club(competitionId, QStringLiteral("TV Nord"));
        athletes = make<FakeAthleteForm>(TWindowId::AthleteForm);
        form = make<TTeamForm>(TWindowId::TeamForm);
    }

    QComboBox* box(const char* n) const { return child<QComboBox>(n); }
    TDragListView* list() const { return child<TDragListView>("ListView1"); }
    void type(const QString& text) { typeInto(*name(), text); }
    int team(const QString& teamName, int ageClassId, int clubId = 0)
    {
        return seed->team(competitionId, teamName, ageClassId, clubId);
    }
    int stored(const char* column, int teamId) { return EditorWindowTest::stored("teams", column, teamId); }

    int u10 = 0;
    int u12 = 0;
    int club = 0;
    FakeAthleteForm* athletes = nullptr;
};

} // namespace

TEST_F(TeamWindow, ANewTeamWithAgeClassAndBillingClubThenChangedToNoClub)
{
    open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Teams"));
    EXPECT_EQ(entries(*box("AgeClassCombo")), (QStringList{"U10", "U12"}));
    EXPECT_EQ(entries(*box("AgeClassFilterCombo")), (QStringList{"Kein Filter", "U10", "U12"}));
    EXPECT_EQ(entries(*box("ClubCombo")), (QStringList{"Ohne Verein", "TV Nord"}));
    EXPECT_EQ(child<QLabel>("CountLabel")->text(), QStringLiteral("Teams in dieser Ansicht: 0"));
    EXPECT_FALSE(add()->isEnabled());

    type(QStringLiteral(" Adler "));
    EXPECT_FALSE(add()->isEnabled()) << "an age class is needed";
    choose(*box("AgeClassCombo"), u10);
    choose(*box("ClubCombo"), club);
    ASSERT_TRUE(add()->isEnabled());
    QTest::keyClick(name(), Qt::Key_Return); // Enter adds when saving is not possible
    settle();

    ASSERT_EQ(rows(*list()).size(), 1) << recorder.messages.lines().join('\n').toStdString();
    const int adler = form->getSelected();
    ASSERT_GT(adler, 0);
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Adler|TV Nord|U10||0|%1").arg(adler)});
    EXPECT_EQ(id(), QStringLiteral("ID: %1").arg(adler));
    EXPECT_EQ(child<QLabel>("CountLabel")->text(), QStringLiteral("Teams in dieser Ansicht: 1"));
    EXPECT_EQ(stored("billing_club_id", adler), club);

    choose(*box("ClubCombo"), 0);
    ASSERT_TRUE(save()->isEnabled());
    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    EXPECT_EQ(stored("billing_club_id IS NULL", adler), 1);
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Adler|-|U10||0|%1").arg(adler)});
    EXPECT_FALSE(save()->isEnabled());
    EXPECT_FALSE(form->hasOverallDirtyData());
}

TEST_F(TeamWindow, ANameTypedIsSavedWithoutUndoingTheClubGivenElsewhere)
{
    const int adler = team(QStringLiteral("Adler"), u10);
    open();
    clickRow(*list(), QStringLiteral("Adler"));
    type(QStringLiteral("Adler 2"));
    proto::TeamInfoDataType other;
    other.Name = QStringLiteral("Adler");
    client->das()->modifyTeam(adler, other, u10, false, false, club);

    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    EXPECT_EQ(stored("billing_club_id", adler), club);
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Adler 2|TV Nord|U10||0|%1").arg(adler)});
}

// Blanks around a stored name are no edit: saving the club chosen keeps another desk's rename.
TEST_F(TeamWindow, AStoredNameWithBlanksIsNoEditAndAnotherDesksRenameStays)
{
    const int adler = team(QStringLiteral(" Adler "), u10);
    open();
    clickRow(*list(), QStringLiteral(" Adler "));
    proto::TeamInfoDataType other;
    other.Name = QStringLiteral("Bären");
    client->das()->modifyTeam(adler, other, u10, false, true, 0);
    QTest::keyClick(box("ClubCombo"), Qt::Key_Down);
    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Bären|TV Nord|U10||0|%1").arg(adler)});
}

// Another desk renames the team while this desk's save waits for the server: the save asks which
// name stays, naming both, with "Nein" under Enter. "Nein" keeps the other desk's name and leaves
// the typed one unsaved, and Enter asks again; a team deleted there is named as listed.
TEST_F(TeamWindow, ANameChangedAtAnotherDeskTooIsAskedAboutAndADeletedTeamNamed)
{
    const int adler = team(QStringLiteral("Adler"), u10);
    open();
    clickRow(*list(), QStringLiteral("Adler"));
    for (const auto& [typed, other, answer, listed] :
         {std::tuple{QStringLiteral("Falken"), QStringLiteral("Bussarde"), TMsgAnswer::Yes, QStringLiteral("Falken")},
          std::tuple{QStringLiteral("Habichte"), QStringLiteral("Geier"), TMsgAnswer::No, QStringLiteral("Geier")}}) {
        type(typed);
        StandinClient desk(standin.port());
        desk.begin(false);
        desk.das()->modifyTeam(adler, proto::TeamInfoDataType{.Name = other}, u10, false, true, 0);
        script->expectMessage(QStringLiteral("Teamdaten ändern"), answer);
        QTest::keyClick(name(), Qt::Key_Return);
        EXPECT_TRUE(standin.waitingComesTo(1)) << "the save waits for the other desk";
        desk.commit();
        settle();
        ASSERT_FALSE(script->seen.empty());
        EXPECT_EQ(
            script->seen.back().text,
            QStringLiteral("Der Teamname wurde an einem anderen Platz in \u201E%1\u201C geändert. Soll Ihre "
                           "Eingabe \u201E%2\u201C gespeichert werden? Bei \u201ENein\u201C bleibt \u201E%1\u201C.")
                .arg(other, typed));
        EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No);
        EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("%1|-|U10||0|%2").arg(listed).arg(adler)});
        EXPECT_EQ(name()->text(), typed);
        EXPECT_EQ(form->hasOverallDirtyData(), answer == TMsgAnswer::No);
    }
    script->expectMessage(QStringLiteral("Teamdaten ändern"), TMsgAnswer::No);
    QTest::keyClick(name(), Qt::Key_Return);
    settle();
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Geier|-|U10||0|%1").arg(adler)});

    type(QStringLiteral("Milane"));
    client->cms()->removeTeam(adler, true);
    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(recorder.messages.lines().contains(
        QStringLiteral("Teamdaten ändern: Das Team \u201EGeier\u201C existiert nicht mehr (an einem anderen Platz "
                       "gelöscht).")))
        << recorder.messages.lines().join(u'\n').toStdString();
}

TEST_F(TeamWindow, ANewTeamKeepsTheAgeClassAndClubChosenLastInItsBoxesAndItsRequest)
{
    const int adler = team(QStringLiteral("Adler"), u12, club);
    open();
    clickRow(*list(), QStringLiteral("Adler"));
    EXPECT_EQ(form->getSelected(), adler);
    EXPECT_EQ(box("ClubCombo")->currentText(), QStringLiteral("TV Nord"));

    // Leaving the stored team for a new one: name empty, class and club stay as shown.
    list()->selectionModel()->clearSelection();
    EXPECT_EQ(id(), QStringLiteral("ID: -"));
    EXPECT_EQ(name()->text(), QString());
    EXPECT_EQ(box("AgeClassCombo")->currentText(), QStringLiteral("U12"));
    EXPECT_EQ(box("ClubCombo")->currentText(), QStringLiteral("TV Nord"));
    EXPECT_FALSE(form->hasOverallDirtyData()) << "a preselection is no edit";
    type(QStringLiteral("Bären"));
    form->Button2Click();
    settle();
    const int baeren = seed->value("SELECT id FROM teams WHERE name = 'Bären' AND competition_id = ?", competitionId);
    ASSERT_GT(baeren, 0);
    EXPECT_EQ(stored("age_class_id", baeren), u12);
    EXPECT_EQ(stored("billing_club_id", baeren), club) << "sent as the box showed it";
}

TEST_F(TeamWindow, ARefusedCreateKeepsTheTypedNameAndReportsUnderTheRequestName)
{
    open();
    type(QStringLiteral("Füchse"));
    choose(*box("AgeClassCombo"), u10);
    client->cms()->removeAgeClass(u10); // gone meanwhile
    form->Button2Click();
    settle();
    ASSERT_FALSE(recorder.messages.messages.empty());
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Team anlegen"));
    EXPECT_EQ(name()->text(), QStringLiteral("Füchse"));
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_EQ(entries(*box("AgeClassCombo")), QStringList{"U12"});
}

TEST_F(TeamWindow, DeletingSeveralAsksOnceThenEachRefusalWithApplyToAll)
{
    team(QStringLiteral("A"), u10);
    const int b = team(QStringLiteral("B"), u10);
    const int c = team(QStringLiteral("C"), u10);
    const int d = team(QStringLiteral("D"), u10);
    for (int t : {b, c, d})
        seed->athlete(competitionId, QStringLiteral("Kim"), QStringLiteral("Muster"), t);
    open();

    list()->selectAll();
    script->expectMessage(QStringLiteral("Teams löschen"), TMsgAnswer::No);
    form->Entfernen1Click();
    settle();
    EXPECT_EQ(rows(*list()).size(), 4);

    script->expectMessage(QStringLiteral("Teams löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = true, .applyToAll = true});
    QTest::keyClick(list(), Qt::Key_Delete);
    settle();
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Sollen die markierten Teams wirklich gelöscht werden?"));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Team löschen"));
    EXPECT_TRUE(rows(*list()).isEmpty());
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM athletes WHERE competition_id = ?", competitionId), 0);
}

TEST_F(TeamWindow, ADeclinedRemovalLeavesTheTeamAndTheWindowUsable)
{
    const int full = team(QStringLiteral("Voll"), u10);
    seed->athlete(competitionId, QStringLiteral("Kim"), QStringLiteral("Muster"), full);
    open();
    clickRow(*list(), QStringLiteral("Voll"));
    script->expectMessage(QStringLiteral("Teams löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = false});
    form->Entfernen1Click();
    settle();
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Soll das markierte Team wirklich gelöscht werden?"));
    EXPECT_FALSE(recorder.confirmation.asked[0].applyToAllOffered);
    EXPECT_EQ(rows(*list()).size(), 1);
    EXPECT_TRUE(recorder.messages.messages.empty()) << "a declined question is no error";
}

TEST_F(TeamWindow, AnAgeClassAgainstTheSquadAsksAndNoLeavesTheTeamWithoutRefreshingAll)
{
    const int adler = team(QStringLiteral("Adler"), u10);
    seed->squad(competitionId, 1, QString(), u10, {adler});
    open();
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Adler|-|U10|1|0|%1").arg(adler)});
    clickRow(*list(), QStringLiteral("Adler"));
    choose(*box("AgeClassCombo"), u12);
    recorder.confirmation.expect({.confirmed = false});
    form->Button1Click();
    settle();
    EXPECT_EQ(recorder.confirmation.asked.at(0).caption, QStringLiteral("Teamdaten ändern"));
    EXPECT_EQ(stored("age_class_id", adler), u10);
    EXPECT_TRUE(list()->isEnabled()) << "a declined change must not leave the list disabled";
    EXPECT_TRUE(child<QWidget>("GroupBox1")->isEnabled());
    EXPECT_EQ(box("AgeClassCombo")->currentText(), QStringLiteral("U12")) << "the editor keeps the choice";

    recorder.confirmation.expect({.confirmed = true});
    form->Button1Click();
    settle();
    EXPECT_EQ(stored("age_class_id", adler), u12);
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Adler|-|U12|1|0|%1").arg(adler)});
}

TEST_F(TeamWindow, FiltersShowTheirTeamsAndAChangeWithUnsavedEditsAsksFirst)
{
    team(QStringLiteral("Klein"), u10);
    const int big = team(QStringLiteral("Groß"), u12);
    proto::ResultTableType teamTable;
    teamTable.Team = true;
    const int relay = seed->discipline(competitionId, QStringLiteral("Staffel"), u12, teamTable);
    seed->discipline(competitionId, QStringLiteral("Sprint"), u12, proto::ResultTableType{});
    seed->placeTeam(relay, big);
    open();
    EXPECT_EQ(entries(*box("DisciplineFilterCombo")), (QStringList{"Kein Filter", "Staffel"}));

    choose(*box("AgeClassFilterCombo"), u12);
    settle();
    EXPECT_EQ(rows(*list()).size(), 1);
    EXPECT_TRUE(rows(*list())[0].startsWith(QStringLiteral("Groß|")));
    EXPECT_EQ(form->filterPrintStrings().getPrintString(), QStringLiteral("Altersklasse U12"));

    choose(*box("DisciplineFilterCombo"), relay);
    settle();
    EXPECT_TRUE(rows(*list()).isEmpty()) << "the team is placed in the relay already";
    EXPECT_EQ(form->filterPrintStrings().getPrintString(),
              QStringLiteral("Altersklasse U12, Noch nicht eingeteilt in Staffel"));

    type(QStringLiteral("Neu"));
    script->expectMessage(QStringLiteral("Teams"), TMsgAnswer::No);
    choose(*box("AgeClassFilterCombo"), 0);
    settle();
    EXPECT_EQ(box("AgeClassFilterCombo")->currentText(), QStringLiteral("U12")) << "back to the previous entry";
    EXPECT_EQ(name()->text(), QStringLiteral("Neu"));
}

TEST_F(TeamWindow, SearchExportAndPrintReadTheListInItsOrder)
{
    team(QStringLiteral("Zebras"), u10, club);
    team(QStringLiteral("Adler;Horst"), u12);
    auto* search = make<FakeSearchForm>(TWindowId::SearchForm);
    open();
    form->Suchen1Click();
    ASSERT_EQ(search->searchedLists.size(), 1u);
    EXPECT_EQ(search->searchedLists[0], list()->model());
    EXPECT_EQ(search->searchedColumns, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(list()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Abrechnungsverein"));

    // Sorted by name; the export writes (its header as users' documents name it) that order, ";" between fields, CR LF,
    // Windows-1252.
    const QString csv = folders.programDir.filePath(QStringLiteral("teams.csv"));
    script->expectFile(QStringLiteral("csv-Datei speichern"), csv);
    form->exportCsv(false);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const int zebras = seed->value("SELECT id FROM teams WHERE name = 'Zebras' AND competition_id = ?", competitionId);
    const int adler =
        seed->value("SELECT id FROM teams WHERE name = 'Adler;Horst' AND competition_id = ?", competitionId);
    const QByteArray expected = QByteArray("Teamname;Abrechungsverein;Altersklasse;Riege;#Athleten;ID\r\n") +
                                "\"Adler;Horst\";-;U12;;0;" + QByteArray::number(adler) + "\r\n" +
                                "Zebras;TV Nord;U10;;0;" + QByteArray::number(zebras) + "\r\n";
    EXPECT_EQ(file.readAll(), expected);

    const QString pdf = folders.programDir.filePath(QStringLiteral("teams.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    form->TeamRiegenbersicht1Click();
    TVP_REQUIRE_TOOL("pdftotext");
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Team/Riegen-Übersicht (Druck:"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Teamname Abrechnungsverein Altersklasse Riege #Athleten"));
    EXPECT_EQ(lines[2], QStringLiteral("Adler;Horst U12 0"));
    EXPECT_EQ(lines[3], QStringLiteral("Zebras TV Nord U10 0"));
    EXPECT_EQ(pdfPageCount(pdf), 1);
}

// A club day's teams: every name whole and apart, lines broken between words, and the name
// column gets the room first: none of its words broken, the billing club's column no wider.
TEST_F(TeamWindow, TheOverviewOfAClubDayBreaksNamesOnlyBetweenWordsAndGivesTheNamesTheRoom)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const QString squad = QStringLiteral("Riege U10 Überlingen-Seeufer");
    std::vector<int> ids;
    for (int t = 0; t < 4; ++t)
        ids.push_back(team(clubDay::kTeams[t], u10, seed->club(competitionId, clubDay::kClubs[t])));
    ids.push_back(team(QStringLiteral("TSV Musterdorf 1"), u10));
    seed->squad(competitionId, 1, squad, u10, ids);
    open();
    const QStringList names =
        clubDay::kTeams + clubDay::kClubs + QStringList{squad, QStringLiteral("TSV Musterdorf 1")};
    expectPaperFit(Printer(), folders.programDir, names, [&](const QString& file) {
        script->expectPrinter(QStringLiteral("Drucken"), file);
        child<QAction>("TeamRiegenbersicht1")->trigger();
        const std::vector<PdfWord> words = pdfWords(file);
        const auto left = [&](const QString& caption) {
            for (const PdfWord& w : words)
                if (w.text.startsWith(caption))
                    return w.xMin;
            return -1.0;
        };
        const double name = left("Teamname"), billing = left("Abrechnungs"), age = left("Alters");
        EXPECT_LE(age - billing, billing - name + 0.01) << file.toStdString();
        for (const PdfWord& w : words)
            EXPECT_TRUE(w.xMax > billing || !w.text.endsWith(u'-') || names.join(u' ').contains(w.text))
                << w.text.toStdString();
    });
}

// Squads alike to their end, billed to a club of one long word: that word breaks, where a reader
// divides it, before the squads' words.
TEST_F(TeamWindow, TheOverviewBreaksALongClubWordBeforeTheSquadsWords)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const QString word = QStringLiteral("Kinderleichtathletiknachwuchsabteilung");
    const int billing = seed->club(competitionId, QStringLiteral("TSV Markdorf ") + word);
    const QStringList squads{QStringLiteral("Riege U10 Überlingen-Seeufer Nachmittagsgruppe Nord"),
                             QStringLiteral("Riege U10 Überlingen-Seeufer Nachmittagsgruppe Süd")};
    std::vector<int> ids[2];
    for (int t = 0; t < 24; ++t)
        ids[t % 2].push_back(team(QStringLiteral("Adler Team %1").arg(t + 1), u10, billing));
    seed->squad(competitionId, 4, squads[0], u10, ids[0]);
    seed->squad(competitionId, 5, squads[1], u10, ids[1]);
    open();
    expectPaperFit(Printer(), folders.programDir, squads, [&](const QString& file) {
        script->expectPrinter(QStringLiteral("Drucken"), file);
        child<QAction>("TeamRiegenbersicht1")->trigger();
        EXPECT_EQ(brokenInsideWords(file, squads), QStringList());
        EXPECT_EQ(
            misleadingBreaks(pdfWords(file), {QStringLiteral("Kin·der|leicht|ath·le·tik|nach|wuchs|ab·tei·lung")}),
            QStringList());
        EXPECT_LE(pdfPageCount(file), 3) << "four lines a team";
    });
}

TEST_F(TeamWindow, MembersViewAndTheAgeClassWindowShownModally)
{
    const int adler = team(QStringLiteral("Adler"), u10);
    auto* ageClasses = make<TAgeClassForm>(TWindowId::AgeClassForm);
    open();
    clickRow(*list(), QStringLiteral("Adler"));
    form->Teammitgliederanzeigen1Click();
    EXPECT_EQ(athletes->shownTeams, std::vector<int>{adler});

    script->expectWindow(QStringLiteral("Altersklassen"), [&](QWidget&) {
        settle();
        clickRow(*ageClasses->findChild<QTreeView*>(QStringLiteral("ListView1")), QStringLiteral("U12"));
        return 0;
    });
    form->AgeClassButtonClick();
    EXPECT_EQ(box("AgeClassCombo")->currentText(), QStringLiteral("U12"));
    EXPECT_TRUE(save()->isEnabled()) << "another age class for the stored team is a change";
}

// ---- athletes dropped from the athlete window (fake server) ----

namespace {

class TeamDrops : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitComm();
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:1"));
        auto chosen = std::make_unique<proto::CompetitionType>();
        chosen->ID = 5;
        competition.SetCompetitionInternal(std::move(chosen));
        fake->acceptTransactions();
        proto::AgeClassType u10;
        u10.AgeClassID = 3;
        u10.Name = QStringLiteral("U10");
        proto::TeamType adler;
        adler.TeamID = 7;
        adler.Name = QStringLiteral("Adler");
        adler.AgeClass = u10;
        fake->answer<proto::op::getTeams>(proto::getTeamsResponse1{adler});
        fake->answer<proto::op::getAgeClasses>(proto::getAgeClassesResponse1{u10});
        fake->answer<proto::op::getClubs>(proto::getClubsResponse1{});
        fake->answer<proto::op::getDisciplines>(proto::getDisciplinesResponse1{});
        fake->answer<proto::op::modifyAthlete>();
        athletes = std::make_unique<FakeAthleteForm>(context);
        athletes->setObjectName(QStringLiteral("AthleteForm"));
        windows.place(TWindowId::AthleteForm, athletes.get());
        form = std::make_unique<TTeamForm>(context);
        form->setObjectName(QStringLiteral("TeamForm"));
        windows.place(TWindowId::TeamForm, form.get());
        form->show();
        settleRequests();
    }
    void TearDown() override
    {
        settleRequests();
        form.reset();
        EXPECT_TRUE(script->allAnswered());
        setDialogs(nullptr);
    }

    // Drags the source window's selection over the first row and drops it there; whether the
    // view took it.
    bool drop(const QString& sourceWindow, QPoint at = {})
    {
        auto* view = form->findChild<TDragListView*>(QStringLiteral("ListView1"));
        if (at.isNull())
            at = view->visualRect(view->model()->index(0, 0)).center();
        QMimeData* data = windowDragData(sourceWindow);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
        const bool taken = move.isAccepted();
        QDropEvent dropped(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &dropped);
        delete data;
        settleRequests();
        return taken && dropped.isAccepted();
    }

    FakeServerInstall fake;
    TempAppFolders folders;
    ScriptedDialogs* script = nullptr;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    std::unique_ptr<FakeAthleteForm> athletes;
    std::unique_ptr<TTeamForm> form;
};

} // namespace

TEST_F(TeamDrops, AthletesDroppedOnATeamAreAssignedInOneTransactionAfterTheQuestion)
{
    athletes->selected = {21, 22};
    script->expectMessage(QStringLiteral("Athleten Team zuweisen"), TMsgAnswer::Yes);
    ASSERT_TRUE(drop(QStringLiteral("AthleteForm")));
    const std::vector<proto::op::modifyAthlete> calls = fake->callsOf<proto::op::modifyAthlete>();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].AthleteID, 21);
    EXPECT_EQ(calls[1].AthleteID, 22);
    EXPECT_EQ(calls[1].TeamID, 7);
    std::vector<std::string> ops = fake->operations();
    const auto first = std::find(ops.begin(), ops.end(), "modifyAthlete");
    ASSERT_NE(first, ops.end());
    EXPECT_EQ(*(first - 1), "beginTransaction");
    EXPECT_EQ(*(first + 1), "modifyAthlete");
    EXPECT_EQ(*(first + 2), "commitTransaction");

    script->expectMessage(QStringLiteral("Athleten Team zuweisen"), TMsgAnswer::No);
    EXPECT_TRUE(drop(QStringLiteral("AthleteForm")));
    EXPECT_EQ(fake->callsOf<proto::op::modifyAthlete>().size(), 2u) << "\"Nein\" sends nothing";
}

TEST_F(TeamDrops, DropsFromOtherWindowsOutsideRowsOrWithoutSelectionAreRefused)
{
    athletes->selected = {21};
    EXPECT_FALSE(drop(QStringLiteral("ClubForm")));
    auto* view = form->findChild<TDragListView*>(QStringLiteral("ListView1"));
    EXPECT_FALSE(drop(QStringLiteral("AthleteForm"), QPoint(5, view->viewport()->height() - 5)));
    athletes->selected.clear();
    EXPECT_FALSE(drop(QStringLiteral("AthleteForm")));
    EXPECT_TRUE(fake->callsOf<proto::op::modifyAthlete>().empty());
}

TEST_F(TeamWindow, TheCompetitionListsShowTheTeamsOfAnAgeClassNotYetInADiscipline)
{
    const int placed = team(QStringLiteral("Eingeteilt"), u12);
    team(QStringLiteral("Offen"), u12);
    team(QStringLiteral("Andere Klasse"), u10);
    proto::ResultTableType teamTable;
    teamTable.Team = true;
    const int relay = seed->discipline(competitionId, QStringLiteral("Staffel"), u12, teamTable);
    seed->placeTeam(relay, placed);

    form->showDisc(relay, u12);
    settle();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(box("AgeClassFilterCombo")->currentText(), QStringLiteral("U12"));
    EXPECT_EQ(box("DisciplineFilterCombo")->currentText(), QStringLiteral("Staffel"));
    ASSERT_EQ(rows(*list()).size(), 1);
    EXPECT_TRUE(rows(*list())[0].startsWith(QStringLiteral("Offen|")));

    // Placing the other team too: the lists window tells the team window, which loads again.
    seed->placeTeam(relay,
                    seed->value("SELECT id FROM teams WHERE name = 'Offen' AND competition_id = ?", competitionId));
    form->discParticipantsUpdated(relay + 1000);
    settle();
    EXPECT_EQ(rows(*list()).size(), 1) << "another discipline changes nothing here";
    form->discParticipantsUpdated(relay);
    settle();
    EXPECT_TRUE(rows(*list()).isEmpty());
}
