#include "standin/Operations.h"

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"

#include <array>
#include <unordered_map>

namespace tvp::standin {

namespace {

struct ServiceName {
    std::string_view name;
    Service service;
};

constexpr std::array<ServiceName, 11> kServiceNames{{
    {"CompetitionManagementService", Service::CompetitionManagement},
    {"DataRetrievalService", Service::DataRetrieval},
    {"DataAquisitionService", Service::DataAquisition},
    {"DisciplinSetupService", Service::DisciplinSetup},
    {"UiStoreService", Service::UiStore},
    // The client's built-in default address names the UI store so.
    {"UiExchangeService", Service::UiStore},
    {"UiRetrievalService", Service::UiRetrieval},
    {"CupRetrievalService", Service::CupRetrieval},
    {"CupSetupService", Service::CupSetup},
    {"ToolingService", Service::Tooling},
    {"ProgrammInfoWebService", Service::ProgrammInfo},
}};

} // namespace

std::optional<Service> serviceFromName(std::string_view name)
{
    for (const ServiceName& s : kServiceNames)
        if (s.name == name)
            return s.service;
    return std::nullopt;
}

std::string_view serviceNamespace(Service service)
{
    return service == Service::ProgrammInfo ? proto::wire::kProgramInfoNs : proto::wire::kMainNs;
}

const Operation* findOperation(std::string_view name)
{
    using enum Service;
    using enum Access;
    static const std::unordered_map<std::string_view, Operation> table = {
        {"getBackendVersion", {ProgrammInfo, None, ops::getBackendVersion}},
        {"getCompatibilityInformation", {ProgrammInfo, None, ops::getCompatibilityInformation}},

        {"beginTransaction", {CompetitionManagement, None, ops::beginTransaction}},
        {"commitTransaction", {CompetitionManagement, None, ops::commitTransaction}},
        {"rollbackTransaction", {CompetitionManagement, None, ops::rollbackTransaction}},
        {"createCompetition", {CompetitionManagement, Write, ops::createCompetition}},
        {"modifyCompetition", {CompetitionManagement, Write, ops::modifyCompetition}},
        {"removeCompetition", {CompetitionManagement, Write, ops::removeCompetition}},
        {"setUiInfo", {CompetitionManagement, Write, ops::setUiInfo}},

        {"getCompetitions", {DataRetrieval, Read, ops::getCompetitions}},
        {"getUiInfo", {DataRetrieval, Read, ops::getUiInfo}},
        {"getUiInfos", {DataRetrieval, Read, ops::getUiInfos}},
        {"getExceptionMessages", {DataRetrieval, None, ops::getExceptionMessages}},
    };
    auto it = table.find(name);
    return it == table.end() ? nullptr : &it->second;
}

ServerError::ServerError(int id, QStringList parameters)
    : std::runtime_error(errors::format(id, parameters).toStdString()), id(id), parameters(std::move(parameters))
{
}

} // namespace tvp::standin
