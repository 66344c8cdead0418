#include "core/ui/Dialogs.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

namespace tvp {

namespace {

class QtDialogs final : public IDialogs {
public:
    TMsgAnswer messageBox(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind,
                          TMsgButtons buttons) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        switch (kind) {
        case TMsgKind::Question: box.setIcon(QMessageBox::Question); break;
        case TMsgKind::Information: box.setIcon(QMessageBox::Information); break;
        case TMsgKind::Warning: box.setIcon(QMessageBox::Warning); break;
        case TMsgKind::Error: box.setIcon(QMessageBox::Critical); break;
        }
        QPushButton* yes = nullptr;
        QPushButton* no = nullptr;
        QPushButton* cancel = nullptr;
        QPushButton* ok = nullptr;
        if (buttons == TMsgButtons::Ok) {
            ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        } else {
            yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
            no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
            if (buttons == TMsgButtons::YesNoCancel)
                cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
            box.setDefaultButton(yes);
            box.setEscapeButton(cancel ? cancel : no);
        }
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        if (clicked && clicked == yes)
            return TMsgAnswer::Yes;
        if (clicked && clicked == no)
            return TMsgAnswer::No;
        if (ok)
            return TMsgAnswer::Ok;
        return cancel ? TMsgAnswer::Cancel : TMsgAnswer::No;
    }

    QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }

    QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    }

    QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) override
    {
        return QFileDialog::getExistingDirectory(parent, caption, dir);
    }

    bool printDialog(QWidget* parent, const QString& caption, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(caption);
        return dialog.exec() == QDialog::Accepted;
    }

    int execModal(QWidget& window) override
    {
        if (auto* dialog = qobject_cast<QDialog*>(&window))
            return dialog->exec();
        // A work window shown modally: wait until it is hidden again.
        QEventLoop loop;
        HideWatcher watcher(loop);
        window.installEventFilter(&watcher);
        const Qt::WindowModality before = window.windowModality();
        window.setWindowModality(Qt::ApplicationModal);
        window.show();
        if (window.isVisible())
            loop.exec();
        window.removeEventFilter(&watcher);
        window.setWindowModality(before);
        return 0;
    }

private:
    class HideWatcher : public QObject {
    public:
        explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Hide)
                loop_.quit();
            return false;
        }

    private:
        QEventLoop& loop_;
    };
};

std::unique_ptr<IDialogs>& slot()
{
    static std::unique_ptr<IDialogs> current = std::make_unique<QtDialogs>();
    return current;
}

} // namespace

IDialogs& dialogs()
{
    return *slot();
}

void setDialogs(std::unique_ptr<IDialogs> replacement)
{
    slot() = replacement ? std::move(replacement) : std::make_unique<QtDialogs>();
}

bool askYesNo(QWidget* parent, const QString& caption, const QString& text)
{
    return dialogs().messageBox(parent, caption, text, TMsgKind::Question, TMsgButtons::YesNo) == TMsgAnswer::Yes;
}

void showInformation(QWidget* parent, const QString& caption, const QString& text)
{
    dialogs().messageBox(parent, caption, text, TMsgKind::Information, TMsgButtons::Ok);
}

void showWarning(QWidget* parent, const QString& caption, const QString& text)
{
    dialogs().messageBox(parent, caption, text, TMsgKind::Warning, TMsgButtons::Ok);
}

void showError(QWidget* parent, const QString& caption, const QString& text)
{
    dialogs().messageBox(parent, caption, text, TMsgKind::Error, TMsgButtons::Ok);
}

} // namespace tvp
