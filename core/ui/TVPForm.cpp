#include "core/ui/TVPForm.h"

#include "core/ui/AskedGeometry.h"
#include "core/ui/Dialogs.h"
#include "core/util/ShellClock.h"
#include "core/util/UserAction.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/FieldAids.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowPositionManager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <optional>

namespace tvp {

TTVPForm::TTVPForm(QWidget* parent) : TTVPForm(programContext(), parent)
{
}

TTVPForm::TTVPForm(TWindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window),
      closeMessage(QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden. Beim Fortsetzen gehen "
                                  "ungespeicherte Änderungen ggf. verloren. Fenster schließen?")),
      reloadMessage(QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden und ein Neuladen wurde "
                                   "angefordert. Beim Fortsetzen gehen ungespeicherte Änderungen ggf. verloren. "
                                   "Daten neu laden?")),
      checkMessage(QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden und ein Neuladen eines "
                                  "Eintrags wurde angefordert. Beim Fortsetzen gehen ungespeicherte Änderungen "
                                  "ggf. verloren. Daten neu laden?")),
      context_(context),
      askedGeometry_(new TAskedGeometry(*this))
{
    installCutTextAids();
    installFieldAids();
    moveStoreTimer_.setSingleShot(true);
    connect(&moveStoreTimer_, &QTimer::timeout, this, [this] { guarded([this] { onMoveWindow(); }); });
}

void TTVPForm::setDirtyData(const QString& part)
{
    if (!dirtyParts_.contains(part))
        dirtyParts_.append(part);
}

void TTVPForm::resetDirtyData(const QString& part)
{
    dirtyParts_.removeOne(part);
}

void TTVPForm::clearAllDirtyData()
{
    dirtyParts_.clear();
}

bool TTVPForm::hasDirtyData(const QString& part) const
{
    return dirtyParts_.contains(part);
}

bool TTVPForm::hasOverallDirtyData() const
{
    return !dirtyParts_.isEmpty();
}

void TTVPForm::DoItemChangeCheck(const QString& part)
{
    bool changed = checkItemChanged(part);
    if (changed != hasDirtyData(part))
        dirtyDataChangeCallback(changed, part);
    if (changed)
        setDirtyData(part);
    else
        resetDirtyData(part);
}

bool TTVPForm::answeredJustNow()
{
    if (shellClockMs() >= doubleCheckUntil_)
        return false;
    doubleCheckUntil_ = shellClockMs() + doubleCheckIntervalMs;
    return true;
}

bool TTVPForm::showDirtyDataMessage(const QString& caption, const QString& text)
{
    if (answeredJustNow())
        return false;
    // "Ja" loses what was typed: Enter, perhaps meant for another window, keeps it.
    if (dialogs().messageBox(this, caption.isEmpty() ? windowTitle() : caption, text, TMsgKind::Question,
                             TMsgButtons::YesNo, TMsgAnswer::No) != TMsgAnswer::Yes)
        return true;
    doubleCheckUntil_ = shellClockMs() + doubleCheckIntervalMs;
    return false;
}

bool TTVPForm::checkDirtyDataMessage(const std::function<void()>& before, const QString& part, const QString& text)
{
    if (!hasDirtyData(part))
        return false;
    if (before)
        before();
    return showDirtyDataMessage(part, text.isEmpty() ? checkMessage : text);
}

void TTVPForm::checkDirtyDataLater(const QString& part, std::function<void()> onStay, std::function<void()> onGo)
{
    if (!hasDirtyData(part) || answeredJustNow()) {
        onGo();
        return;
    }
    askLater(part.isEmpty() ? windowTitle() : part, checkMessage, TMsgKind::Question, TMsgButtons::YesNo,
             TMsgAnswer::No, [this, onStay = std::move(onStay), onGo = std::move(onGo)](TMsgAnswer answer) {
                 if (answer != TMsgAnswer::Yes) {
                     onStay();
                     return;
                 }
                 doubleCheckUntil_ = shellClockMs() + doubleCheckIntervalMs;
                 onGo();
             });
}

