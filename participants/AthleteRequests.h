#pragma once
// The athlete window's server requests, the editor's values as a request, and the questions that
// send a refused change again with a force flag.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TAthleteRequestType {
    rt_get = 0,
    rt_create = 1,
    rt_modify = 2,
    rt_delete = 3,
    rt_flipAthleteNames = 4,
    rt_checkParticipants = 5
};

// One athlete as the editor gives it.
struct TAthleteInfo {
    QString fname;
    QString sname;
    std::vector<int> bibs;
    int TeamId = 0;
    int yearOfBirth = 0;
    proto::GenderType gender = proto::GenderType::NotSpecified;
    int ClubId = 0;
    int customBarcode = 0; // the blank-barcode id, 0 = none

    bool operator==(const TAthleteInfo&) const = default;
};

// The window's force set, one flag per element; requests and responses carry it.
struct TAthleteForces {
    bool allowReassignBibs = false;
    bool forceRemoveBibs = false;
    bool forceRemove = false;
    bool forceRemoveAssignedResults = false;
    bool forceAmbiguousBib = false;
    bool forceTeamAmbiguousBib = false;
};

struct TAthleteRequest : TBatchRequest, TAthleteForces {
    TAthleteRequestType reqType = TAthleteRequestType::rt_get;
    TAthleteInfo athleteInfo;
    // A change: the athlete as the editor loaded it. Fields typed as loaded are saved as the
    // server has them then, so another window's change to them stays.
    std::optional<TAthleteInfo> loaded;
    // A change: the fields (a bit by place in athleteFieldCaption) the user chose to save over what
    // another desk changed them to.
    unsigned keptOwn = 0;
    int AthleteID = 0;
    // The three filters of a load.
    int AgeClassID = 0;
    int TeamID = 0;
    int DisciplineId = 0;
    std::vector<int> athleteIds;
    bool showMessageIfNoWarning = false;
};

struct TAthleteResponse : TBatchResponse, TAthleteForces {
    TAthleteRequestType reqType = TAthleteRequestType::rt_get;
    proto::getAthletesResponse1 getResponse;
    proto::getAgeClassesResponse1 ageClasses;
    proto::getTeamsResponse1 teams;
    proto::getDisciplinesResponse1 disciplines;
    proto::getClubsResponse1 clubs;
    int id = 0; // the request's AthleteID
    TAthleteInfo athleteInfo;
    std::optional<TAthleteInfo> loaded;
    unsigned keptOwn = 0;
    int AgeClassID = 0;
    int TeamID = 0;
    int DisciplineId = 0;
    int compId = 0;
    proto::checkParticipantConstraintsResponse participantWarning;
    bool showMessageIfNoWarning = false;
};

// Request names, worker functions, and the delete refusals asked through the batch confirmation.
const TRequestTable<TAthleteRequest, TAthleteResponse>& athleteRequests();

// A refused create or change that a Yes/No question may send again with one more flag; the
// flags of earlier answers stay, so refusals in a row are asked one after the other.
struct TAthleteForcePrompt {
    TAthleteRequestType reqType;
    int errorId;
    bool TAthleteForces::*flag;
    QString question;
};
inline const QString kAthleteForceCaption = QStringLiteral("Athletendaten");
// The prompt for this refusal, null when there is none.
const TAthleteForcePrompt* athleteForcePrompt(TAthleteRequestType reqType, int errorId);
// The same create or change again, with the response's flags plus the prompt's.
std::unique_ptr<TAthleteRequest> forcedAthleteRequest(const TAthleteResponse& refused,
                                                      const TAthleteForcePrompt& prompt);
// The same change again, saving the user's value of the field another desk changed too.
std::unique_ptr<TAthleteRequest> keptOwnAthleteRequest(const TAthleteResponse& refused, int field);
// A change reads, merges and writes in one read-write transaction, so that no other desk's save
// lands between; a create is one call.
TTransactionMode athleteSaveMode(TAthleteRequestType reqType);
// A field of the change's merge as its question names it: "Der Vorname", ...
QString athleteFieldCaption(int field);

