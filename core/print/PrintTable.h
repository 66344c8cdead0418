#pragma once
// The rows and columns of a competition list (one heat of a discipline) as the competition-list,
// tally-sheet and lap-count printouts read them: built from a heat of the competition-list tree,
// from a result grid, or blank for late entries.

#include "core/protocol/ParticipantRecords.h"

#include <QMetaType>
#include <QModelIndex>
#include <QStringList>

#include <vector>

class QAbstractItemModel;

namespace tvp {

// What the competition-list tree keeps with each of its nodes (root, heats, participants and the
// members of a team), under kTreeNodeInformationRole in column 0.
struct TTreeNodeInformation {
    bool subNode = false; // an athlete inside a team node
    bool isTeam = false;
    int heatNo = 0;        // 0 on the root
    int laneNo = 0;        // place in the heat from 1; a team member carries its team's
    int AthleteTeamId = 0; // 0 for nodes that are not participants (root, heats, free places)
    int AthleteTeamBarcodeId = 0;
    QString GivenName;
    QString SurName;
    QString Name; // "surname, given name", or "FREI" for a free place
    QString Team; // the athlete's team, or the team's own name
    int TeamId = 0;
    QString Squad; // the team's squad as getSquadInfoStr gives it
    int SquadId = 0;
    std::vector<int> Bibs; // a team's: its members' in member order
};

inline constexpr int kTreeNodeInformationRole = Qt::UserRole + 1;

// The cells of one row, and the barcode id of its athlete or team (0 for header and blank rows).
class TPrintRow : public QStringList {
public:
    TPrintRow() = default;
    explicit TPrintRow(int barcodeId) : FAthleteOrTeamBarcodeID(barcodeId) {}
    int FAthleteOrTeamBarcodeID = 0;
};

class TPrintTable {
public:
    // Empty header and content, no attempts.
    explicit TPrintTable(bool isTeam);

    // One heat of the competition-list tree: header firstTitle, "Startnr.", then "Team" and
    // "Name" (or "Name" and "Team"), then the attempt headers; one row per participant child.
    // Rows carry no attempt cells: those columns stay empty on paper.
    TPrintTable(const QModelIndex& heatNode, int attempts, bool isTeam, proto::ResultValueType resultType,
                bool teamColumnFirst, const QString& firstTitle);

    // A result grid: the header is the grid's column header from column 1 on, and every row of
    // the model becomes one row of its cells from column 1 on (column 0 is the row's marker).
    TPrintTable(const QAbstractItemModel& grid, bool isTeam);

    // "Bahn", "Startnr.", "Team", "Name" and the attempt headers; rows of four underscore lines.
    static TPrintTable CreateBlancoList(int rows, int attempts, bool isTeam, proto::ResultValueType resultType);

    // Appends "1. Lauf", "2. Lauf", ... (or "Versuch") up to the number of attempts.
    void AddAttemptHeaders(proto::ResultValueType resultType);

    const TPrintRow& getHeader() const { return header; }
    // Null outside the range.
    const TPrintRow* getRow(int i) const;
    int getRowCount() const { return int(content.size()); }
    const std::vector<TPrintRow>& getRows() const { return content; }
    bool isTeamTable() const { return isTeam; }
    int attempts() const { return Fattemps; }

    // The string list's comma notation: entries with blanks, commas or quotes are quoted.
    static QString commaText(const QStringList& entries);

private:
    TPrintRow header;
    std::vector<TPrintRow> content;
    bool isTeam = false;
    int Fattemps = 0;
};

} // namespace tvp

Q_DECLARE_METATYPE(tvp::TTreeNodeInformation)
