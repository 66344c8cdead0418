#include "core/ui/Dialogs.h"

#include "core/connection/SlotGuard.h"
#include "core/util/UserAction.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

#include <utility>

namespace tvp {

namespace {

// Qt's file list writes dates and sizes in the system's locale, which on a machine without a
// language (C) is English; the program's own (German there) is the default locale.
class TFileListLocale : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == kSizeColumn && !files->isDir(source))
                return QLocale().formattedDataSize(files->size(source));
            if (index.column() == kDateColumn)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }
    // The file list sorts itself (folders first, dates by time); a proxy must leave that to it.
    void sort(int column, Qt::SortOrder order) override
    {
        if (sourceModel())
            sourceModel()->sort(column, order);
    }

private:
    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
};

// What a hide that answers a window looks like: the program's own, not the window manager's
// minimising.
bool answeredBy(const QEvent& event)
{
    return event.type() == QEvent::Hide && !event.spontaneous();
}

// Calls back when the window it watches is hidden (a dialog is, once answered).
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget& window, std::function<void()> hidden) : window_(window), hidden_(std::move(hidden))
    {
        window_.installEventFilter(this);
    }
    ~HideWatcher() override { window_.removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && answeredBy(*event) && hidden_)
            std::exchange(hidden_, nullptr)();
        return false;
    }

private:
    QWidget& window_;
    std::function<void()> hidden_;
};

// While a question waits, the window it belongs to refuses keys and clicks as a modal dialog's
// owner does; a refused key beeps and a refused click brings the question forward with the
// keyboard. Other windows, other questions among them, go on taking input; a question that
// belongs to no window blocks none.
class UnaskedBlock : public QObject {
public:
    explicit UnaskedBlock(QWidget& dialog)
        : dialog_(dialog), owner_(dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr)
    {
        if (owner_)
            qApp->installEventFilter(this);
    }
    ~UnaskedBlock() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* target, QEvent* event) override
    {
        if (!target->isWidgetType() || !isUserInput(event->type()))
            return false;
        auto* widget = static_cast<QWidget*>(target);
        if (widget->window() != owner_)
            return false;
        if (event->type() == QEvent::Close && !event->spontaneous())
            return false;
        switch (event->type()) {
        case QEvent::Close:
        case QEvent::DragEnter: event->ignore(); break;
        case QEvent::KeyPress: dialogs().beep(); break;
        case QEvent::MouseButtonPress:
            dialog_.raise();
            dialog_.activateWindow();
            break;
        default: event->accept(); // a shortcut override taken here triggers no shortcut
        }
        return true;
    }

private:
    QWidget& dialog_;
    QPointer<QWidget> owner_;
};

// Shows the window modally until it is hidden again; a dialog gives its result code, any other
// window 0. One the user's own key or click did not bring up (a server's answer, a poll, a timer)
// waits to be noticed: a modal window in Qt's sense takes the keyboard as it appears, so it is shown
// without, in front, and blocks only the window it belongs to, so that what the user types
// elsewhere meanwhile goes on where it is typed. Such questions are better asked without a loop
// (openBeside); the block goes with the answer in any case, also while an inner loop still runs.
int runModal(QWidget& window)
{
    auto* dialog = qobject_cast<QDialog*>(&window);
    const bool unasked = isUnaskedShow();
    if (dialog && !unasked)
        return dialog->exec();
    std::optional<TUnaskedShow> quiet;
    std::optional<UnaskedBlock> block;
    const Qt::WindowModality before = window.windowModality();
    if (unasked) {
        quiet.emplace(window);
        block.emplace(window);
        window.setWindowModality(Qt::NonModal);
    } else {
        window.setWindowModality(Qt::ApplicationModal);
    }
    if (dialog)
        dialog->setResult(0);
    QEventLoop loop;
    {
        const HideWatcher watcher(window, [&] {
            block.reset();
            loop.quit();
        });
        window.show();
        window.raise();
        if (window.isVisible())
            loop.exec(QEventLoop::DialogExec);
    }
    window.setWindowModality(before);
    return dialog ? dialog->result() : 0;
}

// Shows the window in front of the window it belongs to, which it blocks until the window is hidden,
// and returns at once. Asked for by the user, it comes with the keyboard; otherwise it waits to be
// noticed. Once hidden, closed gets the result code in a call of its own, as part of the user's
// answer; never when the window went with the one it belongs to.
void openBeside(QWidget& window, std::function<void(int)> closed)
{
    const bool unasked = isUnaskedShow();
    auto* block = new UnaskedBlock(window);
    block->setParent(&window);
    auto* watcher = new HideWatcher(window, [&window, block, closed = std::move(closed)]() mutable {
        delete block;
        auto* dialog = qobject_cast<QDialog*>(&window);
        const int result = dialog ? dialog->result() : 0;
        QMetaObject::invokeMethod(
            &window,
            [closed = std::move(closed), result, action = TUserAction::current()] {
                const TAnswerTo answer(action);
                guarded([&] { closed(result); });
            },
            Qt::QueuedConnection);
    });
    watcher->setParent(&window);
    if (auto* dialog = qobject_cast<QDialog*>(&window))
        dialog->setResult(0);
    window.setWindowModality(Qt::NonModal);
    std::optional<TUnaskedShow> quiet;
    if (unasked)
        quiet.emplace(window);
    window.show();
    window.raise();
    if (!unasked)
        window.activateWindow();
}

