// The result entry window against the stand-in, typed into as a user types.

#include "core/barcode/BarcodeDispatcher.h"
#include "core/barcode/BarcodeUtils.h"
#include "core/results/tvpUtils.h"
#include "core/print/ui/Print.h"
#include "tests/core/print/PdfTools.h"
#include "results/ui/AquireBibOrderDialog.h"
#include "tests/results/ResultWindowFixture.h"
#include "tests/results/StoredRanks.h"
#include "tests/support/Ink.h"
#include "tests/support/TextFit.h"
#include "core/ui/WindowFit.h"
#include "participants/ui/TeamMemberWarningDialog.h"
#include "scoring/ui/AnalyseDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>
#include <thread>

namespace tvp::test {
namespace {

using S = TSetResultStatus;

TEST_F(ResultWindowTest, ByAthleteEnterGoesDownSpaceAndPlusAlongAndMinusDeletes)
{
    const int dan = seed->athlete(comp, QStringLiteral("Dan"), QStringLiteral("Dachs"), owls, 0, {11});
    seed->placeAthleteAt(jump, dan, 1, 4); // place 3 stays empty
    open(jump);
    ASSERT_TRUE(grid()->isVisible());
    ASSERT_EQ(model().rowCount(), 4);
    QStringList header;
    for (int c = 0; c < model().columnCount(); ++c)
        header << model().headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(header, (QStringList{"#", "Startnr.", "Team", "AthletIn", "1. Versuch", "2. Versuch"}));
    EXPECT_EQ(model().index(0, 3).data().toString(), QStringLiteral("Berg, Anna"));
    EXPECT_EQ(model().index(0, 1).data().toString(), QStringLiteral("7"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("-"));

    go(0, 1);
    type(QStringLiteral("4,5"));
    press(Qt::Key_Return);
    EXPECT_EQ(state(0, 1), S::sr_pending) << "grey until the stand-in answers";
    EXPECT_EQ(cursor(), std::make_pair(1, 1));
    ASSERT_TRUE(settled());
    EXPECT_EQ(state(0, 1), S::sr_uptodate);
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QStringLiteral("Distance 4.5"));

    // Space never reaches the text: the value stores and the cursor goes along the row.
    type(QStringLiteral("3,9"));
    press(Qt::Key_Space);
    EXPECT_EQ(cursor(), std::make_pair(1, 2));
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", ben), QStringLiteral("Distance 3.9"));

    // "+" after the last attempt goes to the next row that takes results: the empty place is passed.
    type(QStringLiteral("4"));
    press(Qt::Key_Plus);
    EXPECT_EQ(cursor(), std::make_pair(3, 1));
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 2, "athlete_id", ben), QStringLiteral("Distance 4"));

    // Enter in the last row goes to the first row of the next attempt.
    go(3, 1);
    press(Qt::Key_Return);
    EXPECT_EQ(cursor(), std::make_pair(0, 2));
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", dan), QString()) << "an unchanged \"-\" deletes nothing there";

    // "-" deletes: grey until confirmed, then no result.
    go(0, 1);
    type(QStringLiteral("-"));
    press(Qt::Key_Return);
    EXPECT_EQ(state(0, 1), S::sr_pending);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QString());
    EXPECT_EQ(cell(0, 1), QStringLiteral("-"));
    EXPECT_FALSE(form->cache()->hasUncommitedChanges());
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

TEST_F(ResultWindowTest, UnreadableInputStaysRedUnsentAndTypingBackRestoresTheColour)
{
    open(jump);
    go(0, 2);
    type(QStringLiteral("abc"));
    press(Qt::Key_Return);
    EXPECT_EQ(form->pendingRequests(), 0u) << "nothing sent";
    EXPECT_EQ(state(0, 2), S::sr_error);
    EXPECT_EQ(cell(0, 2), QStringLiteral("abc"));
    EXPECT_EQ(cursor(), std::make_pair(0, 2)) << "the cursor stays";
    const QString status =
        QStringLiteral("Status der Zelle(Anna Berg, Versuch 2): Fehler: Kein gültiges Ergebnisformat");
    EXPECT_EQ(model().cellStatusText(grid()->currentIndex()), status);
    script->expectMessage(QStringLiteral("Warnmeldung anzeigen"), TMsgAnswer::Ok);
    form->findChild<QAction*>(QStringLiteral("Fehlermeldunganzeigen1"))->trigger();
    ASSERT_FALSE(script->seen.empty());
    EXPECT_EQ(script->seen.back().text, status);
    EXPECT_EQ(stored(jump, 2, "athlete_id", anna), QString());

    // An edited cell turns silver; typing the stored text back gives its colour back.
    go(1, 1);
    type(QStringLiteral("5"));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    const QString storedText = cell(1, 1);
    go(1, 1);
    type(QStringLiteral("6"));
    EXPECT_EQ(state(1, 1), S::sr_edited);
    press(Qt::Key_Backspace);
    for (QChar ch : storedText)
        QTest::keyClick(grid()->editorWidget(), ch.toLatin1());
    EXPECT_EQ(state(1, 1), S::sr_uptodate);
}

// A unit pattern shows a time as "2:05 min". Enter on a stored cell that nobody typed into sends
// nothing and moves on, all down a column; what the user does type is read, the shown form too.
TEST_F(ResultWindowTest, EnterOnAStoredCellNobodyTypedIntoSendsNothing)
{
    const int run = discipline(QStringLiteral("Lauf"), 2, false, "byAthleteOrTeam", QStringLiteral("Time"));
    seed->db()
        .query("UPDATE disciplines SET result_table_unit_pattern = '$(/60|.0):$(%60|.0|.-2) min' WHERE id = ?", run)
        .run();
    int seconds = 125;
    for (int athlete : {anna, ben}) {
        seed->placeAthlete(run, athlete, 1);
        const int r = seed->result(run, athlete);
        seed->db().query("UPDATE results SET kind = 'Time', time_in_seconds = ? WHERE id = ?", seconds++, r).run();
    }
    open(run);
    ASSERT_EQ(cell(0, 1), QStringLiteral("2:05 min"));
    const auto click = [this](int row, int attempt) {
        const QRect r = grid()->visualRect(model().index(row, model().columnOfAttempt(attempt)));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, r.center());
    };

    click(0, 1);
    press(Qt::Key_Return);
    EXPECT_EQ(cursor(), std::make_pair(1, 1)) << "down the column as after a store";
    // The editor opened on the shown text and left unchanged is no input either.
    press(Qt::Key_F2);
    ASSERT_TRUE(grid()->isEditing());
    press(Qt::Key_Return);
    EXPECT_EQ(cursor(), std::make_pair(0, 2));
    EXPECT_EQ(form->pendingRequests(), 0u) << "nothing sent";
    EXPECT_EQ(state(0, 1), S::sr_uptodate);
    EXPECT_EQ(state(1, 1), S::sr_uptodate);
    EXPECT_FALSE(form->cache()->hasUncommitedChanges()) << "the window has nothing unsaved";

    // Editing the shown text: "2:05 min" becomes "2:10 min", which reads as 130 seconds.
    click(0, 1);
    press(Qt::Key_F2);
    press(Qt::Key_Home);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Delete);
    press(Qt::Key_Delete);
    QTest::keyClicks(grid()->editorWidget(), QStringLiteral("10"));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(run, 1, "athlete_id", anna), QStringLiteral("Time 130"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("2:10 min"));
    EXPECT_EQ(state(0, 1), S::sr_uptodate);

    // Typed, then left with Escape: the text is gone, and with it the mark that asks for Enter; the
    // cell is as stored and Enter on it sends nothing.
    click(1, 1);
    type(QStringLiteral("3:00"));
    ASSERT_EQ(state(1, 1), S::sr_edited);
    press(Qt::Key_Escape);
    EXPECT_FALSE(grid()->isEditing());
    EXPECT_EQ(state(1, 1), S::sr_uptodate);
    EXPECT_EQ(cell(1, 1), QStringLiteral("2:06 min"));
    EXPECT_FALSE(form->cache()->hasUncommitedChanges());
    press(Qt::Key_Return);
    EXPECT_EQ(form->pendingRequests(), 0u);
    EXPECT_EQ(stored(run, 1, "athlete_id", ben), QStringLiteral("Time 126"));

    // Typed, then left with a click: the text stays, marked, and Enter on it stores what was typed.
    click(1, 1);
    type(QStringLiteral("3:00"));
    click(0, 2);
    EXPECT_EQ(cell(1, 1), QStringLiteral("3:00"));
    EXPECT_EQ(state(1, 1), S::sr_edited);
    click(1, 1);
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(run, 1, "athlete_id", ben), QStringLiteral("Time 180"));
    EXPECT_EQ(state(1, 1), S::sr_uptodate);
}

