#include "core/ui/MetaDataFields.h"

#include "core/ui/DateEdit.h"

#include <QLabel>
#include <QLineEdit>

namespace tvp {

namespace {

const QString kMetaDataPrefix = QStringLiteral("MetaData_");
const QDate kDayZero(1899, 12, 30);
constexpr int kLabelWidth = 150;

} // namespace

double dateToDouble(const QDate& date)
{
    return date.isValid() ? double(kDayZero.daysTo(date)) : 0.0;
}

QDate doubleToDate(double days)
{
    return kDayZero.addDays(qint64(days));
}

TTextDataField::TTextDataField(int left, int top, TPlainMetaDataItem item, QString value)
    : left_(left), top_(top), item_(std::move(item)), loaded_(std::move(value))
{
}

TTextDataField::~TTextDataField()
{
    // Built into the parent, they go with the field (or already went with the parent).
    delete label_;
    delete edit_;
}

void TTextDataField::inflate(QWidget* parent)
{
    label_ = new QLabel(item_.displayName + u':', parent);
    label_->setGeometry(left_, top_ + 3, kLabelWidth, 20);
    edit_ = new QLineEdit(loaded_, parent);
    edit_->setObjectName(item_.id);
    edit_->setGeometry(left_ + kLabelWidth, top_, 220, 22);
    label_->setBuddy(edit_);
    label_->show();
    edit_->show();
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this] {
        if (onChange)
            onChange();
    });
}

QString TTextDataField::getUIInfoName() const
{
    return kMetaDataPrefix + item_.id;
}

QString TTextDataField::getUIInfoValue() const
{
    return edit_ ? edit_->text() : loaded_;
}

TPlainDateDataField::TPlainDateDataField(int left, const TPlainMetaDataItem& item, int top)
    : left_(left), top_(top), item_(item)
{
}

TPlainDateDataField::~TPlainDateDataField()
{
    delete label_;
    delete edit_;
}

void TPlainDateDataField::inflate(QWidget* parent)
{
    label_ = new QLabel(item_.displayName, parent);
    label_->setGeometry(left_, top_ + 3, kLabelWidth, 20);
    edit_ = new TDateEdit(QDate::currentDate(), parent);
    edit_->setObjectName(item_.id);
    edit_->setGeometry(left_ + kLabelWidth, top_, 130, 22);
    label_->setBuddy(edit_);
    QObject::connect(edit_, &QDateEdit::dateChanged, edit_, [this] {
        if (onChange)
            onChange();
    });
}

bool TPlainDateDataField::validateContent()
{
    return date().isValid();
}

QString TPlainDateDataField::getUIInfoValue() const
{
    return date().toString(Qt::ISODate);
}

bool TPlainDateDataField::hasChanged() const
{
    return date() != loaded_;
}

QDate TPlainDateDataField::date() const
{
    return edit_ ? edit_->date() : loaded_;
}

double TPlainDateDataField::getDate() const
{
    return dateToDouble(date());
}

void TPlainDateDataField::setValue(double value)
{
    loaded_ = doubleToDate(value);
    if (edit_) {
        const QSignalBlocker quiet(edit_.data());
        edit_->setDate(loaded_);
    }
}

std::unique_ptr<TMetaDataInput> TPlainMetaDataFields::createMetaDataFromUiInfo(int left, int top, const QString& key,
                                                                               const QString& value)
{
    if (!key.startsWith(kMetaDataPrefix) || key.size() == kMetaDataPrefix.size())
        return nullptr;
    const QString id = key.mid(kMetaDataPrefix.size());
    return std::make_unique<TTextDataField>(left, top, TPlainMetaDataItem{id, id}, value);
}

std::unique_ptr<TDateDataField> TPlainMetaDataFields::createDateDataField(int left, int top, const QString& id,
                                                                          const QString& label)
{
    return std::make_unique<TPlainDateDataField>(left, TPlainMetaDataItem{id, label}, top);
}

} // namespace tvp