QString chosenFile(QFileDialog& dialog)
{
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

class QtDialogs final : public IDialogs {
public:
    TMsgAnswer messageBox(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind,
                          TMsgButtons buttons, TMsgAnswer defaultAnswer) override
    {
        const std::unique_ptr<QMessageBox> box = makeMessageBox(parent, caption, text, kind, buttons, defaultAnswer);
        runModal(*box);
        return messageBoxAnswer(*box);
    }

    QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) override
    {
        const std::unique_ptr<QFileDialog> dialog = makeFileDialog(parent, caption, dir, filter);
        dialog->setFileMode(QFileDialog::ExistingFile);
        return chosenFile(*dialog);
    }

    QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) override
    {
        return getSaveFileNameWithSuffix(parent, caption, dir, filter, QString());
    }

    QString getSaveFileNameWithSuffix(QWidget* parent, const QString& caption, const QString& dir,
                                      const QString& filter, const QString& defaultSuffix) override
    {
        // With the default suffix the overwrite question looks at the file that is then written,
        // not at the name as typed.
        const std::unique_ptr<QFileDialog> dialog = makeFileDialog(parent, caption, dir, filter);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(defaultSuffix);
        return chosenFile(*dialog);
    }

    QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) override
    {
        const std::unique_ptr<QFileDialog> dialog = makeFileDialog(parent, caption, dir, QString());
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        return chosenFile(*dialog);
    }

    std::optional<QString> getText(QWidget* parent, const QString& caption, const QString& prompt,
                                   const QString& defaultText) override
    {
        const std::unique_ptr<QInputDialog> dialog = makeTextDialog(parent, caption, prompt, defaultText);
        if (runModal(*dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog->textValue();
    }

    bool printDialog(QWidget* parent, const QString& caption, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(caption);
        return runModal(dialog) == QDialog::Accepted;
    }

    int execModal(QWidget& window) override { return runModal(window); }

    void ask(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind, TMsgButtons buttons,
             TMsgAnswer defaultAnswer, std::function<void(TMsgAnswer)> answered) override
    {
        QMessageBox* box = makeMessageBox(parent, caption, text, kind, buttons, defaultAnswer).release();
        openAsking(*box, [box, answered = std::move(answered)](int) {
            box->deleteLater();
            answered(messageBoxAnswer(*box));
        });
    }

    void openModal(QWidget& window, std::function<void(int)> closed) override { openAsking(window, std::move(closed)); }

    void askPrinter(QWidget* parent, const QString& caption, QPrinter& printer,
                    std::function<void(bool)> answered) override
    {
        auto* dialog = new QPrintDialog(&printer, parent);
        dialog->setWindowTitle(caption);
        openAsking(*dialog, [dialog, answered = std::move(answered)](int result) {
            dialog->deleteLater();
            answered(result == QDialog::Accepted);
        });
    }

    void askText(QWidget* parent, const QString& caption, const QString& prompt, const QString& defaultText,
                 std::function<void(std::optional<QString>)> answered) override
    {
        QInputDialog* dialog = makeTextDialog(parent, caption, prompt, defaultText).release();
        openAsking(*dialog, [dialog, answered = std::move(answered)](int result) {
            dialog->deleteLater();
            answered(result == QDialog::Accepted ? std::optional(dialog->textValue()) : std::nullopt);
        });
    }

private:
    static std::unique_ptr<QInputDialog> makeTextDialog(QWidget* parent, const QString& caption, const QString& prompt,
                                                        const QString& defaultText)
    {
        auto dialog = std::make_unique<QInputDialog>(parent);
        dialog->setWindowTitle(caption);
        dialog->setLabelText(prompt);
        dialog->setTextValue(defaultText);
        dialog->setOkButtonText(QStringLiteral("OK"));
        dialog->setCancelButtonText(QStringLiteral("Abbrechen"));
        return dialog;
    }

    // Marked so that its window's unload closes it (TTVPForm::unloadData).
    static void openAsking(QWidget& window, std::function<void(int)> closed)
    {
        window.setProperty(kAskingProperty, true);
        openBeside(window, std::move(closed));
    }
};

} // namespace

bool isUnaskedShow()
{
    // A window just closed may still count as active; nobody types in it (the window a choice
    // closes, as the competition chooser at start-up, is followed by the one the user chose).
    const QWidget* active = QApplication::activeWindow();
    return !isUserAction() && active && active->isVisible();
}

TUnaskedShow::TUnaskedShow(QWidget& window)
    : window_(window), quiet_(isUnaskedShow() && !window.testAttribute(Qt::WA_ShowWithoutActivating))
{
    if (!quiet_)
        return;
    window_.setAttribute(Qt::WA_ShowWithoutActivating);
    // Read from the handle when there is one already.
    if (QWindow* handle = window_.windowHandle())
        handle->setProperty("_q_showWithoutActivating", true);
}

