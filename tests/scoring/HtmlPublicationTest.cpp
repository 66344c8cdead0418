// The published page: escaping, the stylesheet read line by line, and a whole page against its
// golden file (two nodes of one discipline, then an overall one; a place with "ü").

#include "scoring/DataViewTable.h"
#include "scoring/HtmlPublication.h"
#include "tests/scoring/ResultViewsTestData.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

TEST(HtmlPublication, EscapingKeepsWhatTheCodePageLacks)
{
    EXPECT_EQ(htmlEscape(QStringLiteral("<a href=\"x\">&</a>\\")),
              QStringLiteral("&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;&#92;"));
    EXPECT_EQ(htmlEscape(QStringLiteral("Fürth\u00A0ÿ")), QStringLiteral("F&#252;rth&#160;&#255;"));
    // The euro sign is no Latin-1 letter and a Hungarian ő is not in Windows-1252: both stay.
    EXPECT_EQ(htmlEscape(QStringLiteral("5 € Erdős")), QStringLiteral("5 € Erdős"));
    EXPECT_EQ(htmlPublicationName(QStringLiteral("urkunden/U10 Urkunden/")), QStringLiteral("U10 "));
}

TEST(HtmlPublication, StylesheetLinesAreTrimmedAndJoined)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("resultList.css"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("  .resultTable {\r\n\tcolor: red; \r\n}\n\n  .oddRow{}  ");
    f.close();
    EXPECT_EQ(readResultListCss(path), QStringLiteral(".resultTable {color: red;}.oddRow{}"));
    EXPECT_FALSE(readResultListCss(dir.filePath(QStringLiteral("fehlt.css"))));
}

TEST(HtmlPublication, PageMatchesItsGoldenFile)
{
    TDataViewModel m;
    std::vector<TAggInfo> aggs{aggInfo(1, "Weite", "Weitsprung"), aggInfo(2, "Punkte", "Weitsprung"),
                               aggInfo(3, "Gesamt <Rang>", "Weitsprung, Sprint", true)};
    m.setColumns(competitionColumns(aggs));
    std::vector<TDataViewRow> rows(3);
    rows[0] = {"Füchse", {"Jörg", "Müller", "TSV", "3,45 m", "12", "1", "Ida Eule"}, 1, 10};
    rows[1] = {"Eulen & Co", {"Ida", "Eule", "-", "3,10 m", "10", "2"}, 2, 20};
    rows[2] = {"", {"Ole", "Ohne", "-", "", "", "3"}, 3, 0};
    m.setRows(std::move(rows));

    THtmlPageInput input;
    input.stylesheet = QStringLiteral(".resultTable{border:0}");
    input.compilationName = QStringLiteral("Urkunden/U10");
    input.competitionName = QStringLiteral("Sportfest");
    input.competitionDate = QDate(2026, 6, 13);
    input.location = QStringLiteral("Fürth \"Süd\"");
    input.additionalColsStartIndex = kCompetitionAggStartCol + 3;
    input.today = QDate(2026, 12, 7);
    const QByteArray page = generateHTML(m, input);

    QFile golden(QStringLiteral(TVP_SCORING_TEST_DATA "/resultList.html"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(page, golden.readAll().trimmed());
    EXPECT_FALSE(page.contains("Teammitglied"));

    input.competitionDate.reset();
    input.location.clear();
    const QByteArray bare = generateHTML(m, input);
    EXPECT_FALSE(bare.contains("<h3>"));
    EXPECT_TRUE(bare.contains("<title>Sportfest - U10</title>"));
}
