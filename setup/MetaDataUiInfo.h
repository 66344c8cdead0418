#pragma once
// Competition metadata as UI infos: the key carries a field's description
// ("MetaData_" ID R W "_" display name R ":"), the value its type word and content ("NNINT_12").
// The wizard stores the fields this way and the competition details window reads them back, so
// both directions live here, without widgets.

#include "setup/CompetitionType.h"

#include <QDate>
#include <QString>

#include <optional>

namespace tvp {

// The key of a field; reading it back gives the same description.
QString metaDataUiInfoName(const QString& id, const QString& displayName, bool required, bool readOnly);

// "DATE_", "STRING_", "NNINT_", "FLOAT_" or "BOOL_" and the content; an empty string gives an
// empty value.
QString metaDataUiInfoValue(TMetaDataDataType type, const QString& content);

// The description and content of a stored UI info as an item (content as its default value); none
// for a key or value the format does not describe. Never throws.
std::optional<CTT_MetaDataItem> metaDataItemFromUiInfo(const QString& key, const QString& value);

// Whether the text is acceptable content for a field of that type.
bool metaDataContentValid(TMetaDataDataType type, const QString& text, bool required);

// Dates as whole days since 30 December 1899, written as the UI writes numbers ("45430").
double metaDataDateToDouble(const QDate& date);
QDate metaDataDoubleToDate(double days);
QString metaDataDateContent(const QDate& date);
// A date content or default value; none when it is no number of a date the picker can show.
std::optional<QDate> metaDataDateFromContent(const QString& text);

// Letters, digits and "_", not beginning with a digit: what the controls' names must be.
bool isComponentName(const QString& name);

} // namespace tvp
