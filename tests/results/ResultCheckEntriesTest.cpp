// What the check windows and the result entry decide without a window: the texts of the check
// lists, the list barcode, the version box and the squad line of the protocol.

#include "core/results/tvpUtils.h"
#include "core/barcode/BarcodeUtils.h"
#include "results/ResultCheckRequests.h"
#include "results/ResultRequests.h"

#include <gtest/gtest.h>

namespace tvp {
namespace {

proto::AthleteType athlete(int id, const QString& given, const QString& sur)
{
    proto::AthleteType a;
    a.AthleteID = id;
    a.Name.ensure().givenName = given;
    a.Name->surName = sur;
    return a;
}

proto::DisciplinType discipline(int id, const QString& name)
{
    proto::DisciplinType d;
    d.DisciplinID = id;
    d.Name = name;
    return d;
}

TEST(CheckEntries, AthletesWithoutValidResultNameTeamAgeClassAndStatuses)
{
    proto::AthleteWithoutValidResultType none;
    none.Athlete = athlete(3, QStringLiteral("Anna"), QStringLiteral("Berg"));
    proto::TeamType team;
    team.Name = QStringLiteral("Füchse");
    team.AgeClass.ensure().Name = QStringLiteral("U10");
    none.Athlete->Team = team;
    const TAthleteCheckEntry plain = athleteCheckEntry(none);
    EXPECT_EQ(plain.team, QStringLiteral("Füchse (U10)"));
    EXPECT_EQ(plain.results, QStringLiteral("Keine Leistungen"));

    proto::AthleteWithoutValidResultType invalid = none;
    invalid.Athlete->Team->AgeClass = nullptr;
    proto::InvalidResultsType disq;
    disq.ResultType = proto::ResultInfo::disq;
    disq.Disciplines = {discipline(1, QStringLiteral("Sprint")), discipline(2, QStringLiteral("Weitsprung"))};
    proto::InvalidResultsType na;
    na.ResultType = proto::ResultInfo::na;
    na.Disciplines = {discipline(3, QStringLiteral("Staffel"))};
    invalid.InvalidResults = {disq, na};
    const TAthleteCheckEntry e = athleteCheckEntry(invalid);
    EXPECT_EQ(e.team, QStringLiteral("Füchse"));
    EXPECT_EQ(e.results, ResultInfoToString(proto::ResultInfo::disq) + QStringLiteral("(Sprint;Weitsprung), ") +
                             ResultInfoToString(proto::ResultInfo::na) + QStringLiteral("(Staffel)"));
}

TEST(CheckEntries, MissingResultsNameSixAthletesAtMost)
{
    proto::MissingResultType m;
    m.Discipline = discipline(9, QStringLiteral("Sprint"));
    m.HeatNo = 2;
    proto::ParticipantGroupType& group = m.ParticipantGroup.ensure();
    group.FirstMissingAttempt = 2;
    for (int i = 1; i <= 6; ++i)
        group.Athletes.push_back(athlete(i, QStringLiteral("A%1").arg(i), QStringLiteral("B")));
    TWarningListItem six = missingResultEntry(m);
    EXPECT_EQ(six.participants, QStringLiteral("A1 B, A2 B, A3 B, A4 B, A5 B, A6 B"));
    EXPECT_EQ(six.squad, QStringLiteral("-"));
    EXPECT_EQ(six.team, QStringLiteral("-"));
    EXPECT_EQ(six.problem, QStringLiteral("Fehlende Leistung"));
    EXPECT_EQ(six.heat, QStringLiteral("2"));
    EXPECT_EQ(six.athleteId, 1);
    EXPECT_EQ(six.Attempt, 2);
    EXPECT_FALSE(six.tryshowAquireBib);

    group.Athletes.push_back(athlete(7, QStringLiteral("A7"), QStringLiteral("B")));
    group.Squad.ensure().OrderIndex = 3;
    EXPECT_EQ(missingResultEntry(m).participants, six.participants + QStringLiteral(", ..."));
    EXPECT_EQ(missingResultEntry(m).squad, QStringLiteral("3"));
}

TEST(CheckEntries, RankGapsNameTheParticipantsAroundThem)
{
    proto::RankingIssueType gap;
    gap.Discipline = discipline(9, QStringLiteral("Sprint"));
    gap.Attempt = 1;
    proto::ParticipantRankType after;
    after.Rank = 2;
    after.Athlete = athlete(5, QStringLiteral("Eva"), QStringLiteral("Eule"));
    proto::TeamType owls;
    owls.TeamID = 8;
    owls.Name = QStringLiteral("Eulen");
    after.Athlete->Team = owls;
    gap.MissingRank.ensure().After = after;

    const TWarningListItem first = rankingIssueEntry(gap);
    EXPECT_EQ(first.problem, QStringLiteral("Rang fehlt vor 2"));
    EXPECT_EQ(first.participants, QStringLiteral("Vor Eva Eule"));
    EXPECT_EQ(first.team, QStringLiteral("Vor Eulen"));
    EXPECT_EQ(first.squad, QStringLiteral("-"));
    EXPECT_EQ(first.heat, QStringLiteral("-"));
    EXPECT_EQ(first.athleteId, 5);
    EXPECT_EQ(first.teamID, 8);
    EXPECT_TRUE(first.tryshowAquireBib);

    proto::ParticipantRankType before;
    before.Rank = 1;
    before.Athlete = athlete(4, QStringLiteral("Dan"), QStringLiteral("Dachs"));
    gap.MissingRank->Before = before;
    after.Rank = 3;
    gap.MissingRank->After = after;
    const TWarningListItem middle = rankingIssueEntry(gap);
    EXPECT_EQ(middle.problem, QStringLiteral("Rang fehlt zwischen 1 und 3"));
    EXPECT_EQ(middle.participants, QStringLiteral("Zwischen Dan Dachs und Eva Eule"));
}

TEST(CheckEntries, BibConflictsOfAthletesAndOfTeams)
{
    proto::AmbiguousResultType c;
    c.Discipline = discipline(9, QStringLiteral("Staffel"));
    c.Attempt = 2;
    c.Competition.ensure().ID = 4;
    c.Competition->Name = QStringLiteral("Sportfest");
    proto::TeamType team;
    team.TeamID = 12;
    team.Name = QStringLiteral("Dachse");
    c.Team = team;
    for (int bib : {7, 8}) {
        proto::AmbiguousBibResultType r;
        r.Bib = bib;
        r.Result.ensure().Type_ = proto::ResultValueType::Distance;
        r.Result->DistanceInMeter = bib;
        c.AmbiguousBibResults.push_back(r);
    }
    const TBibConflictEntry e = bibConflictEntry(c);
    EXPECT_EQ(e.participant, QStringLiteral("Dachse"));
    EXPECT_EQ(e.participantId, 12);
    EXPECT_EQ(e.bibs, QStringLiteral("7, 8"));
    EXPECT_EQ(e.attempt, QStringLiteral("2"));
    EXPECT_EQ(e.CompetitionID, 4);

    c.Team = nullptr;
    EXPECT_EQ(bibConflictEntry(c).participant, QStringLiteral("-"));
    c.Athlete = athlete(3, QStringLiteral("Anna"), QStringLiteral("Berg"));
    EXPECT_EQ(bibConflictEntry(c).participant, QStringLiteral("Anna Berg"));
    EXPECT_EQ(bibConflictEntry(c).participantId, 3);
}

TEST(ListBarcode, HeatAndTopRowArePrintedFromZero)
{
    const std::optional<TListBarcode> read = readListBarcode(QStringLiteral("L5X070"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->disciplineBarcode, 5);
    EXPECT_EQ(read->heat, 1);
    EXPECT_EQ(read->version, 7);
    EXPECT_EQ(read->topRow, 1);

    TDisciplineListCode fields{1234, 2, 15, 9};
    const std::optional<TListBarcode> again = readListBarcode(disciplineListBarcode(fields));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->heat, 3);
    EXPECT_EQ(again->topRow, 10);

    for (const char* bad : {"L", "LX", "L5", "A5X070", "L5X0", ""})
        EXPECT_FALSE(readListBarcode(QString::fromLatin1(bad))) << bad;
    // Fields wider than an int are refused rather than wrapped.
    fields.heatIndex = kBarcodeMaxValue;
    EXPECT_FALSE(readListBarcode(disciplineListBarcode(fields)));
}

TEST(VersionBox, NumbersAboveTheListAreTakenWithAHintAndOthersUntick)
{
    TVersionBoxState s = readVersionBox(QStringLiteral("3"), 5);
    EXPECT_TRUE(s.ticked);
    EXPECT_EQ(s.version, 3);
    EXPECT_EQ(s.look, TVersionBoxState::Normal);
    s = readVersionBox(QStringLiteral("9"), 5);
    EXPECT_EQ(s.version, 9);
    EXPECT_EQ(s.look, TVersionBoxState::AboveCurrent);
    for (const char* bad : {"-1", "x", ""}) {
        s = readVersionBox(QString::fromLatin1(bad), 5);
        EXPECT_FALSE(s.ticked) << bad;
        EXPECT_EQ(s.version, kNoListVersion);
        EXPECT_EQ(s.look, TVersionBoxState::Invalid);
    }
}

TEST(ProtocolSquads, DistinctSquadsInRowOrder)
{
    proto::TeamType a, b, c, none;
    a.SquadInfo.ensure().OrderIndex = 2;
    b.SquadInfo.ensure().OrderIndex = 1;
    b.SquadInfo->CustomName = QStringLiteral("Adler");
    c.SquadInfo.ensure().OrderIndex = 2;
    EXPECT_EQ(squadLine({&a, &b, &c, &none, nullptr}), QStringLiteral("Riege 2, Adler (1)"));
    EXPECT_EQ(squadLine({&none}), QString());
    b.SquadInfo->CustomName = QStringLiteral("Riege Adler");
    EXPECT_EQ(squadLine({&b, &a}), QStringLiteral("Riege Adler (1), 2")) << "not \"Riege Riege\"";
}

TEST(HeatSearch, TheHeatOfAnAthleteOrTeamByIdOrBarcode)
{
    std::vector<proto::HeatParticipantsType> heats(2);
    heats[0].HeatNo = 1;
    heats[1].HeatNo = 4;
    proto::VersionedParticipantsType anna;
    anna.Athlete = athlete(3, QStringLiteral("Anna"), QStringLiteral("Berg"));
    anna.Athlete->Barcode = 77;
    heats[1].VersionedParticipants.push_back(anna);
    proto::VersionedParticipantsType team;
    team.Team.ensure().Team.ensure().TeamID = 12;
    heats[0].VersionedParticipants.push_back(team);
    EXPECT_EQ(findHeatOfParticipant(heats, 3, false), 2);
    EXPECT_EQ(findHeatOfParticipant(heats, 77, true), 2);
    EXPECT_EQ(findHeatOfParticipant(heats, 4, false), 0);
    EXPECT_EQ(findHeatOfTeam(heats, 12), 1);
    EXPECT_EQ(findHeatOfTeam(heats, 3), 0);
}

} // namespace
} // namespace tvp
