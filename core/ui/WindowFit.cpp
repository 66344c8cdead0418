#include "core/ui/WindowFit.h"

#include "core/lists/ListCells.h"
#include "core/results/TextCut.h"
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
#include <QScrollBar>
#include <QToolTip>
#include <QStyle>
#include <QStyleOption>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

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

namespace {

int captionWidth(const QHeaderView& header, const QString& caption, bool sortIndicator)
{
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.text = caption;
    // Measured bold, as the header measures its sections, so a highlighted caption fits too.
    QFont font = header.font();
    font.setBold(true);
    option.fontMetrics = QFontMetrics(font);
    if (sortIndicator)
        option.sortIndicator = QStyleOptionHeader::SortDown;
    return header.style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), &header).width();
}

} // namespace

int headerTextWidth(const QHeaderView& header, const QString& caption)
{
    return captionWidth(header, caption, header.isSortIndicatorShown());
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

// The item views' own option for their cells, and the header's own measure of a caption.
struct ViewOptionAccess : QAbstractItemView {
    using QAbstractItemView::initViewItemOption;
};
struct HeaderMeasureAccess : QHeaderView {
    using QHeaderView::sectionSizeFromContents;
};

// What a column asks for, from least to most; the room goes to each step in turn, over all columns.
enum TNeed {
    nLeast,         // the first letter of its caption and "…" (and the sort indicator where it shows),
                    // its texts whole where they are short (a year, a number)
    nNames,         // the names' column: its texts told apart, the rows are the records the user looks for
    nApart,         // the other columns' texts told apart
    nWhole,         // its texts whole: a column of short texts gives way before a name is cut
    nCaptionsApart, // its caption told apart from the others
    nCaption,       // its caption whole
    nDesigned,      // the width the window gave it
    kNeeds
};
using TColumnNeeds = std::array<int, kNeeds>;

// Each step asks at least what the one before it asked.
void rising(TColumnNeeds& n)
{
    for (std::size_t step = 1; step < n.size(); ++step)
        n[step] = std::max(n[step], n[step - 1]);
}

// Texts of at most this many characters (years, numbers, a sex) are never cut.
constexpr int kShortTextChars = 5;

// The widths the columns get in room: each step of every column's needs in turn; within the step
// the room does not cover, the columns that ask the most are cut to one width. Where not even the
// least fits, the columns keep it and the list scrolls sideways.
std::vector<int> shareRoom(const std::vector<TColumnNeeds>& needs, int room)
{
    const auto sumOf = [&](int step) {
        int sum = 0;
        for (const TColumnNeeds& n : needs)
            sum += n[std::size_t(step)];
        return sum;
    };
    std::vector<int> widths(needs.size());
    int step = 0;
    while (step + 1 < kNeeds && sumOf(step + 1) <= room)
        ++step;
    for (std::size_t i = 0; i < needs.size(); ++i)
        widths[i] = needs[i][std::size_t(step)];
    if (step + 1 == kNeeds || sumOf(step) > room)
        return widths;
    const auto within = [&](std::size_t i, int limit) {
        return std::max(needs[i][std::size_t(step)], std::min(needs[i][std::size_t(step) + 1], limit));
    };
    const auto total = [&](int limit) {
        int sum = 0;
        for (std::size_t i = 0; i < needs.size(); ++i)
            sum += within(i, limit);
        return sum;
    };
    int low = 0, high = room;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (total(mid) <= room)
            low = mid;
        else
            high = mid - 1;
    }
    // The few pixels one width cannot share go one each to the columns still cut.
    int left = room - total(low);
    for (std::size_t i = 0; i < needs.size(); ++i) {
        widths[i] = within(i, low);
        if (left > 0 && widths[i] < needs[i][std::size_t(step) + 1]) {
            ++widths[i];
            --left;
        }
    }
    return widths;
}

// Shares the list's width among its columns, again whenever the list is resized. Its texts are
// measured once after each change of its rows, not at each width.
class RoomKeeper : public QObject {
public:
    explicit RoomKeeper(QAbstractItemView& view) : QObject(&view), view_(view), ownMinimum_(view.minimumWidth())
    {
        view.viewport()->installEventFilter(this);
        if (auto* tree = qobject_cast<QTreeView*>(&view)) {
            connect(tree, &QTreeView::expanded, this, &RoomKeeper::rowsChanged);
            connect(tree, &QTreeView::collapsed, this, &RoomKeeper::rowsChanged);
        }
    }

