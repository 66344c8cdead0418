// Athletes, teams, clubs, age classes and squads.

#include "standin/AnswerText.h"
#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Records.h"

#include <unordered_set>

namespace tvp::standin::ops {

namespace {

std::unordered_set<int> idsOf(Statement q)
{
    std::unordered_set<int> ids;
    while (q.next())
        ids.insert(q.intAt(0));
    return ids;
}

} // namespace

ResultText getAthletes(Call& c, const op::getAthletes& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    const CompetitionParticipants participants(db, a.CompetitionID);
    AthleteSelection selection;
    selection.ageClassId = a.AgeClassID;
    selection.teamId = a.TeamID;
    selection.bib = a.Bib;
    selection.disciplineId = a.DisciplinID;
    std::vector<AthleteRow> athletes = readAthleteRows(db, a.CompetitionID, selection);

    const NameFilter given(a.GivenName);
    const NameFilter sur(a.SurName);
    if (given.active() || sur.active())
        std::erase_if(athletes, [&](const AthleteRow& x) {
            return !given.matches(x.athlete.Name->givenName) || !sur.matches(x.athlete.Name->surName);
        });

    ResultText r;
    AthleteText writer;
    for (std::size_t i = 0; i < athletes.size(); ++i) {
        writer.write(r.text, proto::wire::kArrayItem, athletes[i], participants);
        if (i == 0)
            reserveFor(r.text, 0, athletes.size() - 1);
    }
    return r;
}

// The discipline filter keeps the teams that have no place in that discipline's heats yet.
proto::getTeamsResponse1 getTeams(Call& c, const op::getTeams& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    const CompetitionParticipants participants(db, a.CompetitionID);
    const NameFilter name(a.Name);
    const std::unordered_set<int> placed =
        a.DisciplinID ? idsOf(db.query("SELECT team_id FROM heat_assignments WHERE discipline_id = ? "
                                       "AND team_id IS NOT NULL",
                                       a.DisciplinID))
                      : std::unordered_set<int>();
    proto::getTeamsResponse1 r;
    for (const proto::TeamType& t : participants.teams()) {
        if (a.AgeClassID && (!t.AgeClass || t.AgeClass->AgeClassID != a.AgeClassID))
            continue;
        if (!name.matches(t.Name) || placed.contains(t.TeamID))
            continue;
        r.push_back(t);
    }
    return r;
}

// By id, else by team barcode within the competition: team barcodes are printed on the sheets of
// one competition only.
proto::getTeamInfoResponse1 getTeamInfo(Call& c, const op::getTeamInfo& a)
{
    Db& db = c.database();
    Statement q = a.TeamID != 0
                      ? db.query("SELECT id, competition_id FROM teams WHERE id = ?", a.TeamID)
                      : db.query("SELECT id, competition_id FROM teams WHERE barcode = ? AND competition_id = ?",
                                 a.TeamBarcodeId, a.CompetitionId);
    if ((a.TeamID == 0 && a.TeamBarcodeId == 0) || !q.next())
        throw ServerError(errors::TeamNotFound, {QString::number(a.TeamID != 0 ? a.TeamID : a.TeamBarcodeId)});
    const int id = q.intAt(0);
    const int competitionId = q.intAt(1);
    proto::getTeamInfoResponse1 r;
    r.Team = CompetitionParticipants::carriedBy(db, competitionId, id, 0).team(id);
    r.Competition = readCompetition(db, competitionId);
    return r;
}

proto::getAgeClassesResponse1 getAgeClasses(Call& c, const op::getAgeClasses& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    const NameFilter name(a.Name);
    proto::getAgeClassesResponse1 r;
    const CompetitionParticipants participants(db, a.CompetitionID);
    for (const proto::AgeClassType& ac : participants.ageClasses())
        if (name.matches(ac.Name))
            r.push_back(ac);
    return r;
}

proto::getClubsResponse1 getClubs(Call& c, const op::getClubs& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    return CompetitionParticipants(db, a.CompetitionID).clubs();
}

// The discipline filter keeps the squads not yet assigned to that discipline. Duplicate own names
// are reported over all squads of the competition, whatever the filters keep: a squad left out
// is just as easily mistaken for one shown.
proto::getSquadsResponse getSquads(Call& c, const op::getSquads& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    const CompetitionParticipants participants(db, a.CompetitionID);
    std::vector<proto::SquadType> all = readSquads(db, a.CompetitionID, participants);

    proto::getSquadsResponse r;
    const proto::Owned<proto::CompetitionType> competition = readCompetition(db, a.CompetitionID);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].CustomName.isEmpty())
            continue;
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            if (all[j].CustomName != all[i].CustomName)
                continue;
            proto::DuplicateSquadCustomNamesType& d = r.DuplicateSquadCustomNames.emplace_back();
            d.Squad1 = all[i];
            d.Squad2 = all[j];
            d.Competition = competition;
        }
    }

    const std::unordered_set<int> assigned =
        a.DisciplinID ? idsOf(db.query("SELECT squad_id FROM discipline_squads WHERE discipline_id = ?", a.DisciplinID))
                      : std::unordered_set<int>();
    for (proto::SquadType& s : all) {
        if (a.AgeClassID && (!s.AgeClass || s.AgeClass->AgeClassID != a.AgeClassID))
            continue;
        if (!assigned.contains(s.SquadID))
            r.Squads.push_back(std::move(s));
    }
    return r;
}

} // namespace tvp::standin::ops
