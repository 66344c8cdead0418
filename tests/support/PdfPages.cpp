#include "tests/support/PdfPages.h"

#include <QRandomGenerator>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <memory>
#include <string>

namespace tvp::test {

QByteArray pdfWithPages(const QStringList& marks, int padBytes)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper pages(pdf);
    for (const QString& mark : marks) {
        QPDFObjectHandle font =
            pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
        QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /Font << >> /XObject << >> >>");
        resources.getKey("/Font").replaceKey("/F1", font);
        std::string content = "BT /F1 24 Tf 72 720 Td (" + mark.toStdString() + ") Tj ET\n";
        if (padBytes > 0) {
            const int width = 80;
            const int height = (padBytes + width * 3 - 1) / (width * 3);
            std::string pixels(std::size_t(width * height * 3), '\0');
            QRandomGenerator random(42);
            for (char& b : pixels)
                b = char(random.bounded(256));
            QPDFObjectHandle image = QPDFObjectHandle::newStream(&pdf, pixels);
            image.replaceDict(QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Image /Width " +
                                                      std::to_string(width) + " /Height " + std::to_string(height) +
                                                      " /ColorSpace /DeviceRGB /BitsPerComponent 8 >>"));
            resources.getKey("/XObject").replaceKey("/Im1", image);
            content += "q 80 0 0 80 72 500 cm /Im1 Do Q\n";
        }
        QPDFObjectHandle page =
            pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
        pages.addPage(QPDFPageObjectHelper(page), false);
    }
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    // Uncompressed, so the image keeps the size asked for and tests can read the marks.
    writer.setCompressStreams(false);
    writer.write();
    Buffer* out = writer.getBuffer();
    return QByteArray(reinterpret_cast<const char*>(out->getBuffer()), qsizetype(out->getSize()));
}

QStringList pageMarks(const QByteArray& bytes)
{
    QPDF pdf;
    pdf.processMemoryFile("merged", bytes.constData(), std::size_t(bytes.size()));
    QStringList marks;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        const std::shared_ptr<Buffer> data = page.getObjectHandle().getKey("/Contents").getStreamData();
        const QByteArray content(reinterpret_cast<const char*>(data->getBuffer()), qsizetype(data->getSize()));
        const qsizetype open = content.indexOf('('), close = content.indexOf(')', open);
        marks << QString::fromLatin1(content.mid(open + 1, close - open - 1));
    }
    return marks;
}

} // namespace tvp::test
