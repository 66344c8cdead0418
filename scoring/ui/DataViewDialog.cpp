#include "scoring/ui/DataViewDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/results/tvpUtils.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/FileWrite.h"
#include "scoring/HtmlPublication.h"
#include "scoring/ui/ResultWarnings.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kLoadCaption = QStringLiteral("Ergebnisse laden");
const QString kChooseSortText = QStringLiteral("Spaltenreihenfolge wählen");
const QString kDiscardCaption = QStringLiteral("Urkundenvorlage verwerfen");
const QString kPrintCertificates = QStringLiteral("Urkunden drucken/editieren...");
QString filterCaption(int n)
{
    return QStringLiteral("Nur Athleten anzeigen, die für %1 Finisher-Teams angetreten sind").arg(n);
}

} // namespace

TDataViewForm::TDataViewForm(TWindowContext& context)
    : TTVPForm(context),
      CommunicationThread1(context, dataViewRequests(), this,
                           [this](std::unique_ptr<TDataViewResponse> r, const TRequestOutcome& o) {
                               guarded([&] { CommunicationThread1Finished(std::move(r), o); });
                           }),
      OrderIndexCommunicationThread(context, orderColSaveRequests(), this,
                                    [this](std::unique_ptr<TOrderColSaveResponse>, const TRequestOutcome& o) {
                                        guarded([&] { OrderIndexFinished(o); });
                                    })
{
    setWindowTitle(QStringLiteral("Daten anzeigen"));
    resize(900, 560);
    buildLayout();
    // Loading mode once, so "HTML Publikation" stays off until a competition load.
    enterLoading();
    leaveLoading();
    if (auto* certDocs = context.windows().find<ICertDocSetupForm>())
        certDocs->OnStatusChange = [this](TDocPathStatus status, const QString& path, int id, int) {
            guarded([&] { docPathChange(status, path, id); });
        };
}

TDataViewForm::~TDataViewForm()
{
    if (auto* certDocs = context().windows().find<ICertDocSetupForm>())
        certDocs->OnStatusChange = nullptr;
}

