#pragma once
// Where a German word may be divided at a line's end, from the hyphenation patterns office
// programs use (libhyphen with the German dictionary of hyphen-de).

#include <QString>

#include <vector>

namespace tvp {

// A break inside a word: at a compound's joint (the dictionary's compound level) or between syllables.
enum class TBreak : char { none, syllable, joint };

// For every position of the word (its size + 1 entries), whether a line may end before the
// character there. Each run of letters is divided on its own, at least two letters on either side
// of a break and between two breaks (of two breaks too close, the joint stays). A run with a
// character the dictionary cannot spell, or a missing dictionary, gives no breaks.
std::vector<TBreak> hyphenationPoints(const QString& word);

// Reads the dictionary on a worker thread of the program's pool: it takes seconds, which the first
// print need not wait for.
void preloadHyphenation();

} // namespace tvp
