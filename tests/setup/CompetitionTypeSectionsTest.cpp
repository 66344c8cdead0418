// The sections of a competition type as each age class sees them: parameters, references and their
// children, matching with template files by digest, the tabs' template lists with broken files
// reported once, and the messages constraints turn into.

#include "setup/CompetitionTypeSections.h"
#include "setup/TemplateFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tvp {
namespace {

QByteArray typeWith(const QByteArray& sections)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CompetitionType><DisplayName>Testtyp</DisplayName>"
           "<AgeClasses><TeamStartFeeDefault>0</TeamStartFeeDefault><AthleteStartFeeDefault>0</AthleteStartFeeDefault>"
           "<GlobalParameters><Parameters><Name>Runden</Name><DefaultValue>3</DefaultValue></Parameters>"
           "</GlobalParameters><AgeClass><Name>U8</Name></AgeClass><AgeClass><Name>U10</Name></AgeClass>"
           "</AgeClasses>" +
           sections + "</CompetitionType>";
}

const QByteArray kEmptyParts = "<GlobalParameters/><Constraints/>";

QByteArray disciplineRef(const QString& hash, const char* name, const QByteArray& children = {})
{
    return "<Discipline hashValue='" + hash.toUtf8() + "' hashAlgorithm='SHA1' templateName='" + name + "'>" +
           children + "</Discipline>";
}

QByteArray discTemplate(const QString& name, bool team = false)
{
    TDiscTemplateContent content;
    content.DisciplinInfo.Name = name;
    content.DisciplinInfo.ResultTableType.ensure().Team = team;
    return writeDiscTemplate(content);
}

class Sections : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    std::shared_ptr<TDisciplineTemplateWrapper> disc(const QString& file, const QByteArray& bytes)
    {
        return std::make_shared<TDisciplineTemplateWrapper>(write(file, bytes));
    }
    static QString errorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const TvpError& e) {
            return e.message();
        }
        return QStringLiteral("<kein Fehler>");
    }
    QTemporaryDir dir;
};

