#pragma once
// Drags between the participant lists pass ids only: the drag names its source list
// ("AthleteForm/ListView1"), and the target asks that window for its selection (getSelectedIds,
// getSelectedTeams).

#include <QMimeData>
#include <QString>
#include <QTreeView>

#include <memory>
#include <optional>

class QDropEvent;

namespace tvp {

inline const QString kListDragMimeType = QStringLiteral("application/x-trivanta-list");

struct TListDragSource {
    QString window; // the component name of the source window ("TeamForm")
    QString list;   // the list's component name ("ListView1")

    bool is(const QString& windowName, const QString& listName) const
    {
        return window == windowName && list == listName;
    }
};

// What a drag of the list carries.
std::unique_ptr<QMimeData> listDragData(const QWidget& list);
// The list a drag comes from; nothing for a drag that is not from one of our lists.
std::optional<TListDragSource> listDragSource(const QMimeData* data);

// A report-style list (whole rows, several selectable) whose drags carry only their source.
class TDragListView : public QTreeView {
public:
    explicit TDragListView(QWidget* parent = nullptr);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
};

// The model row (of the view's own model) under the drop position, -1 for none.
int rowAt(const QAbstractItemView& view, const QDropEvent& event);

} // namespace tvp
