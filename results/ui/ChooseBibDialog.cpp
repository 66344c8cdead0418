#include "results/ui/ChooseBibDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

TChooseBibForm::TChooseBibForm(TWindowContext& context)
    : TTVPForm(context), bibs_({{QStringLiteral("Startnummer"), [](int bib) { return QString::number(bib); }}})
{
    setWindowTitle(QStringLiteral("Startnummern wählen"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setSizeableBorder(false);
    checkDirtyDataOnClose = false;
    auto* layout = new QVBoxLayout(this);
    int n = 1;
    for (const QString& text : {QStringLiteral("Zuordnung erfolgt laut Disziplin über Startnummer."),
                                QStringLiteral("Der Zeile konnte keine eindeutige Startnummer zugeordnet werden."),
                                QStringLiteral("Bitte wählen Sie eine aus:")}) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("Label%1").arg(n++));
        layout->addWidget(label);
    }
    ListBox1 = new QListView(this);
    ListBox1->setModel(&bibs_);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->installEventFilter(this);
    layout->addWidget(ListBox1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    buttons->addWidget(Button1);
    Button2 = new QPushButton(QStringLiteral("Abbrechen"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    connect(ListBox1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { guarded([this] { ListBox1Click(); }); });
    connect(ListBox1, &QListView::doubleClicked, this, [this] {
        guarded([this] {
            ListBox1Click();
            hide();
        });
    });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { hide(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { cancel(); }); });
}

int TChooseBibForm::ChooseBib(const std::vector<int>& bibs, bool showWarning)
{
    resultChosen = 0;
    bibs_.setRecords(bibs);
    Button1->setEnabled(false);
    if (bibs_.rowCount() == 0) {
        if (showWarning)
            context().messages().AddException(
                0, {},
                QStringLiteral(
                    "Diesem Teilnehmer ist keine Startnummer zugeordnet. Entweder über das Teilnehmerfenster "
                    "Startnummer vergeben oder Leistungszuordnungstyp der Disziplin ändern."),
                QStringLiteral("Startnummer zuordnen"), this);
        return 0;
    }
    ListBox1->setCurrentIndex(bibs_.index(0, 0));
    ListBox1Click();
    ListBox1->setFocus();
    context().dialogs().execModal(*this);
    return resultChosen;
}

void TChooseBibForm::ListBox1Click()
{
    Button1->setEnabled(false);
    const QModelIndex current = ListBox1->currentIndex();
    if (!current.isValid())
        return;
    resultChosen = bibs_.record(current.row());
    Button1->setEnabled(true);
}

void TChooseBibForm::cancel()
{
    resultChosen = 0;
    hide();
}

bool TChooseBibForm::eventFilter(QObject* object, QEvent* event)
{
    if (object == ListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        bool handled = true;
        guarded([&] {
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                hide();
            else if (key == Qt::Key_Escape)
                cancel();
            else
                handled = false;
        });
        if (handled)
            return true;
    }
    return TTVPForm::eventFilter(object, event);
}

void TChooseBibForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        guarded([this] { cancel(); });
        return;
    }
    TTVPForm::keyPressEvent(event);
}

} // namespace tvp
