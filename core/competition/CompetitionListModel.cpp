#include "core/competition/CompetitionListModel.h"

#include <QFont>

namespace tvp {

void TCompetitionListModel::setCompetitions(std::vector<proto::CompetitionType> competitions)
{
    beginResetModel();
    competitions_ = std::move(competitions);
    message_.clear();
    endResetModel();
}

void TCompetitionListModel::showMessage(const QString& text)
{
    beginResetModel();
    competitions_.clear();
    message_ = text;
    endResetModel();
}

void TCompetitionListModel::clear()
{
    beginResetModel();
    competitions_.clear();
    message_.clear();
    endResetModel();
}

const proto::CompetitionType* TCompetitionListModel::competition(int row) const
{
    if (!message_.isEmpty() || row < 0 || std::size_t(row) >= competitions_.size())
        return nullptr;
    return &competitions_[std::size_t(row)];
}

int TCompetitionListModel::rowOf(int competitionId) const
{
    for (std::size_t i = 0; i < competitions_.size(); ++i)
        if (competitions_[i].ID == competitionId)
            return int(i);
    return -1;
}

int TCompetitionListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return message_.isEmpty() ? int(competitions_.size()) : 1;
}

QVariant TCompetitionListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (!message_.isEmpty()) {
        if (role == Qt::DisplayRole)
            return message_;
        if (role == Qt::FontRole) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return {};
    }
    if (role == Qt::DisplayRole)
        return competitions_[std::size_t(index.row())].Name;
    return {};
}

} // namespace tvp
