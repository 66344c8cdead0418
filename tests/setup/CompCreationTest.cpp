// A competition created from a competition type as the wizard starts it, against the stand-in in
// the program's German locale: what the server holds afterwards, the documentation file, refusals
// that leave nothing behind, a name in use asked for again, and the window listing parameters the
// templates brought along.

#include "core/connection/CompetitionUrlHolder.h"
#include "setup/TemplateFiles.h"
#include "setup/ui/CompCreationManager.h"
#include "setup/ui/SetupWindows.h"
#include "setup/ui/UnmappedParameterWarningDialog.h"
#include "standin/ErrorMessages.h"
#include "tests/support/DisciplineWindowEnv.h"
#include "tests/support/PdfPages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

const QString kCaption = QStringLiteral("Veranstaltung anlegen");
const QString kNameInUse = QStringLiteral("Veranstaltungsname bereits vergeben");

class FakeWizard : public QWidget, public ICompCreationWizard {
public:
    void setCompetitionName(const QString& name) override { names << name; }
    void nextPage(QObject*) override { ++nextPages; }
    QStringList names;
    int nextPages = 0;
};

class CompCreation : public ::testing::Test, public DisciplineWindowEnv {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(setUpEnv());
        registerSetupWindows(windows);
        windows.create(TWindowId::UnmappedParameterWarningForm, context);
        windows.create(TWindowId::GlobalParameterForm, context);
        windows.create(TWindowId::DisciplinListForm0, context);
        windows.create(TWindowId::DisciplinListForm1, context);
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        manager = std::make_unique<TCompCreationManager>(context, &wizard, wizard);
    }
    void TearDown() override
    {
        manager.reset();
        closeWindows();
        restoreEnv();
        standin.stop();
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = standin.folder() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
    }

    // Age classes U10 and U12 with the golden discipline "Sprint" chosen. With mapped, the type
    // renames the template's parameter "Faktor Sprint" to its own "Faktor"; without, the template
    // brings it along. With teamScoringInLast, U12 takes a team relay instead and the overall
    // scoring "Wertung", whose "Team: Beste N" input cannot take the relay's team table (143).
    TCompCreationInput inputOf(bool mapped, bool teamScoringInLast = false)
    {
        QFile golden(QStringLiteral(TVP_TEMPLATE_GOLDEN "/discipline.qdt"));
        EXPECT_TRUE(golden.open(QIODevice::ReadOnly));
        const QByteArray sprintBytes = golden.readAll();
        auto sprint = std::make_shared<TDisciplineTemplateWrapper>(write(QStringLiteral("sprint.qdt"), sprintBytes));
        auto relay = std::make_shared<TDisciplineTemplateWrapper>(
            write(QStringLiteral("staffel.qdt"), QByteArray(sprintBytes)
                                                     .replace("<Team>false</Team>", "<Team>true</Team>")
                                                     .replace("<Name>Sprint U10</Name>", "<Name>Staffel</Name>")));
        TExportAggregatorTreeNodeType gesamt;
        gesamt.ID = 50;
        gesamt.AggregatorInfo.ensure().TemplateID = 5;
        gesamt.AggregatorInfo->Parameters = {QStringLiteral("3")};
        gesamt.name = QStringLiteral("Gesamt");
        TExportAggregators inputs;
        inputs.Aggregators = {gesamt};
        auto wertung = std::make_shared<TResEvalTemplateWrapper>(
            write(QStringLiteral("Wertung.qrt"), writeResultsTemplate(false, {}, inputs)));
        const QByteArray mapping =
            mapped ? "<GlobalParameterMapping><Parameter name='Faktor Sprint' value='Faktor'/></GlobalParameterMapping>"
                   : "";
        auto& type = types.emplace_back(std::make_unique<tvp::TCompetitionType>(
            "<CompetitionType><DisplayName>Testtyp</DisplayName><AgeClasses><TeamStartFeeDefault>0"
            "</TeamStartFeeDefault><AthleteStartFeeDefault>0</AthleteStartFeeDefault>"
            "<GlobalParameters><Parameters><Name>Runden</Name><DefaultValue>3.5</DefaultValue></Parameters>"
            "</GlobalParameters>"
            "<AgeClass><Name>U10</Name><DefaultMinTeamMembers>4</DefaultMinTeamMembers></AgeClass>"
            "<AgeClass><Name>U12</Name></AgeClass></AgeClasses>"
            "<Disciplines><GlobalParameters><Parameters><Name>Faktor</Name><DefaultValue>2</DefaultValue></Parameters>"
            "</GlobalParameters><Constraints/><Discipline hashValue='" +
            sprint->SecureHash().toUtf8() + "' hashAlgorithm='SHA1' templateName='Sprint'>" + mapping +
            "</Discipline><Discipline hashValue='" + relay->SecureHash().toUtf8() +
            "' hashAlgorithm='SHA1' templateName='Staffel'>" + mapping +
            "</Discipline></Disciplines><ResultEvaluation><GlobalParameters/><Constraints/><ResultTemplate "
            "hashValue='" +
            wertung->SecureHash().toUtf8() +
            "' hashAlgorithm='SHA1' templateName='Wertung'/></ResultEvaluation>"
            "<ResultPresentations/></CompetitionType>"));

        TCompCreationInput input;
        input.name = QStringLiteral("  Sportfest  ");
        input.date = QDate(2024, 5, 18);
        input.teamFee = QStringLiteral("12,5");
        input.athleteFee = QStringLiteral("3,999");
        setUiInfo ort;
        ort.Key = QStringLiteral("MetaData_Ort_Ort:");
        ort.Value = QStringLiteral("Waldstadion");
        input.metaData = {ort};
        input.globalParameters = type->AgeClasses().Section().GlobalParameters();
        for (int i = 0; i < 2; ++i) {
            CTT_AgeClassType& ageClass = type->AgeClasses().getAgeClass(i);
            const TTemplateFilterResult discs =
                filterTemplates(ageClass, TTemplateKind::Discipline, {sprint, relay}, TTemplateFilter::Recommended,
                                QStringLiteral("Testtyp"), standin.folder());
            const auto& chosen = teamScoringInLast && i == 1 ? relay : sprint;
            ageClass.getDisciplineSelectionState().select(chosen->SecureHash(), chosen->HashAlgorithm());
            applySelection(ageClass, TTemplateKind::Discipline, discs.rows);
            if (teamScoringInLast && i == 1) {
                ageClass.addResEval(wertung);
                ageClass.addSelectedResEval(wertung);
            }
            input.ageClasses.push_back(&ageClass);
        }
        return input;
    }

    double athleteFeeOf(int comp)
    {
        standin::Statement q =
            seed->db().query("SELECT billing_price_per_athlete FROM competitions WHERE id = ?", comp);
        return q.next() ? q.doubleAt(0) : -1;
    }
    int competitions() { return client->competitionNames().size(); }
    QStringList messages() const { return recorder.messages.lines(); }

    StandinHarness standin;
    FakeWizard wizard;
    std::unique_ptr<TCompCreationManager> manager;
    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    // Every input's, for as long as a run may read its age classes.
    std::vector<std::unique_ptr<tvp::TCompetitionType>> types;
};

