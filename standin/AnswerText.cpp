#include "standin/AnswerText.h"

namespace tvp::standin {

namespace codec = proto::codec;

void AthleteText::write(std::string& out, std::string_view element, const AthleteRow& row,
                        const CompetitionParticipants& participants)
{
    codec::writeElement(out, element, [&] {
        writeFieldsTaking(out, row.athlete, [&](const auto& f, const auto& value) {
            if constexpr (isA<decltype(value), proto::Owned<proto::TeamType>>) {
                out += teams_.get(row.teamId, [&](std::string& text) {
                    if (const proto::TeamType* team = participants.findTeam(row.teamId))
                        codec::writeValue(text, f.name, *team);
                });
                return true;
            } else if constexpr (isA<decltype(value), proto::Owned<proto::ClubShortType>>) {
                out += clubs_.get(row.clubId, [&](std::string& text) {
                    codec::writeValue(text, f.name, participants.clubShort(row.clubId));
                });
                return true;
            }
            return false;
        });
    });
}

void reserveFor(std::string& out, std::size_t start, std::size_t n)
{
    constexpr std::size_t kSlack = 4096; // the envelope around the result, and longer names
    const std::size_t first = out.size() - start;
    out.reserve(out.size() + first * n + first * n / 8 + kSlack);
}

} // namespace tvp::standin
