// Table printouts: the even spreading of rows over pages, the page of rows with its header line
// and shading, the caption header, the filter caption and the standard footer, read back from PDF.

#include "tests/support/TestUtil.h"
#include "core/print/Hyphenation.h"
#include "core/print/PrintObject.h"
#include "core/print/PrintUtils.h"
#include "tests/core/print/PdfTools.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

struct Person {
    QString given;
    QString name;
    int bib = 0;
};

class PersonMapper : public TObjectColMapper<Person> {
public:
    PersonMapper()
    {
        addHeader(QStringLiteral("Vorname"));
        addHeader(QStringLiteral("Name"));
        addHeader(QStringLiteral("Startnr."));
    }
    QString getCellText(int col, const Person& p) const override
    {
        switch (col) {
        case 0: return p.given;
        case 1: return p.name;
        case 2: return QString::number(p.bib);
        default: return {};
        }
    }
};

using PersonTable = TItemListPrintTable<Person>;

std::shared_ptr<PersonTable> table(int rows, int rowHeight = 65)
{
    auto body = std::make_shared<PersonTable>(rowHeight, std::make_shared<TSimpleLineRenderer>(), nullptr,
                                              std::make_shared<PersonMapper>());
    for (int i = 1; i <= rows; ++i)
        body->addItem({QStringLiteral("Vorname%1").arg(i), QStringLiteral("Name%1").arg(i), 100 + i});
    return body;
}

// The rows of every chunk of one splitting pass.
std::vector<int> split(PersonTable& body, int available)
{
    std::vector<int> rows;
    body.resetSplitting();
    while (auto chunk = body.getChunk(available)) {
        auto* page = dynamic_cast<TItemsTablePage<Person>*>(chunk.get());
        rows.push_back(page ? page->rowCount() : -1);
        if (rows.size() > 1000)
            break;
    }
    return rows;
}

TEST(TableSplitting, RowsAreSpreadEvenlyOverThePages)
{
    // Room for 21 lines of 100: the header line and 20 rows.
    EXPECT_EQ(split(*table(25, 100), 2100), (std::vector<int>{13, 12}));
    EXPECT_EQ(split(*table(20, 100), 2100), (std::vector<int>{20}));
    EXPECT_EQ(split(*table(21, 100), 2100), (std::vector<int>{11, 10}));
    EXPECT_EQ(split(*table(41, 100), 2100), (std::vector<int>{14, 14, 13}));
    EXPECT_TRUE(split(*table(0, 100), 2100).empty());
    auto body = table(25, 100);
    EXPECT_EQ(split(*body, 2100), split(*body, 2100)) << "every pass splits alike";
}

TEST(TableSplitting, RowsTallerThanHalfThePageGoOnePerPage)
{
    EXPECT_EQ(split(*table(3, 600), 1000), (std::vector<int>{1, 1, 1})) << "room for less than two lines";
    EXPECT_EQ(split(*table(2, 600), 100), (std::vector<int>{1, 1})) << "room for less than one line";
    EXPECT_EQ(split(*table(2, 100), 0), (std::vector<int>{1, 1}));
    EXPECT_EQ(split(*table(3, 0), 2100), (std::vector<int>{3})) << "a row height of 0 divides nothing by zero";
    EXPECT_EQ(TGenericListTableContent::rowsPerPage(-50, -3), 1);
}

TEST(TableSplitting, ItemsAreCopiesTheTableKeepsAndSorts)
{
    auto body = table(3);
    EXPECT_EQ(body->getItemCount(), 3);
    EXPECT_EQ(body->getItem(3), nullptr);
    EXPECT_EQ(body->getItem(-1), nullptr);
    body->sort([](const Person& a, const Person& b) { return a.bib > b.bib; });
    EXPECT_EQ(body->getItem(0)->bib, 103);
    PersonMapper mapper;
    EXPECT_EQ(mapper.getHeader(3), QString()) << "no such column";
    EXPECT_EQ(mapper.getRow(*body->getItem(2)),
              (QStringList{QStringLiteral("Vorname1"), QStringLiteral("Name1"), QStringLiteral("101")}));
}

// A canvas at 300 dpi to measure and wrap texts on, at a height of type.
struct MeasuringCanvas {
    explicit MeasuringCanvas(int height) : device(makeDevice()), painter(&device), canvas(painter, device)
    {
        canvas.setFontHeight(height);
    }
    static QImage makeDevice()
    {
        QImage image(200, 200, QImage::Format_RGB32);
        image.setDotsPerMeterX(11811);
        image.setDotsPerMeterY(11811);
        return image;
    }
    QImage device;
    QPainter painter;
    TPrintCanvas canvas;
};

