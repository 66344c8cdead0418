#pragma once
// The list search: a small tool window over the lists of another window. The user types words;
// the first matching rows show in a list of their own, and choosing one selects it in its list.

#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "participants/ListSearch.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>

#include <vector>

class QAbstractItemView;
class QLineEdit;
class QTreeView;

namespace tvp {

class TSearchForm : public TTVPForm, public IListSearchForm {
    Q_OBJECT
public:
    inline static const QString kCaption = QStringLiteral("Suchen...");
    // Each list gives at most this many results before the next list is searched.
    static constexpr int kResultsPerList = 10;
    static inline int applyDelayMs = 60;

    explicit TSearchForm(TWindowContext& context);
    ~TSearchForm() override;

    void openSearchDialog(const std::vector<const QAbstractItemModel*>& lists,
                          const std::vector<int>& columns) override;

    // Filters the watched lists by the edit's words.
    void ApplyFilter();
    // The index of the watched list that holds the chosen result, -1 when none.
    int selectedList() const { return ListViewSelIndex; }
    // Enter or a double click: the source list's double-click, then the window closes.
    void ListView1DblClick();
    const TSearchResultModel& results() const { return results_; }

protected:
    void reloadData() override {}
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restoreChangeHandlers();
    void copyColumns();
    void clearResults();
    void resultSelected();
    void listChanged();
    void moveSelection(int step);

    struct TWatched {
        QPointer<QAbstractItemView> view;
        std::vector<QMetaObject::Connection> connections; // our handlers on its model
    };
    std::vector<TWatched> FParentListViews;
    std::vector<int> FColsToSearch;
    int ListViewSelIndex = -1;
    bool selecting_ = false;

    QLineEdit* Edit1;
    TSearchResultModel results_;
    QTreeView* ListView1;
    QTimer ApplyScheduler;
};

} // namespace tvp
