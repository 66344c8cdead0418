#include "core/connection/USock.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QStringList>
#include <QSysInfo>

namespace tvp {

namespace {

QString dotted(std::uint32_t v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v >> 24).arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

} // namespace

std::vector<tNetworkInterface> GetNetworkInterfaces()
{
    std::vector<tNetworkInterface> result;
    const QString computerName = QSysInfo::machineHostName().left(15);
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            const std::uint32_t ip = entry.ip().toIPv4Address();
            const std::uint32_t mask = entry.netmask().toIPv4Address();
            tNetworkInterface r;
            r.ComputerName = computerName;
            r.AddrIP = dotted(ip);
            r.SubnetMask = dotted(mask);
            r.AddrNet = dotted(ip & mask);
            r.AddrLimitedBroadcast = entry.broadcast().isNull() ? QString() : entry.broadcast().toString();
            r.AddrDirectedBroadcast = dotted((ip & mask) | ~mask);
            r.IsInterfaceUp = flags.testFlag(QNetworkInterface::IsUp);
            r.BroadcastSupport = flags.testFlag(QNetworkInterface::CanBroadcast);
            r.IsLoopback = flags.testFlag(QNetworkInterface::IsLoopBack);
            result.push_back(std::move(r));
        }
    }
    return result;
}

std::uint32_t getV4AddressFromString(const QString& text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return 0;
    std::uint32_t value = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return 0;
        std::uint32_t n = 0;
        for (QChar c : part) {
            if (c < u'0' || c > u'9')
                return 0;
            n = n * 10 + std::uint32_t(c.unicode() - u'0');
        }
        if (n > 255)
            return 0;
        value = value << 8 | n;
    }
    return value;
}

QString calcBroadcastAddress(const QString& address, const QString& mask)
{
    const std::uint32_t a = getV4AddressFromString(address);
    const std::uint32_t m = getV4AddressFromString(mask);
    if (a == 0 || m == 0)
        return QStringLiteral("255.255.255.255");
    return dotted((a & m) | ~m);
}

} // namespace tvp
