// The code excerpts of the docs against the files they are cut from. A fenced block whose info
// string names a file after the language ("```cpp participants/AthleteRequests.h") must stand in
// that file: compared without whitespace, with "..." for anything left out.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct Excerpt {
    QString doc;
    int line = 0; // of the opening fence
    QString file;
    QString text;
};

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

std::vector<Excerpt> excerptsOf(const QString& doc, const QString& text)
{
    static const QRegularExpression open(QStringLiteral("^```\\w+\\s+(\\S+)\\s*$"));
    std::vector<Excerpt> out;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = open.match(lines[i]);
        if (!m.hasMatch())
            continue;
        Excerpt e{doc, i + 1, m.captured(1), {}};
        while (++i < lines.size() && !lines[i].startsWith(QStringLiteral("```")))
            e.text += lines[i] + QLatin1Char('\n');
        out.push_back(e);
    }
    return out;
}

QString withoutWhitespace(QString s)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return s.remove(space);
}

// The first piece of the excerpt (between its "..." gaps) not found in order; empty when all are.
QString missingPiece(const QString& excerpt, const QString& file)
{
    const QString text = withoutWhitespace(file);
    qsizetype from = 0;
    for (const QString& piece : excerpt.split(QStringLiteral("..."))) {
        const QString wanted = withoutWhitespace(piece);
        if (wanted.isEmpty())
            continue;
        const qsizetype at = text.indexOf(wanted, from);
        if (at < 0)
            return piece.trimmed();
        from = at + wanted.size();
    }
    return {};
}

TEST(DocExcerpts, EveryExcerptStandsInTheFileItNames)
{
    const QDir root(QStringLiteral(TVP_SOURCE_DIR));
    std::vector<Excerpt> all;
    for (const QString& doc : root.entryList({QStringLiteral("*.md")}, QDir::Files))
        for (Excerpt& e : excerptsOf(doc, readText(root.filePath(doc))))
            all.push_back(e);
    for (const QString& doc : QDir(root.filePath(QStringLiteral("docs"))).entryList({"*.md"}, QDir::Files))
        for (Excerpt& e : excerptsOf("docs/" + doc, readText(root.filePath("docs/" + doc))))
            all.push_back(e);
    ASSERT_GE(all.size(), 10u) << "the window walk-through names the file of each excerpt";
    for (const Excerpt& e : all) {
        const QString file = readText(root.filePath(e.file));
        ASSERT_FALSE(file.isEmpty()) << e.doc.toStdString() << ":" << e.line << " names " << e.file.toStdString();
        const QString missing = missingPiece(e.text, file);
        EXPECT_TRUE(missing.isEmpty()) << e.doc.toStdString() << ":" << e.line << ": not in " << e.file.toStdString()
                                       << ":\n"
                                       << missing.toStdString();
    }
}

TEST(DocExcerpts, GapsMayHideAnythingButTheOrderCounts)
{
    const QString file = QStringLiteral("void f()\n{\n    int a = 1;\n    int b = 2;\n    int c = 3;\n}\n");
    EXPECT_EQ(missingPiece(QStringLiteral("void f() {\n    int a = 1;\n    ...\n    int c = 3;\n}"), file), QString());
    EXPECT_EQ(missingPiece(QStringLiteral("int   a=1;int b = 2;"), file), QString()) << "whitespace does not count";
    EXPECT_EQ(missingPiece(QStringLiteral("int c = 3;\n...\nint a = 1;"), file), QStringLiteral("int a = 1;"));
    EXPECT_EQ(missingPiece(QStringLiteral("int d = 4;"), file), QStringLiteral("int d = 4;"));
}

} // namespace
