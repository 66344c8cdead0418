#pragma once
// The receipt data: one table row per club that owes money, the data file of the Word mail-merge
// receipt document. Its mail merge reads the columns by their captions.

#include "core/protocol/ParticipantRecords.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <vector>

namespace tvp {

inline const QString kReceiptDataFileName = QStringLiteral("Quittungsdaten.csv");

// The four fixed columns, then groups of four per team slot ("Team 1", "Team 1 Altersklasse",
// "Team 1 Teilnehmer", "Team 1 Gebühr", ...), at least ten groups. A row may have fewer cells than
// there are columns; the missing ones are empty.
struct TBillingTable {
    QStringList columns;
    std::vector<QStringList> rows;
};

// One row per club whose total is above 0.0, in the server's order; a sample club when none owes
// anything. Amounts in the user's decimal format (QLocale()).
TBillingTable createBilling(const proto::getClubBillingResponse1& billing);

// The table as a list, for the CSV export.
class TBillingTableModel : public QAbstractTableModel {
public:
    explicit TBillingTableModel(TBillingTable table = {}, QObject* parent = nullptr);

    void setTable(TBillingTable table);
    const TBillingTable& table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TBillingTable table_;
};

} // namespace tvp
