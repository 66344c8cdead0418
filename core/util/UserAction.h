#pragma once
// Which of the events the program handles the user caused. Only a window that the user's own key,
// click or close opens may take the keyboard; one that a timer, a poll, a server's answer or
// another desk brings up appears beside the window the user types in. The application tells what
// it delivers: an input event starts the user's action, a timer, a queued call or a socket starts
// something else, and whatever is sent meanwhile belongs to the action it happens in.

#include <QEvent>

namespace tvp {

// What the user does to a window: keys, clicks, the wheel, drops, closing it by its frame.
bool isUserInput(QEvent::Type type);

// True while the program handles the user's own input, and what that input does at once.
// Without an application that keeps track (a benchmark's), everything counts as the user's.
bool isUserAction();

// Marks the events delivered in its lifetime by what caused them (GUI thread).
class TEventCause {
public:
    explicit TEventCause(const QEvent& event);
    ~TEventCause();
    TEventCause(const TEventCause&) = delete;
    TEventCause& operator=(const TEventCause&) = delete;

private:
    int previous_;
};

// Called once by the application that keeps track.
void trackUserActions();

// The application of the program and the tests: Qt's own, knowing the user's actions.
template <class Application>
class TUserActionApplication : public Application {
public:
    TUserActionApplication(int& argc, char** argv) : Application(argc, argv) { trackUserActions(); }

    bool notify(QObject* receiver, QEvent* event) override
    {
        const TEventCause cause(*event);
        return Application::notify(receiver, event);
    }
};

} // namespace tvp