bool TTVPForm::reloadFormData(bool ask)
{
    if (ask && hasOverallDirtyData()) {
        // Nobody here asked for the reload (another window's store, an answer): the question waits
        // beside, and the reload comes with its "Ja".
        if (!isUserAction())
            return askReloadLater();
        if (showDirtyDataMessage({}, reloadMessage))
            return false;
        clearAllDirtyData();
    }
    reloadData();
    return true;
}

bool TTVPForm::keepOverReload(std::function<void()> reloadAgreed)
{
    if (isUserAction())
        return showDirtyDataMessage({}, reloadMessage);
    if (answeredJustNow())
        return false;
    askReloadLater(std::move(reloadAgreed));
    return true;
}

bool TTVPForm::askReloadLater(std::function<void()> reloadAgreed)
{
    if (reloadAsked_)
        return false;
    auto reloaded = std::make_shared<bool>(false);
    auto reload = [this, reloaded, reloadAgreed = std::move(reloadAgreed)] {
        if (reloadAgreed) {
            reloadAgreed();
        } else {
            clearAllDirtyData();
            reloadData();
        }
        *reloaded = true;
    };
    if (answeredJustNow()) {
        reload();
        return true;
    }
    reloadAsked_ = true;
    // "Ja" loses what was typed: Enter, perhaps meant for another window, keeps it.
    askLater(windowTitle(), reloadMessage, TMsgKind::Question, TMsgButtons::YesNo, TMsgAnswer::No,
             [this, reload](TMsgAnswer answer) {
                 reloadAsked_ = false;
                 if (answer != TMsgAnswer::Yes)
                     return;
                 doubleCheckUntil_ = shellClockMs() + doubleCheckIntervalMs;
                 reload();
             });
    return *reloaded;
}

void TTVPForm::unloadData()
{
    ++loadGeneration_;
    reloadAsked_ = false;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow() && child->isVisible() && child->property(kAskingProperty).toBool())
            child->close();
    unload();
}

void TTVPForm::askLater(const QString& caption, const QString& text, TMsgKind kind, TMsgButtons buttons,
                        TMsgAnswer defaultAnswer, std::function<void(TMsgAnswer)> answered)
{
    context_.dialogs().ask(this, caption, text, kind, buttons, defaultAnswer,
                           [guard = TLoadGuard(this), answered = std::move(answered)](TMsgAnswer answer) {
                               if (answered && guard.holds())
                                   answered(answer);
                           });
}

void TTVPForm::askYesNoLater(const QString& caption, const QString& text, std::function<void()> onYes)
{
    askLater(caption, text, TMsgKind::Question, TMsgButtons::YesNo, TMsgAnswer::No,
             [onYes = std::move(onYes)](TMsgAnswer answer) {
                 if (answer == TMsgAnswer::Yes)
                     onYes();
             });
}

TLoadGuard::TLoadGuard(QObject* window) : window_(window), hadWindow_(window != nullptr)
{
    if (const auto* form = qobject_cast<const TTVPForm*>(window))
        generation_ = form->loadGeneration();
}

bool TLoadGuard::holds() const
{
    if (!hadWindow_)
        return true;
    if (!window_)
        return false;
    const auto* form = qobject_cast<const TTVPForm*>(window_.data());
    return !form || form->loadGeneration() == generation_;
}

