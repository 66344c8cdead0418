#include "setup/ui/CompSetupWizardDialog.h"

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/SlotGuard.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "setup/WizardImportRequests.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCreateCaption = QStringLiteral("Veranstaltung anlegen");
const QString kWizardCaption = QStringLiteral("Neue Veranstaltung anlegen");
const QString kCloseCaption = QStringLiteral("Wizard beenden");

QString errorText(const std::exception& e)
{
    if (const auto* tvp = dynamic_cast<const TvpError*>(&e))
        return tvp->message();
    return QString::fromUtf8(e.what());
}

// The user has been told already (a name question); Next stays on the page without a report.
struct EAlreadyReported : std::exception {};

QColor panelColour(TWizardMessageType type)
{
    switch (type) {
    case mt_Error: return QColor(0xFF, 0x80, 0x80);
    case mt_Warning: return QColor(0xFF, 0xFF, 0x60);
    case mt_Info: break;
    }
    return QColor(0x80, 0x80, 0xFF);
}

QString panelCaption(TWizardMessageType type)
{
    switch (type) {
    case mt_Error: return QStringLiteral("Fehler:");
    case mt_Warning: return QStringLiteral("Warnung:");
    case mt_Info: break;
    }
    return QStringLiteral("Hinweis:");
}

class TWizardFinishInfo : public TWizardPageInfo {
public:
    TWizardFinishInfo() : TWizardPageInfo(QString(), false, QStringLiteral("Veranstaltung öffnen")) {}
    QString getWarningOrigin() const override { return QStringLiteral("Abschluss"); }
    bool validateInput(bool, bool) override { return true; }
    bool NextButtonClick() override { return false; }
};

// Clicks, keys and the wheel on the tab row do not switch pages; a click acts as Back.
class TTabRowGuard : public QObject {
public:
    explicit TTabRowGuard(TCompSetupWizardForm& wizard) : QObject(&wizard), wizard_(wizard) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress: guarded([this] { wizard_.BackButtonClick(); }); return true;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel: return true;
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & Qt::ControlModifier)
                switch (key->key()) {
                case Qt::Key_Tab:
                case Qt::Key_Backtab:
                case Qt::Key_PageUp:
                case Qt::Key_PageDown: return true;
                }
            const bool arrow = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
                               key->key() == Qt::Key_Home || key->key() == Qt::Key_End;
            return arrow && watched == wizard_.PageControl1->tabBar();
        }
        default: return false;
        }
    }

private:
    TCompSetupWizardForm& wizard_;
};

} // namespace

struct TImportSessionRoad {
    TRequestRoad<TWizardImportRequest, TWizardImportResponse> road;
};

QString nextCompStepsText()
{
    return QStringLiteral(
        "1. Veranstaltungsdaten prüfen: Über \"Veranstaltung\" die Altersklassen, Disziplinen und Startgelder "
        "kontrollieren und bei Bedarf anpassen.\n"
        "2. Wettkampfanlagen und Zeitplan festlegen: Jeder Disziplin eine Anlage und eine Startzeit geben.\n"
        "3. Meldungen erfassen: Vereine, Teams und AthletInnen anlegen oder aus einer Datei bzw. dem "
        "Browser-Client importieren.\n"
        "4. Startnummern vergeben und Riegen bzw. Durchgänge einteilen.\n"
        "5. Unterlagen drucken: Meldelisten, Riegenlisten, Ergebniszettel und Rechnungen.\n"
        "6. Am Wettkampftag die Ergebnisse erfassen und die Wertungen laufend prüfen.\n"
        "7. Ergebnislisten und Urkunden drucken, Ergebnisse veröffentlichen und die Veranstaltung sichern.");
}

TWizardTabForm::TWizardTabForm(TCompSetupWizardForm& wizard, QWidget* parent) : QWidget(parent), wizard_(wizard)
{
}

