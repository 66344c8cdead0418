#include "core/barcode/BarcodeUtils.h"

namespace tvp {

namespace {

[[noreturn]] void fail(const QString& text)
{
    throw EBarcodeError(text);
}

[[noreturn]] void outOfRange()
{
    fail(QStringLiteral("Invalid Barcode: integer out of range"));
}

// The 1-based character at pos; the caller has checked the bounds.
QChar at(const QString& code, int pos)
{
    return code.at(pos - 1);
}

} // namespace

QString generateBarcodeFunction(QChar letter, const QString& payload)
{
    return letter + payload;
}

int char39ToByte(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'V')
        return u - 55;
    fail(QStringLiteral("Decoding: Invalid Character: ") + c);
}

QChar byteTochar39(int digit)
{
    if (digit < 0 || digit >= 32)
        fail(QStringLiteral("Encoding: Only digits<32 allowed, used ") + QString::number(digit));
    return digit < 10 ? QChar(u'0' + digit) : QChar(char16_t(digit + 55));
}

namespace {

// A payload as it is written, on the stack and made a QString once: the longest, 'L' with a CT
// (at most 8 characters) and three VL (at most 13 each), takes 48.
class PayloadText {
public:
    explicit PayloadText(QChar letter = QChar())
    {
        if (!letter.isNull())
            put(letter);
    }
    void put(QChar c) { chars_[size_++] = c; }
    QString text() const { return QString(chars_, size_); }

    void appendCharTerminated(qint64 value, QChar terminator)
    {
        // Checked before taking the magnitude, so the most negative value cannot overflow.
        if (value > kBarcodeMaxValue || value < -kBarcodeMaxValue)
            fail(QStringLiteral("Encoding: integer out of range: ") + QString::number(value));
        qint64 rest = value < 0 ? -value : value;
        QChar digits[7];
        int count = 0;
        while (rest > 0) {
            digits[count++] = byteTochar39(int(rest & 31));
            rest >>= 5;
        }
        while (count > 0)
            put(digits[--count]);
        put(terminator);
    }

    void appendVarLength(qint64 value, QChar marker)
    {
        if (value < 0 || value > kBarcodeMaxValue)
            fail(QStringLiteral("Encoding: integer out of range: ") + QString::number(value));
        while (value > 31) {
            put(marker);
            put(byteTochar39(int(value & 31)));
            value >>= 5;
        }
        put(byteTochar39(int(value)));
    }

private:
    QChar chars_[64];
    int size_ = 0;
};

} // namespace

QString EncodeIntegerCharTerminated(qint64 value, QChar terminator)
{
    PayloadText text;
    text.appendCharTerminated(value, terminator);
    return text.text();
}

QString EncodeIntegerVarLength(qint64 value, QChar marker)
{
    PayloadText text;
    text.appendVarLength(value, marker);
    return text.text();
}

qint64 DecodeIntegerCharTerminated(const QString& code, QChar terminator, int& pos)
{
    if (pos < 1 || code.size() < pos)
        fail(QStringLiteral("Invalid Barcode: Index out of bounds"));
    qint64 value = 0;
    while (at(code, pos) != terminator) {
        value = value * 32 + char39ToByte(at(code, pos));
        // Leading zero digits may be many; only the value is bounded.
        if (value > kBarcodeMaxValue)
            outOfRange();
        ++pos;
        if (pos > code.size())
            fail(QStringLiteral("Terminator character not found"));
    }
    ++pos;
    return value;
}

qint64 DecodeIntegerVarLength(const QString& code, QChar marker, int& pos)
{
    if (pos < 1 || code.size() < pos)
        fail(QStringLiteral("Invalid Barcode: Index out of bounds"));
    int shift = 0;
    qint64 value = 0;
    const auto add = [&](int digit) {
        if (digit == 0)
            return;
        // A digit at or beyond bit 35 cannot be part of a valid value; checking before the
        // shift keeps the shift itself defined however many pairs come.
        if (shift >= 35)
            outOfRange();
        value += qint64(digit) << shift;
        if (value > kBarcodeMaxValue)
            outOfRange();
    };
    while (at(code, pos) == marker) {
        ++pos;
        if (pos > code.size())
            fail(QStringLiteral("Invalid Barcode: corrupt var length integer"));
        add(char39ToByte(at(code, pos)));
        ++pos;
        shift += 5;
        if (pos > code.size())
            fail(QStringLiteral("Invalid Barcode: corrupt var length integer ending"));
    }
    add(char39ToByte(at(code, pos)));
    ++pos;
    return value;
}

QString framedBarcode(const QString& payload)
{
    return QLatin1Char('!') + payload + QLatin1Char('!');
}

QString athleteBarcode(qint64 barcodeId)
{
    PayloadText code(kBarcodeAthlete);
    code.appendCharTerminated(barcodeId, kBarcodeTerminator);
    return code.text();
}

QString blankBarcode(qint64 blankBarcodeId)
{
    PayloadText code(kBarcodeBlank);
    code.appendCharTerminated(blankBarcodeId, kBarcodeTerminator);
    return code.text();
}

qint64 decodeIdBarcode(const QString& code)
{
    int pos = 2;
    return DecodeIntegerCharTerminated(code, kBarcodeTerminator, pos);
}

QString disciplineListBarcode(const TDisciplineListCode& f)
{
    const QChar x = kBarcodeTerminator;
    PayloadText code(kBarcodeDisciplineList);
    code.appendCharTerminated(f.disciplineBarcodeId, x);
    code.appendVarLength(f.heatIndex, x);
    code.appendVarLength(f.listVersion, x);
    code.appendVarLength(f.topItem, x);
    return code.text();
}

TDisciplineListCode decodeDisciplineListBarcode(const QString& code)
{
    const QChar x = kBarcodeTerminator;
    int pos = 2;
    TDisciplineListCode f;
    f.disciplineBarcodeId = DecodeIntegerCharTerminated(code, x, pos);
    f.heatIndex = DecodeIntegerVarLength(code, x, pos);
    f.listVersion = DecodeIntegerVarLength(code, x, pos);
    f.topItem = DecodeIntegerVarLength(code, x, pos);
    return f;
}

QString tallySheetBarcode(const TTallySheetCode& f)
{
    const QChar x = kBarcodeTerminator;
    PayloadText code(kBarcodeTallySheet);
    code.appendCharTerminated(f.disciplineBarcodeId, x);
    code.appendCharTerminated(f.participantBarcodeId, x);
    code.appendVarLength(f.attempt, x);
    code.appendVarLength(f.listVersion, x);
    return code.text();
}

TTallySheetCode decodeTallySheetBarcode(const QString& code)
{
    const QChar x = kBarcodeTerminator;
    int pos = 2;
    TTallySheetCode f;
    f.disciplineBarcodeId = DecodeIntegerCharTerminated(code, x, pos);
    f.participantBarcodeId = DecodeIntegerCharTerminated(code, x, pos);
    f.attempt = DecodeIntegerVarLength(code, x, pos);
    f.listVersion = DecodeIntegerVarLength(code, x, pos);
    return f;
}

} // namespace tvp
