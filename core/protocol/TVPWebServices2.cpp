#include "core/protocol/TVPWebServices2.h"

namespace tvp::proto {

namespace {

QString addressOr(bool useWsdl, const QString& addr, const QString& serviceName)
{
    if (!addr.isEmpty())
        return addr;
    return useWsdl ? QString() : defaultServiceAddress(serviceName);
}
} // namespace

PortTypeBase::PortTypeBase(THTTPRIO* rio, QString address)
    : ownRio_(rio ? nullptr : std::make_unique<THTTPRIO>()),
      rio_(rio ? rio : ownRio_.get()),
      address_(address.toStdString())
{
    // A proxy of its own is the way of the blocking calls made on the GUI thread.
    if (ownRio_ && onGuiThread())
        ownRio_->totalTimeoutMs = ownProxyTimeoutMs;
}

QString defaultServiceAddress(const QString& serviceName)
{
    return QStringLiteral("http://127.0.0.1:8080/TrivantaPentrel/services/") + serviceName;
}

// ---- the operations ----

#define TVP_DEFINE_PORT_METHOD(Service_, Result_, Name_, Tag_, ...)                             \
    Result_ TVP_PORT_TYPE_##Service_::Name_(TVP_PP_FOR_EACH_COMMA(TVP_PORT_PARAM, __VA_ARGS__)) \
    {                                                                                           \
        return invoke<op::Tag_>(TVP_PP_FOR_EACH_COMMA(TVP_PORT_ARGUMENT, __VA_ARGS__));         \
    }
#define TVP_DEFINE_PORT_OP(Service_, Result_, Name_, ...) \
    TVP_DEFINE_PORT_METHOD(Service_, Result_, Name_, Name_, __VA_ARGS__)
#define TVP_PORT_ARGUMENT(Type, Name) Name

TVP_ALL_OPERATIONS(TVP_DEFINE_PORT_OP, TVP_DEFINE_PORT_METHOD)

// ---- factories ----

std::unique_ptr<CompetitionManagementPortType> GetCompetitionManagementPortType(bool UseWSDL, const QString& Addr,
                                                                                THTTPRIO* HTTPRIO)
{
    return std::make_unique<CompetitionManagementPortType>(
        HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("CompetitionManagementService")));
}

std::unique_ptr<DisciplinSetupPortType> GetDisciplinSetupPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<DisciplinSetupPortType>(HTTPRIO,
                                                    addressOr(UseWSDL, Addr, QStringLiteral("DisciplinSetupService")));
}

std::unique_ptr<DataAquisitionPortType> GetDataAquisitionPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<DataAquisitionPortType>(HTTPRIO,
                                                    addressOr(UseWSDL, Addr, QStringLiteral("DataAquisitionService")));
}

std::unique_ptr<DataRetrievalPortType> GetDataRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<DataRetrievalPortType>(HTTPRIO,
                                                   addressOr(UseWSDL, Addr, QStringLiteral("DataRetrievalService")));
}

std::unique_ptr<UiStorePortType> GetUiStorePortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<UiStorePortType>(HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("UiExchangeService")));
}

std::unique_ptr<UiRetrievalPortType> GetUiRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<UiRetrievalPortType>(HTTPRIO,
                                                 addressOr(UseWSDL, Addr, QStringLiteral("UiRetrievalService")));
}

std::unique_ptr<CupRetrievalPortType> GetCupRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<CupRetrievalPortType>(HTTPRIO,
                                                  addressOr(UseWSDL, Addr, QStringLiteral("CupRetrievalService")));
}

std::unique_ptr<CupSetupPortType> GetCupSetupPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<CupSetupPortType>(HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("CupSetupService")));
}

std::unique_ptr<ToolingPortType> GetToolingPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<ToolingPortType>(HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("ToolingService")));
}

std::unique_ptr<ProgrammInfoWebService> GetProgrammInfoWebService(bool UseWSDL, const QString& Addr)
{
    return std::make_unique<ProgrammInfoWebService>(
        nullptr, addressOr(UseWSDL, Addr, QStringLiteral("ProgrammInfoWebService/")));
}

} // namespace tvp::proto
