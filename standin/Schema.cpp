// The schema of the stand-in's data file. Tables follow the protocol records: a record's editable
// fields are columns of its table, arrays of ids are tables of their own with a position, and
// enumerations are stored by their wire names. Everything of a competition hangs off it with
// ON DELETE CASCADE, so removing a competition removes its data; references between the entities
// of one competition have no action, so a handler that would leave one dangling fails instead of
// losing data silently. Ids of all entities come from the one sequence in ids, so an id names one
// thing on the whole server (providers of a scoring node may be disciplines or nodes).
//
// Never change a migration that has been released; add the next one.

#include "standin/Schema.h"

#include <stdexcept>
#include <string>

namespace tvp::standin {

namespace {

struct Migration {
    int version;
    const char* sql;
};

// clang-format off
const Migration kMigrations[] = {
{1, R"sql(
-- The first layout: competitions and UI infos.
CREATE TABLE IF NOT EXISTS ids (id INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS competitions (id INTEGER PRIMARY KEY, name TEXT NOT NULL, date TEXT);
CREATE TABLE IF NOT EXISTS ui_infos (key TEXT NOT NULL, assoc_id INTEGER NOT NULL, value TEXT NOT NULL,
                                     PRIMARY KEY (key, assoc_id));
)sql"},

{2, R"sql(
-- The whole competition domain.

-- CompetitionType; the price per athlete of setBillingPrice.
ALTER TABLE competitions ADD COLUMN billing_price_per_athlete REAL NOT NULL DEFAULT 0;
CREATE INDEX competitions_by_name ON competitions (name);

-- Barcode ids: unique on the whole server and never handed out twice, because printed sheets
-- outlive what they name. Each is of one kind, and an entity refers to it together with its own
-- kind, so no two entities share one. 'blank' ids are reserved for late registrations
-- (allocateBlancAthleteBarcode) and become an athlete's custom barcode.
CREATE TABLE barcodes (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    kind TEXT NOT NULL CHECK (kind IN ('athlete', 'team', 'age_class', 'discipline', 'blank')),
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    UNIQUE (id, kind)
);
CREATE INDEX barcodes_by_competition ON barcodes (competition_id, kind);

-- AgeClassType: team categories with their composition rules.
CREATE TABLE age_classes (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    billing_price_per_team REAL NOT NULL DEFAULT 0,
    min_team_members INTEGER NOT NULL DEFAULT 0,
    max_team_members INTEGER NOT NULL DEFAULT 0,
    min_members_per_gender INTEGER NOT NULL DEFAULT 0,
    male_members_less_than INTEGER NOT NULL DEFAULT 0,
    female_members_less_than INTEGER NOT NULL DEFAULT 0,
    barcode INTEGER NOT NULL UNIQUE,
    barcode_kind TEXT NOT NULL DEFAULT 'age_class' CHECK (barcode_kind = 'age_class'),
    FOREIGN KEY (barcode, barcode_kind) REFERENCES barcodes (id, kind)
);
CREATE INDEX age_classes_by_name ON age_classes (competition_id, name);

-- ClubType.
CREATE TABLE clubs (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    comment TEXT NOT NULL DEFAULT '',
    billing_address TEXT NOT NULL DEFAULT ''
);
CREATE INDEX clubs_by_name ON clubs (competition_id, name);

-- SquadType.
CREATE TABLE squads (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    age_class_id INTEGER REFERENCES age_classes (id),
    order_index INTEGER NOT NULL DEFAULT 0,
    custom_name TEXT NOT NULL DEFAULT ''
);
CREATE INDEX squads_by_order ON squads (competition_id, order_index);
CREATE INDEX squads_by_name ON squads (competition_id, custom_name);

-- TeamType; its member count and squad are read from athletes and squad_teams.
CREATE TABLE teams (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    age_class_id INTEGER REFERENCES age_classes (id),
    billing_club_id INTEGER REFERENCES clubs (id),
    barcode INTEGER NOT NULL UNIQUE,
    barcode_kind TEXT NOT NULL DEFAULT 'team' CHECK (barcode_kind = 'team'),
    FOREIGN KEY (barcode, barcode_kind) REFERENCES barcodes (id, kind)
);
CREATE INDEX teams_by_name ON teams (competition_id, name);
CREATE INDEX teams_by_age_class ON teams (age_class_id);

-- Squad membership: a team is in at most one squad, at its place among the squad's teams.
CREATE TABLE squad_teams (
    team_id INTEGER PRIMARY KEY REFERENCES teams (id) ON DELETE CASCADE,
    squad_id INTEGER NOT NULL REFERENCES squads (id) ON DELETE CASCADE,
    position INTEGER NOT NULL
);
CREATE INDEX squad_teams_by_squad ON squad_teams (squad_id, position);

-- AthleteType.
CREATE TABLE athletes (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    given_name TEXT NOT NULL DEFAULT '',
    sur_name TEXT NOT NULL DEFAULT '',
    gender TEXT NOT NULL DEFAULT 'NotSpecified' CHECK (gender IN ('MALE', 'FEMALE', 'NotSpecified')),
    year_of_birth INTEGER NOT NULL DEFAULT 0,
    custom_barcode INTEGER UNIQUE, -- NULL for none
    custom_barcode_kind TEXT NOT NULL DEFAULT 'blank' CHECK (custom_barcode_kind = 'blank'),
    team_id INTEGER REFERENCES teams (id),
    club_id INTEGER REFERENCES clubs (id),
    barcode INTEGER NOT NULL UNIQUE,
    barcode_kind TEXT NOT NULL DEFAULT 'athlete' CHECK (barcode_kind = 'athlete'),
    FOREIGN KEY (barcode, barcode_kind) REFERENCES barcodes (id, kind),
    FOREIGN KEY (custom_barcode, custom_barcode_kind) REFERENCES barcodes (id, kind)
);
CREATE INDEX athletes_by_name ON athletes (competition_id, sur_name, given_name);
CREATE INDEX athletes_by_team ON athletes (team_id);
CREATE INDEX athletes_by_club ON athletes (club_id);

-- AthleteInfoDataType.Bib: an athlete's bibs in order; a bib is unique within its competition.
CREATE TABLE athlete_bibs (
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    bib INTEGER NOT NULL,
    athlete_id INTEGER NOT NULL REFERENCES athletes (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    PRIMARY KEY (competition_id, bib)
);
CREATE INDEX athlete_bibs_by_athlete ON athlete_bibs (athlete_id, position);

-- DisciplinType with its ResultTableType (the result_table_ columns, all NULL when it has none;
-- results_per_row is the number of attempts) and the state of its competition list.
CREATE TABLE disciplines (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    result_assignment TEXT NOT NULL DEFAULT 'byAthleteOrTeam'
        CHECK (result_assignment IN ('byAthleteOrTeam', 'byBib', 'byLane')),
    age_class_id INTEGER REFERENCES age_classes (id),
    squad_assignment TEXT NOT NULL DEFAULT 'teamDistributed'
        CHECK (squad_assignment IN ('teamDistributed', 'teamGrouped', 'randomDistribution', 'allSquadsInOneHeat')),
    max_participants_per_heat INTEGER NOT NULL DEFAULT 0,
    result_table_team INTEGER,
    result_table_results_per_row INTEGER,
    result_table_unit_pattern TEXT,
    result_table_lower_values_higher_ranked INTEGER,
    participants_list_lock TEXT NOT NULL DEFAULT 'UNLOCKED'
        CHECK (participants_list_lock IN ('LOCKED', 'UNLOCKED', 'PENDING', 'NOTLOADED')),
    list_version INTEGER NOT NULL DEFAULT 0,
    barcode INTEGER NOT NULL UNIQUE,
    barcode_kind TEXT NOT NULL DEFAULT 'discipline' CHECK (barcode_kind = 'discipline'),
    FOREIGN KEY (barcode, barcode_kind) REFERENCES barcodes (id, kind)
);
CREATE INDEX disciplines_by_name ON disciplines (competition_id, name);

-- The squads assigned to a discipline (assignSquadsToDisc, getSquadDiscAssignments).
CREATE TABLE discipline_squads (
    discipline_id INTEGER NOT NULL REFERENCES disciplines (id) ON DELETE CASCADE,
    squad_id INTEGER NOT NULL REFERENCES squads (id) ON DELETE CASCADE,
    PRIMARY KEY (discipline_id, squad_id)
);
CREATE INDEX discipline_squads_by_squad ON discipline_squads (squad_id);

-- Competition lists: each participant of a discipline, an athlete or a team, in one heat at its
-- position; version counts its changes (VersionedParticipantsType), the discipline's list_version
-- those of the whole list.
CREATE TABLE heat_assignments (
    discipline_id INTEGER NOT NULL REFERENCES disciplines (id) ON DELETE CASCADE,
    athlete_id INTEGER REFERENCES athletes (id) ON DELETE CASCADE,
    team_id INTEGER REFERENCES teams (id) ON DELETE CASCADE,
    heat_no INTEGER NOT NULL,
    position INTEGER NOT NULL,
    version INTEGER NOT NULL DEFAULT 0,
    CHECK ((athlete_id IS NULL) <> (team_id IS NULL)),
    UNIQUE (discipline_id, athlete_id),
    UNIQUE (discipline_id, team_id)
);
CREATE INDEX heat_assignments_by_heat ON heat_assignments (discipline_id, heat_no, position);

-- AssignedResultType: one result of a participant in one attempt of a discipline, with the bib,
-- heat and lane it was captured under (NULL when not captured so).
CREATE TABLE results (
    id INTEGER PRIMARY KEY,
    discipline_id INTEGER NOT NULL REFERENCES disciplines (id) ON DELETE CASCADE,
    attempt INTEGER NOT NULL,
    athlete_id INTEGER REFERENCES athletes (id) ON DELETE CASCADE,
    bib INTEGER,
    heat_no INTEGER,
    lane INTEGER,
    kind TEXT NOT NULL CHECK (kind IN ('Distance', 'Time', 'Info', 'Rank', 'InfoString')),
    distance_in_meter REAL NOT NULL DEFAULT 0,
    time_in_seconds REAL NOT NULL DEFAULT 0,
    info TEXT NOT NULL DEFAULT 'disq' CHECK (info IN ('disq', 'aufg', 'na', 'ab', 'ung')),
    rank INTEGER NOT NULL DEFAULT 0,
    info_string TEXT NOT NULL DEFAULT ''
);
CREATE INDEX results_by_attempt ON results (discipline_id, attempt);
CREATE INDEX results_by_athlete ON results (athlete_id);

-- AssignedResultType.TeamId: the teams a result counts for, in order.
CREATE TABLE result_teams (
    result_id INTEGER NOT NULL REFERENCES results (id) ON DELETE CASCADE,
    team_id INTEGER NOT NULL REFERENCES teams (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    PRIMARY KEY (result_id, team_id)
);
CREATE INDEX result_teams_by_team ON result_teams (team_id);

-- DisciplinePlaceType: the facilities.
CREATE TABLE discipline_places (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    comment TEXT NOT NULL DEFAULT ''
);
CREATE INDEX discipline_places_by_name ON discipline_places (competition_id, name);

-- A facility's set of disciplines (PlaceOfDisciplineType); the row's id is the place mapping id
-- that schedule items name (DisciplinePlaceMapId).
CREATE TABLE places_of_disciplines (
    id INTEGER PRIMARY KEY,
    place_id INTEGER NOT NULL REFERENCES discipline_places (id) ON DELETE CASCADE,
    discipline_id INTEGER NOT NULL REFERENCES disciplines (id) ON DELETE CASCADE,
    UNIQUE (place_id, discipline_id)
);
CREATE INDEX places_of_disciplines_by_discipline ON places_of_disciplines (discipline_id);

-- ScheduleItemType: one per squad and facility place; time "HH:mm:ss", NULL without time.
CREATE TABLE schedule_items (
    id INTEGER PRIMARY KEY,
    squad_id INTEGER NOT NULL REFERENCES squads (id) ON DELETE CASCADE,
    place_of_discipline_id INTEGER NOT NULL REFERENCES places_of_disciplines (id) ON DELETE CASCADE,
    time TEXT,
    UNIQUE (squad_id, place_of_discipline_id)
);
CREATE INDEX schedule_items_by_place ON schedule_items (place_of_discipline_id);

-- GlobalParametersType of a competition.
CREATE TABLE global_parameters (
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    key TEXT NOT NULL,
    value REAL NOT NULL,
    is_read_only INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (competition_id, key)
);

-- CupType and the competitions it scores.
CREATE TABLE cups (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    min_team_participations INTEGER NOT NULL DEFAULT 0,
    min_athlete_participations INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX cups_by_name ON cups (name);

CREATE TABLE cup_competitions (
    cup_id INTEGER NOT NULL REFERENCES cups (id) ON DELETE CASCADE,
    competition_id INTEGER NOT NULL REFERENCES competitions (id) ON DELETE CASCADE,
    PRIMARY KEY (cup_id, competition_id)
);
CREATE INDEX cup_competitions_by_competition ON cup_competitions (competition_id);

-- Cup parameters (setCupParameter); a competition of the cup sees them read-only.
CREATE TABLE cup_parameters (
    cup_id INTEGER NOT NULL REFERENCES cups (id) ON DELETE CASCADE,
    key TEXT NOT NULL,
    value REAL NOT NULL,
    PRIMARY KEY (cup_id, key)
);

-- Cup items: the cup's age classes, teams and athletes, each completed or pending and the master
-- of items of its competitions. The item's own data are in the table of its kind.
CREATE TABLE cup_items (
    id INTEGER PRIMARY KEY,
    cup_id INTEGER NOT NULL REFERENCES cups (id) ON DELETE CASCADE,
    item_type TEXT NOT NULL CHECK (item_type IN ('AgeClass', 'Team', 'Athlete')),
    completed INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX cup_items_by_cup ON cup_items (cup_id, item_type);

CREATE TABLE cup_age_classes (
    cup_item_id INTEGER PRIMARY KEY REFERENCES cup_items (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    billing_price_per_team REAL NOT NULL DEFAULT 0,
    min_team_members INTEGER NOT NULL DEFAULT 0,
    max_team_members INTEGER NOT NULL DEFAULT 0,
    min_members_per_gender INTEGER NOT NULL DEFAULT 0,
    male_members_less_than INTEGER NOT NULL DEFAULT 0,
    female_members_less_than INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE cup_teams (
    cup_item_id INTEGER PRIMARY KEY REFERENCES cup_items (id) ON DELETE CASCADE,
    name TEXT NOT NULL
);

CREATE TABLE cup_athletes (
    cup_item_id INTEGER PRIMARY KEY REFERENCES cup_items (id) ON DELETE CASCADE,
    given_name TEXT NOT NULL DEFAULT '',
    sur_name TEXT NOT NULL DEFAULT '',
    gender TEXT NOT NULL DEFAULT 'NotSpecified' CHECK (gender IN ('MALE', 'FEMALE', 'NotSpecified')),
    year_of_birth INTEGER NOT NULL DEFAULT 0,
    custom_barcode INTEGER NOT NULL DEFAULT 0
);

-- The competition items a cup item stands for (assignCompItemToCupMaster): one of the three.
CREATE TABLE cup_item_members (
    cup_item_id INTEGER NOT NULL REFERENCES cup_items (id) ON DELETE CASCADE,
    age_class_id INTEGER REFERENCES age_classes (id) ON DELETE CASCADE,
    team_id INTEGER REFERENCES teams (id) ON DELETE CASCADE,
    athlete_id INTEGER REFERENCES athletes (id) ON DELETE CASCADE,
    CHECK ((age_class_id IS NOT NULL) + (team_id IS NOT NULL) + (athlete_id IS NOT NULL) = 1),
    UNIQUE (cup_item_id, age_class_id),
    UNIQUE (cup_item_id, team_id),
    UNIQUE (cup_item_id, athlete_id)
);
CREATE INDEX cup_item_members_by_age_class ON cup_item_members (age_class_id);
CREATE INDEX cup_item_members_by_team ON cup_item_members (team_id);
CREATE INDEX cup_item_members_by_athlete ON cup_item_members (athlete_id);

-- CustomColumnType and the values of cup items in it (CustomInformationType).
CREATE TABLE cup_custom_columns (
    id INTEGER PRIMARY KEY,
    cup_id INTEGER NOT NULL REFERENCES cups (id) ON DELETE CASCADE,
    item_type TEXT NOT NULL CHECK (item_type IN ('AgeClass', 'Team', 'Athlete')),
    name TEXT NOT NULL,
    order_index INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX cup_custom_columns_by_cup ON cup_custom_columns (cup_id, item_type, order_index);

CREATE TABLE cup_custom_values (
    cup_item_id INTEGER NOT NULL REFERENCES cup_items (id) ON DELETE CASCADE,
    column_id INTEGER NOT NULL REFERENCES cup_custom_columns (id) ON DELETE CASCADE,
    value TEXT NOT NULL,
    PRIMARY KEY (cup_item_id, column_id)
);
CREATE INDEX cup_custom_values_by_column ON cup_custom_values (column_id);

-- Scoring-node templates the server offers (ResultAggregatorTemplateType), with the result table
-- they take (the supported_ columns, NULL for any) and their declared parameters.
CREATE TABLE aggregator_templates (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    supported_team INTEGER,
    supported_results_per_row INTEGER,
    supported_unit_pattern TEXT,
    supported_lower_values_higher_ranked INTEGER
);
CREATE INDEX aggregator_templates_by_name ON aggregator_templates (name);

CREATE TABLE aggregator_template_parameters (
    template_id INTEGER NOT NULL REFERENCES aggregator_templates (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    type TEXT NOT NULL DEFAULT 'type_double' CHECK (type IN ('type_double')),
    name TEXT NOT NULL,
    PRIMARY KEY (template_id, position)
);

-- Scoring nodes (ResultAggregatorInstanceType) of a competition, or of a cup once promoted, with
-- the result table they produce. A node's label and its analysis and certificate marks are UI
-- infos under the node's id ("Label", "ResAgg_VisAnalysis", "ResAgg_VisCertificate").
CREATE TABLE aggregators (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER REFERENCES competitions (id) ON DELETE CASCADE,
    cup_id INTEGER REFERENCES cups (id) ON DELETE CASCADE,
    template_id INTEGER NOT NULL REFERENCES aggregator_templates (id),
    result_table_team INTEGER,
    result_table_results_per_row INTEGER,
    result_table_unit_pattern TEXT,
    result_table_lower_values_higher_ranked INTEGER,
    CHECK (competition_id IS NOT NULL OR cup_id IS NOT NULL)
);
CREATE INDEX aggregators_by_competition ON aggregators (competition_id);
CREATE INDEX aggregators_by_cup ON aggregators (cup_id);

-- A node's sources in order (ConnectedAggregators): disciplines or other nodes, by id.
CREATE TABLE aggregator_sources (
    aggregator_id INTEGER NOT NULL REFERENCES aggregators (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    provider_id INTEGER NOT NULL,
    PRIMARY KEY (aggregator_id, position)
);
CREATE INDEX aggregator_sources_by_provider ON aggregator_sources (provider_id);

-- A node's parameter values, in the order of its template's parameters.
CREATE TABLE aggregator_parameters (
    aggregator_id INTEGER NOT NULL REFERENCES aggregators (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    value TEXT NOT NULL,
    PRIMARY KEY (aggregator_id, position)
);

-- Aggregator collections (aggregatorCollectionType) of a competition or a cup, with their nodes
-- and special order indices, each list in order.
CREATE TABLE aggregator_collections (
    id INTEGER PRIMARY KEY,
    competition_id INTEGER REFERENCES competitions (id) ON DELETE CASCADE,
    cup_id INTEGER REFERENCES cups (id) ON DELETE CASCADE,
    name TEXT NOT NULL
);
CREATE INDEX aggregator_collections_by_owner ON aggregator_collections (competition_id, cup_id);

CREATE TABLE aggregator_collection_nodes (
    collection_id INTEGER NOT NULL REFERENCES aggregator_collections (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    aggregator_id INTEGER NOT NULL REFERENCES aggregators (id) ON DELETE CASCADE,
    PRIMARY KEY (collection_id, position)
);
CREATE INDEX aggregator_collection_nodes_by_node ON aggregator_collection_nodes (aggregator_id);

CREATE TABLE aggregator_collection_order (
    collection_id INTEGER NOT NULL REFERENCES aggregator_collections (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    order_index INTEGER NOT NULL,
    PRIMARY KEY (collection_id, position)
);

-- Items the browser client stores per web session (SessionInformationsType).
CREATE TABLE session_informations (
    session_id TEXT NOT NULL,
    key TEXT NOT NULL,
    information TEXT NOT NULL,
    PRIMARY KEY (session_id, key)
);
)sql"},

{3, R"sql(
-- UI infos are also looked up by their associated id alone: all infos of a node, and those of a
-- competition that is removed.
CREATE INDEX ui_infos_by_assoc ON ui_infos (assoc_id, key);
)sql"},

{4, R"sql(
-- heat_assignments.version is now the list version of the change that placed or last moved the
-- entry (it counted the entry's own moves before). When an older entry was placed is not known:
-- each is taken as placed in its list's current version, so a list printed before marks it as
-- changed rather than missing a change.
UPDATE heat_assignments SET version =
    (SELECT d.list_version FROM disciplines d WHERE d.id = heat_assignments.discipline_id);
)sql"},

{5, R"sql(
-- setResult finds the one result of a participant, or of a bib, in an attempt.
CREATE INDEX results_by_participant ON results (discipline_id, athlete_id, attempt);
CREATE INDEX results_by_bib ON results (discipline_id, attempt, bib);
)sql"},

{6, R"sql(
-- A compilation names disciplines too (a discipline's plain results are its own id), so its
-- entries are ids of nodes or disciplines, like aggregator_sources.provider_id. An entry goes with
-- the node or discipline it names; the compilation stays.
CREATE TABLE aggregator_collection_nodes_6 (
    collection_id INTEGER NOT NULL REFERENCES aggregator_collections (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    aggregator_id INTEGER NOT NULL,
    PRIMARY KEY (collection_id, position)
);
INSERT INTO aggregator_collection_nodes_6 (collection_id, position, aggregator_id)
    SELECT collection_id, position, aggregator_id FROM aggregator_collection_nodes;
DROP TABLE aggregator_collection_nodes;
ALTER TABLE aggregator_collection_nodes_6 RENAME TO aggregator_collection_nodes;
CREATE INDEX aggregator_collection_nodes_by_node ON aggregator_collection_nodes (aggregator_id);
CREATE TRIGGER aggregator_collection_nodes_drop_node AFTER DELETE ON aggregators
BEGIN
    DELETE FROM aggregator_collection_nodes WHERE aggregator_id = OLD.id;
END;
CREATE TRIGGER aggregator_collection_nodes_drop_discipline AFTER DELETE ON disciplines
BEGIN
    DELETE FROM aggregator_collection_nodes WHERE aggregator_id = OLD.id;
END;
)sql"},

{7, R"sql(
-- A cup scoring remembers the competition it was promoted from: demoting it goes back there with
-- that competition's sources. Cup items are looked up by the competition entry they stand for.
ALTER TABLE aggregators ADD COLUMN origin_competition_id INTEGER REFERENCES competitions (id) ON DELETE SET NULL;
CREATE INDEX cup_item_members_by_item ON cup_item_members (cup_item_id);
)sql"},
};
// clang-format on

int userVersion(Db& db)
{
    Statement q = db.query("PRAGMA user_version");
    return q.next() ? q.intAt(0) : 0;
}

} // namespace

int latestSchemaVersion()
{
    return std::end(kMigrations)[-1].version;
}

void migrate(Db& db, int target)
{
    for (const Migration& m : kMigrations) {
        if (m.version > target)
            break;
        // Read again inside the write lock: another process may have migrated meanwhile.
        db.exec("BEGIN IMMEDIATE");
        try {
            const int current = userVersion(db);
            if (current > latestSchemaVersion())
                throw std::runtime_error("Die Datendatei hat das Schema " + std::to_string(current) +
                                         ", dieser Stand-in-Server kennt nur bis " +
                                         std::to_string(latestSchemaVersion()) + ".");
            if (m.version > current) {
                db.exec(m.sql);
                db.exec(("PRAGMA user_version = " + std::to_string(m.version)).c_str());
            }
            db.exec("COMMIT");
        } catch (...) {
            db.exec("ROLLBACK");
            throw;
        }
    }
}

} // namespace tvp::standin