// Home goes to the row's "#" column. The value typed there is the row's first, never a search that
// jumps to the row whose number begins with the digits, and "x" and the next value follow it.
TEST_F(ResultWindowTest, HomeAndAValueStayInTheRow)
{
    const int ball = discipline(QStringLiteral("Ballwurf"), 3, false, "byAthleteOrTeam", QStringLiteral("Distance"));
    for (int athlete : {anna, ben, cara})
        seed->placeAthlete(ball, athlete, 1);
    seed->placeAthleteAt(ball, seed->athlete(comp, QStringLiteral("Dan"), QStringLiteral("Dachs"), owls, 0, {11}), 1,
                         5); // place 4 stays empty
    open(ball);
    ASSERT_EQ(model().rowCount(), 5);
    ASSERT_EQ(model().index(2, 0).data().toString(), QStringLiteral("3"));
    const int second = model().athleteId(1);
    const int third = model().athleteId(2);

    go(0, 1);
    for (const char* keys : {"25,5", " ", "27", " ", "26,25"})
        type(QString::fromLatin1(keys));
    press(Qt::Key_Return);
    EXPECT_EQ(cursor(), std::make_pair(1, 3));
    press(Qt::Key_Home);
    ASSERT_EQ(grid()->currentIndex().column(), 0);
    for (const char* keys : {"3,5", " ", "x", " ", "19,75"})
        type(QString::fromLatin1(keys));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(ball, 1, "athlete_id", second), QStringLiteral("Distance 3.5"));
    EXPECT_EQ(stored(ball, 2, "athlete_id", second), QStringLiteral("Info 0"));
    EXPECT_EQ(stored(ball, 3, "athlete_id", second), QStringLiteral("Distance 19.75"));
    for (int attempt = 1; attempt <= 3; ++attempt)
        EXPECT_EQ(stored(ball, attempt, "athlete_id", third), QString()) << "nothing for the third row";

    // A row without athlete takes no value: a digit typed on it starts nothing.
    go(3, 1);
    type(QStringLiteral("4"));
    EXPECT_FALSE(grid()->isEditing());
    EXPECT_EQ(cursor(), std::make_pair(3, 1));
}

TEST_F(ResultWindowTest, ByBibStoresTheRowsFirstBib)
{
    open(throwing);
    EXPECT_EQ(model().headerData(1, Qt::Horizontal).toString(), QStringLiteral("*Startnr."));
    for (const tvp::test::CutText& cut : tvp::test::cutTexts(*grid()))
        ADD_FAILURE() << tvp::test::describe(cut) << " (the mark of capture by bib must show)";
    EXPECT_EQ(model().index(1, 1).data().toString(), QStringLiteral("9,10"));
    go(0, 1);
    type(QStringLiteral("30"));
    press(Qt::Key_Return);
    type(QStringLiteral("25"));
    expectBibChoice(0); // Cara holds two bibs: the first, selected when asked
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(throwing, 1, "bib", 7), QStringLiteral("Distance 30"));
    EXPECT_EQ(stored(throwing, 1, "bib", 9), QStringLiteral("Distance 25"));
    EXPECT_EQ(state(0, 1), S::sr_uptodate);
    EXPECT_EQ(state(1, 1), S::sr_uptodate);
}

TEST_F(ResultWindowTest, ByLaneAnEmptyPlaceTakesInputAndItsRefusalTurnsRed)
{
    recorder.messages.serverTexts[1303] = QStringLiteral("Auf diesem Platz steht niemand.");
    open(sprint);
    ASSERT_EQ(model().rowCount(), 3);
    EXPECT_EQ(model().headerData(0, Qt::Horizontal).toString(), QStringLiteral("*#"));
    EXPECT_EQ(model().index(1, 0).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(model().index(1, 3).data().toString(), QString());
    go(0, 1);
    type(QStringLiteral("9,8"));
    press(Qt::Key_Return);
    EXPECT_EQ(cursor(), std::make_pair(1, 1)) << "by lane no place is passed";
    type(QStringLiteral("10"));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(sprint, 1, "athlete_id", anna), QStringLiteral("Time 9.8"));
    EXPECT_EQ(state(0, 1), S::sr_uptodate);
    EXPECT_EQ(state(1, 1), S::sr_error) << "the stand-in refuses a store into an empty place";
    EXPECT_NE(cell(1, 1), QStringLiteral("-")) << "the refused value stays to be corrected";
    const QString status = model().cellStatusText(model().index(1, model().columnOfAttempt(1)));
    EXPECT_TRUE(status.contains(QStringLiteral("Fehler: ")));
    EXPECT_TRUE(status.contains(QStringLiteral("Auf diesem Platz steht niemand."))) << "in the server's own words";
    EXPECT_TRUE(recorder.messages.messages.empty()) << "a refusal shows in the cell only";
    EXPECT_TRUE(form->cache()->hasUncommitedChanges());
}

TEST_F(ResultWindowTest, TeamDisciplinesStoreForTheTeam)
{
    open(relay);
    QStringList header;
    for (int c = 0; c < model().columnCount(); ++c)
        header << model().headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(header, (QStringList{"#", "Startnr.", "Team", "1. Lauf"}));
    EXPECT_EQ(model().index(0, 1).data().toString(), QStringLiteral("7,8"));
    go(0, 1);
    type(QStringLiteral("55,2"));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(storedForTeam(relay, 1, foxes), QStringLiteral("Time 55.2"));
    EXPECT_EQ(state(0, 1), S::sr_uptodate) << "confirmed by the team id the stand-in answers";
}

TEST_F(ResultWindowTest, AStoreUnansweredOverAReloadShowsYellowAndStoresOneAfterTheOther)
{
    open(jump);
    // Another client holds the write lock: the store waits while the window reloads.
    StandinClient other(standin.port());
    other.begin(false);
    go(0, 1);
    type(QStringLiteral("4"));
    press(Qt::Key_Return);
    go(0, 1);
    type(QStringLiteral("5"));
    press(Qt::Key_Return);
    go(0, 2);
    type(QStringLiteral("6"));
    press(Qt::Key_Return);
    form->reloadFormData(false);
    ASSERT_TRUE(waitUntil([&] { return state(0, 1) == S::sr_uncommited; }, 5000));
    EXPECT_TRUE(cell(0, 1).startsWith(u'5')) << "the newest of the queued changes: " << cell(0, 1).toStdString();
    EXPECT_EQ(state(0, 2), S::sr_uncommited) << "every attempt's queued change comes back";
    other.rollback();
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QStringLiteral("Distance 5")) << "typing order kept";
    EXPECT_EQ(stored(jump, 2, "athlete_id", anna), QStringLiteral("Distance 6"));
    EXPECT_EQ(state(0, 1), S::sr_uptodate);
    EXPECT_EQ(state(0, 2), S::sr_uptodate);
}

