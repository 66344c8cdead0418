#include "participants/ReceiptData.h"

#include <QLocale>

namespace tvp {

namespace {

constexpr int kMinimumTeamGroups = 10;

QString money(double amount)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(amount, 'f', 2);
}

class TableBuilder {
public:
    TableBuilder()
    {
        table.columns = {QStringLiteral("Verein/Organisation"), QStringLiteral("Gesamtbetrag"),
                         QStringLiteral("Bemerkung"), QStringLiteral("Anschrift")};
    }

    void appendGroup()
    {
        ++groups;
        const QString team = QStringLiteral("Team %1").arg(groups);
        table.columns << team << team + QStringLiteral(" Altersklasse") << team + QStringLiteral(" Teilnehmer")
                      << team + QStringLiteral(" Gebühr");
    }
    void groupsUpTo(qsizetype count)
    {
        while (groups < count)
            appendGroup();
    }

    TBillingTable table;
    int groups = 0;
};

} // namespace

TBillingTable createBilling(const proto::getClubBillingResponse1& billing)
{
    TableBuilder b;
    for (const proto::ClubBillingInfoType& club : billing) {
        if (!(club.TotalAmount > 0.0))
            continue;
        QStringList row;
        if (club.Club)
            row << club.Club->Name << money(club.TotalAmount) << club.Club->Comment << club.Club->BillingAddress;
        else
            row << QString() << money(club.TotalAmount) << QString() << QString();
        b.groupsUpTo(qsizetype(club.Teams.size()));
        for (const proto::BillingTeam& billed : club.Teams) {
            const proto::TeamType* team = billed.Team.get();
            row << (team ? team->Name : QString()) << (team && team->AgeClass ? team->AgeClass->Name : QString())
                << QString::number(billed.NoOfBilledParticipants) << money(billed.TeamPrincing);
        }
        if (club.AthletesWithoutTeam && club.AthletesWithoutTeam->Pricing > 0.0) {
            // Its cells follow the club's own teams; the header gains a group for it all the same.
            b.appendGroup();
            row << QStringLiteral("Ohne Team") << QStringLiteral("-")
                << QString::number(club.AthletesWithoutTeam->NoOfAthletes) << money(club.AthletesWithoutTeam->Pricing);
        }
        b.table.rows.push_back(row);
    }
    b.groupsUpTo(kMinimumTeamGroups);

    if (b.table.rows.empty()) {
        // A document can be set up before anyone owes anything.
        QStringList row{QStringLiteral("Musterverein"), money(225.0), QStringLiteral("Testkommentar"),
                        QStringLiteral("Musteranschrift\r\n\r\nMusterstraße 17\r\n0815 Stadt")};
        for (int i = 1; i <= 9; ++i)
            row << QStringLiteral("Musterteam %1").arg(i) << (i <= 5 ? QStringLiteral("U10") : QStringLiteral("U12"))
                << QStringLiteral("10") << money(25.0);
        b.table.rows.push_back(row);
    }
    return std::move(b.table);
}

TBillingTableModel::TBillingTableModel(TBillingTable table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table))
{
}

void TBillingTableModel::setTable(TBillingTable table)
{
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

int TBillingTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(table_.rows.size());
}

int TBillingTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(table_.columns.size());
}

QVariant TBillingTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::DisplayRole)
        return {};
    const QStringList& row = table_.rows[std::size_t(index.row())];
    return index.column() < row.size() ? QVariant(row.at(index.column())) : QVariant();
}

QVariant TBillingTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return {};
    return table_.columns.at(section);
}

} // namespace tvp
