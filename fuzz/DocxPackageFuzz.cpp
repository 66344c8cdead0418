// Any bytes as a Word document to link: the test and the edit into a target in a folder of its
// own. Never a crash; nothing but the target appears in that folder, and a target is written only
// when the edit says so.

#include "scoring/CertDocTools.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    static const QString target = folder.filePath(QStringLiteral("Urkunde.docx"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    tvp::TCertDocEditor editor = tvp::TCertDocEditor::fromBytes(bytes);
    const bool linkable = editor.checkDoc(&tvp::isMailMergeDocument, tvp::mailMergePartNames());
    editor.OnXMLEditCallback = [](tvp::TXMLDocuments& documents) {
        return tvp::linkMailMergeDocument(documents, QStringLiteral("/tmp/U8 Mädchen.csv"),
                                          QStringLiteral("SELECT * FROM "));
    };
    bool written = false;
    try {
        written = editor.editXMLContent(target, tvp::mailMergePartNames());
    } catch (const tvp::ECertDocError&) {
    }
    const QStringList left = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (left.size() > (written ? 1 : 0))
        std::abort();
    // What was linked is linkable again.
    if (written && linkable) {
        QFile file(target);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        if (!tvp::TCertDocEditor::fromBytes(file.readAll())
                 .checkDoc(&tvp::isMailMergeDocument, tvp::mailMergePartNames()))
            std::abort();
    }
    QFile::remove(target);
    return 0;
}
