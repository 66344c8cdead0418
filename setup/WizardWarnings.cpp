#include "setup/WizardWarnings.h"

#include "core/connection/RequestContext.h"
#include "core/protocol/Errors.h"
#include "setup/XMLLogic.h"

#include <exception>

namespace tvp {

const QString kWizardCloseMessage = QStringLiteral(
    "Wenn Sie Fortfahren wird keine Veranstaltung angelegt. Bisherige Einstellungen in diesem Wizard gehen verloren.");

TWizardPageInfo::TWizardPageInfo(QString closeMessage, bool enableBack, QString nextLabel)
    : FCloseMessage(std::move(closeMessage)), FNextButtonLabel(std::move(nextLabel)), FEnableBackButton(enableBack)
{
}

std::function<bool()> TWizardPageInfo::getNextButtonOp()
{
    return [this] { return NextButtonClick(); };
}

// ---- messages ----

QString messageTypePrefix(TWizardMessageType type)
{
    switch (type) {
    case mt_Error: return QStringLiteral("Fehler: ");
    case mt_Warning: return QStringLiteral("Warnung: ");
    case mt_Info: break;
    }
    return QStringLiteral("Hinweis: ");
}

TWizardMessage::TWizardMessage(const IWarningOrigin& origin) : FOrigin(origin.getWarningOrigin())
{
}

QString TWizardMessage::getTypedMessage()
{
    return messageTypePrefix(getMessageType()) + getMessage();
}

bool TWizardMessage::isFrom(const IWarningOrigin* origin) const
{
    return origin && origin->getWarningOrigin() == FOrigin;
}

TConstraintWarning::TConstraintWarning(const IWarningOrigin& origin, TConstraintExpression& constraint,
                                       IMessageSink& messages)
    : TConstraintWarning(origin.getWarningOrigin(), constraint, messages)
{
}

TConstraintWarning::TConstraintWarning(QString origin, TConstraintExpression& constraint, IMessageSink& messages)
    : TWizardMessage(std::move(origin)), FConstraint(&constraint), messages_(messages)
{
}

bool TConstraintWarning::CheckWarningCondition()
{
    try {
        return FConstraint->hasWarning() || !FConstraint->isFullfilled();
    } catch (const std::exception& e) {
        const QString text =
            dynamic_cast<const TvpError*>(&e) ? static_cast<const TvpError&>(e).message() : QString::fromUtf8(e.what());
        messages_.AddException(-1, {},
                               QStringLiteral("Beim Auswerten von Veranstaltungsbedingung \"") +
                                   FConstraint->getFailMessage() + QStringLiteral("\" ist ein Fehler aufgetreten: ") +
                                   text,
                               QStringLiteral("Veranstaltung anlegen"));
        return false;
    }
}

TWizardMessageType TConstraintWarning::getMessageType()
{
    // An evaluation that throws counts as fulfilled here; the condition check has reported it.
    try {
        if (!FConstraint->isFullfilled())
            return mt_Error;
        if (FConstraint->hasWarning())
            return mt_Warning;
    } catch (const std::exception&) {
    }
    return mt_Info;
}

QString TConstraintWarning::getMessage()
{
    if (FOrigin.isEmpty())
        return FConstraint->getFailMessage();
    return FOrigin + QStringLiteral(": ") + FConstraint->getFailMessage();
}

QString TConstraintWarning::getID()
{
    return QStringLiteral("CONSTRAINT_") + FOrigin + QLatin1Char('_') + FConstraint->getFailMessage();
}

// ---- manager ----

void TWarningManager::AddWarning(std::unique_ptr<TWizardMessage> message)
{
    if (!message)
        return;
    const QString id = message->getID();
    for (auto& [key, listed] : Fwarnings)
        if (key == id) {
            listed = std::move(message);
            return;
        }
    Fwarnings.emplace_back(id, std::move(message));
}

void TWarningManager::resetStatus()
{
    FStatus = mt_Info;
    if (panel_)
        panel_->hidePanel();
}

void TWarningManager::incStatus(TWizardMessageType type)
{
    if (type > FStatus)
        return;
    FStatus = type;
    if (panel_)
        panel_->showPanel(type);
}

void TWarningManager::test(TWizardMessage& message)
{
    if (message.CheckWarningCondition())
        incStatus(message.getMessageType());
}

void TWarningManager::refresh(const QString& id)
{
    if (!id.isEmpty()) {
        for (auto& [key, message] : Fwarnings)
            if (key == id) {
                test(*message);
                return;
            }
        return;
    }
    resetStatus();
    // A message's check may report and so re-enter; walk by index.
    for (std::size_t i = 0; i < Fwarnings.size(); ++i)
        test(*Fwarnings[i].second);
}

void TWarningManager::removeWarnings(const IWarningOrigin* origin)
{
    for (std::size_t i = Fwarnings.size(); i-- > 0;)
        if (!origin || Fwarnings[i].second->isFrom(origin))
            Fwarnings.erase(Fwarnings.begin() + std::ptrdiff_t(i));
    refresh();
}

QStringList TWarningManager::getMessages()
{
    QStringList texts;
    for (std::size_t i = 0; i < Fwarnings.size(); ++i) {
        TWizardMessage& message = *Fwarnings[i].second;
        if (message.CheckWarningCondition())
            texts << message.getTypedMessage();
    }
    return texts;
}

QString warningDetailsText(const QStringList& messages, TWizardMessageType status, const QString& compTypeName)
{
    QString text = QStringLiteral("Folgende potenzielle Probleme wurden identifiziert:\n");
    for (const QString& message : messages)
        text += QStringLiteral("\n   ") + message;
    text += QStringLiteral("\n\n");
    // The type's name goes into the closing sentence only: message texts may hold "%1".
    QString closing;
    switch (status) {
    case mt_Error:
        closing =
            QStringLiteral("Die Veranstaltung kann nicht angelegt werden. Es bestehen Fehler nach den technischen "
                           "Vorgaben des Veranstaltungstyps \"%1\"");
        break;
    case mt_Warning:
        closing = QStringLiteral(
            "Sie können versuchen die Veranstaltung anzulegen, ggf. entspricht sie aber nicht den offiziellen "
            "Vorgaben des Veranstaltungstyps \"%1\". Probleme beim Anlegen oder später bei der Ergebnisauswertung "
            "können dabei nicht ausgeschlossen werden.");
        break;
    case mt_Info:
        closing = QStringLiteral("Die Veranstaltung kann technisch angelegt werden, ggf. gibt es aber Hinweise auf der "
                                 "offiziellen Vorgaben des Veranstaltungstyps \"%1\"");
        break;
    }
    return text + closing.arg(compTypeName);
}

} // namespace tvp