// ---- requests of the window ----

std::unique_ptr<TAthleteRequest> makeAthleteLoad(int ageClassId, int teamId, int disciplineId);
std::unique_ptr<TAthleteRequest> makeAthleteSave(TAthleteRequestType reqType, int athleteId, const TAthleteInfo& info,
                                                 std::optional<TAthleteInfo> loaded = std::nullopt);
// Deleting several rows: one chain, the first id first, sharing one batch context.
std::unique_ptr<TAthleteRequest> makeAthleteDeleteChain(const std::vector<int>& athleteIds);
std::unique_ptr<TAthleteRequest> makeFlipNames(const std::vector<int>& athleteIds);
std::unique_ptr<TAthleteRequest> makeParticipantCheck(bool showMessageIfNoWarning);

// ---- the editor ----

// The editor's fields as typed.
struct TAthleteEditor {
    QString givenName;
    QString surName;
    QString bibs;
    QString year;
    QString blankBarcode;
    proto::GenderType gender = proto::GenderType::NotSpecified;
    int teamId = 0;
    int clubId = 0;
};

// What stops a strict request; every text goes to the message window with id -1.
struct TEditorProblem {
    QString text;
    QString caption;
};

// The editor as a request. Strict (create, change) stops at the first invalid field with its
// problem; lenient (the change check) reads what it can.
std::optional<TAthleteInfo> getAthleteRequestFromUI(const TAthleteEditor& editor, bool strict,
                                                    TEditorProblem* problem = nullptr);

// "5,6;7" gives three bibs; an empty text none. Any other piece ("3;;4", "5;", "x", "0") makes
// the text invalid (nullopt); lenient keeps the valid bibs before it.
std::optional<std::vector<int>> StringToBibs(const QString& text, bool strict = true);

// The blank-barcode id of a 'B' payload ("B11X" gives 33), 0 for an empty, undecodable or other
// text.
int CustomBarcodeToBarcodeId(const QString& text);

// The editor's fields as they show a stored athlete.
TAthleteEditor athleteEditorOf(const proto::AthleteType& athlete);
// The editor follows the athlete as the server holds it now (followServerChanges).
void followServerAthleteChanges(TAthleteEditor& shown, TAthleteEditor& loaded, const TAthleteEditor& server);

// Whether the editor differs from the stored athlete (a new one compares with the default).
bool athleteChanged(const TAthleteInfo& editor, const proto::AthleteType& stored, bool existing);

// The bibs field for the next new athlete after one was created: one bib n becomes n + 1,
// anything else empties the field.
QString nextBibsText(const QString& text);

// ---- the list ----

// "Adler (U10)", or the team name alone without age class.
QString teamCaption(const proto::TeamType& team);

// The athlete list's columns: "Vorname", "Nachname", "Team", "Startnummer", "Jahrgang",
// "Geschlecht", "Verein", "ID", "Barcode".
QStringList athleteColumnCaptions();
QString athleteCellText(const proto::AthleteType& athlete, int column);

enum TAthleteColumn {
    colGivenName,
    colSurName,
    colTeam,
    colBibs,
    colYear,
    colGender,
    colClub,
    colId,
    colBarcode,
    athleteColumnCount
};

// The active filters by name for the overview's header: an age class or team named by the first
// listed athlete that has it, else by the filter box (the lookups give a box entry's name).
struct TAthleteFilterNames {
    QString ageClass;
    QString team;
    QString discipline;
};
TAthleteFilterNames athleteFilterNames(const std::vector<proto::AthleteType>& athletes, int ageClassId,
                                       int disciplineId, int teamId, const std::function<QString(int)>& ageClassBoxName,
                                       const std::function<QString(int)>& teamBoxName,
                                       const std::function<QString(int)>& disciplineBoxName);

} // namespace tvp
