#include "participants/DetectedInputModel.h"

namespace tvp {

void TDetectedInputModel::clear()
{
    beginResetModel();
    state_ = TState::empty;
    inputs_.clear();
    endResetModel();
}

void TDetectedInputModel::showWaiting()
{
    beginResetModel();
    state_ = TState::waiting;
    inputs_.clear();
    endResetModel();
}

void TDetectedInputModel::setDetected(std::vector<TDetectedInput> inputs)
{
    beginResetModel();
    state_ = TState::detected;
    inputs_ = std::move(inputs);
    endResetModel();
}

int TDetectedInputModel::deviceRow(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == 0 || (index.internalId() & kTextBit))
        return -1;
    return int(index.internalId()) - 1;
}

quint32 TDetectedInputModel::handle(const QModelIndex& index) const
{
    const int row = deviceRow(index);
    return row < 0 ? 0 : inputs_[std::size_t(row)].handle;
}

QString TDetectedInputModel::deviceName(const QModelIndex& index) const
{
    const int row = deviceRow(index);
    return row < 0 ? QString() : inputs_[std::size_t(row)].name;
}

QModelIndex TDetectedInputModel::deviceIndex(quint32 handle) const
{
    if (handle == 0)
        return {};
    for (std::size_t i = 0; i < inputs_.size(); ++i)
        if (inputs_[i].handle == handle)
            return createIndex(int(i), 0, quintptr(i + 1));
    return {};
}

QModelIndex TDetectedInputModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, quintptr(0));
    if (parent.internalId() == 0)
        return createIndex(row, column, quintptr(row + 1));
    return createIndex(row, column, parent.internalId() | kTextBit);
}

QModelIndex TDetectedInputModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    if (child.internalId() & kTextBit) {
        const quintptr device = child.internalId() & ~kTextBit;
        return createIndex(int(device) - 1, 0, device);
    }
    return createIndex(0, 0, quintptr(0));
}

int TDetectedInputModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return state_ == TState::empty ? 0 : 1;
    if (parent.column() != 0)
        return 0;
    if (parent.internalId() == 0)
        return int(inputs_.size());
    return (parent.internalId() & kTextBit) ? 0 : 1;
}

int TDetectedInputModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant TDetectedInputModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return {};
    if (index.internalId() == 0)
        return state_ == TState::waiting ? kWaitingText : kDevicesText;
    const TDetectedInput& input = inputs_[std::size_t((index.internalId() & ~kTextBit) - 1)];
    if (index.internalId() & kTextBit)
        return QStringLiteral("Erkannte Eingabe: ") + input.text;
    return input.name;
}

} // namespace tvp
