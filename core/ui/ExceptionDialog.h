#pragma once
// The one window through which failures and warnings reach the user. A server error id is shown
// in the server's own words (its message table, reloaded with every competition), otherwise the
// caller's text. Messages collect in a list; the window pops up shortly after a new one, and an open
// window takes it where it is.

#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"

#include <QList>
#include <QStringList>
#include <QTimer>

#include <memory>

class QLabel;
class QPushButton;
class QTreeView;

namespace tvp {

class TMessageListModel;

namespace proto {
struct MixedAgeClassesWarningType;
}

struct TExceptionMsg {
    int ExceptionId = 0;
    QString Msg; // "%s" takes the next parameter
};

class TExceptionForm : public TTVPForm, public IMessageSink {
    Q_OBJECT
public:
    // Closing keeps the rows younger than this and leaves the window open for them.
    static inline qint64 keepRecentMs = 2000;
    // Messages arriving within this time make the window appear once.
    static inline int showDelayMs = 50;

    // The first one created becomes its context's messages and the reporter of uncaught failures.
    explicit TExceptionForm(QWidget* parent = nullptr);
    explicit TExceptionForm(TWindowContext& context, QWidget* parent = nullptr);
    ~TExceptionForm() override;

    // errorId -1 means no server id. Every message is shown, whichever window raised it.
    void AddException(int errorId, const QStringList& parameters, const QString& text, const QString& caption,
                      QObject* form = nullptr) override;
    void AddWarning(int errorId, const QStringList& parameters, const QString& text, const QString& caption,
                    QObject* form = nullptr) override;
    // The server's text for the id with the parameters put in; empty for an unknown id.
    QString getExceptionById(int errorId, const QStringList& parameters) const override;
    // Loads the server's message table on the GUI thread; a failure is reported as a message row.
    void ReloadExceptionMessages() override;
    // Warns that one scoring node now spans disciplines of several age classes; null adds nothing.
    void handleMixedAgeClassWarnings(const proto::MixedAgeClassesWarningType* warning, QObject* form);

    void CloseButtonClick();

protected:
    void reloadData() override {}
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showDelayed();
    void showFullText(int row);

    QLabel* Label1;
    std::unique_ptr<TMessageListModel> rows_;
    QTreeView* ListView1;
    QPushButton* CloseButton;
    QTimer ShowTimer;
    QList<TExceptionMsg> FExceptionList;
    QTimer relayout_; // row heights follow the message column's width
};

} // namespace tvp
