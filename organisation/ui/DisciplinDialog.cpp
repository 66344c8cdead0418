// The window as a whole: its creation, the requests it sends and their completion, and the pair of
// windows. The discipline editor, the scoring panel and the template actions have files of their own.

#include "organisation/ui/DisciplinDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/results/tvpUtils.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/ShellClock.h"
#include "core/ui/WindowFit.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace tvp {

namespace {

using enum TDisciplinRequestType;

constexpr double kNeverActivated = 1.7e308;
const QString kCrLf = QStringLiteral("\r\n");

struct TRefusal {
    std::vector<int> ids;
    bool TDisciplinForce::*flag;
    const char* text;
};

const std::vector<TRefusal>& deleteRefusals()
{
    static const std::vector<TRefusal> r = {
        {{36},
         &TDisciplinForce::forceDelete,
         "Der Disziplin sind Ergebnisse und Laufeinteilungen zugewiesen. Diese werden ebenfalls gelöscht."},
        {{35},
         &TDisciplinForce::forceDelete,
         "Die Disziplin enthält Laufeinteilungen. Diese werden ebenfalls gelöscht."},
        {{168},
         &TDisciplinForce::forceDeleteScheduleItem,
         "Die Disziplin enthält bereits Zuordnungen zu Zeitplaneinträgen. Diese werden ebenfalls gelöscht."},
    };
    return r;
}

const std::vector<TRefusal>& modifyRefusals()
{
    static const std::vector<TRefusal> r = {
        {{12, 51, 52, 54, 56},
         &TDisciplinForce::forceReassignResults,
         "Leistungszuordnung ändern: Die Disziplin enthält bereits Ergebnisse, die mit der neuen Leistungszuordnung "
         "nicht zugeordnet werden können. Diese werden gelöscht."},
        {{37},
         &TDisciplinForce::forceModify,
         "Anzahl der Versuche/Läufe reduzieren: Die Disziplin enthält Ergebnisse von höheren Versuchen/Läufen. Diese "
         "werden gelöscht."},
        {{38},
         &TDisciplinForce::forceModify,
         "Der Disziplin sind Ergebnisse und Laufeinteilungen zugewiesen. Diese werden ebenfalls gelöscht."},
        {{39},
         &TDisciplinForce::forceModify,
         "Die Disziplin enthält Laufeinteilungen. Diese werden ebenfalls gelöscht."},
        {{45, 46},
         &TDisciplinForce::forceRemoveAssignedResults,
         "Die Altersklassenänderung entfernt Riegen, denen schon Ergebnisse zugeordnet sind. Diese Ergebnisse werden "
         "gelöscht."},
        {{70},
         &TDisciplinForce::forceAgeClass,
         "Der Disziplin sind schon Riegen anderer Altersklassen zugeordnet, die Zuordnung wird entfernt."},
        {{182},
         &TDisciplinForce::forceChangeResultType,
         "Der Ergebnistyp soll geändert werden, aber die Disziplin enthält bereits Ergebnisse."},
    };
    return r;
}

const TRefusal* refusalFor(const std::vector<TRefusal>& table, int errorId)
{
    for (const TRefusal& r : table)
        if (std::find(r.ids.begin(), r.ids.end(), errorId) != r.ids.end())
            return &r;
    return nullptr;
}

} // namespace

// ---- creation --------------------------------------------------------------------------------------

