#pragma once
// The list search (Ctrl+F) that windows of every area open over their lists.

#include <vector>

class QAbstractItemModel;

namespace tvp {

// Searches one or more lists of the same columns. A list is named by the model its view shows;
// the search window finds that view itself, to select and open the chosen row there.
class IListSearchForm {
public:
    virtual ~IListSearchForm() = default;
    virtual void openSearchDialog(const std::vector<const QAbstractItemModel*>& lists,
                                  const std::vector<int>& columns) = 0;
};

} // namespace tvp
