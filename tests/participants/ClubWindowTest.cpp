// The club window driven offscreen against the stand-in: creating, changing and deleting clubs
// with the server's refusals asked in the batch confirmation, assigning by drag and drop, the list
// search, the CSV export, the overview printout and the receipt data file.

#include "core/print/ui/Print.h"
#include "core/ui/MainWindowServices.h"
#include "participants/ui/ClubDialog.h"
#include "tests/core/print/PdfTools.h"
#include "tests/participants/FakeWindows.h"
#include "tests/participants/WindowFixture.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/FakeServer.h"
#include "tests/support/HoldingTransport.h"

#include <QPlainTextEdit>
#include <QScopeGuard>

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QUrl>

using namespace tvp;
using namespace tvp::test;

namespace {

const QString kDeleteCaption = QStringLiteral("Verein/Organisation löschen");

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ClubWindowTest : public ParticipantWindowTest {
protected:
    void SetUp() override
    {
        ParticipantWindowTest::SetUp();
        windows.place(TWindowId::BillingDocSetupForm, &billingSetup);
        windows.place(TWindowId::TeamForm, &teams);
        search = make<FakeSearchForm>(TWindowId::SearchForm);
        athletes = make<FakeAthleteForm>(TWindowId::AthleteForm);
    }

    // The window, shown and loaded.
    TClubForm& open()
    {
        window = make<TClubForm>(TWindowId::ClubForm);
        window->show();
        settle();
        return *window;
    }
    QTreeView* list() { return find<QTreeView>(*window, "ListView1"); }
    QLineEdit* name() { return find<QLineEdit>(*window, "Edit1"); }
    QLineEdit* remark() { return find<QLineEdit>(*window, "Edit2"); }
    QPlainTextEdit* address() { return find<QPlainTextEdit>(*window, "Memo1"); }
    QPushButton* save() { return find<QPushButton>(*window, "Button1"); }
    QPushButton* create() { return find<QPushButton>(*window, "Button2"); }
    QAction* action(const char* name) { return find<QAction>(*window, name); }
    QStringList names() { return column(*list(), 0); }
    // The row of the club with that name in the list as shown.
    int rowOf(const QString& club) { return int(names().indexOf(club)); }
    int newClub(const QString& name, const QString& comment = {}, const QString& address = {})
    {
        return seed->club(competitionId, name, comment, address);
    }

    FakeBillingSetup billingSetup;
    FakeTeamWindow teams;
    FakeSearchForm* search = nullptr;
    FakeAthleteForm* athletes = nullptr;
    FakeOpener opener;
    TClubForm* window = nullptr;
};

} // namespace

