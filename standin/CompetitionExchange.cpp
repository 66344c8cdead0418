// Competition files: exportCompetition writes everything the data file holds of one competition as
// one XML document, importCompetition reads such a document into a new competition. The format is
// described in docs/competition-file.md.
//
// The tables are written generically: a table's columns are read from the schema, so a column a
// later migration adds travels along without a change here. What this file knows is each table's
// way to its competition and which columns hold ids. Ids are written as numbers local to the file,
// handed out in the order the rows are written; an import takes new ids in that same order, so a
// file imported and exported again is the same file.

#include "standin/CompetitionExchange.h"

#include "core/protocol/XmlProblem.h"
#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Records.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace tvp::standin {

namespace {

using ops::ensureAggregatorTemplate;

constexpr int kFormatVersion = 1;

enum class Role {
    Value,       // written as it is
    OwnId,       // the row's id, from the shared sequence (kind: TableSpec::idKind)
    OwnBarcode,  // the row's id in barcodes
    Competition, // the competition's id: not written, the new competition's on import
    Ref,         // an id of an entity written before
    BarcodeRef,  // an id of a barcode written before
    Skip,        // not written (ties to cups, which are not the competition's)
};

struct ColumnRole {
    const char* column;
    Role role;
};

struct TableSpec {
    const char* table;
    // Joins and conditions after "FROM <table> t" that keep the rows of competition ?1.
    const char* scope;
    std::vector<ColumnRole> roles;
    const char* idKind = nullptr;
    // Participants and results: left out of a template.
    bool participants = false;
    // What a template keeps of a table it does not leave out (null: every row).
    const char* templateCondition = nullptr;
};

// In the order of their references: a row refers only to rows of tables above it.
const std::vector<TableSpec>& tables()
{
    using enum Role;
    static const std::vector<TableSpec> specs = {
        {"barcodes",
         "WHERE t.competition_id = ?1",
         {{"id", OwnBarcode}, {"competition_id", Competition}},
         nullptr,
         false,
         "t.kind IN ('age_class', 'discipline')"},
        {"age_classes",
         "WHERE t.competition_id = ?1",
         {{"id", OwnId}, {"competition_id", Competition}, {"barcode", BarcodeRef}},
         "age_class"},
        {"clubs", "WHERE t.competition_id = ?1", {{"id", OwnId}, {"competition_id", Competition}}, "club", true},
        {"squads",
         "WHERE t.competition_id = ?1",
         {{"id", OwnId}, {"competition_id", Competition}, {"age_class_id", Ref}},
         "squad"},
        {"teams",
         "WHERE t.competition_id = ?1",
         {{"id", OwnId},
          {"competition_id", Competition},
          {"age_class_id", Ref},
          {"billing_club_id", Ref},
          {"barcode", BarcodeRef}},
         "team",
         true},
        {"squad_teams",
         "JOIN squads s ON s.id = t.squad_id WHERE s.competition_id = ?1",
         {{"team_id", Ref}, {"squad_id", Ref}},
         nullptr,
         true},
        {"athletes",
         "WHERE t.competition_id = ?1",
         {{"id", OwnId},
          {"competition_id", Competition},
          {"custom_barcode", BarcodeRef},
          {"team_id", Ref},
          {"club_id", Ref},
          {"barcode", BarcodeRef}},
         "athlete",
         true},
        {"athlete_bibs",
         "WHERE t.competition_id = ?1",
         {{"competition_id", Competition}, {"athlete_id", Ref}},
         nullptr,
         true},
        {"disciplines",
         "WHERE t.competition_id = ?1",
         {{"id", OwnId}, {"competition_id", Competition}, {"age_class_id", Ref}, {"barcode", BarcodeRef}},
         "discipline"},
        {"discipline_squads",
         "JOIN disciplines d ON d.id = t.discipline_id WHERE d.competition_id = ?1",
         {{"discipline_id", Ref}, {"squad_id", Ref}}},
        {"heat_assignments",
         "JOIN disciplines d ON d.id = t.discipline_id WHERE d.competition_id = ?1",
         {{"discipline_id", Ref}, {"athlete_id", Ref}, {"team_id", Ref}},
         nullptr,
         true},
        {"results",
         "JOIN disciplines d ON d.id = t.discipline_id WHERE d.competition_id = ?1",
         {{"id", OwnId}, {"discipline_id", Ref}, {"athlete_id", Ref}},
         "result",
         true},
        {"result_teams",
         "JOIN results r ON r.id = t.result_id JOIN disciplines d ON d.id = r.discipline_id "
         "WHERE d.competition_id = ?1",
         {{"result_id", Ref}, {"team_id", Ref}},
         nullptr,
         true},
        {"discipline_places",
         "WHERE t.competition_id = ?1",
         {{"id", OwnId}, {"competition_id", Competition}},
         "discipline_place"},
        {"places_of_disciplines",
         "JOIN discipline_places p ON p.id = t.place_id WHERE p.competition_id = ?1",
         {{"id", OwnId}, {"place_id", Ref}, {"discipline_id", Ref}},
         "place_of_discipline"},
        {"schedule_items",
         "JOIN squads s ON s.id = t.squad_id WHERE s.competition_id = ?1",
         {{"id", OwnId}, {"squad_id", Ref}, {"place_of_discipline_id", Ref}},
         "schedule_item"},
        {"global_parameters", "WHERE t.competition_id = ?1", {{"competition_id", Competition}}},
        {"aggregators",
         "WHERE t.competition_id = ?1",
         {{"id", OwnId}, {"competition_id", Competition}, {"cup_id", Skip}, {"origin_competition_id", Skip}},
         "aggregator"},
        {"aggregator_sources",
         "JOIN aggregators a ON a.id = t.aggregator_id WHERE a.competition_id = ?1",
         {{"aggregator_id", Ref}, {"provider_id", Ref}}},
        {"aggregator_parameters",
         "JOIN aggregators a ON a.id = t.aggregator_id WHERE a.competition_id = ?1",
         {{"aggregator_id", Ref}}},
        {"aggregator_collections",
         "WHERE t.competition_id = ?1",
         {{"id", OwnId}, {"competition_id", Competition}, {"cup_id", Skip}},
         "aggregator_collection"},
        {"aggregator_collection_nodes",
         "JOIN aggregator_collections k ON k.id = t.collection_id WHERE k.competition_id = ?1",
         {{"collection_id", Ref}, {"aggregator_id", Ref}}},
        {"aggregator_collection_order",
         "JOIN aggregator_collections k ON k.id = t.collection_id WHERE k.competition_id = ?1",
         {{"collection_id", Ref}}},
        // The infos of the competition and of every entity written; the others drop out as rows
        // whose reference is not in the file.
        {"ui_infos", "WHERE t.assoc_id <> 0", {{"assoc_id", Ref}}},
    };
    return specs;
}

Role roleOf(const TableSpec& spec, const std::string& column)
{
    for (const ColumnRole& r : spec.roles)
        if (column == r.column)
            return r.role;
    return Role::Value;
}

struct Column {
    std::string name;
    Role role;
};

std::vector<Column> columnsOf(Db& db, const TableSpec& spec)
{
    std::vector<Column> columns;
    Statement q = db.query((std::string("PRAGMA table_info(") + spec.table + ")").c_str());
    while (q.next()) {
        std::string name = q.textAt(1).toStdString();
        const Role role = roleOf(spec, name);
        columns.push_back({std::move(name), role});
    }
    return columns;
}

QString num(int value)
{
    return QString::number(value);
}

std::string realText(double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// ---- export --------------------------------------------------------------------------------------

class Exporter {
public:
    Exporter(Db& db, int competitionId, bool asTemplate) : db_(db), competition_(competitionId), template_(asTemplate)
    {
    }

    std::string run()
    {
        pugi::xml_document doc;
        pugi::xml_node root = doc.append_child("xmlCompetition");
        root.append_attribute("format") = kFormatVersion;
        root.append_attribute("template") = template_;
        writeCompetition(root);
        for (const TableSpec& spec : tables())
            if (!(template_ && spec.participants))
                writeTable(root.append_child("table"), spec);

        struct Writer : pugi::xml_writer {
            std::string text;
            void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
        } writer;
        doc.save(writer, "  ", pugi::format_default | pugi::format_no_declaration);
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + writer.text;
    }

private:
    int local(std::unordered_map<int, int>& map, int id)
    {
        const int n = int(map.size()) + 1;
        map.emplace(id, n);
        return n;
    }

    void writeCompetition(pugi::xml_node root)
    {
        Statement q =
            db_.query("SELECT name, date, billing_price_per_athlete FROM competitions WHERE id = ?", competition_);
        if (!q.next())
            throw ServerError(errors::CompetitionNotFound, {num(competition_)});
        pugi::xml_node comp = root.append_child("competition");
        comp.append_attribute("id") = local(ids_, competition_);
        comp.append_child("name").text() = q.textAt(0).toStdString().c_str();
        if (!q.isNullAt(1) && !q.textAt(1).isEmpty())
            comp.append_child("date").text() = q.textAt(1).toStdString().c_str();
        comp.append_child("billingPricePerAthlete").text() = realText(q.doubleAt(2)).c_str();
    }

    void writeTable(pugi::xml_node node, const TableSpec& spec)
    {
        node.append_attribute("name") = spec.table;
        const std::vector<Column> columns = columnsOf(db_, spec);
        std::string sql = "SELECT ";
        for (std::size_t i = 0; i < columns.size(); ++i)
            sql += (i ? ", t." : "t.") + columns[i].name;
        sql += std::string(" FROM ") + spec.table + " t " + spec.scope;
        if (template_ && spec.templateCondition)
            sql += std::string(" AND ") + spec.templateCondition;
        sql += " ORDER BY t.rowid";
        Statement q = db_.query(sql.c_str(), competition_);

        std::vector<std::pair<const char*, std::string>> values;
        while (q.next()) {
            values.clear();
            bool keep = true;
            int ownId = 0;
            Role ownRole = Role::Value;
            for (std::size_t i = 0; i < columns.size() && keep; ++i) {
                const int c = int(i);
                const Column& column = columns[i];
                if (column.role == Role::Competition || column.role == Role::Skip || q.isNullAt(c))
                    continue;
                switch (column.role) {
                case Role::OwnId:
                case Role::OwnBarcode:
                    ownId = q.intAt(c);
                    ownRole = column.role;
                    values.emplace_back(column.name.c_str(), std::string());
                    break;
                case Role::Ref:
                case Role::BarcodeRef: {
                    auto& map = column.role == Role::Ref ? ids_ : barcodes_;
                    auto it = map.find(q.intAt(c));
                    // Points outside what is written (another competition, a participant left out of
                    // a template): the row goes too.
                    if (it == map.end())
                        keep = false;
                    else
                        values.emplace_back(column.name.c_str(), std::to_string(it->second));
                    break;
                }
                default:
                    values.emplace_back(column.name.c_str(),
                                        q.isRealAt(c) ? realText(q.doubleAt(c)) : q.textAt(c).toStdString());
                }
            }
            if (!keep)
                continue;
            if (ownRole != Role::Value) {
                const int n = local(ownRole == Role::OwnId ? ids_ : barcodes_, ownId);
                for (auto& [name, value] : values)
                    if (value.empty() && roleOf(spec, name) == ownRole)
                        value = std::to_string(n);
            }
            pugi::xml_node row = node.append_child("row");
            for (const auto& [name, value] : values)
                row.append_attribute(name) = value.c_str();
        }
    }

    Db& db_;
    const int competition_;
    const bool template_;
    std::unordered_map<int, int> ids_;      // entity id -> local id
    std::unordered_map<int, int> barcodes_; // barcode id -> local id
};

// ---- import --------------------------------------------------------------------------------------

[[noreturn]] void refuse(const QString& detail)
{
    throw ServerError(errors::InvalidCompetitionFile, {detail});
}

class Importer {
public:
    Importer(Db& db) : db_(db), newId_(db.query("INSERT INTO ids (kind) VALUES (?)")) {}

    int run(const QString& text, const QString& name, const proto::XsDate& date)
    {
        const QByteArray utf8 = text.toUtf8();
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed =
            doc.load_buffer(utf8.constData(), std::size_t(utf8.size()), pugi::parse_default, pugi::encoding_utf8);
        if (!parsed)
            refuse(
                QStringLiteral("fehlerhaftes XML: %1")
                    .arg(proto::xmlProblemText(parsed, std::string_view(utf8.constData(), std::size_t(utf8.size())))));
        const pugi::xml_node root = doc.child("xmlCompetition");
        if (!root)
            refuse(QStringLiteral("das Element xmlCompetition fehlt"));
        if (root.attribute("format").as_int() != kFormatVersion)
            refuse(QStringLiteral("unbekannte Formatversion \"%1\"")
                       .arg(QString::fromUtf8(root.attribute("format").value())));
        const pugi::xml_node comp = root.child("competition");
        if (!comp || !comp.child("name"))
            refuse(QStringLiteral("das Element competition/name fehlt"));

        const int competitionId = createCompetition(comp, name, date);
        for (pugi::xml_node table = root.child("table"); table; table = table.next_sibling("table"))
            readTable(table, competitionId);
        return competitionId;
    }

private:
    int createCompetition(const pugi::xml_node& comp, const QString& name, const proto::XsDate& date)
    {
        const QString finalName = name.isEmpty() ? QString::fromUtf8(comp.child("name").text().get()) : name;
        proto::XsDate finalDate = date;
        if (!finalDate && comp.child("date")) {
            const QDate fileDate = QDate::fromString(QString::fromUtf8(comp.child("date").text().get()), Qt::ISODate);
            if (!fileDate.isValid())
                refuse(
                    QStringLiteral("ungültiges Datum \"%1\"").arg(QString::fromUtf8(comp.child("date").text().get())));
            finalDate = fileDate;
        }
        if (db_.query("SELECT 1 FROM competitions WHERE name = ?", finalName).next())
            throw ServerError(errors::NameInUse, {finalName});
        const int id = db_.nextId("competition");
        db_.query("INSERT INTO competitions (id, name, date, billing_price_per_athlete) VALUES (?, ?, ?, ?)", id,
                  finalName, finalDate, comp.child("billingPricePerAthlete").text().as_double())
            .run();
        ids_.emplace(comp.attribute("id").as_int(1), id);
        return id;
    }

    const TableSpec& specOf(const char* name) const
    {
        for (const TableSpec& spec : tables())
            if (std::string_view(spec.table) == name)
                return spec;
        refuse(QStringLiteral("unbekannte Tabelle \"%1\"").arg(QString::fromUtf8(name)));
    }

    static int localId(const pugi::xml_attribute& a, const QString& table)
    {
        int n = 0;
        const char* text = a.value();
        const char* end = text + std::strlen(text);
        if (std::from_chars(text, end, n).ptr != end || n <= 0)
            refuse(QStringLiteral("ungültige ID \"%1\" in %2").arg(QString::fromUtf8(text), table));
        return n;
    }

    void readTable(const pugi::xml_node& node, int competitionId)
    {
        const TableSpec& spec = specOf(node.attribute("name").value());
        const QString table = QString::fromUtf8(spec.table);
        const std::vector<Column> columns = columnsOf(db_, spec);
        auto columnOf = [&](const char* name) -> const Column* {
            for (const Column& c : columns)
                if (c.name == name)
                    return &c;
            return nullptr;
        };

        const bool hasCompetition =
            std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.role == Role::Competition; });
        // One statement per set of columns a row names: rows of one table normally all name the same.
        std::unordered_map<std::string, std::unique_ptr<Statement>> statements;
        for (pugi::xml_node row = node.child("row"); row; row = row.next_sibling("row")) {
            std::string key;
            const Column* own = nullptr;
            int ownLocal = 0;
            for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute()) {
                const Column* column = columnOf(a.name());
                if (!column || column->role == Role::Competition || column->role == Role::Skip)
                    refuse(QStringLiteral("unbekannte Spalte \"%1\" in %2").arg(QString::fromUtf8(a.name()), table));
                if (column->role == Role::OwnId || column->role == Role::OwnBarcode) {
                    own = column;
                    ownLocal = localId(a, table);
                    if (column->role == Role::OwnBarcode)
                        continue; // the barcode table hands out its own id
                }
                key += a.name();
                key += ',';
            }
            std::unique_ptr<Statement>& insert = statements[key];
            if (!insert) {
                std::string sql = std::string("INSERT INTO ") + spec.table + " (";
                std::string marks;
                for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute()) {
                    if (own && own->role == Role::OwnBarcode && own->name == a.name())
                        continue;
                    sql += std::string(marks.empty() ? "" : ", ") + a.name();
                    marks += marks.empty() ? "?" : ", ?";
                }
                for (const Column& c : columns)
                    if (c.role == Role::Competition) {
                        sql += std::string(marks.empty() ? "" : ", ") + c.name;
                        marks += marks.empty() ? "?" : ", ?";
                    }
                insert = std::make_unique<Statement>(db_.query((sql + ") VALUES (" + marks + ")").c_str()));
            }
            insert->reset();

