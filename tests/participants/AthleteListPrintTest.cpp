// The athlete printouts: the order and page groups of "Ein Team pro Seite", and both printouts
// read back from PDF.

#include "participants/AthleteListPrint.h"
#include "tests/core/print/PdfTools.h"
#include "tests/support/TestUtil.h"

#include <QPrinter>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

ClubShortType club(int id, const QString& name)
{
    ClubShortType c;
    c.ClubId = id;
    c.Name = name;
    return c;
}

AgeClassType ageClass(int id, const QString& name)
{
    AgeClassType a;
    a.AgeClassID = id;
    a.Name = name;
    return a;
}

TeamType team(int id, const QString& name, const std::optional<AgeClassType>& age = std::nullopt,
              const std::optional<ClubShortType>& billing = std::nullopt)
{
    TeamType t;
    t.TeamID = id;
    t.Name = name;
    if (age)
        t.AgeClass = *age;
    if (billing)
        t.BillingClub = *billing;
    return t;
}

AthleteType athlete(const QString& given, const QString& sur, const std::optional<TeamType>& t = std::nullopt,
                    const std::optional<ClubShortType>& own = std::nullopt)
{
    AthleteType a;
    a.Name = AthleteNameType{given, sur};
    if (t)
        a.Team = *t;
    if (own)
        a.Club = *own;
    return a;
}

QStringList surnames(const TAthleteTeamPrintTable& table)
{
    QStringList out;
    for (int i = 0; i < table.getItemCount(); ++i)
        out << table.getItem(i)->Name->surName;
    return out;
}

// The rows of each chunk of one splitting pass, with the team the page header names.
struct Page {
    int rows;
    QString header; // team name, or "Ohne Team/<club>"
};
std::vector<Page> pages(TAthleteTeamPrintTable& table, int available)
{
    std::vector<Page> out;
    table.resetSplitting();
    while (std::shared_ptr<ITVChunk> chunk = table.getChunk(available)) {
        const TAthleteOverviewPrintContext* c = table.getAthletePrintContext();
        QString header = c->FTeam ? c->FTeam->Name : QStringLiteral("Ohne Team");
        if (!c->FTeam)
            header += QLatin1Char('/') + (c->FClub ? c->FClub->Name : QString());
        out.push_back({chunk->getHeight() / table.rowHeight() - 1, header});
    }
    return out;
}

TEST(AthleteTeamPrint, SortsByClubAgeClassTeamAndNameWithoutTeamFirst)
{
    const ClubShortType tv = club(1, QStringLiteral("TV Nord")), sc = club(2, QStringLiteral("sc Süd"));
    const AgeClassType u8 = ageClass(10, QStringLiteral("U8")), u10 = ageClass(11, QStringLiteral("u10"));
    TAthleteOverviewPrintContext context;
    TAthleteTeamPrintTable table(65, &context);
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("Zeh"), team(20, QStringLiteral("Adler"), u8, tv)));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("Ohne"), std::nullopt, sc));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("Kein"), std::nullopt, std::nullopt));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("Falk"), team(21, QStringLiteral("Falken"), u10, tv)));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("Solo"), std::nullopt, tv));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("Abel"), team(20, QStringLiteral("Adler"), u8, tv)));
    table.sortByTeams();
    // No club first; then "sc Süd" before "TV Nord" whatever the case; in a club the athletes
    // without team, then the age classes by name.
    EXPECT_EQ(surnames(table), (QStringList{"Kein", "Ohne", "Solo", "Falk", "Abel", "Zeh"}));
}

TEST(AthleteTeamPrint, TwoTeamsOfOneNameKeepTheirMembersApart)
{
    const ClubShortType tv = club(1, QStringLiteral("TV"));
    const AgeClassType u10 = ageClass(10, QStringLiteral("U10"));
    const TeamType first = team(20, QStringLiteral("Adler"), u10, tv),
                   second = team(21, QStringLiteral("Adler"), u10, tv);
    TAthleteOverviewPrintContext context;
    TAthleteTeamPrintTable table(65, &context);
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("A"), first));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("B"), second));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("C"), first));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("D"), second));
    table.sortByTeams();
    EXPECT_EQ(surnames(table), (QStringList{"A", "C", "B", "D"}));
    const std::vector<Page> split = pages(table, 65 * 30);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].rows, 2);
    EXPECT_EQ(split[1].rows, 2);
}

