#pragma once
// Which of the events the program handles the user caused, and which work still serves the user's
// action. A window the user's own key, click, drop or menu asks for takes the keyboard, also when it
// comes later as the server's answer to the request that action started; one a timer, a poll or
// another desk brings up appears beside the window the user types in. The application tells what it
// delivers: an input event starts the user's action, a timer, a queued call or a socket starts
// something else, and whatever is sent meanwhile belongs to the action it happens in. A request
// takes the action it was started in along (TUserAction::current()); the window that is its answer
// is shown under TAnswerTo, and takes the keyboard unless the user has typed or clicked in another
// window since, as a window manager decides by the time of the user's action.

#include <QEvent>
#include <QObject>

#include <type_traits>

namespace tvp {

// What the user does to a window: keys, clicks, the wheel, drops, closing it by its frame.
bool isUserInput(QEvent::Type type);

// True while the program handles the user's own input, and what that input does at once, or shows
// the answer to an action of the user's that is still the user's last word (TAnswerTo).
// Without an application that keeps track (a benchmark's), everything counts as the user's.
bool isUserAction();

// One action of the user's: the input it came with and the window it was made in.
class TUserAction {
public:
    // None: work nobody asked for.
    TUserAction() = default;

    // The action the program works for now: the user's input being handled, or the earlier action
    // whose work goes on (TCarriedAction); none for a timer's, a poll's or an answer nobody asked for.
    static TUserAction current();

    bool isValid() const { return serial_ != 0; }
    // The user has typed or clicked in no other window since.
    bool isCurrent() const;

private:
    TUserAction(quint64 serial, const void* window) : serial_(serial), window_(window) {}

    quint64 serial_ = 0;
    const void* window_ = nullptr; // compared only, never used
};

// While it lives, the work done serves action: requests started take it along.
class TCarriedAction {
public:
    explicit TCarriedAction(const TUserAction& action);
    ~TCarriedAction();
    TCarriedAction(const TCarriedAction&) = delete;
    TCarriedAction& operator=(const TCarriedAction&) = delete;

private:
    TUserAction previous_;
};

// While it lives, what is shown is the answer to action: it counts as the user's own while the
// action is still the user's last word. Only the window or question the action asked for is shown
// so; windows that merely reload because of it are not.
class TAnswerTo {
public:
    explicit TAnswerTo(const TUserAction& action);
    ~TAnswerTo();
    TAnswerTo(const TAnswerTo&) = delete;
    TAnswerTo& operator=(const TAnswerTo&) = delete;

private:
    TCarriedAction carried_;
    bool previous_;
    TUserAction previousAnswered_;
};

// Marks the events delivered in its lifetime by what caused them (GUI thread). window: the
// top-level window of the widget the event goes to, null for other receivers.
class TEventCause {
public:
    TEventCause(const QEvent& event, const void* window);
    ~TEventCause();
    TEventCause(const TEventCause&) = delete;
    TEventCause& operator=(const TEventCause&) = delete;

private:
    int previous_;
    const void* previousWindow_;
    TUserAction previousCarried_;
    bool previousAnswering_;
};

// Called once by the application that keeps track.
void trackUserActions();

// The application of the program and the tests: Qt's own, knowing the user's actions. Where it is
// made, the widget header is included too: it tells the user's windows apart by their widgets.
template <class Application>
class TUserActionApplication : public Application {
public:
    TUserActionApplication(int& argc, char** argv) : Application(argc, argv) { trackUserActions(); }

    bool notify(QObject* receiver, QEvent* event) override
    {
        const TEventCause cause(*event, windowOf(receiver));
        return Application::notify(receiver, event);
    }

private:
    // Application's widget class, named without a widget header here.
    using Widget = std::remove_pointer_t<decltype(Application::focusWidget())>;

    // A menu or other popup stands for the window it opened from.
    static const void* windowOf(QObject* receiver)
    {
        if (!receiver || !receiver->isWidgetType())
            return nullptr;
        Widget* window = static_cast<Widget*>(receiver)->window();
        while (window->windowType() == Qt::Popup && window->parentWidget())
            window = window->parentWidget()->window();
        return window;
    }
};

} // namespace tvp
