#include "participants/ui/SquadCreateDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TSquadCreateRequestType;

const QString kUnlimited = QStringLiteral("unbegrenzt");
constexpr int kMostTeams = 100;

} // namespace

TSquadCreateForm::TSquadCreateForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, squadCreateRequests(), this,
            [this](std::unique_ptr<TSquadCreateResponse> r, const TRequestOutcome& o) {
                RequestFinished(std::move(r), o);
            })
{
    setObjectName(QStringLiteral("SquadCreateForm"));
    setWindowTitle(QStringLiteral("Riegen anlegen"));
    resize(640, 420);

    auto* layout = new QVBoxLayout(this);
    auto* settings = new QGridLayout;
    layout->addLayout(settings);
    auto* targetLabel = new QLabel(QStringLiteral("Richtwert Teams pro Riege:"), this);
    targetLabel->setObjectName(QStringLiteral("Label1"));
    settings->addWidget(targetLabel, 0, 0);
    UpDown1 = new QSpinBox(this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setSpecialValueText(kUnlimited);
    UpDown1->setRange(0, kMostTeams);
    UpDown1->setValue(2);
    settings->addWidget(UpDown1, 0, 1);
    auto* maxLabel = new QLabel(QStringLiteral("Maximalzahl Teams pro Riege:"), this);
    maxLabel->setObjectName(QStringLiteral("Label2"));
    settings->addWidget(maxLabel, 1, 0);
    UpDown2 = new QSpinBox(this);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown2->setSpecialValueText(kUnlimited);
    settings->addWidget(UpDown2, 1, 1);
    CheckBox1 = new QCheckBox(QStringLiteral("ggf. auch bestehende Riegen auffüllen"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    settings->addWidget(CheckBox1, 2, 0, 1, 2);
    settings->setColumnStretch(2, 1);
    for (QSpinBox* box : {UpDown1, UpDown2})
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(kUnlimited) + 48);
    // At start the maximum stands at its minimum: "unbegrenzt".
    UpDown2->setRange(-1, 0);
    UpDown2->setValue(-1);
    updateMaxRange();

    auto* previewLabel = new QLabel(QStringLiteral("Vorschau:"), this);
    previewLabel->setObjectName(QStringLiteral("Label3"));
    layout->addWidget(previewLabel);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setModel(&preview_);
    layout->addWidget(ListView1, 1);
    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->hide();
    layout->addWidget(Label4);
    Button1 = new QPushButton(QStringLiteral("Gewählte Riegen erzeugen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    layout->addWidget(Button1, 0, Qt::AlignRight);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* mark = menuAction(PopupMenu1, QStringLiteral("markieren1"), QStringLiteral("markieren"));
    QAction* unmark =
        menuAction(PopupMenu1, QStringLiteral("Markierungentfernen1"), QStringLiteral("Markierung entfernen"));
    connect(mark, &QAction::triggered, this, [this] { guarded([this] { markSelected(true); }); });
    connect(unmark, &QAction::triggered, this, [this] { guarded([this] { markSelected(false); }); });
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([&] { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); }); });

    connect(UpDown1, &QSpinBox::valueChanged, this, [this] {
        guarded([this] {
            updateMaxRange();
            RecalculateSquads();
        });
    });
    connect(UpDown2, &QSpinBox::valueChanged, this, [this] { guarded([this] { RecalculateSquads(); }); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { guarded([this] { RecalculateSquads(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
}

TSquadCreateForm::~TSquadCreateForm() = default;

int TSquadCreateForm::getTargetNoOfTeams() const
{
    return UpDown1->value() == UpDown1->minimum() ? kUnlimitedTeams : UpDown1->value();
}

int TSquadCreateForm::getMaxNoOfTeams() const
{
    return UpDown2->value() == UpDown2->minimum() ? kUnlimitedTeams : UpDown2->value();
}

void TSquadCreateForm::updateMaxRange()
{
    const int target = UpDown1->value();
    const bool unlimited = UpDown2->value() == UpDown2->minimum();
    const QSignalBlocker block(UpDown2);
    const int lowest = target - 1;
    UpDown2->setRange(lowest, target == UpDown1->minimum() ? lowest : kMostTeams);
    if (unlimited)
        UpDown2->setValue(lowest);
}

void TSquadCreateForm::FormShow()
{
    reloadData();
}

void TSquadCreateForm::reloadData()
{
    auto request = std::make_unique<TSquadCreateRequest>();
    request->reqType = rt_getTeams;
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
}

void TSquadCreateForm::RecalculateSquads()
{
    if (!loaded_)
        return;
    preview_.setItems(tvp::RecalculateSquads(ageClasses, teams, squads, getTargetNoOfTeams(), getMaxNoOfTeams(),
                                             CheckBox1->isChecked()));
    RenderListView();
}

void TSquadCreateForm::RenderListView()
{
    fitColumnsToRoom(*ListView1);
    const bool any = preview_.rowCount() > 0;
    Label4->setText(QStringLiteral("Maximale Riegengröße: %1").arg(preview_.maxSquadSize()));
    Label4->setVisible(any);
}

void TSquadCreateForm::markSelected(bool checked)
{
    for (const QModelIndex& index : ListView1->selectionModel()->selectedRows())
        preview_.setChecked(index.row(), checked);
}

void TSquadCreateForm::Button1Click()
{
    road_.AddRequest(makeCreateSquadsRequest(preview_), TTransactionMode::tm_readwrite);
    close();
}

void TSquadCreateForm::RequestFinished(std::unique_ptr<TSquadCreateResponse> response, const TRequestOutcome& outcome)
{
    // The window is closed once the squads are sent: what goes wrong then must still be shown.
    if (!outcome.ok()) {
        context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                          failureCaption(outcome, road_.requestName(outcome.command)));
        if (response && response->reqType == rt_CreateSquads)
            reloadData();
        return;
    }
    if (response->reqType == rt_CreateSquads) {
        context().windows().reload(TWindowId::SquadForm, true);
        return;
    }
    // The preview points into the teams: it goes before they are replaced.
    preview_.setItems({});
    ageClasses = std::move(response->ageClasses);
    teams = std::move(response->teams);
    squads = std::move(response->squads.Squads);
    loaded_ = true;
    RecalculateSquads();
}

} // namespace tvp
