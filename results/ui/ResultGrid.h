#pragma once
// The result entry grid: a table whose in-place editor takes Enter, space and "+" as "store this
// cell" instead of text, draws the state of every result cell as a bar along its bottom edge, marks
// rows changed since a list version with a bar along their top, and shows its fixed columns as
// such.

#include "core/ui/EntryGrid.h"

#include <QPointer>
#include <QStyledItemDelegate>

#include <QLineEdit>

#include <optional>

namespace tvp {

class TResultGridModel;

class TResultGrid : public TEntryGrid {
    Q_OBJECT
public:
    explicit TResultGrid(QWidget* parent = nullptr);

    void setGridModel(TResultGridModel* model);
    TResultGridModel* gridModel() const { return model_; }

    // The text of the current cell: the editor's while one is open.
    QString currentText() const;
    // Closes an open editor without taking its text.
    void leaveEditor();
    bool isEditing() const { return editor_ != nullptr; }
    // The user changed the open editor's text; a cell shown without one holds only a formatted value.
    bool isEdited() const { return editor_ && editor_->isModified(); }
    QLineEdit* editorWidget() const { return editor_; }
    // The open editor as the user left it; none while no editor is open.
    std::optional<TEditorState> editorState() const;
    // Puts the row at the top, or as far up as the rows below it allow (never above the first).
    void scrollRowInView(int row);

    // Bar colours by cell state.
    static QColor stateColor(int status);

signals:
    // Escape on a cell that shows text typed and not stored, or a value not yet confirmed: it goes.
    void editAbandoned(const QModelIndex& index);
    // Escape in the cell's editor: the cell shows again what it showed before the typing.
    void editReverted(const QModelIndex& index);
    // Enter, space or "+" on a cell, in the editor or on the grid.
    void storeKey(int key);
    // The user changed the editor's text.
    void editTextChanged(const QModelIndex& index, const QString& text);
    // Text typed on an attempt cell that takes none (a place without participant).
    void inputRefused(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // However the editor goes (Escape, another cell), it is no longer the grid's open editor.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class TResultGridDelegate;
    void editorOpened(QLineEdit* editor, const QModelIndex& index);

    TResultGridModel* model_ = nullptr;
    QPointer<QLineEdit> editor_;
    QPersistentModelIndex editorIndex_;
};

class TResultGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TResultGridDelegate(TResultGrid* grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Filled once, all selected, so the first key replaces the cell's text; a repaint of the row
    // while typing must not take the typed text back.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // The text goes to the cache through the window, never into the model.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    TResultGrid* grid_;
};

} // namespace tvp
