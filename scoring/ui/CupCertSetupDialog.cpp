#include "scoring/ui/CupCertSetupDialog.h"

#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

#include <QPushButton>

namespace tvp {

TCupCertForm::TCupCertForm(TWindowContext& context) : TCertForm(context, QStringLiteral("CupCertForm"))
{
    // Test data come from a competition's participants; a cup has none of its own.
    Button3->setEnabled(false);
}

void TCupCertForm::ShowCertForm(int cupId)
{
    if (checkDirtyDataMessage(nullptr, QString()))
        return;
    hide();
    FcupId = cupId;
    if (cupId == 0)
        return;
    QString caption = QStringLiteral("Urkunden / Ergebniszusammenstellungen");
    if (QWidget* certForm = context().windows().widget(TWindowId::CertForm))
        caption = certForm->windowTitle();
    QString cupName;
    if (auto* cups = context().windows().find<ICupsForm>())
        cupName = cups->getCupName();
    setWindowTitle(cupName.isEmpty() ? caption : cupName + QStringLiteral(" - ") + caption);
    show();
}

void TCupCertForm::LoadCertTemplates()
{
    loadTemplates(FcupId);
}

void TCupCertForm::CreateCert()
{
    createCert(FcupId);
}

void TCupCertForm::LoadCertAggs()
{
    loadAggs(TCertRequestType::rt_getCupAggChain, FcupId);
}

void TCupCertForm::showData(bool)
{
    openDataView(false, true, FcupId);
}

} // namespace tvp
