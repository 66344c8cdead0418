#include "organisation/ScheduleGrid.h"

#include "core/lists/ListCells.h"
#include "core/results/tvpUtils.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>

namespace tvp {

void TScheduleItem::setPlace(const proto::PlaceOfDisciplineType* place)
{
    if (!place && !DisciplinePlace)
        return;
    if (place && DisciplinePlace && place->Id == DisciplinePlace->Id)
        return;
    DisciplinePlace = place ? std::optional<proto::PlaceOfDisciplineType>(*place) : std::nullopt;
    ChangedPlace = true;
}

void TScheduleItem::setTime(const QTime& time)
{
    if (time == Time)
        return;
    Time = time;
    ChangedTime = true;
}

bool TScheduleItem::isChanged() const
{
    if (CurScheduleItemId == 0)
        return DisciplinePlace.has_value();
    return ChangedPlace || ChangedTime || !DisciplinePlace;
}

QString squadHeaderText(const proto::SquadType& squad)
{
    return squad.CustomName.isEmpty() ? QStringLiteral("Riege %1").arg(squad.OrderIndex)
                                      : QStringLiteral("%1 (%2)").arg(squad.CustomName).arg(squad.OrderIndex);
}

QString placeEntryText(const proto::PlaceOfDisciplineType& place)
{
    return QStringLiteral("%1 (%2)").arg(place.Place ? place.Place->Name : QString(),
                                         place.Discipline ? place.Discipline->Name : QString());
}

std::optional<QTime> stepFiveMinutes(const QTime& time, bool later)
{
    const int minutes = time.hour() * 60 + time.minute();
    const int stepped = later ? (minutes / 5 + 1) * 5 : (minutes % 5 == 0 ? minutes - 5 : minutes / 5 * 5);
    if (stepped < 0 || stepped > 23 * 60 + 59)
        return std::nullopt;
    return QTime(stepped / 60, stepped % 60);
}

std::optional<QTime> readMaskedTime(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('_'), QLatin1Char('0')).replace(QLatin1Char(' '), QLatin1Char('0'));
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2}):(\\d{1,2})$"));
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const QTime time(m.captured(1).toInt(), m.captured(2).toInt());
    if (!time.isValid())
        return std::nullopt;
    return time;
}

// ---- the grid ----

void TScheduleGrid::load(std::vector<proto::SquadDisciplinePlaceType> placesPerSquad,
                         const proto::getSquadScheduleResponse& schedule)
{
    beginResetModel();
    columns_.clear();
    rows_ = 1;
    for (proto::SquadDisciplinePlaceType& sdt : placesPerSquad)
        columns_.push_back({{std::move(sdt), false}, {}});
    for (const proto::SquadScheduleItemType& squad : schedule) {
        if (!squad.Squad)
            continue;
        const int col = getColForSquad(squad.Squad->SquadID);
        if (col < 0)
            continue;
        Column& column = columns_[std::size_t(col)];
        for (const proto::ScheduleItemType& stored : squad.ScheduleItems) {
            TScheduleItem item;
            item.SquadID = squad.Squad->SquadID;
            item.Time = stored.Time.value_or(QTime(0, 0));
            if (stored.DisciplinePlace)
                item.DisciplinePlace = *stored.DisciplinePlace;
            item.CurScheduleItemId = stored.ScheduleItemId;
            column.items.push_back(std::move(item));
        }
        rows_ = std::max(rows_, int(column.items.size()) + 1);
    }
    for (Column& column : columns_)
        column.items.resize(std::size_t(rows_));
    endResetModel();
    for (int c = 0; c < colCount(); ++c)
        if (columns_[std::size_t(c)].items.front())
            checkColCompleteness(c, nullptr);
}

void TScheduleGrid::ensureRows(int rows)
{
    if (rows <= rows_)
        return;
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    for (Column& column : columns_)
        column.items.resize(std::size_t(rows_));
    endInsertRows();
}

const TColHeaderItem* TScheduleGrid::header(int col) const
{
    return col >= 0 && col < colCount() ? &columns_[std::size_t(col)].header : nullptr;
}

const TScheduleItem* TScheduleGrid::item(int col, int row) const
{
    if (col < 0 || col >= colCount() || row < 0 || row >= rows_)
        return nullptr;
    const auto& cell = columns_[std::size_t(col)].items[std::size_t(row)];
    return cell ? &*cell : nullptr;
}

int TScheduleGrid::getColForSquad(int squadId) const
{
    for (int c = 0; c < colCount(); ++c)
        if (getSquadIDbyCol(c) == squadId)
            return c;
    return -1;
}

int TScheduleGrid::getSquadIDbyCol(int col) const
{
    const TColHeaderItem* h = header(col);
    return h && h->sdt.Squad ? h->sdt.Squad->SquadID : 0;
}

void TScheduleGrid::setItem(int col, int row, const proto::PlaceOfDisciplineType* place, const QTime& time)
{
    if (col < 0 || col >= colCount() || row < 0)
        return;
    ensureRows(row + 1);
    auto& cell = columns_[std::size_t(col)].items[std::size_t(row)];
    if (cell) {
        cell->setPlace(place);
        if (place)
            cell->setTime(time);
    } else if (place) {
        TScheduleItem item;
        item.SquadID = getSquadIDbyCol(col);
        item.Time = time;
        item.DisciplinePlace = *place;
        cell = std::move(item);
    } else {
        return;
    }
    emit dataChanged(index(row, col), index(row, col));
}