TEST(AthleteTeamPrint, AthletesWithoutTeamArePagedPerOwnClub)
{
    const ClubShortType tv = club(1, QStringLiteral("TV")), sc = club(2, QStringLiteral("SC"));
    TAthleteOverviewPrintContext context;
    TAthleteTeamPrintTable table(65, &context);
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("A"), std::nullopt, tv));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("B"), std::nullopt, sc));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("C"), std::nullopt, tv));
    table.sortByTeams();
    const std::vector<Page> split = pages(table, 65 * 30);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].header, QStringLiteral("Ohne Team/SC"));
    EXPECT_EQ(split[0].rows, 1);
    EXPECT_EQ(split[1].header, QStringLiteral("Ohne Team/TV"));
    EXPECT_EQ(split[1].rows, 2);
}

TEST(AthleteTeamPrint, ALongTeamIsSpreadEvenlyAndAPageWithoutRoomStillMakesProgress)
{
    const TeamType adler = team(20, QStringLiteral("Adler"));
    TAthleteOverviewPrintContext context;
    TAthleteTeamPrintTable table(65, &context);
    for (int i = 0; i < 30; ++i)
        table.addItem(athlete(QStringLiteral("a"), QStringLiteral("N%1").arg(i, 2, 10, QLatin1Char('0')), adler));
    table.addItem(athlete(QStringLiteral("a"), QStringLiteral("Z"), team(21, QStringLiteral("Bären"))));
    table.sortByTeams();

    // Room for 20 rows below the header line: 30 members print as 15 and 15.
    std::vector<Page> split = pages(table, 65 * 21);
    ASSERT_EQ(split.size(), 3u);
    EXPECT_EQ(split[0].rows, 15);
    EXPECT_EQ(split[1].rows, 15);
    EXPECT_EQ(split[1].header, QStringLiteral("Adler"));
    EXPECT_EQ(split[2].header, QStringLiteral("Bären"));

    // Room for no row at all: one row a page, and the same pages after every reset.
    split = pages(table, 30);
    EXPECT_EQ(split.size(), 31u);
    EXPECT_EQ(pages(table, 30).size(), 31u);
}

// ---- read back from PDF ----

