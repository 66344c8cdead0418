// The printed competition lists, tally and lap-count sheets, read back from PDF by their text, their
// page format and their barcodes; and the height-list files.

#include "core/barcode/BarcodeUtils.h"
#include "core/print/DisciplineListPrint.h"
#include "core/print/PrintJob.h"
#include "core/print/TallySheetPrint.h"
#include "organisation/HeightListRequests.h"
#include "tests/core/print/PdfTools.h"

#include <QFile>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// One heat of the competition-list tree with `count` athletes at lanes 1..count.
struct HeatFixture {
    explicit HeatFixture(int count, const QString& team = QStringLiteral("Füchse"))
    {
        heat = new QStandardItem(QStringLiteral("Lauf/Gruppe 1"));
        model.appendRow(heat);
        for (int i = 1; i <= count; ++i) {
            TTreeNodeInformation info;
            info.heatNo = 1;
            info.laneNo = i;
            info.AthleteTeamId = 100 + i;
            info.AthleteTeamBarcodeId = 500 + i;
            info.Name = QStringLiteral("Läufer%1, Kim").arg(i);
            info.Team = team;
            info.Bibs = {i};
            auto* child = new QStandardItem(info.Name);
            child->setData(QVariant::fromValue(info), kTreeNodeInformationRole);
            heat->appendRow(child);
        }
    }
    QModelIndex node() const { return model.index(0, 0); }

    QStandardItemModel model;
    QStandardItem* heat = nullptr;
};

std::shared_ptr<TDisciplinePrintContext> sprintContext(int heatNo, const QString& doc)
{
    return std::make_shared<TDisciplinePrintContext>(QStringLiteral("Riege Rot (1)"), heatNo,
                                                     proto::ResultValueType::Time, doc, QStringLiteral("Sprint"), 9, 5,
                                                     7, QString(), 0);
}

class SheetPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath(QStringLiteral("out.pdf"));
        printToPdf(printer, pdf);
    }
    // A page on which a list has room for `rows` rows below its header line, in landscape.
    void listPageFor(int rows)
    {
        // header 190 + 150, footer 230 + 30, and the column header line
        const double heightMm = (600 + (rows + 1) * 120 + 60) / 10.0;
        printer.setPageSize(QPageSize(QSizeF(heightMm, 420), QPageSize::Millimeter, QStringLiteral("Liste")));
    }

    QTemporaryDir dir;
    QString pdf;
    QPrinter printer{QPrinter::HighResolution};
};

} // namespace

TEST(DisciplineBarcode, PayloadsOfListsAndSheets)
{
    EXPECT_EQ(discBarcodePayload(TBarcodeType::bt_DiscList, 5, 1, 7, 0, 0, 0), QStringLiteral("L5X070"));
    EXPECT_EQ(discBarcodePayload(TBarcodeType::bt_LapCount, 5, 2, 7, 3, 0, 0), disciplineListBarcode({5, 1, 7, 3}));
    EXPECT_EQ(discBarcodePayload(TBarcodeType::bt_TallySheet, 5, 1, 7, 0, 501, 2), tallySheetBarcode({5, 501, 2, 7}));
    EXPECT_TRUE(discBarcodePayload(TBarcodeType::bt_none, 5, 1, 7, 0, 0, 0).isEmpty());
    // A sheet without lane number (top item -1) or without heat has no barcode rather than a
    // negative or wrapped field.
    EXPECT_TRUE(discBarcodePayload(TBarcodeType::bt_LapCount, 5, 1, 7, -1, 0, 0).isEmpty());
    EXPECT_TRUE(discBarcodePayload(TBarcodeType::bt_DiscList, 5, 0, 7, 0, 0, 0).isEmpty());
}

