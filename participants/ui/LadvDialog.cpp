#include "participants/ui/LadvDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"
#include "core/util/Features.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TLADVRequestType;

const QString kOnlineCaption = QStringLiteral("LADV-Online-Import");

QString waitTextOf(TLADVRequestType type)
{
    switch (type) {
    case lr_import: return kImportWait;
    case lr_download: return kDownloadWait;
    case lr_getCompList: return kCompListWait;
    }
    return {};
}

} // namespace

TLadvForm::TLadvForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, ladvRequests(), this,
            [this](std::unique_ptr<TLADVResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      importRoad_(context, genericImportRequests(), this,
                  [this](std::unique_ptr<TGenericImportResponse>, const TRequestOutcome& o) {
                      guarded([&] { ImportFinished(o); });
                  }),
      shown_({{QStringLiteral("Status"),
               [](const proto::CompetitionListItemType& c) { return competitionStatusText(c.competitionStatus); }},
              {QStringLiteral("Veranstaltung"),
               [](const proto::CompetitionListItemType& c) { return c.competition ? c.competition->Name : QString(); }},
              {QStringLiteral("ID"), [](const proto::CompetitionListItemType& c) {
                   return c.competition ? c.competition->LADVID : QString();
               }}})
{
    setWindowTitle(QStringLiteral("LADV-Datenaustausch"));
    checkDirtyDataOnClose = false;
    auto* layout = new QVBoxLayout(this);

    RadioButton1 = new QRadioButton(QStringLiteral("Teilnehmer aus lokaler Datei importieren"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    layout->addWidget(RadioButton1);
    GroupBox1 = new QGroupBox(QStringLiteral("Lokale Datei"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* local = new QHBoxLayout(GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    local->addWidget(Edit1, 1);
    Button1 = new QPushButton(QStringLiteral("Datei wählen..."), GroupBox1);
    Button1->setObjectName(QStringLiteral("Button1"));
    local->addWidget(Button1);
    layout->addWidget(GroupBox1);

    RadioButton2 = new QRadioButton(QStringLiteral("Teilnehmer online importieren"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    layout->addWidget(RadioButton2);
    GroupBox2 = new QGroupBox(QStringLiteral("Online Import"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* online = new QVBoxLayout(GroupBox2);
    auto* choose = new QLabel(
        QStringLiteral("Wählen Sie eine Veranstaltung aus, die sich im Status \"Meldeschluss\" befindet."), GroupBox2);
    choose->setObjectName(QStringLiteral("Label1"));
    online->addWidget(choose);
    auto* login = new QGroupBox(QStringLiteral("LADV-Anmeldung"), GroupBox2);
    login->setObjectName(QStringLiteral("GroupBox3"));
    auto* loginRows = new QHBoxLayout(login);
    auto* userLabel = new QLabel(QStringLiteral("Benutzername:"), login);
    userLabel->setObjectName(QStringLiteral("Label2"));
    loginRows->addWidget(userLabel);
    Edit2 = new QLineEdit(login);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    loginRows->addWidget(Edit2, 1);
    auto* passwordLabel = new QLabel(QStringLiteral("Passwort:"), login);
    passwordLabel->setObjectName(QStringLiteral("Label3"));
    loginRows->addWidget(passwordLabel);
    Edit3 = new QLineEdit(login);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setEchoMode(QLineEdit::Password);
    loginRows->addWidget(Edit3, 1);
    online->addWidget(login);
    Button2 = new QPushButton(QStringLiteral("Meine Veranstaltungen aus LADV laden"), GroupBox2);
    Button2->setObjectName(QStringLiteral("Button2"));
    online->addWidget(Button2);
    ListView1 = new QTreeView(GroupBox2);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setModel(&shown_);
    ListView1->setColumnWidth(0, 90);
    ListView1->setColumnWidth(2, 80);
    online->addWidget(ListView1, 1);
    layout->addWidget(GroupBox2, 1);

    Button3 = new QPushButton(QStringLiteral("Datenaustausch starten"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    layout->addWidget(Button3);
    Label4 = new QLabel(QStringLiteral("Info: Ausgegraute Funktionen sind derzeit noch nicht verfügbar"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    layout->addWidget(Label4);

    connect(RadioButton1, &QRadioButton::toggled, this, [this] { guarded([this] { updateGroups(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { Button3Click(); }); });
    connect(ListView1, &QTreeView::doubleClicked, this, [this] { guarded([this] { Button3Click(); }); });
    updateGroups();
}

TLadvForm::~TLadvForm() = default;

void TLadvForm::FormShow()
{
    const bool online = isFeatureActive(QStringLiteral("ladv.online"));
    RadioButton2->setEnabled(online);
    Label4->setVisible(!online);
    if (!online)
        RadioButton1->setChecked(true);
    updateGroups();
}

void TLadvForm::updateGroups()
{
    GroupBox1->setEnabled(RadioButton1->isChecked());
    GroupBox2->setEnabled(RadioButton2->isChecked());
}

void TLadvForm::report(const QString& caption, const QString& text)
{
    context().messages().AddException(-1, {}, text, caption, this);
}

void TLadvForm::Button1Click()
{
    const QString path = context().dialogs().getOpenFileName(this, QStringLiteral("Meldedaten öffnen"), Edit1->text(),
                                                             QStringLiteral("Meldedaten (*.xml *.zip)"));
    if (path.isEmpty())
        return;
    Edit1->setText(path);
    Button3Click();
}

void TLadvForm::Button2Click()
{
    Button3->setEnabled(false);
    auto request = std::make_unique<TLADVRequest>();
    request->reqType = lr_getCompList;
    request->userName = Edit2->text();
    request->password = Edit3->text();
    request->makerBaseUrl = makerServiceUrl();
    context().waitTexts().showWait(kCompListWait, this);
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_None) == 0) {
        context().waitTexts().closeWait(kCompListWait);
        Button3->setEnabled(true);
    }
}

void TLadvForm::Button3Click()
{
    if (RadioButton1->isChecked()) {
        if (!QFileInfo(Edit1->text()).isFile()) {
            report(kImportFileCaption, kInvalidImportFileText);
            return;
        }
        loadFile(Edit1->text());
        return;
    }
    const int row = ListView1->currentIndex().row();
    if (row < 0 || row >= shown_.rowCount()) {
        report(kOnlineCaption,
               QStringLiteral("Bitte wählen Sie zunächst eine Veranstaltung, im Status \"Meldeschluss\""));
        return;
    }
    const proto::CompetitionListItemType& chosen = shown_.record(row);
    if (chosen.competitionStatus != proto::TCompetitionStatusType::participantsLocked) {
        report(kOnlineCaption, QStringLiteral("Bitte wählen Sie eine Veranstaltung, im Status \"Meldeschluss\""));
        return;
    }
    auto request = std::make_unique<TLADVRequest>();
    request->reqType = lr_download;
    request->competitionLADVID = chosen.competition ? chosen.competition->LADVID : QString();
    request->userName = Edit2->text();
    request->password = Edit3->text();
    request->makerBaseUrl = makerServiceUrl();
    context().waitTexts().showWait(kDownloadWait, this);
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_None) == 0)
        context().waitTexts().closeWait(kDownloadWait);
}

void TLadvForm::loadFile(const QString& path)
{
    TLadvImportStream stream;
    try {
        stream = readParticipantFile(path);
    } catch (const ELadvError& e) {
        report(kImportFileCaption, e.message());
        return;
    }
    sendImport(stream);
}

void TLadvForm::sendImport(const TLadvImportStream& stream)
{
    auto request = std::make_unique<TLADVRequest>();
    request->reqType = lr_import;
    request->importStream = stream.importStream;
    request->streamType = stream.streamType;
    context().waitTexts().showWait(kImportWait, this);
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_None) != 0)
        Button3->setEnabled(false);
    else
        context().waitTexts().closeWait(kImportWait);
}

void TLadvForm::RequestFinished(std::unique_ptr<TLADVResponse> response, const TRequestOutcome& outcome)
{
    Button3->setEnabled(true);
    const auto type = TLADVRequestType(outcome.command);
    context().waitTexts().closeWait(waitTextOf(type));
    if (!outcome.ok()) {
        road_.report(outcome);
        return;
    }
    switch (response->reqType) {
    case lr_import:
        hide();
        afterImport();
        break;
    case lr_download:
        if (response->importStream.isEmpty()) {
            report(kLadvDownloadCaption, kLadvDownloadEmptyText);
            return;
        }
        sendImport({response->importStream, proto::ParticipantsImportStreamFormatType::LADV});
        break;
    case lr_getCompList:
        shown_.setRecords(openCompetitions(std::move(response->competitionList)));
        ListView1->resizeColumnToContents(1);
        if (shown_.rowCount() == 0)
            report(kCompetitionListCaption, kNoOpenCompetitionsText);
        break;
    }
}

void TLadvForm::executeImport(TImportRequest request)
{
    auto queued = std::make_unique<TGenericImportRequest>();
    queued->import = std::move(request);
    context().waitTexts().showWait(kSaveWait, this);
    if (importRoad_.AddRequest(std::move(queued), TTransactionMode::tm_readwrite) == 0)
        context().waitTexts().closeWait(kSaveWait);
}

void TLadvForm::ImportFinished(const TRequestOutcome& outcome)
{
    context().waitTexts().closeWait(kSaveWait);
    if (!outcome.ok()) {
        context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error, kGenericImportCaption,
                                          this);
        return;
    }
    hide();
    afterImport();
}

void TLadvForm::afterImport()
{
    refreshAllWindows(context());
    TWindowRegistry& windows = context().windows();
    windows.show(TWindowId::AthleteForm);
    if (auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm))
        athletes->checkParticipantContraints(false);
    context().hints().ShowHintDelayed(QStringLiteral("ATHWND"), 800);
}

} // namespace tvp
