#pragma once
// Base of every work window and of the main window: unsaved changes tracked per named part, the
// questions about losing them, reload and unload entry points, and the stored window position.

#include "core/ui/Dialogs.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <limits>

namespace tvp {

class TAskedGeometry;
class TWindowContext;
class TTVPForm;

// Holds while the window some work belongs to is there and has not been unloaded since (a change of
// competition, "Alles neu laden"): an answer that comes later must not act on data gone meanwhile.
// Work of no window, or of a window that is no TTVPForm, holds while that object lives.
class TLoadGuard {
public:
    explicit TLoadGuard(QObject* window);
    bool holds() const;

private:
    QPointer<QObject> window_;
    bool hadWindow_;
    quint64 generation_ = 0;
};

// A window with key commands of its own: the Ctrl keys the main window does not know itself go to
// the active window when that is a registered window that takes key commands.
class IKeyCommands {
public:
    virtual ~IKeyCommands() = default;
    // True when the window took the key.
    virtual bool hotKeyCallback(int key) = 0;
};

class TTVPForm : public QWidget {
    Q_OBJECT
public:
    // After a "Ja" the window asks nothing more for this long, so cascaded checks ask once.
    static inline int doubleCheckIntervalMs = 1000;
    // Quiet time after the last move or resize before the position is stored.
    static inline int moveStoreDelayMs = 400;

    // A window of the program's context; windows made by the registry get theirs passed.
    explicit TTVPForm(QWidget* parent = nullptr);
    explicit TTVPForm(TWindowContext& context, QWidget* parent = nullptr);

    // Messages, wait texts, hints, dialogs, the current competition and the other windows.
    TWindowContext& context() const { return context_; }

    void setDirtyData(const QString& part);
    void resetDirtyData(const QString& part);
    void clearAllDirtyData();
    bool hasDirtyData(const QString& part) const;
    bool hasOverallDirtyData() const;
    QStringList getDirtyDataParts() const { return dirtyParts_; }

    // Called from every edit handler of a part: re-evaluates whether the part differs from what
    // was loaded and updates the part list.
    void DoItemChangeCheck(const QString& part);

    // The Yes/No question about losing changes; true when the caller must stop. An empty caption
    // means the window's own.
    bool showDirtyDataMessage(const QString& caption, const QString& text);
    // Asks checkMessage (or text, when given) when the part is dirty, after calling before (if
    // set); true means stop.
    bool checkDirtyDataMessage(const std::function<void()>& before, const QString& part,
                               const QString& text = QString());
    // The same without waiting, for what a timer or an answer asks: onGo runs when the part is
    // clean or on "Ja", onStay on "Nein".
    void checkDirtyDataLater(const QString& part, std::function<void()> onStay, std::function<void()> onGo);

    // Asks reloadMessage first when ask is set and changes would be lost; false when the user
    // declined and nothing was reloaded. Unless the user's own action asks for it, the question
    // waits beside without holding the program: false then, and the reload comes with its "Ja".
    bool reloadFormData(bool ask);
    // The reload question of a load's answer that would drop what was typed; true: keep what is
    // shown. Unless the user's own action asks for the load, it waits beside without holding the
    // program, what is shown stays for now, and on "Ja" the window loads anew: with reloadAgreed,
    // which loads so that the answer takes what the user agreed to lose, or else after the
    // window's changes are dropped.
    bool keepOverReload(std::function<void()> reloadAgreed = {});

    // Shows the window and reloads it as showing does. An open one stays open: hidden and shown
    // again it would lose the keyboard to another window.
    void showReloaded();

    // Drops the window's data (competition change). The base does nothing.
    virtual void unload() {}
    // What others call to unload the window: its questions still waiting go unanswered, and no
    // answer given to them later acts on it (TLoadGuard).
    void unloadData();
    // Counts the unloads.
    quint64 loadGeneration() const { return loadGeneration_; }

    // Asks without waiting (IDialogs::ask), blocking only this window; answered runs once the user
    // answered, while the window has not been unloaded since. For questions a server's answer, a
    // timer or another window raises; a message nobody waits for has no continuation.
    void askLater(const QString& caption, const QString& text, TMsgKind kind, TMsgButtons buttons,
                  TMsgAnswer defaultAnswer, std::function<void(TMsgAnswer)> answered = {});
    // A Yes/No question so, Enter answering "Nein"; onYes runs on "Ja".
    void askYesNoLater(const QString& caption, const QString& text, std::function<void()> onYes);

    // Every show (also through a QWidget*) brings a minimised window back to normal. A show the
    // user's own key or click asks for brings it to the front with the keyboard; any other shows a
    // new window beside the one the user types in and leaves an open one where it is.
    void setVisible(bool visible) override;

    void setPopupOpen(int id) { openPopupMenu_ = id; }
    void resetPopupOpen() { openPopupMenu_ = -1; }
    bool isPopupOpen(int id) const { return openPopupMenu_ == id; }

    // Fixed-border windows keep their designed size when positions are restored.
    bool hasSizeableBorder() const { return sizeableBorder_; }
    void setSizeableBorder(bool sizeable) { sizeableBorder_ = sizeable; }

    // Opened at its own size rather than a stored one, the window grows once with its lists, when
    // they first hold rows, whenever that is.
    void setGrowsWithLists(bool grows)
    {
        growsWithLists_ = grows;
        openingSize_ = size();
    }
    // Still at the size it opened with and waiting to grow for its lists: a size nobody chose, not
    // worth storing, for then the next start would no longer grow it.
    bool keepsOpeningSize() const { return growsWithLists_ && size() == openingSize_; }
    // The list, filled for the first time, lacks that many pixels to show its texts whole: the window
    // grows until the list has them, as far as the free area allows, its frame kept within. Shown, it
    // grows before the window system maps it where its lists say what they lack by then: their rows
    // are there, or their names may need the screen (opensWideForNames).
    void growForList(const QWidget& list, int lacking);

    // The place (the frame's top left) and size the window rests at: while the window system has
    // not yet confirmed what the program asked for the shown window, that (TAskedGeometry).
    QRect restingGeometry() const;
    // The window system has still to confirm the place and size the program asked for.
    bool awaitsGeometry() const;

    bool checkDirtyDataOnClose = true;
    QString closeMessage;
    QString reloadMessage;
    QString checkMessage;

protected:
    // The window fetches its data again.
    virtual void reloadData() = 0;
    // Does the part differ from what was loaded?
    virtual bool checkItemChanged(const QString& part) { return false; }
    // The part's dirty state is about to change; the window may alter changed.
    virtual void dirtyDataChangeCallback(bool& changed, const QString& part) {}
    // Runs each time the window is shown, also when show() brings it back from minimised.
    virtual void FormShow() {}

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void geometryChanged();
    void onMoveWindow();
    // A "Ja" less than a second ago answers this question too.
    bool answeredJustNow();
    bool askReloadLater(std::function<void()> reloadAgreed = {});

    TWindowContext& context_;
    QStringList dirtyParts_;
    qint64 doubleCheckUntil_ = std::numeric_limits<qint64>::min();
    int openPopupMenu_ = -1;
    quint64 loadGeneration_ = 0;
    // The reload question asked without waiting is up: a second reload asks nothing more.
    bool reloadAsked_ = false;
    bool sizeableBorder_ = true;
    bool growsWithLists_ = false;
    QSize openingSize_;
    TAskedGeometry* askedGeometry_;
    QTimer moveStoreTimer_;
};

} // namespace tvp