TEST(DisciplineListRows, CellsAreCutAndListsCompressed)
{
    QPrinter printer(QPrinter::HighResolution);
    QTemporaryDir dir;
    printToPdf(printer, dir.filePath(QStringLiteral("x.pdf")));
    TPrintJob job(printer);
    job.newPage();
    TPrintCanvas& canvas = job.canvas();
    canvas.setFontHeight(40);
    EXPECT_EQ(TFlatDiscListLineRenderer::fitCell(canvas, QStringLiteral("Kurz"), 400), QStringLiteral("Kurz"));
    const QString cut = TFlatDiscListLineRenderer::fitCell(canvas, QStringLiteral("Ein sehr langer Teamname"), 200);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("..."))) << cut.toStdString();
    EXPECT_LE(canvas.textWidth(cut), 200);
    EXPECT_TRUE(TFlatDiscListLineRenderer::fitCell(canvas, QStringLiteral("Breit"), 5).isEmpty())
        << "a cell reduced to dots prints nothing";

    EXPECT_EQ(splitCommaText(QStringLiteral("12,13")), (QStringList{"12", "13"}));
    EXPECT_EQ(splitCommaText(TPrintTable::commaText({QStringLiteral("Anna Lena"), QStringLiteral("Max")})),
              (QStringList{"Anna Lena", "Max"}));
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many << QString::number(100 + i);
    const QStringList lines = TFlatDiscListLineRenderer::compressedLines(canvas, many, 300, 120);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_LE(lines.size(), 3);
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(",..."))) << "entries left over are marked";
    job.finish();
}

TEST_F(SheetPdf, ThirtyParticipantsSpreadOverTwoPagesWithHeaderAndBarcode)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TVP_REQUIRE_TOOL("zbarimg");
    listPageFor(20);
    HeatFixture heat(30);
    const TPrintTable table(heat.node(), 3, false, proto::ResultValueType::Time, false, QStringLiteral("#"));
    {
        TPrintManager manager(printer, QStringLiteral("Sprint - Wettkampfliste Lauf_Gruppe 1"), true);
        manager.setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_DiscList, true, TResultformat::rf_Default));
        manager.setHeaderSpacing(150);
        manager.setFooterSpacing(30);
        manager.setPageFooter(std::make_shared<TDisciplineListFooter>());
        manager.setContent(std::make_shared<TDiscListPrintBody>(
            table, 120, std::make_shared<TAttemptDiscListLineRenderer>(false), sprintContext(1, "Wettkampfliste")));
        manager.render();
        ASSERT_TRUE(manager.endJob());
    }
    EXPECT_TRUE(pdfIsLandscape(pdf));
    EXPECT_EQ(pdfInfo(pdf, QStringLiteral("Title")), QStringLiteral("Sprint - Wettkampfliste Lauf_Gruppe 1"));
    const QStringList pages = plainPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    const QRegularExpression stamp(
        QStringLiteral("Riege Rot \\(1\\) - Lauf 1 Sprint - Wettkampfliste \\(Version: 7, Druck: \\d\\d:\\d\\d, Seite "
                       "(\\d)/2\\)"));
    for (int p = 0; p < 2; ++p) {
        const QString text = pageLines(pages.at(p)).join(QLatin1Char('\n'));
        const QRegularExpressionMatch m = stamp.match(text);
        ASSERT_TRUE(m.hasMatch()) << text.toStdString();
        EXPECT_EQ(m.captured(1).toInt(), p + 1);
        EXPECT_EQ(text.count(QStringLiteral("Läufer")), 15) << "30 rows spread as 15 and 15";
        EXPECT_TRUE(text.contains(QStringLiteral("1. Lauf"))) << "the attempt columns";
        EXPECT_TRUE(text.contains(kHandInText));
        EXPECT_TRUE(text.contains(todaysFooter()));
    }
    EXPECT_TRUE(pageLines(pages.at(0)).join(' ').contains(QStringLiteral("Wettkampfstart:")));
    EXPECT_FALSE(pageLines(pages.at(1)).join(' ').contains(QStringLiteral("Wettkampfstart:")))
        << "the time and place block only on a heat's first page";
    EXPECT_EQ(readBarcodes(pdf), (QStringList{"L5X070", "L5X070"}));
}

