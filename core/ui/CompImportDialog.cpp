#include "core/ui/CompImportDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/ScoringServices.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/DateEdit.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowRegistry.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tvp {

using namespace compfiles;

namespace {

const QString kCaption = QStringLiteral("Veranstaltung importieren");
const QString kWaitText = QStringLiteral("Importiere Veranstaltung");

} // namespace

TCompImportForm::TCompImportForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, importRequests(), this, [this](std::unique_ptr<TImportResponse> r, const TRequestOutcome& o) {
          guarded([&] { RequestFinished(std::move(r), o); });
      })
{
    setObjectName(QStringLiteral("CompImportForm"));
    setWindowTitle(kCaption);
    checkDirtyDataOnClose = false;

    auto* fileLabel =
        new QLabel(QStringLiteral("Veranstaltungsdatei (*.qpc) oder Veranstaltungsvorlage (*.qpt):"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);

    RadioGroup1 = new QGroupBox(QStringLiteral("Veranstaltungsname"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioItem0 = new QRadioButton(QStringLiteral("Originalname und Datum verwenden"), RadioGroup1);
    RadioItem1 = new QRadioButton(QStringLiteral("Neuen Name/Datum vergeben:"), RadioGroup1);
    radioItems_ = new QButtonGroup(this);
    radioItems_->addButton(RadioItem0, 0);
    radioItems_->addButton(RadioItem1, 1);
    Edit2 = new QLineEdit(RadioGroup1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    DateTimePicker1 = new TDateEdit(QDate::currentDate(), RadioGroup1);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    auto* radioLayout = new QGridLayout(RadioGroup1);
    radioLayout->addWidget(RadioItem0, 0, 0, 1, 2);
    radioLayout->addWidget(RadioItem1, 1, 0, 1, 2);
    radioLayout->addWidget(Edit2, 2, 0);
    radioLayout->addWidget(DateTimePicker1, 2, 1);

    Button1 = new QPushButton(QStringLiteral("Importieren"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    // Enter belongs to the name field alone: one confirmation, one import.
    Button1->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileLabel);
    layout->addWidget(Edit1);
    layout->addWidget(RadioGroup1);
    layout->addWidget(Button1, 0, Qt::AlignRight);

    connect(radioItems_, &QButtonGroup::idClicked, this, [this] { guarded([this] { RadioGroup1Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Edit2, &QLineEdit::returnPressed, this, [this] { guarded([this] { Button1Click(); }); });
}

TCompImportForm::~TCompImportForm() = default;

void TCompImportForm::report(const QString& text)
{
    context().messages().AddException(-1, {}, text, kCaption, this);
}

void TCompImportForm::showImportDialog()
{
    const QString file = context().dialogs().getOpenFileName(this, kCaption, Edit1->text(), kImportFileFilter);
    if (file.isEmpty())
        return;
    Edit1->setText(file);
    asTemplate_ = QFileInfo(file).suffix().compare(QLatin1String("qpt"), Qt::CaseInsensitive) == 0;
    if (!asTemplate_) {
        RadioItem0->setChecked(true);
        const TCompInfo info = getDefaultCompInfo(file);
        Edit2->setText(info.name);
        DateTimePicker1->setDate(info.date);
    } else {
        // A template always needs a name of its own.
        RadioItem1->setChecked(true);
        Edit2->clear();
    }
    RadioGroup1->setEnabled(true);
    RadioItem0->setEnabled(!asTemplate_);
    RadioGroup1Click();
    Button1->setEnabled(true);
    context().windows().show(TWindowId::CompImportForm);
}

void TCompImportForm::RadioGroup1Click()
{
    const bool newName = RadioItem1->isChecked();
    Edit2->setEnabled(newName);
    DateTimePicker1->setEnabled(newName);
    if (newName)
        Edit2->setFocus();
}

void TCompImportForm::Button1Click()
{
    // Still importing: the confirmation was given already.
    if (!Button1->isEnabled())
        return;
    const QString file = Edit1->text();
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        report(QStringLiteral("Datei nicht gefunden"));
        return;
    }
    QString error;
    std::optional<QString> text = readImportFile(file, &error);
    if (!text) {
        report(QStringLiteral("Datei konnte nicht gelesen werden (") + error + u')');
        return;
    }
    auto request = std::make_unique<TImportRequest>();
    request->XmlStream = std::move(*text);
    request->AsTemplate = asTemplate_;
    if (RadioItem1->isChecked()) {
        request->NewName = true;
        request->Name = Edit2->text().trimmed();
        if (request->Name.isEmpty()) {
            report(QStringLiteral("Neuer Name darf nicht leer sein."));
            return;
        }
        request->Date = DateTimePicker1->date();
    }
    Button1->setEnabled(false);
    context().waitTexts().showWait(kWaitText, this);
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_None) == 0) {
        context().waitTexts().closeWait(kWaitText);
        Button1->setEnabled(true);
    }
}

void TCompImportForm::RequestFinished(std::unique_ptr<TImportResponse> response, const TRequestOutcome& outcome)
{
    context().waitTexts().closeWait(kWaitText);
    Button1->setEnabled(true);
    if (!outcome.ok() || !response) {
        road_.report(outcome);
        return;
    }
    const TWindowRegistry& windows = context().windows();
    if (auto* chooser = windows.get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm))
        chooser->selectNewComp(response->answer.CompetitionID, response->AsTemplate);
    // The user completes a competition made from a template.
    if (response->AsTemplate)
        windows.show(TWindowId::CompetitionForm);
    windows.reloadIfVisible(TWindowId::CupsForm);
    close();
}

} // namespace tvp
