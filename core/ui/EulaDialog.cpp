#include "core/ui/EulaDialog.h"

#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/IniHandler.h"
#include "core/connection/SlotGuard.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kEulaSection = QStringLiteral("EULA");
const QString kKey = QStringLiteral("EULA_Accepted");

const char* const kTerms = R"(
<h2>Nutzungsbedingungen für Trivanta Pentrel</h2>

<p>Trivanta Pentrel ist ein Programm zur Organisation und Auswertung von Kinderleichtathletik-Veranstaltungen.
Bitte lesen Sie die folgenden Bedingungen, bevor Sie das Programm verwenden.</p>

<h3>1. Gegenstand</h3>
<p>Diese Bedingungen gelten für das Programm Trivanta Pentrel, bestehend aus dem Client auf diesem PC und dem
Veranstaltungsserver, sowie für die mitgelieferten Vorlagen, Wettkampftypen und Hilfetexte.</p>

<h3>2. Nutzungsrecht</h3>
<p>Sie dürfen das Programm zur Vorbereitung, Durchführung und Auswertung von Sportveranstaltungen einsetzen und
dafür auf beliebig vielen Rechnern installieren. Das Programm darf nur unverändert und vollständig weitergegeben
werden. Eine Veränderung, Zerlegung oder Rückübersetzung des Programms ist nicht gestattet, soweit das Gesetz sie
nicht ausdrücklich erlaubt.</p>

<h3>3. Ihre Daten und die Daten der Teilnehmenden</h3>
<p>Alle Daten einer Veranstaltung (Meldungen, Ergebnisse, Urkunden) speichert der Veranstaltungsserver, den Sie
selbst betreiben. Als Veranstalter sind Sie dafür verantwortlich, dass Sie die Daten der teilnehmenden Kinder nur
im Rahmen der geltenden Datenschutzvorschriften erheben, verarbeiten und veröffentlichen. Holen Sie, wo es nötig
ist, die Einwilligung der Erziehungsberechtigten ein, bevor Sie Namen oder Ergebnisse aushängen oder im Internet
veröffentlichen.</p>
<p>Legen Sie vor und während einer Veranstaltung regelmäßig Sicherungen an, zum Beispiel durch den Export der
Veranstaltung.</p>

<h3>4. Betrieb im Netzwerk</h3>
<p>Der Veranstaltungsserver überträgt die Daten unverschlüsselt und prüft nicht, wer auf ihn zugreift. Betreiben Sie
ihn nur in einem geschützten lokalen Netzwerk, zu dem ausschließlich Ihre Helferinnen und Helfer Zugang haben.</p>

<h3>5. Gewährleistung und Haftung</h3>
<p>Das Programm wurde mit Sorgfalt entwickelt und geprüft. Fehlerfreiheit kann dennoch nicht zugesichert werden.
Prüfen Sie Wertungen und Ergebnislisten, bevor Sie Siegerehrungen vornehmen oder Urkunden ausgeben. Für Schäden,
die aus der Nutzung des Programms entstehen, insbesondere für Datenverluste und fehlerhafte Auswertungen, wird nur
bei Vorsatz und grober Fahrlässigkeit gehaftet, soweit das Gesetz nicht zwingend etwas anderes vorschreibt.</p>

<h3>6. Aktualisierungen</h3>
<p>Das Programm kann auf Ihren Wunsch beim Hersteller nachfragen, ob eine neue Version verfügbar ist. Dabei werden
lediglich die Versionsnummer des Programms und die Namen der abgefragten Zusatzfunktionen übertragen.</p>

<h3>7. Schlussbestimmungen</h3>
<p>Es gilt das Recht der Bundesrepublik Deutschland. Sollte eine dieser Bestimmungen unwirksam sein, bleiben die
übrigen davon unberührt.</p>

<p>Mit &bdquo;Programm starten&ldquo; bestätigen Sie, dass Sie diese Bedingungen zur Kenntnis genommen haben.</p>
)";

} // namespace

TEulaForm* EulaForm()
{
    return programWindows().get<TEulaForm>(TWindowId::EulaForm);
}

TEulaForm::TEulaForm(QWidget* parent)
    : QDialog(parent),
      EulaEdit(new QTextBrowser(this)),
      CheckBox1(new QCheckBox(QStringLiteral("Ich habe die Lizenzinformation zur Kenntnis genommen"), this)),
      AcceptButton(new QPushButton(QStringLiteral("Programm starten"), this)),
      Button2(new QPushButton(QStringLiteral("Programm beenden"), this))
{
    setObjectName(QStringLiteral("EulaForm"));
    setWindowTitle(QStringLiteral("Lizenzinformationen"));
    resize(640, 520);

    EulaEdit->setObjectName(QStringLiteral("EulaEdit"));
    EulaEdit->setReadOnly(true);
    EulaEdit->setOpenLinks(false);
    EulaEdit->setHtml(QString::fromUtf8(kTerms));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    AcceptButton->setObjectName(QStringLiteral("AcceptButton"));
    AcceptButton->setEnabled(false);
    AcceptButton->setAutoDefault(false);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1);
    buttons->addStretch();
    buttons->addWidget(AcceptButton);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(EulaEdit, 1);
    layout->addLayout(buttons);

    connect(CheckBox1, &QCheckBox::toggled, AcceptButton, &QPushButton::setEnabled);
    connect(AcceptButton, &QPushButton::clicked, this, [this] { guarded([this] { AcceptButtonClick(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    QString stored;
    ReadIniStr(kEulaSection, kKey, QStringLiteral("false"), stored);
    FAccepted = stored == QStringLiteral("yes");
}

TEulaForm::~TEulaForm() = default;

void TEulaForm::showConsentControls(bool visible)
{
    CheckBox1->setVisible(visible);
    AcceptButton->setVisible(visible);
    Button2->setVisible(visible);
}

bool TEulaForm::CheckEULA()
{
    if (!FAccepted) {
        // The terms may have been shown for reading before, without the consent controls.
        showConsentControls(true);
        dialogs().execModal(*this);
    }
    return FAccepted;
}

void TEulaForm::AcceptButtonClick()
{
    if (CheckBox1->isChecked()) {
        FAccepted = true;
        WriteIniStr(kEulaSection, kKey, QStringLiteral("yes"));
    }
    accept();
}

void TEulaForm::showEULA()
{
    showConsentControls(false);
    if (!isVisible()) {
        // Opened from a modal window (the about window usually is one), it must be modal itself
        // to be readable; either way the caller does not wait for it.
        setWindowModality(QApplication::activeModalWidget() ? Qt::ApplicationModal : Qt::NonModal);
    }
    show();
    raise();
    activateWindow();
}

} // namespace tvp
