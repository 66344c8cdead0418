#pragma once
// Texts that do not fit the room their widget gives them, measured in the font they are drawn
// with: labels, buttons, check boxes, group titles, every entry of a choice, column headers and
// the cells of item views, tool buttons and tab titles. A text that already ends in "…" counts too:
// it was cut before it was shown, unless the widget shows it whole as its tooltip. A cell may be cut
// only where its view has no room left, with "…" and the whole text as its tooltip.
//
//   for (const CutText& cut : cutTexts(*window))
//       ADD_FAILURE() << describe(cut);

#include "core/lists/ListCells.h"
#include "core/results/TextCut.h"
#include "core/ui/WindowFit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHelpEvent>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QScrollBar>
#include <QHash>
#include <QTabBar>
#include <QTableView>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tvp::test {

struct CutText {
    QString widget; // the widget's name with the nearest named parent: "GroupBox1/ButtonSave"
    QString text;
    int needed = 0; // pixels
    int room = 0;
};

namespace textfit_detail {

inline QString nameOf(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

inline QString pathOf(const QWidget* w)
{
    for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QLatin1String("qt_")))
            return p->objectName() + QLatin1Char('/') + nameOf(w);
    return nameOf(w);
}

inline bool elided(const QString& text)
{
    return text.endsWith(QChar(0x2026)) || text.contains(QChar(0x2026) + QLatin1Char(' '));
}

// The header's own measure of a section: text, margins and sort indicator.
struct HeaderAccess : QHeaderView {
    using QHeaderView::sectionSizeFromContents;
};

inline void checkLabel(QLabel& label, std::vector<CutText>& out)
{
    QString text = label.text();
    if (text.isEmpty())
        return;
    if (label.textFormat() == Qt::RichText || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument doc;
        doc.setHtml(text);
        text = doc.toPlainText();
    }
    const QFontMetrics fm(label.font());
    const int m = label.margin();
    const QRect room = label.contentsRect().adjusted(m, m, -m, -m);
    if (elided(text)) {
        // Shortened to its room, with the whole text as its tooltip.
        const bool wholeAsTip =
            label.toolTip().size() >= text.size() && label.toolTip().startsWith(text.left(text.indexOf(QChar(0x2026))));
        if (!wholeAsTip || fm.horizontalAdvance(text) > room.width())
            out.push_back({pathOf(&label), text, 0, room.width()});
        return;
    }
    if (label.wordWrap()) {
        const int needed = label.heightForWidth(label.width());
        if (needed > label.height())
            out.push_back({pathOf(&label), text, needed, label.height()});
        for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            if (fm.horizontalAdvance(word) > room.width())
                out.push_back({pathOf(&label), word, fm.horizontalAdvance(word), room.width()});
        return;
    }
    const int flags = label.buddy() ? Qt::TextShowMnemonic : 0;
    const QSize needed = fm.size(flags, text);
    if (needed.width() > room.width() || needed.height() > room.height() + 1)
        out.push_back({pathOf(&label), text, needed.width(), room.width()});
}

inline void checkButton(QAbstractButton& button, std::vector<CutText>& out)
{
    const QString text = button.text();
    if (text.isEmpty())
        return;
    if (auto* tool = qobject_cast<QToolButton*>(&button)) {
        if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
            return;
        const int needed = tool->sizeHint().width();
        if (elided(text) || needed > tool->width())
            out.push_back({pathOf(&button), text, needed, tool->width()});
        return;
    }
    QStyleOptionButton opt;
    opt.initFrom(&button);
    opt.text = text;
    opt.icon = button.icon();
    opt.iconSize = button.iconSize();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(&button))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(&button))
        element = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<QPushButton*>(&button))
        return;
    const QRect room = button.style()->subElementRect(element, &opt, &button);
    const QFontMetrics fm(button.font());
    int needed = fm.size(Qt::TextShowMnemonic, text).width();
    if (!opt.icon.isNull())
        needed += opt.iconSize.width() + 4;
    if (elided(text) || needed > room.width())
        out.push_back({pathOf(&button), text, needed, room.width()});
}

