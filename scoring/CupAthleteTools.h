#pragma once
// The cup table of the data view: one entry per cup finisher with its custom column values, the
// cup competitions it took part in, its cup teams and the results of every scoring node of the
// shown compilation, kept per attempt. Built on a request worker, read by the window.

#include "core/protocol/ScoringRecords.h"
#include "core/results/tvpTypes.h"

#include <QString>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tvp {

// The results of one scoring node for one athlete or team; slot a - 1 holds attempt a.
class TCupResult {
public:
    // maxAttempt: the table's results per row; attempts outside 1..max(1, maxAttempt) are dropped.
    TCupResult(const proto::AssignedResultType& result, TResultformat fmt, QString pattern, int maxAttempt);
    void AddResult(const proto::AssignedResultType& result);
    // The slots' texts joined by ",", "-" for an empty slot.
    QString getResultString() const;
    // The first slot, or a placeholder status "ung" when it is empty.
    proto::ResultType getFirstResult() const;
    // Positive when this one is better; other may be null.
    int compareTo(const TCupResult* other) const;
    int getNoOfSlots() const { return int(FResults.size()); }

private:
    TResultformat FResultFormat;
    QString FResultPattern;
    int maxAttempt_;
    std::vector<std::optional<proto::ResultType>> FResults;
    // The rows are filled again on every filter change; the text only changes with a result.
    mutable std::optional<QString> text_;
};

class TCupResultObj {
public:
    virtual ~TCupResultObj() = default;
    void addResult(const proto::AssignedResultType& result, int index, TResultformat fmt, const QString& pattern,
                   int maxAttempt);
    int getNoOfResults() const { return int(FResults.size()); }
    // Null outside the range or for an empty slot.
    const TCupResult* getResult(int i) const;
    // Empty when there is no result object.
    QString getResultString(int i) const;
    bool hasResults() const;

protected:
    std::vector<std::unique_ptr<TCupResult>> FResults;
};

class TCupTeam : public TCupResultObj {
public:
    TCupTeam(int id, QString name) : FID(id), Fname(std::move(name)) {}
    int id() const { return FID; }
    const QString& name() const { return Fname; }
    // By the result of the first team node: positive when this team is better.
    int compareTo(const TCupTeam& other) const;

private:
    int FID;
    QString Fname;
};

class TCupAthleteList;

class TCupAthlete : public TCupResultObj {
public:
    TCupAthlete(const proto::FinisherType& finisher, const TCupAthleteList& list,
                std::unordered_map<int, std::vector<TCupTeam*>>& teamsMap);
    int id() const { return FID; }
    const QString& givenName() const { return FgivenName; }
    const QString& surName() const { return FsurName; }
    QString getCustomColData(int i) const;
    // "x" when the athlete took part in competition i, else "-".
    QString getCompetitionParticipationString(int i) const;
    int getNoOfParticipations() const;
    int getNoOfTeams() const { return int(FTeams.size()); }
    const TCupTeam* getTeam(int i) const;
    int getNoOfTeamsWithResults() const;
    void SortTeams();
    void setCompParticipation(int i);

private:
    int FID = 0;
    QString FgivenName, FsurName;
    std::vector<QString> FcustomCols;
    std::vector<std::unique_ptr<TCupTeam>> FTeams;
    std::vector<bool> FCompParticipations;
};

class TCupAthleteList {
public:
    TCupAthleteList(const std::vector<proto::FinisherType>& finishers,
                    const std::vector<proto::CustomColumnType>& customCols, const proto::CupType& cup);
    TCupAthleteList(const TCupAthleteList&) = delete;
    TCupAthleteList& operator=(const TCupAthleteList&) = delete;

    void addResults(const proto::getResultTableResponse1& table, const TAggInfo& agg, TResultformat fmt);

    int getAthleteCount() const { return int(FAthletes.size()); }
    // Null outside the range.
    const TCupAthlete* getAthlete(int i) const;
    int getCompetitionIndexForId(int id) const;
    int getCustomColIndexForId(int id) const;
    int getNoOfCompetitions() const { return int(FCompetitions.size()); }
    int getNoOfCustomCols() const { return int(FCustomCupCols.size()); }
    int getNoOfAthleteAggs() const { return int(FAthleteAggs.size()); }
    int getNoOfTeamAggs() const { return int(FTeamAggs.size()); }
    QString getCustomColumnName(int i) const;
    QString getCompetitionName(int i) const;
    // Null outside the range.
    const TAggInfo* getAthAgg(int i) const;
    const TAggInfo* getTeamAgg(int i) const;

private:
    std::vector<proto::CustomColumnType> FCustomCupCols;
    std::vector<proto::CompetitionType> FCompetitions;
    std::vector<std::unique_ptr<TCupAthlete>> FAthletes;
    std::vector<TAggInfo> FAthleteAggs, FTeamAggs;
    std::unordered_map<int, TCupAthlete*> FAthleteMap;
    std::unordered_map<int, std::vector<TCupTeam*>> FTeamsMap;
};

} // namespace tvp
