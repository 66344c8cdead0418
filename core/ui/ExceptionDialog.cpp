#include "core/ui/ExceptionDialog.h"

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/ui/Dialogs.h"
#include "core/util/ShellClock.h"
#include "core/connection/SlotGuard.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/connection/UncaughtErrors.h"
#include "core/ui/WaitDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTreeView>
#include <QVBoxLayout>

#include <vector>

namespace tvp {

namespace {

// Server texts are filled in by hand: each "%s" takes the next parameter (none left: nothing),
// every other "%" stays as it is. Server text must never reach a printf-style formatter.
QString fillParameters(const QString& text, const QStringList& parameters)
{
    QString result;
    result.reserve(text.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] == u's') {
            result += parameters.value(next++);
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

// Rows as high as their wrapped message. The tree view asks its delegate without a width, which
// gives one line however long the text; this one asks with the column's width.
class WrappingDelegate : public QStyledItemDelegate {
public:
    explicit WrappingDelegate(QTreeView* view) : QStyledItemDelegate(view), view_(view) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem sized(option);
        sized.rect = QRect(0, 0, view_->columnWidth(index.column()), QWIDGETSIZE_MAX);
        return QStyledItemDelegate::sizeHint(sized, index);
    }

private:
    QTreeView* view_;
};

QString singleLine(QString text)
{
    for (QChar& c : text)
        if (c == u'\a' || c == u'\n' || c == u'\r')
            c = u' ';
    return text;
}

} // namespace

// The message rows, oldest first: the message on one line (whole as its tooltip) and the request.
class TMessageListModel : public QAbstractTableModel {
public:
    struct TRow {
        qint64 creationDate; // shell clock, so ages stay right across midnight
        int ExceptionId;
        QString msg; // the full text, line breaks included
        QString caption;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows_.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const TRow& row = rows_[std::size_t(index.row())];
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? singleLine(row.msg) : row.caption;
        // Escaped: a tooltip would take "<b>" in a competition's name for markup.
        if (role == Qt::ToolTipRole && index.column() == 0)
            return Qt::convertFromPlainText(QString(row.msg).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1)
            return {};
        return section == 0 ? QStringLiteral("Nachricht") : QStringLiteral("Anfrage");
    }

