#pragma once
// A drag as a user makes it: the button pressed on the source and moved past the drag distance, so
// the source's own drag start runs. The offscreen platform ends QDrag::exec at once, without a
// nested loop; the drag object lives on until events are next processed, so its data is taken
// from it and dropped on the target with the enter, move and drop a platform would send. Qt gives
// such a drop no source object: the target reads what the drag carries.

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

} // namespace tvp::test
