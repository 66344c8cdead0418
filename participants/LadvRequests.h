#pragma once
// The LADV window's requests: importing a participant file, downloading one from LADV, loading the
// user's LADV competitions, and carrying out the generic import request that the registration CSV
// import builds. LADV requests run without transaction, the generic import in one read-write one.

#include "core/connection/RequestRoad.h"
#include "participants/ImportRequest.h"
#include "participants/LadvClient.h"

#include <QString>

#include <vector>

namespace tvp {

enum class TLADVRequestType { lr_import = 0, lr_download = 1, lr_getCompList = 2 };

struct TLADVRequest : TRequest {
    TLADVRequestType reqType = TLADVRequestType::lr_import;
    QString importStream;
    proto::ParticipantsImportStreamFormatType streamType = proto::ParticipantsImportStreamFormatType::LADV;
    QString competitionLADVID;
    QString userName;
    QString password;     // held only for the request
    QString makerBaseUrl; // where the LADV locators are; read on the GUI thread
};

struct TLADVResponse : TResponse {
    TLADVRequestType reqType = TLADVRequestType::lr_import;
    QString importStream;
    std::vector<proto::CompetitionListItemType> competitionList;
};

const TRequestTable<TLADVRequest, TLADVResponse>& ladvRequests();

// The generic import on the second runner.
struct TGenericImportRequest : TRequest {
    TImportRequest import;
};
struct TGenericImportResponse : TResponse {};

const TRequestTable<TGenericImportRequest, TGenericImportResponse>& genericImportRequests();
// The generic import's worker: the competition's age classes, teams and clubs, then the calls.
void executeImportOnServer(TServicePorts& ports, const TImportRequest& request);

inline const QString kImportWait = QStringLiteral("Importiere Teilnehmer");
inline const QString kDownloadWait = QStringLiteral("Teilnehmerdaten werden heruntergeladen...");
inline const QString kCompListWait = QStringLiteral("Lade Veranstaltungsübersicht...");
inline const QString kSaveWait = QStringLiteral("Speichern in Datenbank");
inline const QString kGenericImportCaption = QStringLiteral("LADV-Import in Datenbank");

} // namespace tvp
