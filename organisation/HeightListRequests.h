#pragma once
// The ladder of heights or target distances of a discipline: stored on the server as the UI info
// "Disciplin_HeightList" ("60;70;80", ascending, centimetres), and kept in ".hls" files of one
// value per line. The height-list window loads and saves it through these requests.

#include "core/connection/RequestRoad.h"
#include "core/results/tvpTypes.h" // parseHeightList, joinHeightList

#include <QAbstractListModel>
#include <QString>

#include <vector>

namespace tvp {

enum class THeightListType { rt_get = 0, rt_save = 1 };

struct THeightListRequest : TRequest {
    THeightListType reqType = THeightListType::rt_get;
    int disciplineID = 0;
    QString heights;
};

struct THeightListResponse : TResponse {
    THeightListType reqType = THeightListType::rt_get;
    int disciplineID = 0;
    QString heights;
};

using THeightListRoad = TRequestRoad<THeightListRequest, THeightListResponse>;
const TRequestTable<THeightListRequest, THeightListResponse>& heightListRequests();

// The lines of a file's bytes that read as integers above 0, in the file's order.
std::vector<int> parseHeightListFile(const QByteArray& bytes);
// The same from a file. False (with a German reason) when it cannot be read.
bool readHeightListFile(const QString& path, std::vector<int>& values, QString* error = nullptr);
// One value per line, ascending, each line ending CR LF; written whole or not at all.
bool writeHeightListFile(const QString& path, std::vector<int> values, QString* error = nullptr);
QByteArray heightListFileBytes(std::vector<int> values);

// The ladder as the window lists it: ascending, each value shown as "60cm"; equal values may
// stand more than once.
class THeightListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The row the value went to.
    int add(int value);
    void remove(int row);
    void clear();
    void setValues(std::vector<int> values);
    const std::vector<int>& values() const { return values_; }
    QStringList texts() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<int> values_;
};

} // namespace tvp
