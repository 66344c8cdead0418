#include "participants/SquadFormation.h"

#include "core/results/tvpUtils.h"

#include <algorithm>
#include <cmath>

namespace tvp {

namespace {

using Pool = std::vector<const proto::TeamType*>;

constexpr int kFixedColumns = 4;

// The preview of one age class: its rows are those from firstRow on.
class AgeClassFormation {
public:
    AgeClassFormation(std::vector<TSquadListItem>& preview, const proto::AgeClassType& ageClass, Pool pool, int target,
                      int maximum)
        : preview_(preview),
          ageClass_(ageClass),
          pool_(std::move(pool)),
          firstRow_(preview.size()),
          target_(target),
          maximum_(maximum)
    {
    }

    // Squads of the target size while the pool holds enough teams: spread over the pool (sorted by
    // size, largest first) and completed by its smallest team. The average athlete count of them.
    double formNewSquads()
    {
        if (target_ == kUnlimitedTeams)
            return 0.0;
        double sum = 0.0;
        int count = 0;
        while (std::size_t(target_) <= pool_.size()) {
            TSquadListItem& item = newRow();
            for (int k = target_ - 2; k >= 0; --k)
                item.addTeamToSquad(pool_, (pool_.size() / std::size_t(target_ - 1)) * std::size_t(k));
            item.addTeamToSquad(pool_, pool_.size() - 1);
            sum += item.getNoOfAthletes();
            ++count;
        }
        return count == 0 ? 0.0 : sum / count;
    }

    // Existing squads below the target, the one furthest below the average first, each time with
    // the team closest to what it lacks.
    void fillIncompleteSquads(const std::vector<proto::SquadType>& squads, double average)
    {
        while (!pool_.empty()) {
            const proto::SquadType* winner = nullptr;
            double largestDeficit = 0.0;
            for (const proto::SquadType& squad : squads) {
                if (!squad.AgeClass || squad.AgeClass->AgeClassID != ageClass_.AgeClassID)
                    continue;
                const TSquadListItem* row = fillRowOf(squad.SquadID);
                const int teams = row ? row->getContainingSquads() : int(squad.AssignedTeams.size());
                if (teams >= target_)
                    continue;
                const int athletes = row ? row->getNoOfAthletes() : getNoOfAthletes(squad.AssignedTeams);
                const double deficit = average - athletes;
                if (deficit > largestDeficit) {
                    largestDeficit = deficit;
                    winner = &squad;
                }
            }
            if (!winner)
                return;
            std::size_t nearest = 0;
            double smallestDifference = 2147483647.0;
            for (std::size_t i = 0; i < pool_.size(); ++i) {
                const double difference = std::abs(pool_[i]->NoOfAthletes - largestDeficit);
                if (difference < smallestDifference) {
                    smallestDifference = difference;
                    nearest = i;
                }
            }
            TSquadListItem* row = fillRowOf(winner->SquadID);
            if (!row) {
                TSquadListItem item;
                item.actionType = TSquadActionType::sa_fill;
                item.squad = *winner;
                preview_.push_back(std::move(item));
                row = &preview_.back();
            }
            row->addTeamToSquad(pool_, nearest);
        }
    }

    // The teams left over: into the rows of this age class with room, or, when they do not fit,
    // into one more new squad that takes the smallest planned teams of the largest rows with it.
    void placeRest()
    {
        long long openSlots = 0;
        if (maximum_ == kUnlimitedTeams) {
            openSlots = kUnlimitedTeams;
        } else {
            for (std::size_t r = firstRow_; r < preview_.size(); ++r)
                openSlots += maximum_ - preview_[r].getContainingSquads();
        }
        if (openSlots >= (long long)pool_.size())
            fillRows();
        if (pool_.empty())
            return;
        const long long repeats = (long long)maximum_ - (long long)pool_.size();
        for (long long i = 0; i < repeats; ++i) {
            TSquadListItem* largest = nullptr;
            for (std::size_t r = firstRow_; r < preview_.size(); ++r)
                if (!largest || preview_[r].getNoOfAthletes() > largest->getNoOfAthletes())
                    largest = &preview_[r];
            if (!largest)
                break;
            const proto::TeamType* team = largest->removeMinTeamFromSquad();
            // Nothing changed, so every further round would pick the same row again.
            if (!team)
                break;
            pool_.insert(pool_.begin(), team);
        }
        newRow();
        fillRows();
    }

private:
    TSquadListItem& newRow()
    {
        TSquadListItem item;
        item.actionType = TSquadActionType::sa_new;
        item.squad.AgeClass = ageClass_;
        preview_.push_back(std::move(item));
        return preview_.back();
    }

    TSquadListItem* fillRowOf(int squadId)
    {
        for (std::size_t r = firstRow_; r < preview_.size(); ++r)
            if (preview_[r].actionType == TSquadActionType::sa_fill && preview_[r].squad.SquadID == squadId)
                return &preview_[r];
        return nullptr;
    }

    // The row with room and the fewest athletes takes the next team, while any has room.
    void fillRows()
    {
        while (!pool_.empty()) {
            TSquadListItem* smallest = nullptr;
            int fewest = kUnlimitedTeams;
            for (std::size_t r = firstRow_; r < preview_.size(); ++r) {
                TSquadListItem& row = preview_[r];
                if (row.getContainingSquads() <= maximum_ - 1 && row.getNoOfAthletes() < fewest) {
                    fewest = row.getNoOfAthletes();
                    smallest = &row;
                }
            }
            if (!smallest)
                return;
            smallest->addTeamToSquad(pool_, 0);
        }
    }

