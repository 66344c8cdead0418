#include "core/competition/CompetitionRequests.h"

#include <QLocale>

#include <cmath>

namespace tvp {

namespace {

using enum TCompetitionRequestType;

void getCompetition(TServicePorts& ports, const TCompetitionRequest& request, TCompetitionResponse& response)
{
    response.requestedId = request.id;
    proto::DataRetrievalPortType& drs = ports.drs();
    const proto::getCompetitionsResponse1 competitions = drs.getCompetitions();
    response.pricePerAthlete = drs.getBillingPrice(request.id, proto::PriceType::PER_ATHLETE).billingPrice;
    for (const proto::CompetitionType& c : competitions) {
        if (c.ID != request.id)
            continue;
        response.competition = c;
        response.id = c.ID;
        proto::getUiInfos keys;
        keys.push_back({QString(), c.ID});
        response.uiInfos = drs.getUiInfos(keys);
        break;
    }
}

void modifyCompetition(TServicePorts& ports, const TCompetitionRequest& request, TCompetitionResponse& response)
{
    response.id = request.id;
    response.requestedId = request.id;
    proto::CompetitionManagementPortType& cms = ports.cms();
    proto::CompetitionInfoType info;
    info.Name = request.name;
    info.Date = request.date;
    cms.modifyCompetition(request.id, info);
    for (const setUiInfo& pair : request.uiInfos)
        cms.setUiInfo(pair.key, pair.value, request.id);
    cms.setBillingPrice(request.id, request.pricePerAthlete);
}

} // namespace

const TRequestTable<TCompetitionRequest, TCompetitionResponse>& competitionRequests()
{
    static const TRequestTable<TCompetitionRequest, TCompetitionResponse> table{{
        {rt_get, QStringLiteral("Veranstaltungsdetails laden"), &getCompetition},
        {rt_modify, QStringLiteral("Veranstaltungsdetails ändern"), &modifyCompetition},
    }};
    return table;
}

std::unique_ptr<TCompetitionRequest> makeCompetitionLoad(int competitionId)
{
    auto request = std::make_unique<TCompetitionRequest>();
    request->reqType = rt_get;
    request->id = competitionId;
    return request;
}

std::optional<double> parseFee(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return 0.0;
    t.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // Nudged so that a typed ",345" rounds up although it has no exact binary form.
    return std::round(value * 100 + std::copysign(1e-7, value)) / 100;
}

qint64 feeCents(double fee)
{
    return qint64(std::llround(fee * 100));
}

QString formatFee(double fee)
{
    return QLocale(QLocale::German).toString(fee, 'f', 2).remove(QLocale(QLocale::German).groupSeparator());
}

} // namespace tvp
