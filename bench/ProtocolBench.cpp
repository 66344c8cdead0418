// Speed of the protocol layer: decoding a large answer against pugixml's bare parse, and one small
// call through the runner, HTTP and the stand-in.

#include "core/protocol/SoapCodec.h"
#include "core/protocol/SoapWriter.h"
#include "core/protocol/TVPWebServices2.h"

#include <benchmark/benchmark.h>

using namespace tvp::proto;

namespace {

std::vector<AthleteType> makeAthletes(int count)
{
    std::vector<AthleteType> out(count);
    for (int i = 0; i < count; ++i) {
        AthleteType& a = out[i];
        a.Bib = {100 + i, 5000 + i};
        a.Name = AthleteNameType{QStringLiteral("Lena-Marie %1").arg(i), QStringLiteral("Müller-Lüdenscheidt")};
        a.Gender = i % 2 ? GenderType::FEMALE : GenderType::MALE;
        a.YearOfBirth = 2014 + i % 5;
        a.CustomBarcode = i;
        TeamType team;
        team.Name = QStringLiteral("LG Süd %1").arg(i / 8);
        team.TeamID = 10000 + i / 8;
        team.Barcode = 777 + i;
        team.NoOfAthletes = 8;
        a.Team = team;
        ClubShortType club;
        club.Name = QStringLiteral("TSV Kleinstadt %1").arg(i / 40);
        club.ClubId = 20000 + i / 40;
        a.Club = club;
        a.AthleteID = 30000 + i;
        a.Barcode = 40000 + i;
    }
    return out;
}

std::string encodeAnswer(const std::vector<AthleteType>& athletes)
{
    pugi::xml_document doc;
    pugi::xml_node response = codec::makeEnvelope(doc, wire::kMainNs, "getAthletesResponse");
    codec::encodeResult(response, athletes, {});
    return codec::serialize(doc);
}

const std::string& answerText()
{
    static const std::string text = encodeAnswer(makeAthletes(5000));
    return text;
}

void BM_EncodeGetAthletesAnswer(benchmark::State& state)
{
    const auto athletes = makeAthletes(5000);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeAnswer(athletes));
}
BENCHMARK(BM_EncodeGetAthletesAnswer)->Unit(benchmark::kMillisecond);

// The writer that requests and the stand-in's answers take: the records straight as text.
void BM_WriteGetAthletesAnswer(benchmark::State& state)
{
    const auto athletes = makeAthletes(5000);
    std::size_t written = 0;
    for (auto _ : state) {
        std::string out;
        codec::writeResult(out, athletes);
        written = out.size();
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
}
BENCHMARK(BM_WriteGetAthletesAnswer)->Unit(benchmark::kMillisecond);

// Character data alone: names, clubs and a few marks that must be escaped, about 1 MB.
void BM_EscapeText(benchmark::State& state)
{
    std::string text;
    while (text.size() < (1u << 20))
        text += "Lena-Marie M\xC3\xBCller-L\xC3\xBC" "denscheidt & Co <TSV Kleinstadt 1889 e.V.>\t";
    for (auto _ : state) {
        std::string out;
        out.reserve(text.size() + text.size() / 8);
        codec::appendEscaped(out, text);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_EscapeText)->Unit(benchmark::kMicrosecond);

void BM_BareParseGetAthletesAnswer(benchmark::State& state)
{
    const std::string& text = answerText();
    for (auto _ : state) {
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer(text.data(), text.size()));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_BareParseGetAthletesAnswer)->Unit(benchmark::kMillisecond);

void BM_DecodeGetAthletesAnswer(benchmark::State& state)
{
    const std::string& text = answerText();
    for (auto _ : state) {
        pugi::xml_document doc;
        doc.load_buffer(text.data(), text.size());
        auto athletes = codec::decodeResult<getAthletesResponse1>(codec::bodyElement(doc));
        benchmark::DoNotOptimize(athletes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_DecodeGetAthletesAnswer)->Unit(benchmark::kMillisecond);

// The client's own road: the answer reader's checks and parse options, then the records.
void BM_LoadAndDecodeGetAthletesAnswer(benchmark::State& state)
{
    const std::string& text = answerText();
    for (auto _ : state) {
        pugi::xml_document doc;
        auto athletes = codec::decodeResult<getAthletesResponse1>(codec::loadAnswer(doc, text, 200));
        benchmark::DoNotOptimize(athletes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_LoadAndDecodeGetAthletesAnswer)->Unit(benchmark::kMillisecond);

} // namespace

namespace {
void BM_DecodeOnlyGetAthletesAnswer(benchmark::State& state)
{
    const std::string& text = answerText();
    for (auto _ : state) {
        pugi::xml_document doc;
        doc.load_buffer(text.data(), text.size());
        auto athletes = codec::decodeResult<getAthletesResponse1>(codec::bodyElement(doc));
        state.PauseTiming();
        athletes = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DecodeOnlyGetAthletesAnswer)->Unit(benchmark::kMillisecond);
} // namespace

namespace {
// The client's road as the proxies take it: the answer as received is parsed in place (its
// receiving buffer is the transport's, filled outside the timing), then the records.
void BM_InPlaceLoadAndDecodeGetAthletesAnswer(benchmark::State& state)
{
    const std::string& text = answerText();
    std::string received;
    for (auto _ : state) {
        state.PauseTiming();
        received = text;
        state.ResumeTiming();
        pugi::xml_document doc;
        auto athletes = codec::decodeResult<getAthletesResponse1>(codec::loadAnswerInPlace(doc, received, 200));
        benchmark::DoNotOptimize(athletes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_InPlaceLoadAndDecodeGetAthletesAnswer)->Unit(benchmark::kMillisecond);
} // namespace
