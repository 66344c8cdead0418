#include "results/ui/TimingSettingsDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/IniHandler.h"

#include <QCheckBox>
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
    : TTVPForm(context),
      poll_([&competition = context.competition()] { return competition.getCompetitionId(false); }, this,
            [this](const TimingPoll::TLook& look) { guarded([&] { report(look); }); },
            [this] {
                // Every desk's list follows the run folder they share.
                guarded([this] {
                    if (auto* main = this->context().windows().get<TMainForm>(TWindowId::MainForm))
                        main->refreshTimingList();
                });
            })
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
    poll_.setFolder(folder);
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
    poll_.setFolder(folder);
}

void TTimingSettingsForm::setPolling(bool enabled)
{
    poll_.setPolling(enabled, pollIntervalMs);
    WriteIniInteger(kSection, kPollingKey, enabled ? 1 : 0);
    FPollingEnabled = enabled;
    if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
        main->setTimingIndicatorVisible(enabled);
}

void TTimingSettingsForm::report(const TimingPoll::TLook& look)
{
    // No file yet, or the timing program is writing: the next look tries again.
    if (look.busy)
        return;
    // A failure holds back the runs, look after look: said once, and again only when the reason
    // changes or a look has got through in between.
    QString failure = look.failure;
    if (failure.isEmpty()) {
        const TimingConnector::TSplit& split = look.split;
        failure = split.failure;
        reportUnreadable(split);
        // Moved out of the result file, so said once.
        if (!split.setAside.isEmpty())
            context().messages().AddException(0, {}, split.setAside, kPollCaption, this);
        for (const QString& missing : split.missing)
            context().messages().AddWarning(0, {}, missing, kPollCaption, this);
        if (split.runs > 0)
            if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
                main->SetNewTimingData();
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