TCompSetupWizardForm::TCompSetupWizardForm(TWindowContext& context, QWidget* parent)
    : TCompSetupWizardForm(context, &createWizardPages, parent)
{
}

TCompSetupWizardForm::TCompSetupWizardForm(TWindowContext& context, const TWizardPageFactory& pages, QWidget* parent)
    : QDialog(parent), context_(context), FWarningManager(std::make_unique<TWarningManager>(this))
{
    setObjectName(QStringLiteral("CompSetupWizardForm"));
    setWindowTitle(kWizardCaption);
    setMinimumSize(700, 550);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setUsesScrollButtons(true);
    PageControl1->tabBar()->setElideMode(Qt::ElideNone);
    const auto addSheet = [this](const char* name, const QString& caption) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QString::fromLatin1(name));
        PageControl1->addTab(sheet, caption);
        return sheet;
    };
    addSheet("TabSheetStart", QStringLiteral("Neue Veranstaltung"));
    addSheet("TabSheetCompType", QStringLiteral("Veranstaltungstyp"));
    addSheet("TabSheetCompMetaData", QStringLiteral("Veranstaltungsdaten"));
    addSheet("TabSheetAgeClasses", QStringLiteral("Altersklassen"));
    QWidget* finished = addSheet("TabSheetWizardFinished", QStringLiteral("Veranstaltung angelegt"));
    PageControl1->setTabEnabled(tabHeading, false);

    auto* done = new QLabel(QStringLiteral("Die Veranstaltung wurde erfolgreich angelegt."), finished);
    done->setObjectName(QStringLiteral("FinishedLabel"));
    QFont bold = done->font();
    bold.setBold(true);
    done->setFont(bold);
    auto* stepsLabel = new QLabel(QStringLiteral("Nächste Schritte:"), finished);
    stepsLabel->setObjectName(QStringLiteral("NextStepsLabel"));
    auto* steps = new QPlainTextEdit(nextCompStepsText(), finished);
    steps->setObjectName(QStringLiteral("NextStepsMemo"));
    steps->setReadOnly(true);
    auto* later = new QLabel(QStringLiteral("Wenn Sie diese Schritte später nochmals anzeigen wollen nutzen Sie das "
                                            "Menu \"Hilfe\" in der Applikation."),
                             finished);
    later->setObjectName(QStringLiteral("HelpMenuLabel"));
    later->setWordWrap(true);
    auto* finishedLayout = new QVBoxLayout(finished);
    finishedLayout->addWidget(done);
    finishedLayout->addWidget(stepsLabel);
    finishedLayout->addWidget(steps, 1);
    finishedLayout->addWidget(later);

    WarningPanel = new QWidget(this);
    WarningPanel->setObjectName(QStringLiteral("WarningPanel"));
    WarningPanel->setAutoFillBackground(true);
    WarningTypeLabel = new QLabel(WarningPanel);
    WarningTypeLabel->setObjectName(QStringLiteral("WarningTypeLabel"));
    WarningTypeLabel->setFont(bold);
    WarningTextLabel =
        new QLabel(QStringLiteral("Die aktuellen Einstellungen entsprechen ggf. nicht den Vorgaben."), WarningPanel);
    WarningTextLabel->setObjectName(QStringLiteral("WarningTextLabel"));
    DetailsLabel = new QLabel(QStringLiteral("<a href=\"details\">Details</a>"), WarningPanel);
    DetailsLabel->setObjectName(QStringLiteral("DetailsLabel"));
    DetailsLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    auto* panelLayout = new QHBoxLayout(WarningPanel);
    panelLayout->addWidget(WarningTypeLabel);
    panelLayout->addWidget(WarningTextLabel, 1);
    panelLayout->addWidget(DetailsLabel);
    WarningPanel->hide();

    BackButton = new QPushButton(QStringLiteral("Zurück"), this);
    BackButton->setObjectName(QStringLiteral("BackButton"));
    NextButton = new QPushButton(QStringLiteral("Weiter"), this);
    NextButton->setObjectName(QStringLiteral("NextButton"));
    NextButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(WarningPanel, 1);
    buttons->addWidget(BackButton);
    buttons->addWidget(NextButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    resize(760, 580);

    auto* guard = new TTabRowGuard(*this);
    PageControl1->tabBar()->installEventFilter(guard);
    PageControl1->installEventFilter(guard);

    rollBackTimer_.setSingleShot(true);
    scrollTimer_.setSingleShot(true);
    connect(&rollBackTimer_, &QTimer::timeout, this, [this] { guarded([this] { rollBack(); }); });
    connect(&scrollTimer_, &QTimer::timeout, this, [this] { guarded([this] { scrollTabs(); }); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { scrollTimer_.start(scrollDelayMs); });
    connect(NextButton, &QPushButton::clicked, this, [this] { guarded([this] { NextButtonClick(); }); });
    connect(BackButton, &QPushButton::clicked, this, [this] { guarded([this] { BackButtonClick(); }); });
    connect(DetailsLabel, &QLabel::linkActivated, this, [this] { guarded([this] { showDetails(); }); });

    FCompCreationManager = std::make_unique<TCompCreationManager>(context, this, *this);
    PageInfo_WizardFinished = std::make_unique<TWizardFinishInfo>();
    pages_ = pages(*this);
    importRoad_.reset(
        new TImportSessionRoad{{context, wizardImportRequests(), this,
                                [this](std::unique_ptr<TWizardImportResponse> r, const TRequestOutcome& o) {
                                    guarded([&] { importFinished(std::move(r), o); });
                                }}});
    initCompWizard();
    fitToTexts(*this);
}

TCompSetupWizardForm::~TCompSetupWizardForm()
{
    importRoad_.reset();
    rollBackTimer_.stop();
    scrollTimer_.stop();
    FCurrentPageInfo = nullptr;
    // The inserted tabs' forms refer to the pages and the manager: gone first.
    if (pages_.clearAgeClasses)
        guarded([this] { pages_.clearAgeClasses(); });
}

QWidget* TCompSetupWizardForm::compTypeSheet() const
{
    return PageControl1->widget(tabCompType);
}
QWidget* TCompSetupWizardForm::compMetaDataSheet() const
{
    return PageControl1->widget(tabCompMetaData);
}
QWidget* TCompSetupWizardForm::ageClassSheet() const
{
    return PageControl1->widget(tabAgeClasses);
}

ICompTypePage* TCompSetupWizardForm::compTypePage() const
{
    return dynamic_cast<ICompTypePage*>(pages_.compType.get());
}

// ---- runs ----

void TCompSetupWizardForm::initCompWizard()
{
    if (ICompTypePage* page = compTypePage())
        page->setCompName(QString());
    FcompId = 0;
    FCompIDResult = 0;
    wizardcompleted = false;
    moveDirNext = true;
    FCurrentPageInfo = nullptr;
    {
        const QSignalBlocker quiet(PageControl1);
        PageControl1->setCurrentIndex(tabHeading);
    }
    for (int i = 2; i < PageControl1->count(); ++i)
        PageControl1->setTabVisible(i, false);
}

int TCompSetupWizardForm::startCompWizard()
{
    initCompWizard();
    activateTab(tabCompType);
    context_.dialogs().execModal(*this);
    hidePanel();
    return FCompIDResult;
}

int TCompSetupWizardForm::startFullCompCreation()
{
    FcompId = pages_.compType && compCreation ? compCreation(*pages_.compType) : 0;
    return FcompId;
}

int TCompSetupWizardForm::runCompCreation(TCompCreationInput input)
{
    const int id = FCompCreationManager->createCompetition(std::move(input));
    if (auto waiting = std::exchange(deferredImport_, std::nullopt))
        QTimer::singleShot(
            0, this, [this, waiting = *waiting] { guarded([&] { importToWizard(waiting.first, waiting.second); }); });
    return id;
}

void TCompSetupWizardForm::setCompetitionName(const QString& name)
{
    if (ICompTypePage* page = compTypePage())
        page->setCompName(name);
}

void TCompSetupWizardForm::nextPage(QObject*)
{
    // The unmapped-parameter window's button may be pressed again after the wizard ended.
    if (!wizardcompleted)
        guarded([this] { NextButtonClick(); });
}

int TCompSetupWizardForm::createSimpleComp(const QString& name, const QDate& date)
{
    proto::CompetitionInfoType info;
    info.Name = name;
    info.Date = date;
    try {
        // On the GUI thread with a slot of its own, and no transaction: one call creates it all.
        ChannelGuard slot;
        auto cms = proto::GetCompetitionManagementPortType(
            false, competitionUrlHolderInstance().getFullUrl(proto::TTVPWebServices::CMS), nullptr);
        const proto::createCompetitionResponse1 created = cms->createCompetition(info);
        FcompId = created.Competition ? created.Competition->ID : 0;
        return FcompId;
    } catch (const ETvExceptionDetail& e) {
        if (e.ExceptionID == 2) {
            const std::optional<QString> other =
                context_.dialogs().getText(this, QStringLiteral("Veranstaltungsname bereits vergeben"),
                                           QStringLiteral("Wollen Sie einen neuen Veranstaltungsnamen wählen:"), name);
            if (other) {
                if (ICompTypePage* page = compTypePage())
                    page->setCompName(*other);
                showInformation(this, QStringLiteral("Veranstaltungsname bereits vergeben"),
                                QStringLiteral("Name wurde geändert. Sie können jetzt erneut versuchen die "
                                               "Veranstaltung anzulegen."));
            }
            throw EAlreadyReported();
        }
        context_.messages().AddException(e.ExceptionID, e.ExceptionParameters, e.message(), kCreateCaption);
    } catch (const TvpError& e) {
        context_.messages().AddException(-1, {}, e.message(), kCreateCaption);
    }
    return 0;
}

bool TCompSetupWizardForm::quickPathNext()
{
    const QString wait = QStringLiteral("Lege Veranstaltung an...");
    context_.waitTexts().showWait(wait, this);
    struct TCloseWait {
        TWindowContext& context;
        const QString& text;
        ~TCloseWait() { context.waitTexts().closeWait(text); }
    } closeWait{context_, wait};
    ICompTypePage* page = compTypePage();
    if (!page)
        throw TvpError(QStringLiteral("Error creating new competition"));
    if (createSimpleComp(page->compName().trimmed(), page->compDate()) == 0)
        throw TvpError(QStringLiteral("Error creating new competition"));
    return false;
}

void TCompSetupWizardForm::ManualSetupChanged(bool ticked)
{
    if (ticked) {
        NextButton->setText(kCreateCaption);
        NextButtonClickCallback = [this] { return quickPathNext(); };
    } else if (TWizardPageInfo* page = pages_.compType.get()) {
        NextButton->setText(page->nextButtonLabel());
        NextButtonClickCallback = page->getNextButtonOp();
    }
}

void TCompSetupWizardForm::reset()
{
    FWarningManager->removeWarnings(nullptr);
    if (pages_.clearAgeClasses)
        pages_.clearAgeClasses();
}

// ---- the browser client's import ----

void TCompSetupWizardForm::importToWizard(const QString& sessionId, const QString& contextId)
{
    // The creation's worker reads the wizard's age classes, which the import drops: it comes after.
    if (FCompCreationManager->isCreating()) {
        deferredImport_ = {sessionId, contextId};
        return;
    }
    if (isVisible()) {
        raise();
        activateWindow();
        // Asked for by the browser, not here: the question waits without holding the program.
        if (asksBeforeClosing()) {
            context_.dialogs().ask(this, kCloseCaption, closeQuestion(), TMsgKind::Question, TMsgButtons::YesNo,
                                   TMsgAnswer::No,
                                   [this, alive = QPointer(this), sessionId, contextId](TMsgAnswer answer) {
                                       if (!alive || answer != TMsgAnswer::Yes)
                                           return;
                                       closeAgreed_ = isVisible();
                                       if (!closeAgreed_ || close())
                                           importToWizard(sessionId, contextId);
                                   });
            return;
        }
        if (!close())
            return;
    }
    {
        const QSignalBlocker quiet(PageControl1);
        PageControl1->setCurrentIndex(tabCompType);
    }
    hide();
    reset();
    auto request = std::make_unique<TWizardImportRequest>();
    request->sessionId = sessionId;
    request->contextId = contextId;
    if (importRoad_->road.AddRequest(std::move(request), TTransactionMode::tm_None) != 0)
        context_.waitTexts().showWait(QStringLiteral("Importiere Daten..."), nullptr);
}

void TCompSetupWizardForm::importFinished(std::unique_ptr<TWizardImportResponse> response,
                                          const TRequestOutcome& outcome)
{
    context_.waitTexts().closeWait(QStringLiteral("Importiere Daten..."));
    if (!outcome.ok() || !response) {
        context_.messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                         QStringLiteral("Veranstaltungsimport"));
        return;
    }
    if (isVisible())
        return;
    startCompWizardImport(response->items);
}

