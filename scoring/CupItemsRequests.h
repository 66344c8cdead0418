#pragma once
// The cup item windows' requests (age classes, teams and athletes of a cup with the competition
// entries mapped onto them), the compare lists' columns and rows, the athlete editor's checks and
// the participant export.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"
#include "scoring/CompareList.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace tvp {

enum class TCupItemRequestType {
    rt_getAgeClasses = 0,
    rt_getTeams,
    rt_getAthletes,
    rt_modAgeClasses,
    rt_modTeams,
    rt_modAthletes,
    rt_AssignToMaster,
    rt_removeFromMaster,
    rt_markCompletionState,
    rt_completeAll,
    rt_flipAthleteName
};

struct TCupItemRequest : TRequest {
    TCupItemRequestType reqType = TCupItemRequestType::rt_getAgeClasses;
    proto::CupItemType kind = proto::CupItemType::AgeClass; // the window's, fixed
    int cupId = 0;
    int itemID = 0;
    int ageFilterID = 0;
    int teamFilterID = 0;
    int masterItemID = 0;
    bool completeted = false;
    std::vector<proto::CustomInformationsDataType> customInfos;
    bool smallreload = false;
    QString name; // surname, or the name of an age class or team
    QString forename;
    int yearOfBirth = 0;
    proto::GenderType gender = proto::GenderType::NotSpecified;
    std::vector<int> itemIDs;
};

struct TCupItemResponse : TResponse {
    TCupItemRequestType reqType = TCupItemRequestType::rt_getAgeClasses;
    int cupId = 0;
    bool smallreload = false;
    bool cupsLoaded = false; // the cup list was asked for (and is in cups when it came)
    std::vector<proto::CustomColumnType> customCols;
    proto::getCupAgeClassesResponse ageClasses;
    proto::getCupTeamsResponse teams;
    proto::getCupAthletesResponse athletes;
    std::vector<proto::CupType> cups;
};

const TRequestTable<TCupItemRequest, TCupItemResponse>& cupItemRequests();

TCupItemRequestType loadCommandOf(proto::CupItemType kind);
TCupItemRequestType modifyCommandOf(proto::CupItemType kind);

// The compare columns of a kind; athletes add one per custom column before "Veranstaltung".
std::vector<TCompareColumn> cupItemColumns(proto::CupItemType kind,
                                           const std::vector<proto::CustomColumnType>& customCols);

// Adds the cup items of one list (completed or pending) with their competition entries.
void addCupItems(TCompareListModel& list, const TCupItemResponse& response, bool completed);

// The list's item id of each kind's records.
int cupItemId(const proto::CupAgeClassType& item);
int cupItemId(const proto::CupTeamType& item);
int cupItemId(const proto::CupAthleteType& item);

// The athlete editor as typed.
struct TCupAthleteEditor {
    QString givenName, surName, year;
    proto::GenderType gender = proto::GenderType::NotSpecified;
    std::vector<std::pair<int, QString>> customValues; // column id, value
};

// 0 for an empty text, -1 for one that is not a number.
int parseYearOfBirth(const QString& text);
QString customValueOf(const std::vector<proto::CustomInformationType>& infos, int columnId);
bool cupAthleteChanged(const TCupAthleteEditor& editor, const proto::CupAthleteType& item);

// Refusals of the athlete editor, empty when it may be sent.
QString cupAthleteEditorProblem(const TCupAthleteEditor& editor);
std::unique_ptr<TCupItemRequest> makeCupAthleteSave(const TCupAthleteEditor& editor, int cupId, int itemId);

// Both lists as the export writes them: the completed list with header and mark, the pending one
// after it without either.
QByteArray cupItemsCsv(const TCompareListModel& completed, const TCompareListModel& pending, bool cupOnly,
                       TRespelledNames* respelled = nullptr);

} // namespace tvp
