#pragma once
// What the core and the other areas use of the competition organisation windows. Those windows
// implement these interfaces; callers find them through the window registry and skip the call while
// none is there.

#include <vector>

class QObject;

#include "core/results/tvpTypes.h"

#include <optional>

class QObject;

namespace tvp {

// The two discipline windows, as other windows use them (the first window answers for the pair).
class IDisciplineWindows {
public:
    virtual ~IDisciplineWindows() = default;
    // Shows a discipline, and optionally one of its scoring nodes, in a window other than sender;
    // ids 0 show a window without choosing.
    virtual void ShowDisciplinForm(QObject* sender, int discId, int aggId) = 0;
    // Reloads the windows (asking about unsaved changes), only the visible ones when asked.
    virtual void reloadDisciplinForms(bool onlyVisible) = 0;
    virtual bool isDiscVisible() const = 0;
    // The discipline as the window that loaded last knows it; nothing when it does not.
    virtual std::optional<TDisciplineInfo> getLatestDiscInfo(int discId) const = 0;
    // A scoring-node template the windows loaded, null when unknown; not to be kept.
    virtual const proto::ResultAggregatorTemplateType* getTemplateById(int id) const = 0;
    // A copy of the templates the window that loaded last knows, for work off the GUI thread.
    virtual std::vector<proto::ResultAggregatorTemplateType> getLatestTemplates() const { return {}; }
};

// The height-list window: heights or target distances of a discipline in the given format.
class IHeightListForm {
public:
    virtual ~IHeightListForm() = default;
    virtual void showHeightList(int discId, TResultformat format) = 0;
};

// The discipline windows' list of the scoring-node templates the server offers.
class IDisciplineTemplates {
public:
    virtual ~IDisciplineTemplates() = default;
    virtual void LoadDisciplineTemplates() = 0;
};

// The schedule window edits in a panel of its own; while that is open, Escape is the panel's.
class IScheduleEditing {
public:
    virtual ~IScheduleEditing() = default;
    virtual bool isEditing() const = 0;
};

// The competition-list window, as the result capture windows reach it.
class IDisciplinListForm {
public:
    virtual ~IDisciplinListForm() = default;
    // Shows the window on that discipline (0: on the one it shows) and reloads it.
    virtual void showAndLoadDisciplin(int discId) = 0;
    // Takes these athletes or teams out of the discipline; refusals over results are asked about.
    virtual void removeAbstractAthlete(const std::vector<int>& ids, int discId) = 0;
    // Assigns the squads of the discipline's age class that it does not have yet.
    virtual void assignFittingSquadsToDisc(int discId) = 0;
};

} // namespace tvp
