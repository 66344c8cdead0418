#pragma once
// The chooser's list of a server's competitions, by name in the server's order. Instead of the
// competitions it may hold one message row (in italics) that tells why there are none.

#include "core/protocol/ParticipantRecords.h"

#include <QAbstractListModel>
#include <QString>

#include <vector>

namespace tvp {

class TCompetitionListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setCompetitions(std::vector<proto::CompetitionType> competitions);
    // The list shows only this text; no row names a competition.
    void showMessage(const QString& text);
    void clear();

    // The competition of a row; null for the message row or a row out of range.
    const proto::CompetitionType* competition(int row) const;
    // The row of the competition with that id, -1 when it is not listed.
    int rowOf(int competitionId) const;
    const std::vector<proto::CompetitionType>& competitions() const { return competitions_; }
    const QString& message() const { return message_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<proto::CompetitionType> competitions_;
    QString message_;
};

} // namespace tvp
