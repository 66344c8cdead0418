#include "scoring/ui/DocSetupForm.h"

namespace tvp {

TDocSetupForm::TDocSetupForm(TWindowContext& context, QWidget* parent) : TTVPForm(context, parent)
{
}

void TDocSetupForm::notifyStatusChange(TDocPathStatus status, const QString& path, int contextId, int extra) const
{
    if (OnStatusChange)
        OnStatusChange(status, path, contextId, extra);
}

} // namespace tvp
