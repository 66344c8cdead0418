#pragma once
// Shared set-up of the shell window tests: settings and program folder in a temporary folder,
// scripted dialogs, and a clock the test steps by hand.

#include "core/util/AppPaths.h"
#include "tests/support/ScriptedDialogs.h"
#include "core/util/ShellClock.h"
#include "core/ui/TVPForm.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tvp::test {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("appdata"))));
        AppPaths::setProgramDirForTests(dir.path());
        AppPaths::setCommonAppDataDirForTests(dir.filePath(QStringLiteral("appdata")));
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        setShellClockForTests([this] { return now; });
    }

    void TearDown() override
    {
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        setDialogs(nullptr);
        setShellClockForTests({});
        AppPaths::setProgramDirForTests({});
        AppPaths::setCommonAppDataDirForTests({});
    }

    QTemporaryDir dir;
    ScriptedDialogs* script = nullptr;
    qint64 now = 5'000'000;
};

// A work window that records what the base class asks of it.
class TestForm : public TTVPForm {
public:
    explicit TestForm(const QString& name, QSize size = {400, 300})
    {
        setObjectName(name);
        setWindowTitle(name + QStringLiteral(" Fenster"));
        resize(size);
    }

    void unload() override
    {
        ++unloads;
        if (onUnload)
            onUnload();
    }

    int reloads = 0;
    int unloads = 0;
    std::function<void()> onUnload;
    QSet<QString> changedParts; // what checkItemChanged answers true for
    QSet<QString> vetoedParts;  // dirtyDataChangeCallback turns these back to clean
    QStringList stateChanges;   // "part=true/false" per callback

protected:
    void reloadData() override { ++reloads; }
    bool checkItemChanged(const QString& part) override { return changedParts.contains(part); }
    void dirtyDataChangeCallback(bool& changed, const QString& part) override
    {
        stateChanges.append(part + (changed ? QStringLiteral("=true") : QStringLiteral("=false")));
        if (vetoedParts.contains(part))
            changed = false;
    }
};

} // namespace tvp::test
