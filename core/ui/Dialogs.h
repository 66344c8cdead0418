#pragma once
// The one road of every modal question, message box, file dialog and modal window. The program
// uses Qt's dialogs; tests install a scripted implementation that answers by caption.
//
// Two ways to ask. The plain calls wait for the answer in a loop of their own and suit what the
// user's own key or click asks right now. A question that an answer of the server, a timer or
// another desk raises is asked with ask/openModal/askPrinter: it waits in front of the window it
// belongs to, blocks only that window, and its answer continues the work when it comes, so any
// number of them may be up at once and be answered in any order.

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QFileDialog;
class QMessageBox;
class QPrinter;
class QWidget;

namespace tvp {

enum class TMsgButtons { YesNo, YesNoCancel, Ok };
enum class TMsgKind { Question, Information, Warning, Error };
enum class TMsgAnswer { Yes, No, Cancel, Ok };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A message box with German buttons ("Ja", "Nein", "Abbrechen", "OK"); Enter presses the
    // button of defaultAnswer ("Ja" unless a question says otherwise). The text is shown as plain
    // text, since it often carries names that users or the server chose. A dialog that the user's
    // own key or click did not bring up takes no keys typed meanwhile.
    virtual TMsgAnswer messageBox(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind,
                                  TMsgButtons buttons, TMsgAnswer defaultAnswer = TMsgAnswer::Yes) = 0;
    // Empty when the user cancels.
    virtual QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    virtual QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    // The same, with a suffix ("csv") that a name typed without one gets before the dialog asks
    // whether to replace an existing file. The default forwards without it; callers then still
    // see a name without suffix and must ask themselves.
    virtual QString getSaveFileNameWithSuffix(QWidget* parent, const QString& caption, const QString& dir,
                                              const QString& filter, const QString& defaultSuffix)
    {
        (void)defaultSuffix;
        return getSaveFileName(parent, caption, dir, filter);
    }
    virtual QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) = 0;
    // One line of text under a prompt, starting with defaultText; nothing when the user cancels.
    virtual std::optional<QString> getText(QWidget* parent, const QString& caption, const QString& prompt,
                                           const QString& defaultText) = 0;
    // The printer choice: true when the user confirmed; the chosen printer (or file) is then set
    // on printer.
    virtual bool printDialog(QWidget* parent, const QString& caption, QPrinter& printer) = 0;
    // Runs a modal window of ours (its window title is its caption) until it is hidden. A dialog
    // gives its result code; any other window gives 0.
    virtual int execModal(QWidget& window) = 0;

    // The same without waiting: shown in front of the window it belongs to (parent's), which it
    // blocks until answered; then the continuation gets the answer. The program's dialogs call it
    // from the event loop after this returns, as part of the user's answer; others may call it at
    // once. The defaults wait as the plain calls do.
    virtual void ask(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind, TMsgButtons buttons,
                     TMsgAnswer defaultAnswer, std::function<void(TMsgAnswer)> answered);
    // window's parent is the window it belongs to; closed gets the result code once it is hidden.
    virtual void openModal(QWidget& window, std::function<void(int)> closed);
    virtual void askPrinter(QWidget* parent, const QString& caption, QPrinter& printer,
                            std::function<void(bool)> answered);
    // One line of text so: answered gets nothing when the user cancels.
    virtual void askText(QWidget* parent, const QString& caption, const QString& prompt, const QString& defaultText,
                         std::function<void(std::optional<QString>)> answered);
    // The desktop's alert sound: input refused where the user may not be looking.
    virtual void beep();
};

// Set on a question shown without a loop of its own: the unload of the window it belongs to closes it.
inline constexpr char kAskingProperty[] = "tvpAsking";

// The box the program's dialogs show, not yet shown (its set-up is tested on its own).
std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind,
                                            TMsgButtons buttons, TMsgAnswer defaultAnswer);
// The file dialog the program shows, not yet shown: Qt's own, with dates and sizes in the
// program's locale.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const QString& caption, const QString& dir,
                                            const QString& filter);
// What the user's click on a box of makeMessageBox means; closing it counts as its escape button.
TMsgAnswer messageBoxAnswer(const QMessageBox& box);

// True when a window shown now would take the keyboard from where the user works: one of the
// program's open windows has it, and the program is not handling the user's own key or click (but
// a server's answer, a poll, a timer).
bool isUnaskedShow();

// While it lives, a window shown unasked does not take the keyboard: what the user types meanwhile
// goes on where it is typed.
class TUnaskedShow {
public:
    explicit TUnaskedShow(QWidget& window);
    ~TUnaskedShow();
    TUnaskedShow(const TUnaskedShow&) = delete;
    TUnaskedShow& operator=(const TUnaskedShow&) = delete;

private:
    QWidget& window_;
    bool quiet_;
};

IDialogs& dialogs();
// Replaces the program's dialogs (tests); nullptr restores Qt's.
void setDialogs(std::unique_ptr<IDialogs> replacement);
// Qt's, as the program shows them (for tests that script only some).
std::unique_ptr<IDialogs> makeQtDialogs();

// Shorthands for the common cases. Enter answers askYesNo "Nein".
bool askYesNo(QWidget* parent, const QString& caption, const QString& text);

// A message the user did not ask for waits without a loop of its own: these return at once then.
void showInformation(QWidget* parent, const QString& caption, const QString& text);
void showWarning(QWidget* parent, const QString& caption, const QString& text);
void showError(QWidget* parent, const QString& caption, const QString& text);

} // namespace tvp
