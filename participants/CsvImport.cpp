#include "participants/CsvImport.h"

#include <QHash>

#include <algorithm>

namespace tvp {

namespace {

// Blanks and control characters at both ends, as spreadsheets leave them; a no-break space is text.
QString trimmed(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && s.at(end - 1).unicode() <= 0x20)
        --end;
    return begin == 0 && end == s.size() ? s : s.mid(begin, end - begin);
}

QString fieldAt(const TCsvRow& row, qsizetype index)
{
    return index < row.size() ? trimmed(row.at(index)) : QString();
}

proto::GenderType genderOf(const QString& text)
{
    const QString g = text.toUpper();
    if (g == QLatin1String("M"))
        return proto::GenderType::MALE;
    if (g == QLatin1String("W"))
        return proto::GenderType::FEMALE;
    return proto::GenderType::NotSpecified;
}

// The index of the entry made for key, made and appended by make() the first time.
template <class Key, class Entry, class Make>
int indexOrAdd(QHash<Key, int>& index, const Key& key, std::vector<Entry>& entries, Make make)
{
    const auto found = index.constFind(key);
    if (found != index.constEnd())
        return *found;
    const int added = int(entries.size());
    entries.push_back(make());
    index.insert(key, added);
    return added;
}

// "3 (reason), 5 (reason)" with the first few; a long tail is counted.
QString rowsText(const std::vector<TCsvFaultyRow>& rows)
{
    constexpr std::size_t shown = 10;
    QStringList texts;
    for (std::size_t i = 0; i < std::min(shown, rows.size()); ++i)
        texts << QStringLiteral("%1 (%2)").arg(rows[i].line).arg(rows[i].reason);
    QString text = texts.join(QStringLiteral(", "));
    if (rows.size() > shown)
        text += QStringLiteral(" und %1 weitere").arg(rows.size() - shown);
    return text;
}

QString faultyRowsText(const TCsvImportResult& result)
{
    return QStringLiteral("Fehlerhafte Zeilen: ") + rowsText(result.faulty) + u'.';
}

// Said with the question, so the user can still say No and mend the table.
QString unknownGenderText(const TCsvImportResult& result)
{
    if (result.unknownGender.empty())
        return {};
    return QStringLiteral("\n\nGeschlecht weder \"M\" noch \"W\", als \"Keine Angabe\" importiert: Zeilen ") +
           rowsText(result.unknownGender) + u'.';
}

} // namespace

TCsvImportResult buildCsvImportRequest(const TCsvList& rows)
{
    TCsvImportResult result;
    TImportRequest& request = result.request;
    QHash<QString, int> ageClassIndex;
    QHash<QString, int> clubIndex;
    QHash<QPair<QString, int>, int> teamIndex;

    const auto refuse = [&](std::size_t r, const QString& reason) {
        ++result.refused;
        result.faulty.push_back({int(r) + 1, reason});
    };
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const TCsvRow& row = rows[r];
        if (row.size() < 4) {
            refuse(r, QStringLiteral("weniger als vier Spalten"));
            continue;
        }
        const QString givenName = fieldAt(row, 0);
        if (givenName.isEmpty())
            continue;
        const QString surname = fieldAt(row, 1);
        const QString team = fieldAt(row, 2);
        const QString ageClass = fieldAt(row, 3);
        bool isNumber = false;
        int yearOfBirth = fieldAt(row, 4).toInt(&isNumber);
        if (!isNumber)
            yearOfBirth = 0;
        const QString genderText = fieldAt(row, 5);
        const proto::GenderType gender = genderOf(genderText);
        const QString club = fieldAt(row, 6);
        if (ageClass.isEmpty() && !team.isEmpty()) {
            refuse(r, QStringLiteral("Team ohne Altersklasse"));
            continue;
        }
        if (std::max({givenName.size(), surname.size(), team.size(), ageClass.size(), club.size()}) >
            kEditorTextLimit) {
            refuse(r, QStringLiteral("Feld länger als %1 Zeichen").arg(kEditorTextLimit));
            continue;
        }
        if (QString::number(yearOfBirth).size() > kEditorYearLimit) {
            refuse(r, QStringLiteral("Jahrgang mit mehr als %1 Stellen").arg(kEditorYearLimit));
            continue;
        }

        int ageClassIdx = 0; // unused without an age class: such a row has no team either
        if (!ageClass.isEmpty())
            ageClassIdx = indexOrAdd(ageClassIndex, ageClass, request.AgeClasses, [&] {
                proto::createAgeClass entry;
                entry.AgeClassInfo.ensure().Name = ageClass;
                // Unlimited, as the age-class window makes them; 0 would let no team be valid.
                entry.AgeClassInfo->MaxTeamMembers = -1;
                return entry;
            });
        const int clubIdx = club.isEmpty() ? -1 : indexOrAdd(clubIndex, club, request.clubs, [&] {
            proto::ClubInfoDataType entry;
            entry.Name = club;
            return entry;
        });
        const int teamIdx = team.isEmpty() ? -1 : indexOrAdd(teamIndex, {team, ageClassIdx}, request.teams, [&] {
            proto::addTeam entry;
            entry.TeamInfo = proto::TeamInfoDataType{team};
            entry.AgeClassID = ageClassIdx;
            return entry;
        });

        proto::AthleteInfoDataType info;
        info.Name = proto::AthleteNameType{givenName, surname};
        info.Gender = gender;
        info.YearOfBirth = yearOfBirth;
        proto::addAthlete athlete;
        athlete.AthleteInfo = std::move(info);
        athlete.TeamId = teamIdx;
        athlete.ClubID = clubIdx;
        request.athletes.push_back(std::move(athlete));
        ++result.valid;
        if (gender == proto::GenderType::NotSpecified && !genderText.isEmpty())
            result.unknownGender.push_back({int(r) + 1, genderText});
    }
    return result;
}

QString csvNothingToImportText(const TCsvImportResult& result)
{
    QString text = QStringLiteral("%1 Zeilen geladen. Keine gültigen Datensätze gefunden. Import wird abgebrochen.")
                       .arg(result.refused);
    if (!result.faulty.empty())
        text += u' ' + faultyRowsText(result);
    return text;
}

QString csvImportQuestionText(const TCsvImportResult& result)
{
    if (result.refused > 0)
        return QStringLiteral("Es wurden insgesamt %1 Datensätze geladen, davon waren %2 fehlerhaft und werden nicht "
                              "importiert. Trotzdem in aktuelle Veranstaltung importieren?")
                   .arg(result.valid + result.refused)
                   .arg(result.refused) +
               QStringLiteral("\n\n") + faultyRowsText(result) + unknownGenderText(result);
    return QStringLiteral("Es wurden insgesamt %1 gültige Datensätze geladen. Sollen diese nun in die aktuelle "
                          "Veranstaltung importiert werden?")
               .arg(result.valid) +
           unknownGenderText(result);
}

} // namespace tvp
