// Printing from the competition-list window as a user does it: the print menus, the height-list
// window with real keys, the lap-count settings, the blank forms, against the stand-in; every
// printout read back from its PDF.

#include "core/barcode/BarcodeUtils.h"
#include "core/print/ui/Print.h"
#include "organisation/ui/LapCountSheetDialog.h"
#include "organisation/ui/PrintHighJumpDialog.h"
#include "tests/core/print/PdfTools.h"
#include "tests/organisation/DisciplinListFixture.h"

#include <QCheckBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace tvp;
using namespace tvp::test;

namespace {

// The page texts with ligatures ("ﬂ" in "Wettkampfliste") as the letters they stand for.
QStringList plainPages(const QString& pdf)
{
    QStringList pages = pdfPages(pdf);
    for (QString& page : pages)
        page = page.normalized(QString::NormalizationForm_KC);
    return pages;
}

class SheetWindowTest : public DisciplinListTest {
protected:
    void SetUp() override
    {
        DisciplinListTest::SetUp();
        ASSERT_TRUE(pdfDir.isValid());
        heights = std::make_unique<TPrintHighJumpForm>(context);
        windows.place(TWindowId::PrintHighJumpForm, heights.get());
        lapCount = std::make_unique<TLapCountSheetForm>(context);
        windows.place(TWindowId::LapCountSheetForm, lapCount.get());
        windows.place(TWindowId::DisciplinListForm, form.get()); // the height list prints through it
        seed->placeAthlete(jump, fox[2], 1);
        seed->placeAthlete(jump, owl[1], 1);
    }
    void TearDown() override
    {
        heights.reset();
        lapCount.reset();
        DisciplinListTest::TearDown();
    }

    QString pdf(const char* name) const { return pdfDir.filePath(QString::fromLatin1(name)); }
    bool heightsSettled()
    {
        return waitUntil([this] { return heights->pendingRequests() == 0 && runningRequestCount() == 0; }, 10000);
    }
    static QStringList listTexts(QWidget& window)
    {
        auto* list = window.findChild<QListView*>(QStringLiteral("ListView1"));
        QStringList out;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            out << list->model()->index(r, 0).data().toString();
        return out;
    }
    static void typeHeight(QWidget& window, const QString& value)
    {
        auto* edit = window.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, value);
    }
    static void enter(QWidget& window)
    {
        QTest::keyClick(window.findChild<QLineEdit*>(QStringLiteral("Edit1")), Qt::Key_Return);
    }
    static QPushButton* button(QWidget& window, const char* name)
    {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QString allText(const QString& file) const { return plainPages(file).join(QLatin1Char('\f')); }
    // A time discipline of three runs with one runner, shown in the window.
    void openRace(const QString& name)
    {
        proto::ResultTableType three;
        three.ResultsPerRow = 3;
        const int run = seed->discipline(comp, name, u10, three);
        uiInfo(QStringLiteral("Disciplin_ResultType"), run, QStringLiteral("Time"));
        seed->placeAthlete(run, fox[0], 1);
        open(run);
    }

    QTemporaryDir pdfDir;
    std::unique_ptr<TPrintHighJumpForm> heights;
    std::unique_ptr<TLapCountSheetForm> lapCount;
};

} // namespace

TEST_F(SheetWindowTest, HeightLadderTypedWithEnterIsStoredAndPrinted)
{
    TVP_REQUIRE_TOOL("pdftotext");
    open(jump);
    const QString file = pdf("hoch.pdf");
    script->expectMessage(QStringLiteral("Höhenliste drucken"), TMsgAnswer::Yes); // the discipline is no height one
    script->expectWindow(QStringLiteral("Höhenliste einstellen"), [&](QWidget& w) {
        EXPECT_TRUE(heightsSettled());
        EXPECT_TRUE(button(w, "Button2")->isVisible()) << "opened for printing";
        typeHeight(w, QStringLiteral("80"));
        enter(w);
        typeHeight(w, QStringLiteral("60"));
        enter(w);
        enter(w);
        EXPECT_EQ(listTexts(w), (QStringList{"60cm", "70cm", "80cm"})) << "ascending whatever the order typed";
        EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("80"));
        EXPECT_TRUE(button(w, "Button3")->isEnabled());
        button(w, "Button3")->click();
        EXPECT_TRUE(heightsSettled());
        EXPECT_EQ(uiInfoValue(QStringLiteral("Disciplin_HeightList"), jump), QStringLiteral("60;70;80"));
        EXPECT_TRUE(w.isVisible()) << "stays open for printing";
        EXPECT_EQ(listTexts(w), (QStringList{"60cm", "70cm", "80cm"})) << "the stored list, loaded again";
        EXPECT_FALSE(button(w, "Button3")->isEnabled());
        script->expectPrinter(QStringLiteral("Drucken"), file);
        script->expectMessage(QStringLiteral("Wettkampfliste Sperren?"), TMsgAnswer::No);
        button(w, "Button2")->click();
        return 0;
    });
    action("HochsprungListe1")->trigger();
    EXPECT_TRUE(script->allAnswered());
    EXPECT_TRUE(pdfIsLandscape(file));
    EXPECT_EQ(pdfInfo(file, QStringLiteral("Title")), QStringLiteral("Weitsprung - Wettkampfliste"));
    const QString text = allText(file);
    EXPECT_TRUE(text.contains(QStringLiteral("Hochsprungnotation"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("60\\s+70\\s+80"))));
    EXPECT_TRUE(text.contains(QStringLiteral("Rot, Fee2")));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