TEST_F(SheetPdf, StepListShowsTheLadderAndItsLegend)
{
    TVP_REQUIRE_TOOL("pdftotext");
    HeatFixture heat(4);
    const TPrintTable table(heat.node(), 0, false, proto::ResultValueType::Distance, false, QStringLiteral("#"));
    {
        TPrintManager manager(printer, QStringLiteral("Hochsprung - Wettkampfliste"), true);
        manager.setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_DiscList, true, TResultformat::rf_Height));
        manager.setPageFooter(std::make_shared<TDisciplineListFooter>());
        manager.setContent(std::make_shared<TDiscListPrintBody>(
            table, 120,
            std::make_shared<TStepDiscListLineRenderer>(QStringList{"60", "70", "80"}, TResultformat::rf_Height, false),
            sprintContext(1, "Wettkampfliste")));
        manager.render();
        ASSERT_TRUE(manager.endJob());
    }
    const QString text = pageLines(plainPages(pdf).value(0)).join(QLatin1Char('\n'));
    EXPECT_TRUE(text.contains(QStringLiteral("Hochsprungnotation"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("60\\s+70\\s+80")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("übersprungene")));
}

TEST_F(SheetPdf, TallySheetsOnePagePerParticipantAndAttemptInPortrait)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TVP_REQUIRE_TOOL("zbarimg");
    HeatFixture heat(3);
    const TPrintTable table(heat.node(), 2, false, proto::ResultValueType::Distance, true, QStringLiteral("Bahn"));
    {
        TPrintManager manager(printer, QStringLiteral("Sprint - Zonenstrichliste"), false);
        manager.setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_TallySheet, true, TResultformat::rf_Default));
        manager.setHeaderSpacing(150);
        manager.setFooterSpacing(30);
        manager.setPageFooter(std::make_shared<TTVPFooter>());
        manager.setContent(
            std::make_shared<TTallySheetPrintBody>(table, 120, sprintContext(1, "Zonenstrichliste"), 15));
        manager.render();
        ASSERT_TRUE(manager.endJob());
    }
    EXPECT_FALSE(pdfIsLandscape(pdf));
    const QStringList pages = plainPages(pdf);
    ASSERT_EQ(pages.size(), 6);
    const int order[][2] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}};
    QStringList expected;
    for (int p = 0; p < 6; ++p) {
        const QString text = pageLines(pages.at(p)).join(QLatin1Char('\n'));
        EXPECT_TRUE(text.contains(QStringLiteral("Versuch %1").arg(order[p][1]))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Läufer%1, Kim").arg(order[p][0])));
        EXPECT_TRUE(text.contains(QStringLiteral("Strichliste")));
        EXPECT_TRUE(text.contains(QStringLiteral("Seite %1/6").arg(p + 1)));
        expected << tallySheetBarcode({5, 500 + order[p][0], order[p][1], 7});
    }
    EXPECT_EQ(readBarcodes(pdf), expected);
}

TEST(TallySheetLayout, TheZoneBlockStaysAboveTheFooter)
{
    HeatFixture heat(1);
    const TPrintTable table(heat.node(), 0, false, proto::ResultValueType::Distance, true, QStringLiteral("Bahn"));
    TTallySheetPrintBody body(table, 120, sprintContext(1, "Zonenstrichliste"), 15);
    // A4 without margins leaves 2425 between header and footer: the block of 2400 fits as designed.
    auto page = body.getChunk(2425);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->getHeight(), 2400);
    // A printer with margins leaves less: the rows get lower instead of running into the footer.
    for (int available : {2225, 1800, 900}) {
        body.resetSplitting();
        page = body.getChunk(available);
        ASSERT_TRUE(page);
        EXPECT_LE(page->getHeight(), available) << available;
        EXPECT_FALSE(body.getChunk(available)) << "still one page for the one participant";
    }
}

TEST(TallySheetLayout, WithoutAttemptsOnePagePerParticipant)
{
    HeatFixture heat(3);
    const TPrintTable table(heat.node(), 0, false, proto::ResultValueType::Distance, true, QStringLiteral("Bahn"));
    TTallySheetPrintBody body(table, 120, sprintContext(1, "Zonenstrichliste"), 15);
    int pages = 0;
    while (auto chunk = body.getChunk(2425)) {
        EXPECT_EQ(std::dynamic_pointer_cast<TTallySheetPage>(chunk)->attempt(), 0) << "printed as ____";
        ++pages;
    }
    EXPECT_EQ(pages, 3);
}

