#include "scoring/DataViewRequests.h"

#include "core/results/tvpUtils.h"

namespace tvp {

namespace {

void loadResultData(TServicePorts& ports, const TResultDataRequest& request, TDataViewResponse& response)
{
    response.cupMode = request.cupMode;
    response.AggCollectionId = request.AggCollectionId;
    response.orderIndices = request.orderIndices;

    proto::DataRetrievalPortType& drs = ports.drs();
    std::vector<int> ids;
    for (const TAggInfo& a : request.aggIds)
        ids.push_back(a.aggID);
    response.ambiguousBibWarning = drs.checkAmbiguousBibResults(ids);
    response.resProvIds = ids;
    if (!request.cupMode)
        response.participantWarning = drs.checkParticipantConstraints(ids, 0);
    response.cerDocPath = drs.getUiInfo(uiInfoKeys::AggCollCertDocPath, request.AggCollectionId).Value;

    if (request.cupMode) {
        proto::CupRetrievalPortType& crs = ports.crs();
        const proto::getCupResponse cup = crs.getCup(request.cupId);
        const proto::CupType none;
        const proto::CupType& c = cup.cup ? *cup.cup : none;
        response.cupName = c.Name;
        response.athletes = crs.getFinisherAthletes(request.cupId);
        response.cupAthleteList =
            buildCupTable(response.athletes, crs.getCustomCupColumns(request.cupId, proto::CupItemType::Athlete), c);
        for (const TAggInfo& a : request.aggIds) {
            if (*request.canceling)
                break;
            const TResultformat fmt = getResultFormatForAgg(drs, a.aggID);
            response.cupAthleteList->addResults(drs.getResultTable(a.aggID), a, fmt);
        }
        return;
    }

    const int competition = ports.competitionId();
    response.compPlaceUiInfo = competitionLocationOf(drs.getUiInfos({makeUiInfoKey(QString(), competition)}));
    response.competitionAthletes = drs.getAthletes(competition, 0, 0, 0, nullptr, nullptr, 0);
    for (const TAggInfo& a : request.aggIds) {
        if (*request.canceling)
            break;
        TDataViewTable t;
        t.format = getResultFormatForAgg(drs, a.aggID);
        t.table = drs.getResultTable(a.aggID);
        response.tables.push_back(std::move(t));
    }
}

void saveOrder(TServicePorts& ports, const TOrderColSaveRequest& request, TOrderColSaveResponse&)
{
    ports.uis().modifyAggregatorCollectionSortOrder(request.id, request.orderIndices);
}

} // namespace

const TRequestTable<TResultDataRequest, TDataViewResponse>& dataViewRequests()
{
    static const TRequestTable<TResultDataRequest, TDataViewResponse> table{
        {{0, QStringLiteral("Ergebnisse laden"), &loadResultData}}};
    return table;
}

const TRequestTable<TOrderColSaveRequest, TOrderColSaveResponse>& orderColSaveRequests()
{
    static const TRequestTable<TOrderColSaveRequest, TOrderColSaveResponse> table{
        {{0, QStringLiteral("Sortierreihenfolge speichern"), &saveOrder}}};
    return table;
}

QString competitionLocationOf(const std::vector<proto::UiInfoKeyValuePair>& infos)
{
    static const QString kLocation = QStringLiteral("MetaData_CompetitionLocation");
    static const QString kString = QStringLiteral("STRING_");
    for (const proto::UiInfoKeyValuePair& p : infos) {
        if (!p.Key || !p.Key->Key.contains(kLocation))
            continue;
        const qsizetype at = p.Value.indexOf(kString);
        return at < 0 ? QString() : p.Value.mid(at + kString.size());
    }
    return {};
}

std::unique_ptr<TCupAthleteList> buildCupTable(const proto::getFinisherAthletesResponse1& finishers,
                                               const std::vector<proto::CustomColumnType>& columns,
                                               const proto::CupType& cup)
{
    return std::make_unique<TCupAthleteList>(finishers.Finisher, columns, cup);
}

} // namespace tvp
