#pragma once
// The wizard's pages: the competition type, its metadata, the age classes with their fees, and the
// tabs the age-class page inserts per chosen age class (disciplines, overall scorings) and for the
// documentation. The last page hands a snapshot of all choices to the creation.

#include "setup/CompCreation.h"
#include "setup/CompetitionType.h"
#include "setup/CompetitionTypeSections.h"
#include "setup/WizardWarnings.h"
#include "core/ui/MetaDataInputs.h"
#include "setup/ui/CompSetupWizardDialog.h"

#include <QPointer>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QScrollArea;
class QAction;

namespace tvp {

class TDateEdit;
class TNameListModel;
class TDiscTab;
class TResultEvaluationTab;
class TDocuCreateTab;

class TCompTypePageInfo : public TWizardPageInfo, public ICompTypePage {
public:
    explicit TCompTypePageInfo(TCompSetupWizardForm& wizard);

    QString getWarningOrigin() const override { return QStringLiteral("Veranstaltungstyp"); }
    void onInitPage() override;
    void onActivatePage() override;
    bool validateInput(bool silent, bool commit) override;

    QString compName() const override;
    void setCompName(const QString& name) override;
    QDate compDate() const override;
    void setCompDate(const QDate& date) override;
    bool LoadCompetitionType(const QString& text) override;
    bool isImportedCompType() const override;
    QString compTypeDisplayName() const override;

    // The folder "CompetitionTypes" beside the program; reported when missing.
    QString getCompTypeDir();
    void LoadCompetitionTypes();
    void clearList();
    // The quick path's box: ticked, the type list is out of use and Next creates an empty competition.
    void quickPathChanged(bool ticked);
    TCompetitionType* selection() const { return FComSelection; }

    QLineEdit* CompNameEdit;
    QLabel* ExampleLabel;
    QListView* CompTypeListBox;
    TNameListModel* CompTypeListModel;
    TDateEdit* DateTimePicker1;
    QCheckBox* ManualSetupCheckBox;

private:
    TCompSetupWizardForm& wizard_;
    TCompetitionType* FComSelection = nullptr;
    std::unique_ptr<TCompetitionType> FImportCompetitionTypeOld;
    std::unique_ptr<TCompetitionType> FImportCompetitionType;
    std::vector<TCompetitionTypeEntry> types_; // the list's rows, in order
};

class TCompMetaDataPageInfo : public TWizardPageInfo {
public:
    TCompMetaDataPageInfo(TCompSetupWizardForm& wizard, TCompTypePageInfo& compType);

    QString getWarningOrigin() const override { return QStringLiteral("Veranstaltungsdaten"); }
    void onInitPage() override;
    void onActivatePage() override;
    bool validateInput(bool silent, bool commit) override;
    bool BackButtonClick() override;
    bool isBackButtonEnabled() const override;

    // Every field as its UI info, in page order.
    std::vector<proto::setUiInfo> metaData() const;
    const std::vector<std::unique_ptr<TMetaDataInput>>& fields() const { return FFields; }

    QLineEdit* CompNameEdit;
    TDateEdit* CompDatePicker;
    QScrollArea* MetaDataScrollBox;

private:
    TCompSetupWizardForm& wizard_;
    TCompTypePageInfo& compType_;
    QWidget* panel_;
    std::vector<std::unique_ptr<TMetaDataInput>> FFields;
};

class TAgeClassesPageInfo : public TWizardPageInfo {
public:
    TAgeClassesPageInfo(TCompSetupWizardForm& wizard, TCompTypePageInfo& compType);
    ~TAgeClassesPageInfo() override;

    QString getWarningOrigin() const override { return QStringLiteral("Altersklassen"); }
    void onInitPage() override;
    void onActivatePage() override;
    bool validateInput(bool silent, bool commit) override;
    bool NextButtonClick() override;

    // False (reported) when an age class of that name is listed already.
    bool addAgeClass(const QString& name);
    void ClearAgeClassListView();
    void AgeClassSelectionChanged();

    // The ticked age classes in list order.
    std::vector<CTT_AgeClassType*> chosenAgeClasses() const;
    CTT_AgeClassType* lastAgeClassToCreate() const { return FLastAgeClassToCreate; }
    bool hasDocuTab() const { return docuTab_ != nullptr; }
    TDocuCreateTab* docuTab() const { return docuTab_; }
    TCompTypePageInfo& compType() const { return compType_; }
    TCompSetupWizardForm& wizard() const { return wizard_; }

    QListView* AgeClassListView;
    TNameListModel* AgeClassListModel;
    QLineEdit* TeamFeeEdit;
    QLineEdit* AthleteFeeEdit;
    QAction* AddAgeClassAction;

private:
    struct Row {
        std::unique_ptr<CTT_AgeClassType> ageClass;
        TDiscTab* discTab = nullptr;
        TResultEvaluationTab* resEvalTab = nullptr;
    };
    void addRow(std::unique_ptr<CTT_AgeClassType> ageClass, bool ticked);
    bool isTicked(std::size_t row) const;
    void removeSubTabs(Row& row);

