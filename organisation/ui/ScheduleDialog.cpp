#include "organisation/ui/ScheduleDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/EntryGrid.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"
#include "core/util/CodePages.h"
#include "organisation/ScheduleExport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

namespace {

using enum TScheduleRequestType;

const QString kGridPart;
const QString kDeleteEntry = QStringLiteral("=Eintrag löschen=");
const QString kUnsavedCaption = QStringLiteral("Ungespeicherte Änderungen");
const QString kIncompleteCaption = QStringLiteral("Unvollständige Zeitplaneinträge");
const QString kDocCaption = QStringLiteral("Ablaufplan erstellen");

// Facility and discipline from the top, then the time; new items green and bold, changed parts
// bold, a stored item without place "Entfernt" in red.
class TScheduleCellDelegate : public QStyledItemDelegate {
public:
    static constexpr int kTextInset = 4;

    using QStyledItemDelegate::QStyledItemDelegate;

    // As wide as the lines drawn below, bold as they may be, within their insets.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QFont bold = option.font;
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        int width = 0;
        for (const QString& line : index.data().toString().split(QLatin1Char('\n')))
            width = std::max(width, metrics.horizontalAdvance(line));
        return {width + 2 * kTextInset + 1, QStyledItemDelegate::sizeHint(option, index).height()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(option.rect, selected ? QColor(Qt::gray) : QColor(Qt::white));
        painter->setPen(QColor(192, 192, 192));
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        const int state = index.data(kScheduleCellStateRole).toInt();
        if (state & cs_item) {
            const QRect text = option.rect.adjusted(kTextInset, 2, -kTextInset, -2);
            const int line = option.fontMetrics.height();
            QFont bold = option.font;
            bold.setBold(true);
            const QColor ink = selected ? QColor(Qt::white) : QColor(Qt::black);
            if (state & cs_removed) {
                painter->setFont(bold);
                painter->setPen(Qt::red);
                painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Entfernt"));
            } else {
                const QStringList lines = index.data().toString().split(QLatin1Char('\n'));
                const bool isNew = state & cs_new;
                painter->setFont(isNew || (state & cs_placeChanged) ? bold : option.font);
                painter->setPen(isNew ? QColor(0, 128, 0) : ink);
                // A line longer than the column ends in "…"; the cell's tooltip shows it whole.
                const auto draw = [&](int i) {
                    painter->drawText(text.adjusted(0, i * line, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                                      painter->fontMetrics().elidedText(lines[i], Qt::ElideRight, text.width()));
                };
                for (int i = 0; i < 2 && i < lines.size(); ++i)
                    draw(i);
                painter->setFont(isNew || (state & cs_timeChanged) ? bold : option.font);
                painter->setPen(ink);
                if (lines.size() > 2)
                    draw(2);
            }
        }
        painter->restore();
    }
};

// A complete squad gets a green check mark at the bottom right of its header, below the caption:
// beside it, the mark touched a caption as wide as its column.
class TScheduleHeader : public QHeaderView {
public:
    explicit TScheduleHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
    {
        setDefaultAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
        size.rheight() += markInk().height() + kMarkInset;
        return size;
    }

    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
        if (!model() || !model()->headerData(logicalIndex, Qt::Horizontal, kScheduleCellStateRole).toBool())
            return;
        painter->save();
        painter->setFont(markFont());
        painter->setPen(QColor(0, 128, 0));
        const QRect ink = markInk();
        painter->drawText(QPoint(rect.right() - kMarkInset - ink.right(), rect.bottom() - kMarkInset - ink.bottom()),
                          kMark);
        painter->restore();
    }

private:
    static constexpr int kMarkInset = 3;
    static inline const QString kMark = QString(QChar(0x2714));

    QFont markFont() const
    {
        QFont font = this->font();
        font.setPointSize(12);
        font.setBold(true);
        return font;
    }
    // Where the mark's ink lies around the point it is drawn at.
    QRect markInk() const { return QFontMetrics(markFont()).tightBoundingRect(kMark); }
};

} // namespace

