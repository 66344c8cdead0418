#include "setup/ui/GlobalParameterDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tvp {

namespace {

using enum TParameterRequestType;

const QString kPart = QStringLiteral("Parameter");
const QString kNewCaption = QStringLiteral("Neuen Parameter anlegen");
const QString kRemoveCaption = QStringLiteral("Parameter löschen");

// Keyboard context menus open at the current row; the mouse's only over a data row.
class ContextMenuFilter : public QObject {
public:
    ContextMenuFilter(QWidget* viewport, std::function<void(const QPoint&, bool)> open)
        : QObject(viewport), open_(std::move(open))
    {
        viewport->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ContextMenu)
            return false;
        auto* e = static_cast<QContextMenuEvent*>(event);
        guarded([&] { open_(e->pos(), e->reason() == QContextMenuEvent::Keyboard); });
        return true;
    }

private:
    std::function<void(const QPoint&, bool)> open_;
};

} // namespace

TGlobalParameterForm::TGlobalParameterForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, parameterRequests(), this,
            [this](std::unique_ptr<TParameterResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setObjectName(QStringLiteral("GlobalParameterForm"));
    setWindowTitle(QStringLiteral("Veranstaltungsparameter"));
    setFixedWidth(360);
    setMinimumHeight(200);
    setSizeableBorder(false);

    auto* layout = new QVBoxLayout(this);
    ValueListEditor1 = new QTableWidget(0, 2, this);
    ValueListEditor1->setObjectName(QStringLiteral("ValueListEditor1"));
    ValueListEditor1->setHorizontalHeaderLabels({QStringLiteral("Parameter"), QStringLiteral("Wert")});
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->horizontalHeader()->setStretchLastSection(true);
    ValueListEditor1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ValueListEditor1->setSelectionMode(QAbstractItemView::SingleSelection);
    ValueListEditor1->setEditTriggers(QAbstractItemView::AllEditTriggers);
    ValueListEditor1->setEnabled(false);
    layout->addWidget(ValueListEditor1);

    auto* buttons = new QHBoxLayout;
    Button2 = new QPushButton(QStringLiteral("Neu..."), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1 = new QPushButton(QStringLiteral("Speichern"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setEnabled(false);
    buttons->addWidget(Button2);
    buttons->addStretch();
    buttons->addWidget(Button1);
    layout->addLayout(buttons);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Entfernen1 = PopupMenu1->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { AddNewParam(); }); });
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
    connect(ValueListEditor1, &QTableWidget::itemChanged, this, [this] {
        if (!populating_)
            guarded([this] { DoItemChangeCheck(kPart); });
    });
    new ContextMenuFilter(ValueListEditor1->viewport(),
                          [this](const QPoint& pos, bool byKeyboard) { openPopup(pos, byKeyboard); });
}

TGlobalParameterForm::~TGlobalParameterForm() = default;

// ---- IGlobalParameterForm ------------------------------------------------------------------------

void TGlobalParameterForm::showGlobalParameterForm(int cupId)
{
    // Also opened by a timer (the parameter warning's): the question waits without holding the program.
    checkDirtyDataLater(
        kPart, [] {},
        [this, cupId] {
            clearAllDirtyData();
            hide();
            lists_.setCupId(cupId);
            show(); // showing reloads
        });
}

QStringList TGlobalParameterForm::getParameterNames(int cupId)
{
    return lists_.getParameterNames(cupId);
}

bool TGlobalParameterForm::paramExists(const QString& name, int cupId)
{
    return lists_.resolveParameter(name, cupId).has_value();
}

std::optional<double> TGlobalParameterForm::resolveParameter(const QString& name, int cupId)
{
    return lists_.resolveParameter(name, cupId);
}

bool TGlobalParameterForm::isCupLoaded(int cupId)
{
    return lists_.cupId() == cupId;
}

bool TGlobalParameterForm::isReadOnlyParam(const QString& key) const
{
    return lists_.isReadOnlyParam(key);
}

// ---- loading -------------------------------------------------------------------------------------

void TGlobalParameterForm::unload()
{
    lists_.setCupId(0);
    reloadData();
}

void TGlobalParameterForm::FormShow()
{
    reloadFormData(false);
}

void TGlobalParameterForm::reloadData()
{
    setWindowTitle(QStringLiteral("Lade..."));
    auto request = std::make_unique<TParameterRequest>();
    request->reqType = rt_getList;
    request->cupID = lists_.cupId();
    road_.AddRequest(std::move(request), TTransactionMode::tm_readonly);
    ValueListEditor1->setEnabled(false);
    Button1->setEnabled(false);
}

void TGlobalParameterForm::updateCaption()
{
    setWindowTitle(lists_.cupId() != 0 ? QStringLiteral("Cup-Parameter (") + cupName_ + QLatin1Char(')')
                                       : QStringLiteral("Veranstaltungsparameter"));
}

