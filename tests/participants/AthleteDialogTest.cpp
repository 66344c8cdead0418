// The athlete window offscreen against the stand-in: creating, changing and deleting athletes with
// the questions answered both ways, the filters, the list search, drag input, export and printing.

#include "core/print/ui/Print.h"
#include "core/ui/MainWindow.h"
#include "core/util/CodePages.h"
#include "tests/core/print/PdfTools.h"
#include "participants/ui/ParticipantWindows.h"
#include "tests/participants/AthleteWindowFixture.h"
#include "tests/support/Ink.h"
#include "tests/support/FakeServer.h"
#include "tests/support/HoldingTransport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

const QString kSaveCaption = QStringLiteral("Athletendaten");

TEST_F(AthleteWindowTest, ANewAthleteIsCreatedAndTheNextOneIsProposedTheNextBib)
{
    const int u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
    const int club = seed->club(competitionId, QStringLiteral("TV Nord"));
    const int team = seed->team(competitionId, QStringLiteral("Adler"), u10, club);
    open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Athleten"));
    EXPECT_EQ(entries(box("ComboBoxTeam")), (QStringList{"Ohne Team", "Adler (U10)"}));
    EXPECT_EQ(entries(box("ComboBoxClub")), (QStringList{"Ohne Verein", "TV Nord"}));
    EXPECT_EQ(entries(box("ComboBoxGender")), (QStringList{"Keine Angabe", "Männlich", "Weiblich"}));
    EXPECT_FALSE(button("Button2")->isEnabled()) << "no name yet";

    type(edit("EditGivenName"), QStringLiteral(" Anna "));
    type(edit("EditSurName"), QStringLiteral("Berg"));
    type(edit("EditBibs"), QStringLiteral("7"));
    type(edit("EditYear"), QStringLiteral("2014"));
    pick(box("ComboBoxGender"), QStringLiteral("Weiblich"));
    pick(box("ComboBoxTeam"), QStringLiteral("Adler (U10)"));
    pick(box("ComboBoxClub"), QStringLiteral("TV Nord"));
    EXPECT_TRUE(button("Button2")->isEnabled());
    EXPECT_FALSE(button("Button1")->isEnabled()) << "nothing to save for a new athlete";
    button("Button2")->click();
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Anna")) << "the trimmed name is written back";
    settle();

    ASSERT_EQ(listed(), QStringList{QStringLiteral("Berg")});
    const int id = seed->count("SELECT MAX(id) FROM athletes WHERE competition_id = ?", competitionId);
    EXPECT_EQ(seed->column("given_name", id), QStringLiteral("Anna"));
    EXPECT_EQ(seed->column("team_id", id), QString::number(team));
    EXPECT_EQ(seed->column("club_id", id), QString::number(club));
    EXPECT_EQ(seed->column("gender", id), QStringLiteral("FEMALE"));
    EXPECT_EQ(seed->bibs(id), std::vector<int>{7});
    EXPECT_EQ(form->listModel().index(0, colTeam).data().toString(), QStringLiteral("Adler"));
    EXPECT_EQ(child<QLabel>("LabelCount")->text(), QStringLiteral("Athleten in dieser Ansicht: 1"));

    // The editor shows the next new athlete of the same team and club, one bib on.
    EXPECT_EQ(child<QLabel>("LabelId")->text(), QStringLiteral("ID: -"));
    EXPECT_EQ(edit("EditGivenName")->text(), QString());
    EXPECT_EQ(edit("EditBibs")->text(), QStringLiteral("8"));
    EXPECT_EQ(box("ComboBoxTeam")->currentText(), QStringLiteral("Adler (U10)"));
    EXPECT_EQ(box("ComboBoxClub")->currentText(), QStringLiteral("TV Nord"));
    // A reload in between does not move the proposal on again.
    form->reloadFormData(false);
    settle();
    EXPECT_EQ(edit("EditBibs")->text(), QStringLiteral("8"));
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(AthleteWindowTest, AChangedAthleteIsSavedAndTheUnsavedQuestionKeepsOrDropsTheEdit)
{
    const int anna = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {3});
    athlete(QStringLiteral("Ben"), QStringLiteral("Acker"));
    open();
    click(QStringLiteral("Berg"));
    EXPECT_EQ(form->currentAthlete(), anna);
    EXPECT_EQ(child<QLabel>("LabelId")->text(), QStringLiteral("ID: %1").arg(anna));
    EXPECT_EQ(edit("EditBibs")->text(), QStringLiteral("3"));
    EXPECT_FALSE(button("Button1")->isEnabled());

    type(edit("EditSurName"), QStringLiteral("Bergmann"));
    EXPECT_TRUE(button("Button1")->isEnabled());
    EXPECT_TRUE(form->hasDirtyData(TAthleteForm::kEditorPart));

    // "Nein": the edit stays and so does the selection.
    script->expectMessage(kSaveCaption, TMsgAnswer::No);
    click(QStringLiteral("Acker"));
    EXPECT_EQ(form->currentAthlete(), anna);
    EXPECT_EQ(edit("EditSurName")->text(), QStringLiteral("Bergmann"));
    EXPECT_EQ(form->getSelectedIds(), std::vector<int>{anna});

    button("Button1")->click();
    settle();
    EXPECT_EQ(seed->column("sur_name", anna), QStringLiteral("Bergmann"));
    EXPECT_FALSE(form->hasOverallDirtyData());
    EXPECT_EQ(edit("EditSurName")->text(), QStringLiteral("Bergmann"));

    // "Ja": the edit is dropped and the other athlete shown.
    type(edit("EditGivenName"), QStringLiteral("Annika"));
    later();
    script->expectMessage(kSaveCaption, TMsgAnswer::Yes);
    click(QStringLiteral("Acker"));
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Ben"));
    EXPECT_EQ(seed->column("given_name", anna), QStringLiteral("Anna"));
}

// The user clicks into the field and types, key by key.
void typeKeys(QLineEdit* field, const QString& text)
{
    QTest::mouseClick(field, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), field);
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

