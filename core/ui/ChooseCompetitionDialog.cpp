#include "core/ui/ChooseCompetitionDialog.h"

#include "core/util/UserAction.h"

#include "core/connection/CommunicationThread.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/ui/Dialogs.h"
#include "core/ui/InfoDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/IniHandler.h"
#include "core/connection/LocalServerControl.h"
#include "core/util/Logger.h"
#include "core/connection/PingTest.h"
#include "core/connection/ServerDiscovery.h"
#include "core/connection/ServerVersion.h"
#include "core/connection/SlotGuard.h"
#include "core/connection/UncaughtErrors.h"
#include "core/ui/UserAgreementServerDialog.h"

#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

using namespace proto;

namespace {

const QString kNoConnection = QStringLiteral("Keine Verbindung zum Server.");
const QString kWaitLoadData = QStringLiteral("Lade Veranstaltungsdaten.");
const QString kCompatCaption = QStringLiteral("Serverkompatibilität prüfen");
const QString kDeleteCaption = QStringLiteral("Veranstaltung löschen");

} // namespace

TChooseCompetitionForm* ChooseCompetitionForm()
{
    return programWindows().get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm);
}

TChooseCompetitionForm::TChooseCompetitionForm(QWidget* parent) : TChooseCompetitionForm(programContext(), parent)
{
}

TChooseCompetitionForm::TChooseCompetitionForm(TWindowContext& context, QWidget* parent)
    : TChooseCompetitionForm(context, TChooserOptions{}, parent)
{
}

