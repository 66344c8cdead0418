#include "core/results/TextCut.h"

#include <QHash>

#include <algorithm>
#include <utility>

namespace tvp {

std::vector<int> distinctStarts(const QStringList& texts)
{
    QStringList unique = texts;
    std::ranges::sort(unique);
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    const auto shared = [&](qsizetype a, qsizetype b) {
        if (b < 0 || b >= unique.size())
            return 0;
        const QString& x = unique[a];
        const QString& y = unique[b];
        qsizetype n = 0;
        while (n < x.size() && n < y.size() && x[n] == y[n])
            ++n;
        return int(n);
    };
    std::vector<int> starts;
    starts.reserve(std::size_t(texts.size()));
    for (const QString& text : texts) {
        const qsizetype i = std::ranges::lower_bound(unique, text) - unique.begin();
        int start = std::min(int(text.size()), std::max(shared(i, i - 1), shared(i, i + 1)) + 1);
        if (start < text.size() && text[start - 1].isHighSurrogate())
            ++start;
        starts.push_back(start);
    }
    return starts;
}

namespace {

// The longest start of text (at most `most` characters) within room, never half a letter.
QString startWithin(const QString& text, qsizetype most, int room, const std::function<int(const QString&)>& width)
{
    qsizetype low = 0, high = std::min(most, text.size());
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (width(text.left(mid)) <= room)
            low = mid;
        else
            high = mid - 1;
    }
    if (low > 0 && text[low - 1].isHighSurrogate())
        --low;
    return text.left(low);
}

} // namespace

namespace {

// Where the end that tells the text apart begins: the word in which the texts part, with an opening
// bracket before it ("(4)" rather than "4)"); the character where they part where the word is the
// whole start.
qsizetype partingFrom(const QString& text, int shared)
{
    qsizetype from = shared;
    while (from > 0 && !text[from - 1].isSpace() && !text[from - 1].isPunct())
        --from;
    if (from > 0 && text[from - 1].isPunct() && !text[from - 1].isSpace())
        --from;
    return from == 0 ? shared : from;
}

// The end kept where the start goes: a dash or stop that joined it to the start goes too
// ("…Überreiter-Özdemir"), never the character where the texts part.
QString partingEnd(const QString& text, int shared)
{
    qsizetype from = partingFrom(text, shared);
    while (from < shared && text[from].isPunct() && text[from].category() != QChar::Punctuation_Open)
        ++from;
    return text.mid(from);
}

} // namespace

QString cutKeepingDifference(const QString& text, int shared, int room, const std::function<int(const QString&)>& width)
{
    if (width(text) <= room)
        return text;
    const QString dots(QChar(0x2026));
    const QString plain = startWithin(text, text.size(), room - width(dots), width);
    if (plain.size() > shared || shared <= 0 || shared >= text.size())
        return plain + dots;
    const qsizetype from = partingFrom(text, shared);
    const QString end = text.mid(from);
    const int left = room - width(dots) - width(end);
    if (left >= width(text.left(1)))
        return startWithin(text, from, left, width).trimmed() + dots + end;
    // Not even the end fits beside a letter of the start: the start goes, marked where it went
    // ("…(12)"); in less room the end's own start ("…(1…"), as far as the character where the
    // texts part; in less room still, the part from that character on.
    const QString kept = partingEnd(text, shared);
    if (width(dots + kept) <= room)
        return dots + kept;
    const QString keptStart = startWithin(kept, kept.size(), room - 2 * width(dots), width);
    if (keptStart.size() > shared - (text.size() - kept.size()))
        return dots + keptStart + dots;
    return dots + startWithin(text.mid(shared), text.size() - shared, room - width(dots), width);
}

std::vector<int> leastApartWidths(const QStringList& texts, const std::function<int(const QString&)>& width)
{
    const std::vector<int> starts = distinctStarts(texts);
    const QString dots(QChar(0x2026));
    // A text another starts with is told apart only whole; one that parts in its last character
    // keeps that ("…(1)" beside "…(10)").
    QStringList sorted = texts;
    std::ranges::sort(sorted);
    const auto startOfAnother = [&](const QString& text) {
        const auto next = std::ranges::upper_bound(sorted, text);
        return next != sorted.end() && next->startsWith(text);
    };
    std::vector<bool> whole;
    whole.reserve(std::size_t(texts.size()));
    for (const QString& text : texts)
        whole.push_back(starts[whole.size()] >= text.size() && startOfAnother(text));
    // Texts that end alike from where they part from their neighbours ("Riege Nord (1)", "Riege
    // Süd (1)") are told apart by as much of their start as tells them from each other.
    QHash<QString, QStringList> byEnd;
    for (qsizetype i = 0; i < texts.size(); ++i)
        if (starts[std::size_t(i)] >= 2 && !whole[std::size_t(i)])
            byEnd[partingEnd(texts[i], starts[std::size_t(i)] - 1)] << texts[i];
    QHash<QString, int> startAmongAlike;
    for (const QStringList& group : std::as_const(byEnd)) {
        const std::vector<int> among = distinctStarts(group);
        for (qsizetype i = 0; i < group.size(); ++i)
            if (group.count(group[i]) < group.size())
                startAmongAlike.insert(group[i], among[std::size_t(i)]);
    }
    std::vector<int> least;
    least.reserve(std::size_t(texts.size()));
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString& text = texts[i];
        const int start = starts[std::size_t(i)];
        if (whole[std::size_t(i)]) {
            least.push_back(width(text));
            continue;
        }
        int need = start >= text.size() ? width(text) : width(text.left(start) + dots);
        if (start >= 2) {
            const int shared = start - 1;
            const auto among = startAmongAlike.constFind(text);
            if (among == startAmongAlike.cend())
                need = std::min(need, width(dots + partingEnd(text, shared)));
            else if (const qsizetype from = partingFrom(text, shared); *among <= from)
                need = std::min(need, width(text.left(*among).trimmed() + dots + text.mid(from)));
        }
        least.push_back(need);
    }
    return least;
}

QString elideMiddle(const QString& text, const std::function<bool(const QString&)>& fits)
{
    if (fits(text))
        return text;
    const QString dots = QStringLiteral("...");
    const QStringList entries = text.split(QStringLiteral(", "));
    // Every entry keeps at most `kept` characters, the end as many as the start (one fewer when odd).
    const auto cut = [&](qsizetype kept) {
        QStringList cutEntries;
        for (const QString& entry : entries) {
            const qsizetype tail = kept / 2;
            cutEntries << (entry.size() <= kept + dots.size()
                               ? entry
                               : entry.left(kept - tail).trimmed() + dots + entry.right(tail).trimmed());
        }
        return cutEntries.join(QStringLiteral(", "));
    };
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (fits(cut(mid)))
            low = mid;
        else
            high = mid - 1;
    }
    return cut(low);
}

} // namespace tvp
