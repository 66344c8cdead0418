#pragma once
// Reads printed PDF files back by their content with poppler-utils and zbar-tools. A test that
// needs a missing tool skips with a message (CI has them: scripts/deps.sh --tests).

#include "core/print/PrintObject.h"

#include <QDate>
#include <QPageLayout>
#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tvp::test {

inline bool haveTool(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

#define TVP_REQUIRE_TOOL(name)                                                                       \
    do {                                                                                             \
        if (!::tvp::test::haveTool(QStringLiteral(name)))                                            \
            GTEST_SKIP() << name " is missing (poppler-utils, zbar-tools: scripts/deps.sh --tests)"; \
    } while (0)

inline QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The page texts in reading order, one string per page, lines trimmed at the right.
inline QStringList pdfPages(const QString& pdf)
{
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QStringList pages = text.split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The non-empty lines of a page with runs of blanks reduced to one.
inline QStringList pageLines(const QString& page)
{
    QStringList lines;
    for (QString line : page.split(QLatin1Char('\n'))) {
        line = line.simplified();
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

inline QString pdfInfo(const QString& pdf, const QString& key)
{
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char(':')))
            return line.mid(key.size() + 1).trimmed();
    return {};
}

inline int pdfPageCount(const QString& pdf)
{
    return pdfInfo(pdf, QStringLiteral("Pages")).toInt();
}

// From "Page size: 841.89 x 595.276 pts (A4)".
inline bool pdfIsLandscape(const QString& pdf)
{
    const QStringList size = pdfInfo(pdf, QStringLiteral("Page size")).split(QLatin1Char(' '));
    return size.size() >= 3 && size.at(0).toDouble() > size.at(2).toDouble();
}

// Every Code 39 symbol zbarimg reads on the pages rendered at 300 dpi.
inline QStringList readBarcodes(const QString& pdf)
{
    QTemporaryDir dir;
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), pdf,
                                         dir.filePath(QStringLiteral("page"))});
    QStringList codes;
    for (const QString& png : QDir(dir.path()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
        const QString out = runTool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), dir.filePath(png)});
        for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (line.startsWith(QStringLiteral("CODE-39:")))
                codes << line.mid(8);
    }
    return codes;
}

// One word of a page with its box in points, from the page's top-left corner.
struct PdfWord {
    int page = 0; // from 0
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
    double pageWidth = 0, pageHeight = 0;
};

// Every word of the PDF with its box (pdftotext -bbox).
inline std::vector<PdfWord> pdfWords(const QString& pdf)
{
    const QString html = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression pageTag(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\""));
    static const QRegularExpression wordTag(QStringLiteral(
        "<word xMin=\"([0-9.-]+)\" yMin=\"([0-9.-]+)\" xMax=\"([0-9.-]+)\" yMax=\"([0-9.-]+)\">([^<]*)</word>"));
    std::vector<PdfWord> words;
    int page = -1;
    double width = 0, height = 0;
    for (const QString& line : html.split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch m = pageTag.match(line); m.hasMatch()) {
            ++page;
            width = m.captured(1).toDouble();
            height = m.captured(2).toDouble();
        } else if (const QRegularExpressionMatch w = wordTag.match(line); w.hasMatch()) {
            // Ligatures ("ﬂ" in "Nachwuchsflitzer") as the letters they stand for.
            QString text = w.captured(5).normalized(QString::NormalizationForm_KC);
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
            words.push_back({page, w.captured(1).toDouble(), w.captured(2).toDouble(), w.captured(3).toDouble(),
                             w.captured(4).toDouble(), text, width, height});
        }
    }
    return words;
}

// The word that reaches furthest right.
inline PdfWord rightmostWord(const std::vector<PdfWord>& words)
{
    PdfWord right;
    for (const PdfWord& w : words)
        if (w.xMax > right.xMax)
            right = w;
    return right;
}

// The pairs of words whose boxes overlap, as "\"a\" over \"b\"; ", empty when none do.
inline std::string overlappingWords(const std::vector<PdfWord>& words)
{
    // A little slack: neighbouring glyph boxes may touch.
    constexpr double slack = 0.3;
    const auto overlap = [](const PdfWord& a, const PdfWord& b) {
        return a.page == b.page && a.xMin + slack < b.xMax && b.xMin + slack < a.xMax && a.yMin + slack < b.yMax &&
               b.yMin + slack < a.yMax;
    };
    std::string found;
    for (std::size_t i = 0; i < words.size(); ++i)
        for (std::size_t j = i + 1; j < words.size(); ++j)
            if (overlap(words[i], words[j]))
                found += "\"" + words[i].text.toStdString() + "\" over \"" + words[j].text.toStdString() + "\"; ";
    return found;
}

