#pragma once
// The setup wizard's page controllers and the warnings they raise: a page adds typed messages to
// the wizard's warning manager, which keeps them by ID and shows the most severe applying one on
// the panel. Widget-free; the wizard window implements the panel.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tvp {

class IMessageSink;
class TConstraintExpression;

// Smaller is more severe.
enum TWizardMessageType { mt_Error = 0, mt_Warning = 1, mt_Info = 2 };

// Names where a message comes from (a page, "Abschluss", ...).
class IWarningOrigin {
public:
    virtual ~IWarningOrigin() = default;
    virtual QString getWarningOrigin() const = 0;
};

// Base of every page controller. The wizard calls, for the page it shows: onInitPage when reached
// by Next, onActivatePage each time, validateInput and the Next operation on Next, BackButtonClick
// on Back.
class TWizardPageInfo : public IWarningOrigin {
public:
    TWizardPageInfo(QString closeMessage, bool enableBack, QString nextLabel);
    // A page that overrides Finalize calls it from its own destructor.
    ~TWizardPageInfo() override = default;

    QString getWarningOrigin() const override = 0;
    virtual void onInitPage() {}
    virtual void onActivatePage() {}
    // silent: show no messages; commit: the user pressed Next.
    virtual bool validateInput(bool silent, bool commit) = 0;
    // True: go to the next page; false: the wizard ends as completed.
    virtual bool NextButtonClick() { return true; }
    virtual bool BackButtonClick() { return true; }
    virtual void Finalize() {}
    virtual bool isBackButtonEnabled() const { return FEnableBackButton; }

    std::function<bool()> getNextButtonOp();
    void setNextButtonLabel(const QString& label) { FNextButtonLabel = label; }
    const QString& nextButtonLabel() const { return FNextButtonLabel; }
    const QString& closeMessage() const { return FCloseMessage; }

protected:
    QString FCloseMessage;
    QString FNextButtonLabel;
    bool FEnableBackButton;
};

// What every page but the final one asks before the wizard closes.
extern const QString kWizardCloseMessage;

class TWizardMessage {
public:
    explicit TWizardMessage(const IWarningOrigin& origin);
    explicit TWizardMessage(QString origin) : FOrigin(std::move(origin)) {}
    virtual ~TWizardMessage() = default;

    // The message applies now.
    virtual bool CheckWarningCondition() = 0;
    virtual TWizardMessageType getMessageType() = 0;
    virtual QString getMessage() = 0;
    // Unique key in the warning manager.
    virtual QString getID() = 0;

    QString getTypedMessage();
    bool isFrom(const IWarningOrigin* origin) const;
    const QString& origin() const { return FOrigin; }

protected:
    QString FOrigin;
};

// "Fehler: ", "Warnung: ", "Hinweis: ".
QString messageTypePrefix(TWizardMessageType type);

// A rule of the competition type; the constraint belongs to the type.
class TConstraintWarning : public TWizardMessage {
public:
    // An evaluation failure goes to messages.
    TConstraintWarning(const IWarningOrigin& origin, TConstraintExpression& constraint, IMessageSink& messages);
    TConstraintWarning(QString origin, TConstraintExpression& constraint, IMessageSink& messages);

    bool CheckWarningCondition() override;
    TWizardMessageType getMessageType() override;
    QString getMessage() override;
    QString getID() override;

protected:
    TConstraintExpression* FConstraint;
    IMessageSink& messages_;
};

// The panel the manager drives.
class IWarningPanel {
public:
    virtual ~IWarningPanel() = default;
    virtual void hidePanel() = 0;
    // Caption and colour of the type, shown.
    virtual void showPanel(TWizardMessageType type) = 0;
};

class TWarningManager {
public:
    explicit TWarningManager(IWarningPanel* panel = nullptr) : panel_(panel) {}

    // A message with a listed ID replaces that one in place.
    void AddWarning(std::unique_ptr<TWizardMessage> message);
    void resetStatus();
    void incStatus(TWizardMessageType type);
    // Tests only that message (it can only raise the status); an empty id tests all afresh.
    void refresh(const QString& id = QString());
    // Every message of the origin, all of them for none; then a full refresh.
    void removeWarnings(const IWarningOrigin* origin);
    // The typed texts of the applying messages, in list order.
    QStringList getMessages();

    TWizardMessageType status() const { return FStatus; }
    int count() const { return int(Fwarnings.size()); }

private:
    void test(TWizardMessage& message);

    std::vector<std::pair<QString, std::unique_ptr<TWizardMessage>>> Fwarnings;
    TWizardMessageType FStatus = mt_Info;
    IWarningPanel* panel_;
};

// The "Details" box's text for the applying messages, the status and the type's display name.
QString warningDetailsText(const QStringList& messages, TWizardMessageType status, const QString& compTypeName);

} // namespace tvp
