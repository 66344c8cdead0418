#pragma once
// What the participant windows offer only each other; what other areas call is in
// core/services/ParticipantForms.h.

#include "participants/ImportRequest.h"

#include <QString>

#include <vector>

namespace tvp {

// Bulk bibs: consecutive free bibs from firstBib for the athletes, in order.
class IAssignBibs {
public:
    virtual ~IAssignBibs() = default;
    virtual void ShowBibAssignDialog(int firstBib, const std::vector<int>& athleteIds) = 0;
};

enum class TAgeMismatchResolution { amr_Skip = 0, amr_ignore = 1, amr_ignoreAll = 2, amr_cancel = 3 };

class IAgeMismatchPrompt {
public:
    virtual ~IAgeMismatchPrompt() = default;
    // several: more than one team is being moved.
    virtual TAgeMismatchResolution ShowAgeMismatchDialog(bool several) = 0;
};

class IClubForm {
public:
    virtual ~IClubForm() = default;
    virtual int getSelected() const = 0;
    // ClubIds of the selected rows in list order (drag input of other windows).
    virtual std::vector<int> getSelectedIds() const = 0;
    virtual void updateBillingMenus(int competitionId, const QString& path) = 0;
    virtual QString getCurrentDatafile() const = 0;
};

// The LADV window's second runner: carries out the generic import in one read-write transaction.
class IParticipantImport {
public:
    virtual ~IParticipantImport() = default;
    virtual void executeImport(TImportRequest request) = 0;
};

} // namespace tvp