void TCompSetupWizardForm::startCompWizardImport(const std::vector<std::pair<QString, QString>>& items)
{
    const TWizardImportData data = readWizardImportItems(items);
    ICompTypePage* page = compTypePage();
    if (!page || !page->LoadCompetitionType(data.compTypeXml)) {
        context_.messages().AddException(-1, {}, QStringLiteral("Import fehlgeschlagen: Ungültiger Veranstaltungstyp"),
                                         QStringLiteral("Veranstaltungsdaten importieren"));
        return;
    }
    initCompWizard();
    PageControl1->setTabVisible(tabCompMetaData, true);
    PageControl1->setTabVisible(tabAgeClasses, true);
    page->setCompName(data.name);
    // An XML date may carry a zone after the day.
    page->setCompDate(QDate::fromString(data.date.left(10), Qt::ISODate));
    activateTab(tabCompMetaData);
    // Opened by the browser's request, not by a key or click here: no loop of its own.
    context_.dialogs().openModal(*this, [this, alive = QPointer(this)](int) {
        if (!alive)
            return;
        hidePanel();
        if (FCompIDResult != 0)
            if (auto* chooser = context_.windows().get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm))
                chooser->selectNewComp(FCompIDResult, true);
    });
}

// ---- navigation ----

void TCompSetupWizardForm::activateTab(int index)
{
    if (index < 0 || index >= PageControl1->count())
        return;
    PageControl1->setTabVisible(index, true);
    {
        const QSignalBlocker quiet(PageControl1);
        PageControl1->setCurrentIndex(index);
    }
    scrollTimer_.start(scrollDelayMs);
    tabChanged(index);
}

