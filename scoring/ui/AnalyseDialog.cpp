#include "scoring/ui/AnalyseDialog.h"

#include "core/print/ui/Print.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ParticipantServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WindowFit.h"
#include "scoring/ui/ResultWarnings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Ergebnisse");
constexpr int kProviderColorRole = Qt::UserRole + 1;

// The evaluation list in the colours of the scoring tree; the chosen item darker, in white.
class TEvaluationDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRgb color = index.data(kProviderColorRole).value<QRgb>();
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(selected ? getOverlayColor(color, qRgb(0, 0, 112), 0.3f) : color));
        painter->drawRect(option.rect.adjusted(0, 0, 1, 0));
        painter->setPen(selected ? Qt::white : Qt::black);
        painter->drawText(option.rect.adjusted(5, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
};

} // namespace

TAnalyseForm::TAnalyseForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, analyseRequests(), this,
            [this](std::unique_ptr<TAnalyseResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      sorted_(QStringLiteral("AnalyseForm.ListView1."))
{
    setWindowTitle(kCaption);
    resize(720, 560);
    buildControls();
    sorted_.setSourceModel(&table_);
    ListView1->setModel(&sorted_);
    sorted_.initListView();
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { guarded([&] { sorted_.SortListView(column, true); }); });
    hideTable();
}

TAnalyseForm::~TAnalyseForm() = default;

