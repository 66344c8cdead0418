#include "core/protocol/SoapCodec.h"
#include "core/protocol/SoapWriter.h"
#include "core/protocol/XmlProblem.h"

#include "core/util/Base64.h"
#include "core/util/Logger.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tvp::proto::codec {

namespace {

// Error texts quote at most this much of a value, a name or a server's fault text.
constexpr std::size_t kMaxQuotedBytes = 80;
constexpr std::size_t kMaxFaultTextBytes = 2000;

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(const char* text)
{
    std::string_view s(text);
    while (!s.empty() && isXmlSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isXmlSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

template <class F>
F parseFloating(const pugi::xml_node& element)
{
    const char* text = element.child_value();
    std::string_view s = trimmed(text);
    if (s == "INF" || s == "+INF")
        return std::numeric_limits<F>::infinity();
    if (s == "-INF")
        return -std::numeric_limits<F>::infinity();
    if (s == "NaN")
        return std::numeric_limits<F>::quiet_NaN();
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    F v{};
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size())
        throwBadValue(element);
    return v;
}

template <class F>
std::string formatFloating(F v)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v > 0 ? "INF" : "-INF";
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, ptr);
}

// At most max bytes of text, cut at a character boundary (never inside a UTF-8 sequence).
QString cutText(std::string_view text, std::size_t max, bool* cut = nullptr)
{
    if (cut)
        *cut = text.size() > max;
    if (text.size() <= max)
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    std::size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return QString::fromUtf8(text.data(), qsizetype(end));
}

// A server's fault text or parameter, cut when it is unreasonably long.
QString faultText(std::string_view text)
{
    bool cut = false;
    QString out = cutText(text, kMaxFaultTextBytes, &cut);
    return cut ? out + QStringLiteral(" …") : out;
}

bool startsWithDoctype(std::string_view s)
{
    if (s.starts_with("\xEF\xBB\xBF"))
        s.remove_prefix(3);
    for (;;) {
        while (!s.empty() && isXmlSpace(s.front()))
            s.remove_prefix(1);
        std::size_t end = std::string_view::npos;
        if (s.starts_with("<?"))
            end = s.find("?>", 2);
        else if (s.starts_with("<!--"))
            end = s.find("-->", 4);
        else
            return s.starts_with("<!DOCTYPE");
        if (end == std::string_view::npos)
            return false;
        s.remove_prefix(end + (s[1] == '?' ? 2 : 3));
    }
}

} // namespace

std::string formatInt(long long v)
{
    char buf[32];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, ptr);
}

std::string formatDouble(double v)
{
    return formatFloating(v);
}
std::string formatFloat(float v)
{
    return formatFloating(v);
}

std::string formatDate(const QDate& d)
{
    return d.toString(QString::fromLatin1(wire::kDateFormat.data(), int(wire::kDateFormat.size()))).toStdString();
}

