#include "scoring/CertDocTools.h"

#include "core/protocol/XmlProblem.h"
#include "core/util/AppPaths.h"
#include "core/util/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QTemporaryFile>

#include <zip.h>

#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace tvp {

namespace {

// A package read whole into memory; larger ones are refused before reading.
constexpr qint64 kMaxPackageBytes = 512LL * 1024 * 1024;

const QString kNoPackageText = QStringLiteral("Das Dokument ist kein lesbares Word-Dokument (.docx).");

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;

// Opens the bytes read-only; they must outlive the archive.
ZipPtr openPackage(const QByteArray& bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        throw ECertDocError(kNoPackageText);
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        throw ECertDocError(kNoPackageText);
    }
    return ZipPtr(archive);
}

// An entry name that a careless unpacker would place outside its folder.
bool leavesRoot(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return true;
    if (name.size() >= 2 && name[1] == ':')
        return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        if (name.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

std::string rawName(zip_t* archive, zip_uint64_t index)
{
    const char* name = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
    if (!name)
        throw ECertDocError(kNoPackageText);
    return name;
}

// Every name once and inside the package's root.
void checkNames(zip_t* archive)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    std::set<std::string> seen;
    for (zip_int64_t i = 0; i < count; ++i) {
        const std::string name = rawName(archive, zip_uint64_t(i));
        if (leavesRoot(name) || !seen.insert(name).second)
            throw ECertDocError(QStringLiteral("Das Dokument enthält ungültige oder doppelte Eintragsnamen."));
    }
}

// What the parser drops around the root element (the line break after the declaration, the
// final one) is put back when a part is saved, so an edit changes only what it edits.
struct PartFrame {
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    bool spliced = false;
    QByteArray prolog;
    QByteArray epilog;
};

struct LoadedParts {
    TXMLDocuments documents;
    std::vector<zip_int64_t> indices;
    std::vector<PartFrame> frames;
};

PartFrame frameOf(const pugi::xml_document& document, const QByteArray& content, pugi::xml_encoding encoding)
{
    PartFrame frame;
    frame.encoding = encoding;
    const pugi::xml_node root = document.document_element();
    if (encoding != pugi::encoding_utf8 || !root || document.last_child() != root)
        return frame;
    const std::ptrdiff_t nameAt = root.offset_debug();
    const qsizetype end = content.lastIndexOf('>');
    if (nameAt < 1 || nameAt > content.size() || content[qsizetype(nameAt) - 1] != '<' || end < nameAt)
        return frame;
    frame.prolog = content.left(qsizetype(nameAt) - 1);
    frame.epilog = content.mid(end + 1);
    frame.spliced = true;
    return frame;
}

constexpr unsigned kParseFlags = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol;

LoadedParts loadParts(zip_t* archive, const QStringList& partNames)
{
    LoadedParts parts;
    parts.documents.resize(std::size_t(partNames.size()));
    qint64 budget = kMaxEditedPartsBytes;
    const QString tooLarge = QStringLiteral("Die Einstellungen des Dokuments sind zu groß.");
    for (qsizetype p = 0; p < partNames.size(); ++p) {
        const QByteArray name = partNames[p].toUtf8();
        const zip_int64_t index = zip_name_locate(archive, name.constData(), ZIP_FL_ENC_RAW);
        if (index < 0)
            throw ECertDocError(QStringLiteral("Der Teil \"%1\" fehlt im Dokument.").arg(partNames[p]));
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0)
            throw ECertDocError(kNoPackageText);
        if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(budget))
            throw ECertDocError(tooLarge);
        std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive, zip_uint64_t(index), 0));
        if (!file)
            throw ECertDocError(kNoPackageText);
        // The stated size may lie: stop reading at the budget, whatever the entry claims.
        QByteArray content;
        char buffer[64 * 1024];
        for (;;) {
            const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
            if (n < 0)
                throw ECertDocError(kNoPackageText);
            if (n == 0)
                break;
            budget -= n;
            if (budget < 0)
                throw ECertDocError(tooLarge);
            content.append(buffer, qsizetype(n));
        }
        const pugi::xml_parse_result result =
            parts.documents[std::size_t(p)].load_buffer(content.constData(), std::size_t(content.size()), kParseFlags);
        if (!result)
            throw ECertDocError(
                QStringLiteral("Der Teil \"%1\" ist kein gültiges XML: %2.")
                    .arg(partNames[p], proto::xmlProblemText(result, std::string_view(content.constData(),
                                                                                      std::size_t(content.size())))));
        parts.indices.push_back(index);
        parts.frames.push_back(frameOf(parts.documents[std::size_t(p)], content, result.encoding));
    }
    return parts;
}

class ByteWriter : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override
    {
        bytes.append(static_cast<const char*>(data), qsizetype(size));
    }
    QByteArray bytes;
};

