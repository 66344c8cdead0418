#include "scoring/ui/TeamScheduleDocSetupDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tvp {

namespace {

using rt = TTeamScheduleDocSetupRequestType;

TDocSetupTexts scheduleTexts()
{
    TDocSetupTexts t;
    t.groupTitle = QStringLiteral("Ablaufplan einrichten");
    t.standardNotes = {
        QStringLiteral("Ein Standardserienbrief mit Verknüpfung zu den Ablaufplandaten (Meldungen) wird  "
                       "erstellt und Sie "),
        QStringLiteral("können in Office das Layout des Ablaufplans an Ihre Wünsche anpassen.")};
    t.existingOption = QStringLiteral("bestehenden Ablaufplan als Vorlage verwenden");
    t.existingNotes = {QStringLiteral("Wählen Sie eine bereits vorhandene Ablaufplanvorlage beispielsweise aus einer "
                                      "Vorjahresveranstaltung "),
                       QStringLiteral("als Vorlage aus.")};
    t.manualNotes = {QStringLiteral("Sie erstellen selbst einen Serienbrief und verknüpfen ihn mit den exportierten "
                                    "Ablaufplandaten."),
                     QStringLiteral("Nach \"Ablaufplan einrichten\" wählen Sie das Dokument aus; es wird später über "
                                    "den Menüpunkt"),
                     QStringLiteral("\"Ablaufplan drucken/editieren\" des Zeitplans geöffnet."),
                     QStringLiteral("Die Ablaufplandaten (als csv) werden im Ordner des Dokuments abgelegt,"),
                     QStringLiteral("das Programm benötigt dort daher Schreibrechte.")};
    t.tipLines = {QStringLiteral("Wenn Sie Ablaufpläne von mehreren Computer aus einrichten/drucken möchten,"),
                  QStringLiteral("Legen Sie die Ablaufplanvorlage an einem Netzwerkort ab, der für alle Computer unter "
                                 "dem selben Pfad erreichbar ist "),
                  QStringLiteral("(z.B. Netzlaufwerk X:\\).")};
    t.attentionLines = {QStringLiteral("Die automatische Ablaufplanerstellung ist noch im Entwicklungsstadium."),
                        QStringLiteral("Prüfen Sie bitte vor dem Druck immer nochmals manuell, ob die aktuellen "),
                        QStringLiteral("Daten korrekt in den Serienbrief übernommen wurden. Ggf. muss die "),
                        QStringLiteral("Datenquelle in Office aktualisiert oder neu mit der exportierten csv-Datei "),
                        QStringLiteral("verknüpft werden. (Funktion mit Microsoft Word 2016 getestet)")};
    t.confirmButton = QStringLiteral("Ablaufplan einrichten");
    t.loadingText = QStringLiteral("Lade Ablaufpläne...");
    t.emptyText = QStringLiteral("Keine bestehenden Ablaufpläne gefunden");
    t.storeFailedText = QStringLiteral("Pfad zum Ablaufplan konnte nicht gespeichert werden. Verknüpfen Sie Datei "
                                       "manuell oder versuchen Sie es erneut.");
    return t;
}

} // namespace

TTeamScheduleDocSetupForm::TTeamScheduleDocSetupForm(TWindowContext& context)
    : TDocSetupForm(context, scheduleDocKind(), scheduleTexts(), QStringLiteral("TeamScheduleDocSetupForm.ListView1.")),
      road_(context, teamScheduleDocSetupRequests(), this,
            [this](std::unique_ptr<TTeamScheduleDocSetupResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(QStringLiteral("Ablaufplan einrichten"));
    RadioGroup1 = new QGroupBox(QStringLiteral("Typ des Ablaufplan"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* layout = new QVBoxLayout(RadioGroup1);
    kinds_ = new QButtonGroup(this);
    int index = 0;
    for (const QString& item :
         {QStringLiteral("pro Riege ein Blatt erstellen"), QStringLiteral("pro Team ein Blatt erstellen")}) {
        auto* button = new QRadioButton(item, RadioGroup1);
        button->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(index));
        kinds_->addButton(button, index++);
        layout->addWidget(button);
    }
    kinds_->button(0)->setChecked(true);
    topLayout_->insertWidget(0, RadioGroup1);
    resize(sizeHint().expandedTo(QSize(644, 647)));
}

void TTeamScheduleDocSetupForm::queue(TTeamScheduleDocSetupRequestType type, int competitionId, const QString& path,
                                      TScheduleDocType docType)
{
    auto request = std::make_unique<TTeamScheduleDocSetupRequest>();
    request->reqType = type;
    request->CompID = competitionId;
    request->path = path;
    request->docType = docType;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TTeamScheduleDocSetupForm::getPath(int competitionId)
{
    queue(rt::rt_getPath, competitionId, {}, TScheduleDocType::sd_NONE);
}

void TTeamScheduleDocSetupForm::showDialog(int competitionId)
{
    FContextID = competitionId;
    execDialog();
}

void TTeamScheduleDocSetupForm::removeTeamScheduleDocPath(int competitionId)
{
    notifyStatusChange(TDocPathStatus::dps_removing, {}, competitionId, int(TScheduleDocType::sd_NONE));
    queue(rt::rt_removePath, competitionId, {}, TScheduleDocType::sd_NONE);
}

void TTeamScheduleDocSetupForm::SetPath(int competitionId, const QString& path, TScheduleDocType docType)
{
    notifyStatusChange(TDocPathStatus::dps_setting, path, competitionId, int(docType));
    queue(rt::rt_setPath, competitionId, path, docType);
}

bool TTeamScheduleDocSetupForm::beforeLinking()
{
    switch (kinds_->checkedId()) {
    case 0: docType_ = TScheduleDocType::sd_SQUAD; return true;
    case 1: docType_ = TScheduleDocType::sd_TEAM; return true;
    default: break;
    }
    docType_ = TScheduleDocType::sd_NONE;
    message(QStringLiteral("Ablaufplan einrichten"),
            QStringLiteral("Kein Ablaufplantyp gewählt. Bitte oben auswählen."));
    return false;
}

void TTeamScheduleDocSetupForm::queuePathList()
{
    queue(rt::rt_getPathList, FContextID, {}, TScheduleDocType::sd_NONE);
}

void TTeamScheduleDocSetupForm::RequestFinished(std::unique_ptr<TTeamScheduleDocSetupResponse> response,
                                                const TRequestOutcome& outcome)
{
    const auto type = static_cast<rt>(outcome.command);
    if (!outcome.ok()) {
        requestFailed(type, outcome, bool(response), road_.requestName(outcome.command),
                      response ? response->path : QString(), response ? response->CompID : 0,
                      response ? int(response->docType) : 0);
        return;
    }
    if (type != rt::rt_getPathList) {
        pathAnswered(type, response->path, response->CompID, int(response->docType));
        return;
    }
    fillList(competitionDocRows(response->pathList, response->comps,
                                [](const QString& path) { return QFileInfo::exists(path); }));
}

} // namespace tvp
