#include "core/ui/NewCompetitionDialog.h"

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/ui/DateEdit.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/protocol/TVPWebServices2.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace tvp {

namespace {
const QString kCaption = QStringLiteral("Neue Veranstaltung");
}

TNewCompetitionForm::TNewCompetitionForm(QWidget* parent) : TNewCompetitionForm(programContext(), parent)
{
}

TNewCompetitionForm::TNewCompetitionForm(TWindowContext& context, QWidget* parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("NewCompetitionForm"));
    setWindowTitle(kCaption);
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    DateEdit = new TDateEdit(QDate::currentDate(), this);
    DateEdit->setObjectName(QStringLiteral("DateEdit"));
    OkButton = new QPushButton(QStringLiteral("Anlegen"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* form = new QFormLayout;
    // A long name is seen whole: the field takes the window's width, on every style.
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Name der Veranstaltung:"), NameEdit);
    form->addRow(QStringLiteral("Veranstaltungsdatum:"), DateEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(460, sizeHint().height());

    connect(OkButton, &QPushButton::clicked, this, &TNewCompetitionForm::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

int TNewCompetitionForm::startCompWizard()
{
    createdId_ = 0;
    NameEdit->clear();
    DateEdit->setDate(QDate::currentDate());
    context_.dialogs().execModal(*this);
    return createdId_;
}

void TNewCompetitionForm::importToWizard(const QString&, const QString&)
{
    // Imports from the browser client need the setup wizard: its placeholder says it is missing.
    context_.windows().show(TWindowId::CompSetupWizardForm);
}

void TNewCompetitionForm::OkButtonClick()
{
    const QString name = NameEdit->text().trimmed();
    if (name.isEmpty()) {
        showWarning(this, kCaption, QStringLiteral("Bitte geben Sie einen Namen für die Veranstaltung ein."));
        return;
    }
    proto::CompetitionInfoType info;
    info.Name = name;
    info.Date = DateEdit->date();
    try {
        ChannelGuard slot;
        auto cms = proto::GetCompetitionManagementPortType(
            false, competitionUrlHolderInstance().getFullUrl(proto::TTVPWebServices::CMS), nullptr);
        const proto::createCompetitionResponse1 created = cms->createCompetition(info);
        createdId_ = created.Competition ? created.Competition->ID : 0;
    } catch (const ETvExceptionDetail& e) {
        context_.messages().AddException(e.ExceptionID, e.ExceptionParameters, e.message(), kCaption, this);
        return;
    } catch (const TvpError& e) {
        context_.messages().AddException(0, {}, e.message(), kCaption, this);
        return;
    }
    accept();
}

} // namespace tvp
