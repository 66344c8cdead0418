// The HTTP road against a bare server on loopback that answers late, endlessly or with a web page,
// the TCP keep-alive that finds a dead peer while a long request waits for its answer, and requests
// and answers of megabytes going through whole.

#include "core/protocol/TVPWebServices2.h"
#include "tests/support/FreePort.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

using namespace tvp;
using namespace tvp::proto;

namespace {

// One connection at a time: reads a request, then lets the test answer on the socket.
class BareHttpServer {
public:
    using Responder = std::function<void(int socket)>;

    // readsRequest false: the responder has the socket as soon as it is accepted.
    explicit BareHttpServer(Responder responder, bool readsRequest = true)
        : responder_(std::move(responder)), readsRequest_(readsRequest)
    {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        listen(listener_, 8);
        socklen_t len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~BareHttpServer()
    {
        stop_ = true;
        thread_.join();
        close(listener_);
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/services/DataRetrievalService/").arg(port_); }
    int port() const { return port_; }

    // The body of the last request read.
    std::string lastBody() const
    {
        std::lock_guard lock(mutex_);
        return lastBody_;
    }

    static void send(int socket, const std::string& text)
    {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::send(socket, text.data() + done, text.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += std::size_t(n);
        }
    }

private:
    void serve()
    {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                continue;
            const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            if (readsRequest_)
                readRequest(client);
            responder_(client);
            close(client);
        }
    }

    void readRequest(int socket)
    {
        std::string text;
        char buf[4096];
        std::size_t headerEnd = std::string::npos;
        std::size_t length = 0;
        while (headerEnd == std::string::npos || text.size() < headerEnd + 4 + length) {
            const ssize_t n = recv(socket, buf, sizeof buf, 0);
            if (n <= 0)
                return;
            text.append(buf, std::size_t(n));
            if (headerEnd == std::string::npos && (headerEnd = text.find("\r\n\r\n")) != std::string::npos) {
                const std::size_t at = text.find("Content-Length: ");
                if (at != std::string::npos && at < headerEnd)
                    length = std::stoul(text.substr(at + 16));
            }
        }
        std::lock_guard lock(mutex_);
        lastBody_ = text.substr(headerEnd + 4);
    }

    Responder responder_;
    bool readsRequest_ = true;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::string lastBody_;
    std::thread thread_;
};

std::string soapAnswer(const std::string& op, const std::string& children = {})
{
    const std::string body = R"(<e:Envelope xmlns:e="http://schemas.xmlsoap.org/soap/envelope/"><e:Body><a:)" + op +
                             "Response xmlns:a=\"" + std::string(wire::kMainNs) + "\">" + children + "</a:" + op +
                             "Response></e:Body></e:Envelope>";
    return "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// The timer a socket of this process has running, from the kernel's table: 2 is keep-alive.
struct SocketTimer {
    int kind = -1;
    long ticksLeft = 0; // in 1/100 s
};

SocketTimer timerOfLocalPort(int port)
{
    const QString local = QStringLiteral(":%1").arg(port, 4, 16, QChar(u'0')).toUpper();
    // The kernel lists the table a page at a time, and an entry can slip past one reading while
    // other tests open and close connections: a missing one is looked up again.
    for (int attempt = 0; attempt < 20; ++attempt) {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (!table.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> lines = table.readAll().split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QStringList f = QString::fromLatin1(lines[i]).simplified().split(u' ');
            // Only the open connection: an earlier one on the same port may linger in TIME_WAIT.
            if (f.size() > 5 && f[1].endsWith(local) && f[3] == QLatin1String("01")) {
                const QStringList timer = f[5].split(u':');
                return {timer[0].toInt(nullptr, 16), timer[1].toLong(nullptr, 16)};
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

int peerPort(int socket)
{
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &len);
    return ntohs(peer.sin_port);
}

class Transport : public ::testing::Test {
protected:
    void TearDown() override
    {
        PortTypeBase::ownProxyTimeoutMs = wire::kGuiThreadCallLimitMs;
        TransportLimits::maxAnswerBytes = wire::kMaxAnswerBytes;
        TransportLimits::keepAliveIdleSeconds = wire::kKeepAliveIdleSeconds;
    }

    // The message of the failure, empty when the call went through.
    static QString failureOf(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const TvpError& e) {
            return e.message();
        }
        return {};
    }
};

} // namespace

TEST_F(Transport, AWaitingCallKeepsItsConnectionAliveToFindADeadPeer)
{
    TransportLimits::keepAliveIdleSeconds = 7;
    SocketTimer seen;
    BareHttpServer server([&](int socket) {
        // The request is read and acknowledged; the client now only waits, as for a long export.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        seen = timerOfLocalPort(peerPort(socket));
        BareHttpServer::send(socket, soapAnswer("getCompetitions"));
    });
    THTTPRIO rio; // a request worker's proxy: no overall limit
    GetDataRetrievalPortType(false, server.url(), &rio)->getCompetitions();
    EXPECT_EQ(seen.kind, 2) << "keep-alive timer of the waiting client";
    EXPECT_GT(seen.ticksLeft, 0);
    EXPECT_LE(seen.ticksLeft, 700) << "probes begin after the idle time set";
}

TEST_F(Transport, OnlyTheGuiThreadsOwnProxiesHaveAnOverallLimit)
{
    PortTypeBase::ownProxyTimeoutMs = 300;
    BareHttpServer server([](int socket) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        BareHttpServer::send(socket, soapAnswer("getCompetitions", "<item><ID>5</ID></item>"));
    });

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(failureOf([&] { GetDataRetrievalPortType(false, server.url(), nullptr)->getCompetitions(); }),
              QStringLiteral("Der Server hat nicht innerhalb von 0,3 Sekunden geantwortet."));
    EXPECT_LT(clock.elapsed(), 900);

    // A worker's own proxy (or the runner's) waits for a server that sends nothing until it is done.
    std::this_thread::sleep_for(std::chrono::milliseconds(800)); // the server is free again
    QString onWorker = QStringLiteral("not run");
    std::size_t count = 0;
    std::thread([&] {
        onWorker = failureOf(
            [&] { count = GetDataRetrievalPortType(false, server.url(), nullptr)->getCompetitions().size(); });
    }).join();
    EXPECT_EQ(onWorker, QString());
    EXPECT_EQ(count, 1u);
}

TEST_F(Transport, AnEndlessAnswerIsCutAtTheLimitWithAClearText)
{
    TransportLimits::maxAnswerBytes = 1024 * 1024;
    BareHttpServer endless([](int socket) {
        BareHttpServer::send(socket,
                             "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n<e:Envelope>");
        const std::string chunk(64 * 1024, 'x');
        for (int i = 0; i < 4096; ++i) // 256 MB unless the client hangs up first
            if (::send(socket, chunk.data(), chunk.size(), MSG_NOSIGNAL) <= 0)
                return;
    });
    QElapsedTimer clock;
    clock.start();
    THTTPRIO rio;
    EXPECT_EQ(failureOf([&] { GetDataRetrievalPortType(false, endless.url(), &rio)->getCompetitions(); }),
              QStringLiteral("Die Antwort des Servers ist größer als 1 MB und wurde nicht gelesen."));
    EXPECT_LT(clock.elapsed(), 3000);

    BareHttpServer announced([](int socket) {
        BareHttpServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 5000000\r\n\r\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    });
    EXPECT_EQ(failureOf([&] { GetDataRetrievalPortType(false, announced.url(), &rio)->getCompetitions(); }),
              QStringLiteral("Die Antwort des Servers ist größer als 1 MB und wurde nicht gelesen."));
}

TEST_F(Transport, AWebPageWithStatus200IsNoSoapMessage)
{
    BareHttpServer page([](int socket) {
        const std::string html = "<!DOCTYPE html><html><body><h1>It works!</h1><p>Apache<br></body></html>";
        BareHttpServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                         std::to_string(html.size()) + "\r\nConnection: close\r\n\r\n" + html);
    });
    THTTPRIO rio;
    EXPECT_EQ(failureOf([&] { GetDataRetrievalPortType(false, page.url(), &rio)->getCompetitions(); }),
              QStringLiteral("Die Antwort des Servers ist keine SOAP-Nachricht (Inhaltstyp text/html)."));
}

// Files of megabytes travel as Base64 both ways: the request goes out whole and exactly as written
// (its buffer is freed by the transport once sent), the answer is decoded byte for byte.
TEST_F(Transport, BinaryFieldsOfMegabytesGoOutAndComeBackByteForByte)
{
    std::mt19937 random(7);
    QByteArray large(3 * 1024 * 1024 + 1, Qt::Uninitialized);
    for (char& c : large)
        c = char(random());
    const QByteArray merged = large.right(2 * 1024 * 1024 + 2);
    BareHttpServer server([&](int socket) {
        BareHttpServer::send(
            socket, soapAnswer("mergePDF", "<pdfDocBase64>" + merged.toBase64().toStdString() + "</pdfDocBase64>"));
    });
    THTTPRIO rio;
    const pagesBase64Types entries{QByteArray("a"), large, QByteArray()};
    const mergePDFResponse answer = GetToolingPortType(false, server.url(), &rio)->mergePDF(entries);

    EXPECT_TRUE(answer.pdfDocBase64.isValid());
    EXPECT_TRUE(answer.pdfDocBase64.bytes() == merged);
    const std::string body = server.lastBody();
    EXPECT_TRUE(body.ends_with("<pagesBase64>YQ==</pagesBase64><pagesBase64>" + large.toBase64().toStdString() +
                               "</pagesBase64><pagesBase64/></tvp:mergePDF></soapenv:Body></soapenv:Envelope>"))
        << body.size();
}

// Every way a connection fails that a user meets is said in German with the address it went to;
// libcurl's English is for the log only.
TEST_F(Transport, FailedConnectionsAreSaidInGermanWithTheirAddress)
{
    const QString failed = QStringLiteral("Verbindung zum Server fehlgeschlagen: ");
    const auto failure = [](const QString& url) {
        THTTPRIO rio;
        return failureOf([&] { GetDataRetrievalPortType(false, url, &rio)->getCompetitions(); });
    };
    const QString path = QStringLiteral("/services/DataRetrievalService/");

    const int closed = test::freeLoopbackPort();
    EXPECT_EQ(failure(QStringLiteral("http://127.0.0.1:%1").arg(closed) + path),
              failed + QStringLiteral("Unter 127.0.0.1:%1 nimmt kein Server Verbindungen an (Verbindung abgewiesen).")
                           .arg(closed));
    // .invalid never resolves; the tests' network has loopback alone, so no route leads to 192.0.2.1.
    EXPECT_EQ(
        failure(QStringLiteral("http://server.invalid:8080") + path),
        failed + QStringLiteral("Der Rechnername \"server.invalid\" ist nicht bekannt (Adresse server.invalid:8080)."));
    EXPECT_EQ(failure(QStringLiteral("http://192.0.2.1:8080") + path),
              failed + QStringLiteral("192.0.2.1:8080 ist über das Netzwerk nicht erreichbar (kein Weg zum Rechner)."));

    // The request arrives and the server hangs up: with a reset, or closing without an answer.
    BareHttpServer reset([](int socket) {
        const linger hardClose{1, 0};
        setsockopt(socket, SOL_SOCKET, SO_LINGER, &hardClose, sizeof hardClose);
    });
    EXPECT_EQ(
        failure(reset.url()),
        failed +
            QStringLiteral("Die Verbindung zu 127.0.0.1:%1 wurde von der Gegenseite abgebrochen.").arg(reset.port()));
    BareHttpServer silent([](int) {});
    EXPECT_EQ(failure(silent.url()),
              failed + QStringLiteral("127.0.0.1:%1 hat die Verbindung ohne Antwort geschlossen.").arg(silent.port()));

    // Encryption asked of a server that speaks plain HTTP.
    BareHttpServer plain([](int socket) { BareHttpServer::send(socket, "HTTP/1.1 400 Bad Request\r\n\r\n"); }, false);
    EXPECT_EQ(failure(QStringLiteral("https://127.0.0.1:%1").arg(plain.port()) + path),
              failed +
                  QStringLiteral("Die verschlüsselte Verbindung (TLS) zu 127.0.0.1:%1 konnte nicht aufgebaut werden.")
                      .arg(plain.port()));
}

// A character XML 1.0 does not allow never reaches the wire, not even as a reference: a
// conforming server would refuse the whole request for it. The field goes without it.
TEST_F(Transport, ControlCharactersOfATextNeverGoOut)
{
    BareHttpServer server([](int socket) { BareHttpServer::send(socket, soapAnswer("setUiInfo")); });
    THTTPRIO rio;
    EXPECT_EQ(failureOf([&] {
                  GetCompetitionManagementPortType(false, server.url(), &rio)
                      ->setUiInfo(QStringLiteral("Bemerkung"), QStringLiteral("Anna\x01 aus\tder\x1b Tabelle"), 7);
              }),
              QString());
    const std::string body = server.lastBody();
    EXPECT_NE(body.find("<Value>Anna aus\tder Tabelle</Value>"), std::string::npos) << body;
    EXPECT_EQ(body.find("&#"), std::string::npos) << body;
    for (const char c : body)
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') << int(c);
}