class AthletePdf : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString print(bool teamPerPage, const std::vector<AthleteType>& athletes, const QString& filter = {})
    {
        const QString file = dir.filePath(QStringLiteral("out.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printToPdf(printer, file);
        TPrintManager manager(printer, teamPerPage ? kAthleteTeamOverviewJob : kAthleteOverviewTitle, true);
        if (teamPerPage)
            printAthleteTeamOverview(manager, athletes);
        else
            printAthleteOverview(manager, athletes, filter);
        EXPECT_TRUE(manager.endJob());
        return file;
    }

    QTemporaryDir dir;
};

TEST_F(AthletePdf, TheOverviewPrintsTheRowsInTheirOrderUnderTheFilterCaption)
{
    TVP_REQUIRE_TOOL("pdftotext");
    AthleteType a = athlete(QStringLiteral("Anna"), QStringLiteral("Berg"), team(1, QStringLiteral("Adler")),
                            club(2, QStringLiteral("TV Nord")));
    a.Bib = {7, 8};
    a.YearOfBirth = 2014;
    a.Gender = GenderType::FEMALE;
    AthleteType b = athlete(QStringLiteral("Ben"), QStringLiteral("Acker"));
    b.Gender = GenderType::MALE;
    const QString pdf = print(false, {a, b}, QStringLiteral("Altersklasse U10, Team Adler (U10)"));
    EXPECT_TRUE(pdfIsLandscape(pdf));
    ASSERT_EQ(pdfPageCount(pdf), 1);
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Athletenübersicht - Altersklasse U10, Team Adler (U10) (Druck:")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(printStamp(1, 1))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Vorname Name Team Startnr. Jahrgang Geschlecht Verein"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Anna Berg Adler 7"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("2014 w TV Nord"))) << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("Ben Acker m"));
    EXPECT_EQ(lines.last(), todaysFooter());
}

TEST_F(AthletePdf, EachTeamGetsItsOwnPagesHeadedByAgeClassClubAndTeam)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const ClubShortType tv = club(1, QStringLiteral("TV Nord"));
    const TeamType adler = team(20, QStringLiteral("Adler"), ageClass(10, QStringLiteral("U10")), tv);
    std::vector<AthleteType> athletes;
    for (int i = 0; i < 3; ++i)
        athletes.push_back(athlete(QStringLiteral("Kind%1").arg(i), QStringLiteral("Adler%1").arg(i), adler));
    athletes.push_back(athlete(QStringLiteral("Solo"), QStringLiteral("Ohne"), std::nullopt, tv));
    const QString pdf = print(true, athletes);
    ASSERT_EQ(pdfPageCount(pdf), 2);
    const QStringList pageTexts = pdfPages(pdf);
    const QStringList first = pageLines(pageTexts.value(0));
    const QStringList second = pageLines(pageTexts.value(1));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_TRUE(first[0].startsWith(QStringLiteral("Athletenübersicht - TV Nord - Ohne Team (Druck:")))
        << first[0].toStdString();
    EXPECT_TRUE(first[0].contains(printStamp(1, 2)));
    EXPECT_TRUE(second[0].startsWith(QStringLiteral("Athletenübersicht - U10 - TV Nord - Adler (Druck:")))
        << second[0].toStdString();
    EXPECT_TRUE(second[0].contains(printStamp(2, 2)));
    EXPECT_EQ(second.size(), 1 + 1 + 3 + 1) << "header, column line, three members, footer";
}

TEST_F(AthletePdf, LongNamesLeaveEveryColumnOnEveryPageAtTheSamePlace)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const TeamType longTeam =
        team(1, QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft Zwei"));
    const TeamType adler = team(2, QStringLiteral("Adler"));
    std::vector<AthleteType> athletes;
    // Three pages: the long names only on the last.
    for (int i = 0; i < 60; ++i) {
        AthleteType a = athlete(QStringLiteral("Kind%1").arg(i), QStringLiteral("Kurz%1").arg(i), adler,
                                club(3, QStringLiteral("TV Nord")));
        a.Bib = {i + 1};
        a.YearOfBirth = 2015;
        athletes.push_back(a);
    }
    AthleteType lang = athlete(QStringLiteral("Maximiliane"),
                               QStringLiteral("Freifrau von und zu Hohenstaufen-Wittelsbach-Habsburg-Lotharin"),
                               longTeam, club(3, QStringLiteral("TV Nord")));
    lang.Bib = {99};
    lang.YearOfBirth = 2014;
    athletes.push_back(lang);
    ASSERT_EQ(lang.Name->surName.size(), 62);

    const QString pdf = print(false, athletes);
    const std::vector<PdfWord> words = pdfWords(pdf);
    const int pages = pdfPageCount(pdf);
    ASSERT_GE(pages, 2);
    const QStringList captions{QStringLiteral("Vorname"),  QStringLiteral("Name"),     QStringLiteral("Team"),
                               QStringLiteral("Startnr."), QStringLiteral("Jahrgang"), QStringLiteral("Geschlecht"),
                               QStringLiteral("Verein")};
    std::vector<double> firstPage;
    for (int page = 0; page < pages; ++page) {
        // The column line: the first word of each caption on the page, left to right.
        std::vector<double> lefts;
        for (const QString& caption : captions) {
            const auto found = std::find_if(words.begin(), words.end(),
                                            [&](const PdfWord& w) { return w.page == page && w.text == caption; });
            EXPECT_NE(found, words.end()) << "page " << page + 1 << " lacks " << caption.toStdString();
            if (found != words.end()) {
                EXPECT_LE(found->xMax, found->pageWidth) << caption.toStdString();
                lefts.push_back(found->xMin);
            }
        }
        if (page == 0)
            firstPage = lefts;
        else
            EXPECT_EQ(lefts, firstPage) << "page " << page + 1 << " places its columns elsewhere";
    }
    for (const PdfWord& w : words)
        EXPECT_LE(w.xMax, w.pageWidth + 0.25) << "page " << w.page + 1 << ": " << w.text.toStdString();
    // The long texts go on in further lines of their columns, whole.
    const QString last = pdfPages(pdf).value(pages - 1);
    for (const QString& word : (lang.Name->surName + u' ' + longTeam.Name).split(u' '))
        for (const QString& piece : hyphenPieces(word))
            EXPECT_TRUE(last.contains(piece)) << piece.toStdString() << " in " << last.toStdString();
    EXPECT_FALSE(last.contains(QStringLiteral("..."))) << last.toStdString();
}

} // namespace
