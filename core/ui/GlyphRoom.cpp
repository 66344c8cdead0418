#include "core/ui/GlyphRoom.h"

#include <QFont>
#include <QFontMetrics>

#include <algorithm>
#include <utility>

namespace tvp {

int glyphOvershoot(const QFont& font)
{
    // Asked for every row a list measures, nearly always in one font: the last answer is kept. Never
    // freed, so no font outlives the application at exit.
    static auto* last = new std::pair<QFont, int>(QFont(), -1);
    if (last->second >= 0 && last->first == font)
        return last->second;
    const QFontMetrics metrics(font);
    const QRect above = metrics.tightBoundingRect(QStringLiteral("ÂÅÄÖÜÉÈĆČŠŽŘŚŹŻÎ"));
    const QRect below = metrics.tightBoundingRect(QStringLiteral("ÇĄĘŞŢgjpqy"));
    *last = {font, std::max({0, -above.top() - metrics.ascent(), below.bottom() + 1 - metrics.descent()})};
    return last->second;
}

} // namespace tvp
