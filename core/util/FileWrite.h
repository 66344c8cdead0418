#pragma once
// Every file the program writes goes through here: the bytes go to a temporary file in the target's
// folder, which then replaces the target. A kill, a full disk or a refused folder leaves the earlier
// file as it was; the temporary file is removed when anything fails.

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace tvp {

// False when the file could not be written whole; error (when given) then holds a German reason.
// A folder that refuses new files is refused too: the target is never written in place.
bool writeFileWhole(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The same for content written piece by piece: write returns false (or throws) to give up.
bool writeFileWhole(const QString& path, const std::function<bool(QIODevice& out)>& write, QString* error = nullptr);

} // namespace tvp
