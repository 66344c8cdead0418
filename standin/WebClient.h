#pragma once
// The browser client's static files under /TVPWebClient/static/ (GET only).

struct mg_context;

namespace tvp::standin {

void registerWebClient(mg_context* http);

} // namespace tvp::standin
