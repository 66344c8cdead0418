// What the team window, the team-rule warnings and the team overview show of teams: list cells,
// the change check, warning rows per broken rule, and the printout read back from PDF.

#include "participants/TeamListPrint.h"
#include "participants/TeamMemberWarning.h"
#include "participants/TeamRequests.h"
#include "tests/core/print/PdfTools.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

proto::AgeClassType ageClass(int id, const QString& name, int minimum = 0, int maximum = -1)
{
    proto::AgeClassType a;
    a.AgeClassID = id;
    a.Name = name;
    a.MinTeamMembers = minimum;
    a.MaxTeamMembers = maximum;
    return a;
}

proto::TeamType team(int id, const QString& name, const proto::AgeClassType* a = nullptr, int members = 0)
{
    proto::TeamType t;
    t.TeamID = id;
    t.Name = name;
    if (a)
        t.AgeClass = *a;
    t.NoOfAthletes = members;
    return t;
}

proto::ClubShortType club(int id, const QString& name)
{
    proto::ClubShortType c;
    c.ClubId = id;
    c.Name = name;
    return c;
}

proto::SquadInfoDataType squad(int order, const QString& name = {})
{
    proto::SquadInfoDataType s;
    s.OrderIndex = order;
    s.CustomName = name;
    return s;
}

QStringList cells(const proto::TeamType& t)
{
    QStringList out;
    for (const auto& column : teamColumns())
        out << column.text(t);
    return out;
}

proto::InvalidParticipantType warning(const proto::TeamType& t, bool members, bool mix, bool male, bool female)
{
    proto::InvalidParticipantType w;
    proto::FailedParticipantConstraintType f;
    f.InvalidNoOfMembers = members;
    f.MixedGendersViolation = mix;
    f.MaxMaleViolation = male;
    f.MaxFemaleViolation = female;
    w.FailedConstraints = f;
    proto::FailedObjectType o;
    o.Team = t;
    w.FailedObject = o;
    return w;
}

} // namespace

TEST(TeamList, CellsShowClubSquadAndTheIdWithoutSign)
{
    const proto::AgeClassType u10 = ageClass(3, QStringLiteral("U10"));
    proto::TeamType t = team(-17, QStringLiteral("Adler"), &u10, 5);
    EXPECT_EQ(cells(t), (QStringList{"Adler", "-", "U10", "", "5", "17"}));
    t.BillingClub = club(4, QStringLiteral("TV Nord"));
    t.SquadInfo = squad(2, QStringLiteral("Frühstarter"));
    EXPECT_EQ(cells(t), (QStringList{"Adler", "TV Nord", "U10", "Frühstarter (2)", "5", "17"}));
    t.SquadInfo = squad(4);
    t.AgeClass = nullptr;
    EXPECT_EQ(cells(t), (QStringList{"Adler", "TV Nord", "", "4", "5", "17"}));
}

TEST(TeamList, TheEditorDiffersByNameAgeClassOrClub)
{
    const proto::AgeClassType u10 = ageClass(3, QStringLiteral("U10"));
    proto::TeamType t = team(7, QStringLiteral("Adler"), &u10);
    t.BillingClub = club(4, QStringLiteral("TV Nord"));
    EXPECT_FALSE(teamDiffers(QStringLiteral("Adler"), 3, 4, t));
    EXPECT_TRUE(teamDiffers(QStringLiteral("adler"), 3, 4, t));
    EXPECT_TRUE(teamDiffers(QStringLiteral("Adler"), 5, 4, t));
    EXPECT_TRUE(teamDiffers(QStringLiteral("Adler"), 3, 0, t));
    const proto::TeamType bare = team(8, QStringLiteral("Falken"));
    EXPECT_TRUE(teamDiffers(QStringLiteral("Falken"), 3, 0, bare)) << "an age class for a team without one";
    EXPECT_TRUE(teamDiffers(QStringLiteral("Falken"), 0, 4, bare)) << "a club for a team without one";
    EXPECT_FALSE(teamDiffers(QStringLiteral("Falken"), 0, 0, bare));
}