void TAnalyseForm::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Drucken1 = MainMenu1->addMenu(QStringLiteral("Drucken"));
    Drucken1->setObjectName(QStringLiteral("Drucken1"));
    Ergebnislistedrucken1 = Drucken1->addAction(QStringLiteral("Ergebnisliste drucken (Strg+P)"));
    Ergebnislistedrucken1->setObjectName(QStringLiteral("Ergebnislistedrucken1"));
    Druckereinstellungen1 = Drucken1->addAction(QStringLiteral("Druckereinstellungen..."));
    Druckereinstellungen1->setObjectName(QStringLiteral("Druckereinstellungen1"));
    Ansicht1 = MainMenu1->addMenu(QStringLiteral("Ansicht"));
    Ansicht1->setObjectName(QStringLiteral("Ansicht1"));
    AlleZwischenergebnissezeigen1 = Ansicht1->addAction(QStringLiteral("Alle Zwischenergebnisse zeigen"));
    AlleZwischenergebnissezeigen1->setObjectName(QStringLiteral("AlleZwischenergebnissezeigen1"));
    AlleZwischenergebnissezeigen1->setCheckable(true);
    Export1 = MainMenu1->addMenu(QStringLiteral("Export"));
    Export1->setObjectName(QStringLiteral("Export1"));
    Alscsv1 = Export1->addAction(QStringLiteral("Als csv"));
    Alscsv1->setObjectName(QStringLiteral("Alscsv1"));
    Alscsvundausfhren1 = Export1->addAction(QStringLiteral("Als csv und ausführen"));
    Alscsvundausfhren1->setObjectName(QStringLiteral("Alscsvundausfhren1"));
    layout->setMenuBar(MainMenu1);

    auto* choice = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("Disziplin:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setMinimumContentsLength(20);
    Label2 = new QLabel(QStringLiteral("Auswertung:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setMinimumContentsLength(24);
    ComboBox2->setItemDelegate(new TEvaluationDelegate(ComboBox2));
    Button1 = new QPushButton(QStringLiteral("Disziplin bearbeiten"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    choice->addWidget(Label1);
    choice->addWidget(ComboBox1, 1);
    choice->addWidget(Label2);
    choice->addWidget(ComboBox2, 1);
    choice->addWidget(Button1);
    layout->addLayout(choice);

    Label3 = new QLabel(QStringLiteral("Keine Daten vorhanden"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label3);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->header()->setSectionsClickable(true);
    layout->addWidget(ListView1, 1);

    connect(ComboBox1, &QComboBox::activated, this, [this] { guarded([&] { ComboBox1Change(); }); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { guarded([&] { ComboBox2Change(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([&] { Button1Click(); }); });
    connect(AlleZwischenergebnissezeigen1, &QAction::triggered, this,
            [this] { guarded([&] { AlleZwischenergebnissezeigen1Click(); }); });
    connect(Ergebnislistedrucken1, &QAction::triggered, this,
            [this] { guarded([&] { Ergebnislistedrucken1Click(); }); });
    connect(Druckereinstellungen1, &QAction::triggered, this,
            [this] { guarded([&] { Druckereinstellungen1Click(); }); });
    connect(Alscsv1, &QAction::triggered, this, [this] { guarded([&] { Alscsv1Click(); }); });
    connect(Alscsvundausfhren1, &QAction::triggered, this, [this] { guarded([&] { Alscsvundausfhren1Click(); }); });
    ComboBox1->setEnabled(false);
    ComboBox2->setEnabled(false);
}

// ---- loading ------------------------------------------------------------------------------------

void TAnalyseForm::ShowAndLoad(int discId, int providerId)
{
    if (discId != 0)
        currentDisciplinId = discId;
    if (providerId != 0) {
        currentResProvId = providerId;
        AlleZwischenergebnissezeigen1->setChecked(true);
    }
    hide();
    show();
}

void TAnalyseForm::FormShow()
{
    // Opened again: what the loads find is shown again.
    shownWarnings_ = {};
    reloadData();
}

// Copies of what the headless tree reads, taken here on the GUI thread: the windows they come from
// may reload while the worker builds the tree.
std::shared_ptr<const TAnalyseTreeInputs> TAnalyseForm::takeTreeInputs() const
{
    auto inputs = std::make_shared<TAnalyseTreeInputs>();
    if (auto* disciplines = context().windows().find<IDisciplineWindows>()) {
        inputs->templates = disciplines->getLatestTemplates();
        inputs->discInfo = disciplines->getLatestDiscInfo(currentDisciplinId);
    }
    if (auto* parameters = context().windows().find<IGlobalParameterForm>()) {
        std::vector<int> cups{0};
        if (FAggTree)
            for (int i = 0; i < FAggTree->getAggregatorCount(); ++i)
                if (const int cup = FAggTree->node(i)->cupId();
                    cup != 0 && std::find(cups.begin(), cups.end(), cup) == cups.end())
                    cups.push_back(cup);
        for (int cup : cups)
            for (const QString& name : parameters->getParameterNames(cup))
                if (const std::optional<double> v = parameters->resolveParameter(name, cup))
                    inputs->parameters[{cup, name}] = *v;
    }
    return inputs;
}

void TAnalyseForm::reloadData()
{
    hideTable();
    if (currentDisciplinId == 0) {
        currentResProvId = 0;
        providers_.clear();
        filling_ = true;
        ComboBox2->clear();
        filling_ = false;
    }
    auto request = std::make_unique<TAnalyseRequest>();
    request->reqType = TAnalyseRequestType::rt_getAggChain;
    request->DisciplinId = currentDisciplinId;
    request->resProvId = currentDisciplinId;
    request->treeInputs = takeTreeInputs();
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TAnalyseForm::reloadTable()
{
    hideTable();
    const TResultProviderInfo* item = currentProviderItem();
    if (currentResProvId == 0 || !item)
        return;
    auto request = std::make_unique<TAnalyseRequest>();
    request->reqType = TAnalyseRequestType::rt_getList;
    request->DisciplinId = currentDisciplinId;
    request->resProvId = currentResProvId;
    request->cupID = item->cupId;
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TAnalyseForm::unload()
{
    currentDisciplinId = 0;
    currentResProvId = 0;
    reloadData();
}

void TAnalyseForm::RequestFinished(std::unique_ptr<TAnalyseResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        if (outcome.errorId == kDisciplineNotFoundError) {
            // An answer about a discipline left meanwhile says nothing about the chosen one.
            if (response && response->disciplineID != currentDisciplinId)
                return;
            // The discipline is gone: start over without one. Its box no longer shows it as chosen,
            // and the list is read anew without it.
            resultCache.reset();
            table_.clear();
            FAggTree.reset();
            currentDisciplinId = 0;
            currentResProvId = 0;
            filling_ = true;
            ComboBox1->setCurrentIndex(-1);
            filling_ = false;
            reloadData();
            return;
        }
        if (outcome.errorId == kNoResultTableError)
            return;
        road_.report(outcome);
        return;
    }
    switch (response->reqType) {
    case TAnalyseRequestType::rt_getAggChain:
        setDisciplines(response->disciplines);
        if (response->disciplineID == 0 || response->disciplineID != currentDisciplinId)
            return;
        FAggTree = std::move(response->aggTree);
        PopulateComboBox2();
        reloadTable();
        break;
    case TAnalyseRequestType::rt_getList:
        if (response->resProvId != currentResProvId)
            return; // an answer to an earlier choice
        finishTable(*response);
        break;
    }
}

void TAnalyseForm::setDisciplines(const proto::getDisciplinesResponse1& disciplines)
{
    disciplines_ = disciplines;
    filling_ = true;
    ComboBox1->clear();
    int selected = -1;
    for (const proto::DisciplinType& d : disciplines_) {
        if (d.DisciplinID == currentDisciplinId)
            selected = ComboBox1->count();
        ComboBox1->addItem(d.Name, d.DisciplinID);
    }
    ComboBox1->setCurrentIndex(selected);
    filling_ = false;
    ComboBox1->setEnabled(true);
    if (selected < 0 && currentDisciplinId != 0) {
        currentDisciplinId = 0;
        reloadData();
    }
}

void TAnalyseForm::PopulateComboBox2()
{
    filling_ = true;
    ComboBox2->clear();
    providers_ = FAggTree
                     ? evaluationItems(*FAggTree, AlleZwischenergebnissezeigen1->isChecked(), currentDisciplineName())
                     : std::vector<TResultProviderInfo>{};
    int selected = -1;
    for (const TResultProviderInfo& p : providers_) {
        if (p.id == currentResProvId)
            selected = ComboBox2->count();
        ComboBox2->addItem(p.name, p.id);
        ComboBox2->setItemData(ComboBox2->count() - 1, QVariant::fromValue(p.color), kProviderColorRole);
    }
    ComboBox2->setCurrentIndex(selected);
    filling_ = false;
    // An evaluation no longer offered ("Alle Zwischenergebnisse zeigen" unticked) takes its table
    // along: no list is shown, printed or exported under an empty choice.
    if (selected < 0) {
        currentResProvId = 0;
        hideTable();
    }
    ComboBox2->setEnabled(true);
}

const TResultProviderInfo* TAnalyseForm::currentProviderItem() const
{
    for (const TResultProviderInfo& p : providers_)
        if (p.id == currentResProvId)
            return &p;
    return nullptr;
}

QString TAnalyseForm::currentDisciplineName() const
{
    for (const proto::DisciplinType& d : disciplines_)
        if (d.DisciplinID == currentDisciplinId)
            return d.Name;
    return {};
}

// ---- the table ----------------------------------------------------------------------------------

void TAnalyseForm::hideTable()
{
    tableVisible_ = false;
    ListView1->hide();
    Label3->show();
    Drucken1->setEnabled(false);
    Export1->setEnabled(false);
}

void TAnalyseForm::finishTable(const TAnalyseResponse& response)
{
    resultCache = makeAnalyseCache(response, [this](int, int) { guarded([&] { displayTable(); }); });
    displayed_ = false;
    fillAnalyseCache(*resultCache, response);
    // A table without rows changes nothing in the cache, but is shown all the same.
    if (!displayed_)
        displayTable();
    for (const QString& warning : analyseCupWarnings(response))
        context().messages().AddWarning(-1, {}, warning, QStringLiteral("Auswerten"), this);
    showResultWarnings(context(), shownWarnings_, response.ambiguousBibWarning, response.participantWarning,
                       {response.resProvId});
}

void TAnalyseForm::displayTable()
{
    if (!resultCache || resultCache->getDisciplinId() != currentResProvId)
        return;
    displayed_ = true;
    const int scroll = ListView1->verticalScrollBar()->value();
    table_.showCache(*resultCache);
    // The designed widths, wider where a caption needs more; the attempts' columns also hold their
    // results whole, at least a time of the usual length.
    const std::vector<int> widths = table_.columnWidths();
    for (int c = 0; c < int(widths.size()) && c < table_.columnCount(); ++c) {
        QStringList values;
        if (c >= table_.firstAttemptColumn()) {
            values << QStringLiteral("2:05,00 min");
            for (int r = 0; r < table_.rowCount(); ++r)
                values << table_.index(r, c).data().toString();
        }
        fitColumnToTexts(*ListView1, c, values, widths[std::size_t(c)]);
    }
    fitColumnsToRoom(*ListView1);
    const int index = ComboBox2->findData(currentResProvId);
    if (index >= 0)
        ComboBox2->setCurrentIndex(index);
    tableVisible_ = true;
    Label3->hide();
    ListView1->show();
    Drucken1->setEnabled(true);
    Export1->setEnabled(true);
    sorted_.resort();
    ListView1->verticalScrollBar()->setValue(scroll);
}

// ---- the user's choices -------------------------------------------------------------------------

void TAnalyseForm::ComboBox1Change()
{
    if (filling_)
        return;
    const int id = ComboBox1->currentData().toInt();
    if (id == 0)
        return;
    currentDisciplinId = id;
    currentResProvId = 0;
    reloadData();
}

void TAnalyseForm::ComboBox2Change()
{
    if (filling_)
        return;
    currentResProvId = ComboBox2->currentData().toInt();
    reloadTable();
}

void TAnalyseForm::AlleZwischenergebnissezeigen1Click()
{
    PopulateComboBox2();
}

void TAnalyseForm::Button1Click()
{
    if (auto* disciplines = context().windows().find<IDisciplineWindows>())
        disciplines->ShowDisciplinForm(this, currentDisciplinId, currentResProvId);
}

bool TAnalyseForm::hotKeyCallback(int key)
{
    if (key != Qt::Key_P)
        return false;
    Ergebnislistedrucken1Click();
    return true;
}

void TAnalyseForm::Ergebnislistedrucken1Click()
{
    const TResultProviderInfo* item = currentProviderItem();
    if (!tableVisible_ || !item) {
        context().messages().AddException(0, {},
                                          item ? QStringLiteral("Die Ergebnisliste wird noch geladen. Bitte drucken "
                                                                "Sie, sobald sie angezeigt wird.")
                                               : QStringLiteral("Keine Ergebnisliste angezeigt. Bitte wählen Sie eine "
                                                                "Disziplin und eine Auswertung."),
                                          QStringLiteral("Ergebnisliste drucken"), this);
        return;
    }
    InitResultListPrint(*ListView1, true, analysisPrintTitle(item->aggType, item->name, currentDisciplineName()),
                        QString());
}

void TAnalyseForm::Druckereinstellungen1Click()
{
    PrintDialog1Execute(Printer());
}

bool TAnalyseForm::PrintDialog1Execute(QPrinter& printer)
{
    return dialogs().printDialog(this, QStringLiteral("Drucken"), printer);
}

void TAnalyseForm::exportCsv(bool open)
{
    if (currentDisciplinId == 0 || !tableVisible_)
        return;
    exportCsvFile(currentDisciplineName(), sorted_, open, true, true, -1);
}

void TAnalyseForm::Alscsv1Click()
{
    exportCsv(false);
}

void TAnalyseForm::Alscsvundausfhren1Click()
{
    exportCsv(true);
}

} // namespace tvp
