#include "participants/ui/ClubDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/print/ui/Print.h"
#include "core/results/tvpUtils.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"
#include "participants/ClubListPrint.h"
#include "participants/ServerChanges.h"
#include "participants/ui/DragListView.h"
#include "participants/ui/NameChangedElsewhere.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

namespace {

using enum TClubRequestType;

const QString kEditorPart;
constexpr int kMaxAddressLength = 500;

const proto::ClubType& defaultClub()
{
    static const proto::ClubType club;
    return club;
}

} // namespace

TClubForm::TClubForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, clubRequests(), this,
            [this](std::unique_ptr<TClubResponse> r, const TRequestOutcome& o) { RequestFinished(std::move(r), o); }),
      clubs_({{QStringLiteral("Verein/Organisation"), [](const proto::ClubType& c) { return c.Name; }},
              {QStringLiteral("Bemerkung"), [](const proto::ClubType& c) { return c.Comment; }},
              {QStringLiteral("ID"), [](const proto::ClubType& c) { return QString::number(std::abs(c.ClubId)); }}}),
      sorted_(QStringLiteral("ClubForm.ListView1."))
{
    setObjectName(QStringLiteral("ClubForm"));
    setWindowTitle(QStringLiteral("Vereine/Organisationen"));
    setMinimumSize(500, 425);

    auto* layout = new QVBoxLayout(this);
    QMenuBar* menuBar = addMenuBar(this, layout);
    QMenu* exportMenu = addExportMenu(menuBar, this, [this](bool open) { exportList(open); });
    connect(menuAction(exportMenu, QStringLiteral("Quittungsdruckvorlagealscsv1"),
                       QStringLiteral("Quittungsdruckvorlage als csv")),
            &QAction::triggered, this, [this] {
                guarded([this] { road_.AddRequest(makeBillingRequest(QString()), TTransactionMode::tm_None); });
            });

    QMenu* printMenu = menuBar->addMenu(QStringLiteral("Drucken"));
    printMenu->setObjectName(QStringLiteral("Drucken1"));
    connect(menuAction(printMenu, QStringLiteral("Vereinsorganisationsbersicht1"),
                       QStringLiteral("Vereins-/Organisationsübersicht")),
            &QAction::triggered, this, [this] { guarded([this] { printOverview(); }); });

    QMenu* receiptMenu = menuBar->addMenu(QStringLiteral("Quittungen"));
    receiptMenu->setObjectName(QStringLiteral("Quittungen1"));
    Quittungendruckeneditieren1 = menuAction(receiptMenu, QStringLiteral("Quittungendruckeneditieren1"),
                                             QStringLiteral("Quittungen drucken/editieren..."));
    receiptMenu->addSeparator();
    Quittungsvorlageeinrichten1 = menuAction(receiptMenu, QStringLiteral("Quittungsvorlageeinrichten1"),
                                             QStringLiteral("Quittungsvorlage einrichten..."));
    Quittungsvorlageverwerfen1 = menuAction(receiptMenu, QStringLiteral("Quittungsvorlageverwerfen1"),
                                            QStringLiteral("Quittungsvorlage verwerfen..."));
    for (QAction* a : {Quittungendruckeneditieren1, Quittungsvorlageeinrichten1, Quittungsvorlageverwerfen1})
        a->setEnabled(false);
    connect(Quittungendruckeneditieren1, &QAction::triggered, this,
            [this] { guarded([this] { Quittungendruckeneditieren1Click(); }); });
    connect(Quittungsvorlageeinrichten1, &QAction::triggered, this, [this] {
        guarded([this] {
            if (auto* setup = this->context().windows().get<IBillingDocSetupForm>(TWindowId::BillingDocSetupForm))
                setup->showDialog(competitionId());
        });
    });
    connect(Quittungsvorlageverwerfen1, &QAction::triggered, this,
            [this] { guarded([this] { Quittungsvorlageverwerfen1Click(); }); });

    QAction* search = menuBar->addAction(QStringLiteral("Suchen"));
    search->setObjectName(QStringLiteral("Suchen1"));
    connect(search, &QAction::triggered, this, [this] { guarded([this] { Suchen1Click(); }); });
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] { guarded([this] { Suchen1Click(); }); });

    ListView1 = new TDragListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setDragEnabled(true);
    ListView1->setAcceptDrops(true);
    ListView1->setDragDropMode(QAbstractItemView::DragDrop);
    clubs_.setDragSource(QStringLiteral("ClubForm"));
    ListView1->acceptsDrop = [this](const QDropEvent& e) {
        std::vector<int> ids;
        TClubRequestType type = rt_get;
        return acceptsDrop(e, &ids, &type);
    };
    ListView1->dropped = [this](const QDropEvent& e, const QModelIndex& row) {
        guarded([&] { dropOnClub(e, sorted_.mapToSource(row).row()); });
    };
    showSortedList(*ListView1, sorted_, clubs_, *this, [this] { ListView1SelectItem(); });
    fitColumnsToRoom(*ListView1);
    onKey(*ListView1, Qt::Key_Delete, [this] { Entfernen1Click(); });
    layout->addWidget(ListView1, 1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Entfernen1 = menuAction(PopupMenu1, QStringLiteral("Entfernen1"), QStringLiteral("Entfernen"));
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            Entfernen1->setEnabled(ListView1->selectionModel()->hasSelection());
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
        });
    });

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);

    GroupBox1 = new QGroupBox(QStringLiteral("Verein/Organisation"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    auto label = [&](const QString& name, const QString& text, int row) {
        auto* l = new QLabel(text, GroupBox1);
        l->setObjectName(name);
        grid->addWidget(l, row, 0, Qt::AlignTop);
        return l;
    };
    label(QStringLiteral("Label2"), QStringLiteral("Name:"), 0);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    grid->addWidget(Edit1, 0, 1);
    label(QStringLiteral("Label3"), QStringLiteral("Bemerkung:"), 1);
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    grid->addWidget(Edit2, 1, 1);
    label(QStringLiteral("Label4"), QStringLiteral("E-Mail und Rechnungsanschrift:"), 2);
    Memo1 = new QPlainTextEdit(GroupBox1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setTabChangesFocus(true);
    grid->addWidget(Memo1, 2, 1);
    Memo1->setMaximumHeight(Memo1->fontMetrics().lineSpacing() * 5 + 12);
    auto* buttons = new QHBoxLayout;
    Label5 = new QLabel(QStringLiteral("ID: -"), GroupBox1);
    Label5->setObjectName(QStringLiteral("Label5"));
    Button1 = new QPushButton(QStringLiteral("Änderung speichern"), GroupBox1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Als neuen Verein/Organisation anlegen"), GroupBox1);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(Label5);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(GroupBox1);

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    auto editorChanged = [this] {
        guarded([this] {
            DoItemChangeCheck(kEditorPart);
            EnableButtons();
        });
    };
    connect(Edit1, &QLineEdit::textEdited, this, editorChanged);
    connect(Edit2, &QLineEdit::textEdited, this, editorChanged);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this, editorChanged] {
        const QString text = Memo1->toPlainText();
        if (text.size() > kMaxAddressLength) {
            const QSignalBlocker block(Memo1);
            Memo1->setPlainText(text.left(kMaxAddressLength));
            Memo1->moveCursor(QTextCursor::End);
        }
        editorChanged();
    });
    connect(Edit1, &QLineEdit::returnPressed, Edit2, [this] { Edit2->setFocus(); });
    connect(Edit2, &QLineEdit::returnPressed, Memo1, [this] { Memo1->setFocus(); });

    if (auto* setup = context.windows().get<IBillingDocSetupForm>(TWindowId::BillingDocSetupForm)) {
        setup->OnStatusChange = [self = QPointer<TClubForm>(this)](TDocPathStatus status, const QString& path,
                                                                   int competitionId, int) {
            if (self)
                guarded([&] { self->docPathChange(status, path, competitionId); });
        };
    }
    LoadItem();
}

TClubForm::~TClubForm() = default;

int TClubForm::competitionId() const
{
    return context().competition().getCompetitionId(false);
}

// ---- the base window ----

void TClubForm::reloadData()
{
    EnableButtons();
    updateBillingMenus(competitionId(), QString());
    if (auto* setup = context().windows().get<IBillingDocSetupForm>(TWindowId::BillingDocSetupForm))
        setup->getPath(competitionId());
    Label1->clear();
    road_.AddRequest(makeClubRequest(rt_get, 0, {}), TTransactionMode::tm_None);
}

void TClubForm::unload()
{
    currentClubId = 0;
    LoadItem();
    reloadData();
}

void TClubForm::FormShow()
{
    reloadData();
}

bool TClubForm::checkItemChanged(const QString&)
{
    const proto::ClubType* club = currentClubId != 0 ? clubById(currentClubId) : &defaultClub();
    if (!club)
        return true;
    const TClubInfo editor = editorInfo();
    return editor.name.trimmed() != club->Name || editor.comment != club->Comment ||
           !equalsIgnoreLineEnding(editor.billingAddress, club->BillingAddress);
}

void TClubForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    Button1->setEnabled(changed && currentClubId != 0);
}

