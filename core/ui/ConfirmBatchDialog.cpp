#include "core/ui/ConfirmBatchDialog.h"

#include "core/ui/Dialogs.h"
#include "core/connection/SlotGuard.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

TConfirmBatchForm::TConfirmBatchForm(QWidget* parent) : TConfirmBatchForm(programContext(), parent)
{
}

TConfirmBatchForm::TConfirmBatchForm(TWindowContext& context, QWidget* parent)
    : TTVPForm(context, parent),
      Memo1(new QPlainTextEdit(QStringLiteral("Wirklich löschen?"), this)),
      CheckBox1(new QCheckBox(QStringLiteral("Auswahl für alle übernehmen"), this)),
      Button1(new QPushButton(QStringLiteral("Ja"), this)),
      Button2(new QPushButton(QStringLiteral("Nein"), this)),
      Button3(new QPushButton(QStringLiteral("Abbrechen"), this))
{
    setObjectName(QStringLiteral("ConfirmBatchForm"));
    setWindowTitle(QStringLiteral("Löschen"));
    setSizeableBorder(false);
    resize(420, 200);

    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3->setObjectName(QStringLiteral("Button3"));
    // "Ja" forces what the server refused to destroy: Enter keeps it.
    Button2->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { answer(TConfirmstate::cs_yes); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { answer(TConfirmstate::cs_no); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { answer(TConfirmstate::cs_cancel); }); });

    context.offer(static_cast<IBatchConfirmation*>(this));
}

TConfirmBatchForm::~TConfirmBatchForm()
{
    context().withdraw(static_cast<IBatchConfirmation*>(this));
}

void TConfirmBatchForm::answer(TConfirmstate chosen)
{
    state = chosen;
    close();
}

void TConfirmBatchForm::prepare(const QString& text, const QString& caption, bool offerApplyToAll, bool applyToAll)
{
    Memo1->setPlainText(text);
    setWindowTitle(caption);
    CheckBox1->setVisible(offerApplyToAll);
    CheckBox1->setEnabled(offerApplyToAll);
    CheckBox1->setChecked(applyToAll);
    // Closing the window by its frame leaves this as the answer.
    state = TConfirmstate::cs_cancel;
    Button2->setFocus();
}

TConfirmAnswer TConfirmBatchForm::given() const
{
    TConfirmAnswer answer;
    answer.given = state != TConfirmstate::cs_cancel;
    answer.confirmed = state == TConfirmstate::cs_yes;
    // The window is hidden by now, so ask whether the box was shown in it, not on screen.
    answer.applyToAll = CheckBox1->isChecked() && CheckBox1->isVisibleTo(this);
    return answer;
}

bool TConfirmBatchForm::showConfirmDialog(const QString& text, const QString& caption, bool offerApplyToAll,
                                          bool& applyToAll, bool& confirmed)
{
    prepare(text, caption, offerApplyToAll, applyToAll);
    confirmed = false;
    context().dialogs().execModal(*this);
    const TConfirmAnswer answer = given();
    applyToAll = answer.applyToAll;
    confirmed = answer.confirmed;
    return answer.given;
}

void TConfirmBatchForm::askConfirm(const QString& text, const QString& caption, bool offerApplyToAll, QObject* window,
                                   std::function<void(const TConfirmAnswer&)> answered)
{
    auto* owner = qobject_cast<QWidget*>(window);
    auto* question = new TConfirmBatchForm(context(), owner ? owner->window() : nullptr);
    question->setWindowModality(Qt::NonModal);
    question->prepare(text, caption, offerApplyToAll, false);
    context().dialogs().openModal(*question,
                                  [question, guard = TLoadGuard(window), answered = std::move(answered)](int) {
                                      question->deleteLater();
                                      if (guard.holds())
                                          answered(question->given());
                                  });
}

} // namespace tvp