            int newOwn = 0;
            if (own && own->role == Role::OwnId) {
                newId_.reset();
                newId_.bind(QString::fromUtf8(spec.idKind)).run();
                newOwn = db_.lastInsertId();
            }
            for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute()) {
                const Column* column = columnOf(a.name());
                switch (column->role) {
                case Role::OwnId: insert->bind(newOwn); break;
                case Role::OwnBarcode: break;
                case Role::Ref:
                case Role::BarcodeRef: {
                    const auto& map = column->role == Role::Ref ? ids_ : barcodes_;
                    auto it = map.find(localId(a, table));
                    if (it == map.end())
                        refuse(QStringLiteral("%1 verweist auf die unbekannte ID %2")
                                   .arg(table, QString::fromUtf8(a.value())));
                    insert->bind(it->second);
                    break;
                }
                default: insert->bind(QString::fromUtf8(a.value()));
                }
                if (std::string_view(spec.table) == "aggregators" && column->name == "template_id")
                    ensureAggregatorTemplate(db_, a.as_int());
            }
            if (hasCompetition)
                insert->bind(competitionId);
            insert->run();

            if (own) {
                auto& map = own->role == Role::OwnId ? ids_ : barcodes_;
                const int id = own->role == Role::OwnId ? newOwn : db_.lastInsertId();
                if (!map.emplace(ownLocal, id).second)
                    refuse(QStringLiteral("die ID %1 kommt in %2 zweimal vor").arg(ownLocal).arg(table));
            }
        }
    }

    Db& db_;
    Statement newId_;
    std::unordered_map<int, int> ids_;      // local id -> new entity id
    std::unordered_map<int, int> barcodes_; // local id -> new barcode id
};

} // namespace

QString exportCompetitionText(Db& db, int competitionId, bool asTemplate)
{
    requireCompetition(db, competitionId);
    return QString::fromStdString(Exporter(db, competitionId, asTemplate).run());
}

int importCompetitionText(Db& db, const QString& text, const QString& name, const proto::XsDate& date)
{
    try {
        return Importer(db).run(text, name.trimmed(), date);
    } catch (const ServerError&) {
        throw;
    } catch (const std::exception& e) {
        // A value the schema does not take (a broken reference, a kind it does not know).
        refuse(QString::fromUtf8(e.what()));
    }
}

namespace ops {

proto::exportCompetitionResponse1 exportCompetition(Call& c, const op::exportCompetition& a)
{
    proto::exportCompetitionResponse1 r;
    r.XmlStream = exportCompetitionText(c.database(), a.CompetitionID, a.AsTemplate);
    return r;
}

proto::importCompetitionResponse1 importCompetition(Call& c, const op::importCompetition& a)
{
    // The operation's savepoint drops everything of a refused file.
    proto::importCompetitionResponse1 r;
    r.CompetitionID = importCompetitionText(c.database(), a.XmlStream, a.CompetitionName, a.CompetitionDate);
    return r;
}

} // namespace ops

} // namespace tvp::standin