TScheduleForm::TScheduleForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, scheduleRequests(), this, [this](std::unique_ptr<TScheduleResponse> r, const TRequestOutcome& o) {
          guarded([&] { RequestFinished(std::move(r), o); });
      })
{
    setObjectName(QStringLiteral("ScheduleForm"));
    setWindowTitle(QStringLiteral("Zeitplan"));
    setMinimumSize(640, 480);

    auto* layout = new QVBoxLayout(this);
    QMenuBar* menuBar = addMenuBar(this, layout);
    QMenu* docMenu = menuBar->addMenu(QStringLiteral("Ablaufplan"));
    docMenu->setObjectName(QStringLiteral("Ablaufplan1"));
    Ablaufplaneditierendrucken1 = menuAction(docMenu, QStringLiteral("Ablaufplaneditierendrucken1"),
                                             QStringLiteral("Ablaufplan drucken/editieren..."));
    Ablaufplanvorlageeinrichten1 = menuAction(docMenu, QStringLiteral("Ablaufplanvorlageeinrichten1"),
                                              QStringLiteral("Ablaufplanvorlage einrichten..."));
    Ablaufplanvorlageverwerfen1 = menuAction(docMenu, QStringLiteral("Ablaufplanvorlageverwerfen1"),
                                             QStringLiteral("Ablaufplanvorlage verwerfen..."));
    for (QAction* a : {Ablaufplaneditierendrucken1, Ablaufplanvorlageeinrichten1, Ablaufplanvorlageverwerfen1})
        a->setEnabled(false);
    docMenu->addSeparator();
    QMenu* exportMenu = docMenu->addMenu(QStringLiteral("Exportieren"));
    exportMenu->setObjectName(QStringLiteral("Exportieren1"));
    connect(menuAction(exportMenu, QStringLiteral("alscsvproRiege1"), QStringLiteral("als csv pro Riege")),
            &QAction::triggered, this, [this] { guarded([this] { generateSchedule(false); }); });
    connect(menuAction(exportMenu, QStringLiteral("alscsvproTeam1"), QStringLiteral("als csv pro Team")),
            &QAction::triggered, this, [this] { guarded([this] { generateSchedule(true); }); });
    connect(Ablaufplaneditierendrucken1, &QAction::triggered, this,
            [this] { guarded([this] { Ablaufplaneditierendrucken1Click(); }); });
    connect(Ablaufplanvorlageeinrichten1, &QAction::triggered, this,
            [this] { guarded([this] { Ablaufplanvorlageeinrichten1Click(); }); });
    connect(Ablaufplanvorlageverwerfen1, &QAction::triggered, this,
            [this] { guarded([this] { Ablaufplanvorlageverwerfen1Click(); }); });
    QAction* check = menuBar->addAction(QStringLiteral("Vollständigkeit prüfen"));
    check->setObjectName(QStringLiteral("Vollstndigkeitprfen1"));
    connect(check, &QAction::triggered, this, [this] { guarded([this] { checkCompletenessClick(); }); });

    auto* filter = new QGroupBox(QStringLiteral("Filter"), this);
    filter->setObjectName(QStringLiteral("GroupBox1"));
    auto* filterRow = new QHBoxLayout(filter);
    auto* filterLabel = new QLabel(QStringLiteral("Altersklasse:"), filter);
    filterLabel->setObjectName(QStringLiteral("Label3"));
    ComboBox3 = new QComboBox(filter);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItem(QStringLiteral("Kein Filter"), 0);
    CheckBox1 = new QCheckBox(QStringLiteral("Nur Anlagen der Riege zugewiesenen Disziplinen vorschlagen"), filter);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(ComboBox3, 1);
    filterRow->addWidget(CheckBox1);
    layout->addWidget(filter);
    connect(ComboBox3, &QComboBox::activated, this, [this] { guarded([this] { ComboBox3Change(); }); });

    StringGrid1 = new TEntryGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeader(new TScheduleHeader(StringGrid1));
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(130);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(52);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setTabKeyNavigation(false);
    StringGrid1->setShowGrid(false);
    StringGrid1->setItemDelegate(new TScheduleCellDelegate(StringGrid1));
    StringGrid1->setModel(&grid_);
    // A grid without squads shows one column whose caption is longer than a squad's.
    connect(&grid_, &QAbstractItemModel::modelReset, this, [this] {
        guarded([this] {
            QHeaderView* header = StringGrid1->horizontalHeader();
            if (grid_.columnCount() == 1)
                header->resizeSection(
                    0, std::max(header->defaultSectionSize(),
                                headerTextWidth(*header, grid_.headerData(0, Qt::Horizontal).toString())));
            fitColumnsToRoom(*StringGrid1);
        });
    });
    opensWideForNames(*StringGrid1);
    layout->addWidget(StringGrid1, 1);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                guarded([&] {
                    if (!filling_ && current.isValid() && hasSquads_)
                        showEditor(current.column(), current.row());
                });
            });
    connect(StringGrid1, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        guarded([&] {
            if (index.isValid() && hasSquads_ && !EditPanel->isVisible())
                showEditor(index.column(), index.row());
        });
    });

    EditPanel = new QFrame(StringGrid1->viewport());
    EditPanel->setObjectName(QStringLiteral("EditPanel"));
    EditPanel->setFrameShape(QFrame::Box);
    EditPanel->setAutoFillBackground(true);
    auto* panel = new QVBoxLayout(EditPanel);
    panel->setContentsMargins(2, 2, 2, 2);
    panel->setSpacing(1);
    ComboBox1 = new QComboBox(EditPanel);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    panel->addWidget(ComboBox1);
    auto* timeRow = new QHBoxLayout;
    auto* timeLabel = new QLabel(QStringLiteral("Startzeit:"), EditPanel);
    timeLabel->setObjectName(QStringLiteral("Label1"));
    StartTimeEdit = new QLineEdit(EditPanel);
    StartTimeEdit->setObjectName(QStringLiteral("StartTimeEdit"));
    StartTimeEdit->setInputMask(QStringLiteral("99:99;_"));
    timeRow->addWidget(timeLabel);
    timeRow->addWidget(StartTimeEdit, 1);
    panel->addLayout(timeRow);
    EditPanel->hide();
    // A squad's column holds the editor whole; with more squads than room the grid scrolls sideways.
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setMinimumContentsLength(8);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(EditPanel->minimumSizeHint().width() + 4);
    ComboBox1->installEventFilter(this);
    StartTimeEdit->installEventFilter(this);
    connect(ComboBox1, &QComboBox::activated, this, [this] { guarded([this] { applyToStoredItem(); }); });
    connect(ComboBox1, &QComboBox::highlighted, this, [this](int index) {
        guarded([&] { StatusBar1->showMessage(QStringLiteral("Aktuelle Auswahl: ") + ComboBox1->itemText(index)); });
    });
    connect(StartTimeEdit, &QLineEdit::editingFinished, this, [this] { guarded([this] { applyToStoredItem(); }); });

    auto* bottom = new QHBoxLayout;
    auto* hints = new QVBoxLayout;
    auto* hint1 = new QLabel(
        QStringLiteral(
            "Tipp: Bei gedrückter Strg-Taste kann mit den Pfeiltasten innerhalb der Zellen navigiert werden."),
        this);
    hint1->setObjectName(QStringLiteral("Label2"));
    auto* hint2 = new QLabel(
        QStringLiteral("Neue Einträge mit der Eingabetaste, Leertaste oder '+' im Startzeit-Feld anlegen."), this);
    hint2->setObjectName(QStringLiteral("Label4"));
    hints->addWidget(hint1);
    hints->addWidget(hint2);
    bottom->addLayout(hints, 1);
    SaveButton = new QPushButton(QStringLiteral("Speichern"), this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    SaveButton->setEnabled(false);
    bottom->addWidget(SaveButton);
    layout->addLayout(bottom);
    connect(SaveButton, &QPushButton::clicked, this, [this] { guarded([this] { SaveButtonClick(); }); });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    layout->addWidget(StatusBar1);

    if (ITeamScheduleDocSetupForm* setup = docSetup()) {
        setup->OnStatusChange = [self = QPointer<TScheduleForm>(this)](TDocPathStatus status, const QString& path,
                                                                       int competitionId, int extra) {
            if (self)
                guarded([&] { self->docPathChange(status, path, competitionId, extra); });
        };
    }
    fitToTexts(*this);
}

