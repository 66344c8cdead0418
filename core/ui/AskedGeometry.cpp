#include "core/ui/AskedGeometry.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowPositionManager.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <optional>

namespace tvp {

namespace {

constexpr Qt::WindowStates kUsersOwnSize = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

} // namespace

TAskedGeometry::TAskedGeometry(TTVPForm& window) : QObject(&window), window_(window)
{
    window.installEventFilter(this);
}

void TAskedGeometry::watchHandle()
{
    QWindow* handle = window_.windowHandle();
    if (!handle || handle == handle_)
        return;
    handle_ = handle;
    handle->installEventFilter(this);
}

void TAskedGeometry::hold()
{
    watchHandle();
    held_ = true;
    asks_ = 0;
    place_ = window_.pos();
    size_ = window_.size();
    askSoon();
}

void TAskedGeometry::askNow()
{
    if (held_)
        check();
}

QRect TAskedGeometry::resting() const
{
    return held_ ? QRect(place_, size_) : QRect(window_.pos(), window_.size());
}

namespace {

// Only a window the window manager has shown has its frame: while it frames it, the margins read
// in passing are not yet those it ends with.
bool framed(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return handle && handle->isExposed() && !handle->frameMargins().isNull();
}

// A window manager frames the program's windows alike: the margins of another framed one.
std::optional<QMargins> othersMargins(const QWidget& window)
{
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != &window && other->isVisible() && framed(*other))
            return other->windowHandle()->frameMargins();
    return std::nullopt;
}

} // namespace

std::optional<QMargins> TAskedGeometry::knownMargins() const
{
    // Shown, only its own frame counts: without one yet, the window manager is still framing it.
    if (const QWindow* handle = window_.windowHandle(); handle && handle->isExposed())
        return framed(window_) ? std::optional<QMargins>(handle->frameMargins()) : std::nullopt;
    return othersMargins(window_);
}

QMargins TAskedGeometry::frameMargins() const
{
    return knownMargins().value_or(QMargins());
}

void TAskedGeometry::askSoon()
{
    if (pending_)
        return;
    pending_ = true;
    // After the events in the queue: a report of the window system is taken whole, its move too.
    QTimer::singleShot(0, this, [this] {
        guarded([this] {
            if (pending_)
                check();
        });
    });
}

void TAskedGeometry::check()
{
    pending_ = false;
    if (!held_)
        return;
    if (!window_.isVisible() || (window_.windowState() & kUsersOwnSize)) {
        held_ = false;
        return;
    }
    QWindow* handle = window_.windowHandle();
    const bool exposed = handle && handle->isExposed();
    // Where the frame goes is not known yet: a report or its exposure looks again.
    const std::optional<QMargins> known = knownMargins();
    if (!known)
        return;
    const QMargins margins = *known;
    const QSize decoration(margins.left() + margins.right(), margins.top() + margins.bottom());
    if (TPositionStoreAdapter* adapter = window_.context().positionStore()) {
        const QRect frame = adapter->keptWithinArea(QRect(place_, size_ + decoration), decoration,
                                                    window_.minimumSize(), window_.hasSizeableBorder());
        place_ = frame.topLeft();
        size_ = frame.size() - decoration;
    }
    const QRect wanted(place_ + QPoint(margins.left(), margins.top()), size_);
    // Qt's idea of the window follows what is asked and what the window system reports.
    if (window_.geometry() == wanted && (!handle || handle->geometry() == wanted)) {
        // Confirmed by a report since the last ask, once shown; until then a report or its exposure
        // looks again.
        if (!outstanding_ && exposed)
            held_ = false;
        return;
    }
    if (++asks_ > kMostAsks) {
        held_ = false;
        return;
    }
    asking_ = true;
    // Place and size in one ask: a move alone would carry the size Qt last heard of.
    window_.setGeometry(wanted);
    if (handle && handle->geometry() != wanted)
        handle->setGeometry(wanted);
    asking_ = false;
    outstanding_ = true;
}

bool TAskedGeometry::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == &window_) {
        if (type == QEvent::Show)
            watchHandle();
        else if (type == QEvent::Hide)
            held_ = false;
        else if (type == QEvent::WindowStateChange && (window_.windowState() & kUsersOwnSize))
            held_ = false; // the user's own choice of size
        else if ((type == QEvent::Move || type == QEvent::Resize) && !event->spontaneous() && !asking_ &&
                 window_.isVisible() && !(window_.windowState() & kUsersOwnSize)) {
            // The program placed or sized the shown window: held with what it keeps of the rest.
            if (!held_) {
                held_ = true;
                asks_ = 0;
                place_ = window_.pos();
                size_ = window_.size();
            } else if (type == QEvent::Move) {
                place_ = window_.pos();
            } else {
                size_ = window_.size();
            }
            outstanding_ = true;
            askSoon();
        }
    } else if (watched == handle_) {
        // The window system's reports, in the order it sends them.
        if (type == QEvent::Resize || type == QEvent::Move) {
            outstanding_ = false;
            // While the window manager frames the window, it reports where it is in passing; once
            // shown, the window looks whether it is where it was asked to be.
            if (held_ && handle_->isExposed())
                askSoon();
        } else if (type == QEvent::Expose && held_) {
            askSoon();
        }
    }
    return false;
}

} // namespace tvp
