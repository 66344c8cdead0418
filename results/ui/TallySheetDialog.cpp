#include "results/ui/TallySheetDialog.h"

#include "core/barcode/BarcodeDispatcher.h"
#include "core/connection/SlotGuard.h"
#include "core/print/PrintTable.h"
#include "core/print/TallySheetPrint.h"
#include "core/print/ui/Print.h"
#include "core/results/tvpUtils.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "results/ui/CaptureHooks.h"
#include "core/ui/WindowFit.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

namespace {

using enum TTallySheetRequestType;

const QString kCaption = QStringLiteral("Strichlistenerfassung");
const QString kPart; // the one dirty part: its question takes the window's caption
const QString kContinueCaption = QStringLiteral("Fortfahren?");
const QString kContinueQuestion = QStringLiteral("Es sind noch ungespeicherte Änderungen in der "
                                                 "Strichlistenerfassung. Diese gehen beim Fortfahren verloren. "
                                                 "Fortfahren?");
const QString kSumGreen = QStringLiteral("color: #008000;");

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

// ---- the grid ----

TTallyGrid::TTallyGrid(QWidget* parent) : TEntryGrid(parent)
{
    setItemDelegate(new TTallyGridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    verticalHeader()->hide();
}

void TTallyGrid::keyPressEvent(QKeyEvent* event)
{
    // While an editor is open its own Enter has been dealt with by the delegate.
    if (isEnter(event) && state() != QAbstractItemView::EditingState) {
        emit enterPressed();
        return;
    }
    TEntryGrid::keyPressEvent(event);
}

QWidget* TTallyGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        auto* self = const_cast<TTallyGridDelegate*>(this);
        connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
    }
    return editor;
}

