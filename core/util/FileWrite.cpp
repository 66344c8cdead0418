#include "core/util/FileWrite.h"

#include <QFileInfo>
#include <QSaveFile>

#include <exception>

namespace tvp {

bool writeFileWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    return writeFileWhole(
        path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, error);
}

bool writeFileWhole(const QString& path, const std::function<bool(QIODevice& out)>& write, QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden: %2").arg(path, reason);
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("Es ist ein Ordner."));
    QSaveFile file(path);
    // No fallback to writing in place: a half-written file is worse than none.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    bool failed = false;
    QString reason = QStringLiteral("Schreiben abgebrochen.");
    try {
        // Qt 6.4 commits a QSaveFile whose buffered bytes failed to reach the disk on close: flush
        // and look at the outcome here instead.
        failed = !write(file) || !file.flush() || file.error() != QFileDevice::NoError;
        if (failed && file.error() != QFileDevice::NoError)
            reason = file.errorString();
    } catch (const std::exception& e) {
        failed = true;
        reason = QString::fromUtf8(e.what());
    } catch (...) {
        failed = true;
    }
    if (failed) {
        // The temporary file goes with the QSaveFile; the target stays as it was.
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace tvp