// As read: nothing indented, the declaration and whatever surrounded the root kept.
QByteArray saveDocument(const pugi::xml_document& document, const PartFrame& frame)
{
    ByteWriter writer;
    if (!frame.spliced) {
        document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, frame.encoding);
        return std::move(writer.bytes);
    }
    writer.bytes = frame.prolog;
    document.document_element().print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    writer.bytes.append(frame.epilog);
    return std::move(writer.bytes);
}

[[noreturn]] void zipFailure(zip_t* archive)
{
    throw ECertDocError(QStringLiteral("Das Dokument konnte nicht geschrieben werden: %1")
                            .arg(QString::fromLocal8Bit(zip_strerror(archive))));
}

// The new package in memory: the source's entries in order, the edited parts in place of theirs.
SourcePtr buildPackage(zip_t* source, const std::vector<zip_int64_t>& editedIndices,
                       const std::vector<QByteArray>& editedBytes)
{
    zip_error_t error;
    zip_error_init(&error);
    SourcePtr out(zip_source_buffer_create(nullptr, 0, 0, &error));
    zip_error_fini(&error);
    if (!out)
        throw ECertDocError(QStringLiteral("Das Dokument konnte nicht geschrieben werden."));
    zip_source_keep(out.get()); // the archive's close would free it otherwise
    zip_error_init(&error);
    ZipPtr target(zip_open_from_source(out.get(), ZIP_TRUNCATE, &error));
    zip_error_fini(&error);
    if (!target) {
        throw ECertDocError(QStringLiteral("Das Dokument konnte nicht geschrieben werden."));
    }
    const zip_int64_t count = zip_get_num_entries(source, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const std::string name = rawName(source, zip_uint64_t(i));
        zip_stat_t stat;
        if (zip_stat_index(source, zip_uint64_t(i), 0, &stat) != 0)
            throw ECertDocError(kNoPackageText);
        zip_source_t* data = nullptr;
        bool edited = false;
        for (std::size_t e = 0; e < editedIndices.size(); ++e) {
            if (editedIndices[e] == i) {
                data =
                    zip_source_buffer(target.get(), editedBytes[e].constData(), zip_uint64_t(editedBytes[e].size()), 0);
                edited = true;
            }
        }
        if (!edited)
            data = zip_source_zip(target.get(), source, zip_uint64_t(i), 0, 0, -1); // compressed bytes as they are
        if (!data)
            zipFailure(target.get());
        const zip_int64_t added = zip_file_add(target.get(), name.c_str(), data, ZIP_FL_ENC_RAW);
        if (added < 0) {
            zip_source_free(data);
            zipFailure(target.get());
        }
        const bool stored = (stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_STORE;
        if (stored && zip_set_file_compression(target.get(), zip_uint64_t(added), ZIP_CM_STORE, 0) != 0)
            zipFailure(target.get());
        if (edited && !stored && zip_set_file_compression(target.get(), zip_uint64_t(added), ZIP_CM_DEFLATE, 6) != 0)
            zipFailure(target.get());
        if ((stat.valid & ZIP_STAT_MTIME) && zip_file_set_mtime(target.get(), zip_uint64_t(added), stat.mtime, 0) != 0)
            zipFailure(target.get());
    }
    if (zip_close(target.get()) != 0)
        zipFailure(target.get());
    (void)target.release(); // closed
    return out;
}

void writePackage(const QString& targetFile, zip_source_t* package)
{
    QString error;
    const bool written = writeFileWhole(
        targetFile,
        [package](QIODevice& device) {
            if (zip_source_open(package) != 0)
                return false;
            char buffer[64 * 1024];
            bool ok = true;
            for (;;) {
                const zip_int64_t n = zip_source_read(package, buffer, sizeof buffer);
                if (n <= 0) {
                    ok = n == 0;
                    break;
                }
                if (device.write(buffer, n) != n) {
                    ok = false;
                    break;
                }
            }
            zip_source_close(package);
            return ok;
        },
        &error);
    if (!written)
        throw ECertDocError(error);
}

} // namespace

QStringList mailMergePartNames()
{
    return {kMailMergeRelsPart, kMailMergeSettingsPart};
}

ECertDocError::ECertDocError(const QString& message) : std::runtime_error(message.toStdString()), message_(message)
{
}

// ---- the editor ----

TCertDocEditor::TCertDocEditor(QString sourceFile) : sourceFile_(std::move(sourceFile))
{
}

TCertDocEditor TCertDocEditor::fromBytes(QByteArray package)
{
    TCertDocEditor editor;
    editor.bytes_ = std::move(package);
    editor.inMemory_ = true;
    return editor;
}