TEST_F(SheetPdf, LapCountSheetsTwoPerPageWithLanesInTheirBarcodes)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TVP_REQUIRE_TOOL("zbarimg");
    HeatFixture heat(5);
    const TPrintTable table(heat.node(), 1, false, proto::ResultValueType::Time, true, QStringLiteral("Bahn"));
    {
        TPrintManager manager(printer, QStringLiteral("Sprint - Rundenzählblatt"), false);
        manager.setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_LapCount, true, TResultformat::rf_Default));
        manager.setHeaderSpacing(150);
        manager.setFooterSpacing(30);
        manager.setPageFooter(std::make_shared<TDisciplineListFooter>());
        manager.setContent(std::make_shared<TLapCountPrintBody>(table, 80, sprintContext(1, "Rundenzählblatt"), 8, 2));
        manager.render();
        ASSERT_TRUE(manager.endJob());
    }
    EXPECT_FALSE(pdfIsLandscape(pdf));
    const QStringList pages = plainPages(pdf);
    ASSERT_EQ(pages.size(), 3);
    const QString first = pageLines(pages.at(0)).join(QLatin1Char('\n'));
    EXPECT_TRUE(first.contains(QStringLiteral("Läufer1, Kim")));
    EXPECT_TRUE(first.contains(QStringLiteral("Läufer2, Kim")));
    EXPECT_TRUE(first.contains(QStringLiteral("Zeit 1. Lauf")));
    EXPECT_TRUE(first.contains(QRegularExpression(QStringLiteral("\\b3\\s+24\\b")))) << "8 points per lap";
    const QString last = pageLines(pages.at(2)).join(QLatin1Char('\n'));
    EXPECT_TRUE(last.contains(QStringLiteral("Läufer5, Kim")));
    EXPECT_FALSE(last.contains(QStringLiteral("Läufer4, Kim")));
    // Top items are the first lane of each sheet minus one.
    EXPECT_EQ(readBarcodes(pdf), (QStringList{disciplineListBarcode({5, 0, 7, 0}), disciplineListBarcode({5, 0, 7, 2}),
                                              disciplineListBarcode({5, 0, 7, 4})}));
}

TEST_F(SheetPdf, LapCountSheetsStayWithinThePrintableWidth)
{
    TVP_REQUIRE_TOOL("pdftotext");
    HeatFixture heat(2);
    for (const double marginMm : {0.0, 10.0}) {
        printer.setPageMargins(QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter);
        for (const int participants : {1, 2}) {
            for (const int attempts : {1, 2, 3}) {
                const TPrintTable table(heat.node(), attempts, false, proto::ResultValueType::Time, true,
                                        QStringLiteral("Bahn"));
                {
                    TPrintManager manager(printer, QStringLiteral("Sprint - Rundenzählblatt"), false);
                    manager.setPageHeader(std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_LapCount, true,
                                                                                  TResultformat::rf_Default));
                    manager.setHeaderSpacing(150);
                    manager.setFooterSpacing(30);
                    manager.setPageFooter(std::make_shared<TDisciplineListFooter>());
                    manager.setContent(std::make_shared<TLapCountPrintBody>(
                        table, 80, sprintContext(1, "Rundenzählblatt"), 8, participants));
                    manager.render();
                    ASSERT_TRUE(manager.endJob());
                }
                const std::vector<PdfWord> words = pdfWords(pdf);
                ASSERT_FALSE(words.empty());
                // A quarter point for the glyphs' own overhang.
                const double margin = marginMm / 25.4 * 72 - 0.25;
                const PdfWord right = rightmostWord(words);
                EXPECT_LE(right.xMax, right.pageWidth - margin)
                    << participants << " per sheet, " << attempts << " attempts, margin " << marginMm << " mm: \""
                    << right.text.toStdString() << "\" reaches " << right.xMax << " of " << right.pageWidth - margin;
                const QString page = pageLines(plainPages(pdf).value(0)).join(QLatin1Char(' '));
                for (int a = 1; a <= attempts; ++a)
                    EXPECT_TRUE(page.contains(QStringLiteral("Zeit %1. Lauf").arg(a))) << page.toStdString();
            }
        }
    }
}