std::string formatTime(const QTime& t)
{
    return t.toString(t.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss")).toStdString();
}

int parseInt(const pugi::xml_node& element)
{
    // Hot path of every answer: read the digits in place instead of measuring and trimming first.
    const char* p = element.child_value();
    while (isXmlSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        throwBadValue(element);
    long long v = 0;
    while (*p >= '0' && *p <= '9') {
        v = v * 10 + (*p++ - '0');
        if (v > 2147483648LL)
            throwBadValue(element);
    }
    while (isXmlSpace(*p))
        ++p;
    if (*p != '\0')
        throwBadValue(element);
    v = negative ? -v : v;
    if (v > std::numeric_limits<int>::max())
        throwBadValue(element);
    return static_cast<int>(v);
}

double parseDouble(const pugi::xml_node& element)
{
    return parseFloating<double>(element);
}
float parseFloat(const pugi::xml_node& element)
{
    return parseFloating<float>(element);
}

bool parseBool(const pugi::xml_node& element)
{
    const std::string_view s = trimmed(element.child_value());
    if (s == "true" || s == "1")
        return true;
    if (s == "false" || s == "0")
        return false;
    throwBadValue(element);
}

QDate parseDate(const pugi::xml_node& element)
{
    const std::string_view s = trimmed(element.child_value());
    // xsd:date may carry a zone ("Z" or "+01:00"); the day is what matters here.
    const QString full = QString::fromUtf8(s.data(), int(s.size()));
    const QDate d = QDate::fromString(full.left(10), Qt::ISODate);
    if (!d.isValid())
        throwBadValue(element);
    return d;
}

QTime parseTime(const pugi::xml_node& element)
{
    const std::string_view s = trimmed(element.child_value());
    QString full = QString::fromUtf8(s.data(), int(s.size()));
    // Drop a zone suffix; times in this program are local wall-clock times.
    const qsizetype zone = full.indexOf(QRegularExpression(QStringLiteral("(Z|[+-]\\d\\d:\\d\\d)$")));
    if (zone > 0)
        full.truncate(zone);
    QTime t = QTime::fromString(full, Qt::ISODateWithMs);
    if (!t.isValid())
        t = QTime::fromString(full, Qt::ISODate);
    if (!t.isValid())
        throwBadValue(element);
    return t;
}

Base64Binary parseBase64(const pugi::xml_node& element)
{
    // Decoded straight from the document's text: no copy of a file of megabytes as text.
    const char* text = element.child_value();
    return Base64Binary::fromText(QByteArray::fromRawData(text, qsizetype(std::strlen(text))));
}

std::string wireText(const Base64Binary& v)
{
    const QByteArray text = v.isValid() ? v.data().toBase64() : v.data();
    return std::string(text.constData(), std::size_t(text.size()));
}

bool isNil(const pugi::xml_node& n)
{
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        const char* colon = std::strchr(name, ':');
        if (std::strcmp(colon ? colon + 1 : name, "nil") == 0)
            return a.as_bool();
    }
    return false;
}

QString shortQuote(std::string_view text)
{
    bool cut = false;
    QString out = cutText(text, kMaxQuotedBytes, &cut);
    return cut ? out + QStringLiteral("… (%1 Bytes)").arg(text.size()) : out;
}

void throwUnexpectedElement(const pugi::xml_node& child, const pugi::xml_node& parent)
{
    throw ESoapDecodeError(QStringLiteral("Ungültige Antwort des Servers: unerwartetes Element \"%1\" in \"%2\".")
                               .arg(shortQuote(localName(child)), shortQuote(localName(parent))));
}

void throwBadValue(const pugi::xml_node& element)
{
    throw ESoapDecodeError(QStringLiteral("Ungültige Antwort des Servers: Wert \"%1\" im Element \"%2\" ist ungültig.")
                               .arg(shortQuote(trimmed(element.child_value())), shortQuote(localName(element))));
}

namespace detail {

void throwTooDeep(const pugi::xml_node& element)
{
    throw ESoapDecodeError(
        QStringLiteral("Ungültige Antwort des Servers: \"%1\" ist tiefer als %2 Ebenen verschachtelt.")
            .arg(shortQuote(localName(element)))
            .arg(wire::kMaxRecordNesting));
}

void skipUnknownElement(SkippedElements& skipped, const pugi::xml_node& child, const pugi::xml_node& parent)
{
    if (skipped.count++ == 0)
        skipped.first = std::string(localName(parent)) + '/' + localName(child);
}

QString RepeatedTexts::take(const void* field, const char* text)
{
    Slot& slot = slots_[reinterpret_cast<std::uintptr_t>(field) % slots_.size()];
    if (slot.field == field) {
        // Compared up to the first difference: text ends where it differs from the kept one at the
        // latest, so nothing behind its end is read.
        std::size_t i = 0;
        while (i < slot.size && text[i] == slot.text[i])
            ++i;
        if (i == slot.size && text[i] == '\0')
            return slot.value;
    }
    const std::size_t size = std::strlen(text);
    slot.field = field;
    slot.text = text;
    slot.size = size;
    slot.value = QString::fromUtf8(text, qsizetype(size));
    return slot.value;
}

void logSkippedElements(const pugi::xml_node& answerElement, const SkippedElements& skipped)
{
    TLogger& log = TVP_LOGGER();
    if (log.level() > TLogLevel::ll_info)
        return;
    log.log(TLogLevel::ll_info, QStringLiteral("%1: %2 unbekannte Elemente übersprungen, das erste: %3")
                                    .arg(shortQuote(localName(answerElement)))
                                    .arg(skipped.count)
                                    .arg(shortQuote(skipped.first)));
}

} // namespace detail

pugi::xml_node makeEnvelope(pugi::xml_document& doc, std::string_view ns, std::string_view operation)
{
    const std::string envPrefix(wire::kEnvelopePrefix);
    const std::string svcPrefix(wire::kServicePrefix);
    pugi::xml_node env = doc.append_child((envPrefix + ":Envelope").c_str());
    env.append_attribute(("xmlns:" + envPrefix).c_str()) = std::string(wire::kEnvelopeNs).c_str();
    pugi::xml_node body = env.append_child((envPrefix + ":Body").c_str());
    pugi::xml_node op = body.append_child((svcPrefix + ":" + std::string(operation)).c_str());
    op.append_attribute(("xmlns:" + svcPrefix).c_str()) = std::string(ns).c_str();
    return op;
}

std::string prefixOf(const pugi::xml_node& n)
{
    const char* name = n.name();
    const char* colon = std::strchr(name, ':');
    return colon ? std::string(name, colon) : std::string();
}

std::string namespaceOf(const pugi::xml_node& n)
{
    const std::string prefix = prefixOf(n);
    const std::string attr = prefix.empty() ? std::string("xmlns") : "xmlns:" + prefix;
    for (pugi::xml_node p = n; p; p = p.parent())
        if (pugi::xml_attribute a = p.attribute(attr.c_str()))
            return a.value();
    return {};
}

pugi::xml_node childByLocalName(const pugi::xml_node& parent, std::string_view local)
{
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && local == localName(c))
            return c;
    return {};
}