    static RoomKeeper* of(QAbstractItemView& view)
    {
        for (QObject* child : view.children())
            if (auto* keeper = dynamic_cast<RoomKeeper*>(child))
                return keeper;
        return nullptr;
    }

    // The widths the window gave the columns since the last share are their designed widths.
    void takeDesigned(const QHeaderView& header)
    {
        // Rows laid out later (a list shown after it was filled) are measured again then.
        if (view_.model() != watched_) {
            for (const QMetaObject::Connection& c : watch_)
                QObject::disconnect(c);
            watch_.clear();
            watched_ = view_.model();
            if (watched_) {
                const auto changed = [this] { rowsChanged(); };
                watch_.push_back(connect(watched_, &QAbstractItemModel::modelReset, this, changed));
                watch_.push_back(connect(watched_, &QAbstractItemModel::layoutChanged, this, changed));
                watch_.push_back(connect(watched_, &QAbstractItemModel::rowsInserted, this, changed));
                watch_.push_back(connect(watched_, &QAbstractItemModel::rowsRemoved, this, changed));
                watch_.push_back(connect(watched_, &QAbstractItemModel::columnsInserted, this, changed));
                watch_.push_back(connect(watched_, &QAbstractItemModel::columnsRemoved, this, changed));
                // A changed cell is measured with the next width, without moving the columns now.
                watch_.push_back(connect(watched_, &QAbstractItemModel::dataChanged, this, [this] { stale_ = true; }));
                watch_.push_back(
                    connect(watched_, &QAbstractItemModel::headerDataChanged, this, [this] { stale_ = true; }));
            }
        }
        floors_.resize(std::size_t(header.count()), 0);
        applied_.resize(std::size_t(header.count()), -1);
        for (int c = 0; c < header.count(); ++c)
            if (header.sectionSize(c) != applied_[std::size_t(c)])
                floors_[std::size_t(c)] = header.sectionSize(c);
        stale_ = true;
    }

