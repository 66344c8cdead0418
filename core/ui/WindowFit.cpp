#include "core/ui/WindowFit.h"

#include "core/ui/GlyphRoom.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLayout>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QToolTip>
#include <QStyle>
#include <QStyleOption>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <algorithm>
#include <numeric>

namespace tvp {

namespace {

// What the layout needs at width, wrapped texts included.
QSize neededAt(QLayout& layout, int width)
{
    QSize needed = layout.totalMinimumSize();
    if (layout.hasHeightForWidth())
        needed.setHeight(std::max(needed.height(), layout.totalHeightForWidth(std::max(width, needed.width()))));
    return needed;
}

// Keeps the window's minimum at what its layout needs, whenever the layout is asked to change.
class MinimumKeeper : public QObject {
public:
    MinimumKeeper(QWidget& window, QSize designed) : QObject(&window), window_(window), designed_(designed)
    {
        window.installEventFilter(this);
    }
    void apply()
    {
        QSize minimum = designed_;
        if (QLayout* layout = window_.layout()) {
            // Wrapped texts could go narrower still, but ever taller: they keep the width they ask for.
            if (layout->hasHeightForWidth())
                minimum.setWidth(std::max(minimum.width(), layout->totalSizeHint().width()));
            minimum = minimum.expandedTo(neededAt(*layout, minimum.width()));
        }
        if (minimum != window_.minimumSize())
            window_.setMinimumSize(minimum);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && event->type() == QEvent::LayoutRequest)
            apply();
        return false;
    }

private:
    QWidget& window_;
    const QSize designed_;
};

} // namespace

void fitToTexts(QWidget& window)
{
    auto* keeper = new MinimumKeeper(window, window.minimumSize().expandedTo(QSize(0, 0)));
    keeper->apply();
    if (!window.testAttribute(Qt::WA_Resized))
        return;
    QSize size = window.size().expandedTo(window.minimumSize());
    if (QLayout* layout = window.layout())
        size = size.expandedTo(neededAt(*layout, size.width()));
    window.resize(size);
}

int headerTextWidth(const QHeaderView& header, const QString& caption)
{
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.text = caption;
    // Measured bold, as the header measures its sections, so a highlighted caption fits too.
    QFont font = header.font();
    font.setBold(true);
    option.fontMetrics = QFontMetrics(font);
    if (header.isSortIndicatorShown())
        option.sortIndicator = QStyleOptionHeader::SortDown;
    return header.style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), &header).width();
}

void fitColumnToTexts(QTreeView& view, int column, const QStringList& samples, int minimum)
{
    QHeaderView& header = *view.header();
    int width = std::max(
        minimum, headerTextWidth(header, view.model() ? view.model()->headerData(column, Qt::Horizontal).toString()
                                                      : QString()));
    QStyleOptionViewItem item;
    item.initFrom(view.viewport());
    item.font = view.font();
    item.fontMetrics = view.fontMetrics();
    item.features = QStyleOptionViewItem::HasDisplay;
    item.widget = &view;
    for (const QString& sample : samples) {
        item.text = sample;
        width = std::max(width, view.style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), &view).width());
    }
    if (header.visualIndex(column) == 0)
        width += view.indentation() * (view.rootIsDecorated() ? 1 : 0);
    view.setColumnWidth(column, width);
}

void keepColumnsWhole(QTreeView& view)
{
    const QHeaderView& header = *view.header();
    int width = 2 * view.frameWidth() + view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view);
    for (int column = 0; column < header.count(); ++column) {
        if (header.isSectionHidden(column))
            continue;
        const QHeaderView::ResizeMode mode = header.sectionResizeMode(column);
        const bool grows = mode == QHeaderView::Stretch || mode == QHeaderView::ResizeToContents ||
                           (column == header.count() - 1 && header.stretchLastSection());
        const QString caption = view.model() ? view.model()->headerData(column, Qt::Horizontal).toString() : QString();
        width += grows ? headerTextWidth(header, caption) : header.sectionSize(column);
    }
    view.setMinimumWidth(width);
}

namespace {

QHeaderView* columnHeader(QAbstractItemView& view)
{
    if (auto* tree = qobject_cast<QTreeView*>(&view))
        return tree->header();
    if (auto* table = qobject_cast<QTableView*>(&view))
        return table->horizontalHeader();
    return nullptr;
}

// Shares the list's width among its columns, again whenever the list is resized.
class RoomKeeper : public QObject {
public:
    explicit RoomKeeper(QAbstractItemView& view) : QObject(&view), view_(view), ownMinimum_(view.minimumWidth())
    {
        setObjectName(QStringLiteral("tvp_roomKeeper"));
        view.viewport()->installEventFilter(this);
    }

