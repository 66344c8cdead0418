// The athletes: create, change, remove, swap names. Refusals that the client may overrule carry the
// error id its force prompts know; the matching flag lets the change through.

#include "standin/Cups.h"
#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Records.h"

#include <QSet>

#include <algorithm>

namespace tvp::standin::ops {

namespace {

using proto::GenderType;

QString text(int number)
{
    return QString::number(number);
}

int competitionOfAthlete(Db& db, int athleteId)
{
    Statement q = db.query("SELECT competition_id FROM athletes WHERE id = ?", athleteId);
    if (!q.next())
        throw ServerError(errors::AthleteNotFound, {text(athleteId)});
    return q.intAt(0);
}

void requireTeam(Db& db, int competitionId, int teamId)
{
    if (!db.query("SELECT 1 FROM teams WHERE id = ? AND competition_id = ?", teamId, competitionId).next())
        throw ServerError(errors::TeamNotFound, {text(teamId)});
}

void requireClub(Db& db, int competitionId, int clubId)
{
    if (!db.query("SELECT 1 FROM clubs WHERE id = ? AND competition_id = ?", clubId, competitionId).next())
        throw ServerError(errors::ClubNotFound, {text(clubId)});
}

QString athleteName(Db& db, int athleteId)
{
    Statement q = db.query("SELECT given_name, sur_name FROM athletes WHERE id = ?", athleteId);
    if (!q.next())
        return text(athleteId);
    return QStringList{q.textAt(0), q.textAt(1)}.join(QLatin1Char(' ')).trimmed();
}

// Bibs as sent: each at least 1, none twice.
void checkBibList(const std::vector<int>& bibs)
{
    QSet<int> seen;
    for (int bib : bibs) {
        if (bib < 1)
            throw ServerError(errors::BibInvalid, {text(bib)});
        if (seen.contains(bib))
            throw ServerError(errors::BibTwice, {text(bib)});
        seen.insert(bib);
    }
}

// A bib of the competition held by another athlete: refused unless it may be taken from them.
void checkBibsFree(Db& db, int competitionId, int athleteId, const std::vector<int>& bibs, bool allowReassign)
{
    if (allowReassign)
        return;
    for (int bib : bibs) {
        Statement q =
            db.query("SELECT athlete_id FROM athlete_bibs WHERE competition_id = ? AND bib = ?", competitionId, bib);
        if (q.next() && q.intAt(0) != athleteId)
            throw ServerError(errors::BibTaken, {text(bib), athleteName(db, q.intAt(0))});
    }
}

// A custom barcode must be a blank one reserved for this competition that no other athlete has.
void checkCustomBarcode(Db& db, int competitionId, int athleteId, int barcode)
{
    if (barcode == 0)
        return;
    if (!db.query("SELECT 1 FROM barcodes WHERE id = ? AND kind = 'blank' AND competition_id = ?", barcode,
                  competitionId)
             .next())
        throw ServerError(errors::BlankBarcodeNotReserved, {text(barcode)});
    Statement q = db.query("SELECT id FROM athletes WHERE custom_barcode = ? AND id <> ?", barcode, athleteId);
    if (q.next())
        throw ServerError(errors::BlankBarcodeInUse, {text(barcode), athleteName(db, q.intAt(0))});
}

// Gives the athlete exactly these bibs, in this order; bibs of other athletes are taken from them.
void storeBibs(Db& db, int competitionId, int athleteId, const std::vector<int>& bibs)
{
    db.query("DELETE FROM athlete_bibs WHERE athlete_id = ?", athleteId).run();
    for (std::size_t i = 0; i < bibs.size(); ++i) {
        db.query("DELETE FROM athlete_bibs WHERE competition_id = ? AND bib = ?", competitionId, bibs[i]).run();
        db.query("INSERT INTO athlete_bibs (competition_id, bib, athlete_id, position) VALUES (?, ?, ?, ?)",
                 competitionId, bibs[i], athleteId, int(i))
            .run();
        // Results captured under a bib belong to whoever holds it.
        db.query("UPDATE results SET athlete_id = ? WHERE bib = ? AND discipline_id IN "
                 "(SELECT id FROM disciplines WHERE competition_id = ?)",
                 athleteId, bibs[i], competitionId)
            .run();
    }
}

bool contains(const std::vector<int>& list, int value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The athlete as the reads answer it.
proto::AthleteType loadAthlete(Db& db, int competitionId, int athleteId)
{
    Statement refs = db.query("SELECT IFNULL(team_id, 0), IFNULL(club_id, 0) FROM athletes WHERE id = ?", athleteId);
    const bool known = refs.next();
    const CompetitionParticipants participants =
        CompetitionParticipants::carriedBy(db, competitionId, known ? refs.intAt(0) : 0, known ? refs.intAt(1) : 0);
    AthleteSelection only;
    only.athleteId = athleteId;
    std::vector<proto::AthleteType> found = readAthletes(db, competitionId, participants, only);
    if (found.empty())
        throw ServerError(errors::AthleteNotFound, {text(athleteId)});
    return std::move(found.front());
}

QString genderName(GenderType g)
{
    const std::string_view name = proto::enumName(g);
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

} // namespace

proto::addAthleteResponse1 addAthlete(Call& c, const op::addAthlete& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    const proto::AthleteInfoDataType info = a.AthleteInfo ? *a.AthleteInfo : proto::AthleteInfoDataType{};
    if (a.TeamId != 0)
        requireTeam(db, a.CompetitionID, a.TeamId);
    if (a.ClubID != 0)
        requireClub(db, a.CompetitionID, a.ClubID);
    checkBibList(info.Bib);
    checkBibsFree(db, a.CompetitionID, 0, info.Bib, a.AllowReassignBibs);
    checkCustomBarcode(db, a.CompetitionID, 0, info.CustomBarcode);

    db.query("INSERT INTO barcodes (kind, competition_id) VALUES ('athlete', ?)", a.CompetitionID).run();
    const int barcode = db.lastInsertId();
    const int id = db.nextId("athlete");
    const proto::AthleteNameType name = info.Name ? *info.Name : proto::AthleteNameType{};
    db.query("INSERT INTO athletes (id, competition_id, given_name, sur_name, gender, year_of_birth, custom_barcode, "
             "team_id, club_id, barcode) VALUES (?, ?, ?, ?, ?, ?, NULLIF(?, 0), NULLIF(?, 0), NULLIF(?, 0), ?)",
             id, a.CompetitionID, name.givenName, name.surName, genderName(info.Gender), info.YearOfBirth,
             info.CustomBarcode, a.TeamId, a.ClubID, barcode)
        .run();
    storeBibs(db, a.CompetitionID, id, info.Bib);
    placeInCups(db, proto::CupItemType::Athlete, id, a.CompetitionID);
    proto::addAthleteResponse1 r;
    r.Athlete = loadAthlete(db, a.CompetitionID, id);
    return r;
}

void modifyAthlete(Call& c, const op::modifyAthlete& a)
{
    Db& db = c.database();
    const int competitionId = competitionOfAthlete(db, a.AthleteID);
    const proto::AthleteType stored = loadAthlete(db, competitionId, a.AthleteID);
    const int oldTeam = stored.Team ? stored.Team->TeamID : 0;
    const int oldClub = stored.Club ? stored.Club->ClubId : 0;

    // Nil or absent keeps what is stored; a team or club id of 0 without its remove flag too.
    int team = oldTeam;
    if (a.RemoveTeam)
        team = 0;
    else if (a.TeamID != 0)
        team = a.TeamID;
    int club = oldClub;
    if (a.RemoveClub)
        club = 0;
    else if (a.ClubID != 0)
        club = a.ClubID;
    if (team != 0 && team != oldTeam)
        requireTeam(db, competitionId, team);
    if (club != 0 && club != oldClub)
        requireClub(db, competitionId, club);

    proto::AthleteInfoDataType info = stored;
    if (a.AthleteInfo) {
        const proto::AthleteInfoDataType& sent = *a.AthleteInfo;
        if (sent.Name)
            info.Name = sent.Name;
        info.Gender = sent.Gender;
        info.YearOfBirth = sent.YearOfBirth;
        info.CustomBarcode = sent.CustomBarcode;
        // A present record carries the whole bib list: no bib elements means no bibs.
        info.Bib = sent.Bib;
    }
    checkBibList(info.Bib);
    checkBibsFree(db, competitionId, a.AthleteID, info.Bib, a.AllowReassignBibs);
    checkCustomBarcode(db, competitionId, a.AthleteID, info.CustomBarcode);

    // Bibs given up whose results would go with them.
    std::vector<int> removed;
    for (int bib : stored.Bib)
        if (!contains(info.Bib, bib))
            removed.push_back(bib);
    for (int bib : removed) {
        if (!a.ForceRemoveBibs && db.query("SELECT 1 FROM results r JOIN disciplines d ON d.id = r.discipline_id "
                                           "WHERE d.competition_id = ? AND r.bib = ?",
                                           competitionId, bib)
                                      .next())
            throw ServerError(errors::BibHasResults, {text(bib)});
    }

    // A team change takes the athlete out of the disciplines he was listed in.
    const bool teamChanged = team != oldTeam;
    if (teamChanged && oldTeam != 0 && !a.forceRemoveAssignedResults &&
        db.query("SELECT 1 FROM heat_assignments h JOIN results r ON r.discipline_id = h.discipline_id "
                 "AND r.athlete_id = h.athlete_id WHERE h.athlete_id = ?",
                 a.AthleteID)
            .next())
        throw ServerError(errors::AthleteHasResultsInDisciplines, {athleteName(db, a.AthleteID)});

    // A new bib with results in a discipline and attempt where the athlete has one already.
    if (!a.ForceAmbiguousBibs) {
        for (int bib : info.Bib) {
            if (contains(stored.Bib, bib))
                continue;
            if (db.query("SELECT 1 FROM results n JOIN disciplines d ON d.id = n.discipline_id "
                         "JOIN results o ON o.discipline_id = n.discipline_id AND o.attempt = n.attempt "
                         "WHERE d.competition_id = ? AND n.bib = ? AND IFNULL(n.athlete_id, 0) <> ? "
                         "AND o.athlete_id = ? AND o.id <> n.id",
                         competitionId, bib, a.AthleteID, a.AthleteID)
                    .next())
                throw ServerError(errors::AmbiguousBibResults, {text(bib)});
        }
    }
    // A new team with results in a discipline and attempt where the athlete has one already.
    if (teamChanged && team != 0 && !a.ForceAmbiguousBibTeam &&
        db.query("SELECT 1 FROM results r JOIN result_teams rt ON rt.result_id = r.id "
                 "JOIN results o ON o.discipline_id = r.discipline_id AND o.attempt = r.attempt "
                 "WHERE rt.team_id = ? AND o.athlete_id = ? AND o.id <> r.id",
                 team, a.AthleteID)
            .next())
        throw ServerError(errors::AmbiguousTeamResults, {athleteName(db, a.AthleteID)});

    for (int bib : removed)
        db.query("DELETE FROM results WHERE bib = ? AND discipline_id IN "
                 "(SELECT id FROM disciplines WHERE competition_id = ?)",
                 bib, competitionId)
            .run();
    if (teamChanged) {
        if (oldTeam != 0)
            db.query("DELETE FROM results WHERE athlete_id = ? AND discipline_id IN "
                     "(SELECT discipline_id FROM heat_assignments WHERE athlete_id = ?)",
                     a.AthleteID, a.AthleteID)
                .run();
        db.query("UPDATE disciplines SET list_version = list_version + 1 WHERE id IN "
                 "(SELECT discipline_id FROM heat_assignments WHERE athlete_id = ?)",
                 a.AthleteID)
            .run();
        db.query("DELETE FROM heat_assignments WHERE athlete_id = ?", a.AthleteID).run();
    }
    const proto::AthleteNameType name = info.Name ? *info.Name : proto::AthleteNameType{};
    db.query("UPDATE athletes SET given_name = ?, sur_name = ?, gender = ?, year_of_birth = ?, "
             "custom_barcode = NULLIF(?, 0), team_id = NULLIF(?, 0), club_id = NULLIF(?, 0) WHERE id = ?",
             name.givenName, name.surName, genderName(info.Gender), info.YearOfBirth, info.CustomBarcode, team, club,
             a.AthleteID)
        .run();
    storeBibs(db, competitionId, a.AthleteID, info.Bib);
}

void removeAthlete(Call& c, const op::removeAthlete& a)
{
    Db& db = c.database();
    competitionOfAthlete(db, a.AthleteID);
    if (!a.forceRemove) {
        const QString name = athleteName(db, a.AthleteID);
        if (db.query("SELECT 1 FROM results WHERE athlete_id = ?", a.AthleteID).next())
            throw ServerError(errors::AthleteHasResults, {name});
        if (db.query("SELECT 1 FROM heat_assignments WHERE athlete_id = ?", a.AthleteID).next())
            throw ServerError(errors::AthleteInDisciplines, {name});
    }
    // Bibs, results, list places and cup links go with the athlete; the barcode stays used. The
    // lists it leaves change.
    db.query("UPDATE disciplines SET list_version = list_version + 1 WHERE id IN "
             "(SELECT discipline_id FROM heat_assignments WHERE athlete_id = ?)",
             a.AthleteID)
        .run();
    db.query("DELETE FROM athletes WHERE id = ?", a.AthleteID).run();
}

void flipAthleteNames(Call& c, const op::flipAthleteNames& a)
{
    Db& db = c.database();
    for (int id : a.athleteIds) {
        competitionOfAthlete(db, id);
        db.query("UPDATE athletes SET given_name = sur_name, sur_name = given_name WHERE id = ?", id).run();
    }
}

proto::getAthleteInfoResponse1 getAthleteInfo(Call& c, const op::getAthleteInfo& a)
{
    Db& db = c.database();
    // Barcodes are unique on the whole server, so a code finds its athlete in any competition; the
    // answer's competition tells the client whether it is the open one.
    int athleteId = a.AthletID;
    if (athleteId == 0) {
        const int code = a.AthleteBarcodeId != 0 ? a.AthleteBarcodeId : a.CustomAthleteBarcode;
        Statement q = db.query(a.AthleteBarcodeId != 0 ? "SELECT id FROM athletes WHERE barcode = ?"
                                                       : "SELECT id FROM athletes WHERE custom_barcode = ?",
                               code);
        if (code == 0 || !q.next())
            throw ServerError(errors::NoAthleteWithBarcode, {text(code)});
        athleteId = q.intAt(0);
    }
    const int competitionId = competitionOfAthlete(db, athleteId);
    proto::getAthleteInfoResponse1 r;
    r.Athlete = loadAthlete(db, competitionId, athleteId);
    r.Competition = readCompetition(db, competitionId);
    return r;
}

void setBibToAthlete(Call& c, const op::setBibToAthlete& a)
{
    Db& db = c.database();
    const int competitionId = competitionOfAthlete(db, a.AthleteID);
    if (a.Bib < 1)
        throw ServerError(errors::BibInvalid, {text(a.Bib)});
    if (db.query("SELECT 1 FROM athlete_bibs WHERE athlete_id = ?", a.AthleteID).next())
        throw ServerError(errors::AthleteHasBib, {athleteName(db, a.AthleteID)});
    checkBibsFree(db, competitionId, a.AthleteID, {a.Bib}, false);
    storeBibs(db, competitionId, a.AthleteID, {a.Bib});
}

} // namespace tvp::standin::ops