TEST_F(ResultWindowTest, ARefusalForADisciplineLeftMeanwhileMarksNothing)
{
    // Refused by the stand-in once it waited this long for the write lock.
    standin.stop();
    standin.options.writeWait = std::chrono::milliseconds(1500);
    standin.start();
    competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
    // ... and not begun again: the store's time is up by then.
    const int savedWait = CommTimeouts::channelWaitMs;
    CommTimeouts::channelWaitMs = 1000;
    const auto restore = qScopeGuard([&] { CommTimeouts::channelWaitMs = savedWait; });
    const int high = discipline(QStringLiteral("Hochsprung"), 2, false, "byAthleteOrTeam", QStringLiteral("Distance"));
    seed->placeAthlete(high, anna, 1);
    open(jump);
    StandinClient other(standin.port());
    other.begin(false);
    go(0, 1);
    type(QStringLiteral("4"));
    press(Qt::Key_Return);
    // Leaving with a pending cell asks first.
    script->expectMessage(QStringLiteral("Leistungen erfassen"), TMsgAnswer::Yes);
    form->showAndLoadDisciplin(high, 1, IResultDialog::kNoVersion, 0);
    ASSERT_TRUE(waitUntil([&] { return form->currentDiscipline() == high && model().rowCount() == 1; }, 5000));
    ASSERT_TRUE(settled());
    other.rollback();
    EXPECT_EQ(state(0, 1), S::sr_noResult) << "Anna's cell of the other discipline stays as it was";
    EXPECT_FALSE(form->cache()->hasUncommitedChanges());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QString());
}

TEST_F(ResultWindowTest, UnitPatternsFormatCellsAndAnUnreadableOneFallsBackOncePerLoad)
{
    const int run = discipline(QStringLiteral("Lauf"), 1, false, "byAthleteOrTeam", QStringLiteral("Time"));
    seed->db()
        .query("UPDATE disciplines SET result_table_unit_pattern = '$(/60|.0):$(%60|.0|.-2) min' WHERE id = ?", run)
        .run();
    seed->placeAthlete(run, anna, 1);
    // An id from the server's sequence: 1 would be the client's "no result".
    const int r = seed->result(run, anna);
    seed->db().query("UPDATE results SET kind = 'Time', time_in_seconds = 125 WHERE id = ?", r).run();
    open(run);
    EXPECT_EQ(cell(0, 1), QStringLiteral("2:05 min"));

    // A discipline whose pattern cannot be read; the cache is made anew for it.
    const int broken = discipline(QStringLiteral("Lauf 2"), 1, false, "byAthleteOrTeam", QStringLiteral("Time"));
    seed->db().query("UPDATE disciplines SET result_table_unit_pattern = '$(.0' WHERE id = ?", broken).run();
    seed->placeAthlete(broken, anna, 1);
    const int r2 = seed->result(broken, anna);
    seed->db().query("UPDATE results SET kind = 'Time', time_in_seconds = 125 WHERE id = ?", r2).run();
    open(broken);
    ASSERT_TRUE(grid()->isVisible());
    proto::ResultType plain;
    plain.Type_ = proto::ResultValueType::Time;
    plain.TimeInSeconds = 125;
    EXPECT_EQ(cell(0, 1), ResultToString(plain, TResultformat::rf_Default, QString()));
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Ergebniseingabeliste laden: Schließende Klammer \")\" nicht gefunden")});
    // Typing and storing go on; the next load reports it again, once.
    go(0, 1);
    type(QStringLiteral("130"));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(stored(broken, 1, "athlete_id", anna).startsWith(QStringLiteral("Time ")));
    EXPECT_NE(stored(broken, 1, "athlete_id", anna), QStringLiteral("Time 125"));
    EXPECT_EQ(recorder.messages.messages.size(), 1u);
    form->reloadFormData(false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(recorder.messages.messages.size(), 2u);
}

TEST_F(ResultWindowTest, AListBarcodeOpensItsHeatAndMarksChangedRows)
{
    seed->db()
        .query("UPDATE heat_assignments SET version = 8 WHERE athlete_id = ? AND discipline_id = ?", ben, jump)
        .run();
    const int barcode = seed->value("SELECT barcode FROM disciplines WHERE id = ?", jump);
    const QString code = disciplineListBarcode({barcode, 0, 7, 0});
    ASSERT_EQ(barcodeDispatcher().processBarcode(code), TBarcodeDispatcher::Outcome::Taken);
    ASSERT_TRUE(waitUntil([&] { return form->currentDiscipline() == jump && form->isVisible(); }, 2000));
    ASSERT_TRUE(settled());
    EXPECT_EQ(form->currentHeat(), 1);
    EXPECT_TRUE(form->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isChecked());
    EXPECT_EQ(form->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("7"));
    EXPECT_FALSE(model().index(0, 0).data(TResultGridModel::kChangedRole).toBool());
    EXPECT_TRUE(model().index(1, 4).data(TResultGridModel::kChangedRole).toBool());
    EXPECT_EQ(grid()->currentIndex().row(), 0);

    barcodeDispatcher().processBarcode(QStringLiteral("L"));
    ASSERT_TRUE(waitUntil([&] { return !recorder.messages.messages.empty(); }, 2000));
    EXPECT_EQ(recorder.messages.lines(), QStringList{"Barcode scannen: Ungültiger Wettkampflistenbarcode"});
}

// A refused value waits in the grid when an answer (a timing import's, say) brings another discipline:
// whether to leave it is asked beside, without holding the program, "Nein" under Enter, and only
// "Ja" loads the other discipline.
TEST_F(ResultWindowTest, LeavingARefusedValueForADisciplineAnAnswerBringsIsAskedWithoutWaiting)
{
    recorder.messages.serverTexts[1303] = QStringLiteral("Auf diesem Platz steht niemand.");
    open(sprint);
    go(1, 1);
    type(QStringLiteral("10"));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    ASSERT_EQ(state(1, 1), S::sr_error);
    const QString caption = form->windowTitle();
    for (const TMsgAnswer given : {TMsgAnswer::No, TMsgAnswer::Yes}) {
        script->expectHeld(caption);
        bool returned = false;
        QTimer::singleShot(0, [&] {
            form->showAndLoadDisciplin(jump, 1, IResultDialog::kNoVersion, 0);
            returned = true;
        });
        ASSERT_TRUE(waitUntil([&] { return returned; }, 5000));
        ASSERT_EQ(script->held.size(), 1u) << "asked in a loop of its own";
        EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No);
        EXPECT_EQ(form->currentDiscipline(), sprint);
        ASSERT_TRUE(script->answer(caption, given));
        ASSERT_TRUE(settled());
        EXPECT_EQ(form->currentDiscipline(), given == TMsgAnswer::Yes ? jump : sprint);
    }
}

// The question waits without holding the program. "Alles neu laden" unloads the window meanwhile,
// and the "Ja" given afterwards assigns nobody to the discipline shown before.
TEST_F(ResultWindowTest, AQuestionAnsweredAfterItsWindowWasUnloadedChangesNothing)
{
    script->expectHeld(QStringLiteral("Athlet hinzufügen"));
    form->goToAthlete(throwing, ben, 0, true, IResultDialog::kNoVersion, true, false);
    ASSERT_TRUE(settled());
    ASSERT_EQ(script->held.size(), 1u);
    windows.unload(TWindowId::ResultDialog);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(script->answer(QStringLiteral("Athlet hinzufügen"), TMsgAnswer::Yes));
    ASSERT_TRUE(settled());
    const std::string placed =
        "SELECT COUNT(*) FROM heat_assignments WHERE discipline_id = " + std::to_string(throwing) +
        " AND athlete_id = ?";
    EXPECT_EQ(seed->count(placed.c_str(), ben), 0);
}

