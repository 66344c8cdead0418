#pragma once
// The competition details window's requests: the current competition's name, date, entry fee per
// athlete and UI infos, and their change; and reading the fee as typed.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"

#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TCompetitionRequestType { rt_get = 0, rt_modify = 1 };

struct setUiInfo {
    QString key;
    QString value;
};

struct TCompetitionRequest : TRequest {
    TCompetitionRequestType reqType = TCompetitionRequestType::rt_get;
    int id = 0;
    QString name;
    proto::XsDate date;
    std::vector<setUiInfo> uiInfos;
    double pricePerAthlete = 0;
};

struct TCompetitionResponse : TResponse {
    TCompetitionRequestType reqType = TCompetitionRequestType::rt_get;
    int id = 0; // 0 when the server no longer lists the competition
    proto::CompetitionType competition;
    proto::getUiInfosResponse1 uiInfos;
    float pricePerAthlete = 0;
    int requestedId = 0; // the competition asked for, also when the server no longer has it
};

const TRequestTable<TCompetitionRequest, TCompetitionResponse>& competitionRequests();

std::unique_ptr<TCompetitionRequest> makeCompetitionLoad(int competitionId);

// The fee field: empty is 0; otherwise a decimal number with "," or ".", rounded to cents. Nothing
// for a text that is no number.
std::optional<double> parseFee(const QString& text);
// Fees compare in whole cents: the server keeps single precision, the field shows two decimals.
qint64 feeCents(double fee);
// The fee as the field shows it ("12,50").
QString formatFee(double fee);

} // namespace tvp