TDisciplinForm::TDisciplinForm(TWindowContext& context, int index)
    : TTVPForm(context),
      FLastAccess(kNeverActivated),
      index_(index),
      discs_({{QStringLiteral("Disziplinname"), [](const TDiscListEntry& e) { return e.info.name; }},
              {QStringLiteral("Team Wettbewerb"),
               [](const TDiscListEntry& e) { return e.info.isTeam ? QStringLiteral("Ja") : QStringLiteral("Nein"); }},
              {QStringLiteral("Leistungszuordnung"),
               [](const TDiscListEntry& e) { return assignmentTypeToString(e.info.assignmentType); }},
              {QStringLiteral("Versuche"), [](const TDiscListEntry& e) { return QString::number(e.info.attempts); }},
              {QStringLiteral("ID"), [](const TDiscListEntry& e) { return idText(e.info.id); }}}),
      sorted_(QStringLiteral("DisciplinListForm%1.ListView1.").arg(index))
{
    setObjectName(QStringLiteral("DisciplinListForm%1").arg(index));
    setWindowTitle(QStringLiteral("Disziplinen verwalten"));
    defaultDiscInfo.attempts = 1;
    FLoadedInfos = {QString(), TBool::bNotSet, TBool::bNotSet};
    road_ = std::make_unique<Road>(context, disciplinRequests(), this,
                                   [this](std::unique_ptr<TDisciplinResponse> r, const TRequestOutcome& o) {
                                       guarded([&] { CommunicationThread1Finished(std::move(r), o); });
                                   });
    buildControls();
    sorted_.setSourceModel(&discs_);
    sorted_.initListView();

    SelectItemTimer.setObjectName(QStringLiteral("SelectItemTimer"));
    SelectItemTimer.setSingleShot(true);
    connect(&SelectItemTimer, &QTimer::timeout, this, [this] { guarded([this] { SelectItemTimerTimer(); }); });

    if (auto* trees = context.windows().find<IAggregatorTrees>()) {
        FAggSourceList =
            trees->createAggregatorSourceList(context, this, [this](int id) { return getDiscInfoById(id); });
        SourcesListView->setModel(FAggSourceList->model());
        SourcesListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        keepColumnsWhole(*SourcesListView);
        // No narrower than the captions, and the long source names take the room the list has.
        SourcesListView->header()->setSectionResizeMode(QHeaderView::Interactive);
        fitColumnsToRoom(*SourcesListView);
    }

    // The second window opens beside the first.
    if (index == 1)
        if (QWidget* first = context.windows().widget(TWindowId::DisciplinListForm0))
            move(first->pos() + QPoint(30, 30));
    LoadItem(false);
}

TDisciplinForm::~TDisciplinForm()
{
    // Gone first: nothing calls back into a half-destroyed window.
    road_.reset();
    if (FAggSourceList)
        FAggSourceList->DetachToAggTree();
    FAggSourceList.reset();
    resAggTree.reset();
    tempAggTree.reset();
}

void TDisciplinForm::buildControls()
{
    resize(1180, 860);
    auto* outer = new QVBoxLayout(this);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    ZweitesDisziplinfenster1 = MainMenu1->addAction(QStringLiteral("Zweites Disziplinfenster"));
    ZweitesDisziplinfenster1->setObjectName(QStringLiteral("ZweitesDisziplinfenster1"));
    Veranstaltungsparameter1 = MainMenu1->addAction(QStringLiteral("Veranstaltungsparameter"));
    Veranstaltungsparameter1->setObjectName(QStringLiteral("Veranstaltungsparameter1"));
    outer->setMenuBar(MainMenu1);
    connect(ZweitesDisziplinfenster1, &QAction::triggered, this,
            [this] { guarded([this] { tvp::ShowDisciplinForm(context().windows(), this, 0, 0); }); });
    connect(Veranstaltungsparameter1, &QAction::triggered, this, [this] {
        guarded([this] {
            if (auto* parameters = context().windows().find<IGlobalParameterForm>())
                parameters->showGlobalParameterForm(0);
        });
    });

    // The editor and the result evaluation are taller than a laptop's screen: they scroll there.
    auto* content = new QWidget(this);
    auto* halves = new QVBoxLayout(content);
    halves->setContentsMargins(0, 0, 0, 0);
    buildDisciplineEditor(*halves);

    // ---- lower half: the result-evaluation editor ----
    ResEvalGroupBox = new QGroupBox(QStringLiteral("Ergebnisauswertung"), content);
    ResEvalGroupBox->setObjectName(QStringLiteral("ResEvalGroupBox"));
    halves->addWidget(ResEvalGroupBox, 3);
    buildResultEvaluation(ResEvalGroupBox);
    outer->addWidget(new TVerticalScroll(content, this));
}

