#pragma once
// The plausibility check of the results behind a set of result providers (athletes without a valid
// single result, missing results, gaps in rankings) and the bib conflict list: the request, and
// the entries both windows list, with what a double click on them opens.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"

#include <QString>

#include <vector>

namespace tvp {

struct TResultCheckRequest : TRequest {
    std::vector<int> resProvIDs;
    bool showOkMessage = false;
};

struct TResultCheckResponse : TResponse {
    std::vector<proto::AthleteWithoutValidResultType> athletes;
    std::vector<proto::MissingResultType> missingResults;
    std::vector<proto::RankingIssueType> implausibleRanks;
    std::vector<int> resProvIDs;
    bool showOkMessage = false;
};

using TResultCheckRoad = TRequestRoad<TResultCheckRequest, TResultCheckResponse>;
const TRequestTable<TResultCheckRequest, TResultCheckResponse>& resultCheckRequests();

// An entry of the first list: an athlete without a valid single result.
struct TAthleteCheckEntry {
    QString givenName, surName, team, results;
    proto::AthleteType athlete;
};
TAthleteCheckEntry athleteCheckEntry(const proto::AthleteWithoutValidResultType& record);

// An entry of the second list and where it leads.
struct TWarningListItem {
    QString discipline, problem, heat, squad, team, participants;
    int DisciplineID = 0;
    int heatNo = 0;
    int teamID = 0;
    int athleteId = 0;
    int Attempt = 0;
    bool tryshowAquireBib = false;
};
TWarningListItem missingResultEntry(const proto::MissingResultType& record);
TWarningListItem rankingIssueEntry(const proto::RankingIssueType& record);

// An entry of the bib conflict list.
struct TBibConflictEntry {
    QString discipline, participant, bibs, results, attempt, competition;
    int participantId = 0; // the athlete's, else the team's
    int DisciplineID = 0;
    int CompetitionID = 0;
};
TBibConflictEntry bibConflictEntry(const proto::AmbiguousResultType& record);

} // namespace tvp
