#pragma once
// The about window: the program's and the competition server's version. It also holds the
// program's version numbers that the update check sends.

#include "core/ui/TVPForm.h"

class QFrame;
class QLabel;

namespace tvp {

class TInfoForm : public TTVPForm {
    Q_OBJECT
public:
    // The maker's web page, behind the link label and the logo.
    static const QString kWebPage;

    // The version is the build's own.
    explicit TInfoForm(QWidget* parent = nullptr);
    explicit TInfoForm(TWindowContext& context, QWidget* parent = nullptr);
    // With the program's file version given as text ("1.2.3"); empty means unknown.
    explicit TInfoForm(const QString& fileVersion, QWidget* parent = nullptr);
    TInfoForm(TWindowContext& context, const QString& fileVersion, QWidget* parent = nullptr);
    ~TInfoForm() override;

    // Asks the current server for its version on the GUI thread; a failure goes to the message
    // window and leaves the server version hidden.
    void LoadServerVersion();

    // The first three parts of the file version; -1 where a part is missing or not a number.
    int majorVersion() const { return FMajor; }
    int minorVersion() const { return FMinor; }
    int releaseVersion() const { return FRelease; }

    void openWebPage();
    void bannerPressed();

protected:
    void reloadData() override {}
    void FormShow() override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placePicture();

    QFrame* Shape1;
    QLabel* Image1;
    QLabel* DescriptionLabel;
    QLabel* VersionLabel;
    QLabel* ServerVersionLabel;
    QLabel* LinkLabel;
    QLabel* EulaLabel;
    QLabel* Image2;
    int FMajor = -1;
    int FMinor = -1;
    int FRelease = -1;
    int bannerPresses_ = 0;
};

// The program's about window (its registered window); null until it is created.
TInfoForm* InfoForm();

} // namespace tvp
