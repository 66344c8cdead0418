#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/PdfMerge.h"

#include <stdexcept>
#include <string_view>
#include <vector>

namespace tvp::standin::ops {

namespace {

[[noreturn]] void unreadable(std::size_t index)
{
    throw ServerError(errors::UnreadablePdf, {QString::number(index + 1)});
}

} // namespace

// Appends every page of every entry in entry order. An empty list has no first file to read.
proto::mergePDFResponse mergePDF(Call&, const op::mergePDF& a)
{
    if (a.pagesBase64.empty())
        unreadable(0);
    std::vector<std::string_view> views;
    views.reserve(a.pagesBase64.size());
    for (std::size_t i = 0; i < a.pagesBase64.size(); ++i) {
        const proto::Base64Binary& entry = a.pagesBase64[i];
        if (!entry.isValid())
            unreadable(i);
        views.emplace_back(entry.data().constData(), std::size_t(entry.data().size()));
    }
    const pdf::MergeOutcome outcome = pdf::merge(views);
    if (outcome.unreadable)
        unreadable(*outcome.unreadable);
    if (!outcome.failure.empty())
        throw std::runtime_error(outcome.failure);
    proto::mergePDFResponse r;
    r.pdfDocBase64 = QByteArray(outcome.merged.data(), qsizetype(outcome.merged.size()));
    return r;
}

} // namespace tvp::standin::ops
