#pragma once
// The stand-in's finishing order of a discipline's attempt, for compact expectations.

#include "tests/support/StandinSeed.h"

namespace tvp::test {

// "rank:bib" in the server's order (by rank, then storing order).
inline QString storedRanks(StandinSeed& seed, int discipline, int attempt = 1)
{
    QStringList out;
    standin::Statement q = seed.db().query(
        "SELECT rank, bib FROM results WHERE discipline_id = ? AND attempt = ? ORDER BY rank, id", discipline, attempt);
    while (q.next())
        out << QStringLiteral("%1:%2").arg(q.intAt(0)).arg(q.intAt(1));
    return out.join(u' ');
}

} // namespace tvp::test
