#pragma once
// Between the windows and the page engine: the program's printer, the printer choice, the start
// of a printout and the plain list print of a list view.
//
// A window prints a document of print objects like this (nothing is printed when the user
// cancels the printer choice):
//
//   std::unique_ptr<TPrintManager> manager = InitPrint(true, jobTitle, landscape, this);
//   if (!manager)
//       return;
//   TWaitText wait(QStringLiteral("Verarbeite Druckauftrag..."), this);
//   manager->setPageHeader(...); manager->setContent(...); manager->setPageFooter(...);
//   manager->render();
//   endPrintJob(*manager, context().messages(), caption, this);

#include "core/print/PrintObject.h"
#include "core/print/ResultListPrint.h"

#include <QString>

#include <functional>
#include <memory>

class QAbstractItemView;
class QObject;
class QPrinter;
class QWidget;

namespace tvp {

class IMessageSink;

// The printer every printout goes to; the printer choice changes it.
QPrinter& Printer();

inline const QString kPrintWaitText = QStringLiteral("Verarbeite Druckauftrag...");

// Shows the wait text on the window's monitor while it lives.
class TWaitText {
public:
    TWaitText(const QString& text, QWidget* window);
    ~TWaitText();
    TWaitText(const TWaitText&) = delete;
    TWaitText& operator=(const TWaitText&) = delete;

private:
    QString text_;
};

// The printer dialog ("Drucken") under the wait text "Suche installierte Drucker...". True only
// when the user confirmed a printer; any failure of the dialog counts as cancel.
bool ChoosePrinterByDialog(QWidget* window = nullptr);
// The same without waiting, for a printout that a server's answer starts: the dialog waits in front
// of window and chosen gets the user's choice. The wait text goes once the dialog is up, so that it
// never covers it.
void ChoosePrinterThen(QWidget* window, std::function<void(bool)> chosen);

// A page engine on the program's printer with the job title and orientation, after asking for
// the printer when askPrinter is set. Null when the user cancelled or no printer can be used.
std::unique_ptr<TPrintManager> InitPrint(bool askPrinter, const QString& jobTitle, bool landscape,
                                         QWidget* window = nullptr);

// Sends the job. Tells the user, under caption, when it could not be written or when the document
// had nothing to print; true when pages went to the printer.
bool endPrintJob(TPrintManager& manager, IMessageSink& messages, const QString& caption, QObject* window = nullptr);

// The column widths and width of a list or table view, for the plain list print.
TListPrintColumns listPrintColumns(const QAbstractItemView& view);

// Prints the view's rows in their current order as a plain result list, after asking for the
// printer when askPrinter is set. False when cancelled, no printer is chosen, or the print
// failed (reported in the message window).
bool InitResultListPrint(const QAbstractItemView& view, bool askPrinter, const QString& title,
                         const QString& subtitle = QString());
bool ResultListPrint(const QAbstractItemView& view, const QString& title, const QString& subtitle = QString());

} // namespace tvp
