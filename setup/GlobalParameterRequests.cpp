#include "setup/GlobalParameterRequests.h"

#include <algorithm>
#include <cmath>

namespace tvp {

namespace {

using R = TParameterRequestType;

void copyRequest(const TParameterRequest& request, TParameterResponse& response)
{
    response.removeKey = request.removeKey;
    response.CupID = request.cupID;
}

void getList(TServicePorts& ports, const TParameterRequest& request, TParameterResponse& response)
{
    copyRequest(request, response);
    response.params = ports.drs().getGlobalParameters(ports.competitionId());
    if (request.cupID != 0) {
        response.cupParams = ports.crs().getCupParameters(request.cupID);
        response.cup = ports.crs().getCup(request.cupID).cup;
    }
}

void setParameter(TServicePorts& ports, const TParameterRequest& request, TParameterResponse& response)
{
    copyRequest(request, response);
    if (request.cupID == 0)
        ports.cms().setGlobalParameter(ports.competitionId(), request.params);
    else
        ports.css().setCupParameter(request.cupID, request.params);
}

void removeParameter(TServicePorts& ports, const TParameterRequest& request, TParameterResponse& response)
{
    copyRequest(request, response);
    if (request.cupID == 0)
        ports.cms().removeGlobalParameter(ports.competitionId(), request.removeKey, request.forceUsedParameter);
    else
        ports.css().removeCupParameter(request.cupID, request.removeKey, request.forceUsedParameter);
}

bool hasCup(const proto::GlobalParametersType& p, int cupId)
{
    return cupId == 0 ? !p.Cup : (p.Cup && p.Cup->CupID == cupId);
}

} // namespace

const TRequestTable<TParameterRequest, TParameterResponse>& parameterRequests()
{
    static const TRequestTable<TParameterRequest, TParameterResponse> table{{
        {R::rt_getList, QStringLiteral("Veranstaltungsparameter laden"), &getList},
        {R::rt_setParameter, QStringLiteral("Veranstaltungsparameter setzen"), &setParameter},
        {R::rt_remove, QStringLiteral("Veranstaltungsparameter entfernen"), &removeParameter},
    }};
    return table;
}

void TGlobalParameterLists::replace(std::vector<proto::GlobalParametersType> params,
                                    std::vector<proto::GlobalParametersType> cupParams)
{
    FParameterList = std::move(params);
    FCupParameterList = std::move(cupParams);
}

void TGlobalParameterLists::removeEntry(const QString& key, int requestCupId)
{
    std::vector<proto::GlobalParametersType>& list = requestCupId != 0 ? FCupParameterList : FParameterList;
    const auto at = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.Key == key; });
    if (at != list.end())
        list.erase(at);
}

const std::vector<proto::GlobalParametersType>& TGlobalParameterLists::shownList() const
{
    return FCupParameterList.empty() ? FParameterList : FCupParameterList;
}

std::vector<const proto::GlobalParametersType*> TGlobalParameterLists::shownEntries() const
{
    const bool cupScope = !FCupParameterList.empty();
    std::vector<const proto::GlobalParametersType*> out;
    for (const proto::GlobalParametersType& p : shownList())
        if (bool(p.Cup) == cupScope)
            out.push_back(&p);
    return out;
}

bool TGlobalParameterLists::isReadOnly(const proto::GlobalParametersType& entry) const
{
    if (entry.IsReadOnly)
        return true;
    return FCupId != 0 ? !hasCup(entry, FCupId) : bool(entry.Cup);
}

bool TGlobalParameterLists::isReadOnlyParam(const QString& key) const
{
    for (const proto::GlobalParametersType& p : shownList())
        if (p.Key == key)
            return isReadOnly(p);
    return false;
}

std::optional<double> TGlobalParameterLists::resolveParameter(const QString& name, int cupId) const
{
    for (const proto::GlobalParametersType& p : FParameterList)
        if (p.Key == name && hasCup(p, cupId))
            return p.Value;
    if (cupId != 0)
        for (const proto::GlobalParametersType& p : FCupParameterList)
            if (p.Key == name && hasCup(p, cupId))
                return p.Value;
    return std::nullopt;
}

QStringList TGlobalParameterLists::getParameterNames(int cupId) const
{
    QStringList names;
    for (const proto::GlobalParametersType& p : FParameterList)
        if (hasCup(p, cupId))
            names << p.Key;
    return names;
}

bool TGlobalParameterLists::changed(const std::vector<TParameterRow>& rows, bool enabled, const QLocale& locale) const
{
    std::size_t n = 0;
    for (const proto::GlobalParametersType* p : shownEntries()) {
        if (n >= rows.size() || rows[n].value != formatParameterValue(p->Value, locale))
            return true;
        ++n;
    }
    if (rows.size() != n)
        return n > 0 || enabled;
    return false;
}

std::variant<std::vector<proto::GlobalParametersInfoType>, TGlobalParameterLists::TInvalidValue>
TGlobalParameterLists::changedParameters(const std::vector<TParameterRow>& rows, const QLocale& locale) const
{
    std::vector<proto::GlobalParametersInfoType> out;
    for (const TParameterRow& row : rows) {
        if (isReadOnlyParam(row.key))
            continue;
        const std::optional<double> value = parseParameterValue(row.value, locale);
        if (!value)
            return TInvalidValue{row.key};
        const std::optional<double> stored = resolveParameter(row.key, FCupId);
        if (stored && *stored == *value)
            continue;
        proto::GlobalParametersInfoType& p = out.emplace_back();
        p.Key = row.key;
        p.Value = *value;
    }
    return out;
}

QString formatParameterValue(double value, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<double> parseParameterValue(const QString& text, const QLocale& locale)
{
    QLocale strict = locale;
    // "1.5" is no value with a decimal comma, not fifteen.
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace tvp
