#include "scoring/ui/BillingDocSetupDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"

#include <QFileInfo>

namespace tvp {

namespace {

using rt = TBillingDocSetupRequestType;

TDocSetupTexts billingTexts()
{
    TDocSetupTexts t;
    t.groupTitle = QStringLiteral("Quittungen einrichten");
    t.standardNotes = {QStringLiteral("Ein Standardserienbrief mit Verknüpfung zu den Quittungsdaten (Meldungen) wird  "
                                      "erstellt und Sie "),
                       QStringLiteral("können in Office das Layout der Quittungen an Ihre Wünsche anpassen.")};
    t.existingOption = QStringLiteral("bestehende Quittung als Vorlage verwenden");
    t.existingNotes = {QStringLiteral("Wählen Sie eine bereits vorhandene Quittungsvorlage beispielsweise aus einer "
                                      "Vorjahresveranstaltung "),
                       QStringLiteral("als Vorlage aus.")};
    t.manualNotes = {QStringLiteral("Sie erstellen selbst einen Serienbrief und verknüpfen ihn mit den exportierten "
                                    "Quittungsdaten."),
                     QStringLiteral("Nach \"Quittungen einrichten\" wählen Sie das Dokument aus; es wird später über "
                                    "den Menüpunkt"),
                     QStringLiteral("\"Quittungen drucken/editieren\" der Vereinsverwaltung geöffnet."),
                     QStringLiteral("Die Quittungsdaten (als csv) werden im Ordner des Dokuments abgelegt,"),
                     QStringLiteral("das Programm benötigt dort daher Schreibrechte.")};
    t.tipLines = {QStringLiteral("Wenn Sie Quittungen von mehreren Computer aus einrichten/drucken möchten,"),
                  QStringLiteral("Legen Sie die Quittungsvorlage an einem Netzwerkort ab, der für alle Computer unter "
                                 "dem selben Pfad erreichbar ist "),
                  QStringLiteral("(z.B. Netzlaufwerk X:\\).")};
    t.attentionLines = {QStringLiteral("Die automatische Quittungserstellung ist noch im Entwicklungsstadium."),
                        QStringLiteral("Prüfen Sie bitte vor dem Druck immer nochmals manuell, ob die aktuellen "),
                        QStringLiteral("Daten korrekt in den Serienbrief übernommen wurden. Ggf. muss die "),
                        QStringLiteral("Datenquelle in Office aktualisiert oder neu mit der exportierten csv-Datei "),
                        QStringLiteral("verknüpft werden. (Funktion mit Microsoft Word 2016 getestet)")};
    t.confirmButton = QStringLiteral("Quittungen einrichten");
    t.loadingText = QStringLiteral("Lade Quittungen...");
    t.emptyText = QStringLiteral("Keine bestehenden Quittungen gefunden");
    t.storeFailedText = QStringLiteral("Pfad zur Quittung konnte nicht gespeichert werden. Verknüpfen Sie Datei "
                                       "manuell oder versuchen Sie es erneut.");
    return t;
}

} // namespace

TBillingDocSetupForm::TBillingDocSetupForm(TWindowContext& context)
    : TDocSetupForm(context, billingDocKind(), billingTexts(), QStringLiteral("BillingDocSetupForm.ListView1.")),
      road_(context, billingDocSetupRequests(), this,
            [this](std::unique_ptr<TBillingDocSetupResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(QStringLiteral("Quittungen einrichten"));
    resize(sizeHint().expandedTo(QSize(642, 563)));
}

void TBillingDocSetupForm::queue(TBillingDocSetupRequestType type, int competitionId, const QString& path)
{
    auto request = std::make_unique<TBillingDocSetupRequest>();
    request->reqType = type;
    request->CompID = competitionId;
    request->path = path;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TBillingDocSetupForm::getPath(int competitionId)
{
    queue(rt::rt_getPath, competitionId);
}

void TBillingDocSetupForm::showDialog(int competitionId)
{
    FContextID = competitionId;
    execDialog();
}

void TBillingDocSetupForm::removeBillingDocPath(int competitionId)
{
    notifyStatusChange(TDocPathStatus::dps_removing, {}, competitionId, 0);
    queue(rt::rt_removePath, competitionId);
}

void TBillingDocSetupForm::SetPath(int competitionId, const QString& path)
{
    notifyStatusChange(TDocPathStatus::dps_setting, path, competitionId, 0);
    queue(rt::rt_setPath, competitionId, path);
}

void TBillingDocSetupForm::queuePathList()
{
    queue(rt::rt_getPathList, FContextID);
}

void TBillingDocSetupForm::RequestFinished(std::unique_ptr<TBillingDocSetupResponse> response,
                                           const TRequestOutcome& outcome)
{
    const auto type = static_cast<rt>(outcome.command);
    if (!outcome.ok()) {
        requestFailed(type, outcome, bool(response), road_.requestName(outcome.command),
                      response ? response->path : QString(), response ? response->CompID : 0, 0);
        return;
    }
    if (type != rt::rt_getPathList) {
        pathAnswered(type, response->path, response->CompID, 0);
        return;
    }
    fillList(competitionDocRows(response->pathList, response->comps,
                                [](const QString& path) { return QFileInfo::exists(path); }));
}

} // namespace tvp
