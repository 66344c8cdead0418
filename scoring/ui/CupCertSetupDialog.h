#pragma once
// The result compilations of one cup, composed from the cup's own nodes; opened by the cups window.

#include "core/services/ScoringServices.h"
#include "scoring/ui/CertSetupDialog.h"

namespace tvp {

class TCupCertForm : public TCertForm, public ICupCertForm {
    Q_OBJECT
public:
    explicit TCupCertForm(TWindowContext& context);

    // ICupCertForm
    void ShowCertForm(int cupId) override;

    int cupId() const { return FcupId; }

protected:
    void LoadCertTemplates() override;
    void CreateCert() override;
    void LoadCertAggs() override;
    void showData(bool testData) override;
    bool isCupWindow() const override { return true; }

private:
    int FcupId = 0;
};

} // namespace tvp
