// "Strichlistenerfassung" offscreen beside the real result entry window, on a points discipline of
// the stand-in: counts typed with keys, saved, scanned and printed.

#include "core/barcode/BarcodeDispatcher.h"
#include "core/barcode/BarcodeUtils.h"
#include "core/ui/WindowPositionManager.h"
#include "results/ui/TallySheetDialog.h"
#include "tests/core/print/PdfTools.h"
#include "tests/results/ResultWindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

namespace tvp::test {
namespace {

class TallySheetWindowTest : public ResultWindowTest {
protected:
    void SetUp() override
    {
        ResultWindowTest::SetUp();
        zone = discipline(QStringLiteral("Zielwurf"), 2, false, "byAthleteOrTeam", QStringLiteral("Distance"));
        uiInfo(QStringLiteral("Disciplin_ResultFormat"), zone, QStringLiteral("Points"));
        seed->placeAthlete(zone, anna, 1);
        seed->placeAthlete(zone, ben, 1);
        sheet = std::make_unique<TTallySheetForm>(context);
        windows.place(TWindowId::TallySheetForm, sheet.get());
    }
    void TearDown() override
    {
        // A request still running would end after the next test reset the request counter.
        EXPECT_TRUE(waitUntil([] { return runningRequestCount() == 0; }, 10000));
        sheet.reset();
        ResultWindowTest::TearDown();
    }

    bool sheetSettled()
    {
        return waitUntil(
            [this] {
                return sheet->pendingRequests() == 0 && form->pendingRequests() == 0 && runningRequestCount() == 0;
            },
            10000);
    }
    // F7 on the result window's current cell.
    void openSheet(int row, int attempt)
    {
        open(zone);
        go(row, attempt);
        QAction* f7 = form->findChild<QAction*>(QStringLiteral("Zonenstrichliste1"));
        ASSERT_TRUE(f7->isEnabled());
        f7->trigger();
        ASSERT_TRUE(sheetSettled());
        ASSERT_TRUE(sheet->isVisible());
        sheet->activateWindow();
        QApplication::setActiveWindow(sheet.get());
    }