// ---- base window ----------------------------------------------------------------------------------

void TDisciplinForm::FormShow()
{
    reloadData();
}

void TDisciplinForm::changeEvent(QEvent* event)
{
    TTVPForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FLastAccess = double(shellClockMs());
}

bool TDisciplinForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            rightButtonDown_ = static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        if (rightButtonDown_ && event->type() == QEvent::MouseButtonPress)
            SelectItemTimer.stop();
        if (event->type() == QEvent::MouseButtonRelease)
            rightButtonDown_ = false;
        return false;
    }
    if (watched == SourcesListView->viewport()) {
        const bool ours = SourcesListView->isEnabled() && aggDragObject().Id != 0;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (ours && drag->mimeData()->hasFormat(QString::fromLatin1(kAggregatorMimeType)))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            bool taken = false;
            if (drop->mimeData()->hasFormat(QString::fromLatin1(kAggregatorMimeType)))
                guarded([&] { taken = SourcesDrop(aggDragObject()); });
            taken ? drop->acceptProposedAction() : drop->ignore();
            return true;
        }
        default: return false;
        }
    }
    if (watched == SourcesListView && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        guarded([this] { RemoveSourceClick(); });
        return true;
    }
    return TTVPForm::eventFilter(watched, event);
}

void TDisciplinForm::reloadData()
{
    reload(false);
}

bool TDisciplinForm::checkItemChanged(const QString& part)
{
    return part == kAggPart ? checkAggItemChanged() : checkDiscItemChanged();
}

void TDisciplinForm::dirtyDataChangeCallback(bool& changed, const QString& part)
{
    if (part == kAggPart)
        SaveAggregatorButton->setEnabled(changed && currentAggregatorId != 0);
}

std::size_t TDisciplinForm::pendingRequests() const
{
    return road_ ? road_->pending() : 0;
}

// ---- requests -------------------------------------------------------------------------------------

std::unique_ptr<TDisciplinRequest> TDisciplinForm::newRequest(TDisciplinRequestType type) const
{
    auto r = std::make_unique<TDisciplinRequest>();
    r->reqType = type;
    return r;
}

void TDisciplinForm::queue(std::unique_ptr<TDisciplinRequest> request)
{
    const TTransactionMode mode = disciplinRequestMode(request->reqType);
    road_->AddRequest(std::move(request), mode);
}

void TDisciplinForm::reload(bool exportTemplate)
{
    ListView1->setEnabled(false);
    HeightsButton->setEnabled(false);
    EnableButtons();
    context().windows().reload(TWindowId::GlobalParameterForm, true);
    AgeClassComboBox->setEnabled(false);
    ResEvalGroupBox->hide();
    ResEvalGroupBox->setEnabled(false);
    queue(newRequest(exportTemplate ? rt_templateExport : rt_get));
}

void TDisciplinForm::modifyDisciplin(std::unique_ptr<TDisciplinRequest> request, const TDisciplinForce& force)
{
    request->reqType = rt_modify;
    request->force = force;
    queue(std::move(request));
}

void TDisciplinForm::deleteDisciplin(int discId, const TDisciplinForce& force)
{
    auto r = newRequest(rt_remove);
    r->discId = discId;
    r->force = force;
    queue(std::move(r));
}

// ---- completion ----------------------------------------------------------------------------------