    // The widths the window gave the columns since the last share are their new least widths.
    void takeDesigned(const QHeaderView& header)
    {
        // Rows laid out later (a list shown after it was filled) are measured again then.
        if (view_.model() != watched_) {
            QObject::disconnect(watch_[0]);
            QObject::disconnect(watch_[1]);
            QObject::disconnect(watch_[2]);
            watched_ = view_.model();
            if (watched_) {
                watch_[0] = connect(watched_, &QAbstractItemModel::modelReset, this, &RoomKeeper::shareSoon);
                watch_[1] = connect(watched_, &QAbstractItemModel::rowsInserted, this, &RoomKeeper::shareSoon);
                watch_[2] = connect(watched_, &QAbstractItemModel::layoutChanged, this, &RoomKeeper::shareSoon);
            }
        }
        floors_.resize(std::size_t(header.count()), 0);
        applied_.resize(std::size_t(header.count()), -1);
        for (int c = 0; c < header.count(); ++c)
            if (header.sectionSize(c) != applied_[std::size_t(c)])
                floors_[std::size_t(c)] = header.sectionSize(c);
    }

    void share()
    {
        QHeaderView* header = columnHeader(view_);
        if (!header || !view_.model() || header->count() == 0 || header->count() != int(floors_.size()))
            return;
        // Each column's caption, its texts, and its designed width where the room allows it.
        std::vector<int> least(floors_.size(), 0), fit(floors_.size(), 0), full(floors_.size(), 0);
        int leastSum = 0, fitSum = 0, fullSum = 0;
        for (int c = 0; c < header->count(); ++c) {
            if (header->isSectionHidden(c))
                continue;
            const std::size_t i = std::size_t(c);
            least[i] = std::max(header->minimumSectionSize(),
                                headerTextWidth(*header, view_.model()->headerData(c, Qt::Horizontal).toString()));
            fit[i] = std::max(least[i], view_.sizeHintForColumn(c));
            full[i] = std::max(fit[i], floors_[i]);
            leastSum += least[i];
            fitSum += fit[i];
            fullSum += full[i];
        }
        // The list never becomes narrower than its captions, a vertical scroll bar beside them.
        const int minimum =
            std::max(ownMinimum_, leastSum + 2 * view_.frameWidth() +
                                      view_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view_));
        if (view_.minimumWidth() != minimum)
            view_.setMinimumWidth(minimum);
        const int room = view_.viewport()->width();
        std::vector<int> widths = fullSum <= room ? full : fit;
        if (fitSum > room) {
            // The widest texts are cut to the one width that fills the room.
            const auto total = [&](int limit) {
                int sum = 0;
                for (std::size_t i = 0; i < fit.size(); ++i)
                    sum += std::max(least[i], std::min(fit[i], limit));
                return sum;
            };
            int low = 0, high = *std::max_element(fit.begin(), fit.end());
            while (low < high) {
                const int mid = (low + high + 1) / 2;
                if (total(mid) <= room)
                    low = mid;
                else
                    high = mid - 1;
            }
            for (std::size_t i = 0; i < fit.size(); ++i)
                widths[i] = std::max(least[i], std::min(fit[i], low));
        }
        // Room left over goes to the column with the most to show, the name.
        const int used = std::accumulate(widths.begin(), widths.end(), 0);
        const auto widest = std::size_t(std::max_element(fit.begin(), fit.end()) - fit.begin());
        if (used < room)
            widths[widest] += room - used;
        for (int c = 0; c < header->count(); ++c)
            if (!header->isSectionHidden(c)) {
                if (header->sectionSize(c) != widths[std::size_t(c)])
                    header->resizeSection(c, widths[std::size_t(c)]);
                applied_[std::size_t(c)] = widths[std::size_t(c)];
            }
    }

    void shareSoon()
    {
        if (!pending_) {
            pending_ = true;
            QTimer::singleShot(0, this, [this] {
                pending_ = false;
                share();
            });
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == view_.viewport() && event->type() == QEvent::Show)
            shareSoon();
        if (watched == view_.viewport() && event->type() == QEvent::Resize &&
            static_cast<QResizeEvent*>(event)->oldSize().width() != view_.viewport()->width())
            share();
        return false;
    }

private:
    QAbstractItemView& view_;
    const int ownMinimum_;
    std::vector<int> floors_;
    std::vector<int> applied_;
    const QAbstractItemModel* watched_ = nullptr;
    QMetaObject::Connection watch_[3];
    bool pending_ = false;
};

} // namespace

void fitColumnsToRoom(QAbstractItemView& view)
{
    QHeaderView* header = columnHeader(view);
    if (!header)
        return;
    auto* keeper = view.findChild<RoomKeeper*>(QStringLiteral("tvp_roomKeeper"), Qt::FindDirectChildrenOnly);
    if (!keeper)
        keeper = new RoomKeeper(view);
    header->setStretchLastSection(false);
    keeper->takeDesigned(*header);
    keeper->share();
    keeper->shareSoon();
}

namespace {

// The room a choice's box gives its chosen entry.
int comboTextRoom(const QComboBox& combo)
{
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    option.frame = combo.hasFrame();
    option.subControls = QStyle::SC_All;
    // Two pixels go to the label's own margin.
    int room =
        combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo).width() - 2;
    if (!combo.itemIcon(combo.currentIndex()).isNull())
        room -= combo.iconSize().width() + 4;
    return room;
}

