#pragma once
// A printout of long names measured on paper: texts past the printable area's right edge, texts cut
// with "...", names of which a part is missing (so that two names may print alike), and words broken
// inside without a hyphen. A word broken with a hyphen where its line ends counts as whole; the
// printout lists it among the hyphenated.
//
//   DialogMargins margins(Printer());
//   margins.set(10);
//   ... print ...
//   const PaperFit fit = paperFit(pdfWords(pdf), Printer(), names);
//   EXPECT_EQ(fit.describe(), "");

#include "tests/core/print/PdfTools.h"

#include <QPageLayout>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace tvp::test {

// The pieces of a word after which a line may break: "Hochschwarzwald-", "Baar-", "Heuberg".
inline QStringList hyphenPieces(const QString& word)
{
    QStringList pieces;
    qsizetype from = 0;
    for (qsizetype i = 0; i < word.size(); ++i)
        if (word.at(i) == QLatin1Char('-') && i > from) {
            pieces << word.mid(from, i + 1 - from);
            from = i + 1;
        }
    if (from < word.size())
        pieces << word.mid(from);
    return pieces;
}

// The printer's right margin from the page's right edge, in points.
inline double printableRight(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    return layout.fullRect(QPageLayout::Point).width() - layout.margins(QPageLayout::Point).right();
}

// The printer's margins set as its print dialog sets them; a new printer's own margins until set and
// again at the end.
class DialogMargins {
public:
    explicit DialogMargins(QPrinter& printer) : printer_(printer) { own(); }
    ~DialogMargins() { own(); }
    DialogMargins(const DialogMargins&) = delete;
    DialogMargins& operator=(const DialogMargins&) = delete;

    void own()
    {
        printer_.setPageMargins(QPrinter(QPrinter::HighResolution).pageLayout().margins(QPageLayout::Millimeter),
                                QPageLayout::Millimeter);
    }
    void set(double mm) { printer_.setPageMargins(QMarginsF(mm, mm, mm, mm), QPageLayout::Millimeter); }

private:
    QPrinter& printer_;
};

// A word broken inside with a hyphen added, as its lines join again.
struct HyphenatedWord {
    QString text; // the word as it reads whole
    int page = 0;
    double xMin = 0;  // where its lines start
    double width = 0; // its parts' widths, the added hyphens included
};

struct PaperFit {
    double printableRight = 0;
    PdfWord rightmost;
    QStringList cut;     // words that end in "..."
    QStringList missing; // the pieces of names nowhere printed
    QStringList broken;  // words that are part of a name's word without ending where it may break
    std::vector<HyphenatedWord> hyphenated;

    // Empty when every text is within the printable width, none is cut, every name is printed whole
    // and no word broken; else what is wrong.
    std::string describe() const
    {
        std::string out;
        // A quarter point for the glyphs' own overhang.
        if (rightmost.xMax > printableRight + 0.25)
            out += "\"" + rightmost.text.toStdString() + "\" ends at " + std::to_string(rightmost.xMax) +
                   " pt, the printable width at " + std::to_string(printableRight) + " pt; ";
        if (!cut.isEmpty())
            out += "cut: " + cut.join(QStringLiteral(", ")).toStdString() + "; ";
        if (!missing.isEmpty())
            out += "not printed: " + missing.join(QStringLiteral(", ")).toStdString() + "; ";
        if (!broken.isEmpty())
            out += "broken inside: " + broken.join(QStringLiteral(", ")).toStdString() + "; ";
        return out;
    }
};

