#pragma once
// The one road of every modal question, message box, file dialog and modal window. The program
// uses Qt's dialogs; tests install a scripted implementation that answers by caption.

#include <QString>

#include <memory>

class QDialog;
class QPrinter;
class QWidget;

namespace tvp {

enum class TMsgButtons { YesNo, YesNoCancel, Ok };
enum class TMsgKind { Question, Information, Warning, Error };
enum class TMsgAnswer { Yes, No, Cancel, Ok };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A message box with German buttons ("Ja", "Nein", "Abbrechen", "OK").
    virtual TMsgAnswer messageBox(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind,
                                  TMsgButtons buttons) = 0;
    // Empty when the user cancels.
    virtual QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    virtual QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    virtual QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) = 0;
    // The printer choice: true when the user confirmed; the chosen printer (or file) is then set
    // on printer.
    virtual bool printDialog(QWidget* parent, const QString& caption, QPrinter& printer) = 0;
    // Runs a modal window of ours (its window title is its caption) until it is hidden. A dialog
    // gives its result code; any other window gives 0.
    virtual int execModal(QWidget& window) = 0;
};

IDialogs& dialogs();
// Replaces the program's dialogs (tests); nullptr restores Qt's.
void setDialogs(std::unique_ptr<IDialogs> replacement);

// Shorthands for the common cases.
bool askYesNo(QWidget* parent, const QString& caption, const QString& text);
void showInformation(QWidget* parent, const QString& caption, const QString& text);
void showWarning(QWidget* parent, const QString& caption, const QString& text);
void showError(QWidget* parent, const QString& caption, const QString& text);

} // namespace tvp
