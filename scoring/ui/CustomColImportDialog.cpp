#include "scoring/ui/CustomColImportDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tvp {

namespace {

const QString kImportCaption = QStringLiteral("csv Importieren");
const QString kLoadWait = QStringLiteral("Lade Daten...");

const QStringList& instructions()
{
    static const QStringList lines{
        QStringLiteral("Klicken Sie auf Öffnen, um eine csv-Datei mit benutzerdefinierten Spalten zu importieren."),
        QString(),
        QStringLiteral("Die ersten beiden Spalten müssen Vor- und Nachname des Athleten beinhalten."),
        QStringLiteral("Einträge der obersten Zeile werden als Überschriften gewertet, welche mit den im Cup "),
        QStringLiteral("angelegten benutzerdefinierten Spalten exakt übereinstimmen müssen."),
        QString(),
        QStringLiteral("Bestehende Einträge an den Athleten werden ggf. überschrieben, nicht zuzuordnende "),
        QStringLiteral("Einträge werden als Warnung ausgegeben und können dann manuell korrigiert werden."),
    };
    return lines;
}

} // namespace

TCustomColImportForm::TCustomColImportForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, customColImportRequests(), this,
            [this](std::unique_ptr<TCustomColImportResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(QStringLiteral("Importieren von benutzerdefinierten Spalten"));
    setMinimumSize(500, 400);
    auto* layout = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("csv-Datei:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Button1 = new QPushButton(QStringLiteral("Öffnen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(instructions().join(u'\n'));
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Edit1, 0, 1);
    layout->addWidget(Button1, 0, 2);
    layout->addWidget(Memo1, 1, 0, 1, 3);
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
}

void TCustomColImportForm::showImportForm(int cupId)
{
    FcupID = cupId;
    show();
}

void TCustomColImportForm::Button1Click()
{
    const QString path = context().dialogs().getOpenFileName(this, QStringLiteral("Öffnen"), Edit1->text(),
                                                             QStringLiteral("csv-Dateien (*.csv);;Alle Dateien (*)"));
    if (path.isEmpty())
        return;
    Button1->setEnabled(false);
    Edit1->setText(path);
    importFile(path);
}

void TCustomColImportForm::fail(const QString& text)
{
    context().messages().AddException(-1, {}, text, kImportCaption, this);
    Button1->setEnabled(true);
}

void TCustomColImportForm::importFile(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        fail(QStringLiteral("Datei wurde nicht gefunden"));
        return;
    }
    // Read-only opening: a spreadsheet that still has the file open does not stop it.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("Datei konnte nicht geöffnet werden. Prüfen Sie, ob sie noch in Excel geöffnet ist. (") +
             file.errorString() + u')');
        return;
    }
    auto request = std::make_unique<TCustomColImportRequest>();
    context().waitTexts().showWait(kLoadWait, this);
    try {
        request->list.emplace(file.readAll(), FcupID);
    } catch (const TvpError& e) {
        context().waitTexts().closeWait(kLoadWait);
        fail(QStringLiteral("Datei konnte nicht eingeladen werden: ") + e.message());
        return;
    }
    context().waitTexts().closeWait(kLoadWait);
    file.close();
    Memo1->setPlainText(QStringLiteral("Bitte warten..."));
    if (road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite) == 0)
        Button1->setEnabled(true);
}

void TCustomColImportForm::RequestFinished(std::unique_ptr<TCustomColImportResponse> response,
                                           const TRequestOutcome& outcome)
{
    Button1->setEnabled(true);
    QStringList lines = response ? response->log : QStringList();
    lines << QStringLiteral("Fertig.");
    Memo1->setPlainText(lines.join(u'\n'));
    if (!outcome.ok()) {
        context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                          failureCaption(outcome, kImportCaption), this);
        return;
    }
    context().windows().reloadIfVisible(TWindowId::CupAthleteForm);
}

} // namespace tvp