inline void checkGroupBox(QGroupBox& box, std::vector<CutText>& out)
{
    if (box.title().isEmpty())
        return;
    QStyleOptionGroupBox opt;
    opt.initFrom(&box);
    opt.text = box.title();
    opt.lineWidth = 1;
    opt.midLineWidth = 0;
    opt.textAlignment = Qt::Alignment(box.alignment());
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box.isCheckable())
        opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (box.isFlat())
        opt.features |= QStyleOptionFrame::Flat;
    const QRect label = box.style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, &box);
    const QFontMetrics fm(box.font());
    const int needed = fm.size(Qt::TextShowMnemonic, box.title()).width();
    const int room = box.rect().right() - label.left();
    if (elided(box.title()) || label.right() > box.rect().right())
        out.push_back({pathOf(&box), box.title(), needed, room});
}

// True when the combo, standing at entry i, shows it whole as its tooltip, asked as the mouse asks.
inline bool comboTipShowsWhole(QComboBox& combo, int i)
{
    const int current = combo.currentIndex();
    const QSignalBlocker quiet(combo);
    combo.setCurrentIndex(i);
    const QPoint centre = combo.rect().center();
    QHelpEvent event(QEvent::ToolTip, centre, combo.mapToGlobal(centre));
    QApplication::sendEvent(&combo, &event);
    const bool whole = QToolTip::isVisible() && QToolTip::text() == combo.itemText(i);
    QToolTip::hideText();
    combo.setCurrentIndex(current);
    return whole;
}

// Every entry of a choice, each as it shows when chosen: whole, or ending in "…" with the whole
// entry as the tooltip.
inline void checkComboBox(QComboBox& combo, std::vector<CutText>& out)
{
    QStyleOptionComboBox opt;
    opt.initFrom(&combo);
    opt.editable = combo.isEditable();
    opt.frame = combo.hasFrame();
    opt.subControls = QStyle::SC_All;
    // Two pixels go to the label's own margin.
    const int room =
        combo.style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, &combo).width() - 2;
    const QFontMetrics fm(combo.font());
    for (int i = 0; i < combo.count(); ++i) {
        const QString text = combo.itemText(i);
        int needed = fm.horizontalAdvance(text);
        if (!combo.itemIcon(i).isNull())
            needed += combo.iconSize().width() + 4;
        if (elided(text) || (needed > room && (combo.isEditable() || !comboTipShowsWhole(combo, i))))
            out.push_back({pathOf(&combo), text, needed, room});
    }
}

struct TabBarAccess : QTabBar {
    using QTabBar::tabSizeHint;
};

// Every title whole and every tab in view: a strip that scrolls hides some of them.
inline void checkTabBar(QTabBar& bar, std::vector<CutText>& out)
{
    for (int i = 0; i < bar.count(); ++i) {
        if (!bar.isTabVisible(i))
            continue;
        const QString text = bar.tabText(i);
        const QRect rect = bar.tabRect(i);
        const int needed = bar.fontMetrics().size(Qt::TextShowMnemonic, text).width();
        const bool inView = rect.left() >= 0 && rect.right() <= bar.width();
        if (elided(text) || !inView || (bar.*&TabBarAccess::tabSizeHint)(i).width() > rect.width())
            out.push_back({pathOf(&bar) + QStringLiteral(" (tab)"), text, needed, inView ? rect.width() : 0});
    }
}

inline int depthOf(QModelIndex index)
{
    int depth = 0;
    while (index.parent().isValid()) {
        index = index.parent();
        ++depth;
    }
    return depth;
}

// True when the view shows the cell's text whole as its tooltip, asked as the mouse asks.
inline bool tipShowsWhole(QAbstractItemView& view, const QModelIndex& index, const QString& text)
{
    view.scrollTo(index);
    const QRect rect = view.visualRect(index);
    if (!rect.isValid() || !view.viewport()->rect().contains(rect.center()))
        return false;
    QHelpEvent event(QEvent::ToolTip, rect.center(), view.viewport()->mapToGlobal(rect.center()));
    QApplication::sendEvent(view.viewport(), &event);
    QString tip = QToolTip::text();
    if (Qt::mightBeRichText(tip)) {
        QTextDocument doc;
        doc.setHtml(tip);
        tip = doc.toPlainText();
    }
    const bool whole = QToolTip::isVisible() && tip.simplified().contains(text.simplified());
    QToolTip::hideText();
    return whole;
}

struct CellCut {
    QModelIndex index;
    QString text;
    int needed = 0;
    int room = 0;
};

