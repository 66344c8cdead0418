#pragma once
// Texts that do not fit the room their widget gives them, measured in the font they are drawn
// with: labels, buttons, check boxes, group titles, every entry of a choice, column headers and
// the cells of item views. A text that already ends in "…" counts too: it was cut before it
// was shown.
//
//   for (const CutText& cut : cutTexts(*window))
//       ADD_FAILURE() << describe(cut);

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QTableView>
#include <QTextDocument>
#include <QTreeView>

#include <algorithm>
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
        if (elided(text) || needed > room)
            out.push_back({pathOf(&combo), text, needed, room});
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

inline void checkCells(QAbstractItemView& view, QHeaderView* header, const QModelIndex& parent, int& budget,
                       std::vector<CutText>& out)
{
    const QAbstractItemModel* model = view.model();
    auto* tree = qobject_cast<QTreeView*>(&view);
    for (int row = 0; row < model->rowCount(parent) && budget > 0; ++row, --budget) {
        if (tree && tree->isRowHidden(row, parent))
            continue;
        for (int column = 0; column < model->columnCount(parent); ++column) {
            if (header->isSectionHidden(column) || header->sectionSize(column) == 0)
                continue;
            const QModelIndex index = model->index(row, column, parent);
            const QString text = index.data(Qt::DisplayRole).toString();
            if (text.isEmpty())
                continue;
            QStyleOptionViewItem opt;
            opt.initFrom(view.viewport());
            opt.font = view.font();
            opt.fontMetrics = QFontMetrics(opt.font);
            opt.decorationSize = view.iconSize().isValid() ? view.iconSize() : QSize(16, 16);
            opt.widget = &view;
            int needed = view.itemDelegateForIndex(index)->sizeHint(opt, index).width();
            int room = header->sectionSize(column);
            if (tree && header->visualIndex(column) == 0)
                room -= tree->indentation() * (depthOf(index) + (tree->rootIsDecorated() ? 1 : 0));
            if (elided(text) || needed > room)
                out.push_back({pathOf(&view), text, needed, room});
        }
        if (tree && tree->isExpanded(model->index(row, 0, parent)))
            checkCells(view, header, model->index(row, 0, parent), budget, out);
    }
}

inline void checkItemView(QAbstractItemView& view, std::vector<CutText>& out)
{
    QHeaderView* header = nullptr;
    if (auto* tree = qobject_cast<QTreeView*>(&view))
        header = tree->header();
    else if (auto* table = qobject_cast<QTableView*>(&view))
        header = table->horizontalHeader();
    if (!header || !view.model())
        return;
    if (!header->isHidden()) {
        const auto measure = &HeaderAccess::sectionSizeFromContents;
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section) || header->sectionSize(section) == 0)
                continue;
            const QString text = view.model()->headerData(section, Qt::Horizontal).toString();
            if (text.isEmpty())
                continue;
            const int needed = (header->*measure)(section).width();
            if (elided(text) || needed > header->sectionSize(section))
                out.push_back(
                    {pathOf(&view) + QStringLiteral(" (column)"), text, needed, header->sectionSize(section)});
        }
    }
    int budget = 200;
    checkCells(view, header, QModelIndex(), budget, out);
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
    }
    return out;
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
