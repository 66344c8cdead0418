// The results window offscreen against the stand-in in the program's German locale: the
// evaluations offered (hidden ones only with "Alle Zwischenergebnisse zeigen"), the computed
// tables, the printout's title, the CSV file, the coloured evaluation list, and loads that race
// reloads of the windows whose data the scoring tree reads.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ShellClock.h"
#include "organisation/ui/DisciplinDialog.h"
#include "organisation/ui/OrganisationWindows.h"
#include "results/ResultUnitParser.h"
#include "scoring/ui/AnalyseDialog.h"
#include "scoring/ui/ScoringWindows.h"
#include "core/print/ui/Print.h"
#include "tests/core/print/PdfTools.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"
#include "tests/support/TextFit.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeView>

#include <atomic>
#include <map>
#include <set>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

// Stands in for the discipline windows where a test needs to see who asks them, and when: each
// question replaces its templates, as a reload of the window does.
class ReloadingDisciplineWindows : public IDisciplineWindows {
public:
    void ShowDisciplinForm(QObject*, int, int) override {}
    void reloadDisciplinForms(bool) override {}
    bool isDiscVisible() const override { return false; }
    std::optional<TDisciplineInfo> getLatestDiscInfo(int discId) const override
    {
        note();
        TDisciplineInfo d;
        d.id = discId;
        d.name = QStringLiteral("Weitsprung");
        return d;
    }
    const ResultAggregatorTemplateType* getTemplateById(int) const override
    {
        ++lookupsOffTheGuiThread; // the copy is the only lookup a load may use
        return nullptr;
    }
    std::vector<ResultAggregatorTemplateType> getLatestTemplates() const override
    {
        note();
        templates.assign(5, ResultAggregatorTemplateType{});
        for (int i = 0; i < 5; ++i) {
            templates[std::size_t(i)].ID = i + 1;
            templates[std::size_t(i)].Name = QStringLiteral("Vorlage %1").arg(i + 1);
            templates[std::size_t(i)].ParameterTypes.resize(i == 3 ? 3 : 1);
        }
        return templates;
    }
    void note() const
    {
        if (QThread::currentThread() != qApp->thread())
            ++lookupsOffTheGuiThread;
    }
    mutable std::vector<ResultAggregatorTemplateType> templates;
    mutable std::atomic<int> lookupsOffTheGuiThread{0};
};

// The program's application-wide key hook, as start-up installs it.
class KeyHook : public QObject {
public:
    explicit KeyHook(TMainForm& main) : main_(main) {}
    bool eventFilter(QObject* target, QEvent* event) override { return main_.handleApplicationEvent(target, event); }

private:
    TMainForm& main_;
};

// The parameter window's cache, as the trees' labels read it; asked off the GUI thread, it counts.
class ParameterCache : public IGlobalParameterForm {
public:
    void showGlobalParameterForm(int) override {}
    QStringList getParameterNames(int cupId) override
    {
        note();
        return cupId == 0 ? QStringList{QStringLiteral("Faktor")} : QStringList{};
    }
    bool paramExists(const QString& name, int cupId) override { return !getParameterNames(cupId).isEmpty(); }
    std::optional<double> resolveParameter(const QString& name, int cupId) override
    {
        note();
        return name == QLatin1String("Faktor") && cupId == 0 ? std::optional<double>(1.5) : std::nullopt;
    }
    bool isCupLoaded(int) override { return false; }
    void note()
    {
        if (QThread::currentThread() != qApp->thread())
            ++offTheGuiThread;
    }
    std::atomic<int> offTheGuiThread{0};
};

// A word's box from pdftotext per point of its type: the cell of DejaVu Sans.
constexpr double kCellPerPoint = 1.164;

class AnalyseWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        patterns = resultUnitPatterns();
        AppPaths::setProgramDirForTests(dir.path());
        AppPaths::setCommonAppDataDirForTests(dir.path());
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        setShellClockForTests([this] { return now; });
        InitComm();
        TDisciplinForm::selectDelayMs = 5;
        registerScoringServices(windows);
        registerScoringWindows(windows);
        registerOrganisationWindows(windows);

        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        comp = client->create(QStringLiteral("Kinderleichtathletik"));
        auto c = std::make_unique<CompetitionType>();
        c->ID = comp;
        competition.SetCompetitionInternal(std::move(c));
        seedResults();

        main = std::make_unique<TMainForm>(context);
        windows.place(TWindowId::MainForm, main.get());
        keyHook = std::make_unique<KeyHook>(*main);
        qApp->installEventFilter(keyHook.get());
        form = static_cast<TAnalyseForm*>(windows.create(TWindowId::AnalyseForm, context));
    }

    void TearDown() override
    {
        settle();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        qApp->removeEventFilter(keyHook.get());
        windows.destroyAll();
        main.reset();
        setDialogs(nullptr);
        setShellClockForTests({});
        resultUnitPatterns() = patterns;
        AppPaths::setProgramDirForTests({});
        AppPaths::setCommonAppDataDirForTests({});
        TDisciplinForm::selectDelayMs = 350;
        standin.stop();
    }

    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            EXPECT_TRUE(waitUntil(
                [this] {
                    return runningRequestCount() == 0 && form->pendingRequests() == 0 &&
                           (!w0 || w0->pendingRequests() == 0);
                },
                10000));
            QTest::qWait(20);
        }
    }

    // A 3.10/3.45/3.20, B 2.90/"x"/3.05, C "disq." in the long jump; a sprint beside it. Nodes of
    // the jump: "Bester Versuch" labelled "Bester" and shown in the analysis, "Summe" not shown,
    // and "Gesamt" over jump and sprint (from outside the jump's tree).
    void seedResults()
    {
        StandinSeed seed(standin.dataFile());
        const int team = seed.team(comp, QStringLiteral("Füchse"));
        anna = seed.athlete(comp, QStringLiteral("Anna"), QStringLiteral("Ahorn"), team, 0, {7});
        ben = seed.athlete(comp, QStringLiteral("Ben"), QStringLiteral("Birke"), team, 0, {12});
        cem = seed.athlete(comp, QStringLiteral("Cem"), QStringLiteral("Ceder"), team);
        ResultTableType t;
        t.ResultsPerRow = 3;
        jump = seed.discipline(comp, QStringLiteral("Weitsprung"), 0, t);
        sprint = seed.discipline(comp, QStringLiteral("Sprint"), 0, t);
        using enum ResultValueType;
        seed.measured(jump, anna, 1, Distance, 3.10);
        seed.measured(jump, anna, 2, Distance, 3.45);
        seed.measured(jump, anna, 3, Distance, 3.20);
        seed.measured(jump, ben, 1, Distance, 2.90);
        seed.measured(jump, ben, 2, InfoString, 0, QStringLiteral("x"));
        seed.measured(jump, ben, 3, Distance, 3.05);
        seed.measured(jump, cem, 1, Info, 0);
        seed.measured(sprint, anna, 1, Distance, 1.0);

        best = node(1, {jump}, {QStringLiteral("1")}, QStringLiteral("Bester"), true);
        hidden = node(2, {jump}, {QStringLiteral("0")}, QString(), false);
        overall = node(2, {best, sprint}, {QStringLiteral("0")}, QStringLiteral("Gesamt"), true);
    }

    int node(int templateId, std::vector<int> sources, std::vector<QString> parameters, const QString& label,
             bool shown)
    {
        ResultAggregatorInstanceInfoType n;
        n.TemplateID = templateId;
        n.ConnectedAggregators = std::move(sources);
        n.Parameters = std::move(parameters);
        const int id = client->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
        if (!label.isEmpty())
            client->cms()->setUiInfo(QStringLiteral("Label"), label, id);
        if (shown)
            client->cms()->setUiInfo(QStringLiteral("ResAgg_VisAnalysis"), QStringLiteral("true"), id);
        return id;
    }

    QStringList evaluationNames() const
    {
        QStringList names;
        for (int i = 0; i < form->ComboBox2->count(); ++i)
            names << form->ComboBox2->itemText(i);
        return names;
    }

    // Picks an item of a combo box with the arrow keys, as the user would.
    void pickByKeys(QComboBox* box, const QString& text)
    {
        const int target = box->findText(text);
        ASSERT_GE(target, 0) << text.toStdString();
        QApplication::setActiveWindow(form);
        box->setFocus();
        if (box->currentIndex() < 0) {
            QTest::keyClick(box, Qt::Key_Home);
        }
        while (box->currentIndex() < target)
            QTest::keyClick(box, Qt::Key_Down);
        while (box->currentIndex() > target)
            QTest::keyClick(box, Qt::Key_Up);
        settle();
    }

    // The shown rows, each its cells joined by "|", in the list's order.
    QStringList shownRows() const
    {
        QStringList rows;
        const QAbstractItemModel* m = form->ListView1->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            rows << cells.join(u'|');
        }
        return rows;
    }

    // The discipline window that knows the node templates, as after it was opened once.
    void openOnJump()
    {
        w0 = static_cast<TDisciplinForm*>(windows.create(TWindowId::DisciplinListForm0, context));
        w0->LoadTemplates();
        settle();
        windows.show(TWindowId::AnalyseForm);
        settle();
        pickByKeys(form->ComboBox1, QStringLiteral("Weitsprung"));
        ASSERT_EQ(form->currentDiscipline(), jump);
    }

    // A big club: teams named by one compound of 40 to 70 letters, five children a team, and for
    // each of `attempts` a discipline whose attempts hold 10 to 12 m for the first `scored` teams.
    // The names, each also as a reader divides it (joints "|", syllables "·"); the values as typed.
    struct BigClub {
        QStringList teams, people, divided, disciplines;
        std::vector<QStringList> values;
    };
    BigClub seedBigClub(int teams, int scored, const std::vector<int>& attempts)
    {
        static const QStringList heads{"Kin·der|leicht|ath·le·tik", "Sport|ge·mein·schafts",
                                       "Turn|ver·ei·ni·gung",       "Leicht|ath·le·tik|ver·ei·ni·gung",
                                       "Nach·wuchs|för·der",        "Turn|ver·eins",
                                       "Sport|ver·ei·ni·gung",      "Kin·der|turn",
                                       "Leicht|ath·le·tik",         "Sport|freun·de"};
        static const QStringList middles{
            "nach·wuchs|för·der|ge·mein·schaft", "ju·gend|ab·tei·lung",    "ge·mein·schafts|ju·gend",
            "leicht|ath·le·tik|ju·gend",         "nach·wuchs|mann·schaft", "kin·der|sport|grup·pe"};
        static const QStringList places{"fried·richs|ha·fen", "über|lin·gen", "pful·len|dorf",    "ra·vens|burg",
                                        "meers|burg",         "tett|nang",    "ober|teu·rin·gen", "im·men|staad",
                                        "mark|dorf",          "kress|bronn",  "lin·dau",          "uhl|din·gen"};
        static const QStringList given{"An·na-Le·na", "Ma·xi·mi·li·an-Ale·xan·der", "Han·nah-Ka·tha·ri·na",
                                       "Jan",         "Ma·rie-Char·lot·te",         "Kon·stan·tin"};
        static const QStringList surnames{"Schmidt-Mül·ler-Lü·den·scheidt",
                                          "Klein|schmidt",
                                          "Ho·hen·ber·ger-Wolf·stei·ner",
                                          "Groß·mann",
                                          "Mül·ler-Lü·den·scheidt",
                                          "Son·nen·schein-Ober·hu·ber",
                                          "Wolf"};
        const auto plain = [](QString divided) { return divided.remove(u'|').remove(u'·'); };
        registerResultUnitPatterns(); // as the program does at its start: "$()m" prints "10,48m"
        BigClub club;
        StandinSeed seed(standin.dataFile());
        seed.begin();
        std::vector<int> ids;
        for (int t = 0; t < teams; ++t) {
            QString parts = heads[t % heads.size()] + u'|' + middles[(t / heads.size() + t) % middles.size()];
            for (int more = 1; plain(parts).size() + 15 < 40; ++more)
                parts += u'|' + middles[(t + more) % middles.size()];
            parts += u'|' + places[t % places.size()];
            club.divided << parts;
            club.teams << plain(parts);
            ids.push_back(seed.team(comp, club.teams.back()));
        }
        ResultTableType table;
        table.ResultUnitPattern = QStringLiteral("$()m");
        std::vector<int> disciplines;
        for (int n : attempts) {
            table.ResultsPerRow = n;
            club.disciplines << QStringLiteral("Schlagwurf %1 Versuche").arg(n);
            disciplines.push_back(seed.discipline(comp, club.disciplines.back(), 0, table));
        }
        club.values.resize(attempts.size());
        for (int a = 0; a < 5 * teams; ++a) {
            const int child = seed.athlete(comp, plain(given[a % given.size()]), plain(surnames[a % surnames.size()]),
                                           ids[std::size_t(a / 5)], 0, {100 + a});
            for (std::size_t d = 0; d < attempts.size() && a / 5 < scored; ++d)
                for (int i = 1; i <= attempts[d]; ++i) {
                    const double metres = 10 + (a * 37 + i * 11 + int(d)) % 200 / 100.0;
                    seed.measured(disciplines[d], child, i, ResultValueType::Distance, metres);
                    club.values[d] << QString::number(metres, 'f', 2).replace(u'.', u',') + u'm';
                }
        }
        seed.commit();
        for (const QString& name : given + surnames) {
            club.people << plain(name);
            club.divided << name;
        }
        return club;
    }

    // The results window opened from the main menu (Wettkämpfe → Auswertung) on a discipline's own results.
    void openFromMenuOn(const QString& discipline)
    {
        if (!w0) {
            w0 = static_cast<TDisciplinForm*>(windows.create(TWindowId::DisciplinListForm0, context));
            w0->LoadTemplates();
            settle();
            main->action(QStringLiteral("Auswertung1"))->trigger();
            settle();
        }
        pickByKeys(form->ComboBox1, discipline);
        pickByKeys(form->ComboBox2, discipline);
        ASSERT_TRUE(form->ListView1->isVisible());
    }

    // Drucken → Ergebnisliste drucken, into file.
    void printTo(const QString& file)
    {
        script->expectPrinter(QStringLiteral("Drucken"), file);
        form->Ergebnislistedrucken1->trigger();
        ASSERT_TRUE(waitUntil([&] { return QFile::exists(file); }));
    }

    QTemporaryDir dir;
    qint64 now = 1'000'000;
    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    int comp = 0, anna = 0, ben = 0, cem = 0, jump = 0, sprint = 0, best = 0, hidden = 0, overall = 0;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    ScriptedDialogs* script = nullptr;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<KeyHook> keyHook;
    TAnalyseForm* form = nullptr;
    TDisciplinForm* w0 = nullptr;
    IResultUnitPatterns* patterns = nullptr;
};

} // namespace