TEST_F(SheetPdf, BlankLapCountSheetsCarryNoBarcode)
{
    TVP_REQUIRE_TOOL("zbarimg");
    const TPrintTable table = TPrintTable::CreateBlancoList(2, 1, false, proto::ResultValueType::Time);
    {
        TPrintManager manager(printer, QStringLiteral("Sprint - Rundenzählblatt"), false);
        manager.setPrintPageNo(false);
        // Even a header asking for the lap-count barcode prints none: the blank rows have no lane.
        manager.setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_LapCount, true, TResultformat::rf_Default));
        manager.setPageFooter(std::make_shared<TDisciplineListFooter>());
        manager.setContent(std::make_shared<TLapCountPrintBody>(table, 80, sprintContext(1, "Rundenzählblatt"), 8, 1));
        manager.render();
        ASSERT_TRUE(manager.endJob());
    }
    EXPECT_EQ(pdfPageCount(pdf), 2);
    EXPECT_TRUE(readBarcodes(pdf).isEmpty());
}

TEST(HeightListFiles, AscendingLinesWithCrLf)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hoch.hls"));
    ASSERT_TRUE(writeHeightListFile(file, {80, 60, 70}));
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), QByteArray("60\r\n70\r\n80\r\n"));
    in.close();

    QFile mixed(dir.filePath(QStringLiteral("mixed.hls")));
    ASSERT_TRUE(mixed.open(QIODevice::WriteOnly));
    mixed.write("50\r\nabc\r\n0\r\n55\n-3\r\n");
    mixed.close();
    std::vector<int> values;
    ASSERT_TRUE(readHeightListFile(mixed.fileName(), values));
    EXPECT_EQ(values, (std::vector<int>{50, 55}));

    QString error;
    EXPECT_FALSE(writeHeightListFile(dir.filePath(QStringLiteral("fehlt/hoch.hls")), {60}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(readHeightListFile(dir.filePath(QStringLiteral("fehlt.hls")), values, &error));
}

TEST(HeightListFiles, StoredTextAndListOrder)
{
    EXPECT_EQ(parseHeightList(QStringLiteral("60;x;80")), (std::vector<int>{60, 0, 80}));
    EXPECT_TRUE(parseHeightList(QString()).empty());
    EXPECT_EQ(joinHeightList({80, 60, 70, 60}), QStringLiteral("60;60;70;80"));
    THeightListModel model;
    model.add(80);
    model.add(60);
    model.add(70);
    EXPECT_EQ(model.index(0).data().toString(), QStringLiteral("60cm"));
    EXPECT_EQ(model.texts(), (QStringList{"60", "70", "80"}));
}

TEST_F(SheetPdf, TallyProtocolShowsCountsTotalsAndTheParticipantsCode)
{
    TVP_REQUIRE_TOOL("pdftotext");
    TVP_REQUIRE_TOOL("zbarimg");
    // The capture window's tally grid: one row per zone, the count in its first cell.
    QStandardItemModel grid(4, 2);
    grid.setHeaderData(1, Qt::Horizontal, QStringLiteral("Striche"));
    const char* counts[] = {"3", "0", "5", "1"};
    for (int r = 0; r < 4; ++r)
        grid.setData(grid.index(r, 1), QString::fromLatin1(counts[r]));
    const TPrintTable table(grid, false);
    auto context = sprintContext(1, "Zonenstrichliste");
    context->FAthleteOrTeamBarcodeID = 777;
    {
        TPrintManager manager(printer, QStringLiteral("Protokoll"), false);
        manager.setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_TallySheet, false, TResultformat::rf_Default));
        manager.setPageFooter(std::make_shared<TTVPFooter>());
        manager.setContent(std::make_shared<TTallyProtocolPrintBody>(table, 120, context, 2, QStringLiteral("Füchse"),
                                                                     QStringLiteral("Kim Läufer"), 17, 18));
        manager.render();
        ASSERT_TRUE(manager.endJob());
    }
    const QStringList pages = plainPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    const QString text = pageLines(pages.at(0)).join(QLatin1Char('\n'));
    EXPECT_TRUE(text.contains(QStringLiteral("Versuch 2"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Name Kim Läufer")));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Berechnete Gesamtpunkte:\\s+18"))));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Erfasste Punkte:\\s+17"))));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\b3\\s+5\\b")))) << "zone 3 counted 5";
    EXPECT_EQ(readBarcodes(pdf), (QStringList{tallySheetBarcode({5, 777, 2, 7})}));
}

