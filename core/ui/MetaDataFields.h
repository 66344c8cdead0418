#pragma once
// The competition's metadata inputs while the setup area brings none of its own: every UI info
// whose key begins with "MetaData_" is a free text under the name after the prefix, and the date
// is a date input. The competition details window takes the setup area's IMetaDataFields when
// one is registered.

#include "core/ui/MetaDataInputs.h"

#include <QDate>
#include <QPointer>

class QLabel;
class QLineEdit;

namespace tvp {

class TDateEdit;

// A metadata input's id and the label it shows.
struct TPlainMetaDataItem {
    QString id;
    QString displayName;
};

// Dates as the design passes them: days since 30 December 1899.
double dateToDouble(const QDate& date);
QDate doubleToDate(double days);

class TTextDataField : public TMetaDataInput {
public:
    TTextDataField(int left, int top, TPlainMetaDataItem item, QString value);
    ~TTextDataField() override;

    void inflate(QWidget* parent) override;
    bool validateContent() override { return true; }
    QString getUIInfoName() const override;
    QString getUIInfoValue() const override;
    bool hasChanged() const override { return getUIInfoValue() != loaded_; }
    QString getLabel() const override { return item_.displayName; }

private:
    int left_, top_;
    TPlainMetaDataItem item_;
    QString loaded_;
    QPointer<QLabel> label_;
    QPointer<QLineEdit> edit_;
};

class TPlainDateDataField : public TDateDataField {
public:
    TPlainDateDataField(int left, const TPlainMetaDataItem& item, int top);
    ~TPlainDateDataField() override;

    void inflate(QWidget* parent) override;
    bool validateContent() override;
    QString getUIInfoName() const override { return item_.id; }
    QString getUIInfoValue() const override;
    bool hasChanged() const override;
    QString getLabel() const override { return item_.displayName; }
    double getDate() const override;
    // Shows the date and takes it as the loaded one.
    void setValue(double date) override;

private:
    QDate date() const;

    int left_, top_;
    TPlainMetaDataItem item_;
    QDate loaded_;
    QPointer<QLabel> label_;
    QPointer<TDateEdit> edit_;
};

class TPlainMetaDataFields : public IMetaDataFields {
public:
    std::unique_ptr<TMetaDataInput> createMetaDataFromUiInfo(int left, int top, const QString& key,
                                                             const QString& value) override;
    std::unique_ptr<TDateDataField> createDateDataField(int left, int top, const QString& id,
                                                        const QString& label) override;
};

} // namespace tvp