TEST_F(Sections, ReferencesReadEveryChildWithItsFallback)
{
    TCompetitionType type(typeWith(
        "<Disciplines><GlobalParameters><Parameters><Name>Faktor</Name><DefaultValue>1.5</DefaultValue></Parameters>"
        "<Parameters><Name>Komma</Name><DefaultValue>2,25</DefaultValue></Parameters></GlobalParameters>"
        "<Constraints/>" +
        disciplineRef(
            "AB", "Sprint $(#current(AgeClass)/Name)",
            "<DisciplineGroup>Lauf</DisciplineGroup><KindTag>K</KindTag><RelayTag>R</RelayTag>"
            "<Documentation hashValue='DD' hashAlgorithm='SHA1'/>"
            "<GlobalParameterMapping><Parameter name='Faktor Sprint' value='Faktor'/></GlobalParameterMapping>") +
        disciplineRef("CD", "Wurf") +
        "</Disciplines>"
        "<ResultEvaluation>" +
        kEmptyParts +
        "<ResultTemplate hashValue='EF' hashAlgorithm='SHA1' templateName='Gesamt'><DefaultSelect>TRUE</DefaultSelect>"
        "<excludeInputs><Discipline templateName='Wurf U10'/></excludeInputs>"
        "<IntermediateResultTemplates><IntermediateResultTemplate templateName='Zwischen'/>"
        "</IntermediateResultTemplates></ResultTemplate>"
        "<ResultTemplate hashValue='01' hashAlgorithm='SHA1' templateName='Zwischen'/></ResultEvaluation>"));
    CTT_AgeClassType& u10 = type.AgeClasses().getAgeClass(1);
    CTT_Disciplines& discs = u10.getDisciplines();
    ASSERT_EQ(discs.GlobalParameters().size(), 2u);
    EXPECT_EQ(discs.GlobalParameters()[0].DefaultValue, 1.5);
    EXPECT_EQ(discs.GlobalParameters()[1].DefaultValue, 2.25) << "the program's separator is taken too";
    ASSERT_EQ(discs.DisciplinesCount(), 2);
    const CTT_DisciplineType& sprint = discs.Discipline(0);
    EXPECT_EQ(sprint.Name, QStringLiteral("Sprint U10")) << "expanded for this age class";
    EXPECT_EQ(sprint.DisciplineGroup, QStringLiteral("Lauf"));
    EXPECT_EQ(sprint.KindTag, QStringLiteral("K"));
    EXPECT_EQ(sprint.RelayTag, QStringLiteral("R"));
    ASSERT_TRUE(sprint.DocumentationFile);
    EXPECT_EQ(sprint.DocumentationFile->SecureHash, QStringLiteral("DD"));
    EXPECT_EQ(sprint.MapGlobalParam(QStringLiteral("Faktor Sprint")), QStringLiteral("Faktor"));
    EXPECT_EQ(sprint.MapGlobalParam(QStringLiteral("faktor sprint")), QStringLiteral("faktor sprint"));
    EXPECT_EQ(sprint.MapGlobalParam(QStringLiteral("Anderer")), QStringLiteral("Anderer"));
    const CTT_DisciplineType& wurf = discs.Discipline(1);
    EXPECT_TRUE(wurf.DisciplineGroup.isEmpty());
    EXPECT_FALSE(wurf.DocumentationFile);

    CTT_ResultEvaluations& res = u10.getResEvals();
    ASSERT_EQ(res.ResEvalsCount(), 2);
    EXPECT_TRUE(res.ResEval(0).DefaultSelect);
    EXPECT_FALSE(res.ResEval(1).DefaultSelect);
    EXPECT_TRUE(res.ResEval(0).isInExcludedInputs(QStringLiteral("Wurf U10")));
    EXPECT_FALSE(res.ResEval(0).isInExcludedInputs(QStringLiteral("Wurf")));
    ASSERT_EQ(res.ResEval(0).IntermediateResultTemplates.size(), 1u);
    EXPECT_EQ(res.ResEval(0).IntermediateResultTemplates[0].templateName, QStringLiteral("Zwischen"));
    EXPECT_EQ(res.ResEval(0).IntermediateResultTemplates[0].getResultEvaluation(), nullptr);

    TXMLEvaluator& ev = u10.evaluator();
    EXPECT_EQ(
        ev.evaluate(QStringLiteral("$(#current(AgeClass)/Disciplines/Discipline[0]/DocumentationFile/SecureHash)")),
        QStringLiteral("DD"));
    EXPECT_THROW(ev.evaluate(QStringLiteral("$(#current(AgeClass)/Disciplines/Discipline[1]/DocumentationFile/Name)")),
                 ERuleError);
    EXPECT_THROW(ev.evaluate(QStringLiteral("$(#current(AgeClass)/ResEvals/ResEval[0]/DefaultSelect)")), ERuleError);
    EXPECT_EQ(ev.evaluate(QStringLiteral("$(#current(AgeClass)/ResEvals/ResEvalsCount)")), QStringLiteral("2"));

    ASSERT_EQ(type.AgeClasses().Section().GlobalParameters().size(), 1u);
    EXPECT_EQ(type.AgeClasses().Section().GlobalParameters()[0].Name, QStringLiteral("Runden"));
}

