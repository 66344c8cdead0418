#pragma once
// The one codec of all protocol records: it walks each record's fields() list in wire order.

#include "core/protocol/Errors.h"
#include "core/protocol/Record.h"
#include "core/protocol/WireTable.h"

#include <pugixml.hpp>

#include <cstring>
#include <string>
#include <utility>

namespace tvp::proto::codec {

struct EncodeOptions {
    // Requests of the request runner's proxies leave empty elements out.
    bool omitEmpty = true;
};

// ---- scalars ---------------------------------------------------------------------------------

std::string formatInt(long long v);
std::string formatDouble(double v);
std::string formatFloat(float v);
std::string formatDate(const QDate& d);
std::string formatTime(const QTime& t);

// Readers of an element's text; they throw ESoapDecodeError naming the element.
int parseInt(const pugi::xml_node& element);
double parseDouble(const pugi::xml_node& element);
float parseFloat(const pugi::xml_node& element);
bool parseBool(const pugi::xml_node& element);
QDate parseDate(const pugi::xml_node& element);
QTime parseTime(const pugi::xml_node& element);
// Base64 fields: the bytes as one strict Base64 text, or a value that was none as its text.
Base64Binary parseBase64(const pugi::xml_node& element);
std::string wireText(const Base64Binary& v);
inline std::string wireText(const QString& v)
{
    return v.toStdString();
}

// The element name without its prefix.
inline const char* localName(const pugi::xml_node& n)
{
    const char* name = n.name();
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

bool isNil(const pugi::xml_node& n);

// Namespaces: prefixes are looked up through the ancestors; readers never compare prefixes.
std::string prefixOf(const pugi::xml_node& n);
std::string namespaceOf(const pugi::xml_node& n);
pugi::xml_node childByLocalName(const pugi::xml_node& parent, std::string_view local);
pugi::xml_node childIn(const pugi::xml_node& parent, std::string_view local, std::string_view ns);
[[noreturn]] void throwUnexpectedElement(const pugi::xml_node& child, const pugi::xml_node& parent);
[[noreturn]] void throwBadValue(const pugi::xml_node& element);

// A value or name as error texts quote it: at most a short prefix, so a huge bad value never turns
// into a huge message.
QString shortQuote(std::string_view text);

// Elements of an answer that its record does not know: a newer server may add fields. While a
// counter is installed on the thread (decodeResult does that) they are skipped and counted;
// otherwise they are an error (the stand-in reads requests strictly).
struct SkippedElements {
    int count = 0;
    std::string first; // "Record/Element" of the first one
};
namespace detail {
inline thread_local SkippedElements* skippedElements = nullptr;
// Records nest only as deep as the answer does, and some nest themselves (scoring trees): the
// depth is bounded so a hostile answer cannot exhaust the stack.
inline thread_local int recordDepth = 0;
[[noreturn]] void throwTooDeep(const pugi::xml_node& element);
class RecordDepthGuard {
public:
    explicit RecordDepthGuard(const pugi::xml_node& element)
    {
        if (++recordDepth > wire::kMaxRecordNesting) {
            --recordDepth;
            throwTooDeep(element);
        }
    }
    ~RecordDepthGuard() { --recordDepth; }
    RecordDepthGuard(const RecordDepthGuard&) = delete;
    RecordDepthGuard& operator=(const RecordDepthGuard&) = delete;
};
// While an answer is decoded, the last text of each text field is kept: texts repeat from one
// record to the next (a team's, age class's and club's names in every athlete of the team), and an
// equal one shares that string (implicitly, as any copy of a QString does) instead of being
// converted and allocated again.
class RepeatedTexts {
public:
    // The text of an element for the field tagged field.
    QString take(const void* field, const char* text);

private:
    struct Slot {
        const void* field = nullptr;
        const char* text = nullptr; // in the document, which outlives the decoding
        std::size_t size = 0;
        QString value;
    };
    // A cache, not a table of every field: two fields on one slot only cost a conversion.
    std::array<Slot, 61> slots_;
};
inline thread_local RepeatedTexts* repeatedTexts = nullptr;
// A distinct address for each field of each record.
template <class R, std::size_t I>
inline constexpr char fieldTag = 0;
void skipUnknownElement(SkippedElements& skipped, const pugi::xml_node& child, const pugi::xml_node& parent);
// Logs the skipped elements of one answer.
void logSkippedElements(const pugi::xml_node& answerElement, const SkippedElements& skipped);
} // namespace detail

// ---- encoding --------------------------------------------------------------------------------

template <class T>
void encodeValue(pugi::xml_node parent, const char* name, const T& v, const EncodeOptions& opt);

template <Record R>
void encodeFields(pugi::xml_node node, const R& r, const EncodeOptions& opt);

template <class T>
void encodeArrayItem(pugi::xml_node parent, const char* name, const T& item, const EncodeOptions& opt);

inline void setText(pugi::xml_node parent, const char* name, const std::string& text)
{
    parent.append_child(name).append_child(pugi::node_pcdata).set_value(text.c_str());
}

template <class T>
void encodeValue(pugi::xml_node parent, const char* name, const T& v, const EncodeOptions& opt)
{
    if constexpr (Record<T>) {
        pugi::xml_node child = parent.append_child(name);
        encodeFields(child, v, opt);
        if (opt.omitEmpty && !child.first_child() && !child.first_attribute())
            parent.remove_child(child);
    } else if constexpr (IsOwned<T>::value) {
        if (v)
            encodeValue(parent, name, *v, opt);
    } else if constexpr (IsVector<T>::value) {
        // Items keep their places: an empty item is still written, or the later ones would shift.
        for (const auto& item : v)
            encodeArrayItem(parent, name, item, opt);
    } else if constexpr (Enumeration<T>) {
        setText(parent, name, std::string(enumName(v)));
    } else if constexpr (std::is_same_v<T, QString> || std::is_same_v<T, Base64Binary>) {
        if (v.isEmpty()) {
            if (!opt.omitEmpty)
                parent.append_child(name);
        } else {
            setText(parent, name, wireText(v));
        }
    } else if constexpr (std::is_same_v<T, XsDate>) {
        if (v)
            setText(parent, name, formatDate(*v));
    } else if constexpr (std::is_same_v<T, XsTime>) {
        if (v)
            setText(parent, name, formatTime(*v));
    } else if constexpr (std::is_same_v<T, bool>) {
        setText(parent, name, v ? "true" : "false");
    } else if constexpr (std::is_same_v<T, int>) {
        setText(parent, name, formatInt(v));
    } else if constexpr (std::is_same_v<T, double>) {
        setText(parent, name, formatDouble(v));
    } else if constexpr (std::is_same_v<T, float>) {
        setText(parent, name, formatFloat(v));
    } else {
        static_assert(sizeof(T) == 0, "type has no wire form");
    }
}

template <class T>
void encodeArrayItem(pugi::xml_node parent, const char* name, const T& item, const EncodeOptions& opt)
{
    if constexpr (Record<T>) {
        encodeFields(parent.append_child(name), item, opt);
    } else if constexpr (std::is_same_v<T, QString> || std::is_same_v<T, Base64Binary>) {
        if (item.isEmpty())
            parent.append_child(name);
        else
            setText(parent, name, wireText(item));
    } else {
        encodeValue(parent, name, item, opt);
    }
}

template <class F, class R>
void encodeField(pugi::xml_node node, const F& f, const R& r, const EncodeOptions& opt)
{
    const auto& value = r.*(f.member);
    if (f.form == FieldForm::Wrapped) {
        if constexpr (IsVector<std::decay_t<decltype(value)>>::value) {
            pugi::xml_node wrapper = node.append_child(f.name.data());
            for (const auto& item : value)
                encodeArrayItem(wrapper, wire::kArrayItem.data(), item, opt);
            if (opt.omitEmpty && !wrapper.first_child())
                node.remove_child(wrapper);
        }
    } else {
        encodeValue(node, f.name.data(), value, opt);
    }
}

template <Record R>
void encodeFields(pugi::xml_node node, const R& r, const EncodeOptions& opt)
{
    applyFields([&](const auto&... f) { (encodeField(node, f, r, opt), ...); }, R::fields());
}

// ---- decoding --------------------------------------------------------------------------------

template <class T>
void decodeValue(const pugi::xml_node& n, T& out);

template <Record R>
void decodeRecord(const pugi::xml_node& node, R& r);

template <class T>
void decodeValue(const pugi::xml_node& n, T& out)
{
    if constexpr (Record<T>) {
        decodeRecord(n, out);
    } else if constexpr (IsOwned<T>::value) {
        if (isNil(n))
            out.reset();
        else
            decodeRecord(n, out.ensure());
    } else if constexpr (Enumeration<T>) {
        auto e = enumFromName<T>(n.child_value());
        if (!e)
            throwBadValue(n);
        out = *e;
    } else if constexpr (std::is_same_v<T, QString>) {
        out = QString::fromUtf8(n.child_value());
    } else if constexpr (std::is_same_v<T, Base64Binary>) {
        out = parseBase64(n);
    } else if constexpr (std::is_same_v<T, XsDate>) {
        if (isNil(n))
            out.reset();
        else
            out = parseDate(n);
    } else if constexpr (std::is_same_v<T, XsTime>) {
        if (isNil(n))
            out.reset();
        else
            out = parseTime(n);
    } else if constexpr (std::is_same_v<T, bool>) {
        out = parseBool(n);
    } else if constexpr (std::is_same_v<T, int>) {
        out = parseInt(n);
    } else if constexpr (std::is_same_v<T, double>) {
        out = parseDouble(n);
    } else if constexpr (std::is_same_v<T, float>) {
        out = parseFloat(n);
    } else {
        static_assert(sizeof(T) == 0, "type has no wire form");
    }
}

template <class R>
struct FieldEntry {
    std::string_view name;
    // Decodes the field from child and returns the last element it took.
    pugi::xml_node (*decode)(const pugi::xml_node&, R&);
};

template <Record R, std::size_t I>
pugi::xml_node decodeFieldAt(const pugi::xml_node& child, R& r)
{
    constexpr auto f = fieldAt<I>(R::fields());
    auto& member = r.*(f.member);
    using M = std::decay_t<decltype(member)>;
    if constexpr (IsVector<M>::value) {
        if (f.form == FieldForm::Wrapped) {
            for (pugi::xml_node item = child.first_child(); item; item = item.next_sibling()) {
                if (item.type() != pugi::node_element)
                    continue;
                decodeValue(item, member.emplace_back());
            }
            return child;
        }
        // The items of an inline array follow each other: the run is taken at once, in room made
        // for all of it.
        const char* name = child.name();
        pugi::xml_node last = child;
        std::size_t count = 1;
        for (pugi::xml_node next = child.next_sibling();
             next && next.type() == pugi::node_element && std::strcmp(next.name(), name) == 0;
             next = next.next_sibling()) {
            last = next;
            ++count;
        }
        member.reserve(member.size() + count);
        for (pugi::xml_node item = child;; item = item.next_sibling()) {
            decodeValue(item, member.emplace_back());
            if (item == last)
                return last;
        }
    } else if constexpr (std::is_same_v<M, QString>) {
        if (detail::repeatedTexts)
            member = detail::repeatedTexts->take(&detail::fieldTag<R, I>, child.child_value());
        else
            decodeValue(child, member);
        return child;
    } else {
        decodeValue(child, member);
        return child;
    }
}

template <Record R, std::size_t... I>
constexpr auto makeFieldTable(std::index_sequence<I...>)
{
    return std::array<FieldEntry<R>, sizeof...(I)>{
        FieldEntry<R>{fieldAt<I>(R::fields()).name, &decodeFieldAt<R, I>}...};
}

template <Record R>
inline constexpr auto fieldTable = makeFieldTable<R>(std::make_index_sequence<decltype(R::fields())::size>{});

// Exact match of a NUL-terminated element name against a field name, without measuring it first.
inline bool sameName(const char* raw, std::string_view name)
{
    // Stops at raw's terminator, which never equals a character of a field name.
    for (std::size_t i = 0; i < name.size(); ++i)
        if (raw[i] != name[i])
            return false;
    return raw[name.size()] == '\0';
}

template <class R, std::size_t N>
std::size_t findField(const std::array<FieldEntry<R>, N>& table, std::size_t cursor, const char* name)
{
    // Fields come in wire order, so the match is almost always at the cursor, just behind the last.
    for (std::size_t i = cursor; i < N; ++i)
        if (sameName(name, table[i].name))
            return i;
    for (std::size_t i = 0; i < cursor; ++i)
        if (sameName(name, table[i].name))
            return i;
    return N;
}

// The first element from n on, n itself when it is one.
inline pugi::xml_node elementFrom(pugi::xml_node n)
{
    // An empty node's type is node_null: one call per step ends the walk too.
    for (pugi::xml_node_type t = n.type(); t != pugi::node_element && t != pugi::node_null; t = n.type())
        n = n.next_sibling();
    return n;
}

// Field I where the walk stands: taken when the element names it, else left for the next field.
template <Record R, std::size_t I>
inline void takeInOrder(pugi::xml_node& child, std::size_t& cursor, R& r)
{
    constexpr std::string_view name = fieldTable<R>[I].name;
    // An empty node's name is "", which names no field.
    if (sameName(child.name(), name)) {
        child = elementFrom(decodeFieldAt<R, I>(child, r).next_sibling());
        cursor = I + 1;
    }
}

template <Record R, std::size_t... I>
inline void decodeInOrder(pugi::xml_node& child, std::size_t& cursor, R& r, std::index_sequence<I...>)
{
    (takeInOrder<R, I>(child, cursor, r), ...);
}

template <Record R>
void decodeRecord(const pugi::xml_node& node, R& r)
{
    const detail::RecordDepthGuard depth(node);
    constexpr const auto& table = fieldTable<R>;
    constexpr std::size_t n = table.size();
    std::size_t cursor = 0;
    // Answers list the fields in wire order, leaving some out: one pass expecting each field in
    // turn takes them without a search or an indirect call.
    pugi::xml_node child = elementFrom(node.first_child());
    decodeInOrder(child, cursor, r, std::make_index_sequence<n>{});
    // What is left came out of order, prefixed or unknown: each is looked up by name.
    for (; child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        std::size_t found = findField(table, cursor, child.name());
        if (found == n) {
            // Fields are unqualified as a rule; a prefixed one costs a second look.
            const char* local = localName(child);
            if (local != child.name())
                found = findField(table, cursor, local);
        }
        if (found == n) {
            if (!detail::skippedElements)
                throwUnexpectedElement(child, node);
            detail::skipUnknownElement(*detail::skippedElements, child, node);
            continue;
        }
        child = table[found].decode(child, r);
        cursor = found + 1;
    }
}

// ---- operation results -----------------------------------------------------------------------

template <class Result>
Result decodeResultElement(const pugi::xml_node& responseElement)
{
    if constexpr (std::is_void_v<Result>) {
        return;
    } else if constexpr (IsVector<Result>::value) {
        Result out;
        std::size_t count = 0;
        for (pugi::xml_node item = responseElement.first_child(); item; item = item.next_sibling())
            ++count;
        out.reserve(count);
        for (pugi::xml_node item = responseElement.first_child(); item; item = item.next_sibling())
            if (item.type() == pugi::node_element)
                decodeValue(item, out.emplace_back());
        return out;
    } else {
        Result out{};
        decodeValue(responseElement, out);
        return out;
    }
}

// The result of an answer: elements its records do not know are skipped and logged.
template <class Result>
Result decodeResult(const pugi::xml_node& responseElement)
{
    SkippedElements skipped;
    detail::RepeatedTexts texts;
    struct Restore {
        SkippedElements* outer;
        detail::RepeatedTexts* outerTexts;
        ~Restore()
        {
            detail::skippedElements = outer;
            detail::repeatedTexts = outerTexts;
        }
    } restore{std::exchange(detail::skippedElements, &skipped), std::exchange(detail::repeatedTexts, &texts)};
    if constexpr (std::is_void_v<Result>) {
        decodeResultElement<Result>(responseElement);
        if (skipped.count)
            detail::logSkippedElements(responseElement, skipped);
    } else {
        Result out = decodeResultElement<Result>(responseElement);
        if (skipped.count)
            detail::logSkippedElements(responseElement, skipped);
        return out;
    }
}

// Writes a result into a response element: the counterpart of decodeResult, used by the stand-in.
template <class Result>
void encodeResult(pugi::xml_node responseElement, const Result& r, const EncodeOptions& opt)
{
    if constexpr (Record<Result>) {
        encodeFields(responseElement, r, opt);
    } else if constexpr (IsVector<Result>::value) {
        for (const auto& item : r)
            encodeArrayItem(responseElement, wire::kArrayItem.data(), item, opt);
    } else {
        pugi::xml_node parent = responseElement.parent();
        pugi::xml_node tmp = parent.append_child("tmp");
        encodeValue(tmp, "v", r, opt);
        if (pugi::xml_node v = tmp.first_child())
            responseElement.append_child(pugi::node_pcdata).set_value(v.child_value());
        parent.remove_child(tmp);
    }
}

// ---- envelopes -------------------------------------------------------------------------------

// Creates Envelope/Body/<prefix:operation> and returns the operation element.
pugi::xml_node makeEnvelope(pugi::xml_document& doc, std::string_view ns, std::string_view operation);

// The body's first element of a parsed envelope, or an empty node.
pugi::xml_node bodyElement(const pugi::xml_document& doc);

// Reads an HTTP answer into doc and returns the body's first element. A document type declaration
// is refused (SOAP forbids it; pugixml never expands entities either), whitespace-only values are
// kept. Throws when the answer is no SOAP message, naming the HTTP status when it is not 200.
pugi::xml_node loadAnswer(pugi::xml_document& doc, std::string_view text, long httpStatus,
                          std::string_view contentType = {});
// The same, parsing text in place: no copy of an answer of megabytes. The document points into
// text, which must outlive it unchanged.
pugi::xml_node loadAnswerInPlace(pugi::xml_document& doc, std::string& text, long httpStatus,
                                 std::string_view contentType = {});
// Throws for a fault, for an HTTP status other than 200 and for an answer element other than
// operation + "Response" (compared by local name: any prefix and namespace will do).
void checkAnswer(const pugi::xml_node& body, long httpStatus, std::string_view operation);

// Throws for the fault element of a body.
[[noreturn]] void throwFault(const pugi::xml_node& fault);

std::string serialize(const pugi::xml_document& doc);

template <class T>
struct Arg {
    const char* name;
    const T& value;
};

template <class T>
Arg<T> arg(const char* name, const T& value)
{
    return {name, value};
}

} // namespace tvp::proto::codec
