#include "organisation/ScheduleExport.h"

#include "core/results/tvpUtils.h"
#include "core/util/CodePages.h"
#include "core/util/FileWrite.h"
#include "organisation/ScheduleGrid.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <stdexcept>

namespace tvp {

namespace {

constexpr int kMinStations = 10;

class CsvLineWriter {
public:
    CsvLineWriter(QIODevice& out, TRespelledNames* respelled) : out_(out), respelled_(respelled) {}

    void newLine()
    {
        raw("\r\n");
        first_ = true;
    }
    void field(const QString& text)
    {
        if (!first_)
            raw(";");
        first_ = false;
        writeStringCsvEscaped(out_, text, respelled_);
    }

private:
    void raw(const char* bytes)
    {
        const qint64 n = qint64(qstrlen(bytes));
        if (out_.write(bytes, n) != n)
            throw std::runtime_error("Die Datei konnte nicht geschrieben werden: " + out_.errorString().toStdString());
    }

    QIODevice& out_;
    TRespelledNames* respelled_;
    bool first_ = true;
};

QString ageClassName(const proto::Owned<proto::AgeClassType>& ageClass)
{
    return ageClass ? ageClass->Name : QString();
}

} // namespace

void generateScheduleCsv(QIODevice& stream, const TScheduleGrid& grid, bool perTeam, TRespelledNames* respelled)
{
    const int stations = std::max(kMinStations, grid.itemRows());
    CsvLineWriter csv(stream, respelled);
    for (const char* caption : {"Team", "Verein", "Altersklasse", "Riege"})
        csv.field(QString::fromLatin1(caption));
    for (int i = 1; i <= stations; ++i) {
        csv.field(QStringLiteral("Station %1").arg(i));
        csv.field(QStringLiteral("Stationsdisziplin %1").arg(i));
        csv.field(QStringLiteral("Startzeit Station %1").arg(i));
    }

    bool anyItem = false;
    auto writeSquad = [&](int col, const proto::SquadType& squad) {
        csv.field(squadHeaderText(squad));
        for (int i = 1; i <= stations; ++i) {
            const TScheduleItem* item = grid.item(col, i - 1);
            if (item && item->DisciplinePlace) {
                anyItem = true;
                const proto::PlaceOfDisciplineType& p = *item->DisciplinePlace;
                csv.field(p.Place ? p.Place->Name : QString());
                csv.field(p.Discipline ? p.Discipline->Name : QString());
                csv.field(item->Time.toString(QStringLiteral("hh:mm")));
            } else {
                csv.field({});
                csv.field({});
                csv.field({});
            }
        }
    };

    for (int col = 0; col < grid.colCount(); ++col) {
        const TColHeaderItem* header = grid.header(col);
        if (!header || !header->sdt.Squad)
            continue;
        const proto::SquadType& squad = *header->sdt.Squad;
        if (perTeam) {
            for (const proto::TeamType& team : squad.AssignedTeams) {
                csv.newLine();
                csv.field(team.Name);
                csv.field(team.BillingClub ? team.BillingClub->Name : QString());
                csv.field(ageClassName(team.AgeClass));
                writeSquad(col, squad);
            }
        } else {
            QStringList teams;
            for (const proto::TeamType& team : squad.AssignedTeams)
                teams << team.Name;
            csv.newLine();
            csv.field(teams.join(QStringLiteral(", ")));
            csv.field({});
            csv.field(ageClassName(squad.AgeClass));
            writeSquad(col, squad);
        }
    }

    if (anyItem)
        return;
    // A document set up before the plan exists still has fields to show.
    csv.newLine();
    csv.field(perTeam ? QStringLiteral("Muster Team") : QString());
    csv.field(perTeam ? QStringLiteral("Muster Verein") : QString());
    csv.field(QStringLiteral("U10"));
    csv.field(QStringLiteral("Muster Riege (1)"));
    for (int i = 1; i <= stations; ++i) {
        csv.field(QStringLiteral("Musteranlage %1").arg(i));
        csv.field(QStringLiteral("Musterdisziplin %1").arg(i));
        csv.field(QTime(9, 0).addSecs(30 * 60 * i).toString(QStringLiteral("hh:mm")));
    }
}

bool writeScheduleCsv(const QString& path, const TScheduleGrid& grid, bool perTeam, QString* error,
                      TRespelledNames* respelled)
{
    return writeFileWhole(
        path,
        [&](QIODevice& out) {
            generateScheduleCsv(out, grid, perTeam, respelled);
            return true;
        },
        error);
}

QString scheduleExportFileName(bool perTeam, const QString& loadedAgeClassFilterName)
{
    QString name = perTeam ? QStringLiteral("Teamablaufplan") : QStringLiteral("Riegenablaufplan");
    if (!loadedAgeClassFilterName.isEmpty())
        name += QLatin1Char('_') + loadedAgeClassFilterName;
    return fileNameSaveChars(name) + QStringLiteral(".csv");
}

QString scheduleDataFile(const QString& docPath, TScheduleDocType type)
{
    QString kind;
    if (type == TScheduleDocType::sd_TEAM)
        kind = QStringLiteral("Teamablaufplan");
    else if (type == TScheduleDocType::sd_SQUAD)
        kind = QStringLiteral("Riegenablaufplan");
    return QFileInfo(docPath).absoluteDir().filePath(kind + QStringLiteral("daten.csv"));
}

} // namespace tvp
