#pragma once
// The server's endpoints: the ten SOAP services and the browser client's files.

#include "core/protocol/WireTable.h"

#include <QString>

#include <string_view>

namespace tvp::proto {

enum class TTVPWebServices { CMS, DRS, DAS, DSS, UIS, UIR, CRS, CSS, PIS, TOS, WEB_UI };

// What each endpoint adds behind the service root (behind the server root for WEB_UI).
inline QString serviceUrlSegment(TTVPWebServices service)
{
    switch (service) {
    case TTVPWebServices::CMS: return QStringLiteral("CompetitionManagementService/");
    case TTVPWebServices::DRS: return QStringLiteral("DataRetrievalService/");
    case TTVPWebServices::DAS: return QStringLiteral("DataAquisitionService/");
    case TTVPWebServices::DSS: return QStringLiteral("DisciplinSetupService/");
    case TTVPWebServices::UIS: return QStringLiteral("UiStoreService/");
    case TTVPWebServices::UIR: return QStringLiteral("UiRetrievalService/");
    case TTVPWebServices::CRS: return QStringLiteral("CupRetrievalService/");
    case TTVPWebServices::CSS: return QStringLiteral("CupSetupService/");
    case TTVPWebServices::PIS: return QStringLiteral("ProgrammInfoWebService/");
    case TTVPWebServices::TOS: return QStringLiteral("ToolingService/");
    case TTVPWebServices::WEB_UI: return QStringLiteral("TVPWebClient/static/");
    }
    return {};
}

// The XML namespace of a service's types and operations.
constexpr std::string_view serviceNamespace(TTVPWebServices service)
{
    return service == TTVPWebServices::PIS ? wire::kProgramInfoNs : wire::kMainNs;
}

} // namespace tvp::proto