    QTableView* sheetGrid() const { return sheet->findChild<QTableView*>(QStringLiteral("StringGrid1")); }
    QLabel* sumLabel() const { return sheet->findChild<QLabel*>(QStringLiteral("Label2")); }
    QPushButton* saveButton() const { return sheet->findChild<QPushButton*>(QStringLiteral("Button1")); }
    QComboBox* sheetBox(const char* name) const { return sheet->findChild<QComboBox*>(QLatin1String(name)); }
    bool sumIsGreen() const { return sumLabel()->styleSheet().contains(QStringLiteral("#008000")); }
    QWidget* keyTarget() const
    {
        for (QLineEdit* editor : sheetGrid()->findChildren<QLineEdit*>())
            if (editor->isVisible())
                return editor;
        return sheetGrid();
    }
    void typeCount(const QString& text)
    {
        for (QChar ch : text)
            QTest::keyClick(keyTarget(), ch.toLatin1());
    }
    void enter() { QTest::keyClick(keyTarget(), Qt::Key_Return); }
    // F2 on the current cell, all of its text selected and typed over.
    void retype(const QString& text)
    {
        QTest::keyClick(sheetGrid(), Qt::Key_F2);
        QTest::keyClick(keyTarget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(keyTarget(), Qt::Key_Backspace);
        typeCount(text);
    }
    // Enter from zone to zone down to the given one (1-based).
    void enterDownTo(int zoneNo)
    {
        while (sheetGrid()->currentIndex().row() < zoneNo - 1)
            enter();
    }

    int resultId(int attempt, int athlete)
    {
        standin::Statement q =
            seed->db().query("SELECT id FROM results WHERE discipline_id = ? AND attempt = ? AND athlete_id = ?", zone,
                             attempt, athlete);
        return q.next() ? q.intAt(0) : 0;
    }
    QString storedList(int result)
    {
        standin::Statement q =
            seed->db().query("SELECT value FROM ui_infos WHERE key = 'Result_TallyList' AND assoc_id = ?", result);
        return q.next() ? q.textAt(0) : QStringLiteral("<none>");
    }

    int zone = 0;
    std::unique_ptr<TTallySheetForm> sheet;
};

TEST_F(TallySheetWindowTest, TypedCountsStoreTheirSumWithTheListAndStayAttachedOnOverwrite)
{
    openSheet(0, 1);
    EXPECT_EQ(sheet->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Disziplin: Zielwurf"));
    EXPECT_EQ(sheetBox("ComboBox1")->currentText(), QStringLiteral("1"));
    EXPECT_EQ(sheetBox("ComboBox2")->currentText(), QStringLiteral("Berg, Anna (Füchse)"));
    ASSERT_TRUE(sheetGrid()->isVisible());
    EXPECT_EQ(sumLabel()->text(), QStringLiteral("Berechnete Summe: 0"));
    EXPECT_TRUE(sumIsGreen());
    EXPECT_FALSE(saveButton()->isEnabled());

    enterDownTo(3);
    typeCount(QStringLiteral("2"));
    enter();
    EXPECT_EQ(sheetGrid()->currentIndex().row(), 3);
    enterDownTo(10);
    typeCount(QStringLiteral("1"));
    EXPECT_EQ(sumLabel()->text(), QStringLiteral("Berechnete Summe: 16")) << "every key refreshes the sum";
    EXPECT_FALSE(sumIsGreen());
    EXPECT_TRUE(saveButton()->isEnabled());
    // Enter in the last zone asks before storing.
    script->expectMessage(QStringLiteral("Ergebnis für Teilnehmer übernehmen"), TMsgAnswer::Yes);
    enterDownTo(15);
    enter();
    ASSERT_TRUE(sheetSettled());
    const int first = resultId(1, anna);
    ASSERT_NE(first, 0);
    EXPECT_EQ(stored(zone, 1, "athlete_id", anna), QStringLiteral("Distance 16"));
    EXPECT_EQ(storedList(first), QStringLiteral(";;2;;;;;;;1;;;;;;"));
    EXPECT_TRUE(sumIsGreen());
    EXPECT_FALSE(saveButton()->isEnabled());

    // Reopened, the counts come back; a changed count stores into the same result.
    sheet->hide();
    openSheet(0, 1);
    EXPECT_EQ(sheet->grid().cells().at(2), QStringLiteral("2"));
    EXPECT_EQ(sheet->grid().cells().at(9), QStringLiteral("1"));
    EXPECT_TRUE(sumIsGreen());
    retype(QStringLiteral("4"));
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetSettled());
    EXPECT_EQ(stored(zone, 1, "athlete_id", anna), QStringLiteral("Distance 20"));
    EXPECT_EQ(resultId(1, anna), first);
    EXPECT_EQ(storedList(first), QStringLiteral("4;;2;;;;;;;1;;;;;;"));

    // Deleting the result in the result window takes its counts along.
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    grid()->setFocus();
    go(0, 1);
    type(QStringLiteral("-"));
    press(Qt::Key_Return);
    ASSERT_TRUE(sheetSettled());
    EXPECT_EQ(resultId(1, anna), 0);
    EXPECT_EQ(storedList(first), QStringLiteral("<none>"));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

// A child who hit no zone scored 0 points: the zeros typed are a result to store.
TEST_F(TallySheetWindowTest, ASheetOfZerosIsAResult)
{
    openSheet(1, 1);
    typeCount(QStringLiteral("0"));
    enter();
    ASSERT_TRUE(saveButton()->isEnabled());
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetSettled());
    EXPECT_EQ(stored(zone, 1, "athlete_id", ben), QStringLiteral("Distance 0"));
    EXPECT_FALSE(saveButton()->isEnabled()) << "the zeros are what is stored";
}

// Home goes to the zone's label; a count typed there is that zone's, not lost to a search.
TEST_F(TallySheetWindowTest, ACountTypedOnTheZoneLabelGoesIntoThatZone)
{
    openSheet(0, 1);
    enterDownTo(3);
    QTest::keyClick(sheetGrid(), Qt::Key_Home);
    ASSERT_EQ(sheetGrid()->currentIndex(), sheetGrid()->model()->index(2, 0));
    typeCount(QStringLiteral("2"));
    enter();
    EXPECT_EQ(sheet->grid().cells().at(2), QStringLiteral("2"));
    EXPECT_EQ(sumLabel()->text(), QStringLiteral("Berechnete Summe: 6"));
    EXPECT_EQ(sheetGrid()->currentIndex().row(), 3);
}

// Changing the competition or quitting asks each window about its unsaved input under its own caption.
TEST_F(TallySheetWindowTest, UnsavedInputIsAskedAboutUnderTheWindowsGermanCaption)
{
    openSheet(0, 1);
    typeCount(QStringLiteral("2"));
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    grid()->setFocus();
    go(1, 1);
    type(QStringLiteral("5"));
    struct MainWindow : TTVPForm {
        using TTVPForm::TTVPForm;
        void reloadData() override {}
    } main(context);
    TPositionStoreAdapter store({&main, form.get(), sheet.get()}, 1, {}, QRect(0, 0, 1600, 1200));
    script->expectMessage(QStringLiteral("Leistungen erfassen"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("Strichlistenerfassung"), TMsgAnswer::No);
    EXPECT_TRUE(store.checkAllDirtyData());
}

TEST_F(TallySheetWindowTest, CountsThatAreNoIntegersAreRefusedByRowAndNothingIsSent)
{
    openSheet(1, 2);
    const QString rowFour = QStringLiteral("Strichlistenerfassung: Ungültige Eingabe in Zeile 4. Nur nicht-negative "
                                           "ganzzahlige Werte oder leeres Feld zulässig.");
    enterDownTo(4);
    typeCount(QStringLiteral("-1"));
    enter();
    EXPECT_EQ(sumLabel()->text(), QStringLiteral("Ungültige Dateneingabe. Bitte korrigieren."));
    EXPECT_EQ(sheetGrid()->currentIndex().row(), 3) << "the bad row stays selected";
    EXPECT_EQ(recorder.messages.lines(), QStringList{rowFour});

    // A digit run beyond the int range is no count either.
    retype(QStringLiteral("99999999999"));
    enter();
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    EXPECT_EQ(recorder.messages.lines(), (QStringList{rowFour, rowFour, rowFour}));
    EXPECT_EQ(sheet->pendingRequests(), 0u);
    EXPECT_EQ(resultId(2, ben), 0);

    // The largest count is taken, and the sum goes past the int range.
    retype(QStringLiteral("2147483647"));
    enter();
    EXPECT_EQ(sumLabel()->text(), QStringLiteral("Berechnete Summe: 8589934588"));
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetSettled());
    standin::Statement points =
        seed->db().query("SELECT distance_in_meter FROM results WHERE id = ?", resultId(2, ben));
    ASSERT_TRUE(points.next());
    EXPECT_EQ(qint64(points.doubleAt(0)), 8589934588);
    EXPECT_EQ(storedList(resultId(2, ben)), QStringLiteral(";;;2147483647;;;;;;;;;;;;"));
}

TEST_F(TallySheetWindowTest, ASaveWhoseReloadTheResultWindowDeclinesLeavesTheSavedCountsStored)
{
    openSheet(0, 1);
    // The result window holds an edited cell of another row.
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    grid()->setFocus();
    go(1, 1);
    type(QStringLiteral("7"));
    ASSERT_TRUE(form->hasOverallDirtyData());

    sheet->activateWindow();
    QApplication::setActiveWindow(sheet.get());
    sheetGrid()->setFocus();
    sheetGrid()->setCurrentIndex(sheet->grid().index(1, 1));
    typeCount(QStringLiteral("3"));
    // Another desk took Ben out of the discipline: his edited cell cannot stay, so the reload asks.
    seed->db().query("DELETE FROM heat_assignments WHERE discipline_id = ? AND athlete_id = ?", zone, ben).run();
    script->expectMessage(QStringLiteral("Leistungen erfassen"), TMsgAnswer::No);
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetSettled());
    ASSERT_TRUE(script->allAnswered());
    EXPECT_EQ(stored(zone, 1, "athlete_id", anna), QStringLiteral("Distance 6"));
    EXPECT_TRUE(sumIsGreen());
    EXPECT_FALSE(saveButton()->isEnabled());