// ---- list and editor ----

const proto::ClubType* TClubForm::clubById(int clubId) const
{
    const int row = sourceRowOf(clubId);
    return row < 0 ? nullptr : &clubs_.record(row);
}

int TClubForm::sourceRowOf(int clubId) const
{
    return clubs_.findRow([clubId](const proto::ClubType& c) { return c.ClubId == clubId; });
}

TClubInfo TClubForm::editorInfo() const
{
    return {Edit1->text(), Edit2->text(), Memo1->toPlainText()};
}

std::vector<int> TClubForm::getSelectedIds() const
{
    std::vector<int> ids;
    for (int row : selectedSourceRows(*ListView1, sorted_))
        ids.push_back(clubs_.record(row).ClubId);
    return ids;
}

void TClubForm::fillList(proto::getClubsResponse1 clubs)
{
    const int scroll = ListView1->verticalScrollBar()->value();
    suppressLoadItem = true;
    clubs_.setRecords(std::move(clubs));
    suppressLoadItem = false;
    checkCurrentClub();
    Label1->setText(QStringLiteral("Vereine/Organisationen in dieser Ansicht: %1").arg(clubs_.rowCount()));
    fitColumnsToRoom(*ListView1);
    ListView1->setEnabled(true);
    ListView1->verticalScrollBar()->setValue(scroll);
}

