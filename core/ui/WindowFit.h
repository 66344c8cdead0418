#pragma once
// Window and column sizes that hold their texts whole in the font the program runs with. The sizes
// a window was designed with were measured in another font; where a text needs more room here, the
// window or column grows to it, and keeps its designed size where everything fits.
//
//   setMinimumSize(500, 500);
//   resize(640, 500);
//   buildLayout();
//   fitToTexts(*this); // at the end of the constructor, once the layout is built

#include <QScrollArea>
#include <QSize>
#include <QStringList>

class QHeaderView;
class QTreeView;
class QWidget;

namespace tvp {

// From now on the window's smallest size is what its layout needs to show every text whole
// (wrapped texts included), and at least the minimum size it has now; it follows later changes of
// its texts (a choice filled, a caption changed). The size it opens with grows the same way, when
// it was given one.
void fitToTexts(QWidget& window);

// The width a header section needs for its caption, in the header's font and style.
int headerTextWidth(const QHeaderView& header, const QString& caption);

// The column becomes as wide as its caption and the widest of the sample values (texts of the usual
// length the column shows), at least minimum.
void fitColumnToTexts(QTreeView& view, int column, const QStringList& samples, int minimum = 0);

// The view cannot become narrower than its columns: the stretching and self-sizing ones as wide as
// their captions, the others as they are, with the frame and a vertical scroll bar.
void keepColumnsWhole(QTreeView& view);

// Content taller than a laptop's screen: it scrolls up and down where the window is lower than it,
// and keeps its width, so nothing is cut at the side.
class TVerticalScroll : public QScrollArea {
public:
    TVerticalScroll(QWidget* content, QWidget* parent);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // How much taller the area must become to show its content whole at the width it has now.
    int hiddenHeight() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int besideContent() const;
};

} // namespace tvp
