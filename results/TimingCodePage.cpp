#include "results/TimingCodePage.h"

#include "core/util/CodePages.h"

#include <iconv.h>

#include <array>
#include <stdexcept>

namespace tvp {

namespace {

// Reading as a table, filled once from glibc's conversion of the 256 bytes.
struct Cp850Tables {
    std::array<char16_t, 256> toUnicode{};

    Cp850Tables()
    {
        iconv_t cd = iconv_open("UTF-16LE", "CP850");
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("Zeichensatzumwandlung nicht verfügbar: CP850");
        for (int b = 0; b < 256; ++b) {
            char in = char(b);
            char out[4] = {};
            char* src = &in;
            char* dst = out;
            size_t srcLeft = 1;
            size_t dstLeft = sizeof out;
            // Every byte of the code page stands for one character of the basic plane.
            if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == size_t(-1) || dstLeft != 2) {
                toUnicode[size_t(b)] = u'?';
                continue;
            }
            const auto unit = char16_t(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
            toUnicode[size_t(b)] = unit;
        }
        iconv_close(cd);
    }
};

const Cp850Tables& tables()
{
    static const Cp850Tables instance;
    return instance;
}

} // namespace

QByteArray toTimingCodePage(const QString& text, TRespelledNames* respelled)
{
    QString printable = text;
    for (QChar& c : printable)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return toCodePage("CP850", printable, respelled);
}

QString fromTimingCodePage(QByteArrayView bytes)
{
    const Cp850Tables& t = tables();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (char b : bytes)
        *dst++ = QChar(t.toUnicode[static_cast<unsigned char>(b)]);
    return out;
}

} // namespace tvp
