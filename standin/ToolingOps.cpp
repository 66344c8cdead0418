#include "core/util/Base64.h"
#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"

#include <QBuffer>

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <memory>
#include <vector>

namespace tvp::standin::ops {

namespace {

// One decoded entry; qpdf reads from the bytes in place, and copied pages keep reading from it
// until the merged file is written.
struct Source {
    QByteArray bytes;
    std::unique_ptr<QPDF> pdf = std::make_unique<QPDF>();
};

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

void read(Source& s, std::size_t index)
{
    s.pdf->setSuppressWarnings(true);
    try {
        s.pdf->processMemoryFile("entry", s.bytes.constData(), std::size_t(s.bytes.size()));
        // Reading the page tree here makes a damaged one this entry's refusal, not the merge's.
        QPDFPageDocumentHelper(*s.pdf).getAllPages();
    } catch (const std::exception&) {
        unreadable(index);
    }
}

// Stream data is read only while writing; the first entry that cannot be written alone is the
// one to blame.
[[noreturn]] void blameWriteFailure(std::vector<Source>& sources, const std::exception& failure)
{
    for (std::size_t i = 0; i < sources.size(); ++i) {
        try {
            QPDFWriter alone(*sources[i].pdf);
            Pl_Discard discard;
            alone.setOutputPipeline(&discard);
            alone.write();
        } catch (const std::exception&) {
            unreadable(i);
        }
    }
    throw std::runtime_error(failure.what());
}

} // namespace

// Appends every page of every entry in entry order. An empty list has no first file to read.
proto::mergePDFResponse mergePDF(Call&, const op::mergePDF& a)
{
    if (a.pagesBase64.empty())
        unreadable(0);
    std::vector<Source> sources(a.pagesBase64.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        sources[i].bytes = decoded(a.pagesBase64[i], i);
        read(sources[i], i);
    }
    QPDF merged;
    merged.setSuppressWarnings(true);
    merged.emptyPDF();
    QPDFPageDocumentHelper pages(merged);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        try {
            for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*sources[i].pdf).getAllPages())
                pages.addPage(page, false);
        } catch (const std::exception&) {
            unreadable(i);
        }
    }
    std::shared_ptr<Buffer> out;
    try {
        QPDFWriter writer(merged);
        writer.setOutputMemory();
        writer.write();
        out = writer.getBufferSharedPointer();
    } catch (const std::exception& e) {
        blameWriteFailure(sources, e);
    }
    proto::mergePDFResponse r;
    r.pdfDocBase64 = QString::fromLatin1(
        QByteArray::fromRawData(reinterpret_cast<const char*>(out->getBuffer()), qsizetype(out->getSize())).toBase64());
    return r;
}

} // namespace tvp::standin::ops