TChooseCompetitionForm::TChooseCompetitionForm(TWindowContext& context, TChooserOptions options, QWidget* parent)
    : TTVPForm(context, parent), options_(std::move(options))
{
    setObjectName(QStringLiteral("ChooseCompetitionForm"));
    setWindowTitle(QStringLiteral("Veranstaltung auswählen"));

    GroupBox1 = new QGroupBox(QStringLiteral("Veranstaltungsserver"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label1 = new QLabel(QStringLiteral("Wählen Sie einen bestehenden Veranstaltungsserver"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    Label2 = new QLabel(QStringLiteral("oder starten Sie einen Server auf diesem PC:"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    GroupBox3 = new QGroupBox(QStringLiteral("Server auf diesem PC"), GroupBox1);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    Button4 = new QPushButton(QStringLiteral("Start"), GroupBox3);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button5 = new QPushButton(QStringLiteral("Stop"), GroupBox3);
    Button5->setObjectName(QStringLiteral("Button5"));
    auto* localRow = new QHBoxLayout(GroupBox3);
    localRow->addWidget(Button4);
    localRow->addWidget(Button5);
    auto* serverLayout = new QVBoxLayout(GroupBox1);
    serverLayout->addWidget(Label1);
    serverLayout->addWidget(ComboBox1);
    serverLayout->addWidget(Label2);
    serverLayout->addWidget(GroupBox3);

    GroupBox2 = new QGroupBox(QStringLiteral("Verfügbare Veranstaltungen auf Server"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    ListBox1 = new QListView(GroupBox2);
    ListBox1->setModel(&competitionList_);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    // Read-only: Escape and Return are the chooser's, not an editor's.
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* listLayout = new QVBoxLayout(GroupBox2);
    listLayout->addWidget(ListBox1);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Neue Veranstaltung"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("Veranstaltung importieren"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button7 = new QPushButton(QStringLiteral("Info"), this);
    Button7->setObjectName(QStringLiteral("Button7"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button7);
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addWidget(Button1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2, 1);
    layout->addLayout(buttons);
    resize(460, 480);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    DeleteCompetitionAction = PopupMenu1->addAction(QStringLiteral("Veranstaltung löschen"));
    DeleteCompetitionAction->setObjectName(QStringLiteral("Veranstaltunglschen1"));

    Button1->setEnabled(false);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    // Return presses "Ok" (keyPressEvent), or the button that has the focus.
    Button1->setDefault(true);
    for (QPushButton* b : {Button1, Button2, Button3, Button4, Button5, Button7})
        b->setAutoDefault(true);
    // Tab goes as the eye does: server, local server, list, then the buttons from left to right.
    setTabOrder(ComboBox1, Button4);
    setTabOrder(Button4, Button5);
    setTabOrder(Button5, ListBox1);
    setTabOrder(ListBox1, Button7);
    setTabOrder(Button7, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button1);

    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this,
            [this](int) { guarded([this] { ComboBox1Select(); }); });
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        // On Enter Qt itself activates a matching entry other than the current one, right after
        // this signal; choose the server only when that did not happen.
        // Still the user's Enter, also a moment later.
        const unsigned before = selectRuns_;
        QTimer::singleShot(0, this, [this, before, action = TUserAction::current()] {
            const TAnswerTo answer(action);
            if (selectRuns_ == before)
                guarded([this] { ComboBox1Select(); });
        });
    });
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] { alreadyUsed = true; });
    connect(ListBox1, &QListView::clicked, this, [this] { ListBox1Click(); });
    // Keyboard selection enables "Ok" as well; programmatic changes must not count as a touch.
    connect(ListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { updateOkButton(); });
    connect(ListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateOkButton(); });
    // A list filled anew or emptied (a delete, "Stop") keeps no selection, and says so to nobody.
    connect(&competitionList_, &QAbstractItemModel::modelReset, this, [this] { updateOkButton(); });
    connect(ListBox1, &QListView::doubleClicked, this, [this] { guarded([this] { LoadCompetition(true); }); });
    connect(ListBox1, &QListView::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex row = ListBox1->indexAt(pos);
        if (row.isValid()) {
            ListBox1->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
            ListBox1Click();
        }
        DeleteCompetitionAction->setEnabled(ListBox1->selectionModel()->hasSelection());
        PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(pos));
    });
    connect(DeleteCompetitionAction, &QAction::triggered, this,
            [this] { guarded([this] { deleteSelectedCompetition(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { LoadCompetition(true); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { newCompetitionClicked(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] {
        alreadyUsed = true;
        if (ICompetitionImport* import = this->context().windows().find<ICompetitionImport>())
            guarded([import] { import->showImportChoice(); });
    });
    connect(Button4, &QPushButton::clicked, this, [this] { guarded([this] { startLocalServerClicked(); }); });
    connect(Button5, &QPushButton::clicked, this, [this] { guarded([this] { stopLocalServerClicked(); }); });
    connect(Button7, &QPushButton::clicked, this, [this] {
        alreadyUsed = true;
        if (TInfoForm* info = this->context().windows().get<TInfoForm>(TWindowId::InfoForm))
            guarded([this, info] { this->context().dialogs().execModal(*info); });
    });

    discovery_ = std::make_unique<TServerDiscovery>(options_.discovery);
    connect(discovery_.get(), &TServerDiscovery::serverFound, this, &TChooseCompetitionForm::AddDetectedRemoteServer);
    connect(discovery_.get(), &TServerDiscovery::longTick, this, [this] {
        // The welcome hint comes once, at the first long tick of an untouched chooser.
        if (isVisible() && !alreadyUsed) {
            alreadyUsed = true;
            this->context().hints().ShowHint(QStringLiteral("WELCOME"), false);
        }
    });

    competitionUrlHolderInstance().setServerUrl(localServerAddress());
}

TChooseCompetitionForm::~TChooseCompetitionForm() = default;

// ---- the current competition ----

TCurrentCompetition& TChooseCompetitionForm::current() const
{
    return context().competition();
}

int TChooseCompetitionForm::getCompetitionId(bool raise) const
{
    return current().getCompetitionId(raise);
}

const CompetitionType* TChooseCompetitionForm::getCompetition() const
{
    return current().getCompetition();
}

QString TChooseCompetitionForm::getCompetitionName() const
{
    return current().getCompetitionName();
}

QString TChooseCompetitionForm::getFullUrl(TTVPWebServices service) const
{
    return competitionUrlHolderInstance().getFullUrl(service);
}

void TChooseCompetitionForm::NotifySubscriber()
{
    current().NotifySubscriber();
}

void TChooseCompetitionForm::SetCompetitionInternal(std::unique_ptr<CompetitionType> competition)
{
    announced_ = true;
    current().SetCompetitionInternal(std::move(competition));
}

void TChooseCompetitionForm::SetCompetitionId(std::unique_ptr<CompetitionType> competition)
{
    const int id = competition ? competition->ID : 0;
    SetCompetitionInternal(std::move(competition));
    WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), id);
}

// ---- choosing ----

bool TChooseCompetitionForm::setCompetition(bool alwaysShow)
{
    // The silent attempt and the chooser after it are one choice: its verdict on the server is told once.
    compatibilityToldFor_.clear();
    bool chosen;
    if (!alwaysShow) {
        QString server;
        ReadIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), localServerAddress(), server);
        competitionUrlHolderInstance().setServerUrl(server == kLocalEntry ? localServerAddress() : server);
        if (checkCompetition()) {
            LoadCompetition(true);
            chosen = getCompetition() != nullptr;
        } else {
            chosen = showDialog();
        }
    } else {
        chosen = showDialog();
    }
    if (!chosen && getCompetition())
        return false;
    NotifySubscriber();
    return chosen;
}

bool TChooseCompetitionForm::checkCompetition()
{
    PopulateServers();
    SelectDefaultServer();
    // The local entry is enabled for the silent start even though "Ok" is only enabled by a click.
    return selectedCompetition() != nullptr;
}

bool TChooseCompetitionForm::showDialog()
{
    PopulateServers();
    const QString openedOn = competitionUrlHolderInstance().getServerUrl();
    Button1->setEnabled(false);
    SelectDefaultServer();
    closeWait(kWaitLoadData);
    tempCompetition = current().takeSilently();
    FlastID = tempCompetition ? tempCompetition->ID : 0;
    keptOn_ = openedOn;
    announced_ = false;
    context().dialogs().execModal(*this);
    if (getCompetition()) {
        tempCompetition.reset();
        return true;
    }
    current().putBackSilently(std::move(tempCompetition));
    const CompetitionType* kept = getCompetition();
    if (!kept)
        return false;
    if (competitionUrlHolderInstance().getServerUrl() != openedOn) {
        // The kept competition lives on the server it was opened on; its id means something
        // else on the one looked at meanwhile.
        competitionUrlHolderInstance().setServerUrl(openedOn);
        emit serverChosen();
        reloadExceptionMessages();
    }
    // "Stop", a refused server or a deleted competition told everyone there was none and stored
    // 0: the kept one is current again, for the subscribers and for the next start.
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), openedOn);
    WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), kept->ID);
    if (announced_)
        NotifySubscriber();
    return false;
}

