#pragma once
// The service ports of one request worker: each made once, on the worker's proxy object (so every
// call carries the runner's session header) and at the current server address.

#include "core/protocol/TVPWebServices2.h"

#include <memory>

namespace tvp {

class TCompetitionUrlHolder;
class TCurrentCompetition;

class TServicePorts {
public:
    TServicePorts(proto::THTTPRIO& rio, TCompetitionUrlHolder& serverAddress, const TCurrentCompetition& competition);
    ~TServicePorts();
    TServicePorts(const TServicePorts&) = delete;
    TServicePorts& operator=(const TServicePorts&) = delete;

    proto::CompetitionManagementPortType& cms();
    proto::DataRetrievalPortType& drs();
    proto::DataAquisitionPortType& das();
    proto::DisciplinSetupPortType& dss();
    proto::UiStorePortType& uis();
    proto::UiRetrievalPortType& uir();
    proto::CupRetrievalPortType& crs();
    proto::CupSetupPortType& css();
    proto::ToolingPortType& tos();

    // The current competition's id; without one it throws ETvExceptionDetail(-1), so the request
    // fails like a server call.
    int competitionId() const;

    proto::THTTPRIO& rio() { return rio_; }

private:
    template <class Port, class Factory>
    Port& port(std::unique_ptr<Port>& slot, proto::TTVPWebServices service, Factory factory);

    proto::THTTPRIO& rio_;
    TCompetitionUrlHolder& serverAddress_;
    const TCurrentCompetition& competition_;
    std::unique_ptr<proto::CompetitionManagementPortType> cms_;
    std::unique_ptr<proto::DataRetrievalPortType> drs_;
    std::unique_ptr<proto::DataAquisitionPortType> das_;
    std::unique_ptr<proto::DisciplinSetupPortType> dss_;
    std::unique_ptr<proto::UiStorePortType> uis_;
    std::unique_ptr<proto::UiRetrievalPortType> uir_;
    std::unique_ptr<proto::CupRetrievalPortType> crs_;
    std::unique_ptr<proto::CupSetupPortType> css_;
    std::unique_ptr<proto::ToolingPortType> tos_;
};

} // namespace tvp
