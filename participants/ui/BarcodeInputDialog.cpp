#include "participants/ui/BarcodeInputDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

namespace tvp {

namespace {

TBarcodeInputForm* instance = nullptr;

void warnRefused()
{
    programContext().messages().AddWarning(-1, {}, QStringLiteral("Ungültiger Barcode"),
                                           QStringLiteral("Barcode-Leser-Eingabe"));
}

} // namespace

TBarcodeInputForm* BarcodeInputForm()
{
    return instance;
}

TBarcodeInputForm::TBarcodeInputForm(QWidget* parent) : QWidget(parent, Qt::Tool), Edit1(new QLineEdit(this))
{
    setObjectName(QStringLiteral("BarcodeInputForm"));
    setWindowTitle(kCaption);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    resize(320, sizeHint().height());
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { guarded([this] { Edit1KeyPress(Qt::Key_Return); }); });
    if (!instance)
        instance = this;
}

TBarcodeInputForm::~TBarcodeInputForm()
{
    if (instance == this)
        instance = nullptr;
}

void TBarcodeInputForm::AddBarcodeCallback(TBarcodeCallback handler)
{
    barcodeDispatcher().AddBarcodeCallback(std::move(handler));
}

void TBarcodeInputForm::processBarcode(const QString& code)
{
    guarded([&] {
        if (barcodeDispatcher().processBarcode(code) == TBarcodeDispatcher::Outcome::Refused)
            warnRefused();
    });
}

void TBarcodeInputForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QScreen* monitor = screen() ? screen() : QGuiApplication::primaryScreen())
        move(monitor->availableGeometry().center() - rect().center());
    Edit1->selectAll();
    Edit1->setFocus();
    activateWindow();
}

void TBarcodeInputForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TBarcodeInputForm::Edit1KeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    const QString code = Edit1->text();
    hide();
    processBarcode(code);
}

} // namespace tvp