void TChooseCompetitionForm::PopulateServers()
{
    showWait(kWaitLoadData);
    FSavedServers.clear();
    const int first = ReadIniInteger(QStringLiteral("Connections"), QStringLiteral("startIndex"), 1);
    const int last = ReadIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 0);
    for (int n = first; n <= last; ++n) {
        QString address;
        ReadIniStr(QStringLiteral("Connections"), QStringLiteral("Server%1").arg(n), QString(), address);
        if (!address.isEmpty())
            FSavedServers << address;
    }
    UpdateComboBox();
    ComboBox1->setCurrentIndex(0);
    closeWait(kWaitLoadData);
}

void TChooseCompetitionForm::UpdateComboBox()
{
    const QString previous = ComboBox1->currentText();
    const int cursor = ComboBox1->lineEdit()->cursorPosition();
    ComboBox1->clear();
    ComboBox1->addItem(kLocalEntry);
    if (!FFoundServers.isEmpty()) {
        ComboBox1->addItem(kFoundHeading);
        ComboBox1->addItems(FFoundServers);
    }
    if (!FSavedServers.isEmpty()) {
        ComboBox1->addItem(kSavedHeading);
        ComboBox1->addItems(FSavedServers);
    }
    const int again = ComboBox1->findText(previous);
    ComboBox1->setCurrentIndex(again >= 0 ? again : 0);
    if (again < 0 && !previous.isEmpty()) {
        // An address being typed survives a discovery reply.
        ComboBox1->setEditText(previous);
        ComboBox1->lineEdit()->setCursorPosition(cursor);
    }
}