TEST_F(AnalyseWindow, HiddenEvaluationsComeOnlyWithAllIntermediateResultsAndEachTableIsTheComputedOne)
{
    openOnJump();
    EXPECT_TRUE(form->ListView1->isHidden()) << "no evaluation chosen yet";
    EXPECT_EQ(evaluationNames(),
              (QStringList{QStringLiteral("Weitsprung"), QStringLiteral("Bester"), QStringLiteral("Gesamt")}));

    form->AlleZwischenergebnissezeigen1->trigger();
    // Without a label a node shows its template's name (the stand-in's catalogue).
    EXPECT_EQ(evaluationNames(), (QStringList{QStringLiteral("Weitsprung"), QStringLiteral("Summe"),
                                              QStringLiteral("Bester"), QStringLiteral("Gesamt")}));
    form->AlleZwischenergebnissezeigen1->trigger();
    EXPECT_FALSE(evaluationNames().contains(QStringLiteral("Summe")));

    pickByKeys(form->ComboBox2, QStringLiteral("Bester"));
    ASSERT_TRUE(form->ListView1->isVisible());
    EXPECT_EQ(form->table().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Startnr."));
    EXPECT_EQ(shownRows(),
              (QStringList{QStringLiteral("7|Anna|Ahorn|Füchse|3,45"), QStringLiteral("12|Ben|Birke|Füchse|3,05")}))
        << shownRows().join(u'\n').toStdString();

    // The discipline's own results: every attempt, the statuses as their texts.
    pickByKeys(form->ComboBox2, QStringLiteral("Weitsprung"));
    const QStringList own = shownRows();
    ASSERT_EQ(own.size(), 3) << own.join(u'\n').toStdString();
    EXPECT_TRUE(own.contains(QStringLiteral("12|Ben|Birke|Füchse|2,90|x|3,05"))) << own.join(u'\n').toStdString();
    EXPECT_TRUE(own.filter(QStringLiteral("|Cem|")).value(0).endsWith(QStringLiteral("|disq.|-|-")));
    for (const tvp::test::CutText& cut : tvp::test::cutTexts(*form->ListView1))
        ADD_FAILURE() << tvp::test::describe(cut);
    // They are the rows of the window's result cache for the provider, all in one heat.
    ASSERT_NE(form->cache(), nullptr);
    EXPECT_EQ(form->cache()->getDisciplinId(), jump);
    EXPECT_EQ(form->cache()->getNoOfHeats(), 1);
    EXPECT_EQ(form->cache()->getHeatRowCount(1), 3);

    // Opened for a hidden node (as the discipline window does), the tick comes with it.
    form->AlleZwischenergebnissezeigen1->setChecked(false);
    form->ShowAndLoad(jump, hidden);
    settle();
    EXPECT_TRUE(form->AlleZwischenergebnissezeigen1->isChecked());
    EXPECT_EQ(form->ComboBox2->currentText(), QStringLiteral("Summe"));
    EXPECT_EQ(form->currentProvider(), hidden);
    EXPECT_TRUE(form->ListView1->isVisible());
}

TEST_F(AnalyseWindow, PrintsUnderTheTitleOfTheEvaluationsKindAndExportsTheListAsCsv)
{
    TVP_REQUIRE_TOOL("pdftotext");
    openOnJump();
    // Ctrl+P without a table prints nothing and asks nothing.
    QApplication::setActiveWindow(form);
    QTest::keyClick(form->ListView1, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(script->seen.empty());

    pickByKeys(form->ComboBox2, QStringLiteral("Gesamt"));
    ASSERT_TRUE(form->ListView1->isVisible());
    const QString pdf = dir.filePath(QStringLiteral("gesamt.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), pdf);
    QApplication::setActiveWindow(form);
    form->ListView1->setFocus();
    QTest::keyClick(form->ListView1, Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(pdf); }));
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    // The title, with the time of printing after it.
    EXPECT_TRUE(lines.value(0).startsWith(QStringLiteral("Tageswertung - Gesamt"))) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("Anna")).size() == 1) << lines.join(u'\n').toStdString();

    // A node of the discipline's own tree prints under its name and the discipline's.
    pickByKeys(form->ComboBox2, QStringLiteral("Bester"));
    const QString pdf2 = dir.filePath(QStringLiteral("bester.pdf"));
    script->expectPrinter(QStringLiteral("Drucken"), pdf2);
    form->Ergebnislistedrucken1->trigger();
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(pdf2); }));
    EXPECT_TRUE(pageLines(pdfPages(pdf2).value(0)).value(0).startsWith(QStringLiteral("Bester - Weitsprung")));

    // "Als csv": the discipline's name proposed, ";" and CR LF, results as plain numbers (German comma).
    const QString csv = dir.filePath(QStringLiteral("Weitsprung.csv"));
    script->expectFile(QStringLiteral("csv-Datei speichern"), csv);
    form->Alscsv1->trigger();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes, QByteArray("Startnr.;Vorname;Nachname;Team;1.\r\n"
                                "7;Anna;Ahorn;F\xFC"
                                "chse;3,45\r\n"
                                "12;Ben;Birke;F\xFC"
                                "chse;3,05\r\n"))
        << bytes.toPercentEncoding(" ;.").toStdString();
}