void TDisciplinForm::CommunicationThread1Finished(std::unique_ptr<TDisciplinResponse> response,
                                                  const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        EnableButtons();
        if (!response) {
            road_->report(outcome);
            return;
        }
        if (handleRefusal(*response, outcome))
            return;
        road_->report(outcome);
        const auto code = TDisciplinRequestType(outcome.command);
        if (code != rt_get && code != rt_getAggTree && code != rt_getTemplates && code != rt_getLabels)
            reloadFormData(true);
        return;
    }
    if (!response)
        return;
    switch (response->reqType) {
    case rt_get:
    case rt_templateExport: completeList(*response); break;
    case rt_getAggTree:
    case rt_getAggTreeExportTemplate: completeTree(*response); break;
    case rt_getTemplates: completeTemplates(*response); break;
    case rt_assignAggregator:
        resetDirtyData(kAggPart);
        ReloadAggregatorTree(response->aggId, false);
        InformOtherInstances(response->discId, 0);
        closeResultCheck();
        break;
    case rt_getLabels:
        setLabelsToAggTree(resAggTree.get(), response->labelValues);
        if (FAggSourceList)
            FAggSourceList->UpdateInfos();
        break;
    case rt_getLabelsExportTemplate:
        if (tempAggTree) {
            tempAggTree->setLabelsToAggTree(response->labelValues, 0);
            if (auto* templates = context().windows().find<ITemplateForms>())
                guarded([&] { templates->saveDiscTemplate(*tempAggTree); });
        }
        reloadData();
        break;
    case rt_modifyResAgg:
        resetDirtyData(kAggPart);
        ReloadAggregatorTree(0, false);
        InformOtherInstances(response->discId, response->aggId);
        if (auto* messages = context().windows().get<TExceptionForm>(TWindowId::ExceptionForm);
            messages && response->modifyResAggWarning.Warnings)
            messages->handleMixedAgeClassWarnings(response->modifyResAggWarning.Warnings->MixedAgeClassesWarning.get(),
                                                  this);
        reloadAnalysis();
        closeResultCheck();
        break;
    case rt_removeResAgg:
        ReloadAggregatorTree(0, false);
        InformOtherInstances(0, 0);
        reloadAnalysis();
        closeResultCheck();
        break;
    case rt_create:
        resetDirtyData(kDiscPart);
        reloadFormData(false);
        InformOtherInstances(0, 0);
        break;
    case rt_modify:
        resetDirtyData(kDiscPart);
        if (auto* messages = context().windows().get<TExceptionForm>(TWindowId::ExceptionForm);
            messages && response->modifyWarning.Warnings)
            messages->handleMixedAgeClassWarnings(response->modifyWarning.Warnings->MixedAgeClassesWarning.get(), this);
        [[fallthrough]];
    case rt_remove:
        reloadFormData(false);
        InformOtherInstances(0, 0);
        reloadDependentWindows();
        break;
    case rt_delete: break;
    }
}

bool TDisciplinForm::handleRefusal(const TDisciplinResponse& response, const TRequestOutcome& outcome)
{
    const auto code = TDisciplinRequestType(outcome.command);
    if (code == rt_remove) {
        if (const TRefusal* r = refusalFor(deleteRefusals(), outcome.errorId)) {
            TDisciplinForce force = response.forced;
            force.*(r->flag) = true;
            promptDeleteDisciplinForced(response.discId, force, QString::fromUtf8(r->text), outcome.action);
            return true;
        }
    } else if (code == rt_modify) {
        if (const TRefusal* r = refusalFor(modifyRefusals(), outcome.errorId)) {
            TDisciplinForce force = response.forced;
            force.*(r->flag) = true;
            promptModifyDisciplinForced(response, QString::fromUtf8(r->text), force, outcome.action);
            return true;
        }
    }
    return false;
}

void TDisciplinForm::promptDeleteDisciplinForced(int discId, TDisciplinForce force, const QString& text,
                                                 const TUserAction& action)
{
    const TDisciplineInfo* info = getDiscInfoById(discId);
    if (!info) {
        context().messages().AddException(0, {}, QStringLiteral("Zu löschende Disziplin konnte nicht gefunden werden."),
                                          QStringLiteral("Disziplin löschen"), this);
        return;
    }
    const TAnswerTo answer(action);
    askYesNoLater(QStringLiteral("Disziplin löschen?"),
                  text + kCrLf + QStringLiteral("Soll \"%1\" wirklich gelöscht werden?").arg(info->name),
                  [this, discId, force] { deleteDisciplin(discId, force); });
}