// The cells cut by their columns, and for each column the widest text it shows.
inline void measureCells(QAbstractItemView& view, QHeaderView* header, const QModelIndex& parent, int& budget,
                         std::vector<CellCut>& cuts, std::vector<int>& widest, std::vector<bool>& shown)
{
    const QAbstractItemModel* model = view.model();
    auto* tree = qobject_cast<QTreeView*>(&view);
    for (int row = 0; row < model->rowCount(parent) && budget > 0; ++row, --budget) {
        if (tree && tree->isRowHidden(row, parent))
            continue;
        for (int column = 0; column < model->columnCount(parent) && column < int(widest.size()); ++column) {
            if (header->isSectionHidden(column) || header->sectionSize(column) == 0)
                continue;
            const QModelIndex index = model->index(row, column, parent);
            const QString text = index.data(Qt::DisplayRole).toString();
            if (text.isEmpty())
                continue;
            shown[std::size_t(column)] = true;
            QStyleOptionViewItem opt;
            opt.initFrom(view.viewport());
            opt.font = view.font();
            opt.fontMetrics = QFontMetrics(opt.font);
            opt.decorationSize = view.iconSize().isValid() ? view.iconSize() : QSize(16, 16);
            opt.widget = &view;
            int needed = view.itemDelegateForIndex(index)->sizeHint(opt, index).width();
            int room = header->sectionSize(column);
            if (tree && header->visualIndex(column) == 0) {
                const int indent = tree->indentation() * (depthOf(index) + (tree->rootIsDecorated() ? 1 : 0));
                room -= indent;
                widest[std::size_t(column)] = std::max(widest[std::size_t(column)], needed + indent);
            } else {
                widest[std::size_t(column)] = std::max(widest[std::size_t(column)], needed);
            }
            if (elided(text) || needed > room)
                cuts.push_back({index, text, needed, room});
        }
        if (tree && tree->isExpanded(model->index(row, 0, parent)))
            measureCells(view, header, model->index(row, 0, parent), budget, cuts, widest, shown);
    }
}

// True when the header shows the caption whole as its tooltip, asked as the mouse asks.
inline bool captionTipShowsWhole(QHeaderView& header, int section, const QString& caption)
{
    const QPoint centre(header.sectionViewportPosition(section) + header.sectionSize(section) / 2, header.height() / 2);
    QHelpEvent event(QEvent::ToolTip, centre, header.viewport()->mapToGlobal(centre));
    QApplication::sendEvent(header.viewport(), &event);
    const bool whole = QToolTip::isVisible() && QToolTip::text() == caption;
    QToolTip::hideText();
    return whole;
}

// A column the user types into (its cells editable) or reads values from (so marked).
inline bool isValueColumn(const QAbstractItemModel& model, int column)
{
    return model.headerData(column, Qt::Horizontal, kValueColumnRole).toBool() ||
           (model.rowCount() > 0 && model.flags(model.index(0, column)) & Qt::ItemIsEditable);
}

// The least of a caption a column shows: its first letter and "…", or the whole where shorter.
inline int captionStart(const QHeaderView& header, const QString& caption)
{
    return std::max(header.minimumSectionSize(), std::min(headerTextWidth(header, caption),
                                                          headerTextWidth(header, caption.left(1) + QChar(0x2026))));
}

struct StyledDelegateAccess : QStyledItemDelegate {
    using QStyledItemDelegate::initStyleOption;
};
struct ViewOptionAccess : QAbstractItemView {
    using QAbstractItemView::initViewItemOption;
};