TEST_F(ResultWindowTest, GoToAnAthleteNotPlacedAssignsItAfterTheQuestion)
{
    script->expectMessage(QStringLiteral("Athlet hinzufügen"), TMsgAnswer::Yes);
    form->goToAthlete(throwing, ben, 0, true, IResultDialog::kNoVersion, true, false);
    ASSERT_TRUE(settled());
    ASSERT_TRUE(settled());
    const std::string heatOfBen =
        "SELECT heat_no FROM heat_assignments WHERE discipline_id = " + std::to_string(throwing) +
        " AND athlete_id = ?";
    EXPECT_EQ(seed->value(heatOfBen.c_str(), ben), 1);
    const QModelIndex current = grid()->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(model().athleteId(current.row()), ben);
    EXPECT_TRUE(athletes.calls.contains(QStringLiteral("discParticipantsUpdated %1").arg(throwing)));

    // Heats numbered with a gap: the athlete's heat is found by its number, not its position.
    seed->db()
        .query("UPDATE heat_assignments SET heat_no = 4 WHERE athlete_id = ? AND discipline_id = ?", cara, jump)
        .run();
    form->goToAthlete(jump, cara, 2, false, IResultDialog::kNoVersion, true, false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(form->currentHeat(), 4);
    EXPECT_EQ(form->findChild<QComboBox*>(QStringLiteral("ComboBox2"))->currentText(), QStringLiteral("4"));
    ASSERT_TRUE(grid()->currentIndex().isValid());
    EXPECT_EQ(model().athleteId(grid()->currentIndex().row()), cara);
    EXPECT_EQ(model().attemptOfColumn(grid()->currentIndex().column()), 2);
}

TEST_F(ResultWindowTest, FinishingOrderAndTallySheetReachTheirWindowsWithRowAndAttempt)
{
    const int finish = discipline(QStringLiteral("Zieleinlauf"), 2, false, "byBib", QStringLiteral("Rank"));
    seed->placeAthlete(finish, anna, 1);
    open(finish);
    QAction* order = form->findChild<QAction*>(QStringLiteral("Rangfolgeerfassen1"));
    ASSERT_TRUE(order->isEnabled());
    script->expectText(QStringLiteral("Laufnummer wählen"), QStringLiteral("2"));
    order->trigger();
    EXPECT_EQ(finishingOrder.calls, QStringList{QStringLiteral("showDialog %1 2").arg(finish)});
    script->expectText(QStringLiteral("Laufnummer wählen"), QStringLiteral("3"));
    order->trigger();
    EXPECT_EQ(recorder.messages.lines(), QStringList{"Rangfolge erfassen: Ungültige Versuchsnummer"});

    uiInfo(QStringLiteral("Disciplin_ResultFormat"), jump, QStringLiteral("Points"));
    open(jump);
    QAction* tallySheet = form->findChild<QAction*>(QStringLiteral("Zonenstrichliste1"));
    ASSERT_TRUE(tallySheet->isEnabled());
    go(1, 2);
    tallySheet->trigger();
    EXPECT_EQ(tally.calls, QStringList{QStringLiteral("ShowTallyDialog %1 %2 2").arg(jump).arg(ben)});
}

TEST_F(ResultWindowTest, ARankHeldByAnotherBibIsRefusedWithAHintToTheFinishingOrder)
{
    const int finish = discipline(QStringLiteral("Zieleinlauf"), 1, false, "byBib", QStringLiteral("Rank"));
    seed->placeAthlete(finish, anna, 1);
    seed->placeAthlete(finish, cara, 1);
    open(finish);
    go(0, 1);
    type(QStringLiteral("1"));
    press(Qt::Key_Return);
    type(QStringLiteral("1"));
    expectBibChoice(0);
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(state(0, 1), S::sr_uptodate);
    ASSERT_EQ(state(1, 1), S::sr_error);
    const QString status = model().cellStatusText(model().index(1, model().columnOfAttempt(1)));
    EXPECT_TRUE(status.endsWith(QStringLiteral(" Sie können zu Analyse des Problems das Fenster \"Rangfolge erfassen\" "
                                               "im Menu \"Erfassungshilfen\" verwenden.")))
        << status.toStdString();

    // Rank 1 freed, Enter on the red "1" stores it.
    go(0, 1);
    type(QStringLiteral("-"));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    go(1, 1);
    expectBibChoice(0);
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(state(1, 1), S::sr_uptodate) << "confirmed by the stand-in";
}

TEST_F(ResultWindowTest, TheUnitLineNamesTheUnitTheResultsAreShownIn)
{
    const int points = discipline(QStringLiteral("Zielwurf"), 1, false, "byAthleteOrTeam", QStringLiteral("Distance"));
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), points, QStringLiteral("Points"));
    const int target = discipline(QStringLiteral("Zonenwurf"), 1, false, "byAthleteOrTeam", QStringLiteral("Distance"));
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), target, QStringLiteral("TargetPoints"));
    form->show();
    ASSERT_TRUE(settled());
    auto* disciplines = form->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    // Chosen with the keys, as after Ctrl+L.
    const auto choose = [&](const QString& name) {
        disciplines->setFocus();
        QTest::keyClick(disciplines, Qt::Key_Home);
        for (int i = 0; i < disciplines->count() && disciplines->currentText() != name; ++i)
            QTest::keyClick(disciplines, Qt::Key_Down);
        EXPECT_TRUE(settled());
        return form->findChild<QLabel*>(QStringLiteral("Label4"))->text();
    };
    EXPECT_EQ(choose(QStringLiteral("Weitsprung")), QStringLiteral("Einheit: Meter"));
    EXPECT_EQ(choose(QStringLiteral("Zielwurf")), QStringLiteral("Einheit: Punkte"));
    EXPECT_EQ(choose(QStringLiteral("Zonenwurf")), QStringLiteral("Einheit: Punkte"));
    EXPECT_EQ(choose(QStringLiteral("Sprint")), QStringLiteral("Einheit: Sekunden"));
}

