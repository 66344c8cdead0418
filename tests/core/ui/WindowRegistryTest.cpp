// The window catalogue's constraints, the registry that creates and finds the windows, and
// refresh-all reading the catalogue's rules, in a context of the test's own.

#include "core/connection/CurrentCompetition.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "tests/core/ui/ShellFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using namespace tvp;
using namespace tvp::test;

namespace {

std::size_t indexOf(TWindowId id)
{
    return static_cast<std::size_t>(id);
}

} // namespace

// ---- the catalogue ----

TEST(WindowCatalogue, ComponentNamesKeyStoredPositionsSoTheyAreUnique)
{
    std::set<std::string> names;
    for (const TWindowRow& row : windowCatalogue())
        EXPECT_TRUE(names.insert(row.objectName).second) << row.objectName;
}

TEST(WindowCatalogue, StartUpCreatesPhaseByPhaseInOnePass)
{
    const auto& all = windowCatalogue();
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const TWindowRow& a, const TWindowRow& b) {
        return static_cast<int>(a.phase) < static_cast<int>(b.phase);
    }));
    EXPECT_EQ(all.front().id, TWindowId::MainForm) << "the instance test needs the main window first";
}

TEST(WindowCatalogue, PositionStoreHoldsFiftyNineWindowsWithTheMainWindowsFirst)
{
    const auto& order = positionStoreOrder();
    EXPECT_EQ(order.size(), 59u);
    EXPECT_EQ(order[0], TWindowId::MainForm);
    EXPECT_EQ(order[1], TWindowId::ChooseCompetitionForm);
    std::set<TWindowId> unique(order.begin(), order.end());
    EXPECT_EQ(unique.size(), order.size());
}

TEST(WindowCatalogue, DisciplineWindowsFollowTheCompetitionListWindow)
{
    // Their names derive from the competition-list window, and the second is placed by the first.
    EXPECT_LT(indexOf(TWindowId::DisciplinListForm), indexOf(TWindowId::DisciplinListForm0));
    EXPECT_LT(indexOf(TWindowId::DisciplinListForm0), indexOf(TWindowId::DisciplinListForm1));
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

    // The finder shows athletes of disciplines: it brings age classes, athletes and both discipline
    // windows along; the squad formation brings the squads; hidden windows stay as they are.
    for (TWindowId id : {TWindowId::AthleteResultFinderForm, TWindowId::SquadCreateForm, TWindowId::TimingImportForm,
                         TWindowId::GlobalParameterForm})
        registry.widget(id)->show();
    main.RefreshButton();
    for (TWindowId id :
         {TWindowId::AgeClassForm, TWindowId::AthleteForm, TWindowId::DisciplinListForm0, TWindowId::DisciplinListForm1,
          TWindowId::SquadForm, TWindowId::GlobalParameterForm, TWindowId::CompetitionForm})
        EXPECT_EQ(counting(id)->reloads, 1) << windowRow(id).objectName;
    for (TWindowId id : {TWindowId::ClubForm, TWindowId::TeamForm, TWindowId::AthleteResultFinderForm})
        EXPECT_EQ(counting(id)->reloads, 0) << windowRow(id).objectName;
    EXPECT_EQ(timing->updates, 1);
    EXPECT_EQ(timing->reloads, 0) << "the timing import only updates its list";
    EXPECT_EQ(templates.loads, 0) << "templates only after a visible discipline window";

    // An open discipline window edits the parameters itself, and brings the templates along.
    now += 2000;
    registry.widget(TWindowId::DisciplinListForm1)->show();
    main.RefreshButton();
    EXPECT_EQ(counting(TWindowId::GlobalParameterForm)->reloads, 1);
    EXPECT_EQ(counting(TWindowId::DisciplinListForm0)->reloads, 2);
    EXPECT_EQ(templates.loads, 1);
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
