#pragma once
// Long list answers written straight as text. Their entries carry the same few records again and
// again (five thousand athletes, a few hundred teams, forty clubs): each such record is written
// once and its text copied in wherever it recurs. The bytes are those codec::writeResult writes
// for the records filled in full.

#include "core/protocol/SoapWriter.h"
#include "standin/Records.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace tvp::standin {

// One field as codec::writeFields writes it.
template <class F, class R>
void writeFieldAsIs(std::string& out, const F& f, const R& r)
{
    const auto& value = r.*(f.member);
    if constexpr (proto::IsVector<std::remove_cvref_t<decltype(value)>>::value) {
        if (f.form == proto::FieldForm::Wrapped) {
            proto::codec::writeElement(out, f.name, [&] {
                for (const auto& item : value)
                    proto::codec::writeValue(out, proto::wire::kArrayItem, item);
            });
            return;
        }
    }
    proto::codec::writeValue(out, f.name, value);
}

// The fields of a record as codec::writeFields writes them, except those take(field, value) writes
// itself: it returns true for those.
template <proto::Record R, class Take>
void writeFieldsTaking(std::string& out, const R& r, Take&& take)
{
    applyFields([&](const auto&... f) { ((take(f, r.*(f.member)) || (writeFieldAsIs(out, f, r), true)), ...); },
                R::fields());
}

// For take: the field's value is a T.
template <class V, class T>
constexpr bool isA = std::is_same_v<std::remove_cvref_t<V>, T>;

// Record texts by id, each written on first use. Ids are unique on the server, so one cache serves
// the records of several competitions.
class RecordTexts {
public:
    template <class Write>
    const std::string& get(int id, Write&& write)
    {
        auto it = texts_.find(id);
        if (it == texts_.end()) {
            std::string text;
            write(text);
            it = texts_.emplace(id, std::move(text)).first;
        }
        return it->second;
    }

private:
    std::unordered_map<int, std::string> texts_;
};

// Writes athletes as AthleteType elements, their teams and clubs from the participants of their
// competition.
class AthleteText {
public:
    void write(std::string& out, std::string_view element, const AthleteRow& row,
               const CompetitionParticipants& participants);

private:
    RecordTexts teams_, clubs_;
};

// Room for n more entries like the one written from start on: entries of one list differ little
// in length, and a string growing to megabytes copies itself over and over.
void reserveFor(std::string& out, std::size_t start, std::size_t n);

} // namespace tvp::standin
