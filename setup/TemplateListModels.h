#pragma once
// The template windows' lists as models: the export parameters whose ticked rows stay parameters,
// the import's parameter and reference mapping, and the discipline export's interface tree.

#include "setup/TemplateFiles.h"
#include "setup/TemplateManagement.h"

#include <QAbstractItemModel>
#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace tvp {

// "Exportname" (ticked: stays a parameter; the only column the user edits), "Aktueller Wert",
// "Originalname".
class TExportParameterModel : public QAbstractTableModel {
public:
    enum Column { colExportName, colCurrentValue, colOriginalName, columnCount_ };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<TExportParameterRow> rows);
    const std::vector<TExportParameterRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TExportParameterRow> rows_;
};

// The import windows' mapping rows (not owned): the parameters ("Parametername in Vorlage",
// "Zuordnung", "Wert") or the discipline import's references ("Referenzname in Vorlage",
// "Zuordnung zu bestehendem Knoten"). refresh() after the rows changed, reload() after they were
// replaced.
class TMappingRowsModel : public QAbstractTableModel {
public:
    enum class Rows { Parameters, References };

    TMappingRowsModel(const TParameterMappingRows& rows, Rows which, QObject* parent);

    void reload();
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TParameterMappingRows& rows_;
    Rows which_;
};

// The results export's interfaces: "Name" (edits), "Schnittstelle", "ID" (the negated node id).
class TResultsInterfaceModel : public QAbstractTableModel {
public:
    struct Row {
        int id = 0;
        QString name;
        QString interfaceName;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<Row> rows);
    const std::vector<Row>& rows() const { return rows_; }
    // The name given to the node's interface; empty for a node not listed.
    QString nameOf(int id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<Row> rows_;
};

// A tree of interfaces: a node per top row, its interfaces below it. The discipline export lists
// its named nodes with the interfaces they lead through (names edit; data: the outside node, 0 for
// a new one); the results import lists the template's inputs with the nodes connected to them
// (data: the connected node's id).
class TInterfaceTreeModel : public QAbstractItemModel {
public:
    struct Node {
        int id = 0;
        QString name;
        QStringList defaultRefs; // the interfaces the node had, for "Bestehende Schnittstellen"
        std::vector<TInterfaceItem> interfaces;
    };

    TInterfaceTreeModel(bool interfacesEdit, QObject* parent);

    void setNodes(std::vector<Node> nodes);
    const std::vector<Node>& nodes() const { return nodes_; }
    std::vector<TDiscInterfaceNode> interfaces() const;

    // The node row of a node or interface index; -1 for none.
    int nodeRow(const QModelIndex& index) const;
    bool isInterface(const QModelIndex& index) const;
    // Adds an interface below the node; its index. With unique, one whose data is there already is
    // not added again (its index is returned).
    QModelIndex addInterface(int node, const QString& text, int data, bool unique = false);
    void removeInterface(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Interface rows keep their node's row + 1 as internal id; node rows keep 0.
    std::vector<Node> nodes_;
    bool interfacesEdit_;
};

} // namespace tvp
