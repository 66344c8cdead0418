#include "setup/TemplateListModels.h"

#include "setup/GlobalParameterRequests.h"

#include <QLocale>

namespace tvp {

namespace {

bool isText(int role)
{
    return role == Qt::DisplayRole || role == Qt::EditRole;
}

} // namespace

// ---- export parameters ---------------------------------------------------------------------------

void TExportParameterModel::setRows(std::vector<TExportParameterRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int TExportParameterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int TExportParameterModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCount_;
}

QVariant TExportParameterModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TExportParameterRow& row = rows_[std::size_t(index.row())];
    if (role == Qt::CheckStateRole && index.column() == colExportName)
        return row.checked ? Qt::Checked : Qt::Unchecked;
    if (!isText(role))
        return {};
    switch (index.column()) {
    case colExportName: return row.exportName;
    case colCurrentValue: return row.currentValue;
    case colOriginalName: return row.originalName;
    }
    return {};
}

bool TExportParameterModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        index.column() != colExportName)
        return false;
    TExportParameterRow& row = rows_[std::size_t(index.row())];
    if (role == Qt::CheckStateRole)
        row.checked = value.value<Qt::CheckState>() == Qt::Checked;
    else if (role == Qt::EditRole)
        row.exportName = value.toString();
    else
        return false;
    emit dataChanged(index, index, {role});
    return true;
}

Qt::ItemFlags TExportParameterModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == colExportName)
        f |= Qt::ItemIsUserCheckable | Qt::ItemIsEditable;
    return f;
}

QVariant TExportParameterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case colExportName: return QStringLiteral("Exportname");
    case colCurrentValue: return QStringLiteral("Aktueller Wert");
    case colOriginalName: return QStringLiteral("Originalname");
    }
    return {};
}

// ---- the import's mapping ------------------------------------------------------------------------

TMappingRowsModel::TMappingRowsModel(const TParameterMappingRows& rows, Rows which, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), which_(which)
{
}

void TMappingRowsModel::reload()
{
    beginResetModel();
    endResetModel();
}

void TMappingRowsModel::refresh()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

int TMappingRowsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(which_ == Rows::Parameters ? rows_.parameters().size() : rows_.references().size());
}

int TMappingRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : (which_ == Rows::Parameters ? 3 : 2);
}

QVariant TMappingRowsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || !isText(role))
        return {};
    const auto at = std::size_t(index.row());
    if (which_ == Rows::References) {
        const TParameterMappingRows::ReferenceRow& row = rows_.references()[at];
        return index.column() == 0 ? row.caption : TParameterMappingRows::referenceText(row);
    }
    const TParameterMappingRows::ParameterRow& row = rows_.parameters()[at];
    switch (index.column()) {
    case 0: return row.caption;
    case 1: return TParameterMappingRows::mappingText(row.mapping);
    case 2: return formatParameterValue(row.mapping.value, QLocale());
    }
    return {};
}

QVariant TMappingRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const QStringList captions =
        which_ == Rows::Parameters
            ? QStringList{QStringLiteral("Parametername in Vorlage"), QStringLiteral("Zuordnung"),
                          QStringLiteral("Wert")}
            : QStringList{QStringLiteral("Referenzname in Vorlage"), QStringLiteral("Zuordnung zu bestehendem Knoten")};
    return captions.value(section);
}

// ---- the results export's interfaces -------------------------------------------------------------

void TResultsInterfaceModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

QString TResultsInterfaceModel::nameOf(int id) const
{
    for (const Row& row : rows_)
        if (row.id == id)
            return row.name;
    return {};
}

int TResultsInterfaceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int TResultsInterfaceModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant TResultsInterfaceModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || !isText(role))
        return {};
    const Row& row = rows_[std::size_t(index.row())];
    switch (index.column()) {
    case 0: return row.name;
    case 1: return row.interfaceName;
    case 2: return QString::number(-row.id);
    }
    return {};
}

bool TResultsInterfaceModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || index.column() != 0 ||
        role != Qt::EditRole)
        return false;
    rows_[std::size_t(index.row())].name = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TResultsInterfaceModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TResultsInterfaceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0: return QStringLiteral("Name");
    case 1: return QStringLiteral("Schnittstelle");
    case 2: return QStringLiteral("ID");
    }
    return {};
}

// ---- the discipline export's interfaces ----------------------------------------------------------

TInterfaceTreeModel::TInterfaceTreeModel(bool interfacesEdit, QObject* parent)
    : QAbstractItemModel(parent), interfacesEdit_(interfacesEdit)
{
}

void TInterfaceTreeModel::setNodes(std::vector<Node> nodes)
{
    beginResetModel();
    nodes_ = std::move(nodes);
    endResetModel();
}

std::vector<TDiscInterfaceNode> TInterfaceTreeModel::interfaces() const
{
    std::vector<TDiscInterfaceNode> out;
    for (const Node& node : nodes_)
        out.push_back({node.id, node.interfaces});
    return out;
}

int TInterfaceTreeModel::nodeRow(const QModelIndex& index) const
{
    if (!index.isValid())
        return -1;
    return index.internalId() == 0 ? index.row() : int(index.internalId()) - 1;
}

bool TInterfaceTreeModel::isInterface(const QModelIndex& index) const
{
    return index.isValid() && index.internalId() != 0;
}

QModelIndex TInterfaceTreeModel::addInterface(int node, const QString& text, int data, bool unique)
{
    if (node < 0 || node >= int(nodes_.size()))
        return {};
    std::vector<TInterfaceItem>& list = nodes_[std::size_t(node)].interfaces;
    for (std::size_t i = 0; unique && i < list.size(); ++i)
        if (list[i].data == data)
            return index(int(i), 0, index(node, 0));
    const int row = int(list.size());
    beginInsertRows(index(node, 0), row, row);
    list.push_back({text, data});
    endInsertRows();
    return index(row, 0, index(node, 0));
}

void TInterfaceTreeModel::removeInterface(const QModelIndex& at)
{
    if (!isInterface(at))
        return;
    const int node = nodeRow(at);
    beginRemoveRows(at.parent(), at.row(), at.row());
    std::vector<TInterfaceItem>& list = nodes_[std::size_t(node)].interfaces;
    list.erase(list.begin() + at.row());
    endRemoveRows();
}

QModelIndex TInterfaceTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, quintptr(0));
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex TInterfaceTreeModel::parent(const QModelIndex& child) const
{
    if (!isInterface(child))
        return {};
    return createIndex(int(child.internalId()) - 1, 0, quintptr(0));
}

int TInterfaceTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(nodes_.size());
    if (isInterface(parent) || parent.column() != 0)
        return 0;
    return int(nodes_[std::size_t(parent.row())].interfaces.size());
}

int TInterfaceTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant TInterfaceTreeModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !isText(role))
        return {};
    const Node& node = nodes_[std::size_t(nodeRow(index))];
    return isInterface(index) ? node.interfaces[std::size_t(index.row())].text : node.name;
}

bool TInterfaceTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !isInterface(index) || !interfacesEdit_ ||
        role != Qt::EditRole)
        return false;
    nodes_[std::size_t(nodeRow(index))].interfaces[std::size_t(index.row())].text = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TInterfaceTreeModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractItemModel::flags(index);
    if (interfacesEdit_ && isInterface(index))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace tvp
