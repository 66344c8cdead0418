#pragma once
// Reading the records of one competition from the data file, as the operations answer them: each
// list in a fixed order, nested records filled the same way wherever they appear. Handlers that
// answer with a created or changed record read it back through these, so the reads and the writes
// never disagree on what a record holds.

#include "core/protocol/ParticipantRecords.h"
#include "standin/Database.h"

#include <unordered_map>
#include <vector>

namespace tvp::standin {

// Enumerations are stored by their wire names.
template <proto::Enumeration E>
QString wireName(E value)
{
    const std::string_view n = proto::enumName(value);
    return QString::fromUtf8(n.data(), qsizetype(n.size()));
}

// A stored enumeration; fallback for a name this server does not know.
template <proto::Enumeration E>
E enumAt(const Statement& q, int column, E fallback)
{
    return proto::enumFromName<E>(q.utf8At(column)).value_or(fallback);
}

// Refuses an unknown competition id (error 3).
void requireCompetition(Db& db, int competitionId);

// The competition record, nil for an unknown id.
proto::Owned<proto::CompetitionType> readCompetition(Db& db, int competitionId);

// A name filter of the get operations: nil or an empty text lets everything through; otherwise the
// whole name must equal the text, ignoring case unless CaseSensitive is set.
class NameFilter {
public:
    explicit NameFilter(const proto::Owned<proto::StringSearchType>& search);
    bool matches(const QString& name) const;
    bool active() const { return !text_.isEmpty(); }

private:
    QString text_;
    Qt::CaseSensitivity cs_ = Qt::CaseInsensitive;
};

// Age classes, clubs and teams of a competition in the order of their creation, with lookups by id;
// the records that athletes, teams and squads carry inside them.
class CompetitionParticipants {
public:
    CompetitionParticipants(Db& db, int competitionId);
    // Only the team (with its age class and billing club) and club one athlete refers to.
    static CompetitionParticipants carriedBy(Db& db, int competitionId, int teamId, int clubId);

    const std::vector<proto::AgeClassType>& ageClasses() const { return ageClasses_; }
    const std::vector<proto::ClubType>& clubs() const { return clubs_; }
    // Each with its age class, squad, member count and billing club.
    const std::vector<proto::TeamType>& teams() const { return teams_; }

    // Nil for 0 or an id of no such record.
    proto::Owned<proto::AgeClassType> ageClass(int id) const;
    proto::Owned<proto::ClubShortType> clubShort(int id) const;
    proto::Owned<proto::TeamType> team(int id) const;
    const proto::TeamType* findTeam(int id) const;

private:
    CompetitionParticipants() = default;
    void readAgeClasses(Statement& ages);
    void readClubs(Statement& clubs);
    void readTeams(Statement& teams);

    std::vector<proto::AgeClassType> ageClasses_;
    std::vector<proto::ClubType> clubs_;
    std::vector<proto::TeamType> teams_;
    std::unordered_map<int, std::size_t> ageClassAt_, clubAt_, teamAt_;
};

// Which athletes a read returns; 0 for a filter not set.
struct AthleteSelection {
    int ageClassId = 0;   // athletes of the teams of this age class
    int teamId = 0;       // athletes of this team
    int bib = 0;          // the athlete holding this bib
    int disciplineId = 0; // athletes not yet placed in this discipline, alone or with their team
    int athleteId = 0;    // this one athlete
};

// An athlete as read, without its team and club: the ids say which. A long list carries the same
// few teams and clubs again and again, so its answer writes each of them once (AnswerText.h).
struct AthleteRow {
    proto::AthleteType athlete; // Team and Club nil
    int teamId = 0;
    int clubId = 0;
};

// Athletes in the order of their creation with their bibs in order.
std::vector<AthleteRow> readAthleteRows(Db& db, int competitionId, const AthleteSelection& selection = {});

// The same, each with its team and its club.
std::vector<proto::AthleteType> readAthletes(Db& db, int competitionId, const CompetitionParticipants& participants,
                                             const AthleteSelection& selection = {});

// Disciplines in the order of their creation; ageClassId 0 reads all, another only those of that
// age class.
std::vector<proto::DisciplinType> readDisciplines(Db& db, int competitionId, int ageClassId = 0);

// Squads by order index (then creation), each with its teams in their order.
std::vector<proto::SquadType> readSquads(Db& db, int competitionId, const CompetitionParticipants& participants);

} // namespace tvp::standin
