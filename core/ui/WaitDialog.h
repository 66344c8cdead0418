#pragma once
// The wait window: texts of long actions under way, as a stack. Each caller shows its own text and
// later closes that same text; the newest text is displayed, and the window goes when none is left.

#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"

#include <QStringList>

class QFrame;
class QLabel;
class QScreen;

namespace tvp {

class TForm10 : public TTVPForm, public IWaitTexts {
    Q_OBJECT
public:
    // The first one created becomes its context's wait texts.
    explicit TForm10(QWidget* parent = nullptr);
    explicit TForm10(TWindowContext& context, QWidget* parent = nullptr);
    ~TForm10() override;

    // Pushes the text and shows the window centred across the upper part of the monitor (the
    // primary one when none is given).
    void Showwaitdialog(const QString& text, QScreen* monitor = nullptr);
    // Removes the first occurrence of the text. A text that is not shown changes nothing, so one
    // caller's mistake cannot take away the texts of the others.
    void CloseWaitdialog(const QString& text);

    // The same for callers that know only the context (on the monitor of onScreenOf when it is a window).
    void showWait(const QString& text, QObject* onScreenOf = nullptr) override;
    void closeWait(const QString& text) override { CloseWaitdialog(text); }

protected:
    void reloadData() override {}

private:
    void showCurrentText();

    QLabel* Image1;
    QFrame* Shape1;
    QLabel* Label1;
    QStringList Strings;
};

} // namespace tvp
