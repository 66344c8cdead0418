#include "participants/ui/BlankoBarcodeDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowTools.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

TBlankoBarcodeForm::TBlankoBarcodeForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, barcodeAllocRequests(), this,
            [this](std::unique_ptr<TBarcodeAllocResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(QStringLiteral("Blanko Barcodes erstellen"));
    setSizeableBorder(false);
    checkDirtyDataOnClose = false;
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Anzahl zu reservierender Barcodes: "), this);
    label->setObjectName(QStringLiteral("Label1"));
    row->addWidget(label);
    Edit1 = new QLineEdit(QStringLiteral("100"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(6);
    row->addWidget(Edit1, 1);
    layout->addLayout(row);
    CheckBox1 = new QCheckBox(QStringLiteral("csv nach Erstellen anzeigen"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    layout->addWidget(CheckBox1);
    Button1 = new QPushButton(QStringLiteral("Barcodes als csv generieren"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    layout->addWidget(Button1);
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
}

TBlankoBarcodeForm::~TBlankoBarcodeForm() = default;

void TBlankoBarcodeForm::Button1Click()
{
    const std::optional<int> count = readBarcodeCount(Edit1->text());
    if (!count) {
        context().dialogs().messageBox(this, QStringLiteral("Barcodes erzeugen"),
                                       QStringLiteral("Anzahl der Barcodes muss eine Zahl größer 0 sein"),
                                       TMsgKind::Warning, TMsgButtons::Ok, TMsgAnswer::Ok);
        return;
    }
    const QString path = askCsvSaveFile(QStringLiteral("Barcodes.csv"));
    if (path.isEmpty())
        return;
    auto request = std::make_unique<TBarcodeAllocRequest>();
    request->count = *count;
    request->showResult = CheckBox1->isChecked();
    request->Filename = path;
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_None) != 0)
        Button1->setEnabled(false);
}

void TBlankoBarcodeForm::RequestFinished(std::unique_ptr<TBarcodeAllocResponse> response,
                                         const TRequestOutcome& outcome)
{
    Button1->setEnabled(true);
    if (!outcome.ok()) {
        road_.report(outcome);
        return;
    }
    const auto& range = response->allocateBlancAthleteBarcodeResponse.Range;
    // The ids stay reserved when the file cannot be written; a new run reserves new ones.
    if (!range || !writeBlankBarcodeFile(response->Filename, range->startID, range->endID)) {
        context().messages().AddException(
            -1, {},
            QStringLiteral("Fehler beim Schreiben der Datei. Ggf. ist die Datei in einem anderen Programm geöffnet."),
            QStringLiteral("Barcodeliste erzeugen"), this);
        return;
    }
    if (response->showResult)
        executeFile(response->Filename);
    hide();
}

} // namespace tvp
