#pragma once
// The service ports of one request worker: each made once, on the worker's proxy object (so every
// call carries the runner's session header) and at the current server address.

#include "core/protocol/TVPWebServices2.h"

#include <memory>

namespace tvp {

class TCompetitionUrlHolder;
class TCurrentCompetition;
class TSoapThread;

class TServicePorts {
public:
    // thread: the request's worker, null outside the request runner.
    TServicePorts(proto::THTTPRIO& rio, TCompetitionUrlHolder& serverAddress, const TCurrentCompetition& competition,
                  TSoapThread* thread = nullptr);
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

    // A read-write request's writes are done: its transaction is committed now, and the calls after
    // this run outside it (reads that need not hold up other writers). Throws when the commit
    // fails; then the request fails and its transaction is rolled back. Nothing for other modes.
    void commitTransaction();

    proto::THTTPRIO& rio() { return rio_; }

private:
    template <class Port, class Factory>
    Port& port(std::unique_ptr<Port>& slot, proto::TTVPWebServices service, Factory factory);

    proto::THTTPRIO& rio_;
    TCompetitionUrlHolder& serverAddress_;
    const TCurrentCompetition& competition_;
    TSoapThread* thread_;
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
