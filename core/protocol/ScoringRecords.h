#pragma once
// Records of scoring nodes, cups, parameters, UI infos, collections, sessions, server texts,
// facilities, the schedule, the PDF merge and the LADV exchange.

#include "ParticipantRecords.h"

namespace tvp::proto {

// ---- UI infos, aggregator collections, web-client sessions and server texts ----

struct setUiInfo {
    QString Key;
    QString Value;
    int AssotiatedId = 0;
    TVP_FIELDS(setUiInfo, TVP_F(Key), TVP_F(Value), TVP_F(AssotiatedId))
};

struct UiInfoKey {
    QString Key;
    int AssotiatedId = 0;
    TVP_FIELDS(UiInfoKey, TVP_F(Key), TVP_F(AssotiatedId))
};

struct UiInfoKeyValuePair {
    Owned<UiInfoKey> Key;
    QString Value;
    TVP_FIELDS(UiInfoKeyValuePair, TVP_F(Key), TVP_F(Value))
};

struct getUiInfoResponse1 {
    QString Value;
    TVP_FIELDS(getUiInfoResponse1, TVP_F(Value))
};

struct ExceptionMessageType {
    int ExceptionID = 0;
    QString ExceptionMessage;
    TVP_FIELDS(ExceptionMessageType, TVP_F(ExceptionID), TVP_F(ExceptionMessage))
};

using getExceptionMessagesResponse1 = std::vector<ExceptionMessageType>;
using getUiInfosResponse1 = std::vector<UiInfoKeyValuePair>;

} // namespace tvp::proto
