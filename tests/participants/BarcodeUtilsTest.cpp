// The barcode payload codec: the examples of the scheme, every error text, the 35-bit bound and
// round trips of random values for each integer form and each payload.

#include "core/barcode/BarcodeUtils.h"
#include "tests/support/TestUtil.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tvp;

namespace {

const QChar X = kBarcodeTerminator;

// The codec's error text for a decode from position 2, empty when it decodes.
QString ctError(const QString& code)
{
    int pos = 2;
    try {
        DecodeIntegerCharTerminated(code, X, pos);
    } catch (const EBarcodeError& e) {
        return e.message();
    }
    return {};
}

QString vlError(const QString& code)
{
    int pos = 2;
    try {
        DecodeIntegerVarLength(code, X, pos);
    } catch (const EBarcodeError& e) {
        return e.message();
    }
    return {};
}

qint64 ct(const QString& code, int* endPos = nullptr)
{
    int pos = 2;
    const qint64 value = DecodeIntegerCharTerminated(code, X, pos);
    if (endPos)
        *endPos = pos;
    return value;
}

qint64 vl(const QString& code, int* endPos = nullptr)
{
    int pos = 2;
    const qint64 value = DecodeIntegerVarLength(code, X, pos);
    if (endPos)
        *endPos = pos;
    return value;
}

TEST(BarcodeCodec, ExamplesOfTheScheme)
{
    EXPECT_EQ(EncodeIntegerCharTerminated(0, X), QStringLiteral("X"));
    EXPECT_EQ(EncodeIntegerCharTerminated(33, X), QStringLiteral("11X"));
    EXPECT_EQ(EncodeIntegerCharTerminated(1000, X), QStringLiteral("V8X"));
    EXPECT_EQ(EncodeIntegerCharTerminated(-33, X), QStringLiteral("11X")) << "the sign is dropped";
    EXPECT_EQ(EncodeIntegerVarLength(33, X), QStringLiteral("X11"));
    EXPECT_EQ(EncodeIntegerVarLength(1000, X), QStringLiteral("X8V"));
    EXPECT_EQ(EncodeIntegerVarLength(5, X), QStringLiteral("5"));
    EXPECT_EQ(EncodeIntegerVarLength(31, X), QStringLiteral("V"));
    EXPECT_EQ(EncodeIntegerVarLength(0, X), QStringLiteral("0"));
    EXPECT_EQ(athleteBarcode(33), QStringLiteral("A11X"));
    EXPECT_EQ(blankBarcode(33), QStringLiteral("B11X"));
    EXPECT_EQ(framedBarcode(blankBarcode(34)), QStringLiteral("!B12X!"));
    EXPECT_EQ(generateBarcodeFunction(QLatin1Char('A'), QStringLiteral("11X")), QStringLiteral("A11X"));
    EXPECT_EQ(disciplineListBarcode({5, 0, 7, 0}), QStringLiteral("L5X070"));
    EXPECT_EQ(tallySheetBarcode({5, 33, 1, 1000}), QStringLiteral("T5X11X1X8V"));
}

TEST(BarcodeCodec, DecodingReadsThePayloadsAndMovesThePosition)
{
    int end = 0;
    EXPECT_EQ(ct(QStringLiteral("AX"), &end), 0);
    EXPECT_EQ(end, 3);
    EXPECT_EQ(ct(QStringLiteral("A11X"), &end), 33);
    EXPECT_EQ(end, 5) << "after the terminator";
    EXPECT_EQ(ct(QStringLiteral("A11XZZ")), 33) << "text after the terminator is ignored";
    EXPECT_EQ(ct(QStringLiteral("A0000000000001X")), 1) << "leading zero digits are no overflow";
    EXPECT_EQ(vl(QStringLiteral("LX8V"), &end), 1000);
    EXPECT_EQ(end, 5) << "after the last digit";
    EXPECT_EQ(vl(QStringLiteral("L5")), 5);
    EXPECT_EQ(decodeIdBarcode(QStringLiteral("B12X")), 34);
    EXPECT_EQ(decodeDisciplineListBarcode(QStringLiteral("L5X070")), (TDisciplineListCode{5, 0, 7, 0}));
    EXPECT_EQ(decodeTallySheetBarcode(QStringLiteral("T5X11X1X8V")), (TTallySheetCode{5, 33, 1, 1000}));
}

TEST(BarcodeCodec, EveryErrorHasItsText)
{
    EXPECT_EQ(ctError(QStringLiteral("A")), QStringLiteral("Invalid Barcode: Index out of bounds"));
    EXPECT_EQ(ctError(QStringLiteral("A12")), QStringLiteral("Terminator character not found"));
    EXPECT_EQ(ctError(QStringLiteral("A1?X")), QStringLiteral("Decoding: Invalid Character: ?"));
    EXPECT_EQ(ctError(QStringLiteral("AWX")), QStringLiteral("Decoding: Invalid Character: W"));
    EXPECT_EQ(ctError(QStringLiteral("A1aX")), QStringLiteral("Decoding: Invalid Character: a")) << "upper case only";
    EXPECT_EQ(ctError(QStringLiteral("A11X!")), QString()) << "a closing frame is text after the terminator";
    EXPECT_EQ(vlError(QStringLiteral("L")), QStringLiteral("Invalid Barcode: Index out of bounds"));
    EXPECT_EQ(vlError(QStringLiteral("LX")), QStringLiteral("Invalid Barcode: corrupt var length integer"));
    EXPECT_EQ(vlError(QStringLiteral("LX1")), QStringLiteral("Invalid Barcode: corrupt var length integer ending"));
    EXPECT_EQ(vlError(QStringLiteral("LXY5")), QStringLiteral("Decoding: Invalid Character: Y"));
    EXPECT_EQ(vlError(QStringLiteral("L!")), QStringLiteral("Decoding: Invalid Character: !"));

    int zero = 0;
    EXPECT_THROW(DecodeIntegerCharTerminated(QStringLiteral("AX"), X, zero), EBarcodeError) << "positions are 1-based";
    EXPECT_EQ(char39ToByte(QLatin1Char('V')), 31);
    EXPECT_EQ(byteTochar39(10), QLatin1Char('A'));
    try {
        byteTochar39(32);
        ADD_FAILURE() << "32 is no digit";
    } catch (const EBarcodeError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Encoding: Only digits<32 allowed, used 32"));
    }
    EXPECT_THROW(byteTochar39(-1), EBarcodeError);
}

// Fault mended: six and more digits overflowed a 32-bit integer.
TEST(BarcodeCodec, PayloadsOfSixOrMoreDigitsReadAs64BitValues)
{
    EXPECT_EQ(ct(QStringLiteral("A100000X")), qint64(1) << 25);
    EXPECT_EQ(ct(QStringLiteral("A1VVVVVVX")), (qint64(1) << 31) - 1);
    EXPECT_EQ(ct(QStringLiteral("A2000000X")), qint64(1) << 31) << "one beyond a 32-bit integer";
    EXPECT_EQ(ct(QStringLiteral("A4000000X")), qint64(1) << 32);
    EXPECT_EQ(decodeIdBarcode(QStringLiteral("BV000000X")), qint64(31) << 30);
    EXPECT_EQ(vl(QStringLiteral("LX0X0X0X0X0X02")), qint64(1) << 31);
    EXPECT_EQ(decodeIdBarcode(athleteBarcode(qint64(1) << 33)), qint64(1) << 33);
}

TEST(BarcodeCodec, IntegersBeyond35BitsAreRefusedNeverWrapped)
{
    const qint64 max = kBarcodeMaxValue;
    EXPECT_EQ(EncodeIntegerCharTerminated(max, X), QStringLiteral("VVVVVVVX"));
    EXPECT_EQ(ct(QStringLiteral("AVVVVVVVX")), max);
    const QString outOfRange = QStringLiteral("Invalid Barcode: integer out of range");
    EXPECT_EQ(ctError(QStringLiteral("A10000000X")), outOfRange) << "2^35";
    EXPECT_EQ(ctError(QStringLiteral("A") + QString(40, QLatin1Char('V')) + QStringLiteral("X")), outOfRange)
        << "would wrap a 64-bit value";

    EXPECT_EQ(EncodeIntegerVarLength(max, X), QStringLiteral("XVXVXVXVXVXVV"));
    EXPECT_EQ(vl(QStringLiteral("LXVXVXVXVXVXVV")), max);
    EXPECT_EQ(vlError(QStringLiteral("LXVXVXVXVXVXVXV1")), outOfRange) << "a digit at bit 35";
    EXPECT_EQ(vlError(QStringLiteral("LXVXVXVXVXVXVXVXVXVXVXVXVXVXVV")), outOfRange);
    EXPECT_EQ(vl(QStringLiteral("L") + QStringLiteral("X0").repeated(30) + QStringLiteral("0")), 0)
        << "many zero pairs shift nothing out of range";
    EXPECT_EQ(vlError(QStringLiteral("L") + QStringLiteral("X0").repeated(30) + QStringLiteral("1")), outOfRange)
        << "a late digit is refused before any shift beyond 63";

    EXPECT_THROW(EncodeIntegerCharTerminated(max + 1, X), EBarcodeError);
    EXPECT_THROW(EncodeIntegerCharTerminated(-max - 1, X), EBarcodeError);
    EXPECT_THROW(EncodeIntegerCharTerminated(std::numeric_limits<qint64>::min(), X), EBarcodeError);
    EXPECT_THROW(EncodeIntegerVarLength(max + 1, X), EBarcodeError);
    EXPECT_THROW(EncodeIntegerVarLength(-1, X), EBarcodeError) << "a negative VL value is refused";
    EXPECT_THROW(disciplineListBarcode({5, -1, 7, 0}), EBarcodeError) << "heat number 0 has no VL";

    const TDisciplineListCode longestList{max, max, max, max};
    EXPECT_EQ(disciplineListBarcode(longestList).size(), 48);
    EXPECT_EQ(decodeDisciplineListBarcode(disciplineListBarcode(longestList)), longestList);
    const TTallySheetCode longestTally{max, max, max, max};
    EXPECT_EQ(decodeTallySheetBarcode(tallySheetBarcode(longestTally)), longestTally);
}

TEST(BarcodeCodec, RandomValuesRoundTripInEveryForm)
{
    QRandomGenerator random(20240611);
    const auto value = [&] {
        // Small and large magnitudes alike: a random bit length, then a random value of it.
        const int bits = random.bounded(36);
        return bits == 0 ? qint64(0) : qint64(random.generate64() & ((quint64(1) << bits) - 1));
    };
    for (int i = 0; i < 20000; ++i) {
        const qint64 v = value();
        int end = 0;
        const QString c = QStringLiteral("A") + EncodeIntegerCharTerminated(v, X);
        ASSERT_EQ(ct(c, &end), v) << c.toStdString();
        ASSERT_EQ(end, c.size() + 1);
        const QString n = QStringLiteral("A") + EncodeIntegerCharTerminated(-v, X);
        ASSERT_EQ(ct(n), v);
        const QString l = QStringLiteral("L") + EncodeIntegerVarLength(v, X);
        ASSERT_EQ(vl(l, &end), v) << l.toStdString();
        ASSERT_EQ(end, l.size() + 1);

        ASSERT_EQ(decodeIdBarcode(athleteBarcode(v)), v);
        ASSERT_EQ(decodeIdBarcode(blankBarcode(v)), v);
        const TDisciplineListCode list{value(), value(), value(), value()};
        const QString listCode = disciplineListBarcode(list);
        ASSERT_EQ(listCode.front(), QLatin1Char('L'));
        ASSERT_EQ(decodeDisciplineListBarcode(listCode), list) << listCode.toStdString();
        const TTallySheetCode tally{value(), value(), value(), value()};
        const QString tallyCode = tallySheetBarcode(tally);
        ASSERT_EQ(tallyCode.front(), QLatin1Char('T'));
        ASSERT_EQ(decodeTallySheetBarcode(tallyCode), tally) << tallyCode.toStdString();
        for (const QString& code : {c, l, listCode, tallyCode})
            for (const QChar ch : code)
                ASSERT_TRUE((ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) ||
                            (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z')))
                    << "payloads are upper-case letters and digits: " << code.toStdString();
    }
}

// Without libFuzzer (scripts/fuzz.sh), a seeded loop over scanner-like input: any text gives a
// value or the codec's error.
TEST(BarcodeCodec, AnyInputGivesAValueOrTheCodecsError)
{
    QRandomGenerator random(7);
    const QString alphabet = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZX!?a \u00e4");
    for (int i = 0; i < 50000; ++i) {
        QString code;
        const int length = random.bounded(24);
        for (int k = 0; k < length; ++k)
            code += alphabet.at(random.bounded(int(alphabet.size())));
        for (int start = -1; start <= 3; ++start) {
            int pos = start;
            try {
                const qint64 v = DecodeIntegerCharTerminated(code, X, pos);
                ASSERT_GE(v, 0);
                ASSERT_LE(v, kBarcodeMaxValue);
                ASSERT_LE(pos, code.size() + 1);
            } catch (const EBarcodeError&) {
            }
            pos = start;
            try {
                const qint64 v = DecodeIntegerVarLength(code, X, pos);
                ASSERT_GE(v, 0);
                ASSERT_LE(v, kBarcodeMaxValue);
                ASSERT_LE(pos, code.size() + 1);
            } catch (const EBarcodeError&) {
            }
        }
    }
}

} // namespace