// The words of a PDF measured against the printer's printable width and the names it should print.
inline PaperFit paperFit(const std::vector<PdfWord>& words, const QPrinter& printer, const QStringList& names)
{
    PaperFit fit;
    fit.printableRight = printableRight(printer);
    fit.rightmost = rightmostWord(words);
    // The words of the names, and the ways they may be printed: whole, or in lines after a hyphen.
    std::set<QString> wholeParts;
    QStringList nameWords;
    for (const QString& name : names)
        for (const QString& word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            nameWords << word;
            const QStringList pieces = hyphenPieces(word);
            for (qsizetype from = 0; from < pieces.size(); ++from)
                for (qsizetype to = from + 1; to <= pieces.size(); ++to)
                    wholeParts.insert(pieces.mid(from, to - from).join(QString()));
        }
    const auto partOfAWord = [&](const QString& text) {
        return std::any_of(nameWords.begin(), nameWords.end(), [&](const QString& w) { return w.contains(text); });
    };
    // A line ending in a hyphen that no name has there goes on with the word below it.
    const auto below = [&](const PdfWord& w) -> const PdfWord* {
        const PdfWord* next = nullptr;
        for (const PdfWord& u : words)
            if (u.page == w.page && std::abs(u.xMin - w.xMin) < 0.5 && u.yMin > w.yMax - 0.5 &&
                (!next || u.yMin < next->yMin))
                next = &u;
        return next;
    };
    std::set<const PdfWord*> joinedParts;
    std::set<QString> printedPieces;
    for (const PdfWord& w : words) {
        if (w.text.contains(QStringLiteral("...")) || w.text.contains(QChar(0x2026)))
            fit.cut << w.text;
        QString text = w.text;
        if (!wholeParts.count(text) && text.endsWith(QLatin1Char('-'))) {
            HyphenatedWord joined{text, w.page, w.xMin, w.xMax - w.xMin};
            std::vector<const PdfWord*> parts{&w};
            while (joined.text.endsWith(QLatin1Char('-')) && !wholeParts.count(joined.text) &&
                   partOfAWord(joined.text.chopped(1))) {
                const PdfWord* next = below(*parts.back());
                if (!next)
                    break;
                joined.text = joined.text.chopped(1) + next->text;
                joined.width += next->xMax - next->xMin;
                parts.push_back(next);
            }
            if (parts.size() > 1 && wholeParts.count(joined.text)) {
                text = joined.text;
                fit.hyphenated.push_back(joined);
                joinedParts.insert(parts.begin(), parts.end());
            }
        }
        for (const QString& piece : hyphenPieces(text))
            printedPieces.insert(piece);
    }
    for (const QString& word : nameWords)
        for (const QString& piece : hyphenPieces(word))
            if (!printedPieces.count(piece))
                fit.missing << piece;
    for (const PdfWord& w : words) {
        if (w.text.size() < 2 || wholeParts.count(w.text) || fit.cut.contains(w.text) || joinedParts.count(&w))
            continue;
        if (partOfAWord(w.text))
            fit.broken << w.text;
    }
    fit.missing.removeDuplicates();
    fit.broken.removeDuplicates();
    return fit;
}

// The hyphenated words that would have fit whole into their column: the columns begin where their
// captions do on the word's page, the last ends at the printable right edge, and a column's texts
// keep spacing points from the next column.
inline QStringList brokenWithRoom(const PaperFit& fit, const std::vector<PdfWord>& words, const QStringList& captions,
                                  double spacing)
{
    QStringList found;
    for (const HyphenatedWord& h : fit.hyphenated) {
        std::vector<double> lefts;
        for (const QString& caption : captions) {
            const auto head = std::find_if(words.begin(), words.end(),
                                           [&](const PdfWord& w) { return w.page == h.page && w.text == caption; });
            if (head != words.end())
                lefts.push_back(head->xMin);
        }
        lefts.push_back(fit.printableRight + spacing);
        for (std::size_t c = 0; c + 1 < lefts.size(); ++c)
            if (h.xMin + 0.5 >= lefts[c] && h.xMin + 0.5 < lefts[c + 1] && h.width <= lefts[c + 1] - lefts[c] - spacing)
                found << h.text;
    }
    return found;
}

} // namespace tvp::test
