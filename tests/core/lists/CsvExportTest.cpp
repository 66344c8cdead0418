// The CSV export of any list model: format, the placement column and results as numbers, and a
// file written whole or not at all.

#include "core/lists/CsvExport.h"

#include <QDir>
#include <QFile>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace tvp;

namespace {

// Rows may be shorter than the list: their missing cells are no cells at all.
std::unique_ptr<QStandardItemModel> listOf(const QStringList& captions, const QList<QStringList>& rows)
{
    auto model = std::make_unique<QStandardItemModel>(0, int(captions.size()));
    model->setHorizontalHeaderLabels(captions);
    for (const QStringList& row : rows) {
        QList<QStandardItem*> items;
        for (const QString& cell : row)
            items << new QStandardItem(cell);
        model->appendRow(items);
    }
    return model;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(CsvExport, Windows1252FieldsEscapedWithCrLfAndShortRowsPadded)
{
    const auto model =
        listOf({"Name", "Verein", "Bemerkung"},
               {{"Jürgen", "TSV Öhringen; Süd", "sagt \"hallo\""}, {"Anna"}, {"Ben", "5 €", "erste\nzweite"}});
    EXPECT_EQ(csvOfModel(*model, false, -1), QByteArray("Name;Verein;Bemerkung\r\n"
                                                        "J\xFCrgen;\"TSV \xD6hringen; S\xFC"
                                                        "d\";\"sagt \"\"hallo\"\"\"\r\n"
                                                        "Anna;;\r\n"
                                                        "Ben;5 \x80;\"erste\nzweite\"\r\n"));
}

TEST(CsvExport, PlacementColumnDoubledRowsWithoutPlacementLeftOutResultsAsNumbers)
{
    const auto model = listOf({"Team", "Platz", "Weite", "Zeit", "Punkte", "Status"},
                              {{"Adler", "1", "3,1m", "1:23,45", "12,5Pkt", "aufg."},
                               {"Bären", "", "4m"},
                               {"Chamäleons"}, // no placement cell at all: kept, padded
                               {"Team 3", "2", "250cm", "9,8s", "1234Pkt", ""}});
    EXPECT_EQ(csvOfModel(*model, true, 1), QByteArray("Team;Urkundenplatzierung;Platz;Weite;Zeit;Punkte;Status\r\n"
                                                      "Adler;1;1;3,10;83,45;12,5;aufg.\r\n"
                                                      "Cham\xE4leons;;;;;;\r\n"
                                                      "Team 3;2;2;2,50;9,80;1234;\r\n"));
    EXPECT_EQ(csvOfModel(*model, false, 9).left(40), QByteArray("Team;Platz;Weite;Zeit;Punkte;Status\r\nAdl"))
        << "a placement column the list does not have changes nothing";
}

TEST(CsvExport, TheFileIsWrittenWholeOrNotAtAll)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto model = listOf({"Name"}, {{"Anna"}});
    const QString path = dir.filePath(QStringLiteral("liste.csv"));
    ASSERT_TRUE(writeCsvFile(path, *model, false, -1));
    EXPECT_EQ(contents(path), QByteArray("Name\r\nAnna\r\n"));

    EXPECT_FALSE(writeCsvFile(dir.filePath(QStringLiteral("fehlt/liste.csv")), *model, false, -1));
    EXPECT_FALSE(writeCsvFile(dir.path(), *model, false, -1)) << "a folder is no file";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("liste.csv")});
}