bool TTallyGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && isEnter(event)) {
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        emit grid_->enterPressed();
        return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// ---- the window ----

TTallySheetForm::TTallySheetForm(TWindowContext& context) : TTVPForm(context)
{
    setWindowTitle(kCaption);
    checkMessage = kContinueQuestion;
    road_ = std::make_unique<TTallySheetRoad>(context, tallySheetRequests(), this,
                                              [this](std::unique_ptr<TTallySheetResponse> r, const TRequestOutcome& o) {
                                                  guarded([&] { RequestFinished(std::move(r), o); });
                                              });
    buildControls();
    setTallyList(QString());
    setSheetShown(false);

    Timer1.setSingleShot(true);
    Timer1.setInterval(10);
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    subscribeBarcodes(this);
}

TTallySheetForm::~TTallySheetForm()
{
    // Gone first: a request finishing later calls nobody back.
    road_.reset();
}

void TTallySheetForm::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    layout->setMenuBar(MainMenu1);
    QMenu* print = MainMenu1->addMenu(QStringLiteral("Drucken"));
    print->setObjectName(QStringLiteral("Drucken1"));
    Protokoll1 = print->addAction(QStringLiteral("Protokoll für Strichliste (Strg+P)"));
    Protokoll1->setObjectName(QStringLiteral("ProtokollfrStrichliste1"));
    connect(Protokoll1, &QAction::triggered, this, [this] { guarded([this] { printClick(); }); });

    Label1 = new QLabel(QStringLiteral("Disziplin: -"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);
    auto* choice = new QHBoxLayout;
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setMinimumContentsLength(24);
    choice->addWidget(ComboBox1);
    choice->addWidget(ComboBox2, 1);
    layout->addLayout(choice);
    connect(ComboBox1, &QComboBox::activated, this, [this] { guarded([this] { selectionChanged(true); }); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { guarded([this] { selectionChanged(false); }); });

    StringGrid1 = new TTallyGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(&grid_);
    // Wider than designed where a caption needs it, also in bold as the current column's.
    for (const auto& [column, width] : {std::pair{0, 80}, {1, 100}})
        StringGrid1->setColumnWidth(
            column, std::max(width, headerTextWidth(*StringGrid1->horizontalHeader(),
                                                    grid_.headerData(column, Qt::Horizontal).toString())));
    layout->addWidget(StringGrid1, 1);
    connect(StringGrid1, &TTallyGrid::enterPressed, this, [this] { guarded([this] { gridEnter(); }); });
    connect(&grid_, &QAbstractItemModel::dataChanged, this, [this] { guarded([this] { cellsEdited(); }); });

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(Label2);
    Button1 = new QPushButton(QStringLiteral("Ergebnis übernehmen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setEnabled(false);
    layout->addWidget(Button1);
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { saveData(); }); });
    resize(320, 560);
}

// ---- entry points ----

void TTallySheetForm::ShowTallyDialog(int discId, int athleteOrTeamId, int attempt)
{
    currentDiscId = discId;
    currentAthleteOrTeamId = athleteOrTeamId;
    currentAttempt = attempt;
    currentVersion = kTallyNoVersion;
    if (auto* results = context().windows().find<IResultDialog>())
        results->cancelEdit();
    showReloaded();
}

void TTallySheetForm::ShowTallyBarcodeDialog(int discBarcodeId, int athleteOrTeamBarcodeId, int attempt, int version)
{
    currentDiscId = 0;
    currentAthleteOrTeamId = 0;
    currentAttempt = attempt;
    currentDiscBarcodeId = discBarcodeId;
    currentAthleteOrTeamBarcodeId = athleteOrTeamBarcodeId;
    currentVersion = version;
    if (auto* results = context().windows().find<IResultDialog>())
        results->cancelEdit();
    showReloaded();
}

void TTallySheetForm::unload()
{
    currentDiscId = currentAthleteOrTeamId = currentAttempt = 0;
    currentDiscBarcodeId = currentAthleteOrTeamBarcodeId = 0;
    currentVersion = kTallyNoVersion;
    setTallyList(QString());
    reload(false);
}

// ---- loading ----

void TTallySheetForm::setSheetShown(bool shown)
{
    StringGrid1->setVisible(shown);
    Label2->setVisible(shown);
    Protokoll1->setEnabled(shown);
    if (!shown)
        Button1->setEnabled(false);
}

void TTallySheetForm::reload(bool forPrint)
{
    // A reload asked without the question (another window stored) keeps the typed counts; one the
    // user agreed to, or the protocol's, shows what is stored.
    typedSheet_.reset();
    const TTypedSheet sheet{currentDiscId, currentAthleteOrTeamId, currentAttempt};
    if (!forPrint && hasDirtyData(kPart) && sheet.participantId != 0 && sheet == shownSheet_)
        typedSheet_ = sheet;
    setSheetShown(false);
    ComboBox1->setEnabled(false);
    ComboBox2->setEnabled(false);
    Label1->setText(QStringLiteral("Disziplin: -"));
    if (currentDiscId == 0 && currentDiscBarcodeId == 0)
        return;
    auto request = std::make_unique<TTallySheetRequest>();
    request->reqType = forPrint ? rt_PrintList : rt_getList;
    request->listVersion = currentVersion;
    request->attempt = currentAttempt;
    if (currentDiscId != 0) {
        request->DisciplinId = currentDiscId;
        request->AthleteOrTeamId = currentAthleteOrTeamId;
    } else {
        request->findByBarcodeId = true;
        request->DisciplinId = currentDiscBarcodeId;
        request->AthleteOrTeamId = currentAthleteOrTeamBarcodeId;
        currentDiscBarcodeId = currentAthleteOrTeamBarcodeId = 0;
    }
    road_->AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TTallySheetForm::RequestFinished(std::unique_ptr<TTallySheetResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        road_->report(outcome);
        // A failed save keeps the counts in the grid for another try.
        showDirtyState(hasDirtyData(kPart));
        return;
    }
    if (!response)
        return;
    if (response->reqType == rt_setResult) {
        // The saved list is the stored one now, whether or not the result window lets us reload.
        FTallyString = response->TallyListString;
        pointsStored_ = true;
        DoItemChangeCheck(kPart);
        showDirtyState(hasDirtyData(kPart));
        context().windows().reload(TWindowId::ResultDialog, false);
        context().windows().reloadIfVisible(TWindowId::ResultCheckForm);
        return;
    }
    loaded(*response);
    if (response->reqType == rt_PrintList)
        printProtocol(*response, outcome.action);
}

void TTallySheetForm::loaded(const TTallySheetResponse& response)
{
    participants_.clear();
    ComboBox1->clear();
    ComboBox2->clear();
    if (response.DisciplinId == 0 || !response.discipline.Disciplin)
        return;
    if (response.findByBarcodeId) {
        currentDiscId = response.DisciplinId;
        currentAthleteOrTeamId = response.AthleteOrTeamId;
    }
    const proto::DisciplinType& disc = *response.discipline.Disciplin;
    if (disc.ResultAssignment != proto::ResultAssignmentType::byAthleteOrTeam || !response.hasPointsAsResultFormat) {
        currentDiscId = 0;
        return;
    }
    disciplineName_ = disc.Name;
    disciplineBarcode_ = disc.Barcode;
    listVersion_ = response.getParticipantsResponse.ListVersion;
    Label1->setText(QStringLiteral("Disziplin: ") + disc.Name);
    isTeamDisc = disc.ResultTableType && disc.ResultTableType->Team;

    const int attempts = disc.ResultTableType ? disc.ResultTableType->ResultsPerRow : 0;
    for (int i = 1; i <= attempts; ++i)
        ComboBox1->addItem(QString::number(i));
    ComboBox1->setEnabled(attempts >= 1);
    currentAttempt = response.attempt;
    ComboBox1->setCurrentIndex(currentAttempt - 1);

    participants_ = tallyParticipants(response.getParticipantsResponse, isTeamDisc);
    int selected = -1;
    for (const TTallyParticipant& p : participants_) {
        if (p.id == currentAthleteOrTeamId && selected < 0)
            selected = ComboBox2->count();
        ComboBox2->addItem(p.text, p.id);
    }
    ComboBox2->setEnabled(!response.getParticipantsResponse.HeatList.empty());
    ComboBox2->setCurrentIndex(selected);
    if (selected < 0)
        currentAthleteOrTeamId = 0;

    pointsStored_ = response.result && !isEmptyResult(&*response.result) &&
                    response.result->Type_ == proto::ResultValueType::Distance;
    // Overlapping reloads each keep them: the one that asked last set what they are.
    const std::optional<TTypedSheet> typed = typedSheet_;
    const bool sameSheet = typed && *typed == TTypedSheet{currentDiscId, currentAthleteOrTeamId, currentAttempt};
    if (sameSheet) {
        // The stored list changes under the typed counts, which stay as typed.
        FTallyString = tallyListOf(tallyCellsOf(response.TallyListString));
        refreshTotalSum();
        DoItemChangeCheck(kPart);
    } else if (typed && keepOverReload()) {
        // "Nein": the typed counts stay on their sheet, as shown before.
        currentDiscId = typed->discId;
        currentAthleteOrTeamId = typed->participantId;
        currentAttempt = typed->attempt;
    } else {
        setTallyList(response.TallyListString);
    }
    shownSheet_ = {currentDiscId, currentAthleteOrTeamId, currentAttempt};
    if (currentAttempt != 0 && currentAthleteOrTeamId != 0) {
        setSheetShown(true);
        showDirtyState(hasDirtyData(kPart));
        // Typing goes on where it was, and only a sheet loaded for the user takes the focus.
        if (!typed) {
            StringGrid1->setCurrentIndex(grid_.index(0, 1));
            StringGrid1->setFocus();
        }
    }
}

const TTallyParticipant* TTallySheetForm::currentParticipant() const
{
    const int index = ComboBox2->currentIndex();
    return index >= 0 && index < int(participants_.size()) ? &participants_[std::size_t(index)] : nullptr;
}

// ---- counts and their state ----

void TTallySheetForm::setTallyList(const QString& tallyList)
{
    loading_ = true;
    grid_.setTallyList(tallyList);
    loading_ = false;
    // A shorter or odd list is stored as it reads back, so it shows as unchanged.
    FTallyString = grid_.tallyList();
    refreshTotalSum();
    DoItemChangeCheck(kPart);
    showDirtyState(hasDirtyData(kPart));
}

void TTallySheetForm::cellsEdited()
{
    if (loading_)
        return;
    refreshTotalSum();
    DoItemChangeCheck(kPart);
}

qint64 TTallySheetForm::refreshTotalSum()
{
    const TTallySum sum = grid_.sum();
    if (!sum.ok()) {
        Label2->setText(QStringLiteral("Ungültige Dateneingabe. Bitte korrigieren."));
        return -sum.invalidRow;
    }
    Label2->setText(QStringLiteral("Berechnete Summe: ") + QString::number(sum.sum));
    return sum.sum;
}

bool TTallySheetForm::checkItemChanged(const QString&)
{
    if (grid_.tallyList() != FTallyString)
        return true;
    // Zeros typed where no points are stored read as the empty sheet, yet a child who scored
    // nothing has a result to store.
    const QStringList& cells = grid_.cells();
    return !pointsStored_ &&
           std::any_of(cells.begin(), cells.end(), [](const QString& cell) { return !cell.trimmed().isEmpty(); });
}

void TTallySheetForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    showDirtyState(changed);
}