TEST_F(CompCreation, TheServerHoldsTheCompetitionWithFeesMetadataParametersAgeClassesAndTheDocumentation)
{
    TCompCreationInput input = inputOf(true);
    const QString target = standin.folder() + QStringLiteral("/Dokumentation.pdf");
    input.documentation.fileName = target;
    input.documentation.pdfs = {pdfWithPages({QStringLiteral("Sprint")}),
                                pdfWithPages({QStringLiteral("Wurf 1"), QStringLiteral("Wurf 2")})};

    const int comp = manager->createCompetition(std::move(input));
    ASSERT_NE(comp, 0) << messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(manager->ResultID, comp);
    EXPECT_FALSE(manager->WaitingForFinish || manager->WaitingForCallback);
    EXPECT_TRUE(wizard.isEnabled());
    EXPECT_EQ(client->competitionNames(), QStringList({QStringLiteral("Sportfest")}));
    EXPECT_EQ(athleteFeeOf(comp), 4) << "3,999 to two decimals";
    EXPECT_EQ(recorder.waits.log,
              QStringList({QStringLiteral("+Lege Veranstaltung an..."), QStringLiteral("-Lege Veranstaltung an...")}));

    const std::vector<AgeClassType> ageClasses = client->drs()->getAgeClasses(comp, nullptr);
    ASSERT_EQ(ageClasses.size(), 2u);
    EXPECT_EQ(ageClasses[0].Name, QStringLiteral("U10"));
    EXPECT_EQ(ageClasses[0].BillingPricePerTeam, 12.5);
    EXPECT_EQ(ageClasses[0].MinTeamMembers, 4);
    EXPECT_EQ(ageClasses[1].Name, QStringLiteral("U12"));
    QStringList disciplines;
    for (const DisciplinType& d : client->drs()->getDisciplines(comp, nullptr, 0))
        disciplines << d.Name;
    disciplines.sort();
    EXPECT_EQ(disciplines, QStringList({QStringLiteral("Sprint U10"), QStringLiteral("Sprint U12")}));

    QStringList parameters;
    for (const GlobalParametersType& p : client->drs()->getGlobalParameters(comp))
        parameters << p.Key + QLatin1Char('=') + QString::number(p.Value);
    parameters.sort();
    EXPECT_EQ(parameters, QStringList({QStringLiteral("Faktor=2"), QStringLiteral("Runden=3.5")}));
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM ui_infos WHERE assoc_id = ? AND key = 'MetaData_Ort_Ort:' "
                          "AND value = 'Waldstadion'",
                          comp),
              1);

    EXPECT_EQ(pageMarks(read(target)),
              QStringList({QStringLiteral("Sprint"), QStringLiteral("Wurf 1"), QStringLiteral("Wurf 2")}));
    EXPECT_TRUE(messages().isEmpty());
    QTest::qWait(300);
    EXPECT_FALSE(windows.isVisible(TWindowId::UnmappedParameterWarningForm)) << "nothing was replaced";
}

