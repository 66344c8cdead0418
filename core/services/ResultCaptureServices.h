#pragma once
// What the core, participant and organisation windows use of result capture and timing. The result
// capture windows implement these interfaces; callers find them through the window registry
// (find<IResultDialog>()) and skip the call while none is there.

#include "core/protocol/ParticipantRecords.h"
#include "core/results/ResultUnitPatterns.h"
#include "core/util/CodePages.h"

#include <QString>

#include <vector>

namespace tvp {

struct TTimingExportParticipant {
    int lane = 0;
    int Bib = 0;
    QString GivenName;
    QString SurName;
    QString Team;
    proto::ResultType Result; // only used on import
};

struct TTimingExportHeat {
    int heatNo = 0;
    QString description;
    std::vector<TTimingExportParticipant> participants;
};

// The result entry window's entry points. A discipline id of 0 only shows the window; each first
// asks the window's own unsaved-changes question when it is visible and stops if the user declines.
class IResultDialog {
public:
    static constexpr int kNoVersion = 2147483647; // version marking left off (or unchanged)
    virtual ~IResultDialog() = default;
    virtual void showAndLoadDisciplin(int discId, int heatNo, int version, int position) = 0;
    // The same for a discipline named by its barcode number (list barcodes).
    virtual void showAndLoadBarcodeDisciplin(int discBarcode, int heatNo, int version, int position) = 0;
    virtual void goToAthlete(int discId, int athleteId, int attempt, bool withPrompt, int version, bool show,
                             bool showAquireBibForm) = 0;
    virtual void goToTeam(int discId, int teamId, int attempt, int version, bool show, bool showAquireBibForm) = 0;
    // Discipline and athlete by their barcode numbers (tally sheets).
    virtual void goToBarcodeAthlete(int discBarcode, int athleteBarcode, int attempt, int version, bool show) = 0;
    // After the finishing-order window stored a ranking.
    virtual void reloadFromBibRanking() = 0;
    // Leaves the grid's cell editor without storing.
    virtual void cancelEdit() = 0;
    // The tally sheet of the grid's current cell, as the menu's "Zonenstrichliste" shows it.
    virtual void showTallySheet() = 0;
};

// The plausibility check of the results that feed some result providers.
class IResultCheckForm {
public:
    virtual ~IResultCheckForm() = default;
    virtual void checkWarnings(const std::vector<int>& resProvIds, bool showOkMessage) = 0;
};

// The list of participants with differing results under several bibs; nothing happens for none.
class IBibAmbiguousWarningForm {
public:
    virtual ~IBibAmbiguousWarningForm() = default;
    virtual void showWarning(const std::vector<proto::AmbiguousResultType>& conflicts) = 0;
};

// Capture of one attempt's finishing order by bibs.
class IAquireBibOrderForm {
public:
    virtual ~IAquireBibOrderForm() = default;
    virtual void showDialog(int discId, int attempt) = 0;
};

// Capture of one participant's attempt by tally sheet.
class ITallySheetForm {
public:
    virtual ~ITallySheetForm() = default;
    virtual void ShowTallyDialog(int discId, int athleteOrTeamId, int attempt) = 0;
};

class ITimingImportForm {
public:
    virtual ~ITimingImportForm() = default;
    virtual void UpdateItems() = 0;
};

// The timing settings: the exchange folder every part of the exchange works in.
class ITimingSettingsForm {
public:
    virtual ~ITimingSettingsForm() = default;
    virtual QString getTimingExchangeDir() const = 0;
};

class ITimingExport {
public:
    virtual ~ITimingExport() = default;
    // Appends one heat's start list to the timing program's start-list file; throws on failure.
    // Returns the names its code page made the file hold otherwise than stored.
    virtual TRespelledNames exportTimingList(int timingNumber, int heatCount, const TTimingExportHeat& heat) = 0;
    // The start-list file as shown to the user.
    virtual QString startListFile() const = 0;
};

} // namespace tvp
