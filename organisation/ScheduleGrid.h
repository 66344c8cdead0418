#pragma once
// The schedule grid: one column per squad, each cell below the header one schedule item (a
// facility of a discipline with a start time), with what changed since the load, the changes a
// save sends, the completeness check and the times the editor proposes.

#include "core/protocol/ScoringRecords.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTime>

#include <optional>
#include <vector>

namespace tvp {

struct TScheduleItem {
    QTime Time;
    int SquadID = 0;
    // Nothing: the user removed the place.
    std::optional<proto::PlaceOfDisciplineType> DisciplinePlace;
    int CurScheduleItemId = 0; // 0: new
    bool ChangedPlace = false;
    bool ChangedTime = false;

    // The same place id, or none over none, changes nothing.
    void setPlace(const proto::PlaceOfDisciplineType* place);
    void setTime(const QTime& time);
    bool isChanged() const;
};

struct TColHeaderItem {
    proto::SquadDisciplinePlaceType sdt;
    bool completed = false;
};

// One entry of a save: place 0 deletes the stored item (an id of 0 is skipped by the command).
struct TScheduleChange {
    int disciplinePlaceId = 0;
    int squadId = 0;
    int scheduleItemId = 0;
    QTime Time;
};

// "Riege 3", or "Adler (3)" for a squad with its own name.
QString squadHeaderText(const proto::SquadType& squad);
// The entry of a facility in the editor's list: "Weitsprunggrube (Weitsprung)".
QString placeEntryText(const proto::PlaceOfDisciplineType& place);

// The next full 5 minutes strictly later (down) or earlier (up); nothing outside the day.
std::optional<QTime> stepFiveMinutes(const QTime& time, bool later);
// "10:5_" and the like: blanks of the mask read as 0; nothing for an impossible time.
std::optional<QTime> readMaskedTime(const QString& text);

// How a cell is drawn: flags of TScheduleCellState under this role.
inline constexpr int kScheduleCellStateRole = Qt::UserRole + 1;
enum TScheduleCellState { cs_item = 1, cs_new = 2, cs_placeChanged = 4, cs_timeChanged = 8, cs_removed = 16 };

class TScheduleGrid : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The squads' columns in the server's order and each squad's items in their rows, all stored
    // and unchanged; one empty row below the last item.
    void load(std::vector<proto::SquadDisciplinePlaceType> placesPerSquad,
              const proto::getSquadScheduleResponse& schedule);

    int colCount() const { return int(columns_.size()); }
    // Data rows (the header row not counted).
    int itemRows() const { return rows_; }
    // Grows the grid to at least that many data rows.
    void ensureRows(int rows);

    const TColHeaderItem* header(int col) const;
    const TScheduleItem* item(int col, int row) const;
    int getColForSquad(int squadId) const;
    int getSquadIDbyCol(int col) const;

    // An existing item takes the place (and, when a place is given, the time); an empty cell gets a
    // new item only when a place is given.
    void setItem(int col, int row, const proto::PlaceOfDisciplineType* place, const QTime& time);
    // The nearest item above in the column plus 30 minutes, else 10:00.
    QTime proposedTime(int col, int row) const;

    // New with a place, changed place or time, or stored and without place.
    bool hasChanges() const;
    // Every item of every column, changed or not, in column and row order.
    std::vector<TScheduleChange> changes() const;

    // Marks the column; missing disciplines (and squads without any) add their warning to messages
    // when given.
    bool checkColCompleteness(int col, QStringList* messages);
    // Without messages it stops at the first incomplete column.
    bool checkCompleteness(QStringList* messages);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Column {
        TColHeaderItem header;
        std::vector<std::optional<TScheduleItem>> items; // by data row
    };
    std::vector<Column> columns_;
    int rows_ = 1;
};

} // namespace tvp
