#pragma once
// Which server versions this client works with, and the verdict on a server's version.

#include "core/protocol/ProgrammInfoService.h"

#include <QString>

#include <functional>

namespace tvp {

proto::GenericTvpVersion createVersion(int major, int minor, int build);
// <0, 0, >0 like a compare: major, then minor, then build.
int compareVersion(const proto::GenericTvpVersion& a, const proto::GenericTvpVersion& b);
QString versionText(const proto::GenericTvpVersion& v);

inline const proto::GenericTvpVersion MAX_KNOWN_SERVER_VERSION{1, 0, 0};
inline const proto::GenericTvpVersion MIN_COMPATIBLE_SERVER_VERSION{0, 9, 6};
inline const proto::GenericTvpVersion MIN_FEATURE_RESTRICTED_SERVER_VERSION{0, 9, 0};

// This program's own version.
proto::GenericTvpVersion clientVersion();

struct CompatibilityVerdict {
    bool accepted = false;
    // Shown in the message window; empty when nothing is to be said.
    QString warning;
    QString error;
    // Shown in the competition list when the server is refused.
    QString listText;
};

// Decides on a server's version; asks the server (askServer) only for versions newer than we know.
// askServer throws when the question fails.
CompatibilityVerdict judgeServerVersion(const proto::GenericTvpVersion& server,
                                        const std::function<proto::CompatibilityInformation()>& askServer);

} // namespace tvp
