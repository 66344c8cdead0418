#include "scoring/CupItemsRequests.h"

namespace tvp {

namespace {

using R = TCupItemRequestType;
using proto::CupItemType;

void copyRequest(const TCupItemRequest& request, TCupItemResponse& response)
{
    response.cupId = request.cupId;
    response.smallreload = request.smallreload;
}

// The cup list comes first unless a small reload keeps the chosen cup; without a cup nothing more.
bool loadCups(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    if (!request.smallreload || request.cupId == 0) {
        response.cupsLoaded = true;
        response.cups = ports.crs().getCups(0);
    }
    return request.cupId != 0;
}

void getAgeClasses(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    if (loadCups(ports, request, response))
        response.ageClasses = ports.crs().getCupAgeClasses(request.cupId);
}

void getTeams(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    if (!loadCups(ports, request, response))
        return;
    response.teams = ports.crs().getCupTeams(request.cupId, request.ageFilterID);
    if (!request.smallreload)
        response.ageClasses = ports.crs().getCupAgeClasses(request.cupId);
}

void getAthletes(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    if (!loadCups(ports, request, response))
        return;
    response.customCols = ports.crs().getCustomCupColumns(request.cupId, CupItemType::Athlete);
    response.athletes = ports.crs().getCupAthletes(request.cupId, request.ageFilterID, request.teamFilterID);
    if (!request.smallreload) {
        response.teams = ports.crs().getCupTeams(request.cupId, 0);
        response.ageClasses = ports.crs().getCupAgeClasses(request.cupId);
    }
}

void modAgeClass(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    proto::AgeClassInfoType info;
    info.Name = request.name;
    ports.css().modifyCupAgeClass(request.itemID, proto::Owned<proto::AgeClassInfoType>(std::move(info)), {});
}

void modTeam(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    proto::TeamInfoDataType info;
    info.Name = request.name;
    ports.css().modifyCupTeam(request.itemID, proto::Owned<proto::TeamInfoDataType>(std::move(info)), {});
}

void modAthlete(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    proto::AthleteInfoDataType info;
    proto::AthleteNameType name;
    name.givenName = request.forename;
    name.surName = request.name;
    info.Name = proto::Owned<proto::AthleteNameType>(std::move(name));
    info.Gender = request.gender;
    info.YearOfBirth = request.yearOfBirth;
    ports.css().modifyCupAthlete(request.itemID, proto::Owned<proto::AthleteInfoDataType>(std::move(info)),
                                 request.customInfos);
}

void assignToMaster(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    ports.css().assignCompItemToCupMaster(request.kind, request.itemIDs, request.masterItemID);
}

void removeFromMaster(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    ports.css().removeCompItemFromCupMaster(request.kind, request.cupId, request.itemIDs);
}

void markCompletion(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    ports.css().markCompletionState(request.itemIDs, request.completeted);
}

void completeAll(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    ports.css().markAllCompleted(request.kind, request.cupId);
}

void flipNames(TServicePorts& ports, const TCupItemRequest& request, TCupItemResponse& response)
{
    copyRequest(request, response);
    ports.css().flipCupAthleteNames(request.itemIDs);
}

QString countText(std::size_t n)
{
    return QString::number(n);
}

QString competitionName(const proto::Owned<proto::CompetitionType>& competition)
{
    return competition ? competition->Name : QString();
}

QString genderText(proto::GenderType gender)
{
    switch (gender) {
    case proto::GenderType::MALE: return QStringLiteral("m");
    case proto::GenderType::FEMALE: return QStringLiteral("w");
    default: return {};
    }
}

QString yearText(int year)
{
    return year > 0 ? QString::number(year) : QString();
}

const QString kCup = QStringLiteral("Cup");

void addAgeClass(TCompareListModel& list, const proto::CupAgeClassType& item, bool completed)
{
    const int root = list.addItem();
    list.setCustomItemID(root, -1, item.AgeClassID);
    list.setCompleted(root, completed);
    list.setData(root, item.AgeClassID);
    list.setCell(root, -1, 0, item.Name);
    list.setCell(root, -1, 1, countText(item.AssignedAgeClasses.size()));
    list.setCell(root, -1, 2, kCup);
    for (const proto::CompetitionAgeClassType& entry : item.AssignedAgeClasses) {
        const int child = list.addSubItem(root);
        list.setCustomItemID(root, child, entry.AgeClass ? entry.AgeClass->AgeClassID : 0);
        list.setCell(root, child, 0, entry.AgeClass ? entry.AgeClass->Name : QString());
        list.setCell(root, child, 2, competitionName(entry.Competition));
    }
}

void addTeam(TCompareListModel& list, const proto::CupTeamType& item, bool completed)
{
    const int root = list.addItem();
    list.setCustomItemID(root, -1, item.TeamID);
    list.setCompleted(root, completed);
    list.setData(root, item.TeamID);
    list.setCell(root, -1, 0, item.Name);
    list.setCell(root, -1, 3, countText(item.AssignedTeams.size()));
    list.setCell(root, -1, 4, kCup);
    for (const proto::CompetitionTeamType& entry : item.AssignedTeams) {
        const int child = list.addSubItem(root);
        if (!entry.Team)
            continue;
        const proto::TeamType& team = *entry.Team;
        list.setCustomItemID(root, child, team.TeamID);
        list.setCell(root, child, 0, team.Name);
        list.setCell(root, child, 1, team.AgeClass ? team.AgeClass->Name : QString());
        list.setCell(root, child, 2, team.BillingClub ? team.BillingClub->Name : QString());
        list.setCell(root, child, 4, competitionName(entry.Competition));
    }
}

void addAthlete(TCompareListModel& list, const proto::CupAthleteType& item, bool completed,
                const std::vector<int>& customIds)
{
    const int custom0 = 8;
    const int last = custom0 + int(customIds.size());
    const int root = list.addItem();
    list.setCustomItemID(root, -1, item.AthleteID);
    list.setCompleted(root, completed);
    list.setData(root, item.AthleteID);
    list.setCell(root, -1, 0, item.Name ? item.Name->givenName : QString());
    list.setCell(root, -1, 1, item.Name ? item.Name->surName : QString());
    list.setCell(root, -1, 2, genderText(item.Gender));
    list.setCell(root, -1, 3, yearText(item.YearOfBirth));
    list.setCell(root, -1, 4, countText(item.AssignedAthletes.size()));
    for (int c = 0; c < int(customIds.size()); ++c)
        list.setCell(root, -1, custom0 + c, customValueOf(item.CustomInformations, customIds[c]));
    list.setCell(root, -1, last, kCup);
    for (const proto::CompetitionAthleteType& entry : item.AssignedAthletes) {
        const int child = list.addSubItem(root);
        if (!entry.Athlete)
            continue;
        const proto::AthleteType& athlete = *entry.Athlete;
        list.setCustomItemID(root, child, athlete.AthleteID);
        list.setCell(root, child, 0, athlete.Name ? athlete.Name->givenName : QString());
        list.setCell(root, child, 1, athlete.Name ? athlete.Name->surName : QString());
        list.setCell(root, child, 2, genderText(athlete.Gender));
        list.setCell(root, child, 3, yearText(athlete.YearOfBirth));
        const proto::TeamType* team = athlete.Team ? &*athlete.Team : nullptr;
        list.setCell(root, child, 5, team ? team->Name : QString());
        list.setCell(root, child, 6, team && team->AgeClass ? team->AgeClass->Name : QString());
        list.setCell(root, child, 7, athlete.Club ? athlete.Club->Name : QString());
        list.setCell(root, child, last, competitionName(entry.Competition));
    }
}

} // namespace

const TRequestTable<TCupItemRequest, TCupItemResponse>& cupItemRequests()
{
    static const TRequestTable<TCupItemRequest, TCupItemResponse> table{{
        {R::rt_getAgeClasses, QStringLiteral("Cup-Altersklassen laden"), &getAgeClasses},
        {R::rt_getTeams, QStringLiteral("Cup-Teams laden"), &getTeams},
        {R::rt_getAthletes, QStringLiteral("Cup-Athleten laden"), &getAthletes},
        {R::rt_modAgeClasses, QStringLiteral("Cup-Altersklasse ändern"), &modAgeClass},
        {R::rt_modTeams, QStringLiteral("Cup-Team ändern"), &modTeam},
        {R::rt_modAthletes, QStringLiteral("Cup-AthletIn ändern"), &modAthlete},
        {R::rt_AssignToMaster, QStringLiteral("Eintrag Cup-Eintrag zuweisen"), &assignToMaster},
        {R::rt_removeFromMaster, QStringLiteral("Eintrag von Cup-Eintrag entfernen"), &removeFromMaster},
        {R::rt_markCompletionState, QStringLiteral("Zuordnungsstatus ändern"), &markCompletion},
        {R::rt_completeAll, QStringLiteral("Alle als zugeordnet markieren"), &completeAll},
        {R::rt_flipAthleteName, QStringLiteral("Namen tauschen"), &flipNames},
    }};
    return table;
}

TCupItemRequestType loadCommandOf(CupItemType kind)
{
    switch (kind) {
    case CupItemType::AgeClass: return R::rt_getAgeClasses;
    case CupItemType::Team: return R::rt_getTeams;
    default: return R::rt_getAthletes;
    }
}

TCupItemRequestType modifyCommandOf(CupItemType kind)
{
    switch (kind) {
    case CupItemType::AgeClass: return R::rt_modAgeClasses;
    case CupItemType::Team: return R::rt_modTeams;
    default: return R::rt_modAthletes;
    }
}

std::vector<TCompareColumn> cupItemColumns(CupItemType kind, const std::vector<proto::CustomColumnType>& customCols)
{
    const auto col = [](const char* caption, bool compare, bool editable, int width) {
        return TCompareColumn{compare, editable, QString::fromUtf8(caption), width};
    };
    switch (kind) {
    case CupItemType::AgeClass:
        return {col("Name", true, true, 100), col("Teilnahmen", false, false, 70),
                col("Veranstaltung", false, false, 150)};
    case CupItemType::Team:
        return {col("Name", true, true, 200), col("Altersklasse", true, false, 50),
                col("Verein/Organisation", true, false, 120), col("Teilnahmen", false, false, 70),
                col("Veranstaltung", false, false, 150)};
    default: break;
    }
    std::vector<TCompareColumn> cols{
        col("Vorname", true, true, 100),      col("Nachname", true, true, 100),
        col("Geschlecht", true, true, 40),    col("Geburtsjahr", true, true, 50),
        col("Teilnahmen", false, false, 50),  col("Team", true, false, 100),
        col("Altersklasse", true, false, 50), col("Verein/Organisation", true, false, 120)};
    for (const proto::CustomColumnType& c : customCols)
        cols.push_back(TCompareColumn{false, true, c.Name, 70});
    cols.push_back(col("Veranstaltung", false, false, 100));
    return cols;
}

void addCupItems(TCompareListModel& list, const TCupItemResponse& response, bool completed)
{
    switch (response.reqType) {
    case R::rt_getAgeClasses:
        for (const auto& item :
             completed ? response.ageClasses.CompletedCupAgeClasses : response.ageClasses.PendingCupAgeClasses)
            addAgeClass(list, item, completed);
        break;
    case R::rt_getTeams:
        for (const auto& item : completed ? response.teams.CompletedCupTeams : response.teams.PendingCupTeams)
            addTeam(list, item, completed);
        break;
    case R::rt_getAthletes: {
        std::vector<int> customIds;
        for (const proto::CustomColumnType& c : response.customCols)
            customIds.push_back(c.ID);
        for (const auto& item :
             completed ? response.athletes.CompletedCupAthletes : response.athletes.PendingCupAthletes)
            addAthlete(list, item, completed, customIds);
        break;
    }
    default: break;
    }
}

int cupItemId(const proto::CupAgeClassType& item)
{
    return item.AgeClassID;
}

int cupItemId(const proto::CupTeamType& item)
{
    return item.TeamID;
}

int cupItemId(const proto::CupAthleteType& item)
{
    return item.AthleteID;
}

int parseYearOfBirth(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const int year = t.toInt(&ok);
    return ok ? year : -1;
}

QString customValueOf(const std::vector<proto::CustomInformationType>& infos, int columnId)
{
    for (const proto::CustomInformationType& info : infos)
        if (info.Column && info.Column->ID == columnId)
            return info.Value;
    return {};
}

bool cupAthleteChanged(const TCupAthleteEditor& editor, const proto::CupAthleteType& item)
{
    const QString given = item.Name ? item.Name->givenName : QString();
    const QString sur = item.Name ? item.Name->surName : QString();
    if (editor.surName.trimmed() != sur || editor.givenName.trimmed() != given)
        return true;
    if (parseYearOfBirth(editor.year) != item.YearOfBirth || editor.gender != item.Gender)
        return true;
    for (const auto& [id, value] : editor.customValues)
        if (customValueOf(item.CustomInformations, id) != value)
            return true;
    return false;
}

QString cupAthleteEditorProblem(const TCupAthleteEditor& editor)
{
    if (parseYearOfBirth(editor.year) < 0)
        return QStringLiteral("Ungültiges Geburtsjahr. Entweder gültige Jahreszahl oder leer lassen.");
    if (editor.givenName.trimmed().isEmpty() && editor.surName.trimmed().isEmpty())
        return QStringLiteral("Vor - und Nachname dürfen nicht leer sein");
    return {};
}

std::unique_ptr<TCupItemRequest> makeCupAthleteSave(const TCupAthleteEditor& editor, int cupId, int itemId)
{
    auto request = std::make_unique<TCupItemRequest>();
    request->reqType = R::rt_modAthletes;
    request->kind = CupItemType::Athlete;
    request->cupId = cupId;
    request->itemID = itemId;
    request->smallreload = true;
    request->name = editor.surName.trimmed();
    request->forename = editor.givenName.trimmed();
    request->yearOfBirth = parseYearOfBirth(editor.year);
    request->gender = editor.gender;
    for (const auto& [id, value] : editor.customValues) {
        proto::CustomInformationsDataType info;
        info.ColumnID = id;
        info.Value = value;
        request->customInfos.push_back(std::move(info));
    }
    return request;
}

QByteArray cupItemsCsv(const TCompareListModel& completed, const TCompareListModel& pending, bool cupOnly,
                       TRespelledNames* respelled)
{
    return completed.toCsv(true, true, cupOnly, respelled) + pending.toCsv(false, false, cupOnly, respelled);
}

} // namespace tvp
