#pragma once
// "Zeitmessungseinstellungen": the exchange folder and whether the client watches it. Owns the poll
// that splits the timing program's result file into run files every two seconds and lights the main
// window's indicator when runs came in.

#include "core/services/ResultCaptureServices.h"
#include "core/ui/TVPForm.h"
#include "results/TimingConnector.h"

#include <QFileSystemWatcher>
#include <QTimer>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tvp {

class TTimingSettingsForm : public TTVPForm, public ITimingSettingsForm {
    Q_OBJECT
public:
    static inline int pollIntervalMs = 2000;

    explicit TTimingSettingsForm(TWindowContext& context);

    QString getTimingExchangeDir() const override { return FExchangeDir; }
    void setExchangeDir(const QString& folder);
    void setPolling(bool enabled);
    void suspendPolling() override;
    void resumePolling() override;
    bool isPolling() const { return Timer1.isActive(); }

    // One poll, as the timer runs it.
    void Timer1Timer() { poll(true); }

protected:
    void reloadData() override {}
    void FormShow() override;

private:
    void poll(bool polled);
    void watchExchange();
    void Button1Click();
    void applySettings();
    void reportUnreadable(const TimingConnector::TSplit& split);

    QString FExchangeDir;
    bool FPollingEnabled = false;
    QTimer Timer1;
    // A write of the timing program brings a look at once: a run that is whole is split before the
    // timing program may write the file anew.
    QFileSystemWatcher watcher_;
    QTimer soon_;
    TimingConnector connector_;
    QByteArray reportedUnreadable_; // what stayed in the result file when it was said
    QString reportedFailure_;       // the last poll failure said, until a poll gets through
    QLineEdit* Edit1;
    QPushButton* Button1;
    QCheckBox* CheckBox1;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QPushButton* ApplyButton;
};

} // namespace tvp
