#include "core/util/UserAction.h"

#include <atomic>

namespace tvp {

namespace {

enum Cause { kOther = 0, kUser = 1 };

std::atomic<bool> tracked{false};
// Per thread: a worker's events never make the GUI thread's action the user's.
thread_local int current = kOther;

// A new cause: delivered by the event loop, never as part of the event being handled.
bool startsOtherAction(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::Timer:
    case QEvent::ZeroTimerEvent:
    case QEvent::MetaCall:
    case QEvent::SockAct:
    case QEvent::SockClose: return true;
    default: return false;
    }
}

} // namespace

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Close: return true;
    default: return false;
    }
}

bool isUserAction()
{
    return !tracked.load(std::memory_order_relaxed) || current == kUser;
}

TEventCause::TEventCause(const QEvent& event) : previous_(current)
{
    // Delivered by the window system; what the program sends itself is part of something else.
    if (event.spontaneous() && isUserInput(event.type()))
        current = kUser;
    else if (startsOtherAction(event))
        current = kOther;
}

TEventCause::~TEventCause()
{
    current = previous_;
}

void trackUserActions()
{
    tracked.store(true, std::memory_order_relaxed);
}

} // namespace tvp
