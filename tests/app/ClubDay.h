#pragma once
// The program with every window, as start-up makes them, against a stand-in that holds a club day
// as organisers enter it (long team names, double surnames), crowded where a test asks.

#include "app/ProgramAreas.h"
#include "core/ui/Dialogs.h"
#include "core/ui/Startup.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"

#include <QRect>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace tvp::test {

// A screen on which every window opens at its own size.
inline const QRect kScreen(0, 0, 1920, 1080);

// Whatever a window asks while it opens is declined: the tests look only at what it shows.
class DecliningDialogs : public IDialogs {
public:
    TMsgAnswer messageBox(QWidget*, const QString&, const QString&, TMsgKind, TMsgButtons buttons, TMsgAnswer) override
    {
        return buttons == TMsgButtons::Ok ? TMsgAnswer::Ok : TMsgAnswer::No;
    }
    QString getOpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> getText(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    bool printDialog(QWidget*, const QString&, QPrinter&) override { return false; }
    int execModal(QWidget& window) override
    {
        window.hide();
        return 0;
    }
};

struct ClubDay {
    int competition = 0;
    int run = 0;
    int jump = 0;
    int ranked = 0;
    int athlete = 0; // Anna-Lena Großmann of the TSV
};

// A club day as organisers enter it: names as long as real clubs, teams and children have.
ClubDay seedClubDay(StandinSeed& seed);

// A crowded day on a laptop: teams of one club alike to their 60th letter, squads of one town,
// disciplines at one facility, athletes; the teams and the first thousand athletes in the cup.
struct Crowd {
    int teams = 100;
    int squads = 20;
    int disciplines = 14;
    int athletes = 10000;
    // The teams in the squads in turn, the squads numbered from 1: "(6)", "(16)" and "(26)" alike to their end.
    bool teamsInSquads = false;
};
void seedCrowd(StandinSeed& seed, const ClubDay& day, const Crowd& crowd = {});

// The program with every window created, the position store in place and a competition chosen.
struct ProgramUnderTest {
    using Seed = std::function<void(StandinSeed&, const ClubDay&)>;
    explicit ProgramUnderTest(QRect screen = kScreen, const Seed& more = {});
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    const QRect area;
    tvp::test::TempAppFolders folders;
    QTemporaryDir instanceDir;
    tvp::test::StandinHarness server;
    std::unique_ptr<TProgram> program;
    ClubDay day;
    bool chosen = false;
};

// Waits until no request runs, three times in a row.
void settle(int timeoutMs = 15000);

// Chooses as a user would where nothing is chosen yet, so that the lists that show a choice fill:
// the first entry of an empty choice, the first row of a list.
void chooseFirst(QWidget& window);

} // namespace tvp::test
