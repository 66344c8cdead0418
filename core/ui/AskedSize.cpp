#include "core/ui/AskedSize.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace tvp {

TAskedSize::TAskedSize(QWidget& window) : QObject(&window), window_(window)
{
    window.installEventFilter(this);
}

void TAskedSize::hold()
{
    wished_ = window_.size();
    asks_ = 0;
    // The window system reports to the window's handle, also a size the widget already has.
    if (QWindow* handle = window_.windowHandle())
        handle->installEventFilter(this);
}

bool TAskedSize::eventFilter(QObject* watched, QEvent* event)
{
    if (!holding())
        return false;
    QWindow* handle = window_.windowHandle();
    if (watched == &window_ && event->type() == QEvent::Resize) {
        if (window_.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
            wished_ = QSize(); // the user's own choice of size
        } else if (!event->spontaneous()) {
            wished_ = window_.size();
        } else if (window_.size() != wished_) {
            // Asked again before the window's own handlers run: a move they make then carries the
            // held size, not the one the window system just gave.
            if (++asks_ > kMostAsks)
                wished_ = QSize();
            else
                window_.resize(wished_);
        }
    } else if (handle && watched == handle && (event->type() == QEvent::Resize || event->type() == QEvent::Expose)) {
        if (handle->isExposed() && handle->size() == wished_)
            wished_ = QSize();
    }
    return false;
}

} // namespace tvp