TEST_F(Sections, MissingPartsFailTheReadAndNothingIsKept)
{
    auto failure = [&](const QByteArray& sections) {
        TCompetitionType type(typeWith(sections));
        CTT_AgeClassType& u8 = type.AgeClasses().getAgeClass(0);
        const QString first = errorOf([&] { u8.getDisciplines(); });
        EXPECT_EQ(errorOf([&] { u8.getDisciplines(); }), first) << "read again, fails again";
        return first;
    };
    EXPECT_EQ(failure("<ResultEvaluation/>"), QStringLiteral("Element nicht gefunden: Disciplines"));
    EXPECT_EQ(failure("<Disciplines><Constraints/></Disciplines>"),
              QStringLiteral("Element nicht gefunden: GlobalParameters"));
    EXPECT_EQ(failure("<Disciplines><GlobalParameters/></Disciplines>"),
              QStringLiteral("Element nicht gefunden: Constraints"));
    for (const char* attr : {"hashValue", "hashAlgorithm", "templateName"}) {
        QByteArray ref = disciplineRef("AB", "Sprint");
        ref.replace(QByteArray(attr) + "=", "x" + QByteArray(attr) + "=");
        EXPECT_EQ(failure("<Disciplines>" + kEmptyParts + ref + "</Disciplines>"),
                  QStringLiteral("Attribut %1 fehlt in Discipline.").arg(QLatin1String(attr)));
    }
    EXPECT_NE(
        failure("<Disciplines>" + kEmptyParts +
                disciplineRef("AB", "S", "<GlobalParameterMapping><Parameter name='a'/></GlobalParameterMapping>") +
                "</Disciplines>"),
        QStringLiteral("<kein Fehler>"));
    EXPECT_NE(failure("<Disciplines>" + kEmptyParts + disciplineRef("AB", "S", "<Documentation hashValue='1'/>") +
                      "</Disciplines>"),
              QStringLiteral("<kein Fehler>"));
    // No blank before "is": the text as the program has always shown it.
    EXPECT_EQ(failure("<Disciplines><GlobalParameters><Parameters><Name>Faktor</Name><DefaultValue>x</DefaultValue>"
                      "</Parameters></GlobalParameters><Constraints/></Disciplines>"),
              QStringLiteral("Paramter value for Faktoris not a valid number"));
    EXPECT_EQ(failure("<Disciplines><GlobalParameters><Parameters><Name>Faktor</Name></Parameters></GlobalParameters>"
                      "<Constraints/></Disciplines>"),
              QStringLiteral("Paramter value for Faktoris not a valid number"));

    TCompetitionType type(
        typeWith("<ResultPresentations><ResultPresentation><Name>Urkunden</Name>"
                 "<defaultPriority>1.5</defaultPriority></ResultPresentation></ResultPresentations>"));
    EXPECT_NE(errorOf([&] { type.AgeClasses().getAgeClass(0).loadResultPresentationInfo(); }),
              QStringLiteral("<kein Fehler>"));

    TCompetitionType empty(typeWith("<Disciplines>" + kEmptyParts + "</Disciplines>"));
    CTT_Disciplines& none = empty.AgeClasses().getAgeClass(0).getDisciplines();
    EXPECT_TRUE(none.GlobalParameters().empty());
    EXPECT_TRUE(none.Constraints().empty());
    EXPECT_EQ(none.DisciplinesCount(), 0);
}

TEST_F(Sections, FilesMatchByExactDigestFirstReferenceFirst)
{
    const auto sprint = disc(QStringLiteral("sprint.qdt"), discTemplate(QStringLiteral("Sprint")));
    const auto wurf = disc(QStringLiteral("wurf.qdt"), discTemplate(QStringLiteral("Wurf")));
    const QString hash = sprint->SecureHash();
    TCompetitionType type(typeWith(
        "<Disciplines>" + kEmptyParts + disciplineRef(hash, "Erster") + disciplineRef(hash, "Zweiter") +
        disciplineRef(wurf->SecureHash().toLower(), "Klein") +
        "<conditionalSwitch><equals expression1='$(#current(AgeClass)/Name)' "
        "expression2='U8'/><then>" +
        disciplineRef(wurf->SecureHash(), "Wurf U8") + "</then><else>" + disciplineRef("00", "Anders") +
        "</else></conditionalSwitch></Disciplines>" + "<ResultEvaluation>" + kEmptyParts + "</ResultEvaluation>"));
    CTT_AgeClassType& u8 = type.AgeClasses().getAgeClass(0);
    CTT_AgeClassType& u10 = type.AgeClasses().getAgeClass(1);
    ASSERT_NE(u8.getCTTDisc(*sprint), nullptr);
    EXPECT_EQ(u8.getCTTDisc(*sprint)->Name, QStringLiteral("Erster"));
    ASSERT_NE(u8.getCTTDisc(*wurf), nullptr);
    EXPECT_EQ(u8.getCTTDisc(*wurf)->Name, QStringLiteral("Wurf U8")) << "the lower-case digest matches nothing";
    EXPECT_EQ(u10.getCTTDisc(*wurf), nullptr) << "U10 gets the other branch";
    EXPECT_EQ(u8.getDisciplines().DisciplinesCount(), 4);
    EXPECT_EQ(u10.getDisciplines().Discipline(3).Name, QStringLiteral("Anders"));
    EXPECT_EQ(u8.getCTT(*sprint), u8.getCTTDisc(*sprint)) << "no result evaluation with that digest";
}