TEST_F(AthleteWindowTest, WhatIsTypedWhileTheListReloadsStays)
{
    const int adler =
        seed->team(competitionId, QStringLiteral("Adler"), seed->ageClass(competitionId, QStringLiteral("U10")));
    const int anna = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {}, adler);
    open();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    // F5 asks every shown window to reload; the user types at once, before the list is back.
    ASSERT_TRUE(form->reloadFormData(true));
    typeKeys(edit("EditGivenName"), QStringLiteral("Jan"));
    settle();
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Jan"));
    EXPECT_TRUE(button("Button2")->isEnabled());

    // The same for a listed athlete: the typed surname stays and is saved.
    later();
    script->expectMessage(kSaveCaption, TMsgAnswer::Yes);
    click(QStringLiteral("Berg"));
    ASSERT_TRUE(form->reloadFormData(true));
    typeKeys(edit("EditSurName"), QStringLiteral("mann"));
    settle();
    EXPECT_EQ(edit("EditSurName")->text(), QStringLiteral("Bergmann"));
    EXPECT_EQ(form->getSelectedIds(), std::vector<int>{anna});
    ASSERT_TRUE(button("Button1")->isEnabled());
    button("Button1")->click();
    settle();
    EXPECT_EQ(seed->column("sur_name", anna), QStringLiteral("Bergmann"));

    // Typed before a reload the user then lets drop them: dropped.
    typeKeys(edit("EditGivenName"), QStringLiteral("lena"));
    later();
    script->expectMessage(QStringLiteral("Athleten"), TMsgAnswer::Yes);
    ASSERT_TRUE(form->reloadFormData(true));
    settle();
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Anna"));

    // So does a filter chosen after the question.
    typeKeys(edit("EditGivenName"), QStringLiteral("lena"));
    later();
    script->expectMessage(kSaveCaption, TMsgAnswer::Yes);
    pick(box("ComboBoxTeamFilter"), QStringLiteral("Adler (U10)"));
    settle();
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Anna"));
    EXPECT_FALSE(form->hasOverallDirtyData());
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(AthleteWindowTest, ANewAthleteIsSavedWithTheTeamAndClubTheEditorShows)
{
    const int u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
    const int sued = seed->club(competitionId, QStringLiteral("SC Süd"));
    const int donner = seed->team(competitionId, QStringLiteral("Donner"), u10);
    const int blitz = seed->team(competitionId, QStringLiteral("Blitz"), u10);
    athlete(QStringLiteral("Jan0"), QStringLiteral("Null"), {}, donner, sued);
    athlete(QStringLiteral("Bea"), QStringLiteral("Blau"), {}, blitz);
    open();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    click(QStringLiteral("Null"));

    // Jan0 leaves the list; the editor turns to a new athlete and keeps his team and club.
    pick(box("ComboBoxTeamFilter"), QStringLiteral("Blitz (U10)"));
    settle();
    ASSERT_EQ(listed(), QStringList{QStringLiteral("Blau")});
    EXPECT_EQ(child<QLabel>("LabelId")->text(), QStringLiteral("ID: -"));
    ASSERT_EQ(box("ComboBoxTeam")->currentText(), QStringLiteral("Donner (U10)"));
    ASSERT_EQ(box("ComboBoxClub")->currentText(), QStringLiteral("SC Süd"));

    edit("EditGivenName")->clear();
    typeKeys(edit("EditGivenName"), QStringLiteral("Jan1"));
    edit("EditBibs")->clear();
    typeKeys(edit("EditBibs"), QStringLiteral("5"));
    button("Button2")->click();
    settle();
    const int id = seed->count("SELECT MAX(id) FROM athletes WHERE competition_id = ?", competitionId);
    EXPECT_EQ(seed->column("given_name", id), QStringLiteral("Jan1"));
    EXPECT_EQ(seed->column("team_id", id), QString::number(donner)) << "the team the editor showed";
    EXPECT_EQ(seed->column("club_id", id), QString::number(sued)) << "the club the editor showed";
}

TEST_F(AthleteWindowTest, ACompetitionChangeEmptiesTheEditor)
{
    const int u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
    const int club = seed->club(competitionId, QStringLiteral("TV Nord"));
    const int team = seed->team(competitionId, QStringLiteral("Adler"), u10, club);
    athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {1}, team, club);
    open();
    click(QStringLiteral("Berg"));
    ASSERT_EQ(edit("EditBibs")->text(), QStringLiteral("1"));

    // Another competition is opened: every window is unloaded.
    auto other = std::make_unique<proto::CompetitionType>();
    other->ID = client->create(QStringLiteral("Herbstsportfest"));
    competition.SetCompetitionInternal(std::move(other));
    windows.unload(TWindowId::AthleteForm);
    EXPECT_EQ(edit("EditBibs")->text(), QString()) << "no bib proposed from the last competition";
    EXPECT_EQ(box("ComboBoxTeam")->currentText(), QStringLiteral("Ohne Team"));
    EXPECT_EQ(box("ComboBoxClub")->currentText(), QStringLiteral("Ohne Verein"));
    settle();
    EXPECT_TRUE(listed().isEmpty());
    for (const char* field : {"EditGivenName", "EditSurName", "EditBibs", "EditYear", "EditBarcode"})
        EXPECT_EQ(edit(field)->text(), QString()) << field;
    EXPECT_EQ(child<QLabel>("LabelId")->text(), QStringLiteral("ID: -"));
    EXPECT_FALSE(form->hasOverallDirtyData());
}

// A save for an athlete another desk deleted meanwhile says so by the athlete's name.
TEST_F(AthleteWindowTest, ASaveForAnAthleteDeletedAtAnotherDeskNamesTheAthlete)
{
    const int anna = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {3});
    open();
    click(QStringLiteral("Berg"));
    type(edit("EditSurName"), QStringLiteral("Bergmann"));
    client->cms()->removeAthlete(anna, true);
    script->expectMessage(QStringLiteral("Athleten"), TMsgAnswer::No); // the reload after a refusal
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(recorder.messages.lines().contains(
        QStringLiteral("Athletendaten ändern: Der Athlet \u201EAnna Berg\u201C existiert nicht mehr (an einem anderen "
                       "Platz gelöscht).")))
        << recorder.messages.lines().join(u'\n').toStdString();
}