// The long jump's results of a club day: every name whole and apart, broken only between words.
TEST_F(AnalyseWindow, TheResultsOfAClubDayPrintEveryNameWholeAndBreakOnlyBetweenWords)
{
    TVP_REQUIRE_TOOL("pdftotext");
    {
        StandinSeed seed(standin.dataFile());
        for (int i = 0; i < 4; ++i) {
            const int a = seed.athlete(comp, clubDay::kGiven[i], clubDay::kSurnames[i],
                                       seed.team(comp, clubDay::kTeams[i]), 0, {200 + i});
            for (int attempt = 1; attempt <= 3; ++attempt)
                seed.measured(jump, a, attempt, ResultValueType::Distance, 2.5 + 0.01 * (i + attempt));
        }
    }
    openOnJump();
    pickByKeys(form->ComboBox2, QStringLiteral("Weitsprung"));
    const QString fixtures = QStringLiteral("Anna Ahorn Ben Birke Cem Ceder Füchse");
    expectPaperFit(Printer(), dir, clubDay::kTeams + clubDay::kGiven + clubDay::kSurnames + QStringList{fixtures},
                   [&](const QString& file) {
                       script->expectPrinter(QStringLiteral("Drucken"), file);
                       form->Ergebnislistedrucken1->trigger();
                       ASSERT_TRUE(waitUntil([&] { return QFile::exists(file); }));
                   });
}

