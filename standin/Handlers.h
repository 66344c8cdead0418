#pragma once
// The operation handlers; Operations.cpp lists them with their service and database access.

#include "standin/Operations.h"

namespace tvp::standin::ops {

// ProgrammInfoWebService
void getBackendVersion(Call& c);
void getCompatibilityInformation(Call& c);

// CompetitionManagementService
void beginTransaction(Call& c);
void commitTransaction(Call& c);
void rollbackTransaction(Call& c);
void createCompetition(Call& c);
void modifyCompetition(Call& c);
void removeCompetition(Call& c);
void setUiInfo(Call& c);

// DataRetrievalService
void getCompetitions(Call& c);
void getUiInfo(Call& c);
void getUiInfos(Call& c);
void getExceptionMessages(Call& c);

} // namespace tvp::standin::ops