// Ben Kurz saved at two desks at once: here his first name, there his year. The other desk's save
// waits until this one's has written, and neither change is undone. Then both change his first
// name: the save asks which stays, "Nein" under Enter; "Nein" keeps the other desk's name and the
// typed one unsaved in the field, and the next save asks again, where "Ja" stores it.
TEST_F(AthleteWindowTest, TwoDesksSavingOneAthleteUndoNothingAndAFieldChangedAtBothIsAsked)
{
    auto transport = std::make_shared<HoldingTransport>();
    proto::setSoapTransport(transport);
    const auto restore = qScopeGuard([] { proto::setSoapTransport(nullptr); });
    AthleteInfoDataType info;
    info.Name = AthleteNameType{QStringLiteral("Ben"), QStringLiteral("Kurz")};
    info.YearOfBirth = 2016;
    const int ben = client->das()->addAthlete(info, 0, competitionId, false, 0).Athlete->AthleteID;
    const TAthleteInfo asLoaded{QStringLiteral("Ben"), QStringLiteral("Kurz"), {}, 0, 2016};
    QObject desk;
    std::optional<TRequestOutcome> answered;
    TRequestRoad<TAthleteRequest, TAthleteResponse> otherDesk(
        context, athleteRequests(), &desk,
        [&](std::unique_ptr<TAthleteResponse>, const TRequestOutcome& o) { answered = o; });
    const auto saveThere = [&](TAthleteInfo changed, TAthleteInfo loaded) {
        answered.reset();
        otherDesk.AddRequest(makeAthleteSave(TAthleteRequestType::rt_modify, ben, changed, loaded),
                             athleteSaveMode(TAthleteRequestType::rt_modify));
    };
    open();
    click(QStringLiteral("Kurz"));
    type(edit("EditGivenName"), QStringLiteral("Benedikt85"));
    const int write = transport->hold("modifyAthlete", true, true);
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return transport->held(write); }, 10000));
    const int begin = transport->hold("beginTransaction", true, true);
    TAthleteInfo year = asLoaded;
    year.yearOfBirth = 2015;
    saveThere(year, asLoaded);
    ASSERT_TRUE(waitUntil([&] { return transport->held(begin); }, 10000));
    transport->release(begin);
    // The list this desk reloads after its save is read once the other desk has written, as a
    // machine at rest does: a loaded one could read it in between.
    const int reload = transport->hold("getAthletes", true, true);
    transport->release(write);
    ASSERT_TRUE(waitUntil([&] { return answered.has_value() && transport->held(reload); }, 10000));
    transport->release(reload);
    settle();
    EXPECT_TRUE(answered->ok()) << answered->error.toStdString();
    EXPECT_EQ(seed->column("given_name", ben) + u' ' + seed->column("year_of_birth", ben),
              QStringLiteral("Benedikt85 2015"));
    settle();
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Benedikt85"));
    EXPECT_EQ(edit("EditYear")->text(), QStringLiteral("2015"));

    type(edit("EditGivenName"), QStringLiteral("Bene"));
    TAthleteInfo renamed = asLoaded;
    renamed.fname = QStringLiteral("Benno");
    renamed.yearOfBirth = 2015;
    TAthleteInfo loadedThere = renamed;
    loadedThere.fname = QStringLiteral("Benedikt85");
    saveThere(renamed, loadedThere);
    ASSERT_TRUE(waitUntil([&] { return answered.has_value() && answered->ok(); }, 10000));
    const QString question =
        QStringLiteral("Der Vorname wurde an einem anderen Platz in \u201EBenno\u201C geändert. "
                       "Soll Ihre Eingabe \u201EBene\u201C gespeichert werden? Bei \u201ENein\u201C "
                       "bleibt \u201EBenno\u201C.");
    for (const TMsgAnswer answer : {TMsgAnswer::No, TMsgAnswer::Yes}) {
        script->expectMessage(QStringLiteral("Athletendaten ändern"), answer);
        QTest::mouseClick(button("Button1"), Qt::LeftButton);
        settle();
        ASSERT_FALSE(script->seen.empty());
        EXPECT_EQ(script->seen.back().text, question);
        EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No);
        EXPECT_EQ(seed->column("given_name", ben), answer == TMsgAnswer::No ? QStringLiteral("Benno") : "Bene");
        EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Bene"));
        EXPECT_EQ(form->hasOverallDirtyData(), answer == TMsgAnswer::No);
    }
    EXPECT_EQ(seed->column("year_of_birth", ben), QStringLiteral("2015"));
}

TEST_F(AthleteWindowTest, ATakenBibIsAskedAboutAndMovesOnlyOnYes)
{
    const int ben = athlete(QStringLiteral("Ben"), QStringLiteral("Acker"), {5});
    open();
    type(edit("EditGivenName"), QStringLiteral("Anna"));
    type(edit("EditBibs"), QStringLiteral("5"));
    script->expectMessage(kSaveCaption, TMsgAnswer::No);
    button("Button2")->click();
    settle();
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Acker")});
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Die Startnummer ist bereits einem anderen Athleten "
                                                       "zugewiesen. Diese wird auf den neuen Athleten umgeschrieben. "
                                                       "Athlet trotzdem erstellen?"));
    EXPECT_TRUE(button("Button2")->isEnabled()) << "the editor kept what was typed";
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Anna"));

    script->expectMessage(kSaveCaption, TMsgAnswer::Yes);
    button("Button2")->click();
    settle();
    EXPECT_EQ(listed().size(), 2);
    EXPECT_TRUE(seed->bibs(ben).empty());
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(AthleteWindowTest, AChangeRefusedTwiceIsAskedTwiceAndSentWithBothFlags)
{
    const int disc = seed->discipline(competitionId, QStringLiteral("Weitsprung"));
    const int anna = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {1});
    athlete(QStringLiteral("Ben"), QStringLiteral("Acker"), {2});
    seed->result(disc, 1, anna, 1);
    open();
    click(QStringLiteral("Berg"));
    type(edit("EditBibs"), QStringLiteral("2"));
    script->expectMessage(kSaveCaption, TMsgAnswer::Yes);
    script->expectMessage(kSaveCaption, TMsgAnswer::Yes);
    button("Button1")->click();
    settle();
    ASSERT_EQ(script->seen.size(), 2u);
    EXPECT_TRUE(script->seen[0].text.startsWith(QStringLiteral("Die Startnummer ist bereits einem anderen")));
    EXPECT_TRUE(script->seen[1].text.startsWith(QStringLiteral("Der zu entfernenden Startnummer")));
    EXPECT_EQ(seed->bibs(anna), std::vector<int>{2});
    EXPECT_EQ(seed->results(anna), 0);
}

