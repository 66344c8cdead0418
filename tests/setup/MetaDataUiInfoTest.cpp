// Metadata UI infos: keys and values as the wizard stores them and the details window reads them.

#include "setup/MetaDataUiInfo.h"

#include <gtest/gtest.h>

namespace tvp {
namespace {

TEST(MetaDataUiInfo, KeysReadBackToTheSameDescription)
{
    const QString required =
        metaDataUiInfoName(QStringLiteral("Veranstalter"), QStringLiteral("Veranstalter"), true, false);
    EXPECT_EQ(required, QStringLiteral("MetaData_Veranstalter*_Veranstalter*:"));
    const QString readOnly = metaDataUiInfoName(QStringLiteral("Ort"), QStringLiteral("Ort"), false, true);
    EXPECT_EQ(readOnly, QStringLiteral("MetaData_Ort !_Ort :"));

    struct Case {
        QString key;
        QString id, name;
        bool required, readOnly;
    };
    const Case cases[] = {
        {required, "Veranstalter", "Veranstalter", true, false},
        {readOnly, "Ort", "Ort", false, true},
        {"MetaData_Halle*!_In der Halle_Sport*:", "Halle", "In der Halle_Sport", true, true},
        // Shorter than its two markers: no name.
        {"MetaData_Ab*_x", "Ab", "", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        const std::optional<CTT_MetaDataItem> item = metaDataItemFromUiInfo(c.key, QStringLiteral("STRING_x"));
        ASSERT_TRUE(item);
        EXPECT_EQ(item->ID, c.id);
        EXPECT_EQ(item->DisplayName, c.name);
        EXPECT_EQ(item->IsMandatoryField, c.required);
        EXPECT_EQ(item->isReadOnly, c.readOnly);
        EXPECT_EQ(item->DefaultValue, QStringLiteral("x"));
        if (!c.name.isEmpty()) {
            EXPECT_EQ(metaDataUiInfoName(item->ID, item->DisplayName, item->IsMandatoryField, item->isReadOnly), c.key);
        }
    }
}

TEST(MetaDataUiInfo, MalformedKeysAndValuesGiveNoField)
{
    const QString key = QStringLiteral("MetaData_Ort*_Ort*:");
    for (const QString& bad : {QStringLiteral("MetaDataOrt"), QStringLiteral("MetaData__Ort*:"),
                               QStringLiteral("MetaData_O_rt*:"), QStringLiteral("MetaData_Ort")})
        EXPECT_FALSE(metaDataItemFromUiInfo(bad, QStringLiteral("STRING_x"))) << bad.toStdString();
    for (const QString& bad : {QString(), QStringLiteral("STRINGx"), QStringLiteral("TEXT_x"),
                               QStringLiteral("string_x"), QStringLiteral("DATE_morgen"), QStringLiteral("DATE_1e300")})
        EXPECT_FALSE(metaDataItemFromUiInfo(key, bad)) << bad.toStdString();

    const std::pair<const char*, TMetaDataDataType> types[] = {{"DATE_45430", mdt_Date},
                                                               {"STRING_a_b", mdt_String},
                                                               {"BOOL_true", mdt_Boolean},
                                                               {"NNINT_", mdt_NNInteger},
                                                               {"FLOAT_2,5", mdt_Float}};
    for (const auto& [value, type] : types) {
        const std::optional<CTT_MetaDataItem> item = metaDataItemFromUiInfo(key, QString::fromUtf8(value));
        ASSERT_TRUE(item) << value;
        EXPECT_EQ(item->dataType, type);
    }
    EXPECT_EQ(metaDataItemFromUiInfo(key, QStringLiteral("STRING_a_b"))->DefaultValue, QStringLiteral("a_b"));
}

TEST(MetaDataUiInfo, ValuesAndDates)
{
    EXPECT_EQ(metaDataUiInfoValue(mdt_String, QString()), QString());
    EXPECT_EQ(metaDataUiInfoValue(mdt_String, QStringLiteral("Halle")), QStringLiteral("STRING_Halle"));
    EXPECT_EQ(metaDataUiInfoValue(mdt_NNInteger, QString()), QStringLiteral("NNINT_"));
    EXPECT_EQ(metaDataUiInfoValue(mdt_Float, QString()), QStringLiteral("FLOAT_"));

    // No group separator, although the UI writes thousands with one.
    EXPECT_EQ(metaDataUiInfoValue(mdt_Date, metaDataDateContent(QDate(2024, 5, 18))), QStringLiteral("DATE_45430"));
    EXPECT_EQ(metaDataDateFromContent(QStringLiteral("45430")), QDate(2024, 5, 18));
    EXPECT_EQ(metaDataDateFromContent(QStringLiteral("45430,75")), QDate(2024, 5, 18));
    EXPECT_EQ(metaDataDateFromContent(QStringLiteral("0")), QDate(1899, 12, 30));
    EXPECT_FALSE(metaDataDateFromContent(QStringLiteral("45.430")));
    EXPECT_FALSE(metaDataDateFromContent(QStringLiteral("nan")));
}

TEST(MetaDataUiInfo, ContentIsCheckedByType)
{
    for (const char* text : {"-3", "abc", "", "1,5"})
        EXPECT_FALSE(metaDataContentValid(mdt_NNInteger, QString::fromUtf8(text), true)) << text;
    EXPECT_TRUE(metaDataContentValid(mdt_NNInteger, QString(), false));
    EXPECT_TRUE(metaDataContentValid(mdt_NNInteger, QStringLiteral("0"), true));
    EXPECT_FALSE(metaDataContentValid(mdt_NNInteger, QStringLiteral("-1"), false));

    EXPECT_TRUE(metaDataContentValid(mdt_Float, QStringLiteral("2,5"), true));
    EXPECT_FALSE(metaDataContentValid(mdt_Float, QStringLiteral("2x"), false));
    EXPECT_FALSE(metaDataContentValid(mdt_Float, QString(), true));
    EXPECT_TRUE(metaDataContentValid(mdt_Float, QString(), false));

    EXPECT_FALSE(metaDataContentValid(mdt_String, QString(), true));
    EXPECT_TRUE(metaDataContentValid(mdt_String, QString(), false));
    EXPECT_TRUE(metaDataContentValid(mdt_Date, QString(), true));

    EXPECT_TRUE(isComponentName(QStringLiteral("_Ort2Edit")));
    for (const char* name : {"", "2Ort", "Ort Edit", "Größe", "Ort-Edit"})
        EXPECT_FALSE(isComponentName(QString::fromUtf8(name))) << name;
}

} // namespace
} // namespace tvp