void TCompSetupWizardForm::tabChanged(int index)
{
    const int last = PageControl1->count() - 1;
    if (index == tabCompType)
        setCurrentPageInfo(pages_.compType.get());
    else if (index == tabCompMetaData)
        setCurrentPageInfo(pages_.compMetaData.get());
    else if (index == tabAgeClasses)
        setCurrentPageInfo(pages_.ageClasses.get());
    else if (index == last)
        setCurrentPageInfo(PageInfo_WizardFinished.get());
    else if (auto* form = qobject_cast<TWizardTabForm*>(PageControl1->widget(index)))
        form->FormShow();
}

void TCompSetupWizardForm::setCurrentPageInfo(TWizardPageInfo* page)
{
    BackButton->setEnabled(false);
    NextButton->setEnabled(false);
    FCurrentPageInfo = page;
    if (!page)
        return;
    try {
        if (moveDirNext)
            page->onInitPage();
        page->onActivatePage();
    } catch (const std::exception& e) {
        context_.messages().AddException(
            -1, {},
            QStringLiteral("Beim Initialisieren des nächsten Schritts ist ein Fehler aufgetreten: ") + errorText(e),
            kCreateCaption);
        FCurrentPageInfo = nullptr;
        rollBackTimer_.start(rollBackDelayMs);
        return;
    }
    BackButton->setEnabled(page->isBackButtonEnabled());
    NextButton->setEnabled(true);
    NextButton->setText(page->nextButtonLabel());
    NextButtonClickCallback = page->getNextButtonOp();
}

