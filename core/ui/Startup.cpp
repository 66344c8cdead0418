#include "core/ui/Startup.h"
#include "core/ui/WindowFit.h"

#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/CompImportDialog.h"
#include "core/ui/CompImportSwitchDialog.h"
#include "core/ui/CompetitionDialog.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/ConfirmBatchDialog.h"
#include "core/ui/Dialogs.h"
#include "core/ui/EulaDialog.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/HintDialog.h"
#include "core/ui/InfoDialog.h"
#include "core/ui/InstanceRegistry.h"
#include "core/util/Logger.h"
#include "core/ui/MainWindow.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/UserAgreementServerDialog.h"
#include "core/ui/WaitDialog.h"
#include "core/ui/WebUIController.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowPositionManager.h"

#include <QApplication>
#include <QEventLoop>

namespace tvp {

namespace {

// Lets the main window see every event before it is dispatched.
class KeyHook : public QObject {
public:
    explicit KeyHook(TMainForm* main) : main_(main) {}
    bool eventFilter(QObject* target, QEvent* event) override
    {
        bool handled = false;
        if (main_)
            guarded([&] { handled = main_->handleApplicationEvent(target, event); });
        return handled;
    }

private:
    QPointer<TMainForm> main_;
};

template <class Dialog>
TWindowFactory plainDialog()
{
    return [](TWindowContext&) { return std::make_unique<Dialog>(); };
}

} // namespace

void registerCoreWindows(TWindowRegistry& registry)
{
    registry.registerWindow<TMainForm>(TWindowId::MainForm);
    registry.registerWindow<TInfoForm>(TWindowId::InfoForm);
    registry.registerWindow(TWindowId::UserAgreementServerForm, plainDialog<TUserAgreementServerForm>());
    registry.registerWindow<THintForm>(TWindowId::HintForm);
    registry.registerWindow(TWindowId::EulaForm, plainDialog<TEulaForm>());
    registry.registerWindow<TForm10>(TWindowId::Form10);
    registry.registerWindow<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm);
    registry.registerWindow<TConfirmBatchForm>(TWindowId::ConfirmBatchForm);
    registry.registerWindow<TExceptionForm>(TWindowId::ExceptionForm);
    registry.registerWindow<TCompetitionForm>(TWindowId::CompetitionForm);
    registry.registerWindow<TCompImportForm>(TWindowId::CompImportForm);
    registry.registerWindow<TCompImportSwitchForm>(TWindowId::CompImportSwitchForm);
    registry.registerService<IWebUIController>(std::make_unique<TWebUIController>(programContext()));
}

TProgram::TProgram() : context_(programContext())
{
    // A program starts without windows and without a competition, also after another one (tests).
    registry().destroyAll();
    registry().clearRegistrations();
    context_.competition().putBackSilently(nullptr);
    registerCoreWindows(registry());
    installCutTextAids();
}

TProgram::~TProgram()
{
    if (qApp && keyHook_)
        qApp->removeEventFilter(keyHook_.get());
    context_.setPositionStore(nullptr);
    // In reverse order of creation; the shared windows withdraw from the context as they go.
    registry().destroyAll();
    registry().clearRegistrations();
    context_.competition().putBackSilently(nullptr);
}

TWindowRegistry& TProgram::registry()
{
    return context_.windows();
}

TWindowContext& TProgram::context()
{
    return context_;
}

std::vector<QWidget*> TProgram::windows() const
{
    return context_.windows().created();
}

void TProgram::create(TWindowId id)
{
    QWidget* window = registry().create(id, context_);
    if (id == TWindowId::MainForm)
        mainForm_ = qobject_cast<TMainForm*>(window);
}

void TProgram::wire()
{
    auto* chooser = registry().get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm);
    TMainForm* main = mainForm_;
    QObject::connect(chooser, &TChooseCompetitionForm::competitionOpened, main, &TMainForm::ReloadAll);
    QObject::connect(chooser, &TChooseCompetitionForm::competitionDeleted, main, &TMainForm::RefreshButton);
    QObject::connect(chooser, &TChooseCompetitionForm::applicationEndRequested, qApp,
                     [] { QCoreApplication::exit(0); });
    if (TInfoForm* info = registry().get<TInfoForm>(TWindowId::InfoForm))
        QObject::connect(chooser, &TChooseCompetitionForm::serverChosen, info, &TInfoForm::LoadServerVersion);
    QObject::connect(&context_.competition(), &TCurrentCompetition::competitionChanged, main,
                     [main] { guarded([main] { main->onCompetitionChange(); }); });

    keyHook_ = std::make_unique<KeyHook>(main);
    qApp->installEventFilter(keyHook_.get());
}

bool TProgram::start()
{
    TVP_LOGGER().log(TLogLevel::ll_info, QStringLiteral("Starting Application"));
    instances_ = std::make_unique<TInstanceRegistry>();
    if (!singleInstanceTest(*instances_, [] {
            return askYesNo(nullptr, QStringLiteral("Trivanta Pentrel erkannt"),
                            QStringLiteral("Eine Instanz des Trivanta Pentrel-Clients läuft bereits auf diesem "
                                           "Computer. Soll eine weitere geöffnet werden?"));
        }))
        return false;

    InitComm();

    for (const TWindowRow& row : windowCatalogue()) {
        if (row.phase == TStartupPhase::Late)
            continue;
        if (row.phase == TStartupPhase::AfterReady && mainForm_->windowTitle() == TMainForm::kStartingTitle) {
            mainForm_->setWindowTitle(TMainForm::kTitle);
            instances_->publish(TMainForm::kTitle);
        }
        create(row.id);
        if (row.id == TWindowId::MainForm)
            instances_->publish(TMainForm::kStartingTitle);
    }
    // Another start's instance test sees the current title.
    QObject::connect(mainForm_, &QWidget::windowTitleChanged, mainForm_,
                     [this](const QString& title) { instances_->publish(title); });

    QList<TTVPForm*> stored;
    for (TWindowId id : positionStoreOrder())
        if (TTVPForm* form = registry().form(id))
            stored << form;
    context_.setPositionStore(
        std::make_unique<TPositionStoreAdapter>(stored, kPositionStoreMainWindows, relatedWindows(registry())));

    wire();

    auto* eula = registry().get<TEulaForm>(TWindowId::EulaForm);
    if (!eula || !eula->CheckEULA())
        return false;
    if (!registry().get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm)->setCompetition(false))
        return false;

    for (const TWindowRow& row : windowCatalogue())
        if (row.phase == TStartupPhase::Late)
            create(row.id);

    mainForm_->show();
    return true;
}

int TProgram::exec()
{
    QEventLoop loop;
    QObject::connect(mainForm_, &TMainForm::closed, &loop, [&loop] { loop.exit(0); });
    if (!mainForm_->isVisible())
        return 0;
    return loop.exec();
}

} // namespace tvp
