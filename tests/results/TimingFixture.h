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
