// The club window driven offscreen against the stand-in: creating, changing and deleting clubs
// with the server's refusals asked in the batch confirmation, assigning by drag and drop, the list
// search, the CSV export, the overview printout and the receipt data file.

#include "core/print/ui/Print.h"
#include "core/ui/MainWindowServices.h"
#include "participants/ui/ClubDialog.h"
#include "tests/core/print/PdfTools.h"
#include "tests/participants/FakeWindows.h"
#include "tests/participants/WindowFixture.h"
#include "tests/support/FakeServer.h"

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
        registry.place(TWindowId::BillingDocSetupForm, &billingSetup);
        registry.place(TWindowId::SearchForm, &search);
        registry.place(TWindowId::TeamForm, &teams);
        registry.place(TWindowId::AthleteForm, &athletes);
        setShellOpener([this](const QUrl& url) {
            opened << url.toLocalFile();
            return shellAnswer;
        });
    }
    void TearDown() override
    {
        window.reset();
        setShellOpener({});
        ParticipantWindowTest::TearDown();
    }

    // The window, shown and loaded.
    TClubForm& open()
    {
        window = std::make_unique<TClubForm>(context);
        registry.place(TWindowId::ClubForm, window.get());
        window->show();
        settle();
        return *window;
    }
    QTreeView* list() { return child<QTreeView>(*window, "ListView1"); }
    QLineEdit* name() { return child<QLineEdit>(*window, "Edit1"); }
    QLineEdit* remark() { return child<QLineEdit>(*window, "Edit2"); }
    QPlainTextEdit* address() { return child<QPlainTextEdit>(*window, "Memo1"); }
    QPushButton* save() { return child<QPushButton>(*window, "Button1"); }
    QPushButton* create() { return child<QPushButton>(*window, "Button2"); }
    QStringList names() { return column(list(), 0); }
    // The row of the club with that name in the list as shown.
    int rowOf(const QString& club) { return int(names().indexOf(club)); }

    FakeBillingSetup billingSetup;
    FakeSearchWindow search;
    FakeTeamWindow teams;
    FakeAthleteWindow athletes;
    QStringList opened;
    bool shellAnswer = true;
    std::unique_ptr<TClubForm> window;
};

} // namespace

TEST_F(ClubWindowTest, ACreatedClubIsListedAndTheEditorIsFreeForTheNext)
{
    TClubForm& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vereine/Organisationen"));
    EXPECT_FALSE(create()->isEnabled()) << "no name yet";
    type(name(), QStringLiteral("  TSV Adler  "));
    type(remark(), QStringLiteral("Gastverein"));
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
    EXPECT_EQ(child<QLabel>(w, "Label5")->text(), QStringLiteral("ID: -"));
    EXPECT_EQ(child<QLabel>(w, "Label1")->text(), QStringLiteral("Vereine/Organisationen in dieser Ansicht: 1"));
    EXPECT_FALSE(w.hasOverallDirtyData());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ClubWindowTest, ARefusedCreateKeepsWhatWasTyped)
{
    TClubForm& w = open();
    type(name(), QStringLiteral("LG Nord"));
    type(remark(), QStringLiteral("neu"));
    address()->setPlainText(QStringLiteral("Postfach 7"));
    // The competition went away meanwhile: the server refuses the club.
    client->cms()->removeCompetition(comp);
    create()->click();
    settle();

    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.front().caption, QStringLiteral("Verein/Organisation anlegen"));
    EXPECT_EQ(messages.messages.front().errorId, 3);
    EXPECT_EQ(name()->text(), QStringLiteral("LG Nord"));
    EXPECT_EQ(remark()->text(), QStringLiteral("neu"));
    EXPECT_EQ(address()->toPlainText(), QStringLiteral("Postfach 7"));
    EXPECT_TRUE(create()->isEnabled()) << "the user may send it again";
    EXPECT_TRUE(w.hasDirtyData(QString()));
}