void TClubForm::checkCurrentClub()
{
    if (currentClubId != 0 && !clubById(currentClubId)) {
        currentClubId = 0;
        selectRowOf(0);
        LoadItem();
        return;
    }
    selectRowOf(currentClubId);
    if (const proto::ClubType* club = currentClubId != 0 ? clubById(currentClubId) : nullptr)
        takeServerChanges(*club);
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
}

// The club as the server now has it: what the user left as loaded shows the server's values,
// what he changed stays his.
void TClubForm::takeServerChanges(const proto::ClubType& club)
{
    const TClubInfo shown = editorInfo();
    TClubInfo taken = shown;
    // The address as the editor would show it, its line ends its own.
    const TClubInfo server{club.Name, club.Comment,
                           QString(club.BillingAddress).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))};
    followServerChanges(taken, loaded_, server, &TClubInfo::name, &TClubInfo::comment, &TClubInfo::billingAddress);
    if (taken.name != shown.name)
        Edit1->setText(taken.name);
    if (taken.comment != shown.comment)
        Edit2->setText(taken.comment);
    if (taken.billingAddress != shown.billingAddress) {
        const QSignalBlocker block(Memo1);
        Memo1->setPlainText(taken.billingAddress);
    }
}

void TClubForm::selectRowOf(int clubId)
{
    suppressLoadItem = true;
    selectSourceRow(*ListView1, sorted_, clubId == 0 ? -1 : sourceRowOf(clubId));
    suppressLoadItem = false;
}

void TClubForm::LoadItem()
{
    const proto::ClubType* stored = currentClubId != 0 ? clubById(currentClubId) : nullptr;
    const proto::ClubType& club = stored ? *stored : defaultClub();
    Edit1->setText(club.Name);
    Edit2->setText(club.Comment);
    {
        const QSignalBlocker block(Memo1);
        Memo1->setPlainText(club.BillingAddress);
    }
    Label5->setText(stored ? QStringLiteral("ID: %1").arg(std::abs(club.ClubId)) : QStringLiteral("ID: -"));
    loaded_ = editorInfo();
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
}

void TClubForm::EnableButtons()
{
    const bool named = !Edit1->text().trimmed().isEmpty();
    Button2->setEnabled(named && !createPending_);
    Button1->setEnabled(named && currentClubId != 0 && hasDirtyData(kEditorPart));
}