// The words of a PDF in their order, after checking that none runs past its page's right edge and
// none prints over another.
inline QStringList wordsInPlace(const QString& pdf)
{
    const std::vector<PdfWord> words = pdfWords(pdf);
    EXPECT_EQ(overlappingWords(words), "");
    QStringList texts;
    for (const PdfWord& w : words) {
        // A quarter point for the glyphs' own overhang.
        EXPECT_LE(w.xMax, w.pageWidth + 0.25) << w.text.toStdString();
        texts << w.text;
    }
    return texts;
}

// A printer that prints into a PDF file with no margins, so the page is laid out from its edge.
inline void printToPdf(QPrinter& printer, const QString& file)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// A club day's long names: teams, two alike but for "II", their clubs, and a child of each.
namespace clubDay {
inline const QStringList kTeams{
    QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg Nachwuchsmannschaft Zwei"),
    QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V."),
    QStringLiteral("LG Überlingen-Bodensee Sportgemeinschaft e.V. II"),
    QStringLiteral("TSV Müsterhausen-Großgründlach 1896 Kinderleichtathletik")};
inline const QStringList kClubs{QStringLiteral("Leichtathletikgemeinschaft Hochschwarzwald-Baar-Heuberg"), kTeams[1],
                                kTeams[2], QStringLiteral("TSV Müsterhausen-Großgründlach 1896 e.V.")};
inline const QStringList kGiven{QStringLiteral("Anna-Lena"), QStringLiteral("Hannah-Katharina"),
                                QStringLiteral("Maximilian-Alexander"), QStringLiteral("Maximilian-Alexander")};
inline const QStringList kSurnames{QStringLiteral("Schmidt-Müller-Lüdenscheidt"), QStringLiteral("Müller-Lüdenscheidt"),
                                   QStringLiteral("Großmann"), QStringLiteral("Schmidt-Müller-Lüdenscheidt")};
} // namespace clubDay

// The pieces of a text after which a line may break: "Baar-", "Heuberg".
inline QStringList hyphenPieces(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("(?<=-)|\\s+")), Qt::SkipEmptyParts);
}

// What is wrong with a printout of names, empty where nothing is: text outside the printable area
// or starting more than 6 mm inside it (a margin counted twice), names cut with "..." outside the
// headings, words broken where no line may end (a line ends after a word, a hyphen, or a hyphen
// added), and pieces of the names printed nowhere, whole or in two lines (names then print alike).
inline std::string paperFit(const QString& pdf, const QPrinter& printer, const QStringList& names)
{
    const std::vector<PdfWord> words = pdfWords(pdf);
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Point);
    std::string out;
    double left = 1e9;
    for (const PdfWord& w : words) {
        left = std::min(left, w.xMin);
        // A quarter point for the glyphs' own overhang.
        if (w.xMax > w.pageWidth - margins.right() + 0.25 || w.yMax > w.pageHeight - margins.bottom() + 0.25)
            out += "\"" + w.text.toStdString() + "\" outside; ";
    }
    if (left < margins.left() - 0.25 || left > margins.left() + 6 / 25.4 * 72)
        out += "starts at " + std::to_string(left) + " pt; ";
    const QStringList nameWords = QString(names.join(u' ')).remove(u',').split(u' ', Qt::SkipEmptyParts);
    const auto inAName = [&](const QString& text, bool atItsEnd) {
        return std::any_of(nameWords.begin(), nameWords.end(),
                           [&](const QString& n) { return atItsEnd ? n.endsWith(text) : n.contains(text); });
    };
    const auto heading = [&](const PdfWord& w) { // the line of the time stamp
        return std::any_of(words.begin(), words.end(), [&](const PdfWord& s) {
            return s.page == w.page && std::abs(s.yMax - w.yMax) < 3 && s.text.contains(QStringLiteral("Druck:"));
        });
    };
    std::set<QString> printed;
    for (const PdfWord& w : words) {
        const QString text = QString(w.text).remove(u',');
        if (text.endsWith(QStringLiteral("...")) && inAName(text.chopped(3), false) && !heading(w))
            out += "cut: " + w.text.toStdString() + "; ";
        else if (text.size() > 3 && inAName(text, false) && !inAName(text, true) && !text.endsWith(u'-'))
            out += "broken: " + text.toStdString() + "; ";
        for (const QString& piece : hyphenPieces(text))
            printed.insert(piece);
    }
    const auto inTwoLines = [&](const QString& piece) {
        return std::any_of(printed.begin(), printed.end(), [&](const QString& head) {
            return head.endsWith(u'-') && piece.startsWith(head.chopped(1)) &&
                   printed.count(piece.mid(head.size() - 1));
        });
    };
    const QStringList pieces = hyphenPieces(nameWords.join(u' '));
    for (const QString& piece : std::set<QString>(pieces.begin(), pieces.end()))
        if (!printed.count(piece) && !inTwoLines(piece))
            out += "not printed: " + piece.toStdString() + "; ";
    return out;
}

