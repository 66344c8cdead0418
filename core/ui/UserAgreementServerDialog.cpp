#include "core/ui/UserAgreementServerDialog.h"

#include "core/ui/Dialogs.h"
#include "core/connection/LocalServerControl.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

namespace {

const char* const kAgreementText =
    "Wenn Sie den Veranstaltungsserver auf diesem PC starten, öffnet er eine Netzwerkschnittstelle. "
    "Über sie können andere Benutzer des Netzwerks, mit dem dieser PC verbunden ist, den Server "
    "erreichen und auf die Daten Ihrer Veranstaltungen zugreifen.\n\n"
    "Beim ersten Start fragt das Betriebssystem unter Umständen nach, ob für den Server eine Ausnahme "
    "in der Firewall eingerichtet werden soll.\n\n"
    "Der Server ist ausschließlich für den Betrieb in gesicherten, vom Internet und von fremden Geräten "
    "abgeschotteten Netzwerken gedacht. Die Daten werden unverschlüsselt übertragen, und der Server "
    "prüft nicht, wer auf ihn zugreift: Es gibt keine Zugriffskontrolle.\n\n"
    "Für Schäden, die aus dem Betrieb des Servers entstehen, insbesondere für den Verlust oder die "
    "unbefugte Einsicht oder Veränderung von Daten, wird keine Haftung übernommen.\n\n"
    "Mit \"Zustimmen\" erklären Sie, dass Sie diese Hinweise gelesen haben und den Server unter diesen "
    "Bedingungen betreiben möchten.";

} // namespace

TUserAgreementServerForm::TUserAgreementServerForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UserAgreementServerForm"));
    setWindowTitle(QStringLiteral("Haftungsausschluss"));
    setModal(true);
    resize(520, 420);

    auto* heading = new QLabel(QStringLiteral("Hinweis zur Netzwerksicherheit"), this);
    heading->setObjectName(QStringLiteral("LabelHeading"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);

    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("MemoText"));
    text->setReadOnly(true);
    text->setPlainText(QString::fromUtf8(kAgreementText));

    auto* buttons = new QDialogButtonBox(this);
    auto* agree = buttons->addButton(QStringLiteral("Zustimmen"), QDialogButtonBox::AcceptRole);
    agree->setObjectName(QStringLiteral("ButtonAgree"));
    auto* refuse = buttons->addButton(QStringLiteral("Nicht zustimmen"), QDialogButtonBox::RejectRole);
    refuse->setObjectName(QStringLiteral("ButtonDisagree"));
    refuse->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
}

bool TUserAgreementServerForm::checkUserAgreement()
{
    return dialogs().execModal(*this) == QDialog::Accepted;
}

TLocalServerStart startLocalServerWithConsent(TUserAgreementServerForm& consent, const std::function<bool()>& start)
{
    if (!consent.checkUserAgreement())
        return TLocalServerStart::NoConsent;
    const bool started = start ? start() : StartLocalServer().ran;
    return started ? TLocalServerStart::Started : TLocalServerStart::Failed;
}

} // namespace tvp