bool TChooseCompetitionForm::isLocalEntry() const
{
    return ComboBox1->currentText() == kLocalEntry;
}

void TChooseCompetitionForm::SelectDefaultServer()
{
    QString current;
    ReadIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), kLocalEntry, current);
    const int index = ComboBox1->findText(current);
    ComboBox1->setCurrentIndex(index >= 0 ? index : 0);
    const QString address = isLocalEntry() ? localServerAddress() : ComboBox1->currentText();

    showWait(QStringLiteral("Überprüfe Serververbindung..."));
    const bool reachable = fastPingTest(address);
    closeWait(QStringLiteral("Überprüfe Serververbindung..."));
    if (!reachable) {
        ShowListBoxError(kNoConnection);
        return;
    }
    ComboBox1Select();
    ListBox1->clearSelection();
    const int stored = ReadIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), 0);
    if (stored != 0)
        SelectCompetitionListItem(stored);
}

void TChooseCompetitionForm::ComboBox1Select(bool fromStop)
{
    ++selectRuns_;
    if (ComboBox1->currentText().startsWith(QLatin1String("==="))) {
        const int index = ComboBox1->findText(competitionUrlHolderInstance().getServerUrl());
        ComboBox1->setCurrentIndex(index >= 0 ? index : 0);
        return;
    }
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    if (fromStop) {
        competitionList_.clear();
        SetCompetitionId(nullptr);
        return;
    }
    competitionUrlHolderInstance().setServerUrl(isLocalEntry() ? localServerAddress() : ComboBox1->currentText());
    competitionList_.clear();
    if (!checkServerCompatibility()) {
        SetCompetitionId(nullptr);
        return;
    }
    // Only a server that passed the check is asked for its version again (the about window).
    emit serverChosen();

    const QString connecting = QStringLiteral("Verbinde mit Server.");
    showWait(connecting);
    std::unique_ptr<DataRetrievalPortType> drs;
    try {
        drs = GetDataRetrievalPortType(false, getFullUrl(TTVPWebServices::DRS), nullptr);
    } catch (...) {
        closeWait(connecting);
        ShowListBoxError(kNoConnection);
        return;
    }
    closeWait(connecting);

    const QString loading = QStringLiteral("Lade Veranstaltungsdaten von Server.");
    showWait(loading);
    getCompetitionsResponse1 competitions;
    bool ok = false;
    try {
        ChannelGuard slot;
        try {
            competitions = drs->getCompetitions();
            ok = true;
        } catch (...) {
            ShowListBoxError(kNoConnection);
        }
    } catch (...) {
        ShowListBoxError(QStringLiteral("Serverliste konnte nicht geladen werden."));
    }
    closeWait(loading);
    if (!ok)
        return;

    alreadyUsed = true;
    SaveCurrentServer();
    Button2->setEnabled(true);
    Button3->setEnabled(context().windows().find<ICompetitionImport>() != nullptr);
    if (competitions.empty()) {
        ShowListBoxError(QStringLiteral("Keine Veranstaltungen auf Server gefunden."));
    } else {
        competitionList_.setCompetitions(std::move(competitions));
    }
    reloadExceptionMessages();
    ListBox1->setFocus();
}

void TChooseCompetitionForm::ShowListBoxError(const QString& text)
{
    competitionList_.showMessage(text);
    Button1->setEnabled(false);
}

void TChooseCompetitionForm::reportCompatibility(const QString& text, bool error)
{
    // No calling window: the check also runs before the chooser is shown, and must not be dropped.
    if (error)
        context().messages().AddException(-1, {}, text, kCompatCaption, nullptr);
    else
        context().messages().AddWarning(-1, {}, text, kCompatCaption, nullptr);
}

void TChooseCompetitionForm::reloadExceptionMessages()
{
    context().messages().ReloadExceptionMessages();
}

