#include "scoring/ui/CertDocSetupDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"

#include <QFileInfo>
#include <QGroupBox>

namespace tvp {

namespace {

using rt = TCertDocSetupRequestType;

TDocSetupTexts certTexts()
{
    TDocSetupTexts t;
    t.groupTitle = QStringLiteral("Neue Urkunde für Wertung einrichten");
    t.standardNotes = {QStringLiteral("Ein Standardserienbrief mit Verknüpfung zu den Ergebnissen wird erstellt und "
                                      "Sie können in Office "),
                       QStringLiteral("das Layout der Urkunde an Ihre Wünsche anpassen.")};
    t.existingOption = QStringLiteral("bestehende Urkunde als Vorlage verwenden");
    t.existingNotes = {QStringLiteral("Wählen Sie eine bereits vorhandene Urkunde beispielsweise aus einer anderen "
                                      "Altersklasse oder "),
                       QStringLiteral("Vorjahresveranstaltung als Vorlage aus.")};
    t.manualNotes = {QStringLiteral("Sie erstellen selbst einen Serienbrief und verknüpfen ihn mit den exportierten "
                                    "Ergebnissen."),
                     QStringLiteral("Nach \"Urkunde einrichten\" wählen Sie das Dokument aus; es wird später über den "
                                    "Menüpunkt"),
                     QStringLiteral("\"Urkunde drucken/editieren\" der Datenansicht geöffnet."),
                     QStringLiteral("Die Urkundendaten (als csv) werden im Ordner des Dokuments abgelegt,"),
                     QStringLiteral("das Programm benötigt dort daher Schreibrechte.")};
    t.tipLines = {QStringLiteral("Wenn Sie Urkunden von mehreren Computer aus einrichten/drucken möchten,"),
                  QStringLiteral("Legen Sie die Urkundenvorlage an einem Netzwerkort ab, der für alle Computer unter "
                                 "dem selben Pfad erreichbar ist "),
                  QStringLiteral("(z.B. Netzlaufwerk X:\\).")};
    t.attentionLines = {QStringLiteral("Die automatische Urkundenerstellung ist noch im Entwicklungsstadium."),
                        QStringLiteral("Prüfen Sie bitte vor dem Druck immer nochmals manuell, ob die aktuellen "),
                        QStringLiteral("Daten korrekt aus der Ergebnisliste in den Urkundenserienbrief "),
                        QStringLiteral("übernommen wurden. Ggf. muss die Datenquelle in Office aktualisiert "),
                        QStringLiteral("oder neu mit der exportierten csv-Datei verknüpft werden. (Funktion mit "),
                        QStringLiteral("Microsoft Word 2016 getestet)")};
    t.confirmButton = QStringLiteral("Urkunde einrichten");
    t.loadingText = QStringLiteral("Lade Urkunden...");
    t.emptyText = QStringLiteral("Keine bestehenden Urkunden gefunden");
    t.storeFailedText = QStringLiteral("Pfad zur Urkunde konnte nicht gespeichert werden. Verknüpfen Sie Datei "
                                       "manuell oder versuchen Sie es erneut.");
    t.certificateColumns = true;
    return t;
}

} // namespace

TCertDocSetupForm::TCertDocSetupForm(TWindowContext& context)
    : TDocSetupForm(context, certDocKind(), certTexts(), QStringLiteral("CertDocSetupForm.ListView1.")),
      road_(context, certDocSetupRequests(), this,
            [this](std::unique_ptr<TCertDocSetupResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(QStringLiteral("Urkunde für Wertung einrichten"));
    setMinimumSize(650, 590);
    resize(sizeHint().expandedTo(QSize(642, 563))); // the note lines are longer in this font
    fitToTexts(*this);
}

void TCertDocSetupForm::queue(TCertDocSetupRequestType type, int collectionId, const QString& path)
{
    auto request = std::make_unique<TCertDocSetupRequest>();
    request->reqType = type;
    request->AggCollId = collectionId;
    request->path = path;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCertDocSetupForm::getPath(int collectionId)
{
    queue(rt::rt_getPath, collectionId);
}

void TCertDocSetupForm::showDialog(const QString& name, int collectionId, bool cupMode)
{
    FAggCollName = name;
    FContextID = collectionId;
    FCupMode = cupMode;
    const QString caption = QStringLiteral("Urkunde für Wertung \"") + name + QStringLiteral("\" einrichten");
    setWindowTitle(caption);
    GroupBox1->setTitle(QStringLiteral("Neue ") + caption);
    if (cupMode)
        context().hints().ShowHintDelayed(QStringLiteral("NO_CUP_CERT_TEMPLATE"), 700);
    execDialog();
}

void TCertDocSetupForm::removeCertDocPath(int collectionId)
{
    notifyStatusChange(TDocPathStatus::dps_removing, {}, collectionId, 0);
    queue(rt::rt_removePath, collectionId);
}

void TCertDocSetupForm::SetPath(int collectionId, const QString& path)
{
    notifyStatusChange(TDocPathStatus::dps_setting, path, collectionId, 0);
    queue(rt::rt_setPath, collectionId, path);
}

QString TCertDocSetupForm::suggestedTargetName() const
{
    return certDocSuggestedName(FAggCollName);
}

QString TCertDocSetupForm::dataFileName() const
{
    return certDataFileName(FAggCollName);
}

void TCertDocSetupForm::queuePathList()
{
    queue(rt::rt_getPathList, FContextID);
}

void TCertDocSetupForm::storePath(const QString& path)
{
    SetPath(FContextID, path);
}

void TCertDocSetupForm::RequestFinished(std::unique_ptr<TCertDocSetupResponse> response, const TRequestOutcome& outcome)
{
    const auto type = static_cast<rt>(outcome.command);
    if (!outcome.ok()) {
        requestFailed(type, outcome, bool(response), road_.requestName(outcome.command),
                      response ? response->path : QString(), response ? response->AggCollId : 0, 0);
        return;
    }
    if (type != rt::rt_getPathList) {
        pathAnswered(type, response->path, response->AggCollId, 0);
        return;
    }
    fillList(certDocRows(response->pathList, context().competition().getCompetitionId(false),
                         [](const QString& path) { return QFileInfo::exists(path); }));
}

} // namespace tvp
