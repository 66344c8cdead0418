#pragma once
// What is wrong with an XML text, in German: the parser's own texts are English and name no
// line. Every reader of outside XML that tells a user why it refused the text says it this way.

#include <QString>

#include <pugixml.hpp>

#include <string_view>

namespace tvp::proto {

// "fehlerhaftes Start-Tag in Zeile 3, Spalte 15": the parser's status, and where the text went
// wrong when the parser names a place in it. text is the parsed text (UTF-8); a place in a text
// the parser read in another encoding is left out.
QString xmlProblemText(const pugi::xml_parse_result& result, std::string_view text);
// The same for a text parsed in place, which the parser has rewritten up to where it stopped:
// "fehlerhaftes Start-Tag bei Byte 1234".
QString xmlProblemTextAtByte(const pugi::xml_parse_result& result);

// Line and column (from 1, in characters) of a byte offset into a UTF-8 text; CR LF, LF and a
// lone CR each end a line.
struct TTextPlace {
    int line = 1;
    int column = 1;
};
TTextPlace textPlaceOf(std::string_view text, std::size_t offset);

} // namespace tvp::proto
