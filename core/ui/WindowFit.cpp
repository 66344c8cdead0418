#include "core/ui/WindowFit.h"

#include <QHeaderView>
#include <QEvent>
#include <QLayout>
#include <QStyle>
#include <QStyleOption>
#include <QTreeView>
#include <QWidget>

#include <algorithm>

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
