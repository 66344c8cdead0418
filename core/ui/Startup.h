#pragma once
// The program's start-up: one instance check, every window of the catalogue created once and
// hidden, positions restored, terms consent, the competition choice, then the main window.
//
//   TProgram program;                                   // registers the core's windows
//   registerParticipantWindows(program.registry());     // each area its own
//   if (program.start())
//       return program.exec();

#include "core/ui/WindowRegistry.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace tvp {

class TInstanceRegistry;
class TMainForm;
class TWindowContext;

// The core's own windows and the small stand-in for the setup wizard.
void registerCoreWindows(TWindowRegistry& registry);

class TProgram {
public:
    // Works on the program's context; its registry starts with the core's windows only.
    TProgram();
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TWindowRegistry& registry();
    TWindowContext& context();

    // Runs the start-up up to the shown main window. False when the program is to end now
    // (another instance and the user said "Nein", terms refused, no competition chosen).
    bool start();
    // The message loop, until the main window has closed.
    int exec();

    TMainForm* mainForm() const { return mainForm_; }
    // Every window in creation order.
    std::vector<QWidget*> windows() const;

private:
    void create(TWindowId id);
    void wire();

    TWindowContext& context_;
    std::unique_ptr<TInstanceRegistry> instances_;
    TMainForm* mainForm_ = nullptr;
    std::unique_ptr<QObject> keyHook_;
};

} // namespace tvp
