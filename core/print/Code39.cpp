#include "core/print/Code39.h"

#include "core/print/PrintObject.h"

#include <zint.h>

#include <cmath>
#include <map>
#include <memory>

namespace tvp {

namespace {

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

} // namespace

TCode39Bars encodeCode39(const QString& code)
{
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        throw EPrintError(QStringLiteral("Barcode: kein Speicher"));
    symbol->symbology = BARCODE_CODE39;
    symbol->option_2 = 0; // no check character
    symbol->show_hrt = 0; // the text is written by the caller, without start and stop
    symbol->whitespace_width = 0;
    const QByteArray data = code.toLatin1();
    int status =
        ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
    if (status < ZINT_ERROR)
        status = ZBarcode_Buffer_Vector(symbol.get(), 0);
    if (status >= ZINT_ERROR || !symbol->vector)
        throw EPrintError(QStringLiteral("Barcode \"%1\" kann nicht gedruckt werden: %2")
                              .arg(code, QString::fromLatin1(symbol->errtxt)));

    // zint's vector units are a multiple of the module; the narrowest bar is one module.
    float narrow = 0;
    float left = 0;
    bool first = true;
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next) {
        if (first || r->width < narrow)
            narrow = r->width;
        if (first || r->x < left)
            left = r->x;
        first = false;
    }
    TCode39Bars result;
    if (first || narrow <= 0)
        return result;
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next) {
        const int start = int(std::lround((r->x - left) / narrow));
        const int width = int(std::lround(r->width / narrow));
        result.bars.emplace_back(start, width);
        result.modules = std::max(result.modules, start + width);
    }
    return result;
}

int paintCode39(TPrintCanvas& canvas, int x, int y, int height, const QString& code, const TCode39Style& style)
{
    const TCode39Bars symbol = encodeCode39(code);
    const int module = std::max(1, style.moduleWidth);
    const int textRoom = style.textHeight > 0 ? style.textHeight + style.textGap : 0;
    const int barHeight = std::max(1, height - textRoom);
    const TPrintFont font = canvas.font();
    canvas.setPenClear();
    canvas.setBrushColor(Qt::black);
    for (const auto& [start, width] : symbol.bars)
        canvas.fillRect(x + start * module, y, x + (start + width) * module, y - barHeight);
    canvas.setBrushClear();
    canvas.setPenSolid();
    const int symbolWidth = symbol.modules * module;
    if (style.textHeight > 0) {
        canvas.setFontHeight(style.textHeight);
        canvas.setBold(false);
        canvas.setItalic(false);
        const int textWidth = canvas.textWidth(code);
        canvas.textOut(x + (symbolWidth - textWidth) / 2, y - barHeight - style.textGap, code);
    }
    canvas.setFont(font);
    return symbolWidth;
}

} // namespace tvp