void TClubForm::ListView1SelectItem()
{
    if (suppressLoadItem)
        return;
    const int row = chosenSourceRow(*ListView1, sorted_);
    const int id = row < 0 ? 0 : clubs_.record(row).ClubId;
    if (id == currentClubId)
        return;
    DoItemChangeCheck(kEditorPart);
    if (checkDirtyDataMessage(nullptr, kEditorPart)) {
        selectRowOf(currentClubId);
        return;
    }
    currentClubId = id;
    LoadItem();
}

// ---- actions ----

void TClubForm::Button1Click()
{
    saveChange(0);
}

void TClubForm::saveChange(unsigned keptOwn)
{
    const TClubInfo info = editorInfo();
    if (info.name.trimmed().isEmpty() || currentClubId == 0)
        return;
    auto request = makeClubRequest(rt_modify, currentClubId, info, loaded_);
    request->keptOwn = keptOwn;
    Edit1->setText(request->ClubInfo.name);
    Button1->setEnabled(false);
    Edit1->setFocus();
    // Read, merged and written in one transaction: no other desk's save lands between.
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TClubForm::Button2Click()
{
    const TClubInfo info = editorInfo();
    if (info.name.trimmed().isEmpty())
        return;
    auto request = makeClubRequest(rt_create, 0, info);
    // What was typed stays until the server has taken it: a refused create must not lose it.
    currentClubId = 0;
    selectRowOf(0);
    Label5->setText(QStringLiteral("ID: -"));
    createPending_ = true;
    DoItemChangeCheck(kEditorPart);
    EnableButtons();
    Edit1->setFocus();
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_None) == 0) {
        createPending_ = false;
        EnableButtons();
    }
}

void TClubForm::Entfernen1Click()
{
    const std::vector<int> ids = getSelectedIds();
    if (ids.empty())
        return;
    const QString question =
        ids.size() == 1 ? QStringLiteral("Soll der/die markierte Verein/Organisation wirklich gelöscht werden?")
                        : QStringLiteral("Sollen die markierten Vereine/Organisationen wirklich gelöscht werden?");
    if (!askYesNo(this, QStringLiteral("Vereine/Organisationen löschen"), question))
        return;
    road_.AddRequest(makeDeleteChain(ids), TTransactionMode::tm_None);
}

void TClubForm::exportList(bool openAfterwards)
{
    bool cancelled = false;
    if (!exportCsvFile(QStringLiteral("Vereinsübersicht"), sorted_, openAfterwards, false, true, -1, &cancelled) &&
        !cancelled)
        context().messages().AddException(-1, {}, QStringLiteral("Datei konnte nicht exportiert werden"),
                                          QStringLiteral("Vereinsdaten exportieren"));
}

void TClubForm::printOverview()
{
    std::unique_ptr<TPrintManager> manager = InitPrint(true, kClubPrintJobName, false, this);
    if (!manager)
        return;
    const TWaitText wait(kPrintWaitText, this);
    std::vector<proto::ClubType> clubs;
    for (int row = 0; row < sorted_.rowCount(); ++row)
        clubs.push_back(clubs_.record(sorted_.mapToSource(sorted_.index(row, 0)).row()));
    const QString caption = QStringLiteral("Vereins-/Organisationsübersicht");
    try {
        renderClubOverview(*manager, clubs);
    } catch (const TvpError& e) {
        context().messages().AddException(-1, {}, e.message(), caption);
        return;
    }
    endPrintJob(*manager, context().messages(), caption, this);
}

void TClubForm::Suchen1Click()
{
    DoItemChangeCheck(kEditorPart);
    if (hasDirtyData(kEditorPart)) {
        if (checkDirtyDataMessage(nullptr, kEditorPart))
            return;
        currentClubId = 0;
        selectRowOf(0);
        LoadItem();
    }
    if (auto* search = context().windows().get<IListSearchForm>(TWindowId::SearchForm))
        search->openSearchDialog({ListView1->model()}, {0, 1});
}

// ---- drag and drop ----

bool TClubForm::acceptsDrop(const QDropEvent& event, std::vector<int>* ids, TClubRequestType* type) const
{
    const TWindowRegistry& windows = context().windows();
    std::vector<int> found;
    if (dropComesFrom(event, windows, TWindowId::AthleteForm)) {
        if (auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm))
            found = athletes->getSelectedIds();
        *type = rt_assignAthletes;
    } else if (dropComesFrom(event, windows, TWindowId::TeamForm)) {
        if (auto* teams = windows.get<ITeamForm>(TWindowId::TeamForm))
            found = teams->getSelectedIds();
        *type = rt_assignTeams;
    }
    if (found.empty())
        return false;
    *ids = std::move(found);
    return true;
}

