#pragma once
// "Disziplinvorlage importieren": a .qdt file becomes a discipline of the current competition with
// its scoring nodes. The template's parameters are mapped onto the competition's, its references
// connected to existing overall scorings (found by interface name or dragged from a discipline
// window), and age class, preset and heat size chosen.

#include "core/services/CompetitionSetupServices.h"
#include "core/ui/TVPForm.h"
#include "setup/TemplateFiles.h"

#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace tvp {

class TParameterUIMapping;

class TLoadDiscTemplateForm : public TTVPForm, public ITemplateAgeClasses {
    Q_OBJECT
public:
    explicit TLoadDiscTemplateForm(TWindowContext& context);
    ~TLoadDiscTemplateForm() override;

    // True when a file was read and the window shown.
    bool ShowTemplateLoadDialog(ITemplateDiscWindow& window);
    void reloadAgeClass() override;
    bool ImportTemplate(const QString& fileName);
    std::size_t pendingRequests() const { return road_.pending(); }
    TParameterUIMapping& mapping() { return *paramUIMapper; }

    void ImportButtonClick(); // "Importieren"
    void CancelButtonClick(); // "Abbrechen"
    void AgeClassComboBoxChange();
    void AgeClassButtonClick(); // "..."
    void AlleReferenzenentfernen1Click();
    // A scoring node dropped on a reference row; false when refused.
    bool ReferenceDrop(int row, const TAggDragObject& dragged);
    void autoMapReferences();

    QLineEdit* FileNameEdit;
    QLineEdit* DiscNameEdit;
    QGroupBox* ParamGroupBox;
    QTreeWidget* ParamListView;
    QMenu* ParamPopupMenu;
    QGroupBox* ReferenceGroupBox;
    QTreeWidget* ReferenceListView;
    QMenu* ReferencePopupMenu;
    QAction* AlleReferenzenentfernen1;
    QGroupBox* PresetGroupBox;
    QComboBox* AgeClassComboBox;
    QPushButton* AgeClassButton;
    QComboBox* PresetComboBox;
    QSpinBox* MaxPerHeatUpDown;
    QPushButton* ImportButton;
    QPushButton* CancelButton;

protected:
    void reloadData() override {}
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillAgeClasses(const std::vector<proto::AgeClassType>& ageClasses);
    void RequestFinished(std::unique_ptr<TDiscImportResponse> response, const TRequestOutcome& outcome);
    void showError(const QString& text);

    TRequestRoad<TDiscImportRequest, TDiscImportResponse> road_;
    std::unique_ptr<TDisciplineTemplate> FdisciplinTemplate;
    TParameterUIMapping* paramUIMapper;
    ITemplateDiscWindow* callingDiscWindow = nullptr;
    int currentAgeClassId = 0;
    bool filling_ = false;
};

} // namespace tvp
