#pragma once
// The terms of use. The user takes note of them once per computer before the program is first
// used; the consent is kept in the settings file ([EULA] EULA_Accepted).

#include <QDialog>

class QCheckBox;
class QPushButton;
class QTextBrowser;

namespace tvp {

class TEulaForm : public QDialog {
    Q_OBJECT
public:
    // Reads the stored consent.
    explicit TEulaForm(QWidget* parent = nullptr);
    ~TEulaForm() override;

    // Start-up: asks for the consent unless it was given before. False means the program ends.
    bool CheckEULA();
    // The terms for reading only, without waiting.
    void showEULA();

    bool isAccepted() const { return FAccepted; }

    void AcceptButtonClick();

private:
    void showConsentControls(bool visible);

    QTextBrowser* EulaEdit;
    QCheckBox* CheckBox1;
    QPushButton* AcceptButton;
    QPushButton* Button2;
    bool FAccepted = false;
};

// The program's terms window (its registered window); null until it is created.
TEulaForm* EulaForm();

} // namespace tvp