// A big club's results with 8, 12 and 16 attempts of 10 to 12 m: every value prints whole, names
// break only where a reader divides them, and no caption runs into the next ("Startnr.Vorname").
TEST_F(AnalyseWindow, EveryResultPrintsWholeWithAnyNumberOfAttempts)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const std::vector<int> attempts{8, 12, 16};
    const BigClub club = seedBigClub(12, 4, attempts);
    for (std::size_t d = 0; d < attempts.size(); ++d) {
        openFromMenuOn(club.disciplines[d]);
        // Team names too long for two lines are checked by their parts.
        expectPaperFit(Printer(), dir, club.people, [&](const QString& file) {
            printTo(file);
            const std::vector<PdfWord> words = pdfWords(file);
            QStringList whole, typed = club.values[d];
            for (const PdfWord& w : words)
                if (typed.contains(w.text))
                    whole << w.text;
            whole.sort();
            typed.sort();
            EXPECT_EQ(whole, typed) << club.disciplines[d].toStdString();
            EXPECT_EQ(misleadingBreaks(words, club.divided), QStringList()) << file.toStdString();
            EXPECT_FALSE(pdfPages(file).join(u' ').contains(QStringLiteral("..."))) << file.toStdString();
            // The caption lines, down to the first row: each attempt's caption once (the values may
            // go on in a second line of their row, under captions of their own), a blank's width
            // between each caption and the next.
            const auto team =
                std::find_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "Team"; });
            const auto first =
                std::find_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "100"; });
            ASSERT_TRUE(team != words.end() && first != words.end()) << file.toStdString();
            std::map<int, std::vector<PdfWord>> head;
            QStringList captions;
            for (const PdfWord& w : words)
                if (w.page == 0 && w.yMin > team->yMin - 1 && w.yMax < first->yMin) {
                    head[int(std::lround(w.yMin))].push_back(w);
                    if (w.text.endsWith(u'.') && w.text.chopped(1).toInt() > 0)
                        captions << w.text;
                }
            QStringList all;
            for (int a = 1; a <= attempts[d]; ++a)
                all << QStringLiteral("%1.").arg(a);
            captions.sort();
            all.sort();
            EXPECT_EQ(captions, all) << file.toStdString();
            for (auto& [y, line] : head) {
                std::sort(line.begin(), line.end(), [](const PdfWord& a, const PdfWord& b) { return a.xMin < b.xMin; });
                for (std::size_t i = 1; i < line.size(); ++i)
                    EXPECT_GE(line[i].xMin - line[i - 1].xMax, 2.0)
                        << line[i].text.toStdString() << " " << file.toStdString();
            }
        });
    }
}