void TDataViewForm::buildLayout()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Export1 = MainMenu1->addMenu(QStringLiteral("Export"));
    Export1->setObjectName(QStringLiteral("Export1"));
    Alscsv1 = Export1->addAction(QStringLiteral("Als csv"));
    Alscsv1->setObjectName(QStringLiteral("Alscsv1"));
    Alscsvundausfhren1 = Export1->addAction(QStringLiteral("Als csv und ausführen"));
    Alscsvundausfhren1->setObjectName(QStringLiteral("Alscsvundausfhren1"));
    HTMLPublikation1 = Export1->addAction(QStringLiteral("HTML Publikation"));
    HTMLPublikation1->setObjectName(QStringLiteral("HTMLPublikation1"));
    Urkunden1 = MainMenu1->addMenu(QStringLiteral("Urkunden"));
    Urkunden1->setObjectName(QStringLiteral("Urkunden1"));
    Urkundendrucken1 = Urkunden1->addAction(kPrintCertificates);
    Urkundendrucken1->setObjectName(QStringLiteral("Urkundendrucken1"));
    Urkundenvorlageeinrichten1 = Urkunden1->addAction(QStringLiteral("Urkundenvorlage einrichten..."));
    Urkundenvorlageeinrichten1->setObjectName(QStringLiteral("Urkundenvorlageeinrichten1"));
    Urkundenvorlageverwerfen1 = Urkunden1->addAction(QStringLiteral("Urkundenvorlage verwerfen..."));
    Urkundenvorlageverwerfen1->setObjectName(QStringLiteral("Urkundenvorlageverwerfen1"));

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setModel(&model_);
    ListView1->header()->setSectionsClickable(true);

    LoadingLabel = new QLabel(QStringLiteral("Lade..."), this);
    LoadingLabel->setObjectName(QStringLiteral("LoadingLabel"));
    SortHintLabel = new QLabel(QStringLiteral("Klicken Sie auf die Spaltenüberschriften in der gewünschten "
                                              "Sortierreihenfolge und anschließend auf den Button sortieren."),
                               this);
    SortHintLabel->setObjectName(QStringLiteral("SortHintLabel"));
    SortHintLabel->setStyleSheet(QStringLiteral("background-color: yellow;"));
    SortHintLabel->hide();
    SortStatusLabel = new QLabel(this);
    SortStatusLabel->setObjectName(QStringLiteral("SortStatusLabel"));
    SortStatusLabel->hide();
    NotFoundLabel = new QLabel(QStringLiteral("Eine Urkundenvorlage ist verknüpft, aber der Pfad kann nicht gefunden "
                                              "werden. Ggf. wurde Sie auf einem anderen Computer eingerichtet."),
                               this);
    NotFoundLabel->setObjectName(QStringLiteral("NotFoundLabel"));
    NotFoundLabel->setWordWrap(true);
    NotFoundLabel->hide();

    LinkGroupBox = new QGroupBox(QStringLiteral("Urkunde verknüpft"), this);
    LinkGroupBox->setObjectName(QStringLiteral("LinkGroupBox"));
    LinkLabel = new QLabel(LinkGroupBox);
    LinkLabel->setObjectName(QStringLiteral("LinkLabel"));
    LinkLabel->setTextFormat(Qt::PlainText);
    LinkLabel->setCursor(Qt::PointingHandCursor);
    (new QVBoxLayout(LinkGroupBox))->addWidget(LinkLabel);
    LinkGroupBox->hide();
    LinkLabel->installEventFilter(this);

    SortGroupBox = new QGroupBox(QStringLiteral("Benutzerdefiniertes Sortieren"), this);
    SortGroupBox->setObjectName(QStringLiteral("SortGroupBox"));
    SortButton = new QPushButton(kChooseSortText, SortGroupBox);
    SortButton->setObjectName(QStringLiteral("SortButton"));
    (new QVBoxLayout(SortGroupBox))->addWidget(SortButton);

    FilterGroupBox = new QGroupBox(QStringLiteral("Filter"), this);
    FilterGroupBox->setObjectName(QStringLiteral("FilterGroupBox"));
    FilterCheckBox = new QCheckBox(filterCaption(0), FilterGroupBox);
    FilterCheckBox->setObjectName(QStringLiteral("FilterCheckBox"));
    UpDown1 = new QSpinBox(FilterGroupBox);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(0, 99);
    auto* filterLayout = new QHBoxLayout(FilterGroupBox);
    filterLayout->addWidget(FilterCheckBox, 1);
    filterLayout->addWidget(UpDown1);
    FilterGroupBox->hide();

    CloseButton = new QPushButton(QStringLiteral("Schließen"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(SortGroupBox);
    bottom->addWidget(LinkGroupBox);
    bottom->addWidget(NotFoundLabel, 1);
    bottom->addWidget(LoadingLabel);
    bottom->addWidget(CloseButton, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(SortHintLabel);
    layout->addWidget(ListView1, 1);
    layout->addSpacing(10);
    layout->addWidget(FilterGroupBox);
    layout->addWidget(SortStatusLabel);
    layout->addLayout(bottom);

    connect(Alscsv1, &QAction::triggered, this, [this] { guarded([&] { Alscsv1Click(false); }); });
    connect(Alscsvundausfhren1, &QAction::triggered, this, [this] { guarded([&] { Alscsv1Click(true); }); });
    connect(HTMLPublikation1, &QAction::triggered, this, [this] { guarded([&] { HTMLPublikation1Click(); }); });
    connect(Urkundendrucken1, &QAction::triggered, this, [this] { guarded([&] { Urkundendrucken1Click(); }); });
    connect(Urkundenvorlageeinrichten1, &QAction::triggered, this,
            [this] { guarded([&] { Urkundenvorlageeinrichten1Click(); }); });
    connect(Urkundenvorlageverwerfen1, &QAction::triggered, this,
            [this] { guarded([&] { Urkundenvorlageverwerfen1Click(); }); });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { guarded([&] { ListView1ColumnClick(column); }); });
    connect(SortButton, &QPushButton::clicked, this, [this] { guarded([&] { SortButtonClick(); }); });
    connect(FilterCheckBox, &QCheckBox::toggled, this, [this] { guarded([&] { applyFilter(); }); });
    connect(UpDown1, &QSpinBox::valueChanged, this, [this](int value) {
        guarded([&] {
            FilterCheckBox->setText(filterCaption(value));
            applyFilter();
        });
    });
    connect(CloseButton, &QPushButton::clicked, this, [this] { guarded([&] { close(); }); });
}

bool TDataViewForm::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the linked document's path prints like the menu entry.
    if (watched == LinkLabel && event->type() == QEvent::MouseButtonRelease)
        guarded([&] { Urkundendrucken1Click(); });
    return TTVPForm::eventFilter(watched, event);
}

