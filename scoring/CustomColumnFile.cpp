#include "scoring/CustomColumnFile.h"

#include "core/lists/CsvReader.h"
#include "core/protocol/Errors.h"

#include <algorithm>
#include <set>

namespace tvp {

namespace {

// Blanks and control characters at both ends, as spreadsheets leave them.
QString trimmedName(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

TCustomDataItem::TCustomDataItem(QString givenName, QString surName, QStringList customData)
    : FgivenName(std::move(givenName)), FsurName(std::move(surName)), FcustomData(std::move(customData))
{
}

QString TCustomDataItem::getData(int i) const
{
    return i >= 0 && i < FcustomData.size() ? FcustomData[i] : QString();
}

TCustomDataList::TCustomDataList(const QByteArray& bytes, int cupId) : FCupId(cupId)
{
    const TCsvList lines = parseCSV(bytes);
    if (lines.empty())
        throw TvpError(QStringLiteral("Leere Datei"));
    FColumns = lines.front().mid(2);
    FColumnIds.assign(FColumns.size(), std::nullopt);
    for (size_t n = 1; n < lines.size(); ++n) {
        const TCsvRow& fields = lines[n];
        if (fields.size() < 2) {
            addError(QStringLiteral("In Zeile %1 ist kein vollständiger Name angegeben.").arg(n + 1));
            continue;
        }
        FItems.emplace_back(fields[0], fields[1], fields.mid(2));
    }
}

std::vector<proto::CustomInformationsDataType> TCustomDataList::createCustomInfoForAthlete(int i) const
{
    std::vector<proto::CustomInformationsDataType> values;
    for (int c = 0; c < getNoOfCols(); ++c)
        if (FColumnIds[c]) {
            proto::CustomInformationsDataType value;
            value.ColumnID = *FColumnIds[c];
            value.Value = FItems.at(i).getData(c);
            values.push_back(std::move(value));
        }
    return values;
}

bool TCustomDataList::athleteFits(int i, const proto::CupAthleteType& athlete) const
{
    if (!athlete.Name)
        return false;
    const TCustomDataItem& line = FItems.at(i);
    return trimmedName(line.surName()) == trimmedName(athlete.Name->surName) &&
           trimmedName(line.givenName()) == trimmedName(athlete.Name->givenName);
}

QString TCustomDataList::getFullAthleteName(int i) const
{
    return FItems.at(i).givenName() + u' ' + FItems.at(i).surName();
}

void matchCustomColumns(TCustomDataList& list, const std::vector<proto::CustomColumnType>& cupColumns)
{
    for (int c = 0; c < list.getNoOfCols(); ++c) {
        const QString& name = list.getCol(c);
        const auto it = std::find_if(cupColumns.begin(), cupColumns.end(),
                                     [&](const proto::CustomColumnType& col) { return col.Name == name; });
        if (it == cupColumns.end()) {
            list.addError(QStringLiteral("Spalte \"%1\" nicht im Cup gefunden.").arg(name));
            continue;
        }
        list.addColId(it->ID, c);
        list.addError(QStringLiteral("Spalte \"%1\" erkannt.").arg(name));
    }
}

std::vector<TCustomValuesStore> matchCustomAthletes(TCustomDataList& list,
                                                    const proto::getCupAthletesResponse& athletes)
{
    std::vector<TCustomValuesStore> stores;
    std::set<int> assigned;
    for (int i = 0; i < list.getNoOfAthletes(); ++i) {
        const QString name = list.getFullAthleteName(i);
        const proto::CupAthleteType* candidate = nullptr;
        int fits = 0;
        for (const auto* group : {&athletes.CompletedCupAthletes, &athletes.PendingCupAthletes}) {
            bool choosing = true;
            for (const proto::CupAthleteType& athlete : *group) {
                if (!list.athleteFits(i, athlete))
                    continue;
                ++fits;
                if (!choosing)
                    continue; // still counted: a namesake later in the list is an ambiguity too
                if (!candidate)
                    candidate = &athlete;
                if (assigned.count(candidate->AthleteID))
                    candidate = &athlete;
                else
                    choosing = false;
            }
        }
        if (fits >= 2)
            list.addError(QStringLiteral("Athlet \"%1\" konnte nicht eindeutig zugeordnet werden. Ggf. gibt es den "
                                         "Namen mehrfach im Cup. Bitte manuell die Zuordnung prüfen.")
                              .arg(name));
        if (!candidate) {
            list.addError(QStringLiteral("Athlet \"%1\" konnte nicht im Cup gefunden werden.").arg(name));
            continue;
        }
        if (!assigned.insert(candidate->AthleteID).second)
            list.addError(QStringLiteral("Athlet \"%1\" konnte nicht eindeutig zugeordnet werden. Ggf. gibt es den "
                                         "Namen mehrfach in der importierten Liste. Bitte manuell die Zuordnung "
                                         "prüfen.")
                              .arg(name));
        stores.push_back({candidate->AthleteID, list.createCustomInfoForAthlete(i)});
    }
    return stores;
}

QStringList runCustomColumnImport(proto::CupRetrievalPortType& crs, proto::CupSetupPortType& css, TCustomDataList& list,
                                  std::exception_ptr& failure)
{
    try {
        matchCustomColumns(list, crs.getCustomCupColumns(list.cupId(), proto::CupItemType::Athlete));
        const std::vector<TCustomValuesStore> stores =
            matchCustomAthletes(list, crs.getCupAthletes(list.cupId(), 0, 0));
        for (const TCustomValuesStore& store : stores)
            css.modifyCupAthlete(store.athleteId, nullptr, store.values);
    } catch (...) {
        failure = std::current_exception();
    }
    return list.getErrors();
}

} // namespace tvp
