#pragma once
// The question whether an item the server refused should be forced, with the choice to let the
// answer stand for the rest of the batch.

#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace tvp {

enum class TConfirmstate { cs_yes, cs_no, cs_cancel };

class TConfirmBatchForm : public TTVPForm, public IBatchConfirmation {
    Q_OBJECT
public:
    // The first one created becomes its context's batch confirmation.
    explicit TConfirmBatchForm(QWidget* parent = nullptr);
    explicit TConfirmBatchForm(TWindowContext& context, QWidget* parent = nullptr);
    ~TConfirmBatchForm() override;

    // Asks modally. The check box is offered only with offerApplyToAll and starts as applyToAll;
    // afterwards applyToAll tells whether it was ticked. False when cancelled; otherwise confirmed
    // is true for "Ja".
    bool showConfirmDialog(const QString& text, const QString& caption, bool offerApplyToAll, bool& applyToAll,
                           bool& confirmed) override;
    // Each question in a window of its own, in front of the window whose action it confirms.
    void askConfirm(const QString& text, const QString& caption, bool offerApplyToAll, QObject* window,
                    std::function<void(const TConfirmAnswer&)> answered) override;

    TConfirmstate state = TConfirmstate::cs_cancel;

protected:
    void reloadData() override {}

private:
    void prepare(const QString& text, const QString& caption, bool offerApplyToAll, bool applyToAll);
    TConfirmAnswer given() const;
    void answer(TConfirmstate chosen);

    QPlainTextEdit* Memo1;
    QCheckBox* CheckBox1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
};

} // namespace tvp