namespace {

const QString kLongTeam =
    QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft Zwei");

// A heat of a club day: long team names, double surnames, and a relay team with its members.
struct LongHeat {
    explicit LongHeat(bool relay)
    {
        heat = new QStandardItem(QStringLiteral("Lauf/Gruppe 1"));
        model.appendRow(heat);
        const QString teams[] = {kLongTeam, QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V.")};
        const QString names[] = {QStringLiteral("Schmidt-Müller-Lüdenscheidt, Anna-Lena"),
                                 QStringLiteral("Großmann-Überlinger, Maximilian-Alexander")};
        for (int i = 1; i <= 2; ++i) {
            TTreeNodeInformation info;
            info.heatNo = 1;
            info.laneNo = i;
            info.AthleteTeamId = 100 + i;
            info.AthleteTeamBarcodeId = 500 + i;
            info.isTeam = relay;
            info.Team = teams[i - 1];
            info.Name = relay ? info.Team : names[i - 1];
            info.Bibs = {i};
            auto* child = new QStandardItem(info.Name);
            child->setData(QVariant::fromValue(info), kTreeNodeInformationRole);
            heat->appendRow(child);
            for (int m = 0; relay && m < 6; ++m) {
                TTreeNodeInformation member;
                member.subNode = true;
                member.GivenName = m % 2 ? QStringLiteral("Maximilian-Alexander") : QStringLiteral("Anna-Lena");
                member.Bibs = {1000 * i + 101 + m};
                auto* node = new QStandardItem(member.GivenName);
                node->setData(QVariant::fromValue(member), kTreeNodeInformationRole);
                child->appendRow(node);
            }
        }
    }
    QModelIndex node() const { return model.index(0, 0); }

    QStandardItemModel model;
    QStandardItem* heat = nullptr;
};

std::shared_ptr<TDisciplinePrintContext> longContext(const QString& doc)
{
    return std::make_shared<TDisciplinePrintContext>(
        QStringLiteral("Riege U10 Überlingen-Seeufer (1), Riege U12 Überlingen-Seeufer (2)"), 1,
        proto::ResultValueType::Time, doc, QStringLiteral("Hindernis-Rundenlauf Ausdauer"), 9, 5, 7,
        QStringLiteral("Weitsprunganlage Nord (Sandgrube 2)"), 0.4);
}

// A sheet of the competition-list window with the list's header and footer: portrait, or a list.
bool printSheets(QPrinter& printer, TBarcodeType barcode, std::shared_ptr<ITVPrintSplitableContent> body,
                 bool landscape = false)
{
    TPrintManager manager(printer, QStringLiteral("Hindernis-Rundenlauf"), landscape);
    manager.setPageHeader(std::make_shared<TDisciplineListHeader>(barcode, true, TResultformat::rf_Default));
    manager.setHeaderSpacing(150);
    manager.setFooterSpacing(30);
    manager.setPageFooter(std::make_shared<TDisciplineListFooter>());
    manager.setContent(std::move(body));
    manager.render();
    return manager.endJob();
}

// The right edge of the printable area in points, less a quarter point for the glyphs' overhang.
double printableRight(const PdfWord& word, double marginMm)
{
    return word.pageWidth - marginMm / 25.4 * 72 + 0.25;
}

} // namespace

TEST_F(SheetPdf, SheetsOfAClubDayStayWithinThePrintableWidth)
{
    TVP_REQUIRE_TOOL("pdftotext");
    LongHeat heat(false);
    for (const int attempts : {1, 2, 3}) {
        // Sheets of two attempts with the printer's own margins, the others with 10 mm.
        setDialogMargins(printer, attempts == 2 ? -1 : 10);
        const TPrintTable table(heat.node(), attempts, false, proto::ResultValueType::Time, true,
                                QStringLiteral("Bahn"));
        for (const int participants : {1, 2}) {
            ASSERT_TRUE(printSheets(
                printer, TBarcodeType::bt_LapCount,
                std::make_shared<TLapCountPrintBody>(table, 80, longContext("Rundenzählblatt"), 8, participants)));
            EXPECT_EQ(paperFit(pdf, printer, {}), "") << participants << " per sheet, " << attempts << " attempts";
        }
        ASSERT_TRUE(
            printSheets(printer, TBarcodeType::bt_TallySheet,
                        std::make_shared<TTallySheetPrintBody>(table, 120, longContext("Zonenstrichliste"), 15)));
        const std::vector<PdfWord> words = pdfWords(pdf);
        EXPECT_EQ(paperFit(pdf, printer, {}), "") << "tally sheet, " << attempts << " attempts";
        EXPECT_EQ(overlappingWords(words), "");
        // The stamp of the heading names the sheet's page whatever the squads' length.
        const QString first = pageLines(plainPages(pdf).value(0)).join(QLatin1Char(' '));
        EXPECT_TRUE(first.contains(QRegularExpression(QStringLiteral("Seite 1/%1\\)").arg(2 * attempts))))
            << first.toStdString();
    }
}

// A team named after a club of one long word: where the word takes more than a line, it breaks
// where its parts join.
TEST_F(SheetPdf, TwoParticipantsPerLapCountSheetBreakALongClubWordAtItsJoints)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const QString team =
        QStringLiteral("Kinderleichtathletiknachwuchsfördergemeinschaft Oberschwäbischer Bodenseekreis e.V. Eins");
    HeatFixture heat(2, team);
    const TPrintTable table(heat.node(), 3, false, proto::ResultValueType::Time, true, QStringLiteral("Bahn"));
    // The sheet's own words ("bitte nach Ende") are no names.
    expectPaperFit(printer, dir, {}, [&](const QString& file) {
        printer.setOutputFileName(file);
        ASSERT_TRUE(printSheets(printer, TBarcodeType::bt_LapCount,
                                std::make_shared<TLapCountPrintBody>(table, 80, longContext("Rundenzählblatt"), 8, 2)));
        EXPECT_EQ(
            brokenInsideWords(file, {team}, {QStringLiteral("Kinder|leicht|athletik|nachwuchs|förder|gemeinschaft")}),
            QStringList());
    });
}

