#include "setup/ui/LoadTemplateForm.h"

#include "core/connection/SlotGuard.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "setup/ui/TemplateWindowParts.h"

#include <QDropEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

TLoadTemplateForm::TLoadTemplateForm(TWindowContext& context, const QString& caption)
    : TTVPForm(context), caption_(caption)
{
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowStaysOnTopHint);
}

TLoadTemplateForm::~TLoadTemplateForm() = default;

QFormLayout* TLoadTemplateForm::makeFileRow()
{
    auto* form = new QFormLayout;
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    FileNameEdit->setReadOnly(true);
    form->addRow(QStringLiteral("Dateiname:"), FileNameEdit);
    return form;
}

void TLoadTemplateForm::makeParamGroup(QVBoxLayout* outer)
{
    ParamGroupBox =
        new QGroupBox(QStringLiteral("Die folgenden globalen Parameter werden in der Vorlage verwendet"), this);
    ParamGroupBox->setObjectName(QStringLiteral("ParamGroupBox"));
    auto* params = new QVBoxLayout(ParamGroupBox);
    params->addWidget(new QLabel(QStringLiteral("Wählen Sie, ob die Parameter bestehenden Parametern zugeordnet "
                                                "werden sollen."),
                                 ParamGroupBox));
    params->addWidget(new QLabel(QStringLiteral("Andernfalls werden neue global Parameter erzeugt,"), ParamGroupBox));
    ParamListView = new QTreeView(ParamGroupBox);
    ParamListView->setObjectName(QStringLiteral("ParamListView"));
    params->addWidget(ParamListView);
    outer->addWidget(ParamGroupBox, 1);
}

QVBoxLayout* TLoadTemplateForm::makeReferenceGroup(QVBoxLayout* outer, const QString& title)
{
    ReferenceGroupBox = new QGroupBox(title, this);
    ReferenceGroupBox->setObjectName(QStringLiteral("ReferenceGroupBox"));
    outer->addWidget(ReferenceGroupBox, 1);
    return new QVBoxLayout(ReferenceGroupBox);
}

void TLoadTemplateForm::makeButtons(QVBoxLayout* outer)
{
    outer->addLayout(
        makeButtonRow(this, QStringLiteral("Importieren"), QStringLiteral("ImportButton"), ImportButton, CancelButton));
    connect(ImportButton, &QPushButton::clicked, this, [this] { guarded([this] { ImportButtonClick(); }); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { guarded([this] { CancelButtonClick(); }); });
}

void TLoadTemplateForm::makeParamMapping(QTreeView* referenceList)
{
    ParamPopupMenu = new QMenu(this);
    ParamPopupMenu->setObjectName(QStringLiteral("ParamPopupMenu"));
    paramUIMapper = new TParameterUIMapping(context(), ParamListView, referenceList, ParamGroupBox, ParamPopupMenu, 0);
}

bool TLoadTemplateForm::openTemplate(ITemplateDiscWindow& window, const QString& filter, const QString& waitText,
                                     const std::function<void()>& beforeRead)
{
    hide();
    callingDiscWindow = &window;
    FileNameEdit->clear();
    const QString file = context().dialogs().getOpenFileName(this, caption_, getTemplatePath(), filter);
    if (file.isEmpty())
        return false;
    if (beforeRead)
        beforeRead();
    FileNameEdit->setText(file);
    context().waitTexts().showWait(waitText, this);
    bool read = false;
    guarded([&] { read = ImportTemplate(file); });
    context().waitTexts().closeWait(waitText);
    if (!read)
        FileNameEdit->clear();
    return read;
}

void TLoadTemplateForm::setImporting(bool importing, const QString& waitText)
{
    ImportButton->setEnabled(!importing);
    CancelButton->setEnabled(!importing);
    setEnabled(!importing);
    if (importing)
        context().waitTexts().showWait(waitText, this);
    else
        context().waitTexts().closeWait(waitText);
}

void TLoadTemplateForm::reportFailure(const TRequestOutcome& outcome, bool answered, const QString& serverText,
                                      const QString& requestName)
{
    if (!answered)
        context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                          failureCaption(outcome, requestName), this);
    else
        context().messages().AddException(outcome.errorId, outcome.parameters, serverText, requestName, this);
}

void TLoadTemplateForm::importDone(const std::vector<proto::MixedAgeClassesWarningType>& warnings,
                                   std::optional<int> showDisc)
{
    ITemplateDiscWindow* disc = callingDiscWindow;
    if (auto* discs = context().windows().find<IDisciplineWindows>())
        discs->reloadDisciplinForms(false);
    if (disc && showDisc)
        disc->ShowAndLoad(*showDisc, 0);
    if (auto* messages = context().windows().get<TExceptionForm>(TWindowId::ExceptionForm))
        for (const proto::MixedAgeClassesWarningType& w : warnings)
            messages->handleMixedAgeClassWarnings(&w, this);
    hide();
}

void TLoadTemplateForm::acceptNodeDrops(QTreeView* list)
{
    list->setAcceptDrops(true);
    list->viewport()->setAcceptDrops(true);
    list->viewport()->installEventFilter(this);
}

bool TLoadTemplateForm::filterNodeDrag(QEvent* event, bool knownTypeOnly,
                                       const std::function<bool(const QPoint&)>& onTarget,
                                       const std::function<bool(const QPoint&)>& drop)
{
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove && event->type() != QEvent::Drop)
        return false;
    const auto carriesNode = [knownTypeOnly](QDropEvent* e) {
        const TAggDragObject& d = aggDragObject();
        return e->mimeData()->hasFormat(QString::fromLatin1(kAggregatorMimeType)) && d.Id != 0 &&
               (!knownTypeOnly || d.aggType != TAggregatorType::ag_Unknown);
    };
    auto* drag = static_cast<QDropEvent*>(event);
    if (event->type() == QEvent::Drop) {
        bool taken = false;
        if (carriesNode(drag))
            guarded([&] { taken = drop(drag->position().toPoint()); });
        taken ? drag->acceptProposedAction() : drag->ignore();
        return true;
    }
    if (carriesNode(drag) && (event->type() == QEvent::DragEnter || onTarget(drag->position().toPoint())))
        drag->acceptProposedAction();
    else
        drag->ignore();
    return true;
}

void TLoadTemplateForm::CancelButtonClick()
{
    hide();
}

void TLoadTemplateForm::showError(const QString& text)
{
    context().messages().AddException(0, {}, text, caption_, this);
}

void TLoadTemplateForm::hideEvent(QHideEvent* event)
{
    TTVPForm::hideEvent(event);
    FileNameEdit->clear();
}

} // namespace tvp
