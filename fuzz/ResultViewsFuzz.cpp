// The data view's sources as a server may send them: four SOAP answers separated by lines "--"
// (getAthletes, getResultTable, getFinisherAthletes, getCustomCupColumns). They go into the
// competition table, its sort, the certificate data file and the HTML page, and into the cup table
// with its rows. Expected refusals of the answers are TvpErrors; anything else is a finding.

#include "core/lists/CsvExport.h"
#include "core/protocol/SoapCodec.h"
#include "scoring/CupAthleteTools.h"
#include "scoring/DataViewTable.h"
#include "scoring/HtmlPublication.h"

#include <cstdint>
#include <string_view>
#include <vector>

using namespace tvp;

namespace {

template <class Result>
Result read(std::string_view text, std::string_view operation)
{
    if (text.empty())
        return {};
    pugi::xml_document doc;
    const pugi::xml_node body = proto::codec::loadAnswer(doc, text, 200, {});
    proto::codec::checkAnswer(body, 200, operation);
    return proto::codec::decodeResult<Result>(body);
}

std::vector<std::string_view> parts(std::string_view input)
{
    std::vector<std::string_view> out;
    while (out.size() < 3) {
        const std::size_t cut = input.find("\n--\n");
        if (cut == std::string_view::npos)
            break;
        out.push_back(input.substr(0, cut));
        input.remove_prefix(cut + 4);
    }
    out.push_back(input);
    out.resize(4);
    return out;
}

TAggInfo agg(int id, bool multidisc)
{
    TAggInfo a;
    a.aggID = id;
    a.aggName = QStringLiteral("N%1").arg(id);
    a.aggLabel = a.aggName;
    a.DiscNames = QStringLiteral("D");
    a.multidisc = multidisc;
    return a;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> in = parts({reinterpret_cast<const char*>(data), size});
    try {
        const auto athletes = read<proto::getAthletesResponse1>(in[0], "getAthletes");
        const auto table = read<proto::getResultTableResponse1>(in[1], "getResultTable");
        const auto finishers = read<proto::getFinisherAthletesResponse1>(in[2], "getFinisherAthletes");
        const auto columns = read<proto::getCustomCupColumnsResponse>(in[3], "getCustomCupColumns");

        // The table twice: as it came, and read as the other kind of table.
        proto::getResultTableResponse1 flipped = table;
        if (flipped.ResultTableType)
            flipped.ResultTableType->Team = !flipped.ResultTableType->Team;
        const std::vector<TDataViewTable> tables{{TResultformat::rf_Default, table},
                                                 {TResultformat::rf_Height, flipped}};
        TDataViewModel model;
        std::vector<TDataViewColumn> cols = competitionColumns({agg(1, false), agg(2, true)});
        TCompetitionRows filled = competitionRows(athletes, tables);
        for (int m = kDefaultTeamMemberColumns + 1; m <= filled.memberColumns; ++m)
            cols.push_back({teamMemberTitle(m), 70, std::nullopt});
        model.setColumns(std::move(cols));
        model.setRows(std::move(filled.rows));
        TDataViewSort sort;
        sort.FSortColList = {kCompetitionAggStartCol, 1, 99};
        sort.FDefaultSortColList = {0};
        model.sortRows(sort);
        (void)csvOfModel(model, true, kCompetitionAggStartCol);
        THtmlPageInput page;
        page.stylesheet = QStringLiteral("x{}");
        page.location = athletes.empty() || !athletes[0].Name ? QString() : athletes[0].Name->surName;
        page.additionalColsStartIndex = kCompetitionAggStartCol + 2;
        page.today = QDate(2026, 1, 1);
        (void)generateHTML(model, page);

        proto::CupType cup;
        for (const proto::FinisherType& f : finishers.Finisher)
            if (f.Athlete)
                for (const proto::CompetitionAthleteType& a : f.Athlete->AssignedAthletes)
                    if (a.Competition && cup.AssignedCompetitions.size() < 4)
                        cup.AssignedCompetitions.push_back(*a.Competition);
        TCupAthleteList list(finishers.Finisher, columns, cup);
        list.addResults(table, agg(1, false), TResultformat::rf_Default);
        list.addResults(flipped, agg(2, true), TResultformat::rf_Default);
        (void)cupColumns(list);
        for (int filter = 0; filter < 2; ++filter)
            for (const TDataViewRow& row : cupRows(list, filter != 0, filter))
                (void)row.cells.size();
    } catch (const TvpError&) {
    }
    return 0;
}