TUnaskedShow::~TUnaskedShow()
{
    if (!quiet_)
        return;
    // Qt would tell the window system so for the user's later shows as well.
    window_.setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (QWindow* handle = window_.windowHandle())
        handle->setProperty("_q_showWithoutActivating", false);
}

void IDialogs::beep()
{
    QApplication::beep();
}

void IDialogs::ask(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind, TMsgButtons buttons,
                   TMsgAnswer defaultAnswer, std::function<void(TMsgAnswer)> answered)
{
    answered(messageBox(parent, caption, text, kind, buttons, defaultAnswer));
}

void IDialogs::openModal(QWidget& window, std::function<void(int)> closed)
{
    closed(execModal(window));
}

void IDialogs::askPrinter(QWidget* parent, const QString& caption, QPrinter& printer,
                          std::function<void(bool)> answered)
{
    answered(printDialog(parent, caption, printer));
}

void IDialogs::askText(QWidget* parent, const QString& caption, const QString& prompt, const QString& defaultText,
                       std::function<void(std::optional<QString>)> answered)
{
    answered(getText(parent, caption, prompt, defaultText));
}

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind,
                                            TMsgButtons buttons, TMsgAnswer defaultAnswer)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(caption);
    // Never rich text: a competition named "<img src=...>" must read as it is written.
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    switch (kind) {
    case TMsgKind::Question: box->setIcon(QMessageBox::Question); break;
    case TMsgKind::Information: box->setIcon(QMessageBox::Information); break;
    case TMsgKind::Warning: box->setIcon(QMessageBox::Warning); break;
    case TMsgKind::Error: box->setIcon(QMessageBox::Critical); break;
    }
    if (buttons == TMsgButtons::Ok) {
        box->setDefaultButton(box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
        return box;
    }
    QPushButton* yes = box->addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    QPushButton* no = box->addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    QPushButton* cancel = buttons == TMsgButtons::YesNoCancel
                              ? box->addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole)
                              : nullptr;
    switch (defaultAnswer) {
    case TMsgAnswer::No: box->setDefaultButton(no); break;
    case TMsgAnswer::Cancel: box->setDefaultButton(cancel ? cancel : no); break;
    default: box->setDefaultButton(yes); break;
    }
    box->setEscapeButton(cancel ? cancel : no);
    return box;
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const QString& caption, const QString& dir,
                                            const QString& filter)
{
    auto dialog = std::make_unique<QFileDialog>(parent, caption, dir, filter);
    // Qt's own dialog, which speaks German through Qt's translations; a desktop's dialog would
    // follow the machine's language.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setProxyModel(new TFileListLocale(dialog.get()));
    return dialog;
}

TMsgAnswer messageBoxAnswer(const QMessageBox& box)
{
    const QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        clicked = box.escapeButton();
    if (!clicked && box.buttons().size() == 1)
        clicked = box.buttons().constFirst();
    switch (clicked ? box.buttonRole(const_cast<QAbstractButton*>(clicked)) : QMessageBox::InvalidRole) {
    case QMessageBox::YesRole: return TMsgAnswer::Yes;
    case QMessageBox::AcceptRole: return TMsgAnswer::Ok;
    case QMessageBox::RejectRole: return TMsgAnswer::Cancel;
    default: return TMsgAnswer::No;
    }
}

namespace {

std::unique_ptr<IDialogs>& slot()
{
    static std::unique_ptr<IDialogs> current = makeQtDialogs();
    return current;
}

} // namespace

IDialogs& dialogs()
{
    return *slot();
}

void setDialogs(std::unique_ptr<IDialogs> replacement)
{
    slot() = replacement ? std::move(replacement) : makeQtDialogs();
}

std::unique_ptr<IDialogs> makeQtDialogs()
{
    return std::make_unique<QtDialogs>();
}

bool askYesNo(QWidget* parent, const QString& caption, const QString& text)
{
    // "Ja" deletes, moves or overwrites in most questions: Enter, perhaps meant for another window,
    // keeps what there is.
    return dialogs().messageBox(parent, caption, text, TMsgKind::Question, TMsgButtons::YesNo, TMsgAnswer::No) ==
           TMsgAnswer::Yes;
}

namespace {

// Nobody waits for the answer of a message: one the user did not ask for needs no loop.
void showMessage(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind)
{
    if (!isUserAction())
        dialogs().ask(parent, caption, text, kind, TMsgButtons::Ok, TMsgAnswer::Ok, [](TMsgAnswer) {});
    else
        dialogs().messageBox(parent, caption, text, kind, TMsgButtons::Ok);
}

} // namespace

void showInformation(QWidget* parent, const QString& caption, const QString& text)
{
    showMessage(parent, caption, text, TMsgKind::Information);
}

void showWarning(QWidget* parent, const QString& caption, const QString& text)
{
    showMessage(parent, caption, text, TMsgKind::Warning);
}

void showError(QWidget* parent, const QString& caption, const QString& text)
{
    showMessage(parent, caption, text, TMsgKind::Error);
}

} // namespace tvp
