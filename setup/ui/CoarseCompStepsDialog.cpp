#include "setup/ui/CoarseCompStepsDialog.h"

#include "core/connection/SlotGuard.h"
#include "setup/ui/CompSetupWizardDialog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

TCoarseCompStepsForm::TCoarseCompStepsForm(TWindowContext& context, QWidget* parent) : TTVPForm(context, parent)
{
    setWindowTitle(QStringLiteral("Hilfe - Grobe Schritte einer Veranstaltung"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    CloseButton = new QPushButton(QStringLiteral("Schließen"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);
    resize(560, 360);
    connect(CloseButton, &QPushButton::clicked, this, [this] { guarded([this] { close(); }); });
}

void TCoarseCompStepsForm::FormShow()
{
    // The same steps as the wizard's final page, every time.
    Memo1->setPlainText(nextCompStepsText());
}

} // namespace tvp
