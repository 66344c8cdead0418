#pragma once
// What the core uses of the competition organisation windows. Those windows implement these
// interfaces; the core finds them through the window registry and skips the call while none is there.

namespace tvp {

// The two discipline windows, as other windows use them (registered by the organisation area).
class IDisciplineWindows {
public:
    virtual ~IDisciplineWindows() = default;
    // Reloads the windows (asking about unsaved changes), only the visible ones when asked.
    virtual void reloadDisciplinForms(bool onlyVisible) = 0;
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

} // namespace tvp
