#pragma once
// The import source chooser: a competition file, or the browser client's import.

#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"

class QPushButton;

namespace tvp {

class TCompImportSwitchForm : public TTVPForm, public ICompetitionImport {
    Q_OBJECT
public:
    explicit TCompImportSwitchForm(TWindowContext& context);

    // ICompetitionImport
    void showImportChoice() override;

protected:
    void reloadData() override {}
    void FormShow() override;

private:
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
};

} // namespace tvp
