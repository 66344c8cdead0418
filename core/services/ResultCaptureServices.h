#pragma once
// What the core, participant and organisation windows use of result capture and timing. The result
// capture windows implement these interfaces and register themselves at start-up; until then the
// registry holds nothing and callers skip the call.

#include "core/protocol/ParticipantRecords.h"
#include "core/results/ResultUnitPatterns.h"

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

// A window that other windows reload or unload after their own changes.
class IReloadableWindow {
public:
    virtual ~IReloadableWindow() = default;
    virtual bool isWindowVisible() const = 0;
    // Asks the window's unsaved-changes question first when ask is set.
    virtual void reloadFormData(bool ask) = 0;
    virtual void unload() = 0;
};

class IResultDialog : public IReloadableWindow {
public:
    static constexpr int kNoVersion = 2147483647;
    virtual void showAndLoadDisciplin(int discId, int heatNo, int version, int position) = 0;
    virtual void goToAthlete(int discId, int athleteId, int position, bool show, int heatNo, bool byAthlete,
                             bool flag) = 0;
    virtual void Zonenstrichliste1Click() = 0;
};

class ITimingImportForm : public IReloadableWindow {
public:
    virtual void UpdateItems() = 0;
};

class ITimingExport {
public:
    virtual ~ITimingExport() = default;
    // Appends one heat's start list to the timing program's start-list file; throws on failure.
    virtual void exportTimingList(int timingNumber, int heatCount, const TTimingExportHeat& heat) = 0;
};

// The registered implementations; null until their windows exist.
struct ResultCaptureServices {
    IResultDialog* ResultDialog = nullptr;
    IReloadableWindow* TallySheetForm = nullptr;
    IReloadableWindow* AquireBibOrderForm = nullptr;
    IReloadableWindow* ResultCheckForm = nullptr;
    IReloadableWindow* TimingSettingsForm = nullptr;
    ITimingImportForm* TimingImportForm = nullptr;
    ITimingExport* timingExport = nullptr;
};

ResultCaptureServices& resultCapture();

} // namespace tvp
