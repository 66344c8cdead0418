#pragma once
// "Hilfe - Grobe Schritte einer Veranstaltung": the setup wizard's next steps, from the help menu.

#include "core/ui/TVPForm.h"

class QPlainTextEdit;
class QPushButton;

namespace tvp {

class TCoarseCompStepsForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TCoarseCompStepsForm(TWindowContext& context, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;
    QPushButton* CloseButton;

protected:
    void reloadData() override {}
    void FormShow() override;
};

} // namespace tvp
