#pragma once
// The club and team overviews: the window's list as a simple table under a caption header (with
// the filter as additional caption), with the standard footer on every page.

#include "core/print/PrintUtils.h"

#include <QString>

#include <memory>

namespace tvp {

inline constexpr int kOverviewRowHeight = 65;

// A table body that prints its header line on one page even without rows, so an empty list still
// gives a page with header, table head and footer.
template <class Item>
class TOverviewPrintTable : public TItemListPrintTable<Item> {
public:
    explicit TOverviewPrintTable(std::shared_ptr<const IObjectColMapper<Item>> colMapper,
                                 int rowHeight = kOverviewRowHeight, TPrintContextDataObject* printContext = nullptr,
                                 std::shared_ptr<ILineRenderer> lineRenderer = std::make_shared<TSimpleLineRenderer>())
        : TItemListPrintTable<Item>(rowHeight, std::move(lineRenderer), printContext, std::move(colMapper))
    {
    }

    void resetSplitting() override
    {
        TItemListPrintTable<Item>::resetSplitting();
        emptyPageGiven_ = false;
    }
    std::shared_ptr<ITVChunk> getChunk(int availableHeight) override
    {
        if (this->getItemCount() > 0)
            return TItemListPrintTable<Item>::getChunk(availableHeight);
        if (emptyPageGiven_)
            return nullptr;
        emptyPageGiven_ = true;
        return this->getPartList(this->rowHeight(), 0, 0);
    }

private:
    bool emptyPageGiven_ = false;
};

// The page layout of the participant overviews: the header, gap 150, the body, gap 30, the standard
// footer; then renders the body. Throws EPrintError when the job cannot be started.
void renderOverview(TPrintManager& manager, std::shared_ptr<ITVPrintObject> header,
                    std::shared_ptr<ITVPrintSplitableContent> body);
// The same under the header "caption - additionalCaption (Druck: ..., Seite n/m)".
void renderOverview(TPrintManager& manager, const QString& caption, const QString& additionalCaption,
                    std::shared_ptr<ITVPrintSplitableContent> body);

} // namespace tvp
