// The metadata inputs as a user meets them: labels beside their controls, typing, ticking, and what
// each field then stores.

#include "core/ui/DateEdit.h"
#include "setup/ui/CompSetupPageMetaData.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tvp {
namespace {

CTT_MetaDataItem item(const char* id, TMetaDataDataType type, const char* defaultValue = "", bool required = false,
                      bool readOnly = false)
{
    return CTT_MetaDataItem(QString::fromUtf8(id), QString::fromUtf8(id), QString::fromUtf8(defaultValue), readOnly,
                            type, required);
}

TEST(MetaDataFields, TypedTextIsStoredWithItsType)
{
    QWidget parent;
    auto field = createMetaDataField(200, 40, item("Helfer", mdt_NNInteger, "", true));
    field->inflate(&parent);
    parent.show();
    auto* edit = parent.findChild<QLineEdit*>(QStringLiteral("HelferEdit"));
    ASSERT_TRUE(edit);
    auto* label = static_cast<TIntegerDataField*>(field.get())->DisplayLabel();
    EXPECT_EQ(label->text(), QStringLiteral("Helfer*"));
    EXPECT_EQ(label->geometry().right() + 1, 190);
    EXPECT_EQ(edit->pos(), QPoint(210, 40));

    int changes = 0;
    field->onChange = [&] { ++changes; };
    EXPECT_FALSE(field->validateContent());
    EXPECT_EQ(field->getUIInfoValue(), QStringLiteral("NNINT_"));
    QTest::keyClicks(edit, QStringLiteral("-3"));
    EXPECT_FALSE(field->validateContent());
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("12"));
    EXPECT_TRUE(field->validateContent());
    EXPECT_TRUE(field->hasChanged());
    EXPECT_GT(changes, 0);
    EXPECT_EQ(field->getUIInfoName(), QStringLiteral("MetaData_Helfer*_Helfer*:"));
    EXPECT_EQ(field->getUIInfoValue(), QStringLiteral("NNINT_12"));

    // Read back, the field is the same field with the stored content.
    auto back = createMetaDataFromUiInfo(200, 40, field->getUIInfoName(), field->getUIInfoValue());
    ASSERT_TRUE(dynamic_cast<TIntegerDataField*>(back.get()));
    EXPECT_EQ(back->getUIInfoName(), field->getUIInfoName());
    EXPECT_EQ(back->getUIInfoValue(), field->getUIInfoValue());
    EXPECT_FALSE(back->hasChanged());

    // Gone with the field: nothing of it stays on the window.
    field.reset();
    EXPECT_FALSE(parent.findChild<QLineEdit*>(QStringLiteral("HelferEdit")));
    EXPECT_TRUE(parent.findChildren<QLabel*>().isEmpty());
}

TEST(MetaDataFields, ReadOnlyStringBoolAndDate)
{
    QWidget parent;
    auto place =
        createMetaDataFromUiInfo(100, 0, QStringLiteral("MetaData_Ort !_Ort :"), QStringLiteral("STRING_Riesa"));
    ASSERT_TRUE(place);
    place->inflate(&parent);
    auto* edit = parent.findChild<QLineEdit*>(QStringLiteral("OrtEdit"));
    ASSERT_TRUE(edit);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(edit->text(), QStringLiteral("Riesa"));
    EXPECT_EQ(place->getUIInfoName(), QStringLiteral("MetaData_Ort !_Ort :"));
    edit->clear();
    EXPECT_EQ(place->getUIInfoValue(), QString());

    // Inflating again replaces the controls instead of adding to them.
    place->inflate(&parent);
    EXPECT_EQ(parent.findChildren<QLineEdit*>().size(), 1);
    EXPECT_EQ(parent.findChildren<QLabel*>().size(), 1);

    auto capital = createMetaDataField(100, 25, item("Halle", mdt_Boolean, "True"));
    capital->inflate(&parent);
    auto* box = parent.findChild<QCheckBox*>(QStringLiteral("HalleCheckBox"));
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_EQ(capital->getUIInfoValue(), QStringLiteral("BOOL_true"));
    EXPECT_TRUE(capital->hasChanged());

    auto date = createMetaDataField(100, 50, item("Tag", mdt_Date, "45430"));
    date->inflate(&parent);
    auto* picker = parent.findChild<TDateEdit*>(QStringLiteral("TagDateTimePicker"));
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->date(), QDate(2024, 5, 18));
    EXPECT_EQ(date->getUIInfoValue(), QStringLiteral("DATE_45430"));
    picker->setDate(QDate(2024, 5, 19));
    EXPECT_TRUE(date->hasChanged());
    EXPECT_EQ(date->getUIInfoValue(), QStringLiteral("DATE_45431"));

    // A default no date can be made of starts at today rather than failing the page.
    auto broken = createMetaDataField(100, 75, item("Tag2", mdt_Date, "morgen"));
    EXPECT_EQ(metaDataDoubleToDate(static_cast<TDateDataField&>(*broken).getDate()), QDate::currentDate());
}

TEST(MetaDataFields, AnIdThatNamesNoControlIsRefused)
{
    QWidget parent;
    for (const char* id : {"2Ort", "Ort Halle", "Größe"}) {
        auto field = createMetaDataField(100, 0, item(id, mdt_String));
        try {
            field->inflate(&parent);
            ADD_FAILURE() << id;
        } catch (const EMetaDataFieldError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Ungültiger Komponentenname: ") + QString::fromUtf8(id) + "Edit");
        }
    }
    EXPECT_TRUE(parent.children().isEmpty());
}

} // namespace
} // namespace tvp
