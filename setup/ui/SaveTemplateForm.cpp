#include "setup/ui/SaveTemplateForm.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "setup/ui/TemplateWindowParts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

TSaveTemplateForm::TSaveTemplateForm(TWindowContext& context,
                                     const TRequestTable<TTemplateExportRequest, TTemplateExportResponse>& table,
                                     const QString& caption, const QString& waitText)
    : TTVPForm(context),
      road_(context, table, this,
            [this](std::unique_ptr<TTemplateExportResponse>, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(o); });
            }),
      caption_(caption),
      waitText_(waitText)
{
    setWindowTitle(caption);
}

QFormLayout* TSaveTemplateForm::makeFileRow()
{
    auto* form = new QFormLayout;
    auto* fileRow = new QHBoxLayout;
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    FileNameEdit->setReadOnly(true);
    ChangeButton = new QPushButton(QStringLiteral("Ändern"), this);
    ChangeButton->setObjectName(QStringLiteral("ChangeButton"));
    fileRow->addWidget(FileNameEdit, 1);
    fileRow->addWidget(ChangeButton);
    form->addRow(QStringLiteral("Dateiname"), fileRow);
    connect(ChangeButton, &QPushButton::clicked, this, [this] { guarded([this] { ChangeButtonClick(); }); });
    return form;
}

void TSaveTemplateForm::makeParamGroup(QVBoxLayout* outer, const QString& title)
{
    ParamGroupBox = new QGroupBox(title, this);
    ParamGroupBox->setObjectName(QStringLiteral("ParamGroupBox"));
    auto* params = new QVBoxLayout(ParamGroupBox);
    params->addWidget(new QLabel(QStringLiteral("Wählen Sie die Parameter aus, die als Parameter in der Vorlage "
                                                "erhalten bleiben sollen."),
                                 ParamGroupBox));
    params->addWidget(
        new QLabel(QStringLiteral(" (Alle anderen werden zu ihrem aktuellen Wert aufgelöst)"), ParamGroupBox));
    ParamListView = makeExportParameterList(ParamGroupBox, ParamListModel);
    ParamListView->setObjectName(QStringLiteral("ParamListView"));
    params->addWidget(ParamListView);
    outer->addWidget(ParamGroupBox, 1);
}

QVBoxLayout* TSaveTemplateForm::makeInterfaceGroup(QVBoxLayout* outer)
{
    InterfaceGroupBox = new QGroupBox(QStringLiteral("Schnittstellen"), this);
    InterfaceGroupBox->setObjectName(QStringLiteral("InterfaceGroupBox"));
    outer->addWidget(InterfaceGroupBox, 1);
    return new QVBoxLayout(InterfaceGroupBox);
}

void TSaveTemplateForm::makeButtons(QVBoxLayout* outer)
{
    outer->addLayout(
        makeButtonRow(this, QStringLiteral("Speichern"), QStringLiteral("SaveButton"), SaveButton, CancelButton));
    connect(SaveButton, &QPushButton::clicked, this, [this] { guarded([this] { SaveButtonClick(); }); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { guarded([this] { CancelButtonClick(); }); });
}

bool TSaveTemplateForm::chooseFile(const QString& start, const QString& filter, const QString& suffix)
{
    const QString file = context().dialogs().getSaveFileNameWithSuffix(this, caption_, start, filter, suffix);
    if (file.isEmpty())
        return false;
    FileNameEdit->setText(file);
    return true;
}

QString TSaveTemplateForm::resolveParam(const QString& name) const
{
    return resolveParameter(name, ParamListModel->rows());
}

void TSaveTemplateForm::ChangeButtonClick()
{
    const QString before = FileNameEdit->text();
    if (!runSaveDialog())
        FileNameEdit->setText(before);
}

void TSaveTemplateForm::sendExport(std::unique_ptr<TTemplateExportRequest> request)
{
    context().waitTexts().showWait(waitText_, this);
    setControlsEnabled(false);
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TSaveTemplateForm::RequestFinished(const TRequestOutcome& outcome)
{
    setControlsEnabled(true);
    context().waitTexts().closeWait(waitText_);
    if (!outcome.ok()) {
        road_.report(outcome);
        return;
    }
    hide();
}

void TSaveTemplateForm::CancelButtonClick()
{
    hide();
}

void TSaveTemplateForm::setControlsEnabled(bool enabled)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{SaveButton, ChangeButton, CancelButton, ParamGroupBox, InterfaceGroupBox})
        w->setEnabled(enabled);
    for (QWidget* w : lockedWhileSaving_)
        w->setEnabled(enabled);
}

void TSaveTemplateForm::hideEvent(QHideEvent* event)
{
    TTVPForm::hideEvent(event);
    FileNameEdit->clear();
}

} // namespace tvp
