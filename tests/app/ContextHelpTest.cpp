// The context help as the user reads it: every name a page quotes is one the program's windows
// show, and the import window's help names no folder the program lacks.

#include "app/ProgramAreas.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/Startup.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "participants/ui/CsvImportDialog.h"
#include "tests/support/LoopbackChooser.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempAppFolders.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

const QString kHelpFolder = QStringLiteral(TVP_SOURCE_DIR "/ContextHelp");

// A name as the user reads it: without the accelerator mark, and also without a trailing key
// such as " (Strg+T)".
void addName(QSet<QString>& names, QString text)
{
    text.remove(u'&');
    text = text.trimmed();
    if (text.isEmpty())
        return;
    names.insert(text);
    static const QRegularExpression key(QStringLiteral("\\s*\\((Strg|F\\d+)[^)]*\\)$"));
    names.insert(QString(text).remove(key));
}

// Titles, buttons, menus and their entries, groups and tabs of every registered window.
QSet<QString> namesOfTheWindows()
{
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    registerCoreWindows(windows);
    registerProgramAreas(windows);
    windows.registerWindow(TWindowId::ChooseCompetitionForm, [](TWindowContext& c) {
        return std::make_unique<TChooseCompetitionForm>(c, loopbackChooser(QStringLiteral("127.0.0.1:1")));
    });
    QSet<QString> names;
    for (const TWindowRow& row : windowCatalogue()) {
        QWidget* window = windows.create(row.id, context);
        if (!window)
            continue;
        addName(names, window->windowTitle());
        for (const QAbstractButton* b : window->findChildren<QAbstractButton*>())
            addName(names, b->text());
        for (const QAction* a : window->findChildren<QAction*>())
            addName(names, a->text());
        for (const QMenu* m : window->findChildren<QMenu*>())
            addName(names, m->title());
        for (const QGroupBox* g : window->findChildren<QGroupBox*>())
            addName(names, g->title());
        for (const QTabWidget* t : window->findChildren<QTabWidget*>())
            for (int i = 0; i < t->count(); ++i)
                addName(names, t->tabText(i));
    }
    windows.destroyAll();
    return names;
}

QString plain(const QString& html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

} // namespace

// A page quotes the names of windows, buttons and menus as <b>name</b>, keys as <kbd>key</kbd>.
TEST(ContextHelp, EveryNameAPageQuotesIsShownByTheProgramsWindows)
{
    TempAppFolders folders;
    auto dialogs = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs* script = dialogs.get();
    setDialogs(std::move(dialogs));
    InitComm();
    const QSet<QString> names = namesOfTheWindows();
    EXPECT_TRUE(script->steps.empty());
    setDialogs(nullptr);

    const QStringList pages = QDir(kHelpFolder).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(pages.isEmpty());
    static const QRegularExpression quoted(QStringLiteral("<b>(.*?)</b>"));
    static const QRegularExpression otherQuotes(QStringLiteral("<i>|„|&quot;|&bdquo;"));
    for (const QString& page : pages) {
        QFile file(QDir(kHelpFolder).filePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_FALSE(otherQuotes.match(html).hasMatch()) << page.toStdString() << ": names are quoted as <b>...</b>";
        for (const QRegularExpressionMatch& m : quoted.globalMatch(html)) {
            const QString name = plain(m.captured(1));
            EXPECT_TRUE(names.contains(name))
                << page.toStdString() << ": no window shows \"" << name.toStdString() << "\"";
        }
    }
}

// The import window's help: the separator the reader takes, and no folder that is not shipped.
TEST(ContextHelp, TheCsvImportHelpNamesTheSeparatorAndOnlyWhatTheProgramHas)
{
    TempAppFolders folders;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    TCsvImportForm form(context);
    const auto* help = form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    ASSERT_TRUE(help);
    const QString text = help->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Semikolon (;)"))) << text.toStdString();
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    for (const QRegularExpressionMatch& m : quoted.globalMatch(text))
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral(TVP_SOURCE_DIR "/") + m.captured(1)))
            << "not shipped: " << m.captured(1).toStdString();
}
