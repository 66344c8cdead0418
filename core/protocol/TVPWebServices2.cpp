#include "TVPWebServices2.h"

namespace tvp::proto {

using codec::arg;

namespace {
constexpr std::string_view M = wire::kMainNs;
constexpr std::string_view P = wire::kProgramInfoNs;

QString addressOr(bool useWsdl, const QString& addr, const QString& serviceName)
{
    if (!addr.isEmpty())
        return addr;
    return useWsdl ? QString() : defaultServiceAddress(serviceName);
}
} // namespace

PortTypeBase::PortTypeBase(THTTPRIO* rio, QString address)
    : ownRio_(rio ? nullptr : std::make_unique<THTTPRIO>()), rio_(rio ? rio : ownRio_.get()),
      address_(address.toStdString())
{
}

QString defaultServiceAddress(const QString& serviceName)
{
    return QStringLiteral("http://127.0.0.1:8080/TrivantaPentrel/services/") + serviceName;
}

// ---- CompetitionManagementPortType ----

createCompetitionResponse1 CompetitionManagementPortType::createCompetition(const CompetitionInfoType& CompetitionInfo)
{
    return call<createCompetitionResponse1>(M, "createCompetition", arg("CompetitionInfo", CompetitionInfo));
}

void CompetitionManagementPortType::removeCompetition(int CompetitionID)
{
    call<void>(M, "removeCompetition", arg("CompetitionID", CompetitionID));
}

void CompetitionManagementPortType::modifyCompetition(int CompetitionID, const CompetitionInfoType& CompetitionInfo)
{
    call<void>(M, "modifyCompetition", arg("CompetitionID", CompetitionID), arg("CompetitionInfo", CompetitionInfo));
}

void CompetitionManagementPortType::setUiInfo(const QString& Key, const QString& Value, int AssotiatedId)
{
    call<void>(M, "setUiInfo", arg("Key", Key), arg("Value", Value), arg("AssotiatedId", AssotiatedId));
}

void CompetitionManagementPortType::beginTransaction(bool readonly)
{
    call<void>(M, "beginTransaction", arg("readonly", readonly));
}

void CompetitionManagementPortType::commitTransaction() { call<void>(M, "commitTransaction"); }
void CompetitionManagementPortType::rollbackTransaction() { call<void>(M, "rollbackTransaction"); }

// ---- DataRetrievalPortType ----

getCompetitionsResponse1 DataRetrievalPortType::getCompetitions()
{
    return call<getCompetitionsResponse1>(M, "getCompetitions");
}

getUiInfoResponse1 DataRetrievalPortType::getUiInfo(const QString& Key, int AssotiatedId)
{
    return call<getUiInfoResponse1>(M, "getUiInfo", arg("Key", Key), arg("AssotiatedId", AssotiatedId));
}

getExceptionMessagesResponse1 DataRetrievalPortType::getExceptionMessages(int LanguageId)
{
    return call<getExceptionMessagesResponse1>(M, "getExceptionMessages", arg("LanguageId", LanguageId));
}

// ---- ProgrammInfoWebService ----

getBackendVersionResponse1 ProgrammInfoWebService::getBackendVersion()
{
    return call<getBackendVersionResponse1>(P, "getBackendVersion");
}

CompatibilityInformation ProgrammInfoWebService::getCompatibilityInformation(const GenericTvpVersion& FrontendVersion)
{
    return call<CompatibilityInformation>(P, "getCompatibilityInformation", arg("FrontendVersion", FrontendVersion));
}

// ---- factories ----

std::unique_ptr<CompetitionManagementPortType> GetCompetitionManagementPortType(bool UseWSDL, const QString& Addr,
                                                                                THTTPRIO* HTTPRIO)
{
    return std::make_unique<CompetitionManagementPortType>(
        HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("CompetitionManagementService")));
}

std::unique_ptr<DataRetrievalPortType> GetDataRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<DataRetrievalPortType>(HTTPRIO,
                                                   addressOr(UseWSDL, Addr, QStringLiteral("DataRetrievalService")));
}

std::unique_ptr<ProgrammInfoWebService> GetProgrammInfoWebService(bool UseWSDL, const QString& Addr)
{
    return std::make_unique<ProgrammInfoWebService>(nullptr,
                                                    addressOr(UseWSDL, Addr, QStringLiteral("ProgrammInfoWebService/")));
}

} // namespace tvp::proto
