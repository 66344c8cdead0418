#include "setup/ui/CompSetupPageMetaData.h"

#include "core/ui/DateEdit.h"

#include <QCheckBox>
#include <QLineEdit>

namespace tvp {

namespace {

constexpr int kEditWidth = 200;
// The details window's label column is 150 wide; the middle line is 10 left of its inputs.
constexpr int kLabelColumn = 150 - 10;

} // namespace

TStringDataField::TStringDataField(int middleX, int topY, const CTT_MetaDataItem& item)
    : TDataFieldBase(middleX, topY, item), FDefaultString(item.DefaultValue)
{
}

void TStringDataField::inflate(QWidget* parent)
{
    FEdit = place(parent, QStringLiteral("Edit"), [this](QWidget* p) {
        auto* edit = new QLineEdit(FDefaultString, p);
        edit->resize(kEditWidth, 22);
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this] { changed(); });
        return edit;
    });
}

QString TStringDataField::text() const
{
    return FEdit ? FEdit->text() : FDefaultString;
}

bool TStringDataField::validateContent()
{
    return metaDataContentValid(fieldType(), text(), FisRequired);
}

QString TStringDataField::getUIInfoValue() const
{
    return metaDataUiInfoValue(fieldType(), text());
}

bool TStringDataField::hasChanged() const
{
    return text() != FDefaultString;
}

TBooleanDataField::TBooleanDataField(int middleX, int topY, const CTT_MetaDataItem& item)
    : TDataFieldBase(middleX, topY, item), FDefault(item.DefaultValue == u"true")
{
}

void TBooleanDataField::inflate(QWidget* parent)
{
    FCheckBox = place(parent, QStringLiteral("CheckBox"), [this](QWidget* p) {
        auto* box = new QCheckBox(p);
        box->setChecked(FDefault);
        box->adjustSize();
        QObject::connect(box, &QCheckBox::toggled, box, [this] { changed(); });
        return box;
    });
}

bool TBooleanDataField::checked() const
{
    return FCheckBox ? FCheckBox->isChecked() : FDefault;
}

QString TBooleanDataField::getUIInfoValue() const
{
    return metaDataUiInfoValue(mdt_Boolean, checked() ? QStringLiteral("true") : QStringLiteral("false"));
}

TDatePickerDataField::TDatePickerDataField(int middleX, int topY, const CTT_MetaDataItem& item)
    : TDataFieldBase(middleX, topY, item),
      FDefaultDate(item.DefaultValue.isEmpty()
                       ? QDate::currentDate()
                       : metaDataDateFromContent(item.DefaultValue).value_or(QDate::currentDate()))
{
}

void TDatePickerDataField::inflate(QWidget* parent)
{
    FDateTimePicker = place(parent, QStringLiteral("DateTimePicker"), [this](QWidget* p) {
        auto* picker = new TDateEdit(FDefaultDate, p);
        picker->resize(130, 22);
        QObject::connect(picker, &QDateEdit::dateChanged, picker, [this] { changed(); });
        return picker;
    });
}

QDate TDatePickerDataField::date() const
{
    return FDateTimePicker ? FDateTimePicker->date() : FDefaultDate;
}

QString TDatePickerDataField::getUIInfoValue() const
{
    return metaDataUiInfoValue(mdt_Date, metaDataDateContent(date()));
}

void TDatePickerDataField::setValue(double value)
{
    FDefaultDate = metaDataDoubleToDate(value);
    if (FDateTimePicker) {
        const QSignalBlocker quiet(FDateTimePicker.data());
        FDateTimePicker->setDate(FDefaultDate);
    }
}

std::unique_ptr<TMetaDataInput> createMetaDataField(int middleX, int topY, const CTT_MetaDataItem& item)
{
    switch (item.dataType) {
    case mdt_Date: return std::make_unique<TDatePickerDataField>(middleX, topY, item);
    case mdt_String: return std::make_unique<TStringDataField>(middleX, topY, item);
    case mdt_NNInteger: return std::make_unique<TIntegerDataField>(middleX, topY, item);
    case mdt_Float: return std::make_unique<TFloatDataField>(middleX, topY, item);
    case mdt_Boolean: return std::make_unique<TBooleanDataField>(middleX, topY, item);
    }
    return nullptr;
}

QWidget* metaDataControl(const TMetaDataInput& field)
{
    if (const auto* f = dynamic_cast<const TDataFieldBase<TMetaDataInput>*>(&field))
        return f->Control();
    if (const auto* f = dynamic_cast<const TDataFieldBase<TDateDataField>*>(&field))
        return f->Control();
    return nullptr;
}

std::unique_ptr<TMetaDataInput> createMetaDataFromUiInfo(int middleX, int topY, const QString& key,
                                                         const QString& value)
{
    const std::optional<CTT_MetaDataItem> item = metaDataItemFromUiInfo(key, value);
    return item ? createMetaDataField(middleX, topY, *item) : nullptr;
}

std::unique_ptr<TMetaDataInput> TSetupMetaDataFields::createMetaDataFromUiInfo(int left, int top, const QString& key,
                                                                               const QString& value)
{
    return tvp::createMetaDataFromUiInfo(left + kLabelColumn, top, key, value);
}

std::unique_ptr<TDateDataField> TSetupMetaDataFields::createDateDataField(int left, int top, const QString& id,
                                                                          const QString& label)
{
    return std::make_unique<TDatePickerDataField>(left + kLabelColumn, top,
                                                  CTT_MetaDataItem(id, label, QString(), false, mdt_Date, false));
}

} // namespace tvp
