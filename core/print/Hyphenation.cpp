#include "core/print/Hyphenation.h"

#include "core/util/Logger.h"

#include <QHash>
#include <QThreadPool>

#include <hyphen.h>

#include <cstring>
#include <memory>
#include <mutex>

#ifndef TVP_HYPHEN_DICTIONARY
#define TVP_HYPHEN_DICTIONARY "/usr/share/hyphen/hyph_de_DE.dic"
#endif

namespace tvp {

namespace {

struct TDictionary {
    HyphenDict* all = nullptr; // both levels: every break
    // The compound level alone (the first of the two-level German dictionary), sharing all's patterns.
    HyphenDict joints{};
    bool latin1 = false;

    ~TDictionary()
    {
        if (all)
            hnj_hyphen_free(all);
    }
};

const TDictionary& dictionary()
{
    static const std::unique_ptr<TDictionary> loaded = [] {
        auto d = std::make_unique<TDictionary>();
        d->all = hnj_hyphen_load(TVP_HYPHEN_DICTIONARY);
        if (!d->all) {
            TVP_LOGGER().log(TLogLevel::ll_warning,
                             QStringLiteral("Silbentrennung: %1 fehlt").arg(QStringLiteral(TVP_HYPHEN_DICTIONARY)));
            return d;
        }
        d->joints = *d->all;
        d->joints.nextlevel = nullptr;
        d->latin1 = !d->all->utf8 && std::strstr(d->all->cset, "8859-1") != nullptr;
        return d;
    }();
    return *loaded;
}

// The odd marks of a level for the bytes of a word: a break may follow byte i.
std::vector<char> marks(HyphenDict* level, const QByteArray& bytes)
{
    std::vector<char> hyphens(std::size_t(bytes.size()) + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    hnj_hyphen_hyphenate2(level, bytes.constData(), int(bytes.size()), hyphens.data(), nullptr, &rep, &pos, &cut);
    if (rep) {
        // A break that changes the letters ("Schiff-fahrt") cannot be printed as a plain hyphen.
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (rep[i]) {
                hyphens[std::size_t(i)] = '0';
                std::free(rep[i]);
            }
        }
        std::free(rep);
        std::free(pos);
        std::free(cut);
    }
    return hyphens;
}

// The breaks of a run of letters, by position in the run.
std::vector<TBreak> divideRun(const TDictionary& d, const QString& run)
{
    std::vector<TBreak> points(std::size_t(run.size()) + 1, TBreak::none);
    const QString lower = run.toLower();
    if (lower.size() != run.size())
        return points;
    QByteArray bytes;
    std::vector<qsizetype> charAt; // the run's character for each byte
    if (d.latin1) {
        for (const QChar c : lower)
            if (c.unicode() > 0xFF)
                return points;
        bytes = lower.toLatin1();
        for (qsizetype i = 0; i < lower.size(); ++i)
            charAt.push_back(i);
    } else if (d.all->utf8) {
        for (qsizetype i = 0; i < lower.size(); ++i) {
            const QByteArray c = lower.mid(i, 1).toUtf8();
            bytes += c;
            charAt.insert(charAt.end(), std::size_t(c.size()), i);
        }
    } else {
        return points;
    }
    const std::vector<char> all = marks(d.all, bytes);
    const std::vector<char> joints = marks(const_cast<HyphenDict*>(&d.joints), bytes);
    for (qsizetype b = 0; b + 1 < bytes.size(); ++b) {
        if (!(all[std::size_t(b)] & 1) || charAt[std::size_t(b)] == charAt[std::size_t(b + 1)])
            continue;
        points[std::size_t(charAt[std::size_t(b)] + 1)] = joints[std::size_t(b)] & 1 ? TBreak::joint : TBreak::syllable;
    }
    // A single letter never stands between two breaks ("Jugend-p-fullendorf"): the later goes,
    // unless it is the joint.
    qsizetype last = 0;
    for (qsizetype at = 1; at < run.size(); ++at) {
        if (points[std::size_t(at)] == TBreak::none)
            continue;
        if (at - last < 2 || run.size() - at < 2) {
            if (last > 0 && points[std::size_t(at)] == TBreak::joint && points[std::size_t(last)] != TBreak::joint &&
                run.size() - at >= 2) {
                points[std::size_t(last)] = TBreak::none;
                last = at;
            } else {
                points[std::size_t(at)] = TBreak::none;
            }
            continue;
        }
        last = at;
    }
    return points;
}

} // namespace

void preloadHyphenation()
{
    QThreadPool::globalInstance()->start([] { dictionary(); });
}

std::vector<TBreak> hyphenationPoints(const QString& word)
{
    // Names repeat down a list and are measured at several sizes.
    static std::mutex lock;
    static QHash<QString, std::vector<TBreak>> cache;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (const auto found = cache.constFind(word); found != cache.constEnd())
            return *found;
    }
    std::vector<TBreak> points(std::size_t(word.size()) + 1, TBreak::none);
    const TDictionary& d = dictionary();
    if (d.all) {
        for (qsizetype start = 0; start < word.size();) {
            if (!word.at(start).isLetter()) {
                ++start;
                continue;
            }
            qsizetype end = start;
            while (end < word.size() && word.at(end).isLetter())
                ++end;
            const std::vector<TBreak> run = divideRun(d, word.mid(start, end - start));
            for (std::size_t i = 1; i + 1 < run.size(); ++i)
                points[std::size_t(start) + i] = run[i];
            start = end;
        }
    }
    std::lock_guard<std::mutex> guard(lock);
    if (cache.size() > 20000)
        cache.clear();
    cache.insert(word, points);
    return points;
}

} // namespace tvp
