#include "standin/PdfMerge.h"

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <memory>
#include <stdexcept>

namespace tvp::standin::pdf {

namespace {

struct Unreadable {
    std::size_t index;
};

// Reading the page tree here makes a damaged one this file's refusal, not the merge's.
std::unique_ptr<QPDF> read(std::string_view bytes, std::size_t index)
{
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    try {
        pdf->processMemoryFile("entry", bytes.data(), bytes.size());
        QPDFPageDocumentHelper(*pdf).getAllPages();
    } catch (const std::exception&) {
        throw Unreadable{index};
    }
    return pdf;
}

// Stream data is read only while writing; the first file that cannot be written alone is the one
// to blame.
std::optional<std::size_t> blame(std::vector<std::unique_ptr<QPDF>>& sources)
{
    for (std::size_t i = 0; i < sources.size(); ++i) {
        try {
            QPDFWriter alone(*sources[i]);
            Pl_Discard discard;
            alone.setOutputPipeline(&discard);
            alone.write();
        } catch (const std::exception&) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

MergeOutcome merge(const std::vector<std::string_view>& files)
{
    MergeOutcome outcome;
    if (files.empty()) {
        outcome.unreadable = 0;
        return outcome;
    }
    // Copied pages keep reading from their source until the merged file is written.
    std::vector<std::unique_ptr<QPDF>> sources;
    try {
        for (std::size_t i = 0; i < files.size(); ++i)
            sources.push_back(read(files[i], i));
        QPDF merged;
        merged.setSuppressWarnings(true);
        merged.emptyPDF();
        QPDFPageDocumentHelper pages(merged);
        for (std::size_t i = 0; i < sources.size(); ++i) {
            try {
                for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*sources[i]).getAllPages())
                    pages.addPage(page, false);
            } catch (const std::exception&) {
                throw Unreadable{i};
            }
        }
        try {
            QPDFWriter writer(merged);
            writer.setOutputMemory();
            writer.write();
            const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
            outcome.merged.assign(reinterpret_cast<const char*>(out->getBuffer()), out->getSize());
        } catch (const std::exception& e) {
            outcome.unreadable = blame(sources);
            if (!outcome.unreadable)
                outcome.failure = e.what();
        }
    } catch (const Unreadable& u) {
        outcome.unreadable = u.index;
    }
    return outcome;
}

} // namespace tvp::standin::pdf