void TClubForm::dropOnClub(const QDropEvent& event, int sourceRow)
{
    std::vector<int> ids;
    TClubRequestType type = rt_get;
    if (sourceRow < 0 || !acceptsDrop(event, &ids, &type))
        return;
    const int clubId = clubs_.record(sourceRow).ClubId;
    const bool athletes = type == rt_assignAthletes;
    const TMsgAnswer answer = dialogs().messageBox(
        this,
        athletes ? QStringLiteral("Athleten Verein/Organisation zuweisen")
                 : QStringLiteral("Teams Verein/Organisation zuweisen"),
        athletes ? QStringLiteral("Sollen alle ausgewählten Athleten dem Verein/der Organisation zugewiesen werden?")
                 : QStringLiteral("Sollen alle ausgewählten Teams dem Verein/der Organisation zugewiesen werden?"),
        TMsgKind::Question, TMsgButtons::YesNo);
    if (answer != TMsgAnswer::No)
        road_.AddRequest(makeAssignRequest(type, clubId, std::move(ids)), TTransactionMode::tm_readwrite);
}

// ---- receipts ----

void TClubForm::updateBillingMenus(int competitionId_, const QString& path)
{
    if (competitionId_ != competitionId())
        return;
    FBillingDocPath = path;
    Quittungendruckeneditieren1->setEnabled(false);
    Quittungendruckeneditieren1->setText(QStringLiteral("Quittungen drucken/editieren..."));
    Quittungsvorlageeinrichten1->setEnabled(false);
    Quittungsvorlageverwerfen1->setEnabled(false);
    if (competitionId_ == 0)
        return;
    if (!path.isEmpty()) {
        Quittungsvorlageverwerfen1->setEnabled(true);
        if (QFileInfo::exists(path))
            Quittungendruckeneditieren1->setEnabled(true);
        else
            Quittungendruckeneditieren1->setText(QStringLiteral("Quittungspfad nicht gefunden"));
    } else {
        Quittungsvorlageeinrichten1->setEnabled(true);
    }
}

void TClubForm::docPathChange(TDocPathStatus status, const QString& path, int competitionId_)
{
    if (competitionId_ != competitionId())
        return;
    switch (status) {
    case TDocPathStatus::dps_loaded:
    case TDocPathStatus::dps_removed: updateBillingMenus(competitionId_, path); break;
    case TDocPathStatus::dps_setting: Quittungsvorlageeinrichten1->setEnabled(false); break;
    case TDocPathStatus::dps_completed:
        updateBillingMenus(competitionId_, path);
        Quittungendruckeneditieren1Click();
        break;
    case TDocPathStatus::dps_removing: Quittungsvorlageverwerfen1->setEnabled(false); break;
    case TDocPathStatus::dps_error_setting:
    case TDocPathStatus::dps_error_removing: reloadFormData(true); break;
    }
}

QString TClubForm::getCurrentDatafile() const
{
    return QFileInfo(FBillingDocPath).absoluteDir().filePath(kReceiptDataFileName);
}

void TClubForm::Quittungendruckeneditieren1Click()
{
    road_.AddRequest(makeBillingRequest(getCurrentDatafile()), TTransactionMode::tm_None);
}

void TClubForm::Quittungsvorlageverwerfen1Click()
{
    auto* setup = context().windows().get<IBillingDocSetupForm>(TWindowId::BillingDocSetupForm);
    const QString document = FBillingDocPath;
    const QString dataFile = getCurrentDatafile();
    const QString caption = QStringLiteral("Quittungsvorlage verwerfen");
    if (QFileInfo::exists(document)) {
        const TMsgAnswer answer = dialogs().messageBox(
            this, caption,
            QStringLiteral("Sollen auch die Daten(csv)- und Quittungsdatei gelöscht werden?\nEin Klick auf \"Nein\" "
                           "entfernt nur den Link zur Quittungsvorlage aus dem Programm."),
            TMsgKind::Question, TMsgButtons::YesNoCancel);
        if (answer == TMsgAnswer::Cancel)
            return;
        if (setup)
            setup->removeBillingDocPath(competitionId());
        if (answer == TMsgAnswer::Yes) {
            QFile::remove(document);
            QFile::remove(dataFile);
        }
        return;
    }
    if (askYesNo(this, caption,
                 QStringLiteral("Die verknüpfte Quittungsdatei \"%1\" wurde auf diesem Computer nicht gefunden.\n"
                                "Möglicherweise ist sie auf einem anderen Computer eingerichtet.\n\n"
                                "Möchten Sie die Verknüpfung dennoch entfernen?")
                     .arg(QDir::toNativeSeparators(document))) &&
        setup)
        setup->removeBillingDocPath(competitionId());
}