bool TChooseCompetitionForm::checkServerCompatibility()
{
    const QString waitText = QStringLiteral("Prüfe Serverkompatibilität...");
    showWait(waitText);
    struct CloseWait {
        TChooseCompetitionForm* form;
        QString text;
        ~CloseWait() { form->closeWait(text); }
    } closer{this, waitText};

    std::unique_ptr<ProgrammInfoWebService> pis;
    std::unique_ptr<ChannelGuard> slot;
    const QString address = getFullUrl(TTVPWebServices::PIS);
    // The verdict is told once per choice of a server, not again when the same one is listed anew.
    const bool told = competitionUrlHolderInstance().getServerUrl() == compatibilityToldFor_;
    compatibilityToldFor_ = competitionUrlHolderInstance().getServerUrl();
    try {
        pis = GetProgrammInfoWebService(false, address);
        slot = std::make_unique<ChannelGuard>();
    } catch (...) {
        ShowListBoxError(QStringLiteral("Kompatibilitätsprüfung fehlgeschlagen."));
        return false;
    }
    GenericTvpVersion server;
    try {
        const getBackendVersionResponse1 answer = pis->getBackendVersion();
        if (answer.version)
            server = *answer.version;
    } catch (...) {
        ShowListBoxError(kNoConnection);
        return false;
    }
    const CompatibilityVerdict verdict =
        judgeServerVersion(server, [&] { return pis->getCompatibilityInformation(clientVersion()); });
    if (!verdict.listText.isEmpty())
        ShowListBoxError(verdict.listText);
    if (!told && !verdict.warning.isEmpty())
        reportCompatibility(verdict.warning, false);
    if (!told && !verdict.error.isEmpty())
        reportCompatibility(verdict.error, true);
    return verdict.accepted;
}

void TChooseCompetitionForm::SaveCurrentServer()
{
    const QString address = competitionUrlHolderInstance().getServerUrl();
    const QString local = localServerAddress();
    if (address != local && !FSavedServers.contains(address)) {
        const int n = ReadIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), 0) + 1;
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("Server%1").arg(n), address);
        FSavedServers << address;
        UpdateComboBox();
        ComboBox1->setCurrentIndex(ComboBox1->findText(address));
        WriteIniInteger(QStringLiteral("Connections"), QStringLiteral("endIndex"), n);
    }
    // A competition id of another server must not be opened on this one, the local one included;
    // the id stays when the server is the one it was stored for, however that one was written.
    QString stored;
    ReadIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), QStringLiteral("-"), stored);
    if (normalisedServer(stored) != address)
        WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), 0);
    WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), address);
}

const CompetitionType* TChooseCompetitionForm::selectedCompetition() const
{
    const QModelIndexList selected = ListBox1->selectionModel()->selectedRows();
    return selected.isEmpty() ? nullptr : competitionList_.competition(selected.first().row());
}

void TChooseCompetitionForm::SelectCompetitionListItem(int competitionId)
{
    Button1->setEnabled(false);
    ListBox1->clearSelection();
    const int row = competitionList_.rowOf(competitionId);
    if (row >= 0)
        ListBox1->selectionModel()->setCurrentIndex(competitionList_.index(row), QItemSelectionModel::ClearAndSelect);
    ListBox1Click();
}

void TChooseCompetitionForm::ListBox1Click()
{
    alreadyUsed = true;
    updateOkButton();
}

void TChooseCompetitionForm::updateOkButton()
{
    Button1->setEnabled(selectedCompetition() != nullptr);
}

void TChooseCompetitionForm::LoadCompetition(bool closeChooser)
{
    if (!Button1->isEnabled())
        return;
    const CompetitionType* chosen = selectedCompetition();
    if (!chosen) {
        Button1->setEnabled(false);
        return;
    }
    TVP_LOGGER().log(TLogLevel::ll_debug, QStringLiteral("Openening Competition"));
    SetCompetitionId(std::make_unique<CompetitionType>(*chosen));
    if (closeChooser)
        close();
    TVP_LOGGER().log(TLogLevel::ll_debug, QStringLiteral("Loading ExceptionMessages"));
    reloadExceptionMessages();
    TVP_LOGGER().log(TLogLevel::ll_debug, QStringLiteral("Loading AggregatorTemplates"));
    if (IDisciplineTemplates* templates = context().windows().find<IDisciplineTemplates>())
        guarded([templates] { templates->LoadDisciplineTemplates(); });
    TVP_LOGGER().log(TLogLevel::ll_debug, QStringLiteral("Refreshing..."));
    emit competitionOpened();
}

