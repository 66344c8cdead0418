#include "core/ui/CompImportSwitchDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/WebUIServices.h"
#include "core/ui/CompImportDialog.h"
#include "core/ui/WindowRegistry.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

TCompImportSwitchForm::TCompImportSwitchForm(TWindowContext& context) : TTVPForm(context)
{
    setObjectName(QStringLiteral("CompImportSwitchForm"));
    setWindowTitle(QStringLiteral("Veranstaltung importieren"));
    checkDirtyDataOnClose = false;

    auto* label = new QLabel(QStringLiteral("Importquelle wählen:"), this);
    Button1 = new QPushButton(QStringLiteral("Veranstaltung oder Vorlage aus Datei"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Veranstaltung aus dem Browser-Client"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("Abbrechen"), this);
    Button3->setObjectName(QStringLiteral("Button3"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(Button1);
    layout->addWidget(Button2);
    layout->addWidget(Button3, 0, Qt::AlignRight);

    connect(Button1, &QPushButton::clicked, this, [this] {
        guarded([this] {
            close();
            if (auto* import = this->context().windows().get<TCompImportForm>(TWindowId::CompImportForm))
                import->showImportDialog();
            else
                this->context().windows().show(TWindowId::CompImportForm);
        });
    });
    connect(Button2, &QPushButton::clicked, this, [this] {
        guarded([this] {
            Button2->setEnabled(false);
            if (auto* web = this->context().windows().find<IWebUIController>())
                web->showInBrowser(this, QStringLiteral("import"), QString(), true);
        });
    });
    connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { close(); }); });
}

void TCompImportSwitchForm::showImportChoice()
{
    context().windows().show(TWindowId::CompImportSwitchForm);
}

void TCompImportSwitchForm::FormShow()
{
    // Without the web-client bridge the browser import is not there to ask.
    Button2->setEnabled(context().windows().find<IWebUIController>() != nullptr);
}

} // namespace tvp