QTime TScheduleGrid::proposedTime(int col, int row) const
{
    for (int r = row - 1; r >= 0; --r)
        if (const TScheduleItem* above = item(col, r))
            return above->Time.addSecs(30 * 60);
    return QTime(10, 0);
}

bool TScheduleGrid::hasChanges() const
{
    for (const Column& column : columns_)
        for (const auto& cell : column.items)
            if (cell && cell->isChanged())
                return true;
    return false;
}

std::vector<TScheduleChange> TScheduleGrid::changes() const
{
    std::vector<TScheduleChange> out;
    for (const Column& column : columns_) {
        for (const auto& cell : column.items) {
            if (!cell)
                continue;
            if (!cell->DisciplinePlace) {
                out.push_back({0, cell->SquadID, cell->CurScheduleItemId, cell->Time});
                continue;
            }
            // A stored item moved to another place: the old one goes first.
            if (cell->CurScheduleItemId != 0 && cell->ChangedPlace)
                out.push_back({0, cell->SquadID, cell->CurScheduleItemId, cell->Time});
            out.push_back({cell->DisciplinePlace->Id, cell->SquadID, 0, cell->Time});
        }
    }
    return out;
}

bool TScheduleGrid::checkColCompleteness(int col, QStringList* messages)
{
    if (col < 0 || col >= colCount())
        return false;
    Column& column = columns_[std::size_t(col)];
    const proto::SquadDisciplinePlaceType& sdt = column.header.sdt;
    std::map<int, QString> missing; // by discipline id
    std::vector<int> order;
    auto want = [&](const proto::DisciplinType& d) {
        if (missing.emplace(d.DisciplinID, d.Name).second)
            order.push_back(d.DisciplinID);
    };
    for (const proto::PlaceOfDisciplineType& p : sdt.DisciplinePlaces)
        if (p.Discipline)
            want(*p.Discipline);
    for (const proto::DisciplinType& d : sdt.DisciplinesWithoutPlaces)
        want(d);

    const QString squadText = getSquadInfoStr(sdt.Squad ? &*sdt.Squad : nullptr);
    bool complete = true;
    if (missing.empty()) {
        complete = false;
        if (messages)
            *messages << QStringLiteral("Riege %1 ist keiner Disziplin zugeordnet.").arg(squadText);
    } else {
        for (const auto& cell : column.items)
            if (cell && cell->DisciplinePlace && cell->DisciplinePlace->Discipline)
                missing.erase(cell->DisciplinePlace->Discipline->DisciplinID);
        if (!missing.empty()) {
            complete = false;
            if (messages) {
                QStringList names;
                for (int id : order)
                    if (auto it = missing.find(id); it != missing.end())
                        names << it->second;
                *messages << QStringLiteral("Für Riege %1 fehlen noch Zeitplaneinträge für folgende Disziplinen: %2")
                                 .arg(squadText, names.join(QStringLiteral(", ")));
            }
        }
    }
    if (column.header.completed != complete) {
        column.header.completed = complete;
        emit headerDataChanged(Qt::Horizontal, col, col);
    }
    return complete;
}

bool TScheduleGrid::checkCompleteness(QStringList* messages)
{
    bool all = true;
    for (int c = 0; c < colCount(); ++c) {
        if (!checkColCompleteness(c, messages)) {
            all = false;
            if (!messages)
                break;
        }
    }
    return all;
}

// ---- the model ----

int TScheduleGrid::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || columns_.empty() ? 0 : rows_;
}

int TScheduleGrid::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(1, colCount());
}

QVariant TScheduleGrid::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TScheduleItem* cell = item(index.column(), index.row());
    if (!cell)
        return {};
    if (role == Qt::DisplayRole) {
        if (!cell->DisciplinePlace)
            return QStringLiteral("Entfernt");
        const proto::PlaceOfDisciplineType& p = *cell->DisciplinePlace;
        return QStringList{p.Place ? p.Place->Name : QString(), p.Discipline ? p.Discipline->Name : QString(),
                           cell->Time.toString(QStringLiteral("hh:mm"))}
            .join(QLatin1Char('\n'));
    }
    if (role == kScheduleCellStateRole) {
        int state = cs_item;
        if (!cell->DisciplinePlace)
            state |= cs_removed;
        if (cell->CurScheduleItemId == 0)
            state |= cs_new;
        if (cell->ChangedPlace)
            state |= cs_placeChanged;
        if (cell->ChangedTime)
            state |= cs_timeChanged;
        return state;
    }
    return {};
}

QVariant TScheduleGrid::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (columns_.empty())
        return role == Qt::DisplayRole && section == 0 ? QVariant(QStringLiteral("Keine Riegen vorhanden"))
                                                       : QVariant();
    const TColHeaderItem* h = header(section);
    if (!h)
        return {};
    if (role == Qt::DisplayRole)
        return h->sdt.Squad ? squadHeaderText(*h->sdt.Squad) : QString();
    if (role == kScheduleCellStateRole)
        return h->completed;
    // A squad's column holds its stations, which the user picks.
    if (role == kValueColumnRole)
        return true;
    return {};
}

} // namespace tvp