void TGlobalParameterForm::PopulateValueListEditor()
{
    populating_ = true;
    ValueListEditor1->setRowCount(0);
    for (const proto::GlobalParametersType* p : lists_.shownEntries()) {
        const int row = ValueListEditor1->rowCount();
        ValueListEditor1->insertRow(row);
        auto* key = new QTableWidgetItem(p->Key);
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        ValueListEditor1->setItem(row, 0, key);
        ValueListEditor1->setItem(row, 1, new QTableWidgetItem(formatParameterValue(p->Value, QLocale())));
    }
    populating_ = false;
    checkUiReadOnly();
    DoItemChangeCheck(kPart);
}

void TGlobalParameterForm::checkUiReadOnly()
{
    populating_ = true;
    int firstEditable = -1;
    for (int row = 0; row < ValueListEditor1->rowCount(); ++row) {
        const bool readOnly = lists_.isReadOnlyParam(ValueListEditor1->item(row, 0)->text());
        for (int column = 0; column < 2; ++column) {
            QTableWidgetItem* item = ValueListEditor1->item(row, column);
            Qt::ItemFlags flags = readOnly ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (column == 1 && !readOnly)
                flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
        }
        if (!readOnly && firstEditable < 0)
            firstEditable = row;
    }
    populating_ = false;
    ValueListEditor1->setEnabled(firstEditable >= 0);
    if (firstEditable >= 0)
        ValueListEditor1->setCurrentCell(firstEditable, 1);
}

std::vector<TParameterRow> TGlobalParameterForm::rows() const
{
    std::vector<TParameterRow> out;
    for (int row = 0; row < ValueListEditor1->rowCount(); ++row) {
        const QTableWidgetItem* key = ValueListEditor1->item(row, 0);
        const QTableWidgetItem* value = ValueListEditor1->item(row, 1);
        out.push_back({key ? key->text() : QString(), value ? value->text() : QString()});
    }
    return out;
}

int TGlobalParameterForm::rowOf(const QString& key) const
{
    for (int row = 0; row < ValueListEditor1->rowCount(); ++row)
        if (const QTableWidgetItem* item = ValueListEditor1->item(row, 0); item && item->text() == key)
            return row;
    return -1;
}

void TGlobalParameterForm::deleteRow(const QString& key)
{
    if (const int row = rowOf(key); row >= 0)
        ValueListEditor1->removeRow(row);
}

// ---- unsaved changes -----------------------------------------------------------------------------

bool TGlobalParameterForm::checkItemChanged(const QString& part)
{
    if (part != kPart)
        return false;
    return lists_.changed(rows(), ValueListEditor1->isEnabled(), QLocale());
}

void TGlobalParameterForm::dirtyDataChangeCallback(bool& changed, const QString& part)
{
    if (part == kPart)
        Button1->setEnabled(changed);
}

// ---- the user's actions --------------------------------------------------------------------------

void TGlobalParameterForm::AddNewParam()
{
    const std::optional<QString> typed = dialogs().getText(
        this,
        lists_.cupId() != 0 ? QStringLiteral("Neuer Cup-Parameter") : QStringLiteral("Neuer Veranstaltungsparameter"),
        QStringLiteral("Name:"), QString());
    if (!typed)
        return;
    const QString name = *typed;
    if (paramExists(name, lists_.cupId()) || rowOf(name) >= 0) {
        showInformation(this, kNewCaption, QStringLiteral("Parameter existiert bereits"));
    } else if (parseParameterValue(name, QLocale())) {
        // A number is no name: label references take numbers for parameter positions.
        showInformation(this, kNewCaption, QStringLiteral("Ungültiger Name für Parameter"));
    } else {
        FLastAddedKey = name;
        const int row = ValueListEditor1->rowCount();
        populating_ = true;
        ValueListEditor1->insertRow(row);
        auto* key = new QTableWidgetItem(name);
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        ValueListEditor1->setItem(row, 0, key);
        ValueListEditor1->setItem(row, 1, new QTableWidgetItem(QString()));
        populating_ = false;
        ValueListEditor1->setEnabled(true);
        ValueListEditor1->setCurrentCell(row, 1);
        ValueListEditor1->setFocus();
        ValueListEditor1->editItem(ValueListEditor1->item(row, 1));
    }
    DoItemChangeCheck(kPart);
}