TEST_F(ClubWindowTest, ACreatedClubIsListedAndTheEditorIsFreeForTheNext)
{
    TClubForm& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vereine/Organisationen"));
    EXPECT_FALSE(create()->isEnabled()) << "no name yet";
    typeInto(*name(), QStringLiteral("  TSV Adler  "));
    typeInto(*remark(), QStringLiteral("Gastverein"));
    address()->setPlainText(QStringLiteral("kasse@adler.example\nHauptstr. 1"));
    EXPECT_TRUE(create()->isEnabled());
    EXPECT_FALSE(save()->isEnabled()) << "no club is current";
    create()->click();
    settle();

    EXPECT_EQ(names(), QStringList{QStringLiteral("TSV Adler")}) << "the name goes trimmed";
    EXPECT_EQ(seed->clubState(list()->model()->index(0, 2).data().toInt()),
              QStringLiteral("TSV Adler|Gastverein|kasse@adler.example\nHauptstr. 1"));
    EXPECT_EQ(name()->text(), QString());
    EXPECT_EQ(address()->toPlainText(), QString());
    EXPECT_EQ(find<QLabel>(w, "Label5")->text(), QStringLiteral("ID: -"));
    EXPECT_EQ(find<QLabel>(w, "Label1")->text(), QStringLiteral("Vereine/Organisationen in dieser Ansicht: 1"));
    EXPECT_FALSE(w.hasOverallDirtyData());
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(ClubWindowTest, ARefusedCreateKeepsWhatWasTyped)
{
    TClubForm& w = open();
    typeInto(*name(), QStringLiteral("LG Nord"));
    typeInto(*remark(), QStringLiteral("neu"));
    address()->setPlainText(QStringLiteral("Postfach 7"));
    // The competition went away meanwhile: the server refuses the club.
    client->cms()->removeCompetition(competitionId);
    create()->click();
    settle();

    ASSERT_FALSE(recorder.messages.messages.empty());
    EXPECT_EQ(recorder.messages.messages.front().caption, QStringLiteral("Verein/Organisation anlegen"));
    EXPECT_EQ(recorder.messages.messages.front().errorId, 3);
    EXPECT_EQ(name()->text(), QStringLiteral("LG Nord"));
    EXPECT_EQ(remark()->text(), QStringLiteral("neu"));
    EXPECT_EQ(address()->toPlainText(), QStringLiteral("Postfach 7"));
    EXPECT_TRUE(create()->isEnabled()) << "the user may send it again";
    EXPECT_TRUE(w.hasDirtyData(QString()));
}

TEST_F(ClubWindowTest, ChangesAreSavedAndLineEndingsAloneChangeNothing)
{
    const int adler = newClub(QStringLiteral("TSV Adler"), QStringLiteral("alt"), QStringLiteral("Nord\r\nSüd"));
    newClub(QStringLiteral("LG Berg"));
    TClubForm& w = open();
    clickRow(*list(), QStringLiteral("TSV Adler"));
    EXPECT_EQ(w.getSelected(), adler);
    EXPECT_EQ(find<QLabel>(w, "Label5")->text(), QStringLiteral("ID: %1").arg(adler));
    EXPECT_FALSE(w.hasDirtyData(QString())) << "CR LF stored, LF shown: the same text";
    EXPECT_FALSE(save()->isEnabled());

    // Only the tail of the stored text is not the same text.
    address()->setPlainText(QStringLiteral("Süd"));
    EXPECT_TRUE(w.hasDirtyData(QString()));
    address()->setPlainText(QStringLiteral("Nord\nSüd"));
    EXPECT_FALSE(w.hasDirtyData(QString()));

    typeInto(*remark(), QStringLiteral("neu"));
    ASSERT_TRUE(save()->isEnabled());
    save()->click();
    settle();
    EXPECT_EQ(seed->clubState(adler), QStringLiteral("TSV Adler|neu|Nord\nSüd"));
    EXPECT_FALSE(w.hasOverallDirtyData());
    EXPECT_FALSE(save()->isEnabled());
    EXPECT_EQ(w.getSelected(), adler) << "the club stays current";
}

// A remark typed is saved, in one read-write transaction, without undoing the name another desk
// changed meanwhile. A remark changed there too is asked about, "Nein" under Enter: "Nein" keeps
// the other desk's remark and the typed one unsaved; the next save asks again, and "Ja" stores it.
TEST_F(ClubWindowTest, ARemarkTypedIsSavedWithoutUndoingTheNameChangedElsewhereAndOneChangedThereIsAsked)
{
    auto transport = std::make_shared<HoldingTransport>();
    proto::setSoapTransport(transport);
    const auto restore = qScopeGuard([] { proto::setSoapTransport(nullptr); });
    const int adler = newClub(QStringLiteral("TSV Adler"), QStringLiteral("alt"), QStringLiteral("Nord"));
    open();
    clickRow(*list(), QStringLiteral("TSV Adler"));
    typeInto(*remark(), QStringLiteral("neu"));
    proto::ClubInfoDataType other;
    other.Name = QStringLiteral("TSV Adler Nord");
    other.Comment = QStringLiteral("alt");
    other.BillingAddress = QStringLiteral("Nord");
    client->das()->modifyClub(adler, other);

    QTest::mouseClick(save(), Qt::LeftButton);
    settle();
    EXPECT_EQ(seed->clubState(adler), QStringLiteral("TSV Adler Nord|neu|Nord"));
    EXPECT_EQ(name()->text(), QStringLiteral("TSV Adler Nord"));
    EXPECT_EQ(transport->writers, 1);

    typeInto(*remark(), QStringLiteral("neuer"));
    other.Name = QStringLiteral("TSV Adler Nord");
    other.Comment = QStringLiteral("anders");
    client->das()->modifyClub(adler, other);
    for (const TMsgAnswer answer : {TMsgAnswer::No, TMsgAnswer::Yes}) {
        script->expectMessage(QStringLiteral("Vereins-/Organisationsdaten ändern"), answer);
        QTest::mouseClick(save(), Qt::LeftButton);
        settle();
        ASSERT_FALSE(script->seen.empty());
        EXPECT_EQ(script->seen.back().text,
                  QStringLiteral("Die Bemerkung wurde an einem anderen Platz in \u201Eanders\u201C geändert. Soll "
                                 "Ihre Eingabe \u201Eneuer\u201C gespeichert werden? Bei \u201ENein\u201C bleibt "
                                 "\u201Eanders\u201C."));
        EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No);
        EXPECT_EQ(seed->clubState(adler),
                  answer == TMsgAnswer::No ? "TSV Adler Nord|anders|Nord" : "TSV Adler Nord|neuer|Nord");
        EXPECT_EQ(remark()->text(), QStringLiteral("neuer"));
    }
}

