// Participant imports and blank barcodes. The participant file (docs/participant-file.md) is read
// whole before anything is stored: a file with any fault is refused and leaves nothing behind.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/ParticipantFile.h"
#include "standin/Records.h"

#include <QHash>

#include <optional>

namespace tvp::standin::ops {

namespace {

constexpr int kMaxBarcodesAtOnce = 999999;

// Existing records of the competition by exact name; those made by the import join them.
class NameIndex {
public:
    std::optional<int> find(const QString& key) const
    {
        const auto it = ids_.constFind(key);
        return it == ids_.constEnd() ? std::nullopt : std::optional<int>(*it);
    }
    void add(const QString& key, int id)
    {
        if (!ids_.contains(key))
            ids_.insert(key, id);
    }

private:
    QHash<QString, int> ids_;
};

QString teamKey(const QString& name, int ageClassId)
{
    return name + QChar(0) + QString::number(ageClassId);
}

} // namespace

void importParticipants(Call& c, const op::importParticipants& a)
{
    Db& db = c.database();
    requireCompetition(db, a.competitionId);
    const ParticipantFile file = readParticipantStream(a.importStreamFormat, a.importStream);

    const CompetitionParticipants existing(db, a.competitionId);
    NameIndex ageClasses, clubs, teams;
    for (const proto::AgeClassType& ac : existing.ageClasses())
        ageClasses.add(ac.Name, ac.AgeClassID);
    for (const proto::ClubType& club : existing.clubs())
        clubs.add(club.Name, club.ClubId);
    for (const proto::TeamType& t : existing.teams())
        if (t.AgeClass)
            teams.add(teamKey(t.Name, t.AgeClass->AgeClassID), t.TeamID);

    std::vector<int> teamIds;
    for (const FileTeam& t : file.teams) {
        std::optional<int> ageClassId = ageClasses.find(t.ageClass);
        if (!ageClassId) {
            op::createAgeClass create;
            proto::AgeClassInfoType info;
            info.Name = t.ageClass;
            info.MaxTeamMembers = -1; // unlimited, as the age-class window makes them
            create.AgeClassInfo = info;
            create.CompetitionID = a.competitionId;
            ageClassId = createAgeClass(c, create).AgeClass->AgeClassID;
            ageClasses.add(t.ageClass, *ageClassId);
        }
        std::optional<int> teamId = teams.find(teamKey(t.name, *ageClassId));
        if (!teamId) {
            op::addTeam add;
            add.TeamInfo = proto::TeamInfoDataType{t.name};
            add.AgeClassID = *ageClassId;
            teamId = addTeam(c, add).Team->TeamID;
            teams.add(teamKey(t.name, *ageClassId), *teamId);
        }
        teamIds.push_back(*teamId);
    }
    for (const FileAthlete& athlete : file.athletes) {
        op::addAthlete add;
        add.CompetitionID = a.competitionId;
        if (athlete.team >= 0)
            add.TeamId = teamIds[std::size_t(athlete.team)];
        if (!athlete.club.isEmpty()) {
            std::optional<int> clubId = clubs.find(athlete.club);
            if (!clubId) {
                op::addClub addC;
                addC.CompetitionID = a.competitionId;
                proto::ClubInfoDataType info;
                info.Name = athlete.club;
                addC.ClubInfo = info;
                clubId = addClub(c, addC).Club->ClubId;
                clubs.add(athlete.club, *clubId);
            }
            add.ClubID = *clubId;
        }
        proto::AthleteInfoDataType info;
        info.Name = proto::AthleteNameType{athlete.givenName, athlete.surName};
        info.Gender = athlete.gender;
        info.YearOfBirth = athlete.yearOfBirth;
        add.AthleteInfo = info;
        addAthlete(c, add);
    }
}

proto::allocateBlancAthleteBarcodeResponse1 allocateBlancAthleteBarcode(Call& c,
                                                                        const op::allocateBlancAthleteBarcode& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    if (a.Count < 1 || a.Count > kMaxBarcodesAtOnce)
        throw ServerError(errors::InvalidBarcodeCount, {QString::number(a.Count), QString::number(kMaxBarcodesAtOnce)});
    // One statement under the write lock: the ids are consecutive.
    db.query("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
             "INSERT INTO barcodes (kind, competition_id) SELECT 'blank', ? FROM n",
             a.Count, a.CompetitionID)
        .run();
    const int last = db.lastInsertId();
    proto::allocateBlancAthleteBarcodeResponse1 r;
    r.Range = proto::IntegerRangeType{last - a.Count + 1, last};
    return r;
}

} // namespace tvp::standin::ops