    // Typing a count and then the saved one again is no change.
    sheetGrid()->setCurrentIndex(sheet->grid().index(4, 1));
    typeCount(QStringLiteral("1"));
    EXPECT_TRUE(saveButton()->isEnabled());
    enter();
    sheetGrid()->setCurrentIndex(sheet->grid().index(4, 1));
    retype(QString());
    enter();
    EXPECT_TRUE(sumIsGreen());
    EXPECT_FALSE(saveButton()->isEnabled());
    EXPECT_FALSE(sheet->hasOverallDirtyData());
}

// A tally stored for Anna reloads the result window without a question: Ben's refused and unsent
// values stay as typed.
TEST_F(TallySheetWindowTest, AStoredTallyKeepsWhatIsTypedInTheResultWindow)
{
    openSheet(0, 1);
    go(1, 2);
    type(QStringLiteral("5"));
    ResultWindowTest::enter(1, 1, QStringLiteral("q"));
    go(0, 1);
    ASSERT_EQ(std::pair(state(1, 1), state(1, 2)), std::pair(TSetResultStatus::sr_error, TSetResultStatus::sr_edited));
    const QString typed = shown(1, 1) + shown(1, 2);
    sheetGrid()->setCurrentIndex(sheet->grid().index(1, 1));
    typeCount(QStringLiteral("3"));
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetSettled());
    EXPECT_EQ(cell(0, 1), QStringLiteral("6,00Pkt"));
    EXPECT_EQ(shown(1, 1) + shown(1, 2), typed);
}

TEST_F(TallySheetWindowTest, AScannedSheetFillsTheWindowAndBadCodesWarn)
{
    // Counts stored for Ben's second attempt.
    openSheet(1, 2);
    typeCount(QStringLiteral("3"));
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetSettled());
    sheet->unload();
    sheet->hide();
    open(zone);
    go(0, 1);

