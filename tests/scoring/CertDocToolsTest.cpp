// Linking mail-merge documents: the standard templates, the test and the edit of the two parts,
// packages that must not be linked, and files of the user that a failing run must leave alone.

#include "scoring/CertDocTools.h"
#include "tests/scoring/DocxPackages.h"
#include "tests/support/FileLimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

const QByteArray kRels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"rId1\" Type=\"mailMergeSource\" Target=\"file:///alt.csv\" "
                         "TargetMode=\"External\"/></Relationships>";
const QByteArray kSettings = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                             "<w:settings xmlns:w=\"w\" xmlns:r=\"r\"><w:mailMerge><w:query "
                             "w:val=\"select * from /alt.csv\"/><w:dataSource r:id=\"rId1\"/><w:activeRecord "
                             "w:val=\"3\"/></w:mailMerge></w:settings>";

std::vector<DocxEntry> mailMergeEntries(const QByteArray& rels = kRels, const QByteArray& settings = kSettings)
{
    return {{"[Content_Types].xml", "<Types/>"},
            {"word/document.xml", QByteArray(3000, 'x'), true},
            {"word/_rels/settings.xml.rels", rels},
            {"word/settings.xml", settings}};
}

std::vector<QStringList> folderState(const QString& path)
{
    std::vector<QStringList> state;
    state.push_back(QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    return state;
}

bool linkable(const QByteArray& package)
{
    return TCertDocEditor::fromBytes(package).checkDoc(&isMailMergeDocument, mailMergePartNames());
}

} // namespace

TEST(CertDocTools, StandardTemplatesLinkAndKeepEveryOtherEntry)
{
    QTemporaryDir dir;
    for (const TDocKind* kind : {&certDocKind(), &billingDocKind(), &scheduleDocKind()}) {
        SCOPED_TRACE(kind->templateFile.toStdString());
        const QString source = standardTemplate(kind->templateFile);
        const QByteArray before = readAll(source);
        ASSERT_FALSE(before.isEmpty());
        EXPECT_TRUE(linkable(before));
        const QString target = dir.filePath(kind->templateFile);
        const QString dataFile = dir.filePath(QStringLiteral("U8 Mädchen.csv"));
        const TLinkOutcome outcome = linkDocument(*kind, source, target, dataFile);
        EXPECT_TRUE(outcome.store);
        EXPECT_FALSE(outcome.copiedUnchanged);
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_FALSE(QFileInfo::exists(dataFile)); // only tested, never written here

        const std::vector<ReadEntry> in = readPackage(before);
        const std::vector<ReadEntry> out = readPackage(readAll(target));
        ASSERT_EQ(out.size(), in.size());
        for (std::size_t i = 0; i < in.size(); ++i) {
            EXPECT_EQ(out[i].name, in[i].name);
            if (in[i].name == "word/settings.xml" || in[i].name == "word/_rels/settings.xml.rels")
                continue;
            EXPECT_EQ(out[i].content, in[i].content) << in[i].name;
            EXPECT_EQ(out[i].compressedSize, in[i].compressedSize) << in[i].name; // copied, not repacked
        }
        // The two parts as they were but for the data source: declaration and layout stay.
        const QByteArray encoded = dataSourceTarget(dataFile).toUtf8();
        EXPECT_TRUE(encoded.endsWith("/U8%20M%C3%A4dchen.csv"));
        QByteArray rels = findEntry(in, "word/_rels/settings.xml.rels")->content;
        const qsizetype from = rels.indexOf("Target=\"file://") + 8;
        rels.replace(from, rels.indexOf('"', from) - from, encoded);
        EXPECT_EQ(findEntry(out, "word/_rels/settings.xml.rels")->content, rels);
        QByteArray settings = findEntry(in, "word/settings.xml")->content;
        const qsizetype query = settings.indexOf("<w:query w:val=\"") + 16;
        settings.replace(query, settings.indexOf('"', query) - query, (kind->queryPrefix + dataFile).toUtf8());
        settings.replace("<w:activeRecord w:val=\"1\"/>", "");
        EXPECT_EQ(findEntry(out, "word/settings.xml")->content, settings);

        // A second run on the linked document links it again, to the new file.
        EXPECT_TRUE(linkable(readAll(target)));
        const QString again = dir.filePath(QStringLiteral("again.docx"));
        EXPECT_TRUE(linkDocument(*kind, target, again, dir.filePath(QStringLiteral("neu.csv"))).store);
        const std::vector<ReadEntry> relinked = readPackage(readAll(again));
        EXPECT_TRUE(findEntry(relinked, "word/settings.xml")->content.contains("neu.csv\"/>"));
        EXPECT_FALSE(findEntry(relinked, "word/settings.xml")->content.contains("U8 M"));
        QFile::remove(again);
    }
}

