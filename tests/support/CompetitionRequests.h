#pragma once
// A small request table on the stand-in's competition operations, shaped like a window's
// <Name>Requests module: the tests of the request road and of batch confirmation drive it.

#include "core/connection/RequestRoad.h"

#include <atomic>

namespace tvp::test {

enum class TCompetitionRequestType { rt_create = 1, rt_list = 2, rt_label = 3, rt_remove = 4 };
using enum TCompetitionRequestType;
// The stand-in's refusals: a second competition of one name, and an id that is not there.
constexpr int kNameInUse = 2;
constexpr int kCompetitionNotFound = 3;

struct TCompetitionRequest : TBatchRequest {
    TCompetitionRequestType reqType = rt_list;
    int id = 0;
    QString name;
    bool replaceExisting = false; // the force flag: remove the competition of that name first
};

struct TCompetitionResponse : TBatchResponse {
    TCompetitionRequestType reqType = rt_list;
    int createdId = 0;
    QStringList names;
};

// Worker functions run so far (none runs when a request never reaches its worker).
inline std::atomic<int> competitionWorkerCalls{0};

inline void createCompetition(TServicePorts& ports, const TCompetitionRequest& request, TCompetitionResponse& response)
{
    ++competitionWorkerCalls;
    if (request.replaceExisting)
        for (const proto::CompetitionType& c : ports.drs().getCompetitions())
            if (c.Name == request.name)
                ports.cms().removeCompetition(c.ID);
    proto::CompetitionInfoType info;
    info.Name = request.name;
    response.createdId = ports.cms().createCompetition(info).Competition->ID;
}

inline void listCompetitions(TServicePorts& ports, const TCompetitionRequest&, TCompetitionResponse& response)
{
    ++competitionWorkerCalls;
    for (const proto::CompetitionType& c : ports.drs().getCompetitions())
        response.names << c.Name;
}

inline void labelCompetition(TServicePorts& ports, const TCompetitionRequest& request, TCompetitionResponse&)
{
    ++competitionWorkerCalls;
    ports.cms().setUiInfo(QStringLiteral("Label"), request.name, ports.competitionId());
}

inline void removeCompetition(TServicePorts& ports, const TCompetitionRequest& request, TCompetitionResponse&)
{
    ++competitionWorkerCalls;
    ports.cms().removeCompetition(request.id);
}

inline const QString kReplaceQuestion = QStringLiteral("Eine Veranstaltung dieses Namens gibt es schon. Ersetzen?");

inline const TRequestTable<TCompetitionRequest, TCompetitionResponse>& competitionRequests()
{
    static const TRequestTable<TCompetitionRequest, TCompetitionResponse> table{
        {
            {rt_create, QStringLiteral("Veranstaltung anlegen"), &createCompetition, true},
            {rt_list, QStringLiteral("Lade Veranstaltungen"), &listCompetitions},
            {rt_label, QStringLiteral("Bezeichnung speichern"), &labelCompetition, false},
            {rt_remove, QStringLiteral("Veranstaltung löschen"), &removeCompetition},
        },
        {
            {kNameInUse, &TCompetitionRequest::replaceExisting, kReplaceQuestion},
        },
    };
    return table;
}

inline std::unique_ptr<TCompetitionRequest> competitionRequest(TCompetitionRequestType type, const QString& name = {},
                                                               int id = 0)
{
    auto r = std::make_unique<TCompetitionRequest>();
    r->reqType = type;
    r->name = name;
    r->id = id;
    return r;
}

// One request per name, or per id for rt_remove, as a chain.
inline std::unique_ptr<TCompetitionRequest> competitionChain(TCompetitionRequestType type, const QStringList& names,
                                                             const std::shared_ptr<TBatchContext>& context = nullptr)
{
    std::unique_ptr<TCompetitionRequest> head;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        auto r = type == rt_remove ? competitionRequest(type, {}, it->toInt()) : competitionRequest(type, *it);
        r->setBatchContext(context);
        r->nextBatch = std::move(head);
        head = std::move(r);
    }
    return head;
}

} // namespace tvp::test
