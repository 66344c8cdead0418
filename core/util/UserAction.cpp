#include "core/util/UserAction.h"

#include <atomic>

namespace tvp {

namespace {

enum Cause { kOther = 0, kUser = 1 };

std::atomic<bool> tracked{false};
// Per thread: a worker's events never make the GUI thread's action the user's.
thread_local int current = kOther;
thread_local const void* currentWindow = nullptr;
thread_local TUserAction carried;
thread_local bool answering = false;
thread_local TUserAction answered;

// The user's last press of a key or button, and the last one in another window than that; what the
// GUI thread sees only.
struct TInput {
    quint64 serial = 0;
    const void* window = nullptr;
};
TInput lastInput;
TInput lastElsewhere;
quint64 inputSerials = 0;

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

// What moves the user's attention to a window: a release follows its press wherever the focus
// went meanwhile.
bool actsIn(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TabletPress: return true;
    default: return false;
    }
}

void noteInput(const void* window)
{
    if (window != lastInput.window)
        lastElsewhere = lastInput;
    lastInput = {++inputSerials, window};
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
    return !tracked.load(std::memory_order_relaxed) || current == kUser || (answering && answered.isCurrent());
}

TUserAction TUserAction::current()
{
    if (tvp::current == kUser) {
        // The latest input: a question the user answered on the way belongs to this action.
        const void* window = currentWindow ? currentWindow : lastInput.window;
        return lastInput.serial != 0 ? TUserAction(lastInput.serial, window) : TUserAction();
    }
    return carried;
}

bool TUserAction::isCurrent() const
{
    if (!isValid())
        return false;
    const quint64 elsewhere = window_ == lastInput.window ? lastElsewhere.serial : lastInput.serial;
    return elsewhere <= serial_;
}

TCarriedAction::TCarriedAction(const TUserAction& action) : previous_(carried)
{
    carried = action;
}

TCarriedAction::~TCarriedAction()
{
    carried = previous_;
}

TAnswerTo::TAnswerTo(const TUserAction& action) : carried_(action), previous_(answering), previousAnswered_(answered)
{
    answering = true;
    answered = action;
}

TAnswerTo::~TAnswerTo()
{
    answering = previous_;
    answered = previousAnswered_;
}

TEventCause::TEventCause(const QEvent& event, const void* window)
    : previous_(current), previousWindow_(currentWindow), previousCarried_(carried), previousAnswering_(answering)
{
    // Delivered by the window system; what the program sends itself is part of something else. A
    // drop comes only from the user's drag, whichever way the platform hands it over.
    if ((event.spontaneous() || event.type() == QEvent::Drop) && isUserInput(event.type())) {
        current = kUser;
        if (window) {
            currentWindow = window;
            if (actsIn(event.type()))
                noteInput(window);
        }
    } else if (startsOtherAction(event)) {
        current = kOther;
        currentWindow = nullptr;
        carried = {};
        answering = false;
    }
}

TEventCause::~TEventCause()
{
    current = previous_;
    currentWindow = previousWindow_;
    carried = previousCarried_;
    answering = previousAnswering_;
}

void trackUserActions()
{
    tracked.store(true, std::memory_order_relaxed);
}

} // namespace tvp
