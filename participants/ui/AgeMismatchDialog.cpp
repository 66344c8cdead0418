#include "participants/ui/AgeMismatchDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

TAgeMismatchPromptForm::TAgeMismatchPromptForm(TWindowContext& context) : TTVPForm(context)
{
    setWindowTitle(QStringLiteral("Altersklassenkonflikt"));
    setSizeableBorder(false);
    auto* text = new QPlainTextEdit(QStringLiteral("Die Hauptaltersklasse der Riege stimmt mit mindestens einem "
                                                   "zugeordneten Team nicht überein."),
                                    this);
    text->setObjectName(QStringLiteral("Memo1"));
    text->setReadOnly(true);
    text->setFixedHeight(60);
    auto button = [this](const QString& caption, const char* name, TAgeMismatchResolution r) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, [this, r] { guarded([&] { answer(r); }); });
        return b;
    };
    using enum TAgeMismatchResolution;
    Button1 = button(QStringLiteral("Übernehmen"), "Button1", amr_ignore);
    Button2 = button(QStringLiteral("Nicht übernehmen"), "Button2", amr_Skip);
    Button3 = button(QStringLiteral("Alle Übernehmen"), "Button3", amr_ignoreAll);
    Button4 = button(QStringLiteral("Abbrechen"), "Button4", amr_cancel);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Button1, Button2, Button3, Button4})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(430, 120)));
}

TAgeMismatchResolution TAgeMismatchPromptForm::ShowAgeMismatchDialog(bool several)
{
    Button3->setEnabled(several);
    Button4->setEnabled(several);
    // Preset for every question: the close box must not repeat the previous answer.
    resolution = TAgeMismatchResolution::amr_cancel;
    dialogs().execModal(*this);
    return resolution;
}

void TAgeMismatchPromptForm::answer(TAgeMismatchResolution r)
{
    resolution = r;
    hide();
}

} // namespace tvp