    const int discBarcode = seed->value("SELECT barcode FROM disciplines WHERE id = ?", zone);
    const int benBarcode = seed->value("SELECT barcode FROM athletes WHERE id = ?", ben);
    ASSERT_EQ(barcodeDispatcher().processBarcode(tallySheetBarcode({discBarcode, benBarcode, 2, 4})),
              TBarcodeDispatcher::Outcome::Taken);
    ASSERT_TRUE(waitUntil([&] { return sheet->isVisible() && sheetGrid()->isVisible(); }, 3000));
    ASSERT_TRUE(sheetSettled());
    EXPECT_EQ(sheetBox("ComboBox2")->currentText(), QStringLiteral("Acker, Ben (Füchse)"));
    EXPECT_EQ(sheetBox("ComboBox1")->currentText(), QStringLiteral("2"));
    EXPECT_EQ(sheet->grid().cells().at(0), QStringLiteral("3"));
    EXPECT_EQ(sumLabel()->text(), QStringLiteral("Berechnete Summe: 3"));
    EXPECT_TRUE(sumIsGreen());
    ASSERT_TRUE(grid()->currentIndex().isValid());
    EXPECT_EQ(model().athleteId(grid()->currentIndex().row()), ben) << "the result window goes along";
    EXPECT_EQ(model().attemptOfColumn(grid()->currentIndex().column()), 2);

    // "T" alone is taken and ignored; a broken payload warns once.
    barcodeDispatcher().processBarcode(QStringLiteral("T"));
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(recorder.messages.messages.empty());
    barcodeDispatcher().processBarcode(QStringLiteral("T5X!"));
    ASSERT_TRUE(waitUntil([&] { return !recorder.messages.messages.empty(); }, 2000));
    EXPECT_EQ(recorder.messages.lines(), QStringList{"Barcode scannen: Ungültiger Strichlistenbarcode"});
}

TEST_F(TallySheetWindowTest, TheProtocolPrintsTheStoredCountsWithBothPointFigures)
{
    TVP_REQUIRE_TOOL("pdftotext");
    openSheet(0, 1);
    enterDownTo(3);
    typeCount(QStringLiteral("2"));
    enter();
    enterDownTo(10);
    typeCount(QStringLiteral("1"));
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetSettled());
    // Corrected meanwhile in the result grid: the protocol shows both figures.
    seed->db().query("UPDATE results SET distance_in_meter = 15 WHERE id = ?", resultId(1, anna)).run();

    // Unsaved counts are given up only on "Ja"; the stored ones are printed.
    typeCount(QStringLiteral("9"));
    QAction* print = sheet->findChild<QAction*>(QStringLiteral("ProtokollfrStrichliste1"));
    ASSERT_TRUE(print->isEnabled());
    script->expectMessage(QStringLiteral("Fortfahren?"), TMsgAnswer::No);
    print->trigger();
    EXPECT_EQ(sheet->pendingRequests(), 0u);

    const QString pdf = folders.programDir.filePath(QStringLiteral("strichliste.pdf"));
    script->expectMessage(QStringLiteral("Fortfahren?"), TMsgAnswer::Yes);
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    print->trigger();
    ASSERT_TRUE(sheetSettled());
    ASSERT_TRUE(script->allAnswered());
    const QString text = pdfPages(pdf).value(0);
    EXPECT_TRUE(text.contains(QStringLiteral("Strichlistenprotokoll"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Zielwurf")));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Berechnete Gesamtpunkte:\\s+16"))));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Erfasste Punkte:\\s+15"))));
    EXPECT_TRUE(text.contains(QStringLiteral("Berg, Anna")));
    EXPECT_EQ(sheet->grid().cells().at(0), QString()) << "the unsaved count was given up";
}