    void share()
    {
        QHeaderView* header = columnHeader(view_);
        if (!header || !view_.model() || header->count() == 0 || header->count() != int(floors_.size()))
            return;
        if (stale_)
            measure(*header);
        std::vector<TColumnNeeds> needs;
        for (int c = 0; c < header->count(); ++c)
            if (!header->isSectionHidden(c)) {
                TColumnNeeds n = measured_[std::size_t(c)];
                n[nDesigned] = std::max(n[nCaption], floors_[std::size_t(c)]);
                // A column of values is read or typed whole, before names get more than tells them apart.
                if (values_[std::size_t(c)])
                    std::fill(n.begin() + nApart, n.end(), n[nDesigned]);
                // The sorted column shows its indicator beside at least the start of its caption.
                if (header->isSortIndicatorShown() && header->sortIndicatorSection() == c)
                    n[nLeast] = std::max(n[nLeast], sortedLeast_[std::size_t(c)]);
                rising(n);
                needs.push_back(n);
            }
        // The list asks for the start of each caption, up to a part of a laptop's screen; with more
        // columns it scrolls sideways.
        int least = 0;
        for (const TColumnNeeds& n : needs)
            least += n[nLeast];
        const int most = kMostColumnsRoomInChars * view_.fontMetrics().averageCharWidth();
        const int minimum =
            std::max(ownMinimum_, std::min(least, most) + 2 * view_.frameWidth() +
                                      view_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view_));
        if (view_.minimumWidth() != minimum)
            view_.setMinimumWidth(minimum);
        wanted_ = 0;
        for (const TColumnNeeds& n : needs)
            wanted_ += n[nCaption];
        // The first time it shows rows, its window may grow to show them whole.
        if (!grown_ && view_.isVisible() && view_.model()->rowCount() > 0) {
            grown_ = true;
            QTimer::singleShot(0, this, [this] { growWindow(); });
        }
        const int room = view_.viewport()->width();
        std::vector<int> widths = shareRoom(needs, room);
        // Room left over goes to the column with the most to show, the name.
        const int used = std::accumulate(widths.begin(), widths.end(), 0);
        if (used < room && !widths.empty()) {
            const auto widest = std::ranges::max_element(needs, {}, [](const TColumnNeeds& n) { return n[nWhole]; });
            widths[std::size_t(widest - needs.begin())] += room - used;
        }
        auto width = widths.begin();
        for (int c = 0; c < header->count(); ++c)
            if (!header->isSectionHidden(c)) {
                if (header->sectionSize(c) != *width)
                    header->resizeSection(c, *width);
                applied_[std::size_t(c)] = *width++;
            }
    }

    // What the list lacks as its window is shown, for the window to grow before it is mapped: measured
    // where its rows are there (it then tells no more); where they are not yet and its names may
    // need the screen, more than any screen has.
    std::optional<int> lackAsShown()
    {
        if (grown_ || !view_.model() || !view_.isVisible())
            return std::nullopt;
        if (view_.model()->rowCount() == 0)
            return namesMayNeedTheScreen ? std::optional<int>(QWIDGETSIZE_MAX) : std::nullopt;
        grown_ = true;
        share();
        return lack();
    }

    bool namesMayNeedTheScreen = false;

    // How many first characters the column's text shares with another of its texts (0: none, or not measured).
    int sharedStart(int column, const QString& text) const
    {
        return column >= 0 && column < int(shared_.size()) ? shared_[std::size_t(column)].value(text) : 0;
    }

    void rowsChanged()
    {
        stale_ = true;
        shareSoon();
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
    // The most a list asks for the starts of its captions, in letters: well within a laptop's screen.
    static constexpr int kMostColumnsRoomInChars = 60;

    // The window grows by what the list lacks, a scroll bar included that more rows may bring.
    void growWindow()
    {
        TListLacksEvent lacks(view_, lack());
        QCoreApplication::sendEvent(view_.window(), &lacks);
    }

    int lack() const
    {
        const int scrollBar = view_.verticalScrollBar()->isVisible()
                                  ? 0
                                  : view_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view_);
        return wanted_ + scrollBar - view_.viewport()->width();
    }

    void measure(const QHeaderView& header)
    {
        stale_ = false;
        const int columns = header.count();
        measured_.assign(std::size_t(columns), TColumnNeeds{});
        values_.assign(std::size_t(columns), false);
        sortedLeast_.assign(std::size_t(columns), 0);
        shared_.assign(std::size_t(columns), {});
        longest_.assign(std::size_t(columns), 0);
        measureCaptions(header);
        std::vector<QStringList> texts(static_cast<std::size_t>(columns));
        std::vector<std::vector<int>> wholes(static_cast<std::size_t>(columns));
        measureCells(header, texts, wholes);
        // The names are the first column in the header's order that holds no values.
        int names = -1;
        for (int visual = 0; visual < columns && names < 0; ++visual)
            if (const int c = header.logicalIndex(visual); !header.isSectionHidden(c) && !values_[std::size_t(c)])
                names = c;
        const QFontMetrics metrics(view_.font());
        const QString dots(QChar(0x2026));
        for (int c = 0; c < columns; ++c) {
            TColumnNeeds& n = measured_[std::size_t(c)];
            const QStringList& column = texts[std::size_t(c)];
            const std::vector<int> starts = distinctStarts(column);
            // However narrow the column, a cut still tells its rows apart ("…(16)" beside "…(6)").
            const std::vector<int> least =
                leastApartWidths(column, [&](const QString& text) { return metrics.horizontalAdvance(text); });
            int apart = 0;
            for (qsizetype i = 0; i < column.size(); ++i) {
                const QString& text = column[i];
                const int whole = wholes[std::size_t(c)][std::size_t(i)];
                const int margin = whole - metrics.horizontalAdvance(text);
                n[nLeast] = std::max(n[nLeast], std::min(whole, least[std::size_t(i)] + margin + 1));
                const int start = starts[std::size_t(i)];
                // Also a text that parts from another only in its last character ("(1)" beside
                // "(10)"), or that another starts with, keeps that character where it is cut.
                if (start > 1)
                    shared_[std::size_t(c)].insert(text, start - 1);
                if (start >= text.size()) {
                    apart = std::max(apart, whole);
                    continue;
                }
                const int cut = margin + metrics.horizontalAdvance(text.left(start) + dots);
                apart = std::max(apart, std::min(whole, cut + 1));
            }
            if (longest_[std::size_t(c)] > 0 && longest_[std::size_t(c)] <= kShortTextChars)
                n[nLeast] = std::max(n[nLeast], n[nWhole]);
            n[c == names ? nNames : nApart] = apart;
            rising(n);
        }
    }

    // What each caption needs whole, told apart from the others, and at least.
    void measureCaptions(const QHeaderView& header)
    {
        const QAbstractItemModel& model = *view_.model();
        QStringList captions;
        for (int c = 0; c < header.count(); ++c) {
            captions << model.headerData(c, Qt::Horizontal).toString();
            values_[std::size_t(c)] = model.headerData(c, Qt::Horizontal, kValueColumnRole).toBool();
        }
        const std::vector<int> captionStarts = distinctStarts(captions);
        const QString dots(QChar(0x2026));
        for (int c = 0; c < header.count(); ++c) {
            TColumnNeeds& n = measured_[std::size_t(c)];
            const QString& caption = captions[c];
            n[nCaption] = std::max({header.minimumSectionSize(), headerTextWidth(header, caption),
                                    (header.*&HeaderMeasureAccess::sectionSizeFromContents)(c).width()});
            // The sort indicator shows on one column only: the others need no room for it.
            const auto least = [&](bool sorted) {
                return std::min(n[nCaption], std::max(header.minimumSectionSize(),
                                                      captionWidth(header, caption.left(1) + dots, sorted)));
            };
            n[nLeast] = least(false);
            sortedLeast_[std::size_t(c)] = least(true);
            const int start = captionStarts[std::size_t(c)];
            n[nCaptionsApart] =
                start < caption.size() ? headerTextWidth(header, caption.left(start) + dots) : n[nCaption];
        }
    }

    // The cells, as the view measures them for its own sizing: the rows, then the children of
    // opened rows, as many as the header measures to size a column to its contents. Each column's
    // widest cell whole, and its one-line texts with the width each needs.
    void measureCells(const QHeaderView& header, std::vector<QStringList>& texts, std::vector<std::vector<int>>& wholes)
    {
        const QAbstractItemModel& model = *view_.model();
        const int columns = header.count();
        auto* tree = qobject_cast<QTreeView*>(&view_);
        auto* table = qobject_cast<QTableView*>(&view_);
        int budget = header.resizeContentsPrecision() < 0 ? std::numeric_limits<int>::max()
                                                          : std::max(header.resizeContentsPrecision(), 1);
        QStyleOptionViewItem option;
        (view_.*&ViewOptionAccess::initViewItemOption)(&option);
        const int grid = table && table->showGrid() ? 1 : 0;
        std::vector<std::pair<QModelIndex, int>> pending{{QModelIndex(), 0}};
        while (!pending.empty() && budget > 0) {
            const auto [parent, depth] = pending.back();
            pending.pop_back();
            const int rows = model.rowCount(parent);
            for (int row = 0; row < rows && budget > 0; ++row) {
                if ((tree && tree->isRowHidden(row, parent)) || (table && table->isRowHidden(row)))
                    continue;
                --budget;
                for (int c = 0; c < columns; ++c) {
                    if (header.isSectionHidden(c))
                        continue;
                    const QModelIndex index = model.index(row, c, parent);
                    if (index.flags() & Qt::ItemIsEditable)
                        values_[std::size_t(c)] = true;
                    QAbstractItemDelegate* delegate = view_.itemDelegateForIndex(index);
                    if (!delegate)
                        continue;
                    int need = delegate->sizeHint(option, index).width() + grid;
                    if (tree && header.visualIndex(c) == 0)
                        need += tree->indentation() * (depth + (tree->rootIsDecorated() ? 1 : 0));
                    int& whole = measured_[std::size_t(c)][nWhole];
                    whole = std::max(whole, need);
                    const QString text = index.data(Qt::DisplayRole).toString();
                    longest_[std::size_t(c)] = std::max(longest_[std::size_t(c)], text.size());
                    // Lines below lines are not names: only one-line texts are told apart.
                    if (!text.isEmpty() && !text.contains(QLatin1Char('\n'))) {
                        texts[std::size_t(c)] << text;
                        wholes[std::size_t(c)].push_back(need);
                    }
                }
                if (tree && tree->isExpanded(model.index(row, 0, parent)))
                    pending.emplace_back(model.index(row, 0, parent), depth + 1);
            }
        }
    }

    QAbstractItemView& view_;
    const int ownMinimum_;
    std::vector<int> floors_;
    std::vector<int> applied_;
    std::vector<TColumnNeeds> measured_;
    // Each column's least with the sort indicator beside its caption.
    std::vector<int> sortedLeast_;
    // Per column, the texts that share their start with another: how many characters they share.
    std::vector<QHash<QString, int>> shared_;
    // Per column, the most characters a text of it has.
    std::vector<qsizetype> longest_;
    // The columns the user types into or reads values from.
    std::vector<bool> values_;
    bool stale_ = true;
    // What the columns need to show their texts and captions whole, values at their designed width.
    int wanted_ = 0;
    bool grown_ = false;
    const QAbstractItemModel* watched_ = nullptr;
    std::vector<QMetaObject::Connection> watch_;
    bool pending_ = false;
};

} // namespace

