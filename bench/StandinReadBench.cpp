// The stand-in's athlete list over loopback, as the athlete window loads it: 5,000 athletes with
// teams and clubs must come back within 50 ms.

#include "bench/BenchStandin.h"
#include "core/protocol/SoapCodec.h"
#include "core/protocol/TVPWebServices2.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

constexpr int kAthletes = 5000;
constexpr int kTeamSize = 8;

// A stand-in with one competition of kAthletes athletes in teams of kTeamSize, spread over eight
// age classes, forty clubs and squads of four teams; every athlete has a bib and a club.
struct Competition : bench::TBenchStandin {
    Competition()
    {
        test::StandinSeed seed = beginSeed();
        std::vector<int> ageClasses, clubs;
        for (int i = 0; i < 8; ++i)
            ageClasses.push_back(seed.ageClass(id, QStringLiteral("U%1").arg(6 + i)));
        for (int i = 0; i < 40; ++i)
            clubs.push_back(seed.club(id, QStringLiteral("Verein %1").arg(i), QStringLiteral("Bemerkung")));
        std::vector<int> squadTeams;
        for (int i = 0; i < kAthletes; ++i) {
            if (i % kTeamSize == 0) {
                const int t = i / kTeamSize;
                team = seed.team(id, QStringLiteral("Team %1").arg(t), ageClasses[t % 8], clubs[t % 40]);
                squadTeams.push_back(team);
                if (squadTeams.size() == 4) {
                    seed.squad(id, t / 4 + 1, QStringLiteral("Riege %1").arg(t / 4 + 1), ageClasses[t % 8], squadTeams);
                    squadTeams.clear();
                }
            }
            const int athlete = seed.athlete(id, QStringLiteral("Vorname%1").arg(i),
                                             QStringLiteral("Nachname%1").arg(i), team, clubs[i % 40], {i + 1});
            seed.setPerson(athlete, i % 2 ? proto::GenderType::FEMALE : proto::GenderType::MALE, 2014 + i % 6);
        }
        seed.commit();
        url = serviceUrl(QStringLiteral("DataRetrievalService"));
    }

    int team = 0; // the last one
    QString url;
};

Competition& competition()
{
    static Competition c;
    return c;
}

// The request for all athletes of the competition.
std::string allAthletesRequest(const Competition& c)
{
    using Op = proto::op::getAthletes;
    pugi::xml_document request;
    pugi::xml_node element = proto::codec::makeEnvelope(request, proto::serviceNamespace(Op::service), Op::name);
    Op args;
    args.CompetitionID = c.id;
    proto::codec::encodeFields(element, args, {});
    return proto::codec::serialize(request);
}

void BM_GetAthletes5000OnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    std::size_t count = 0;
    for (auto _ : state) {
        auto drs = proto::GetDataRetrievalPortType(false, c.url, &rio);
        count = drs->getAthletes(c.id, 0, 0, 0, nullptr, nullptr, 0).size();
    }
    if (count != kAthletes)
        state.SkipWithError("not every athlete came back");
}
BENCHMARK(BM_GetAthletes5000OnLoopback)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The same request over loopback until the answer is fully received, without the client's
// decoding: what the stand-in and HTTP take.
void BM_GetAthletes5000AnswerReceivedOnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    const std::string text = allAthletesRequest(c);
    const std::string url = c.url.toStdString();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const proto::HttpAnswer answer = proto::curlSoapTransport()->post(url, "", text);
        if (answer.status != 200) {
            state.SkipWithError(answer.body.c_str());
            break;
        }
        bytes = answer.body.size();
    }
    state.counters["answer_bytes"] = double(bytes);
}
BENCHMARK(BM_GetAthletes5000AnswerReceivedOnLoopback)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The stand-in's own share of that call, without HTTP and the client: read, encode, write out.
void BM_GetAthletes5000AnswerWrittenByTheStandin(benchmark::State& state)
{
    Competition& c = competition();
    standin::ConnectionPool pool(c.dataFile());
    standin::Transactions transactions(pool, c.options());
    const standin::Dispatcher dispatcher(c.options(), pool, transactions);
    const std::string text = allAthletesRequest(c);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const standin::SoapAnswer answer = dispatcher.handle(proto::op::getAthletes::service, text);
        if (answer.status != 200) {
            state.SkipWithError(answer.body.c_str());
            break;
        }
        bytes = answer.body.size();
    }
    state.counters["answer_bytes"] = double(bytes);
}
BENCHMARK(BM_GetAthletes5000AnswerWrittenByTheStandin)->Unit(benchmark::kMillisecond);

// The stand-in's own answer of 5,000 athletes, as the client receives it.
const std::string& standinAnswer()
{
    static const std::string text = [] {
        Competition& c = competition();
        standin::ConnectionPool pool(c.dataFile());
        standin::Transactions transactions(pool, c.options());
        const standin::Dispatcher dispatcher(c.options(), pool, transactions);
        return dispatcher.handle(proto::op::getAthletes::service, allAthletesRequest(c)).body;
    }();
    return text;
}

// The client's decoding of that answer is measured against pugixml's bare parse of the same text.
void BM_BareParseOfTheStandinAnswer(benchmark::State& state)
{
    const std::string& text = standinAnswer();
    for (auto _ : state) {
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer(text.data(), text.size()));
    }
    state.counters["answer_bytes"] = double(text.size());
}
BENCHMARK(BM_BareParseOfTheStandinAnswer)->Unit(benchmark::kMillisecond);

// As the proxies do it: parsed in place from the receiving buffer (filled outside the timing),
// checked, decoded into records, and all of it freed again.
void BM_LoadAndDecodeOfTheStandinAnswer(benchmark::State& state)
{
    const std::string& text = standinAnswer();
    std::string received;
    std::size_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        received = text;
        state.ResumeTiming();
        pugi::xml_document doc;
        const pugi::xml_node body = proto::codec::loadAnswerInPlace(doc, received, 200);
        proto::codec::checkAnswer(body, 200, proto::op::getAthletes::name);
        count = proto::codec::decodeResult<proto::getAthletesResponse1>(body).size();
    }
    if (count != kAthletes)
        state.SkipWithError("not every athlete was decoded");
}
BENCHMARK(BM_LoadAndDecodeOfTheStandinAnswer)->Unit(benchmark::kMillisecond);

// The timing import asks for one team's athletes per line.
void BM_GetAthletesOfOneTeamOnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    for (auto _ : state) {
        auto drs = proto::GetDataRetrievalPortType(false, c.url, &rio);
        benchmark::DoNotOptimize(drs->getAthletes(c.id, 0, c.team, 0, nullptr, nullptr, 0));
    }
}
BENCHMARK(BM_GetAthletesOfOneTeamOnLoopback)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
