#pragma once
// Window and column sizes that hold their texts whole in the font the program runs with. The sizes
// a window was designed with were measured in another font; where a text needs more room here, the
// window or column grows to it, and keeps its designed size where everything fits.
//
//   setMinimumSize(500, 500);
//   resize(640, 500);
//   buildLayout();
//   fitToTexts(*this); // at the end of the constructor, once the layout is built

#include <QLabel>
#include <QScrollArea>
#include <QSize>
#include <QStringList>

class QAbstractItemView;
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

// The columns take the room their list has, in turn: the first letter of each caption, then enough
// of each column's texts to tell them apart, of its caption to tell it from the others, its texts
// whole, its caption whole, and the width it has now (as designed); what is left goes to the names.
// A column the user types into (its cells editable) or reads values from (marked with
// kValueColumnRole) asks for its caption whole and its designed width from the second step on.
// Within the step the room does not cover, the columns that ask the most are cut to one width: a
// cut text or caption ends in "…" and shows whole as its tooltip. The list asks for the first
// letters of its captions, up to a part of a laptop's screen, and scrolls sideways beyond; a
// header's minimum section size is each column's least. The texts are measured when the rows
// change, so a width change costs no measuring. Called again after the rows changed; it holds
// while the list is resized.
void fitColumnsToRoom(QAbstractItemView& view);

// Once for the program, from its first window on: a list cell or caption whose column cuts its
// text, and a choice whose box cuts the chosen entry, show the whole text as their tooltip (unless
// they give one of their own); a cut caption and the cut chosen entry of a choice end in "…".
void installCutTextAids();

// A one-line text of data (a name) that may be longer than its room: it ends in "…" where it is cut
// and shows whole as its tooltip, and lets its layout make it narrower than the text.
class TElidingLabel : public QLabel {
public:
    explicit TElidingLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString full_;
};

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