TEST_F(ResultWindowTest, TheProtocolPrintsTitleHeatAndSquads)
{
    open(jump);
    const QString pdf = folders.programDir.filePath(QStringLiteral("protokoll.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    QMenu* print = form->findChild<QMenu*>(QStringLiteral("Drucken1"));
    emit print->aboutToShow();
    QAction* protocol = form->findChild<QAction*>(QStringLiteral("Protokolldrucken1"));
    ASSERT_TRUE(protocol->isEnabled());
    protocol->trigger();
    ASSERT_TRUE(settled());
    TVP_REQUIRE_TOOL("pdftotext");
    const QString text = pdfPages(pdf).value(0);
    EXPECT_TRUE(text.contains(QStringLiteral("Ergebnisprotokoll"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Weitsprung"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Gruppe 1"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Riege Rot (1)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Berg, Anna"))) << text.toStdString();
}

// A club day's heat: every name and team whole and apart within the printable area.
TEST_F(ResultWindowTest, TheProtocolOfAClubDayPrintsEveryNameWholeWithinThePrintableWidth)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const int day =
        discipline(QStringLiteral("Weitsprung Anlage Nord"), 3, false, "byAthleteOrTeam", QStringLiteral("Distance"));
    for (int i = 0; i < 4; ++i) {
        const int a = seed->athlete(comp, clubDay::kGiven[i], clubDay::kSurnames[i],
                                    seed->team(comp, clubDay::kTeams[i], u10), 0, {101 + i});
        seed->placeAthlete(day, a, 1);
        for (int attempt = 1; attempt <= 3; ++attempt)
            seed->measured(day, a, attempt, proto::ResultValueType::Distance, 2.59);
    }
    open(day);
    expectPaperFit(Printer(), folders.programDir, clubDay::kTeams + clubDay::kGiven + clubDay::kSurnames,
                   [&](const QString& file) {
                       script->expectPrinter(QStringLiteral("Drucken"), file);
                       emit form->findChild<QMenu*>(QStringLiteral("Drucken1"))->aboutToShow();
                       form->findChild<QAction*>(QStringLiteral("Protokolldrucken1"))->trigger();
                       EXPECT_TRUE(settled());
                   });
}

// Ballwurf while the stand-in is down: each value typed turns red and shows as typed. Once it runs
// again, Enter (or F2, Enter) walks down the red cells and stores each, passing the cell between
// that nobody typed into; Escape drops a red value for good.
TEST_F(ResultWindowTest, AValueTheServerDidNotTakeShowsAsTypedAndEnterSendsItAgain)
{
    seed->placeAthlete(throwing, ben, 1);
    open(throwing);
    ASSERT_EQ(model().athleteId(2), ben);
    const int port = standin.port();
    standin.stop();
    for (const auto& [row, attempt, text] :
         {std::tuple(0, 1, "30,5"), std::tuple(2, 1, "31"), std::tuple(0, 2, "29")}) {
        go(row, attempt);
        type(QString::fromLatin1(text));
        press(Qt::Key_Return);
    }
    ASSERT_TRUE(settled());
    EXPECT_EQ(state(0, 1), S::sr_error);
    EXPECT_EQ(cell(0, 1), QStringLiteral("30,5")) << "as typed, not as a stored value looks";
    EXPECT_EQ(cell(2, 1), QStringLiteral("31"));

    standin.options.port = port;
    standin.start();
    go(0, 2);
    press(Qt::Key_Escape);
    EXPECT_EQ(cell(0, 2), QStringLiteral("-"));
    go(0, 1);
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    press(Qt::Key_F2);
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(throwing, 1, "bib", 7), QStringLiteral("Distance 30.5"));
    EXPECT_EQ(stored(throwing, 1, "bib", 8), QStringLiteral("Distance 31"));
    EXPECT_EQ(stored(throwing, 1, "bib", 9), QString()) << "nothing typed there, nothing sent";
    form->reloadFormData(false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(state(0, 2), S::sr_noResult) << "a reload does not bring the dropped value back";
    EXPECT_FALSE(form->cache()->hasUncommitedChanges());
}

// ---- what is shown is what was last typed; what is stored is what the user last confirmed ----

// Two stores wait for a locked server and come back yellow over a reload. Escape drops both: the one
// waiting to leave is never sent, the one on its way is undone. A test's end waits for them.
TEST_F(ResultWindowTest, EscapeOnAYellowCellStoresNothingAndTheTestsEndWaitsForTheStores)
{
    ProgramKeys keys(context);
    open(jump);
    StandinClient other(standin.port());
    other.begin(false);
    twoStoresWaitYellow();
    grid()->setFocus();
    for (int row : {1, 0}) {
        go(row, 1);
        press(Qt::Key_Escape);
    }
    EXPECT_EQ(cell(0, 1) + cell(1, 1), QStringLiteral("--"));
    QObject scope;
    QTimer::singleShot(300, &scope, [&] { other.rollback(); });
    closeWindows();
    EXPECT_EQ(runningRequestCount(), 0);
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna) + stored(jump, 1, "athlete_id", ben), QString());
}

// A locked server: "6" Enter, back, "1" Enter. The server stores 6 and refuses 1 (Anna's rank): the
// cell shows the refused "1" with its reason, so that Enter sends 1, not 6.
TEST_F(ResultWindowTest, ACellTypedTwiceBeforeTheFirstAnswerShowsTheLastValueWithItsRefusal)
{
    const int finish = discipline(QStringLiteral("Zieleinlauf"), 1, false, "byBib", QStringLiteral("Rank"));
    for (int athlete : {anna, ben})
        seed->placeAthlete(finish, athlete, 1);
    open(finish);
    enter(0, 1, QStringLiteral("1"));
    ASSERT_TRUE(settled());
    StandinClient other(standin.port());
    other.begin(false);
    enter(1, 1, QStringLiteral("6"));
    enter(1, 1, QStringLiteral("1"));
    other.rollback();
    ASSERT_TRUE(settled());
    EXPECT_EQ(storedRanks(*seed, finish), QStringLiteral("1:7 6:8"));
    EXPECT_TRUE(shown(1, 1).startsWith(QStringLiteral("1|%1|").arg(int(S::sr_error))) &&
                shown(1, 1).contains(u"Rangfolge erfassen"))
        << shown(1, 1).toStdString();
}

// "x" is no time: the reason shows in the status line at once, the program beeps, the cursor stays.
// Escape in an editor opened over the red "x" gives it back.
TEST_F(ResultWindowTest, ARefusedInputBeepsNamesItsReasonAndComesBackOnEscapeInTheEditor)
{
    open(sprint);
    enter(0, 1, QStringLiteral("x"));
    EXPECT_EQ(script->beeps, 1);
    EXPECT_EQ(form->findChild<TElidingLabel*>(QStringLiteral("StatusText"))->fullText(),
              QStringLiteral("Status der Zelle(Anna Berg, Lauf 1): Fehler: Kein gültiges Ergebnisformat"));
    EXPECT_EQ(cursor(), std::make_pair(0, 1));
    const QString red = shown(0, 1);
    type(QStringLiteral("2"));
    press(Qt::Key_Escape);
    EXPECT_EQ(shown(0, 1), red);
}

// What is typed in either window and not taken by the server stays over the reload a store in the
// other causes; where its row or discipline is gone, that reload asks first and "Nein" keeps it.
TEST_F(ResultWindowTest, AStoreBesideTheFinishingOrderKeepsWhatIsTypedInTheOtherWindow)
{
    const int finish = discipline(QStringLiteral("Zieleinlauf"), 2, false, "byBib", QStringLiteral("Rank"));
    const int dan = seed->athlete(comp, QStringLiteral("Dan"), QStringLiteral("Dachs"), owls, 0, {11});
    for (int athlete : {anna, ben, cara, dan})
        seed->placeAthlete(finish, athlete, 1);
    TAquireBibOrderForm order(context);
    windows.place(TWindowId::AquireBibOrderForm, &order);
    const auto bothSettled = [&] {
        return waitUntil([&] { return order.pendingRequests() == 0 && order.grid()->isEnabled(); }, 10000) && settled();
    };
    const auto inOrder = [&](int row, const QString& bibs, Qt::Key key = Qt::Key_Return) {
        order.grid()->setCurrentIndex(order.grid()->model()->index(row, TRankListModel::colBibs));
        order.grid()->openEditor();
        QTest::keyClicks(order.grid()->editorWidget(), bibs);
        QTest::keyClick(order.grid()->editorWidget(), key);
        return bothSettled();
    };
    const auto bibsInOrder = [&](int row) { return order.grid()->model()->index(row, 1).data().toString(); };
    // Grey (typed and left), red (refused by the server) and red (no rank).
    open(finish);
    enter(0, 2, QStringLiteral("1"));
    enter(1, 2, QStringLiteral("1"));
    go(2, 2);
    type(QStringLiteral("3"));
    enter(3, 2, QStringLiteral("3m"));
    ASSERT_TRUE(settled());
    ASSERT_EQ(std::vector({state(1, 2), state(2, 2), state(3, 2)}),
              std::vector({S::sr_error, S::sr_edited, S::sr_error}));
    const auto typed = [this] { return shown(1, 2) + shown(2, 2) + shown(3, 2); };
    const QString before = typed();

    script->expectText(QStringLiteral("Laufnummer wählen"), QStringLiteral("1"));
    form->findChild<QAction*>(QStringLiteral("Rangfolgeerfassen1"))->trigger();
    ASSERT_TRUE(waitUntil([&] { return order.grid()->isVisible(); }, 10000) && bothSettled());
    ASSERT_TRUE(inOrder(0, QStringLiteral("8")));
    EXPECT_EQ(typed(), before);
    EXPECT_EQ(state(1, 1), S::sr_uptodate) << "the new rank shows";

    ASSERT_TRUE(inOrder(1, QStringLiteral("11"), Qt::Key_Down));
    enter(0, 1, QStringLiteral("3"));
    ASSERT_TRUE(bothSettled());
    EXPECT_EQ(bibsInOrder(1) + bibsInOrder(2), QStringLiteral("117")) << "typed 11 stays, rank 3 shows";
    ASSERT_TRUE(inOrder(1, {}));
    ASSERT_TRUE(inOrder(3, QStringLiteral("9")));
    EXPECT_EQ(storedRanks(*seed, finish), QStringLiteral("1:8 2:11 3:7 4:9"));

    // Rank 5, where 99 is typed, has no row once another desk removes rank 4.
    ASSERT_TRUE(inOrder(4, QStringLiteral("99"), Qt::Key_Up));
    seed->db().query("DELETE FROM results WHERE discipline_id = ? AND bib = 9", finish).run();
    script->expectMessage(QStringLiteral("Rangfolge erfassen"), TMsgAnswer::No);
    enter(0, 1, QStringLiteral("3"));
    ASSERT_TRUE(bothSettled());
    EXPECT_EQ(bibsInOrder(4), QStringLiteral("99"));

    seed->db().query("DELETE FROM disciplines WHERE id = ?", finish).run();
    script->expectMessage(QStringLiteral("Rangfolge erfassen"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Leistungen erfassen"), TMsgAnswer::No);
    order.close();
    ASSERT_TRUE(settled());
    EXPECT_EQ(typed(), before);
}

// ---- two desks on one competition ----

// This desk's store of Anna's 4 waits for the server; Escape drops it. Another desk waits behind it
// and stores 7 just after it lands: the undo leaves the 7, and the cell shows it and says whose.
TEST_F(ResultWindowTest, EscapeOnAYellowCellLeavesWhatAnotherDeskStoredSince)
{
    ProgramKeys keys(context);
    open(jump);
    StandinClient holder(standin.port());
    holder.begin(false);
    twoStoresWaitYellow();
    go(0, 1);
    press(Qt::Key_Escape);
    // This desk's store waits at the server's write gate, the other one's behind it.
    ASSERT_TRUE(standin.waitingComesTo(1));
    std::thread desk([this, port = standin.port()] {
        StandinClient other(port);
        other.begin(false);
        other.das()->setResult(jump, 0, nullptr, anna, 0, sent(proto::ResultValueType::Distance, 7), 1);
        other.commit();
    });
    EXPECT_TRUE(standin.waitingComesTo(2));
    holder.rollback();
    desk.join();
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QStringLiteral("Distance 7"));
    EXPECT_EQ(stored(jump, 1, "athlete_id", ben), QStringLiteral("Distance 5"));
    EXPECT_TRUE(shown(0, 1).startsWith(u'7') && shown(0, 1).contains(QStringLiteral("anderer Arbeitsplatz")))
        << shown(0, 1).toStdString();
    EXPECT_EQ(form->findChild<TElidingLabel*>(QStringLiteral("StatusText"))->fullText(),
              model().cellStatusText(model().index(0, model().columnOfAttempt(1))));
}

// F5 shows what another desk stored and keeps a typed and a refused cell; where a typed cell's row
// is gone it asks, with "Nein" under Enter, and "Ja" takes the refused value along.
TEST_F(ResultWindowTest, F5ShowsAnotherDesksStoresAndKeepsWhatIsTyped)
{
    ProgramKeys keys(context);
    // Each F5 reloads, and each question is asked.
    QScopedValueRollback refresh(TMainForm::refreshThrottleMs, 0);
    QScopedValueRollback recheck(TTVPForm::doubleCheckIntervalMs, 0);
    const int finish = discipline(QStringLiteral("Zieleinlauf"), 2, false, "byBib", QStringLiteral("Rank"));
    const int dan = seed->athlete(comp, QStringLiteral("Dan"), QStringLiteral("Dachs"), owls, 0, {11});
    for (int athlete : {anna, ben, dan})
        seed->placeAthlete(finish, athlete, 1);
    open(finish);
    enter(0, 1, QStringLiteral("1"));
    enter(1, 1, QStringLiteral("1"));
    go(2, 1);
    type(QStringLiteral("3"));
    ASSERT_TRUE(settled());
    const QString refused = shown(1, 1);
    const QString typed = shown(2, 1);
    ASSERT_TRUE(refused.startsWith(QStringLiteral("1|%1|").arg(int(S::sr_error)))) << refused.toStdString();

    StandinClient other(standin.port());
    other.das()->setResult(finish, 7, true, nullptr, 0, 0, sent(proto::ResultValueType::Rank, 4), 2);
    ProgramKeys::press(grid(), Qt::Key_F5);
    ASSERT_TRUE(settled());
    EXPECT_EQ(cell(0, 2) + u'/' + shown(1, 1) + u'/' + shown(2, 1), QStringLiteral("4/") + refused + u'/' + typed);

    other.dss()->setPosition(finish, {proto::PosAssignmentsType{.AthleteOrTeamID = dan, .PositionIndex = -1}}, false);
    script->expectMessage(QStringLiteral("Leistungen erfassen"), TMsgAnswer::Yes);
    QTest::qWait(TMainForm::refreshThrottleMs);
    ProgramKeys::press(grid(), Qt::Key_F5);
    ASSERT_TRUE(settled());
    ASSERT_FALSE(script->seen.empty());
    EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No);
    EXPECT_EQ(shown(1, 1), refused);

    // The protocol shows what is stored: after "Ja" the refused value is gone, not back as unsent.
    QTest::qWait(TTVPForm::doubleCheckIntervalMs);
    script->expectMessage(QStringLiteral("Leistungen erfassen"), TMsgAnswer::Yes);
    script->expectPrinter(QStringLiteral("Drucken"), folders.programDir.filePath(QStringLiteral("p.pdf")));
    emit form->findChild<QMenu*>(QStringLiteral("Drucken1"))->aboutToShow();
    form->findChild<QAction*>(QStringLiteral("Protokolldrucken1"))->trigger();
    ASSERT_TRUE(settled());
    EXPECT_EQ(shown(1, 1), QStringLiteral("-|%1|").arg(int(S::sr_noResult)));
    EXPECT_EQ(storedRanks(*seed, finish), QStringLiteral("1:7"));
}

// F5 at a slowed server: the grid stays and takes the keys while it loads. Anna's 4, stored after
// the load began to read, shows over its answer; Ben's 5 typed into the editor the rebuild closes
// goes on as 56 with the focus and the cell where they were.
TEST_F(ResultWindowTest, KeysTypedWhileTheGridReloadsLandInTheirRows)
{
    ProgramKeys keys(context);
    open(jump);
    go(0, 1);
    const auto key = [](int k) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(k)); };
    standin.server().setAnswerDelay(std::chrono::milliseconds(150));
    key(Qt::Key_F5);
    EXPECT_TRUE(grid()->isVisible());
    QTest::qWait(400);
    for (int k : {Qt::Key_4, Qt::Key_Return, Qt::Key_5})
        key(k);
    ASSERT_TRUE(settled());
    standin.server().setAnswerDelay({});
    for (int k : {Qt::Key_6, Qt::Key_Return})
        key(k);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna) + u'/' + stored(jump, 1, "athlete_id", ben),
              QStringLiteral("Distance 4/Distance 56"));
    EXPECT_EQ(shown(0, 1) + u'/' + shown(1, 1), QStringLiteral("4,00m|%1|/56,00m|%1|").arg(int(S::sr_uptodate)));
    EXPECT_EQ(cursor(), std::pair(0, 2));
    EXPECT_EQ(QApplication::focusWidget(), grid());
}

