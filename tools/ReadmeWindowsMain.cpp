// tvp-readme-windows README: writes the list of windows still missing, taken from the window
// registration, between the README's two marker lines.
// tvp-readme-windows --check README: fails when the README's list differs from the registration.

#include "app/ProgramAreas.h"
#include "core/ui/Startup.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowRegistry.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const QString kBegin =
    QStringLiteral("<!-- missing windows: written by `cmake --build build --target readme-windows` -->\n");
const QString kEnd = QStringLiteral("<!-- end of missing windows -->\n");

QString missingWindows(const tvp::TWindowRegistry& registry)
{
    QStringList lines;
    for (const tvp::TWindowRow& row : tvp::windowCatalogue())
        if (!registry.isRegistered(row.id))
            lines << QStringLiteral("  - %1 (`%2`)\n")
                         .arg(QString::fromUtf8(row.caption).trimmed(), QString::fromLatin1(row.objectName));
    if (lines.isEmpty())
        return QString();
    return QStringLiteral("- %1 of the program's %2 windows: in their place the program shows a window with the "
                          "caption\n  and one line saying that the window follows in a later version.\n")
               .arg(lines.size())
               .arg(tvp::kWindowCount) +
           lines.join(QString());
}

} // namespace

int main(int argc, char** argv)
{
    // Registering builds a few windows' objects; nothing is shown and no settings are touched.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("TVP_COMMON_APPDATA", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool check = args.value(0) == QLatin1String("--check");
    const QString path = args.value(check ? 1 : 0);
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: tvp-readme-windows [--check] README.md\n");
        return 2;
    }

    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tvp-readme-windows: cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QString text = QString::fromUtf8(in.readAll());
    const qsizetype begin = text.indexOf(kBegin);
    const qsizetype end = text.indexOf(kEnd, begin < 0 ? 0 : begin);
    if (begin < 0 || end < 0) {
        std::fprintf(stderr, "tvp-readme-windows: %s lacks the marker lines\n%s%s", qPrintable(path),
                     qPrintable(kBegin), qPrintable(kEnd));
        return 1;
    }

    tvp::TWindowRegistry registry;
    tvp::registerCoreWindows(registry);
    tvp::registerProgramAreas(registry);
    const QString wanted = missingWindows(registry);
    const qsizetype listStart = begin + kBegin.size();
    if (check) {
        if (text.mid(listStart, end - listStart) == wanted)
            return 0;
        std::fprintf(stderr,
                     "%s: the list of missing windows differs from the window registration. It should read:\n%s"
                     "Rewrite it with: cmake --build build --target readme-windows\n",
                     qPrintable(path), qPrintable(wanted));
        return 1;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write((text.left(listStart) + wanted + text.mid(end)).toUtf8()) < 0 ||
        !out.commit()) {
        std::fprintf(stderr, "tvp-readme-windows: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