// The printed pieces of the names, three letters or more, that end in a hyphen where their name has
// none ("Grün-", "Nachwuchsförderge-"), but for a compound's parts (given with "|" between them, as
// in "Kinder|leicht|athletik") broken at their joints.
inline QStringList brokenInsideWords(const QString& pdf, const QStringList& names, const QStringList& compounds = {})
{
    QStringList joints;
    for (const QString& compound : compounds) {
        const QStringList parts = compound.split(u'|');
        for (qsizetype i = 0; i < parts.size(); ++i)
            for (qsizetype j = i + 1; j < parts.size(); ++j)
                joints << parts.mid(i, j - i).join(QString()) + u'-';
    }
    const QString all = names.join(u' ');
    QStringList broken;
    for (const PdfWord& w : pdfWords(pdf))
        if (w.text.size() > 3 && w.text.endsWith(u'-') && all.contains(w.text.chopped(1)) && !all.contains(w.text) &&
            !joints.contains(w.text) && !broken.contains(w.text))
            broken << w.text;
    return broken;
}

// The printed pieces of names that end in a hyphen where a reader does not divide the name: the
// names given as divided, joints "|" and syllables "·" (after a hyphen of its own a name divides too).
// At a joint of a compound the German dictionary does not know, its patterns may divide a letter
// off ("Leichtathleti-knachwuchs"); that is let pass.
inline QStringList misleadingBreaks(const std::vector<PdfWord>& words, const QStringList& divided)
{
    std::vector<std::pair<QString, std::set<qsizetype>>> names;
    for (const QString& name : divided) {
        QString text;
        std::set<qsizetype> at{0};
        for (const QChar c : name) {
            if (c != u'|' && c != u'·')
                text += c;
            if (c == u'|')
                at.insert({text.size() - 1, text.size() + 1});
            if (c == u'|' || c == u'·' || c == u'-')
                at.insert(text.size());
        }
        names.emplace_back(text, at);
    }
    QStringList found;
    for (const PdfWord& w : words) {
        if (!w.text.endsWith(u'-') || w.text.size() < 2)
            continue;
        bool inAName = false, divides = false;
        // The hyphen is the name's own, or added.
        for (const QString& piece : {w.text, w.text.chopped(1)})
            for (const auto& [text, at] : names)
                for (qsizetype i = text.indexOf(piece); i >= 0; i = text.indexOf(piece, i + 1)) {
                    inAName = true;
                    divides |= at.count(i) && at.count(i + piece.size()) && i + piece.size() < text.size();
                }
        if (inAName && !divides && !found.contains(w.text))
            found << w.text;
    }
    return found;
}

// Sets a printer's margins as its print dialog does: mm on every side, or below 0 the printer's own.
inline void setDialogMargins(QPrinter& printer, double mm)
{
    const QMarginsF own = QPrinter(QPrinter::HighResolution).pageLayout().margins(QPageLayout::Millimeter);
    printer.setPageMargins(mm < 0 ? own : QMarginsF(mm, mm, mm, mm), QPageLayout::Millimeter);
}

// Prints with print(file) into dir with the printer's own margins (3.53 mm for a PDF) and with
// 10 mm, and fails with what paperFit finds; the printer keeps its layout.
template <class Print>
void expectPaperFit(QPrinter& printer, const QTemporaryDir& dir, const QStringList& names, Print print)
{
    const QPageLayout before = printer.pageLayout();
    for (const double mm : {-1.0, 10.0}) {
        setDialogMargins(printer, mm);
        const QString file = dir.filePath(QStringLiteral("paper%1.pdf").arg(mm));
        print(file);
        EXPECT_EQ(paperFit(file, printer, names), "") << mm << " mm";
    }
    printer.setPageLayout(before);
}

inline QString todaysFooter()
{
    return QStringLiteral("Erstellt mit Trivanta Pentrel am ") +
           QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
}

// "(Druck: 14:05, Seite 1/3)" with any time.
inline QRegularExpression printStamp(int page, int pages)
{
    return QRegularExpression(QStringLiteral("\\(Druck: \\d\\d:\\d\\d, Seite %1/%2\\)$").arg(page).arg(pages));
}

} // namespace tvp::test
