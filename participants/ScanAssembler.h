#pragma once
// Barcode scanners are keyboards. The assembler collects the keys of each linked scanner into a
// code of its own (Enter ends a code, a pause of more than 1500 ms starts a new one) and hands the
// complete code to the barcode dispatcher; keys of other keyboards pass untouched. It knows
// nothing of real devices: the device layer (InputDevices.h) delivers the key events.

#include <QChar>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <mutex>
#include <vector>

namespace tvp {

// A key of one device, with the key codes of the Linux input layer (linux/input-event-codes.h).
struct TRawKeyEvent {
    quint32 device = 0; // the device layer's handle; 0 for an unknown device
    quint16 code = 0;   // KEY_...
    qint32 value = 0;   // 0 released, 1 pressed, 2 auto-repeat
    qint64 timeMs = 0;  // monotonic clock
};

// A keyboard as the device layer sees it now.
struct TKeyboardDevice {
    quint32 handle = 0;  // stays the same while the device stays plugged in; never 0
    QString name;        // the stable link key stored in the settings (a /dev/input/by-path/ link)
    QString description; // the device's own name, for people
};

enum class TInputDeviceStatus { id_Connected, id_notconnected };
QString inputDeviceStatusText(TInputDeviceStatus status); // "Verbunden", "Nicht Verbunden"

// A linked scanner.
struct TScanner {
    quint32 handle = 0;   // 0 while the device is absent
    QString name;         // the link key
    QString buffer;       // the code collected so far
    qint64 timestamp = 0; // time of the last key
    TInputDeviceStatus status = TInputDeviceStatus::id_notconnected;
};

// What a key gives: digits and upper-case letters of the main block, nothing for every other key
// (Shift included), so a scanner that sends Shift+1 for '!' delivers '1'.
QChar keyToChar(quint16 code);

// One device's input seen in detect mode.
struct TDetectedInput {
    quint32 handle = 0;
    QString name;
    QString text; // the characters recognised so far
};

class TScanAssembler {
public:
    static constexpr qint64 kCodeGapMs = 1500;
    inline static const QString kSettingsSection = QStringLiteral("InputDevices");

    using TCodeSink = std::function<void(const QString& code)>;

    // Complete codes go to sink; without one, to the program's barcode dispatcher.
    explicit TScanAssembler(TCodeSink sink = {});

    // ---- links, stored as Device0, Device1, ... without gaps ----
    // Reads the links; reading stops at the first missing or empty key.
    void loadLinks();
    // False (and nothing written) when the name is already linked.
    bool addActiveScanner(const QString& name);
    // The last link takes the removed one's place, in the settings as in the list.
    bool removeActiveScanner(const QString& name);
    const std::vector<TScanner>& registeredScanners() const { return scanners_; }
    bool isLinked(const QString& name) const;
    // Resolves each link's handle and status against the keyboards present now.
    void resolveDevices(const std::vector<TKeyboardDevice>& keyboards);

    // ---- detect mode: every key is taken, and shown per device instead of dispatched ----
    void setDetectMode(bool on);
    bool detectMode() const { return detectMode_; }
    const std::vector<TDetectedInput>& detectedInput() const { return detected_; }
    // Called when Esc ends detect mode.
    std::function<void()> onDetectEnded;
    // Called when detected input changed.
    std::function<void()> onDetected;
    // Names the device of a handle not seen before in detect mode (re-reads the keyboards).
    std::function<QString(quint32 handle)> nameOfDevice;

    // True when the key was taken: every key of a linked scanner, every key in detect mode.
    bool OnRawKeyMessage(const TRawKeyEvent& event);

private:
    int indexOfHandle(quint32 handle) const;
    int indexOfName(const QString& name) const;
    void detectKey(const TRawKeyEvent& event);
    void doNotifyCode(const QString& code);

    TCodeSink sink_;
    // Guards the scanner records, as every key and every link change goes through here.
    mutable std::recursive_mutex BarcodeInputCS;
    std::vector<TScanner> scanners_;
    bool detectMode_ = false;
    std::vector<TDetectedInput> detected_;
};

} // namespace tvp