TEST_F(Sections, GroupsSkipReferencesThatWarnAndChosenListsFollowTheTemplates)
{
    const auto sprint = disc(QStringLiteral("a.qdt"), discTemplate(QStringLiteral("Sprint")));
    const auto staffel = disc(QStringLiteral("b.qdt"), discTemplate(QStringLiteral("Staffel"), true));
    const auto fremd = disc(QStringLiteral("c.qdt"), discTemplate(QStringLiteral("Fremd")));
    const QByteArray warnsWithoutStaffel =
        "<constraint failType='warn' userFeedbackOnFail='ohne Staffel'><greater "
        "expression1='$(#current(AgeClass)/SelectedNonTeamDisciplineTemplatesCount)' expression2='5'/></constraint>";
    TCompetitionType type(typeWith(
        "<Disciplines><GlobalParameters/><Constraints>"
        "<constraint failType='incompliant' userFeedbackOnFail='Zwei Disziplinen'><greater "
        "expression1='$(#current(AgeClass)/SelectedDisciplinesCount)' expression2='1'/></constraint></Constraints>" +
        disciplineRef(sprint->SecureHash(), "Sprint", "<DisciplineGroup>Lauf</DisciplineGroup>" + warnsWithoutStaffel) +
        disciplineRef(staffel->SecureHash(), "Staffel", "<DisciplineGroup>Lauf</DisciplineGroup>") + "</Disciplines>"));
    CTT_AgeClassType& u8 = type.AgeClasses().getAgeClass(0);
    CTT_Disciplines& section = u8.getDisciplines();
    ASSERT_NE(section.findByDisciplineGroup(QStringLiteral("Lauf")), nullptr);
    EXPECT_EQ(section.findByDisciplineGroup(QStringLiteral("Lauf"))->Name, QStringLiteral("Staffel"));
    EXPECT_EQ(section.findByDisciplineGroup(QStringLiteral("lauf")), nullptr);

    u8.addSelectedDiscipline(sprint);
    u8.addSelectedDiscipline(fremd);
    u8.addSelectedDiscipline(staffel);
    TXMLEvaluator& ev = u8.evaluator();
    auto path = [&](const char* p) {
        return ev.evaluate(QStringLiteral("$(#current(AgeClass)/%1)").arg(QLatin1String(p)));
    };
    EXPECT_EQ(path("SelectedDisciplineTemplatesCount"), QStringLiteral("3"));
    EXPECT_EQ(path("SelectedDisciplinesCount"), QStringLiteral("2")) << "the unlisted one has no reference";
    EXPECT_EQ(path("SelectedNonTeamDisciplineTemplatesCount"), QStringLiteral("2"));
    EXPECT_EQ(path("SelectedNonTeamDisciplinesCount"), QStringLiteral("1"));
    EXPECT_EQ(path("SelectedDisciplines[1]/Name"), QStringLiteral("Staffel"));
    EXPECT_EQ(path("SelectedDisciplineTemplates[1]/Name"), QStringLiteral("Fremd"));
    EXPECT_EQ(path("Disciplines/DisciplinesCount"), QStringLiteral("2"));

    QStringList evalErrors;
    const std::vector<TSetupMessage> messages =
        ageClassMessages(u8, TTemplateKind::Discipline, QStringLiteral("Disziplinen"), &evalErrors);
    EXPECT_TRUE(evalErrors.isEmpty());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].kind, TSetupMessageKind::Warning);
    EXPECT_EQ(messages[0].text, QStringLiteral("U8 (Sprint): ohne Staffel"));
    EXPECT_EQ(messages[1].kind, TSetupMessageKind::Warning);
    EXPECT_EQ(messages[1].text, QStringLiteral("U8 (Fremd): Vorlage wird nicht vom Veranstaltungstyp empfohlen"));
    EXPECT_EQ(messages[1].id, QStringLiteral("Disziplinen_TemplateNotListed_Fremd"));

    u8.clearSelectedDisciplines();
    u8.addSelectedDiscipline(staffel);
    const std::vector<TSetupMessage> one = ageClassMessages(u8, TTemplateKind::Discipline, {}, &evalErrors);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].kind, TSetupMessageKind::Error);
    EXPECT_EQ(one[0].text, QStringLiteral("Zwei Disziplinen"));
    EXPECT_EQ(one[0].id, QStringLiteral("CONSTRAINT__Zwei Disziplinen"));
}