void TTallySheetForm::showDirtyState(bool changed)
{
    const bool participant = currentAthleteOrTeamId != 0;
    Button1->setEnabled(changed && participant && StringGrid1->isVisibleTo(this));
    Label2->setStyleSheet(!changed && participant ? kSumGreen : QString());
}

void TTallySheetForm::selectionChanged(bool attemptBox)
{
    DoItemChangeCheck(kPart);
    if (hasDirtyData(kPart) && showDirtyDataMessage(kContinueCaption, kContinueQuestion)) {
        ComboBox1->setCurrentIndex(currentAttempt - 1);
        int previous = -1;
        for (int i = 0; i < ComboBox2->count(); ++i)
            if (ComboBox2->itemData(i).toInt() == currentAthleteOrTeamId)
                previous = i;
        ComboBox2->setCurrentIndex(previous);
        return;
    }
    if (attemptBox)
        currentAttempt = ComboBox1->currentIndex() + 1;
    else
        currentAthleteOrTeamId = ComboBox2->currentIndex() >= 0 ? ComboBox2->currentData().toInt() : 0;
    if (currentAttempt == 0 || currentAthleteOrTeamId == 0) {
        setSheetShown(false);
        return;
    }
    reload(false);
    const int version = attemptBox ? kTallyNoVersion : currentVersion;
    if (auto* results = context().windows().find<IResultDialog>()) {
        if (isTeamDisc)
            results->goToTeam(currentDiscId, currentAthleteOrTeamId, currentAttempt, version, true, false);
        else
            results->goToAthlete(currentDiscId, currentAthleteOrTeamId, currentAttempt, false, version, true, false);
    }
}

