#pragma once
// What the core, participant and organisation windows use of result capture and timing. The result
// capture windows implement these interfaces; callers find them through the window registry
// (find<IResultDialog>()) and skip the call while none is there.

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

class IResultDialog {
public:
    static constexpr int kNoVersion = 2147483647;
    virtual ~IResultDialog() = default;
    virtual void showAndLoadDisciplin(int discId, int heatNo, int version, int position) = 0;
    virtual void goToAthlete(int discId, int athleteId, int position, bool show, int heatNo, bool byAthlete,
                             bool flag) = 0;
    virtual void Zonenstrichliste1Click() = 0;
};

class ITimingImportForm {
public:
    virtual ~ITimingImportForm() = default;
    virtual void UpdateItems() = 0;
};

class ITimingExport {
public:
    virtual ~ITimingExport() = default;
    // Appends one heat's start list to the timing program's start-list file; throws on failure.
    virtual void exportTimingList(int timingNumber, int heatCount, const TTimingExportHeat& heat) = 0;
};

} // namespace tvp
