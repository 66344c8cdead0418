#include "core/util/CodePages.h"

#include <iconv.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace tvp {

namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openIconv(const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("Zeichensatzumwandlung nicht verfügbar: ") + from + " -> " + to);
    return IconvHandle(cd);
}

} // namespace

QByteArray toWindows1252(const QString& text)
{
    QByteArray in = text.toUtf8();
    // One byte per character at most, so one buffer of the input's size always suffices.
    QByteArray out(in.size(), Qt::Uninitialized);
    IconvHandle cd = openIconv("WINDOWS-1252", "UTF-8");
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    while (srcLeft > 0) {
        if (iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        // A character the code page lacks: "?" as Windows writes it, in place of its UTF-8 sequence.
        *dst++ = '?';
        --dstLeft;
        do {
            ++src;
            --srcLeft;
        } while (srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80);
    }
    out.truncate(out.size() - qsizetype(dstLeft));
    return out;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QByteArray in = bytes;
    // Three UTF-8 bytes per byte at most (the euro sign).
    QByteArray out(in.size() * 3, Qt::Uninitialized);
    IconvHandle cd = openIconv("UTF-8", "WINDOWS-1252");
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    while (srcLeft > 0) {
        if (iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        // The five bytes the code page leaves open: Windows reads them as the control character
        // of the same number (two UTF-8 bytes).
        const auto byte = static_cast<unsigned char>(*src++);
        --srcLeft;
        *dst++ = char(0xC0 | (byte >> 6));
        *dst++ = char(0x80 | (byte & 0x3F));
        dstLeft -= 2;
    }
    out.truncate(out.size() - qsizetype(dstLeft));
    return QString::fromUtf8(out);
}

} // namespace tvp
