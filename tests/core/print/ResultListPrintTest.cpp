// The plain list print: title, subtitle, column header and footer on every page, cut cells, and
// lists without widths or rows.

#include "tests/support/TestUtil.h"
#include "core/print/ResultListPrint.h"
#include "tests/core/print/PdfTools.h"

#include <QPrinter>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tvp;
using namespace tvp::test;

namespace {

class ResultList : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath(QStringLiteral("ergebnisse.pdf"));
        printToPdf(printer, pdf);
        list.setHorizontalHeaderLabels({QStringLiteral("Platz"), QStringLiteral("Team"), QStringLiteral("Punkte")});
    }
    void addRows(int n)
    {
        for (int i = 1; i <= n; ++i)
            list.appendRow({new QStandardItem(QString::number(i)), new QStandardItem(QStringLiteral("Team%1").arg(i)),
                            new QStandardItem(QString::number(1000 - i))});
    }
    QTemporaryDir dir;
    QString pdf;
    QPrinter printer{QPrinter::HighResolution};
    QStandardItemModel list{0, 3};
    TListPrintColumns columns{{60, 200, 80}, 400};
};

TEST_F(ResultList, AnEmptyListPrintsTitleHeaderAndFooterOnOnePage)
{
    TVP_REQUIRE_TOOL("pdftotext");
    ASSERT_TRUE(ResultListPrint(printer, list, columns, QStringLiteral("Sprint - Ergebnisse"), QString()));
    EXPECT_EQ(pdfPageCount(pdf), 1);
    EXPECT_TRUE(pdfIsLandscape(pdf));
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_EQ(lines.size(), 3) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Sprint - Ergebnisse \\(\\d\\d:\\d\\d\\)$")).match(lines.at(0)).hasMatch());
    EXPECT_EQ(lines.at(1), QStringLiteral("Platz Team Punkte"));
    EXPECT_EQ(lines.at(2), todaysFooter());
    EXPECT_EQ(pdfInfo(pdf, QStringLiteral("Title")), QStringLiteral("Sprint - Ergebnisse"));
}

TEST_F(ResultList, LongListsRepeatTheColumnHeaderAndFooterOnEveryPage)
{
    TVP_REQUIRE_TOOL("pdftotext");
    addRows(60);
    ASSERT_TRUE(ResultListPrint(printer, list, columns, QStringLiteral("Tageswertung"), QStringLiteral("U10")));
    EXPECT_EQ(pdfInfo(pdf, QStringLiteral("Title")), QStringLiteral("Tageswertung U10"));
    const QStringList pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 2);
    EXPECT_EQ(pdfPageCount(pdf), pages.size());
    int next = 1;
    for (int p = 0; p < pages.size(); ++p) {
        QStringList lines = pageLines(pages.at(p));
        ASSERT_GE(lines.size(), 3);
        if (p == 0) {
            EXPECT_TRUE(lines.takeFirst().startsWith(QStringLiteral("Tageswertung (")));
            EXPECT_EQ(lines.takeFirst(), QStringLiteral("U10")) << "the subtitle line";
        }
        EXPECT_EQ(lines.takeFirst(), QStringLiteral("Platz Team Punkte"));
        EXPECT_EQ(lines.takeLast(), todaysFooter());
        for (const QString& line : lines) {
            EXPECT_EQ(line, QStringLiteral("%1 Team%1 %2").arg(next).arg(1000 - next));
            ++next;
        }
    }
    EXPECT_EQ(next, 61) << "every row once, in order";
}

TEST_F(ResultList, TooWideCellsAreCutAndRowsWithoutSubItemsUseTheWholeWidth)
{
    TVP_REQUIRE_TOOL("pdftotext");
    // Wider than a page of its own: however narrow its column on screen, a text goes on in further
    // lines and is cut only where the page's last line ends.
    list.appendRow({new QStandardItem(QStringLiteral("1")),
                    new QStandardItem(QStringLiteral("Leichtathletikgemeinschaft ").repeated(250) +
                                      QStringLiteral("Oberes Musterland")),
                    new QStandardItem(QStringLiteral("12"))});
    list.appendRow({new QStandardItem(QStringLiteral("Zwischenüberschrift über die ganze Breite"))});
    TListPrintColumns narrow{{20, 20, 20}, 60};
    narrow.widths[1] = 6; // a few millimetres for the team
    ASSERT_TRUE(ResultListPrint(printer, list, narrow, QStringLiteral("Schmal"), QString()));
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 3) << "the title's page has no room for the row";
    const QStringList lines = pageLines(pages.at(1));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral(" 12"))) << lines.at(1).toStdString();
    EXPECT_TRUE(lines.at(lines.size() - 2).endsWith(QStringLiteral("..."))) << "the page's last line";
    EXPECT_FALSE(pages.join(u' ').contains(QStringLiteral("Musterland")));
    EXPECT_EQ(pageLines(pages.at(2)).at(1), QStringLiteral("Zwischenüberschrift über die ganze Breite"));
}

