#pragma once
// The catalogue of every window the program creates at start-up, in creation order, with the
// component name that keys its stored position and the caption it is created with.

#include <vector>

namespace tvp {

enum class StartupPhase {
    BeforeReady, // created while the main window still says it is starting
    AfterReady,  // created after the main window took its real caption
    Late,        // created only once a competition is chosen
};

struct StartupWindow {
    const char* className;  // "TAthleteForm"
    const char* objectName; // "AthleteForm"
    const char* caption;    // "Athleten"
    StartupPhase phase;
    bool inPositionStore; // restored and stored by the window-position store
};

// Every window in creation order (the main window first).
const std::vector<StartupWindow>& startupWindows();

// The windows of the position store in the store's order: the main window, the competition
// chooser, then the others in creation order. The first two are the store's main windows.
const std::vector<const StartupWindow*>& positionStoreOrder();

} // namespace tvp