TEST(CellText, TextsAreCutToTheirWidthAndNeverLoop)
{
    MeasuringCanvas measuring(45);
    TPrintCanvas& canvas = measuring.canvas;
    const QString name = QStringLiteral("Leichtathletikgemeinschaft Oberes Musterland");
    const int full = canvas.textWidth(name);
    EXPECT_EQ(elideToWidth(canvas, name, full), name) << "a text that fits stays whole";
    const QString cut = elideToWidth(canvas, name, full / 2);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("...")));
    EXPECT_LE(canvas.textWidth(cut), full / 2);
    EXPECT_GT(canvas.textWidth(elideToWidth(canvas, name, full / 2 + 40)), canvas.textWidth(cut) - 1)
        << "the longest piece that fits";
    EXPECT_EQ(elideToWidth(canvas, name, 0), QStringLiteral("...")) << "nothing fits";
    EXPECT_EQ(elideToWidth(canvas, name, -100), QStringLiteral("..."));
    EXPECT_EQ(elideToWidth(canvas, QString(), 0), QString());
    const QString endless = elideToWidth(canvas, QString(100000, QLatin1Char('W')), 300);
    EXPECT_TRUE(endless.endsWith(QStringLiteral("...")));
    EXPECT_LE(canvas.textWidth(endless), 300);
}

// No line breaks at a decimal comma; a word wider than its line breaks with a hyphen, at a
// compound's joint where it can; a cut last line goes on where the one before it ended.
TEST(CellText, LinesBreakBetweenWordsAndAWordTooWideForItsLineGetsAHyphen)
{
    MeasuringCanvas measuring(48);
    TPrintCanvas& canvas = measuring.canvas;
    const auto wrap = [&](const char* text, const char* fits) {
        return wrapToWidth(canvas, QString::fromUtf8(text), canvas.textWidth(QString::fromUtf8(fits)));
    };
    EXPECT_EQ(wrap("2,59m 3,10m", "2,59m"), (QStringList{"2,59m", "3,10m"}));
    EXPECT_EQ(wrap("Abrechnungsverein", "Abrechnungsve-"), (QStringList{"Abrechnungs-", "verein"}));
    const QString word = QStringLiteral("Leichtathletikgemeinschaft");
    const int half = canvas.textWidth(word) / 2 + 20;
    const QStringList two = wrapToLines(canvas, word + QStringLiteral(" Hochschwarzwald-Baar-Heuberg"), half, 2);
    ASSERT_EQ(two.size(), 2);
    EXPECT_TRUE(two[0].endsWith(u'-') && word.startsWith(two[0].chopped(1)) && canvas.textWidth(two[0]) <= half)
        << two[0].toStdString();
    EXPECT_TRUE(word.mid(two[0].size() - 1).startsWith(two[1].chopped(3))) << two[1].toStdString();
}

// The club and place names of a club day divide as the German dictionary has them: "|" a
// compound's joint, "-" a syllable. No letter stands alone between two breaks.
TEST(Hyphenation, ClubAndPlaceNamesDivideAsTheGermanDictionaryHasThem)
{
    const auto divided = [](const QString& word) {
        const std::vector<TBreak> points = hyphenationPoints(word);
        EXPECT_EQ(points.size(), std::size_t(word.size()) + 1) << word.toStdString();
        QString out;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (points[std::size_t(i)] == TBreak::joint)
                out += u'|';
            else if (points[std::size_t(i)] == TBreak::syllable)
                out += u'-';
            out += word.at(i);
        }
        return out;
    };
    const QStringList names{"Fried-richs-ha-fen", "Über-lin-gen",     "Pful-len-dorf",       "Ra-vens-burg",
                            "Meers-burg",         "Ober-teu-rin-gen", "Im-men-staad",        "Mark-dorf",
                            "Kress-bronn",        "Lin-dau",          "Uhl-din-gen",         "Lan-gen-ar-gen",
                            "Fens-ter",           "Lü-den-scheidt",   "Sport-ge-mein-schaft"};
    for (const QString& name : names)
        EXPECT_EQ(divided(QString(name).remove(u'-')).replace(u'|', u'-'), name);
    EXPECT_EQ(divided(QStringLiteral("Kampfrichter")), QStringLiteral("Kampf|rich-ter"));
    EXPECT_EQ(divided(QStringLiteral("DEUTSCHLAND")), QStringLiteral("DEUTSCH|LAND")) << "capitals alike";
    // The patterns would leave the "p" of "pful" alone.
    EXPECT_EQ(divided(QStringLiteral("Jugendpfullendorf")).replace(u'|', u'-'),
              QStringLiteral("Ju-gend-pful-len-dorf"));
    // Each run of letters on its own; none in a word the dictionary cannot spell.
    EXPECT_EQ(divided(QStringLiteral("1896-Lindau,")), QStringLiteral("1896-Lin|dau,"));
    EXPECT_EQ(divided(QStringLiteral("Łódźer Lindau")), QStringLiteral("Łódźer Lin|dau"));
    EXPECT_EQ(divided(QStringLiteral("e.V.")), QStringLiteral("e.V."));
}