TEST_F(CompCreation, EmptyFeesSendNoPriceAndTeamFeeZero)
{
    TCompCreationInput input = inputOf(true);
    input.teamFee.clear();
    input.athleteFee.clear();
    const int comp = manager->createCompetition(std::move(input));
    ASSERT_NE(comp, 0);
    EXPECT_EQ(athleteFeeOf(comp), 0);
    for (const AgeClassType& a : client->drs()->getAgeClasses(comp, nullptr))
        EXPECT_EQ(a.BillingPricePerTeam, 0);
}

TEST_F(CompCreation, FeeTextsAreReadInTheUsersFormatToTwoDecimals)
{
    EXPECT_EQ(feeValue(QString()), std::nullopt);
    EXPECT_EQ(feeValue(QStringLiteral("3,999")), 4);
    EXPECT_EQ(feeValue(QStringLiteral("12,5")), 12.5);
    EXPECT_EQ(feeValue(QStringLiteral("0,125")), 0.12) << "a half goes to the even neighbour";
    EXPECT_EQ(feeValue(QStringLiteral("1.000,50")), 1000.5);
    EXPECT_THROW(feeValue(QStringLiteral("3,x")), TvpError);
    EXPECT_THROW(feeValue(QStringLiteral("inf")), TvpError);
}

// The documentation file used to be created before the merge: a refused merge left an emptied
// file and the competition's rollback did not bring its bytes back.
TEST_F(CompCreation, ARefusedMergeLeavesNoCompetitionAndTheFileAsItWas)
{
    const QString existing = write(QStringLiteral("Alt.pdf"), "die alten Bytes");
    const QString fresh = standin.folder() + QStringLiteral("/Neu.pdf");
    for (const QString& target : {existing, fresh}) {
        TCompCreationInput input = inputOf(true);
        input.documentation.fileName = target;
        input.documentation.pdfs = {pdfWithPages({QStringLiteral("Sprint")}), QByteArray("kein PDF")};
        EXPECT_EQ(manager->createCompetition(std::move(input)), 0);
        EXPECT_EQ(competitions(), 0);
        EXPECT_TRUE(wizard.isEnabled());
    }
    EXPECT_EQ(read(existing), QByteArray("die alten Bytes"));
    EXPECT_FALSE(QFile::exists(fresh));
    ASSERT_EQ(recorder.messages.messages.size(), 2u);
    EXPECT_EQ(recorder.messages.messages[0].errorId, standin::errors::UnreadablePdf);
    EXPECT_EQ(recorder.messages.messages[0].parameters, QStringList({QStringLiteral("2")}));
    EXPECT_EQ(recorder.messages.messages[0].caption, kCaption);
}

