#pragma once
// A private exchange folder and a connector with a fixed clock (7 June 2024, 09:05:33).

#include "results/TimingConnector.h"
#include "tests/support/TestUtil.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tvp::test {

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray padded(const QByteArray& value, int width)
{
    return value.leftJustified(width, ' ', true);
}

// A run header as the timing program writes it; without a lane count it names none.
inline QByteArray runHeader(const QByteArray& description, const QByteArray& timing, const QByteArray& heat,
                            const QByteArray& date = "07062024", const QByteArray& time = "09:05",
                            const QByteArray& lanes = {})
{
    return "B01\tW \tSD \t50  \t" + padded(description, 45) + "\t1 \t" + timing + "\tEL\t3 \t" + heat + "\t    \t" +
           date + "\t" + time + "\t" + padded(lanes, 3) + "\t" + QByteArray(12, ' ') + "\t\r\n";
}

// A result line as the timing program writes it: the start-list lane record with its slots filled.
inline QByteArray resultLine(const QByteArray& laneNo, const QByteArray& time, const QByteArray& rank,
                             const QByteArray& bib, const QByteArray& surName, const QByteArray& givenName,
                             const QByteArray& team)
{
    return padded(laneNo, 3) + "\t" + padded(time, 12) + "\t" + padded(rank, 3) + "\t" + padded(bib, 5) + "\t" +
           padded(surName, 28) + "\t" + padded(givenName, 23) + "\t" + padded(team, 30) + "\t07062024\t\r\n";
}

inline TTimingExportParticipant lane(int laneNo, int bib, const QString& surName, const QString& givenName,
                                     const QString& team)
{
    TTimingExportParticipant p;
    p.lane = laneNo;
    p.Bib = bib;
    p.SurName = surName;
    p.GivenName = givenName;
    p.Team = team;
    return p;
}

class TimingFixture : public ::testing::Test {
protected:
    static QDateTime fixedNow() { return QDateTime(QDate(2024, 6, 7), QTime(9, 5, 33)); }

    QString path(const QString& name) const { return QDir(exchange.path()).filePath(name); }
    QString startList() const { return path(QLatin1String(kStartListFileName)); }
    QString resultFile() const { return path(QLatin1String(kResultFileName)); }

    QTemporaryDir exchange;
    TimingConnector connector{[this] { return exchange.path(); }, &TimingFixture::fixedNow};
};

} // namespace tvp::test
