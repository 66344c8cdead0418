#pragma once
// Automatic squad formation: from the teams not yet in any squad, age class by age class, new
// squads of about the target number of teams, and existing incomplete squads filled up, never above
// the maximum. The result is a preview the user ticks row by row before anything is sent.

#include "core/protocol/ParticipantRecords.h"

#include <QAbstractTableModel>

#include <climits>
#include <vector>

namespace tvp {

// "unbegrenzt" for the target and the maximum.
inline constexpr int kUnlimitedTeams = INT_MAX;

enum class TSquadActionType { sa_new = 0, sa_fill = 1 };

// One squad of the preview.
struct TSquadListItem {
    TSquadActionType actionType = TSquadActionType::sa_new;
    // sa_new: a fresh squad (id 0, order index 0, no name, no teams) with the age class;
    // sa_fill: a copy of the existing squad.
    proto::SquadType squad;
    // The planned teams; they point into the teams the preview was computed from.
    std::vector<const proto::TeamType*> newTeams;

    int getNoOfAthletes() const;
    // A team count: the squad's teams and the planned ones.
    int getContainingSquads() const;
    // Plans pool[index] for this squad and takes it out of the pool.
    void addTeamToSquad(std::vector<const proto::TeamType*>& pool, std::size_t index);
    // Takes back the planned team with the fewest athletes (the first of equals); null when none is
    // planned. The squad's own teams stay.
    const proto::TeamType* removeMinTeamFromSquad();
};

// The preview for the competition's age classes (in their order), teams and squads. target and
// maximum are team counts per squad, kUnlimitedTeams for "unbegrenzt". The items point into teams,
// which must outlive them.
std::vector<TSquadListItem> RecalculateSquads(const std::vector<proto::AgeClassType>& ageClasses,
                                              const std::vector<proto::TeamType>& teams,
                                              const std::vector<proto::SquadType>& squads, int target, int maximum,
                                              bool fillExisting);

// The preview as a list: "Riege", "Altersklasse", "Aktion", "#Athleten", then one "Team" column per
// team position any row needs; every row starts ticked (check state in column 0).
class TSquadPreviewModel : public QAbstractTableModel {
public:
    explicit TSquadPreviewModel(QObject* parent = nullptr);

    void setItems(std::vector<TSquadListItem> items);
    const std::vector<TSquadListItem>& items() const { return items_; }
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    // The largest athlete count of any row, 0 for an empty preview.
    int maxSquadSize() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static QString cellText(const TSquadListItem& item, int column);

private:
    std::vector<TSquadListItem> items_;
    std::vector<bool> checked_;
    int teamColumns_ = 0;
};

} // namespace tvp
