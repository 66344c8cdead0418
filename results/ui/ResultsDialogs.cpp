#include "results/ui/ResultsDialogs.h"

#include "core/barcode/BarcodeDispatcher.h"
#include "core/connection/SlotGuard.h"
#include "core/connection/StoreBatch.h"
#include "core/results/tvpUtils.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ParticipantForms.h"
#include "core/services/ScoringServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/UserAction.h"
#include "results/ui/CaptureHooks.h"
#include "results/ui/ChooseBibDialog.h"
#include "results/ui/ResultGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TResultRequestType;

const QString kCaption = QStringLiteral("Leistungen erfassen");
const QString kLoading = QStringLiteral("Lade Teilnehmerliste...");
const QString kPart; // the one dirty part: its question takes the window's caption
const QString kQuestionHead =
    QStringLiteral("Es sind noch ungespeicherte Änderungen oder Warnungen in der Leistungserfassung dieser "
                   "Disziplin.\r\nBitte ggf. auch andere Läufe/Gruppen der Disziplin prüfen. ");
const QString kFinishingOrderCaption = QStringLiteral("Rangfolge erfassen");
const QString kNoValidFormat = QStringLiteral("Kein gültiges Ergebnisformat");
const QString kNoParticipantInRow =
    QStringLiteral("In dieser Zeile ist kein Teilnehmer gemeldet: die Eingabe wird nicht gespeichert.");
// Heats above this cannot be named by lane (heat * 65536 + lane); the cache reports them.
constexpr int kMaxHeats = 32767;

bool holdsDiscipline(const TResultCache& cache, const TDisciplineInfo& d)
{
    return cache.isForDisciplin(d.id, d.resultType, d.isTeam, d.attempts, d.assignmentType, d.resultFormat);
}

const QString kNotKnownIfStored = QStringLiteral("Nicht bekannt, ob gespeichert: ");

// A store's answer never came: what its cell says until the server is read back.
QString doubtText(const QString& reason)
{
    return kNotKnownIfStored + reason + QStringLiteral(" Der Wert wird beim Server nachgelesen.");
}

} // namespace

TResultDialog::TResultDialog(TWindowContext& context) : TTVPForm(context)
{
    setWindowTitle(kCaption);
    closeMessage = kQuestionHead + QStringLiteral("Fenster schließen?");
    reloadMessage = kQuestionHead + QStringLiteral("Daten neu laden?");
    checkMessage = kQuestionHead + QStringLiteral("Fortfahren?");
    resize(820, 560);
    resultCache = std::make_unique<TResultCache>();
    road_ = std::make_unique<TResultRoad>(context, resultRequests(), this,
                                          [this](std::unique_ptr<TResultResponse> r, const TRequestOutcome& o) {
                                              guarded([&] { RequestFinished(std::move(r), o); });
                                          });
    buildControls();
    buildMenus();
    grid_.rebuild(nullptr, 0);
    StringGrid1->hide();

    Timer1.setSingleShot(true);
    Timer1.setInterval(10);
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    subscribeBarcodes(this);
}

TResultDialog::~TResultDialog()
{
    // The focus moves while the window goes, after the cache is gone, and closes the grid's editor.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(StringGrid1, nullptr, this, nullptr);
    // Gone first: a request finishing later calls nobody back.
    road_.reset();
}

