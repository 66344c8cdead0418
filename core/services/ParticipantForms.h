#pragma once
// What the participant windows offer the windows of other areas. Each window implements its
// interface; callers find it through the window registry:
//   if (auto* athletes = context().windows().get<IAthleteForm>(TWindowId::AthleteForm)) ...

#include "core/protocol/ParticipantRecords.h"
#include "core/results/tvpTypes.h"
#include "core/services/ListSearchServices.h"
#include "core/services/ParticipantServices.h" // ITeamMemberWarningForm, which other areas reach too

#include <QString>

#include <optional>
#include <vector>

namespace tvp {

class IAthleteForm {
public:
    virtual ~IAthleteForm() = default;
    virtual void showAthlete(int athleteId, int teamId) = 0;
    virtual void showTeamMembers(int teamId) = 0;
    virtual void showDisc(int disciplineId, int ageClassId) = 0;
    virtual void discParticipantsUpdated(int disciplineId) = 0;
    // AthleteIDs of the selected rows in list order (drag input of other windows).
    virtual std::vector<int> getSelectedIds() const = 0;
    virtual std::optional<proto::AthleteType> getCachedAthleteByID(int athleteId) const = 0;
    virtual std::optional<proto::AthleteType> getCachedAthlete(int barcode) const = 0;
    virtual void selectAthlete(int athleteId) = 0;
    virtual void createNewAthleteWithBarcode(int barcodeId) = 0;
    virtual void checkParticipantContraints(bool showMessageIfNoWarning) = 0;
    // Shows the window and its list search.
    virtual void openSearch() = 0;
};

// The athlete barcode finder: shows an athlete and the disciplines that take its results.
class IAthleteResultFinderForm {
public:
    virtual ~IAthleteResultFinderForm() = default;
    virtual void LoadAthlete(const proto::AthleteType& athlete, int ageClassId) = 0;
    // Shows the current athlete again from the athlete window's list, when visible.
    virtual void reload() = 0;
    // Hides the window when it shows that athlete.
    virtual void AthleteRemoved(int athleteId) = 0;
    // Fed by the discipline and age-class windows after each load, so the finder's lists follow them.
    virtual void setDisciplines(const std::vector<TDisciplineInfo>& disciplines) = 0;
    virtual void setAgeClasses(const std::vector<proto::AgeClassType>& ageClasses) = 0;
};

class IAgeClassForm {
public:
    virtual ~IAgeClassForm() = default;
    // The age class chosen in the window, 0 for none.
    virtual int getSelected() const = 0;
    // A copy of the listed age class: the list's own object would dangle after the next reload.
    virtual std::optional<proto::AgeClassType> getAgeClass(int ageClassId) const = 0;
};

class ITeamForm {
public:
    virtual ~ITeamForm() = default;
    virtual int getSelected() const = 0;
    virtual std::vector<int> getSelectedIds() const = 0;
    virtual std::vector<proto::TeamType> getSelectedTeams() const = 0;
    virtual void showDisc(int disciplineId, int ageClassId) = 0;
    virtual void discParticipantsUpdated(int disciplineId) = 0;
};

class ISquadForm {
public:
    virtual ~ISquadForm() = default;
    virtual std::vector<int> getSelectedIds() const = 0;
    virtual std::vector<proto::TeamType> getSelectedTeams() const = 0;
    virtual void showSquad(int squadId) = 0;
    virtual void showDisc(int disciplineId, int ageClassId) = 0;
    virtual void discSquadsUpdated(int disciplineId) = 0;
};

} // namespace tvp
