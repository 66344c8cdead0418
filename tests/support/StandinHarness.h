#pragma once
// The stand-in server in-process on a free loopback port with a data file in a temporary folder,
// and clients that talk to it over HTTP like the request runner does:
//
//   StandinHarness standin;            // options may be changed before start()
//   standin.start();
//   StandinClient c = standin.client();
//   c.begin(false); c.create(QStringLiteral("Sportfest")); c.commit();
//   c.cms()->setUiInfo(...);           // any port type, through the client's session

#include "core/protocol/TVPWebServices2.h"
#include "standin/StandinServer.h"
#include "tests/support/SoapSession.h"
#include "tests/support/TestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tvp::test {

// A client of the stand-in's services on one session (see SoapSession).
class StandinClient : public SoapSession {
public:
    explicit StandinClient(int port) : base_("http://127.0.0.1:" + std::to_string(port) + "/TrivantaPentrel/services/")
    {
    }

    // The address of a service, as the client forms it ("DataRetrievalService").
    std::string url(const char* service) const { return base_ + service + "/"; }

    std::unique_ptr<proto::CompetitionManagementPortType> cms()
    {
        return proto::GetCompetitionManagementPortType(false, address("CompetitionManagementService"), &rio);
    }
    std::unique_ptr<proto::DataRetrievalPortType> drs()
    {
        return proto::GetDataRetrievalPortType(false, address("DataRetrievalService"), &rio);
    }
    std::unique_ptr<proto::DataAquisitionPortType> das()
    {
        return proto::GetDataAquisitionPortType(false, address("DataAquisitionService"), &rio);
    }
    std::unique_ptr<proto::DisciplinSetupPortType> dss()
    {
        return proto::GetDisciplinSetupPortType(false, address("DisciplinSetupService"), &rio);
    }
    std::unique_ptr<proto::CupRetrievalPortType> crs()
    {
        return proto::GetCupRetrievalPortType(false, address("CupRetrievalService"), &rio);
    }
    std::unique_ptr<proto::CupSetupPortType> css()
    {
        return proto::GetCupSetupPortType(false, address("CupSetupService"), &rio);
    }
    std::unique_ptr<proto::UiStorePortType> uis()
    {
        return proto::GetUiStorePortType(false, address("UiStoreService"), &rio);
    }
    std::unique_ptr<proto::UiRetrievalPortType> uir()
    {
        return proto::GetUiRetrievalPortType(false, address("UiRetrievalService"), &rio);
    }
    std::unique_ptr<proto::ToolingPortType> tos()
    {
        return proto::GetToolingPortType(false, address("ToolingService"), &rio);
    }
    std::unique_ptr<proto::ProgrammInfoWebService> pis()
    {
        return proto::GetProgrammInfoWebService(false, address("ProgrammInfoWebService"));
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

    // Creates a competition and returns its id.
    int create(const QString& name)
    {
        proto::CompetitionInfoType info;
        info.Name = name;
        return cms()->createCompetition(info).Competition->ID;
    }
    QStringList competitionNames()
    {
        QStringList names;
        for (const proto::CompetitionType& c : drs()->getCompetitions())
            names << c.Name;
        return names;
    }

private:
    QString address(const char* service) const { return QString::fromStdString(url(service)); }

    std::string base_;
};

class StandinHarness {
public:
    StandinHarness()
    {
        EXPECT_TRUE(dir_.isValid());
        options.port = 0;
        options.dataFile = dataFile();
    }
    ~StandinHarness() { stop(); }
    StandinHarness(const StandinHarness&) = delete;
    StandinHarness& operator=(const StandinHarness&) = delete;

    // Starts with the current options; the data file stays across stop() and start().
    void start() { server_ = std::make_unique<standin::StandinServer>(options); }
    void stop() { server_.reset(); }
    bool running() const { return server_ != nullptr; }

    int port() const { return server_->port(); }
    // The running server, for a look at its sessions and transactions.
    standin::StandinServer& server() const { return *server_; }
    // The server address as a user would type it ("127.0.0.1:PORT").
    QString serverAddress() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }
    std::string dataFile() const { return dir_.filePath(QStringLiteral("standin.db")).toStdString(); }
    // A folder for the test's own files, removed with the harness.
    QString folder() const { return dir_.path(); }

    StandinClient client() const { return StandinClient(port()); }
    std::unique_ptr<StandinClient> newClient() const { return std::make_unique<StandinClient>(port()); }

    // Runs the event loop until this many requests wait at the write gate (or for their
    // transaction's connection): writers are put in a known order so, not by sleeping.
    bool waitingComesTo(int requests) const
    {
        return waitUntil([&] { return server_->transactions().waiting() == requests; }, 10000);
    }

    // Posts raw text to a service, as a broken client might.
    proto::HttpAnswer post(const char* service, const std::string& body) const
    {
        return proto::curlSoapTransport()->post(client().url(service), "", body);
    }

    standin::StandinOptions options;

private:
    QTemporaryDir dir_;
    std::unique_ptr<standin::StandinServer> server_;
};

// A test with a stand-in that each test starts itself, after setting its options.
class StandinTest : public ::testing::Test {
protected:
    StandinHarness standin;
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

} // namespace tvp::test
