#pragma once
// Window and column sizes that hold their texts whole in the font the program runs with. The sizes
// a window was designed with were measured in another font; where a text needs more room here, the
// window or column grows to it, and keeps its designed size where everything fits.
//
//   setMinimumSize(500, 500);
//   resize(640, 500);
//   buildLayout();
//   fitToTexts(*this); // at the end of the constructor, once the layout is built

#include <QEvent>
#include <QLabel>
#include <QScrollArea>
#include <QSize>
#include <QStringList>

#include <utility>
#include <vector>

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

// The columns take the room their list has, step by step over all columns: the first letter of each
// caption and "…" (with the sort indicator where it shows), short texts (a year, a number) whole;
// then enough of the names' column (the first that holds no values) to tell its rows apart; enough
// of the other columns' texts to tell them apart; each column's texts whole; its caption told from
// the others; its caption whole; the width it has now (as designed). What is left goes to the names.
// A column the user types into (its cells editable) or reads values from (marked with
// kValueColumnRole) asks for its caption whole and its designed width from the third step on.
// Within the step the room does not cover, the columns that ask the most are cut to one width: a
// cut text or caption ends in "…" and shows whole as its tooltip. The list asks for the first
// letters of its captions, up to a part of a laptop's screen, and scrolls sideways beyond; a
// header's minimum section size is each column's least. The texts are measured when the rows
// change, in as many rows as the header measures to size a column (its resizeContentsPrecision,
// 1,000 unless set), so a width change costs no measuring. Called again after the rows changed; it
// holds while the list is resized. Once the list first shows rows, its window is told by a
// TListLacksEvent what width the list lacks.
void fitColumnsToRoom(QAbstractItemView& view);

// The list's names may need a laptop's whole width (a crowded day's teams and athletes): its window,
// opened without a stored size, takes the free area's width as it is first shown, before its rows
// come, rather than growing for them once the window system has mapped it. After fitColumnsToRoom.
void opensWideForNames(QAbstractItemView& view);

// As the window is shown, each of its lists whose columns share their room, with the width it lacks
// to show its texts and captions whole: measured where its rows are there already; where they are
// not yet and its names may need the screen, more than any screen has. A list named here sends no
// TListLacksEvent for its first rows.
std::vector<std::pair<const QWidget*, int>> listsLacking(QWidget& window);

// Sent to a list's window once the list first shows rows: the width the list lacks to show its
// texts and captions whole. The window decides whether it grows.
class TListLacksEvent : public QEvent {
public:
    static inline const Type kType = static_cast<Type>(registerEventType());
    TListLacksEvent(const QWidget& list, int lacking) : QEvent(kType), list_(list), lacking_(lacking) {}
    const QWidget& list() const { return list_; }
    int lacking() const { return lacking_; }

private:
    const QWidget& list_;
    const int lacking_;
};

// Once for the program, from its first window on: a list cell or caption whose column cuts its
// text, and a choice whose box cuts the chosen entry, show the whole text as their tooltip (unless
// they give one of their own); a cut caption and the cut chosen entry of a choice end in "…". A cut
// caption that shares a long start with others keeps the end where they differ.
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
