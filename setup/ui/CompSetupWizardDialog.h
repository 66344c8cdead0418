#pragma once
// The setup wizard "Neue Veranstaltung anlegen": the tab sequence, Next and Back, the warning panel
// and the ways in (the chooser, the browser client's import). The pages are page controllers
// (TWizardPageInfo): the three fixed ones come from createWizardPages, the per-age-class tabs are
// TWizardTabForm forms the age-class page inserts with insertWizardTab.

#include "core/services/CompetitionSetupServices.h"
#include "setup/CompCreation.h"
#include "setup/WizardWarnings.h"
#include "setup/ui/CompCreationManager.h"

#include <QDate>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QPushButton;
class QTabWidget;

namespace tvp {

class CTT_AgeClassType;
class TCompSetupWizardForm;
class TWindowContext;
struct TImportSessionRoad;
struct TRequestOutcome;
struct TWizardImportResponse;

// Base of the forms inside inserted tabs. FormShow runs when the tab is shown and makes the tab's
// controller current (wizard().setCurrentPageInfo); setupPage binds the form to its age class
// (none for the documentation tab).
class TWizardTabForm : public QWidget {
    Q_OBJECT
public:
    explicit TWizardTabForm(TCompSetupWizardForm& wizard, QWidget* parent = nullptr);
    virtual void FormShow() = 0;
    virtual void setupPage(CTT_AgeClassType* ageClass) = 0;
    TCompSetupWizardForm& wizard() const { return wizard_; }

private:
    TCompSetupWizardForm& wizard_;
};

// What the frame needs of the competition-type page beyond a page controller.
class ICompTypePage {
public:
    virtual ~ICompTypePage() = default;
    virtual QString compName() const = 0;
    virtual void setCompName(const QString& name) = 0;
    virtual QDate compDate() const = 0;
    virtual void setCompDate(const QDate& date) = 0;
    // A type as text from the browser client; false (reported) when it does not load.
    virtual bool LoadCompetitionType(const QString& text) = 0;
    // The chosen type is the imported one (the metadata page then offers no Back).
    virtual bool isImportedCompType() const = 0;
    // For the "Details" box; empty without a chosen type.
    virtual QString compTypeDisplayName() const = 0;
};

// The fixed pages; each builds its controls into its sheet (wizard.compTypeSheet() ...).
struct TWizardPageSet {
    std::unique_ptr<TWizardPageInfo> compType; // also an ICompTypePage
    std::unique_ptr<TWizardPageInfo> compMetaData;
    std::unique_ptr<TWizardPageInfo> ageClasses;
    // Run on reset: clears the age-class list and with it the inserted tabs.
    std::function<void()> clearAgeClasses;
    // Run when the window is resized: fits the age-class list's columns to its width.
    std::function<void()> fitAgeClassColumns;
};
TWizardPageSet createWizardPages(TCompSetupWizardForm& wizard);
using TWizardPageFactory = std::function<TWizardPageSet(TCompSetupWizardForm& wizard)>;

// The final page's next steps, shared with the help window.
QString nextCompStepsText();

class TCompSetupWizardForm : public QDialog, public ICompSetupWizard, public IWarningPanel, public ICompCreationWizard {
    Q_OBJECT
public:
    // Tests shorten these.
    static inline int rollBackDelayMs = 50;
    static inline int scrollDelayMs = 50;
    static inline int flashMs = 500;

    // Tab indexes of the fixed pages.
    enum { tabHeading = 0, tabCompType = 1, tabCompMetaData = 2, tabAgeClasses = 3 };

    explicit TCompSetupWizardForm(TWindowContext& context, QWidget* parent = nullptr);
    // With other fixed pages (tests).
    TCompSetupWizardForm(TWindowContext& context, const TWizardPageFactory& pages, QWidget* parent = nullptr);
    ~TCompSetupWizardForm() override;

    // ICompSetupWizard
    int startCompWizard() override;
    int createdCompetitionId() const override { return FcompId; }
    void importToWizard(const QString& sessionId, const QString& contextId) override;
    bool isWizardVisible() const override { return isVisible(); }

    void initCompWizard();
    int startFullCompCreation();
    int createSimpleComp(const QString& name, const QDate& date);
    void reset();
    // Shows the imported data's pages, without a loop of its own: the chooser opens the competition
    // once the wizard has created it.
    void startCompWizardImport(const std::vector<std::pair<QString, QString>>& items);

    TWarningManager& WarningManager() { return *FWarningManager; }
    TWindowContext& context() const { return context_; }

    // The page shown now; pages call it from their sheet's show.
    void setCurrentPageInfo(TWizardPageInfo* page);
    TWizardPageInfo* currentPageInfo() const { return FCurrentPageInfo; }
    // The quick path's check box handler (on the competition-type page).
    void ManualSetupChanged(bool ticked);
    // Used by the web import and the quick path; set by the competition-type page.
    ICompTypePage* compTypePage() const;
    // The full creation (the competition-type page, id or 0); the pages set it.
    std::function<int(TWizardPageInfo& compTypePage)> compCreation;
    // Creates the competition from the pages' input in one transaction, the wizard disabled
    // meanwhile; the new id, 0 when it failed (reported, or a new name asked for).
    int runCompCreation(TCompCreationInput input);

    // ICompCreationWizard
    void setCompetitionName(const QString& name) override;
    void nextPage(QObject* sender) override;

    // The fixed pages' sheets.
    QWidget* compTypeSheet() const;
    QWidget* compMetaDataSheet() const;
    QWidget* ageClassSheet() const;

    // Inserted tabs: hidden, placed at index + 1, showing calls the form's FormShow.
    void insertWizardTab(int index, TWizardTabForm* form, const QString& caption);
    // Removes and frees the form's tab; the active tab stays.
    void removeWizardTab(TWizardTabForm* form);
    int tabIndexOf(const QWidget* sheetOrForm) const;
    QTabWidget* pageControl() const { return PageControl1; }

    void NextButtonClick();
    void BackButtonClick();

    QTabWidget* PageControl1;
    QPushButton* NextButton;
    QPushButton* BackButton;
    QWidget* WarningPanel;
    QLabel* WarningTypeLabel;
    QLabel* WarningTextLabel;
    QLabel* DetailsLabel;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // IWarningPanel, driven by the warning manager.
    void hidePanel() override;
    void showPanel(TWizardMessageType type) override;

private:
    void flashPanel();
    void showDetails();
    void activateTab(int index);
    void tabChanged(int index);
    void rollBack();
    void scrollTabs();
    bool quickPathNext();
    void importFinished(std::unique_ptr<TWizardImportResponse> response, const TRequestOutcome& outcome);
    // Closing would throw away settings made: the user is asked first.
    bool asksBeforeClosing() const;
    QString closeQuestion() const;

    TWindowContext& context_;
    std::function<bool()> NextButtonClickCallback;
    TWizardPageInfo* FCurrentPageInfo = nullptr;
    int FcompId = 0;
    int FCompIDResult = 0;
    bool moveDirNext = true;
    bool wizardcompleted = false;
    // The browser's import that came while a creation was going on.
    std::optional<std::pair<QString, QString>> deferredImport_;
    bool closeAgreed_ = false; // asked already
    std::unique_ptr<TWarningManager> FWarningManager;
    std::unique_ptr<TCompCreationManager> FCompCreationManager;
    TWizardPageSet pages_;
    std::unique_ptr<TWizardPageInfo> PageInfo_WizardFinished;
    QTimer rollBackTimer_;
    QTimer scrollTimer_;
    std::unique_ptr<TImportSessionRoad> importRoad_;
};

} // namespace tvp
