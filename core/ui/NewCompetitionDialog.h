#pragma once
// A small window that creates a competition from a name and a date; it stands in for the setup
// wizard until that exists.

#include "core/services/CompetitionSetupServices.h"

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPushButton;

namespace tvp {

class TWindowContext;

class TNewCompetitionForm : public QDialog, public ICompSetupWizard {
    Q_OBJECT
public:
    explicit TNewCompetitionForm(QWidget* parent = nullptr);
    explicit TNewCompetitionForm(TWindowContext& context, QWidget* parent = nullptr);

    // Shows the window modally; the id of the created competition, 0 when none was created.
    int startCompWizard() override;
    void importToWizard(const QString& sessionId, const QString& contextId) override;
    bool isWizardVisible() const override { return isVisible(); }

    QLineEdit* NameEdit;
    QDateEdit* DateEdit;
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    void OkButtonClick();
    TWindowContext& context_;
    int createdId_ = 0;
};

} // namespace tvp
