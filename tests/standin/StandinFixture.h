#pragma once
// Runs the stand-in in-process on a free loopback port and talks to it like the client does.

#include "core/protocol/SoapHeader.h"
#include "standin/StandinServer.h"
#include "core/protocol/TVPWebServices2.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

namespace tvp::standin::test {

using namespace tvp;
using namespace tvp::proto;

inline std::filesystem::path freshDir()
{
    std::random_device rd;
    auto dir =
        std::filesystem::temp_directory_path() / ("tvp-standin-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    return dir;
}

// One client session, with the request runner's header handling: the session id from the last
// answer goes out again, and the transaction id while one is open.
class Client {
public:
    explicit Client(int port) : base_("http://127.0.0.1:" + std::to_string(port) + "/TrivantaPentrel/services/")
    {
        rio.OnBeforeExecute = [this](std::string_view, pugi::xml_document& request) {
            if (!sessionId.empty())
                setSessionToSoap(request, sessionId, !transactionId.empty(), transactionId);
        };
        rio.OnAfterExecute = [this](std::string_view, const pugi::xml_document& answer) {
            const std::string s = getSessionfromSoap(answer, transactionId);
            if (!s.empty())
                sessionId = s;
        };
    }

    Client(const Client&) = delete; // the header handlers point at this object
    Client& operator=(const Client&) = delete;

    std::string url(const char* service) const { return base_ + service + "/"; }

    std::unique_ptr<CompetitionManagementPortType> cms()
    {
        return GetCompetitionManagementPortType(false, QString::fromStdString(url("CompetitionManagementService")),
                                                &rio);
    }
    std::unique_ptr<DataRetrievalPortType> drs()
    {
        return GetDataRetrievalPortType(false, QString::fromStdString(url("DataRetrievalService")), &rio);
    }

    void begin(bool readonly) { cms()->beginTransaction(readonly); }
    void commit()
    {
        cms()->commitTransaction();
        transactionId.clear();
    }
    void rollback()
    {
        cms()->rollbackTransaction();
        transactionId.clear();
    }

    int create(const QString& name)
    {
        CompetitionInfoType info;
        info.Name = name;
        return cms()->createCompetition(info).Competition->ID;
    }
    QStringList competitionNames()
    {
        QStringList names;
        for (const CompetitionType& c : drs()->getCompetitions())
            names << c.Name;
        return names;
    }

    THTTPRIO rio;
    std::string sessionId;
    std::string transactionId;

private:
    std::string base_;
};

class StandinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = freshDir();
        options.port = 0;
        options.dataFile = (dir_ / "standin.db").string();
    }
    void TearDown() override
    {
        server.reset();
        std::filesystem::remove_all(dir_);
    }

    void start() { server = std::make_unique<StandinServer>(options); }
    Client client() { return Client(server->port()); }
    std::unique_ptr<Client> newClient() { return std::make_unique<Client>(server->port()); }

    // Posts raw text, as a broken client might.
    HttpAnswer post(const char* service, const std::string& body)
    {
        return curlSoapTransport()->post(newClient()->url(service), "", body);
    }

    StandinOptions options;
    std::unique_ptr<StandinServer> server;

private:
    std::filesystem::path dir_;
};

// Runs f and returns the server's error id, or -1000 when nothing failed.
template <class F>
int errorIdOf(F&& f, QStringList* parameters = nullptr)
{
    try {
        f();
    } catch (const ETvExceptionDetail& e) {
        if (parameters)
            *parameters = e.ExceptionParameters;
        return e.ExceptionID;
    }
    return -1000;
}

} // namespace tvp::standin::test
