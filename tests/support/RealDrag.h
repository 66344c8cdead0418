#pragma once
// A drag as a user makes it: the button pressed on the source and moved past the drag distance, so
// the source's own drag start runs. The offscreen platform ends QDrag::exec at once, without a
// nested loop; the drag object lives on until events are next processed, so its data is taken
// from it and dropped on the target with the enter, move and drop a platform would send. Qt gives
// such a drop no source object: the target reads what the drag carries.

#include "core/lists/WindowDrag.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <memory>

namespace tvp::test {

class RealDrag {
public:
    // Presses at `at` of `from` (a list's viewport, a box) and moves away; false when the source
    // started no drag.
    bool start(QWidget& from, QPoint at)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QDrag*> before = from.window()->findChildren<QDrag*>();
        from_ = &from;
        at_ = at;
        QTest::mousePress(&from, Qt::LeftButton, Qt::NoModifier, at);
        const int step = QApplication::startDragDistance() + 4;
        QTest::mouseMove(&from, at + QPoint(0, 1));
        QTest::mouseMove(&from, at + QPoint(step, 1));
        QDrag* drag = nullptr;
        for (QDrag* d : from.window()->findChildren<QDrag*>())
            if (!before.contains(d))
                drag = d;
        if (!drag || !drag->mimeData()) {
            release();
            return false;
        }
        data_ = std::make_unique<QMimeData>();
        for (const QString& format : drag->mimeData()->formats())
            data_->setData(format, drag->mimeData()->data(format));
        return true;
    }

    const QMimeData* mimeData() const { return data_.get(); }

    // Drops what was dragged at `at` of `target` (a viewport) with the modifiers held; whether the
    // target took the move over it and the drop.
    bool dropOn(QWidget& target, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        if (!data_)
            return false;
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, data_.get(), Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(&target, &enter);
        QDragMoveEvent move(at, actions, data_.get(), Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(&target, &move);
        bool dropped = false;
        if (enter.isAccepted() && move.isAccepted()) {
            QDropEvent drop(QPointF(at), actions, data_.get(), Qt::LeftButton, modifiers);
            QCoreApplication::sendEvent(&target, &drop);
            dropped = drop.isAccepted();
        } else {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(&target, &leave);
        }
        release();
        return dropped;
    }

    ~RealDrag() { release(); }

private:
    // The button comes up; the source saw the drag start and takes it as no click.
    void release()
    {
        if (from_)
            QTest::mouseRelease(from_, Qt::LeftButton, Qt::NoModifier, at_);
        from_ = nullptr;
    }

    QPointer<QWidget> from_;
    QPoint at_;
    std::unique_ptr<QMimeData> data_;
};

// What a drag from a window carries, dropped on a row of a list (-1: below the rows) as the
// platform delivers it; whether the list took it.
inline bool dropWindowDrag(QAbstractItemView& view, int row, const QString& source, bool ctrl = false)
{
    std::unique_ptr<QMimeData> data(windowDragData(source));
    const QPoint at =
        row >= 0 ? view.visualRect(view.model()->index(row, 0)).center() : QPoint(2, view.viewport()->height() - 2);
    const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, data.get(), Qt::LeftButton, mods);
    QCoreApplication::sendEvent(view.viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction | Qt::CopyAction, data.get(), Qt::LeftButton, mods);
    QCoreApplication::sendEvent(view.viewport(), &move);
    QDropEvent dropped(QPointF(at), Qt::MoveAction | Qt::CopyAction, data.get(), Qt::LeftButton, mods);
    QCoreApplication::sendEvent(view.viewport(), &dropped);
    return move.isAccepted() && dropped.isAccepted();
}

} // namespace tvp::test
