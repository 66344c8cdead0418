#include "participants/ui/AthleteResultFinderDialog.h"

#include "core/barcode/BarcodeDispatcher.h"
#include "core/barcode/BarcodeUtils.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TAthleteResultFinderType;

constexpr int kNoBarcodeError = 10;

} // namespace

TAthleteResultFinderForm::TAthleteResultFinderForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, athleteResultFinderRequests(), this,
            [this](std::unique_ptr<TAthleteResultFinderResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      shown_({{QStringLiteral("Disziplinname"), [](const TDiscAgeInfo& d) { return d.name; }},
              {QStringLiteral("ID"), [](const TDiscAgeInfo& d) { return QString::number(d.ID); }}})
{
    setWindowTitle(QStringLiteral("Athlet in Disziplin finden..."));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    setMinimumSize(330, 350);
    checkDirtyDataOnClose = false;

    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("Altersklasse:"), this);
    filterLabel->setObjectName(QStringLiteral("Label1"));
    filterRow->addWidget(filterLabel);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItem(QStringLiteral("Kein Filter"), 0);
    ComboBox1->setEnabled(false);
    filterRow->addWidget(ComboBox1, 1);
    layout->addLayout(filterRow);
    auto* athleteRow = new QHBoxLayout;
    auto* athleteLabel = new QLabel(QStringLiteral("Athlet:"), this);
    athleteLabel->setObjectName(QStringLiteral("Label3"));
    athleteRow->addWidget(athleteLabel);
    // A long name with its team ends in "…" rather than widening the window.
    Label2 = new TElidingLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFullText(QStringLiteral("-"));
    athleteRow->addWidget(Label2, 1);
    layout->addLayout(athleteRow);
    auto* listLabel = new QLabel(QStringLiteral("Verfügbare Einzeldisziplinen:"), this);
    listLabel->setObjectName(QStringLiteral("Label4"));
    layout->addWidget(listLabel);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setModel(&shown_);
    fitColumnsToRoom(*ListView1);
    layout->addWidget(ListView1, 1);
    auto* hint = new QLabel(QStringLiteral("Doppelklicken zum Öffnen der Leistungszuordnung"), this);
    hint->setObjectName(QStringLiteral("Label5"));
    layout->addWidget(hint);

    Timer1.setSingleShot(true);
    Timer1.setInterval(10);
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { guarded([this] { ComboBox1Change(); }); });
    connect(ListView1, &QTreeView::doubleClicked, this, [this] { guarded([this] { openResults(); }); });
    onKey(*ListView1, Qt::Key_Return, [this] { openResults(); });
    onKey(*ListView1, Qt::Key_Enter, [this] { openResults(); });
    // Searching for an athlete happens in the athlete window's list.
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    find->setObjectName(QStringLiteral("SearchShortcut"));
    connect(find, &QShortcut::activated, this, [this] {
        guarded([this] {
            if (auto* athletes = this->context().windows().get<IAthleteForm>(TWindowId::AthleteForm))
                athletes->openSearch();
        });
    });

    // The finder is the dispatcher's first handler; the dispatcher outlives every window.
    QPointer<TAthleteResultFinderForm> self(this);
    barcodeDispatcher().AddBarcodeCallback([self](const QString& code) { return self && self->takeBarcode(code); });
}

TAthleteResultFinderForm::~TAthleteResultFinderForm() = default;

bool TAthleteResultFinderForm::takeBarcode(const QString& code)
{
    if (code.isEmpty() || (code.at(0) != kBarcodeAthlete && code.at(0) != kBarcodeBlank))
        return false;
    Barcode = code; // under the dispatcher's lock
    Timer1.start();
    return true;
}

void TAthleteResultFinderForm::Timer1Timer()
{
    Timer1.stop();
    QString code;
    {
        std::lock_guard lock(BarcodeCriticalSection());
        code = Barcode;
    }
    QString warning;
    const std::optional<TFinderCode> read = readFinderCode(code, &warning);
    if (!read) {
        if (!warning.isEmpty())
            warn(warning);
        return;
    }
    auto request = std::make_unique<TAthleteResultFinderRequest>();
    request->athleteBarcodeID = read->id;
    if (read->letter == kBarcodeAthlete) {
        if (auto* athletes = context().windows().get<IAthleteForm>(TWindowId::AthleteForm)) {
            if (const auto cached = athletes->getCachedAthlete(read->id)) {
                LoadAthlete(*cached, teamAgeClassOf(*cached));
                return;
            }
        }
        request->reqType = rt_getAthlete;
    } else {
        hide();
        request->reqType = rt_getAthleteByCustomBarcode;
    }
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TAthleteResultFinderForm::warn(const QString& text)
{
    context().messages().AddWarning(-1, {}, text, kScanCaption, this);
}

void TAthleteResultFinderForm::RequestFinished(std::unique_ptr<TAthleteResultFinderResponse> response,
                                               const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        if (response && response->reqType == rt_getAthleteByCustomBarcode && outcome.errorId == kNoBarcodeError) {
            // A blank barcode nobody has yet: a late registration.
            if (auto* athletes = context().windows().get<IAthleteForm>(TWindowId::AthleteForm))
                athletes->createNewAthleteWithBarcode(response->athleteID);
            return;
        }
        road_.report(outcome);
        return;
    }
    if (response->reqType == rt_loadLists) {
        setAgeClasses(response->ageClasses);
        std::vector<TDisciplineInfo> infos;
        for (const proto::DisciplinType& d : response->disciplines)
            infos.push_back(TDisciplineInfo::CreateFromDisc(d));
        setDisciplines(infos);
        return;
    }
    const proto::getAthleteInfoResponse1& info = response->getAthleteInfoResponse;
    // Both codes name barcodes of the whole server: an athlete of another competition is not ours.
    const bool ours =
        info.Athlete && info.Competition && info.Competition->ID == context().competition().getCompetitionId(false);
    if (!ours) {
        context().messages().AddException(-1, {}, kNotInCompetitionText, road_.requestName(int(response->reqType)),
                                          this);
        return;
    }
    LoadAthlete(*info.Athlete, response->ageClassID);
}

