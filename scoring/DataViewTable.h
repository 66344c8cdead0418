#pragma once
// The table of the data view, widget-free: its columns, its rows and their order, built from a
// compilation's result tables (one row per athlete) or from the cup table (one row per finisher).

#include "core/protocol/ParticipantRecords.h"
#include "core/results/tvpTypes.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>
#include <vector>

namespace tvp {

class TCupAthleteList;

struct TDataViewColumn {
    QString title;
    int width = 70;
    std::optional<TAggInfo> agg; // result columns only
};

struct TDataViewRow {
    QString caption;
    QStringList cells; // from the second column on; a row may have fewer cells than columns
    int athleteId = 0; // the competition athlete, or the cup athlete in cup mode
    int teamId = 0;    // 0 without team, always 0 in cup mode
};

// One scoring node's table as fetched for the competition mode.
struct TDataViewTable {
    TResultformat format = TResultformat::rf_Default;
    proto::getResultTableResponse1 table;
};

// The sort state: the chosen columns (most significant first), the tie-breaking columns after
// them, and one direction for all.
struct TDataViewSort {
    std::vector<int> FSortColList;
    std::vector<int> FDefaultSortColList;
    bool FDownwardSort = false;

    // A click on a column title; while choosing, the column is appended instead.
    void columnClick(int column, bool chooseMode);
};

class TDataViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void clearRows();
    void clearAll();
    void setColumns(std::vector<TDataViewColumn> columns);
    void setRows(std::vector<TDataViewRow> rows);
    const std::vector<TDataViewColumn>& columns() const { return columns_; }
    const std::vector<TDataViewRow>& rows() const { return rows_; }
    // The row's text at column (the caption at 0); empty for a missing cell.
    QString text(int row, int column) const;
    bool hasCell(int row, int column) const;

    // Orders the rows by the columns in turn; each compares as the list compare does (results by
    // value, then texts, empty last), descending negates. Equal rows keep their order.
    void sortRows(const TDataViewSort& sort);

private:
    std::vector<TDataViewColumn> columns_;
    std::vector<TDataViewRow> rows_;
};

// ---- competition mode ----

inline constexpr int kCompetitionAggStartCol = 4;
inline constexpr int kDefaultTeamMemberColumns = 12;

// "Team", "Vorname", "Name", "Verein/Organisation", one column per node, then twelve member
// columns "Teammitglied  1" ... "Teammitglied 12".
std::vector<TDataViewColumn> competitionColumns(const std::vector<TAggInfo>& aggs);
// "Teammitglied %2d".
QString teamMemberTitle(int number);

struct TCompetitionRows {
    std::vector<TDataViewRow> rows;
    int memberColumns = kDefaultTeamMemberColumns; // more when a team has more than 13 athletes
};

// One row per athlete with at least one result, in order of first result; the tables in
// compilation order. Results of athletes not in the list, and team results without a team, are
// dropped.
TCompetitionRows competitionRows(const std::vector<proto::AthleteType>& athletes,
                                 const std::vector<TDataViewTable>& tables);

// The two sample rows of the test mode.
std::vector<TDataViewRow> testRows(int aggCount, int memberColumns = kDefaultTeamMemberColumns);

// The sort columns of stored order indices (positions from the first result column).
std::vector<int> sortColumnsOf(const std::vector<int>& orderIndices, int aggStartCol);

// ---- cup mode ----

struct TCupColumns {
    std::vector<TDataViewColumn> columns;
    int AggStartColIndex = 0;
    int additionalColsStartIndex = 0;
    int firstTeamCol = 0;
};

TCupColumns cupColumns(const TCupAthleteList& list);
// The finishers with a result; with the filter on only those with exactly teamsWithResults teams
// that have results.
std::vector<TDataViewRow> cupRows(const TCupAthleteList& list, bool filter, int teamsWithResults);

} // namespace tvp
