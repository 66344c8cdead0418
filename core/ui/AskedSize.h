#pragma once
// A size the program asks for a shown window, held until the window system confirms it. A window
// manager answers a resize asked for before it mapped the window with the size it mapped it at
// (openbox does), and a move made while that answer is on its way asks for the old size again;
// so the held size is asked for again whenever the window system gives the window another one
// before it confirmed the held one.
//
//   window.resize(wider);
//   asked.hold(); // wider, until the window system reports it for the mapped window

#include <QObject>
#include <QSize>

class QWidget;

namespace tvp {

class TAskedSize : public QObject {
public:
    // Asked again at most this often for one held size: a window manager that keeps its own wins.
    static constexpr int kMostAsks = 5;

    explicit TAskedSize(QWidget& window);

    // The window's size now is held. Sizes the program gives it later (kept within the screen)
    // replace it; a size the window system reports for the mapped window confirms it.
    void hold();
    bool holding() const { return wished_.isValid(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QSize wished_;
    int asks_ = 0;
};

} // namespace tvp