TEST_F(SheetWindowTest, FailedSaveKeepsTheEditsAndSaysWhy)
{
    uiInfo(QStringLiteral("Disciplin_HeightList"), jump, QStringLiteral("60;70"));
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), jump, QStringLiteral("Heights"));
    open(jump);
    script->expectWindow(QStringLiteral("Höhenliste einstellen"), [&](QWidget& w) {
        EXPECT_TRUE(heightsSettled());
        EXPECT_EQ(listTexts(w), (QStringList{"60cm", "70cm"}));
        typeHeight(w, QStringLiteral("90"));
        enter(w);
        standin.stop();
        button(w, "Button3")->click();
        EXPECT_TRUE(heightsSettled());
        EXPECT_EQ(listTexts(w), (QStringList{"60cm", "70cm", "90cm"})) << "the edits stay";
        EXPECT_TRUE(button(w, "Button3")->isEnabled()) << "and can be saved again";
        EXPECT_TRUE(w.isVisible());
        return 0;
    });
    heights->OpenDialog(false, jump, 0, TResultformat::rf_Height);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Höhen/Weiten speichern"));
    EXPECT_FALSE(recorder.messages.messages[0].text.isEmpty()) << "why it failed";
}

TEST_F(SheetWindowTest, HeightWindowRefusesOtherFormatsAndLoadsFiles)
{
    heights->OpenDialog(false, jump, 0, TResultformat::rf_Default);
    ASSERT_EQ(recorder.messages.lines(),
              (QStringList{"Höhendialog öffnen: Höhendialog unterstützt nur Disziplinen mit Ergebnistyp Höhe oder "
                           "Zielpunkte"}));

    QFile hls(pdf("weiten.hls"));
    ASSERT_TRUE(hls.open(QIODevice::WriteOnly));
    hls.write("50\r\nabc\r\n0\r\n55\r\n");
    hls.close();
    const QString saved = pdf("gespeichert.hls");
    open(jump);
    script->expectWindow(QStringLiteral("Zielweitenliste einstellen"), [&](QWidget& w) {
        EXPECT_TRUE(heightsSettled());
        typeHeight(w, QStringLiteral("0"));
        enter(w);
        EXPECT_TRUE(listTexts(w).isEmpty());
        script->expectMessage(QStringLiteral("Weiten löschen"), TMsgAnswer::Yes);
        script->expectFile(QStringLiteral("Höhen aus Datei laden"), hls.fileName());
        typeHeight(w, QStringLiteral("30"));
        enter(w);
        heights->HhenausDateiladen1Click();
        EXPECT_EQ(script->seen.at(script->seen.size() - 2).defaultAnswer, TMsgAnswer::No)
            << "Enter would throw the typed list away";
        EXPECT_EQ(listTexts(w), (QStringList{"50cm", "55cm"}));
        script->expectFile(QStringLiteral("Höhen in Datei speichern"), saved);
        heights->HheninDateispeichern1Click();
        return 0;
    });
    heights->OpenDialog(false, jump, 0, TResultformat::rf_TargetPoints);
    EXPECT_EQ(recorder.messages.lines().value(1), QStringLiteral("Weitenliste erstellen: Ungültige Weite"));
    QFile out(saved);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("50\r\n55\r\n"));
}

