// The window catalogue's constraints, the registry that creates and finds the windows, and
// refresh-all reading the catalogue's rules, in a context of the test's own.

#include "core/connection/CurrentCompetition.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "tests/core/ui/ShellFixture.h"
#include "core/services/ParticipantServices.h"
#include "core/ui/WindowPositionManager.h"
#include "core/util/IniHandler.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using namespace tvp;
using namespace tvp::test;

// ---- the catalogue ----

TEST(WindowCatalogue, PositionStoreHoldsFiftyNineWindowsWithTheMainWindowsFirst)
{
    const auto& order = positionStoreOrder();
    EXPECT_EQ(order.size(), 59u);
    EXPECT_EQ(order[0], TWindowId::MainForm);
    EXPECT_EQ(order[1], TWindowId::ChooseCompetitionForm);
    std::set<TWindowId> unique(order.begin(), order.end());
    EXPECT_EQ(unique.size(), order.size());
}

// ---- the registry ----

namespace {

// A work window that counts its reloads and logs its unloading and destruction.
class CountingForm : public TTVPForm {
public:
    CountingForm(TWindowContext& context, QStringList* log) : TTVPForm(context), log_(log) {}
    ~CountingForm() override { log_->append(QStringLiteral("~") + objectName()); }
    void unload() override { log_->append(QStringLiteral("unload ") + objectName()); }
    int reloads = 0;

protected:
    void reloadData() override { ++reloads; }

private:
    QStringList* log_;
};

class TimingImport : public CountingForm, public ITimingImportForm {
public:
    using CountingForm::CountingForm;
    void UpdateItems() override { ++updates; }
    int updates = 0;
};

class Templates : public IDisciplineTemplates {
public:
    void LoadDisciplineTemplates() override { ++loads; }
    int loads = 0;
};

// The discipline windows' unit, as the organisation area registers it.
class DisciplineWindows : public IDisciplineWindows {
public:
    void ShowDisciplinForm(QObject*, int, int) override {}
    void reloadDisciplinForms(bool onlyVisible) override { calls.push_back(onlyVisible); }
    bool isDiscVisible() const override { return false; }
    std::optional<TDisciplineInfo> getLatestDiscInfo(int) const override { return std::nullopt; }
    const proto::ResultAggregatorTemplateType* getTemplateById(int) const override { return nullptr; }
    std::vector<bool> calls;
};

class TeamRuleWarning : public CountingForm, public ITeamMemberWarningForm {
public:
    using CountingForm::CountingForm;
    void showParticipantWarning(const std::vector<proto::InvalidParticipantType>& warnings,
                                const std::vector<int>& resProvIds, int compId) override
    {
        shown = {warnings.size(), resProvIds, compId};
    }
    std::tuple<std::size_t, std::vector<int>, int> shown;
};

class RegistryTest : public ShellTest {
protected:
    template <class Form = CountingForm>
    Form* add(TWindowId id)
    {
        registry.registerWindow(id, [this](TWindowContext& c) { return std::make_unique<Form>(c, &log); });
        return static_cast<Form*>(registry.create(id, context));
    }
    CountingForm* counting(TWindowId id) { return registry.get<CountingForm>(id); }

    QStringList log; // outlives the windows, which log their end
    TCurrentCompetition competition;
    TWindowRegistry registry;
    TWindowContext context{competition, registry};
};

} // namespace

TEST_F(RegistryTest, RowsWithoutAFactoryBecomePlaceholdersWithTheRealCaption)
{
    CountingForm* clubs = add(TWindowId::ClubForm);
    QWidget* teams = registry.create(TWindowId::TeamForm, context);

    EXPECT_EQ(clubs->objectName(), QStringLiteral("ClubForm"));
    EXPECT_EQ(&clubs->context(), &context);
    EXPECT_FALSE(clubs->isVisible());
    EXPECT_EQ(windowClassName(teams), QStringLiteral("TTeamForm"));
    EXPECT_EQ(teams->objectName(), QStringLiteral("TeamForm"));
    EXPECT_EQ(teams->windowTitle(), QStringLiteral("Teams"));
    EXPECT_TRUE(registry.form(TWindowId::TeamForm)) << "a placeholder is a work window too";
    EXPECT_EQ(registry.get<CountingForm>(TWindowId::TeamForm), nullptr);
    EXPECT_EQ(registry.widget(TWindowId::AthleteForm), nullptr) << "not created";
    EXPECT_EQ(registry.created(), (std::vector<QWidget*>{clubs, teams}));
    EXPECT_EQ(teams->findChild<QLabel*>(QStringLiteral("PlaceholderLabel"))->text(),
              QStringLiteral("Dieses Fenster folgt in einer späteren Version."));
}

