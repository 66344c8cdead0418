#pragma once
// The base of the three windows that link a mail-merge document (certificate, receipt, schedule)
// to the id they work for, and tell the window that shows the path how a change went.

#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"

namespace tvp {

class TDocSetupForm : public TTVPForm, public virtual IDocSetupForm {
    Q_OBJECT
public:
    explicit TDocSetupForm(TWindowContext& context, QWidget* parent = nullptr);

    // Calls OnStatusChange with exactly these arguments; nothing while no handler is set.
    // extra: the schedule document's TScheduleDocType, 0 for the others.
    void notifyStatusChange(TDocPathStatus status, const QString& path, int contextId, int extra = 0) const;

    int contextId() const { return FContextID; }

protected:
    // The compilation's id for certificates, the competition's for receipts and schedules.
    int FContextID = 0;
};

} // namespace tvp