TEST_F(ResultList, TheColumnsFillThePageInTheirScreenProportions)
{
    TVP_REQUIRE_TOOL("pdftotext");
    // On screen the ranking is narrow in a wide window: names cut there, empty room beside.
    list.appendRow({new QStandardItem(QStringLiteral("1")),
                    new QStandardItem(QStringLiteral("SC Grünwald-Süd Leichtathletik 1970")),
                    new QStandardItem(QStringLiteral("1170 Pkt"))});
    list.appendRow({new QStandardItem(QStringLiteral("2")),
                    new QStandardItem(QStringLiteral("TSV Musterstadt Kinderleichtathletik")),
                    new QStandardItem(QStringLiteral("1275 Pkt"))});
    const TListPrintColumns screen{{40, 90, 60}, 700};
    ASSERT_TRUE(ResultListPrint(printer, list, screen, QStringLiteral("Teamwertung"), QString()));
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.at(2), QStringLiteral("1 SC Grünwald-Süd Leichtathletik 1970 1170 Pkt"));
    EXPECT_EQ(lines.at(3), QStringLiteral("2 TSV Musterstadt Kinderleichtathletik 1275 Pkt"));
    // In the screen's proportions: the points start about 130/190 of the way across.
    const std::vector<PdfWord> words = pdfWords(pdf);
    const auto points = std::find_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "1170"; });
    ASSERT_NE(points, words.end());
    EXPECT_GT(points->xMin, points->pageWidth * 0.6);
    EXPECT_LE(rightmostWord(words).xMax, points->pageWidth);
}

