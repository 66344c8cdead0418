#pragma once
// The facility window's server requests and its list: facilities with the disciplines that can
// take place there.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

namespace tvp {

enum class TDPRequestType { rt_get = 0, rt_create = 1, rt_modify = 2, rt_delete = 3 };

// The server's refusals the user may overrule with forceRemoveScheduleItem.
inline constexpr int kFacilityPlaceHasScheduleItemsError = 169; // of a change
inline constexpr int kFacilityHasScheduleItemsError = 153;      // of a delete

struct TDPRequest : TBatchRequest {
    TDPRequestType reqType = TDPRequestType::rt_get;
    int dpID = 0;
    QString name;
    QString comment;
    std::vector<int> disciplineIDs;
    int disciplineFilterID = 0;
    bool forceRemoveScheduleItem = false;
};

struct TDPResponse : TBatchResponse {
    TDPRequestType reqType = TDPRequestType::rt_get;
    proto::getDisciplinePlacesResponse getResponse;
    std::vector<proto::DisciplinType> disciplines;
    int id = 0;
    QString name;
    QString comment;
    std::vector<int> disciplineIDs;
    int disciplineFilterID = 0;
    bool forceRemoveScheduleItem = false;
};

const TRequestTable<TDPRequest, TDPResponse>& disciplinePlaceRequests();

// The editor's content: the name trimmed, the comment as typed, the checked disciplines top to bottom.
std::unique_ptr<TDPRequest> getDPRequestFromUI(TDPRequestType type, int dpId, const QString& name,
                                               const QString& comment, std::vector<int> disciplineIds);
std::unique_ptr<TDPRequest> makeDPLoad(int currentDPId, int disciplineFilterId);
// Deleting several rows: one chain, topmost row first, sharing one batch context.
std::unique_ptr<TDPRequest> makeDPDeleteChain(const std::vector<int>& dpIds);

// The facility list: name, comment, then one column per associated discipline; a row with more
// disciplines than columns adds "Ort für Disziplin 2", "Ort für Disziplin 3", ... and a load with
// fewer drops them again.
class TDisciplinePlaceListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setPlaces(std::vector<proto::DisciplinePlaceType> places);
    const std::vector<proto::DisciplinePlaceType>& places() const { return places_; }
    const proto::DisciplinePlaceType& place(int row) const { return places_.at(std::size_t(row)); }
    // The row of the facility, -1 when none.
    int rowOf(int dpId) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<proto::DisciplinePlaceType> places_;
    int columns_ = 3;
};

// The editor's disciplines: "Disziplinname" with a check box, and "ID" (absolute value).
class TPlaceDisciplineModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setDisciplines(std::vector<proto::DisciplinType> disciplines);
    const proto::DisciplinType& discipline(int row) const { return disciplines_.at(std::size_t(row)); }
    // The row of the discipline, -1 when none.
    int rowOf(int disciplineId) const;
    void clearChecks();
    void setChecked(int row, bool checked);
    bool isChecked(int row) const { return checked_.at(std::size_t(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<proto::DisciplinType> disciplines_;
    std::vector<bool> checked_;
};

} // namespace tvp