TEST(TeamList, TheDisciplineFilterOffersTeamDisciplinesOnlyAndTheCaptionNamesTheAgeClass)
{
    std::vector<proto::DisciplinType> all(3);
    all[0].Name = QStringLiteral("Staffel");
    all[0].ResultTableType = proto::ResultTableType{};
    all[0].ResultTableType->Team = true;
    all[1].Name = QStringLiteral("Sprint");
    all[1].ResultTableType = proto::ResultTableType{};
    all[2].Name = QStringLiteral("Ohne Tabelle");
    const std::vector<proto::DisciplinType> offered = teamDisciplines(all);
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].Name, QStringLiteral("Staffel"));

    const proto::AgeClassType u10 = ageClass(3, QStringLiteral("U10 (Listenname)"));
    EXPECT_EQ(ageClassFilterName({team(1, QStringLiteral("A"), &u10)}, 3, QStringLiteral("U10")),
              QStringLiteral("U10 (Listenname)"));
    EXPECT_EQ(ageClassFilterName({}, 3, QStringLiteral("U10")), QStringLiteral("U10"));
}

TEST(TeamRuleWarnings, OneRowPerBrokenRuleInTheGivenOrder)
{
    proto::AgeClassType u10 = ageClass(3, QStringLiteral("U10"), 4, -1);
    u10.MinMembersPerGender = 2;
    u10.FemaleMembersLessThan = 3;
    u10.MaleMembersLessThan = 4;
    const proto::TeamType adler = team(7, QStringLiteral("Adler"), &u10, 3);
    const proto::TeamType none = team(9, QStringLiteral("Ohne Klasse"), nullptr, 2);
    proto::InvalidParticipantType athleteOnly;
    athleteOnly.FailedConstraints = proto::FailedParticipantConstraintType{};
    athleteOnly.FailedObject = proto::FailedObjectType{};
    athleteOnly.FailedObject->Athlete = proto::AthleteType{};

    const std::vector<TTeamWarningRow> rows = teamWarningRows(
        {warning(adler, true, true, true, true), athleteOnly, warning(none, true, false, false, false)});
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].cells, (QStringList{"Adler", "Anzahl Team-Mitglieder", "3", "U10", "4", "-1", ""}));
    EXPECT_EQ(rows[1].cells, (QStringList{"Adler", "Geschlechtermischung", "", "U10", "", "", "min. 2"}));
    EXPECT_EQ(rows[2].cells, (QStringList{"Adler", "Zu viele weibliche Athleten", "", "U10", "", "", "max. 2 w"}));
    EXPECT_EQ(rows[3].cells, (QStringList{"Adler", "Zu viele männliche Athleten", "", "U10", "", "", "max. 3 m"}));
    EXPECT_EQ(rows[0].teamId, 7);
    // A team without age class leaves the class and its rules empty.
    EXPECT_EQ(rows[4].cells, (QStringList{"Ohne Klasse", "Anzahl Team-Mitglieder", "2", "", "", "", ""}));
    EXPECT_TRUE(teamWarningRows({athleteOnly}).empty()) << "athletes alone make no row";
    EXPECT_EQ(teamWarningColumns().size(), 7u);
}

TEST(TeamRuleWarnings, AnUnboundedGenderMaximumIsNeverShownAsMinusOne)
{
    const proto::AgeClassType open = ageClass(3, QStringLiteral("Offen"));
    const std::vector<TTeamWarningRow> rows =
        teamWarningRows({warning(team(1, QStringLiteral("A"), &open), false, true, true, true)});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].cells.at(6), QStringLiteral("unbeschr."));
    EXPECT_EQ(rows[1].cells.at(6), QStringLiteral("unbeschr.")) << "female maximum 0 means no rule, not max. -1";
    EXPECT_EQ(rows[2].cells.at(6), QStringLiteral("unbeschr."));
}

class TeamOverviewPrint : public ::testing::Test {
protected:
    QStringList print(const std::vector<proto::TeamType>& teams, const QString& caption, int rowHeight = 65)
    {
        pdf = dir.filePath(QStringLiteral("teams.pdf"));
        printToPdf(printer, pdf);
        // Rows too high for a page have texts as large: a page wide enough for their columns.
        if (rowHeight != 65)
            printer.setPageSize(QPageSize(QSizeF(3000, 297), QPageSize::Millimeter, QStringLiteral("Breit")));
        {
            TPrintManager manager(printer, kTeamOverviewJob, false);
            if (rowHeight == 65) {
                printTeamOverview(manager, teams, caption);
            } else {
                // The same document with rows too high for a page.
                manager.setPageHeader(std::make_shared<TGenericCaptionStringHeader>(
                    QStringLiteral("Team/Riegen-Übersicht"), caption, 20, 45));
                manager.setHeaderSpacing(150);
                auto body = std::make_shared<TTeamPrintTable>(rowHeight);
                for (const proto::TeamType& t : teams)
                    body->addItem(t);
                manager.setContent(body);
                manager.render();
            }
            EXPECT_TRUE(manager.endJob());
        }
        return pdfPages(pdf);
    }

