#pragma once
// Small PDF files for tests and benchmarks, made with qpdf: each page shows its mark as text, and
// an optional image of random bytes pads the file to a size. qpdf stays in PdfPages.cpp (C++17).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tvp::test {

// A PDF with one page per mark; padBytes of incompressible image data on each page.
QByteArray pdfWithPages(const QStringList& marks, int padBytes = 0);

// The marks of a PDF's pages in page order (the text shown by each page's content).
QStringList pageMarks(const QByteArray& bytes);

} // namespace tvp::test
