#pragma once
// "Warnung: Einige Veranstaltungsparameter konnten nicht zugeordnet werden": the parameters a new
// competition got from its templates' own values, and the way from the finished wizard to the
// windows where they can be corrected.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/ui/TVPForm.h"
#include "setup/TemplateManagement.h"

#include <functional>
#include <vector>

class QPushButton;
class QTextEdit;
class QTimer;
class QTreeView;

namespace tvp {

class TUnmappedParameterWarningForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TUnmappedParameterWarningForm(TWindowContext& context);

    // Fills the list and shows the window shortly afterwards; the list is not kept. closeAction
    // runs on the first press of the button (the wizard's next page).
    void showUnmappedParameterWarningFormAsync(const std::vector<TReplacedParameter>& list,
                                               std::function<void(QObject* sender)> closeAction);
    void reshowForm();

    void Button1Click();

    QTreeView* ListView1 = nullptr;
    QPushButton* Button1 = nullptr;
    QTextEdit* Memo1 = nullptr;
    QTimer* ShowTimer = nullptr;
    QTimer* WindowShowTimer = nullptr;

protected:
    void reloadData() override {}
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowTimerTimer();
    void WindowShowTimerTimer();

    TRecordListModel<TReplacedParameter> parameters_;
    TSortedListModel sorted_;
    std::function<void(QObject* sender)> closeAction_;
};

} // namespace tvp
