#pragma once
// A stand-in for the maker's web service (update check, feature switches, online-help link),
// served as plain-text GET answers under /maker/ beside the competition services.

#include <set>
#include <string>

struct mg_context;

namespace tvp::standin {

struct MakerOptions {
    // Answer of /maker/update: "uptodate" or a download link.
    std::string updateAnswer = "uptodate";
    // Names answered "active" by /maker/feature/<name>.
    std::set<std::string> activeFeatures;
    // Answer of /maker/onlinehelp; empty gives 404.
    std::string helpLink;
    // Every maker answer waits this long first (slow-service tests).
    int delayMs = 0;
};

// The options must outlive the server.
void registerMakerService(mg_context* ctx, const MakerOptions& options);

} // namespace tvp::standin
