#include "core/connection/ServicePorts.h"

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"

namespace tvp {

using namespace proto;

TServicePorts::TServicePorts(THTTPRIO& rio, TCompetitionUrlHolder& serverAddress,
                             const TCurrentCompetition& competition, TSoapThread* thread)
    : rio_(rio), serverAddress_(serverAddress), competition_(competition), thread_(thread)
{
}

void TServicePorts::commitTransaction()
{
    if (thread_)
        thread_->commitTransaction();
}

TServicePorts::~TServicePorts() = default;

template <class Port, class Factory>
Port& TServicePorts::port(std::unique_ptr<Port>& slot, TTVPWebServices service, Factory factory)
{
    if (!slot)
        slot = factory(false, serverAddress_.getFullUrl(service), &rio_);
    return *slot;
}

CompetitionManagementPortType& TServicePorts::cms()
{
    return port(cms_, TTVPWebServices::CMS, &GetCompetitionManagementPortType);
}

DataRetrievalPortType& TServicePorts::drs()
{
    return port(drs_, TTVPWebServices::DRS, &GetDataRetrievalPortType);
}

DataAquisitionPortType& TServicePorts::das()
{
    return port(das_, TTVPWebServices::DAS, &GetDataAquisitionPortType);
}

DisciplinSetupPortType& TServicePorts::dss()
{
    return port(dss_, TTVPWebServices::DSS, &GetDisciplinSetupPortType);
}

UiStorePortType& TServicePorts::uis()
{
    return port(uis_, TTVPWebServices::UIS, &GetUiStorePortType);
}

UiRetrievalPortType& TServicePorts::uir()
{
    return port(uir_, TTVPWebServices::UIR, &GetUiRetrievalPortType);
}

CupRetrievalPortType& TServicePorts::crs()
{
    return port(crs_, TTVPWebServices::CRS, &GetCupRetrievalPortType);
}

CupSetupPortType& TServicePorts::css()
{
    return port(css_, TTVPWebServices::CSS, &GetCupSetupPortType);
}

ToolingPortType& TServicePorts::tos()
{
    return port(tos_, TTVPWebServices::TOS, &GetToolingPortType);
}

int TServicePorts::competitionId() const
{
    return competition_.getCompetitionId(true);
}

} // namespace tvp
