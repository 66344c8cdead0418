#include "organisation/ui/PrintHighJumpDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/print/ui/Print.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/UserAction.h"
#include "organisation/ui/DisciplinListDialog.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum THeightListType;

// An edit that does not read as a whole number counts as -1.
int readNumber(const QLineEdit& edit)
{
    bool ok = false;
    const int value = edit.text().trimmed().toInt(&ok);
    return ok ? value : -1;
}

} // namespace

TPrintHighJumpForm::TPrintHighJumpForm(TWindowContext& context)
    : TTVPForm(context),
      road_(std::make_unique<THeightListRoad>(context, heightListRequests(), this,
                                              [this](std::unique_ptr<THeightListResponse> r, const TRequestOutcome& o) {
                                                  guarded([&] { RequestFinished(std::move(r), o); });
                                              }))
{
    setWindowTitle(QStringLiteral("Hochsprungliste erstellen"));
    setSizeableBorder(false);
    buildControls();
}

TPrintHighJumpForm::~TPrintHighJumpForm()
{
    // Gone first: a request finishing later calls nobody back.
    road_.reset();
}

void TPrintHighJumpForm::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    auto label = [this](const QString& text, const char* name) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    Label1 = label(QStringLiteral("Höhe:"), "Label1");
    Edit1 = new QLineEdit(QStringLiteral("60"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label3 = label(QStringLiteral("cm"), "Label3");
    Label2 = label(QStringLiteral("Standardschritt:"), "Label2");
    Edit2 = new QLineEdit(QStringLiteral("10"), this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Label4 = label(QStringLiteral("cm"), "Label4");
    Button1 = new QPushButton(QStringLiteral("Einfügen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label3, 0, 2);
    grid->addWidget(Button1, 0, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Label4, 1, 2);

    ListView1 = new QListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(&list_);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(ListView1, 1);

    auto* buttons = new QHBoxLayout;
    Button2 = new QPushButton(QStringLiteral("Drucken"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("Speichern"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setEnabled(false);
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    layout->addLayout(buttons);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](const QString& text, const char* name) {
        QAction* a = PopupMenu1->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    Entfernen1 = item(QStringLiteral("Entfernen"), "Entfernen1");
    AlleHhenentfernen1 = item(QStringLiteral("Alle Höhen entfernen"), "AlleHhenentfernen1");
    PopupMenu1->addSeparator();
    HheninDateispeichern1 = item(QStringLiteral("Höhen in Datei speichern"), "HheninDateispeichern1");
    HhenausDateiladen1 = item(QStringLiteral("Höhen aus Datei laden"), "HhenausDateiladen1");

    auto on = [this](auto* sender, auto signal, void (TPrintHighJumpForm::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(Button1, &QPushButton::clicked, &TPrintHighJumpForm::Button1Click);
    on(Button2, &QPushButton::clicked, &TPrintHighJumpForm::Button2Click);
    on(Button3, &QPushButton::clicked, &TPrintHighJumpForm::Button3Click);
    on(Entfernen1, &QAction::triggered, &TPrintHighJumpForm::Entfernen1Click);
    on(AlleHhenentfernen1, &QAction::triggered, &TPrintHighJumpForm::AlleHhenentfernen1Click);
    on(HheninDateispeichern1, &QAction::triggered, &TPrintHighJumpForm::HheninDateispeichern1Click);
    on(HhenausDateiladen1, &QAction::triggered, &TPrintHighJumpForm::HhenausDateiladen1Click);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            PopupMenu1Popup();
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
        });
    });
    Edit1->installEventFilter(this);
}

bool TPrintHighJumpForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([this] { Button1Click(); });
            return true;
        }
    }
    return TTVPForm::eventFilter(watched, event);
}

std::size_t TPrintHighJumpForm::pendingRequests() const
{
    return road_->pending();
}

void TPrintHighJumpForm::OpenDialog(bool printButton, int disciplineId, int heatNo, TResultformat format)
{
    QString caption;
    switch (format) {
    case TResultformat::rf_Height:
        Label1->setText(QStringLiteral("Höhe:"));
        caption = QStringLiteral("Höhenliste");
        FtypeString = QStringLiteral("Höhe");
        break;
    case TResultformat::rf_TargetPoints:
        Label1->setText(QStringLiteral("Weite:"));
        caption = QStringLiteral("Zielweitenliste");
        FtypeString = QStringLiteral("Weite");
        break;
    case TResultformat::rf_TargetPointCollection:
        Label1->setText(QStringLiteral("Weite:"));
        caption = QStringLiteral("Zielweitensammlungsliste");
        FtypeString = QStringLiteral("Weite");
        break;
    default:
        // Always the height wording: the window serves heights and target distances alike.
        reportLocal(QStringLiteral("Höhendialog öffnen"),
                    QStringLiteral("Höhendialog unterstützt nur Disziplinen mit Ergebnistyp Höhe oder Zielpunkte"));
        return;
    }
    FHeights.clear();
    printAfterSave_ = false;
    Button2->setVisible(printButton);
    setWindowTitle(caption + QStringLiteral(" einstellen"));
    curDisciplineId = disciplineId;
    curHeatNo = heatNo;
    FResultformat = format;
    list_.clear();
    clearAllDirtyData();
    LoadFromBackend();
    context().dialogs().execModal(*this);
}

void TPrintHighJumpForm::showHeightList(int discId, TResultformat format)
{
    OpenDialog(false, discId, 0, format);
}

void TPrintHighJumpForm::LoadFromBackend()
{
    ListView1->setEnabled(false);
    auto request = std::make_unique<THeightListRequest>();
    request->reqType = rt_get;
    request->disciplineID = curDisciplineId;
    road_->AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TPrintHighJumpForm::RequestFinished(std::unique_ptr<THeightListResponse> response, const TRequestOutcome& outcome)
{
    ListView1->setEnabled(true);
    if (!outcome.ok() || !response) {
        printAfterSave_ = false;
        Button3->setEnabled(hasDirtyData(kPart));
        // The edits stay in the list: reloading would throw away what the user could not store.
        road_->report(outcome);
        return;
    }
    switch (response->reqType) {
    case rt_get:
        if (response->disciplineID != curDisciplineId)
            return;
        list_.setValues(parseHeightList(response->heights));
        FHeights = response->heights;
        DoItemChangeCheck(kPart);
        break;
    case rt_save:
        resetDirtyData(kPart);
        Button3->setEnabled(false);
        if (printAfterSave_) {
            printAfterSave_ = false;
            FHeights = response->heights;
            DoItemChangeCheck(kPart);
            // The printer choice answers the user's "Drucken": it waits without holding the program.
            const TAnswerTo answer(outcome.action);
            print(true);
        } else if (Button2->isVisible()) {
            LoadFromBackend();
        } else {
            FHeights = response->heights;
            DoItemChangeCheck(kPart);
            hide();
        }
        break;
    }
}

bool TPrintHighJumpForm::checkItemChanged(const QString& part)
{
    return part == kPart && joinHeightList(list_.values()) != FHeights;
}

void TPrintHighJumpForm::dirtyDataChangeCallback(bool& changed, const QString& part)
{
    if (part == kPart)
        Button3->setEnabled(changed);
}

void TPrintHighJumpForm::edited()
{
    DoItemChangeCheck(kPart);
}

void TPrintHighJumpForm::reportLocal(const QString& caption, const QString& text)
{
    context().messages().AddException(0, {}, text, caption, this);
}

void TPrintHighJumpForm::Button1Click()
{
    const int value = readNumber(*Edit1);
    const int step = readNumber(*Edit2);
    const QString caption = FtypeString + QStringLiteral("nliste erstellen");
    if (value < 1) {
        reportLocal(caption, QStringLiteral("Ungültige ") + FtypeString);
        return;
    }
    if (step < 0) {
        reportLocal(caption, QStringLiteral("Ungültige Schrittweite"));
        return;
    }
    const int row = list_.add(value);
    ListView1->setCurrentIndex(list_.index(row));
    Edit1->setText(QString::number(value + step));
    edited();
}

void TPrintHighJumpForm::PopupMenu1Popup()
{
    Entfernen1->setEnabled(ListView1->currentIndex().isValid() && ListView1->selectionModel()->hasSelection());
}

void TPrintHighJumpForm::Entfernen1Click()
{
    const QModelIndex current = ListView1->currentIndex();
    if (!current.isValid())
        return;
    list_.remove(current.row());
    edited();
}

void TPrintHighJumpForm::AlleHhenentfernen1Click()
{
    if (!askYesNo(this, FtypeString + QStringLiteral("n löschen"),
                  QStringLiteral("Wirklich alle ") + FtypeString + QStringLiteral("n entfernen?")))
        return;
    list_.clear();
    edited();
}

void TPrintHighJumpForm::HheninDateispeichern1Click()
{
    const QString file = context().dialogs().getSaveFileNameWithSuffix(
        this, QStringLiteral("Höhen in Datei speichern"), getTemplatePath(), kFileFilter, QStringLiteral("hls"));
    if (file.isEmpty())
        return;
    QString error;
    if (!writeHeightListFile(file, list_.values(), &error))
        reportLocal(QStringLiteral("Höhen in Datei speichern"), error);
}

void TPrintHighJumpForm::HhenausDateiladen1Click()
{
    // "Ja" throws the list away: Enter keeps it.
    if (list_.rowCount() > 0 &&
        context().dialogs().messageBox(this, FtypeString + QStringLiteral("n löschen"),
                                       QStringLiteral("Laden löscht die bisherigen ") + FtypeString +
                                           QStringLiteral("n. Fortfahren?"),
                                       TMsgKind::Question, TMsgButtons::YesNo, TMsgAnswer::No) != TMsgAnswer::Yes)
        return;
    const QString file = context().dialogs().getOpenFileName(this, QStringLiteral("Höhen aus Datei laden"),
                                                             getTemplatePath(), kFileFilter);
    if (file.isEmpty())
        return;
    std::vector<int> values;
    QString error;
    if (!readHeightListFile(file, values, &error)) {
        reportLocal(QStringLiteral("Höhen aus Datei laden"), error);
        return;
    }
    list_.setValues(std::move(values));
    edited();
}

void TPrintHighJumpForm::save(bool thenPrint)
{
    printAfterSave_ = thenPrint;
    ListView1->setEnabled(false);
    Button3->setEnabled(false);
    auto request = std::make_unique<THeightListRequest>();
    request->reqType = rt_save;
    request->disciplineID = curDisciplineId;
    request->heights = joinHeightList(list_.values());
    road_->AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TPrintHighJumpForm::Button3Click()
{
    save(false);
}

void TPrintHighJumpForm::Button2Click()
{
    if (!Button2->isVisible())
        return;
    if (hasDirtyData(kPart)) {
        switch (context().dialogs().messageBox(this, FtypeString + QStringLiteral("n speichern"),
                                               QStringLiteral("Sollen die geänderten ") + FtypeString +
                                                   QStringLiteral("n der Disziplin vorher gespeichert werden?"),
                                               TMsgKind::Question, TMsgButtons::YesNoCancel)) {
        case TMsgAnswer::Yes:
            // Printed once stored: a refused save keeps the window open with the edits.
            save(true);
            return;
        case TMsgAnswer::No: break;
        default: return;
        }
    }
    print();
}

void TPrintHighJumpForm::print(bool choosePrinterLater)
{
    const QStringList labels = list_.texts();
    const int heat = curHeatNo;
    const TResultformat format = FResultformat;
    // Nothing is left to ask about once the list goes to the printer.
    clearAllDirtyData();
    hide();
    auto* lists = context().windows().get<TDisciplinListForm>(TWindowId::DisciplinListForm);
    if (!lists)
        return;
    if (!choosePrinterLater) {
        lists->PrintHighJump(labels, heat, format);
        return;
    }
    ChoosePrinterThen(lists, [lists, guard = TLoadGuard(lists), labels, heat, format](bool confirmed) {
        if (confirmed && guard.holds())
            lists->PrintHighJump(labels, heat, format, false);
    });
}

} // namespace tvp
