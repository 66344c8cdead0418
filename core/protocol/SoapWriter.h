#pragma once
// Writes records straight as XML text: what encodeValue builds as a document and serialize then
// writes out, without the document. Lists of thousands of records cost a node and a copy per field
// in a document; here they cost the characters. Requests are written this way into the very
// buffer that goes out, and the stand-in's answers too.

#include "core/protocol/SoapCodec.h"

#include <string>
#include <string_view>

namespace tvp::proto::codec {

// Answers keep their empty elements; requests of the runner's proxies leave them out.
inline constexpr EncodeOptions kKeepEmpty{.omitEmpty = false};

// Character data escaped as serialize has pugixml escape it: &, <, >, and the control characters
// other than tab, line feed and carriage return left out (XML 1.0 allows them not even as
// references).
void appendEscaped(std::string& out, std::string_view text);

// Base64 of bytes, appended without a text copy of them all.
void appendBase64(std::string& out, const QByteArray& bytes);

inline void writeEmpty(std::string& out, std::string_view name)
{
    out += '<';
    out += name;
    out += "/>";
}

inline void writeText(std::string& out, std::string_view name, std::string_view text)
{
    out += '<';
    out += name;
    out += '>';
    appendEscaped(out, text);
    out += "</";
    out += name;
    out += '>';
}

// A document takes texts as C strings: a text ends at its first NUL there, and so it does here.
inline std::string_view upToNul(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

template <class T>
void writeValue(std::string& out, std::string_view name, const T& v, const EncodeOptions& opt = kKeepEmpty);

template <Record R>
void writeFields(std::string& out, const R& r, const EncodeOptions& opt = kKeepEmpty);

// An element holding what write appends. When it appends nothing: an empty element, or nothing at
// all with omitWhenEmpty.
template <class Write>
void writeElement(std::string& out, std::string_view name, Write&& write, bool omitWhenEmpty = false)
{
    const std::size_t start = out.size();
    out += '<';
    out += name;
    out += '>';
    const std::size_t open = out.size();
    write();
    if (out.size() == open) {
        out.resize(start);
        if (!omitWhenEmpty)
            writeEmpty(out, name);
        return;
    }
    out += "</";
    out += name;
    out += '>';
}

// Array items keep their places: an empty item is still written, or the later ones would shift.
template <class T>
void writeArrayItem(std::string& out, std::string_view name, const T& item, const EncodeOptions& opt = kKeepEmpty)
{
    if constexpr (Record<T>)
        writeElement(out, name, [&] { writeFields(out, item, opt); });
    else if constexpr (std::is_same_v<T, QString> || std::is_same_v<T, Base64Binary>)
        writeValue(out, name, item, kKeepEmpty);
    else
        writeValue(out, name, item, opt);
}

template <class T>
void writeValue(std::string& out, std::string_view name, const T& v, const EncodeOptions& opt)
{
    if constexpr (Record<T>) {
        writeElement(
            out, name, [&] { writeFields(out, v, opt); }, opt.omitEmpty);
    } else if constexpr (IsOwned<T>::value) {
        if (v)
            writeValue(out, name, *v, opt);
    } else if constexpr (IsVector<T>::value) {
        for (const auto& item : v)
            writeArrayItem(out, name, item, opt);
    } else if constexpr (Enumeration<T>) {
        writeText(out, name, enumName(v));
    } else if constexpr (std::is_same_v<T, QString>) {
        if (v.isEmpty()) {
            if (!opt.omitEmpty)
                writeEmpty(out, name);
        } else {
            writeText(out, name, upToNul(v.toStdString()));
        }
    } else if constexpr (std::is_same_v<T, Base64Binary>) {
        if (v.isEmpty()) {
            if (!opt.omitEmpty)
                writeEmpty(out, name);
        } else if (v.isValid()) {
            writeElement(out, name, [&] { appendBase64(out, v.data()); });
        } else {
            writeText(out, name, upToNul(std::string_view(v.data().constData(), std::size_t(v.data().size()))));
        }
    } else if constexpr (std::is_same_v<T, XsDate>) {
        if (v)
            writeText(out, name, formatDate(*v));
    } else if constexpr (std::is_same_v<T, XsTime>) {
        if (v)
            writeText(out, name, formatTime(*v));
    } else if constexpr (std::is_same_v<T, bool>) {
        writeText(out, name, v ? "true" : "false");
    } else if constexpr (std::is_same_v<T, int>) {
        writeText(out, name, formatInt(v));
    } else if constexpr (std::is_same_v<T, double>) {
        writeText(out, name, formatDouble(v));
    } else if constexpr (std::is_same_v<T, float>) {
        writeText(out, name, formatFloat(v));
    } else {
        static_assert(sizeof(T) == 0, "type has no wire form");
    }
}

template <class F, class R>
void writeField(std::string& out, const F& f, const R& r, const EncodeOptions& opt = kKeepEmpty)
{
    const auto& value = r.*(f.member);
    if (f.form == FieldForm::Wrapped) {
        if constexpr (IsVector<std::decay_t<decltype(value)>>::value)
            writeElement(
                out, f.name,
                [&] {
                    for (const auto& item : value)
                        writeArrayItem(out, wire::kArrayItem, item, opt);
                },
                opt.omitEmpty);
    } else {
        writeValue(out, f.name, value, opt);
    }
}

template <Record R>
void writeFields(std::string& out, const R& r, const EncodeOptions& opt)
{
    applyFields([&](const auto&... f) { (writeField(out, f, r, opt), ...); }, R::fields());
}

// The content of a response element for a record or list result, as encodeResult puts it there.
template <class Result>
requires(Record<Result> || IsVector<Result>::value) void writeResult(std::string& out, const Result& r)
{
    if constexpr (Record<Result>) {
        writeFields(out, r);
    } else {
        for (const auto& item : r)
            writeArrayItem(out, wire::kArrayItem, item, kKeepEmpty);
    }
}

// About as many characters as writeValue appends: room made once for a request of megabytes
// spares copying it while it grows. Never less for Base64 and ASCII texts.
template <class T>
std::size_t writtenSizeHint(std::string_view name, const T& v)
{
    const std::size_t tags = 2 * name.size() + 5;
    if constexpr (Record<T>) {
        std::size_t n = tags;
        applyFields([&](const auto&... f) { ((n += writtenSizeHint(f.name, v.*(f.member))), ...); }, T::fields());
        return n;
    } else if constexpr (IsOwned<T>::value) {
        return v ? writtenSizeHint(name, *v) : 0;
    } else if constexpr (IsVector<T>::value) {
        std::size_t n = 0;
        for (const auto& item : v)
            n += writtenSizeHint(name, item);
        return n;
    } else if constexpr (std::is_same_v<T, QString>) {
        return tags + std::size_t(v.size());
    } else if constexpr (std::is_same_v<T, Base64Binary>) {
        return tags + std::size_t(v.isValid() ? (v.data().size() + 2) / 3 * 4 : v.data().size());
    } else {
        return tags + 24;
    }
}

} // namespace tvp::proto::codec
