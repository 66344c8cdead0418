#pragma once
// Chooser options for tests: the local entry is a stand-in on loopback and no server beyond this
// machine is looked for.

#include "core/ui/ChooseCompetitionDialog.h"

namespace tvp::test {

inline TChooserOptions loopbackChooser(const QString& localServer)
{
    TChooserOptions options;
    options.localServer = localServer;
    options.discovery.interfaces = [] { return std::vector<tNetworkInterface>{}; };
    options.discovery.listenPort = 0;
    return options;
}

} // namespace tvp::test
