#include "core/results/TextCut.h"

#include <algorithm>

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

QString cutKeepingDifference(const QString& text, int shared, int room,
                             const std::function<int(const QString&)>& width)
{
    if (width(text) <= room)
        return text;
    const QString dots(QChar(0x2026));
    const QString plain = startWithin(text, text.size(), room - width(dots), width);
    if (plain.size() > shared || shared <= 0 || shared >= text.size())
        return plain + dots;
    // The end from the word in which the texts part: "(4)" rather than "4)".
    qsizetype from = shared;
    while (from > 0 && !text[from - 1].isSpace() && !text[from - 1].isPunct())
        --from;
    if (from > 0 && text[from - 1].isPunct() && !text[from - 1].isSpace())
        --from;
    if (from == 0)
        from = shared;
    const QString end = text.mid(from);
    const int left = room - width(dots) - width(end);
    // Not even the end fits beside a letter of the start: its own start then, as far as the
    // character where the texts part ("(12…"); in less room still, the part from that character on.
    if (left < width(text.left(1))) {
        const QString kept = startWithin(end, end.size(), room - width(dots), width);
        if (kept.size() > shared - from)
            return kept + dots;
        return dots + startWithin(text.mid(shared), text.size() - shared, room - width(dots), width);
    }
    return startWithin(text, from, left, width).trimmed() + dots + end;
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
