#include "participants/ui/CsvImportDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "participants/CsvImport.h"
#include "participants/ui/ParticipantWindowInterfaces.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCsvImportCaption = QStringLiteral("csv Importieren");
const QString kLoadWait = QStringLiteral("Lade Meldedaten...");
const QString kBuildWait = QStringLiteral("Importiere Meldedaten.");

} // namespace

TCsvImportForm::TCsvImportForm(TWindowContext& context) : TTVPForm(context)
{
    setWindowTitle(QStringLiteral("Meldungen Importieren von Excel csv "));
    checkDirtyDataOnClose = false;
    auto* layout = new QVBoxLayout(this);
    auto* help = new QPlainTextEdit(this);
    help->setObjectName(QStringLiteral("Memo1"));
    help->setReadOnly(true);
    help->setPlainText(QStringList{
        QStringLiteral("In diesem Fenster können Meldungen im csv Format importiert werden, wie sie z.B. Excel "
                       "abspeichern kann."),
        QStringLiteral("Die Tabelle muss mindestens 4 Spalten in der Reihenfolge Vorname, Name, Team, Altersklasse "
                       "und optional "),
        QStringLiteral("Jahrgang, Geschlecht (M oder W), Verein enthalten, die Spalten durch Semikolon (;) "
                       "getrennt."),
        QStringLiteral("Die erste Zeile wird als Überschrift gewertet, ab der zweiten Zeile beginnt der Import."),
        QString(),
        QStringLiteral("Die csv-Datei wird als UTF-8 gelesen, wenn sie gültiges UTF-8 ist, sonst im "
                       "CP-1252-Encoding "),
        QStringLiteral("(früherer Windows-/Office-Standard); andere Kodierungen stellen z.B. Umlaute nicht korrekt "
                       "dar."),
    }
                           .join(u'\n'));
    layout->addWidget(help, 1);
    auto* row = new QHBoxLayout;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    row->addWidget(Edit1, 1);
    Button1 = new QPushButton(QStringLiteral("Datei wählen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    row->addWidget(Button1);
    layout->addLayout(row);
    auto* warning = new QLabel(QStringLiteral(" Achtung: Importieren von schon vorhandenen Athleten resultiert in "
                                              "Duplikaten"),
                               this);
    warning->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(warning);
    Button2 = new QPushButton(QStringLiteral("Meldungen importieren"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    layout->addWidget(Button2);
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
}

TCsvImportForm::~TCsvImportForm() = default;

void TCsvImportForm::Button1Click()
{
    const QString path = context().dialogs().getOpenFileName(this, QStringLiteral("Datei wählen"), Edit1->text(),
                                                             QStringLiteral("Trennzeichen-Tabelle (*.csv)"));
    if (!path.isEmpty())
        Edit1->setText(path);
}

void TCsvImportForm::Button2Click()
{
    const QString path = Edit1->text();
    if (!QFileInfo(path).isFile()) {
        context().messages().AddException(-1, {}, QStringLiteral("Datei wurde nicht gefunden"), kCsvImportCaption,
                                          this);
        return;
    }
    // Read-only opening: a spreadsheet that still has the file open does not stop it on Linux.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        context().messages().AddException(-1, {},
                                          QStringLiteral("Datei konnte nicht geöffnet werden. Prüfen Sie, ob sie "
                                                         "noch in Excel geöffnet ist. (") +
                                              file.errorString() + u')',
                                          kCsvImportCaption, this);
        return;
    }
    if (ImportCsvFormat(file)) {
        Edit1->clear();
        hide();
    }
}

bool TCsvImportForm::ImportCsvFormat(QIODevice& stream)
{
    TCsvList rows;
    context().waitTexts().showWait(kLoadWait, this);
    try {
        rows = parseCSV(stream);
    } catch (const ECsvError& e) {
        context().waitTexts().closeWait(kLoadWait);
        context().messages().AddException(-1, {}, e.message(), kCsvReadCaption, this);
        return false;
    }
    context().waitTexts().closeWait(kLoadWait);

    context().waitTexts().showWait(kBuildWait, this);
    TCsvImportResult result = buildCsvImportRequest(rows);
    context().waitTexts().closeWait(kBuildWait);
    if (result.valid == 0) {
        context().messages().AddException(-1, {}, csvNothingToImportText(result), kCsvImportCaption, this);
        return false;
    }
    if (!askYesNo(this, kCsvImportQuestionCaption, csvImportQuestionText(result)))
        return false;
    auto* import = context().windows().get<IParticipantImport>(TWindowId::LadvForm);
    if (!import) {
        context().messages().AddException(-1, {}, QStringLiteral("Der Import ist nicht verfügbar."), kCsvImportCaption,
                                          this);
        return false;
    }
    import->executeImport(std::move(result.request));
    return true;
}

} // namespace tvp