// Two reloads hold both channels and the server answers neither in time: Anna's 4, waiting for a
// channel, is given up but stays in her cell, red with the reason, and Enter sends it again.
TEST_F(ResultWindowTest, AStoreThatNeverLeftKeepsItsValueRedUntilEnterSendsItAgain)
{
    open(jump);
    const int savedWait = CommTimeouts::channelWaitMs;
    CommTimeouts::channelWaitMs = 100;
    // The reloads' answers are held until the store has given up: a slowed server would let a
    // loaded machine reach the store's turn before its wait ran out.
    standin.server().holdAnswers(true);
    const auto restore = qScopeGuard([&] {
        CommTimeouts::channelWaitMs = savedWait;
        standin.server().holdAnswers(false);
    });
    form->reloadFormData(false);
    form->reloadFormData(false);
    ASSERT_TRUE(waitUntil([&] { return standin.server().heldRequests() == 2; }, 10000));
    enter(0, 1, QStringLiteral("4"));
    ASSERT_TRUE(waitUntil([&] { return state(0, 1) == S::sr_error; }, 10000)) << shown(0, 1).toStdString();
    standin.server().holdAnswers(false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(shown(0, 1), QStringLiteral("4|%1|Status der Zelle(Anna Berg, Versuch 1): Fehler: Timeout im Client bei "
                                          "Serveranfrage.")
                               .arg(int(S::sr_error)));
    go(0, 1);
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna), QStringLiteral("Distance 4"));
    EXPECT_EQ(state(0, 1), S::sr_uptodate);
}

