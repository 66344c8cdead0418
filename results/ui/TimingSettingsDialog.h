#pragma once
// "Zeitmessungseinstellungen": the exchange folder and whether the client watches it. Owns the poll
// (on a thread of its own) that splits the timing program's result file into run files every two
// seconds and at each change, says what held runs back, and lights the main window's indicator
// when runs came in.

#include "core/services/ResultCaptureServices.h"
#include "core/ui/TVPForm.h"
#include "results/TimingPoll.h"

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
    bool isPolling() const { return poll_.isPolling(); }

    // One poll, as the timer runs it, here on the calling thread.
    void Timer1Timer() { report(poll_.look(true)); }

protected:
    void reloadData() override {}
    void FormShow() override;

private:
    void report(const TimingPoll::TLook& look);
    void Button1Click();
    void applySettings();
    void reportUnreadable(const TimingConnector::TSplit& split);

    QString FExchangeDir;
    bool FPollingEnabled = false;
    TimingPoll poll_;
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