TEST_F(SheetWindowTest, CompetitionListsPerHeatAndForTheSelectedHeat)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TVP_REQUIRE_TOOL("zbarimg");
    open(sprint);
    const QString all = pdf("alle.pdf");
    script->expectPrinter(QStringLiteral("Drucken"), all);
    script->expectMessage(QStringLiteral("Wettkampfliste Sperren?"), TMsgAnswer::No);
    action("Drucken1")->trigger();
    const QStringList pages = plainPages(all);
    ASSERT_EQ(pages.size(), 2) << "each heat on a page of its own";
    EXPECT_TRUE(pages.at(0).contains(QRegularExpression(
        QStringLiteral("Lauf 1 Sprint 50 m - Wettkampfliste \\((Version: \\d+, )?Druck: \\d\\d:\\d\\d, Seite 1/1\\)"))))
        << pages.at(0).toStdString();
    EXPECT_TRUE(pages.at(1).contains(QStringLiteral("Lauf 2 Sprint 50 m")));
    const QStringList codes = readBarcodes(all);
    ASSERT_EQ(codes.size(), 2);
    for (int h = 0; h < 2; ++h) {
        const TDisciplineListCode code = decodeDisciplineListBarcode(codes.at(h));
        EXPECT_EQ(code.disciplineBarcodeId, form->getDiscBarcodeId(sprint));
        EXPECT_EQ(code.heatIndex, h);
        EXPECT_EQ(code.topItem, 0);
    }

    const QString one = pdf("lauf2.pdf");
    select({tree().heatNode(2)});
    script->expectPrinter(QStringLiteral("Drucken"), one);
    script->expectMessage(QStringLiteral("Wettkampfliste Sperren?"), TMsgAnswer::Yes);
    action("LaufGruppedrucken1")->trigger();
    ASSERT_TRUE(settled());
    EXPECT_EQ(pdfInfo(one, QStringLiteral("Title")), QStringLiteral("Sprint 50 m - Wettkampfliste Lauf_Gruppe 2"));
    EXPECT_EQ(pdfPageCount(one), 1);
    EXPECT_TRUE(allText(one).contains(QStringLiteral("Eule, Eva0")));
    EXPECT_FALSE(allText(one).contains(QStringLiteral("Müller")));
    EXPECT_TRUE(form->locked()) << "locked after the print, as the user asked";
}

TEST_F(SheetWindowTest, NeinToTheSortQuestionEndsThePrintQuietly)
{
    open(jump);
    action("NachAnlagensortiertdrucken1")->setChecked(true);
    script->expectMessage(QStringLiteral("Sortiert drucken"), TMsgAnswer::No);
    action("Drucken1")->trigger();
    EXPECT_TRUE(script->allAnswered()) << "no printer dialog follows";
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join('\n').toStdString();
}

TEST_F(SheetWindowTest, TallySheetsOfTheSelectedHeatOnly)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TVP_REQUIRE_TOOL("zbarimg");
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), sprint, QStringLiteral("Points"));
    open(sprint);
    ASSERT_TRUE(action("Zonenstrichlisten2")->isEnabled());
    select({tree().heatNode(2)});
    const QString file = pdf("zonen.pdf");
    script->expectPrinter(QStringLiteral("Drucken"), file);
    script->expectMessage(QStringLiteral("Wettkampfliste Sperren?"), TMsgAnswer::No);
    action("Zonenstrichlisten2")->trigger();
    EXPECT_FALSE(pdfIsLandscape(file));
    EXPECT_EQ(pdfInfo(file, QStringLiteral("Title")), QStringLiteral("Sprint 50 m - Zonenstrichliste"));
    const QStringList pages = plainPages(file);
    ASSERT_EQ(pages.size(), 2) << "one participant, two attempts";
    EXPECT_FALSE(allText(file).contains(QStringLiteral("Müller"))) << "nothing of heat 1";
    const QStringList codes = readBarcodes(file);
    ASSERT_EQ(codes.size(), 2);
    EXPECT_EQ(decodeTallySheetBarcode(codes.at(0)).attempt, 1);
    EXPECT_EQ(decodeTallySheetBarcode(codes.at(1)).attempt, 2);
    EXPECT_EQ(decodeTallySheetBarcode(codes.at(1)).disciplineBarcodeId, form->getDiscBarcodeId(sprint));
}