TEST_F(ClubWindowTest, ChangesAreSavedAndLineEndingsAloneChangeNothing)
{
    const int adler =
        seed->club(comp, QStringLiteral("TSV Adler"), QStringLiteral("alt"), QStringLiteral("Nord\r\nSüd"));
    seed->club(comp, QStringLiteral("LG Berg"));
    TClubForm& w = open();
    selectRows(list(), {rowOf(QStringLiteral("TSV Adler"))});
    EXPECT_EQ(w.getSelected(), adler);
    EXPECT_EQ(child<QLabel>(w, "Label5")->text(), QStringLiteral("ID: %1").arg(adler));
    EXPECT_FALSE(w.hasDirtyData(QString())) << "CR LF stored, LF shown: the same text";
    EXPECT_FALSE(save()->isEnabled());

    // Only the tail of the stored text is not the same text.
    address()->setPlainText(QStringLiteral("Süd"));
    EXPECT_TRUE(w.hasDirtyData(QString()));
    address()->setPlainText(QStringLiteral("Nord\nSüd"));
    EXPECT_FALSE(w.hasDirtyData(QString()));

    type(remark(), QStringLiteral("neu"));
    ASSERT_TRUE(save()->isEnabled());
    save()->click();
    settle();
    EXPECT_EQ(seed->clubState(adler), QStringLiteral("TSV Adler|neu|Nord\nSüd"));
    EXPECT_FALSE(w.hasOverallDirtyData());
    EXPECT_FALSE(save()->isEnabled());
    EXPECT_EQ(w.getSelected(), adler) << "the club stays current";
}

TEST_F(ClubWindowTest, AnotherRowAsksBeforeUnsavedChangesAreLost)
{
    seed->club(comp, QStringLiteral("A-Verein"));
    const int b = seed->club(comp, QStringLiteral("B-Verein"));
    TClubForm& w = open();
    selectRows(list(), {rowOf(QStringLiteral("A-Verein"))});
    type(remark(), QStringLiteral("getippt"));

    script->expectMessage(w.windowTitle(), TMsgAnswer::No);
    selectRows(list(), {rowOf(QStringLiteral("B-Verein"))});
    EXPECT_EQ(remark()->text(), QStringLiteral("getippt")) << "kept";
    EXPECT_EQ(list()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list()->selectionModel()->selectedRows().front().row(), rowOf(QStringLiteral("A-Verein")));

    script->expectMessage(w.windowTitle(), TMsgAnswer::Yes);
    selectRows(list(), {rowOf(QStringLiteral("B-Verein"))});
    EXPECT_EQ(w.getSelected(), b);
    EXPECT_EQ(remark()->text(), QString());
}