// What the cell shows in its column's room, as the style draws it: the text whole, or its start
// and "…", or where it shares its first `shared` characters with others, the part that differs too.
// Cells of delegates that draw on their own are taken as whole.
inline QString shownText(QAbstractItemView& view, QHeaderView& header, const QModelIndex& index, int shared = 0)
{
    const QString text = index.data(Qt::DisplayRole).toString();
    auto* delegate = qobject_cast<QStyledItemDelegate*>(view.itemDelegateForIndex(index));
    if (!delegate || text.contains(QLatin1Char('\n')))
        return text;
    QStyleOptionViewItem option;
    (view.*&ViewOptionAccess::initViewItemOption)(&option);
    (delegate->*&StyledDelegateAccess::initStyleOption)(&option, index);
    int width = header.sectionSize(index.column());
    if (auto* tree = qobject_cast<QTreeView*>(&view); tree && header.visualIndex(index.column()) == 0)
        width -= tree->indentation() * (depthOf(index) + (tree->rootIsDecorated() ? 1 : 0));
    option.rect = QRect(0, 0, width, view.visualRect(index).height());
    const QRect textRect = view.style()->subElementRect(QStyle::SE_ItemViewItemText, &option, &view);
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    if (shared > 0 && option.textElideMode == Qt::ElideRight)
        return cutKeepingDifference(text, shared, textRect.width() - 2 * margin, [&](const QString& t) {
            return int(std::ceil(QFontMetricsF(option.font).horizontalAdvance(t)));
        });
    return option.fontMetrics.elidedText(text, option.textElideMode, textRect.width() - 2 * margin);
}

// The room a list leaves empty: beside its columns and in columns wider than their texts and
// captions; columns of values or without texts are room to type into. Given a column `apart`: the
// room the others could give it, each down to its texts and its caption's start.
inline int emptyRoom(QAbstractItemView& view, QHeaderView* header, std::vector<CellCut>* cuts = nullptr, int apart = -1)
{
    const auto measure = &HeaderAccess::sectionSizeFromContents;
    std::vector<int> widest(std::size_t(header->count()), 0);
    for (int section = 0; section < header->count(); ++section) {
        const QString caption = view.model()->headerData(section, Qt::Horizontal).toString();
        if (apart >= 0)
            widest[std::size_t(section)] = captionStart(*header, caption);
        else if (!header->isHidden())
            widest[std::size_t(section)] =
                std::max((header->*measure)(section).width(), headerTextWidth(*header, caption));
    }
    std::vector<CellCut> found;
    std::vector<bool> shown(widest.size(), apart >= 0);
    int budget = 200;
    measureCells(view, header, QModelIndex(), budget, cuts ? *cuts : found, widest, shown);
    int empty = std::max(0, view.viewport()->width() - header->length());
    for (int section = 0; section < header->count(); ++section)
        if (section != apart && !header->isSectionHidden(section) && shown[std::size_t(section)] &&
            !isValueColumn(*view.model(), section))
            empty += std::max(0, header->sectionSize(section) -
                                     std::max(widest[std::size_t(section)], header->minimumSectionSize()));
    return empty;
}

// A cut cell is a fault where its view leaves room empty, and elsewhere unless it ends in "…" and
// shows whole as its tooltip.
inline void checkCells(QAbstractItemView& view, QHeaderView* header, std::vector<CutText>& out)
{
    std::vector<CellCut> cuts;
    const int empty = emptyRoom(view, header, &cuts);
    for (const CellCut& cut : cuts) {
        if (elided(cut.text))
            out.push_back({pathOf(&view), cut.text, cut.needed, cut.room});
        else if (empty > 8)
            out.push_back(
                {pathOf(&view) + QStringLiteral(" (%1 px left empty)").arg(empty), cut.text, cut.needed, cut.room});
        else if (view.textElideMode() == Qt::ElideNone || !tipShowsWhole(view, cut.index, cut.text))
            out.push_back({pathOf(&view) + QStringLiteral(" (no tooltip)"), cut.text, cut.needed, cut.room});
    }
}

inline QHeaderView* columnHeader(QAbstractItemView& view)
{
    if (auto* tree = qobject_cast<QTreeView*>(&view))
        return tree->header();
    if (auto* table = qobject_cast<QTableView*>(&view))
        return table->horizontalHeader();
    return nullptr;
}