void TGlobalParameterForm::Button1Click()
{
    // A value still being typed counts: leaving its editor commits it.
    if (QWidget* focus = QApplication::focusWidget();
        focus && focus != ValueListEditor1 && ValueListEditor1->isAncestorOf(focus))
        ValueListEditor1->setFocus();
    const auto result = lists_.changedParameters(rows(), QLocale());
    if (const auto* invalid = std::get_if<TGlobalParameterLists::TInvalidValue>(&result)) {
        showInformation(this, QStringLiteral("Veranstaltungsparameter setzen"),
                        QStringLiteral("Ungültiger Wert für Parameter \"") + invalid->key + QStringLiteral("\"."));
        return;
    }
    Button1->setEnabled(false);
    ValueListEditor1->setEnabled(false);
    auto request = std::make_unique<TParameterRequest>();
    request->reqType = rt_setParameter;
    request->params = std::get<std::vector<proto::GlobalParametersInfoType>>(result);
    request->cupID = lists_.cupId();
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TGlobalParameterForm::Entfernen1Click()
{
    const int row = ValueListEditor1->currentRow();
    const QTableWidgetItem* key = row >= 0 ? ValueListEditor1->item(row, 0) : nullptr;
    if (!key || lists_.isReadOnlyParam(key->text()))
        return;
    queueRemove(key->text(), lists_.cupId(), false);
}

void TGlobalParameterForm::queueRemove(const QString& key, int cupId, bool force)
{
    auto request = std::make_unique<TParameterRequest>();
    request->reqType = rt_remove;
    request->removeKey = key;
    request->cupID = cupId;
    request->forceUsedParameter = force;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TGlobalParameterForm::openPopup(const QPoint& pos, bool byKeyboard)
{
    int row = ValueListEditor1->currentRow();
    if (!byKeyboard) {
        const QModelIndex at = ValueListEditor1->indexAt(pos);
        // Read-only rows cannot be selected, so they offer nothing to remove either.
        if (!at.isValid() || lists_.isReadOnlyParam(ValueListEditor1->item(at.row(), 0)->text()))
            return;
        row = at.row();
        ValueListEditor1->setCurrentCell(row, at.column());
    }
    if (row < 0)
        return;
    PopupMenu1->popup(ValueListEditor1->viewport()->mapToGlobal(
        byKeyboard ? ValueListEditor1->visualItemRect(ValueListEditor1->item(row, 0)).center() : pos));
}

void TGlobalParameterForm::refreshMainWindow()
{
    if (auto* main = context().windows().get<TMainForm>(TWindowId::MainForm))
        main->RefreshButton();
}

// ---- answers -------------------------------------------------------------------------------------

void TGlobalParameterForm::RequestFinished(std::unique_ptr<TParameterResponse> response, const TRequestOutcome& outcome)
{
    if (!response || !outcome.ok()) {
        handleFailure(std::move(response), outcome);
        return;
    }
    switch (response->reqType) {
    case rt_getList:
        lists_.replace(std::move(response->params), std::move(response->cupParams));
        cupName_ = response->cup ? response->cup->Name : QString();
        PopulateValueListEditor();
        Button1->setEnabled(false);
        updateCaption();
        break;
    case rt_setParameter:
        resetDirtyData(kPart);
        ValueListEditor1->setEnabled(true);
        refreshMainWindow();
        break;
    case rt_remove:
        lists_.removeEntry(response->removeKey, response->CupID);
        deleteRow(response->removeKey);
        checkUiReadOnly();
        DoItemChangeCheck(kPart);
        refreshMainWindow();
        break;
    }
}

void TGlobalParameterForm::handleFailure(std::unique_ptr<TParameterResponse> response, const TRequestOutcome& outcome)
{
    ValueListEditor1->setEnabled(true);
    Button1->setEnabled(hasDirtyData(kPart));
    if (!response) {
        road_.report(outcome);
        return;
    }
    if (outcome.errorId == kParameterNotFoundError && rowOf(response->removeKey) >= 0) {
        // Removed by someone else meanwhile: gone here too, as after our own removal.
        lists_.removeEntry(response->removeKey, response->CupID);
        deleteRow(response->removeKey);
        DoItemChangeCheck(kPart);
        return;
    }
    if (response->reqType == rt_getList && outcome.errorId == kCupNotFoundError && !isVisible()) {
        // A cup the server no longer knows falls back to the competition's parameters.
        lists_.setCupId(0);
        reloadData();
        return;
    }
    if (response->reqType == rt_remove &&
        (outcome.errorId == kGlobalParameterInUseError || outcome.errorId == kCupParameterInUseError)) {
        const QString question =
            outcome.errorId == kGlobalParameterInUseError
                ? QStringLiteral("Veranstaltungsparameter wird bereits verwendet. Trotzdem löschen?")
                : QStringLiteral("Cup-Parameter wird bereits verwendet. Trotzdem löschen?");
        const TAnswerTo answer(outcome.action);
        askYesNoLater(kRemoveCaption, question,
                      [this, key = response->removeKey, cup = response->CupID] { queueRemove(key, cup, true); });
        return;
    }
    road_.report(outcome);
    if (response->reqType != rt_getList)
        reloadData();
}

} // namespace tvp
