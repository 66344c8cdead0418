#include "scoring/CustomCupColRequests.h"

#include "core/connection/ServicePorts.h"
#include "core/protocol/Errors.h"
#include "core/protocol/WebServices.h"

namespace tvp {

namespace {

void copyRequest(const TColRequest& request, TColResponse& response)
{
    response.reqType = request.reqType;
    response.cupId = request.cupId;
    response.colId = request.colId;
}

proto::CustomColumnInfoType columnInfo(const TColRequest& request)
{
    proto::CustomColumnInfoType info;
    info.Name = request.name;
    info.OrderIndex = request.orderindex;
    info.ItemType = request.itemType;
    return info;
}

void getColumns(TServicePorts& ports, const TColRequest& request, TColResponse& response)
{
    copyRequest(request, response);
    response.cols = ports.crs().getCustomCupColumns(request.cupId, request.itemType);
}

void createColumn(TServicePorts& ports, const TColRequest& request, TColResponse& response)
{
    copyRequest(request, response);
    (void)ports.css().addCustomColumn(request.cupId, proto::Owned<proto::CustomColumnInfoType>(columnInfo(request)));
}

void modifyColumn(TServicePorts& ports, const TColRequest& request, TColResponse& response)
{
    copyRequest(request, response);
    ports.css().modifyCustomColumn(request.colId, proto::Owned<proto::CustomColumnInfoDataType>(columnInfo(request)));
}

void removeColumn(TServicePorts& ports, const TColRequest& request, TColResponse& response)
{
    copyRequest(request, response);
    ports.css().removeCustomColumn(request.colId, request.forceRemove);
}

void importColumns(TServicePorts& ports, const TCustomColImportRequest& request, TCustomColImportResponse& response)
{
    if (!request.list)
        throw TvpError(QStringLiteral("Keine Datei"));
    // The log of the worker's own copy: the request stays as it was sent.
    TCustomDataList list = *request.list;
    std::exception_ptr failure;
    response.log = runCustomColumnImport(ports.crs(), ports.css(), list, failure);
    if (failure)
        std::rethrow_exception(failure); // rolls back what was stored; the log still goes back
}

} // namespace

const TRequestTable<TColRequest, TColResponse>& colRequests()
{
    using enum TColRequestType;
    static const TRequestTable<TColRequest, TColResponse> table{
        {
            {rt_get, QStringLiteral("Spalten laden"), &getColumns},
            {rt_create, QStringLiteral("Spalte anlegen"), &createColumn},
            {rt_modify, QStringLiteral("Spalte ändern"), &modifyColumn},
            {rt_remove, QStringLiteral("Spalte löschen"), &removeColumn},
        },
        {
            {100, &TColRequest::forceRemove,
             QStringLiteral("In dieser Spalte sind schon Werte eingetragen. Diese werden ebenfalls gelöscht. "
                            "Fortfahren?"),
             QStringLiteral("Spalte löschen?"), int(rt_remove)},
        },
    };
    return table;
}

const TRequestTable<TCustomColImportRequest, TCustomColImportResponse>& customColImportRequests()
{
    static const TRequestTable<TCustomColImportRequest, TCustomColImportResponse> table{{
        {0, QStringLiteral("csv Importieren"), &importColumns},
    }};
    return table;
}

} // namespace tvp
