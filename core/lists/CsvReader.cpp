#include "core/lists/CsvReader.h"

#include "core/util/CodePages.h"

#include <QIODevice>
#include <QStringDecoder>

namespace tvp {

namespace {

// Spreadsheets on Linux save UTF-8, older Windows ones the ANSI code page. A byte-order mark, or
// bytes that are valid UTF-8 (text in Windows-1252 with umlauts hardly ever is), say UTF-8;
// anything else is Windows-1252. ASCII reads the same either way.
QString csvText(const QByteArray& bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.constData() + bom.size(), bytes.size() - bom.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes);
}

} // namespace

TCsvList parseCSV(QIODevice& stream)
{
    return parseCSV(stream.readAll());
}

TCsvList parseCSV(const QByteArray& bytes)
{
    // Both encodings keep ';', '"', CR and LF as they are, so the rules below read the decoded
    // text character by character as they would read the bytes.
    const QString text = csvText(bytes);
    TCsvList rows;
    TCsvRow row;
    QString field;
    bool inQuotes = false;
    bool quoteMarked = false; // a '"' was just read inside quotes
    bool fieldQuoted = false; // the pending field was quoted: it exists even when empty

    const auto endField = [&] {
        row.append(field);
        field.clear();
        fieldQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        rows.push_back(std::move(row));
        row = TCsvRow();
    };

    for (const QChar c : text) {
        if (inQuotes) {
            if (!quoteMarked) {
                if (c == QLatin1Char('"'))
                    quoteMarked = true;
                else
                    field.append(c);
                continue;
            }
            quoteMarked = false;
            if (c == QLatin1Char('"')) {
                field.append(c);
                continue;
            }
            inQuotes = false;
            if (c == QLatin1Char(';'))
                endField();
            else if (c == QLatin1Char('\n'))
                endRecord();
            else if (c != QLatin1Char('\r'))
                throw ECsvError(QStringLiteral("Fehler beim Lesen der CSV-Datei in Zeile %1: Nach einem \"-Quote-Ende "
                                               "muss ein \";\" oder Absatz folgen")
                                    .arg(rows.size() + 1));
            continue;
        }
        if (c == QLatin1Char('"') && field.isEmpty()) {
            inQuotes = true;
            fieldQuoted = true;
        } else if (c == QLatin1Char(';')) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            endRecord();
        } else if (c != QLatin1Char('\r')) {
            field.append(c);
        }
    }
    if (inQuotes && !quoteMarked)
        throw ECsvError(QStringLiteral("Fehler beim Lesen der CSV-Datei: Nicht abgeschlossenes \"-Quote am Ende."));
    // The last field counts when it has text, was quoted, or follows a ';' of its row: a line
    // "a;b;" without a line break has three fields, as it has with one.
    if (!field.isEmpty() || fieldQuoted || !row.isEmpty())
        endField();
    if (!row.isEmpty())
        rows.push_back(std::move(row));
    return rows;
}

} // namespace tvp
