#include "core/util/Base64.h"
#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/PdfMerge.h"

#include <QBuffer>

#include <stdexcept>
#include <string_view>
#include <vector>

namespace tvp::standin::ops {

namespace {

[[noreturn]] void unreadable(std::size_t index)
{
    throw ServerError(errors::UnreadablePdf, {QString::number(index + 1)});
}

QByteArray decoded(const QString& text, std::size_t index)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    try {
        decodeBase64ToStream(buffer, text);
    } catch (const EBase64Error&) {
        unreadable(index);
    }
    return buffer.data();
}

} // namespace

// Appends every page of every entry in entry order. An empty list has no first file to read.
proto::mergePDFResponse mergePDF(Call&, const op::mergePDF& a)
{
    if (a.pagesBase64.empty())
        unreadable(0);
    std::vector<QByteArray> files;
    files.reserve(a.pagesBase64.size());
    for (std::size_t i = 0; i < a.pagesBase64.size(); ++i)
        files.push_back(decoded(a.pagesBase64[i], i));
    std::vector<std::string_view> views;
    views.reserve(files.size());
    for (const QByteArray& f : files)
        views.emplace_back(f.constData(), std::size_t(f.size()));
    const pdf::MergeOutcome outcome = pdf::merge(views);
    if (outcome.unreadable)
        unreadable(*outcome.unreadable);
    if (!outcome.failure.empty())
        throw std::runtime_error(outcome.failure);
    proto::mergePDFResponse r;
    r.pdfDocBase64 = QString::fromLatin1(
        QByteArray::fromRawData(outcome.merged.data(), qsizetype(outcome.merged.size())).toBase64());
    return r;
}

} // namespace tvp::standin::ops