// Clara, taken out at another desk, keeps her row after "Nein": her typed 9 is refused by name and
// stored nowhere. A place without participant takes no value and says so.
TEST_F(ResultWindowTest, AValueForAChildTakenOutAtAnotherDeskIsRefusedByName)
{
    ProgramKeys keys(context);
    const int zone = discipline(QStringLiteral("Zonenwurf"), 2, false, "byAthleteOrTeam", QStringLiteral("Distance"));
    for (int athlete : {anna, ben, cara})
        seed->placeAthlete(zone, athlete, 1);
    seed->placeAthleteAt(zone, seed->athlete(comp, QStringLiteral("Dan"), QStringLiteral("Dachs"), owls, 0, {11}), 1,
                         5);
    open(zone);
    go(2, 2);
    type(QStringLiteral("9"));
    StandinClient other(standin.port());
    other.dss()->setPosition(zone, {proto::PosAssignmentsType{.AthleteOrTeamID = cara, .PositionIndex = -1}}, false);
    script->expectMessage(QStringLiteral("Leistungen erfassen"), TMsgAnswer::No);
    ProgramKeys::press(grid(), Qt::Key_F5);
    ASSERT_TRUE(settled());
    go(2, 2);
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    EXPECT_EQ(stored(zone, 2, "athlete_id", cara), QString());
    EXPECT_TRUE(shown(2, 2).startsWith(QStringLiteral("9|%1|").arg(int(S::sr_error))) &&
                shown(2, 2).contains(QStringLiteral("Cara Dorn ist nicht mehr für diese Disziplin gemeldet")))
        << shown(2, 2).toStdString();

    go(3, 1);
    type(QStringLiteral("4"));
    EXPECT_EQ(script->beeps, 1);
    EXPECT_TRUE(form->findChild<TElidingLabel*>(QStringLiteral("StatusText"))->fullText().contains(u"kein Teilnehmer"));
}

// "Ergebnisse" and its team-rule warnings, with the teams of the age class too small for it.
struct TooSmallTeams {
    TooSmallTeams(StandinSeed& seed, TWindowContext& context, int ageClass) : warnings(context), analyse(context)
    {
        seed.db().query("UPDATE age_classes SET min_team_members = 6 WHERE id = ?", ageClass).run();
        context.windows().place(TWindowId::TeamMemberWarningForm, &warnings);
        context.windows().place(TWindowId::AnalyseForm, &analyse);
    }
    TTeamMemberWarningForm warnings;
    TAnalyseForm analyse;
};

