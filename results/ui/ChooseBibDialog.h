#pragma once
// "Startnummern wählen": which of a participant's bibs a result typed by bib goes to.

#include "core/lists/RecordListModel.h"
#include "core/ui/TVPForm.h"

#include <vector>

class QListView;
class QPushButton;

namespace tvp {

class TChooseBibForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TChooseBibForm(TWindowContext& context);

    // The bib picked, or 0 when there is none or the user cancelled. Without bibs the window is not
    // shown; showWarning then explains why in the message window.
    int ChooseBib(const std::vector<int>& bibs, bool showWarning);

protected:
    void reloadData() override {}
    bool eventFilter(QObject* object, QEvent* event) override;
    // Escape anywhere in the window cancels, as on the list.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ListBox1Click();
    void cancel();

    int resultChosen = 0;
    TRecordListModel<int> bibs_;
    QListView* ListBox1;
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace tvp