TEST_F(SheetWindowTest, BlankTallySheetsAskAgainUntilTheCountIsPositive)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TVP_REQUIRE_TOOL("zbarimg");
    open(sprint);
    auto answer = [](const char* text) {
        return [text](QDialog& d) {
            static_cast<QInputDialog&>(d).setTextValue(QString::fromLatin1(text));
            return int(QDialog::Accepted);
        };
    };
    const QString file = pdf("blanko.pdf");
    script->expectModal(QStringLiteral("Blanko Zonenstrichlisten"), answer("abc"));
    script->expectMessage(QStringLiteral("Blanko-Zonenstrichlisten drucken"), TMsgAnswer::Ok);
    script->expectModal(QStringLiteral("Blanko Zonenstrichlisten"), answer("2"));
    script->expectPrinter(QStringLiteral("Drucken"), file);
    action("Blankolisten1")->trigger(); // and no lock question
    EXPECT_EQ(pdfPageCount(file), 2);
    EXPECT_TRUE(readBarcodes(file).isEmpty());
    EXPECT_TRUE(allText(file).contains(QStringLiteral("____")));
    EXPECT_FALSE(allText(file).contains(QStringLiteral("Seite")));
}

TEST_F(SheetWindowTest, LapCountSheetsTwoParticipantsPerSheet)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TVP_REQUIRE_TOOL("zbarimg");
    open(sprint);
    const QString file = pdf("runden.pdf");
    script->expectWindow(QStringLiteral("Rundenzählblätter Einstellungen"), [&](QWidget& w) {
        auto* perSheet = w.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"));
        perSheet->setFocus();
        QTest::keyClick(perSheet, Qt::Key_Up);
        EXPECT_EQ(perSheet->value(), 2);
        script->expectPrinter(QStringLiteral("Drucken"), file);
        button(w, "Button1")->click();
        return 0;
    });
    action("Rundenzhlbltter1")->trigger();
    EXPECT_FALSE(pdfIsLandscape(file));
    const QStringList pages = plainPages(file);
    ASSERT_EQ(pages.size(), 2) << "heat 1 with two runners on one sheet, heat 2 with one";
    EXPECT_TRUE(pages.at(0).contains(QStringLiteral("Müller, Fee0")) &&
                pages.at(0).contains(QStringLiteral("Fuchs, Fee1")));
    EXPECT_TRUE(pages.at(0).contains(QRegularExpression(QStringLiteral("\\b2\\s+16\\b")))) << "8 points per lap";
    const QStringList codes = readBarcodes(file);
    ASSERT_EQ(codes.size(), 2);
    EXPECT_EQ(decodeDisciplineListBarcode(codes.at(1)).heatIndex, 1);
    EXPECT_EQ(decodeDisciplineListBarcode(codes.at(1)).topItem, 0);
}

TEST_F(SheetWindowTest, LapCountSheetsOfThreeAttemptsTakeOneRunnerPerSheet)
{
    openRace(QStringLiteral("Ausdauerlauf"));
    auto twoPerSheet = [&](QWidget& w) {
        w.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(2);
        button(w, "Button1")->click();
        return 0;
    };
    script->expectWindow(QStringLiteral("Rundenzählblätter Einstellungen"), twoPerSheet);
    script->expectMessage(QStringLiteral("Rundenzählblätter erstellen"), TMsgAnswer::Ok);
    // Opened again for all heats; closing it prints nothing.
    script->expectWindow(QStringLiteral("Rundenzählblätter Einstellungen"), [](QWidget&) { return 0; });
    select({tree().heatNode(1)});
    action("Rundenzhlbltter2")->trigger();
    EXPECT_TRUE(script->allAnswered());
    EXPECT_TRUE(recorder.messages.messages.empty());
}

TEST_F(SheetWindowTest, PrintingUnsavedHeightsSavesThemFirst)
{
    TVP_REQUIRE_TOOL("pdftotext");
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), jump, QStringLiteral("TargetPoints"));
    open(jump);
    const QString file = pdf("weiten.pdf");
    script->expectMessage(QStringLiteral("Wettkampfliste drucken"), TMsgAnswer::Yes);
    script->expectWindow(QStringLiteral("Zielweitenliste einstellen"), [&](QWidget& w) {
        EXPECT_TRUE(heightsSettled());
        typeHeight(w, QStringLiteral("150"));
        enter(w);
        script->expectMessage(QStringLiteral("Weiten speichern"), TMsgAnswer::Yes);
        script->expectHeldPrinter(QStringLiteral("Drucken"), file);
        button(w, "Button2")->click();
        // Asked once stored, without holding the program: nothing printed while it waits.
        EXPECT_TRUE(heightsSettled());
        EXPECT_TRUE(waitUntil([&] { return !script->held.empty(); }, 5000));
        EXPECT_FALSE(QFile::exists(file));
        script->expectMessage(QStringLiteral("Wettkampfliste Sperren?"), TMsgAnswer::No);
        EXPECT_TRUE(script->answer(QStringLiteral("Drucken"), TMsgAnswer::Ok));
        return 0;
    });
    select({tree().heatNode(1)});
    action("LaufGruppedrucken1")->trigger();
    EXPECT_TRUE(script->allAnswered());
    EXPECT_EQ(uiInfoValue(QStringLiteral("Disciplin_HeightList"), jump), QStringLiteral("150"));
    EXPECT_EQ(pdfInfo(file, QStringLiteral("Title")), QStringLiteral("Weitsprung - Wettkampfliste Lauf_Gruppe 1"));
    EXPECT_TRUE(plainPages(file).join(' ').contains(QStringLiteral("Zielweitennotation")));
}