void TDisciplinForm::promptModifyDisciplinForced(const TDisciplinResponse& response, const QString& text,
                                                 TDisciplinForce force, const TUserAction& action)
{
    const TDisciplineInfo* info = getDiscInfoById(response.discId);
    if (!info) {
        context().messages().AddException(0, {}, QStringLiteral("Zu ändernde Disziplin konnte nicht gefunden werden."),
                                          QStringLiteral("Disziplin ändern"), this);
        LoadItem(false);
        return;
    }
    // The same change again, the result kind included: it is forced only once error 182 itself
    // was confirmed.
    auto r = newRequest(rt_modify);
    r->discId = response.discId;
    r->disciplinInfo = response.disciplinInfo;
    r->resultTypeChanged = response.resultTypeChanged;
    r->writeResultType = response.writeResultType;
    r->writeResultFormat = response.writeResultFormat;
    const TAnswerTo answer(action);
    askLater(
        QStringLiteral("Disziplin ändern?"),
        text + kCrLf + QStringLiteral("Soll \"%1\" wirklich geändert werden?").arg(info->name), TMsgKind::Question,
        TMsgButtons::YesNo, TMsgAnswer::No,
        [this, again = std::make_shared<std::unique_ptr<TDisciplinRequest>>(std::move(r)), force](TMsgAnswer given) {
            // "Nein" shows the stored settings again.
            if (given == TMsgAnswer::Yes)
                modifyDisciplin(std::move(*again), force);
            else
                LoadItem(false);
        });
}

void TDisciplinForm::completeList(TDisciplinResponse& response)
{
    const int scroll = ListView1->verticalScrollBar()->value();
    const bool wasLoading = std::exchange(loading_, true);
    setAgeClasses(response.ageClasses);
    discs_.setRecords(std::move(response.discinfos));
    fitColumnsToRoom(*ListView1);
    ListView1->selectionModel()->clear();
    selectDiscRow(currentDiscId);
    if (!entryById(currentDiscId))
        currentDiscId = 0;
    loading_ = wasLoading;
    LoadItem(response.reqType == rt_templateExport);
    if (auto* finder = context().windows().get<IAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm)) {
        std::vector<TDisciplineInfo> infos;
        infos.reserve(discs_.records().size());
        for (const TDiscListEntry& entry : discs_.records())
            infos.push_back(entry.info);
        finder->setDisciplines(infos);
    }
    ListView1->setEnabled(true);
    ListView1->verticalScrollBar()->setValue(scroll);
    FLastReload = double(shellClockMs());
}

void TDisciplinForm::InformOtherInstances(int discId, int aggId)
{
    itemChanged(context().windows(), this, discId, aggId);
    for (TWindowId w : {TWindowId::AnalyseForm, TWindowId::CertForm, TWindowId::CupCertForm,
                        TWindowId::CupResultModelForm, TWindowId::DisciplinePlaceForm})
        context().windows().reloadIfVisible(w);
}

void TDisciplinForm::reloadAnalysis()
{
    context().windows().reloadIfVisible(TWindowId::AnalyseForm);
}

void TDisciplinForm::closeResultCheck()
{
    if (QWidget* check = context().windows().widget(TWindowId::ResultCheckForm); check && check->isVisible())
        check->close();
}

void TDisciplinForm::reloadDependentWindows()
{
    const TWindowRegistry& w = context().windows();
    w.reloadIfVisible(TWindowId::DisciplinListForm);
    if (w.isVisible(TWindowId::ResultDialog) || w.isVisible(TWindowId::AquireBibOrderForm))
        w.reload(TWindowId::ResultDialog, false);
    w.reloadIfVisible(TWindowId::AnalyseForm);
    w.reloadIfVisible(TWindowId::AthleteForm);
    w.reloadIfVisible(TWindowId::TeamForm);
    w.reloadIfVisible(TWindowId::SquadForm);
    closeResultCheck();
    w.reloadIfVisible(TWindowId::ScheduleForm);
    w.reloadIfVisible(TWindowId::DisciplinePlaceForm);
}

