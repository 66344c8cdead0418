#pragma once
// The two discipline windows ("Disziplinen verwalten"): the competition's disciplines in a list, the
// selected one's properties in an editor, and below it the result-evaluation editor, which draws the
// discipline's scoring nodes and edits one node at a time. Two windows exist so that two
// disciplines can be seen side by side and nodes dragged from one to the other.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/TVPForm.h"
#include "organisation/DisciplinRequests.h"

#include <QTimer>

#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTableWidget;
class QTreeView;
class QVBoxLayout;

namespace tvp {

class TWindowRegistry;

class TDisciplinForm : public TTVPForm,
                       public IDisciplineWindows,
                       public IDisciplineTemplates,
                       public ITemplateDiscWindow {
    Q_OBJECT
public:
    static inline int selectDelayMs = 350;
    // The part of the result-evaluation editor; the discipline part has the empty name.
    static inline const QString kAggPart = QStringLiteral("Ergebnis-Aggregator");
    static inline const QString kDiscPart;

    // index: 0 or 1, the window's place in the pair.
    TDisciplinForm(TWindowContext& context, int index);
    ~TDisciplinForm() override;

    // ---- what other windows call ----
    void ShowAndLoad(int discId, int aggId) override;
    // Null when the list holds no such discipline; not to be kept across a reload.
    const TDisciplineInfo* getDiscInfoById(int id) const;
    const proto::ResultAggregatorTemplateType* getTemplateById(int id) const override;
    void LoadTemplates();
    void updateItem(int discId, int aggId);
    void unload() override;
    double LastAccess() const { return FLastAccess; }
    double LastReload() const { return FLastReload; }
    // For the template import: a new drag object for the node whose top-level labels hold the label.
    std::unique_ptr<TAggDragObject> getImportReference(const QString& label, int ageClassId) const override;
    std::vector<TUiAggregator*> getDiscReferences(const QString& label) const override;

    // ---- IDisciplineWindows, IDisciplineTemplates: the pair's operations ----
    void ShowDisciplinForm(QObject* sender, int discId, int aggId) override;
    void reloadDisciplinForms(bool onlyVisible) override;
    bool isDiscVisible() const override;
    std::optional<TDisciplineInfo> getLatestDiscInfo(int discId) const override;
    std::vector<proto::ResultAggregatorTemplateType> getLatestTemplates() const override;
    void LoadDisciplineTemplates() override;

    int index() const { return index_; }
    int currentDiscipline() const { return currentDiscId; }
    int currentAggregator() const { return currentAggregatorId; }
    TAggregatorTree* aggregatorTree() const override { return resAggTree.get(); }
    TAggregatorSourceList* sourceList() const { return FAggSourceList.get(); }
    // Requests on their way (tests wait for none).
    std::size_t pendingRequests() const;

    // ---- the user's actions, as the controls run them ----
    void NewButtonClick();
    void SaveButtonClick();
    void SaveTemplateButtonClick();
    void ImportTemplateButtonClick();
    void PopupMenu1Popup();
    void PopupMenu1Closed();
    void Entfernen1Click();
    void OtherWindow1Click();
    void SelectItemTimerTimer();
    void AgeClassButtonClick();
    void HeightsButtonClick();
    void TemplateComboBoxSelect(int index);
    void AppendButtonClick();
    void SaveAggregatorButtonClick();
    void TreeEntfernenClick();
    void SaveResultsTemplateButtonClick();
    void ImportResultsTemplateButtonClick();
    void ShowAnalysisButtonClick();
    void RemoveSourceClick();
    void SourcesDoubleClick(int row);
    // A drop of a dragged scoring node on the sources list; false when refused.
    bool SourcesDrop(const TAggDragObject& dragged);
    void ParameterPopupOpening();
    void ReloadAggregatorTree(int selectAggregatorId, bool exportTemplate);

    // ---- the controls, by their component names ----
    QMenuBar* MainMenu1;
    QAction* ZweitesDisziplinfenster1;
    QAction* Veranstaltungsparameter1;
    QTreeView* ListView1;
    QGroupBox* DiscGroupBox;
    QLineEdit* NameEdit;
    QLabel* AttemptsLabel;
    QSpinBox* AttemptsUpDown;
    QCheckBox* TeamCheckBox;
    QComboBox* AssignmentComboBox;
    QComboBox* ResultTypeComboBox;
    QPushButton* HeightsButton;
    QComboBox* AgeClassComboBox;
    QPushButton* AgeClassButton;
    QGroupBox* PresetGroupBox;
    QComboBox* PresetComboBox;
    QSpinBox* MaxPerHeatUpDown;
    QLabel* IdLabel;
    QPushButton* NewButton;
    QPushButton* SaveButton;
    QPushButton* SaveTemplateButton;
    QPushButton* ImportTemplateButton;
    QMenu* PopupMenu1;
    QAction* Entfernen1;
    QAction* OtherWindow1;
    QTimer SelectItemTimer;
    TUserAction selectAction_;

    QGroupBox* ResEvalGroupBox;
    QScrollArea* ScrollBox1;
    QPushButton* ImportResultsTemplateButton;
    QPushButton* SaveResultsTemplateButton;
    QGroupBox* AggregatorGroupBox;
    QLabel* AggIdLabel;
    QComboBox* TemplateComboBox;
    QLineEdit* DisplayNameEdit;
    QTableWidget* ParameterGrid;
    QCheckBox* CertificateCheckBox;
    QCheckBox* AnalysisCheckBox;
    QPushButton* AppendButton;
    QTreeView* SourcesListView;
    QPushButton* ShowAnalysisButton;
    QPushButton* SaveAggregatorButton;
    QMenu* TreePopupMenu;
    QAction* TreeEntfernen1;
    QMenu* SourcesPopupMenu;
    QAction* RemoveSource1;
    QMenu* ParameterPopupMenu;
    QMenu* InsertParameter1;
    QAction* ManageParameters1;

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Road = TRequestRoad<TDisciplinRequest, TDisciplinResponse>;

    void buildControls();
    void buildDisciplineEditor(QVBoxLayout& outer);
    void buildResultEvaluation(QWidget* group);
    void queue(std::unique_ptr<TDisciplinRequest> request);
    std::unique_ptr<TDisciplinRequest> newRequest(TDisciplinRequestType type) const;

    // ---- the list and the editor ----
    static QString idText(int id);
    void reload(bool exportTemplate);
    void LoadItem(bool exportTemplate);
    void setAgeClasses(const std::vector<proto::AgeClassType>& ageClasses);
    void restoreListView1Selection();
    int selectedDiscId() const;
    void selectDiscRow(int discId);
    const TDiscListEntry* entryById(int id) const;
    TDisciplineInfo editorInfo() const;
    std::unique_ptr<TDisciplinRequest> getDisciplinRequestFromUI() const;
    bool checkDiscItemChanged();
    void EnableButtons();
    void ResultTypeChanged();
    void TeamCheckBoxClick();
    void PresetChanged();
    void userEdit();

    // ---- requests and their completion ----
    void modifyDisciplin(std::unique_ptr<TDisciplinRequest> request, const TDisciplinForce& force);
    void deleteDisciplin(int discId, const TDisciplinForce& force);
    // The force prompts answer the user's delete or change (action); they wait without holding the
    // program.
    void promptDeleteDisciplinForced(int discId, TDisciplinForce force, const QString& text, const TUserAction& action);
    void promptModifyDisciplinForced(const TDisciplinResponse& response, const QString& text, TDisciplinForce force,
                                     const TUserAction& action);
    void LoadAggregatorLabels(TAggregatorTree* tree, bool exportTemplate);
    void InformOtherInstances(int discId, int aggId);
    void reloadDependentWindows();
    void closeResultCheck();
    void reloadAnalysis();
    void CommunicationThread1Finished(std::unique_ptr<TDisciplinResponse> response, const TRequestOutcome& outcome);
    void completeList(TDisciplinResponse& response);
    void completeTree(TDisciplinResponse& response);
    void completeTemplates(TDisciplinResponse& response);
    bool handleRefusal(const TDisciplinResponse& response, const TRequestOutcome& outcome);

    // ---- the result-evaluation editor ----
    void setCurrentAggregatorId(int id);
    void OpenResAggItem(TUiAggregator* node);
    void OnSelectAggItem(TUiAggregator* node);
    void OnSelectingAggItem(TUiAggregator* node, bool& allow);
    void RestoreResAggSelection();
    void loadUiInfosToAgg(TUiAggregator* node);
    void setLabelsToAggTree(TAggregatorTree* tree, const std::vector<proto::UiInfoKeyValuePair>& pairs);
    void LoadParameterNames(const proto::ResultAggregatorTemplateType* tmpl);
    int getTemplateIndexById(int id) const;
    const proto::ResultAggregatorTemplateType* getSelectedTemplate() const;
    TAggEditorState aggEditorState() const;
    bool checkAggItemChanged();
    bool paramExists(const QString& name, int cupId) const;
    bool checkEnablingParams() const;
    std::unique_ptr<TAggregatorTree> buildTree(const TDisciplinResponse& response);

    // The design's state.
    int currentDiscId = 0;
    int currentAgeClassId = 0;
    int currentAggregatorId = 0;
    int currentAggDiscId = 0;
    std::unique_ptr<TAggregatorTree> resAggTree;
    std::unique_ptr<TAggregatorTree> tempAggTree;
    std::unique_ptr<TAggregatorSourceList> FAggSourceList;
    TAggUiInfos FLoadedInfos;
    double FLastAccess;
    double FLastReload = 0;
    std::optional<int> PopUpSelection; // the id of the row the menu was opened on
    int previousSquadAssignment = 0;

    // Ours.
    const int index_;
    TDisciplineInfo defaultDiscInfo;
    TRecordListModel<TDiscListEntry> discs_;
    TSortedListModel sorted_;
    std::vector<proto::ResultAggregatorTemplateType> templates_;
    std::unique_ptr<Road> road_;
    bool loading_ = false;         // controls are being filled: no change checks
    bool rightButtonDown_ = false; // a right click selects without loading
};

// ---- the pair's operations, on the windows of a registry ----

TDisciplinForm* disciplinForm(const TWindowRegistry& windows, int index);
void ShowDisciplinForm(const TWindowRegistry& windows, QObject* sender, int discId, int aggId);
void reloadDisciplinForms(const TWindowRegistry& windows, bool onlyVisible);
void unloadDisciplinForms(const TWindowRegistry& windows);
void LoadDisciplineTemplates(const TWindowRegistry& windows);
bool isDiscVisible(const TWindowRegistry& windows);
// The window whose list arrived last; window 0 when neither has loaded.
TDisciplinForm* getLatestDiscForm(const TWindowRegistry& windows);
// Tells the other visible window that a discipline (0: all) or its tree changed.
void itemChanged(const TWindowRegistry& windows, TDisciplinForm* sender, int discId, int aggId);

} // namespace tvp
