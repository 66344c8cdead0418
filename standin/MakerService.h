#pragma once
// A stand-in for the maker's web service (update check, feature switches, online-help link, the
// LADV locators), served as plain-text GET answers under /maker/ beside the competition services,
// and the optional LADV fake under /ladv/.

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
    // A small LADV on this server for tests and trying the online import: when set, the locators
    // name /ladv/competitions (this folder's competitions.xml) and /ladv/participants/<id> (its
    // participants-<id>.xml), both behind HTTP basic authentication with this login.
    std::string ladvFolder;
    std::string ladvUser = "demo";
    std::string ladvPassword = "demo";
};

// The options must outlive the server.
void registerMakerService(mg_context* ctx, const MakerOptions& options);

} // namespace tvp::standin
