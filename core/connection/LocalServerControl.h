#pragma once
// Starting and stopping the competition server on this computer through the scripts that lie in
// <program folder>/server. The start script tells whether its own server came up; the chooser's
// connection test follows.

#include <QString>

#include <functional>

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

struct TServerStart {
    bool ran = false;       // false: the script is missing or could not be run
    bool succeeded = false; // the script said the server runs
    QString said;           // what the script wrote, in German, for the user when it failed
};

// Run server/start.sh or server/stop.sh with server/ as working folder. Start: waits for the
// script, which returns once the server answers or says why it does not, running whileWaiting
// meanwhile; a script that hangs beyond 30 s counts as failed. Stop: waits for the script's end;
// false when it is missing, fails or does not end within 30 s, since the server may then still run.
TServerStart StartLocalServer(const std::function<void()>& whileWaiting = {});
bool StopLocalServer();

} // namespace tvp