// Names that 22 attempts leave little room break where a reader divides them: at a joint or a
// syllable, the joining "s" with its part, no part losing a single letter or its first consonants
// to the line before ("gemeinschaft-/sjugend", "vereinigungf-/riedrichshafen", "ü-/berlingen").
TEST_F(AnalyseWindow, NamesWithoutRoomBreakWhereAReaderDividesThem)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const BigClub club = seedBigClub(12, 12, {22});
    openFromMenuOn(club.disciplines[0]);
    for (const double mm : {-1.0, 10.0}) {
        setDialogMargins(Printer(), mm);
        const QString file = dir.filePath(QStringLiteral("eng%1.pdf").arg(mm));
        printTo(file);
        const std::vector<PdfWord> words = pdfWords(file);
        EXPECT_EQ(misleadingBreaks(words, club.divided), QStringList()) << mm << " mm";
        EXPECT_GT(std::count_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text.endsWith(u'-'); }), 50)
            << "names broken";
    }
    setDialogMargins(Printer(), -1);
}

// A big club's lists (300 children, 60 teams of 40 to 70 letters) at 3, 8, 16 and 22 attempts, with
// the printer's own margins and 10 mm: no more pages than the layout before, where the columns gave
// every row the lines of the tallest and the type shrank to 5.3 pt; no type below 6 pt; every value
// whole on its own line; names broken where a reader divides them.
TEST_F(AnalyseWindow, ABigClubsListsPrintEveryValueWholeInReadableTypeOnNoMorePaper)
{
    TVP_REQUIRE_TOOL("pdftotext");
    const std::vector<int> attempts{3, 8, 16, 22};
    const int before[][2] = {{24, 26}, {49, 50}, {33, 40}, {27, 57}};
    const BigClub club = seedBigClub(60, 60, attempts);
    const QString names = (club.people + club.teams).join(u' ');
    for (std::size_t d = 0; d < attempts.size(); ++d) {
        openFromMenuOn(club.disciplines[d]);
        for (const int m : {0, 1}) {
            setDialogMargins(Printer(), m == 0 ? -1 : 10);
            const QString file = dir.filePath(QStringLiteral("verein%1-%2.pdf").arg(attempts[d]).arg(m));
            printTo(file);
            const std::vector<PdfWord> words = pdfWords(file);
            const int pages = pdfPageCount(file);
            EXPECT_LE(pages, before[d][m]) << file.toStdString();
            // The box of a word is its type's cell: ascent and descent of the face.
            double smallest = 1e9;
            int hyphens = 0;
            QStringList whole, typed = club.values[d];
            std::map<int, double> footers;
            for (const PdfWord& w : words)
                if (w.text == QStringLiteral("Erstellt"))
                    footers[w.page] = w.yMin;
            for (const PdfWord& w : words) {
                if (std::abs(w.yMin - footers[w.page]) > 1)
                    smallest = std::min(smallest, (w.yMax - w.yMin) / kCellPerPoint);
                hyphens += w.text.endsWith(u'-') && !names.contains(w.text);
                if (typed.contains(w.text))
                    whole << w.text;
            }
            EXPECT_GE(smallest, 5.99) << file.toStdString();
            whole.sort();
            typed.sort();
            EXPECT_EQ(whole, typed) << file.toStdString();
            EXPECT_FALSE(pdfPages(file).join(u' ').contains(QStringLiteral("..."))) << file.toStdString();
            const QStringList misleading = misleadingBreaks(words, club.divided);
            EXPECT_EQ(misleading, QStringList()) << file.toStdString();
            // For the figures: the printouts kept in the folder it names, and what they hold.
            if (const QString keep = qEnvironmentVariable("TVP_PRINT_FIGURES"); !keep.isEmpty()) {
                QFile::remove(keep + u'/' + QFileInfo(file).fileName());
                QFile::copy(file, keep + u'/' + QFileInfo(file).fileName());
                std::printf(
                    "%d attempts, %s: %d pages, %.2f pt, %d hyphens (%lld misleading), %lld values whole of %lld\n",
                    attempts[d], m == 0 ? "3,53 mm" : "10 mm", pages, smallest, hyphens, (long long)misleading.size(),
                    (long long)whole.size(), (long long)typed.size());
            }
        }
    }
    setDialogMargins(Printer(), -1);
}

