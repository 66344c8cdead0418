#include "setup/DocumentationGenerator.h"

#include "core/protocol/Errors.h"
#include "core/util/FileWrite.h"

namespace tvp {

QByteArray mergePDFs(proto::ToolingPortType& tos, const std::vector<QByteArray>& pdfs)
{
    // The entries share the files' bytes; the request encodes them as it is written.
    const proto::pagesBase64Types entries(pdfs.begin(), pdfs.end());
    const proto::mergePDFResponse answer = tos.mergePDF(entries);
    if (!answer.pdfDocBase64.isValid())
        throw TvpError(
            QStringLiteral("Die zusammengefügte Dokumentation ist kein gültiges Base64: Ungültige Base64-Daten"));
    return answer.pdfDocBase64.bytes();
}

void writeDocumentation(proto::ToolingPortType& tos, const std::vector<QByteArray>& pdfs, const QString& fileName)
{
    const QByteArray merged = mergePDFs(tos, pdfs);
    QString error;
    if (!writeFileWhole(fileName, merged, &error))
        throw TvpError(error);
}

} // namespace tvp