// ---- opening and loading ----

void TDataViewForm::ShowData(const QString& name, int collectionId, const std::vector<TAggInfo>& aggs,
                             const std::vector<int>& orderIndices, bool testMode, bool cupMode, int cupId)
{
    if (starting)
        return;
    FTestMode = testMode;
    FcupMode = cupMode;
    FCollectionName = name;
    FCollectionID = collectionId;
    // Asked for anew: what the load finds is shown again.
    shownWarnings_ = {};
    sort_.FDownwardSort = false;
    FSortChooseMode = false; // the order chosen so far is not stored
    SortButton->setText(kChooseSortText);
    SortHintLabel->hide();
    SortStatusLabel->hide();
    updateCertMenus(collectionId, QString());

    FilterGroupBox->setVisible(cupMode);
    setWindowTitle(name + (cupMode ? QStringLiteral(" - Cup-Daten anzeigen") : QStringLiteral(" - Daten anzeigen")));

    const QString waitText = QStringLiteral("Laufender Vorgang wird noch abgebrochen. Einen Moment...");
    context().waitTexts().showWait(waitText, this);
    starting = true;
    while (loading) {
        canceling = true;
        if (cancelFlag_)
            *cancelFlag_ = true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    starting = false;
    context().waitTexts().closeWait(waitText);

    try {
        ClearListView();
        model_.clearAll();
        canceling = false;
        enterLoading();
        updateCertMenus(collectionId, QString());
        if (cupMode) {
            GetData(aggs, orderIndices, cupId);
            if (testMode)
                askCertDocPath();
        } else if (testMode) {
            setColumns(competitionColumns(aggs));
            AggStartColIndex = kCompetitionAggStartCol;
            additionalColsStartIndex = kCompetitionAggStartCol + int(aggs.size());
            model_.setRows(testRows(int(aggs.size())));
            sort_.FSortColList = sortColumnsOf(orderIndices, AggStartColIndex);
            sort_.FDefaultSortColList = {0};
            sortList();
            // Sample rows need no server: the document can be set up at once.
            leaveLoading();
            fitColumns();
            askCertDocPath();
        } else {
            setColumns(competitionColumns(aggs));
            AggStartColIndex = kCompetitionAggStartCol;
            additionalColsStartIndex = kCompetitionAggStartCol + int(aggs.size());
            GetData(aggs, orderIndices, 0);
            // Silent when all is well: the check speaks only when it finds something.
            std::vector<int> ids;
            for (const TAggInfo& a : aggs)
                ids.push_back(a.aggID);
            if (auto* check = context().windows().get<IResultCheckForm>(TWindowId::ResultCheckForm))
                check->checkWarnings(ids, false);
        }
    } catch (const std::exception&) {
        leaveLoading();
        context().messages().AddException(-1, {}, QStringLiteral("Initialisierung fehlgeschlagen"), kLoadCaption);
        return;
    }
    show();
}

void TDataViewForm::GetData(const std::vector<TAggInfo>& aggs, const std::vector<int>& orderIndices, int cupId)
{
    ListView1->setEnabled(false);
    auto request = std::make_unique<TResultDataRequest>();
    request->cupMode = FcupMode;
    request->cupId = cupId;
    request->AggCollectionId = FCollectionID;
    request->aggIds = aggs;
    request->orderIndices = orderIndices;
    cancelFlag_ = request->canceling;
    FCupAthleteList.reset();
    if (CommunicationThread1.AddRequest(std::move(request), TTransactionMode::tm_readonly) == 0)
        throw std::runtime_error("request refused");
}

void TDataViewForm::CommunicationThread1Finished(std::unique_ptr<TDataViewResponse> response,
                                                 const TRequestOutcome& outcome)
{
    cancelFlag_.reset();
    if (!outcome.ok() || !response) {
        ClearListView();
        CommunicationThread1.report(outcome);
        leaveLoading();
        ListView1->setEnabled(true);
        return;
    }
    FCompPlace = response->compPlaceUiInfo;
    showResultWarnings(context(), shownWarnings_, response->ambiguousBibWarning, response->participantWarning,
                       response->resProvIds);

    if (response->cupMode)
        fillCup(*response);
    else
        fillCompetition(*response);

    leaveLoading();
    updateCertMenus(response->AggCollectionId, response->cerDocPath);
    ListView1->setEnabled(true);
    fitColumns();
}

void TDataViewForm::fillCompetition(TDataViewResponse& response)
{
    TCompetitionRows filled = competitionRows(response.competitionAthletes, response.tables);
    if (filled.memberColumns > kDefaultTeamMemberColumns) {
        std::vector<TDataViewColumn> cols = model_.columns();
        for (int m = kDefaultTeamMemberColumns + 1; m <= filled.memberColumns; ++m)
            cols.push_back({teamMemberTitle(m), 70, std::nullopt});
        setColumns(std::move(cols));
    }
    model_.setRows(std::move(filled.rows));
    std::vector<int> order = response.orderIndices;
    if (order.empty())
        order = {0};
    sort_.FDefaultSortColList = {0};
    sort_.FSortColList = sortColumnsOf(order, AggStartColIndex);
    sortList();
}

void TDataViewForm::fillCup(TDataViewResponse& response)
{
    FCupName = response.cupName;
    FCupAthleteList = std::move(response.cupAthleteList);
    if (FCupAthleteList) {
        TCupColumns cols = cupColumns(*FCupAthleteList);
        AggStartColIndex = cols.AggStartColIndex;
        additionalColsStartIndex = cols.additionalColsStartIndex;
        firstTeamCol_ = cols.firstTeamCol;
        setColumns(std::move(cols.columns));
    }
    {
        const QSignalBlocker block(FilterCheckBox);
        FilterCheckBox->setChecked(false);
    }
    leaveLoading();
    sort_.FSortColList = sortColumnsOf(response.orderIndices, AggStartColIndex);
    applyFilter();
    const QString caption = QStringLiteral("Daten laden");
    if (response.athletes.PendingAgeClasses)
        report(QStringLiteral("WARNUNG: Cup enthält noch nicht zugeordnete Altersklassen einzelner Veranstaltungen."),
               caption);
    if (response.athletes.PendingTeams)
        report(QStringLiteral("WARNUNG: Cup enthält noch nicht zugeordnete Teams einzelner Veranstaltungen."), caption);
    if (response.athletes.PendingAthletes)
        report(QStringLiteral("WARNUNG: Cup enthält noch nicht zugeordnete Athleten einzelner Veranstaltungen."),
               caption);
}

void TDataViewForm::applyFilter()
{
    if (loading || !FCupAthleteList)
        return;
    model_.setRows(cupRows(*FCupAthleteList, FilterCheckBox->isChecked(), UpDown1->value()));
    if (sort_.FSortColList.empty())
        sort_.FSortColList = {FCupAthleteList->getNoOfTeamAggs() > 0 ? firstTeamCol_ + 1 : firstTeamCol_};
    sort_.FDefaultSortColList = {firstTeamCol_};
    sortList();
    fitColumns();
}

void TDataViewForm::ClearListView()
{
    model_.clearRows();
}

void TDataViewForm::setColumns(std::vector<TDataViewColumn> columns)
{
    model_.setColumns(std::move(columns));
    const auto& cols = model_.columns();
    for (std::size_t c = 0; c < cols.size(); ++c)
        ListView1->header()->resizeSection(int(c), cols[c].width);
}

void TDataViewForm::enterLoading()
{
    loading = true;
    LoadingLabel->show();
    Export1->setEnabled(false);
    Export1->menuAction()->setEnabled(false);
}

void TDataViewForm::leaveLoading()
{
    loading = false;
    LoadingLabel->hide();
    Export1->setEnabled(true);
    Export1->menuAction()->setEnabled(true);
    HTMLPublikation1->setEnabled(!FcupMode && !FTestMode);
}

void TDataViewForm::fitColumns()
{
    if (model_.rowCount() == 0)
        return;
    ListView1->header()->resizeSections(QHeaderView::ResizeToContents);
}

void TDataViewForm::FormShow()
{
    if (!FTestMode)
        context().hints().ShowHintDelayed(QStringLiteral("CERTWND"), 800);
}

void TDataViewForm::closeEvent(QCloseEvent* event)
{
    if (loading) {
        LoadingLabel->setText(QStringLiteral("Vorgang wird abgebrochen..."));
        canceling = true;
        if (cancelFlag_)
            *cancelFlag_ = true;
    }
    TTVPForm::closeEvent(event);
}

// ---- sorting ----

void TDataViewForm::sortList()
{
    model_.sortRows(sort_);
}

void TDataViewForm::ListView1ColumnClick(int column)
{
    sort_.columnClick(column, FSortChooseMode);
    if (!FSortChooseMode)
        sortList();
}

void TDataViewForm::setSortColumnChooseMode(bool choose)
{
    if (choose == FSortChooseMode)
        return;
    FSortChooseMode = choose;
    if (choose) {
        SortHintLabel->show();
        if (isVisible())
            sort_.FSortColList.clear();
        SortButton->setText(QStringLiteral("Sortieren"));
        return;
    }
    SortHintLabel->hide();
    SortButton->setText(kChooseSortText);
    if (!isVisible())
        return;
    if (!sort_.FSortColList.empty()) {
        auto request = std::make_unique<TOrderColSaveRequest>();
        request->id = FCollectionID;
        const auto& cols = model_.columns();
        for (int c : sort_.FSortColList) {
            const bool known = c >= 0 && c < int(cols.size()) && cols[std::size_t(c)].agg;
            request->orderIndices.push_back(known ? cols[std::size_t(c)].agg->aggID : 0);
        }
        OrderIndexCommunicationThread.AddRequest(std::move(request), TTransactionMode::tm_None);
        SortStatusLabel->setText(QStringLiteral("Speichere Sortierreihenfolge..."));
        SortStatusLabel->setStyleSheet(QStringLiteral("background-color: yellow;"));
        SortStatusLabel->show();
    }
    sortList();
}

void TDataViewForm::SortButtonClick()
{
    setSortColumnChooseMode(!FSortChooseMode);
}

void TDataViewForm::OrderIndexFinished(const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        OrderIndexCommunicationThread.report(outcome);
        SortStatusLabel->hide();
        return;
    }
    SortStatusLabel->setText(QStringLiteral("Sortierreihenfolge gespeichert."));
    SortStatusLabel->setStyleSheet(QStringLiteral("background-color: rgb(0, 255, 0);"));
    SortStatusLabel->show();
    context().windows().reloadIfVisible(TWindowId::CertForm);
    context().windows().reloadIfVisible(TWindowId::CupCertForm);
}

