#pragma once
// Types of the program-information service.

#include "core/protocol/Record.h"

namespace tvp::proto {

TVP_ENUM(CompatibilityInformation, UNKNOWN, FULL, FEATURE_RESTRICTED, NO_COMPATIBILITY)

struct GenericTvpVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int buildNumber = 0;
    TVP_FIELDS(GenericTvpVersion, TVP_F(majorVersion), TVP_F(minorVersion), TVP_F(buildNumber))
};

struct getBackendVersionResponse1 {
    Owned<GenericTvpVersion> version;
    TVP_FIELDS(getBackendVersionResponse1, TVP_F(version))
};

} // namespace tvp::proto