void TCompSetupWizardForm::NextButtonClick()
{
    if (!NextButton->isEnabled() || !FCurrentPageInfo)
        return;
    if (!FCurrentPageInfo->validateInput(false, true)) {
        flashPanel();
        return;
    }
    bool goOn = true;
    try {
        if (NextButtonClickCallback)
            goOn = NextButtonClickCallback();
    } catch (const EAlreadyReported&) {
        return;
    } catch (const std::exception&) {
        context_.messages().AddException(-1, {},
                                         QStringLiteral("Wizard kann nicht zum nächsten Schritt übergehen da ein "
                                                        "Fehler auf der aktuellen Seite aufgetreten ist."),
                                         QStringLiteral("Veranstaltungswizard fortsetzen"));
        return;
    }
    if (!goOn) {
        wizardcompleted = true;
        close();
        return;
    }
    moveDirNext = true;
    const int next = PageControl1->currentIndex() + 1;
    if (next < PageControl1->count()) {
        PageControl1->setTabVisible(next, true);
        if (auto* left = PageControl1->tabBar()->findChild<QToolButton*>(QStringLiteral("ScrollLeftButton")))
            for (int i = 0; i < PageControl1->count(); ++i)
                left->click();
        activateTab(next);
    }
}

void TCompSetupWizardForm::BackButtonClick()
{
    if (!BackButton->isEnabled() || !FCurrentPageInfo || !FCurrentPageInfo->isBackButtonEnabled() ||
        !FCurrentPageInfo->BackButtonClick())
        return;
    FWarningManager->removeWarnings(FCurrentPageInfo);
    moveDirNext = false;
    const int active = PageControl1->currentIndex();
    if (active > tabCompType) {
        activateTab(active - 1);
        PageControl1->setTabVisible(active, false);
    }
}

