#include "participants/ui/AgeClassDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"
#include "participants/ui/DragListView.h"
#include "participants/ui/NameChangedElsewhere.h"
#include "participants/ui/UpDown.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

using enum TAgeRequestType;

TAgeClassForm::TAgeClassForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, ageClassRequests(), this,
            [this](std::unique_ptr<TAgeResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            }),
      model_(ageClassColumns(locale_)),
      sorted_(QStringLiteral("AgeClassForm.ListView1."))
{
    setWindowTitle(QStringLiteral("Altersklassen"));
    setMinimumSize(440, 340);
    resize(900, 400);
    buildWindow();
    showSortedList(*ListView1, sorted_, model_, *this, [this] { ListView1Change(); });
    LoadItem();
    fitToTexts(*this);
}

TAgeClassForm::~TAgeClassForm() = default;

void TAgeClassForm::buildWindow()
{
    ListView1 = new TDragListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->header()->setStretchLastSection(false);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Entfernen1 = PopupMenu1->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));
    Entfernen1->setEnabled(false);
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            Entfernen1->setEnabled(selectedAgeClassId() != 0);
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
        });
    });
    onKey(*ListView1, Qt::Key_Delete, [this] { Entfernen1Click(); });

    GroupBox1 = new QGroupBox(QStringLiteral("Altersklasse"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    auto label = [&](const QString& text, const char* name) {
        auto* l = new QLabel(text, GroupBox1);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };

    NameEdit = new QLineEdit(GroupBox1);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    grid->addWidget(label(QStringLiteral("Bezeichnung (z:B. U12):"), "Label1"), 0, 0);
    grid->addWidget(NameEdit, 0, 1, 1, 3);

    PriceEdit = new QLineEdit(QStringLiteral("0"), GroupBox1);
    PriceEdit->setObjectName(QStringLiteral("PriceEdit"));
    grid->addWidget(label(QStringLiteral("Startgeld pro Team:"), "Label2"), 1, 0);
    grid->addWidget(PriceEdit, 1, 1);
    grid->addWidget(label(QStringLiteral("€"), "Label3"), 1, 2);

    MinUpDown = new TUpDown(
        0, 99, 0, [](int v) { return minimumText(v); }, GroupBox1);
    MinUpDown->setObjectName(QStringLiteral("MinUpDown"));
    MaxUpDown = new TUpDown(
        -1, 99, -1, [this](int v) { return maximumText(v, MinUpDown->value()); }, GroupBox1);
    MaxUpDown->setObjectName(QStringLiteral("MaxUpDown"));
    grid->addWidget(label(QStringLiteral("#Athleten pro Team:"), "Label4"), 2, 0);
    grid->addWidget(label(QStringLiteral("min."), "Label5"), 2, 1);
    grid->addWidget(MinUpDown, 3, 1);
    grid->addWidget(label(QStringLiteral("max."), "Label6"), 2, 2, 1, 2);
    grid->addWidget(MaxUpDown, 3, 2, 1, 2);

    GenderMixUpDown = new TUpDown(
        0, 99, 0, [](int v) { return genderMixText(v); }, GroupBox1);
    GenderMixUpDown->setObjectName(QStringLiteral("GenderMixUpDown"));
    grid->addWidget(label(QStringLiteral("Geschlechtermischung:"), "Label7"), 4, 0);
    grid->addWidget(GenderMixUpDown, 4, 1, 1, 3);

    MaleUpDown = new TUpDown(
        0, 99, 0, [](int v) { return genderMaximumText(v); }, GroupBox1);
    MaleUpDown->setObjectName(QStringLiteral("MaleUpDown"));
    FemaleUpDown = new TUpDown(
        0, 99, 0, [](int v) { return genderMaximumText(v); }, GroupBox1);
    FemaleUpDown->setObjectName(QStringLiteral("FemaleUpDown"));
    grid->addWidget(label(QStringLiteral("Max # pro Geschlecht:"), "Label8"), 5, 0);
    grid->addWidget(label(QStringLiteral("Männlich"), "Label9"), 5, 1);
    grid->addWidget(label(QStringLiteral("Weiblich"), "Label10"), 5, 2, 1, 2);
    grid->addWidget(MaleUpDown, 6, 1);
    grid->addWidget(FemaleUpDown, 6, 2, 1, 2);

    IdLabel = label(QStringLiteral("ID: -"), "IdLabel");
    grid->addWidget(IdLabel, 7, 0);
    Button1 = new QPushButton(QStringLiteral("Änderung speichern"), GroupBox1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Als neue Altersklasse hinzufügen"), GroupBox1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    grid->addWidget(Button1, 8, 0);
    grid->addWidget(Button2, 8, 1, 1, 3);
    grid->setRowStretch(9, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(ListView1, 1);
    layout->addWidget(GroupBox1);

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(NameEdit, &QLineEdit::textEdited, this, [this] {
        guarded([this] {
            DoItemChangeCheck({});
            EnableButtons();
        });
    });
    connect(PriceEdit, &QLineEdit::textEdited, this, [this] { guarded([this] { editorChanged(); }); });
    MinUpDown->onUserStep = [this] { guarded([this] { minimumStepped(); }); };
    MaxUpDown->onUserStep = [this] {
        guarded([this] {
            updateMaximum();
            editorChanged();
        });
    };
    for (TUpDown* u : {GenderMixUpDown, MaleUpDown, FemaleUpDown})
        u->onUserStep = [this] { guarded([this] { editorChanged(); }); };
}

// ---- other windows ----

std::optional<proto::AgeClassType> TAgeClassForm::getAgeClass(int ageClassId) const
{
    const int row = model_.findRow([&](const proto::AgeClassType& a) { return a.AgeClassID == ageClassId; });
    if (row < 0)
        return std::nullopt;
    return model_.record(row);
}

// ---- loading ----

void TAgeClassForm::reloadData()
{
    road_.AddRequest(std::make_unique<TAgeRequest>(), TTransactionMode::tm_None);
}

void TAgeClassForm::FormShow()
{
    ListView1->setEnabled(false);
    reloadData();
}

void TAgeClassForm::unload()
{
    currentAgeClassId = 0;
    LoadItem();
    reloadData();
}

void TAgeClassForm::fillList(std::vector<proto::AgeClassType> ageClasses)
{
    suppressLoadItem = true;
    const int scroll = ListView1->verticalScrollBar()->value();
    model_.setRecords(std::move(ageClasses));
    fitColumnsToRoom(*ListView1);
    checkCurrentAgeClass();
    if (auto* finder = context().windows().get<IAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm))
        finder->setAgeClasses(model_.records());
    suppressLoadItem = false;
    ListView1->setEnabled(true);
    ListView1->verticalScrollBar()->setValue(scroll);
    EnableButtons();
}

void TAgeClassForm::checkCurrentAgeClass()
{
    selectRowOf(0);
    if (currentAgeClassId == 0)
        return;
    if (const proto::AgeClassType* stored = currentAgeClass()) {
        selectRowOf(currentAgeClassId);
        IdLabel->setText(QStringLiteral("ID: %1").arg(currentAgeClassId));
        takeServerChanges(*stored);
    } else {
        currentAgeClassId = 0;
        LoadItem();
    }
}

const proto::AgeClassType* TAgeClassForm::currentAgeClass() const
{
    if (currentAgeClassId == 0)
        return nullptr;
    const int row = model_.findRow([&](const proto::AgeClassType& a) { return a.AgeClassID == currentAgeClassId; });
    return row < 0 ? nullptr : &model_.record(row);
}

int TAgeClassForm::selectedAgeClassId() const
{
    const std::vector<int> rows = selectedSourceRows(*ListView1, sorted_);
    return rows.empty() ? 0 : model_.record(rows.front()).AgeClassID;
}

void TAgeClassForm::selectRowOf(int ageClassId)
{
    const QScopedValueRollback<bool> quiet(reselecting_, true);
    selectSourceRow(*ListView1, sorted_, ageClassId == 0 ? -1 : model_.findRow([&](const proto::AgeClassType& a) {
        return a.AgeClassID == ageClassId;
    }));
}

// ---- the editor ----

TAgeClassEditor TAgeClassForm::editor() const
{
    return {NameEdit->text(),         PriceEdit->text(),   MinUpDown->value(),   MaxUpDown->value(),
            GenderMixUpDown->value(), MaleUpDown->value(), FemaleUpDown->value()};
}

void TAgeClassForm::LoadItem()
{
    const proto::AgeClassType* stored = currentAgeClass();
    const proto::AgeClassType& a = stored ? *stored : defaultAgeClass();
    NameEdit->setText(a.Name);
    PriceEdit->setText(feeEditText(a.BillingPricePerTeam, locale_));
    MinUpDown->setValue(a.MinTeamMembers);
    MaxUpDown->setValue(a.MaxTeamMembers);
    updateMaximum();
    MinUpDown->refreshText();
    GenderMixUpDown->setValue(a.MinMembersPerGender);
    MaleUpDown->setValue(a.MaleMembersLessThan);
    FemaleUpDown->setValue(a.FemaleMembersLessThan);
    for (TUpDown* u : {GenderMixUpDown, MaleUpDown, FemaleUpDown})
        u->refreshText();
    if (a.AgeClassID != 0) {
        IdLabel->setText(QStringLiteral("ID: %1").arg(a.AgeClassID));
    } else {
        IdLabel->setText(QStringLiteral("ID: -"));
        selectRowOf(0);
    }
    loaded_ = editedAgeClass();
    DoItemChangeCheck({});
    EnableButtons();
}

proto::AgeClassInfoType TAgeClassForm::editedAgeClass() const
{
    return ageClassInfo(*getRequestFromUI(rt_modify, editor(), locale_, nullptr));
}

// The age class as the server now has it: what the user left as loaded shows the server's values,
// what he changed stays his.
void TAgeClassForm::takeServerChanges(const proto::AgeClassType& stored)
{
    const proto::AgeClassInfoType shown = editedAgeClass();
    const proto::AgeClassInfoType server = ageClassAsEdited(stored);
    proto::AgeClassInfoType taken = shown;
    followServerAgeClassChanges(taken, loaded_, server);
    if (taken.Name != shown.Name)
        NameEdit->setText(taken.Name);
    if (taken.BillingPricePerTeam != shown.BillingPricePerTeam)
        PriceEdit->setText(feeEditText(taken.BillingPricePerTeam, locale_));
    if (taken.MinTeamMembers != shown.MinTeamMembers || taken.MaxTeamMembers != shown.MaxTeamMembers) {
        MinUpDown->setValue(taken.MinTeamMembers);
        MaxUpDown->setValue(taken.MaxTeamMembers);
        updateMaximum();
        MinUpDown->refreshText();
    }
    const auto show = [](TUpDown* upDown, int value) {
        if (upDown->value() != value) {
            upDown->setValue(value);
            upDown->refreshText();
        }
    };
    show(GenderMixUpDown, taken.MinMembersPerGender);
    show(MaleUpDown, taken.MaleMembersLessThan);
    show(FemaleUpDown, taken.FemaleMembersLessThan);
}

void TAgeClassForm::minimumStepped()
{
    if (MinUpDown->value() > MaxUpDown->value())
        MaxUpDown->setValue(MinUpDown->value());
    MinUpDown->refreshText();
    if (MinUpDown->value() == 0)
        context().hints().ShowHint(QStringLiteral("ATHNOLOWUNBOUND"), false);
    updateMaximum();
    editorChanged();
}

void TAgeClassForm::updateMaximum()
{
    // The editor keeps an unbounded maximum just below the minimum.
    if (MinUpDown->value() > MaxUpDown->value())
        MaxUpDown->setValue(MinUpDown->value() - 1);
    MaxUpDown->refreshText();
}

void TAgeClassForm::editorChanged()
{
    DoItemChangeCheck({});
}

bool TAgeClassForm::checkItemChanged(const QString&)
{
    const std::unique_ptr<TAgeRequest> r = getRequestFromUI(rt_modify, editor(), locale_, nullptr);
    const proto::AgeClassType* stored = currentAgeClass();
    return ageClassDiffers(*r, stored ? *stored : defaultAgeClass());
}

void TAgeClassForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    Button1->setEnabled(changed && currentAgeClassId != 0);
}

void TAgeClassForm::EnableButtons()
{
    Button2->setEnabled(!NameEdit->text().trimmed().isEmpty());
    Button1->setEnabled(currentAgeClassId != 0 && hasDirtyData({}));
}

void TAgeClassForm::ListView1Change()
{
    if (suppressLoadItem || reselecting_)
        return;
    const int id = selectedAgeClassId();
    Entfernen1->setEnabled(id != 0);
    if (id == currentAgeClassId)
        return;
    DoItemChangeCheck({});
    if (checkDirtyDataMessage(nullptr, {})) {
        // The user keeps the changes: back to the row being edited.
        selectRowOf(currentAgeClassId);
        return;
    }
    currentAgeClassId = id;
    LoadItem();
}

// ---- actions ----

void TAgeClassForm::Button2Click()
{
    QString error;
    std::unique_ptr<TAgeRequest> r = getRequestFromUI(rt_create, editor(), locale_, &error);
    if (!r) {
        context().messages().AddException(0, {}, error, road_.requestName(int(rt_create)), this);
        return;
    }
    NameEdit->setText(r->name);
    currentAgeClassId = 0;
    IdLabel->setText(QStringLiteral("ID: -"));
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    road_.AddRequest(std::move(r), TTransactionMode::tm_None);
}

void TAgeClassForm::Button1Click()
{
    saveChange(0);
}

void TAgeClassForm::saveChange(unsigned keptOwn)
{
    if (currentAgeClassId == 0)
        return;
    QString error;
    std::unique_ptr<TAgeRequest> r = getRequestFromUI(rt_modify, editor(), locale_, &error);
    if (!r) {
        context().messages().AddException(0, {}, error, road_.requestName(int(rt_modify)), this);
        return;
    }
    NameEdit->setText(r->name);
    r->id = currentAgeClassId;
    r->loaded = loaded_;
    r->keptOwn = keptOwn;
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    // Read, merged and written in one transaction: no other desk's save lands between.
    road_.AddRequest(std::move(r), TTransactionMode::tm_readwrite);
}

void TAgeClassForm::Entfernen1Click()
{
    const int id = selectedAgeClassId();
    if (id == 0) {
        context().messages().AddException(0, {}, QStringLiteral("Keine Altersklasse ausgewählt."),
                                          road_.requestName(int(rt_delete)), this);
        return;
    }
    // No question: the server refuses what it will not remove.
    auto r = std::make_unique<TAgeRequest>();
    r->reqType = rt_delete;
    r->id = id;
    road_.AddRequest(std::move(r), TTransactionMode::tm_None);
}

// ---- answers ----

void TAgeClassForm::RequestFinished(std::unique_ptr<TAgeResponse> response, const TRequestOutcome& outcome)
{
    const auto command = TAgeRequestType(outcome.command);
    if (!outcome.ok()) {
        EnableButtons();
        if (command == rt_modify && response && outcome.errorId == kNameChangedElsewhereError) {
            // "Nein" keeps the other desk's value; the typed one stays in the editor, unsaved.
            const int field = outcome.parameters.value(2).toInt();
            const unsigned keptOwn = response->keptOwn | 1u << field;
            const TAnswerTo answer(outcome.action);
            askChangedElsewhere(*this, road_.requestName(int(rt_modify)), ageClassFieldCaption(field),
                                outcome.parameters, [this, keptOwn](bool mine) {
                                    if (mine)
                                        saveChange(keptOwn);
                                    else
                                        reloadFormData(false);
                                });
            return;
        }
        road_.report(outcome);
        // The list shows the server's state again; the editor keeps what was typed.
        if (command != rt_get)
            reloadFormData(false);
        else
            ListView1->setEnabled(true);
        return;
    }
    switch (command) {
    case rt_get: fillList(std::move(response->getAgeClass)); return;
    case rt_create:
        currentAgeClassId = response->AgeClassID;
        resetDirtyData({});
        break;
    case rt_modify: resetDirtyData({}); break;
    case rt_delete: break;
    }
    reloadFormData(false);
    reloadDependentWindows();
}

void TAgeClassForm::reloadDependentWindows()
{
    TWindowRegistry& w = context().windows();
    for (TWindowId id : {TWindowId::AthleteForm, TWindowId::TeamForm, TWindowId::SquadForm, TWindowId::AnalyseForm})
        w.reloadIfVisible(id);
    reloadDisciplinForms(w);
    if (w.isVisible(TWindowId::LoadDiscTemplateForm))
        if (auto* templates = w.find<ITemplateAgeClasses>())
            templates->reloadAgeClass();
    for (TWindowId id : {TWindowId::CupAgeClassForm, TWindowId::CupTeamForm, TWindowId::CupAthleteForm,
                         TWindowId::TeamMemberWarningForm, TWindowId::ScheduleForm})
        w.reloadIfVisible(id);
}

} // namespace tvp