// ---- the pair ------------------------------------------------------------------------------------

void TDisciplinForm::ShowDisciplinForm(QObject* sender, int discId, int aggId)
{
    tvp::ShowDisciplinForm(context().windows(), sender, discId, aggId);
}

void TDisciplinForm::reloadDisciplinForms(bool onlyVisible)
{
    tvp::reloadDisciplinForms(context().windows(), onlyVisible);
}

bool TDisciplinForm::isDiscVisible() const
{
    return tvp::isDiscVisible(context().windows());
}

std::optional<TDisciplineInfo> TDisciplinForm::getLatestDiscInfo(int discId) const
{
    const TDisciplinForm* latest = getLatestDiscForm(context().windows());
    const TDisciplineInfo* info = latest ? latest->getDiscInfoById(discId) : nullptr;
    return info ? std::optional<TDisciplineInfo>(*info) : std::nullopt;
}

std::vector<proto::ResultAggregatorTemplateType> TDisciplinForm::getLatestTemplates() const
{
    const TDisciplinForm* latest = getLatestDiscForm(context().windows());
    return latest ? latest->templates_ : std::vector<proto::ResultAggregatorTemplateType>{};
}

void TDisciplinForm::LoadDisciplineTemplates()
{
    tvp::LoadDisciplineTemplates(context().windows());
}

TDisciplinForm* disciplinForm(const TWindowRegistry& windows, int index)
{
    return windows.get<TDisciplinForm>(index == 0 ? TWindowId::DisciplinListForm0 : TWindowId::DisciplinListForm1);
}

void ShowDisciplinForm(const TWindowRegistry& windows, QObject* sender, int discId, int aggId)
{
    const auto* from = qobject_cast<const TDisciplinForm*>(sender);
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (f && f != from && !f->isVisible()) {
            f->ShowAndLoad(discId, aggId);
            return;
        }
    }
    // Both open: the one activated longer ago; one never activated is never taken.
    TDisciplinForm* chosen = nullptr;
    double bound = kNeverActivated;
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (f && f != from && f->LastAccess() < bound) {
            chosen = f;
            bound = f->LastAccess();
        }
    }
    if (chosen)
        chosen->ShowAndLoad(discId, aggId);
}

void reloadDisciplinForms(const TWindowRegistry& windows, bool onlyVisible)
{
    bool any = false;
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (!f || (onlyVisible && !f->isVisible()))
            continue;
        any = true;
        // The refused reload would have reloaded the event parameters.
        if (!f->reloadFormData(true))
            windows.reload(TWindowId::GlobalParameterForm, true);
    }
    if (!any)
        if (TDisciplinForm* first = disciplinForm(windows, 0))
            first->reloadFormData(true);
}

void unloadDisciplinForms(const TWindowRegistry& windows)
{
    for (int i = 0; i < 2; ++i)
        if (TDisciplinForm* f = disciplinForm(windows, i))
            f->unloadData();
}

void LoadDisciplineTemplates(const TWindowRegistry& windows)
{
    for (int i = 0; i < 2; ++i)
        if (TDisciplinForm* f = disciplinForm(windows, i))
            f->LoadTemplates();
}

bool isDiscVisible(const TWindowRegistry& windows)
{
    for (int i = 0; i < 2; ++i)
        if (TDisciplinForm* f = disciplinForm(windows, i); f && f->isVisible())
            return true;
    return false;
}

TDisciplinForm* getLatestDiscForm(const TWindowRegistry& windows)
{
    TDisciplinForm* latest = disciplinForm(windows, 0);
    double newest = 0.0;
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (f && f->LastReload() > newest) {
            latest = f;
            newest = f->LastReload();
        }
    }
    return latest;
}

void itemChanged(const TWindowRegistry& windows, TDisciplinForm* sender, int discId, int aggId)
{
    for (int i = 0; i < 2; ++i) {
        TDisciplinForm* f = disciplinForm(windows, i);
        if (f && f != sender && f->isVisible())
            f->updateItem(discId, aggId);
    }
}

} // namespace tvp