void TChooseCompetitionForm::selectNewComp(int competitionId, bool open)
{
    ComboBox1Select();
    if (competitionId != 0)
        SelectCompetitionListItem(competitionId);
    if (open)
        LoadCompetition(true);
}

void TChooseCompetitionForm::deleteSelectedCompetition()
{
    const CompetitionType* selected = selectedCompetition();
    if (!selected)
        return;
    const CompetitionType victim = *selected;
    const QString question = QStringLiteral("Soll die Veranstaltung \"%1\" und ihr gesamter Inhalt (Meldungen, "
                                            "Ergebnisse, etc.) wirklich gelöscht werden?\r\nFalls diese Veranstaltung "
                                            "mit einem Cup verknüpft ist, wird diese auch aus dem Cup entfernt.")
                                 .arg(victim.Name);
    // "Nein" is the default: Enter must never delete a competition.
    if (context().dialogs().messageBox(this, kDeleteCaption, question, TMsgKind::Question, TMsgButtons::YesNo,
                                       TMsgAnswer::No) == TMsgAnswer::No)
        return;
    if (TPositionStoreAdapter* store = context().positionStore(); store && victim.ID == FlastID)
        store->closeAllNonMainWindows();

    const QString waitText = QStringLiteral("Lösche Veranstaltung...");
    showWait(waitText);
    try {
        ChannelGuard slot;
        GetCompetitionManagementPortType(false, getFullUrl(TTVPWebServices::CMS), nullptr)
            ->removeCompetition(victim.ID);
    } catch (const TvpError& e) {
        context().messages().AddException(
            0, {}, QStringLiteral("Veranstaltung konnte nicht gelöscht werden. (%1)").arg(e.message()), kDeleteCaption,
            this);
    }
    if (tempCompetition && tempCompetition->ID == victim.ID)
        tempCompetition.reset();
    SetCompetitionId(nullptr);
    closeWait(waitText);
    // The main window's refresh is throttled; the open chooser must not list the deleted one meanwhile.
    selectNewComp(0, false);
    emit competitionDeleted();
}

void TChooseCompetitionForm::newCompetitionClicked()
{
    if (!Button2->isEnabled())
        return;
    alreadyUsed = true;
    ICompSetupWizard* wizard = context().windows().find<ICompSetupWizard>();
    if (!wizard)
        return;
    const int id = wizard->startCompWizard();
    if (id != 0) {
        selectNewComp(id, false);
        LoadCompetition(true);
    } else if (const int created = wizard->createdCompetitionId(); created != 0) {
        // Closed on its final page instead of "Veranstaltung öffnen": listed and marked, not opened.
        selectNewComp(created, false);
    }
}

// ---- local server and discovery ----

void TChooseCompetitionForm::startLocalServerClicked()
{
    alreadyUsed = true;
    Button4->setEnabled(false);
    TUserAgreementServerForm consent(this);
    TServerStart script;
    const TLocalServerStart outcome = startLocalServerWithConsent(consent, [&] {
        showWait(kStartServerWaitText);
        script = StartLocalServer(paintMeanwhile);
        // A server the script does not call its own (another program on its port, say) is not
        // connected to: the user hears the script's reason instead.
        if (script.succeeded) {
            waitForLocalServer();
            ComboBox1->setCurrentIndex(0);
            ComboBox1Select();
        }
        closeWait(kStartServerWaitText);
        return script.ran;
    });
    if (outcome == TLocalServerStart::Failed)
        context().messages().AddException(kServerControlErrorId, {}, kStartServerFailedText, kStartServerCaption, this);
    else if (outcome == TLocalServerStart::Started && !script.succeeded)
        context().messages().AddException(
            kServerControlErrorId, {},
            script.said.isEmpty() ? QStringLiteral("Server konnte nicht gestartet werden.") : script.said,
            kStartServerCaption, this);
    Button4->setEnabled(true);
}

