#pragma once
// The age-class window's server requests, the editor's values turned into a request, and the
// texts of its list.

#include "core/connection/RequestRoad.h"
#include "core/lists/RecordListModel.h"
#include "core/protocol/ParticipantRecords.h"

#include <QLocale>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TAgeRequestType { rt_get = 0, rt_create = 1, rt_modify = 2, rt_delete = 3 };

struct TAgeRequest : TRequest {
    TAgeRequestType reqType = TAgeRequestType::rt_get;
    QString name;
    double pricePerTeam = 0;
    int minTeamMem = 0;
    int maxTeamMem = -1;
    int MinMembersPerGender = 0;
    int MaleLessThan = 0;
    int FemaleLessThan = 0;
    int id = 0;
    // A change: the age class as the editor loaded it. Fields typed as loaded are saved as the
    // server has them then, so another window's change to them stays.
    std::optional<proto::AgeClassInfoType> loaded;
    // A change: the fields (a bit by place in ageClassFieldCaption) the user chose to save over what
    // another desk changed them to.
    unsigned keptOwn = 0;
};

struct TAgeResponse : TResponse {
    TAgeRequestType reqType = TAgeRequestType::rt_get;
    std::vector<proto::AgeClassType> getAgeClass;
    int AgeClassID = 0; // of a created age class
    unsigned keptOwn = 0;
};

// Request names and worker functions.
const TRequestTable<TAgeRequest, TAgeResponse>& ageClassRequests();

// What the editor shows when no stored age class is current: no name, no fee, no rules.
const proto::AgeClassType& defaultAgeClass();

// The editor's content: the texts of the name and fee fields and the up-down positions.
struct TAgeClassEditor {
    QString name;
    QString fee;
    int minimum = 0;
    int maximum = -1;
    int genderMix = 0;
    int male = 0;   // position n: at most n - 1 boys, 0 unbounded
    int female = 0; // the same for girls
};

// The request of the editor's content; null with error set when the name is empty or the fee does
// not read as a number of locale (the lenient form, without error, takes a bad fee as 0).
std::unique_ptr<TAgeRequest> getRequestFromUI(TAgeRequestType type, const TAgeClassEditor& editor,
                                              const QLocale& locale, QString* error);

// The request's name, fee and rules as the server takes them.
proto::AgeClassInfoType ageClassInfo(const TAgeRequest& request);
// A stored age class as the editor reads it back: the name trimmed, the fee in cents, an
// unbounded maximum as -1.
proto::AgeClassInfoType ageClassAsEdited(const proto::AgeClassInfoType& stored);
// The editor follows the age class as the server holds it now (followServerChanges).
void followServerAgeClassChanges(proto::AgeClassInfoType& shown, proto::AgeClassInfoType& loaded,
                                 const proto::AgeClassInfoType& server);
// A field of a change's merge as its question names it: "Die Bezeichnung", ...
QString ageClassFieldCaption(int field);

// The fee as the user types it: rounded to cents, ties to even.
double roundFeeToCents(double fee);
// "%.2f" in the locale's decimal form, without group separators.
QString feeEditText(double fee, const QLocale& locale);

// Whether the request would change the stored age class: name (exact), fee and the five rules.
bool ageClassDiffers(const TAgeRequest& request, const proto::AgeClassType& stored);

// The up-down texts of the editor.
QString minimumText(int minimum);
// "unbegrenzt" below the minimum (where the editor keeps an unbounded maximum).
QString maximumText(int maximum, int minimum);
QString genderMixText(int genderMix);
QString genderMaximumText(int position);

// The list's columns: "Bezeichnung", "Startgeld pro Team", "Min #Athl.", "Max #Athl.", "m/w".
std::vector<TRecordListModel<proto::AgeClassType>::Column> ageClassColumns(const QLocale& locale);

} // namespace tvp
