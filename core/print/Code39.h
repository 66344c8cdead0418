#pragma once
// Code 39 symbols on printouts: the bars come from zint's encoding (no check character, start and
// stop added by zint); the readable text under the bars is the code without start and stop.

#include "core/print/PrintCanvas.h"

#include <QString>

#include <vector>

namespace tvp {

struct TCode39Style {
    int moduleWidth = 3; // the narrow bar, 0.1 mm
    int textHeight = 30; // 0.1 mm; 0 for no text
    int textGap = 5;     // between bars and text
};

// The bars of the symbol as (start, width) in modules from the left edge, and its width in
// modules. Throws EPrintError when the code cannot be written in Code 39.
struct TCode39Bars {
    std::vector<std::pair<int, int>> bars;
    int modules = 0;
};
TCode39Bars encodeCode39(const QString& code);

// Paints the symbol with its top-left corner at (x, y) and the given overall height (bars and
// text). Returns the symbol's width.
int paintCode39(TPrintCanvas& canvas, int x, int y, int height, const QString& code,
                const TCode39Style& style = TCode39Style());

} // namespace tvp
