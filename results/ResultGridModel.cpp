#include "results/ResultGridModel.h"

#include "core/results/tvpUtils.h"

namespace tvp {

namespace {

bool showsTyped(TSetResultStatus s)
{
    return s == TSetResultStatus::sr_error || s == TSetResultStatus::sr_edited || s == TSetResultStatus::sr_uncommited;
}

QString athleteName(const proto::AthleteType& a)
{
    if (!a.Name)
        return {};
    return a.Name->surName + QStringLiteral(", ") + a.Name->givenName;
}

} // namespace

TResultGridModel::TResultGridModel(QObject* parent) : QAbstractTableModel(parent)
{
}

TResultGridModel::Cell TResultGridModel::readCell(const TResultType& cell)
{
    Cell c;
    c.status = cell.Status();
    // A refused or unconfirmed cell keeps what the user typed, so it can be corrected or sent again;
    // a cell typed into and left unstored keeps it until Enter stores it.
    c.text = showsTyped(c.status) ? cell.lastValue : cache_->resultText(cell.getResult());
    return c;
}

bool TResultGridModel::holdsTypedText(const QModelIndex& index)
{
    const QVariant status = index.data(kStatusRole);
    return status.isValid() && showsTyped(TSetResultStatus(status.toInt()));
}

bool TResultGridModel::dropsOnEscape(const QModelIndex& index)
{
    const QVariant status = index.data(kStatusRole);
    return holdsTypedText(index) ||
           (status.isValid() && TSetResultStatus(status.toInt()) == TSetResultStatus::sr_pending);
}

TResultGridModel::Row TResultGridModel::readRow(const TResultRow& row, int position)
{
    Row r;
    const proto::AthleteType* athlete = row.Athlete();
    const proto::TeamType* team = row.Team();
    r.athleteId = athlete ? athlete->AthleteID : 0;
    r.teamId = team ? team->TeamID : 0;
    r.bibs = row.Bibs();
    if (team_)
        r.barcode = team ? team->Barcode : 0;
    else
        r.barcode = athlete ? athlete->Barcode : 0;
    r.version = row.Version();
    r.fixed << QString::number(position) << bibstoString(r.bibs) << (team ? team->Name : QString());
    if (!team_)
        r.fixed << (athlete && athlete->AthleteID != 0 ? athleteName(*athlete) : QString());
    r.name = cache_->getNameOf(heat_, position);
    const auto& cells = row.Results();
    // A row with a result outside the attempts has no cells: shown as "-", never typed into.
    r.hasCells = int(cells.size()) == attempts_;
    if (r.hasCells)
        for (const auto& cell : cells)
            r.cells.push_back(readCell(cell));
    return r;
}

void TResultGridModel::rebuild(const TResultCache* cache, int heat)
{
    beginResetModel();
    cache_ = cache;
    heat_ = heat;
    rows_.clear();
    if (cache_) {
        team_ = cache_->isTeamDisc();
        attempts_ = std::max(0, cache_->getAttempts());
        assignment_ = cache_->getAssignmentType();
        resultType_ = cache_->getDiscResultType();
        fixedColumns_ = team_ ? 3 : 4;
        const TResultTable table = cache_->getResultTable(heat);
        rows_.reserve(table.rows.size());
        int position = 0;
        for (const TResultRow* row : table.rows)
            rows_.push_back(readRow(*row, ++position));
    } else {
        attempts_ = 0;
    }
    endResetModel();
}

void TResultGridModel::refreshCell(int row, int attempt)
{
    if (!cache_ || row < 1 || row > int(rows_.size()) || attempt < 1 || attempt > attempts_)
        return;
    const TResultTable table = cache_->getResultTable(heat_);
    if (row > int(table.rows.size()))
        return;
    Row fresh = readRow(*table.rows[row - 1], row);
    Row& r = rows_[row - 1];
    r = std::move(fresh);
    const QModelIndex first = index(row - 1, 0);
    const QModelIndex last = index(row - 1, columnCount() - 1);
    emit dataChanged(first, last);
}

void TResultGridModel::setVersionToCompare(int version)
{
    if (version == versionToCompare_)
        return;
    versionToCompare_ = version;
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {kChangedRole});
}

int TResultGridModel::attemptOfColumn(int column) const
{
    return column >= fixedColumns_ && column < fixedColumns_ + attempts_ ? column - fixedColumns_ + 1 : 0;
}

bool TResultGridModel::isSkipRow(int row) const
{
    if (row < 0 || row >= int(rows_.size()))
        return true;
    const Row& r = rows_[row];
    if (!r.hasCells)
        return true;
    if (assignment_ == proto::ResultAssignmentType::byLane)
        return false;
    return (team_ ? r.teamId : r.athleteId) == 0;
}

bool TResultGridModel::hasCells(int row) const
{
    return row >= 0 && row < int(rows_.size()) && rows_[row].hasCells;
}