// ---- certificates ----

void TDataViewForm::askCertDocPath()
{
    if (auto* certDocs = context().windows().find<ICertDocSetupForm>())
        certDocs->getPath(FCollectionID);
}

void TDataViewForm::updateCertMenus(int collectionId, const QString& path)
{
    if (collectionId != FCollectionID)
        return;
    FCertDocPath = path;
    LinkGroupBox->hide();
    LinkLabel->setText(path);
    Urkundendrucken1->setEnabled(false);
    Urkundenvorlageeinrichten1->setEnabled(false);
    Urkundenvorlageverwerfen1->setEnabled(false);
    Urkundendrucken1->setText(kPrintCertificates);
    NotFoundLabel->hide();
    if (collectionId == 0 || FcupMode || loading)
        return;
    const bool rows = model_.rowCount() > 0;
    if (!path.isEmpty()) {
        if (QFileInfo::exists(path)) {
            Urkundendrucken1->setEnabled(rows);
            LinkGroupBox->setVisible(rows);
        } else {
            NotFoundLabel->show();
            Urkundendrucken1->setText(QStringLiteral("Urkundenpfad nicht gefunden"));
        }
        Urkundenvorlageverwerfen1->setEnabled(true);
    } else {
        Urkundenvorlageeinrichten1->setEnabled(rows);
    }
}

