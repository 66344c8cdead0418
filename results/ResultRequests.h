#pragma once
// The result entry window's requests: loading a discipline with its participants and results,
// storing one result cell, and assigning a missing athlete to the first heat. Besides them the
// decisions of the window that need no widget: which heat holds a participant, the list barcode,
// the version box, the squad line of the protocol and the status text of a cell.

#include "core/connection/RequestRoad.h"
#include "core/results/tvpTypes.h"

#include <QString>

#include <optional>
#include <vector>

namespace tvp {

enum class TResultRequestType {
    rt_getList = 0,
    rt_RefreshForPrint = 1,
    rt_ShowAthlete = 2,
    rt_setResult = 3,
    rt_addParticipant = 4,
    rt_showTeam = 5,
};

enum class TLoadType {
    lt_default = 0,
    lt_print = 1,
    lt_showAthlete = 2,
    lt_showTeam = 3,
    lt_showAthleteWithPrompt = 4
};

struct TResultRequest : TRequest {
    TResultRequestType reqType = TResultRequestType::rt_getList;
    int DisciplinId = 0; // a barcode number when findByBarcodeID
    bool findByBarcodeID = false;
    bool promptForAddAthlete = false;
    int bib = 0;
    int athleteId = 0;
    int teamId = 0;
    int attempt = 0;
    std::optional<proto::LaneHeatType> laneHeat;
    std::optional<proto::ResultType> result; // none: delete the attempt's result
    TDisciplineInfo disciplinInfo;
    bool tryToShowAquireBibForm = false;
    // The row's athlete, or team in a team discipline; 0 for an empty place. A store for one reads
    // what the server holds in its own transaction before it writes, and answers it (replaced).
    int participantId = 0;
    // Undoes a store of this desk that was dropped on its way: result (what that store replaced) is
    // put back only while the server holds what that store wrote (undone), so that a value another
    // desk stored since stays. shown: what the cell showed once the value was dropped.
    bool undo = false;
    std::optional<proto::ResultType> undone;
    std::optional<proto::ResultType> shown;
    // A store whose answer never came (kWriteInDoubtError), read back: nothing is written, and its
    // answer holds what the server has (replaced). doubt: why it was in doubt.
    bool readBack = false;
    QString doubt;
    // rt_setResult: the stores that leave together, in typing order, each of its own cell and all
    // of one discipline. They go in one read-write transaction that reads the results once.
    std::vector<TResultRequest> stores;
};

struct TResultResponse : TResponse {
    TResultRequestType reqType = TResultRequestType::rt_getList;
    int DisciplinId = 0;
    bool findByBarcodeID = false;
    proto::getDisciplinParticipantsResponse1 getParticipantsResponse;
    proto::getResultTableResponse1 getResultTableResponse;
    std::vector<proto::DisciplinType> disciplines;
    TDisciplineInfo disciplinInfo;
    int attempt = 0;
    bool promptForAddAthlete = false;
    std::optional<proto::ResultType> result;
    int bib = 0;
    int id = 0;
    std::optional<proto::LaneHeatType> laneHeat;
    bool tryToShowAquireBibForm = false;
    // The participant is not (or no longer) in the discipline: nothing was stored.
    bool notAParticipant = false;
    // What the server held before the store, read in its transaction; unknown for an empty place.
    bool replacedRead = false;
    std::optional<proto::ResultType> replaced;
    // An undo left (or put back) a value another desk stored, not the one the cell showed: result
    // holds it.
    bool otherDeskStored = false;
    // rt_setResult: the answer of each store, in the order sent. Each has its own outcome: one the
    // server refused is refused alone, and the others of its transaction stay stored.
    std::vector<TResultResponse> stores;
    TRequestOutcome outcome;
};

using TResultRoad = TRequestRoad<TResultRequest, TResultResponse>;
const TRequestTable<TResultRequest, TResultResponse>& resultRequests();
// What the answer of a store says of its cell: discipline, participant, attempt and value.
void describeStore(const TResultRequest& request, TResultResponse& response);

inline constexpr int kNoListVersion = 2147483647;
// The rank is given to another bib already.
inline constexpr int kRankTakenError = 122;

// Two results that show the same: the same kind with the same value of that kind; none equals none.
bool sameResultValue(const std::optional<proto::ResultType>& a, const std::optional<proto::ResultType>& b);

// Results assigned by lane are named by heat * 65536 + lane.
inline int laneHeatToId(const proto::LaneHeatType& laneHeat)
{
    return laneHeat.HeatNo * 65536 + laneHeat.Lane;
}

// The position (from 1) of the first heat of the list that holds the participant, 0 when none.
// byBarcode compares the athlete's or team's Barcode, otherwise athletes by AthleteID and teams by
// TeamID.
int findHeatOfParticipant(const std::vector<proto::HeatParticipantsType>& heats, int id, bool byBarcode);
int findHeatOfTeam(const std::vector<proto::HeatParticipantsType>& heats, int teamId);

// A scanned competition-list code: the discipline's barcode number, the heat (from 1), the list
// version and the row to bring to the top (from 1). Nothing for a code that cannot be read.
struct TListBarcode {
    int disciplineBarcode = 0;
    int heat = 0;
    int version = 0;
    int topRow = 0;
};
std::optional<TListBarcode> readListBarcode(const QString& code);

// The version box: the version to compare with, and how the box shows it.
struct TVersionBoxState {
    int version = kNoListVersion; // kNoListVersion: no marking
    bool ticked = false;
    enum Look { Normal, AboveCurrent, Invalid } look = Normal;
};
TVersionBoxState readVersionBox(const QString& text, int currentListVersion);
inline const QString kVersionAboveHint = QStringLiteral("Eingegebene Version ist größer als aktuelle Listenversion.");
inline const QString kVersionInvalidHint = QStringLiteral("Bitte Zahl zwischen 0 und aktueller Version eingeben.");

// "Riege 1, Adler (2)": the distinct squads of the teams, in order; empty without any.
QString squadLine(const std::vector<const proto::TeamType*>& teams);

// The legend under the grid for the discipline's result kind.
QString resultLegend(proto::ResultValueType type);

// The error hint after a refusal 122 of a store by bib.
QString rankConflictHint(const QString& windowCaption, const QString& menuCaption);

} // namespace tvp
