#include "core/ui/Startup.h"

#include "core/ui/ChooseCompetitionDialog.h"
#include "core/connection/CommunicationThread.h"
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
#include "core/ui/MainWindowServices.h"
#include "core/ui/NewCompetitionDialog.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/StartupWindows.h"
#include "core/ui/UserAgreementServerDialog.h"
#include "core/ui/WaitDialog.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"

#include <QApplication>
#include <QEventLoop>

#include <functional>
#include <map>

namespace tvp {

class TPlaceholderForm : public TTVPForm {
public:
    TPlaceholderForm(const char* className, const QString& caption) : className_(className)
    {
        setWindowTitle(caption);
        resize(480, 320);
    }
    QString className() const { return className_; }

protected:
    void reloadData() override {}

private:
    QString className_;
};

QString windowClassName(const QWidget* window)
{
    if (auto* placeholder = dynamic_cast<const TPlaceholderForm*>(window))
        return placeholder->className();
    return QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1);
}

namespace {

// The windows that exist so far; every other one of the catalogue is a placeholder.
const std::map<QString, std::function<std::unique_ptr<QWidget>()>>& builtWindows()
{
    static const std::map<QString, std::function<std::unique_ptr<QWidget>()>> built = {
        {QStringLiteral("TMainForm"), [] { return std::make_unique<TMainForm>(); }},
        {QStringLiteral("TInfoForm"), [] { return std::make_unique<TInfoForm>(); }},
        {QStringLiteral("TUserAgreementServerForm"), [] { return std::make_unique<TUserAgreementServerForm>(); }},
        {QStringLiteral("THintForm"), [] { return std::make_unique<THintForm>(); }},
        {QStringLiteral("TEulaForm"), [] { return std::make_unique<TEulaForm>(); }},
        {QStringLiteral("TForm10"), [] { return std::make_unique<TForm10>(); }},
        {QStringLiteral("TChooseCompetitionForm"), [] { return std::make_unique<TChooseCompetitionForm>(); }},
        {QStringLiteral("TConfirmBatchForm"), [] { return std::make_unique<TConfirmBatchForm>(); }},
        {QStringLiteral("TExceptionForm"), [] { return std::make_unique<TExceptionForm>(); }},
    };
    return built;
}

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

} // namespace

TProgram::TProgram() = default;

TProgram::~TProgram()
{
    if (qApp && keyHook_)
        qApp->removeEventFilter(keyHook_.get());
    setPosStoreAdapter(nullptr);
    if (competitionSetup().CompSetupWizardForm == newCompetition_.get())
        competitionSetup().CompSetupWizardForm = nullptr;
    services_.reset();
    programWindows().clear();
    // In reverse order of creation; the shared windows are reached through accessors that are
    // null once their window is gone.
    while (!owned_.empty())
        owned_.pop_back();
}

QWidget* TProgram::create(const char* className, const char* objectName, const char* caption)
{
    const auto built = builtWindows().find(QString::fromLatin1(className));
    std::unique_ptr<QWidget> window = built != builtWindows().end()
                                          ? built->second()
                                          : std::make_unique<TPlaceholderForm>(className, QString::fromUtf8(caption));
    window->setObjectName(QString::fromLatin1(objectName));
    window->hide();
    QWidget* raw = window.get();
    programWindows().add(raw);
    order_.push_back(raw);
    owned_.push_back(std::move(window));
    return raw;
}

void TProgram::wire()
{
    TChooseCompetitionForm* chooser = ChooseCompetitionForm();
    TMainForm* main = mainForm_;
    ChooserHooks& hooks = chooser->hooks;
    hooks.reloadAllWindows = [main] { main->ReloadAll(); };
    hooks.refreshMainWindow = [main] { main->RefreshButton(); };
    hooks.closeAllWorkWindows = [] {
        if (posStoreAdapter())
            posStoreAdapter()->closeAllNonMainWindows();
    };
    hooks.showAboutWindow = showInfoFormModal;
    hooks.reloadAboutServerVersion = reloadInfoServerVersion;
    hooks.terminateApplication = [] { QCoreApplication::exit(0); };

    // Until the setup wizard exists, a small window creates new competitions.
    if (!competitionSetup().CompSetupWizardForm) {
        newCompetition_ = std::make_unique<TNewCompetitionForm>();
        competitionSetup().CompSetupWizardForm = newCompetition_.get();
    }

    services_ = std::make_unique<TMainWindowServices>(main);
    main->onUpdateCheck = [this] { services_->startUpdateCheck(); };
    main->onFirstHelpMenu = [this] { services_->requestOnlineHelpLink(); };
    main->onOpenOnlineHelp = [this] { services_->openOnlineHelp(); };
    QObject::connect(services_.get(), &TMainWindowServices::updateEntryEnabledChanged, main,
                     &TMainForm::setUpdateEntryEnabled);
    QObject::connect(services_.get(), &TMainWindowServices::onlineHelpEntryChanged, main,
                     &TMainForm::setOnlineHelpEntry);

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

    for (const StartupWindow& w : startupWindows()) {
        if (w.phase == StartupPhase::Late)
            continue;
        if (w.phase == StartupPhase::AfterReady && mainForm_->windowTitle() == TMainForm::kStartingTitle) {
            mainForm_->setWindowTitle(TMainForm::kTitle);
            instances_->publish(TMainForm::kTitle);
        }
        QWidget* window = create(w.className, w.objectName, w.caption);
        if (!mainForm_) {
            mainForm_ = qobject_cast<TMainForm*>(window);
            instances_->publish(TMainForm::kStartingTitle);
        }
    }
    // Another start's instance test sees the current title.
    QObject::connect(mainForm_, &QWidget::windowTitleChanged, mainForm_,
                     [this](const QString& title) { instances_->publish(title); });

    QList<TTVPForm*> stored;
    for (const StartupWindow* w : positionStoreOrder())
        if (TTVPForm* form = programWindows().form(QString::fromLatin1(w->objectName)))
            stored << form;
    setPosStoreAdapter(std::make_unique<TPositionStoreAdapter>(
        stored, 2,
        TDisciplineWindows{programWindows().form(wnd::Discipline1), programWindows().form(wnd::Discipline2)}));

    wire();
    ChooseCompetitionForm()->addNofitication([main = QPointer<TMainForm>(mainForm_)] {
        if (main)
            main->onCompetitionChange();
    });

    if (!EulaForm() || !EulaForm()->CheckEULA())
        return false;
    if (!ChooseCompetitionForm()->setCompetition(false))
        return false;

    for (const StartupWindow& w : startupWindows())
        if (w.phase == StartupPhase::Late)
            create(w.className, w.objectName, w.caption);

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
