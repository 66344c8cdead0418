#pragma once
// The result entry grid of one heat: a row per athlete or team with its row number, bibs, team and
// name, then a cell per attempt. The model reads the discipline's result cache and keeps the texts
// it shows; the window rebuilds it on the cache's (0, 0) notification and rewrites single cells on
// the others. Where the cursor goes next, which rows take no input and the status text of a cell
// are decided here too, so they are tested without a window.

#include "core/results/ResultCache.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>
#include <vector>

namespace tvp {

class TResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The cell's TSetResultStatus (result cells only).
    static constexpr int kStatusRole = Qt::UserRole + 1;
    // True on every cell of a row whose list version is above the compared one.
    static constexpr int kChangedRole = Qt::UserRole + 2;

    explicit TResultGridModel(QObject* parent = nullptr);

    // Reads the heat's rows anew; without a cache the grid is empty.
    void rebuild(const TResultCache* cache, int heat);
    // Rewrites the cell of a row (from 1) and attempt (from 1) from the cache.
    void refreshCell(int row, int attempt);
    // Rows whose list version is above this one are marked; kNoListVersion marks none.
    void setVersionToCompare(int version);

    int heat() const { return heat_; }
    int dataRows() const { return int(rows_.size()); }
    int fixedColumns() const { return fixedColumns_; }
    int attempts() const { return attempts_; }
    // The attempt (from 1) of a column, 0 for a fixed column.
    int attemptOfColumn(int column) const;
    int columnOfAttempt(int attempt) const { return fixedColumns_ + attempt - 1; }

    // Rows are counted from 0 here, as the view counts them.
    bool isSkipRow(int row) const;
    bool hasCells(int row) const;
    int athleteId(int row) const;
    int teamId(int row) const;
    // The athlete's barcode, or the team's in a team discipline.
    int barcode(int row) const;
    std::vector<int> bibs(int row) const;
    int listVersion(int row) const;
    // The cell the cursor goes to after a store, along the row or down the column, passing rows that
    // take no input; nothing when it stays.
    std::optional<QModelIndex> nextCell(const QModelIndex& from, bool alongRow) const;
    // A cell that shows text as typed and not stored: left unsent, refused, or queued and not
    // confirmed over a reload. Enter sends it, Escape drops it.
    static bool holdsTypedText(const QModelIndex& index);
    // Such a cell, or one whose store is waiting to leave or on its way: Escape drops its value.
    static bool dropsOnEscape(const QModelIndex& index);
    // "Status der Zelle(Anna Berg, Versuch 2): ..."; empty for a cell without anything to say.
    QString cellStatusText(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Cell {
        TSetResultStatus status = TSetResultStatus::sr_noResult;
        QString text;
    };
    struct Row {
        QStringList fixed;
        QString name; // as status texts name the row
        int athleteId = 0;
        int teamId = 0;
        int barcode = 0;
        std::vector<int> bibs;
        int version = 0;
        bool hasCells = true;
        std::vector<Cell> cells;
    };

    Cell readCell(const TResultType& cell);
    Row readRow(const TResultRow& row, int position);

    const TResultCache* cache_ = nullptr;
    int heat_ = 0;
    int fixedColumns_ = 4;
    int attempts_ = 0;
    bool team_ = false;
    proto::ResultAssignmentType assignment_ = proto::ResultAssignmentType::byAthleteOrTeam;
    proto::ResultValueType resultType_ = proto::ResultValueType::Distance;
    int versionToCompare_ = 2147483647;
    std::vector<Row> rows_;
};

} // namespace tvp
