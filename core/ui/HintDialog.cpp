#include "core/ui/HintDialog.h"

#include "core/util/AppPaths.h"
#include "core/ui/Dialogs.h"
#include "core/util/IniHandler.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WindowFit.h"

#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kSection = QStringLiteral("HintSystem");
const QString kSuppressAll = QStringLiteral("SuppressAll");
const QString kYes = QStringLiteral("yes");

QString doNotShowKey(const QString& name)
{
    return name + QStringLiteral(".DoNotShow");
}

bool isSwitchedOff(const QString& key)
{
    QString value;
    ReadIniStr(kSection, key, QStringLiteral("no"), value);
    return value == kYes;
}

} // namespace

THintForm::THintForm(QWidget* parent) : THintForm(programContext(), parent)
{
}

THintForm::THintForm(TWindowContext& context, QWidget* parent)
    : TTVPForm(context, parent),
      RichEdit1(new QTextBrowser(this)),
      CheckBox1(new QCheckBox(QStringLiteral("Diesen Hinweis auf diesem Computer nicht mehr anzeigen"), this)),
      CheckBox2(new QCheckBox(QStringLiteral("Alle Hinweise auf diesem Computer deaktivieren"), this)),
      Button1(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("HintForm"));
    setWindowTitle(QStringLiteral("Hinweis"));
    setMinimumSize(480, 250);
    resize(682, 578);

    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    Button1->setObjectName(QStringLiteral("Button1"));

    auto* bottom = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(CheckBox1);
    boxes->addWidget(CheckBox2);
    bottom->addLayout(boxes, 1);
    bottom->addWidget(Button1, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RichEdit1, 1);
    layout->addLayout(bottom);

    Timer1.setSingleShot(true);
    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded([this] { ShowHint(FID, false); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });

    context.offer(static_cast<IHints*>(this));
    fitToTexts(*this);
}

THintForm::~THintForm()
{
    context().withdraw(static_cast<IHints*>(this));
}

void THintForm::ShowHint(const QString& name, bool force)
{
    if (!force && (isSwitchedOff(kSuppressAll) || isSwitchedOff(doNotShowKey(name))))
        return;

    QFile file(AppPaths::programDir() + QStringLiteral("ContextHelp/") + name + QStringLiteral(".html"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    RichEdit1->setHtml(QString::fromUtf8(file.readAll()));

    CheckBox1->setChecked(isSwitchedOff(doNotShowKey(name)));
    CheckBox2->setChecked(isSwitchedOff(kSuppressAll));
    FID = name;
    show();
}

void THintForm::ShowHintDelayed(const QString& name, int delayMs)
{
    FID = name;
    Timer1.start(delayMs);
}

void THintForm::ResetHintSystem()
{
    ResetIniSection(kSection);
}

void THintForm::Button1Click()
{
    if (CheckBox1->isChecked())
        WriteIniStr(kSection, doNotShowKey(FID), kYes);
    if (CheckBox2->isChecked() &&
        askYesNo(this, QStringLiteral("Hinweise deaktivieren"),
                 QStringLiteral("Wollen Sie alle Kontext-Hinweisfenster deaktivieren?\r\n(Diese können später über "
                                "das Menu \"Hilfe\" wieder aktiviert werden.)")))
        WriteIniStr(kSection, kSuppressAll, kYes);
    close();
}

} // namespace tvp
