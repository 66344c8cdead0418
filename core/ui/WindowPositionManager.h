#pragma once
// Restores every window's position and size at start-up and stores them again; also checks and
// closes all work windows for the main window.

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

namespace tvp {

class TTVPForm;
class TWindowRegistry;

// Windows the store places by others: the second discipline window opens 30 px right of and below
// the first; the windows that come up while the chooser is the only thing the user works with (the
// welcome hint, the message window) open beside the chooser rather than over it.
struct TRelatedWindows {
    TTVPForm* firstDiscipline = nullptr;
    TTVPForm* secondDiscipline = nullptr;
    TTVPForm* chooser = nullptr;
    QList<TTVPForm*> besideChooser;
};

// The program's related windows, from its registry.
TRelatedWindows relatedWindows(const TWindowRegistry& registry);

// Where a window of the given size opens so that it leaves keep visible: right of it, left of it,
// below or above it (centred on the other axis, kept on the screen); the first place that does not
// cover keep, else the one that covers least.
QPoint placeBeside(const QRect& keep, const QSize& own, const QSize& screen);

class TPositionStoreAdapter {
public:
    // The primary screen less its panels: where windows may open.
    static QRect primaryScreenArea();

    // The first numberOfMainForms windows are main windows (the first of all is the main window):
    // never checked or closed here. Restores every window's position in list order, within area.
    TPositionStoreAdapter(const QList<TTVPForm*>& windows, int numberOfMainForms, TRelatedWindows related = {},
                          QRect area = primaryScreenArea());

    // Where windows may open.
    const QRect& area() const { return area_; }
    void initWindowPosition(TTVPForm* form);
    // A window's frame (title bar included, `decoration` around the window) moved within the free
    // area; larger than the area, a sizeable window's becomes as large as fits, never below the
    // window's minimum.
    QRect keptWithinArea(QRect frame, QSize decoration, QSize minimum, bool sizeable) const;
    void storeWindowPosition(TTVPForm* form);
    void storeAllWindows();
    // Closes every work window without a question; its unsaved changes are dropped.
    void closeAllNonMainWindows();
    // Asks every work window about each of its unsaved parts, with the question (the window's
    // checkMessage when empty) that says what the caller is about to do; true when the user said
    // "Nein" and the caller must abandon its action. Windows whose changes are given up are
    // unloaded and closed.
    bool checkAllDirtyData(const QString& question = QString());

private:
    QList<QPointer<TTVPForm>> windows_;
    QRect area_;
    int numberOfMainForms_;
    QPointer<TTVPForm> firstDiscipline_;
    QPointer<TTVPForm> secondDiscipline_;
    QPointer<TTVPForm> chooser_;
    QList<QPointer<TTVPForm>> besideChooser_;
};

// The program's adapter (created at start-up, kept by programContext()); null before and after.
TPositionStoreAdapter* posStoreAdapter();
void setPosStoreAdapter(std::unique_ptr<TPositionStoreAdapter> adapter);

} // namespace tvp