// "Ergebnisse" beside the entry, on a discipline whose teams are too small: every store reloads it.
// The warning the user closed stays closed while the teams stay as they are. Once another desk
// changes one it comes again, and the window system is told that it must not take the focus (the
// offscreen platform activates every window it shows).
TEST_F(ResultWindowTest, AWarningOfTheResultsWindowsReloadLeavesTheKeyboardWhereTheUserTypes)
{
    TooSmallTeams teams(*seed, context, u10);
    TTeamMemberWarningForm& warnings = teams.warnings;
    TAnalyseForm& analyse = teams.analyse;
    analyse.ShowAndLoad(jump, jump);
    ASSERT_TRUE(waitUntil([&] { return warnings.isVisible(); }, 10000) && settled());
    warnings.close();
    bool quiet = false;
    QObject::connect(warnings.windowHandle(), &QWindow::visibleChanged, &warnings, [&](bool shown) {
        quiet = shown && warnings.windowHandle()->property("_q_showWithoutActivating").toBool();
    });
    open(jump);
    QApplication::setActiveWindow(form.get());
    go(0, 1);
    for (const char* value : {"4", "5", "6"}) {
        if (*value == '6')
            seed->athlete(comp, QStringLiteral("Dan"), QStringLiteral("Dachs"), foxes);
        QTest::keyClick(QApplication::focusWidget(), value[0]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_TRUE(settled());
        EXPECT_EQ(warnings.isVisible(), *value == '6');
    }
    EXPECT_TRUE(quiet);
    EXPECT_EQ(stored(jump, 1, "athlete_id", anna) + u'/' + stored(jump, 1, "athlete_id", ben) + u'/' +
                  stored(jump, 2, "athlete_id", anna),
              QStringLiteral("Distance 4/Distance 5/Distance 6"));
}

// Stepping through the disciplines of "Ergebnisse" with the same teams too small: "Teammitglieder
// prüfen" comes once and stays closed, and comes again when "Ergebnisse" is opened again.
TEST_F(ResultWindowTest, TeamRuleFindingsComeWhenNewAndAgainWhenResultsIsOpenedAgain)
{
    TooSmallTeams teams(*seed, context, u10);
    TTeamMemberWarningForm& warnings = teams.warnings;
    TAnalyseForm& analyse = teams.analyse;
    const auto loaded = [&] {
        return waitUntil([&] { return analyse.pendingRequests() == 0 && runningRequestCount() == 0; }, 10000);
    };
    analyse.ShowAndLoad(jump, jump);
    ASSERT_TRUE(loaded());
    ASSERT_TRUE(warnings.isVisible());
    warnings.close();

    // Each discipline, then its own results, with the keys.
    auto* disciplines = analyse.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    auto* evaluations = analyse.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    QApplication::setActiveWindow(&analyse);
    int tables = 0;
    int shown = 0;
    for (const char* name : {"Ballwurf", "Sprint", "Weitsprung"}) {
        const int index = disciplines->findText(QString::fromUtf8(name));
        ASSERT_GE(index, 0);
        disciplines->setFocus();
        while (disciplines->currentIndex() != index)
            QTest::keyClick(disciplines, disciplines->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_TRUE(loaded());
        evaluations->setFocus();
        QTest::keyClick(evaluations, Qt::Key_Home);
        ASSERT_TRUE(loaded());
        tables += analyse.findChild<QTreeView*>(QStringLiteral("ListView1"))->isVisible();
        shown += warnings.isVisible();
    }
    ASSERT_EQ(tables, 3);
    EXPECT_EQ(shown, 0) << "nothing new, yet shown again";

    warnings.close();
    analyse.close();
    analyse.ShowAndLoad(jump, jump);
    ASSERT_TRUE(loaded());
    EXPECT_TRUE(warnings.isVisible()) << "not shown on opening again";
}

// The status line names the current row; with another discipline or competition that row is gone.
// Another window's store reloads the entry while the user's cursor is in the grid: the grid hides
// while it loads, and Qt's view would step its cursor a cell on as for Tab.
TEST_F(ResultWindowTest, AReloadWhileTheUserIsInTheGridLeavesTheCursorWhereItIs)
{
    open(jump);
    QApplication::setActiveWindow(form.get());
    grid()->setFocus();
    go(1, 1);
    ASSERT_EQ(QApplication::focusWidget(), grid());
    form->reloadFormData(false);
    EXPECT_EQ(cursor(), std::make_pair(1, 1));
    ASSERT_TRUE(settled());
}

TEST_F(ResultWindowTest, TheStatusLineForgetsTheRowWhenTheDisciplineOrCompetitionChanges)
{
    auto* status = form->findChild<TElidingLabel*>(QStringLiteral("StatusText"));
    ASSERT_NE(status, nullptr);
    auto* disciplines = form->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    ProgramKeys keys(context);
    for (int change = 0; change < 2; ++change) {
        open(jump);
        const QRect r = grid()->visualRect(model().index(1, model().columnOfAttempt(1)));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, r.center());
        ASSERT_EQ(status->fullText(), QStringLiteral("|2|8|Füchse|Acker, Ben"));
        if (change == 0) {
            disciplines->setFocus();
            QTest::keyClick(disciplines, Qt::Key_Down);
        } else {
            keys.main.ReloadAll();
        }
        ASSERT_TRUE(settled());
        EXPECT_EQ(status->fullText(), QString());
    }
}

// A row with a club day's long names: the status line is whole or ends in "…" with the whole row as
// its tooltip, and is never clipped at the window's bottom edge.
TEST_F(ResultWindowTest, TheStatusLineWithLongNamesEndsInAnEllipsisAndShowsWholeAsItsTooltip)
{
    const QString team = QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft");
    seed->db().query("UPDATE teams SET name = ? WHERE id = ?", team, foxes).run();
    seed->db().query("UPDATE athletes SET sur_name = 'Schmidt-Müller-Lüdenscheidt' WHERE id = ?", ben).run();
    form->show();
    open(jump);
    const QRect r = grid()->visualRect(model().index(1, model().columnOfAttempt(1)));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, r.center());
    const QString row = QStringLiteral("|2|8|") + team + QStringLiteral("|Schmidt-Müller-Lüdenscheidt, Ben");
    form->resize(1, form->height());
    runQueued();
    for (const CutText& cut : cutTexts(*form->findChild<QStatusBar*>(QStringLiteral("StatusBar1"))))
        ADD_FAILURE() << describe(cut);
    auto* status = form->findChild<TElidingLabel*>(QStringLiteral("StatusText"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().endsWith(QChar(0x2026))) << status->text().toStdString();
    EXPECT_EQ(status->toolTip(), row);
    EXPECT_GE(status->contentsRect().height(), status->fontMetrics().height());
    EXPECT_LE(status->mapTo(form.get(), status->rect().bottomLeft()).y(), form->height());
}

// The bars of a changed row (top) and of the current row (bottom) leave a long team name readable:
// it shows as it does in a row without bars, and whole as the cell's tooltip.
TEST_F(ResultWindowTest, TheBarsOfTheCurrentAndAChangedRowLeaveTheTeamNameUncovered)
{
    const QString team = QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft "
                                        "Zwei");
    seed->db().query("UPDATE teams SET name = ? WHERE id = ?", team, foxes).run();
    seed->db()
        .query("UPDATE heat_assignments SET version = 5 WHERE athlete_id = ? AND discipline_id = ?", anna, jump)
        .run();
    form->show();
    form->showAndLoadDisciplin(jump, 1, 3, 0);
    ASSERT_TRUE(settled());
    ASSERT_EQ(model().index(0, 2).data().toString(), team);
    ASSERT_EQ(model().index(1, 2).data().toString(), team);
    ASSERT_TRUE(model().index(0, 2).data(TResultGridModel::kChangedRole).toBool());
    ASSERT_FALSE(model().index(1, 2).data(TResultGridModel::kChangedRole).toBool());
    go(0, 1);
    const QImage drawn = grid()->viewport()->grab().toImage();
    const auto shown = [&](int row) { return inkRows(drawn.copy(grid()->visualRect(model().index(row, 2)))); };
    const auto plain = shown(1);
    ASSERT_GE(plain.first, 0);
    EXPECT_EQ(shown(0), plain) << "the bars cover part of the name";

    // At its smallest the window has no room for the whole name.
    form->resize(form->minimumSizeHint().width(), form->height());
    runQueued();
    const QRect cell = grid()->visualRect(model().index(0, 2));
    QHelpEvent hover(QEvent::ToolTip, cell.center(), grid()->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid()->viewport(), &hover);
    EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), team);
    QToolTip::hideText();
}

} // namespace
} // namespace tvp::test

namespace tvp::test {
namespace {

// Not a check: with TVP_SCREENSHOT_SECONDS set (under Xvfb with QT_QPA_PLATFORM=xcb) the window stays
// on screen for that long with a pending, a refused, a warned and a changed row.
TEST_F(ResultWindowTest, ShownForAScreenshot)
{
    const int seconds = qEnvironmentVariableIntValue("TVP_SCREENSHOT_SECONDS");
    if (seconds <= 0)
        GTEST_SKIP() << "only with TVP_SCREENSHOT_SECONDS";
    const int high = discipline(QStringLiteral("Hochsprung"), 3, false, "byLane", QStringLiteral("Distance"));
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), high, QStringLiteral("Heights"));
    uiInfo(QStringLiteral("Disciplin_HeightList"), high, QStringLiteral("100;105;110;115;120"));
    seed->placeAthleteAt(high, anna, 1, 1);
    seed->placeAthleteAt(high, ben, 1, 2);
    seed->placeAthleteAt(high, cara, 1, 4);
    seed->db()
        .query("UPDATE heat_assignments SET version = 5 WHERE athlete_id = ? AND discipline_id = ?", ben, high)
        .run();
    const int r = seed->result(high, anna);
    seed->db().query("UPDATE results SET distance_in_meter = 1.07 WHERE id = ?", r).run();
    form->move(20, 20);
    form->resize(760, 420);
    form->showAndLoadDisciplin(high, 1, 3, 0);
    ASSERT_TRUE(settled());
    form->activateWindow();
    grid()->setFocus();
    go(1, 1);
    type(QStringLiteral("1,10"));
    press(Qt::Key_Return);
    go(2, 1);
    type(QStringLiteral("1,05"));
    press(Qt::Key_Return);
    ASSERT_TRUE(settled());
    StandinClient other(standin.port());
    other.begin(false);
    go(3, 1);
    type(QStringLiteral("1,15"));
    press(Qt::Key_Return);
    go(1, 2);
    waitUntil([] { return false; }, 1000);
    // Where no screenshot tool is at hand, the screen as the X server shows it.
    if (const QString file = qEnvironmentVariable("TVP_SCREENSHOT_FILE"); !file.isEmpty())
        form->screen()->grabWindow(0).save(file);
    waitUntil([] { return false; }, seconds * 1000);
    other.rollback();
    settled();
}

} // namespace
} // namespace tvp::test
