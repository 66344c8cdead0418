#include "core/util/CodePages.h"

#include <iconv.h>
#include <locale.h>

#include <QRegularExpression>

#include <cerrno>
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

// iconv's transliteration follows LC_CTYPE, and the plain "C" locale has no rules for it: the
// conversion runs under a locale that has them, whatever the user's is. Without one a character
// outside the code page becomes "?" and is reported as such.
class TransliterationLocale {
public:
    TransliterationLocale()
    {
        static const locale_t rules = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
        if (rules)
            previous_ = uselocale(rules);
    }
    ~TransliterationLocale()
    {
        if (previous_)
            uselocale(previous_);
    }
    TransliterationLocale(const TransliterationLocale&) = delete;
    TransliterationLocale& operator=(const TransliterationLocale&) = delete;

private:
    locale_t previous_ = nullptr;
};

bool isAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

QByteArray transliterate(const char* codePage, const QString& text)
{
    if (isAscii(text))
        return text.toLatin1();
    QByteArray in = text.toUtf8();
    TransliterationLocale rules;
    IconvHandle cd = openIconv((std::string(codePage) + "//TRANSLIT").c_str(), "UTF-8");
    // Plain letters may be several ("œ" is "oe" in code page 850): room for a few per byte.
    QByteArray out(in.size() * 4 + 16, Qt::Uninitialized);
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    while (srcLeft > 0) {
        if (iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = size_t(out.size() - used);
            continue;
        }
        // A character without any rule: "?" in place of its UTF-8 sequence.
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

QString fromCodePage(const char* codePage, const QByteArray& bytes)
{
    // Bytes written by transliterate() only: every one of them has its character.
    QByteArray in = bytes;
    QByteArray out(in.size() * 3, Qt::Uninitialized);
    IconvHandle cd = openIconv("UTF-8", codePage);
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    if (iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft) == size_t(-1))
        return QString::fromLatin1(bytes);
    out.truncate(out.size() - qsizetype(dstLeft));
    return QString::fromUtf8(out);
}

bool isAsciiPunctuation(QChar c)
{
    return c.unicode() < 0x80 && c.isPunct();
}

// Each word on its own, so the warning names "Yılmaz", not the whole team-mates' column.
void noteRespelled(const char* codePage, const QString& text, TRespelledNames& respelled)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (QString word : text.split(blanks, Qt::SkipEmptyParts)) {
        while (!word.isEmpty() && isAsciiPunctuation(word.front()))
            word.remove(0, 1);
        while (!word.isEmpty() && isAsciiPunctuation(word.back()))
            word.chop(1);
        if (isAscii(word))
            continue;
        const QString written = fromCodePage(codePage, transliterate(codePage, word));
        if (written != word)
            respelled.add(word, written);
    }
}

} // namespace

void TRespelledNames::add(const QString& stored, const QString& written)
{
    if (seen_.contains(stored))
        return;
    seen_.insert(stored);
    changes_.append({stored, written});
}

void TRespelledNames::add(const TRespelledNames& other)
{
    for (const Change& c : other.changes_)
        add(c.stored, c.written);
}

QString TRespelledNames::warning(const QString& fileName, const QString& codePageName) const
{
    constexpr qsizetype shown = 20;
    QStringList pairs;
    bool lost = false;
    for (const Change& c : changes_) {
        lost = lost || c.written.count(u'?') > c.stored.count(u'?');
        if (pairs.size() < shown)
            pairs << c.stored + QStringLiteral(" → ") + c.written;
    }
    QString list = pairs.join(QStringLiteral(", "));
    if (changes_.size() > shown)
        list += QStringLiteral(" und %1 weitere").arg(changes_.size() - shown);
    QString text = QStringLiteral("In die Datei \"%1\" wurden Namen anders als gespeichert geschrieben, weil ihr "
                                  "Zeichensatz (%2) nicht alle Zeichen kennt: %3.")
                       .arg(fileName, codePageName, list);
    if (lost)
        text += QStringLiteral(" Ein \"?\" steht für ein Zeichen, das nicht geschrieben werden konnte.");
    return text + QStringLiteral(" Bitte berichtigen Sie betroffene Dokumente bei Bedarf von Hand.");
}

QByteArray toCodePage(const char* codePage, const QString& text, TRespelledNames* respelled)
{
    const QString composed = text.normalized(QString::NormalizationForm_C);
    const QByteArray bytes = transliterate(codePage, composed);
    if (respelled && !isAscii(composed) && fromCodePage(codePage, bytes) != composed)
        noteRespelled(codePage, composed, *respelled);
    return bytes;
}

QByteArray toWindows1252(const QString& text, TRespelledNames* respelled)
{
    return toCodePage("WINDOWS-1252", text, respelled);
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
