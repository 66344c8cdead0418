#pragma once
// Records of competitions, age classes, clubs, teams, athletes, squads, disciplines, heats, results,
// checks and billing.

#include "Record.h"

namespace tvp::proto {

// ---- Competitions ----

struct CompetitionInfoType {
    QString Name;
    XsDate Date;
    TVP_FIELDS(CompetitionInfoType, TVP_F(Name), TVP_F(Date))
};

struct CompetitionType : CompetitionInfoType {
    int ID = 0;
    TVP_FIELDS_DERIVED(CompetitionType, CompetitionInfoType, TVP_F(ID))
};

struct createCompetitionResponse1 {
    Owned<CompetitionType> Competition;
    TVP_FIELDS(createCompetitionResponse1, TVP_F(Competition))
};

struct exportCompetitionResponse1 {
    QString XmlStream;
    TVP_FIELDS(exportCompetitionResponse1, TVP_F(XmlStream))
};

struct importCompetitionResponse1 {
    int CompetitionID = 0;
    TVP_FIELDS(importCompetitionResponse1, TVP_F(CompetitionID))
};

using getCompetitionsResponse1 = std::vector<CompetitionType>;

} // namespace tvp::proto