void TTallySheetForm::reportInvalidRow(int row)
{
    StringGrid1->setCurrentIndex(grid_.index(row - 1, 1));
    StringGrid1->setFocus();
    context().messages().AddException(0, {},
                                      QStringLiteral("Ungültige Eingabe in Zeile %1. Nur nicht-negative ganzzahlige "
                                                     "Werte oder leeres Feld zulässig.")
                                          .arg(row),
                                      kCaption, this);
}

void TTallySheetForm::gridEnter()
{
    const qint64 sum = refreshTotalSum();
    if (sum < 0) {
        reportInvalidRow(int(-sum));
        return;
    }
    const int row = StringGrid1->currentIndex().row();
    if (row < kTallyZones - 1) {
        StringGrid1->setCurrentIndex(grid_.index(row + 1, 1));
        return;
    }
    if (askYesNo(this, QStringLiteral("Ergebnis für Teilnehmer übernehmen"),
                 QStringLiteral("Sollen die Ergebnisse für die Strichliste übernommen werden?")))
        saveData();
}

void TTallySheetForm::saveData()
{
    const qint64 sum = refreshTotalSum();
    if (sum < 0) {
        reportInvalidRow(int(-sum));
        return;
    }
    if (currentDiscId == 0 || currentAthleteOrTeamId == 0 || currentAttempt == 0) {
        context().messages().AddException(
            0, {},
            QStringLiteral("Daten konnten nicht gespeichert werden, da Disziplin, Teilnehmer oder Versuch keinen "
                           "gültigen Wert besitzt. Aktualisieren Sie ggf. das Fenster (F5)."),
            road_->requestName(int(rt_setResult)), this);
        return;
    }
    Button1->setEnabled(false);
    road_->AddRequest(
        makeTallySave(currentDiscId, currentAthleteOrTeamId, isTeamDisc, currentAttempt, sum, grid_.tallyList()),
        TTransactionMode::tm_readwrite);
}

// ---- scanned sheets and keys ----