// A long discipline's blank lap-count sheets print their heading off the lines for start and end.
TEST_F(SheetWindowTest, BlankLapCountSheetsOfALongDisciplineKeepTheirHeadingOffTheStartLine)
{
    TVP_REQUIRE_TOOL("pdftotext");
    openRace(QStringLiteral("Rundenstaffel 4 × 400 m Teams"));
    expectPaperFit(Printer(), pdfDir, {}, [&](const QString& file) {
        script->expectWindow(QStringLiteral("Rundenzählblätter Einstellungen"), [&](QWidget& w) {
            if (auto* blank = w.findChild<QCheckBox*>(QStringLiteral("CheckBox1")); !blank->isChecked())
                QTest::mouseClick(blank, Qt::LeftButton);
            script->expectPrinter(QStringLiteral("Drucken"), file);
            QTest::mouseClick(button(w, "Button1"), Qt::LeftButton);
            return 0;
        });
        action("Rundenzhlbltter1")->trigger();
        EXPECT_EQ(overlappingWords(pdfWords(file)), "");
    });
}

// The competition and height lists: every name whole and apart; a try's column keeps at least its
// designed 24 mm.
TEST_F(SheetWindowTest, ListsOfAClubDayPrintEveryNameWholeAndKeepTheColumnsTheOfficialsWriteIn)
{
    TVP_REQUIRE_TOOL("pdftotext");
    proto::ResultTableType three;
    three.ResultsPerRow = 3;
    const int jumps = seed->discipline(comp, QStringLiteral("Weitsprung Zonen"), u10, three);
    uiInfo(QStringLiteral("Disciplin_ResultType"), jumps, QStringLiteral("Distance"));
    uiInfo(QStringLiteral("Disciplin_ResultFormat"), jump, QStringLiteral("Heights")); // the height list
    uiInfo(QStringLiteral("Disciplin_HeightList"), jump, QStringLiteral("60;65;70;75;80;85;90;95;100"));
    for (int i = 0; i < 4; ++i) {
        const int athlete = seed->athlete(comp, clubDay::kGiven[i], clubDay::kSurnames[i],
                                          seed->team(comp, clubDay::kTeams[i], u10), 0, {400 + i});
        for (const int discipline : {jumps, jump})
            seed->placeAthlete(discipline, athlete);
    }
    const QStringList names = clubDay::kTeams + clubDay::kGiven + clubDay::kSurnames;
    open(jumps);
    expectPaperFit(Printer(), pdfDir, names, [&](const QString& file) {
        script->expectPrinter(QStringLiteral("Drucken"), file);
        script->expectMessage(QStringLiteral("Wettkampfliste Sperren?"), TMsgAnswer::No);
        action("Drucken1")->trigger();
        std::vector<double> tries;
        for (const PdfWord& w : pdfWords(file))
            if (w.text == QStringLiteral("Versuch"))
                tries.push_back(w.xMin);
        ASSERT_EQ(tries.size(), 3u);
        EXPECT_GE(tries[2] - tries[1], 24 / 25.4 * 72 - 0.5);
    });
    open(jump);
    expectPaperFit(Printer(), pdfDir, names, [&](const QString& file) {
        script->expectMessage(QStringLiteral("Wettkampfliste drucken"), TMsgAnswer::Yes);
        script->expectWindow(QStringLiteral("Höhenliste einstellen"), [&](QWidget& w) {
            EXPECT_TRUE(heightsSettled());
            script->expectPrinter(QStringLiteral("Drucken"), file);
            script->expectMessage(QStringLiteral("Wettkampfliste Sperren?"), TMsgAnswer::No);
            QTest::mouseClick(button(w, "Button2"), Qt::LeftButton);
            return 0;
        });
        action("Drucken1")->trigger();
    });
    EXPECT_TRUE(script->allAnswered());
}