void TTVPForm::setVisible(bool visible)
{
    if (!visible || !isVisible()) {
        if (visible) {
            // Over a modal window (the chooser at start-up) a window belongs to that one, or it
            // could not be used until the modal one closes. Modal itself it would block the other.
            QWidget* modal = QApplication::activeModalWidget();
            QWidget* owner = modal && modal != this && !isAncestorOf(modal) ? modal : parentWidget();
            winId(); // the window handle, made now rather than by the show below
            if (QWindow* handle = windowHandle())
                handle->setTransientParent(owner ? owner->window()->windowHandle() : nullptr);
        }
        // Not opened by the user's own key or click: beside the window the user types in.
        std::optional<TUnaskedShow> unasked;
        if (visible)
            unasked.emplace(*this);
        QWidget::setVisible(visible);
        return;
    }
    // Shown again while open, perhaps minimised or behind other windows. Unasked (a reload after a
    // store elsewhere) it stays where the user left it: in front it would cover what the user types.
    const bool wasMinimized = isMinimized();
    if (wasMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isUnaskedShow()) {
        raise();
        if (!testAttribute(Qt::WA_ShowWithoutActivating))
            activateWindow();
    }
    // A restored window gets no show event of its own, but its data may be stale.
    if (wasMinimized)
        guarded([this] { FormShow(); });
}

void TTVPForm::showReloaded()
{
    // Shown or restored, it reloads by itself.
    const bool reloads = !isVisible() || isMinimized();
    show();
    if (!reloads)
        guarded([this] { FormShow(); });
}

void TTVPForm::closeEvent(QCloseEvent* event)
{
    if (checkDirtyDataOnClose && hasOverallDirtyData()) {
        if (showDirtyDataMessage({}, closeMessage)) {
            event->ignore();
            return;
        }
        clearAllDirtyData();
    }
    event->accept();
}

void TTVPForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        askedGeometry_->hold();
        // Sized before the window system maps it, so that nothing moves once it shows; grown so, or
        // as wide as it can be already, it grows no more.
        if (growsWithLists_) {
            const auto lists = listsLacking(*this);
            for (const auto& [list, lacking] : lists)
                growForList(*list, lacking);
            if (!lists.empty())
                growsWithLists_ = false;
        }
        askedGeometry_->askNow();
        guarded([this] { FormShow(); });
    }
}

void TTVPForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    geometryChanged();
}

void TTVPForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    geometryChanged();
}

bool TTVPForm::event(QEvent* event)
{
    // A list of the window first shows rows and lacks width: the window decides whether it grows,
    // whatever the window manager did meanwhile.
    if (event->type() == TListLacksEvent::kType) {
        const auto* lacks = static_cast<TListLacksEvent*>(event);
        guarded([&] { growForList(lacks->list(), lacks->lacking()); });
        return true;
    }
    return QWidget::event(event);
}

void TTVPForm::growForList(const QWidget& list, int lacking)
{
    TPositionStoreAdapter* adapter = context_.positionStore();
    if (!growsWithLists_ || lacking <= 0 || !adapter || !isVisible() || isMinimized() || isMaximized() ||
        isFullScreen())
        return;
    const QMargins frame = askedGeometry_->frameMargins();
    const int most = adapter->area().width() - frame.left() - frame.right();
    const int opened = width();
    // Beside other widgets the list gets only a part of what the window grows by: the window grows
    // again by what is still lacking, at the rate the list gained.
    int by = lacking;
    for (int step = 0; step < 3 && lacking > 0 && width() < most; ++step) {
        const int window = width();
        const int own = list.width();
        resize(std::min(window + by, most), height());
        const int gained = list.width() - own;
        if (gained <= 0)
            break;
        lacking -= gained;
        by = int((qint64(lacking) * (width() - window) + gained - 1) / gained);
    }
    // Held with its place until the window system confirms both, its frame kept within the free area.
    if (width() > opened)
        growsWithLists_ = false;
}

QRect TTVPForm::restingGeometry() const
{
    return askedGeometry_->resting();
}

bool TTVPForm::awaitsGeometry() const
{
    return askedGeometry_->holding();
}

void TTVPForm::geometryChanged()
{
    // Qt reports every step of a drag; only the resting place is worth a settings write.
    if (isVisible())
        moveStoreTimer_.start(moveStoreDelayMs);
}

void TTVPForm::onMoveWindow()
{
    if (isVisible() && !isMinimized())
        if (TPositionStoreAdapter* adapter = context_.positionStore())
            adapter->storeWindowPosition(this);
}

} // namespace tvp