TEST_F(RegistryTest, APlaceholderOpensWhereThePositionStorePutsItOrCentred)
{
    // The timing settings come after the store was made: centred, as the store centres.
    QWidget* late = registry.create(TWindowId::TimingSettingsForm, context);
    const QRect area = TPositionStoreAdapter::primaryScreenArea();
    registry.show(TWindowId::TimingSettingsForm);
    EXPECT_NEAR(late->x(), area.x() + area.width() / 2 - late->width() / 2, 1);
    EXPECT_NEAR(late->y(), area.y() + area.height() / 2 - late->height() / 2, 1);

    // One the store placed stays there.
    WriteIniInteger(QStringLiteral("WindowPositions"), QStringLiteral("TeamForm.PosX"), 40);
    WriteIniInteger(QStringLiteral("WindowPositions"), QStringLiteral("TeamForm.PosY"), 30);
    registry.create(TWindowId::TeamForm, context);
    TPositionStoreAdapter store({registry.form(TWindowId::TeamForm)}, 0);
    registry.show(TWindowId::TeamForm);
    EXPECT_EQ(registry.widget(TWindowId::TeamForm)->pos(), QPoint(40, 30));
}

TEST_F(RegistryTest, CloseGoesThroughTheWindowsOwnQuestion)
{
    CountingForm* data = add(TWindowId::DataViewForm);
    registry.show(TWindowId::DataViewForm);
    data->setDirtyData(QStringLiteral("Ansicht"));
    script->expectMessage(data->windowTitle(), TMsgAnswer::No);
    registry.close(TWindowId::DataViewForm);
    EXPECT_TRUE(data->isVisible());
    script->expectMessage(data->windowTitle(), TMsgAnswer::Yes);
    registry.close(TWindowId::DataViewForm);
    EXPECT_FALSE(data->isVisible());
    registry.close(TWindowId::ResultCheckForm); // not there: nothing
}

TEST_F(RegistryTest, TheMainWindowHandsTeamRuleFindingsToTheirWindow)
{
    TMainForm main(context);
    main.showParticipantWarning({proto::InvalidParticipantType{}}, {4, 5}, 9); // no window yet: nothing
    auto* warning = add<TeamRuleWarning>(TWindowId::TeamMemberWarningForm);
    main.showParticipantWarning({proto::InvalidParticipantType{}, proto::InvalidParticipantType{}}, {4, 5}, 9);
    EXPECT_EQ(warning->shown, std::make_tuple(std::size_t(2), std::vector<int>{4, 5}, 9));
}

TEST_F(RegistryTest, InterfacesAreFoundOnWindowsFirstThenOnServices)
{
    Templates service;
    registry.registerService<IDisciplineTemplates>(&service);
    EXPECT_EQ(registry.find<IDisciplineTemplates>(), &service);
    EXPECT_EQ(registry.find<ITimingImportForm>(), nullptr);

    add(TWindowId::ClubForm);
    TimingImport* timing = add<TimingImport>(TWindowId::TimingImportForm);
    EXPECT_EQ(registry.find<ITimingImportForm>(), timing);
    EXPECT_EQ(registry.get<ITimingImportForm>(TWindowId::TimingImportForm), timing);
    EXPECT_EQ(registry.get<ITimingImportForm>(TWindowId::ClubForm), nullptr);

    registry.unregisterService(&service);
    EXPECT_EQ(registry.find<IDisciplineTemplates>(), nullptr);
}