    QTemporaryDir dir;
    QPrinter printer;
    QString pdf;
};

TEST_F(TeamOverviewPrint, TeamsInTheirOrderUnderTheFilterCaption)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const proto::AgeClassType u10 = ageClass(3, QStringLiteral("U10"));
    proto::TeamType adler = team(1, QStringLiteral("Adler"), &u10, 6);
    adler.BillingClub = club(4, QStringLiteral("TV Nord"));
    adler.SquadInfo = squad(2, QStringLiteral("Frühstarter"));
    proto::TeamType bare = team(2, QStringLiteral("Zebras"), nullptr, 0);
    bare.SquadInfo = squad(5);
    TFilterPrintStrings filter;
    filter.setAgeClassName(QStringLiteral("U10"));

    const QStringList pages = print({bare, adler}, filter.getPrintString());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pdfPageCount(pdf), 1);
    const QStringList lines = pageLines(pages[0]);
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Team/Riegen-Übersicht - ") + filter.getPrintString()))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(printStamp(1, 1))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Teamname Abrechnungsverein Altersklasse Riege #Athleten"));
    EXPECT_EQ(lines[2], QStringLiteral("Zebras 5 0"));
    EXPECT_EQ(lines[3], QStringLiteral("Adler TV Nord U10 Frühstarter (2) 6"));
    EXPECT_EQ(lines.last(), todaysFooter());
}

TEST_F(TeamOverviewPrint, AnEmptyListStillPrintsItsHeaderAndFooter)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const QStringList pages = print({}, QString());
    ASSERT_EQ(pages.size(), 1);
    const QStringList lines = pageLines(pages[0]);
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Team/Riegen-Übersicht")));
    EXPECT_FALSE(lines.join(u' ').contains(QStringLiteral("Adler")));
    EXPECT_EQ(lines.last(), todaysFooter());
}

TEST_F(TeamOverviewPrint, RowsTallerThanAPagePrintOnePerPage)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const proto::AgeClassType u10 = ageClass(3, QStringLiteral("U10"));
    // 13 cm rows: no page has room for the header line and one row, yet every team is printed.
    const QStringList pages = print({team(1, QStringLiteral("Erste"), &u10), team(2, QStringLiteral("Zweite"), &u10),
                                     team(3, QStringLiteral("Dritte"), &u10)},
                                    QString(), 1300);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Erste")));
    EXPECT_TRUE(pages[2].contains(QStringLiteral("Dritte")));
}

TEST_F(TeamOverviewPrint, LongNamesWrapInTheirColumnsSoThatNoTwoTeamsPrintAlike)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const proto::AgeClassType u10 = ageClass(3, QStringLiteral("U10"));
    const QString lg = QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V.");
    const QString tsv = QStringLiteral("TSV Müsterhausen-Gründlingen 1896 Kinderleichtathletik");
    std::vector<proto::TeamType> teams;
    for (const QString& name : {lg + QStringLiteral(" Mannschaft Eins"), lg + QStringLiteral(" Mannschaft Zwei"),
                                tsv + QStringLiteral(" Jugend"), tsv + QStringLiteral(" Kinder")}) {
        proto::TeamType t = team(int(teams.size()) + 1, name, &u10, 6);
        t.BillingClub = club(4, name.startsWith(QStringLiteral("LG")) ? lg : tsv);
        t.SquadInfo = squad(2, QStringLiteral("Riege U10 Überlingen-Seeufer"));
        teams.push_back(t);
    }
    print(teams, QString());
    const QStringList texts = wordsInPlace(pdf);
    // Every word of each team whole, nothing cut, the headers whole.
    for (const QString& word :
         {QStringLiteral("Eins"), QStringLiteral("Zwei"), QStringLiteral("Jugend"), QStringLiteral("Kinder"),
          QStringLiteral("Abrechnungsverein"), QStringLiteral("Altersklasse"), QStringLiteral("#Athleten")})
        EXPECT_TRUE(texts.contains(word)) << word.toStdString() << " in " << texts.join(u' ').toStdString();
    EXPECT_FALSE(texts.join(u' ').contains(QStringLiteral("..."))) << texts.join(u' ').toStdString();
}