// While the local server starts, the wait window is painted; the user's input waits.
void TChooseCompetitionForm::paintMeanwhile()
{
    THandBackHold hold;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TChooseCompetitionForm::waitForLocalServer()
{
    // The server needs a while before it answers: at most the full wait, but no longer than it
    // takes to answer on its port.
    const QDeadlineTimer deadline(localServerStartWaitMs());
    const QString address = localServerAddress();
    while (!deadline.hasExpired() && !fastPingTest(address)) {
        paintMeanwhile();
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(deadline.remainingTime(), 0, 100)));
    }
}

bool TChooseCompetitionForm::stopLocalServerAndClearDefault()
{
    if (StopLocalServer())
        return true;
    context().messages().AddException(kServerControlErrorId, {}, kStopServerFailedText, kStopServerCaption, this);
    return false;
}

void TChooseCompetitionForm::stopLocalServerClicked()
{
    alreadyUsed = true;
    if (stopLocalServerAndClearDefault() && tempCompetition && keptOn_ == localServerAddress()) {
        // The competition kept for a cancel lived on the stopped server: it is gone as if deleted.
        if (TPositionStoreAdapter* store = context().positionStore())
            store->closeAllNonMainWindows();
        tempCompetition.reset();
    }
    if (isLocalEntry()) {
        ComboBox1->setCurrentIndex(-1);
        Button2->setEnabled(false);
        Button3->setEnabled(false);
        ComboBox1Select(true);
    }
}

void TChooseCompetitionForm::AddDetectedRemoteServer(const QString& address)
{
    if (FFoundServers.contains(address))
        return;
    FFoundServers << address;
    UpdateComboBox();
}

void TChooseCompetitionForm::stopDiscovery()
{
    discovery_->stop();
}

void TChooseCompetitionForm::showEvent(QShowEvent* event)
{
    TTVPForm::showEvent(event);
    discovery_->start();
}

void TChooseCompetitionForm::hideEvent(QHideEvent* event)
{
    stopDiscovery();
    TTVPForm::hideEvent(event);
}

void TChooseCompetitionForm::closeEvent(QCloseEvent* event)
{
    if (!getCompetition() && !tempCompetition) {
        if (!askYesNo(this, QStringLiteral("Trivanta Pentrel beenden"),
                      QStringLiteral("Keine Veranstaltung ausgewählt. Soll die Applikation beendet werden?"))) {
            event->ignore();
            return;
        }
        stopDiscovery();
        const QString waitText = QStringLiteral("Applikation wird beendet...");
        showWait(waitText);
        ReqShutDown();
        closeWait(waitText);
        emit applicationEndRequested();
        event->accept();
        return;
    }
    stopDiscovery();
    TTVPForm::closeEvent(event);
}

void TChooseCompetitionForm::keyPressEvent(QKeyEvent* event)
{
    // Return presses "Ok" unless the server box took it to choose a server; a focused button
    // presses itself before the key gets here.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QWidget* focused = focusWidget();
    if (enter && !(focused && (focused == ComboBox1 || ComboBox1->isAncestorOf(focused)))) {
        if (Button1->isEnabled())
            Button1->click();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    TTVPForm::keyPressEvent(event);
}

QString TChooseCompetitionForm::normalisedServer(const QString& entry) const
{
    if (entry == kLocalEntry)
        return localServerAddress();
    // As the address holder writes an address once it has used it.
    TCompetitionUrlHolder holder;
    holder.setServerUrl(entry);
    holder.getFullUrl(TTVPWebServices::PIS);
    return holder.getServerUrl();
}

void TChooseCompetitionForm::showWait(const QString& text)
{
    context().waitTexts().showWait(text);
}

void TChooseCompetitionForm::closeWait(const QString& text)
{
    context().waitTexts().closeWait(text);
}

} // namespace tvp