TEST_F(ResultList, NamesOfAClubDayPrintWholeWhereThePageHasRoom)
{
    TVP_REQUIRE_TOOL("pdftotext");
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    const double printableRight = 297.0 / 25.4 * 72 - 10 / 25.4 * 72 + 0.25;
    // The results window's team ranking: the team's column narrow beside six attempts' columns.
    QStandardItemModel ranking(0, 7);
    ranking.setHorizontalHeaderLabels({"Team", "1.", "2.", "3.", "4.", "5.", "6."});
    const QString teams[] = {
        QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft Zwei"),
        QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V.")};
    ranking.appendRow({new QStandardItem(teams[0]), new QStandardItem(QStringLiteral("1385 Pkt"))});
    ranking.appendRow({new QStandardItem(teams[1]), new QStandardItem(QStringLiteral("1270 Pkt"))});
    ASSERT_TRUE(ResultListPrint(printer, ranking, {{150, 80, 80, 80, 80, 80, 80}, 720},
                                QStringLiteral("Teamwertung Riege U10 Überlingen-Seeufer und Riege U12 "
                                               "Überlingen-Seeufer - Hindernis-Rundenlauf Ausdauer"),
                                QString()));
    // Every word whole, a long name on two lines where its column ends.
    const auto printedWords = [&] {
        QStringList texts;
        for (const PdfWord& w : pdfWords(pdf))
            texts << w.text;
        return texts;
    };
    QStringList printed = printedWords();
    for (const QString& team : teams)
        for (const QString& word : team.split(u' '))
            EXPECT_TRUE(printed.contains(word)) << word.toStdString() << " in " << printed.join(u' ').toStdString();
    EXPECT_FALSE(printed.join(u' ').contains(QStringLiteral("...")));
    PdfWord right = rightmostWord(pdfWords(pdf));
    EXPECT_LE(right.xMax, printableRight) << right.text.toStdString();

    // A discipline's results: bib, given name, surname and team, then the attempts.
    QStandardItemModel athletes(0, 7);
    athletes.setHorizontalHeaderLabels({"Startnr.", "Vorname", "Nachname", "Team", "1.", "2.", "3."});
    athletes.appendRow({new QStandardItem(QStringLiteral("101")), new QStandardItem(QStringLiteral("Anna-Lena")),
                        new QStandardItem(QStringLiteral("Schmidt-Müller-Lüdenscheidt")), new QStandardItem(teams[0]),
                        new QStandardItem(QStringLiteral("3,45 m")), new QStandardItem(QStringLiteral("3,61 m")),
                        new QStandardItem(QStringLiteral("x"))});
    ASSERT_TRUE(ResultListPrint(printer, athletes, {{50, 100, 100, 100, 80, 80, 80}, 600},
                                QStringLiteral("Weitsprung - Ergebnisse"), QString()));
    printed = printedWords();
    EXPECT_TRUE(printed.contains(QStringLiteral("Schmidt-Müller-Lüdenscheidt"))) << printed.join(u' ').toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Nachwuchsmannschaft"))) << printed.join(u' ').toStdString();
    EXPECT_FALSE(printed.join(u' ').contains(QStringLiteral("...")));
    right = rightmostWord(pdfWords(pdf));
    EXPECT_LE(right.xMax, printableRight) << right.text.toStdString();
}

TEST_F(ResultList, ABigClubsDisciplinePrintsEveryNameWholeOnPagesThatTakeTheRowsThatFit)
{
    TVP_REQUIRE_TOOL("pdftotext");
    // The evaluation of one discipline: 16 teams of 6, a club's one-word name, a 72-letter surname.
    QStandardItemModel results(0, 7);
    results.setHorizontalHeaderLabels({"Startnr.", "Vorname", "Nachname", "Team", "1.", "2.", "3."});
    const QString club = QStringLiteral("Kinderleichtathletiknachwuchsfördergemeinschaft Oberschwäbischer Bodenseekreis");
    const QString longest = QStringLiteral("Schmidt-Müller-Lüdenscheidt-Überkinger-Großkopf-Wäldermann-Hohenberg-Rosen");
    QStringList names{longest, QStringLiteral("Müller")};
    for (int t = 1; t <= 16; ++t) {
        const QString team = t % 2 ? club + QStringLiteral(" e.V. %1").arg(t)
                                   : QStringLiteral("SC Grünwald Nachwuchsrenner %1").arg(t);
        names << team;
        for (int a = 0; a < 6; ++a)
            results.appendRow({new QStandardItem(QString::number(500 + 6 * t + a)), new QStandardItem("Anna-Lena"),
                               new QStandardItem(t == 9 && a == 2 ? longest : QStringLiteral("Müller")),
                               new QStandardItem(team), new QStandardItem(QStringLiteral("12,50 m")),
                               new QStandardItem(QStringLiteral("11,75 m")), new QStandardItem(QStringLiteral("x"))});
    }
    expectPaperFit(printer, dir, names, [&](const QString& file) {
        printer.setOutputFileName(file);
        ASSERT_TRUE(ResultListPrint(printer, results, {{50, 100, 100, 100, 50, 50, 50}, 600},
                                    QStringLiteral("Ballwurf Sammelgruppe Sechzehn Teams U10"), QString()));
        // A page ends where its next row has no room: it would start lower than 40 mm above the
        // page's bottom or end within 3 mm of the footer.
        const std::vector<PdfWord> words = pdfWords(file);
        const double lowestStart =
            words.front().pageHeight - printer.pageLayout().margins(QPageLayout::Point).bottom() - 113.4;
        for (int p = 0; p < words.back().page; ++p) {
            double footer = 0, last = 0, next[2] = {};
            int bibs = 0;
            for (const PdfWord& w : words)
                footer = w.page == p && w.text == QStringLiteral("Erstellt") ? w.yMin : footer;
            for (const PdfWord& w : words) {
                if (w.page == p && w.yMax < footer - 1)
                    last = std::max(last, w.yMax);
                if (w.page == p + 1 && w.xMin < 90 && w.text.toInt() >= 500 && bibs < 2)
                    next[bibs++] = w.yMin;
            }
            EXPECT_FALSE(last + 3 < lowestStart && last + 3 + next[1] - next[0] + 8.5 < footer)
                << file.toStdString() << " page " << p + 1 << " ends " << footer - last << " pt above the footer";
        }
    });
}

TEST_F(ResultList, AListWithoutWidthsStillPrints)
{
    TVP_REQUIRE_TOOL("pdftotext");
    addRows(2);
    ASSERT_TRUE(ResultListPrint(printer, list, TListPrintColumns{{}, 0}, QStringLiteral("Ohne Breite"), QString()));
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.at(2), QStringLiteral("1 Team1 999")) << "the columns share the page";

    ASSERT_TRUE(ResultListPrint(printer, list, TListPrintColumns{{0, 0, 0}, 0}, QStringLiteral("Null"), QString()));
    EXPECT_EQ(pageLines(pdfPages(pdf).value(0)).at(2), QStringLiteral("1 Team1 999"));
}

TEST_F(ResultList, NoPrinterPrintsNothing)
{
    QPrinter none;
    none.setOutputFileName(QString());
    if (!none.printerName().isEmpty())
        GTEST_SKIP() << "this machine has a default printer";
    QString error;
    EXPECT_FALSE(ResultListPrint(none, list, columns, QStringLiteral("x"), QString(), &error));
    EXPECT_TRUE(error.isEmpty()) << "no printer is no failure";
}

TEST_F(ResultList, AFileThatCannotBeWrittenIsAFailure)
{
    printer.setOutputFileName(dir.filePath(QStringLiteral("fehlt/x.pdf")));
    QString error;
    EXPECT_FALSE(ResultListPrint(printer, list, columns, QStringLiteral("x"), QString(), &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