TEST(TableColumns, TheWidestGiveWayWhenTheTableIsWiderThanThePage)
{
    EXPECT_EQ(fitColumnsToWidth({100, 500, 300}, 1000), (std::vector<int>{100, 500, 300})) << "fits: unchanged";
    EXPECT_EQ(fitColumnsToWidth({100, 500, 300}, 800), (std::vector<int>{100, 400, 300}));
    EXPECT_EQ(fitColumnsToWidth({100, 500, 300}, 600), (std::vector<int>{100, 250, 250}));
    EXPECT_EQ(fitColumnsToWidth({100, 500, 300}, 270), (std::vector<int>{90, 90, 90}));
    EXPECT_EQ(fitColumnsToWidth({}, 100), std::vector<int>{});
    // A column kept at its minimum (its header whole): the others give way the more.
    EXPECT_EQ(fitColumnsToWidth({100, 500, 300}, 600, {0, 0, 280}), (std::vector<int>{100, 220, 280}));
    EXPECT_EQ(fitColumnsToWidth({100, 500, 300}, 600, {0, 0, 700}), (std::vector<int>{100, 200, 300}))
        << "no column is made wider than it asks";
    EXPECT_EQ(fitColumnsToWidth({100, 500, 300}, 270, {0, 400, 280}), (std::vector<int>{90, 90, 90}))
        << "minimums that do not fit are given up";
    std::vector<int> widths{10, 20};
    widenColumns(widths, {15, 5, 30});
    EXPECT_EQ(widths, (std::vector<int>{15, 20, 30}));
}

// One surname too long for any width the page leaves takes its lines; the teams beside it keep
// theirs in one line each rather than every row growing to the lines of the tallest.
TEST(TableColumns, TheColumnsGiveTheWholeListTheFewestLines)
{
    MeasuringCanvas measuring(45);
    TPrintCanvas& canvas = measuring.canvas;
    constexpr int gap = 40;
    const QString longest =
        QStringLiteral("Schmidt-Müller-Lüdenscheidt-Überkinger-Großkopf-Wäldermann-Hohenberg-Rosen");
    const QString team = QStringLiteral("Leichtathletikgemeinschaft Überlingen");
    TWrapColumn surnames, teams;
    surnames.caption = QStringLiteral("Nachname");
    teams.caption = QStringLiteral("Team");
    surnames.breaks = teams.breaks = TWordBreak::atJoints;
    for (int r = 0; r < 10; ++r) {
        surnames.cells << (r == 4 ? longest : QStringLiteral("Wolf"));
        teams.cells << team;
    }
    surnames.wanted = canvas.textWidth(longest) + gap;
    teams.wanted = canvas.textWidth(team) + gap;
    const int available = teams.wanted + canvas.textWidth(QStringLiteral("Lüdenscheidt-Überkinger-")) + gap;
    const std::vector<int> widths = fitColumnsToFewestLines(canvas, {surnames, teams}, gap, available);
    ASSERT_EQ(widths.size(), 2u);
    EXPECT_LE(widths[0] + widths[1], available);
    EXPECT_EQ(wrapToWidth(canvas, team, widths[1] - gap, TWordBreak::atJoints).size(), 1)
        << "the teams' column " << widths[1] << " of " << available;
    const QStringList surname = wrapToWidth(canvas, longest, widths[0] - gap, TWordBreak::atJoints);
    EXPECT_EQ(surname.join(QString()).remove(u'-'), QString(longest).remove(u'-')) << "whole, in lines";
}

TEST(FilterCaption, JoinsOnlyTheSetPartsInTheirOrder)
{
    TFilterPrintStrings filter;
    EXPECT_EQ(filter.getPrintString(), QString());
    filter.setDisciplineName(QStringLiteral("Sprint"));
    filter.setAgeClassName(QStringLiteral("U10"));
    EXPECT_EQ(filter.getPrintString(), QStringLiteral("Altersklasse U10, Noch nicht eingeteilt in Sprint"));
    filter.setTeamName(QStringLiteral("Adler"));
    EXPECT_EQ(filter.getPrintString(), QStringLiteral("Altersklasse U10, Team Adler, Noch nicht eingeteilt in Sprint"));
    filter.Reset();
    EXPECT_EQ(filter.getPrintString(), QString());
}