void fitColumnsToRoom(QAbstractItemView& view)
{
    QHeaderView* header = columnHeader(view);
    if (!header)
        return;
    RoomKeeper* keeper = RoomKeeper::of(view);
    if (!keeper)
        keeper = new RoomKeeper(view);
    header->setStretchLastSection(false);
    header->setTextElideMode(Qt::ElideRight);
    keeper->takeDesigned(*header);
    keeper->share();
    keeper->shareSoon();
}

void opensWideForNames(QAbstractItemView& view)
{
    if (!RoomKeeper::of(view))
        fitColumnsToRoom(view);
    if (RoomKeeper* keeper = RoomKeeper::of(view))
        keeper->namesMayNeedTheScreen = true;
}

std::vector<std::pair<const QWidget*, int>> listsLacking(QWidget& window)
{
    std::vector<std::pair<const QWidget*, int>> lacking;
    for (QAbstractItemView* view : window.findChildren<QAbstractItemView*>())
        if (RoomKeeper* keeper = RoomKeeper::of(*view); keeper && view->window() == &window)
            if (const std::optional<int> lack = keeper->lackAsShown(); lack && *lack > 0)
                lacking.emplace_back(view, *lack);
    return lacking;
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

// A caption in room: cut keeping the part that tells it from its header's other captions.
QString cutCaption(const QStyleOptionHeader& option, const QFont& font, int room, const QWidget* widget)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(option.text) <= room)
        return option.text;
    int shared = 0;
    if (const auto* header = qobject_cast<const QHeaderView*>(widget); header && header->model()) {
        QStringList captions;
        for (int c = 0; c < header->count(); ++c)
            captions << header->model()->headerData(c, header->orientation()).toString();
        if (const qsizetype own = captions.indexOf(option.text); own >= 0)
            shared = distinctStarts(captions)[std::size_t(own)] - 1;
    }
    return cutKeepingDifference(option.text, shared, room,
                                [&](const QString& text) { return metrics.horizontalAdvance(text); });
}

