#include "organisation/ui/LapCountSheetDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tvp {

TLapCountSheetForm::TLapCountSheetForm(TWindowContext& context) : TTVPForm(context)
{
    setWindowTitle(QStringLiteral("Rundenzählblätter Einstellungen"));
    setSizeableBorder(false);
    checkDirtyDataOnClose = false;
    auto spin = [this](const char* name, int min, int max, int value) {
        auto* s = new QSpinBox(this);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(min, max);
        s->setValue(value);
        return s;
    };
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    SpinEdit1 = spin("SpinEdit1", 1, 2, 1);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    SpinEdit2 = spin("SpinEdit2", 1, 32767, 8);
    CheckBox1 = new QCheckBox(QStringLiteral("Blanko Vordrucke"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    SpinEdit3 = spin("SpinEdit3", 1, 99, 1);
    SpinEdit3->setVisible(false);
    Button1 = new QPushButton(QStringLiteral("Drucken"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Speichern"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(SpinEdit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(SpinEdit2, 1, 1);
    grid->addWidget(CheckBox1, 2, 0);
    grid->addWidget(SpinEdit3, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    for (QSpinBox* s : {SpinEdit1, SpinEdit2, SpinEdit3})
        connect(s, &QSpinBox::valueChanged, this, [this] { guarded([this] { updateTexts(); }); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { guarded([this] { updateTexts(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    updateTexts();
}

void TLapCountSheetForm::updateTexts()
{
    Label1->setText(QStringLiteral("Anzahl Teilnehmer pro Blatt: ") + QString::number(SpinEdit1->value()));
    Label2->setText(QStringLiteral("Punkte pro Runde: ") + QString::number(SpinEdit2->value()));
    const bool blanks = CheckBox1->isChecked();
    CheckBox1->setText(blanks ? QStringLiteral("Blanko Vordrucke: ") + QString::number(SpinEdit3->value())
                              : QStringLiteral("Blanko Vordrucke"));
    SpinEdit3->setVisible(blanks);
    const bool changed = SpinEdit1->value() != openedParts_ || SpinEdit2->value() != openedPoints_;
    Button2->setEnabled(!blanks && changed);
}

TPrintDialogResult TLapCountSheetForm::executeLapCountSheetDialog(int& participantsPerSheet, int& pointsPerLap,
                                                                  int& blanks, bool showPrint, bool showBlankOption)
{
    if (participantsPerSheet != 0)
        SpinEdit1->setValue(participantsPerSheet);
    if (pointsPerLap != 0)
        SpinEdit2->setValue(pointsPerLap);
    if (blanks != 0)
        SpinEdit3->setValue(blanks);
    CheckBox1->setChecked(false);
    CheckBox1->setVisible(showBlankOption);
    Button1->setVisible(showPrint);
    openedParts_ = SpinEdit1->value();
    openedPoints_ = SpinEdit2->value();
    updateTexts();
    FResult = TPrintDialogResult::pr_cancel;
    context().dialogs().execModal(*this);
    if (FResult != TPrintDialogResult::pr_cancel) {
        participantsPerSheet = SpinEdit1->value();
        pointsPerLap = SpinEdit2->value();
        blanks = SpinEdit3->value();
    }
    return FResult;
}

void TLapCountSheetForm::Button1Click()
{
    FResult = CheckBox1->isChecked() ? TPrintDialogResult::pr_printBlanco : TPrintDialogResult::pr_saveAndPrint;
    hide();
}

void TLapCountSheetForm::Button2Click()
{
    FResult = TPrintDialogResult::pr_save;
    hide();
}

} // namespace tvp