inline void checkItemView(QAbstractItemView& view, std::vector<CutText>& out)
{
    QHeaderView* header = columnHeader(view);
    if (!header || !view.model())
        return;
    if (!header->isHidden()) {
        const auto measure = &HeaderAccess::sectionSizeFromContents;
        int widest = 0;
        for (int section = 0; section < header->count(); ++section)
            widest = std::max(widest, header->isSectionHidden(section) ? 0 : header->sectionSize(section));
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section) || header->sectionSize(section) == 0)
                continue;
            const QString text = view.model()->headerData(section, Qt::Horizontal).toString();
            if (text.isEmpty())
                continue;
            // The current column's caption is drawn bold where the header highlights it.
            int needed = (header->*measure)(section).width();
            if (header->highlightSections())
                needed = std::max(needed, headerTextWidth(*header, text));
            if (!elided(text) && needed <= header->sectionSize(section))
                continue;
            // Cut where the list has no room for it (a column of values, where none is wider): its
            // start and "…", and whole as its tooltip.
            QString fault;
            if (elided(text))
                fault = QStringLiteral(" (column)");
            else if (const int empty = emptyRoom(view, header); empty > 8)
                fault = QStringLiteral(" (column, %1 px left empty)").arg(empty);
            else if (isValueColumn(*view.model(), section) && widest > header->sectionSize(section) + 1)
                fault = QStringLiteral(" (value column)");
            else if (header->textElideMode() == Qt::ElideNone || !captionTipShowsWhole(*header, section, text))
                fault = QStringLiteral(" (column, no tooltip)");
            if (!fault.isEmpty())
                out.push_back({pathOf(&view) + fault, text, needed, header->sectionSize(section)});
        }
    }
    checkCells(view, header, out);
}

} // namespace textfit_detail

// The texts below root (root included) that its visible widgets cannot show whole.
inline std::vector<CutText> cutTexts(QWidget& root)
{
    using namespace textfit_detail;
    std::vector<CutText> out;
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(&root) || (w != &root && w->isWindow()))
            continue;
        // The parts of compound widgets are judged with the widget itself.
        if (qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractItemView*>(w->parentWidget()))
            continue;
        if (auto* label = qobject_cast<QLabel*>(w))
            checkLabel(*label, out);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            checkButton(*button, out);
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            checkGroupBox(*box, out);
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            checkComboBox(*combo, out);
        else if (auto* view = qobject_cast<QAbstractItemView*>(w))
            checkItemView(*view, out);
        else if (auto* bar = qobject_cast<QTabBar*>(w))
            checkTabBar(*bar, out);
    }
    return out;
}

namespace textfit_detail {

// The least of a column's texts a cut leaves: what tells each apart from the others ("…(16)"), and
// short texts (a year, a number) whole, in as many rows as the list measures, opened rows'
// children included.
inline int textsApart(QAbstractItemView& view, int column)
{
    const QAbstractItemModel& model = *view.model();
    QStringList texts;
    std::vector<int> margins;
    QStyleOptionViewItem option;
    option.initFrom(view.viewport());
    option.font = view.font();
    option.fontMetrics = QFontMetrics(option.font);
    option.widget = &view;
    auto* tree = qobject_cast<QTreeView*>(&view);
    const bool first = tree && tree->header()->visualIndex(column) == 0;
    const int precision = columnHeader(view)->resizeContentsPrecision();
    int budget = precision < 0 ? std::numeric_limits<int>::max() : std::max(precision, 1);
    std::vector<std::pair<QModelIndex, int>> pending{{QModelIndex(), 0}};
    while (!pending.empty() && budget > 0) {
        const auto [parent, depth] = pending.back();
        pending.pop_back();
        for (int row = 0; row < model.rowCount(parent) && budget > 0; ++row, --budget) {
            const QModelIndex index = model.index(row, column, parent);
            const QString text = index.data().toString();
            if (tree && tree->isExpanded(model.index(row, 0, parent)))
                pending.emplace_back(model.index(row, 0, parent), depth + 1);
            if (text.isEmpty() || text.contains(QLatin1Char('\n')))
                continue;
            const int indent = first ? tree->indentation() * (depth + (tree->rootIsDecorated() ? 1 : 0)) : 0;
            texts << text;
            margins.push_back(view.itemDelegateForIndex(index)->sizeHint(option, index).width() + indent -
                              option.fontMetrics.horizontalAdvance(text));
        }
    }
    const bool shortTexts = std::ranges::all_of(texts, [](const QString& text) { return text.size() <= 5; });
    const std::vector<int> least =
        leastApartWidths(texts, [&](const QString& text) { return option.fontMetrics.horizontalAdvance(text); });
    int most = 0;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const int whole = option.fontMetrics.horizontalAdvance(texts[i]) + margins[std::size_t(i)];
        most = std::max(most, shortTexts ? whole : least[std::size_t(i)] + margins[std::size_t(i)] + 1);
    }
    return most;
}

} // namespace textfit_detail

