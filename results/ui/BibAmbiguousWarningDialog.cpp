#include "results/ui/BibAmbiguousWarningDialog.h"

#include "results/ui/ResultCheckDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

TBibAmbiguousWarningForm::TBibAmbiguousWarningForm(TWindowContext& context)
    : TTVPForm(context),
      conflicts_({
          {QStringLiteral("Disziplin"), [](const TBibConflictEntry& e) { return e.discipline; }},
          {QStringLiteral("Athlet/Team"), [](const TBibConflictEntry& e) { return e.participant; }},
          {QStringLiteral("Startnummern"), [](const TBibConflictEntry& e) { return e.bibs; }},
          {QStringLiteral("Mehrdeutige Ergebnisse"), [](const TBibConflictEntry& e) { return e.results; }},
          {QStringLiteral("Versuch"), [](const TBibConflictEntry& e) { return e.attempt; }},
          {QStringLiteral("Veranstaltung"), [](const TBibConflictEntry& e) { return e.competition; }},
      }),
      sorted_(QStringLiteral("BibAmbiguousWarningForm.ListView1."))
{
    setWindowTitle(QStringLiteral("Startnummernzuordnung nicht eindeutig"));
    resize(720, 380);
    auto* layout = new QVBoxLayout(this);
    for (const QString& text :
         {QStringLiteral("Achtung: Die folgenden Athleten oder Teams haben mehrere Startnummern, denen verschiedene "
                         "Ergebnisse zugewiesen wurden."),
          QStringLiteral("Das Ergebnis ist daher nicht eindeutig. Ergebnisse sollten auf eines pro Athlet/Team "
                         "reduziert werden."),
          QStringLiteral("Doppelklick auf Eintrag öffnet \"Leistungen erfassen\".")}) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    ListView1 = makeCheckList(this, "ListView1");
    layout->addWidget(ListView1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Schließen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    buttons->addWidget(Button1);
    layout->addLayout(buttons);

    sorted_.setSourceModel(&conflicts_);
    ListView1->setModel(&sorted_);
    sorted_.initListView();
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { guarded([&] { sorted_.SortListView(column, true); }); });
    connect(ListView1, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { guarded([&] { ListView1DblClick(index); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { close(); }); });
    fitColumnsToRoom(*ListView1);
    fitToTexts(*this);
}

void TBibAmbiguousWarningForm::showWarning(const std::vector<proto::AmbiguousResultType>& conflicts)
{
    if (conflicts.empty())
        return;
    std::vector<TBibConflictEntry> entries;
    for (const proto::AmbiguousResultType& c : conflicts)
        entries.push_back(bibConflictEntry(c));
    conflicts_.setRecords(std::move(entries));
    show();
    fitColumnsToRoom(*ListView1);
}

void TBibAmbiguousWarningForm::ListView1DblClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    context().windows().close(TWindowId::DataViewForm);
    const TBibConflictEntry e = conflicts_.record(sorted_.mapToSource(index).row());
    if (e.CompetitionID != context().competition().getCompetitionId(false)) {
        context().messages().AddException(0, {},
                                          QStringLiteral("Ergebnis gehört zu einer anderen Veranstaltung des Cups. "
                                                         "Bitte zuerst die entsprechende Veranstaltung öffnen."),
                                          QStringLiteral("Startnummernkonflikte auflösen."), this);
        return;
    }
    if (auto* results = context().windows().getOrPlaceholder<IResultDialog>(TWindowId::ResultDialog))
        results->goToAthlete(e.DisciplineID, e.participantId, 0, false, IResultDialog::kNoVersion, true, false);
}

} // namespace tvp
