#pragma once
// The documentation of a new competition: the PDFs of its chosen disciplines, merged by the
// server's ToolingService into one file.

#include "core/protocol/TVPWebServices2.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace tvp {

// Every PDF as one Base64 entry, in order; the server's merged file.
QByteArray mergePDFs(proto::ToolingPortType& tos, const std::vector<QByteArray>& pdfs);

// Merges first and then writes the file whole, so a refused merge or a failed write leaves no new
// file and an existing one keeps its bytes. Throws TvpError naming the file.
void writeDocumentation(proto::ToolingPortType& tos, const std::vector<QByteArray>& pdfs, const QString& fileName);

} // namespace tvp