TScheduleForm::~TScheduleForm() = default;

int TScheduleForm::competitionId() const
{
    return context().competition().getCompetitionId(false);
}

ITeamScheduleDocSetupForm* TScheduleForm::docSetup() const
{
    return context().windows().get<ITeamScheduleDocSetupForm>(TWindowId::TeamScheduleDocSetupForm);
}

bool TScheduleForm::isEditing() const
{
    return EditPanel->isVisible();
}

// ---- the base window ----

void TScheduleForm::reloadData()
{
    updateScheduleMenus(competitionId(), QString(), TScheduleDocType::sd_NONE);
    if (ITeamScheduleDocSetupForm* setup = docSetup())
        setup->getPath(competitionId());
    StringGrid1->setEnabled(false);
    hideEditor();
    SaveButton->setEnabled(false);
    road_.AddRequest(makeScheduleLoad(currentAgeClassFilterId, currentAgeClassFilterName),
                     TTransactionMode::tm_readonly);
}

void TScheduleForm::unload()
{
    currentAgeClassFilterId = 0;
    currentAgeClassFilterName.clear();
    reloadData();
}

void TScheduleForm::FormShow()
{
    reloadFormData(true);
}

bool TScheduleForm::checkItemChanged(const QString&)
{
    return grid_.hasChanges();
}