QByteArray TCertDocEditor::readSource() const
{
    if (inMemory_)
        return bytes_;
    QFile file(sourceFile_);
    if (!file.open(QIODevice::ReadOnly))
        throw ECertDocError(QStringLiteral("Das Dokument \"%1\" konnte nicht gelesen werden.").arg(sourceFile_));
    if (file.size() > kMaxPackageBytes)
        throw ECertDocError(kNoPackageText);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ECertDocError(QStringLiteral("Das Dokument \"%1\" konnte nicht gelesen werden.").arg(sourceFile_));
    return bytes;
}

bool TCertDocEditor::checkDoc(const TXMLCallback& test, const QStringList& partNames) const
{
    if (!test)
        return false;
    try {
        const QByteArray bytes = readSource();
        const ZipPtr archive = openPackage(bytes);
        checkNames(archive.get());
        LoadedParts parts = loadParts(archive.get(), partNames);
        return test(parts.documents);
    } catch (...) {
        return false;
    }
}

bool TCertDocEditor::editXMLContent(const QString& targetFile, const QStringList& partNames) const
{
    if (!OnXMLEditCallback)
        return false;
    const QByteArray bytes = readSource();
    const ZipPtr archive = openPackage(bytes);
    checkNames(archive.get());
    LoadedParts parts = loadParts(archive.get(), partNames);
    std::vector<zip_int64_t> editedIndices;
    std::vector<QByteArray> editedBytes;
    if (OnXMLEditCallback(parts.documents)) {
        editedIndices = parts.indices;
        for (std::size_t i = 0; i < parts.documents.size(); ++i)
            editedBytes.push_back(saveDocument(parts.documents[i], parts.frames[i]));
    }
    const SourcePtr package = buildPackage(archive.get(), editedIndices, editedBytes);
    writePackage(targetFile, package.get());
    return true;
}

// ---- the mail merge ----

bool isMailMergeDocument(const TXMLDocuments& documents)
{
    if (documents.size() < 2)
        return false;
    bool linked = false;
    for (pugi::xml_node relation : documents[0].document_element().children()) {
        if (relation.type() != pugi::node_element)
            continue;
        if (std::string_view(relation.attribute("Id").value()) == "rId1" &&
            std::string_view(relation.attribute("Target").value()).starts_with("file://")) {
            linked = true;
            break;
        }
    }
    if (!linked)
        return false;
    const QString query = QString::fromUtf8(
        documents[1].document_element().child("w:mailMerge").child("w:query").attribute("w:val").value());
    return query.toUpper().startsWith(QLatin1String("SELECT"));
}

bool linkMailMergeDocument(TXMLDocuments& documents, const QString& dataFile, const QString& queryPrefix)
{
    if (documents.size() < 2)
        throw ECertDocError(QStringLiteral("Die Einstellungen des Seriendrucks fehlen."));
    const QByteArray target = dataSourceTarget(dataFile).toUtf8();
    for (pugi::xml_node relation : documents[0].document_element().children()) {
        if (relation.type() == pugi::node_element && std::string_view(relation.attribute("Id").value()) == "rId1") {
            pugi::xml_attribute attribute = relation.attribute("Target");
            if (!attribute)
                attribute = relation.append_attribute("Target");
            attribute.set_value(target.constData());
        }
    }
    pugi::xml_node mailMerge = documents[1].document_element().child("w:mailMerge");
    pugi::xml_attribute query = mailMerge.child("w:query").attribute("w:val");
    if (!query)
        throw ECertDocError(QStringLiteral("Die Abfrage des Seriendrucks fehlt."));
    query.set_value((queryPrefix + dataFile).toUtf8().constData());
    // Word would start the merge at a record of the old data.
    mailMerge.remove_child("w:activeRecord");
    return true;
}

QString dataSourceTarget(const QString& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out("file://");
    for (const char c : path.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 128 || c == ' ' || c == '*' || c == '#' || c == '%' || c == '<' || c == '>') {
            out.append('%');
            out.append(kHex[byte >> 4]);
            out.append(kHex[byte & 0xF]);
        } else {
            out.append(c);
        }
    }
    return QString::fromUtf8(out);
}

bool touchFile(const QString& path)
{
    // A file of our own: an existing data file must survive a run that fails later on.
    QTemporaryFile probe(QFileInfo(path).absolutePath() + QStringLiteral("/.tvp-write-test-XXXXXX"));
    probe.setAutoRemove(false);
    if (!probe.open())
        return false;
    probe.close();
    return QFile::remove(probe.fileName());
}

QString touchFileFailureText(const QString& path)
{
    QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return QStringLiteral("Die Vorlage konnte nicht erstellt werden. Sind Schreibberechtigungen in \"") + folder +
           QStringLiteral("\" vorhanden?");
}

// ---- the three kinds ----

