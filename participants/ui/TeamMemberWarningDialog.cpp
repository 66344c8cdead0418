#include "participants/ui/TeamMemberWarningDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

TTeamMemberWarningForm::TTeamMemberWarningForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, teamMemberWarningRequests(), this,
            [this](std::unique_ptr<TTeamMemberWarningResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      model_(teamWarningColumns())
{
    setWindowTitle(QStringLiteral("Teammitglieder prüfen"));
    setMinimumSize(690, 250);
    resize(840, 320);
    auto* text =
        new QLabel(QStringLiteral("Achtung: Folgende Teams entsprechen nicht den Vorgaben der Altersklasse"), this);
    text->setObjectName(QStringLiteral("Label1"));
    auto* hint = new QLabel(QStringLiteral("(Doppelklick öffnet die Athletenübersicht des Teams)"), this);
    hint->setObjectName(QStringLiteral("Label2"));
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setModel(&model_);
    // No sorting: the rows keep the server's order, each team's rules together.
    ListView1->header()->setSectionsClickable(false);
    ListView1->header()->setStretchLastSection(true);
    for (int column = 0; column < model_.columnCount(); ++column)
        fitColumnToTexts(*ListView1, column, {}, ListView1->columnWidth(column));
    fitColumnsToRoom(*ListView1);
    CloseButton = new QPushButton(QStringLiteral("Schließen"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(hint);
    layout->addWidget(ListView1, 1);
    layout->addWidget(CloseButton, 0, Qt::AlignRight);
    connect(CloseButton, &QPushButton::clicked, this, [this] { guarded([this] { close(); }); });
    connect(ListView1, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { guarded([&] { ListView1DblClick(index.row()); }); });
    fitToTexts(*this);
}

void TTeamMemberWarningForm::showParticipantWarning(const std::vector<proto::InvalidParticipantType>& warnings,
                                                    const std::vector<int>& resProvIds, int compId)
{
    FresProvIds = resProvIds;
    FCompId = compId;
    if (warnings.empty()) {
        close();
        return;
    }
    model_.setRecords(teamWarningRows(warnings));
    fitColumnsToRoom(*ListView1);
    show();
    CloseButton->setFocus();
}

void TTeamMemberWarningForm::reloadData()
{
    if (!isVisible())
        return;
    auto r = std::make_unique<TTeamMemberWarningRequest>();
    r->resProvIDs = FresProvIds;
    r->compId = FCompId;
    road_.AddRequest(std::move(r), TTransactionMode::tm_None);
}

void TTeamMemberWarningForm::RequestFinished(std::unique_ptr<TTeamMemberWarningResponse> response,
                                             const TRequestOutcome& outcome)
{
    if (!outcome.ok() || !response) {
        context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                          QStringLiteral("Teammitglieder prüfen"), this);
        close();
        return;
    }
    showParticipantWarning(response->participantWarning, response->resProvIDs, response->compId);
}

void TTeamMemberWarningForm::ListView1DblClick(int row)
{
    if (row < 0 || row >= model_.rowCount())
        return;
    const int teamId = model_.record(row).teamId;
    TWindowRegistry& w = context().windows();
    if (QWidget* dataView = w.widget(TWindowId::DataViewForm))
        dataView->close();
    if (auto* athletes = w.get<IAthleteForm>(TWindowId::AthleteForm))
        athletes->showTeamMembers(teamId);
}

} // namespace tvp