void TScheduleForm::dirtyDataChangeCallback(bool& changed, const QString&)
{
    SaveButton->setEnabled(changed && hasSquads_);
}

// ---- loading ----

void TScheduleForm::fillAgeClasses(const proto::getAgeClassesResponse1& ageClasses)
{
    ComboBox3->clear();
    ComboBox3->addItem(QStringLiteral("Kein Filter"), 0);
    for (const proto::AgeClassType& a : ageClasses)
        ComboBox3->addItem(a.Name, a.AgeClassID);
    selectComboIntegerFilter(*ComboBox3, currentAgeClassFilterId, 0);
    if (ComboBox3->currentIndex() <= 0) {
        currentAgeClassFilterId = 0;
        currentAgeClassFilterName.clear();
    }
}

void TScheduleForm::fillGrid(TScheduleResponse& response)
{
    fillAgeClasses(response.ageClasses);
    disciplinePlaces = response.placesAll.empty() ? std::vector<proto::PlaceOfDisciplineType>{}
                                                  : std::move(response.placesAll.front().DisciplinePlaces);
    filling_ = true;
    hideEditor();
    hasSquads_ = !response.placesPerSquad.empty();
    grid_.load(std::move(response.placesPerSquad), response.schedule);
    StringGrid1->setEnabled(hasSquads_);
    StringGrid1->setCurrentIndex({});
    filling_ = false;
    loadedAgeClassFilterName = response.ageClassFilterName;
    grid_.checkCompleteness(nullptr);
    DoItemChangeCheck(kGridPart);
    SaveButton->setEnabled(hasSquads_ && hasDirtyData(kGridPart));
}

void TScheduleForm::ComboBox3Change()
{
    DoItemChangeCheck(kGridPart);
    if (checkDirtyDataMessage(nullptr, kGridPart)) {
        selectComboIntegerFilter(*ComboBox3, currentAgeClassFilterId, 0);
        return;
    }
    currentAgeClassFilterId = ComboBox3->currentData().toInt();
    currentAgeClassFilterName = currentAgeClassFilterId == 0 ? QString() : ComboBox3->currentText();
    resetDirtyData(kGridPart);
    reloadData();
}

// ---- the editor ----

