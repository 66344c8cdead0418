#include "core/connection/ServerDiscovery.h"

#include "core/util/Logger.h"
#include "core/util/UncaughtErrors.h"

#include <QNetworkDatagram>

#include <exception>

namespace tvp {

namespace {

template <class F>
void guarded(const char* where, F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        reportUncaught(QStringLiteral("%1: %2").arg(QLatin1String(where), QString::fromUtf8(e.what())));
    } catch (...) {
        reportUncaught(QStringLiteral("%1: unbekannter Fehler").arg(QLatin1String(where)));
    }
}

} // namespace

std::optional<QString> parseServerHello(const QByteArray& datagram, const QHostAddress& sender)
{
    const qsizetype end = datagram.indexOf('\0');
    const QString text = QString::fromLatin1(end < 0 ? datagram : datagram.left(end));
    const QString prefix = QLatin1String(kHelloPrefix);
    if (!text.startsWith(prefix))
        return std::nullopt;
    const QStringList parts = text.mid(prefix.size()).split(u'#');
    if (parts.size() != 2)
        return std::nullopt;
    const QString scheme = parts[0].toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    const QString& portText = parts[1];
    if (portText.isEmpty() || portText.size() > 5)
        return std::nullopt;
    for (QChar c : portText)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const int port = portText.toInt();
    bool isV4 = false;
    const quint32 ip = sender.toIPv4Address(&isV4);
    if (port < 1 || port > 65535 || !isV4)
        return std::nullopt;
    return scheme + QStringLiteral("://") + QHostAddress(ip).toString() + u':' + QString::number(port);
}

TServerDiscovery::TServerDiscovery(QObject* parent) : TServerDiscovery(Config{}, parent)
{
}

TServerDiscovery::TServerDiscovery(Config config, QObject* parent) : QObject(parent), config_(std::move(config))
{
    timer_.setSingleShot(false);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded("TServerDiscovery.Timer", [this] { onTick(); }); });
    connect(&listener_, &QUdpSocket::readyRead, this,
            [this] { guarded("TServerDiscovery.UDPRead", [this] { onReadyRead(); }); });
}

TServerDiscovery::~TServerDiscovery()
{
    stop();
}

void TServerDiscovery::start()
{
    stop();
    // No shared binding: a second instance must fail here rather than steal the answers.
    if (!listener_.bind(config_.listenAddress, config_.listenPort, QAbstractSocket::DontShareAddress))
        TVP_LOGGER().log(TLogLevel::ll_warning,
                         QStringLiteral("Could not start UDP Listener. Maybe other instance already listening?"));
    active_ = true;
    firstTick_ = true;
    runPass();
    timer_.start(config_.firstTickMs);
}

void TServerDiscovery::stop()
{
    active_ = false;
    timer_.stop();
    listener_.close();
}

bool TServerDiscovery::isListening() const
{
    return listener_.state() == QAbstractSocket::BoundState;
}

quint16 TServerDiscovery::listenPort() const
{
    return listener_.localPort();
}

void TServerDiscovery::runPass()
{
    // Test runs switch the real interfaces off, so no test can broadcast on a real network;
    // tests that bring their own loopback list still send.
    using Provider = std::vector<tNetworkInterface> (*)();
    const Provider* provider = config_.interfaces.target<Provider>();
    const bool realInterfaces = provider && *provider == &GetNetworkInterfaces;
    if (realInterfaces && qEnvironmentVariable("TVP_DISCOVERY_INTERFACES") == QLatin1String("none"))
        return;
    const QByteArray text(kDiscoveryText);
    for (const tNetworkInterface& iface : config_.interfaces()) {
        const QHostAddress target(calcBroadcastAddress(iface.AddrIP, iface.SubnetMask));
        sender_.writeDatagram(text, target, config_.discoveryPort);
    }
}

void TServerDiscovery::onTick()
{
    runPass();
    const bool regular = !firstTick_;
    firstTick_ = false;
    timer_.setInterval(config_.tickMs);
    if (regular)
        emit longTick();
}

void TServerDiscovery::onReadyRead()
{
    while (listener_.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = listener_.receiveDatagram(kMaxDatagramBytes);
        if (!active_ || !timer_.isActive()) {
            TVP_LOGGER().log(TLogLevel::ll_debug, QStringLiteral("TChooseCompetitionForm.UDPServerUDPRead: "
                                                                 "Aborting, because already inactive..."));
            continue;
        }
        if (found_.size() >= kMaxFoundServers)
            continue;
        const std::optional<QString> address = parseServerHello(datagram.data(), datagram.senderAddress());
        if (address && !found_.contains(*address)) {
            found_.append(*address);
            emit serverFound(*address);
        }
    }
}

} // namespace tvp
