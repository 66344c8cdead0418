#include "core/protocol/XmlProblem.h"

#include <algorithm>

namespace tvp::proto {

namespace {

QString statusText(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_ok: return QStringLiteral("kein Fehler");
    case pugi::status_file_not_found: return QStringLiteral("Datei nicht gefunden");
    case pugi::status_io_error: return QStringLiteral("Lesefehler");
    case pugi::status_out_of_memory: return QStringLiteral("zu wenig Arbeitsspeicher");
    case pugi::status_internal_error: return QStringLiteral("interner Fehler beim Lesen");
    case pugi::status_unrecognized_tag: return QStringLiteral("unbekannte Art von Tag");
    case pugi::status_bad_pi: return QStringLiteral("fehlerhafte XML-Deklaration oder Verarbeitungsanweisung");
    case pugi::status_bad_comment: return QStringLiteral("fehlerhafter Kommentar");
    case pugi::status_bad_cdata: return QStringLiteral("fehlerhafter CDATA-Abschnitt");
    case pugi::status_bad_doctype: return QStringLiteral("fehlerhafte Dokumenttyp-Deklaration");
    case pugi::status_bad_pcdata: return QStringLiteral("fehlerhafter Text");
    case pugi::status_bad_start_element: return QStringLiteral("fehlerhaftes Start-Tag");
    case pugi::status_bad_attribute: return QStringLiteral("fehlerhaftes Attribut");
    case pugi::status_bad_end_element: return QStringLiteral("fehlerhaftes End-Tag");
    case pugi::status_end_element_mismatch: return QStringLiteral("End-Tag fehlt oder passt nicht zum Start-Tag");
    case pugi::status_append_invalid_root: return QStringLiteral("Inhalt kann hier nicht eingefügt werden");
    case pugi::status_no_document_element: return QStringLiteral("kein Element im Dokument");
    }
    return QStringLiteral("unbekannter Fehler (%1)").arg(int(status));
}

// Only the syntax errors stand at a place in the text.
bool hasPlace(pugi::xml_parse_status status)
{
    return status >= pugi::status_unrecognized_tag && status <= pugi::status_end_element_mismatch;
}

} // namespace

TTextPlace textPlaceOf(std::string_view text, std::size_t offset)
{
    TTextPlace place;
    const std::size_t end = std::min(offset, text.size());
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++place.line;
            place.column = 1;
        } else if (c != '\r' && (c & 0xC0) != 0x80) {
            ++place.column; // a character's first byte
        }
    }
    return place;
}

QString xmlProblemText(const pugi::xml_parse_result& result, std::string_view text)
{
    QString out = statusText(result.status);
    if (hasPlace(result.status) && result.encoding == pugi::encoding_utf8 && result.offset >= 0 &&
        std::size_t(result.offset) <= text.size()) {
        const TTextPlace at = textPlaceOf(text, std::size_t(result.offset));
        out += QStringLiteral(" in Zeile %1, Spalte %2").arg(at.line).arg(at.column);
    }
    return out;
}

QString xmlProblemTextAtByte(const pugi::xml_parse_result& result)
{
    QString out = statusText(result.status);
    if (hasPlace(result.status) && result.offset >= 0)
        out += QStringLiteral(" bei Byte %1").arg(qlonglong(result.offset) + 1);
    return out;
}

} // namespace tvp::proto