TEST_F(ClubWindowTest, DeletingAskedAboutTeamsThenAthletesAndForcedWhenConfirmed)
{
    const int club = seed->club(comp, QStringLiteral("Zahlt noch"));
    const int team = seed->team(comp, QStringLiteral("Füchse"), 0, club);
    const int athlete = seed->athlete(comp, QStringLiteral("Ida"), QStringLiteral("Ahorn"), 0, club);
    open();
    selectRows(list(), {0});

    QString first, second;
    script->expectMessage(QStringLiteral("Vereine/Organisationen löschen"), TMsgAnswer::Yes);
    script->expectWindow(kDeleteCaption, confirm(QStringLiteral("Ja"), false, &first));
    script->expectWindow(kDeleteCaption, confirm(QStringLiteral("Ja"), false, &second));
    child<QAction>(*window, "Entfernen1")->trigger();
    settle();

    EXPECT_TRUE(first.contains(QStringLiteral("schon Teams zugewiesen")));
    EXPECT_TRUE(second.contains(QStringLiteral("schon Athleten zugewiesen")));
    EXPECT_EQ(seed->clubState(club), QStringLiteral("gone"));
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM teams WHERE id = ? AND billing_club_id IS NULL", team), 1);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athletes WHERE id = ? AND club_id IS NULL", athlete), 1);
    EXPECT_TRUE(names().isEmpty());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ClubWindowTest, NoLeavesTheClubAndYesForAllForcesTheRestOfTheChainUnasked)
{
    const int keep = seed->club(comp, QStringLiteral("A bleibt"));
    seed->team(comp, QStringLiteral("T0"), 0, keep);
    open();
    selectRows(list(), {0});
    script->expectMessage(QStringLiteral("Vereine/Organisationen löschen"), TMsgAnswer::Yes);
    script->expectWindow(kDeleteCaption, confirm(QStringLiteral("Nein"), false));
    child<QAction>(*window, "Entfernen1")->trigger();
    settle();
    EXPECT_EQ(names(), QStringList{QStringLiteral("A bleibt")});
    EXPECT_TRUE(messages.messages.empty()) << "declined is nothing to report";

    std::vector<int> clubs;
    for (const char* n : {"B", "C", "D"}) {
        clubs.push_back(seed->club(comp, QString::fromLatin1(n)));
        seed->team(comp, QStringLiteral("Team ") + QString::fromLatin1(n), 0, clubs.back());
    }
    window->reloadFormData(false);
    settle();
    selectRows(list(), {rowOf(QStringLiteral("B")), rowOf(QStringLiteral("C")), rowOf(QStringLiteral("D"))});
    script->expectMessage(QStringLiteral("Vereine/Organisationen löschen"), TMsgAnswer::Yes);
    script->expectWindow(kDeleteCaption, confirm(QStringLiteral("Ja"), true));
    script->seen.clear();
    child<QAction>(*window, "Entfernen1")->trigger();
    settle();
    EXPECT_EQ(script->seen.size(), 2u) << "one question for the whole chain";
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

    athletes.selected = {5, 6};
    script->expectMessage(QStringLiteral("Athleten Verein/Organisation zuweisen"), TMsgAnswer::Yes);
    drop(list(), rowOf(QStringLiteral("Berg")), QStringLiteral("AthleteForm/ListView1"));
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
    drop(list(), rowOf(QStringLiteral("Adler")), QStringLiteral("TeamForm/ListView1"));
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
    drop(list(), rowOf(QStringLiteral("Adler")), QStringLiteral("TeamForm/ListView1"));
    settle();
    const std::vector<std::string> ops = fake->operations();
    EXPECT_NE(std::find(ops.begin(), ops.end(), "rollbackTransaction"), ops.end());
    EXPECT_EQ(std::find(ops.begin(), ops.end(), "commitTransaction"), ops.end());
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.back().caption, QStringLiteral("Teams zuweisen"));

    // No ids, or not over a row: the drag is refused.
    teams.selected.clear();
    QMimeData data;
    data.setData(QStringLiteral("application/x-trivanta-list"), QByteArrayLiteral("TeamForm/ListView1"));
    QDragMoveEvent move(list()->visualRect(list()->model()->index(0, 0)).center(), Qt::MoveAction, &data,
                        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list()->viewport(), &move);
    EXPECT_FALSE(move.isAccepted());
}

TEST_F(ClubWindowTest, SearchAsksAboutUnsavedChangesAndSearchesTheFirstTwoColumns)
{
    seed->club(comp, QStringLiteral("Adler"));
    TClubForm& w = open();
    child<QAction>(w, "Suchen1")->trigger();
    ASSERT_EQ(search.openings, 1);
    ASSERT_EQ(search.openedOn.size(), 1u);
    EXPECT_EQ(search.openedOn[0], list());
    EXPECT_EQ(search.searchedColumns, (std::vector<int>{0, 1}));

    selectRows(list(), {0});
    type(remark(), QStringLiteral("getippt"));
    script->expectMessage(w.windowTitle(), TMsgAnswer::No);
    child<QAction>(w, "Suchen1")->trigger();
    EXPECT_EQ(search.openings, 1) << "kept the changes, no search";
    script->expectMessage(w.windowTitle(), TMsgAnswer::Yes);
    child<QAction>(w, "Suchen1")->trigger();
    EXPECT_EQ(search.openings, 2);
    EXPECT_EQ(w.getSelected(), 0) << "discarding clears the selection and the editor";
    EXPECT_EQ(remark()->text(), QString());
}