class TablePrintout : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath(QStringLiteral("liste.pdf"));
        printToPdf(printer, pdf);
    }
    void print(const std::shared_ptr<ITVPrintObject>& header, const std::shared_ptr<PersonTable>& body,
               bool pageNumbers = true)
    {
        TPrintManager manager(printer, QStringLiteral("Teilnehmer"), true);
        manager.setPrintPageNo(pageNumbers);
        manager.setPageHeader(header);
        manager.setHeaderSpacing(150);
        manager.setContent(body);
        manager.setPageFooter(std::make_shared<TTVPFooter>());
        manager.setFooterSpacing(30);
        manager.render();
        ASSERT_TRUE(manager.endJob());
    }
    QTemporaryDir dir;
    QString pdf;
    QPrinter printer{QPrinter::HighResolution};
};

TEST_F(TablePrintout, HeaderTableAndFooterReadBackInOrder)
{
    TVP_REQUIRE_TOOL("pdftotext");
    // Landscape A4: 2100 - (70 + 150) - (175 + 30) = 1675 of room, the header line and 24 rows of 65.
    print(std::make_shared<TGenericCaptionStringHeader>(QStringLiteral("Teilnehmer"),
                                                        QStringLiteral("Altersklasse U10"), 20, 45),
          table(25));
    EXPECT_EQ(pdfPageCount(pdf), 2);
    EXPECT_TRUE(pdfIsLandscape(pdf));
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    int row = 1;
    for (int p = 0; p < 2; ++p) {
        const QStringList lines = pageLines(pages.at(p));
        ASSERT_GE(lines.size(), 3);
        EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Teilnehmer - Altersklasse U10 (Druck: ")))
            << lines.first().toStdString();
        EXPECT_TRUE(printStamp(p + 1, 2).match(lines.first()).hasMatch()) << lines.first().toStdString();
        EXPECT_EQ(lines.at(1), QStringLiteral("Vorname Name Startnr.")) << "the column header on every page";
        EXPECT_EQ(lines.last(), todaysFooter());
        const int bodyRows = int(lines.size()) - 3;
        EXPECT_EQ(bodyRows, p == 0 ? 13 : 12) << "25 rows spread as 13 and 12";
        for (int i = 2; i < lines.size() - 1; ++i, ++row)
            EXPECT_EQ(lines.at(i), QStringLiteral("Vorname%1 Name%1 %2").arg(row).arg(100 + row));
    }
}

TEST_F(TablePrintout, CaptionHeaderWithoutAdditionalCaptionOrPageNumbers)
{
    TVP_REQUIRE_TOOL("pdftotext");
    print(std::make_shared<TGenericCaptionStringHeader>(QStringLiteral("Vereinsübersicht"), QString(), 20, 45),
          table(2), false);
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Vereinsübersicht \\(Druck: \\d\\d:\\d\\d\\)$"))
                    .match(lines.first())
                    .hasMatch())
        << lines.first().toStdString();
}

TEST_F(TablePrintout, AnEmptyTablePrintsNoPage)
{
    print(std::make_shared<TGenericCaptionStringHeader>(QStringLiteral("Leer"), QString(), 20, 45), table(0));
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(TablePrintout, EveryOtherBodyRowIsShaded)
{
    TVP_REQUIRE_TOOL("pdftoppm");
    print(nullptr, table(4, 100));
    QTemporaryDir images;
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, images.filePath(QStringLiteral("p"))});
    const QImage page(images.filePath(QStringLiteral("p.png")));
    ASSERT_FALSE(page.isNull());
    // The table starts 15 mm down (the header spacing); sample each 10 mm line in its middle at
    // the left edge, before any text.
    const auto shaded = [&](int line) {
        const int y = int((15.0 + line * 10.0 + 5.0) / 25.4 * 50.0);
        return page.pixelColor(1, y) == QColor(0xBD, 0xBD, 0xBD);
    };
    EXPECT_FALSE(shaded(0)) << "the header line";
    EXPECT_TRUE(shaded(1));
    EXPECT_FALSE(shaded(2));
    EXPECT_TRUE(shaded(3));
    EXPECT_FALSE(shaded(4));
}

} // namespace