TEST_F(AthleteWindowTest, AnInvalidEditorSaysWhyAndSendsNothing)
{
    open();
    type(edit("EditGivenName"), QStringLiteral("Anna"));
    type(edit("EditBarcode"), QStringLiteral("A12X"));
    button("Button2")->click();
    type(edit("EditBarcode"), QString());
    type(edit("EditBibs"), QStringLiteral("5;"));
    button("Button2")->click();
    settle();
    EXPECT_EQ(recorder.messages.lines(),
              (QStringList{"Barcode zuordnen: Ungültiges Barcodeformat",
                           "AthletIn bearbeiten: Startnummernformat ungültig. Muss eine positive Zahl oder "
                           ";-separierte Liste von positiven Zahlen sein."}));
    EXPECT_EQ(recorder.messages.messages[0].errorId, -1);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athletes WHERE competition_id = ?", competitionId), 0);
}

TEST_F(AthleteWindowTest, AnInvalidBlankBarcodeTypedForAnExistingAthleteIsRefusedWithItsReason)
{
    const int anna = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"));
    open();
    click(QStringLiteral("Berg"));
    QLineEdit* code = edit("EditBarcode");
    code->setFocus();
    QTest::keyClicks(code, QStringLiteral("A12X"));
    ASSERT_TRUE(button("Button1")->isEnabled()) << "\"Änderung speichern\" is not silently withheld";
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    settle();
    EXPECT_EQ(recorder.messages.lines(), QStringList{QStringLiteral("Barcode zuordnen: Ungültiges Barcodeformat")});
    EXPECT_EQ(seed->column("custom_barcode", anna), QString());

    // Emptied again, the athlete is as stored.
    code->selectAll();
    QTest::keyClick(code, Qt::Key_Backspace);
    EXPECT_FALSE(button("Button1")->isEnabled());
}

