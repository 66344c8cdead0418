#include "results/ui/TimingSettingsDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/IniHandler.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

namespace {
const QString kSection = QStringLiteral("TimingConnector");
const QString kFolderKey = QStringLiteral("ExchangeFolder");
const QString kPollingKey = QStringLiteral("EnablePolling");
const QString kPollCaption = QStringLiteral("Zeitmessungsdaten");
} // namespace

TTimingSettingsForm::TTimingSettingsForm(TWindowContext& context)
    : TTVPForm(context), connector_([this] { return FExchangeDir; })
{
    setWindowTitle(QStringLiteral("Zeitmessungseinstellungen"));
    setSizeableBorder(false);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Zeitmessungsanbindung mit DLV-Austauschformat (experimentell):"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(heading);
    auto* folderRow = new QHBoxLayout;
    auto* folderLabel = new QLabel(QStringLiteral("Austauschordner:"), this);
    folderLabel->setObjectName(QStringLiteral("Label2"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setMinimumWidth(280);
    Button1 = new QPushButton(QStringLiteral("Auswählen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(Edit1, 1);
    folderRow->addWidget(Button1);
    layout->addLayout(folderRow);
    CheckBox1 = new QCheckBox(QStringLiteral("Kontinuierlich auf neue Datenprüfen"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    layout->addWidget(CheckBox1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("Button2"));
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelButton->setObjectName(QStringLiteral("Button3"));
    ApplyButton = new QPushButton(QStringLiteral("Übernehmen"), this);
    ApplyButton->setObjectName(QStringLiteral("Button4"));
    for (QPushButton* b : {OKButton, CancelButton, ApplyButton})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(pollIntervalMs);
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    soon_.setSingleShot(true);
    soon_.setInterval(0);
    connect(&soon_, &QTimer::timeout, this, [this] {
        guarded([this] {
            // Not with polling off; while an import suspends polling, once it is done.
            if (Timer1.isActive())
                poll(false);
        });
    });
    auto changed = [this] {
        guarded([this] {
            watchExchange(); // the result file may have come or gone
            if (!soon_.isActive())
                soon_.start();
        });
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(ApplyButton, &QPushButton::clicked, this, [this] { guarded([this] { applySettings(); }); });
    connect(OKButton, &QPushButton::clicked, this, [this] {
        guarded([this] {
            applySettings();
            close();
        });
    });
    connect(CancelButton, &QPushButton::clicked, this, [this] { guarded([this] { close(); }); });

    QString folder;
    ReadIniStr(kSection, kFolderKey, QString(), folder);
    FExchangeDir = folder;
    // Written back at every start; the indicator is there from the start when polling is on.
    setPolling(ReadIniInteger(kSection, kPollingKey, 0) > 0);
}

void TTimingSettingsForm::FormShow()
{
    Edit1->setText(FExchangeDir);
    CheckBox1->setChecked(FPollingEnabled);
}

void TTimingSettingsForm::setExchangeDir(const QString& folder)
{
    WriteIniStr(kSection, kFolderKey, folder);
    FExchangeDir = folder;
    watchExchange();
}

void TTimingSettingsForm::watchExchange()
{
    // The folder tells when the result file comes; the file, when it is written. A folder on
    // another computer may tell neither: the poll remains.
    QStringList wanted;
    if (FPollingEnabled && !FExchangeDir.isEmpty() && QFileInfo(FExchangeDir).isDir()) {
        wanted << QFileInfo(FExchangeDir).absoluteFilePath();
        const QFileInfo result(QDir(FExchangeDir).filePath(QLatin1String(kResultFileName)));
        if (result.isFile())
            wanted << result.absoluteFilePath();
    }
    const QStringList watched = watcher_.files() + watcher_.directories();
    auto without = [](const QStringList& paths, const QStringList& others) {
        QStringList out;
        for (const QString& path : paths)
            if (!others.contains(path))
                out << path;
        return out;
    };
    if (const QStringList gone = without(watched, wanted); !gone.isEmpty())
        watcher_.removePaths(gone);
    if (const QStringList come = without(wanted, watched); !come.isEmpty())
        watcher_.addPaths(come);
}

void TTimingSettingsForm::setPolling(bool enabled)
{
    Timer1.setInterval(pollIntervalMs);
    if (enabled)
        Timer1.start();
    else
        Timer1.stop();
    WriteIniInteger(kSection, kPollingKey, enabled ? 1 : 0);
    FPollingEnabled = enabled;
    watchExchange();
    if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
        main->setTimingIndicatorVisible(enabled);
}

void TTimingSettingsForm::suspendPolling()
{
    Timer1.stop();
}

void TTimingSettingsForm::resumePolling()
{
    if (!FPollingEnabled) {
        Timer1.stop();
        return;
    }
    Timer1.start();
    // A timing program that writes the file anew for every run may do so again at any moment: what
    // it wrote during the import is split now, not at the next tick.
    poll(false);
}

void TTimingSettingsForm::poll(bool polled)
{
    // A folder made since, or a result file the watch missed.
    if (polled)
        watchExchange();
    const int competition = context().competition().getCompetitionId(false);
    if (competition == 0)
        return;
    // A failure holds back the runs, tick after tick: said once, and again only when the reason
    // changes or a poll has got through in between.
    QString failure;
    try {
        const TimingConnector::TSplit split = connector_.splitResultFile(competition, polled);
        failure = split.failure;
        reportUnreadable(split);
        // Moved out of the result file, so said once.
        if (!split.setAside.isEmpty())
            context().messages().AddException(0, {}, split.setAside, kPollCaption, this);
        if (split.runs > 0)
            if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
                main->SetNewTimingData();
    } catch (const ETimingFileBusy&) {
        // No file yet, or the timing program is writing: the next tick tries again.
        return;
    } catch (const TvpError& e) {
        failure = e.message();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    if (failure.isEmpty() || failure == reportedFailure_) {
        reportedFailure_ = failure;
        return;
    }
    reportedFailure_ = failure;
    context().messages().AddException(0, {}, failure, kPollCaption, this);
}

void TTimingSettingsForm::reportUnreadable(const TimingConnector::TSplit& split)
{
    // An unreadable run holds back every run behind it, tick after tick: said once, and again only
    // when the file has changed.
    if (split.unreadable.isEmpty()) {
        reportedUnreadable_.clear();
        return;
    }
    if (split.left == reportedUnreadable_)
        return;
    reportedUnreadable_ = split.left;
    context().messages().AddException(0, {}, split.unreadable, kPollCaption, this);
}

void TTimingSettingsForm::Button1Click()
{
    const QString folder =
        context().dialogs().getExistingDirectory(this, QStringLiteral("Bitte Austauschordner wählen"), QString());
    if (!folder.isEmpty())
        Edit1->setText(folder);
}

void TTimingSettingsForm::applySettings()
{
    setExchangeDir(Edit1->text());
    setPolling(CheckBox1->isChecked());
}

} // namespace tvp
