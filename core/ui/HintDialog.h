#pragma once
// The context hint window: help texts from ContextHelp/<name>.html beside the program. The user can
// switch each hint off, or all of them; the choice is kept in the settings section HintSystem.

#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"

#include <QTimer>

class QCheckBox;
class QPushButton;
class QTextBrowser;

namespace tvp {

class THintForm : public TTVPForm, public IHints {
    Q_OBJECT
public:
    // The first one created becomes its context's hints.
    explicit THintForm(QWidget* parent = nullptr);
    explicit THintForm(TWindowContext& context, QWidget* parent = nullptr);
    ~THintForm() override;

    // Shows the hint unless it or all hints are switched off (force shows it anyway). A missing
    // or unreadable help file shows nothing and reports nothing.
    void ShowHint(const QString& name, bool force) override;
    // Shows the hint after the delay; asking again within the delay restarts it with the new name.
    void ShowHintDelayed(const QString& name, int delayMs) override;
    // Switches every hint on again.
    void ResetHintSystem() override;

    void Button1Click();

protected:
    void reloadData() override {}

private:
    QTextBrowser* RichEdit1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QPushButton* Button1;
    QTimer Timer1;
    QString FID;
};

} // namespace tvp
