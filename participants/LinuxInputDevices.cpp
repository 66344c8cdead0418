#include "participants/LinuxInputDevices.h"

#include "core/connection/SlotGuard.h"

#include <QSocketNotifier>

#include <libevdev/libevdev.h>
#include <libudev.h>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tvp {

QString chooseLinkKey(const QStringList& devlinks, const QString& devnode)
{
    for (const QLatin1String folder : {QLatin1String("/dev/input/by-path/"), QLatin1String("/dev/input/by-id/")}) {
        QString best;
        for (const QString& link : devlinks) {
            if (!link.startsWith(folder))
                continue;
            if (best.isEmpty() || link.size() < best.size() || (link.size() == best.size() && link < best))
                best = link;
        }
        if (!best.isEmpty())
            return best;
    }
    return devnode;
}

QString groupOfNode(const QString& devnode)
{
    struct stat st {};
    if (::stat(devnode.toLocal8Bit().constData(), &st) == 0) {
        group grp{};
        group* found = nullptr;
        char buffer[1024];
        if (getgrgid_r(st.st_gid, &grp, buffer, sizeof buffer, &found) == 0 && found && found->gr_name &&
            st.st_gid != 0)
            return QString::fromLocal8Bit(found->gr_name);
    }
    return QStringLiteral("input");
}

namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* dev) const { udev_device_unref(dev); }
};

template <class T>
using UdevPtr = std::unique_ptr<T, UdevUnref>;

bool isEventNode(udev_device* dev)
{
    const char* sysname = udev_device_get_sysname(dev);
    return sysname && std::string_view(sysname).starts_with("event") && udev_device_get_devnode(dev);
}

// A socket notifier may be the sender of the signal being handled when its device is closed.
struct NotifierDelete {
    void operator()(QSocketNotifier* n) const
    {
        n->setEnabled(false);
        n->deleteLater();
    }
};

} // namespace

struct TLinuxInputDevices::Private {
    struct Opened {
        int fd = -1;
        libevdev* dev = nullptr;
        bool grabbed = false;
        std::unique_ptr<QSocketNotifier, NotifierDelete> notifier;
    };

    UdevPtr<udev> udevContext;
    UdevPtr<udev_monitor> monitor;
    std::unique_ptr<QSocketNotifier, NotifierDelete> monitorNotifier;
    IInputDeviceEvents* events = nullptr;
    std::map<QString, quint32> handleOfSyspath;
    std::map<quint32, QString> nodeOfHandle;
    std::map<quint32, Opened> opened;
    quint32 nextHandle = 1;
    TInputAccess accessState = TInputAccess::Available;
    QString group = QStringLiteral("input");

    void close(quint32 handle)
    {
        const auto it = opened.find(handle);
        if (it == opened.end())
            return;
        Opened& o = it->second;
        if (o.grabbed)
            libevdev_grab(o.dev, LIBEVDEV_UNGRAB);
        libevdev_free(o.dev);
        ::close(o.fd);
        opened.erase(it);
    }

    void open(quint32 handle, bool grab)
    {
        const auto node = nodeOfHandle.find(handle);
        if (node == nodeOfHandle.end())
            return;
        const int fd = ::open(node->second.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM) {
                accessState = TInputAccess::NoPermission;
                group = groupOfNode(node->second);
            }
            return;
        }
        libevdev* dev = nullptr;
        if (libevdev_new_from_fd(fd, &dev) < 0) {
            ::close(fd);
            return;
        }
        libevdev_set_clock_id(dev, CLOCK_MONOTONIC);
        Opened o;
        o.fd = fd;
        o.dev = dev;
        // A device another program holds is still read; its keys then reach that program too.
        o.grabbed = grab && libevdev_grab(dev, LIBEVDEV_GRAB) == 0;
        o.notifier.reset(new QSocketNotifier(fd, QSocketNotifier::Read));
        QObject::connect(o.notifier.get(), &QSocketNotifier::activated, o.notifier.get(),
                         [this, handle] { readable(handle); });
        opened.emplace(handle, std::move(o));
    }

    void readable(quint32 handle)
    {
        const auto it = opened.find(handle);
        if (it == opened.end())
            return;
        libevdev* dev = it->second.dev;
        std::vector<TRawKeyEvent> keys;
        bool gone = false;
        for (;;) {
            input_event ev{};
            int rc = libevdev_next_event(dev, LIBEVDEV_READ_FLAG_NORMAL, &ev);
            if (rc == LIBEVDEV_READ_STATUS_SYNC) {
                // Events were dropped; the state catch-up describes keys, it does not type them.
                while (rc == LIBEVDEV_READ_STATUS_SYNC)
                    rc = libevdev_next_event(dev, LIBEVDEV_READ_FLAG_SYNC, &ev);
                continue;
            }
            if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
                if (ev.type == EV_KEY)
                    keys.push_back({handle, quint16(ev.code), qint32(ev.value),
                                    qint64(ev.input_event_sec) * 1000 + qint64(ev.input_event_usec) / 1000});
                continue;
            }
            gone = rc != -EAGAIN;
            break;
        }
        if (gone)
            close(handle);
        // Delivery may change what is read, so nothing of this device is touched from here on.
        // A failing barcode handler is reported and costs no later key.
        for (const TRawKeyEvent& key : keys)
            if (events)
                guarded([&] { events->keyEvent(key); });
        if (gone && events)
            guarded([&] { events->devicesChanged(); });
    }

    void monitorReadable()
    {
        bool relevant = false;
        while (UdevPtr<udev_device> dev{udev_monitor_receive_device(monitor.get())})
            relevant = relevant || isEventNode(dev.get());
        if (relevant && events)
            guarded([&] { events->devicesChanged(); });
    }
};