void TCompSetupWizardForm::rollBack()
{
    const int active = PageControl1->currentIndex();
    if (moveDirNext) {
        if (active > 1) {
            // Back to the page before, without initialising it again.
            moveDirNext = false;
            activateTab(active - 1);
            PageControl1->setTabVisible(active, false);
        } else {
            close();
        }
    } else {
        activateTab(active + 1);
    }
}

void TCompSetupWizardForm::scrollTabs()
{
    // The row scrolls by the number of tabs, so the last ones stay in view.
    QTabBar* row = PageControl1->tabBar();
    if (auto* right = row->findChild<QToolButton*>(QStringLiteral("ScrollRightButton")))
        for (int i = 0; i < PageControl1->count() && right->isEnabled(); ++i)
            right->click();
    // The row brings its current tab into view only when the current one changes: so it does, to
    // any other shown tab and back, without the pages noticing.
    const int current = row->currentIndex();
    for (int other = 0; other < row->count(); ++other)
        if (other != current && row->isTabVisible(other) && row->isTabEnabled(other)) {
            const QSignalBlocker quiet(row);
            row->setCurrentIndex(other);
            row->setCurrentIndex(current);
            break;
        }
}

// ---- inserted tabs ----

void TCompSetupWizardForm::insertWizardTab(int index, TWizardTabForm* form, const QString& caption)
{
    const QSignalBlocker quiet(PageControl1);
    const int at = PageControl1->insertTab(index + 1, form, caption);
    PageControl1->setTabVisible(at, false);
}

