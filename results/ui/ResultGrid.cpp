#include "results/ui/ResultGrid.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/GlyphRoom.h"
#include "results/ResultGridModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

namespace tvp {

namespace {

constexpr int kBar = 5;

bool isStoreKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space || key == Qt::Key_Plus;
}

} // namespace

TResultGrid::TResultGrid(QWidget* parent) : TEntryGrid(parent)
{
    setItemDelegate(new TResultGridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    verticalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(90);
    // One line between the bars a row may show above and below: a wrapped second line ran under the
    // current row's bar. A longer name ends in "…" and shows whole as its tooltip.
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(
        std::max(verticalHeader()->defaultSectionSize(), fontMetrics().height() + 2 * (kBar + glyphOvershoot(font()))));
    setTabKeyNavigation(true);
}

void TResultGrid::setGridModel(TResultGridModel* model)
{
    model_ = model;
    setModel(model);
}

QString TResultGrid::currentText() const
{
    if (editor_)
        return editor_->text();
    return currentIndex().data().toString();
}

void TResultGrid::leaveEditor()
{
    if (QLineEdit* editor = editor_) {
        editor_ = nullptr;
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

std::optional<TResultGrid::TEditorState> TResultGrid::editorState() const
{
    if (!editor_)
        return std::nullopt;
    return TEntryGrid::editorState(*editor_);
}

void TResultGrid::scrollRowInView(int row)
{
    if (!model_ || row < 0 || row >= model_->rowCount())
        return;
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    const int visible = std::max(1, viewport()->height() / rowHeight);
    const int top = std::max(0, std::min(row, model_->rowCount() - visible));
    verticalScrollBar()->setValue(top);
}

QColor TResultGrid::stateColor(int status)
{
    switch (TSetResultStatus(status)) {
    case TSetResultStatus::sr_uncommited: return Qt::yellow;
    case TSetResultStatus::sr_error: return Qt::red;
    case TSetResultStatus::sr_warning: return QColor(255, 112, 0);
    case TSetResultStatus::sr_edited: return QColor(192, 192, 192);
    case TSetResultStatus::sr_pending: return QColor(128, 128, 128);
    default: return {};
    }
}

void TResultGrid::keyPressEvent(QKeyEvent* event)
{
    if (isStoreKey(event->key()) && state() != EditingState) {
        emit storeKey(event->key());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && state() != EditingState && TResultGridModel::dropsOnEscape(currentIndex())) {
        emit editAbandoned(currentIndex());
        event->accept();
        return;
    }
    const QModelIndex current = currentIndex();
    if (state() != EditingState && model_ && current.isValid() && model_->attemptOfColumn(current.column()) != 0 &&
        !(model_->flags(current) & Qt::ItemIsEditable) && !event->text().trimmed().isEmpty() &&
        event->text().front().isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        emit inputRefused(current);
        event->accept();
        return;
    }
    TEntryGrid::keyPressEvent(event);
}

void TResultGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    TEntryGrid::currentChanged(current, previous);
    // The row marks of the fixed columns follow the cursor: only the two rows are painted again.
    for (const QModelIndex& index : {previous, current})
        if (index.isValid() && model_)
            viewport()->update(visualRect(index.siblingAtColumn(0))
                                   .united(visualRect(index.siblingAtColumn(std::max(0, model_->fixedColumns() - 1)))));
}

void TResultGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool abandoned = editor == editor_ && hint == QAbstractItemDelegate::RevertModelCache;
    const QModelIndex index = editorIndex_;
    if (editor == editor_)
        editor_ = nullptr;
    TEntryGrid::closeEditor(editor, hint);
    if (abandoned)
        guarded([&] { emit editReverted(index); });
}

void TResultGrid::editorOpened(QLineEdit* editor, const QModelIndex& index)
{
    editor_ = editor;
    editorIndex_ = index;
    connect(editor, &QLineEdit::textEdited, this, [this, index = QPersistentModelIndex(index)](const QString& text) {
        guarded([&] { emit editTextChanged(index, text); });
    });
}

TResultGridDelegate::TResultGridDelegate(TResultGrid* grid) : QStyledItemDelegate(grid), grid_(grid)
{
}

QWidget* TResultGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    auto* editor = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
    if (!editor)
        editor = new QLineEdit(parent);
    editor->setFrame(false);
    grid_->editorOpened(editor, index);
    return editor;
}

void TResultGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || line->property("tvpFilled").toBool())
        return;
    QStyledItemDelegate::setEditorData(editor, index);
    line->selectAll();
    line->setProperty("tvpFilled", true);
}

bool TResultGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isStoreKey(key->key())) {
            // Stored through the window; space and "+" never reach the text.
            emit grid_->storeKey(key->key());
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void TResultGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const TResultGridModel* model = grid_->gridModel();
    const bool fixed = model && model->attemptOfColumn(index.column()) == 0;
    if (fixed)
        painter->fillRect(option.rect, option.palette.button());
    QStyledItemDelegate::paint(painter, option, index);
    const QRect r = option.rect;
    if (index.data(TResultGridModel::kChangedRole).toBool())
        painter->fillRect(QRect(r.left(), r.top(), r.width(), kBar), Qt::yellow);
    const QRect bottom(r.left(), r.bottom() - kBar + 1, r.width(), kBar);
    if (fixed) {
        if (index.row() == grid_->currentIndex().row())
            painter->fillRect(bottom, Qt::blue);
        return;
    }
    const QVariant status = index.data(TResultGridModel::kStatusRole);
    if (status.isValid())
        if (const QColor c = TResultGrid::stateColor(status.toInt()); c.isValid())
            painter->fillRect(bottom, c);
}

} // namespace tvp
