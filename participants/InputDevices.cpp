#include "participants/InputDevices.h"

namespace tvp {

QString noPermissionText(const QString& group)
{
    return QStringLiteral("Keine Berechtigung zum Lesen der Eingabegeräte: Bitte den Benutzer in die Gruppe \"%1\" "
                          "aufnehmen und neu anmelden.")
        .arg(group);
}

TScannerInput::TScannerInput(std::unique_ptr<IInputDeviceLayer> layer, TScanAssembler::TCodeSink sink)
    : layer_(std::move(layer)), assembler_(std::move(sink))
{
    if (layer_)
        layer_->setEvents(this);
    assembler_.nameOfDevice = [this](quint32 handle) {
        // A device seen for the first time: the list may be older than the device.
        if (layer_)
            keyboards_ = layer_->keyboards();
        for (const TKeyboardDevice& keyboard : keyboards_)
            if (keyboard.handle == handle)
                return keyboard.name;
        return QString();
    };
    assembler_.onDetected = [this] {
        if (onDetected)
            onDetected();
    };
    assembler_.onDetectEnded = [this] {
        updateReading();
        if (onDetectEnded)
            onDetectEnded();
    };
}

TScannerInput::~TScannerInput()
{
    if (layer_) {
        layer_->setReading({});
        layer_->setEvents(nullptr);
    }
}

void TScannerInput::start()
{
    assembler_.loadLinks();
    refresh();
}

void TScannerInput::refresh()
{
    keyboards_ = layer_ ? layer_->keyboards() : std::vector<TKeyboardDevice>{};
    assembler_.resolveDevices(keyboards_);
    updateReading();
    if (onListChanged)
        onListChanged();
}

bool TScannerInput::addActiveScanner(const QString& name)
{
    if (!assembler_.addActiveScanner(name))
        return false;
    refresh();
    return true;
}

bool TScannerInput::removeActiveScanner(const QString& name)
{
    if (!assembler_.removeActiveScanner(name))
        return false;
    refresh();
    return true;
}

void TScannerInput::setDetectMode(bool on)
{
    assembler_.setDetectMode(on);
    refresh();
}

TInputAccess TScannerInput::access() const
{
    return layer_ ? layer_->access() : TInputAccess::Unavailable;
}

QString TScannerInput::accessText() const
{
    switch (access()) {
    case TInputAccess::Available: return {};
    case TInputAccess::NoPermission: return noPermissionText(layer_->accessGroup());
    case TInputAccess::Unavailable: break;
    }
    return QStringLiteral("Eingabegeräte können auf diesem System nicht gelesen werden.");
}

void TScannerInput::keyEvent(const TRawKeyEvent& event)
{
    assembler_.OnRawKeyMessage(event);
}

void TScannerInput::devicesChanged()
{
    refresh();
}

void TScannerInput::updateReading()
{
    if (!layer_)
        return;
    std::vector<TDeviceReading> reading;
    for (const TScanner& scanner : assembler_.registeredScanners())
        if (scanner.handle != 0)
            reading.push_back({scanner.handle, true});
    // Detect mode listens to every keyboard, but takes none away from the desktop.
    if (assembler_.detectMode()) {
        for (const TKeyboardDevice& keyboard : keyboards_) {
            const bool linked = std::any_of(reading.begin(), reading.end(),
                                            [&](const TDeviceReading& r) { return r.handle == keyboard.handle; });
            if (!linked)
                reading.push_back({keyboard.handle, false});
        }
    }
    layer_->setReading(reading);
}

} // namespace tvp
