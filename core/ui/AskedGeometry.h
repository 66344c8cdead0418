#pragma once
// The place and size the program asks for a shown window, held together until the window system
// has reported them for the shown window. A window manager answers what was asked before it mapped
// the window with the geometry it mapped it at, takes moves and resizes as separate asks in the
// order they reach it, and a move carries the size Qt last heard of; Qt takes each report as the
// window's geometry. So while it holds, a report of another geometry is answered, once taken whole,
// by asking for the held place and size together; the frame is kept within the free area with the
// margins the window manager gave the window (before it showed it, those of another framed window).
// Any change the program makes to a shown window is held so.
//
//   resize(wider);
//   asked.askNow(); // before the window is mapped: it maps where it was asked to

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWindow>

#include <optional>

namespace tvp {

class TTVPForm;

class TAskedGeometry : public QObject {
public:
    // Asked again at most this often for one held geometry: a window manager that keeps its own wins.
    static constexpr int kMostAsks = 10;

    explicit TAskedGeometry(TTVPForm& window);

    // The window's place (its frame's top left) and size now are held, as when it is shown.
    void hold();
    // What is held is asked for now, kept within the free area, not after the events in the queue.
    void askNow();
    bool holding() const { return held_; }
    // The frame's place and the window's size it rests at: what is held while it holds.
    QRect resting() const;
    // What the window system adds around the window: as it framed it, else (not shown yet) as it
    // framed another; none where not known yet.
    QMargins frameMargins() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<QMargins> knownMargins() const;
    void askSoon();
    void check();
    void watchHandle();

    TTVPForm& window_;
    QPointer<QWindow> handle_;
    QPoint place_;
    QSize size_;
    bool held_ = false;
    // The window system has still to report what was last asked.
    bool outstanding_ = false;
    bool asking_ = false;
    bool pending_ = false;
    int asks_ = 0;
};

} // namespace tvp
