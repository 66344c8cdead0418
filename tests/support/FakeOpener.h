#pragma once
// The desktop's opener replaced by a script in a temporary folder: it notes the path or address
// it is given and ends with the status the test sets (0: opened, anything else: failed), as
// xdg-open does. The program runs it as it would run xdg-open.

#include "core/ui/MainWindowServices.h"
#include "tests/support/TestUtil.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace tvp::test {

class FakeOpener {
public:
    explicit FakeOpener(int exitStatus = 0)
    {
        EXPECT_TRUE(dir_.isValid());
        setExitStatus(exitStatus);
        previous_ = setDesktopOpener(dir_.filePath(QStringLiteral("opener")));
    }
    ~FakeOpener()
    {
        settle();
        setDesktopOpener(previous_);
    }
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    // Replaced whole: an opener already running keeps the script it started with.
    void setExitStatus(int status)
    {
        QSaveFile script(dir_.filePath(QStringLiteral("opener")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\nexit %2\n")
                         .arg(dir_.filePath(QStringLiteral("opened")))
                         .arg(status)
                         .toUtf8());
        ASSERT_TRUE(script.commit());
        QFile::setPermissions(script.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Until every opener started has ended and its failure, if any, is reported.
    static bool settle()
    {
        return waitUntil([] { return runningDesktopOpeners() == 0; }, 10000);
    }

    // The paths and addresses given to the openers so far, once they have ended.
    QStringList opened() const
    {
        EXPECT_TRUE(settle()) << "an opener still runs";
        QFile log(dir_.filePath(QStringLiteral("opened")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n');
        lines.removeLast(); // after the last line break
        return lines;
    }
    QList<QUrl> openedUrls() const
    {
        QList<QUrl> urls;
        for (const QString& given : opened())
            urls << (given.startsWith(u'/') ? QUrl::fromLocalFile(given) : QUrl(given, QUrl::StrictMode));
        return urls;
    }
    void clear()
    {
        settle();
        QFile::remove(dir_.filePath(QStringLiteral("opened")));
    }

private:
    QTemporaryDir dir_;
    QString previous_;
};

} // namespace tvp::test