TEST_F(ClubWindowTest, AnotherRowAsksBeforeUnsavedChangesAreLost)
{
    newClub(QStringLiteral("A-Verein"));
    const int b = newClub(QStringLiteral("B-Verein"));
    TClubForm& w = open();
    clickRow(*list(), QStringLiteral("A-Verein"));
    typeInto(*remark(), QStringLiteral("getippt"));

    script->expectMessage(w.windowTitle(), TMsgAnswer::No);
    clickRow(*list(), QStringLiteral("B-Verein"));
    EXPECT_EQ(remark()->text(), QStringLiteral("getippt")) << "kept";
    EXPECT_EQ(list()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list()->selectionModel()->selectedRows().front().row(), rowOf(QStringLiteral("A-Verein")));

    script->expectMessage(w.windowTitle(), TMsgAnswer::Yes);
    clickRow(*list(), QStringLiteral("B-Verein"));
    EXPECT_EQ(w.getSelected(), b);
    EXPECT_EQ(remark()->text(), QString());
}

TEST_F(ClubWindowTest, DeletingAskedAboutTeamsThenAthletesAndForcedWhenConfirmed)
{
    const int club = newClub(QStringLiteral("Zahlt noch"));
    const int team = seed->team(competitionId, QStringLiteral("Füchse"), 0, club);
    const int athlete = seed->athlete(competitionId, QStringLiteral("Ida"), QStringLiteral("Ahorn"), 0, club);
    open();
    clickRow(*list(), names().front());

    script->expectMessage(QStringLiteral("Vereine/Organisationen löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = true});
    recorder.confirmation.expect({.confirmed = true});
    find<QAction>(*window, "Entfernen1")->trigger();
    settle();

    const auto& asked = recorder.confirmation.asked;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].caption, kDeleteCaption);
    EXPECT_TRUE(asked[0].text.contains(QStringLiteral("schon Teams zugewiesen")));
    EXPECT_EQ(asked[1].caption, kDeleteCaption);
    EXPECT_TRUE(asked[1].text.contains(QStringLiteral("schon Athleten zugewiesen")));
    EXPECT_EQ(seed->clubState(club), QStringLiteral("gone"));
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM teams WHERE id = ? AND billing_club_id IS NULL", team), 1);
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM athletes WHERE id = ? AND club_id IS NULL", athlete), 1);
    EXPECT_TRUE(names().isEmpty());
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(ClubWindowTest, NoLeavesTheClubAndYesForAllForcesTheRestOfTheChainUnasked)
{
    const int keep = newClub(QStringLiteral("A bleibt"));
    seed->team(competitionId, QStringLiteral("T0"), 0, keep);
    open();
    clickRow(*list(), names().front());
    script->expectMessage(QStringLiteral("Vereine/Organisationen löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = false});
    find<QAction>(*window, "Entfernen1")->trigger();
    settle();
    EXPECT_EQ(names(), QStringList{QStringLiteral("A bleibt")});
    EXPECT_TRUE(recorder.messages.messages.empty()) << "declined is nothing to report";

    std::vector<int> clubs;
    for (const char* n : {"B", "C", "D"}) {
        clubs.push_back(newClub(QString::fromLatin1(n)));
        seed->team(competitionId, QStringLiteral("Team ") + QString::fromLatin1(n), 0, clubs.back());
    }
    window->reloadFormData(false);
    settle();
    clickRow(*list(), QStringLiteral("B"));
    clickRow(*list(), QStringLiteral("C"), true);
    clickRow(*list(), QStringLiteral("D"), true);
    script->expectMessage(QStringLiteral("Vereine/Organisationen löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({.confirmed = true, .applyToAll = true});
    recorder.confirmation.asked.clear();
    find<QAction>(*window, "Entfernen1")->trigger();
    settle();
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u) << "one question for the whole chain";
    EXPECT_TRUE(recorder.confirmation.asked[0].applyToAllOffered);
    EXPECT_EQ(names(), QStringList{QStringLiteral("A bleibt")});
}

TEST_F(ClubWindowTest, DroppedAthletesAndTeamsAreAssignedToTheClubUnderTheCursor)
{
    FakeServerInstall fake;
    proto::ClubType a, b;
    a.Name = QStringLiteral("Adler");
    a.ClubId = 11;
    b.Name = QStringLiteral("Berg");
    b.ClubId = 12;
    fake->answer<proto::op::getClubs>(proto::getClubsResponse1{a, b});
    fake->acceptTransactions();
    fake->answer<proto::op::modifyAthlete>();
    int teamCalls = 0;
    fake->on<proto::op::modifyTeam>([&](const proto::op::modifyTeam&) {
        if (++teamCalls == 6)
            throw FakeFault{48, {}};
    });
    open();

    athletes->selected = {5, 6};
    script->expectMessage(QStringLiteral("Athleten Verein/Organisation zuweisen"), TMsgAnswer::Yes);
    ASSERT_TRUE(dropOn(*list(), rowOf(QStringLiteral("Berg")), QStringLiteral("AthleteForm")));
    settle();
    const auto athleteCalls = fake->callsOf<proto::op::modifyAthlete>();
    ASSERT_EQ(athleteCalls.size(), 2u);
    EXPECT_EQ(athleteCalls[1].AthleteID, 6);
    EXPECT_EQ(athleteCalls[1].ClubID, 12);
    EXPECT_FALSE(athleteCalls[1].AthleteInfo);
    EXPECT_FALSE(athleteCalls[1].RemoveTeam);
    EXPECT_FALSE(athleteCalls[1].RemoveClub);

    // Three teams in one read-write transaction; no team data, no age class, the club as billing club.
    teams.selected = {21, 22, 23};
    fake->clearRequests();
    script->expectMessage(QStringLiteral("Teams Verein/Organisation zuweisen"), TMsgAnswer::Yes);
    ASSERT_TRUE(dropOn(*list(), rowOf(QStringLiteral("Adler")), QStringLiteral("TeamForm")));
    settle();
    const auto calls = fake->callsOf<proto::op::modifyTeam>();
    ASSERT_EQ(calls.size(), 3u);
    for (const auto& call : calls) {
        EXPECT_FALSE(call.TeamInfo);
        EXPECT_EQ(call.ageClassID, 0);
        EXPECT_FALSE(call.RemoveBillingClub);
        EXPECT_EQ(call.BillingClubID, 11);
    }
    const auto sent = fake->requests();
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent[0].operation, "beginTransaction");
    EXPECT_EQ(sent[1].transactionId, sent[3].transactionId);
    EXPECT_FALSE(sent[1].transactionId.empty());
    EXPECT_EQ(sent[4].operation, "commitTransaction");

    // One refused team rolls the whole drop back, and the error is shown.
    fake->clearRequests();
    script->expectMessage(QStringLiteral("Teams Verein/Organisation zuweisen"), TMsgAnswer::Yes);
    ASSERT_TRUE(dropOn(*list(), rowOf(QStringLiteral("Adler")), QStringLiteral("TeamForm")));
    settle();
    const std::vector<std::string> ops = fake->operations();
    EXPECT_NE(std::find(ops.begin(), ops.end(), "rollbackTransaction"), ops.end());
    EXPECT_EQ(std::find(ops.begin(), ops.end(), "commitTransaction"), ops.end());
    ASSERT_FALSE(recorder.messages.messages.empty());
    EXPECT_EQ(recorder.messages.messages.back().caption, QStringLiteral("Teams zuweisen"));

    // No ids, or not over a row: the drag is refused.
    EXPECT_FALSE(dropOn(*list(), -1, QStringLiteral("TeamForm")));
    teams.selected.clear();
    EXPECT_FALSE(dropOn(*list(), 0, QStringLiteral("TeamForm")));
    EXPECT_FALSE(dropOn(*list(), 0, QStringLiteral("SquadForm")));
}

TEST_F(ClubWindowTest, SearchAsksAboutUnsavedChangesAndSearchesTheFirstTwoColumns)
{
    newClub(QStringLiteral("Adler"));
    TClubForm& w = open();
    find<QAction>(w, "Suchen1")->trigger();
    ASSERT_EQ(search->searchedLists.size(), 1u);
    EXPECT_EQ(search->searchedLists[0], list()->model());
    EXPECT_EQ(search->searchedColumns, (std::vector<int>{0, 1}));
    search->searchedLists.clear();

    clickRow(*list(), names().front());
    typeInto(*remark(), QStringLiteral("getippt"));
    script->expectMessage(w.windowTitle(), TMsgAnswer::No);
    find<QAction>(w, "Suchen1")->trigger();
    EXPECT_TRUE(search->searchedLists.empty()) << "kept the changes, no search";
    script->expectMessage(w.windowTitle(), TMsgAnswer::Yes);
    find<QAction>(w, "Suchen1")->trigger();
    EXPECT_EQ(search->searchedLists.size(), 1u);
    EXPECT_EQ(w.getSelected(), 0) << "discarding clears the selection and the editor";
    EXPECT_EQ(remark()->text(), QString());
}

TEST_F(ClubWindowTest, TheListExportsAsShownAndACancelledDialogIsNoError)
{
    newClub(QStringLiteral("Zeitz; Süd"), QStringLiteral("mit \"Anführung\""));
    const int adler = newClub(QStringLiteral("Adler"));
    open();
    const QString file = standin.folder() + QStringLiteral("/vereine.csv");
    script->expectFile(QStringLiteral("csv-Datei speichern"), file);
    find<QAction>(*window, "Alscsv1")->trigger();
    const QByteArray expected = QStringLiteral("Verein/Organisation;Bemerkung;ID\r\n"
                                               "Adler;;%1\r\n"
                                               "\"Zeitz; Süd\";\"mit \"\"Anführung\"\"\";%2\r\n")
                                    .arg(adler)
                                    .arg(adler - 1)
                                    .toLatin1();
    EXPECT_EQ(fileBytes(file), expected);

    script->expectFile(QStringLiteral("csv-Datei speichern"), QString());
    find<QAction>(*window, "Alscsv1")->trigger();
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(ClubWindowTest, TheOverviewPrintsTheListInItsOrderAndAnEmptyListStillPrintsItsPage)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const QString pdf = standin.folder() + QStringLiteral("/vereine.pdf");
    open();
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    find<QAction>(*window, "Vereinsorganisationsbersicht1")->trigger();
    ASSERT_EQ(pdfPageCount(pdf), 1);
    QStringList lines = pageLines(pdfPages(pdf).front());
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("Vereins- und Organisationsübersicht (Druck: ")));
    EXPECT_EQ(lines.at(1), QStringLiteral("Verein/Organisation Bemerkung"));
    EXPECT_EQ(lines.last(), todaysFooter());

    for (int i = 0; i < 130; ++i)
        newClub(QStringLiteral("Verein %1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("Nr. %1").arg(i));
    window->reloadFormData(false);
    settle();
    // Sorted by the remark, descending: the list's order is the printout's.
    emit list()->header()->sectionClicked(1);
    emit list()->header()->sectionClicked(1);
    const QString first = names().front();
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    find<QAction>(*window, "Vereinsorganisationsbersicht1")->trigger();
    const QStringList pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 2);
    EXPECT_EQ(pdfPageCount(pdf), pages.size());
    lines = pageLines(pages.front());
    EXPECT_TRUE(lines.front().contains(printStamp(1, int(pages.size()))));
    EXPECT_TRUE(lines.at(2).startsWith(first + u' ')) << lines.at(2).toStdString();
    int rows = 0;
    for (const QString& page : pages)
        rows += int(pageLines(page).filter(QStringLiteral("Verein ")).size());
    EXPECT_EQ(rows, 130);
}

TEST_F(ClubWindowTest, ReceiptMenusFollowTheDocumentPathOfTheCurrentCompetition)
{
    TClubForm& w = open();
    ASSERT_FALSE(billingSetup.pathAsked.empty());
    EXPECT_EQ(billingSetup.pathAsked.back(), competitionId);
    QAction* print = action("Quittungendruckeneditieren1");
    QAction* setUp = action("Quittungsvorlageeinrichten1");
    QAction* discard = action("Quittungsvorlageverwerfen1");
    billingSetup.report(TDocPathStatus::dps_loaded, QString(), competitionId);
    EXPECT_TRUE(setUp->isEnabled());
    EXPECT_FALSE(print->isEnabled());
    EXPECT_FALSE(discard->isEnabled());

    // Set up on another computer: the path is not here.
    billingSetup.report(TDocPathStatus::dps_loaded, QStringLiteral("/nirgends/Quittung.docx"), competitionId);
    EXPECT_FALSE(print->isEnabled());
    EXPECT_EQ(print->text(), QStringLiteral("Quittungspfad nicht gefunden"));
    EXPECT_TRUE(discard->isEnabled());
    EXPECT_FALSE(setUp->isEnabled());
    script->expectMessage(QStringLiteral("Quittungsvorlage verwerfen"), TMsgAnswer::Yes);
    discard->trigger();
    EXPECT_EQ(billingSetup.removed, std::vector<int>{competitionId});
    EXPECT_TRUE(script->seen.back().text.contains(QStringLiteral("wurde auf diesem Computer nicht gefunden.")));

    // Another competition's report changes nothing.
    billingSetup.report(TDocPathStatus::dps_loaded, QString(), competitionId + 1000);
    EXPECT_EQ(print->text(), QStringLiteral("Quittungspfad nicht gefunden"));

    const QString document = standin.folder() + QStringLiteral("/Quittung.docx");
    QFile(document).open(QIODevice::WriteOnly);
    billingSetup.report(TDocPathStatus::dps_loaded, document, competitionId);
    EXPECT_TRUE(print->isEnabled());
    EXPECT_EQ(print->text(), QStringLiteral("Quittungen drucken/editieren..."));
    EXPECT_EQ(w.getCurrentDatafile(), standin.folder() + QStringLiteral("/Quittungsdaten.csv"));
    billingSetup.report(TDocPathStatus::dps_removing, QString(), competitionId);
    EXPECT_FALSE(discard->isEnabled());
}

TEST_F(ClubWindowTest, TheReceiptDataFileHasOneRowPerClubThatOwesAndOpensTheDocument)
{
    proto::AgeClassInfoType u10, u12;
    u10.BillingPricePerTeam = 25.0;
    u12.BillingPricePerTeam = 30.5;
    const int ac10 = seed->ageClass(competitionId, QStringLiteral("U10"), u10);
    const int ac12 = seed->ageClass(competitionId, QStringLiteral("U12"), u12);
    const int club = newClub(QStringLiteral("TSV Müller"), QStringLiteral("Kasse: Frau Ü"),
                             QStringLiteral("Hauptstr. 1\nÄrzteweg; 2"));
    newClub(QStringLiteral("Zahlt nichts"));
    seed->members(competitionId, seed->team(competitionId, QStringLiteral("Füchse"), ac10, club), 3);
    seed->members(competitionId, seed->team(competitionId, QStringLiteral("Bären"), ac12, club), 2);
    seed->athlete(competitionId, QStringLiteral("Ida"), QStringLiteral("Solo"), 0, club);
    seed->athlete(competitionId, QStringLiteral("Max"), QStringLiteral("Solo"), 0, club);
    client->cms()->setBillingPrice(competitionId, 4.5);
    TClubForm& w = open();

    QByteArray header = "Verein/Organisation;Gesamtbetrag;Bemerkung;Anschrift";
    for (int g = 1; g <= 10; ++g)
        header += QStringLiteral(";Team %1;Team %1 Altersklasse;Team %1 Teilnehmer;Team %1 Gebühr").arg(g).toLatin1();
    const QByteArray expected = header + "\r\n" +
                                QStringLiteral("TSV Müller;64,50;Kasse: Frau Ü;\"Hauptstr. 1\nÄrzteweg; 2\";"
                                               "Füchse;U10;3;25,00;Bären;U12;2;30,50;Ohne Team;-;2;9,00")
                                    .toLatin1() +
                                QByteArray(28, ';') + "\r\n";

    // Without a document: the user chooses the file.
    const QString chosen = standin.folder() + QStringLiteral("/quittung-vorlage.csv");
    script->expectFile(QStringLiteral("csv-Datei speichern"), chosen);
    action("Quittungsdruckvorlagealscsv1")->trigger();
    settle();
    EXPECT_EQ(fileBytes(chosen), expected);
    EXPECT_EQ(w.billingExport().columnCount(), 44);

    // With a document: the data file beside it, then the document opens.
    const QString document = standin.folder() + QStringLiteral("/Quittung.docx");
    QFile(document).open(QIODevice::WriteOnly);
    billingSetup.report(TDocPathStatus::dps_loaded, document, competitionId);
    action("Quittungendruckeneditieren1")->trigger();
    settle();
    EXPECT_EQ(fileBytes(w.getCurrentDatafile()), expected);
    EXPECT_EQ(opener.opened(), QStringList{document});

    opener.setExitStatus(1);
    action("Quittungendruckeneditieren1")->trigger();
    settle();
    ASSERT_TRUE(FakeOpener::settle());
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.lines().front(),
              QStringLiteral("Quittung anzeigen: Quittungsvorlage konnte nicht geöffnet werden. Stellen Sie sicher, "
                             "dass ein Programm zum Öffnen von docx-Dateien eingerichtet ist."));

    // Data that cannot be written: the document does not open with stale receipts.
    const QString blocked = standin.folder() + QStringLiteral("/gesperrt");
    ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/Quittungsdaten.csv")));
    QFile(blocked + QStringLiteral("/Quittung.docx")).open(QIODevice::WriteOnly);
    billingSetup.report(TDocPathStatus::dps_loaded, blocked + QStringLiteral("/Quittung.docx"), competitionId);
    opener.clear();
    opener.setExitStatus(0);
    action("Quittungendruckeneditieren1")->trigger();
    settle();
    EXPECT_TRUE(opener.opened().isEmpty());
    billingSetup.report(TDocPathStatus::dps_loaded, document, competitionId);

    // A document set up just now: its receipts follow at once.
    opener.clear();
    billingSetup.report(TDocPathStatus::dps_completed, document, competitionId);
    settle();
    EXPECT_EQ(opener.opened(), QStringList{document});

    // Dropping it with its files.
    script->expectMessage(QStringLiteral("Quittungsvorlage verwerfen"), TMsgAnswer::Yes);
    action("Quittungsvorlageverwerfen1")->trigger();
    EXPECT_EQ(billingSetup.removed, std::vector<int>{competitionId});
    EXPECT_FALSE(QFile::exists(document));
    EXPECT_FALSE(QFile::exists(w.getCurrentDatafile()));
}

TEST_F(ClubWindowTest, WhenNobodyOwesTheReceiptDataIsTheSampleClubWithTenTeamGroups)
{
    newClub(QStringLiteral("Zahlt nichts"));
    TClubForm& w = open();
    const QString chosen = standin.folder() + QStringLiteral("/muster.csv");
    script->expectFile(QStringLiteral("csv-Datei speichern"), chosen);
    action("Quittungsdruckvorlagealscsv1")->trigger();
    settle();
    const QList<QByteArray> lines = fileBytes(chosen).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0].count(';'), 43);
    EXPECT_TRUE(lines[1].startsWith("Musterverein;225,00;Testkommentar;\"Musteranschrift\r"));
    EXPECT_TRUE(fileBytes(chosen).contains("Musterteam 9;U12;10;25,00;;;;\r\n"));
}
