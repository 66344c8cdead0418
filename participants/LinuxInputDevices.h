#pragma once
// The keyboards of a Linux computer: enumerated with libudev, read with libevdev, grabbed
// (EVIOCGRAB) while linked so their keys reach no other program, and followed through the udev
// monitor as they are plugged in and out. Runs on the thread that owns it (the GUI thread).

#include "participants/InputDevices.h"

#include <QStringList>

#include <map>
#include <memory>

namespace tvp {

// The link key of a device: its /dev/input/by-path/ link (one per port, as scanners are linked
// per port), else its by-id link, else the device node. The shortest of several links wins, so
// the choice stays the same when udev adds further spellings.
QString chooseLinkKey(const QStringList& devlinks, const QString& devnode);

// The group owning a device node; "input" when that cannot be told.
QString groupOfNode(const QString& devnode);

class TLinuxInputDevices : public IInputDeviceLayer {
public:
    TLinuxInputDevices();
    ~TLinuxInputDevices() override;
    TLinuxInputDevices(const TLinuxInputDevices&) = delete;
    TLinuxInputDevices& operator=(const TLinuxInputDevices&) = delete;

    void setEvents(IInputDeviceEvents* events) override;
    std::vector<TKeyboardDevice> keyboards() override;
    void setReading(const std::vector<TDeviceReading>& devices) override;
    TInputAccess access() const override;
    QString accessGroup() const override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tvp
