#pragma once
// The ten SOAP services: one port type per service with its operations in interface order, and a
// factory per port type.

#include "ProgrammInfoService.h"
#include "ScoringRecords.h"
#include "THTTPRIO.h"

#include <QString>

#include <memory>

namespace tvp::proto {

using IDTypes = std::vector<int>;

// Base of every port type: the proxy object it calls through and the endpoint address.
class PortTypeBase {
public:
    PortTypeBase(THTTPRIO* rio, QString address);
    PortTypeBase(const PortTypeBase&) = delete;
    PortTypeBase& operator=(const PortTypeBase&) = delete;
    virtual ~PortTypeBase() = default;

    THTTPRIO& rio() { return *rio_; }
    const std::string& address() const { return address_; }

protected:
    template <class Result, class... Args>
    Result call(std::string_view ns, const char* operation, const codec::Arg<Args>&... args)
    {
        return rio_->call<Result>(address_, ns, operation, args...);
    }

private:
    std::unique_ptr<THTTPRIO> ownRio_;
    THTTPRIO* rio_;
    std::string address_;
};

class CompetitionManagementPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    createCompetitionResponse1 createCompetition(const CompetitionInfoType& CompetitionInfo);
    void removeCompetition(int CompetitionID);
    void modifyCompetition(int CompetitionID, const CompetitionInfoType& CompetitionInfo);
    void setUiInfo(const QString& Key, const QString& Value, int AssotiatedId);
    void beginTransaction(bool readonly);
    void commitTransaction();
    void rollbackTransaction();
};

class DataRetrievalPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    getCompetitionsResponse1 getCompetitions();
    getUiInfoResponse1 getUiInfo(const QString& Key, int AssotiatedId);
    getExceptionMessagesResponse1 getExceptionMessages(int LanguageId);
};

class ProgrammInfoWebService : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    getBackendVersionResponse1 getBackendVersion();
    CompatibilityInformation getCompatibilityInformation(const GenericTvpVersion& FrontendVersion);
};

// Factories. An empty Addr becomes the built-in default on this computer; a nil HTTPRIO gets a
// fresh proxy object owned by the port type.
std::unique_ptr<CompetitionManagementPortType> GetCompetitionManagementPortType(bool UseWSDL, const QString& Addr,
                                                                                THTTPRIO* HTTPRIO);
std::unique_ptr<DataRetrievalPortType> GetDataRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
// Always a fresh proxy with the runtime's default options: no session header, empty elements kept.
std::unique_ptr<ProgrammInfoWebService> GetProgrammInfoWebService(bool UseWSDL, const QString& Addr);

// The SOAP service name of each port type, as used in the default addresses.
QString defaultServiceAddress(const QString& serviceName);

} // namespace tvp::proto
