#include "core/lists/CsvExport.h"

#include "core/lists/ListCells.h"
#include "core/results/tvpUtils.h"
#include "core/util/FileWrite.h"

#include <QAbstractItemModel>
#include <QBuffer>
#include <QLocale>
#include <QRegularExpression>

#include <exception>

namespace tvp {

namespace {

const QString kCertificatePlaceCaption = QStringLiteral("Urkundenplatzierung");

// What follows a result's last digit is at most its unit ("s", "min", "Pkt"). A cell holding more,
// such as another value or a status ("6,05s, aufg."), still parses up to that digit, but its number
// alone would pass the rest off as a plain result.
bool endsWithUnitOnly(const QString& text)
{
    static const QRegularExpression unitOnly(QStringLiteral("[0-9]\\s*[^0-9\\s,]*\\s*$"));
    return unitOnly.match(text).hasMatch();
}

// A cell that is one result becomes its plain number, in the user's decimal format.
QString convertedCell(const QString& text)
{
    proto::ResultType result;
    bool isPoints = false;
    if (!StringToResult(text, proto::ResultValueType::Info, result, THeightFormat::no, isPoints) ||
        !endsWithUnitOnly(text))
        return text;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double value = resultToFloat(result);
    if (int(result.Type_) >= 2 || isPoints)
        return locale.toString(value, 'g', 15);
    return locale.toString(value, 'f', 2);
}

} // namespace

QByteArray csvOfModel(const QAbstractItemModel& model, bool convertResults, int placeColumn, TRespelledNames* respelled)
{
    const int columns = model.columnCount();
    const bool withPlace = placeColumn >= 0 && placeColumn < columns;
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);

    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            out.write(";");
        if (withPlace && c == placeColumn) {
            writeStringCsvEscaped(out, kCertificatePlaceCaption);
            out.write(";");
        }
        writeStringCsvEscaped(out, fileColumnName(model, c), respelled);
    }
    out.write("\r\n");

    const int rows = model.rowCount();
    for (int row = 0; row < rows; ++row) {
        // A row without a placement is no certificate; a row lacking that cell altogether stays.
        if (withPlace && hasCell(model, row, placeColumn) && cellText(model, row, placeColumn).isEmpty())
            continue;
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                out.write(";");
            const QString text = cellText(model, row, c);
            const QString cell = convertResults ? convertedCell(text) : text;
            writeStringCsvEscaped(out, cell, respelled);
            if (withPlace && c == placeColumn) {
                out.write(";");
                writeStringCsvEscaped(out, cell, respelled);
            }
        }
        out.write("\r\n");
    }
    return bytes;
}

bool writeCsvFile(const QString& path, const QAbstractItemModel& model, bool convertResults, int placeColumn,
                  TRespelledNames* respelled)
{
    try {
        return writeFileWhole(path, csvOfModel(model, convertResults, placeColumn, respelled));
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace tvp
