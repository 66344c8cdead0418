#pragma once
// Starting and stopping the competition server on this computer through the scripts that lie in
// <program folder>/server. Whether the server really came up is seen by the chooser's connection
// test after the wait below.

#include <QString>

namespace tvp {

inline const QString kStartServerWaitText = QStringLiteral("Lokalen Server starten");
inline const QString kStartServerCaption = QStringLiteral("Server starten");
inline const QString kStartServerFailedText = QStringLiteral(
    "Server konnte nicht gestartet werden. Stellen Sie sicher, dass das Programm vollständig entpackt wurde.");
inline const QString kStopServerCaption = QStringLiteral("Server stoppen");
inline const QString kStopServerFailedText = QStringLiteral(
    "Server konnte nicht gestoppt werden. Stellen Sie sicher, dass das Programm vollständig entpackt wurde.");
inline constexpr int kServerControlErrorId = -1;

// How long the chooser waits after a start before it connects: 14000 ms unless a test shortened it.
int localServerStartWaitMs();
void setLocalServerStartWaitMsForTests(int ms); // below 0 restores the default

// Run server/start.sh or server/stop.sh with server/ as working folder. Start: detached, false when
// the script is missing or cannot be run. Stop: waits for the script's end; false as well when it
// fails or does not end within 30 s, since the server may then still run.
bool StartLocalServer();
bool StopLocalServer();

} // namespace tvp