TEST_F(TallySheetWindowTest, TeamDisciplinesCountForTheTeam)
{
    const int teamZone =
        discipline(QStringLiteral("Teamzielwurf"), 1, true, "byAthleteOrTeam", QStringLiteral("Distance"));
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), teamZone, QStringLiteral("Points"));
    seed->placeTeam(teamZone, foxes, 1);
    seed->placeTeam(teamZone, owls, 1);
    open(teamZone);
    go(1, 1);
    form->findChild<QAction*>(QStringLiteral("Zonenstrichliste1"))->trigger();
    ASSERT_TRUE(sheetSettled());
    sheet->activateWindow();
    QApplication::setActiveWindow(sheet.get());
    EXPECT_EQ(sheetBox("ComboBox2")->currentText(), QStringLiteral("Eulen"));
    enterDownTo(2);
    typeCount(QStringLiteral("3"));
    QTest::mouseClick(saveButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetSettled());
    standin::Statement q =
        seed->db().query("SELECT r.distance_in_meter, u.value FROM results r JOIN result_teams t ON t.result_id = r.id "
                         "JOIN ui_infos u ON u.assoc_id = r.id AND u.key = 'Result_TallyList' WHERE r.discipline_id = "
                         "? AND t.team_id = ?",
                         teamZone, owls);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.doubleAt(0), 6.0);
    EXPECT_EQ(q.textAt(1), QStringLiteral(";3;;;;;;;;;;;;;;"));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

// A save in "Teams" or "Riegeneinteilung" refreshes every window, as F5 does: the minimised sheet
// keeps its typed counts without asking, and shows the points another desk stored meanwhile.
TEST_F(TallySheetWindowTest, AMinimisedSheetKeepsItsTypedCountsOverRefreshAll)
{
    ProgramKeys keys(context);
    openSheet(0, 1);
    typeCount(QStringLiteral("3"));
    sheet->showMinimized();
    StandinClient other(standin.port());
    other.das()->setResult(zone, 0, nullptr, ben, 0, sent(proto::ResultValueType::Distance, 2), 1);
    ProgramKeys::press(grid(), Qt::Key_F5);
    ASSERT_TRUE(sheetSettled());
    EXPECT_TRUE(cell(1, 1).startsWith(u'2')) << cell(1, 1).toStdString();
    EXPECT_EQ(sheet->grid().cells().at(0), QStringLiteral("3"));
    EXPECT_EQ(sumLabel()->text(), QStringLiteral("Berechnete Summe: 3"));
    EXPECT_TRUE(saveButton()->isEnabled());
}

TEST_F(TallySheetWindowTest, OnlyPointsDisciplinesByParticipantAreCaptured)
{
    sheet->ShowTallyDialog(jump, anna, 1);
    ASSERT_TRUE(sheetSettled());
    EXPECT_EQ(sheet->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Disziplin: -"));
    EXPECT_FALSE(sheetGrid()->isVisible());

    // A changed attempt with unsaved counts asks; "Nein" keeps everything.
    openSheet(0, 1);
    typeCount(QStringLiteral("5"));
    script->expectMessage(QStringLiteral("Fortfahren?"), TMsgAnswer::No);
    sheetBox("ComboBox1")->setCurrentIndex(1);
    emit sheetBox("ComboBox1")->activated(1);
    EXPECT_EQ(sheetBox("ComboBox1")->currentText(), QStringLiteral("1"));
    EXPECT_TRUE(saveButton()->isEnabled());
    script->expectMessage(QStringLiteral("Fortfahren?"), TMsgAnswer::Yes);
    sheetBox("ComboBox2")->setCurrentIndex(1);
    emit sheetBox("ComboBox2")->activated(1);
    ASSERT_TRUE(sheetSettled());
    EXPECT_EQ(sheetBox("ComboBox2")->currentText(), QStringLiteral("Acker, Ben (Füchse)"));
    EXPECT_EQ(sheet->grid().cells().at(0), QString());
    EXPECT_EQ(model().athleteId(grid()->currentIndex().row()), ben);
}

} // namespace
} // namespace tvp::test