pugi::xml_node childIn(const pugi::xml_node& parent, std::string_view local, std::string_view ns)
{
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && local == localName(c) && namespaceOf(c) == ns)
            return c;
    return {};
}

pugi::xml_node bodyElement(const pugi::xml_document& doc)
{
    pugi::xml_node env = doc.document_element();
    if (!env || std::string_view(localName(env)) != "Envelope" || namespaceOf(env) != wire::kEnvelopeNs)
        return {};
    pugi::xml_node body = childByLocalName(env, "Body");
    for (pugi::xml_node c = body.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            return c;
    return {};
}

namespace {

// inPlace: parse rewrites the text as it reads (escapes, line ends, name ends), so a failure's
// place is the byte where the parser stopped; lines and columns would be counted in what it made.
template <class Parse>
pugi::xml_node loadAnswerWith(pugi::xml_document& doc, std::string_view text, long httpStatus,
                              std::string_view contentType, bool inPlace, Parse&& parse)
{
    const auto notSoap = [&](const QString& why) {
        // An HTML error page or an empty answer: say what came, not what failed to parse.
        if (httpStatus != 200)
            return ESoapTransportError(QStringLiteral("Der Server antwortete mit HTTP-Status %1.").arg(httpStatus));
        // A web page says most by its type; an XML document by what is wrong with it.
        QString detail = why;
        if (!contentType.empty() && contentType.find("xml") == std::string_view::npos)
            detail = QStringLiteral("Inhaltstyp %1").arg(shortQuote(contentType));
        return ESoapTransportError(QStringLiteral("Die Antwort des Servers ist keine SOAP-Nachricht%1.")
                                       .arg(detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)));
    };
    // Before parsing: a SOAP message carries no DTD, and nothing of one is ever read.
    if (startsWithDoctype(text))
        throw notSoap(QStringLiteral("sie enthält eine Dokumenttypdefinition"));
    const pugi::xml_parse_result parsed = parse();
    pugi::xml_node body = parsed ? bodyElement(doc) : pugi::xml_node();
    if (body)
        return body;
    const pugi::xml_node root = doc.document_element();
    const bool envelope =
        root && std::string_view(localName(root)) == "Envelope" && namespaceOf(root) == wire::kEnvelopeNs;
    if (!parsed && envelope && httpStatus == 200)
        throw ESoapDecodeError(QStringLiteral("Ungültige Antwort des Servers: %1.")
                                   .arg(inPlace ? xmlProblemTextAtByte(parsed) : xmlProblemText(parsed, text)));
    throw notSoap(envelope ? QStringLiteral("ohne Inhalt") : QString());
}

// A value of blanks only (" ", a tab) is a value, not formatting.
constexpr unsigned kAnswerParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_embed_pcdata;

} // namespace

pugi::xml_node loadAnswer(pugi::xml_document& doc, std::string_view text, long httpStatus, std::string_view contentType)
{
    return loadAnswerWith(doc, text, httpStatus, contentType, false, [&] {
        return doc.load_buffer(text.data(), text.size(), kAnswerParseOptions, pugi::encoding_utf8);
    });
}

pugi::xml_node loadAnswerInPlace(pugi::xml_document& doc, std::string& text, long httpStatus,
                                 std::string_view contentType)
{
    return loadAnswerWith(doc, text, httpStatus, contentType, true, [&] {
        return doc.load_buffer_inplace(text.data(), text.size(), kAnswerParseOptions, pugi::encoding_utf8);
    });
}

void checkAnswer(const pugi::xml_node& body, long httpStatus, std::string_view operation)
{
    if (std::string_view(localName(body)) == "Fault")
        throwFault(body);
    if (httpStatus != 200)
        throw ESoapTransportError(QStringLiteral("Der Server antwortete mit HTTP-Status %1.").arg(httpStatus));
    const std::string_view name = localName(body);
    if (!name.starts_with(operation) || name.substr(operation.size()) != wire::kResponseSuffix)
        throw ESoapDecodeError(
            QStringLiteral("Ungültige Antwort des Servers: \"%1\" statt \"%2%3\".")
                .arg(shortQuote(name), shortQuote(operation),
                     QString::fromLatin1(wire::kResponseSuffix.data(), qsizetype(wire::kResponseSuffix.size()))));
}