TEST_F(RegistryTest, WindowsGoNewestFirstAndAreForgottenBeforeTheyGo)
{
    add(TWindowId::ClubForm);
    add(TWindowId::TeamForm);
    add(TWindowId::AthleteForm);
    registry.destroyAll();
    EXPECT_EQ(log, (QStringList{"~AthleteForm", "~TeamForm", "~ClubForm"}));
    EXPECT_TRUE(registry.created().empty());
    EXPECT_EQ(registry.widget(TWindowId::ClubForm), nullptr);
}

TEST_F(RegistryTest, RefreshAllReloadsByTheVisibilityRules)
{
    for (TWindowId id : {TWindowId::GlobalParameterForm, TWindowId::ClubForm, TWindowId::AgeClassForm,
                         TWindowId::TeamForm, TWindowId::AthleteForm, TWindowId::DisciplinListForm0,
                         TWindowId::DisciplinListForm1, TWindowId::AthleteResultFinderForm, TWindowId::SquadForm,
                         TWindowId::SquadCreateForm, TWindowId::CompetitionForm})
        add(id);
    TimingImport* timing = add<TimingImport>(TWindowId::TimingImportForm);
    Templates templates;
    registry.registerService<IDisciplineTemplates>(&templates);
    TMainForm main(context);

    // The finder shows athletes of disciplines: it brings age classes, athletes and the discipline
    // windows' unit along; the squad formation brings the squads; hidden windows stay as they are.
    for (TWindowId id : {TWindowId::AthleteResultFinderForm, TWindowId::SquadCreateForm, TWindowId::TimingImportForm,
                         TWindowId::GlobalParameterForm})
        registry.widget(id)->show();
    main.RefreshButton();
    for (TWindowId id : {TWindowId::AgeClassForm, TWindowId::AthleteForm, TWindowId::SquadForm,
                         TWindowId::GlobalParameterForm, TWindowId::CompetitionForm})
        EXPECT_EQ(counting(id)->reloads, 1) << windowRow(id).objectName;
    for (TWindowId id : {TWindowId::ClubForm, TWindowId::TeamForm, TWindowId::AthleteResultFinderForm,
                         TWindowId::DisciplinListForm0, TWindowId::DisciplinListForm1})
        EXPECT_EQ(counting(id)->reloads, 0) << windowRow(id).objectName;
    EXPECT_EQ(timing->updates, 1);
    EXPECT_EQ(timing->reloads, 0) << "the timing import only updates its list";
    EXPECT_EQ(templates.loads, 0) << "templates only after a visible discipline window";

    // An open discipline window edits the parameters itself, and brings the templates along; of
    // the two windows only the visible one reloads.
    now += 2000;
    registry.widget(TWindowId::DisciplinListForm1)->show();
    main.RefreshButton();
    EXPECT_EQ(counting(TWindowId::GlobalParameterForm)->reloads, 1);
    EXPECT_EQ(counting(TWindowId::DisciplinListForm0)->reloads, 0);
    EXPECT_EQ(counting(TWindowId::DisciplinListForm1)->reloads, 1);
    EXPECT_EQ(templates.loads, 1);

    // Once the organisation area is there, its unit decides, for the visible windows only.
    DisciplineWindows unit;
    registry.registerService<IDisciplineWindows>(&unit);
    now += 2000;
    main.RefreshButton();
    EXPECT_EQ(unit.calls, std::vector<bool>{true});
    EXPECT_EQ(counting(TWindowId::DisciplinListForm1)->reloads, 1) << "not reloaded twice";
    registry.unregisterService(&unit);
    registry.unregisterService(&templates);
}

TEST_F(RegistryTest, OpeningACompetitionUnloadsTheWorkWindowsThatAreThere)
{
    add(TWindowId::ClubForm);
    add(TWindowId::AthleteForm);
    add(TWindowId::HintForm); // not one that holds competition data
    registry.create(TWindowId::TeamForm, context);
    TMainForm main(context);
    main.ReloadAll();
    EXPECT_EQ(log, (QStringList{"unload AthleteForm", "unload ClubForm"})) << "in their own order, not creation order";
}
