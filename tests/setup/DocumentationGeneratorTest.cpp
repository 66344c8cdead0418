// The documentation merge as the client sends and writes it: entries in order, the server's file
// written unchanged, and nothing written when the merge or its answer fails.

#include "core/protocol/TVPWebServices2.h"
#include "setup/DocumentationGenerator.h"
#include "tests/support/FakeServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

class Documentation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
    }
    void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::unique_ptr<ToolingPortType> tos()
    {
        return GetToolingPortType(false, QStringLiteral("http://127.0.0.1:1/tos/"), &rio);
    }

    FakeServerInstall fake;
    THTTPRIO rio;
    QTemporaryDir dir;
};

TEST_F(Documentation, EveryPdfIsOneEntryInOrderAndTheAnswerIsWrittenUnchanged)
{
    const QByteArray answer("%PDF-1.4 zusammengefügt \x00\xff", 28);
    fake->on<op::mergePDF>([&](const op::mergePDF&) {
        mergePDFResponse r;
        r.pdfDocBase64 = answer;
        return r;
    });
    const QString target = dir.filePath(QStringLiteral("Doku.pdf"));
    writeDocumentation(*tos(), {QByteArray("eins")}, target);
    EXPECT_EQ(read(target), answer);
    writeDocumentation(*tos(), {QByteArray("eins"), QByteArray("zwei\x01", 5)}, target);

    const std::vector<op::mergePDF> calls = fake->callsOf<op::mergePDF>();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].pagesBase64, pagesBase64Types({QByteArray("eins")})) << "one PDF is still a list";
    EXPECT_EQ(calls[1].pagesBase64, pagesBase64Types({QByteArray("eins"), QByteArray("zwei\x01", 5)}));
    EXPECT_NE(fake->last().body.find("<pagesBase64>ZWlucw==</pagesBase64><pagesBase64>endlaQE=</pagesBase64>"),
              std::string::npos);
}

// The file used to be opened for writing before the merge, so a refusal emptied it.
TEST_F(Documentation, ARefusalOrAnAnswerThatIsNoBase64LeavesTheFileAsItWas)
{
    const QString existing = dir.filePath(QStringLiteral("Alt.pdf"));
    write(existing, "alte Bytes");
    const QString fresh = dir.filePath(QStringLiteral("Neu.pdf"));

    fake->fault<op::mergePDF>(934, {QStringLiteral("1")});
    EXPECT_THROW(writeDocumentation(*tos(), {QByteArray("kaputt")}, existing), ETvExceptionDetail);
    EXPECT_THROW(writeDocumentation(*tos(), {QByteArray("kaputt")}, fresh), ETvExceptionDetail);

    fake->on<op::mergePDF>([](const op::mergePDF&) {
        mergePDFResponse r;
        r.pdfDocBase64 = Base64Binary::fromText("kein Base64!");
        return r;
    });
    EXPECT_THROW(writeDocumentation(*tos(), {QByteArray("eins")}, existing), TvpError);
    EXPECT_EQ(read(existing), QByteArray("alte Bytes"));
    EXPECT_FALSE(QFile::exists(fresh));

    // A folder that is not there: the merge went through, the write fails with the file's name.
    fake->on<op::mergePDF>([](const op::mergePDF&) {
        mergePDFResponse r;
        r.pdfDocBase64 = QByteArray("%PDF");
        return r;
    });
    const QString nowhere = dir.filePath(QStringLiteral("fehlt/Doku.pdf"));
    try {
        writeDocumentation(*tos(), {QByteArray("eins")}, nowhere);
        ADD_FAILURE() << "written";
    } catch (const TvpError& e) {
        EXPECT_TRUE(e.message().contains(nowhere)) << e.message().toStdString();
    }
}

} // namespace
