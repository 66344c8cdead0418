#include "scoring/CupListModels.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>

namespace tvp {

namespace {

constexpr int kCupShift = 16;
constexpr quintptr kCompetitionMask = (quintptr(1) << kCupShift) - 1;

// The 1-based cup of an internal id (0 for the root) and 1-based competition (0 for a cup node).
int cupPart(quintptr id)
{
    return id >> kCupShift ? int(id >> kCupShift) : int(id);
}
int competitionPart(quintptr id)
{
    return id >> kCupShift ? int(id & kCompetitionMask) : 0;
}

} // namespace

QByteArray encodeCompetitionIds(const std::vector<int>& ids)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    for (int id : ids)
        stream << qint32(id);
    return bytes;
}

std::vector<int> decodeCompetitionIds(const QByteArray& bytes)
{
    std::vector<int> ids;
    QDataStream stream(bytes);
    while (!stream.atEnd()) {
        qint32 id = 0;
        stream >> id;
        if (stream.status() != QDataStream::Ok)
            break;
        ids.push_back(id);
    }
    return ids;
}

// ---- the cup tree ----------------------------------------------------------------------------------

void TCupTreeModel::setCups(const std::vector<proto::CupType>& cups)
{
    beginResetModel();
    cups_ = cups;
    endResetModel();
}

QModelIndex TCupTreeModel::cupIndex(int cupId) const
{
    for (std::size_t i = 0; i < cups_.size(); ++i)
        if (cups_[i].CupID == cupId)
            return index(int(i), 0, index(0, 0));
    return {};
}

std::optional<int> TCupTreeModel::cupOf(const QModelIndex& node)
{
    const QVariant v = node.data(kCupRole);
    return v.isValid() ? std::optional<int>(v.toInt()) : std::nullopt;
}

std::optional<int> TCupTreeModel::competitionOf(const QModelIndex& node)
{
    const QVariant v = node.data(kCompetitionRole);
    return v.isValid() ? std::optional<int>(v.toInt()) : std::nullopt;
}

QModelIndex TCupTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0 || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, 0, kRoot);
    const quintptr id = parent.internalId();
    if (id == kRoot)
        return createIndex(row, 0, quintptr(row + 1));
    return createIndex(row, 0, (id << kCupShift) | quintptr(row + 1));
}

QModelIndex TCupTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kRoot)
        return {};
    const quintptr id = child.internalId();
    if (competitionPart(id) == 0)
        return createIndex(0, 0, kRoot);
    const int cup = cupPart(id);
    return createIndex(cup - 1, 0, quintptr(cup));
}

int TCupTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    const quintptr id = parent.internalId();
    if (id == kRoot)
        return int(cups_.size());
    if (competitionPart(id) != 0)
        return 0;
    return int(cups_[std::size_t(cupPart(id) - 1)].AssignedCompetitions.size());
}

int TCupTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant TCupTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const quintptr id = index.internalId();
    if (id == kRoot)
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("Cup-Wertungen")) : QVariant();
    const proto::CupType& cup = cups_[std::size_t(cupPart(id) - 1)];
    const int competition = competitionPart(id);
    switch (role) {
    case Qt::DisplayRole:
        return competition == 0 ? cup.Name : cup.AssignedCompetitions[std::size_t(competition - 1)].Name;
    case kCupRole: return cup.CupID;
    case kCompetitionRole:
        return competition == 0 ? QVariant() : QVariant(cup.AssignedCompetitions[std::size_t(competition - 1)].ID);
    default: return {};
    }
}

Qt::ItemFlags TCupTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Competitions go onto a cup or one of its competitions.
    if (index.internalId() != kRoot)
        f |= Qt::ItemIsDropEnabled;
    return f;
}

// ---- the competitions ------------------------------------------------------------------------------

void TCupCompetitionListModel::setCompetitions(const std::vector<proto::CompetitionType>& competitions)
{
    beginResetModel();
    competitions_ = competitions;
    endResetModel();
}

int TCupCompetitionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(competitions_.size());
}

QVariant TCupCompetitionListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(competitions_.size()))
        return {};
    const proto::CompetitionType& c = competitions_[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return c.Name;
    case Qt::UserRole: return c.ID;
    default: return {};
    }
}

Qt::ItemFlags TCupCompetitionListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QMimeData* TCupCompetitionListModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid() && index.model() == this)
            rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<int> ids;
    for (int row : rows)
        ids.push_back(competitions_[std::size_t(row)].ID);
    auto* data = new QMimeData;
    data->setData(kCupCompetitionIdsMimeType, encodeCompetitionIds(ids));
    return data;
}

} // namespace tvp