int TResultGridModel::athleteId(int row) const
{
    return row >= 0 && row < int(rows_.size()) ? rows_[row].athleteId : 0;
}

int TResultGridModel::teamId(int row) const
{
    return row >= 0 && row < int(rows_.size()) ? rows_[row].teamId : 0;
}

int TResultGridModel::barcode(int row) const
{
    return row >= 0 && row < int(rows_.size()) ? rows_[row].barcode : 0;
}

std::vector<int> TResultGridModel::bibs(int row) const
{
    return row >= 0 && row < int(rows_.size()) ? rows_[row].bibs : std::vector<int>{};
}

int TResultGridModel::listVersion(int row) const
{
    return row >= 0 && row < int(rows_.size()) ? rows_[row].version : 0;
}

std::optional<QModelIndex> TResultGridModel::nextCell(const QModelIndex& from, bool alongRow) const
{
    if (!from.isValid() || attempts_ <= 0 || rows_.empty())
        return std::nullopt;
    int row = from.row();
    int col = std::max(from.column(), fixedColumns_);
    const int lastCol = fixedColumns_ + attempts_ - 1;
    const int lastRow = int(rows_.size()) - 1;
    // Every step moves on by one cell; the walk ends at the grid's end, so it cannot circle.
    for (;;) {
        if (alongRow) {
            if (col < lastCol) {
                ++col;
            } else if (row < lastRow) {
                ++row;
                col = fixedColumns_;
            } else {
                return std::nullopt;
            }
        } else {
            if (row < lastRow) {
                ++row;
            } else if (col < lastCol) {
                ++col;
                row = 0;
            } else {
                return std::nullopt;
            }
        }
        if (!isSkipRow(row))
            return index(row, col);
    }
}

QString TResultGridModel::cellStatusText(const QModelIndex& index) const
{
    const int attempt = index.isValid() ? attemptOfColumn(index.column()) : 0;
    if (attempt == 0 || !hasCells(index.row()) || !cache_)
        return {};
    const int row = index.row() + 1;
    const TSetResultStatus status = cache_->getStatusOf(heat_, row, attempt);
    QString tail;
    switch (status) {
    case TSetResultStatus::sr_uptodate:
    case TSetResultStatus::sr_noResult: return {};
    case TSetResultStatus::sr_uncommited: tail = QStringLiteral("Nicht vom Server gespeichert."); break;
    case TSetResultStatus::sr_error: tail = QStringLiteral("Fehler: ") + cache_->getErrMsg(heat_, row, attempt); break;
    case TSetResultStatus::sr_warning:
        tail = QStringLiteral("Warnung: ") + cache_->getErrMsg(heat_, row, attempt);
        break;
    case TSetResultStatus::sr_edited:
        tail = QStringLiteral("Zelle wurde verändert. Zum Speichern in der Zelle Enter-Taste drücken.");
        break;
    case TSetResultStatus::sr_pending:
        // A pending cell carries a text only while it is not known whether the server took it.
        tail = cache_->getErrMsg(heat_, row, attempt);
        if (tail.isEmpty())
            tail = QStringLiteral("Zelle wurde noch nicht vom Server gespeichert.");
        break;
    default: return QStringLiteral("Unbekannt");
    }
    return QStringLiteral("Status der Zelle(%1, %2 %3): ")
               .arg(rows_[index.row()].name, getAttemptString(resultType_))
               .arg(attempt) +
           tail;
}

int TResultGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int TResultGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !cache_ ? 0 : fixedColumns_ + attempts_;
}

QVariant TResultGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const Row& r = rows_[index.row()];
    const int attempt = attemptOfColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (attempt == 0)
            return index.column() < r.fixed.size() ? r.fixed[index.column()] : QString();
        return r.hasCells ? r.cells[attempt - 1].text : QStringLiteral("-");
    case kStatusRole:
        if (attempt == 0 || !r.hasCells)
            return {};
        return int(r.cells[attempt - 1].status);
    case kChangedRole: return versionToCompare_ != 2147483647 && r.version > versionToCompare_;
    default: return {};
    }
}

QVariant TResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0: return assignment_ == proto::ResultAssignmentType::byLane ? QStringLiteral("*#") : QStringLiteral("#");
    case 1:
        return assignment_ == proto::ResultAssignmentType::byBib ? QStringLiteral("*Startnr.")
                                                                 : QStringLiteral("Startnr.");
    case 2: return QStringLiteral("Team");
    default: break;
    }
    if (const int attempt = attemptOfColumn(section))
        return QStringLiteral("%1. %2").arg(attempt).arg(getAttemptString(resultType_));
    return QStringLiteral("AthletIn");
}

Qt::ItemFlags TResultGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (attemptOfColumn(index.column()) != 0 && !isSkipRow(index.row()))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace tvp