TEST_F(Sections, AConstraintThatCannotBeEvaluatedIsReportedAndDoesNotApply)
{
    TCompetitionType type(typeWith("<Disciplines><GlobalParameters/><Constraints>"
                                   "<constraint failType='incompliant' userFeedbackOnFail='Kaputt'><greater "
                                   "expression1='$(#current(AgeClass)/Unbekannt)' expression2='1'/></constraint>"
                                   "</Constraints></Disciplines>"));
    QStringList evalErrors;
    EXPECT_TRUE(ageClassMessages(type.AgeClasses().getAgeClass(0), TTemplateKind::Discipline, {}, &evalErrors).empty());
    ASSERT_EQ(evalErrors.size(), 1);
    EXPECT_TRUE(evalErrors[0].startsWith(
        QStringLiteral("Beim Auswerten von Veranstaltungsbedingung \"Kaputt\" ist ein Fehler aufgetreten: ")));
}

TEST_F(Sections, FolderListsSortedFilesAndReportsABrokenOneOnce)
{
    write(QStringLiteral("b.qdt"), discTemplate(QStringLiteral("Weit")));
    write(QStringLiteral("a.qdt"), discTemplate(QStringLiteral("Sprint")));
    QByteArray wrongRoot = discTemplate(QStringLiteral("Kaputt"));
    wrongRoot.replace("DisciplinTemplate", "ResultsTemplate");
    const QString broken = write(QStringLiteral("c.qdt"), wrongRoot);
    write(QStringLiteral("d.txt"), "nichts");

    const TTemplateFolder<TDisciplineTemplateWrapper> folder = loadDisciplineTemplates(dir.path());
    ASSERT_EQ(folder.templates.size(), 2u);
    EXPECT_EQ(folder.templates[0]->getDisplayName(), QStringLiteral("Sprint"));
    EXPECT_EQ(folder.templates[1]->getDisplayName(), QStringLiteral("Weit"));
    ASSERT_EQ(folder.errors.size(), 1);
    EXPECT_EQ(folder.errors[0], QStringLiteral("Disziplinvorlage ") + broken +
                                    QStringLiteral(" konnte nicht geladen werden: ") +
                                    LoadDiscFromStream(wrongRoot).error);

    // Not offered under "Alle Disziplinvorlagen anzeigen" either.
    TCompetitionType type(typeWith("<Disciplines>" + kEmptyParts + "</Disciplines>"));
    const std::vector<std::shared_ptr<TAbstractTemplateWrapper>> loaded(folder.templates.begin(),
                                                                        folder.templates.end());
    const TTemplateFilterResult all =
        filterTemplates(type.AgeClasses().getAgeClass(0), TTemplateKind::Discipline, loaded, TTemplateFilter::All,
                        QStringLiteral("Testtyp"), dir.path());
    EXPECT_EQ(all.rows.size(), 2u);

    const TTemplateFolder<TResEvalTemplateWrapper> results = loadResEvalTemplates(dir.path());
    EXPECT_TRUE(results.templates.empty());
    EXPECT_TRUE(results.errors.isEmpty()) << "no .qrt there";
    write(QStringLiteral("x.qrt"), discTemplate(QStringLiteral("x")));
    const TTemplateFolder<TResEvalTemplateWrapper> wrong = loadResEvalTemplates(dir.path());
    ASSERT_EQ(wrong.errors.size(), 1);
    EXPECT_TRUE(wrong.errors[0].startsWith(QStringLiteral("Auswertungsvorlage ")));
}