// The columns of a list that run past its right edge, cut at its scroll bar whatever their width,
// or past its window's, where the window is narrower than the list. A list scrolls sideways only
// where each column is down to the first letter of its caption and "…", or to what tells its rows
// apart.
inline std::vector<CutText> columnsPastEdge(QAbstractItemView& view)
{
    std::vector<CutText> out;
    QHeaderView* header = textfit_detail::columnHeader(view);
    if (!header || !view.model())
        return out;
    const QWidget* window = view.window();
    const int edge =
        std::min(view.viewport()->width(), window->width() - view.viewport()->mapTo(window, QPoint(0, 0)).x());
    bool roomInColumns = false;
    for (int section = 0; section < header->count(); ++section)
        roomInColumns |= !header->isSectionHidden(section) &&
                         header->sectionSize(section) >
                             std::max(textfit_detail::captionStart(
                                          *header, view.model()->headerData(section, Qt::Horizontal).toString()),
                                      textfit_detail::textsApart(view, section)) +
                                 2;
    if (!roomInColumns && view.horizontalScrollBar()->isVisible())
        return out;
    for (int section = 0; section < header->count(); ++section) {
        const int right = header->sectionPosition(section) + header->sectionSize(section);
        if (!header->isSectionHidden(section) && header->sectionSize(section) > 0 && right > edge)
            out.push_back({textfit_detail::pathOf(&view) + QStringLiteral(" (past the edge)"),
                           view.model()->headerData(section, Qt::Horizontal).toString(), right, edge});
    }
    return out;
}

// Two different texts of a column that the list shows alike while it has room to tell them apart
// (or its window could grow by roomToGrow), or without each whole as its tooltip.
inline std::vector<CutText> textsShownAlike(QAbstractItemView& view, int roomToGrow = 0)
{
    using namespace textfit_detail;
    std::vector<CutText> out;
    QHeaderView* header = columnHeader(view);
    if (!header || !view.model())
        return out;
    const QAbstractItemModel& model = *view.model();
    for (int column = 0; column < model.columnCount(); ++column) {
        QHash<QString, QModelIndex> first; // what a cell shows -> the first cell showing it
        const int rows = std::min(model.rowCount(), 200);
        QStringList texts;
        for (int row = 0; row < rows; ++row)
            texts << model.index(row, column).data().toString();
        const std::vector<int> starts = distinctStarts(texts);
        for (int row = 0; row < rows && header->sectionSize(column) > 0; ++row) {
            const QModelIndex index = model.index(row, column);
            const QString text = index.data().toString();
            const int start = starts[std::size_t(row)];
            const QString shown = shownText(view, *header, index, start > 1 ? start - 1 : 0);
            const QModelIndex other = first.value(shown);
            if (!other.isValid())
                first.insert(shown, index);
            if (!other.isValid() || other.data().toString() == text)
                continue;
            const int room = emptyRoom(view, header, nullptr, column) + roomToGrow;
            if (room > 8 || !tipShowsWhole(view, other, other.data().toString()) || !tipShowsWhole(view, index, text))
                out.push_back({pathOf(&view) + (room > 8 ? QStringLiteral(" (alike, %1 px to spare)").arg(room)
                                                         : QStringLiteral(" (alike, no tooltip)")),
                               shown + QStringLiteral(": ") + other.data().toString() + QStringLiteral(" / ") + text, 0,
                               header->sectionSize(column)});
        }
    }
    return out;
}

// The cell as its list paints it, to be told apart from another by its pixels.
inline QByteArray paintedCell(QTreeView& view, const QModelIndex& index)
{
    QStyleOptionViewItem option;
    (view.*&textfit_detail::ViewOptionAccess::initViewItemOption)(&option);
    option.rect = QRect(0, 0, view.columnWidth(index.column()), view.visualRect(view.model()->index(0, 0)).height());
    QImage image(option.rect.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.itemDelegateForIndex(index)->paint(&painter, option, index);
    painter.end();
    return QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
}

inline std::string describe(const CutText& cut)
{
    return QStringLiteral("%1: \"%2\" needs %3 px, has %4 px")
        .arg(cut.widget, cut.text)
        .arg(cut.needed)
        .arg(cut.room)
        .toStdString();
}

} // namespace tvp::test
