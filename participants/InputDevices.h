#pragma once
// The keyboards of this computer behind an interface, and the scanner input built on it: the
// links from the settings, which devices are read and which are grabbed, hot-plug, detect mode
// and whether input devices may be read at all. The Linux layer (LinuxInputDevices.h) reads
// real devices; tests feed recorded key events through a fake layer.

#include "participants/ScanAssembler.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace tvp {

enum class TInputAccess {
    Available,
    NoPermission, // the devices exist but this user may not read them
    Unavailable,  // no device layer on this system
};

struct TDeviceReading {
    quint32 handle = 0;
    bool grab = false; // its keys reach no other program
};

class IInputDeviceEvents {
public:
    virtual ~IInputDeviceEvents() = default;
    virtual void keyEvent(const TRawKeyEvent& event) = 0;
    // A keyboard was plugged in or removed, or a device being read went away.
    virtual void devicesChanged() = 0;
};

class IInputDeviceLayer {
public:
    virtual ~IInputDeviceLayer() = default;
    virtual void setEvents(IInputDeviceEvents* events) = 0;
    // The keyboards present now (enumerated anew).
    virtual std::vector<TKeyboardDevice> keyboards() = 0;
    // From now on exactly these devices are read; devices no longer named are released. May be
    // called while a key event is being delivered.
    virtual void setReading(const std::vector<TDeviceReading>& devices) = 0;
    // As far as the last enumeration and opening showed.
    virtual TInputAccess access() const = 0;
    // The group whose members may read input devices.
    virtual QString accessGroup() const = 0;
};

// The scanners of the program: linked devices are read and grabbed, so their keys go to the
// barcode dispatcher only; in detect mode every keyboard is read without grab. GUI thread only.
class TScannerInput : private IInputDeviceEvents {
public:
    // Without a layer scanners are unavailable, and everything else works as usual.
    explicit TScannerInput(std::unique_ptr<IInputDeviceLayer> layer, TScanAssembler::TCodeSink sink = {});
    ~TScannerInput() override;
    TScannerInput(const TScannerInput&) = delete;
    TScannerInput& operator=(const TScannerInput&) = delete;

    // Loads the links from the settings and starts reading the linked scanners.
    void start();
    // Re-reads the keyboards, re-resolves the links and what is read and grabbed.
    void refresh();

    const std::vector<TKeyboardDevice>& keyboards() const { return keyboards_; }
    const std::vector<TScanner>& registeredScanners() const { return assembler_.registeredScanners(); }
    const std::vector<TDetectedInput>& detectedInput() const { return assembler_.detectedInput(); }
    TScanAssembler& assembler() { return assembler_; }

    // Both refresh; false when nothing changed.
    bool addActiveScanner(const QString& name);
    bool removeActiveScanner(const QString& name);

    void setDetectMode(bool on);
    bool detectMode() const { return assembler_.detectMode(); }

    TInputAccess access() const;
    // One line for the settings window; empty when input devices can be read.
    QString accessText() const;

    // After each refresh (also on hot-plug).
    std::function<void()> onListChanged;
    // When new input was detected.
    std::function<void()> onDetected;
    // When Esc ended detect mode.
    std::function<void()> onDetectEnded;

private:
    void keyEvent(const TRawKeyEvent& event) override;
    void devicesChanged() override;
    void updateReading();

    std::unique_ptr<IInputDeviceLayer> layer_;
    TScanAssembler assembler_;
    std::vector<TKeyboardDevice> keyboards_;
};

// The text for a user who may not read input devices.
QString noPermissionText(const QString& group);

} // namespace tvp