void TClubForm::createBilling(const proto::getClubBillingResponse1& billing, const QString& path)
{
    BillingExportListView.setTable(tvp::createBilling(billing));
    if (path.isEmpty()) {
        exportCsvFile(QStringLiteral("Quittungsdaten"), BillingExportListView, false, false, true, -1);
        return;
    }
    // Without its data the document would merge stale receipts; the failure is reported already.
    if (!exportCsvFile(path, BillingExportListView, false, false, false, -1))
        return;
    shellOpen(
        QUrl::fromLocalFile(FBillingDocPath),
        [this, suffix = QFileInfo(FBillingDocPath).suffix()] {
            context().messages().AddException(
                -1, {},
                QStringLiteral("Quittungsvorlage konnte nicht geöffnet werden. Stellen Sie sicher, dass ein Programm "
                               "zum Öffnen von %1-Dateien eingerichtet ist.")
                    .arg(suffix),
                QStringLiteral("Quittung anzeigen"));
        },
        this);
}

// ---- answers ----

void TClubForm::RequestFinished(std::unique_ptr<TClubResponse> response, const TRequestOutcome& outcome)
{
    const auto type = static_cast<TClubRequestType>(outcome.command);
    const TWindowRegistry& windows = context().windows();
    if (type == rt_create)
        createPending_ = false;
    if (!outcome.ok()) {
        EnableButtons();
        if (outcome.declined) {
            refreshAllWindows(context());
            return;
        }
        if (type == rt_modify && response && outcome.errorId == kNameChangedElsewhereError) {
            // "Nein" keeps the other desk's value; the typed one stays in the editor, unsaved.
            const int field = outcome.parameters.value(2).toInt();
            const unsigned keptOwn = response->keptOwn | 1u << field;
            const TAnswerTo answer(outcome.action);
            askChangedElsewhere(*this, road_.requestName(int(rt_modify)), clubFieldCaption(field), outcome.parameters,
                                [this, keptOwn](bool mine) {
                                    if (mine)
                                        saveChange(keptOwn);
                                    else
                                        reloadData();
                                });
            return;
        }
        road_.report(outcome);
        if (!response)
            return;
        // A refused create keeps the editor (a new club), which a reload leaves alone.
        if (type == rt_create)
            reloadData();
        else if (type != rt_get)
            reloadFormData(true);
        return;
    }
    switch (type) {
    case rt_get: fillList(std::move(response->getResponse)); break;
    case rt_create:
    case rt_modify:
        resetDirtyData(kEditorPart);
        // The club is stored: the editor is free for the next one, unless another club was chosen meanwhile.
        if (type == rt_create && currentClubId == 0)
            LoadItem();
        reloadData();
        windows.reloadIfVisible(TWindowId::TeamForm);
        windows.reloadIfVisible(TWindowId::AthleteForm);
        break;
    case rt_delete: {
        const bool last = !response->nextBatch;
        road_.continueBatch(*response);
        if (last) {
            reloadData();
            windows.reloadIfVisible(TWindowId::TeamForm);
            windows.reloadIfVisible(TWindowId::AthleteForm);
        }
        break;
    }
    case rt_billingInfo: createBilling(response->billingInfo, response->billingDataPath); break;
    case rt_assignAthletes:
        reloadFormData(true);
        windows.reloadIfVisible(TWindowId::AthleteForm);
        windows.reloadIfVisible(TWindowId::CupAthleteForm);
        windows.reloadIfVisible(TWindowId::SquadForm);
        break;
    case rt_assignTeams:
        reloadFormData(true);
        windows.reloadIfVisible(TWindowId::TeamForm);
        windows.reloadIfVisible(TWindowId::CupTeamForm);
        windows.reloadIfVisible(TWindowId::SquadForm);
        break;
    }
    EnableButtons();
}

} // namespace tvp
