#pragma once
// The barcode payloads of athletes, blank registrations, discipline lists and tally sheets: one
// function letter followed by integers in base 32 ('0'-'9', 'A'-'V'). Every printout and every
// reader goes through these functions, so the scheme is fixed here and nowhere else.
//
// Char-terminated (CT): digits most significant first, then the terminator; 0 is the terminator
// alone. Variable-length (VL): digits least significant first, every digit but the last after a
// marker. Callers pass 'X' as terminator and marker and start decoding at position 2.

#include "core/protocol/Errors.h"

#include <QChar>
#include <QString>

namespace tvp {

// The codec's error: its text says what is wrong with the code.
class EBarcodeError : public TvpError {
public:
    using TvpError::TvpError;
};

// Payload integers carry at most 35 bits (seven base-32 digits).
inline constexpr qint64 kBarcodeMaxValue = (qint64(1) << 35) - 1;

inline constexpr QChar kBarcodeTerminator = QLatin1Char('X');

// The function letters.
inline constexpr QChar kBarcodeAthlete = QLatin1Char('A');
inline constexpr QChar kBarcodeBlank = QLatin1Char('B');
inline constexpr QChar kBarcodeDisciplineList = QLatin1Char('L');
inline constexpr QChar kBarcodeTallySheet = QLatin1Char('T');

// The letter followed by the payload text.
QString generateBarcodeFunction(QChar letter, const QString& payload);

// CT text of abs(value); a magnitude beyond 35 bits is refused.
QString EncodeIntegerCharTerminated(qint64 value, QChar terminator);
// VL text of value; a negative value or one beyond 35 bits is refused.
QString EncodeIntegerVarLength(qint64 value, QChar marker);

// pos is 1-based; on return it stands after the terminator. A value beyond 35 bits is refused.
qint64 DecodeIntegerCharTerminated(const QString& code, QChar terminator, int& pos);
// pos is 1-based; on return it stands after the last digit. A value beyond 35 bits is refused.
qint64 DecodeIntegerVarLength(const QString& code, QChar marker, int& pos);

// '0'-'9' are 0-9, 'A'-'V' are 10-31; anything else is refused.
int char39ToByte(QChar c);
QChar byteTochar39(int digit);

// A payload as text for other programs to print: between two '!'. Nothing removes the frame on
// input: scanners deliver the bare payload.
QString framedBarcode(const QString& payload);

// The payloads of the four forms, and their readers. A reader looks only at the fields after the
// letter (the caller has chosen it by the first character) and ignores text after the last field.
QString athleteBarcode(qint64 barcodeId);    // 'A' + CT
QString blankBarcode(qint64 blankBarcodeId); // 'B' + CT
qint64 decodeIdBarcode(const QString& code); // the CT of an 'A' or 'B' payload

struct TDisciplineListCode {
    qint64 disciplineBarcodeId = 0;
    qint64 heatIndex = 0; // heat number - 1
    qint64 listVersion = 0;
    qint64 topItem = 0;
    bool operator==(const TDisciplineListCode&) const = default;
};
QString disciplineListBarcode(const TDisciplineListCode& fields); // 'L' + CT + 3 VL
TDisciplineListCode decodeDisciplineListBarcode(const QString& code);

struct TTallySheetCode {
    qint64 disciplineBarcodeId = 0;
    qint64 participantBarcodeId = 0;
    qint64 attempt = 0;
    qint64 listVersion = 0;
    bool operator==(const TTallySheetCode&) const = default;
};
QString tallySheetBarcode(const TTallySheetCode& fields); // 'T' + 2 CT + 2 VL
TTallySheetCode decodeTallySheetBarcode(const QString& code);

} // namespace tvp
