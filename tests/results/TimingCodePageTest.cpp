// Names in code page 850: a byte per character it has, plain letters for the others.

#include "results/TimingCodePage.h"

#include "core/results/tvpUtils.h"
#include "core/util/CodePages.h"

#include <gtest/gtest.h>

namespace tvp {
namespace {

TEST(TimingCodePage, GermanLettersAgreeWithTheSharedDosHelpers)
{
    EXPECT_EQ(toTimingCodePage(QStringLiteral("Müller")), QByteArray("M\x81ller"));
    for (const QChar c : QStringLiteral("äöüÄÖÜßéá")) {
        const QByteArray shared = encodeDosString(toWindows1252(QString(c)));
        EXPECT_EQ(toTimingCodePage(QString(c)), shared) << QString(c).toStdString();
        EXPECT_EQ(fromTimingCodePage(shared), QString(c));
        EXPECT_EQ(fromWindows1252(decodeDosString(shared)), QString(c));
    }
}

TEST(TimingCodePage, EveryCharacterIsItsByteOrItsPlainLetters)
{
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QStringLiteral("Nuñez François"), "Nu\xa4"
                                           "ez Fran\x87ois"}, // in code page 850, not among the nine
        {QStringLiteral("Łódź €"), "L\xa2"
                                   "dz EUR"},    // outside it: plain letters
        {QStringLiteral("Šimon Œ"), "Simon OE"}, // in Windows-1252, not in 850
        {QStringLiteral("Läufer 🏃 x"), "L\x84"
                                       "ufer ? x"},    // none: one "?" for the whole pair
        {QStringLiteral("Mu\u0308ller"), "M\x81ller"}, // combining diaeresis joined
        {QStringLiteral("A\tB\r\nC\x7f"), "A B  C "},  // no TAB or line break in a record
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toTimingCodePage(c.text), c.bytes) << c.text.toStdString();
    }
}

TEST(TimingCodePage, PrintableBytesReadBackToThemselves)
{
    for (int b = 0x20; b < 0x100; ++b) {
        if (b == 0x7F)
            continue;
        const QByteArray byte(1, char(b));
        const QString text = fromTimingCodePage(byte);
        ASSERT_EQ(text.size(), 1) << b;
        EXPECT_EQ(toTimingCodePage(text), byte) << b;
    }
    EXPECT_EQ(fromTimingCodePage("Gr\x94\xe1"
                                 "e"),
              QStringLiteral("Größe"));
}

} // namespace
} // namespace tvp
