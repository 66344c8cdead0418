#include "core/print/PrintTable.h"

#include "core/results/tvpUtils.h"

#include <QAbstractItemModel>

namespace tvp {

namespace {

const QString kBlankCell = QStringLiteral("_______________________");

TTreeNodeInformation nodeInformation(const QModelIndex& node)
{
    return node.data(kTreeNodeInformationRole).value<TTreeNodeInformation>();
}

} // namespace

TPrintTable::TPrintTable(bool isTeam) : isTeam(isTeam)
{
}

QString TPrintTable::commaText(const QStringList& entries)
{
    QStringList written;
    for (const QString& entry : entries) {
        bool quote = entry.isEmpty();
        for (const QChar c : entry)
            if (c.unicode() <= u' ' || c == QLatin1Char(',') || c == QLatin1Char('"'))
                quote = true;
        if (quote) {
            QString doubled = entry;
            doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            written << QLatin1Char('"') + doubled + QLatin1Char('"');
        } else {
            written << entry;
        }
    }
    return written.join(QLatin1Char(','));
}

TPrintTable::TPrintTable(const QModelIndex& heatNode, int attempts, bool isTeam, proto::ResultValueType resultType,
                         bool teamColumnFirst, const QString& firstTitle)
    : isTeam(isTeam), Fattemps(std::max(0, attempts))
{
    header << firstTitle << QStringLiteral("Startnr.");
    if (teamColumnFirst)
        header << QStringLiteral("Team") << QStringLiteral("Name");
    else
        header << QStringLiteral("Name") << QStringLiteral("Team");
    AddAttemptHeaders(resultType);

    const QAbstractItemModel* model = heatNode.model();
    if (!model)
        return;
    const int children = model->rowCount(heatNode);
    for (int r = 0; r < children; ++r) {
        const QModelIndex child = model->index(r, 0, heatNode);
        const TTreeNodeInformation info = nodeInformation(child);
        if (info.AthleteTeamId == 0)
            continue;
        TPrintRow row(info.AthleteTeamBarcodeId);
        row << QString::number(info.laneNo);
        QString names;
        if (info.isTeam) {
            QStringList givenNames;
            QStringList bibTexts;
            for (int m = 0; m < model->rowCount(child); ++m) {
                const TTreeNodeInformation member = nodeInformation(model->index(m, 0, child));
                givenNames << member.GivenName;
                const QString bibs = bibstoString(member.Bibs);
                if (!bibs.isEmpty())
                    bibTexts << bibs;
            }
            row << commaText(bibTexts);
            names = commaText(givenNames);
        } else {
            row << bibstoString(info.Bibs);
            names = info.Name;
        }
        if (teamColumnFirst)
            row << info.Team << names;
        else
            row << names << info.Team;
        content.push_back(std::move(row));
    }
}

TPrintTable::TPrintTable(const QAbstractItemModel& grid, bool isTeam) : isTeam(isTeam)
{
    const int columns = grid.columnCount();
    for (int c = 1; c < columns; ++c)
        header << grid.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    const int rows = grid.rowCount();
    for (int r = 0; r < rows; ++r) {
        TPrintRow row;
        for (int c = 1; c < columns; ++c)
            row << grid.index(r, c).data(Qt::DisplayRole).toString();
        content.push_back(std::move(row));
    }
}

TPrintTable TPrintTable::CreateBlancoList(int rows, int attempts, bool isTeam, proto::ResultValueType resultType)
{
    TPrintTable table(isTeam);
    table.Fattemps = std::max(0, attempts);
    table.header << QStringLiteral("Bahn") << QStringLiteral("Startnr.") << QStringLiteral("Team")
                 << QStringLiteral("Name");
    table.AddAttemptHeaders(resultType);
    for (int r = 0; r < rows; ++r) {
        TPrintRow row;
        row << kBlankCell << kBlankCell << kBlankCell << kBlankCell;
        table.content.push_back(std::move(row));
    }
    return table;
}

void TPrintTable::AddAttemptHeaders(proto::ResultValueType resultType)
{
    const QString word = getAttemptString(resultType);
    for (int i = 1; i <= Fattemps; ++i)
        header << QStringLiteral("%1. %2").arg(i).arg(word);
}

const TPrintRow* TPrintTable::getRow(int i) const
{
    return i >= 0 && i < getRowCount() ? &content[std::size_t(i)] : nullptr;
}

} // namespace tvp