void TAthleteResultFinderForm::showAthleteLabel(const proto::AthleteType& athlete)
{
    QString text = athlete.Name ? athlete.Name->givenName + u' ' + athlete.Name->surName : QString();
    if (athlete.Team)
        text += QStringLiteral(" (") + athlete.Team->Name + u')';
    Label2->setFullText(text);
}

void TAthleteResultFinderForm::LoadAthlete(const proto::AthleteType& athlete, int ageClassId)
{
    FCurAthlete = athlete.AthleteID;
    showAthleteLabel(athlete);
    if (ageClassId != 0) {
        const int index = ComboBox1->findData(ageClassId);
        const int target = index < 0 ? 0 : index;
        if (target != ComboBox1->currentIndex() || index < 0) {
            ComboBox1->setCurrentIndex(target);
            ComboBox1Change();
        }
    }
    TWindowRegistry& windows = context().windows();
    if (windows.isVisible(TWindowId::AthleteForm))
        if (auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm))
            athletes->selectAthlete(FCurAthlete);
    show();
    ListView1->setFocus();
}

void TAthleteResultFinderForm::reload()
{
    if (!isVisible() || FCurAthlete == 0)
        return;
    if (auto* athletes = context().windows().get<IAthleteForm>(TWindowId::AthleteForm))
        if (const auto athlete = athletes->getCachedAthleteByID(FCurAthlete))
            LoadAthlete(*athlete, teamAgeClassOf(*athlete));
}

void TAthleteResultFinderForm::AthleteRemoved(int athleteId)
{
    if (athleteId == FCurAthlete)
        hide();
}

void TAthleteResultFinderForm::unload()
{
    FCurAthlete = 0;
    Label2->setFullText(QStringLiteral("-"));
    hide();
}

void TAthleteResultFinderForm::reloadData()
{
    auto request = std::make_unique<TAthleteResultFinderRequest>();
    request->reqType = rt_loadLists;
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TAthleteResultFinderForm::FormShow()
{
    reloadData();
}

void TAthleteResultFinderForm::setDisciplines(const std::vector<TDisciplineInfo>& disciplines)
{
    Disciplines.clear();
    for (const TDisciplineInfo& d : disciplines)
        if (!d.isTeam)
            Disciplines.push_back({d.id, d.ageClassId, d.name});
    fillList();
}

void TAthleteResultFinderForm::setAgeClasses(const std::vector<proto::AgeClassType>& ageClasses)
{
    ComboBox1->clear();
    ComboBox1->addItem(QStringLiteral("Kein Filter"), 0);
    for (const proto::AgeClassType& a : ageClasses)
        ComboBox1->addItem(a.Name, a.AgeClassID);
    // A filter whose age class is gone is reset.
    if (!setComboItem(*ComboBox1, FageClassFilter)) {
        FageClassFilter = 0;
        ComboBox1->setCurrentIndex(0);
        fillList();
    }
    ComboBox1->setEnabled(true);
}

void TAthleteResultFinderForm::ComboBox1Change()
{
    FageClassFilter = comboId(*ComboBox1);
    fillList();
}

void TAthleteResultFinderForm::fillList()
{
    std::vector<TDiscAgeInfo> shown;
    for (const TDiscAgeInfo& d : Disciplines)
        if (FageClassFilter == 0 || d.AgeID == FageClassFilter)
            shown.push_back(d);
    shown_.setRecords(std::move(shown));
    fitColumnsToRoom(*ListView1);
}

void TAthleteResultFinderForm::openResults()
{
    const QModelIndex current = ListView1->currentIndex();
    if (!current.isValid() || FCurAthlete == 0)
        return;
    if (auto* results = context().windows().find<IResultDialog>())
        results->goToAthlete(shown_.record(current.row()).ID, FCurAthlete, 0, true, IResultDialog::kNoVersion, true,
                             false);
}

} // namespace tvp
