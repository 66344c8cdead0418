#pragma once
// Room for the parts of letters that stand outside their font's line.

class QFont;

namespace tvp {

// How far the marks above capitals ("Ö", "Ć") or the tails below the line ("Ç", "ą") reach past the
// font's ascent or descent, whichever is more, in pixels. A row exactly one line high cuts them: in
// DejaVu Sans the dots of "Ö" stand 2 px above the ascent.
int glyphOvershoot(const QFont& font);

} // namespace tvp
