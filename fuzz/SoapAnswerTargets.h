#pragma once
// The answers the SOAP answer fuzz target reads, shared with its seed generator: the first byte of
// an input picks one, the second its HTTP status, the rest is the body as it came over the wire.

#include "core/protocol/TVPWebServices2.h"

#include <array>
#include <string_view>
#include <tuple>

namespace tvp::fuzz {

template <class Result>
struct Answer {
    using type = Result;
    std::string_view operation;
    std::string_view ns;
};

inline constexpr std::string_view kMain = proto::wire::kMainNs;
inline constexpr std::string_view kInfo = proto::wire::kProgramInfoNs;

// Records of every shape: flat and nested, inline and wrapped arrays, self-nesting trees, scalars,
// enumerations, dates and times, and an operation without result.
inline constexpr auto kAnswers = std::make_tuple(
    Answer<proto::getAthletesResponse1>{"getAthletes", kMain},
    Answer<proto::getDisciplinParticipantsResponse1>{"getDisciplinParticipants", kMain},
    Answer<proto::getResultTableResponse1>{"getResultTable", kMain},
    Answer<proto::getResultAggregatorTreeResponse1>{"getResultAggregatorTree", kMain},
    Answer<proto::getCompetitionsResponse1>{"getCompetitions", kMain},
    Answer<proto::getClubsResponse1>{"getClubs", kMain}, Answer<proto::getUiInfosResponse1>{"getUiInfos", kMain},
    Answer<proto::getUiInfoResponse1>{"getUiInfo", kMain}, Answer<proto::getCupsResponse>{"getCups", kMain},
    Answer<proto::getAllCollectionsResponse>{"getAllCollections", kMain},
    Answer<proto::getSquadScheduleResponse>{"getSquadSchedule", kMain},
    Answer<proto::getBillingPriceResponse>{"getBillingPrice", kMain},
    Answer<proto::exportCompetitionResponse1>{"exportCompetition", kMain}, Answer<void>{"setUiInfo", kMain},
    Answer<proto::getBackendVersionResponse1>{"getBackendVersion", kInfo},
    Answer<proto::CompatibilityInformation>{"getCompatibilityInformation", kInfo});

// Reads a body element as the proxy does: fault and name checks, then the result.
template <class Result>
void readAs(const pugi::xml_node& body, long status, std::string_view operation)
{
    proto::codec::checkAnswer(body, status, operation);
    if constexpr (std::is_void_v<Result>) {
        proto::codec::decodeResult<Result>(body);
    } else {
        const Result result = proto::codec::decodeResult<Result>(body);
        (void)result;
    }
}

struct AnswerReader {
    std::string_view operation;
    void (*read)(const pugi::xml_node& body, long status, std::string_view operation);
};

inline constexpr auto kReaders = std::apply(
    [](const auto&... a) {
        return std::array<AnswerReader, sizeof...(a)>{
            AnswerReader{a.operation, &readAs<typename std::decay_t<decltype(a)>::type>}...};
    },
    kAnswers);

} // namespace tvp::fuzz
