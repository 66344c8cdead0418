#include "participants/AthleteListPrint.h"

#include "core/results/tvpUtils.h"
#include "participants/OverviewPrint.h"

#include <QCollator>

namespace tvp {

namespace {

// Texts compare as the user reads them, without regard to case.
int compareText(const QString& a, const QString& b)
{
    static const QCollator collator = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a.toCaseFolded(), b.toCaseFolded());
}

template <class T>
int compareInt(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Absent first; then by name; equal names by id, so that two clubs, age classes or teams of one
// name never interleave their rows.
template <class Record, class IdOf>
int compareNamed(const Record* a, const Record* b, IdOf id)
{
    if (!a || !b)
        return compareInt(a != nullptr, b != nullptr);
    if (const int byName = compareText(a->Name, b->Name))
        return byName;
    return compareInt(id(*a), id(*b));
}

QString givenName(const proto::AthleteType& a)
{
    return a.Name ? a.Name->givenName : QString();
}
QString surName(const proto::AthleteType& a)
{
    return a.Name ? a.Name->surName : QString();
}

} // namespace

// ---- columns ----

TAthleteColMapper::TAthleteColMapper()
{
    for (const char* header : {"Vorname", "Name", "Team", "Startnr.", "Jahrgang", "Geschlecht", "Verein"})
        addHeader(QString::fromUtf8(header));
}

QString TAthleteColMapper::getCellText(int col, const proto::AthleteType& a) const
{
    switch (col) {
    case 0: return givenName(a);
    case 1: return surName(a);
    case 2: return a.Team ? a.Team->Name : QString();
    case 3: return bibstoString(a.Bib);
    case 4: return a.YearOfBirth >= 1 ? QString::number(a.YearOfBirth) : QString();
    case 5: return genderToStr(a.Gender);
    case 6: return a.Club ? a.Club->Name : QString();
    default: return QString();
    }
}

// ---- tables ----

TAthletePrintTable::TAthletePrintTable(int rowHeight, TAthleteOverviewPrintContext* printContext)
    : TOverviewPrintTable<proto::AthleteType>(std::make_shared<TAthleteColMapper>(), rowHeight, printContext,
                                              std::make_shared<TWrappingLineRenderer>()),
      context_(printContext)
{
}

const proto::ClubShortType* athleteClub(const proto::AthleteType& a)
{
    if (a.Team)
        return a.Team->BillingClub.get();
    return a.Club.get();
}

int sortAthleteByClubAgeTeam(const proto::AthleteType& a, const proto::AthleteType& b)
{
    if (const int byClub =
            compareNamed(athleteClub(a), athleteClub(b), [](const proto::ClubShortType& c) { return c.ClubId; }))
        return byClub;
    if (!a.Team || !b.Team) {
        if (const int byTeam = compareInt(a.Team != nullptr, b.Team != nullptr))
            return byTeam;
    } else {
        if (const int byAgeClass = compareNamed(a.Team->AgeClass.get(), b.Team->AgeClass.get(),
                                                [](const proto::AgeClassType& c) { return c.AgeClassID; }))
            return byAgeClass;
        if (const int byTeam =
                compareNamed(a.Team.get(), b.Team.get(), [](const proto::TeamType& t) { return t.TeamID; }))
            return byTeam;
    }
    if (const int bySurName = compareText(surName(a), surName(b)))
        return bySurName;
    return compareText(givenName(a), givenName(b));
}

bool sameTeamGroup(const proto::AthleteType& a, const proto::AthleteType& b)
{
    if (a.Team || b.Team)
        return a.Team && b.Team && a.Team->TeamID == b.Team->TeamID;
    // Without team each club's athletes make a group of their own, named in the page header.
    const int clubA = a.Club ? a.Club->ClubId : 0;
    const int clubB = b.Club ? b.Club->ClubId : 0;
    return clubA == clubB;
}

void TAthleteTeamPrintTable::sortByTeams()
{
    sort([](const proto::AthleteType& a, const proto::AthleteType& b) { return sortAthleteByClubAgeTeam(a, b) < 0; });
}

std::shared_ptr<ITVChunk> TAthleteTeamPrintTable::getChunk(int availableHeight)
{
    const int count = getItemCount();
    if (curListIndex >= count)
        return nullptr;
    // Rows with long names take more than one line.
    measure();
    const std::vector<proto::AthleteType>& rows = *FItems;
    const proto::AthleteType& first = rows[std::size_t(curListIndex)];
    int run = 1;
    bool tall = FHeaderLines > 1 || itemLines(curListIndex) > 1;
    while (curListIndex + run < count && sameTeamGroup(first, rows[std::size_t(curListIndex + run)])) {
        tall = tall || itemLines(curListIndex + run) > 1;
        ++run;
    }
    // At least one row a page, however little room there is; a team of tall rows fills its pages.
    int rowsNow = 0;
    if (tall) {
        rowsNow = rowsThatFit(curListIndex, run, availableHeight);
    } else {
        const int perPage = std::min(run, rowsPerPage(availableHeight, FRowHeight));
        const int pages = (run + perPage - 1) / perPage;
        rowsNow = (run + pages - 1) / pages;
    }

    if (TAthleteOverviewPrintContext* context = getAthletePrintContext()) {
        context->FTeam = first.Team.get();
        if (first.Team) {
            context->FAgeClass = first.Team->AgeClass.get();
            context->FClub = first.Team->BillingClub.get();
        } else {
            context->FAgeClass = nullptr;
            context->FClub = first.Club.get();
        }
    }
    std::shared_ptr<ITVChunk> chunk = getPartList(FRowHeight, curListIndex, rowsNow);
    curListIndex += rowsNow;
    return chunk;
}

// ---- header ----

void TAthleteListHeader::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    static TAthleteOverviewPrintContext empty;
    const TAthleteOverviewPrintContext* context =
        chunk ? dynamic_cast<TAthleteOverviewPrintContext*>(chunk->getContextData()) : nullptr;
    if (!context)
        context = &empty;
    curIndent = x + 40;
    curLine = y - 90;
    canvas.setBrushClear();
    if (FContext)
        canvas.setFont(FContext->mainFont());
    const QString dash = QStringLiteral(" - ");
    std::vector<THeaderPart> parts{{kAthleteOverviewTitle, 45, false, false, dash}};
    if (context->FAgeClass)
        parts.push_back({context->FAgeClass->Name, 45, true, false, dash});
    // Where even smaller type does not hold them, the club gives way before the team.
    if (context->FClub)
        parts.push_back({context->FClub->Name, 45, true, true, dash});
    parts.push_back({context->FTeam ? context->FTeam->Name : QStringLiteral("Ohne Team"), 45, true, true, {}});
    parts.push_back({printTimeAndPage(FContext), 40, false, false, {}});
    // The printable area's right edge.
    textOutFitted(std::move(parts), x + pageWidth - 40, canvas);
    canvas.setBold(false);
}

// ---- the two printouts ----

void printAthleteOverview(TPrintManager& manager, const std::vector<proto::AthleteType>& athletes,
                          const QString& filterCaption)
{
    auto body = std::make_shared<TAthletePrintTable>(65, nullptr);
    for (const proto::AthleteType& a : athletes)
        body->addItem(a);
    renderOverview(manager, kAthleteOverviewTitle, filterCaption, body);
}

void printAthleteTeamOverview(TPrintManager& manager, const std::vector<proto::AthleteType>& athletes)
{
    TAthleteOverviewPrintContext context;
    auto body = std::make_shared<TAthleteTeamPrintTable>(65, &context);
    for (const proto::AthleteType& a : athletes)
        body->addItem(a);
    body->sortByTeams();
    renderOverview(manager, std::make_shared<TAthleteListHeader>(), body);
    // The context dies here: the manager must not draw the body again.
    manager.setContent(nullptr);
}

} // namespace tvp