void throwFault(const pugi::xml_node& fault)
{
    QString text = faultText(trimmed(childByLocalName(fault, "faultstring").child_value()));
    pugi::xml_node detail = childByLocalName(childByLocalName(fault, "detail"), wire::kFaultDetail);
    if (!detail)
        throw ESoapFault(text.isEmpty() ? QStringLiteral("Unbekannter Fehler des Servers.") : text);
    int id = 0;
    if (pugi::xml_node idNode = childByLocalName(detail, "ExceptionID"))
        id = parseInt(idNode);
    // The client shows the server's own text for the id; an empty fault text must still read as a failure.
    if (text.isEmpty())
        text = QStringLiteral("Fehler des Servers (Fehlernummer %1).").arg(id);
    QStringList params;
    if (pugi::xml_node list = childByLocalName(detail, "ExceptionParameters"))
        for (pugi::xml_node item = list.first_child(); item; item = item.next_sibling())
            if (item.type() == pugi::node_element)
                params << faultText(item.child_value());
    throw ETvExceptionDetail(text, id, params);
}

namespace {

// Writes into the string itself: lists of thousands of records run to megabytes, and every copy
// through a stream costs as much as the writing.
struct StringWriter : pugi::xml_writer {
    explicit StringWriter(std::string& out) : out(out) {}
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
    std::string& out;
};

// What appendEscaped does with a byte; most are copied as they are.
enum EscapeClass : unsigned char { kCopy, kAmp, kLt, kGt, kDrop };

constexpr std::array<unsigned char, 256> kEscapeClasses = [] {
    std::array<unsigned char, 256> classes{};
    // XML 1.0 has no control characters but these three, not even as references (&#1;), so
    // they are left out, as serialize has pugixml leave them out.
    for (int c = 0; c < 32; ++c)
        classes[std::size_t(c)] = kDrop;
    classes['\t'] = classes['\n'] = classes['\r'] = kCopy;
    classes['&'] = kAmp;
    classes['<'] = kLt;
    classes['>'] = kGt;
    return classes;
}();

} // namespace

void appendEscaped(std::string& out, std::string_view text)
{
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char kind = kEscapeClasses[static_cast<unsigned char>(text[i])];
        if (kind == kCopy)
            continue;
        out.append(text.data() + plain, i - plain);
        switch (kind) {
        case kAmp: out += "&amp;"; break;
        case kLt: out += "&lt;"; break;
        case kGt: out += "&gt;"; break;
        default: break;
        }
        plain = i + 1;
    }
    out.append(text.data() + plain, text.size() - plain);
}

void appendBase64(std::string& out, const QByteArray& bytes)
{
    // Slices of whole groups of three bytes encode exactly as the whole does.
    constexpr qsizetype kSlice = 3 * 16 * 1024;
    for (qsizetype at = 0; at < bytes.size(); at += kSlice) {
        const QByteArray text =
            QByteArray::fromRawData(bytes.constData() + at, std::min(kSlice, bytes.size() - at)).toBase64();
        out.append(text.constData(), std::size_t(text.size()));
    }
}

std::string serialize(const pugi::xml_document& doc)
{
    // A thread writes answers of similar size again and again: room for the last one spares the
    // copies of a growing string of megabytes. Bounded, so one huge export does not stay reserved.
    constexpr std::size_t kMaxHint = 16u << 20;
    thread_local std::size_t lastSize = 0;
    std::string out;
    out.reserve(std::min(lastSize, kMaxHint));
    out = R"(<?xml version="1.0" encoding="UTF-8"?>)";
    StringWriter writer(out);
    // Control characters other than tab, line feed and carriage return are left out, not written as
    // references: XML 1.0 forbids both, and a conforming server refuses the whole message.
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration | pugi::format_skip_control_chars,
             pugi::encoding_utf8);
    lastSize = out.size();
    return out;
}

} // namespace tvp::proto::codec

namespace tvp::proto {

Base64Binary Base64Binary::fromText(const QByteArray& text)
{
    if (std::optional<QByteArray> bytes = decodeStrictBase64(text))
        return Base64Binary(std::move(*bytes));
    // A deep copy: the text may point into a document that goes away.
    Base64Binary kept(QByteArray(text.constData(), text.size()));
    kept.valid_ = false;
    return kept;
}

} // namespace tvp::proto
