#include "participants/LadvFiles.h"

#include "core/protocol/SoapCodec.h"
#include "core/util/Base64.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>

#include <pugixml.hpp>
#include <zip.h>

namespace tvp {

namespace {

[[noreturn]] void invalidFile()
{
    throw ELadvError(kInvalidImportFileText);
}

[[noreturn]] void invalidList()
{
    throw ELadvError(kInvalidCompetitionListText);
}

// A readable archive with at least one file in it; nothing is unpacked.
bool isZipWithAFile(const QByteArray& bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return false;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return false;
    }
    bool hasFile = false;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count && !hasFile; ++i) {
        const char* name = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_RAW);
        hasFile = name && *name && !std::string_view(name).ends_with('/');
    }
    zip_discard(archive); // frees the source too
    return hasFile;
}

} // namespace

std::optional<QString> decodeUtf8Text(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(view);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

TLadvImportStream participantFileStream(const QString& fileName, const QByteArray& bytes)
{
    TLadvImportStream stream;
    if (bytes.size() > kMaxParticipantFileBytes)
        invalidFile();
    if (fileName.endsWith(QLatin1String(".zip"))) {
        if (!isZipWithAFile(bytes))
            invalidFile();
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        stream.importStream = encodeByteStreamBase64(buffer);
        stream.streamType = proto::ParticipantsImportStreamFormatType::LADV_ZIP;
        return stream;
    }
    if (fileName.endsWith(QLatin1String(".xml"))) {
        // Text that is not UTF-8 would reach the server with its names garbled.
        std::optional<QString> text = decodeUtf8Text(bytes);
        if (!text)
            invalidFile();
        stream.importStream = std::move(*text);
        stream.streamType = proto::ParticipantsImportStreamFormatType::LADV;
        return stream;
    }
    invalidFile();
}

TLadvImportStream readParticipantFile(const QString& path)
{
    if (!path.endsWith(QLatin1String(".zip")) && !path.endsWith(QLatin1String(".xml")))
        invalidFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxParticipantFileBytes)
        invalidFile();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        invalidFile();
    return participantFileStream(path, bytes);
}

std::vector<proto::CompetitionListItemType> parseCompetitionList(const QByteArray& xml)
{
    pugi::xml_document doc;
    // The declaration is parsed only to be refused: entities of a document type are never expanded.
    const pugi::xml_parse_result parsed = doc.load_buffer(
        xml.constData(), std::size_t(xml.size()), pugi::parse_default | pugi::parse_doctype, pugi::encoding_utf8);
    if (!parsed)
        invalidList();
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype)
            invalidList();
    const pugi::xml_node root = doc.document_element();
    if (std::string_view(proto::codec::localName(root)) != "competitionList" ||
        proto::codec::namespaceOf(root) != proto::wire::kLadvNs)
        invalidList();
    proto::CompetitionList list;
    try {
        proto::codec::decodeRecord(root, list);
    } catch (const std::exception&) {
        invalidList();
    }
    // Every row of the window shows a competition's name and id.
    for (const proto::CompetitionListItemType& item : list.competitionToPublish)
        if (!item.competition)
            invalidList();
    return std::move(list.competitionToPublish);
}

QString competitionStatusText(proto::TCompetitionStatusType status)
{
    switch (status) {
    case proto::TCompetitionStatusType::created: return QStringLiteral("angelegt");
    case proto::TCompetitionStatusType::participantsLocked: return QStringLiteral("Meldeschluss");
    case proto::TCompetitionStatusType::completed: break;
    }
    return QStringLiteral("abgeschlossen");
}

std::vector<proto::CompetitionListItemType> openCompetitions(std::vector<proto::CompetitionListItemType> list)
{
    std::erase_if(list, [](const proto::CompetitionListItemType& item) {
        return item.competitionStatus == proto::TCompetitionStatusType::completed;
    });
    return list;
}

} // namespace tvp