void TDataViewForm::docPathChange(TDocPathStatus status, const QString& path, int collectionId)
{
    if (collectionId != FCollectionID)
        return;
    switch (status) {
    case TDocPathStatus::dps_loaded:
    case TDocPathStatus::dps_removed: updateCertMenus(collectionId, path); break;
    case TDocPathStatus::dps_setting: Urkundenvorlageeinrichten1->setEnabled(false); break;
    case TDocPathStatus::dps_completed:
        updateCertMenus(collectionId, path);
        Urkundendrucken1Click();
        break;
    case TDocPathStatus::dps_removing: Urkundenvorlageverwerfen1->setEnabled(false); break;
    case TDocPathStatus::dps_error_setting: Urkundenvorlageeinrichten1->setEnabled(true); break;
    case TDocPathStatus::dps_error_removing: Urkundenvorlageverwerfen1->setEnabled(true); break;
    }
}

QString TDataViewForm::certDataFilePath() const
{
    return QFileInfo(FCertDocPath).absolutePath() + u'/' + fileNameSaveChars(FCollectionName) + QStringLiteral(".csv");
}

bool TDataViewForm::exportCertcsv(const QString& path)
{
    const auto& cols = model_.columns();
    const bool anyResult = std::any_of(cols.begin(), cols.end(), [](const TDataViewColumn& c) { return bool(c.agg); });
    if (!anyResult) {
        report(QStringLiteral("Keine gültigen Wertungen zum Exportieren in der Urkunden-/Ergebnisvorlage angelegt"),
               QStringLiteral("Urkunden anlegen"));
        return false;
    }
    return exportCsvFile(path, model_, false, true, false, AggStartColIndex);
}

