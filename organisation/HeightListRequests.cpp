#include "organisation/HeightListRequests.h"

#include "core/results/tvpTypes.h"
#include "core/util/FileWrite.h"

#include <QFile>

#include <algorithm>

namespace tvp {

namespace {

void copyRequest(const THeightListRequest& request, THeightListResponse& response)
{
    response.reqType = request.reqType;
    response.disciplineID = request.disciplineID;
}

void getHeights(TServicePorts& ports, const THeightListRequest& request, THeightListResponse& response)
{
    copyRequest(request, response);
    response.heights = ports.drs().getUiInfo(uiInfoKeys::DisciplinHeightList, request.disciplineID).Value;
}

void saveHeights(TServicePorts& ports, const THeightListRequest& request, THeightListResponse& response)
{
    copyRequest(request, response);
    ports.cms().setUiInfo(uiInfoKeys::DisciplinHeightList, request.heights, request.disciplineID);
    response.heights = request.heights;
}

} // namespace

const TRequestTable<THeightListRequest, THeightListResponse>& heightListRequests()
{
    static const TRequestTable<THeightListRequest, THeightListResponse> table{{
        {THeightListType::rt_get, QStringLiteral("Höhen/Weiten laden"), &getHeights},
        {THeightListType::rt_save, QStringLiteral("Höhen/Weiten speichern"), &saveHeights},
    }};
    return table;
}

bool readHeightListFile(const QString& path, std::vector<int>& values, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2").arg(path, file.errorString());
        return false;
    }
    values = parseHeightListFile(file.readAll());
    return true;
}

std::vector<int> parseHeightListFile(const QByteArray& bytes)
{
    std::vector<int> values;
    // One value per line, whatever the line end.
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        bool ok = false;
        const int value = line.trimmed().toInt(&ok);
        if (ok && value > 0)
            values.push_back(value);
    }
    return values;
}

QByteArray heightListFileBytes(std::vector<int> values)
{
    std::stable_sort(values.begin(), values.end());
    QByteArray bytes;
    for (int v : values)
        bytes += QByteArray::number(v) + "\r\n";
    return bytes;
}

bool writeHeightListFile(const QString& path, std::vector<int> values, QString* error)
{
    return writeFileWhole(path, heightListFileBytes(std::move(values)), error);
}

int THeightListModel::add(int value)
{
    const auto at = std::upper_bound(values_.begin(), values_.end(), value);
    const int row = int(at - values_.begin());
    beginInsertRows({}, row, row);
    values_.insert(at, value);
    endInsertRows();
    return row;
}

void THeightListModel::remove(int row)
{
    if (row < 0 || row >= int(values_.size()))
        return;
    beginRemoveRows({}, row, row);
    values_.erase(values_.begin() + row);
    endRemoveRows();
}

void THeightListModel::clear()
{
    setValues({});
}

void THeightListModel::setValues(std::vector<int> values)
{
    std::stable_sort(values.begin(), values.end());
    beginResetModel();
    values_ = std::move(values);
    endResetModel();
}

QStringList THeightListModel::texts() const
{
    QStringList out;
    for (int v : values_)
        out << QString::number(v);
    return out;
}

int THeightListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(values_.size());
}

QVariant THeightListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(values_.size()))
        return {};
    const int value = values_[std::size_t(index.row())];
    if (role == Qt::DisplayRole)
        return QString::number(value) + QStringLiteral("cm");
    if (role == Qt::UserRole)
        return value;
    return {};
}

} // namespace tvp
