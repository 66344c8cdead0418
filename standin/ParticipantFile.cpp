#include "standin/ParticipantFile.h"

#include "core/protocol/XmlProblem.h"
#include "standin/ErrorMessages.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <memory>

namespace tvp::standin {

namespace {

constexpr const char* kNamespace = "http://trivanta.example/Trivanta/LADV_TVP_Interface";
constexpr qsizetype kMaxFileBytes = 64 * 1024 * 1024;

[[noreturn]] void refuse(const QString& why)
{
    throw ServerError(errors::InvalidParticipantFile, {why});
}

QString attribute(const pugi::xml_node& node, const char* name)
{
    return QString::fromUtf8(node.attribute(name).value()).trimmed();
}

void requireOnly(const pugi::xml_node& node, std::initializer_list<std::string_view> allowed)
{
    for (const pugi::xml_attribute& a : node.attributes()) {
        const std::string_view name = a.name();
        if (name == "xmlns")
            continue;
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end())
            refuse(QStringLiteral("unbekanntes Attribut \"%1\" an \"%2\"")
                       .arg(QString::fromUtf8(a.name()), QString::fromUtf8(node.name())));
    }
}

FileAthlete readAthlete(const pugi::xml_node& node, int team)
{
    requireOnly(node, {"givenName", "surName", "gender", "yearOfBirth", "club"});
    FileAthlete a;
    a.team = team;
    a.givenName = attribute(node, "givenName");
    a.surName = attribute(node, "surName");
    a.club = attribute(node, "club");
    if (a.givenName.isEmpty())
        refuse(QStringLiteral("ein Athlet ohne Vornamen"));
    const QString gender = attribute(node, "gender").toUpper();
    if (gender == u"M")
        a.gender = proto::GenderType::MALE;
    else if (gender == u"W")
        a.gender = proto::GenderType::FEMALE;
    else if (!gender.isEmpty())
        refuse(QStringLiteral("Geschlecht \"%1\" (erlaubt: M, W)").arg(gender));
    const QString year = attribute(node, "yearOfBirth");
    if (!year.isEmpty()) {
        bool ok = false;
        a.yearOfBirth = year.toInt(&ok);
        if (!ok || a.yearOfBirth < 1900 || a.yearOfBirth > 2999)
            refuse(QStringLiteral("Jahrgang \"%1\"").arg(year));
    }
    return a;
}

} // namespace

ParticipantFile parseParticipantFile(const QByteArray& xml)
{
    pugi::xml_document doc;
    // With doctype nodes kept, a document type declaration is seen and refused: no entity of it is
    // ever expanded.
    const pugi::xml_parse_result parsed = doc.load_buffer(
        xml.constData(), std::size_t(xml.size()), pugi::parse_default | pugi::parse_doctype, pugi::encoding_utf8);
    if (!parsed)
        refuse(QStringLiteral("kein gültiges XML (%1)")
                   .arg(proto::xmlProblemText(parsed, std::string_view(xml.constData(), std::size_t(xml.size())))));
    for (const pugi::xml_node& n : doc.children())
        if (n.type() == pugi::node_doctype)
            refuse(QStringLiteral("Dokumenttyp-Deklarationen sind nicht erlaubt"));
    const pugi::xml_node root = doc.document_element();
    if (std::string_view(root.name()) != "participants" ||
        std::string_view(root.attribute("xmlns").value()) != kNamespace)
        refuse(QStringLiteral("das Dokumentelement muss \"participants\" im LADV-Namensraum sein"));

    ParticipantFile file;
    for (const pugi::xml_node& child : root.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string_view name = child.name();
        if (name == "athlete") {
            file.athletes.push_back(readAthlete(child, -1));
        } else if (name == "team") {
            requireOnly(child, {"name", "ageClass"});
            FileTeam team{attribute(child, "name"), attribute(child, "ageClass")};
            if (team.name.isEmpty() || team.ageClass.isEmpty())
                refuse(QStringLiteral("ein Team ohne Namen oder Altersklasse"));
            file.teams.push_back(team);
            for (const pugi::xml_node& member : child.children()) {
                if (member.type() != pugi::node_element)
                    continue;
                if (std::string_view(member.name()) != "athlete")
                    refuse(QStringLiteral("unbekanntes Element \"%1\"").arg(QString::fromUtf8(member.name())));
                file.athletes.push_back(readAthlete(member, int(file.teams.size()) - 1));
            }
        } else {
            refuse(QStringLiteral("unbekanntes Element \"%1\"").arg(QString::fromUtf8(child.name())));
        }
    }
    if (file.athletes.empty())
        refuse(QStringLiteral("keine Teilnehmer"));
    return file;
}

namespace {

// The first ".xml" entry of the zip archive.
QByteArray xmlOfZip(const QString& base64)
{
    const auto decoded = QByteArray::fromBase64Encoding(base64.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        refuse(QStringLiteral("kein Base64-Text"));
    const QByteArray& bytes = decoded.decoded;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source)
        refuse(QStringLiteral("kein Zip-Archiv"));
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        refuse(QStringLiteral("kein Zip-Archiv"));
    }
    std::unique_ptr<zip_t, decltype(&zip_discard)> owned(archive, &zip_discard);
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            continue;
        if (!QString::fromUtf8(st.name).endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive))
            continue;
        if (st.size > zip_uint64_t(kMaxFileBytes))
            refuse(QStringLiteral("die Datei im Zip-Archiv ist zu groß"));
        std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive, zip_uint64_t(i), 0),
                                                                &zip_fclose);
        if (!file)
            refuse(QStringLiteral("die Datei im Zip-Archiv ist nicht lesbar"));
        QByteArray content(qsizetype(st.size), Qt::Uninitialized);
        if (zip_fread(file.get(), content.data(), st.size) != zip_int64_t(st.size))
            refuse(QStringLiteral("die Datei im Zip-Archiv ist nicht lesbar"));
        return content;
    }
    refuse(QStringLiteral("das Zip-Archiv enthält keine .xml-Datei"));
}

} // namespace

ParticipantFile readParticipantStream(proto::ParticipantsImportStreamFormatType format, const QString& stream)
{
    if (stream.size() > kMaxFileBytes)
        refuse(QStringLiteral("die Datei ist zu groß"));
    return parseParticipantFile(format == proto::ParticipantsImportStreamFormatType::LADV_ZIP ? xmlOfZip(stream)
                                                                                              : stream.toUtf8());
}

} // namespace tvp::standin
