#include "core/ui/FieldAids.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace tvp {

namespace {

// A choice or a number box (dates and times too): the controls whose value the wheel turns.
bool turnsWithWheel(const QObject* object)
{
    return qobject_cast<const QComboBox*>(object) || qobject_cast<const QAbstractSpinBox*>(object);
}

// Inside the content of a scroll area (the area's viewport is one of its parents), within its window.
bool inScrolledContent(const QWidget& widget)
{
    for (const QWidget* p = widget.parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (const auto* area = qobject_cast<const QAbstractScrollArea*>(p->parentWidget());
            area && area->viewport() == p)
            return true;
    return false;
}

// The top-level widget a window of the platform shows.
QWidget* widgetOf(const QWindow& window)
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->windowHandle() == &window)
            return top;
    return nullptr;
}

// A field the user chooses texts into while typing: a completer's pick, or the entry of a choice or
// number box it belongs to, changes its text without an edit and leaves the cursor where typing goes on.
bool completesWhileTyping(const QLineEdit& edit)
{
    const QWidget* owner = edit.parentWidget();
    return edit.completer() || qobject_cast<const QComboBox*>(owner) || qobject_cast<const QAbstractSpinBox*>(owner);
}

// A text the program puts into a field shows from its start, also in the field with the focus. A
// user's edit (typing, undo) says so before the text changes, and keeps Qt's cursor; so does a
// completed field while the user is in it. A field without the focus shows the start of an unedited
// text whatever moved its cursor (the program set the text it had: the cursor went to the end
// without a change), unless the program selected the text (a cell's editor).
class TStartKeeper : public QObject {
public:
    explicit TStartKeeper(QLineEdit& edit) : QObject(&edit)
    {
        connect(&edit, &QLineEdit::textEdited, this, [this] { edited_ = true; });
        connect(&edit, &QLineEdit::textChanged, this, [this, &edit] {
            if (!std::exchange(edited_, false) && !(edit.hasFocus() && completesWhileTyping(edit)))
                edit.setCursorPosition(0);
        });
        connect(&edit, &QLineEdit::cursorPositionChanged, this, [&edit](int, int now) {
            if (now != 0 && !edit.hasFocus() && !edit.hasSelectedText() && !edit.isModified())
                edit.setCursorPosition(0);
        });
    }

private:
    bool edited_ = false;
};

class TFieldAids : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void beforeWheel(const QWindow& window, const QWheelEvent& wheel);
};

// The window receives a turn before the widget under the pointer does, and before Qt hands that
// widget the focus for it: a box in scrolled content gives up taking the focus from the wheel.
void TFieldAids::beforeWheel(const QWindow& window, const QWheelEvent& wheel)
{
    QWidget* top = widgetOf(window);
    QWidget* under = top ? top->childAt(wheel.position().toPoint()) : nullptr;
    for (QWidget* w = under; w && w != top; w = w->parentWidget())
        if (turnsWithWheel(w)) {
            if (w->focusPolicy() == Qt::WheelFocus && inScrolledContent(*w))
                w->setFocusPolicy(Qt::StrongFocus);
            return;
        }
}

bool TFieldAids::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Wheel:
        if (watched->isWindowType()) {
            beforeWheel(*static_cast<QWindow*>(watched), *static_cast<QWheelEvent*>(event));
        } else if (turnsWithWheel(watched)) {
            auto* box = static_cast<QWidget*>(watched);
            if (!box->hasFocus() && inScrolledContent(*box)) {
                // Ignored, the turn goes on to the parents: the scroll area takes it.
                event->ignore();
                return true;
            }
        }
        return false;
    case QEvent::Polish:
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            new TStartKeeper(*edit);
            // Its text was set before it was shown, unless the program selected it (a cell's editor).
            if (!edit->hasSelectedText())
                edit->setCursorPosition(0);
        }
        return false;
    default: return false;
    }
}

} // namespace

void installFieldAids()
{
    static QPointer<QObject> aids;
    if (!qApp || aids)
        return;
    aids = new TFieldAids(qApp);
    qApp->installEventFilter(aids);
}

} // namespace tvp