TLinuxInputDevices::TLinuxInputDevices() : d(std::make_unique<Private>())
{
    d->udevContext.reset(udev_new());
    if (!d->udevContext) {
        d->accessState = TInputAccess::Unavailable;
        return;
    }
    // Without the monitor (no netlink in a sandbox) devices are still found on every refresh.
    d->monitor.reset(udev_monitor_new_from_netlink(d->udevContext.get(), "udev"));
    if (d->monitor && udev_monitor_filter_add_match_subsystem_devtype(d->monitor.get(), "input", nullptr) >= 0 &&
        udev_monitor_enable_receiving(d->monitor.get()) >= 0) {
        d->monitorNotifier.reset(new QSocketNotifier(udev_monitor_get_fd(d->monitor.get()), QSocketNotifier::Read));
        QObject::connect(d->monitorNotifier.get(), &QSocketNotifier::activated, d->monitorNotifier.get(),
                         [p = d.get()] { p->monitorReadable(); });
    } else {
        d->monitor.reset();
    }
}

TLinuxInputDevices::~TLinuxInputDevices()
{
    while (!d->opened.empty())
        d->close(d->opened.begin()->first);
}

void TLinuxInputDevices::setEvents(IInputDeviceEvents* events)
{
    d->events = events;
}

std::vector<TKeyboardDevice> TLinuxInputDevices::keyboards()
{
    std::vector<TKeyboardDevice> result;
    if (!d->udevContext)
        return result;
    UdevPtr<udev_enumerate> enumerate{udev_enumerate_new(d->udevContext.get())};
    if (!enumerate)
        return result;
    udev_enumerate_add_match_subsystem(enumerate.get(), "input");
    udev_enumerate_add_match_property(enumerate.get(), "ID_INPUT_KEYBOARD", "1");
    udev_enumerate_scan_devices(enumerate.get());
    d->nodeOfHandle.clear();
    bool unreadable = false;
    QString unreadableNode;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
    {
        const char* syspath = udev_list_entry_get_name(entry);
        UdevPtr<udev_device> dev{udev_device_new_from_syspath(d->udevContext.get(), syspath)};
        if (!dev || !isEventNode(dev.get()))
            continue;
        const QString node = QString::fromLocal8Bit(udev_device_get_devnode(dev.get()));
        QStringList links;
        udev_list_entry* link = nullptr;
        udev_list_entry_foreach(link, udev_device_get_devlinks_list_entry(dev.get()))
        {
            links.append(QString::fromLocal8Bit(udev_list_entry_get_name(link)));
        }
        TKeyboardDevice keyboard;
        // The syspath names the device instance: a device plugged in again gets a new one.
        auto [it, added] = d->handleOfSyspath.emplace(QString::fromLocal8Bit(syspath), d->nextHandle);
        if (added)
            ++d->nextHandle;
        keyboard.handle = it->second;
        keyboard.name = chooseLinkKey(links, node);
        if (udev_device* parent = udev_device_get_parent_with_subsystem_devtype(dev.get(), "input", nullptr))
            if (const char* name = udev_device_get_sysattr_value(parent, "name"))
                keyboard.description = QString::fromUtf8(name);
        d->nodeOfHandle[keyboard.handle] = node;
        if (::access(node.toLocal8Bit().constData(), R_OK) != 0 && !unreadable) {
            unreadable = true;
            unreadableNode = node;
        }
        result.push_back(std::move(keyboard));
    }
    if (unreadable) {
        d->accessState = TInputAccess::NoPermission;
        d->group = groupOfNode(unreadableNode);
    } else {
        d->accessState = TInputAccess::Available;
    }
    std::sort(result.begin(), result.end(),
              [](const TKeyboardDevice& a, const TKeyboardDevice& b) { return a.name < b.name; });
    return result;
}

void TLinuxInputDevices::setReading(const std::vector<TDeviceReading>& devices)
{
    std::vector<quint32> toClose;
    for (const auto& [handle, o] : d->opened) {
        const auto wanted = std::find_if(devices.begin(), devices.end(),
                                         [handle = handle](const TDeviceReading& r) { return r.handle == handle; });
        if (wanted == devices.end())
            toClose.push_back(handle);
    }
    for (quint32 handle : toClose)
        d->close(handle);
    for (const TDeviceReading& reading : devices) {
        const auto it = d->opened.find(reading.handle);
        if (it == d->opened.end()) {
            d->open(reading.handle, reading.grab);
        } else if (it->second.grabbed != reading.grab) {
            if (libevdev_grab(it->second.dev, reading.grab ? LIBEVDEV_GRAB : LIBEVDEV_UNGRAB) == 0)
                it->second.grabbed = reading.grab;
        }
    }
}

TInputAccess TLinuxInputDevices::access() const
{
    return d->accessState;
}

QString TLinuxInputDevices::accessGroup() const
{
    return d->group;
}

} // namespace tvp