TEST_F(Sections, FiltersRenameRecommendedTemplatesAndSelectionsSurviveHiding)
{
    const auto sprint = disc(QStringLiteral("a.qdt"), discTemplate(QStringLiteral("Sprint")));
    const auto weit = disc(QStringLiteral("b.qdt"), discTemplate(QStringLiteral("Weit")));
    const auto fremd = disc(QStringLiteral("c.qdt"), discTemplate(QStringLiteral("Fremd")));
    TCompetitionType type(typeWith(
        "<Disciplines>" + kEmptyParts + disciplineRef(sprint->SecureHash(), "Sprint $(#current(AgeClass)/Name)") +
        disciplineRef(weit->SecureHash(), "Weitsprung",
                      "<constraint failType='incompliant'><equals expression1='a' expression2='b'/></constraint>") +
        disciplineRef("FEHLT", "Wurf") + "</Disciplines>"));
    CTT_AgeClassType& u8 = type.AgeClasses().getAgeClass(0);
    const std::vector<std::shared_ptr<TAbstractTemplateWrapper>> loaded{sprint, weit, fremd};

    const TTemplateFilterResult all = filterTemplates(u8, TTemplateKind::Discipline, loaded, TTemplateFilter::All,
                                                      QStringLiteral("Testtyp"), dir.path());
    ASSERT_EQ(all.rows.size(), 3u);
    EXPECT_EQ(sprint->getDisplayName(), QStringLiteral("Sprint")) << "showing all renames nothing";
    EXPECT_TRUE(all.missing.isEmpty());

    u8.getDisciplineSelectionState().select(fremd->SecureHash(), fremd->HashAlgorithm());
    u8.getDisciplineSelectionState().select(sprint->SecureHash(), sprint->HashAlgorithm());
    const auto chosenAll = applySelection(u8, TTemplateKind::Discipline, all.rows);
    ASSERT_EQ(chosenAll.size(), 2u);
    EXPECT_EQ(chosenAll[0], sprint) << "in the list's order";
    EXPECT_EQ(u8.getSelectedDisciplines().size(), 2u);

    const TTemplateFilterResult recommended = filterTemplates(
        u8, TTemplateKind::Discipline, loaded, TTemplateFilter::Recommended, QStringLiteral("Testtyp"), dir.path());
    ASSERT_EQ(recommended.rows.size(), 1u);
    EXPECT_EQ(recommended.rows[0].templ, sprint);
    EXPECT_EQ(sprint->getDisplayName(), QStringLiteral("Sprint U8"));
    ASSERT_EQ(recommended.missing.size(), 1);
    EXPECT_EQ(recommended.missing[0],
              QStringLiteral("Achtung die in \"Testtyp\" referenzierte Disziplin \"Wurf\" wurde nicht im "
                             "Vorlagenverzeichnis \"%1\" gefunden oder ist beschädigt. Bitte ggf. Anwendung neu "
                             "installieren.")
                  .arg(dir.path()));
    applySelection(u8, TTemplateKind::Discipline, recommended.rows);
    ASSERT_EQ(u8.getSelectedDisciplines().size(), 1u);
    EXPECT_TRUE(u8.getDisciplineSelectionState().isSelected(fremd->SecureHash(), QStringLiteral("SHA1")))
        << "hidden, yet still selected";
    EXPECT_EQ(applySelection(u8, TTemplateKind::Discipline, all.rows).size(), 2u);
}

} // namespace
} // namespace tvp
