#include "setup/DocumentationGenerator.h"

#include "core/protocol/Errors.h"
#include "core/util/Base64.h"
#include "core/util/FileWrite.h"

#include <QBuffer>

namespace tvp {

QByteArray mergePDFs(proto::ToolingPortType& tos, const std::vector<QByteArray>& pdfs)
{
    proto::pagesBase64Types entries;
    entries.reserve(pdfs.size());
    for (const QByteArray& pdf : pdfs)
        entries.push_back(QString::fromLatin1(pdf.toBase64()));
    const proto::mergePDFResponse answer = tos.mergePDF(entries);
    entries.clear();
    QBuffer merged;
    merged.open(QIODevice::WriteOnly);
    try {
        decodeBase64ToStream(merged, answer.pdfDocBase64);
    } catch (const EBase64Error& e) {
        throw TvpError(QStringLiteral("Die zusammengefügte Dokumentation ist kein gültiges Base64: %1")
                           .arg(QString::fromLocal8Bit(e.what())));
    }
    return merged.data();
}

void writeDocumentation(proto::ToolingPortType& tos, const std::vector<QByteArray>& pdfs, const QString& fileName)
{
    const QByteArray merged = mergePDFs(tos, pdfs);
    QString error;
    if (!writeFileWhole(fileName, merged, &error))
        throw TvpError(error);
}

} // namespace tvp