void TDataViewForm::Urkundendrucken1Click()
{
    if (loading || FCertDocPath.isEmpty())
        return;
    const QString dataFile = certDataFilePath();
    if (!exportCertcsv(dataFile)) {
        report(QStringLiteral("Daten konnten nicht nach \"") + dataFile + QStringLiteral("\" exportiert werden."),
               QStringLiteral("Urkunden erstellen"));
        return;
    }
    const QString suffix = QFileInfo(FCertDocPath).suffix();
    auto failed = [this, extension = suffix.isEmpty() ? QString() : u'.' + suffix] {
        report(QStringLiteral("Urkundenvorlage konnte nicht geöffnet werden. Stellen Sie sicher, dass ein Programm "
                              "zum Öffnen von ") +
                   extension + QStringLiteral("-Dateien eingerichtet ist."),
               QStringLiteral("Urkunden anzeigen"));
    };
    if (QFileInfo::exists(FCertDocPath))
        shellOpen(QUrl::fromLocalFile(FCertDocPath), failed, this);
    else
        failed();
}

void TDataViewForm::Urkundenvorlageeinrichten1Click()
{
    if (loading)
        return;
    if (auto* certDocs = context().windows().findOrPlaceholder<ICertDocSetupForm>(TWindowId::CertDocSetupForm))
        certDocs->showDialog(FCollectionName, FCollectionID, FcupMode);
}

