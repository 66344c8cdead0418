#pragma once
// Typed inputs of competition metadata: one label and one control per field, placed around a
// middle line, each stored as a UI info whose key describes the field (setup/MetaDataUiInfo.h).

#include "core/ui/MetaDataInputs.h"
#include "core/ui/DateEdit.h"
#include "setup/MetaDataUiInfo.h"

#include <QDate>
#include <QLabel>
#include <QPointer>

class QCheckBox;
class QLineEdit;

namespace tvp {

// A field whose ID makes no control name; the window cannot be built with it.
class EMetaDataFieldError : public TvpError {
public:
    using TvpError::TvpError;
};

// What every field keeps: its description, place, label and control. Interface is the core's
// TMetaDataInput or TDateDataField.
template <class Interface>
class TDataFieldBase : public Interface {
public:
    ~TDataFieldBase() override
    {
        delete FDisplayLabel;
        delete FControl;
    }

    QString getUIInfoName() const override { return metaDataUiInfoName(FID, FDisplayName, FisRequired, !FEnabled); }
    QString getLabel() const override { return FDisplayName; }
    const QString& DisplayName() const { return FDisplayName; }
    QWidget* Control() const { return FControl; }
    QLabel* DisplayLabel() const { return FDisplayLabel; }

protected:
    TDataFieldBase(int middleX, int topY, const CTT_MetaDataItem& item)
        : FisRequired(item.IsMandatoryField),
          FDisplayName(item.DisplayName),
          FEnabled(!item.isReadOnly),
          FMiddlePosX(middleX),
          FTopPosY(topY),
          FID(item.ID)
    {
    }

    // Replaces label and control by new ones on the parent; the control is made by make, which is
    // only called once the name is known to be usable.
    template <class Make>
    auto* place(QWidget* parent, const QString& suffix, Make make)
    {
        const QString name = FID + suffix;
        if (!isComponentName(name))
            throw EMetaDataFieldError(QStringLiteral("Ungültiger Komponentenname: ") + name);
        delete FDisplayLabel;
        delete FControl;
        FDisplayLabel = new QLabel(FDisplayName + (FisRequired ? QStringLiteral("*") : QString()), parent);
        FDisplayLabel->adjustSize();
        FDisplayLabel->move(FMiddlePosX - FDisplayLabel->width() - 10, FTopPosY + 3);
        FDisplayLabel->show();
        auto* control = make(parent);
        control->setObjectName(name);
        control->move(FMiddlePosX + 10, FTopPosY);
        control->setEnabled(FEnabled);
        control->show();
        FDisplayLabel->setBuddy(control);
        FControl = control;
        return control;
    }

    void changed()
    {
        if (this->onChange)
            this->onChange();
    }

    QPointer<QLabel> FDisplayLabel;
    bool FisRequired;
    QString FDisplayName;
    bool FEnabled;
    int FMiddlePosX, FTopPosY;
    QString FID;
    QPointer<QWidget> FControl;
};

class TStringDataField : public TDataFieldBase<TMetaDataInput> {
public:
    TStringDataField(int middleX, int topY, const CTT_MetaDataItem& item);

    void inflate(QWidget* parent) override;
    bool validateContent() override;
    QString getUIInfoValue() const override;
    bool hasChanged() const override;
    QLineEdit* edit() const { return FEdit; }

protected:
    virtual TMetaDataDataType fieldType() const { return mdt_String; }
    QString text() const;

    QPointer<QLineEdit> FEdit;
    QString FDefaultString;
};

class TIntegerDataField : public TStringDataField {
public:
    using TStringDataField::TStringDataField;

protected:
    TMetaDataDataType fieldType() const override { return mdt_NNInteger; }
};

class TFloatDataField : public TStringDataField {
public:
    using TStringDataField::TStringDataField;

protected:
    TMetaDataDataType fieldType() const override { return mdt_Float; }
};

class TBooleanDataField : public TDataFieldBase<TMetaDataInput> {
public:
    TBooleanDataField(int middleX, int topY, const CTT_MetaDataItem& item);

    void inflate(QWidget* parent) override;
    bool validateContent() override { return true; }
    QString getUIInfoValue() const override;
    bool hasChanged() const override { return checked() != FDefault; }

private:
    bool checked() const;

    QPointer<QCheckBox> FCheckBox;
    bool FDefault;
};

// The date field; a default that is no date number starts at today.
class TDatePickerDataField : public TDataFieldBase<TDateDataField> {
public:
    TDatePickerDataField(int middleX, int topY, const CTT_MetaDataItem& item);

    void inflate(QWidget* parent) override;
    bool validateContent() override { return true; }
    QString getUIInfoValue() const override;
    bool hasChanged() const override { return date() != FDefaultDate; }
    double getDate() const override { return metaDataDateToDouble(date()); }
    void setValue(double date) override;
    TDateEdit* picker() const { return FDateTimePicker; }

private:
    QDate date() const;

    QPointer<TDateEdit> FDateTimePicker;
    QDate FDefaultDate;
};

// A field of the item's type at (middleX, topY), not inflated yet.
std::unique_ptr<TMetaDataInput> createMetaDataField(int middleX, int topY, const CTT_MetaDataItem& item);

// The field's input control, null before inflate.
QWidget* metaDataControl(const TMetaDataInput& field);

// The field a stored UI info describes, not inflated yet; none for anything else.
std::unique_ptr<TMetaDataInput> createMetaDataFromUiInfo(int middleX, int topY, const QString& key,
                                                         const QString& value);

// The competition details window's inputs; left is where a 150 pixel wide label column starts.
class TSetupMetaDataFields : public IMetaDataFields {
public:
    std::unique_ptr<TMetaDataInput> createMetaDataFromUiInfo(int left, int top, const QString& key,
                                                             const QString& value) override;
    std::unique_ptr<TDateDataField> createDateDataField(int left, int top, const QString& id,
                                                        const QString& label) override;
};

} // namespace tvp