const TDocKind& certDocKind()
{
    static const TDocKind kind{
        QStringLiteral("Urkundenvorlage.docx"),
        QStringLiteral("Urkunden einrichten"),
        QStringLiteral("Bitte Urkundenvorlage aus Liste wählen"),
        QStringLiteral("Urkunde einrichten"),
        QStringLiteral("Urkundenvorlage anlegen"),
        QStringLiteral("Urkundenvorlage konnte nicht erstellt werden."),
        QStringLiteral("Die Datenquelle konnte nicht mit der Urkundenvorlage verknüpft werden."),
        QStringLiteral("Fehler beim Erstellen der Urkundenvorlage: "),
        QStringLiteral("SELECT * FROM "),
        QStringLiteral("AggColl_CertDocPath"),
    };
    return kind;
}

const TDocKind& billingDocKind()
{
    static const TDocKind kind{
        QStringLiteral("Quittungsvorlage.docx"),
        QStringLiteral("Quittungen einrichten"),
        QStringLiteral("Bitte Quittungsvorlage aus Liste wählen"),
        QStringLiteral("Quittungen einrichten"),
        QStringLiteral("Quittungsvorlage anlegen"),
        QStringLiteral("Quittungsvorlage konnte nicht erstellt werden."),
        QStringLiteral("Die Datenquelle konnte nicht mit der Quittungsvorlage verknüpft werden."),
        QStringLiteral("Fehler beim Erstellen der Quittungsvorlage: "),
        QStringLiteral("Select * FROM "),
        QStringLiteral("Comp_BillingDocPath"),
    };
    return kind;
}

const TDocKind& scheduleDocKind()
{
    static const TDocKind kind{
        QStringLiteral("Ablaufplanvorlage.docx"),
        QStringLiteral("Ablaufplan einrichten"),
        QStringLiteral("Bitte Ablaufplanvorlage aus Liste wählen"),
        QStringLiteral("Ablaufplan einrichten"),
        QStringLiteral("Ablaufplanvorlage anlegen"),
        QStringLiteral("Ablaufplanvorlage konnte nicht erstellt werden."),
        QStringLiteral("Die Datenquelle konnte nicht mit der Ablaufplanvorlage verknüpft werden."),
        QStringLiteral("Fehler beim Erstellen der Ablaufplanvorlage: "),
        QStringLiteral("Select * FROM "),
        QStringLiteral("Comp_TeamScheduleDocPath"),
    };
    return kind;
}

QString standardTemplatePath(const TDocKind& kind)
{
    return AppPaths::programDir() + QStringLiteral("Templates/") + kind.templateFile;
}

TLinkOutcome linkDocument(const TDocKind& kind, const QString& source, const QString& target, const QString& dataFile)
{
    TLinkOutcome outcome;
    if (!touchFile(dataFile)) {
        outcome.messages.push_back({QStringLiteral("Vorlage anlegen"), touchFileFailureText(dataFile)});
        return outcome;
    }
    TCertDocEditor editor(source);
    if (!editor.checkDoc(&isMailMergeDocument, mailMergePartNames())) {
        outcome.messages.push_back(
            {kind.creationCaption, QStringLiteral("Das gewählte Dokument kann nicht automatisch mit der Datenquelle "
                                                  "verknüpft werden und muss manuell eingerichtet werden.")});
        // Never over an existing file: the user chose it without knowing the document stays as it is.
        QFile in(source);
        const bool copied =
            !QFileInfo::exists(target) && in.open(QIODevice::ReadOnly) && writeFileWhole(target, [&in](QIODevice& out) {
                char buffer[64 * 1024];
                for (;;) {
                    const qint64 n = in.read(buffer, sizeof buffer);
                    if (n <= 0)
                        return n == 0;
                    if (out.write(buffer, n) != n)
                        return false;
                }
            });
        if (!copied) {
            outcome.messages.push_back({kind.creationCaption, kind.copyFailedText});
            return outcome;
        }
        outcome.copiedUnchanged = true;
        outcome.store = true;
        return outcome;
    }
    editor.OnXMLEditCallback = [&](TXMLDocuments& documents) {
        return linkMailMergeDocument(documents, dataFile, kind.queryPrefix);
    };
    try {
        if (!editor.editXMLContent(target, mailMergePartNames())) {
            outcome.messages.push_back({kind.creationCaption, kind.editFalseText});
            return outcome;
        }
    } catch (const ECertDocError& e) {
        outcome.messages.push_back({kind.creationCaption, kind.editErrorPrefix + e.message()});
        return outcome;
    } catch (const std::exception& e) {
        outcome.messages.push_back({kind.creationCaption, kind.editErrorPrefix + QString::fromUtf8(e.what())});
        return outcome;
    }
    outcome.store = true;
    return outcome;
}

} // namespace tvp