// An evaluation no longer offered takes its table along, and Ctrl+P says why nothing is printed.
TEST_F(AnalyseWindow, WhatIsShownIsWhatIsChosenAndAPrintWithoutATableSaysWhy)
{
    openOnJump();
    form->AlleZwischenergebnissezeigen1->trigger();
    pickByKeys(form->ComboBox2, QStringLiteral("Summe"));
    ASSERT_TRUE(form->ListView1->isVisible());
    form->AlleZwischenergebnissezeigen1->trigger();
    settle();
    EXPECT_FALSE(form->ListView1->isVisible());
    QApplication::setActiveWindow(form);
    form->ComboBox2->setFocus();
    QTest::keyClick(form->ComboBox2, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Ergebnisliste drucken: Keine Ergebnisliste angezeigt. Bitte wählen Sie eine "
                                         "Disziplin und eine Auswertung.")});
}

TEST_F(AnalyseWindow, TheEvaluationListIsDrawnInTheTreesColours)
{
    openOnJump();
    form->AlleZwischenergebnissezeigen1->trigger();
    pickByKeys(form->ComboBox2, QStringLiteral("Bester"));
    form->ComboBox2->showPopup();
    QAbstractItemView* view = form->ComboBox2->view();
    ASSERT_TRUE(waitUntil([&] { return view->isVisible(); }));
    runQueued();
    const QImage shot = view->viewport()->grab().toImage();
    auto colourOf = [&](const QString& name) {
        const QRect r = view->visualRect(view->model()->index(form->ComboBox2->findText(name), 0));
        return shot.pixelColor(r.left() + 2, r.center().y()).rgb() & 0xFFFFFF;
    };
    // Shown in the analysis at full strength; the hidden one paler; the discipline itself silver;
    // the chosen one darkened towards dark blue.
    EXPECT_EQ(colourOf(QStringLiteral("Gesamt")), 0x20E0E0u);
    EXPECT_EQ(colourOf(QStringLiteral("Summe")), 0xE9E963u);
    EXPECT_EQ(colourOf(QStringLiteral("Weitsprung")), 0xC0C0C0u);
    EXPECT_EQ(colourOf(QStringLiteral("Bester")), getOverlayColor(0xE0E020, qRgb(0, 0, 112), 0.3f) & 0xFFFFFF);
    form->ComboBox2->hidePopup();
}

// Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb): the screen with the evaluation list
// open, saved to the file TVP_SCREENSHOT names.
TEST_F(AnalyseWindow, ShownForAScreenshot)
{
    const QString path = qEnvironmentVariable("TVP_SCREENSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "only with TVP_SCREENSHOT";
    openOnJump();
    form->move(0, 0);
    form->AlleZwischenergebnissezeigen1->trigger();
    pickByKeys(form->ComboBox2, QStringLiteral("Bester"));
    form->ComboBox2->showPopup();
    QTest::qWait(300);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(path));
    form->ComboBox2->hidePopup();
}

TEST_F(AnalyseWindow, LoadsRacingReloadsReadOnlyTheCopiesTheirRequestCarries)
{
    ReloadingDisciplineWindows disciplines;
    windows.registerService<IDisciplineWindows>(&disciplines);
    ParameterCache parameters;
    windows.registerService<IGlobalParameterForm>(&parameters);
    client->cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("Gesamt x $(Faktor)"), overall);
    windows.show(TWindowId::AnalyseForm);
    settle();
    form->AlleZwischenergebnissezeigen1->setChecked(true);
    // Many loads in flight while the templates are replaced under them.
    for (int i = 0; i < 20; ++i) {
        form->ShowAndLoad(jump, i % 2 ? best : hidden);
        disciplines.templates.clear();
        disciplines.templates.shrink_to_fit();
    }
    settle();
    windows.unregisterService<IDisciplineWindows>(&disciplines);
    windows.unregisterService<IGlobalParameterForm>(&parameters);
    EXPECT_EQ(disciplines.lookupsOffTheGuiThread.load(), 0);
    EXPECT_EQ(parameters.offTheGuiThread.load(), 0);
    // The label's parameter comes from the values copied with the request.
    EXPECT_TRUE(evaluationNames().contains(QStringLiteral("Gesamt x 1,50")))
        << evaluationNames().join(u',').toStdString();
    // The tree was built from the copies: the unlabelled node carries the template name copied.
    EXPECT_TRUE(evaluationNames().contains(QStringLiteral("Vorlage 2"))) << evaluationNames().join(u',').toStdString();
    EXPECT_TRUE(form->ListView1->isVisible());
}

// The discipline shown was deleted while the window was closed: opened again, it shows no discipline
// as chosen rather than the gone one beside "Keine Daten vorhanden", and offers only those left.
TEST_F(AnalyseWindow, AGoneDisciplineIsNotShownAsChosen)
{
    openOnJump();
    pickByKeys(form->ComboBox2, QStringLiteral("Bester"));
    ASSERT_TRUE(form->ListView1->isVisible());
    form->close();
    StandinSeed(standin.dataFile()).db().query("DELETE FROM disciplines WHERE id = ?", jump).run();

    windows.show(TWindowId::AnalyseForm);
    settle();
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1) << form->ComboBox1->currentText().toStdString();
    EXPECT_EQ(form->ComboBox1->findText(QStringLiteral("Weitsprung")), -1);
    EXPECT_EQ(form->ComboBox2->count(), 0);
    EXPECT_TRUE(recorder.messages.messages.empty());
}
