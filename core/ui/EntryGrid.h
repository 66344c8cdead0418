#pragma once
// A table whose cells take typed values. Qt's views treat a key that starts no entry as a search
// for a row whose text begins with it; in a grid of values that moved the cursor to another
// participant's row, and the next keys stored there. Here typing never moves to another row: a key
// typed on a cell that takes no input starts the entry in the first cell of the same row that
// does, and without one it does nothing.

#include <QTableView>

class QLineEdit;

namespace tvp {

class TEntryGrid : public QTableView {
    Q_OBJECT
public:
    explicit TEntryGrid(QWidget* parent = nullptr);

    void keyboardSearch(const QString& search) override;

    // A cell's line editor as the user left it, to open it so again once the rows were read anew.
    struct TEditorState {
        int cursor = 0;
        int selectionStart = -1;
        int selectionLength = 0;
        bool modified = false;
    };
    static TEditorState editorState(const QLineEdit& editor);
    // Opens the current cell's editor with the cell's text, the cursor and selection as they were.
    void reopenEditor(const TEditorState& as);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Hidden while it has the focus (as it is while it reloads), a view moves its cursor a cell on as
    // Tab does: here the focus moves on and the cursor stays.
    bool focusNextPrevChild(bool next) override;
};

} // namespace tvp