void TScheduleForm::showEditor(int col, int row)
{
    if (col < 0 || col >= grid_.colCount() || row < 0)
        return;
    editCol_ = col;
    editRow_ = row;
    const TColHeaderItem* header = grid_.header(col);
    offered_ = CheckBox1->isChecked() && header ? header->sdt.DisciplinePlaces : disciplinePlaces;
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->clear();
        ComboBox1->addItem(kDeleteEntry);
        for (const proto::PlaceOfDisciplineType& p : offered_)
            ComboBox1->addItem(placeEntryText(p));
        ComboBox1->setCurrentIndex(0);
    }
    const TScheduleItem* item = grid_.item(col, row);
    QTime time = item ? item->Time : grid_.proposedTime(col, row);
    if (item && item->DisciplinePlace)
        for (std::size_t i = 0; i < offered_.size(); ++i)
            if (offered_[i].Id == item->DisciplinePlace->Id) {
                const QSignalBlocker block(ComboBox1);
                ComboBox1->setCurrentIndex(int(i) + 1);
            }
    {
        const QSignalBlocker block(StartTimeEdit);
        StartTimeEdit->setText(time.toString(QStringLiteral("hh:mm")));
    }
    const QRect cell = StringGrid1->visualRect(grid_.index(row, col));
    EditPanel->setGeometry(cell.x() + 2, cell.y() + 2, std::max(cell.width() - 4, 60),
                           std::max(cell.height() - 4, EditPanel->sizeHint().height()));
    EditPanel->show();
    EditPanel->raise();
    ComboBox1->setFocus();
}

void TScheduleForm::hideEditor()
{
    if (!EditPanel)
        return;
    // The grid takes the focus first: a hidden focus widget would hand it on as a Tab, which
    // moves the grid's cursor.
    if (EditPanel->isAncestorOf(focusWidget()))
        StringGrid1->setFocus();
    EditPanel->hide();
    StatusBar1->clearMessage();
}

const proto::PlaceOfDisciplineType* TScheduleForm::chosenPlace() const
{
    const int index = ComboBox1->currentIndex();
    return index >= 1 && std::size_t(index) <= offered_.size() ? &offered_[std::size_t(index - 1)] : nullptr;
}

void TScheduleForm::commitEditor(int key)
{
    const std::optional<QTime> time = readMaskedTime(StartTimeEdit->text());
    if (!time) {
        context().messages().AddWarning(0, {}, QStringLiteral("Ungültiges Datum, bitte prüfen"),
                                        QStringLiteral("Zeitplaneintrag anlegen"), this);
        return;
    }
    const int col = editCol_;
    const int row = editRow_;
    grid_.setItem(col, row, chosenPlace(), *time);
    grid_.checkColCompleteness(col, nullptr);
    hideEditor();
    grid_.ensureRows(row + 2);
    DoItemChangeCheck(kGridPart);
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        moveCursor(col, row + 1);
    else if (col + 1 < grid_.colCount())
        moveCursor(col + 1, row);
    else
        moveCursor(0, row + 1);
}

void TScheduleForm::applyToStoredItem()
{
    if (!EditPanel->isVisible())
        return;
    const TScheduleItem* item = grid_.item(editCol_, editRow_);
    if (!item || item->CurScheduleItemId == 0)
        return;
    const std::optional<QTime> time = readMaskedTime(StartTimeEdit->text());
    grid_.setItem(editCol_, editRow_, chosenPlace(), time.value_or(item->Time));
    grid_.checkColCompleteness(editCol_, nullptr);
    DoItemChangeCheck(kGridPart);
}

void TScheduleForm::moveCursor(int col, int row)
{
    grid_.ensureRows(row + 1);
    StringGrid1->setCurrentIndex(grid_.index(row, col));
    showEditor(col, row);
}

bool TScheduleForm::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == ComboBox1 || watched == StartTimeEdit) && event->type() == QEvent::KeyPress) {
        bool handled = false;
        guarded([&] { handled = handleEditorKey(watched, static_cast<QKeyEvent*>(event)); });
        if (handled)
            return true;
    }
    if (watched == ComboBox1 && event->type() == QEvent::FocusOut)
        StatusBar1->clearMessage();
    return TTVPForm::eventFilter(watched, event);
}