TEST(CertDocTools, PartsSavedUnchangedComeOutByteForByte)
{
    QTemporaryDir dir;
    const QByteArray package = readAll(standardTemplate(QStringLiteral("Urkundenvorlage.docx")));
    TCertDocEditor editor = TCertDocEditor::fromBytes(package);
    editor.OnXMLEditCallback = [](TXMLDocuments&) { return true; };
    const QString target = dir.filePath(QStringLiteral("a.docx"));
    ASSERT_TRUE(editor.editXMLContent(target, mailMergePartNames()));
    const std::vector<ReadEntry> in = readPackage(package);
    const std::vector<ReadEntry> out = readPackage(readAll(target));
    ASSERT_EQ(out.size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        EXPECT_EQ(out[i].content, in[i].content) << in[i].name;

    // A stored entry stays stored; a callback answering false writes the source's content.
    const QByteArray crafted = makePackage(mailMergeEntries());
    TCertDocEditor keep = TCertDocEditor::fromBytes(crafted);
    keep.OnXMLEditCallback = [](TXMLDocuments&) { return false; };
    ASSERT_TRUE(keep.editXMLContent(target, mailMergePartNames()));
    const std::vector<ReadEntry> kept = readPackage(readAll(target));
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[1].method, ZIP_CM_STORE);
    EXPECT_EQ(kept[3].content, kSettings);

    // Without edit callback nothing is written.
    TCertDocEditor none = TCertDocEditor::fromBytes(crafted);
    EXPECT_FALSE(none.editXMLContent(dir.filePath(QStringLiteral("b.docx")), mailMergePartNames()));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("b.docx"))));
}

TEST(CertDocTools, TheTestOfAMailMergeDocument)
{
    EXPECT_TRUE(linkable(makePackage(mailMergeEntries())));
    // An rId1 with another target is passed over when a later one points at a file.
    QByteArray rels = kRels;
    rels.replace("<Relationship Id", "<Relationship Id=\"rId1\" Target=\"http://x\"/><Relationship Id");
    EXPECT_TRUE(linkable(makePackage(mailMergeEntries(rels))));
    QByteArray noFile = kRels;
    noFile.replace("file:///alt.csv", "alt.csv");
    EXPECT_FALSE(linkable(makePackage(mailMergeEntries(noFile))));
    QByteArray blanks = kSettings;
    blanks.replace("w:val=\"select", "w:val=\"  select");
    EXPECT_FALSE(linkable(makePackage(mailMergeEntries(kRels, blanks))));
    QByteArray noMerge = kSettings;
    noMerge.replace("w:mailMerge", "w:other");
    EXPECT_FALSE(linkable(makePackage(mailMergeEntries(kRels, noMerge))));
    EXPECT_FALSE(linkable(makePackage(mailMergeEntries(kRels, "<w:settings><w:mailMerge>"))));
    EXPECT_FALSE(linkable(makePackage({{"word/settings.xml", kSettings}})));
    EXPECT_FALSE(linkable("PK\x03\x04 no zip at all"));
    EXPECT_FALSE(TCertDocEditor::fromBytes(makePackage(mailMergeEntries())).checkDoc({}, mailMergePartNames()));

    EXPECT_EQ(dataSourceTarget(QStringLiteral("/home/anna/U8 Mädchen.csv")),
              QStringLiteral("file:///home/anna/U8%20M%C3%A4dchen.csv"));
    EXPECT_EQ(dataSourceTarget(QStringLiteral("/a/#1*<%>\\:b.csv")),
              QStringLiteral("file:///a/%231%2A%3C%25%3E\\:b.csv"));
}

TEST(CertDocTools, PackagesThatMustNotBeLinked)
{
    // Names leaving the package's root, and a name twice.
    std::vector<DocxEntry> escaping = mailMergeEntries();
    escaping.push_back({"aa/../../etc/x", "boom"});
    EXPECT_FALSE(linkable(makePackage(escaping)));
    std::vector<DocxEntry> absolute = mailMergeEntries();
    absolute.push_back({"xetc/passwd", "boom"});
    EXPECT_FALSE(linkable(rewriteName(makePackage(absolute), "xetc/passwd", "/etc/passwd")));
    std::vector<DocxEntry> twice = mailMergeEntries();
    twice.push_back({"word/settings.xmL", kSettings});
    EXPECT_FALSE(linkable(rewriteName(makePackage(twice), "word/settings.xmL", "word/settings.xml")));

    // A small package whose parts inflate beyond the limit, whatever its headers claim.
    const QByteArray bomb = makePackage(mailMergeEntries(kRels, kSettings + QByteArray(17 * 1024 * 1024, ' ')));
    EXPECT_LT(bomb.size(), 100 * 1024);
    EXPECT_FALSE(linkable(bomb));

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bomb.docx"));
    ASSERT_TRUE(writeAll(source, bomb));
    const auto before = folderState(dir.path());
    const TLinkOutcome outcome =
        linkDocument(certDocKind(), source, dir.filePath(QStringLiteral("ziel.docx")), dir.filePath("d.csv"));
    // Not linkable: copied unchanged after the message, nothing unpacked anywhere.
    EXPECT_TRUE(outcome.copiedUnchanged);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Urkundenvorlage anlegen"));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("ziel.docx"))), bomb);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
              before[0].size() + 1);
}

