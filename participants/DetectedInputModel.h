#pragma once
// The barcode settings' tree of the input devices seen while detecting scanners: one top node,
// below it each device that typed something, and below each device what it typed.

#include "participants/ScanAssembler.h"

#include <QAbstractItemModel>

#include <vector>

namespace tvp {

class TDetectedInputModel : public QAbstractItemModel {
public:
    using QAbstractItemModel::QAbstractItemModel;

    inline static const QString kWaitingText =
        QStringLiteral("Scannen Sie einen beliebigen Code um den Scanner zu erkennen...");
    inline static const QString kDevicesText = QStringLiteral("Verfügbare Eingabegeräte");

    // No node at all.
    void clear();
    // Only the top node, asking for a scan.
    void showWaiting();
    // The top node with the devices in the order given.
    void setDetected(std::vector<TDetectedInput> inputs);

    // The device a node stands for: its own handle; 0 for the top node and the typed texts.
    quint32 handle(const QModelIndex& index) const;
    // The device's name, empty for nodes that are no device.
    QString deviceName(const QModelIndex& index) const;
    // The device node with that handle, invalid when none is shown.
    QModelIndex deviceIndex(quint32 handle) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // A node's internal id: 0 the top node, n the device at n - 1, n | kTextBit the text below it.
    static constexpr quintptr kTextBit = quintptr(1) << 30;
    int deviceRow(const QModelIndex& index) const;

    enum class TState { empty, waiting, detected };
    TState state_ = TState::empty;
    std::vector<TDetectedInput> inputs_;
};

} // namespace tvp