bool TTallySheetForm::OnBarcode(const QString& code)
{
    if (code.isEmpty() || code.front() != QLatin1Char('T'))
        return false;
    barcode = code; // under the dispatcher's lock
    Timer1.start();
    return true;
}

void TTallySheetForm::Timer1Timer()
{
    QString code;
    {
        std::lock_guard lock(BarcodeCriticalSection());
        code = barcode;
    }
    TTallyBarcode sheet;
    switch (readTallyBarcode(code, sheet)) {
    case TTallyBarcodeRead::Ignored: return;
    case TTallyBarcodeRead::Invalid:
        context().messages().AddWarning(0, {}, QStringLiteral("Ungültiger Strichlistenbarcode"),
                                        QStringLiteral("Barcode scannen"), this);
        return;
    case TTallyBarcodeRead::Read: break;
    }
    if (auto* results = context().windows().find<IResultDialog>())
        results->goToBarcodeAthlete(sheet.disciplineBarcode, sheet.participantBarcode, sheet.attempt, sheet.version,
                                    true);
    ShowTallyBarcodeDialog(sheet.disciplineBarcode, sheet.participantBarcode, sheet.attempt, sheet.version);
}

bool TTallySheetForm::hotKeyCallback(int key)
{
    if (key != Qt::Key_P)
        return false;
    printClick();
    return true;
}

// ---- the protocol ----

void TTallySheetForm::printClick()
{
    if (!Protokoll1->isEnabled())
        return;
    DoItemChangeCheck(kPart);
    if (hasDirtyData(kPart) && showDirtyDataMessage(kContinueCaption, kContinueQuestion))
        return;
    // The protocol shows what is stored: the counts are read again first.
    reload(true);
}

void TTallySheetForm::printProtocol(const TTallySheetResponse& response, const TUserAction& action)
{
    const QString caption = road_->requestName(int(rt_PrintList));
    QString missing;
    if (currentDiscId == 0 || response.DisciplinId == 0)
        missing = QStringLiteral("Keine Disziplin geladen");
    else if (currentAthleteOrTeamId == 0)
        missing = QStringLiteral("Kein Teilnehmer geladen");
    else if (currentAttempt == 0)
        missing = QStringLiteral("Kein Versuch geladen");
    if (!missing.isEmpty()) {
        context().messages().AddException(0, {}, missing, caption, this);
        return;
    }
    // The printer dialog answers the user's print; it waits without holding the program.
    const int stored = response.result ? storedTallyPoints(response.result->DistanceInMeter) : 0;
    const TAnswerTo answer(action);
    ChoosePrinterThen(this, [this, guard = TLoadGuard(this), stored](bool confirmed) {
        if (confirmed && guard.holds())
            printSheet(stored);
    });
}

void TTallySheetForm::printSheet(int stored)
{
    const QString caption = road_->requestName(int(rt_PrintList));
    std::unique_ptr<TPrintManager> manager =
        InitPrint(false, disciplineName_ + QStringLiteral(" - Strichlistenprotokoll"), false, this);
    if (!manager)
        return;
    {
        TWaitText wait(kPrintWaitText, this);
        const TTallyParticipant* participant = currentParticipant();
        const TTallySum sum = grid_.sum();
        const int computed = storedTallyPoints(double(sum.ok() ? sum.sum : 0));
        auto printContext = std::make_shared<TDisciplinePrintContext>(
            participant ? participant->squad : QString(), participant ? participant->heat : 0,
            proto::ResultValueType::Distance, QStringLiteral("Strichlistenprotokoll"), disciplineName_, currentDiscId,
            disciplineBarcode_, listVersion_, QString(), 0.0);
        const TPrintTable table(grid_, isTeamDisc);
        manager->setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_none, false, TResultformat::rf_Points));
        manager->setHeaderSpacing(150);
        manager->setFooterSpacing(30);
        manager->setPageFooter(std::make_shared<TTVPFooter>());
        manager->setContent(std::make_shared<TTallyProtocolPrintBody>(
            table, 120, printContext, currentAttempt, participant ? participant->teamName : QString(),
            participant ? participant->athleteNames : QString(), stored, computed));
        manager->render();
    }
    endPrintJob(*manager, context().messages(), caption, this);
}

} // namespace tvp