// The program's style: the chosen entry of a choice that is wider than its box ends in "…", and a
// list's rows hold the marks of capitals.
class TElidingStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
};

class TCutTextTips : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

void TElidingStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    const auto* combo = qobject_cast<const QComboBox*>(widget);
    if (element != CE_ComboBoxLabel || !box || box->editable || !combo) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    QStyleOptionComboBox shortened(*box);
    shortened.currentText = box->fontMetrics.elidedText(box->currentText, Qt::ElideRight, comboTextRoom(*combo));
    QProxyStyle::drawControl(element, &shortened, painter, widget);
}

QSize TElidingStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                      const QWidget* widget) const
{
    QSize needed = QProxyStyle::sizeFromContents(type, option, size, widget);
    // A row one line high cut them ("Ömer" read "Omer"); the text is centred, so room on both sides.
    if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option); item && type == CT_ItemViewItem)
        needed.rheight() += 2 * glyphOvershoot(item->font);
    return needed;
}

bool TCutTextTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    if (auto* combo = qobject_cast<QComboBox*>(watched)) {
        const QString text = combo->currentText();
        if (combo->isEditable() || !combo->toolTip().isEmpty() ||
            combo->fontMetrics().horizontalAdvance(text) <= comboTextRoom(*combo))
            return false;
        QToolTip::showText(help->globalPos(), text, combo);
        return true;
    }
    auto* viewport = static_cast<QWidget*>(watched);
    auto* view = qobject_cast<QAbstractItemView*>(viewport->parentWidget());
    if (!view || view->viewport() != viewport || !view->model())
        return false;
    const QModelIndex index = view->indexAt(help->pos());
    if (!index.isValid() || !index.data(Qt::ToolTipRole).toString().isEmpty())
        return false;
    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect rect = view->visualRect(index);
    if (text.isEmpty() || !view->itemDelegateForIndex(index))
        return false;
    QStyleOptionViewItem option;
    option.initFrom(viewport);
    option.font = view->font();
    option.fontMetrics = QFontMetrics(option.font);
    option.decorationSize = view->iconSize().isValid() ? view->iconSize() : QSize(16, 16);
    option.widget = view;
    if (view->itemDelegateForIndex(index)->sizeHint(option, index).width() <= rect.width())
        return false;
    QToolTip::showText(help->globalPos(), text, viewport, rect);
    return true;
}

} // namespace

void installCutTextAids()
{
    static QPointer<QObject> tips;
    if (!qApp || tips)
        return;
    tips = new TCutTextTips(qApp);
    qApp->installEventFilter(tips);
    if (!dynamic_cast<TElidingStyle*>(QApplication::style()))
        QApplication::setStyle(new TElidingStyle);
}

TElidingLabel::TElidingLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void TElidingLabel::setFullText(const QString& text)
{
    full_ = text;
    updateGeometry();
    elide();
}

QSize TElidingLabel::minimumSizeHint() const
{
    const QSize whole = QLabel::minimumSizeHint();
    // Room for a few letters and the "…".
    return {std::min(whole.width(), fontMetrics().horizontalAdvance(QStringLiteral("MMMM…"))), whole.height()};
}

QSize TElidingLabel::sizeHint() const
{
    const QMargins m = contentsMargins();
    return {fontMetrics().horizontalAdvance(full_) + m.left() + m.right() + 2 * margin(), QLabel::sizeHint().height()};
}

void TElidingLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void TElidingLabel::elide()
{
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, contentsRect().width() - 2 * margin());
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}

TVerticalScroll::TVerticalScroll(QWidget* content, QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidget(content);
}

bool TVerticalScroll::eventFilter(QObject* watched, QEvent* event)
{
    // The content's needs changed (a choice filled, a panel shown): the window's minimum follows.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

int TVerticalScroll::hiddenHeight() const
{
    const QWidget& content = *widget();
    // Measured beside the scroll bar: the area keeps one it once showed until the content fits
    // at that narrower width.
    const int width = this->width() - besideContent();
    // Nor does the area make its content lower than the content's minimum.
    int needed = content.minimumSizeHint().height();
    needed =
        std::max(needed, content.hasHeightForWidth() ? content.heightForWidth(width) : content.sizeHint().height());
    return std::max(0, needed + 2 * frameWidth() - height());
}

int TVerticalScroll::besideContent() const
{
    return 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

QSize TVerticalScroll::sizeHint() const
{
    const QSize content = widget()->sizeHint().expandedTo(widget()->minimumSizeHint());
    return {content.width() + besideContent(), content.height() + 2 * frameWidth()};
}

QSize TVerticalScroll::minimumSizeHint() const
{
    return {widget()->minimumSizeHint().width() + besideContent(), QScrollArea::minimumSizeHint().height()};
}

} // namespace tvp