TEST_F(ClubWindowTest, TheListExportsAsShownAndACancelledDialogIsNoError)
{
    seed->club(comp, QStringLiteral("Zeitz; Süd"), QStringLiteral("mit \"Anführung\""));
    const int adler = seed->club(comp, QStringLiteral("Adler"));
    open();
    const QString file = standin.folder() + QStringLiteral("/vereine.csv");
    script->expectFile(QStringLiteral("csv-Datei speichern"), file);
    child<QAction>(*window, "Alscsv1")->trigger();
    const QByteArray expected = QStringLiteral("Verein/Organisation;Bemerkung;ID\r\n"
                                               "Adler;;%1\r\n"
                                               "\"Zeitz; Süd\";\"mit \"\"Anführung\"\"\";%2\r\n")
                                    .arg(adler)
                                    .arg(adler - 1)
                                    .toLatin1();
    EXPECT_EQ(fileBytes(file), expected);

    script->expectFile(QStringLiteral("csv-Datei speichern"), QString());
    child<QAction>(*window, "Alscsv1")->trigger();
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ClubWindowTest, TheOverviewPrintsTheListInItsOrderAndAnEmptyListStillPrintsItsPage)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const QString pdf = standin.folder() + QStringLiteral("/vereine.pdf");
    open();
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    child<QAction>(*window, "Vereinsorganisationsbersicht1")->trigger();
    ASSERT_EQ(pdfPageCount(pdf), 1);
    QStringList lines = pageLines(pdfPages(pdf).front());
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("Vereinsund Organisationsübersicht (Druck: ")));
    EXPECT_EQ(lines.at(1), QStringLiteral("Verein/Organisation Bemerkung"));
    EXPECT_EQ(lines.last(), todaysFooter());

    for (int i = 0; i < 130; ++i)
        seed->club(comp, QStringLiteral("Verein %1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("Nr. %1").arg(i));
    window->reloadFormData(false);
    settle();
    // Sorted by the remark, descending: the list's order is the printout's.
    emit list()->header()->sectionClicked(1);
    emit list()->header()->sectionClicked(1);
    const QString first = names().front();
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    child<QAction>(*window, "Vereinsorganisationsbersicht1")->trigger();
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
    EXPECT_EQ(billingSetup.pathAsked.back(), comp);
    QAction* print = action(w, "Quittungendruckeneditieren1");
    QAction* setUp = action(w, "Quittungsvorlageeinrichten1");
    QAction* discard = action(w, "Quittungsvorlageverwerfen1");
    billingSetup.report(TDocPathStatus::dps_loaded, QString(), comp);
    EXPECT_TRUE(setUp->isEnabled());
    EXPECT_FALSE(print->isEnabled());
    EXPECT_FALSE(discard->isEnabled());

    // Set up on another computer: the path is not here.
    billingSetup.report(TDocPathStatus::dps_loaded, QStringLiteral("/nirgends/Quittung.docx"), comp);
    EXPECT_FALSE(print->isEnabled());
    EXPECT_EQ(print->text(), QStringLiteral("Quittungspfad nicht gefunden"));
    EXPECT_TRUE(discard->isEnabled());
    EXPECT_FALSE(setUp->isEnabled());
    script->expectMessage(QStringLiteral("Quittungsvorlage verwerfen"), TMsgAnswer::Yes);
    discard->trigger();
    EXPECT_EQ(billingSetup.removed, std::vector<int>{comp});
    EXPECT_TRUE(script->seen.back().text.contains(QStringLiteral("wurde auf diesem Computer nicht gefunden.")));

    // Another competition's report changes nothing.
    billingSetup.report(TDocPathStatus::dps_loaded, QString(), comp + 1000);
    EXPECT_EQ(print->text(), QStringLiteral("Quittungspfad nicht gefunden"));

    const QString document = standin.folder() + QStringLiteral("/Quittung.docx");
    QFile(document).open(QIODevice::WriteOnly);
    billingSetup.report(TDocPathStatus::dps_loaded, document, comp);
    EXPECT_TRUE(print->isEnabled());
    EXPECT_EQ(print->text(), QStringLiteral("Quittungen drucken/editieren..."));
    EXPECT_EQ(w.getCurrentDatafile(), standin.folder() + QStringLiteral("/Quittungsdaten.csv"));
    billingSetup.report(TDocPathStatus::dps_removing, QString(), comp);
    EXPECT_FALSE(discard->isEnabled());
}

TEST_F(ClubWindowTest, TheReceiptDataFileHasOneRowPerClubThatOwesAndOpensTheDocument)
{
    proto::AgeClassInfoType u10, u12;
    u10.BillingPricePerTeam = 25.0;
    u12.BillingPricePerTeam = 30.5;
    const int ac10 = seed->ageClass(comp, QStringLiteral("U10"), u10);
    const int ac12 = seed->ageClass(comp, QStringLiteral("U12"), u12);
    const int club = seed->club(comp, QStringLiteral("TSV Müller"), QStringLiteral("Kasse: Frau Ü"),
                                QStringLiteral("Hauptstr. 1\nÄrzteweg; 2"));
    seed->club(comp, QStringLiteral("Zahlt nichts"));
    seed->members(comp, seed->team(comp, QStringLiteral("Füchse"), ac10, club), 3);
    seed->members(comp, seed->team(comp, QStringLiteral("Bären"), ac12, club), 2);
    seed->athlete(comp, QStringLiteral("Ida"), QStringLiteral("Solo"), 0, club);
    seed->athlete(comp, QStringLiteral("Max"), QStringLiteral("Solo"), 0, club);
    client->cms()->setBillingPrice(comp, 4.5);
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
    action(w, "Quittungsdruckvorlagealscsv1")->trigger();
    settle();
    EXPECT_EQ(fileBytes(chosen), expected);
    EXPECT_EQ(w.billingExport().columnCount(), 44);

    // With a document: the data file beside it, then the document opens.
    const QString document = standin.folder() + QStringLiteral("/Quittung.docx");
    QFile(document).open(QIODevice::WriteOnly);
    billingSetup.report(TDocPathStatus::dps_loaded, document, comp);
    action(w, "Quittungendruckeneditieren1")->trigger();
    settle();
    EXPECT_EQ(fileBytes(w.getCurrentDatafile()), expected);
    EXPECT_EQ(opened, QStringList{document});

    shellAnswer = false;
    action(w, "Quittungendruckeneditieren1")->trigger();
    settle();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.lines().front(),
              QStringLiteral("Quittung anzeigen: Quittungsvorlage konnte nicht geöffnet werden. Stellen Sie sicher, "
                             "dass ein Programm zum Öffnen von docx-Dateien eingerichtet ist."));

    // A document set up just now: its receipts follow at once.
    opened.clear();
    shellAnswer = true;
    billingSetup.report(TDocPathStatus::dps_completed, document, comp);
    settle();
    EXPECT_EQ(opened, QStringList{document});

    // Dropping it with its files.
    script->expectMessage(QStringLiteral("Quittungsvorlage verwerfen"), TMsgAnswer::Yes);
    action(w, "Quittungsvorlageverwerfen1")->trigger();
    EXPECT_EQ(billingSetup.removed, std::vector<int>{comp});
    EXPECT_FALSE(QFile::exists(document));
    EXPECT_FALSE(QFile::exists(w.getCurrentDatafile()));
}

TEST_F(ClubWindowTest, WhenNobodyOwesTheReceiptDataIsTheSampleClubWithTenTeamGroups)
{
    seed->club(comp, QStringLiteral("Zahlt nichts"));
    TClubForm& w = open();
    const QString chosen = standin.folder() + QStringLiteral("/muster.csv");
    script->expectFile(QStringLiteral("csv-Datei speichern"), chosen);
    action(w, "Quittungsdruckvorlagealscsv1")->trigger();
    settle();
    const QList<QByteArray> lines = fileBytes(chosen).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0].count(';'), 43);
    EXPECT_TRUE(lines[1].startsWith("Musterverein;225,00;Testkommentar;\"Musteranschrift\r"));
    EXPECT_TRUE(fileBytes(chosen).contains("Musterteam 9;U12;10;25,00;;;;\r\n"));
}