bool TScheduleForm::handleEditorKey(QObject* watched, QKeyEvent* key)
{
    const int k = key->key();
    if (key->modifiers() & Qt::ControlModifier) {
        int col = editCol_, row = editRow_;
        switch (k) {
        case Qt::Key_Left: col = std::max(0, col - 1); break;
        case Qt::Key_Right: col = std::min(grid_.colCount() - 1, col + 1); break;
        case Qt::Key_Up: row = std::max(0, row - 1); break;
        case Qt::Key_Down: row = std::min(grid_.itemRows() - 1, row + 1); break;
        default: return false;
        }
        hideEditor();
        moveCursor(col, row);
        return true;
    }
    if (k == Qt::Key_Escape) {
        hideEditor();
        return true;
    }
    const bool commitKey = k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space || k == Qt::Key_Plus;
    if (watched == ComboBox1) {
        if (!commitKey)
            return false;
        if (ComboBox1->currentIndex() > 0) {
            StartTimeEdit->setFocus();
            StartTimeEdit->setCursorPosition(0);
        } else {
            commitEditor(k);
        }
        return true;
    }
    if (commitKey) {
        commitEditor(k);
        return true;
    }
    if (k == Qt::Key_Up || k == Qt::Key_Down) {
        if (const std::optional<QTime> time = readMaskedTime(StartTimeEdit->text()))
            if (const std::optional<QTime> stepped = stepFiveMinutes(*time, k == Qt::Key_Down))
                StartTimeEdit->setText(stepped->toString(QStringLiteral("hh:mm")));
        return true;
    }
    return false;
}

// ---- saving and checking ----

void TScheduleForm::SaveButtonClick()
{
    SaveButton->setEnabled(false);
    if (!hasSquads_)
        return;
    hideEditor();
    road_.AddRequest(makeScheduleSave(grid_), TTransactionMode::tm_readwrite);
}

void TScheduleForm::addWarnings(const QStringList& messages, const QString& caption)
{
    for (const QString& m : messages)
        context().messages().AddWarning(0, {}, m, caption, this);
}

bool TScheduleForm::checkColCompleteness(int col, bool showMessages)
{
    QStringList messages;
    const bool complete = grid_.checkColCompleteness(col, showMessages ? &messages : nullptr);
    addWarnings(messages, QStringLiteral("Zeitplan prüfen"));
    return complete;
}

bool TScheduleForm::checkCompleteness(bool showMessages)
{
    QStringList messages;
    const bool complete = grid_.checkCompleteness(showMessages ? &messages : nullptr);
    addWarnings(messages, QStringLiteral("Zeitplan prüfen"));
    return complete;
}

// True when the user answered the question about unsaved changes (and saving started on "Ja").
bool TScheduleForm::askToSave(const QString& question)
{
    if (!grid_.hasChanges())
        return false;
    if (askYesNo(this, kUnsavedCaption, question))
        SaveButtonClick();
    return true;
}

void TScheduleForm::checkCompletenessClick()
{
    if (askToSave(QStringLiteral("Ablaufplan enthält noch ungespeicherte Änderungen, die Prüfung kann erst nach dem "
                                 "Speichern erfolgen. Zeitplan jetzt speichern?")))
        return;
    if (checkCompleteness(true))
        showInformation(this, QStringLiteral("Zeitplan prüfen"),
                        QStringLiteral("Alle Riegen der Ansicht haben vollständige Zeitplaneinträge für alle "
                                       "Disziplinen, denen sie zugeordnet sind."));
}

// ---- exports and the running-order document ----

