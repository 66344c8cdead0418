#pragma once
// Writes records straight as XML text: what encodeValue with empty elements kept builds as a
// document and serialize then writes out, without the document. Lists of thousands of records
// cost a node and a copy per field in a document; here they cost the characters.

#include "core/protocol/SoapCodec.h"

#include <string>
#include <string_view>

namespace tvp::proto::codec {

// Character data escaped as pugixml escapes it: &, <, > and the control characters other than
// tab, line feed and carriage return (as two-digit character references).
void appendEscaped(std::string& out, std::string_view text);

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

template <class T>
void writeValue(std::string& out, std::string_view name, const T& v);

template <Record R>
void writeFields(std::string& out, const R& r);

// An element holding what write appends, or an empty element when it appends nothing.
template <class Write>
void writeElement(std::string& out, std::string_view name, Write&& write)
{
    const std::size_t start = out.size();
    out += '<';
    out += name;
    out += '>';
    const std::size_t open = out.size();
    write();
    if (out.size() == open) {
        out.resize(start);
        writeEmpty(out, name);
        return;
    }
    out += "</";
    out += name;
    out += '>';
}

template <class T>
void writeArrayItem(std::string& out, std::string_view name, const T& item)
{
    if constexpr (Record<T>)
        writeElement(out, name, [&] { writeFields(out, item); });
    else
        writeValue(out, name, item);
}

template <class T>
void writeValue(std::string& out, std::string_view name, const T& v)
{
    if constexpr (Record<T>) {
        writeElement(out, name, [&] { writeFields(out, v); });
    } else if constexpr (IsOwned<T>::value) {
        if (v)
            writeValue(out, name, *v);
    } else if constexpr (IsVector<T>::value) {
        for (const auto& item : v)
            writeArrayItem(out, name, item);
    } else if constexpr (Enumeration<T>) {
        writeText(out, name, enumName(v));
    } else if constexpr (std::is_same_v<T, QString>) {
        if (v.isEmpty())
            writeEmpty(out, name);
        else
            writeText(out, name, v.toStdString());
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
void writeField(std::string& out, const F& f, const R& r)
{
    const auto& value = r.*(f.member);
    if (f.form == FieldForm::Wrapped) {
        if constexpr (IsVector<std::decay_t<decltype(value)>>::value)
            writeElement(out, f.name, [&] {
                for (const auto& item : value)
                    writeArrayItem(out, wire::kArrayItem, item);
            });
    } else {
        writeValue(out, f.name, value);
    }
}

template <Record R>
void writeFields(std::string& out, const R& r)
{
    std::apply([&](const auto&... f) { (writeField(out, f, r), ...); }, R::fields());
}

// The content of a response element for a record or list result, as encodeResult puts it there.
template <class Result>
requires(Record<Result> || IsVector<Result>::value) void writeResult(std::string& out, const Result& r)
{
    if constexpr (Record<Result>) {
        writeFields(out, r);
    } else {
        for (const auto& item : r)
            writeArrayItem(out, wire::kArrayItem, item);
    }
}

} // namespace tvp::proto::codec
