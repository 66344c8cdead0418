#include "core/ui/CompetitionDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/services/ScoringServices.h"
#include "core/ui/DateEdit.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MetaDataFields.h"
#include "core/ui/WindowRegistry.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TCompetitionRequestType;

const QString kModifyCaption = QStringLiteral("Veranstaltungsdetails ändern");
const QString kStoredMetaDataPrefix = QStringLiteral("MetaData_");
constexpr int kRowHeight = 25;
constexpr int kNameLeft = 160;
constexpr int kNameTop = 25;

} // namespace

TCompetitionForm::TCompetitionForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, competitionRequests(), this,
            [this](std::unique_ptr<TCompetitionResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setObjectName(QStringLiteral("CompetitionForm"));
    setWindowTitle(QStringLiteral("Veranstaltungsdetails"));
    resize(420, 400);

    GroupBox1 = new QGroupBox(QStringLiteral("Veranstaltung"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setMinimumSize(400, 110);
    auto* nameLabel = new QLabel(QStringLiteral("Veranstaltungsname:"), GroupBox1);
    nameLabel->setGeometry(10, kNameTop + 3, 150, 20);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(kNameLeft, kNameTop, 220, 22);
    nameLabel->setBuddy(Edit1);

    compdatefield = metaDataFactory().createDateDataField(
        kNameLeft - 150, kNameTop + kRowHeight, QStringLiteral("COMP_DATE"), QStringLiteral("Veranstaltungsdatum:"));
    compdatefield->inflate(GroupBox1);
    compdatefield->onChange = [this] { guarded([this] { DoItemChangeCheck(QString()); }); };

    auto* feeLabel = new QLabel(QStringLiteral("Startgeld pro Athlet:"), GroupBox1);
    feeLabel->setGeometry(10, kNameTop + 2 * kRowHeight + 3, 150, 20);
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(kNameLeft, kNameTop + 2 * kRowHeight, 80, 22);
    feeLabel->setBuddy(Edit2);

    MetaDataBox = new QScrollArea(this);
    MetaDataBox->setObjectName(QStringLiteral("MetaDataBox"));
    metaDataPanel_ = new QWidget;
    MetaDataBox->setWidget(metaDataPanel_);
    MetaDataBox->setWidgetResizable(false);

    Button1 = new QPushButton(QStringLiteral("Speichern"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(MetaDataBox, 1);
    layout->addWidget(Button1, 0, Qt::AlignRight);

    connect(Edit1, &QLineEdit::textEdited, this, [this] {
        guarded([this] {
            DoItemChangeCheck(QString());
            updateSaveButton();
        });
    });
    connect(Edit2, &QLineEdit::textEdited, this, [this] { guarded([this] { DoItemChangeCheck(QString()); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });

    connect(&context.competition(), &TCurrentCompetition::competitionChanged, this,
            [this] { guarded([this] { competitionChanged(); }); });
}

TCompetitionForm::~TCompetitionForm()
{
    clearMetaData();
}

IMetaDataFields& TCompetitionForm::metaDataFactory()
{
    if (auto* fields = context().windows().find<IMetaDataFields>())
        return *fields;
    return plainFields_;
}

void TCompetitionForm::competitionChanged()
{
    Edit1->setText(context().competition().getCompetitionName());
    currentId = context().competition().getCompetitionId(false);
    reloadFormData(false);
}

void TCompetitionForm::FormShow()
{
    GroupBox1->setEnabled(false);
    competitionChanged();
    reloadData();
}

void TCompetitionForm::reloadData()
{
    MetaDataBox->setEnabled(false);
    Button1->setEnabled(false);
    if (currentId != 0)
        road_.AddRequest(makeCompetitionLoad(currentId), TTransactionMode::tm_readonly);
    else
        unload();
}

void TCompetitionForm::unload()
{
    clearMetaData();
    Edit1->clear();
    Edit2->clear();
    FPricePerAthlete = 0;
    compdatefield->setValue(dateToDouble(QDate::currentDate()));
    resetDirtyData(QString());
    Button1->setEnabled(false);
}

void TCompetitionForm::clearMetaData()
{
    FMetaDataFields.clear();
    metaDataPanel_->resize(0, 0);
}

void TCompetitionForm::updateSaveButton()
{
    Button1->setEnabled(!Edit1->text().trimmed().isEmpty() && hasDirtyData(QString()));
}

void TCompetitionForm::RequestFinished(std::unique_ptr<TCompetitionResponse> response, const TRequestOutcome& outcome)
{
    // A load started for the competition shown before: the one now shown has its own on the way.
    if (response && response->reqType == rt_get && response->requestedId != currentId)
        return;

    GroupBox1->setEnabled(true);
    MetaDataBox->setEnabled(true);
    updateSaveButton();
    if (!QApplication::focusWidget() || !isAncestorOf(QApplication::focusWidget()))
        Edit1->setFocus();

    if (!outcome.ok()) {
        road_.report(outcome);
        return;
    }

    if (response->reqType == rt_modify) {
        resetDirtyData(QString());
        reloadFormData(false);
        const TWindowRegistry& windows = context().windows();
        windows.reloadIfVisible(TWindowId::CupsForm);
        windows.reloadIfVisible(TWindowId::AnalyseForm);
        if (auto* cups = windows.find<ICupsForm>())
            cups->ReloadCupWindows();
        // The answer to the user's save, which nobody waits for.
        const TAnswerTo answer(outcome.action);
        askLater(windowTitle(), QStringLiteral("Änderungen gespeichert"), TMsgKind::Information, TMsgButtons::Ok,
                 TMsgAnswer::Ok);
        return;
    }

    clearMetaData();
    const proto::CompetitionType* current = context().competition().getCompetition();
    if (response->id != 0 && current && current->ID == response->id && current->Name != response->competition.Name) {
        // Captions follow a name changed here or by another client.
        context().competition().SetCompetitionInternal(std::make_unique<proto::CompetitionType>(response->competition));
        return; // the change notification loads again with the new name
    }
    Edit2->setText(formatFee(response->pricePerAthlete));
    FPricePerAthlete = response->pricePerAthlete;
    compdatefield->setValue(dateToDouble(response->competition.Date.value_or(QDate::currentDate())));

    int top = 5;
    for (const proto::UiInfoKeyValuePair& info : response->uiInfos) {
        if (!info.Key || !info.Key->Key.startsWith(kStoredMetaDataPrefix))
            continue;
        std::unique_ptr<TMetaDataInput> field =
            metaDataFactory().createMetaDataFromUiInfo(10, top, info.Key->Key, info.Value);
        if (!field)
            continue;
        field->inflate(metaDataPanel_);
        field->onChange = [this] { guarded([this] { DoItemChangeCheck(QString()); }); };
        FMetaDataFields.push_back(std::move(field));
        top += kRowHeight;
    }
    metaDataPanel_->resize(385, top + 5);

    if (response->id == 0) {
        Edit1->clear();
        GroupBox1->setEnabled(false);
    }
    DoItemChangeCheck(QString());
    resetDirtyData(QString());
    updateSaveButton();
}

std::unique_ptr<TCompetitionRequest> TCompetitionForm::getRequestFromUI(bool Validate)
{
    bool valid = true;
    for (const auto& field : FMetaDataFields) {
        if (field->validateContent())
            continue;
        valid = false;
        if (Validate)
            context().messages().AddException(-1, {}, QStringLiteral("Ungültiger Wert für Zeile: ") + field->getLabel(),
                                              kModifyCaption, this);
    }
    if (!valid)
        return nullptr;

    const std::optional<double> fee = parseFee(Edit2->text());
    if (!fee) {
        if (Validate)
            context().messages().AddException(-1, {}, QStringLiteral("Ungültiger Wert für Startgeld."), kModifyCaption,
                                              this);
        return nullptr;
    }
    const QString name = Edit1->text().trimmed();
    if (name.isEmpty() && Validate) {
        context().messages().AddException(-1, {}, QStringLiteral("Veranstaltungsname darf nicht leer sein"),
                                          kModifyCaption, this);
        return nullptr;
    }

    auto request = std::make_unique<TCompetitionRequest>();
    request->reqType = rt_modify;
    request->id = currentId;
    request->name = name;
    request->date = doubleToDate(compdatefield->getDate());
    request->pricePerAthlete = *fee;
    for (const auto& field : FMetaDataFields)
        request->uiInfos.push_back({field->getUIInfoName(), field->getUIInfoValue()});
    return request;
}

void TCompetitionForm::Button1Click()
{
    std::unique_ptr<TCompetitionRequest> request = getRequestFromUI(true);
    if (!request)
        return;
    Edit1->setText(request->name);
    Button1->setEnabled(false);
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

bool TCompetitionForm::checkItemChanged(const QString&)
{
    const proto::CompetitionType* current = context().competition().getCompetition();
    if (!current)
        return false;
    const std::unique_ptr<TCompetitionRequest> request = getRequestFromUI(false);
    if (!request)
        return true;
    const bool unchanged =
        request->name == current->Name && feeCents(request->pricePerAthlete) == feeCents(FPricePerAthlete) &&
        !compdatefield->hasChanged() && current->Date.has_value() &&
        std::none_of(FMetaDataFields.begin(), FMetaDataFields.end(), [](const auto& f) { return f->hasChanged(); });
    return !unchanged;
}

void TCompetitionForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    Button1->setEnabled(changed && !Edit1->text().trimmed().isEmpty());
}

} // namespace tvp