// The athlete fee is read after the competition was created: the rollback takes it back.
TEST_F(CompCreation, AFeeThatIsNoNumberFailsTheRunAfterItsFirstCallAndLeavesNothing)
{
    TCompCreationInput unreadable = inputOf(true);
    unreadable.athleteFee = QStringLiteral("3,x");
    EXPECT_EQ(manager->createCompetition(std::move(unreadable)), 0);
    EXPECT_EQ(manager->ResultID, 0);
    EXPECT_EQ(competitions(), 0);
    EXPECT_EQ(messages(), QStringList({kCaption + QStringLiteral(": \"3,x\" ist kein gültiger Betrag.")}));
}

TEST_F(CompCreation, ARefusalInTheLastAgeClassLeavesNoCompetitionAndIsExplained)
{
    EXPECT_EQ(manager->createCompetition(inputOf(true, true)), 0);
    EXPECT_EQ(competitions(), 0);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM age_classes WHERE id > ?", 0), 0);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].errorId, 0);
    EXPECT_EQ(messages().value(0),
              kCaption + QStringLiteral(": Die Veranstaltung kann nicht angelegt werden, da der Ergebnis-Aggregator "
                                        "\"Team: Beste N\" das zugeordnete Eingabeformat nicht unterstützt. Vermutlich "
                                        "passt mindestens eine gewählte Disziplin nicht zu einer der gewählten "
                                        "Gesamtwertungen."));
}

TEST_F(CompCreation, ANameInUseIsAskedForAgainWithTheTrimmedName)
{
    client->create(QStringLiteral("Sportfest"));
    script->expectText(kNameInUse, std::nullopt);
    EXPECT_EQ(manager->createCompetition(inputOf(true)), 0);
    EXPECT_TRUE(wizard.names.isEmpty());
    EXPECT_TRUE(messages().isEmpty()) << "cancelled: nothing more is said";
    ASSERT_FALSE(script->seen.empty());
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Wollen Sie einen neuen Veranstaltungsnamen wählen:"));

    script->expectText(kNameInUse, QStringLiteral("Sportfest 2"));
    script->expectMessage(kNameInUse, TMsgAnswer::Ok);
    EXPECT_EQ(manager->createCompetition(inputOf(true)), 0);
    EXPECT_EQ(wizard.names, QStringList({QStringLiteral("Sportfest 2")}));
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Name wurde geändert. Sie können jetzt erneut versuchen die Veranstaltung anzulegen."));
    EXPECT_EQ(competitions(), 1);
}

// Asked as the program shows it, the new name waits beside the wizard without a loop of its own: the
// creation has returned and the wizard takes input again, and the name typed goes into the wizard.
TEST_F(CompCreation, ANameInUseIsAskedWithoutHoldingTheProgram)
{
    class QtText : public ScriptedDialogs {
    public:
        void askText(QWidget* parent, const QString& caption, const QString& prompt, const QString& text,
                     std::function<void(std::optional<QString>)> answered) override
        {
            qt_->askText(parent, caption, prompt, text, std::move(answered));
        }

    private:
        std::unique_ptr<IDialogs> qt_ = makeQtDialogs();
    };
    auto dialogs = std::make_unique<QtText>();
    script = dialogs.get();
    setDialogs(std::move(dialogs));
    client->create(QStringLiteral("Sportfest"));
    wizard.show();
    EXPECT_EQ(manager->createCompetition(inputOf(true)), 0);
    QInputDialog* question = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QInputDialog*>(w); d && d->isVisible())
            question = d;
    ASSERT_TRUE(question) << "not up once the creation returned";
    EXPECT_EQ(question->windowTitle(), kNameInUse);
    EXPECT_TRUE(wizard.isEnabled());
    auto* edit = question->findChild<QLineEdit*>();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->text(), QStringLiteral("Sportfest"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Sportfest 2"));
    script->expectMessage(kNameInUse, TMsgAnswer::Ok);
    QPushButton* ok = nullptr;
    for (QPushButton* b : question->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("OK"))
            ok = b;
    ASSERT_TRUE(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return !wizard.names.isEmpty(); }));
    EXPECT_EQ(wizard.names, QStringList{QStringLiteral("Sportfest 2")});
}