    TCompSetupWizardForm& wizard_;
    TCompTypePageInfo& compType_;
    std::vector<Row> rows_;
    TDocuCreateTab* docuTab_ = nullptr;
    CTT_AgeClassType* FLastAgeClassToCreate = nullptr;
};

// The controller of an inserted tab: its form does the work.
class TTabPageInfo : public TWizardPageInfo {
public:
    class Form {
    public:
        virtual ~Form() = default;
        virtual QString warningOrigin() const = 0;
        virtual void initPage() = 0;
        virtual void activatePage() = 0;
        virtual bool validate(bool silent, bool commit) = 0;
    };
    TTabPageInfo(Form& form, const QString& nextLabel);
    QString getWarningOrigin() const override { return form_.warningOrigin(); }
    void onInitPage() override { form_.initPage(); }
    void onActivatePage() override { form_.activatePage(); }
    bool validateInput(bool silent, bool commit) override { return form_.validate(silent, commit); }

private:
    Form& form_;
};

// The discipline and overall-scoring tabs of one age class.
class TTemplateTab : public TWizardTabForm, public TTabPageInfo::Form {
    Q_OBJECT
public:
    TTemplateTab(TAgeClassesPageInfo& pages, TTemplateKind kind);
    ~TTemplateTab() override;

    void FormShow() override;
    void setupPage(CTT_AgeClassType* ageClass) override;
    QString warningOrigin() const override;
    void initPage() override;
    void activatePage() override {}
    bool validate(bool silent, bool commit) override;

    void ApplyFilter();
    void ApplySelection();
    // Reloads the templates and applies the filter.
    void filterChanged();
    void removeChosen();
    void chooseRow(int row);

    CTT_AgeClassType* ageClass() const { return FAgeClass; }
    TWizardPageInfo& pageInfo() const { return *pageInfo_; }
    const QString& caption() const { return caption_; }

    QLabel* HintLabel;
    QComboBox* FilterComboBox;
    QListView* AvailableListBox;
    TNameListModel* AvailableListModel;
    QListView* ChosenListBox;
    TNameListModel* ChosenListModel;
    QAction* RemoveAction;

protected:
    // Reads the folder's templates; the age class keeps the overall scorings.
    virtual void loadTemplates() = 0;
    virtual void afterSelection() {}
    // Rebuilds this tab's messages; rules that cannot be evaluated are reported when new, or all
    // of them with reportAll.
    void refreshWarnings(bool reportAll);
    bool sectionFulfilled();
    // "Ausgewählte ... entfernen" while chosen rows are marked.
    void updateRemoveAction();

    TAgeClassesPageInfo& pages_;
    TTemplateKind kind_;
    CTT_AgeClassType* FAgeClass = nullptr;
    std::unique_ptr<TTabPageInfo> pageInfo_;
    std::vector<std::shared_ptr<TAbstractTemplateWrapper>> loaded_;
    std::vector<TTemplateRow> rows_;
    QString caption_;
    QStringList reportedFailures_; // evaluation failures of the last refresh
};

class TDiscTab : public TTemplateTab {
    Q_OBJECT
public:
    explicit TDiscTab(TAgeClassesPageInfo& pages);

    void setupPage(CTT_AgeClassType* ageClass) override;
    bool validate(bool silent, bool commit) override;

    void checkCopyDiscEnable();
    void checkCopyDiscState();
    bool selectedDisciplinesSupportCopy();
    void copySelectedDiscsToAgeClasses();

    QCheckBox* CopyDiscCheckBox;

protected:
    void loadTemplates() override;
    void afterSelection() override { checkCopyDiscState(); }

private:
    bool FCopyDisciplinesState = false;
};

class TResultEvaluationTab : public TTemplateTab {
    Q_OBJECT
public:
    explicit TResultEvaluationTab(TAgeClassesPageInfo& pages);

    void setupPage(CTT_AgeClassType* ageClass) override;
    void activatePage() override;
    bool validate(bool silent, bool commit) override;

protected:
    void loadTemplates() override;

private:
    bool lastTab() const;
};

class TDocuCreateTab : public TWizardTabForm, public TTabPageInfo::Form {
    Q_OBJECT
public:
    explicit TDocuCreateTab(TAgeClassesPageInfo& pages);
    ~TDocuCreateTab() override;

    void FormShow() override;
    void setupPage(CTT_AgeClassType*) override {}
    QString warningOrigin() const override { return QStringLiteral("Dokumentation erstellen"); }
    void initPage() override { boxChanged(); }
    void activatePage() override;
    bool validate(bool silent, bool commit) override;

    void LoadDocuPDFs();
    void boxChanged();
    void chooseFile();
    // The chosen disciplines' PDFs and the target, empty when none is wanted.
    TCompCreationDocumentation documentation() const;
    TWizardPageInfo& pageInfo() const { return *pageInfo_; }

    QCheckBox* CreateDocuCheckBox;
    QGroupBox* DocuSettingsGroup;
    QLineEdit* PathEdit;
    QPushButton* ChooseButton;

private:
    TAgeClassesPageInfo& pages_;
    std::unique_ptr<TTabPageInfo> pageInfo_;
    std::vector<QByteArray> pdfs_;
};

// The snapshot the creation works from, taken from the pages.
TCompCreationInput creationInput(TCompMetaDataPageInfo& metaData, TAgeClassesPageInfo& ageClasses);

} // namespace tvp