void TCompSetupWizardForm::removeWizardTab(TWizardTabForm* form)
{
    const int at = PageControl1->indexOf(form);
    if (at < 0)
        return;
    {
        const QSignalBlocker quiet(PageControl1);
        PageControl1->removeTab(at);
    }
    delete form;
}

int TCompSetupWizardForm::tabIndexOf(const QWidget* sheetOrForm) const
{
    return PageControl1->indexOf(const_cast<QWidget*>(sheetOrForm));
}

// ---- panel ----

void TCompSetupWizardForm::hidePanel()
{
    WarningPanel->hide();
}

void TCompSetupWizardForm::showPanel(TWizardMessageType type)
{
    QPalette palette = WarningPanel->palette();
    palette.setColor(QPalette::Window, panelColour(type));
    palette.setColor(QPalette::WindowText, Qt::black);
    WarningPanel->setPalette(palette);
    WarningTypeLabel->setText(panelCaption(type));
    WarningPanel->show();
}

void TCompSetupWizardForm::flashPanel()
{
    const auto invert = [this] {
        QPalette palette = WarningPanel->palette();
        const QColor c = palette.color(QPalette::Window);
        palette.setColor(QPalette::Window, QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()));
        WarningPanel->setPalette(palette);
        WarningPanel->repaint();
    };
    invert();
    // Not a blocking wait: the window keeps painting, and a second Next meanwhile cannot flash twice.
    NextButton->setEnabled(false);
    QTimer::singleShot(flashMs, this, [this, invert] {
        invert();
        NextButton->setEnabled(FCurrentPageInfo != nullptr);
    });
}

void TCompSetupWizardForm::showDetails()
{
    const ICompTypePage* page = compTypePage();
    context_.dialogs().messageBox(this, kWizardCaption,
                                  warningDetailsText(FWarningManager->getMessages(), FWarningManager->status(),
                                                     page ? page->compTypeDisplayName() : QString()),
                                  TMsgKind::Information, TMsgButtons::Ok, TMsgAnswer::Ok);
}

// ---- window ----

void TCompSetupWizardForm::closeEvent(QCloseEvent* event)
{
    if (wizardcompleted) {
        FCompIDResult = FcompId;
    } else if (!std::exchange(closeAgreed_, false) && asksBeforeClosing()) {
        // "Ja" throws away every setting made so far: Enter keeps them.
        if (context_.dialogs().messageBox(this, kCloseCaption, closeQuestion(), TMsgKind::Question, TMsgButtons::YesNo,
                                          TMsgAnswer::No) != TMsgAnswer::Yes) {
            event->ignore();
            return;
        }
    }
    event->accept();
    QDialog::done(wizardcompleted ? Accepted : Rejected);
}

bool TCompSetupWizardForm::asksBeforeClosing() const
{
    return !wizardcompleted && FCurrentPageInfo && !FCurrentPageInfo->closeMessage().isEmpty() && isVisible();
}

QString TCompSetupWizardForm::closeQuestion() const
{
    return FCurrentPageInfo->closeMessage() + QStringLiteral("\n") +
           QStringLiteral("Möchten Sie den Wizard wirklich beenden?");
}

void TCompSetupWizardForm::reject()
{
    // Escape asks like the window's close box.
    close();
}

void TCompSetupWizardForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

void TCompSetupWizardForm::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    scrollTimer_.start(scrollDelayMs);
}

void TCompSetupWizardForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    scrollTimer_.start(scrollDelayMs);
    if (pages_.fitAgeClassColumns)
        guarded([this] { pages_.fitAgeClassColumns(); });
}

} // namespace tvp