TEST_F(CompCreation, ASecondRunWhileOneGoesOnQueuesNothing)
{
    // Both made first: making one writes the template files the other's run reads.
    TCompCreationInput first = inputOf(true);
    TCompCreationInput again = inputOf(true);
    // The first run waits at the server until the second was tried.
    standin.server().holdAnswers(true);
    int second = -1;
    QTimer::singleShot(0, [&] {
        EXPECT_FALSE(wizard.isEnabled());
        second = manager->createCompetition(std::move(again));
        standin.server().holdAnswers(false);
    });
    EXPECT_NE(manager->createCompetition(std::move(first)), 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(competitions(), 1);
}

// A template parameter the type neither declares nor maps is made from the template's value and
// listed; the window's button completes the wizard once and later only reopens the windows.
TEST_F(CompCreation, ParametersFromTemplateValuesAreListedAndTheButtonCompletesTheWizardOnce)
{
    const int comp = manager->createCompetition(inputOf(false));
    ASSERT_NE(comp, 0);
    useCompetition(comp);
    auto* warning = windows.get<TUnmappedParameterWarningForm>(TWindowId::UnmappedParameterWarningForm);
    ASSERT_TRUE(warning);
    EXPECT_FALSE(warning->isVisible()) << "shown shortly afterwards";
    ASSERT_TRUE(waitUntil([&] { return warning->isVisible(); }));
    EXPECT_EQ(warning->windowTitle(),
              QStringLiteral("Warnung: Einige Veranstaltungsparameter konnten nicht zugeordnet werden"));
    QAbstractItemModel* rows = warning->ListView1->model();
    ASSERT_GE(rows->rowCount(), 1);
    EXPECT_EQ(rows->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Vorlage"));
    EXPECT_TRUE(rows->index(0, 0).data().toString().startsWith(QStringLiteral("Sprint")));
    EXPECT_TRUE(rows->index(0, 1).data().toString().contains(QStringLiteral("Faktor")));
    EXPECT_EQ(warning->Button1->text(), QStringLiteral("Wizard beenden und Veranstaltungsparameter öffnen"));

    QTest::mouseClick(warning->Button1, Qt::LeftButton);
    EXPECT_EQ(wizard.nextPages, 1);
    EXPECT_FALSE(warning->isVisible());
    EXPECT_EQ(warning->Button1->text(), QStringLiteral("Veranstaltungsparameter öffnen"));
    ASSERT_TRUE(waitUntil([&] { return warning->isVisible(); }));
    EXPECT_TRUE(windows.isVisible(TWindowId::GlobalParameterForm));
    EXPECT_TRUE(windows.isVisible(TWindowId::DisciplinListForm0));

    QTest::mouseClick(warning->Button1, Qt::LeftButton);
    EXPECT_EQ(wizard.nextPages, 1) << "the second press only reopens the windows";
    EXPECT_FALSE(windows.isVisible(TWindowId::GlobalParameterForm));
    ASSERT_TRUE(waitUntil([&] { return warning->isVisible(); }));
    EXPECT_TRUE(windows.isVisible(TWindowId::GlobalParameterForm));
}

TEST_F(CompCreation, ValuesAreShownWithoutDecimalsAndSortedByAColumnClick)
{
    auto* warning = windows.get<TUnmappedParameterWarningForm>(TWindowId::UnmappedParameterWarningForm);
    warning->showUnmappedParameterWarningFormAsync({{QStringLiteral("Wurf"), QStringLiteral("NEU_Wurf_Weite"), 2.6},
                                                    {QStringLiteral("Lauf"), QStringLiteral("NEU_Lauf_Runden"), 12}},
                                                   nullptr);
    ASSERT_TRUE(waitUntil([&] { return warning->isVisible(); }));
    QAbstractItemModel* rows = warning->ListView1->model();
    QStringList values;
    for (int r = 0; r < rows->rowCount(); ++r)
        values << rows->index(r, 0).data().toString() + QLatin1Char(' ') + rows->index(r, 2).data().toString();
    EXPECT_TRUE(values.contains(QStringLiteral("Wurf 3")));
    EXPECT_TRUE(values.contains(QStringLiteral("Lauf 12")));

    QHeaderView* header = warning->ListView1->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    const QString first = rows->index(0, 0).data().toString();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    EXPECT_NE(rows->index(0, 0).data().toString(), first) << "a repeated click reverses";
    // Without a close action the button only opens the windows.
    QTest::mouseClick(warning->Button1, Qt::LeftButton);
    EXPECT_EQ(wizard.nextPages, 0);
}

} // namespace