void TResultDialog::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 0);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    layout->setMenuBar(MainMenu1);

    auto* choice = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("Disziplin:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setMinimumContentsLength(24);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Label2 = new QLabel(QStringLiteral("Lauf/Gruppe:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setMinimumContentsLength(4);
    ComboBox2->setEnabled(false);
    choice->addWidget(Label1);
    choice->addWidget(ComboBox1, 1);
    choice->addWidget(Label2);
    choice->addWidget(ComboBox2);
    layout->addLayout(choice);

    auto* versions = new QHBoxLayout;
    CheckBox1 = new QCheckBox(QStringLiteral("Geänderte Einträge seit Version"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Edit1 = new QLineEdit(QStringLiteral("1"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaximumWidth(60);
    Label5 = new QLabel(QStringLiteral("gelb markieren."), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    LabelVersion = new QLabel(this);
    LabelVersion->setObjectName(QStringLiteral("Label6"));
    versions->addWidget(CheckBox1);
    versions->addWidget(Edit1);
    versions->addWidget(Label5);
    versions->addStretch(1);
    versions->addWidget(LabelVersion);
    layout->addLayout(versions);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Disziplin bearbeiten"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Zur Wettkampfliste"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("Zur Auswertung"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    LabelHint = new QLabel(QStringLiteral("Leertaste oder \"+\" für nächste Spalte drücken."), this);
    LabelHint->setObjectName(QStringLiteral("Label7"));
    layout->addWidget(LabelHint);
    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName(QStringLiteral("Label3"));
    layout->addWidget(LabelStatus);
    StringGrid1 = new TResultGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGridModel(&grid_);
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(StringGrid1, 1);
    LabelUnit = new QLabel(this);
    LabelUnit->setObjectName(QStringLiteral("Label4"));
    LabelLegend = new QLabel(this);
    LabelLegend->setObjectName(QStringLiteral("Label8"));
    layout->addWidget(LabelUnit);
    layout->addWidget(LabelLegend);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    // The current row with its long names: cut with "…" and shown whole as its tooltip, never
    // clipped as a status message is.
    StatusText = new TElidingLabel(StatusBar1);
    StatusText->setObjectName(QStringLiteral("StatusText"));
    StatusBar1->addWidget(StatusText, 1);
    layout->addWidget(StatusBar1);
    for (QLabel* label : {LabelStatus, LabelVersion, LabelUnit, LabelLegend})
        label->setTextFormat(Qt::PlainText);

    connect(ComboBox1, &QComboBox::activated, this, [this] {
        guarded([this] {
            userChangedDisc_ = true;
            ComboBox1Change();
        });
    });
    connect(ComboBox2, &QComboBox::activated, this, [this] { guarded([this] { ComboBox2Change(); }); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { guarded([this] { readVersionFromEdit1(); }); });
    connect(Edit1, &QLineEdit::textEdited, this, [this] {
        guarded([this] {
            CheckBox1->setChecked(true);
            readVersionFromEdit1();
        });
    });
    connect(StringGrid1, &TResultGrid::storeKey, this, [this](int key) { guarded([&] { StringGrid1KeyPress(key); }); });
    connect(StringGrid1, &TResultGrid::editTextChanged, this, [this](const QModelIndex& index, const QString& text) {
        guarded([&] { StringGrid1SetEditText(index, text); });
    });
    connect(StringGrid1, &TResultGrid::inputRefused, this, [this](const QModelIndex&) {
        guarded([this] {
            // Also a participant another desk took out leaves such a place: typing there is not lost unsaid.
            StatusText->setFullText(kNoParticipantInRow);
            context().dialogs().beep();
        });
    });
    connect(StringGrid1, &TResultGrid::editAbandoned, this, [this](const QModelIndex& index) {
        guarded([&] {
            const int attempt = index.isValid() ? grid_.attemptOfColumn(index.column()) : 0;
            if (!resultCache || attempt == 0)
                return;
            forgetDroppedStores(index.row(), attempt);
            DoItemChangeCheck(kPart);
        });
    });
    connect(StringGrid1, &TResultGrid::editReverted, this, [this](const QModelIndex& index) {
        guarded([&] {
            const int attempt = index.isValid() ? grid_.attemptOfColumn(index.column()) : 0;
            if (!resultCache || attempt == 0)
                return;
            resultCache->revertTyping(currentHeatId, index.row() + 1, attempt);
            DoItemChangeCheck(kPart);
        });
    });
    connect(StringGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { guarded([&] { showGridMenu(pos); }); });
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& c) {
        guarded([&] {
            if (c.isValid() && c.row() < grid_.dataRows()) {
                QStringList fixed;
                for (int col = 0; col < grid_.fixedColumns(); ++col)
                    fixed << grid_.index(c.row(), col).data().toString();
                StringGrid1->setToolTip(QStringLiteral("|") + fixed.join(u'|'));
                StatusText->setFullText(StringGrid1->toolTip());
            }
        });
    });
    // Leaving the grid drops the open edit.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        guarded([&] {
            const auto inGrid = [this](QWidget* w) { return w && (w == StringGrid1 || StringGrid1->isAncestorOf(w)); };
            if (inGrid(old) && !inGrid(now) && resultCache)
                resultCache->cancelEdit();
        });
    });
    connect(Button1, &QPushButton::clicked, this, [this] {
        guarded([this] {
            if (auto* discs = context().windows().find<IDisciplineWindows>())
                discs->ShowDisciplinForm(this, currentDisciplinID, 0);
        });
    });
    connect(Button2, &QPushButton::clicked, this, [this] {
        guarded([this] {
            if (auto* lists = context().windows().getOrPlaceholder<IDisciplinListForm>(TWindowId::DisciplinListForm))
                lists->showAndLoadDisciplin(currentDisciplinID);
        });
    });
    connect(Button3, &QPushButton::clicked, this, [this] {
        guarded([this] {
            if (auto* analysis = context().windows().findOrPlaceholder<IAnalyseForm>(TWindowId::AnalyseForm))
                analysis->ShowAndLoad(currentDisciplinID, 0);
        });
    });
}

void TResultDialog::buildMenus()
{
    Drucken1 = MainMenu1->addMenu(QStringLiteral("Drucken"));
    Drucken1->setObjectName(QStringLiteral("Drucken1"));
    Protokolldrucken1 = Drucken1->addAction(QStringLiteral("Protokoll für Lauf/Gruppe drucken (Strg+P)"));
    Protokolldrucken1->setObjectName(QStringLiteral("Protokolldrucken1"));
    Protokolldrucken1->setEnabled(false);
    connect(Drucken1, &QMenu::aboutToShow, this,
            [this] { Protokolldrucken1->setEnabled(StringGrid1->isVisibleTo(this)); });
    connect(Protokolldrucken1, &QAction::triggered, this, [this] { guarded([this] { printProtocolClick(); }); });

    Erfassungshilfen1 = MainMenu1->addMenu(QStringLiteral("&Erfassungshilfen"));
    Erfassungshilfen1->setObjectName(QStringLiteral("Erfassungshilfen1"));
    Rangfolgeerfassen1 = Erfassungshilfen1->addAction(kFinishingOrderCaption);
    Rangfolgeerfassen1->setObjectName(QStringLiteral("Rangfolgeerfassen1"));
    Rangfolgeerfassen1->setEnabled(false);
    Zonenstrichliste1 = Erfassungshilfen1->addAction(QStringLiteral("Zonenstrichliste (F7)"));
    Zonenstrichliste1->setObjectName(QStringLiteral("Zonenstrichliste1"));
    Zonenstrichliste1->setEnabled(false);
    connect(Rangfolgeerfassen1, &QAction::triggered, this, [this] { guarded([this] { Rangfolgeerfassen1Click(); }); });
    connect(Zonenstrichliste1, &QAction::triggered, this, [this] { guarded([this] { Zonenstrichliste1Click(); }); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    AthletevonDisziplinabmelden1 = PopupMenu1->addAction(QStringLiteral("Athlet/Team von Disziplin abmelden"));
    AthletevonDisziplinabmelden1->setObjectName(QStringLiteral("AthletevonDisziplinabmelden1"));
    Fehlermeldunganzeigen1 = PopupMenu1->addAction(QStringLiteral("Warnmeldung anzeigen"));
    Fehlermeldunganzeigen1->setObjectName(QStringLiteral("Fehlermeldunganzeigen1"));
    connect(AthletevonDisziplinabmelden1, &QAction::triggered, this,
            [this] { guarded([this] { AthletevonDisziplinabmelden1Click(); }); });
    connect(Fehlermeldunganzeigen1, &QAction::triggered, this,
            [this] { guarded([this] { Fehlermeldunganzeigen1Click(); }); });
}

// ---- entry points ----

void TResultDialog::enterDiscipline(int discId, int discBarcode, std::function<void()> entered)
{
    if (discId == 0 && discBarcode == 0) {
        show();
        return;
    }
    auto enter = [this, discId, discBarcode, entered = std::move(entered)] {
        currentDisciplinID = discId;
        currentDisciplinBarcodeId = discBarcode;
        entered();
    };
    if (!isVisible()) {
        enter();
        return;
    }
    if (isUserAction()) {
        if (CheckDiscLeave())
            enter();
        return;
    }
    // Brought by an answer, a timer or a scan: the question waits beside without holding the program.
    DoItemChangeCheck(kPart);
    checkDirtyDataLater(
        kPart, [] {}, std::move(enter));
}

void TResultDialog::markVersion(int version)
{
    if (version == kNoListVersion)
        return;
    Edit1->setText(QString::number(version));
    CheckBox1->setChecked(true);
    readVersionFromEdit1();
}

void TResultDialog::showHeat(int heat, int version, int topRow)
{
    currentHeatId = heat;
    selectComboIntegerFilter(*ComboBox1, currentDisciplinID, -1);
    StringGrid1->hide();
    ComboBox2->setEnabled(false);
    if (version == kNoListVersion) {
        CheckBox1->setChecked(false);
        readVersionFromEdit1();
    }
    markVersion(version);
    FTopIndex = topRow > 0 ? topRow : 0;
    LabelStatus->setText(kLoading);
    showReloaded();
}

void TResultDialog::showAndLoadDisciplin(int discId, int heat, int version, int topRow)
{
    enterDiscipline(discId, 0, [this, heat, version, topRow] { showHeat(heat, version, topRow); });
}

void TResultDialog::showAndLoadBarcodeDisciplin(int discBarcode, int heat, int version, int topRow)
{
    enterDiscipline(0, discBarcode, [this, heat, version, topRow] { showHeat(heat, version, topRow); });
}

void TResultDialog::goToParticipant(TLoadType type, int version, bool show, bool showFinishingOrder)
{
    markVersion(version);
    reload(type, showFinishingOrder);
    if (show && !isVisible()) {
        skipShowReload_ = true;
        this->show();
    }
}

void TResultDialog::goToAthlete(int discId, int athleteId, int attempt, bool withPrompt, int version, bool show,
                                bool showFinishingOrder)
{
    enterDiscipline(discId, 0, [=, this] {
        FAthleteToShow = athleteId;
        FBarcodeAthleteToShow = FTeamToShow = 0;
        FAttemptToShow = attempt;
        goToParticipant(withPrompt ? TLoadType::lt_showAthleteWithPrompt : TLoadType::lt_showAthlete, version, show,
                        showFinishingOrder);
    });
}

void TResultDialog::goToTeam(int discId, int teamId, int attempt, int version, bool show, bool showFinishingOrder)
{
    enterDiscipline(discId, 0, [=, this] {
        FTeamToShow = teamId;
        FAthleteToShow = FBarcodeAthleteToShow = 0;
        FAttemptToShow = attempt;
        goToParticipant(TLoadType::lt_showTeam, version, show, showFinishingOrder);
    });
}

void TResultDialog::goToBarcodeAthlete(int discBarcode, int athleteBarcode, int attempt, int version, bool show)
{
    enterDiscipline(0, discBarcode, [=, this] {
        FBarcodeAthleteToShow = athleteBarcode;
        FAthleteToShow = FTeamToShow = 0;
        FAttemptToShow = attempt;
        goToParticipant(TLoadType::lt_showAthlete, version, show, false);
    });
}

void TResultDialog::reloadFromBibRanking()
{
    StringGrid1->clearSelection();
    reload(TLoadType::lt_default);
}

void TResultDialog::cancelEdit()
{
    StringGrid1->leaveEditor();
    if (resultCache)
        resultCache->cancelEdit();
}

void TResultDialog::Zonenstrichliste1Click()
{
    if (!Zonenstrichliste1->isEnabled())
        return;
    const QModelIndex current = StringGrid1->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int id = resultCache->isTeamDisc() ? grid_.teamId(row) : grid_.athleteId(row);
    const int attempt = current.isValid() ? grid_.attemptOfColumn(current.column()) : 0;
    if (auto* tally = context().windows().findOrPlaceholder<ITallySheetForm>(TWindowId::TallySheetForm))
        tally->ShowTallyDialog(currentDisciplinID, id, attempt);
}

void TResultDialog::unload()
{
    currentDisciplinID = 0;
    currentDisciplinBarcodeId = 0;
    currentHeatId = 0;
    reload(TLoadType::lt_default);
}

bool TResultDialog::CheckDiscLeave()
{
    if (!resultCache || !resultCache->hasUncommitedChanges())
        return true;
    return !showDirtyDataMessage({}, checkMessage);
}

std::size_t TResultDialog::pendingRequests() const
{
    return road_->pending() + storeQueue_.size();
}

// ---- loading ----

void TResultDialog::reloadData()
{
    reload(TLoadType::lt_default);
    reloadFinishingOrder();
    // Its typed counts stay over the reload; it asks only where it cannot keep them.
    TWindowRegistry& windows = context().windows();
    if (windows.isVisible(TWindowId::TallySheetForm))
        windows.reload(TWindowId::TallySheetForm, false);
}

void TResultDialog::FormShow()
{
    if (std::exchange(skipShowReload_, false))
        return;
    reloadData();
}

bool TResultDialog::checkItemChanged(const QString&)
{
    return resultCache && resultCache->hasUncommitedChanges();
}

void TResultDialog::reload(TLoadType type, bool showFinishingOrder)
{
    // A "Ja" to losing the changes has cleared the dirty parts already; a printed protocol shows
    // only what the server holds. What is typed from now on stays over the load.
    keepTyped_ = type != TLoadType::lt_print && hasOverallDirtyData();
    discardTyped_.clear();
    if (!keepTyped_ && resultCache) {
        resultCache->forgetRefusedChanges();
        discardTyped_ = resultCache->typedCells();
    }
    LabelVersion->clear();
    auto request = std::make_unique<TResultRequest>();
    if (currentDisciplinID == 0 && currentDisciplinBarcodeId == 0) {
        clearRowHint();
        StringGrid1->hide();
        LabelStatus->setText(QStringLiteral("Keine Disziplin gewählt"));
        LabelUnit->clear();
        LabelLegend->clear();
        request->reqType = rt_getList;
        if (road_->AddRequest(std::move(request), TTransactionMode::tm_readonly) != 0)
            ++loadsInFlight_;
        Edit1->setText(QStringLiteral("1"));
        CheckBox1->setChecked(false);
        readVersionFromEdit1();
        return;
    }
    LabelUnit->clear();
    if (currentDisciplinID != 0) {
        request->DisciplinId = currentDisciplinID;
    } else {
        request->DisciplinId = currentDisciplinBarcodeId;
        request->findByBarcodeID = true;
    }
    // The discipline shown stays on screen and takes keys while it loads again.
    if (resultCache->getDisciplinId() != currentDisciplinID || currentDisciplinID == 0) {
        clearRowHint();
        StringGrid1->hide();
    }
    LabelStatus->setText(kLoading);
    switch (type) {
    case TLoadType::lt_default: request->reqType = rt_getList; break;
    case TLoadType::lt_print:
        request->reqType = rt_RefreshForPrint;
        cancelEdit();
        context().waitTexts().showWait(QStringLiteral("Aktualisiere Ansicht für Druck..."), this);
        break;
    case TLoadType::lt_showTeam:
        request->reqType = rt_showTeam;
        request->teamId = FTeamToShow;
        request->attempt = FAttemptToShow;
        request->tryToShowAquireBibForm = showFinishingOrder;
        break;
    case TLoadType::lt_showAthlete:
    case TLoadType::lt_showAthleteWithPrompt:
        request->reqType = rt_ShowAthlete;
        request->attempt = FAttemptToShow;
        request->athleteId = FBarcodeAthleteToShow != 0 ? FBarcodeAthleteToShow : FAthleteToShow;
        request->tryToShowAquireBibForm = type == TLoadType::lt_showAthlete && showFinishingOrder;
        request->promptForAddAthlete = type == TLoadType::lt_showAthleteWithPrompt;
        break;
    }
    if (road_->AddRequest(std::move(request), TTransactionMode::tm_readonly) != 0)
        ++loadsInFlight_;
}

void TResultDialog::RequestFinished(std::unique_ptr<TResultResponse> response, const TRequestOutcome& outcome)
{
    const auto command = TResultRequestType(outcome.command);
    if (command == rt_RefreshForPrint)
        context().waitTexts().closeWait(QStringLiteral("Aktualisiere Ansicht für Druck..."));
    if (command == rt_setResult) {
        storesFinished(std::move(response), outcome);
        return;
    }
    // Stores confirmed while loads were on their way are put over their answers, up to the last.
    const bool lastLoad = command != rt_addParticipant && loadsInFlight_ > 0 && --loadsInFlight_ == 0;
    const auto cleared = qScopeGuard([&] {
        if (lastLoad)
            committedDuringLoad_.clear();
    });
    if (!response) {
        road_->report(outcome);
        return;
    }
    if (command == rt_addParticipant)
        addParticipantFinished(*response, outcome);
    else
        loadFinished(*response, outcome);
}

void TResultDialog::loadFinished(TResultResponse& response, const TRequestOutcome& outcome)
{
    const TResultRequestType type = response.reqType;
    if (!outcome.ok()) {
        if (type == rt_getList) {
            // What was typed into a discipline removed meanwhile cannot stay: asked first, as closing asks.
            if (outcome.errorId == kDisciplineNotFoundError && keepTyped_ && !std::exchange(dropUnfitting_, false) &&
                keepOverReload(reloadDroppingUnfitting()))
                return;
            setDisciplines(response.disciplines);
            if (outcome.errorId == kDisciplineNotFoundError) {
                resultCache = std::make_unique<TResultCache>();
                currentHeatId = 0;
                currentDisciplinID = 0;
                ComboBox2->clear();
                ComboBox2->setEnabled(false);
                rebuildGrid();
                return;
            }
        }
        road_->report(outcome);
        if (type != rt_getList)
            reloadFormData(true);
        return;
    }

    if (type == rt_ShowAthlete || type == rt_showTeam) {
        const auto& heats = response.getParticipantsResponse.HeatList;
        // The heat's own number: heats need not be numbered 1, 2, 3 in order.
        const int position = type == rt_showTeam ? findHeatOfTeam(heats, response.id)
                                                 : findHeatOfParticipant(heats, response.id, response.findByBarcodeID);
        currentHeatId = position > 0 ? heats[std::size_t(position - 1)].HeatNo : 0;
        if (position == 0 && response.DisciplinId != 0) {
            if (type == rt_showTeam) {
                context().messages().AddException(0, {}, QStringLiteral("Team nicht für Disziplin gemeldet"),
                                                  QStringLiteral("Team suchen"), this);
            } else if (response.promptForAddAthlete) {
                // The answer to the user's click on an athlete; it waits without holding the program.
                const TAnswerTo answer(outcome.action);
                askYesNoLater(QStringLiteral("Athlet hinzufügen"),
                              QStringLiteral("Athlet ist nicht für diese Disziplin gemeldet. Automatisch in ersten "
                                             "Lauf/Gruppe melden?"),
                              [this, disciplineId = response.DisciplinId, athleteId = response.id] {
                                  auto add = std::make_unique<TResultRequest>();
                                  add->reqType = rt_addParticipant;
                                  add->DisciplinId = disciplineId;
                                  add->athleteId = athleteId;
                                  road_->AddRequest(std::move(add), TTransactionMode::tm_None);
                              });
            } else {
                context().messages().AddException(0, {}, QStringLiteral("Teilnehmer nicht für Disziplin gemeldet"),
                                                  QStringLiteral("Athleten suchen"), this);
            }
        }
    }

    if (response.findByBarcodeID) {
        currentDisciplinID = response.DisciplinId;
        currentDisciplinBarcodeId = 0;
    }
    setDisciplines(response.disciplines);
    // A load of a discipline the user left meanwhile fills nothing.
    if (response.DisciplinId == 0 || response.DisciplinId != currentDisciplinID)
        return;

    FAttemptToShow = response.attempt;
    FAthleteToShow = FBarcodeAthleteToShow = FTeamToShow = 0;
    if (type == rt_ShowAthlete)
        (response.findByBarcodeID ? FBarcodeAthleteToShow : FAthleteToShow) = response.id;
    else if (type == rt_showTeam)
        FTeamToShow = response.id;

    // Where the user is stays where it is: the cell, the focus, an open editor with its text.
    const TGridPlace place = gridPlace();
    {
        // One rebuild once all is in, rather than an empty grid while it fills.
        const QScopedValueRollback<bool> filling(filling_, true);
        addToResultCache(response);
    }
    reportLoadMessages();
    selectComboIntegerFilter(*ComboBox1, currentDisciplinID, -1);
    fillHeats(place);
    // Asked of this load only: later rebuilds keep the user's cell.
    FTopIndex = 0;
    FAthleteToShow = FBarcodeAthleteToShow = FTeamToShow = 0;
    DoItemChangeCheck(kPart);
    LabelVersion->setText(QStringLiteral("Aktuelle Listenversion: %1").arg(resultCache->ListVersion()));
    showResultUnit();
    readVersionFromEdit1();
    context().windows().reloadIfVisible(TWindowId::AnalyseForm);

    if (type == rt_RefreshForPrint) {
        printCurrentProtocol(outcome.action);
    } else if (type == rt_ShowAthlete || type == rt_showTeam) {
        if (StringGrid1->isVisible())
            StringGrid1->setFocus();
    }
    if (response.tryToShowAquireBibForm && Rangfolgeerfassen1->isEnabled())
        if (auto* order = context().windows().findOrPlaceholder<IAquireBibOrderForm>(TWindowId::AquireBibOrderForm))
            order->showDialog(currentDisciplinID, response.attempt);
}

void TResultDialog::addParticipantFinished(TResultResponse& response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        road_->report(outcome);
        reloadFormData(true);
        return;
    }
    goToAthlete(response.DisciplinId, response.id, 0, false, kNoListVersion, true, false);
    TWindowRegistry& windows = context().windows();
    windows.reloadIfVisible(TWindowId::DisciplinListForm);
    windows.reloadIfVisible(TWindowId::ResultCheckForm);
    if (auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm))
        athletes->discParticipantsUpdated(response.DisciplinId);
}

std::function<void()> TResultDialog::reloadDroppingUnfitting()
{
    return [this] {
        dropUnfitting_ = true;
        reload(TLoadType::lt_default);
    };
}

void TResultDialog::addToResultCache(const TResultResponse& response)
{
    const TDisciplineInfo& d = response.disciplinInfo;
    const auto& participants = response.getParticipantsResponse;
    const proto::ResultTableType* table = response.getResultTableResponse.ResultTableType.get();
    const bool sameCache =
        resultCache->isForDisciplin(d.id, d.resultType, d.isTeam, d.attempts, d.assignmentType, d.resultFormat);
    std::vector<TTypedCell> typed;
    if (resultCache->getDisciplinId() == d.id && response.reqType != rt_RefreshForPrint)
        typed = resultCache->typedCells();
    // What the user agreed to lose when the load was asked for goes; what was typed since stays.
    std::erase_if(typed, [this](const TTypedCell& t) {
        return std::ranges::any_of(discardTyped_, [&](const TTypedCell& d) {
            return d.rowKey == t.rowKey && d.attempt == t.attempt && d.text == t.text && d.status == t.status;
        });
    });
    if (!typed.empty()) {
        // Asked before anything is replaced, as closing asks.
        bool fits = sameCache;
        if (fits) {
            TResultCache loaded(d.id, d.isTeam, d.assignmentType, d.resultType, resultCache->ResultUnitPattern(),
                                d.attempts, {}, d.resultFormat, participants.ListVersion, std::nullopt);
            addParticipantsToResultCache(loaded, participants.HeatList, response.getResultTableResponse.Results);
            fits = loaded.typedCellsWithoutRow(typed).empty();
        }
        if (!fits && !std::exchange(dropUnfitting_, false) && keepOverReload(reloadDroppingUnfitting()))
            return;
    }
    if (!sameCache) {
        std::optional<std::vector<int>> heights;
        if (!d.heightList.isEmpty())
            heights = parseHeightList(d.heightList);
        // The old cache goes with its queued changes: they belong to another discipline. The grid
        // lets go of it first.
        StringGrid1->leaveEditor();
        grid_.rebuild(nullptr, 0);
        resultCache = std::make_unique<TResultCache>(
            d.id, d.isTeam, d.assignmentType, d.resultType, table ? table->ResultUnitPattern : QString(), d.attempts,
            [this](int row, int col) { ResultCacheCallback(row, col); }, d.resultFormat, participants.ListVersion,
            std::move(heights));
    } else {
        resultCache->Clear(participants.ListVersion);
    }
    // An empty place keeps its row, so row n stays place n for results by lane.
    addParticipantsToResultCache(*resultCache, participants.HeatList, response.getResultTableResponse.Results);
    if (sameCache && !typed.empty())
        resultCache->restoreTypedCells(typed);
    // The load may have read before they were stored.
    if (sameCache)
        for (const TResultChange& change : committedDuringLoad_)
            resultCache->changeCommitted(change);
}

void TResultDialog::setDisciplines(const std::vector<proto::DisciplinType>& disciplines)
{
    disciplines_.clear();
    ComboBox1->clear();
    for (const proto::DisciplinType& disc : disciplines) {
        disciplines_.push_back(TDisciplineInfo::CreateFromDisc(disc));
        ComboBox1->addItem(disc.Name, disc.DisciplinID);
    }
    selectComboIntegerFilter(*ComboBox1, currentDisciplinID, -1);
    if (currentDisciplinID != 0 && ComboBox1->currentIndex() < 0 && currentDisciplinBarcodeId == 0) {
        currentDisciplinID = 0;
        ComboBox1Change();
    }
}

void TResultDialog::fillHeats(const TGridPlace& place)
{
    ComboBox2->clear();
    const int heats = std::min(resultCache->getNoOfHeats(), kMaxHeats);
    for (int h = 1; h <= heats; ++h)
        ComboBox2->addItem(QString::number(h));
    ComboBox2->setEnabled(heats >= 1);
    if (currentHeatId == 0)
        currentHeatId = 1;
    if (currentHeatId > ComboBox2->count())
        currentHeatId = 0;
    ComboBox2->setCurrentIndex(currentHeatId - 1);
    rebuildGrid(place);
}

void TResultDialog::showResultUnit()
{
    if (currentDisciplinID == 0) {
        LabelUnit->clear();
        LabelLegend->clear();
        Rangfolgeerfassen1->setEnabled(false);
        Zonenstrichliste1->setEnabled(false);
        return;
    }
    const proto::ResultValueType type = resultCache->getDiscResultType();
    LabelUnit->setText(QStringLiteral("Einheit: ") + GetResultUnit(type, resultCache->ResultFormat()));
    LabelLegend->setText(resultLegend(type));
    const proto::ResultAssignmentType assignment = resultCache->getAssignmentType();
    Rangfolgeerfassen1->setEnabled(type == proto::ResultValueType::Rank &&
                                   assignment == proto::ResultAssignmentType::byBib);
    Zonenstrichliste1->setEnabled(resultCache->ResultFormat() == TResultformat::rf_Points &&
                                  assignment == proto::ResultAssignmentType::byAthleteOrTeam);
}

void TResultDialog::reloadVisibleOthers()
{
    TWindowRegistry& windows = context().windows();
    windows.reloadIfVisible(TWindowId::AnalyseForm);
    reloadFinishingOrder();
    windows.reloadIfVisible(TWindowId::ResultCheckForm);
}

void TResultDialog::reloadFinishingOrder()
{
    TWindowRegistry& windows = context().windows();
    if (windows.isVisible(TWindowId::AquireBibOrderForm))
        windows.reload(TWindowId::AquireBibOrderForm, false);
}

// ---- the grid ----

void TResultDialog::ResultCacheCallback(int row, int col)
{
    if (filling_)
        return;
    if (row == 0)
        rebuildGrid();
    else if (resultCache)
        grid_.refreshCell(row, col + 1);
    DoItemChangeCheck(kPart);
}

void TResultDialog::reportLoadMessages()
{
    // A pattern the server holds but nobody can read, heats out of range: once per load.
    for (const QString& message : resultCache->takeLoadMessages())
        context().messages().AddException(0, {}, message, road_->requestName(int(rt_getList)), this);
}

void TResultDialog::clearRowHint()
{
    StringGrid1->setToolTip({});
    StatusText->setFullText({});
}

TResultDialog::TGridPlace TResultDialog::gridPlace() const
{
    TGridPlace place;
    place.discipline = resultCache ? resultCache->getDisciplinId() : 0;
    place.heat = grid_.heat();
    // The window's focus, also while another window is active: it comes back to the grid.
    QWidget* focus = focusWidget();
    place.focused = focus && (focus == StringGrid1 || StringGrid1->isAncestorOf(focus));
    const QModelIndex current = StringGrid1->currentIndex();
    if (current.isValid()) {
        place.row = current.row();
        place.column = current.column();
        place.id = resultCache && resultCache->isTeamDisc() ? grid_.teamId(place.row) : grid_.athleteId(place.row);
    }
    place.editor = StringGrid1->editorState();
    return place;
}

void TResultDialog::rebuildGrid()
{
    rebuildGrid(gridPlace());
}

void TResultDialog::rebuildGrid(const TGridPlace& place)
{
    StringGrid1->leaveEditor();
    // The rows are read anew: no row is current until one is chosen again.
    clearRowHint();
    if (currentHeatId == 0 || !resultCache) {
        grid_.rebuild(nullptr, 0);
        StringGrid1->hide();
        LabelStatus->setText(QStringLiteral("Kein Lauf ausgewählt"));
        return;
    }
    if (resultCache->getAttempts() <= 0) {
        grid_.rebuild(nullptr, 0);
        StringGrid1->hide();
        LabelStatus->setText(QStringLiteral("Disziplin hat keine Versuche. Disziplineinstellungen überprüfen"));
        return;
    }
    const TResultTable table = resultCache->getResultTable(currentHeatId);
    grid_.rebuild(resultCache.get(), currentHeatId);
    grid_.setVersionToCompare(ListVersionToCompare);
    if (table.rows.empty()) {
        StringGrid1->hide();
        LabelStatus->setText(QStringLiteral("Keine Athleten für Lauf/Gruppe gemeldet"));
        return;
    }
    LabelStatus->clear();
    QHeaderView* header = StringGrid1->horizontalHeader();
    // Wider than designed where the caption needs it ("*Startnr." while capturing by bib).
    const auto size = [&](int column, int width) {
        header->resizeSection(
            column, std::max(width, headerTextWidth(*header, grid_.headerData(column, Qt::Horizontal).toString())));
    };
    size(0, 25);
    size(1, 40);
    size(2, 120);
    if (!resultCache->isTeamDisc())
        size(3, 130);
    for (int c = grid_.fixedColumns(); c < grid_.columnCount(); ++c)
        size(c, 90);
    StringGrid1->show();
    fitColumnsToRoom(*StringGrid1);
    const bool placed = selectAfterRebuild(table, place);
    if (place.focused)
        StringGrid1->setFocus();
    if (placed && place.editor)
        StringGrid1->reopenEditor(*place.editor);
}

bool TResultDialog::selectAfterRebuild(const TResultTable& table, const TGridPlace& place)
{
    const int rows = grid_.dataRows();
    const int attemptColumn = grid_.columnOfAttempt(FAttemptToShow > 0 ? FAttemptToShow : 1);
    const bool team = resultCache->isTeamDisc();
    bool shown = false;
    for (int r = 0; r < rows; ++r) {
        bool show = false;
        if (team)
            show = (FTeamToShow != 0 && grid_.teamId(r) == FTeamToShow) ||
                   (FAthleteToShow != 0 && grid_.teamId(r) == FAthleteToShow);
        else
            show = FAthleteToShow != 0 && grid_.athleteId(r) == FAthleteToShow;
        show = show || (FBarcodeAthleteToShow != 0 && grid_.barcode(r) == FBarcodeAthleteToShow);
        if (show) {
            StringGrid1->setCurrentIndex(grid_.index(r, attemptColumn));
            StringGrid1->scrollTo(grid_.index(r, attemptColumn));
            shown = true;
        }
    }
    if (FTopIndex > 0 && FTopIndex <= rows) {
        StringGrid1->setCurrentIndex(grid_.index(FTopIndex - 1, grid_.fixedColumns()));
        StringGrid1->scrollRowInView(FTopIndex - 1);
        StringGrid1->setFocus();
        return false;
    }
    if (shown || FAthleteToShow != 0 || FBarcodeAthleteToShow != 0)
        return false;
    // The user's cell: the same participant's, or in the same heat the same place.
    if (place.discipline == resultCache->getDisciplinId() && place.row >= 0 && place.column >= 0 &&
        place.column < grid_.columnCount()) {
        int row = -1;
        const bool byLane = resultCache->getAssignmentType() == proto::ResultAssignmentType::byLane;
        for (int r = 0; r < rows && place.id != 0 && !byLane && row < 0; ++r)
            if ((team ? grid_.teamId(r) : grid_.athleteId(r)) == place.id)
                row = r;
        if (row < 0 && place.heat == currentHeatId && (place.id == 0 || byLane) && place.row < rows)
            row = place.row;
        if (row >= 0) {
            StringGrid1->setCurrentIndex(grid_.index(row, place.column));
            StringGrid1->scrollTo(grid_.index(row, place.column));
            return true;
        }
    }
    if (table.editRow >= 1 && table.editRow <= rows && table.editCol >= 0 && table.editCol < grid_.attempts())
        StringGrid1->setCurrentIndex(grid_.index(table.editRow - 1, grid_.columnOfAttempt(table.editCol + 1)));
    return false;
}

void TResultDialog::StringGrid1SetEditText(const QModelIndex& index, const QString& text)
{
    const int attempt = grid_.attemptOfColumn(index.column());
    if (!index.isValid() || attempt == 0 || grid_.isSkipRow(index.row()))
        return;
    resultCache->beginEdit(currentHeatId, index.row() + 1, attempt, text);
    grid_.refreshCell(index.row() + 1, attempt);
    DoItemChangeCheck(kPart);
}

void TResultDialog::StringGrid1KeyPress(int key)
{
    const bool alongRow = key == Qt::Key_Space || key == Qt::Key_Plus;
    const QModelIndex current = StringGrid1->currentIndex();
    const int attempt = current.isValid() ? grid_.attemptOfColumn(current.column()) : 0;
    // Only typed text is stored: the open editor's, or what a cell holds that was typed and never
    // stored (left unsent, refused, unconfirmed over a reload). Any other cell's text is its stored
    // value as shown ("2:05 min" of a unit pattern), never input.
    const bool typed = StringGrid1->isEdited() || TResultGridModel::holdsTypedText(current);
    if (attempt == 0 || !grid_.hasCells(current.row()) || !typed) {
        StringGrid1->leaveEditor();
        moveToNextCell(alongRow);
        return;
    }
    const int row = current.row();
    const QString text = StringGrid1->currentText().trimmed();

    auto request = std::make_unique<TResultRequest>();
    request->reqType = rt_setResult;
    request->DisciplinId = resultCache->getDisciplinId();
    request->disciplinInfo = resultCache->getResultCachePartofDisciplineInfo();
    request->attempt = attempt;
    request->participantId = resultCache->isTeamDisc() ? grid_.teamId(row) : grid_.athleteId(row);
    int id = 0;
    switch (resultCache->getAssignmentType()) {
    case proto::ResultAssignmentType::byAthleteOrTeam:
        if (resultCache->isTeamDisc())
            id = request->teamId = grid_.teamId(row);
        else
            id = request->athleteId = grid_.athleteId(row);
        break;
    case proto::ResultAssignmentType::byBib: {
        const std::vector<int> bibs = grid_.bibs(row);
        int bib = bibs.size() == 1 ? bibs.front() : 0;
        if (bibs.size() != 1)
            if (auto* chooser = context().windows().getOrPlaceholder<TChooseBibForm>(TWindowId::ChooseBibForm))
                bib = chooser->ChooseBib(bibs, text != QStringLiteral("-"));
        // No bib chosen: nothing is sent and the cell keeps its typed text.
        if (bib == 0)
            return;
        id = request->bib = bib;
        break;
    }
    case proto::ResultAssignmentType::byLane:
        request->laneHeat = proto::LaneHeatType{currentHeatId, row + 1};
        id = laneHeatToId(*request->laneHeat);
        break;
    }

    if (text != QStringLiteral("-")) {
        proto::ResultType result;
        bool isPoints = false;
        if (!StringToResult(text, resultCache->getDiscResultType(), result, heightFormatOf(resultCache->ResultFormat()),
                            isPoints)) {
            StringGrid1->leaveEditor();
            resultCache->setError(id, attempt, kNoValidFormat);
            grid_.refreshCell(row + 1, attempt);
            StringGrid1->viewport()->update();
            // Typing on from a paper list would overwrite this cell: said at once, where it shows.
            StatusText->setFullText(grid_.cellStatusText(current));
            context().dialogs().beep();
            return;
        }
        request->result = result;
    }
    StringGrid1->leaveEditor();
    if (id != 0) {
        const int serial = resultCache->addChange(id, attempt, request->result ? &*request->result : nullptr, text);
        grid_.refreshCell(row + 1, attempt);
        sendStore(std::move(request), serial);
    }
    DoItemChangeCheck(kPart);
    moveToNextCell(alongRow);
}

namespace {

bool sameCell(const TResultRequest& a, const TResultRequest& b)
{
    const auto lane = [](const TResultRequest& r) { return r.laneHeat ? laneHeatToId(*r.laneHeat) : 0; };
    return a.attempt == b.attempt && a.bib == b.bib && a.athleteId == b.athleteId && a.teamId == b.teamId &&
           lane(a) == lane(b);
}

} // namespace

void TResultDialog::sendStore(std::unique_ptr<TResultRequest> request, int serial)
{
    if (request)
        storeQueue_.push_back({std::move(request), serial});
    if (storeInFlight_ != 0 || storeQueue_.empty())
        return;
    // A transaction holds one store per cell, so that the read before them tells each what it
    // replaces; a second one of a cell waits for the next.
    std::vector<TQueuedStore> together = takeTogether(
        storeQueue_, kStoresPerTransaction, [](const TQueuedStore& next, const std::vector<TQueuedStore>& taken) {
            return next.request->DisciplinId == taken.front().request->DisciplinId &&
                   std::ranges::none_of(taken,
                                        [&](const TQueuedStore& t) { return sameCell(*t.request, *next.request); });
        });
    auto batch = std::make_unique<TResultRequest>();
    batch->reqType = rt_setResult;
    batch->DisciplinId = together.front().request->DisciplinId;
    for (TQueuedStore& store : together) {
        inFlight_.push_back({*store.request, store.serial, std::nullopt});
        batch->stores.push_back(std::move(*store.request));
    }
    // A participant's store reads what it replaces in its own transaction: what an Escape puts back.
    const bool reads = std::ranges::any_of(batch->stores, [](const TResultRequest& s) { return s.participantId != 0; });
    const bool onlyReadsBack = std::ranges::all_of(batch->stores, [](const TResultRequest& s) { return s.readBack; });
    const TTransactionMode mode = onlyReadsBack                       ? TTransactionMode::tm_readonly
                                  : reads || batch->stores.size() > 1 ? TTransactionMode::tm_readwrite
                                                                      : TTransactionMode::tm_None;
    storeInFlight_ = road_->AddRequest(std::move(batch), mode);
    if (storeInFlight_ == 0)
        inFlight_.clear(); // shutting down: nothing follows
}

void TResultDialog::forgetDroppedStores(int row, int attempt)
{
    const std::vector<int> dropped = resultCache->dropTypedText(currentHeatId, row + 1, attempt);
    const auto isDropped = [&](int serial) {
        return serial != 0 && std::ranges::find(dropped, serial) != dropped.end();
    };
    std::erase_if(storeQueue_, [&](const TQueuedStore& q) { return isDropped(q.serial); });
    const auto sent = std::ranges::find_if(inFlight_, [&](const TSentStore& s) { return isDropped(s.serial); });
    if (sent == inFlight_.end() || sent->undo)
        return;
    // On its way it cannot be called back: once it is answered, what it replaced is put back, unless
    // another desk has stored a value since.
    auto undo = std::make_unique<TResultRequest>(sent->request);
    undo->undo = true;
    undo->undone = sent->request.result;
    undo->result.reset();
    const TResultRow* cells = resultCache->getRow(currentHeatId, row + 1);
    const TResultType* cell = cells ? cells->cell(attempt) : nullptr;
    if (cell && cell->getResult())
        undo->result = *cell->getResult();
    undo->shown = undo->result;
    const proto::ResultType* before = undo->result ? &*undo->result : nullptr;
    const int serial =
        resultCache->addChange(assignedId(*undo), attempt, before, resultCache->resultText(before), true);
    grid_.refreshCell(row + 1, attempt);
    sent->undo = TQueuedStore{std::move(undo), serial};
}

void TResultDialog::undoDroppedStore(TSentStore& sent, const TResultResponse* response, const TRequestOutcome& outcome,
                                     std::deque<TQueuedStore>& undos)
{
    if (!sent.undo)
        return;
    TQueuedStore undo = std::move(*sent.undo);
    sent.undo.reset();
    // In doubt the dropped store may have landed: the undo's own transaction reads what the server
    // holds, and the cell claims nothing before.
    const bool inDoubt = outcome.errorId == kWriteInDoubtError;
    if (response && (outcome.ok() || inDoubt)) {
        if (response->replacedRead)
            undo.request->result = response->replaced;
        if (inDoubt)
            resultCache->setInDoubt(assignedId(*undo.request), undo.request->attempt, doubtText(outcome.error),
                                    undo.serial);
        undos.push_back(std::move(undo));
        return;
    }
    // The dropped store was not taken: the server holds what it held before.
    const TDisciplineInfo& d = undo.request->disciplinInfo;
    if (!resultCache->isForDisciplin(d.id, d.resultType, d.isTeam, d.attempts, d.assignmentType, d.resultFormat))
        return;
    TResultChange back;
    back.assignedId = assignedId(*undo.request);
    back.attempt = undo.request->attempt;
    back.result = undo.request->shown;
    back.serial = undo.serial;
    resultCache->changeCommitted(back);
}

bool TResultDialog::readBackInDoubt(const TSentStore& sent, const TRequestOutcome& outcome,
                                    std::deque<TQueuedStore>& again)
{
    const TResultRequest& store = sent.request;
    if (outcome.errorId != kWriteInDoubtError || sent.undo || store.readBack ||
        !holdsDiscipline(*resultCache, store.disciplinInfo))
        return false;
    auto request = std::make_unique<TResultRequest>(store);
    if (store.undo) {
        // An undo reads before it writes: sent again, it finds whether it landed.
    } else if (store.participantId != 0) {
        request->readBack = true;
        request->doubt = outcome.error;
    } else {
        // A place without participant cannot be found in the results read: Enter sends it again.
        return false;
    }
    resultCache->setInDoubt(assignedId(store), store.attempt, doubtText(outcome.error), sent.serial);
    again.push_back({std::move(request), sent.serial});
    return true;
}

void TResultDialog::readBackFinished(const TSentStore& sent, const TResultResponse* answer,
                                     const TRequestOutcome& outcome)
{
    const TResultRequest& store = sent.request;
    TResultResponse described;
    describeStore(store, described);
    TRequestOutcome own = outcome;
    if (answer && answer->replacedRead) {
        own.error = sameResultValue(answer->replaced, store.result) ? QString() : store.doubt;
        own.errorId = 0;
        own.parameters.clear();
    } else {
        // Not read: still not known, and Enter sends it again.
        own.error = store.doubt;
        own.errorId = kWriteInDoubtError;
        own.parameters.clear();
    }
    if (storeFinished(described, own, sent.serial))
        reloadVisibleOthers();
}

void TResultDialog::moveToNextCell(bool alongRow)
{
    if (const std::optional<QModelIndex> next = grid_.nextCell(StringGrid1->currentIndex(), alongRow))
        StringGrid1->setCurrentIndex(*next);
}

int TResultDialog::assignedId(const TResultResponse& response) const
{
    switch (resultCache->getAssignmentType()) {
    case proto::ResultAssignmentType::byBib: return response.bib;
    case proto::ResultAssignmentType::byLane: return response.laneHeat ? laneHeatToId(*response.laneHeat) : 0;
    default: return response.id;
    }
}

int TResultDialog::assignedId(const TResultRequest& request) const
{
    switch (resultCache->getAssignmentType()) {
    case proto::ResultAssignmentType::byBib: return request.bib;
    case proto::ResultAssignmentType::byLane: return request.laneHeat ? laneHeatToId(*request.laneHeat) : 0;
    default: return request.teamId != 0 ? request.teamId : request.athleteId;
    }
}

void TResultDialog::storesFinished(std::unique_ptr<TResultResponse> response, const TRequestOutcome& outcome)
{
    storeInFlight_ = 0;
    std::vector<TSentStore> sent = std::exchange(inFlight_, {});
    // The next stores leave whatever these answers do below.
    struct SendNext {
        TResultDialog* self;
        ~SendNext() { self->sendStore(nullptr, 0); }
    } next{this};
    if (!response)
        road_->report(outcome);
    bool taken = false;
    std::deque<TQueuedStore> again; // undos and read-backs
    for (std::size_t i = 0; i < sent.size(); ++i) {
        TSentStore& store = sent[i];
        if (!response) {
            // Never sent: the cell keeps its value, refused with the reason, for Enter to send
            // again; unless Escape dropped it meanwhile, which puts back what the cell showed.
            if (!store.undo && holdsDiscipline(*resultCache, store.request.disciplinInfo))
                resultCache->setError(assignedId(store.request), store.request.attempt, outcome.error, store.serial);
            undoDroppedStore(store, nullptr, outcome, again);
            continue;
        }
        TResultResponse* own = i < response->stores.size() ? &response->stores[i] : nullptr;
        if (store.request.readBack) {
            readBackFinished(store, own, outcome);
            continue;
        }
        const TRequestOutcome result = storeOutcome(outcome, own ? &own->outcome : nullptr);
        if (readBackInDoubt(store, result, again))
            continue;
        // A transaction that failed stored none of them; one that went through answers each.
        TResultResponse described;
        TResultResponse* answer = &described;
        if (outcome.ok() && own)
            answer = own;
        else
            describeStore(store.request, described);
        taken = storeFinished(*answer, result, store.serial) || taken;
        undoDroppedStore(store, own ? own : answer, result, again);
    }
    // Before any store typed since: one for their cells must find the values put back or read.
    storeQueue_.insert(storeQueue_.begin(), std::make_move_iterator(again.begin()),
                       std::make_move_iterator(again.end()));
    if (taken)
        reloadVisibleOthers();
}

bool TResultDialog::storeFinished(TResultResponse& response, const TRequestOutcome& outcome, int serial)
{
    const TDisciplineInfo& d = response.disciplinInfo;
    // An answer for a discipline left meanwhile touches none of the new one's cells.
    const bool sameDiscipline =
        resultCache->isForDisciplin(d.id, d.resultType, d.isTeam, d.attempts, d.assignmentType, d.resultFormat);
    if (!outcome.ok()) {
        QString text;
        if (outcome.errorId != 0)
            text = context().messages().getExceptionById(outcome.errorId, outcome.parameters);
        if (text.isEmpty())
            text = outcome.error;
        if (outcome.errorId == kWriteInDoubtError)
            text = kNotKnownIfStored + outcome.error;
        if (outcome.errorId == kRankTakenError && response.bib != 0)
            text += QLatin1Char(' ') + rankConflictHint(kFinishingOrderCaption, Erfassungshilfen1->title());
        if (response.notAParticipant && sameDiscipline)
            text = QStringLiteral("%1 ist nicht mehr für diese Disziplin gemeldet; das Ergebnis wurde nicht "
                                  "gespeichert.")
                       .arg(resultCache->nameOfAssignedId(assignedId(response)));
        if (sameDiscipline)
            resultCache->setError(assignedId(response), response.attempt, text, serial);
        return false;
    }
    if (sameDiscipline) {
        TResultChange change;
        change.assignedId = assignedId(response);
        change.attempt = response.attempt;
        change.result = response.result;
        change.serial = serial;
        resultCache->changeCommitted(change);
        if (loadsInFlight_ > 0)
            committedDuringLoad_.push_back(change);
        if (response.otherDeskStored)
            showOtherDeskStored(change.assignedId, change.attempt, response.result);
    }
    return true;
}

void TResultDialog::showOtherDeskStored(int id, int attempt, const std::optional<proto::ResultType>& held)
{
    const int index = resultCache->indexOfAssignedId(id);
    resultCache->setWarning(index, attempt,
                            QStringLiteral("Ein anderer Arbeitsplatz hat inzwischen \"%1\" gespeichert; dieser Wert "
                                           "bleibt.")
                                .arg(resultCache->resultText(held ? &*held : nullptr)));
    for (int r = 0; r < grid_.dataRows(); ++r)
        if (resultCache->assignedIdOfRow(currentHeatId, r + 1) == id)
            StatusText->setFullText(grid_.cellStatusText(grid_.index(r, grid_.columnOfAttempt(attempt))));
}

// ---- choosers and version marking ----

void TResultDialog::ComboBox1Change()
{
    FTopIndex = 0;
    const bool byUser = std::exchange(userChangedDisc_, false);
    const int index = ComboBox1->currentIndex();
    if (index < 0) {
        currentDisciplinID = 0;
        currentDisciplinBarcodeId = 0;
        reload(TLoadType::lt_default);
        return;
    }
    const int id = ComboBox1->itemData(index).toInt();
    if (id == currentDisciplinID)
        return;
    CheckBox1->setChecked(false);
    readVersionFromEdit1();
    if (resultCache->getDisciplinId() != id) {
        if (!CheckDiscLeave()) {
            selectComboIntegerFilter(*ComboBox1, currentDisciplinID, -1);
            return;
        }
        currentDisciplinID = id;
        currentDisciplinBarcodeId = 0;
        currentHeatId = 0;
        reload(TLoadType::lt_default);
    } else {
        currentDisciplinID = id;
    }
    if (byUser)
        StringGrid1->scrollToTop();
}

void TResultDialog::ComboBox2Change()
{
    FTopIndex = 0;
    const int heat = ComboBox2->currentIndex() + 1;
    if (heat != currentHeatId)
        StringGrid1->scrollToTop();
    currentHeatId = heat;
    rebuildGrid();
}

void TResultDialog::readVersionFromEdit1()
{
    QPalette palette = Edit1->palette();
    if (!CheckBox1->isChecked()) {
        ListVersionToCompare = kNoListVersion;
    } else {
        const TVersionBoxState state = readVersionBox(Edit1->text(), resultCache ? resultCache->ListVersion() : 0);
        ListVersionToCompare = state.version;
        switch (state.look) {
        case TVersionBoxState::Normal:
            palette = Edit1->style()->standardPalette();
            Edit1->setToolTip({});
            break;
        case TVersionBoxState::AboveCurrent:
            palette.setColor(QPalette::Base, QColor(255, 255, 176));
            Edit1->setToolTip(kVersionAboveHint);
            break;
        case TVersionBoxState::Invalid:
            palette.setColor(QPalette::Base, QColor(255, 176, 176));
            Edit1->setToolTip(kVersionInvalidHint);
            CheckBox1->setChecked(false);
            break;
        }
        Edit1->setPalette(palette);
    }
    grid_.setVersionToCompare(ListVersionToCompare);
    StringGrid1->viewport()->update();
}

// ---- list barcodes and keys ----

bool TResultDialog::OnBarcode(const QString& code)
{
    if (code.isEmpty() || code.front() != QLatin1Char('L')) {
        Timer1.stop();
        return false;
    }
    Fbarcode = code; // under the dispatcher's lock
    Timer1.start();
    return true;
}

void TResultDialog::Timer1Timer()
{
    Timer1.stop();
    QString code;
    {
        std::lock_guard lock(BarcodeCriticalSection());
        code = Fbarcode;
    }
    const std::optional<TListBarcode> list = readListBarcode(code);
    if (!list) {
        context().messages().AddWarning(0, {}, QStringLiteral("Ungültiger Wettkampflistenbarcode"),
                                        QStringLiteral("Barcode scannen"), this);
        return;
    }
    showAndLoadBarcodeDisciplin(list->disciplineBarcode, list->heat, list->version, list->topRow);
}

bool TResultDialog::hotKeyCallback(int key)
{
    if (key != Qt::Key_P)
        return false;
    printProtocolClick();
    return true;
}

// ---- menus ----

void TResultDialog::printProtocolClick()
{
    if (!StringGrid1->isVisibleTo(this) || !CheckDiscLeave())
        return;
    reload(TLoadType::lt_print);
}

void TResultDialog::Rangfolgeerfassen1Click()
{
    int attempt = 1;
    if (resultCache->getAttempts() > 1) {
        const std::optional<QString> answer = context().dialogs().getText(
            this, QStringLiteral("Laufnummer wählen"),
            QStringLiteral("Die Disziplin ist für mehrere Versuche konfiguriert. Für welchen soll die Rangfolge "
                           "erfasst werden?"),
            QStringLiteral("1"));
        if (answer) {
            bool ok = false;
            attempt = answer->trimmed().toInt(&ok);
            if (!ok || attempt < 1 || attempt > resultCache->getAttempts()) {
                context().messages().AddException(0, {}, QStringLiteral("Ungültige Versuchsnummer"),
                                                  kFinishingOrderCaption, this);
                return;
            }
        }
    }
    if (auto* order = context().windows().findOrPlaceholder<IAquireBibOrderForm>(TWindowId::AquireBibOrderForm))
        order->showDialog(currentDisciplinID, attempt);
}

void TResultDialog::showGridMenu(const QPoint& pos)
{
    const QModelIndex clicked = StringGrid1->indexAt(pos);
    if (clicked.isValid()) {
        // A fixed column counts as the first attempt.
        const int column = grid_.attemptOfColumn(clicked.column()) == 0 ? grid_.fixedColumns() : clicked.column();
        StringGrid1->setCurrentIndex(grid_.index(clicked.row(), column));
    }
    const QModelIndex current = StringGrid1->currentIndex();
    AthletevonDisziplinabmelden1->setEnabled(current.isValid() && current.row() < grid_.dataRows());
    Fehlermeldunganzeigen1->setEnabled(!grid_.cellStatusText(current).isEmpty());
    PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(pos));
}

void TResultDialog::AthletevonDisziplinabmelden1Click()
{
    const QModelIndex current = StringGrid1->currentIndex();
    if (!current.isValid())
        return;
    const int id = resultCache->isTeamDisc() ? grid_.teamId(current.row()) : grid_.athleteId(current.row());
    if (id == 0)
        return;
    if (context().dialogs().messageBox(this, QStringLiteral("Fortfahren?"),
                                       QStringLiteral("Athleten/Team aus Disziplineinteilung wirklich entfernen?"),
                                       TMsgKind::Question, TMsgButtons::YesNo) == TMsgAnswer::No)
        return;
    if (!CheckDiscLeave())
        return;
    if (auto* lists = context().windows().getOrPlaceholder<IDisciplinListForm>(TWindowId::DisciplinListForm))
        lists->removeAbstractAthlete({id}, currentDisciplinID);
}

void TResultDialog::Fehlermeldunganzeigen1Click()
{
    const QString text = grid_.cellStatusText(StringGrid1->currentIndex());
    if (!text.isEmpty())
        showInformation(this, QStringLiteral("Warnmeldung anzeigen"), text);
}

} // namespace tvp
