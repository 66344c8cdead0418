#pragma once
// Where a text left its ink in a picture of a widget, to tell a text drawn whole from one cut.

#include <QColor>
#include <QImage>

#include <algorithm>
#include <utility>

namespace tvp::test {

// The first and last rows of the image with dark ink (text on a light ground; bright bars and marks
// are no ink), -1 for none.
inline std::pair<int, int> inkRows(const QImage& image)
{
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor c = image.pixelColor(x, y); std::max({c.red(), c.green(), c.blue()}) < 128) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return {first, last};
}

} // namespace tvp::test