    std::vector<TSquadListItem>& preview_;
    const proto::AgeClassType& ageClass_;
    Pool pool_;
    const std::size_t firstRow_;
    const int target_;
    const int maximum_;
};

} // namespace

int TSquadListItem::getNoOfAthletes() const
{
    int n = tvp::getNoOfAthletes(squad.AssignedTeams);
    for (const proto::TeamType* t : newTeams)
        n += t->NoOfAthletes;
    return n;
}

int TSquadListItem::getContainingSquads() const
{
    return int(squad.AssignedTeams.size() + newTeams.size());
}

void TSquadListItem::addTeamToSquad(std::vector<const proto::TeamType*>& pool, std::size_t index)
{
    newTeams.push_back(pool.at(index));
    pool.erase(pool.begin() + std::ptrdiff_t(index));
}

const proto::TeamType* TSquadListItem::removeMinTeamFromSquad()
{
    if (newTeams.empty())
        return nullptr;
    auto smallest = newTeams.begin();
    for (auto it = newTeams.begin(); it != newTeams.end(); ++it)
        if ((*it)->NoOfAthletes < (*smallest)->NoOfAthletes)
            smallest = it;
    const proto::TeamType* team = *smallest;
    newTeams.erase(smallest);
    return team;
}

std::vector<TSquadListItem> RecalculateSquads(const std::vector<proto::AgeClassType>& ageClasses,
                                              const std::vector<proto::TeamType>& teams,
                                              const std::vector<proto::SquadType>& squads, int target, int maximum,
                                              bool fillExisting)
{
    if (target < 1)
        target = kUnlimitedTeams;
    if (maximum < 1)
        maximum = kUnlimitedTeams;
    std::vector<TSquadListItem> preview;
    for (const proto::AgeClassType& ageClass : ageClasses) {
        Pool pool;
        for (const proto::TeamType& t : teams)
            if (t.SquadID == 0 && t.AgeClass && t.AgeClass->AgeClassID == ageClass.AgeClassID)
                pool.push_back(&t);
        std::stable_sort(pool.begin(), pool.end(), [](const proto::TeamType* a, const proto::TeamType* b) {
            if (a->NoOfAthletes != b->NoOfAthletes)
                return a->NoOfAthletes > b->NoOfAthletes;
            return QString::compare(a->Name, b->Name, Qt::CaseSensitive) < 0;
        });
        AgeClassFormation formation(preview, ageClass, std::move(pool), target, maximum);
        const double average = formation.formNewSquads();
        if (fillExisting)
            formation.fillIncompleteSquads(squads, average);
        formation.placeRest();
    }
    return preview;
}

// ---- the preview list ----

TSquadPreviewModel::TSquadPreviewModel(QObject* parent) : QAbstractTableModel(parent)
{
}

void TSquadPreviewModel::setItems(std::vector<TSquadListItem> items)
{
    beginResetModel();
    items_ = std::move(items);
    checked_.assign(items_.size(), true);
    teamColumns_ = 0;
    for (const TSquadListItem& item : items_)
        teamColumns_ = std::max(teamColumns_, item.getContainingSquads());
    endResetModel();
}

bool TSquadPreviewModel::isChecked(int row) const
{
    return row >= 0 && std::size_t(row) < checked_.size() && checked_[std::size_t(row)];
}

void TSquadPreviewModel::setChecked(int row, bool checked)
{
    if (row < 0 || std::size_t(row) >= checked_.size() || checked_[std::size_t(row)] == checked)
        return;
    checked_[std::size_t(row)] = checked;
    emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

int TSquadPreviewModel::maxSquadSize() const
{
    int largest = 0;
    for (const TSquadListItem& item : items_)
        largest = std::max(largest, item.getNoOfAthletes());
    return largest;
}

int TSquadPreviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(items_.size());
}

int TSquadPreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kFixedColumns + teamColumns_;
}

QString TSquadPreviewModel::cellText(const TSquadListItem& item, int column)
{
    switch (column) {
    case 0: {
        const QString text = getSquadInfoStr(&item.squad);
        return text == QStringLiteral("0") ? QStringLiteral("Neu") : text;
    }
    case 1: return item.squad.AgeClass ? item.squad.AgeClass->Name : QStringLiteral("-");
    case 2:
        return item.actionType == TSquadActionType::sa_new ? QStringLiteral("anlegen") : QStringLiteral("auffüllen");
    case 3: return QString::number(item.getNoOfAthletes());
    default: break;
    }
    const std::size_t team = std::size_t(column - kFixedColumns);
    const std::size_t assigned = item.squad.AssignedTeams.size();
    const proto::TeamType* t = nullptr;
    if (team < assigned)
        t = &item.squad.AssignedTeams[team];
    else if (team - assigned < item.newTeams.size())
        t = item.newTeams[team - assigned];
    return t ? t->Name + u'(' + QString::number(std::abs(t->TeamID)) + u')' : QString();
}

QVariant TSquadPreviewModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::CheckStateRole && index.column() == 0)
        return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    if (role != Qt::DisplayRole)
        return {};
    return cellText(items_[std::size_t(index.row())], index.column());
}

bool TSquadPreviewModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::CheckStateRole || index.column() != 0)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TSquadPreviewModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TSquadPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return {};
    static const QStringList fixed{QStringLiteral("Riege"), QStringLiteral("Altersklasse"), QStringLiteral("Aktion"),
                                   QStringLiteral("#Athleten")};
    return section < kFixedColumns ? fixed.at(section) : QStringLiteral("Team");
}

} // namespace tvp
