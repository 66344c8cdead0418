#pragma once
// Shared by the benchmarks against a loopback stand-in: the stand-in, its competition, the rows a
// benchmark seeds, and a SOAP session like the request runner's. The windows' context and the wait
// for their requests are in bench/BenchWindows.h.
//
//   struct Competition : bench::TBenchStandin {
//       Competition() { auto seed = beginSeed(); jump = seed.discipline(id, ...); seed.commit(); }
//       int jump = 0;
//   };

#include "standin/StandinServer.h"
#include "tests/support/SoapSession.h"
#include "tests/support/StandinSeed.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace tvp::bench {

inline double elapsedMs(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// A stand-in on loopback with an empty data file of its own.
class TBenchServer {
public:
    TBenchServer()
    {
        options_.port = 0;
        options_.dataFile = (dir_.path() + QStringLiteral("/bench.db")).toStdString();
        server_ = std::make_unique<standin::StandinServer>(options_);
        address = QStringLiteral("127.0.0.1:%1").arg(server_->port());
    }

    // For rows written straight into the data file, in one transaction begun here; the benchmark
    // commits it.
    test::StandinSeed beginSeed() const
    {
        test::StandinSeed rows(dataFile());
        rows.begin();
        return rows;
    }

    const standin::StandinOptions& options() const { return options_; }
    const std::string& dataFile() const { return options_.dataFile; }
    int port() const { return server_->port(); }
    // The address of a service: "CompetitionManagementService", ...; empty: the services' folder.
    QString serviceUrl(const QString& service = {}) const
    {
        const QString base = QStringLiteral("http://%1/TrivantaPentrel/services/").arg(address);
        return service.isEmpty() ? base : base + service + QLatin1Char('/');
    }

    QString address; // "127.0.0.1:port"

private:
    QTemporaryDir dir_;
    standin::StandinOptions options_;
    std::unique_ptr<standin::StandinServer> server_;
};

// The stand-in holding the competition "Kreisfinale"; a benchmark adds its data through beginSeed.
class TBenchStandin : public TBenchServer {
public:
    TBenchStandin() { id = test::StandinSeed(dataFile()).competition(QStringLiteral("Kreisfinale")); }

    int id = 0;
};

// For each heat h from 1 a team "Team <h>" of the age class, and perHeat athletes "Vorname<p>
// Nachname<h>" (p from 0, bib h * 100 + p) of that team placed in heat h of the discipline;
// teamMade(h, team) follows each team, placed(h, p, athlete) each athlete.
template <class TeamMade, class Placed>
void seedTeamPerHeat(test::StandinSeed& seed, int competition, int ageClass, int discipline, int heats, int perHeat,
                     TeamMade teamMade, Placed placed)
{
    for (int h = 1; h <= heats; ++h) {
        const int team = seed.team(competition, QStringLiteral("Team %1").arg(h), ageClass);
        teamMade(h, team);
        for (int p = 0; p < perHeat; ++p) {
            const int athlete = seed.athlete(competition, QStringLiteral("Vorname%1").arg(p),
                                             QStringLiteral("Nachname%1").arg(h), team, 0, {h * 100 + p});
            seed.placeAthlete(discipline, athlete, h);
            placed(h, p, athlete);
        }
    }
}

// One SOAP session with its transaction header, as the request runner keeps it.
struct TBenchSession : test::SoapSession {
    TBenchSession() { rio.omitEmptyNodes = true; }
};

} // namespace tvp::bench
