#pragma once
// Small client-side records that windows pass to each other, built from protocol records.

#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/ScoringRecords.h"

#include <QLatin1String>
#include <QString>

#include <vector>

namespace tvp {

// rf_Unknown is never stored: it stands for "no single format" and asks for plain numbers.
enum class TResultformat { rf_Default, rf_Points, rf_Unknown, rf_Height, rf_TargetPoints, rf_TargetPointCollection };

// Ids of athletes, teams or disciplines.
using TIdList = std::vector<int>;

// Keys of the UI infos the client keeps on the server (associated id in brackets).
namespace uiInfoKeys {
inline constexpr QLatin1String DisciplinResultType("Disciplin_ResultType");     // discipline
inline constexpr QLatin1String DisciplinResultFormat("Disciplin_ResultFormat"); // discipline
inline constexpr QLatin1String DisciplinHeightList("Disciplin_HeightList");     // discipline
inline constexpr QLatin1String DiscTimingId("DiscTimingId");                    // discipline
inline constexpr QLatin1String NextDiscTimingId("NextDiscTimingId");            // competition
inline constexpr QLatin1String ResultTallyList("Result_TallyList");
inline constexpr QLatin1String Label("Label");                                // scoring node
inline constexpr QLatin1String ResAggVisAnalysis("ResAgg_VisAnalysis");       // scoring node
inline constexpr QLatin1String ResAggVisCertificate("ResAgg_VisCertificate"); // scoring node
inline constexpr QLatin1String AggCollCertDocPath("AggColl_CertDocPath");
inline constexpr QLatin1String CompBillingDocPath("Comp_BillingDocPath"); // competition
inline constexpr QLatin1String MetaDataPrefix("MetaData_");
} // namespace uiInfoKeys

proto::UiInfoKey makeUiInfoKey(const QString& key, int associatedId);

// What windows know about a discipline. Result kind, format and height list come from the
// discipline's UI infos, which the creator reads and fills in afterwards.
class TDisciplineInfo {
public:
    int id = 0;
    int Barcode = 0;
    bool isTeam = false;
    proto::ResultAssignmentType assignmentType = proto::ResultAssignmentType::byAthleteOrTeam;
    proto::ResultValueType resultType = proto::ResultValueType::Distance;
    TResultformat resultFormat = TResultformat::rf_Default;
    QString heightList;
    int ageClassId = 0;
    proto::SquadAssignmentType squadAssignment = proto::SquadAssignmentType::teamDistributed;
    int maxParticipantsPerHeat = 0;
    int attempts = 0;
    int competitionId = 0;
    QString name;

    static TDisciplineInfo CreateFromInfo(const proto::DisciplinInfoType& info);
    static TDisciplineInfo CreateFromDisc(const proto::DisciplinType& disc);
};

// The values of a stored height list (heightList); an element that is no number is 0. Empty text:
// no values.
std::vector<int> parseHeightList(const QString& text);
// The values joined by ";" in ascending order.
QString joinHeightList(std::vector<int> values);

// One result aggregator (scoring node) as the certificate and data views list it.
struct TAggInfo {
    int aggID = 0;
    QString aggLabel;
    QString aggName;
    bool multidisc = false; // draws on several disciplines
    QString DiscNames;
    bool discChange = false;
};

class TSortId {
public:
    TSortId(int id, int sortIndex) : FID(id), FSortIndex(sortIndex) {}
    int ID() const { return FID; }
    int SortIndex() const { return FSortIndex; }

private:
    int FID;
    int FSortIndex;
};

} // namespace tvp