TEST_F(SheetPdf, TwoParticipantsPerLapCountSheetKeepToTheirHalves)
{
    TVP_REQUIRE_TOOL("pdftotext");
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    for (const bool relay : {false, true}) {
        LongHeat heat(relay);
        const TPrintTable table(heat.node(), 3, relay, proto::ResultValueType::Time, true, QStringLiteral("Bahn"));
        ASSERT_TRUE(printSheets(printer, TBarcodeType::bt_LapCount,
                                std::make_shared<TLapCountPrintBody>(table, 80, longContext("Rundenzählblatt"), 8, 2)));
        const std::vector<PdfWord> words = pdfWords(pdf);
        EXPECT_EQ(overlappingWords(words), "") << (relay ? "relay" : "individuals");
        const PdfWord right = rightmostWord(words);
        EXPECT_LE(right.xMax, printableRight(right, 10)) << "\"" << right.text.toStdString() << "\"";
        // The second participant's labels start its half: nothing of the first reaches past them.
        std::vector<PdfWord> labels;
        for (const PdfWord& w : words)
            if (w.text == QStringLiteral("Team") || w.text == QStringLiteral("Bahn"))
                labels.push_back(w);
        ASSERT_EQ(labels.size(), 4u);
        const double half = std::max_element(labels.begin(), labels.end(), [](const PdfWord& a, const PdfWord& b) {
                                return a.xMin < b.xMin;
                            })->xMin;
        for (const PdfWord& w : words) {
            if (w.xMin < half && w.yMin > labels.front().yMin - 1 && w.yMax < labels.back().yMax + 80) {
                EXPECT_LT(w.xMax, half) << "\"" << w.text.toStdString() << "\" reaches into the second half";
            }
        }
        // "Punkte" shrinks with its column and ends before the rule ahead of the times.
        for (const PdfWord& points : words) {
            if (points.text != QStringLiteral("Punkte"))
                continue;
            const PdfWord* time = nullptr;
            for (const PdfWord& w : words)
                if (w.text == QStringLiteral("Zeit") && std::abs(w.yMin - points.yMin) < 3 && w.xMin > points.xMin &&
                    (!time || w.xMin < time->xMin))
                    time = &w;
            ASSERT_TRUE(time);
            // The rule stands at most 10 units (2.9 pt) before the caption of the first time.
            EXPECT_LT(points.xMax, time->xMin - 2.9) << "\"Punkte\" ends at " << points.xMax;
        }
        // Every text of the team and the names is on the sheet, whole or wrapped.
        const QString page = pageLines(plainPages(pdf).value(0)).join(QLatin1Char(' '));
        for (const QString& word : {QStringLiteral("Nachwuchsmannschaft"), QStringLiteral("Zwei")})
            EXPECT_TRUE(page.contains(word)) << page.toStdString();
    }
}

