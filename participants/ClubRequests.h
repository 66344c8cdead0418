#pragma once
// The club window's server requests: the club list, creating, changing and deleting clubs,
// assigning athletes and teams to a club, and the billing of every club for the receipts.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"

#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TClubRequestType {
    rt_get = 0,
    rt_create = 1,
    rt_modify = 2,
    rt_delete = 3,
    rt_billingInfo = 4,
    rt_assignAthletes = 5,
    rt_assignTeams = 6,
};

// The server's refusals of a delete that the user may overrule.
inline constexpr int kClubHasTeamsError = 117;
inline constexpr int kClubHasAthletesError = 118;

struct TClubInfo {
    QString name;
    QString comment;
    QString billingAddress;
};

struct TClubRequest : TBatchRequest {
    TClubRequestType reqType = TClubRequestType::rt_get;
    TClubInfo ClubInfo;
    // A change: the club as the editor loaded it. Fields typed as loaded are saved as the server
    // has them then, so another window's change to them stays.
    std::optional<TClubInfo> loaded;
    // A change: the fields (a bit by place in clubFieldCaption) the user chose to save over what
    // another desk changed them to.
    unsigned keptOwn = 0;
    int ClubID = 0;
    // Where the receipt data goes; empty: the user chooses in the save dialog.
    QString billingDataPath;
    // The design's force set, one flag per element.
    bool forceBillingTeamAssignment = false;
    bool forceAthleteAssignment = false;
    // Athlete ids for rt_assignAthletes, team ids for rt_assignTeams.
    std::vector<int> athleteIdsToAssign;
};

struct TClubResponse : TBatchResponse {
    TClubRequestType reqType = TClubRequestType::rt_get;
    proto::getClubsResponse1 getResponse;
    proto::getClubBillingResponse1 billingInfo;
    QString billingDataPath;
    int id = 0; // the request's ClubID
    TClubInfo ClubInfo;
    unsigned keptOwn = 0;
};

// Request names, worker functions and the refusals the user may overrule.
const TRequestTable<TClubRequest, TClubResponse>& clubRequests();
// A field of a change's merge as its question names it: "Der Name", "Die Bemerkung", "Die Anschrift".
QString clubFieldCaption(int field);

// From the editor: the name is trimmed, remark and address go as typed.
std::unique_ptr<TClubRequest> makeClubRequest(TClubRequestType type, int clubId, const TClubInfo& editor,
                                              const std::optional<TClubInfo>& loaded = std::nullopt);
// Deleting several rows: one chain, topmost row first, sharing one batch context.
std::unique_ptr<TClubRequest> makeDeleteChain(const std::vector<int>& clubIds);
// Athletes (rt_assignAthletes) or teams (rt_assignTeams) dropped onto a club.
std::unique_ptr<TClubRequest> makeAssignRequest(TClubRequestType type, int clubId, std::vector<int> ids);
// The billing for the receipts; an empty path lets the user choose the file.
std::unique_ptr<TClubRequest> makeBillingRequest(const QString& billingDataPath);

} // namespace tvp
