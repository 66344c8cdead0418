#pragma once
// The drawing surface of every printout. Lengths are in 0.1 mm and y grows upwards: a line further
// down the page has a smaller, more negative y. Logical (0, 0) is the top-left corner of the
// printable area. A font's height is its cell height (ascent plus descent), and text is placed
// by the top-left corner of its cell.

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <optional>

class QPainter;
class QPaintDevice;

namespace tvp {

// The documents' font family. "Verdana" is used where it is installed; elsewhere the
// Verdana-derived free family "DejaVu Sans" stands in.
QString printFontFamily(const QString& requested = QStringLiteral("Verdana"));

struct TPrintFont {
    QString name = QStringLiteral("Verdana");
    int height = 60; // 0.1 mm
    bool bold = false;
    bool italic = false;
    QColor color = Qt::black;
};

// The least cell height (0.1 mm) at which the font's type is at least that many points.
int fontHeightForPoints(const TPrintFont& font, double points);

class TPrintCanvas {
public:
    // The painter is active on device; lengths are scaled by the device's resolution.
    TPrintCanvas(QPainter& painter, QPaintDevice& device);

    const TPrintFont& font() const { return font_; }
    void setFont(const TPrintFont& font) { font_ = font; }
    void setFontHeight(int height) { font_.height = height; }
    void setBold(bool bold) { font_.bold = bold; }
    void setItalic(bool italic) { font_.italic = italic; }

    int textWidth(const QString& text) const;
    int textHeight() const { return font_.height; }
    // The text cell's top-left corner at (x, y); the background stays as it is.
    void textOut(int x, int y, const QString& text);

    // Filled shapes use the brush; a clear brush fills nothing.
    void setBrushColor(const QColor& color) { brush_ = color; }
    void setBrushClear() { brush_ = QColor(); }
    // Outlines and lines use the pen; width in 0.1 mm, at least one device pixel.
    void setPenWidth(int width) { penWidth_ = width; }
    void setPenColor(const QColor& color) { penColor_ = color; }
    void setPenClear() { penVisible_ = false; }
    void setPenSolid() { penVisible_ = true; }
    int penWidth() const { return penWidth_; }

    // The rectangle between two corners, filled with the brush and outlined with the pen.
    void rectangle(int x1, int y1, int x2, int y2);
    // The rectangle filled with the brush colour, no outline.
    void fillRect(int x1, int y1, int x2, int y2);
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void line(int x1, int y1, int x2, int y2);

    double deviceX(double x) const { return x * scale_; }
    double deviceY(double y) const { return -y * scale_; }
    double deviceLength(double units) const { return units * scale_; }
    QPainter& painter() { return painter_; }

private:
    QFont qfont() const;
    // Lists measure the same few fonts thousands of times.
    const QFontMetricsF& metrics() const;

    QPainter& painter_;
    QPaintDevice& device_;
    double scale_;
    TPrintFont font_;
    QColor brush_;
    QColor penColor_ = Qt::black;
    int penWidth_ = 1;
    bool penVisible_ = true;
    int penX_ = 0;
    int penY_ = 0;
    mutable std::optional<QFontMetricsF> metrics_;
    mutable TPrintFont measured_;
};

} // namespace tvp
