#pragma once
// What the core and the other areas use of the competition organisation windows. Those windows
// implement these interfaces; callers find them through the window registry and skip the call while
// none is there.

#include <vector>

class QObject;

namespace tvp {

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

// The discipline windows: shows a discipline, and optionally one of its scoring nodes (0: none).
class IDisciplineForms {
public:
    virtual ~IDisciplineForms() = default;
    virtual void ShowDisciplinForm(QObject* sender, int discId, int aggId) = 0;
};

} // namespace tvp