void TDataViewForm::Urkundenvorlageverwerfen1Click()
{
    // Without the setup window the link cannot go, so nothing is deleted either.
    auto* certDocs = context().windows().findOrPlaceholder<ICertDocSetupForm>(TWindowId::CertDocSetupForm);
    if (!certDocs)
        return;
    if (QFileInfo::exists(FCertDocPath)) {
        const TMsgAnswer answer = dialogs().messageBox(
            this, kDiscardCaption,
            QStringLiteral("Sollen auch die Daten(csv)- und Urkundendatei gelöscht werden?\nEin Klick auf \"Nein\" "
                           "entfernt nur den Link zur Urkunde aus dem Programm."),
            TMsgKind::Question, TMsgButtons::YesNoCancel);
        if (answer == TMsgAnswer::Cancel)
            return;
        const QString document = FCertDocPath;
        const QString dataFile = certDataFilePath();
        certDocs->removeCertDocPath(FCollectionID);
        if (answer == TMsgAnswer::Yes) {
            QFile::remove(document);
            QFile::remove(dataFile);
        }
        return;
    }
    const QString text = QStringLiteral("Die verknüpfte Urkundendatei \"") + FCertDocPath +
                         QStringLiteral("\" wurde auf diesem Computer nicht gefunden.\nMöglicherweise ist sie auf "
                                        "einem anderen Computer eingerichtet.\n\nMöchten Sie die Verknüpfung dennoch "
                                        "entfernen?");
    if (dialogs().messageBox(this, kDiscardCaption, text, TMsgKind::Question, TMsgButtons::YesNo) == TMsgAnswer::Yes)
        certDocs->removeCertDocPath(FCollectionID);
}

// ---- exports ----

void TDataViewForm::Alscsv1Click(bool execute)
{
    if (loading)
        return;
    exportCsvFile(FCollectionName, model_, execute, true, true, -1);
}

QByteArray TDataViewForm::generateHTML()
{
    const QString cssPath = getTemplatePath() + QStringLiteral("/resultList.css");
    const std::optional<QString> css = readResultListCss(cssPath);
    if (!css || css->isEmpty()) {
        report(QStringLiteral("Fehler beim Laden der Styleinformation für die Ergebnisliste (") + cssPath +
                   QStringLiteral(")"),
               QStringLiteral("Ergebnisse exportieren"));
        return {};
    }
    if (FcupMode)
        return {};
    const proto::CompetitionType* competition = context().competition().getCompetition();
    if (!competition) {
        report(QStringLiteral("Veranstaltung nicht geladen. Bitte Ergebnisse neu laden..."),
               QStringLiteral("Ergebnisse Exportieren"));
        return {};
    }
    THtmlPageInput input;
    input.stylesheet = *css;
    input.compilationName = FCollectionName;
    input.competitionName = competition->Name;
    input.competitionDate = competition->Date;
    input.location = FCompPlace;
    input.additionalColsStartIndex = additionalColsStartIndex;
    input.today = QDate::currentDate();
    return tvp::generateHTML(model_, input);
}

void TDataViewForm::HTMLPublikation1Click()
{
    const QByteArray page = generateHTML();
    if (page.isEmpty())
        return;
    const QString proposed = fileNameSaveChars(htmlPublicationName(FCollectionName)) + QStringLiteral(".html");
    const QString file = dialogs().getSaveFileNameWithSuffix(
        this, QStringLiteral("Speichern unter"), proposed,
        QStringLiteral("HTML-Dateien (*.html *.htm);;Alle Dateien (*)"), QStringLiteral("html"));
    if (file.isEmpty())
        return;
    QString error;
    if (!writeFileWhole(file, page, &error)) {
        report(error, QStringLiteral("HTML Publikation"));
        return;
    }
    const QString folder = QFileInfo(file).absolutePath();
    shellOpen(
        QUrl::fromLocalFile(folder),
        [this, folder] {
            report(QStringLiteral("Der Ordner \"%1\" konnte nicht geöffnet werden. Die Seite ist dort gespeichert.")
                       .arg(QDir::toNativeSeparators(folder)),
                   QStringLiteral("HTML Publikation"));
        },
        this);
}

void TDataViewForm::report(const QString& text, const QString& caption)
{
    context().messages().AddException(-1, {}, text, caption, nullptr);
}

} // namespace tvp
