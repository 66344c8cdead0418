#include "core/util/AppPaths.h"
#include "core/util/Logger.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace tvp;

namespace {

class Log : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programDir.isValid());
        AppPaths::setProgramDirForTests(programDir.path());
    }
    void TearDown() override { AppPaths::setProgramDirForTests({}); }

    QString logPath() const { return programDir.filePath(QStringLiteral("TVPlog.txt")); }
    QByteArray logBytes() const
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Lines without their time stamps.
    QList<QByteArray> messages() const
    {
        QList<QByteArray> lines = logBytes().split('\n');
        lines.removeLast();
        for (QByteArray& line : lines)
            line = line.mid(20).chopped(1);
        return lines;
    }

    QTemporaryDir programDir;
};

} // namespace

TEST_F(Log, WritesMessagesAtOrAboveItsLevel)
{
    TLogger logger(TLogLevel::ll_warning);
    logger.log(TLogLevel::ll_debug, QStringLiteral("d"));
    logger.log(TLogLevel::ll_info, QStringLiteral("i"));
    logger.log(TLogLevel::ll_warning, QStringLiteral("w"));
    logger.log(TLogLevel::ll_error, QStringLiteral("e"));
    logger.log(TLogLevel::ll_off, QStringLiteral("o"));
    EXPECT_EQ(messages(), (QList<QByteArray>{"[WARNING]: w", "[ERROR]: e"}));
}

TEST_F(Log, OffTouchesNoFile)
{
    TLogger logger(TLogLevel::ll_off);
    logger.log(TLogLevel::ll_error, QStringLiteral("e"));
    EXPECT_FALSE(QFile::exists(logPath()));
}

TEST_F(Log, CreatesAnEmptyFileAndAppendsToAnExistingOne)
{
    {
        TLogger logger(TLogLevel::ll_debug);
        EXPECT_TRUE(QFile::exists(logPath()));
        EXPECT_TRUE(logBytes().isEmpty());
        logger.log(TLogLevel::ll_info, QStringLiteral("first run"));
    }
    TLogger logger(TLogLevel::ll_debug);
    logger.log(TLogLevel::ll_debug, QStringLiteral("second run"));
    EXPECT_EQ(messages(), (QList<QByteArray>{"[INFO]: first run", "[DEBUG]: second run"}));
}

TEST_F(Log, LineIsLocalTimeLevelAndTextInWindows1252WithCrLf)
{
    TLogger logger(TLogLevel::ll_info);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    logger.log(TLogLevel::ll_info, QStringLiteral("Grüße 5 € — 中"));
    // Flushed at once: readable while the logger is still open.
    const QByteArray bytes = logBytes();

    const QRegularExpression format(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d) \\[INFO\\]: $"));
    const auto match = format.match(QString::fromLatin1(bytes.left(28)));
    ASSERT_TRUE(match.hasMatch()) << bytes.constData();
    const QDateTime stamp = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    EXPECT_GE(stamp, before.addMSecs(-before.time().msec()));
    EXPECT_LE(stamp, QDateTime::currentDateTime());
    // ü, ß, € and the dash are single bytes in Windows-1252 (not Latin-1); the ideograph has no counterpart.
    EXPECT_EQ(bytes.mid(28), QByteArray("Gr\xFC\xDF"
                                        "e 5 \x80 \x97 ?\r\n"));
}

TEST_F(Log, ConcurrentCallersProduceWholeLines)
{
    TLogger logger(TLogLevel::ll_debug);
    constexpr int kThreads = 8;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&logger, t] {
            for (int i = 0; i < kLines; ++i)
                logger.log(TLogLevel::ll_debug,
                           QStringLiteral("worker %1 line %2 ").arg(t).arg(i) + QString(100, u'x'));
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    const QRegularExpression line(QStringLiteral("^\\[DEBUG\\]: worker (\\d) line (\\d+) x{100}$"));
    QSet<QString> seen;
    for (const QByteArray& message : messages()) {
        const auto match = line.match(QString::fromLatin1(message));
        ASSERT_TRUE(match.hasMatch()) << message.constData();
        seen.insert(match.captured(1) + u'/' + match.captured(2));
    }
    EXPECT_EQ(seen.size(), kThreads * kLines);
    EXPECT_EQ(logBytes().count("\r\n"), kThreads * kLines);
}

TEST_F(Log, ProgramLoggerStartsOffAndCanBeReplaced)
{
    EXPECT_EQ(TVP_LOGGER().level(), TLogLevel::ll_off);
    setProgramLogger(std::make_unique<TLogger>(TLogLevel::ll_info));
    TVP_LOGGER().log(TLogLevel::ll_info, QStringLiteral("Starting Application"));
    setProgramLogger(nullptr);
    EXPECT_EQ(TVP_LOGGER().level(), TLogLevel::ll_off);
    EXPECT_EQ(messages(), (QList<QByteArray>{"[INFO]: Starting Application"}));
}