TEST_F(SheetPdf, HeadingsNameTheWholeSquadAndFacilityOfEverySheet)
{
    TVP_REQUIRE_TOOL("pdftotext");
    // Squads and facilities that differ only after letter 30; a list's heat of both squads.
    const QString squad = QStringLiteral("Riege U10 Überlingen-Seeufer Nachmittagsgruppe %1");
    const QString place = QStringLiteral("Weitsprung- und Wurfanlage %1 (Sportanlage am Seeufer Überlingen)");
    LongHeat heat(false);
    // Each print measures its table afresh, as a window's does.
    const auto expectWhole = [&](TBarcodeType barcode, const QString& squads, const QString& facility, const char* doc,
                                 const auto& body) {
        expectPaperFit(printer, dir, {squads, facility}, [&](const QString& file) {
            printer.setOutputFileName(file);
            const bool sheet = barcode != TBarcodeType::bt_DiscList;
            const TPrintTable table(heat.node(), 2, false, proto::ResultValueType::Distance, sheet,
                                    sheet ? "Bahn" : "#");
            const auto context = std::make_shared<TDisciplinePrintContext>(
                squads, 2, proto::ResultValueType::Distance, doc,
                QStringLiteral("Ballwurf Sammelgruppe Sechzehn Teams U10"), 9, 5, 7, facility, 0.4);
            ASSERT_TRUE(printSheets(printer, barcode, body(table, context), !sheet));
            EXPECT_EQ(overlappingWords(pdfWords(file)), "");
        });
    };
    expectWhole(TBarcodeType::bt_TallySheet, squad.arg("Nord (4)"), place.arg("Nord"), "Zonenstrichliste",
                [](const auto& t, auto c) { return std::make_shared<TTallySheetPrintBody>(t, 120, c, 15); });
    expectWhole(TBarcodeType::bt_LapCount, squad.arg("Süd (5)"), place.arg("Süd"), "Rundenzählblatt",
                [](const auto& t, auto c) { return std::make_shared<TLapCountPrintBody>(t, 80, c, 8, 1); });
    expectWhole(TBarcodeType::bt_DiscList, squad.arg("Nord (4)") + QStringLiteral(", ") + squad.arg("Süd (5)"),
                place.arg("Süd"), "Wettkampfliste", [](const auto& t, auto c) {
                    return std::make_shared<TDiscListPrintBody>(
                        t, 120, std::make_shared<TAttemptDiscListLineRenderer>(false), c);
                });
}
