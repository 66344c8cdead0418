#pragma once
// Word mail-merge documents (.docx packages): reading and editing the parts that name the data
// source, and linking a document to the CSV file the program writes beside it. Everything happens
// in memory; the target is replaced only by a complete package.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <functional>
#include <stdexcept>
#include <vector>

namespace tvp {

// The two parts the linking reads and edits, in this order.
inline const QString kMailMergeRelsPart = QStringLiteral("word/_rels/settings.xml.rels");
inline const QString kMailMergeSettingsPart = QStringLiteral("word/settings.xml");
QStringList mailMergePartNames();

// The named parts together may inflate to this much; a larger package is not linkable.
inline constexpr qint64 kMaxEditedPartsBytes = 16 * 1024 * 1024;

// A failure of reading, editing or writing a package, with a German text for the user.
class ECertDocError : public std::runtime_error {
public:
    explicit ECertDocError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

// The loaded parts, in the order of the names given.
using TXMLDocuments = std::vector<pugi::xml_document>;
using TXMLCallback = std::function<bool(TXMLDocuments& documents)>;

class TCertDocEditor {
public:
    // The source is read when a test or edit runs.
    explicit TCertDocEditor(QString sourceFile);
    // A source already in memory (nothing is read from disk).
    static TCertDocEditor fromBytes(QByteArray package);

    // Called by editXMLContent with the loaded parts; true saves them.
    TXMLCallback OnXMLEditCallback;

    // The callback's answer on the loaded parts; false without callback, for a source that is no
    // readable package, one whose entry names leave its root or repeat, a missing part, a part that
    // is not well-formed, or parts beyond kMaxEditedPartsBytes. Never throws.
    bool checkDoc(const TXMLCallback& test, const QStringList& partNames) const;

    // Writes the target: every entry of the source in its order, the named parts as the edit
    // callback left them (unchanged when it answered false), all others with their compressed
    // bytes copied. False without edit callback (nothing written). Throws ECertDocError when the
    // source cannot be read or the target not written; the target is then as it was.
    bool editXMLContent(const QString& targetFile, const QStringList& partNames) const;

private:
    TCertDocEditor() = default;
    QByteArray readSource() const;

    QString sourceFile_;
    QByteArray bytes_;
    bool inMemory_ = false;
};

// ---- the mail merge ----

// The test of a linkable mail-merge document: [0] relationships of the settings, [1] the settings.
bool isMailMergeDocument(const TXMLDocuments& documents);
// Points the data source at dataFile: the relationship rId1 at its file address, the query at
// queryPrefix + the raw path, and the active record dropped. Throws ECertDocError when the
// settings carry no query.
bool linkMailMergeDocument(TXMLDocuments& documents, const QString& dataFile, const QString& queryPrefix);
// "file://" + the path's UTF-8 bytes, with blank, "*", "#", "%", "<", ">" and every byte from 128
// on written as "%XX".
QString dataSourceTarget(const QString& path);

// Whether a file can be created in the folder of path. A file already at path is left alone: the
// test uses a temporary file of its own.
bool touchFile(const QString& path);
// The message text of a failed touchFile.
QString touchFileFailureText(const QString& path);

// ---- the three kinds of document ----

struct TDocKind {
    QString templateFile; // in the program's Templates folder
    QString missingTemplateCaption;
    QString noSelectionText;
    QString noSelectionCaption;
    QString creationCaption;
    QString copyFailedText;
    QString editFalseText;
    QString editErrorPrefix;
    QString queryPrefix;
    QString uiInfoKey;
};

const TDocKind& certDocKind();
const TDocKind& billingDocKind();
const TDocKind& scheduleDocKind();

// The standard template of the kind; it may not exist.
QString standardTemplatePath(const TDocKind& kind);

struct TLinkMessage {
    QString caption;
    QString text;
};

struct TLinkOutcome {
    bool store = false;                 // the target may be stored as the document's path
    bool copiedUnchanged = false;       // the source was no linkable mail merge
    std::vector<TLinkMessage> messages; // shown in this order, error id 0
};

// Links source into target with dataFile as its data source: write test of the data file, then
// the edit, or a plain copy of a document that cannot be linked (never over an existing file).
TLinkOutcome linkDocument(const TDocKind& kind, const QString& source, const QString& target, const QString& dataFile);

} // namespace tvp
