#include "core/print/ui/Print.h"

#include "core/lists/ListCells.h"
#include "core/print/PrintJob.h"
#include "core/print/ResultListPrint.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/services/ScoringServices.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QPrinter>
#include <QTableView>
#include <QTreeView>

#include <optional>

namespace tvp {

QPrinter& Printer()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

TWaitText::TWaitText(const QString& text, QWidget* window) : text_(text)
{
    programContext().waitTexts().showWait(text_, window);
}

TWaitText::~TWaitText()
{
    programContext().waitTexts().closeWait(text_);
}

bool ChoosePrinterByDialog(QWidget* window)
{
    // The choice belongs to the analysis window: on its monitor, through its print dialog once
    // that window is built.
    QWidget* analysis = programWindows().widget(TWindowId::AnalyseForm);
    if (!window)
        window = analysis;
    TWaitText wait(QStringLiteral("Suche installierte Drucker..."), window);
    try {
        if (auto* form = programWindows().get<IAnalyseForm>(TWindowId::AnalyseForm))
            return form->choosePrinter(Printer());
        return dialogs().printDialog(window, QStringLiteral("Drucken"), Printer());
    } catch (...) {
        return false;
    }
}

void ChoosePrinterThen(QWidget* window, std::function<void(bool)> chosen)
{
    auto wait = std::make_shared<std::optional<TWaitText>>();
    wait->emplace(QStringLiteral("Suche installierte Drucker..."), window);
    try {
        dialogs().askPrinter(window, QStringLiteral("Drucken"), Printer(), [wait, chosen](bool confirmed) {
            wait->reset();
            chosen(confirmed);
        });
    } catch (...) {
        wait->reset();
        chosen(false);
        return;
    }
    // The printers are found once the dialog is up.
    wait->reset();
}

std::unique_ptr<TPrintManager> InitPrint(bool askPrinter, const QString& jobTitle, bool landscape, QWidget* window)
{
    if (askPrinter && !ChoosePrinterByDialog(window))
        return nullptr;
    if (!checkPrinter(Printer()))
        return nullptr;
    return std::make_unique<TPrintManager>(Printer(), jobTitle, landscape);
}

bool endPrintJob(TPrintManager& manager, IMessageSink& messages, const QString& caption, QObject* window)
{
    const bool nothing = manager.pagesPrinted() == 0;
    if (!manager.endJob()) {
        messages.AddException(0, {}, QStringLiteral("Der Druckauftrag konnte nicht geschrieben werden."), caption,
                              window);
        return false;
    }
    // A job without pages writes nothing and would otherwise pass for printed.
    if (nothing) {
        messages.AddException(0, {}, QStringLiteral("Es gibt nichts zu drucken."), caption, window);
        return false;
    }
    return true;
}

TListPrintColumns listPrintColumns(const QAbstractItemView& view)
{
    TListPrintColumns columns;
    const QHeaderView* header = nullptr;
    if (const auto* tree = qobject_cast<const QTreeView*>(&view))
        header = tree->header();
    else if (const auto* table = qobject_cast<const QTableView*>(&view))
        header = table->horizontalHeader();
    const int count = view.model() ? view.model()->columnCount() : 0;
    for (int c = 0; c < count; ++c) {
        columns.widths.push_back(header && !header->isSectionHidden(c) ? header->sectionSize(c) : 0);
        columns.values.push_back(view.model()->headerData(c, Qt::Horizontal, kValueColumnRole).toBool());
    }
    columns.listWidth = view.width();
    return columns;
}

bool ResultListPrint(const QAbstractItemView& view, const QString& title, const QString& subtitle)
{
    if (!view.model() || !checkPrinter(Printer()))
        return false;
    QWidget* window = const_cast<QAbstractItemView&>(view).window();
    TWaitText wait(kPrintWaitText, window);
    QString error;
    if (tvp::ResultListPrint(Printer(), *view.model(), listPrintColumns(view), title, subtitle, &error))
        return true;
    programContext().messages().AddException(-1, {}, QStringLiteral("Die Liste konnte nicht gedruckt werden: ") + error,
                                             QStringLiteral("Drucken"));
    return false;
}

bool InitResultListPrint(const QAbstractItemView& view, bool askPrinter, const QString& title, const QString& subtitle)
{
    if (askPrinter && !ChoosePrinterByDialog(const_cast<QAbstractItemView&>(view).window()))
        return false;
    return ResultListPrint(view, title, subtitle);
}

} // namespace tvp
