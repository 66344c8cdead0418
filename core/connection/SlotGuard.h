#pragma once
// Slots, timers and callbacks of the windows run their body through guarded(): an exception must
// never unwind into Qt's event loop, so it is reported in the message window instead.

#include "core/protocol/Errors.h"
#include "core/connection/UncaughtErrors.h"

#include <exception>

namespace tvp {

template <class F>
void guarded(F&& body) noexcept
{
    try {
        body();
    } catch (const TvpError& e) {
        reportUncaught(e.message());
    } catch (const std::exception& e) {
        reportUncaught(QString::fromUtf8(e.what()));
    } catch (...) {
        reportUncaught(QStringLiteral("Unbekannter Fehler"));
    }
}

} // namespace tvp