    void append(TRow row)
    {
        beginInsertRows({}, rowCount(), rowCount());
        rows_.push_back(std::move(row));
        endInsertRows();
    }
    // True when a row was older than the time and went.
    bool dropOlderThan(qint64 time)
    {
        bool dropped = false;
        for (int i = rowCount() - 1; i >= 0; --i)
            if (rows_[std::size_t(i)].creationDate < time) {
                beginRemoveRows({}, i, i);
                rows_.erase(rows_.begin() + i);
                endRemoveRows();
                dropped = true;
            }
        return dropped;
    }
    void clear()
    {
        if (rows_.empty())
            return;
        beginResetModel();
        rows_.clear();
        endResetModel();
    }
    const TRow* row(int r) const { return r >= 0 && r < rowCount() ? &rows_[std::size_t(r)] : nullptr; }

private:
    std::vector<TRow> rows_;
};

TExceptionForm::TExceptionForm(QWidget* parent) : TExceptionForm(programContext(), parent)
{
}

TExceptionForm::TExceptionForm(TWindowContext& context, QWidget* parent)
    : TTVPForm(context, parent),
      Label1(new QLabel(QStringLiteral("Bei der Anfrage sind Warnungen/Fehler aufgetreten:"), this)),
      rows_(std::make_unique<TMessageListModel>()),
      ListView1(new QTreeView(this)),
      CloseButton(new QPushButton(QStringLiteral("Schließen"), this))
{
    setObjectName(QStringLiteral("ExceptionForm"));
    setWindowTitle(QStringLiteral("Warnungen und Fehler"));
    setMinimumSize(340, 200);
    resize(560, 260);

    Label1->setObjectName(QStringLiteral("Label1"));
    ListView1->setObjectName(QStringLiteral("ListView1"));
    CloseButton->setObjectName(QStringLiteral("CloseButton"));

    ListView1->setModel(rows_.get());
    ListView1->setRootIsDecorated(false);
    ListView1->setSortingEnabled(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A message is read whole: it wraps in its column, which takes the width the request leaves.
    ListView1->setWordWrap(true);
    ListView1->setUniformRowHeights(false);
    ListView1->setItemDelegateForColumn(0, new WrappingDelegate(ListView1));
    QHeaderView* header = ListView1->header();
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->resizeSection(1, 150);
    // A wider or narrower column needs other row heights; once per burst of resizes.
    relayout_.setSingleShot(true);
    connect(&relayout_, &QTimer::timeout, ListView1, &QTreeView::doItemsLayout);
    connect(header, &QHeaderView::sectionResized, this, [this](int column) {
        if (column == 0)
            relayout_.start(0);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListView1);
    layout->addLayout(buttons);

    ShowTimer.setSingleShot(true);
    connect(&ShowTimer, &QTimer::timeout, this, [this] { guarded([this] { show(); }); });
    connect(CloseButton, &QPushButton::clicked, this, [this] { guarded([this] { CloseButtonClick(); }); });
    connect(ListView1, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { guarded([this, index] { showFullText(index.row()); }); });

    context.offer(static_cast<IMessageSink*>(this));
    if (context.messageSink() == this) {
        // Reporters may be called from any thread; the row is added on the GUI thread.
        setUncaughtReporter([form = QPointer<TExceptionForm>(this)](const QString& text) {
            QMetaObject::invokeMethod(qApp, [form, text] {
                if (form)
                    form->AddException(-1, {}, text, QStringLiteral("Unerwarteter Fehler"));
            });
        });
    }
}

TExceptionForm::~TExceptionForm()
{
    if (context().messageSink() == this)
        setUncaughtReporter(nullptr);
    context().withdraw(static_cast<IMessageSink*>(this));
}

void TExceptionForm::AddException(int errorId, const QStringList& parameters, const QString& text,
                                  const QString& caption, QObject* caller)
{
    // Also a hidden caller's message is shown: the wizard reads its folders before it is shown,
    // and the barcode finder warns while it is hidden.
    QString message = getExceptionById(errorId, parameters);
    if (message.isEmpty())
        message = text;
    rows_->append({shellClockMs(), errorId, message, caption});

    // Open, it takes the row where it is. Hidden and shown again it would be placed anew and take
    // the keys the user goes on typing in the window that raised the message (an Enter closed it
    // with the row); a change of stay-on-top would make it a new window.
    if (isVisible() && !ShowTimer.isActive()) {
        if (isMinimized())
            setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        return;
    }
    auto* form = qobject_cast<QWidget*>(caller);
    const bool onTop = form && form->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    showDelayed();
}

void TExceptionForm::AddWarning(int errorId, const QStringList& parameters, const QString& text, const QString& caption,
                                QObject* form)
{
    AddException(errorId, parameters, text, caption, form);
}

QString TExceptionForm::getExceptionById(int errorId, const QStringList& parameters) const
{
    for (const TExceptionMsg& m : FExceptionList)
        if (m.ExceptionId == errorId)
            return fillParameters(m.Msg, parameters);
    return {};
}

void TExceptionForm::ReloadExceptionMessages()
{
    const QString waitText = QStringLiteral("Lade Fehlermeldungen.");
    context().waitTexts().showWait(waitText, this);

    FExceptionList.clear();
    try {
        // Directly, without a request runner, so no session header is sent.
        const auto drs = proto::GetDataRetrievalPortType(
            false, competitionUrlHolderInstance().getFullUrl(proto::TTVPWebServices::DRS), nullptr);
        proto::getExceptionMessagesResponse1 messages;
        {
            ChannelGuard channel;
            messages = drs->getExceptionMessages(1);
        }
        for (const proto::ExceptionMessageType& m : messages)
            FExceptionList.append({m.ExceptionID, m.ExceptionMessage});
    } catch (...) {
        FExceptionList.clear();
        AddException(0, {}, QStringLiteral("Fehler beim Laden der Fehlermeldungen"),
                     QStringLiteral("Fehlermeldungen laden"));
    }

    context().waitTexts().closeWait(waitText);
}

void TExceptionForm::handleMixedAgeClassWarnings(const proto::MixedAgeClassesWarningType* warning, QObject* form)
{
    if (!warning)
        return;
    QStringList entries;
    for (const proto::MixedDisciplinesType& mixed : warning->MixedDisciplines) {
        QStringList disciplines;
        for (const proto::DisciplinType& d : mixed.Disciplines)
            disciplines.append(d.Name);
        entries.append((mixed.AgeClass ? mixed.AgeClass->Name : QString()) + u'(' + disciplines.join(u',') + u')');
    }
    AddWarning(0, {},
               QStringLiteral("Warnung: Nach dieser Aktion sind nun folgende Disziplinen unterschiedlicher "
                              "Altersklassen mit einem Ergebnis-Aggregator zusammen gefasst, bitte prüfen, ob das "
                              "beabsichtigt ist: ") +
                   entries.join(QStringLiteral(", ")),
               QStringLiteral("Gesamtwertung erstellen"), form);
}

void TExceptionForm::CloseButtonClick()
{
    close();
}

void TExceptionForm::closeEvent(QCloseEvent* event)
{
    // Every way of closing (the button, Enter, Escape, the program's Escape key, the frame) does
    // the same: older messages go, and the window stays open for those of the last two seconds.
    const bool removed = rows_->dropOlderThan(shellClockMs() - keepRecentMs);
    if (removed && rows_->rowCount() > 0) {
        event->ignore();
        return;
    }
    rows_->clear();
    TTVPForm::closeEvent(event);
}

void TExceptionForm::keyPressEvent(QKeyEvent* event)
{
    // The list and the button pass Enter and Escape on to the window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: guarded([this] { CloseButtonClick(); }); return;
    default: TTVPForm::keyPressEvent(event);
    }
}

void TExceptionForm::showDelayed()
{
    // Hidden until the timer fires, so a burst of messages makes the window appear once.
    ShowTimer.stop();
    hide();
    setEnabled(true);
    ShowTimer.start(showDelayMs);
}

void TExceptionForm::showFullText(int row)
{
    if (const TMessageListModel::TRow* message = rows_->row(row))
        showInformation(this, windowTitle(), message->msg);
}

} // namespace tvp
