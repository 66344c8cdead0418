#include "participants/OverviewPrint.h"

namespace tvp {

namespace {

constexpr int kHeaderSpacing = 20;
constexpr int kHeaderFontHeight = 45;
constexpr int kHeaderGap = 150;
constexpr int kFooterGap = 30;

} // namespace

void renderOverview(TPrintManager& manager, std::shared_ptr<ITVPrintObject> header,
                    std::shared_ptr<ITVPrintSplitableContent> body)
{
    manager.setPageHeader(std::move(header));
    manager.setHeaderSpacing(kHeaderGap);
    manager.setPageFooter(std::make_shared<TTVPFooter>());
    manager.setFooterSpacing(kFooterGap);
    manager.setContent(std::move(body));
    manager.render();
}

void renderOverview(TPrintManager& manager, const QString& caption, const QString& additionalCaption,
                    std::shared_ptr<ITVPrintSplitableContent> body)
{
    renderOverview(
        manager,
        std::make_shared<TGenericCaptionStringHeader>(caption, additionalCaption, kHeaderSpacing, kHeaderFontHeight),
        std::move(body));
}

} // namespace tvp
