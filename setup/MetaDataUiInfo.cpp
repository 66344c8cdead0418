#include "setup/MetaDataUiInfo.h"

#include <QLocale>

#include <cmath>

namespace tvp {

namespace {

const QDate kDayZero(1899, 12, 30);

QString marker(bool required)
{
    return required ? QStringLiteral("*") : QStringLiteral(" ");
}

// The UI's number format without group separators: "45430", not "45.430".
QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

std::optional<TMetaDataDataType> typeOfWord(QStringView word)
{
    if (word == u"DATE")
        return mdt_Date;
    if (word == u"STRING")
        return mdt_String;
    if (word == u"BOOL")
        return mdt_Boolean;
    if (word == u"NNINT")
        return mdt_NNInteger;
    if (word == u"FLOAT")
        return mdt_Float;
    return std::nullopt;
}

} // namespace

QString metaDataUiInfoName(const QString& id, const QString& displayName, bool required, bool readOnly)
{
    return QStringLiteral("MetaData_") + id + marker(required) + (readOnly ? QStringLiteral("!") : QString()) + u'_' +
           displayName + marker(required) + u':';
}

QString metaDataUiInfoValue(TMetaDataDataType type, const QString& content)
{
    switch (type) {
    case mdt_Date: return QStringLiteral("DATE_") + content;
    case mdt_String: return content.isEmpty() ? QString() : QStringLiteral("STRING_") + content;
    case mdt_NNInteger: return QStringLiteral("NNINT_") + content;
    case mdt_Float: return QStringLiteral("FLOAT_") + content;
    case mdt_Boolean: return QStringLiteral("BOOL_") + content;
    }
    return {};
}

std::optional<CTT_MetaDataItem> metaDataItemFromUiInfo(const QString& key, const QString& value)
{
    const qsizetype keySep = key.indexOf(u'_');
    if (keySep < 0)
        return std::nullopt;
    const QString description = key.mid(keySep + 1);
    const qsizetype sep = description.indexOf(u'_');
    if (sep < 2)
        return std::nullopt;
    const bool readOnly = description.at(sep - 1) == u'!';
    const qsizetype markerAt = readOnly ? sep - 2 : sep - 1;
    if (markerAt < 0)
        return std::nullopt;
    const bool required = description.at(markerAt) == u'*';
    const QString id = description.left(markerAt);
    // Shorter than its two markers: no name at all.
    const QString rest = description.mid(sep + 1);
    const QString displayName = rest.size() < 2 ? QString() : rest.left(rest.size() - 2);

    const qsizetype valueSep = value.indexOf(u'_');
    if (valueSep < 0)
        return std::nullopt;
    const std::optional<TMetaDataDataType> type = typeOfWord(QStringView(value).left(valueSep));
    if (!type)
        return std::nullopt;
    const QString content = value.mid(valueSep + 1);
    // A stored date that no picker can show would be overwritten by today on the next save.
    if (*type == mdt_Date && !metaDataDateFromContent(content))
        return std::nullopt;
    return CTT_MetaDataItem(id, displayName, content, readOnly, *type, required);
}

bool metaDataContentValid(TMetaDataDataType type, const QString& text, bool required)
{
    switch (type) {
    case mdt_String: return !(text.isEmpty() && required);
    case mdt_NNInteger: {
        if (text.isEmpty() && !required)
            return true;
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        return ok && n >= 0;
    }
    case mdt_Float: {
        if (text.isEmpty() && !required)
            return true;
        bool ok = false;
        numberLocale().toDouble(text, &ok);
        return ok;
    }
    case mdt_Boolean:
    case mdt_Date: return true;
    }
    return false;
}

double metaDataDateToDouble(const QDate& date)
{
    return date.isValid() ? double(kDayZero.daysTo(date)) : 0.0;
}

QDate metaDataDoubleToDate(double days)
{
    return kDayZero.addDays(qint64(std::floor(days)));
}

QString metaDataDateContent(const QDate& date)
{
    return numberLocale().toString(metaDataDateToDouble(date), 'f', QLocale::FloatingPointShortest);
}

std::optional<QDate> metaDataDateFromContent(const QString& text)
{
    bool ok = false;
    const double days = numberLocale().toDouble(text.trimmed(), &ok);
    // The picker's range: years 100 to 9999.
    if (!ok || !std::isfinite(days) || days < -657434 || days > 2958465)
        return std::nullopt;
    return metaDataDoubleToDate(days);
}

bool isComponentName(const QString& name)
{
    if (name.isEmpty() || name.front().isDigit())
        return false;
    for (const QChar c : name)
        if (!(c == u'_' || (c.unicode() < 128 && c.isLetterOrNumber())))
            return false;
    return true;
}

} // namespace tvp
