#include "organisation/DisciplinePlaceRequests.h"

#include <algorithm>
#include <cstdlib>

namespace tvp {

namespace {

using enum TDPRequestType;

void keepRequest(const TDPRequest& request, TDPResponse& response)
{
    response.id = request.dpID;
    response.name = request.name;
    response.comment = request.comment;
    response.disciplineIDs = request.disciplineIDs;
    response.disciplineFilterID = request.disciplineFilterID;
    response.forceRemoveScheduleItem = request.forceRemoveScheduleItem;
}

proto::DisciplinePlaceInfoDataType info(const TDPRequest& request)
{
    proto::DisciplinePlaceInfoDataType i;
    i.Name = request.name;
    i.Comment = request.comment;
    return i;
}

void getPlaces(TServicePorts& ports, const TDPRequest& request, TDPResponse& response)
{
    keepRequest(request, response);
    proto::DataRetrievalPortType& drs = ports.drs();
    const int competition = ports.competitionId();
    // A filter asks by the discipline alone.
    response.getResponse = request.disciplineFilterID == 0 ? drs.getDisciplinePlaces(competition, 0, 0)
                                                           : drs.getDisciplinePlaces(0, request.disciplineFilterID, 0);
    response.disciplines = drs.getDisciplines(competition, nullptr, 0);
}

void createPlace(TServicePorts& ports, const TDPRequest& request, TDPResponse& response)
{
    keepRequest(request, response);
    const proto::createDisciplinePlaceResponse created =
        ports.cms().createDisciplinePlace(info(request), request.disciplineIDs, ports.competitionId());
    response.id = created.DisciplinePlace ? created.DisciplinePlace->DisciplinePlaceId : 0;
}

void modifyPlace(TServicePorts& ports, const TDPRequest& request, TDPResponse& response)
{
    keepRequest(request, response);
    ports.cms().modifyDisciplinePlace(request.dpID, info(request), request.disciplineIDs,
                                      request.forceRemoveScheduleItem);
}

void deletePlace(TServicePorts& ports, const TDPRequest& request, TDPResponse& response)
{
    keepRequest(request, response);
    ports.cms().removeDisciplinePlace(request.dpID, request.forceRemoveScheduleItem);
}

} // namespace

const TRequestTable<TDPRequest, TDPResponse>& disciplinePlaceRequests()
{
    static const TRequestTable<TDPRequest, TDPResponse> table{
        {
            {rt_get, QStringLiteral("Wettkampfanlagen laden"), &getPlaces},
            {rt_create, QStringLiteral("Wettkampfanlage anlegen"), &createPlace},
            {rt_modify, QStringLiteral("Wettkampfanlage ändern"), &modifyPlace},
            {rt_delete, QStringLiteral("Wettkampfanlage löschen"), &deletePlace},
        },
        {
            {kFacilityPlaceHasScheduleItemsError, &TDPRequest::forceRemoveScheduleItem,
             QStringLiteral("Einer zu entfernenden Disziplin-Wettkampfanlagenkombination sind bereits "
                            "Zeitplaneinträge zugeordnet. Wettkampfanlage ändern und betroffene Zeitplaneinträge "
                            "entfernen?"),
             QStringLiteral("Wettkampfanlage ändern"), int(rt_modify)},
            {kFacilityHasScheduleItemsError, &TDPRequest::forceRemoveScheduleItem,
             QStringLiteral("Der Wettkampfanlage sind bereits Zeitplaneinträge zugeordnet. Wettkampfanlage inklusive "
                            "Zeitplaneinträgen löschen?"),
             QStringLiteral("Wettkampfanlage löschen"), int(rt_delete)},
        },
    };
    return table;
}

std::unique_ptr<TDPRequest> getDPRequestFromUI(TDPRequestType type, int dpId, const QString& name,
                                               const QString& comment, std::vector<int> disciplineIds)
{
    auto r = std::make_unique<TDPRequest>();
    r->reqType = type;
    r->dpID = dpId;
    r->name = name.trimmed();
    r->comment = comment;
    r->disciplineIDs = std::move(disciplineIds);
    return r;
}

std::unique_ptr<TDPRequest> makeDPLoad(int currentDPId, int disciplineFilterId)
{
    auto r = std::make_unique<TDPRequest>();
    r->dpID = currentDPId;
    r->disciplineFilterID = disciplineFilterId;
    return r;
}

std::unique_ptr<TDPRequest> makeDPDeleteChain(const std::vector<int>& dpIds)
{
    const auto context = std::make_shared<TBatchContext>();
    std::unique_ptr<TDPRequest> head;
    for (auto id = dpIds.rbegin(); id != dpIds.rend(); ++id) {
        auto r = std::make_unique<TDPRequest>();
        r->reqType = rt_delete;
        r->dpID = *id;
        r->setBatchContext(context);
        r->nextBatch = std::move(head);
        head = std::move(r);
    }
    return head;
}

// ---- the list ----

void TDisciplinePlaceListModel::setPlaces(std::vector<proto::DisciplinePlaceType> places)
{
    beginResetModel();
    places_ = std::move(places);
    columns_ = 3;
    for (const proto::DisciplinePlaceType& p : places_)
        columns_ = std::max(columns_, 2 + int(p.AssociatedDisciplines.size()));
    endResetModel();
}

int TDisciplinePlaceListModel::rowOf(int dpId) const
{
    for (std::size_t i = 0; i < places_.size(); ++i)
        if (places_[i].DisciplinePlaceId == dpId)
            return int(i);
    return -1;
}

int TDisciplinePlaceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(places_.size());
}

int TDisciplinePlaceListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns_;
}

QVariant TDisciplinePlaceListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::DisplayRole)
        return {};
    const proto::DisciplinePlaceType& p = places_[std::size_t(index.row())];
    if (index.column() == 0)
        return p.Name;
    if (index.column() == 1)
        return p.Comment;
    const std::size_t d = std::size_t(index.column() - 2);
    return d < p.AssociatedDisciplines.size() ? p.AssociatedDisciplines[d].Name : QString();
}

QVariant TDisciplinePlaceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns_)
        return {};
    switch (section) {
    case 0: return QStringLiteral("Anlagenname");
    case 1: return QStringLiteral("Kommentar");
    case 2: return QStringLiteral("Ort für Disziplin");
    default: return QStringLiteral("Ort für Disziplin %1").arg(section - 1);
    }
}

// ---- the editor's disciplines ----

void TPlaceDisciplineModel::setDisciplines(std::vector<proto::DisciplinType> disciplines)
{
    beginResetModel();
    disciplines_ = std::move(disciplines);
    checked_.assign(disciplines_.size(), false);
    endResetModel();
}

int TPlaceDisciplineModel::rowOf(int disciplineId) const
{
    for (std::size_t i = 0; i < disciplines_.size(); ++i)
        if (disciplines_[i].DisciplinID == disciplineId)
            return int(i);
    return -1;
}

void TPlaceDisciplineModel::clearChecks()
{
    checked_.assign(disciplines_.size(), false);
    if (!disciplines_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

void TPlaceDisciplineModel::setChecked(int row, bool checked)
{
    checked_.at(std::size_t(row)) = checked;
    emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

int TPlaceDisciplineModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(disciplines_.size());
}

int TPlaceDisciplineModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TPlaceDisciplineModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const std::size_t row = std::size_t(index.row());
    if (role == Qt::CheckStateRole && index.column() == 0)
        return checked_[row] ? Qt::Checked : Qt::Unchecked;
    if (role != Qt::DisplayRole)
        return {};
    return index.column() == 0 ? disciplines_[row].Name : QString::number(std::abs(disciplines_[row].DisciplinID));
}

bool TPlaceDisciplineModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != 0 || !index.isValid())
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TPlaceDisciplineModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TPlaceDisciplineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0   ? QVariant(QStringLiteral("Disziplinname"))
           : section == 1 ? QVariant(QStringLiteral("ID"))
                          : QVariant();
}

} // namespace tvp