void TScheduleForm::generateSchedule(bool perTeam)
{
    if (askToSave(QStringLiteral("Ablaufplan kann nicht erstellt werden, da noch ungespeicherte Änderungen im "
                                 "Zeitplan vorhanden sind. Zeitplan jetzt speichern?")))
        return;
    if (!checkCompleteness(true) &&
        !askYesNo(this, kIncompleteCaption, QStringLiteral("Es sind Warnungen vorhanden. Trotzdem exportieren?")))
        return;
    QString proposed = scheduleExportFileName(perTeam, loadedAgeClassFilterName);
    const QFileInfo previous(lastExportFile_);
    if (!lastExportFile_.isEmpty() && previous.absoluteDir().exists())
        proposed = previous.absoluteDir().filePath(proposed);
    const QString path =
        dialogs().getSaveFileNameWithSuffix(this, QStringLiteral("Ablaufplan exportieren"), proposed,
                                            QStringLiteral("csv-Dateien (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    lastExportFile_ = path;
    QString error;
    TRespelledNames respelled;
    if (!writeScheduleCsv(path, grid_, perTeam, &error, &respelled))
        context().messages().AddException(-1, {}, error, QStringLiteral("Ablaufplan exportieren"), this);
    else
        reportRespelled(respelled, path, QStringLiteral("Ablaufplan exportieren"));
}

void TScheduleForm::reportRespelled(const TRespelledNames& respelled, const QString& path, const QString& caption)
{
    if (!respelled.isEmpty())
        context().messages().AddWarning(-1, {}, respelled.warning(QDir::toNativeSeparators(path), kWindows1252Name),
                                        caption, this);
}

QString TScheduleForm::getCurrentDataFile() const
{
    return scheduleDataFile(FScheduleDocPath, FScheduleDocType);
}

void TScheduleForm::updateScheduleMenus(int competitionId_, const QString& path, TScheduleDocType docType)
{
    if (competitionId_ != competitionId())
        return;
    FScheduleDocPath = path;
    FScheduleDocType = docType;
    Ablaufplaneditierendrucken1->setEnabled(false);
    Ablaufplaneditierendrucken1->setText(QStringLiteral("Ablaufplan drucken/editieren..."));
    Ablaufplanvorlageeinrichten1->setEnabled(false);
    Ablaufplanvorlageverwerfen1->setEnabled(false);
    if (competitionId_ == 0)
        return;
    if (path.isEmpty()) {
        Ablaufplanvorlageeinrichten1->setEnabled(true);
        return;
    }
    if (!QFileInfo::exists(path))
        Ablaufplaneditierendrucken1->setText(QStringLiteral("Ablaufplanpfad nicht gefunden"));
    else if (docType != TScheduleDocType::sd_NONE)
        Ablaufplaneditierendrucken1->setEnabled(true);
    else
        Ablaufplaneditierendrucken1->setText(QStringLiteral("Ablaufplantyp nicht festgelegt"));
    Ablaufplanvorlageverwerfen1->setEnabled(true);
}

void TScheduleForm::docPathChange(TDocPathStatus status, const QString& path, int competitionId_, int extra)
{
    if (competitionId_ != competitionId())
        return;
    const auto type = static_cast<TScheduleDocType>(extra & 0xFF);
    switch (status) {
    case TDocPathStatus::dps_loaded:
    case TDocPathStatus::dps_removed: updateScheduleMenus(competitionId_, path, type); break;
    case TDocPathStatus::dps_setting: Ablaufplanvorlageeinrichten1->setEnabled(false); break;
    case TDocPathStatus::dps_completed:
        updateScheduleMenus(competitionId_, path, type);
        Ablaufplaneditierendrucken1Click();
        break;
    case TDocPathStatus::dps_removing: Ablaufplanvorlageverwerfen1->setEnabled(false); break;
    case TDocPathStatus::dps_error_setting:
    case TDocPathStatus::dps_error_removing: reloadFormData(true); break;
    }
}

void TScheduleForm::Ablaufplanvorlageeinrichten1Click()
{
    if (ITeamScheduleDocSetupForm* setup = docSetup())
        setup->showDialog(competitionId());
    else
        context().windows().show(TWindowId::TeamScheduleDocSetupForm); // its placeholder until it is built
}

void TScheduleForm::Ablaufplaneditierendrucken1Click()
{
    if (FScheduleDocType == TScheduleDocType::sd_NONE) {
        context().messages().AddException(
            -1, {},
            QStringLiteral("Kein Ablaufplantyp (per Riege/Team) eingerichtet, bitte Ablaufplan verwerfen und neu "
                           "einrichten."),
            kDocCaption, this);
        return;
    }
    if (askToSave(QStringLiteral("Ablaufplan kann nicht erstellt werden, da noch ungespeicherte Änderungen im "
                                 "Zeitplan vorhanden sind. Zeitplan jetzt speichern?")))
        return;
    if (currentAgeClassFilterId != 0 &&
        !askYesNo(this, kDocCaption,
                  QStringLiteral("Es ist ein Filter auf \"%1\" gesetzt, daher werden nur die Datensätze für diese "
                                 "Altersklasse für den Ablaufplan verwendet. Fortfahren?")
                      .arg(currentAgeClassFilterName)))
        return;
    if (!checkCompleteness(true) &&
        !askYesNo(this, kIncompleteCaption, QStringLiteral("Es sind Warnungen vorhanden. Trotzdem fortfahren?")))
        return;
    const QString dataFile = getCurrentDataFile();
    QString error;
    TRespelledNames respelled;
    if (!writeScheduleCsv(dataFile, grid_, FScheduleDocType == TScheduleDocType::sd_TEAM, &error, &respelled)) {
        context().messages().AddException(-1, {},
                                          QStringLiteral("Daten konnten nicht nach \"%1\" exportiert werden.")
                                              .arg(QDir::toNativeSeparators(dataFile)),
                                          kDocCaption, this);
        return;
    }
    reportRespelled(respelled, dataFile, kDocCaption);
    shellOpen(
        QUrl::fromLocalFile(FScheduleDocPath),
        [this, suffix = QFileInfo(FScheduleDocPath).suffix()] {
            context().messages().AddException(
                -1, {},
                QStringLiteral("Ablaufplanvorlage konnte nicht geöffnet werden. Stellen Sie sicher, dass ein Programm "
                               "zum Öffnen von %1-Dateien eingerichtet ist.")
                    .arg(suffix),
                QStringLiteral("Ablaufplan anzeigen"), this);
        },
        this);
}

void TScheduleForm::Ablaufplanvorlageverwerfen1Click()
{
    ITeamScheduleDocSetupForm* setup = docSetup();
    const QString document = FScheduleDocPath;
    const QString dataFile = getCurrentDataFile();
    const QString caption = QStringLiteral("Ablaufplanvorlage verwerfen");
    if (QFileInfo::exists(document)) {
        const TMsgAnswer answer = dialogs().messageBox(
            this, caption,
            QStringLiteral("Sollen auch die Daten(csv)- und Ablaufplandatei gelöscht werden?\r\n"
                           "Ein Klick auf \"Nein\" entfernt nur den Link zur Ablaufplanvorlage aus "
                           "dem Programm."),
            TMsgKind::Question, TMsgButtons::YesNoCancel);
        if (answer == TMsgAnswer::Cancel)
            return;
        if (setup)
            setup->removeTeamScheduleDocPath(competitionId());
        if (answer == TMsgAnswer::Yes) {
            QFile::remove(document);
            QFile::remove(dataFile);
        }
        return;
    }
    if (askYesNo(this, caption,
                 QStringLiteral("Die verknüpfte Ablaufplandatei \"%1\" wurde auf diesem Computer nicht gefunden.\r\n"
                                "Möglicherweise ist sie auf einem anderen Computer eingerichtet.\r\n\r\n"
                                "Möchten Sie die Verknüpfung dennoch entfernen?")
                     .arg(QDir::toNativeSeparators(document))) &&
        setup)
        setup->removeTeamScheduleDocPath(competitionId());
}

// ---- answers ----

void TScheduleForm::RequestFinished(std::unique_ptr<TScheduleResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        SaveButton->setEnabled(hasSquads_ && grid_.hasChanges());
        StringGrid1->setEnabled(hasSquads_);
        road_.report(outcome);
        return;
    }
    switch (static_cast<TScheduleRequestType>(outcome.command)) {
    case rt_get: fillGrid(*response); break;
    case rt_set:
        resetDirtyData(kGridPart);
        reloadData();
        context().windows().reloadIfVisible(TWindowId::DisciplinListForm);
        break;
    }
}

} // namespace tvp