TEST_F(AthleteWindowTest, DeletingSeveralAsksOnceAndTheBatchAnswerDecidesForTheRefusedOnes)
{
    const int disc = seed->discipline(competitionId, QStringLiteral("Sprint"));
    const int a = athlete(QStringLiteral("A"), QStringLiteral("Alpha"));
    const int b = athlete(QStringLiteral("B"), QStringLiteral("Beta"));
    const int c = athlete(QStringLiteral("C"), QStringLiteral("Gamma"));
    seed->placeAthlete(disc, b);
    open();

    // "Nein" to the first question: nothing is sent.
    selectRows({QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")});
    script->expectMessage(QStringLiteral("Athleten löschen"), TMsgAnswer::No);
    form->Entfernen1Click();
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Sollen die markierten Athleten wirklich gelöscht werden?"));
    settle();
    EXPECT_TRUE(seed->exists(a));

    script->expectMessage(QStringLiteral("Athleten löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = false});
    form->Entfernen1Click();
    settle();
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Athlet löschen"));
    EXPECT_FALSE(seed->exists(a));
    EXPECT_TRUE(seed->exists(b));
    EXPECT_FALSE(seed->exists(c));

    // One row, forced on "Ja".
    form->reloadFormData(false);
    settle();
    selectRows({QStringLiteral("Beta")});
    script->expectMessage(QStringLiteral("Athleten löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = true});
    form->Entfernen1Click();
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Soll der markierte Athlet wirklich gelöscht werden?"));
    settle();
    EXPECT_FALSE(recorder.confirmation.asked.back().applyToAllOffered);
    EXPECT_FALSE(seed->exists(b));
    EXPECT_TRUE(recorder.messages.messages.empty());
}

// Ben's bib changed to Anna's is refused and left ("Nein"); then Ben is deleted with the Delete key.
// His unsaved bib goes with him: the refresh after the delete asks nothing, and neither the list
// nor the printout shows him.
TEST_F(AthleteWindowTest, AnAthleteDeletedHereLeavesListAndPrintoutWithHisUnsavedEdit)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TMainForm main(context);
    windows.place(TWindowId::MainForm, &main);
    const int adler = seed->team(competitionId, QStringLiteral("Adler"));
    athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {1}, adler);
    const int ben = athlete(QStringLiteral("Ben"), QStringLiteral("Kurz"), {2}, adler);
    open();
    click(QStringLiteral("Kurz"));
    type(edit("EditBibs"), QStringLiteral("1"));
    script->expectMessage(kSaveCaption, TMsgAnswer::No);
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    settle();
    ASSERT_TRUE(form->hasOverallDirtyData());

    script->expectMessage(QStringLiteral("Athleten löschen"), TMsgAnswer::Yes);
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Delete);
    settle();
    EXPECT_FALSE(seed->exists(ben));
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Berg")});
    const QString pdf = folders.programDir.filePath(QStringLiteral("out.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    form->printOverview(false);
    EXPECT_FALSE(pdfPages(pdf).value(0).contains(QStringLiteral("Kurz")));
}

TEST_F(AthleteWindowTest, DeletingWithApplyToAllAsksOnceForEveryRefusedRow)
{
    const int disc = seed->discipline(competitionId, QStringLiteral("Sprint"));
    std::vector<int> ids;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        ids.push_back(athlete(QStringLiteral("X"), QString::fromUtf8(name)));
        seed->result(disc, 1, ids.back(), 0);
    }
    open();
    selectRows({QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")});
    script->expectMessage(QStringLiteral("Athleten löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = true, .applyToAll = true});
    form->Entfernen1Click();
    settle();
    EXPECT_EQ(recorder.confirmation.asked.size(), 1u);
    for (int id : ids)
        EXPECT_FALSE(seed->exists(id));
}

TEST_F(AthleteWindowTest, SwappingNamesAsksFirstAndReloads)
{
    const int a = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"));
    open();
    selectRows({QStringLiteral("Berg")});
    script->expectMessage(QStringLiteral("Namen tauschen"), TMsgAnswer::Yes);
    form->VorundNachnametauschen1Click();
    settle();
    EXPECT_EQ(seed->column("given_name", a), QStringLiteral("Berg"));
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Anna")});
}

TEST_F(AthleteWindowTest, FiltersByTeamAgeClassAndUnassignedDiscipline)
{
    const int u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
    const int u12 = seed->ageClass(competitionId, QStringLiteral("U12"));
    const int adler = seed->team(competitionId, QStringLiteral("Adler"), u10);
    const int falken = seed->team(competitionId, QStringLiteral("Falken"), u12);
    seed->discipline(competitionId, QStringLiteral("Sprint"));
    ResultTableType relay;
    relay.Team = true;
    seed->discipline(competitionId, QStringLiteral("Staffel"), 0, relay);
    athlete(QStringLiteral("Anna"), QStringLiteral("Adlerin"), {}, adler);
    athlete(QStringLiteral("Fritz"), QStringLiteral("Falke"), {}, falken);
    athlete(QStringLiteral("Olga"), QStringLiteral("Ohne"));
    open();
    EXPECT_EQ(listed().size(), 3);
    EXPECT_EQ(entries(box("ComboBoxDisciplineFilter")), (QStringList{"Kein Filter", "Sprint"}))
        << "a team discipline is never a filter";
    EXPECT_EQ(entries(box("ComboBoxTeamFilter")), (QStringList{"Kein Filter", "Adler (U10)", "Falken (U12)"}));

    pick(box("ComboBoxTeamFilter"), QStringLiteral("Adler (U10)"));
    settle();
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Adlerin")});
    EXPECT_TRUE(box("ComboBoxAgeClassFilter")->isHidden());
    EXPECT_FALSE(child<QLabel>("LabelAgeClassByTeam")->isHidden());
    EXPECT_EQ(form->printFilter().getPrintString(), QStringLiteral("Team Adler (U10)"));

    pick(box("ComboBoxTeamFilter"), QStringLiteral("Kein Filter"));
    settle();
    EXPECT_FALSE(box("ComboBoxAgeClassFilter")->isHidden());
    EXPECT_EQ(listed().size(), 3);

    pick(box("ComboBoxAgeClassFilter"), QStringLiteral("U12"));
    settle();
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Falke")});
    EXPECT_EQ(form->printFilter().getPrintString(), QStringLiteral("Altersklasse U12"));
    EXPECT_EQ(child<QLabel>("LabelCount")->text(), QStringLiteral("Athleten in dieser Ansicht: 1"));
}

TEST_F(AthleteWindowTest, AFilterChangeWithUnsavedChangesAsksAndNeinKeepsTheFilter)
{
    const int u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
    const int adler = seed->team(competitionId, QStringLiteral("Adler"), u10);
    athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {}, adler);
    athlete(QStringLiteral("Ben"), QStringLiteral("Acker"));
    open();
    click(QStringLiteral("Berg"));
    type(edit("EditSurName"), QStringLiteral("Bergmann"));
    script->expectMessage(kSaveCaption, TMsgAnswer::No);
    pick(box("ComboBoxTeamFilter"), QStringLiteral("Adler (U10)"));
    settle();
    EXPECT_EQ(box("ComboBoxTeamFilter")->currentText(), QStringLiteral("Kein Filter"));
    EXPECT_EQ(listed().size(), 2);
}

TEST_F(AthleteWindowTest, OtherWindowsShowTeamMembersAnAthleteOrANewAthleteWithABlankBarcode)
{
    const int adler = seed->team(competitionId, QStringLiteral("Adler"));
    const int anna = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {}, adler);
    athlete(QStringLiteral("Ben"), QStringLiteral("Acker"));

    form->showTeamMembers(adler);
    settle();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Berg")});
    EXPECT_EQ(box("ComboBoxTeamFilter")->currentText(), QStringLiteral("Adler"));

    form->showAthlete(anna, 0);
    settle();
    EXPECT_EQ(listed().size(), 2);
    EXPECT_EQ(form->currentAthlete(), anna);
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Anna"));
    EXPECT_EQ(form->getCachedAthleteByID(anna)->Name->surName, QStringLiteral("Berg"));
    EXPECT_FALSE(form->getCachedAthleteByID(anna + 1000));
    const int barcode = form->getCachedAthleteByID(anna)->Barcode;
    EXPECT_EQ(form->getCachedAthlete(barcode)->AthleteID, anna);

    form->selectAthlete(999999);
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{"Athlet anzeigen: Athlet nicht gefunden. Evtl. mit F5 Fenster neu laden"});

    form->createNewAthleteWithBarcode(33);
    EXPECT_EQ(form->currentAthlete(), 0);
    EXPECT_EQ(edit("EditBarcode")->text(), QStringLiteral("B11X"));
    EXPECT_EQ(edit("EditGivenName")->text(), QString());
    EXPECT_EQ(child<QLabel>("LabelId")->text(), QStringLiteral("ID: -"));
}

TEST_F(AthleteWindowTest, EntriesAndF11OfWindowsNotBuiltYetOpenTheirPlaceholders)
{
    athlete(QStringLiteral("Anna"), QStringLiteral("Berg"));
    QWidget* bibs = windows.create(TWindowId::AssignBibForm, context);
    QWidget* finder = windows.create(TWindowId::AthleteResultFinderForm, context);
    open();
    click(QStringLiteral("Berg"));

    // The list's context menu, as the menu key opens it.
    const QPoint at = list()->visualRect(form->listModel().index(0, 0)).center();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, list()->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list(), &menuKey);
    auto* menu = form->findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    ASSERT_TRUE(menu->isVisible());
    auto* assign = menu->findChild<QAction*>(QStringLiteral("Startnummernvergeben1"));
    auto* results = menu->findChild<QAction*>(QStringLiteral("Leistungenzuordnen1"));
    ASSERT_TRUE(assign->isEnabled());
    ASSERT_TRUE(results->isEnabled());
    menu->hide();
    assign->trigger();
    EXPECT_TRUE(bibs->isVisible());
    results->trigger();
    EXPECT_TRUE(finder->isVisible());

    finder->hide();
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_F11);
    EXPECT_TRUE(finder->isVisible()) << "F11 with one row selected";
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

TEST_F(AthleteWindowTest, TheSelectionIsDraggedAsIdsInListOrder)
{
    const int a = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"));
    const int b = athlete(QStringLiteral("Ben"), QStringLiteral("Acker"));
    open();
    // Sorted by given name: Anna, then Ben.
    selectRows({QStringLiteral("Acker"), QStringLiteral("Berg")});
    EXPECT_EQ(form->getSelectedIds(), (std::vector<int>{a, b}));
    EXPECT_TRUE(list()->dragEnabled());
    const QModelIndex first = form->athletes().index(0, 0);
    EXPECT_TRUE(form->athletes().flags(first) & Qt::ItemIsDragEnabled);
    std::unique_ptr<QMimeData> data(form->athletes().mimeData({first, form->athletes().index(0, 1)}));
    EXPECT_EQ(QString::fromUtf8(data->data(kAthleteIdsMimeType)), QString::number(a));
}

TEST_F(AthleteWindowTest, TheListSearchFindsRowsAndSelectsThemInTheList)
{
    athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {12});
    const int ben = athlete(QStringLiteral("Ben"), QStringLiteral("Bergmann"), {13});
    athlete(QStringLiteral("Cem"), QStringLiteral("Acker"));
    open();
    form->Suchen1Click();
    ASSERT_TRUE(search->isVisible());
    auto* words = search->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* resultView = search->findChild<QTreeView*>(QStringLiteral("ListView1"));
    ASSERT_TRUE(resultView);
    QAbstractItemModel* results = resultView->model();
    QAbstractItemModelTester tester(results, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(results->columnCount(), int(athleteColumnCount));

    words->setText(QStringLiteral("berg 13"));
    ASSERT_EQ(results->rowCount(), 1);
    EXPECT_EQ(results->index(0, colGivenName).data().toString(), QStringLiteral("Ben"));
    // The first result is chosen at once: selected in the athlete list and shown in the editor.
    EXPECT_EQ(search->selectedList(), 0);
    EXPECT_EQ(form->getSelectedIds(), std::vector<int>{ben});
    EXPECT_EQ(form->currentAthlete(), ben);
    EXPECT_EQ(edit("EditGivenName")->text(), QStringLiteral("Ben"));

    // A reload of the list clears the results and fills them again a moment later.
    words->setText(QStringLiteral("berg"));
    EXPECT_EQ(results->rowCount(), 2);
    form->reloadFormData(false);
    settle();
    ASSERT_TRUE(waitUntil([&] { return results->rowCount() == 2; }, 2000));
    // A changed selection in the list is no change of the list.
    selectRows({QStringLiteral("Acker")});
    EXPECT_EQ(results->rowCount(), 2);

    // The search names the list by its model: a hidden view of the same model does not take it.
    QTreeView elsewhere;
    elsewhere.setModel(form->findChild<QTreeView*>(QStringLiteral("ListView1"))->model());
    form->Suchen1Click();
    words->setText(QStringLiteral("berg 13"));
    EXPECT_EQ(form->getSelectedIds(), std::vector<int>{ben});
    EXPECT_FALSE(elsewhere.selectionModel()->hasSelection());

    // Closed, the list's changes reach it no more.
    search->close();
    EXPECT_EQ(results->rowCount(), 0);
    form->reloadFormData(false);
    settle();
    QTest::qWait(100);
    EXPECT_EQ(results->rowCount(), 0);
}

TEST_F(AthleteWindowTest, CtrlFOpensTheSearchAsWideAsTheListAndTheTypingGoesToItsEdit)
{
    athlete(QStringLiteral("Anna"), QStringLiteral("Berg"));
    athlete(QStringLiteral("Ben"), QStringLiteral("Bergmann"));
    open();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(search->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(search.get()));

    // Laid out before it was sized: its result list is as wide as the athlete list, not a child's
    // default width narrower.
    auto* resultView = search->findChild<QTreeView*>(QStringLiteral("ListView1"));
    EXPECT_EQ(resultView->width(), list()->width());

    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("mann"));
    auto* words = search->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    EXPECT_EQ(QApplication::focusWidget(), words);
    EXPECT_EQ(words->text(), QStringLiteral("mann"));
    ASSERT_EQ(resultView->model()->rowCount(), 1);
    EXPECT_EQ(resultView->model()->index(0, colSurName).data().toString(), QStringLiteral("Bergmann"));

    // Enter in the edit: the found athlete is chosen in the list and the search closes.
    QTest::keyClick(words, Qt::Key_Return);
    EXPECT_FALSE(search->isVisible());
    EXPECT_EQ(edit("EditSurName")->text(), QStringLiteral("Bergmann"));
}

TEST_F(AthleteWindowTest, TheListIsExportedAsShownInWindows1252WithCrLf)
{
    const int u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
    const int club = seed->club(competitionId, QStringLiteral("TV Süd"));
    const int adler = seed->team(competitionId, QStringLiteral("Adler; Nord"), u10);
    const int a = athlete(QStringLiteral("Jürgen"), QStringLiteral("Müller"), {5, 6}, adler, club);
    const int b = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"));
    open();
    const QString file = folders.programDir.filePath(QStringLiteral("Athleten.csv"));
    script->expectFile(QStringLiteral("csv-Datei speichern"), file);
    form->exportCsv(false);

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const auto barcode = [&](int id) { return athleteCellText(*form->getCachedAthleteByID(id), colBarcode); };
    const QString expected =
        QStringLiteral("Vorname;Nachname;Team;Startnummer;Jahrgang;Geschlecht;Verein;ID;Barcode\r\n"
                       "Anna;Berg;;;;;-;%1;%2\r\n"
                       "Jürgen;Müller;\"Adler; Nord\";5,6;;;TV Süd;%3;%4\r\n")
            .arg(b)
            .arg(barcode(b))
            .arg(a)
            .arg(barcode(a));
    EXPECT_EQ(f.readAll(), toWindows1252(expected));
}

TEST_F(AthleteWindowTest, BothPrintoutsPrintTheListedRows)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const int adler = seed->team(competitionId, QStringLiteral("Adler"));
    athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), {}, adler);
    athlete(QStringLiteral("Ben"), QStringLiteral("Acker"));
    open();
    const QString pdf = folders.programDir.filePath(QStringLiteral("out.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    form->printOverview(false);
    QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Athletenübersicht (Druck:"))) << lines[0].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("Anna Berg Adler"));
    EXPECT_EQ(lines[3], QStringLiteral("Ben Acker"));

    const QString teams = folders.programDir.filePath(QStringLiteral("teams.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), teams);
    form->printOverview(true);
    EXPECT_EQ(pdfPageCount(teams), 2);
    EXPECT_TRUE(recorder.waits.shown.isEmpty());

    // Cancelled at the printer choice: nothing.
    script->expectPrinter(QStringLiteral("Drucken"), QString());
    form->printOverview(false);
}

TEST_F(AthleteWindowTest, AnEmptyListPrintsItsFilterAndATeamPrintoutWithoutTeamsSaysSo)
{
    TVP_REQUIRE_TOOL("pdftotext");
    seed->ageClass(competitionId, QStringLiteral("U12"));
    athlete(QStringLiteral("Anna"), QStringLiteral("Berg"));
    open();
    pick(box("ComboBoxAgeClassFilter"), QStringLiteral("U12"));
    settle();
    ASSERT_TRUE(listed().isEmpty());

    const QString pdf = folders.programDir.filePath(QStringLiteral("leer.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    child<QAction>("Athletenbersicht1")->trigger();
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Athletenübersicht - Altersklasse U12 (Druck:")))
        << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Vorname Name Team Startnr. Jahrgang Geschlecht Verein"));

    const QString teams = folders.programDir.filePath(QStringLiteral("teams.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), teams);
    child<QAction>("EinTeamproSeite1")->trigger();
    EXPECT_FALSE(QFile::exists(teams));
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Athleten-Teamübersicht: Es gibt nichts zu drucken.")});
}

// A club day's teams printed both ways: every name whole and apart. A team page's heading keeps
// its team, time and page; where smaller type does not hold it, its club ends in "...".
TEST_F(AthleteWindowTest, BothPrintoutsOfAClubDayKeepEveryNameWholeAndEveryHeadingOnThePage)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const int u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
    for (int t = 0; t < 4; ++t) {
        const int club = seed->club(competitionId, clubDay::kClubs[t]);
        athlete(clubDay::kGiven[t], clubDay::kSurnames[t], {100 + t},
                seed->team(competitionId, clubDay::kTeams[t], u10, club), club);
    }
    open();
    const QStringList names = clubDay::kTeams + clubDay::kClubs + clubDay::kGiven + clubDay::kSurnames;
    for (const char* action : {"Athletenbersicht1", "EinTeamproSeite1"})
        expectPaperFit(Printer(), folders.programDir, names, [&](const QString& file) {
            script->expectPrinter(QStringLiteral("Drucken"), file);
            child<QAction>(action)->trigger();
            for (int p = 0; p < 4 && action[0] == 'E'; ++p) {
                const QString heading = pageLines(pdfPages(file).value(p)).value(0);
                EXPECT_TRUE(heading.contains(printStamp(p + 1, 4)) &&
                            heading.contains(QStringLiteral(" - ") + clubDay::kTeams[p] + QStringLiteral(" (Druck: ")))
                    << heading.toStdString();
            }
        });
}

// A club of one word longer than its column: that word breaks at its joints, no team's word does.
TEST_F(AthleteWindowTest, AClubOfOneLongWordBreaksItsWordRatherThanTheTeamsWords)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const QString word = QStringLiteral("Kinderleichtathletiknachwuchsfördergemeinschaft");
    const int club = seed->club(competitionId, word + QStringLiteral(" Oberschwäbischer Bodenseekreis e.V."));
    const QStringList teams =
        QStringLiteral("SC Grünwald Nachwuchsflitzer Drei|Leichtathletiknachwuchsmannschaft Eins|Adler|Füchse")
            .split(u'|');
    std::vector<int> ids;
    for (const QString& team : teams)
        ids.push_back(seed->team(competitionId, team, 0, club));
    for (int i = 0; i < 28; ++i)
        athlete(QStringLiteral("Anna"), QStringLiteral("Wolf"), {i + 1}, i < 24 ? ids[std::size_t(i / 6)] : 0, club);
    open();
    expectPaperFit(Printer(), folders.programDir, teams, [&](const QString& file) {
        script->expectPrinter(QStringLiteral("Drucken"), file);
        child<QAction>("Athletenbersicht1")->trigger();
        EXPECT_EQ(brokenInsideWords(file, teams + QStringList{word},
                                    {QStringLiteral("Kinder|leicht|athletik|nach|wuchs|förder|gemeinschaft"),
                                     QStringLiteral("Leicht|athletik|nach|wuchs|mannschaft")}),
                  QStringList());
        EXPECT_LE(pdfPageCount(file), 5) << "rows of three lines";
    });
}

TEST_F(AthleteWindowTest, TheCheckMenuShowsTheAllClearMessageOnlyWhenAsked)
{
    FakeServerInstall fake;
    fake->answer<op::checkParticipantConstraints>(checkParticipantConstraintsResponse{});
    script->expectMessage(QStringLiteral("Teilnehmer prüfen"), TMsgAnswer::Ok);
    form->checkParticipantContraints(true);
    settle();
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Alle Teams der Veranstaltung entsprechen den Vorgaben der jeweiligen Altersklasse."));
    form->checkParticipantContraints(false);
    settle();
    EXPECT_EQ(fake->callsOf<op::checkParticipantConstraints>().size(), 2u);
    EXPECT_EQ(fake->callsOf<op::checkParticipantConstraints>()[0].CompetitionId, competitionId);
}

// The marks above capitals reach past the font's line height: the list's rows leave them room, so
// a name is not read as another ("Ömer" as "Omer", "Ćosić" as "Ċosić").
TEST_F(AthleteWindowTest, TheListShowsTheMarksOfCapitalsWhole)
{
    athlete(QStringLiteral("Ömer"), QStringLiteral("Öztürk"));
    athlete(QStringLiteral("Luka"), QStringLiteral("Ćosić"));
    open();
    list()->clearSelection();
    list()->setCurrentIndex({});
    const QImage drawn = list()->viewport()->grab().toImage();
    const QFontMetrics metrics(list()->font());
    for (const auto& [name, column] : {std::pair{QStringLiteral("Öztürk"), colSurName},
                                       {QStringLiteral("Ćosić"), colSurName},
                                       {QStringLiteral("Ömer"), colGivenName}}) {
        const QModelIndex cell =
            form->listModel().index(rowOf(column == colSurName ? name : QStringLiteral("Öztürk")), column);
        ASSERT_EQ(cell.data().toString(), name);
        const auto [top, bottom] = inkRows(drawn.copy(list()->visualRect(cell)));
        // The same text drawn with room all around.
        QImage whole(metrics.horizontalAdvance(name) + 8, 3 * metrics.height(), QImage::Format_RGB32);
        whole.fill(Qt::white);
        QPainter painter(&whole);
        painter.setFont(list()->font());
        painter.drawText(QPoint(4, metrics.height() + metrics.ascent()), name);
        painter.end();
        const auto [wholeTop, wholeBottom] = inkRows(whole);
        EXPECT_EQ(bottom - top, wholeBottom - wholeTop) << name.toStdString() << " is cut";
    }
}

// Not a check: with TVP_SCREENSHOT_SECONDS set (under Xvfb with QT_QPA_PLATFORM=xcb) the window stays
// on screen with thirty athletes in teams and clubs for that long, so that a screenshot can be taken.
TEST_F(AthleteWindowTest, ShownForAScreenshot)
{
    const int seconds = qEnvironmentVariableIntValue("TVP_SCREENSHOT_SECONDS");
    if (seconds <= 0)
        GTEST_SKIP() << "only with TVP_SCREENSHOT_SECONDS";
    const QStringList given{"Anna", "Ben", "Cem", "Dora", "Emil", "Frieda", "Jürgen", "Lea", "Mia", "Noah"};
    const QStringList sur{"Acker", "Berg", "Müller", "Schmidt", "Schäfer", "Fischer", "Weber", "Wagner", "Koch"};
    const int u10 = seed->ageClass(competitionId, QStringLiteral("U10"));
    const int u12 = seed->ageClass(competitionId, QStringLiteral("U12"));
    const std::vector<int> clubs{seed->club(competitionId, QStringLiteral("TSV Grünwald")),
                                 seed->club(competitionId, QStringLiteral("LG Süd-West"))};
    const std::vector<int> teams{seed->team(competitionId, QStringLiteral("Flinke Füchse"), u10, clubs[0]),
                                 seed->team(competitionId, QStringLiteral("Schnelle Eulen"), u10, clubs[1]),
                                 seed->team(competitionId, QStringLiteral("Starke Dachse"), u12, clubs[0])};
    for (int i = 0; i < 30; ++i) {
        const int team = i < 27 ? teams[std::size_t(i % 3)] : 0;
        const int id =
            athlete(given[i % given.size()], sur[(i * 7) % sur.size()], {100 + i}, team, clubs[std::size_t(i % 2)]);
        seed->setPerson(id, i % 2 ? proto::GenderType::FEMALE : proto::GenderType::MALE, 2014 + i % 4);
    }
    form->move(20, 20);
    open();
    click(listed().value(3));
    waitUntil([] { return false; }, seconds * 1000);
}

} // namespace

namespace {

TEST(ParticipantWindows, TheAthleteAndSearchWindowsAreMadeForTheirRowsAndFindEachOther)
{
    TempAppFolders folders;
    TWindowRegistry registry;
    registerParticipantWindows(registry);
    TCurrentCompetition competition;
    TWindowContext context(competition, registry);
    for (TWindowId id : {TWindowId::SearchForm, TWindowId::AthleteForm})
        registry.create(id, context);
    auto* athletes = registry.get<TAthleteForm>(TWindowId::AthleteForm);
    ASSERT_TRUE(athletes);
    EXPECT_EQ(athletes->objectName(), QStringLiteral("AthleteForm"));
    EXPECT_EQ(windowClassName(athletes), QStringLiteral("TAthleteForm"));
    EXPECT_TRUE(registry.get<IAthleteForm>(TWindowId::AthleteForm));
    ASSERT_TRUE(registry.get<IListSearchForm>(TWindowId::SearchForm));
    EXPECT_EQ(registry.widget(TWindowId::SearchForm)->windowTitle(), QStringLiteral("Suchen..."));
    // Ctrl+F's way: the athlete window opens the search over its list.
    athletes->Suchen1Click();
    EXPECT_TRUE(registry.widget(TWindowId::SearchForm)->isVisible());
    registry.destroyAll();
}

} // namespace
