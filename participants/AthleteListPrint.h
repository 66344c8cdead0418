#pragma once
// The athlete window's two printouts: "Athletenübersicht", the listed athletes under a header that
// names the active filters, and "Ein Team pro Seite", the same table with each team on pages of
// its own, sorted by club, age class and team.

#include "core/print/PrintUtils.h"
#include "core/protocol/ParticipantRecords.h"
#include "participants/OverviewPrint.h"

#include <memory>
#include <vector>

namespace tvp {

// "Vorname", "Name", "Team", "Startnr.", "Jahrgang", "Geschlecht", "Verein".
class TAthleteColMapper : public TObjectColMapper<proto::AthleteType> {
public:
    TAthleteColMapper();
    QString getCellText(int col, const proto::AthleteType& athlete) const override;
};

// What the header of a team page names: the page's age class, club and team (pointers into the
// table's rows, or null).
class TAthleteOverviewPrintContext : public TPrintContextDataObject {
public:
    const proto::AgeClassType* FAgeClass = nullptr;
    const proto::ClubShortType* FClub = nullptr;
    const proto::TeamType* FTeam = nullptr;
};

// The athletes in the order added; the table keeps its own copies. Like the club and team
// overviews it prints its head on one page without rows, so an empty filtered list still says
// what was filtered.
class TAthletePrintTable : public TOverviewPrintTable<proto::AthleteType> {
public:
    TAthletePrintTable(int rowHeight, TAthleteOverviewPrintContext* printContext);
    TAthleteOverviewPrintContext* getAthletePrintContext() const { return context_; }

private:
    TAthleteOverviewPrintContext* context_;
};

// Each team, and each club's athletes without team, on pages of their own; a long team is spread
// evenly over its pages.
class TAthleteTeamPrintTable : public TAthletePrintTable {
public:
    using TAthletePrintTable::TAthletePrintTable;
    void sortByTeams();
    std::shared_ptr<ITVChunk> getChunk(int availableHeight) override;
};

// The club an athlete is listed under: the billing club of the athlete's team (null when the team
// has none), else the athlete's own.
const proto::ClubShortType* athleteClub(const proto::AthleteType& athlete);
// The team printout's order: club, age class, team, surname, given name; texts case-insensitive.
// Negative when a comes first.
int sortAthleteByClubAgeTeam(const proto::AthleteType& a, const proto::AthleteType& b);
// Whether two rows share a page group: the same team, or without team the same own club.
bool sameTeamGroup(const proto::AthleteType& a, const proto::AthleteType& b);

// "Athletenübersicht - U10 - Verein - Team (Druck: hh:mm, Seite n/m)" from the page's context.
class TAthleteListHeader : public TGenericTextHeader {
public:
    int getHeight() override { return 70; }
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override;
};

inline const QString kAthleteOverviewTitle = QStringLiteral("Athletenübersicht");
inline const QString kAthleteTeamOverviewJob = QStringLiteral("Athleten-Teamübersicht");

// Composes and renders the overview of the athletes in their order, under the filter caption.
void printAthleteOverview(TPrintManager& manager, const std::vector<proto::AthleteType>& athletes,
                          const QString& filterCaption);
// Composes and renders "Ein Team pro Seite".
void printAthleteTeamOverview(TPrintManager& manager, const std::vector<proto::AthleteType>& athletes);

} // namespace tvp
