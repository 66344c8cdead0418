#include "participants/ui/AssignBibs.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowTools.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

TAssignBibForm::TAssignBibForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, assignBibRequests(), this,
            [this](std::unique_ptr<TAssignBibsResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(kAssignBibCaption);
    setSizeableBorder(false);
    checkDirtyDataOnClose = false;
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(
        QStringLiteral("Markierten Athleten ohne Startnummern, noch nicht vergebene Startnummern zuordnen:"), this);
    text->setObjectName(QStringLiteral("Label1"));
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Erste Startnummer:"), this);
    label->setObjectName(QStringLiteral("Label2"));
    row->addWidget(label);
    Edit1 = new QLineEdit(QStringLiteral("1"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    row->addWidget(Edit1, 1);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Zuordnen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    buttons->addWidget(Button1);
    Button2 = new QPushButton(QStringLiteral("Abbrechen"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(Button2);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { hide(); }); });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { guarded([this] { Button1Click(); }); });
    onKey(*this, Qt::Key_Escape, [this] { hide(); });
    fitToTexts(*this);
}

TAssignBibForm::~TAssignBibForm() = default;

void TAssignBibForm::ShowBibAssignDialog(int firstBib, const std::vector<int>& athleteIds)
{
    UserResult = false;
    Edit1->setText(QString::number(firstBib));
    Edit1->selectAll();
    Edit1->setFocus();
    context().dialogs().execModal(*this);
    if (!UserResult)
        return;
    auto request = std::make_unique<TAssignBibsReq>();
    request->athleteIds = athleteIds;
    request->startWith = startWithBib;
    context().waitTexts().showWait(kAssignBibWait, this);
    // One transaction for the whole run: a failure leaves no bib of it.
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite) == 0)
        context().waitTexts().closeWait(kAssignBibWait);
}

void TAssignBibForm::Button1Click()
{
    const std::optional<int> first = readFirstBib(Edit1->text());
    if (!first) {
        context().dialogs().messageBox(this, kAssignBibCaption,
                                       QStringLiteral("Ungültige erste Startnummer (ganze Zahl >=1 erwartet)"),
                                       TMsgKind::Warning, TMsgButtons::Ok, TMsgAnswer::Ok);
        return;
    }
    startWithBib = *first;
    UserResult = true;
    hide();
}

void TAssignBibForm::RequestFinished(std::unique_ptr<TAssignBibsResponse> response, const TRequestOutcome& outcome)
{
    context().waitTexts().closeWait(kAssignBibWait);
    TWindowRegistry& windows = context().windows();
    if (!outcome.ok()) {
        context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error, kAssignBibCaption, this);
    } else if (response && !response->unassigned.empty()) {
        QStringList names;
        auto* athletes = windows.get<IAthleteForm>(TWindowId::AthleteForm);
        for (int id : response->unassigned) {
            const auto athlete = athletes ? athletes->getCachedAthleteByID(id) : std::nullopt;
            names << (athlete && athlete->Name ? (athlete->Name->givenName + u' ' + athlete->Name->surName).trimmed()
                                               : QStringLiteral("ID %1").arg(id));
        }
        context().messages().AddWarning(
            -1, {},
            QStringLiteral("Der Server hat zu viele Startnummern als vergeben abgelehnt. Ohne Startnummer "
                           "geblieben: %1")
                .arg(names.join(QStringLiteral(", "))),
            kAssignBibCaption, this);
    }
    windows.reload(TWindowId::AthleteForm, false);
    if (windows.isVisible(TWindowId::ResultDialog) || windows.isVisible(TWindowId::AquireBibOrderForm))
        windows.reload(TWindowId::ResultDialog, false);
}

} // namespace tvp
