#include "core/print/PrintCanvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

namespace tvp {

namespace {

// Em size per cell height of a face: the printouts give cell heights, Qt sizes fonts by the em.
double emPerCell(const QFont& face)
{
    static std::mutex lock;
    static std::map<std::tuple<QString, bool, bool>, double> cache;
    const auto key = std::make_tuple(face.family(), face.bold(), face.italic());
    std::lock_guard<std::mutex> guard(lock);
    if (const auto found = cache.find(key); found != cache.end())
        return found->second;
    QFont probe(face);
    probe.setPixelSize(1000);
    const QFontMetricsF metrics(probe);
    const double cell = metrics.ascent() + metrics.descent();
    const double ratio = cell > 0 ? 1000.0 / cell : 1.0;
    cache.emplace(key, ratio);
    return ratio;
}

} // namespace

QString printFontFamily(const QString& requested)
{
    static std::mutex lock;
    static std::map<QString, QString> resolved;
    std::lock_guard<std::mutex> guard(lock);
    if (const auto found = resolved.find(requested); found != resolved.end())
        return found->second;
    QString family = requested;
    if (!QFontDatabase::families().contains(requested, Qt::CaseInsensitive))
        family = QStringLiteral("DejaVu Sans");
    resolved.emplace(requested, family);
    return family;
}

int fontHeightForPoints(const TPrintFont& font, double points)
{
    QFont face(printFontFamily(font.name));
    face.setBold(font.bold);
    face.setItalic(font.italic);
    return int(std::ceil(points / 72.0 * 254.0 / emPerCell(face) - 1e-9));
}

TPrintCanvas::TPrintCanvas(QPainter& painter, QPaintDevice& device)
    : painter_(painter), device_(device), scale_(device.logicalDpiY() / 254.0)
{
    if (painter_.isActive())
        painter_.setRenderHint(QPainter::Antialiasing, false);
}

QFont TPrintCanvas::qfont() const
{
    QFont f(printFontFamily(font_.name));
    f.setBold(font_.bold);
    f.setItalic(font_.italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    // Points from 0.1 mm: the em is the cell height scaled by the face's proportions.
    const double em = std::max(1, font_.height) * emPerCell(f);
    f.setPointSizeF(em / 254.0 * 72.0);
    return f;
}

const QFontMetricsF& TPrintCanvas::metrics() const
{
    if (!metrics_ || measured_.name != font_.name || measured_.height != font_.height || measured_.bold != font_.bold ||
        measured_.italic != font_.italic) {
        metrics_.emplace(qfont(), &device_);
        measured_ = font_;
    }
    return *metrics_;
}

int TPrintCanvas::textWidth(const QString& text) const
{
    if (text.isEmpty())
        return 0;
    return int(std::lround(metrics().horizontalAdvance(text) / scale_));
}

void TPrintCanvas::textOut(int x, int y, const QString& text)
{
    if (text.isEmpty())
        return;
    const QFont f = qfont();
    const QFontMetricsF metrics(f, &device_);
    painter_.setFont(f);
    painter_.setPen(QPen(font_.color));
    painter_.drawText(QPointF(deviceX(x), deviceY(y) + metrics.ascent()), text);
}

void TPrintCanvas::rectangle(int x1, int y1, int x2, int y2)
{
    const QRectF r(QPointF(deviceX(std::min(x1, x2)), deviceY(std::max(y1, y2))),
                   QPointF(deviceX(std::max(x1, x2)), deviceY(std::min(y1, y2))));
    if (brush_.isValid())
        painter_.fillRect(r, brush_);
    if (penVisible_) {
        painter_.setPen(QPen(penColor_, std::max(1.0, deviceLength(penWidth_))));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(r);
    }
}

void TPrintCanvas::fillRect(int x1, int y1, int x2, int y2)
{
    if (!brush_.isValid())
        return;
    const QRectF r(QPointF(deviceX(std::min(x1, x2)), deviceY(std::max(y1, y2))),
                   QPointF(deviceX(std::max(x1, x2)), deviceY(std::min(y1, y2))));
    painter_.fillRect(r, brush_);
}

void TPrintCanvas::moveTo(int x, int y)
{
    penX_ = x;
    penY_ = y;
}

void TPrintCanvas::lineTo(int x, int y)
{
    line(penX_, penY_, x, y);
    moveTo(x, y);
}

void TPrintCanvas::line(int x1, int y1, int x2, int y2)
{
    if (!penVisible_)
        return;
    painter_.setPen(QPen(penColor_, std::max(1.0, deviceLength(penWidth_)), Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(QPointF(deviceX(x1), deviceY(y1)), QPointF(deviceX(x2), deviceY(y2)));
}

} // namespace tvp
