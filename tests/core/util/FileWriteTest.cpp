// Files written whole or not at all, whatever goes wrong on the way.

#include "core/util/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

#include <sys/stat.h>

using namespace tvp;

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(FileWrite, AWriterThatGivesUpOrThrowsLeavesTheEarlierFileAndNoLeftovers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zeitplan.csv"));
    ASSERT_TRUE(writeFileWhole(path, QByteArray("alt\r\n")));

    QString error;
    EXPECT_FALSE(writeFileWhole(
        path,
        [](QIODevice& out) {
            out.write("neu, halb");
            return false;
        },
        &error));
    EXPECT_EQ(error,
              QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden: Schreiben abgebrochen.").arg(path));
    EXPECT_FALSE(writeFileWhole(
        path,
        [](QIODevice& out) -> bool {
            out.write("neu, halb");
            throw std::runtime_error("Zeichen nicht darstellbar");
        },
        &error));
    EXPECT_TRUE(error.endsWith(QStringLiteral(": Zeichen nicht darstellbar"))) << error.toStdString();
    EXPECT_EQ(contents(path), QByteArray("alt\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Zeitplan.csv")});

    EXPECT_FALSE(writeFileWhole(dir.path(), QByteArray("x"), &error)) << "a folder is no file";
    EXPECT_FALSE(writeFileWhole(dir.filePath(QStringLiteral("fehlt/x.csv")), QByteArray("x"), &error));

    ASSERT_TRUE(writeFileWhole(path, QByteArray("neu\r\n")));
    EXPECT_EQ(contents(path), QByteArray("neu\r\n"));
}

TEST(FileWrite, ANewFileTakesTheUsersUmaskAndAReplacedOneKeepsItsMode)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    const QString fresh = dir.filePath(QStringLiteral("Liste.csv"));
    const mode_t before = ::umask(027);
    const bool written = writeFileWhole(fresh, QByteArray("a;b\n"));
    ::umask(before);
    ASSERT_TRUE(written);
    EXPECT_EQ(mode(fresh), 0640u);

    ASSERT_EQ(::chmod(QFile::encodeName(fresh).constData(), 0604), 0);
    ASSERT_TRUE(writeFileWhole(fresh, QByteArray("c;d\n")));
    EXPECT_EQ(mode(fresh), 0604u);
}
