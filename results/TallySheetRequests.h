#pragma once
// The tally-sheet capture's widget-free half: the zone grid as a model (15 zones, zone i worth i
// points), the tally list stored beside the result, the sum, the scanned "T" code, and the
// requests that load a participant's sheet and store its points with the counts in one
// transaction.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tvp {

inline constexpr int kTallyZones = 15;
inline constexpr int kTallyNoVersion = 2147483647;

// A count cell: empty (after trimming) is 0; otherwise digits after optional leading blanks, at
// most the int range. Nothing for anything else.
std::optional<int> parseTallyCount(const QString& text);

// Zone by zone the count and ";", an empty field for 0 or an empty cell: 15 fields. A cell that
// is no count keeps its trimmed text, so it never equals a stored list.
QString tallyListOf(const QStringList& cells);
// The cells of a stored list: its fields in order, missing ones empty, extra ones dropped.
QStringList tallyCellsOf(const QString& tallyList);

struct TTallySum {
    qint64 sum = 0;     // zone × count over all zones
    int invalidRow = 0; // the first zone whose cell is no count (1-based), 0 when all are
    bool ok() const { return invalidRow == 0; }
};
TTallySum tallySum(const QStringList& cells);

// The grid: column 0 the zone ("Zone 3 Pkt"), column 1 its count, the only editable one.
class TTallyGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TTallyGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void setTallyList(const QString& tallyList);
    QString tallyList() const { return tallyListOf(cells_); }
    const QStringList& cells() const { return cells_; }
    TTallySum sum() const { return tallySum(cells_); }

private:
    QStringList cells_;
};

// A scanned tally sheet: discipline and participant by their barcode numbers, attempt, version.
struct TTallyBarcode {
    int disciplineBarcode = 0;
    int participantBarcode = 0;
    int attempt = 0;
    int version = kTallyNoVersion;
};
enum class TTallyBarcodeRead { Ignored, Invalid, Read };
// "T" alone (or anything not starting with "T") is ignored; a payload that does not decode, or
// whose numbers leave the int range, is invalid.
TTallyBarcodeRead readTallyBarcode(const QString& code, TTallyBarcode& out);

enum class TTallySheetRequestType { rt_getList = 0, rt_PrintList = 1, rt_setResult = 2 };

struct TTallySheetRequest : TRequest {
    TTallySheetRequestType reqType = TTallySheetRequestType::rt_getList;
    bool findByBarcodeId = false;
    int DisciplinId = 0; // barcode numbers when findByBarcodeId
    int ResultID = 0;
    int AthleteOrTeamId = 0;
    bool team = false;
    int attempt = 0;
    std::optional<proto::ResultType> result;
    int listVersion = kTallyNoVersion;
    QString TallyListString;
};

struct TTallySheetResponse : TResponse {
    TTallySheetRequestType reqType = TTallySheetRequestType::rt_getList;
    bool findByBarcodeId = false;
    int DisciplinId = 0;
    int AthleteOrTeamId = 0;
    int attempt = 0;
    proto::getDisciplineInfoResponse1 discipline;
    proto::getDisciplinParticipantsResponse1 getParticipantsResponse;
    proto::getResultTableResponse1 getResultTableResponse;
    bool hasPointsAsResultFormat = false;
    int listVersion = kTallyNoVersion;
    std::optional<proto::AssignedResultType> result;
    QString TallyListString;
};

using TTallySheetRoad = TRequestRoad<TTallySheetRequest, TTallySheetResponse>;
const TRequestTable<TTallySheetRequest, TTallySheetResponse>& tallySheetRequests();

// The store of a sheet: the sum as a Distance result, the counts as its tally list.
std::unique_ptr<TTallySheetRequest> makeTallySave(int discId, int athleteOrTeamId, bool team, int attempt, qint64 sum,
                                                  const QString& tallyList);

// One entry of the participant box, with what the protocol prints of it.
struct TTallyParticipant {
    int id = 0;
    QString text;
    int heat = 0;
    QString teamName;
    QString athleteNames; // "Surname, Given name"; empty for a team
    QString squad;        // "Riege ..." of the team, empty without
};
// Every heat's participants in server order; entries without id are left out.
std::vector<TTallyParticipant> tallyParticipants(const proto::getDisciplinParticipantsResponse1& list, bool team);

// The participant's stored result of the attempt, if any.
const proto::AssignedResultType* findTallyResult(const std::vector<proto::AssignedResultType>& results, int attempt,
                                                 int id, bool team);

// Stored points as the protocol prints them: to the nearest integer, clamped to the int range.
int storedTallyPoints(double value);

} // namespace tvp
