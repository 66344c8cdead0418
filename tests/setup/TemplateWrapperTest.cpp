// Template files loaded for a competition type: their digest, names, paths and the refusal of a
// file its reader cannot take; and the per-tab selection of hashes.

#include "setup/TemplateWrappers.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tvp {
namespace {

class TemplateWrapper : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray discipline(const QString& name)
    {
        TDiscTemplateContent content;
        content.DisciplinInfo.Name = name;
        return writeDiscTemplate(content);
    }
    QTemporaryDir dir;
};

TEST_F(TemplateWrapper, DisciplineTemplatesKnowTheirDigestNameAndPaths)
{
    const QByteArray bytes = discipline(QStringLiteral("Weitsprung"));
    TDisciplineTemplateWrapper wrapper(write(QStringLiteral("weit.qdt"), bytes));
    EXPECT_EQ(wrapper.SecureHash(), secureHashOf(bytes));
    EXPECT_EQ(wrapper.SecureHash().size(), 40);
    EXPECT_EQ(wrapper.getDisplayName(), QStringLiteral("Weitsprung"));
    wrapper.setDisplayName(QStringLiteral("Weitsprung U10"));
    wrapper.GivenID = 17;

    struct Holder : IPathObject {
        const IPathObject* item;
        TPathProperty pathProperty(QStringView) const override { return {TPathKind::Object, 0, {}, item, 0}; }
        const IPathObject* pathItem(QStringView, qsizetype) const override { return nullptr; }
    } holder;
    holder.item = &wrapper;
    EXPECT_EQ(TEvalFunction::resolvePathOnObject(&holder, QStringLiteral("/T/Name")), QStringLiteral("Weitsprung U10"));
    EXPECT_EQ(TEvalFunction::resolvePathOnObject(&holder, QStringLiteral("/T/DisplayName")),
              QStringLiteral("Weitsprung U10"));
    EXPECT_EQ(TEvalFunction::resolvePathOnObject(&holder, QStringLiteral("/T/GivenID")), QStringLiteral("17"));

    // A file without discipline data still loads and is shown as "-".
    QByteArray bare = bytes.left(bytes.indexOf("<DisciplinInfo"));
    bare.append("</tvp:DisciplinTemplate>\n");
    EXPECT_EQ(TDisciplineTemplateWrapper(write(QStringLiteral("bare.qdt"), bare)).getDisplayName(),
              QStringLiteral("-"));
}

TEST_F(TemplateWrapper, FilesTheReaderRefusesAreNotLoaded)
{
    QByteArray wrongRoot = discipline(QStringLiteral("Sprint"));
    wrongRoot.replace("DisciplinTemplate", "ResultsTemplate");
    try {
        TDisciplineTemplateWrapper(write(QStringLiteral("falsch.qdt"), wrongRoot));
        ADD_FAILURE() << "a wrong root was loaded";
    } catch (const ETemplateFileError& e) {
        EXPECT_EQ(e.message(), LoadDiscFromStream(wrongRoot).error);
    }
    EXPECT_THROW(TResEvalTemplateWrapper(write(QStringLiteral("falsch.qrt"), discipline(QStringLiteral("x")))),
                 ETemplateFileError);
    EXPECT_THROW(TDisciplineTemplateWrapper(dir.filePath(QStringLiteral("fehlt.qdt"))), ETemplateFileError);
}

TEST_F(TemplateWrapper, ResultsTemplatesAreNamedByTheirFile)
{
    const QByteArray bytes = writeResultsTemplate(false, {}, {});
    const TResEvalTemplateWrapper dotted(write(QStringLiteral("U10.Staffel.qrt"), bytes));
    EXPECT_EQ(dotted.Name, QStringLiteral("U10.Staffel"));
    EXPECT_EQ(dotted.SecureHash(), secureHashOf(bytes));
    EXPECT_EQ(TResEvalTemplateWrapper(write(QStringLiteral("Gesamt"), bytes)).getDisplayName(),
              QStringLiteral("Gesamt"));
}

TEST(TemplateSelection, HashesAreKeptOnceAndCompareWithCase)
{
    TAbstractTemplateSelectionState state;
    EXPECT_TRUE(state.isEmpty());
    EXPECT_EQ(state.FilterIndex, -1);
    state.select(QStringLiteral("ABC"), QStringLiteral("SHA1"));
    state.select(QStringLiteral("ABC"), QStringLiteral("SHA1"));
    EXPECT_TRUE(state.isSelected(QStringLiteral("ABC"), QStringLiteral("SHA1")));
    EXPECT_FALSE(state.isSelected(QStringLiteral("abc"), QStringLiteral("SHA1")));
    EXPECT_FALSE(state.isSelected(QStringLiteral("ABC"), QStringLiteral("sha1")));
    state.clearSelection();
    EXPECT_TRUE(state.isEmpty());
}

} // namespace
} // namespace tvp