TEST(CertDocTools, DocumentsWithoutMailMergeAreCopiedNeverOverAnExistingFile)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("brief.docx"));
    const QByteArray plain = makePackage({{"word/document.xml", "<w:document/>"}});
    ASSERT_TRUE(writeAll(source, plain));
    const QString target = dir.filePath(QStringLiteral("Quittungen.docx"));
    TLinkOutcome outcome = linkDocument(billingDocKind(), source, target, dir.filePath("Quittungsdaten.csv"));
    EXPECT_TRUE(outcome.store);
    EXPECT_EQ(outcome.messages.at(0).text,
              QStringLiteral("Das gewählte Dokument kann nicht automatisch mit der Datenquelle verknüpft werden "
                             "und muss manuell eingerichtet werden."));
    EXPECT_EQ(readAll(target), plain);

    ASSERT_TRUE(writeAll(target, "alt"));
    outcome = linkDocument(billingDocKind(), source, target, dir.filePath("Quittungsdaten.csv"));
    EXPECT_FALSE(outcome.store);
    ASSERT_EQ(outcome.messages.size(), 2u);
    EXPECT_EQ(outcome.messages[1].text, QStringLiteral("Quittungsvorlage konnte nicht erstellt werden."));
    EXPECT_EQ(readAll(target), "alt");
}

TEST(CertDocTools, FailingRunsLeaveTheUsersFilesAsTheyWere)
{
    QTemporaryDir dir;
    const QString source = standardTemplate(QStringLiteral("Ablaufplanvorlage.docx"));
    const QString target = dir.filePath(QStringLiteral("Riegenablaufplan.docx"));
    const QString dataFile = dir.filePath(QStringLiteral("Riegenablaufplandaten.csv"));
    const QByteArray oldTarget(200 * 1024, 'o');
    ASSERT_TRUE(writeAll(target, oldTarget));
    ASSERT_TRUE(writeAll(dataFile, "Team;Riege\r\nA;1\r\n"));
    const auto before = folderState(dir.path());
    {
        // The disk fills up while the new package is written.
        DiskFullAfter full(1024);
        const TLinkOutcome outcome = linkDocument(scheduleDocKind(), source, target, dataFile);
        EXPECT_FALSE(outcome.store);
        ASSERT_EQ(outcome.messages.size(), 1u);
        EXPECT_TRUE(
            outcome.messages[0].text.startsWith(QStringLiteral("Fehler beim Erstellen der Ablaufplanvorlage: ")));
    }
    EXPECT_EQ(readAll(target), oldTarget);
    EXPECT_EQ(readAll(dataFile), "Team;Riege\r\nA;1\r\n");
    EXPECT_EQ(folderState(dir.path()), before);

    // A source that breaks only in the edit: nothing appears in the target folder.
    TCertDocEditor editor = TCertDocEditor::fromBytes(makePackage(mailMergeEntries(kRels, "<w:settings>")));
    editor.OnXMLEditCallback = [](TXMLDocuments&) { return true; };
    EXPECT_THROW(editor.editXMLContent(dir.filePath(QStringLiteral("neu.docx")), mailMergePartNames()), ECertDocError);
    EXPECT_EQ(folderState(dir.path()), before);

    // A folder that refuses files fails at the write test, before anything else.
    QTemporaryDir locked;
    QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner);
    {
        PermissionsApply apply;
        const QString lockedData = locked.filePath(QStringLiteral("U10.csv"));
        EXPECT_FALSE(touchFile(lockedData));
        const TLinkOutcome outcome =
            linkDocument(certDocKind(), source, locked.filePath(QStringLiteral("U10.docx")), lockedData);
        ASSERT_EQ(outcome.messages.size(), 1u);
        EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Vorlage anlegen"));
        EXPECT_EQ(outcome.messages[0].text, QStringLiteral("Die Vorlage konnte nicht erstellt werden. Sind "
                                                           "Schreibberechtigungen in \"") +
                                                locked.path() + QStringLiteral("/\" vorhanden?"));
    }
    QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(QDir(locked.path()).isEmpty());
    EXPECT_TRUE(touchFile(dataFile));
    EXPECT_EQ(readAll(dataFile), "Team;Riege\r\nA;1\r\n");
}