class TCutTextTips : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

void TElidingStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    // A caption its column cuts: the whole shows as its tooltip.
    if (const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
        header && element == CE_HeaderLabel) {
        QFont font = widget ? widget->font() : painter->font();
        font.setBold(font.bold() || (header->state & State_On));
        int room = header->rect.width();
        if (!header->icon.isNull())
            room -= pixelMetric(PM_SmallIconSize, option, widget) + pixelMetric(PM_HeaderMargin, option, widget);
        QStyleOptionHeaderV2 shortened;
        if (const auto* v2 = qstyleoption_cast<const QStyleOptionHeaderV2*>(option))
            shortened = *v2;
        else
            static_cast<QStyleOptionHeader&>(shortened) = *header;
        shortened.text = cutCaption(*header, font, room, widget);
        QProxyStyle::drawControl(element, &shortened, painter, widget);
        return;
    }
    // A cell whose text shares a long start with others of its column keeps the part that differs.
    if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        item && element == CE_ItemViewItem && item->textElideMode == Qt::ElideRight && widget) {
        auto* view = qobject_cast<QAbstractItemView*>(const_cast<QWidget*>(widget));
        const RoomKeeper* keeper = view ? RoomKeeper::of(*view) : nullptr;
        if (const int shared = keeper ? keeper->sharedStart(item->index.column(), item->text) : 0; shared > 0) {
            QStyleOptionViewItem cut(*item);
            const int margin = pixelMetric(PM_FocusFrameHMargin, option, widget) + 1;
            const int room = subElementRect(SE_ItemViewItemText, item, widget).width() - 2 * margin;
            // In fractions of a pixel, as the style lays the text out: a whole pixel less, and it
            // cuts the kept end off again.
            const QFontMetricsF metrics(item->font);
            cut.text = cutKeepingDifference(item->text, shared, room, [&](const QString& text) {
                return int(std::ceil(metrics.horizontalAdvance(text)));
            });
            QProxyStyle::drawControl(element, &cut, painter, widget);
            return;
        }
    }
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
    if (auto* header = qobject_cast<QHeaderView*>(viewport->parentWidget());
        header && header->orientation() == Qt::Horizontal && header->model()) {
        const int section = header->logicalIndexAt(help->pos());
        if (section < 0 || !header->model()->headerData(section, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty())
            return false;
        const QString caption = header->model()->headerData(section, Qt::Horizontal).toString();
        if (caption.isEmpty() || headerTextWidth(*header, caption) <= header->sectionSize(section))
            return false;
        const QRect rect(header->sectionViewportPosition(section), 0, header->sectionSize(section), header->height());
        QToolTip::showText(help->globalPos(), caption, viewport, rect);
        return true;
    }
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
