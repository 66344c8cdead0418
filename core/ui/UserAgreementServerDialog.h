#pragma once
// The consent to the network exposure of a local server, asked at every start of it.

#include <QDialog>

#include <functional>

namespace tvp {

class TUserAgreementServerForm : public QDialog {
    Q_OBJECT
public:
    explicit TUserAgreementServerForm(QWidget* parent = nullptr);

    // Shows the window modally; true only for "Zustimmen". The answer is not stored.
    bool checkUserAgreement();
};

enum class TLocalServerStart { NoConsent, Failed, Started };

// The "Start" button's first half: consent, then start (StartLocalServer unless a test or the
// chooser passes its own). Without consent nothing is run.
TLocalServerStart startLocalServerWithConsent(TUserAgreementServerForm& consent,
                                              const std::function<bool()>& start = {});

} // namespace tvp
