#pragma once
// The two lists of the cups window: the cup tree ("Cup-Wertungen", its cups, each cup's
// competitions) and the server's competitions, whose selected rows are dragged onto a cup.

#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/ScoringRecords.h"

#include <QAbstractItemModel>
#include <QAbstractListModel>

#include <optional>
#include <vector>

namespace tvp {

// A drag of competitions: their ids in list order.
inline const QString kCupCompetitionIdsMimeType = QStringLiteral("application/x-tvp-cup-competition-ids");
QByteArray encodeCompetitionIds(const std::vector<int>& ids);
std::vector<int> decodeCompetitionIds(const QByteArray& bytes);

class TCupTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // A node's cup and competition; the root carries neither, a cup node no competition.
    static constexpr int kCupRole = Qt::UserRole;
    static constexpr int kCompetitionRole = Qt::UserRole + 1;

    // Replaces the tree; the cups in the server's order.
    void setCups(const std::vector<proto::CupType>& cups);
    const std::vector<proto::CupType>& cups() const { return cups_; }
    // The node of a cup, invalid when none.
    QModelIndex cupIndex(int cupId) const;
    static std::optional<int> cupOf(const QModelIndex& node);
    static std::optional<int> competitionOf(const QModelIndex& node);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override { return {kCupCompetitionIdsMimeType}; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }

private:
    // Internal ids: 0 the root, cup c (from 0) 1 + c, competition k of cup c (1 + c) << 16 | (1 + k).
    static constexpr quintptr kRoot = 0;
    std::vector<proto::CupType> cups_;
};

class TCupCompetitionListModel : public QAbstractListModel {
    Q_OBJECT
public:
    void setCompetitions(const std::vector<proto::CompetitionType>& competitions);
    // Qt::UserRole: the competition's id.
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override { return {kCupCompetitionIdsMimeType}; }
    // The ids of the rows in list order, whatever order the view hands them in.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }

private:
    std::vector<proto::CompetitionType> competitions_;
};

} // namespace tvp
