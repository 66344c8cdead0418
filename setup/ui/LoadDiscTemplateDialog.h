#pragma once
// "Disziplinvorlage importieren": a .qdt file becomes a discipline of the current competition with
// its scoring nodes. The template's parameters are mapped onto the competition's, its references
// connected to existing overall scorings (found by interface name or dragged from a discipline
// window), and age class, preset and heat size chosen.

#include "setup/ui/LoadTemplateForm.h"

#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QTreeView;

namespace tvp {

class TLoadDiscTemplateForm : public TLoadTemplateForm, public ITemplateAgeClasses {
    Q_OBJECT
public:
    explicit TLoadDiscTemplateForm(TWindowContext& context);
    ~TLoadDiscTemplateForm() override;

    // True when a file was read and the window shown.
    bool ShowTemplateLoadDialog(ITemplateDiscWindow& window);
    void reloadAgeClass() override;
    bool ImportTemplate(const QString& fileName) override;
    std::size_t pendingRequests() const { return road_.pending(); }

    void ImportButtonClick() override; // "Importieren"
    void AgeClassComboBoxChange();
    void AgeClassButtonClick(); // "..."
    void AlleReferenzenentfernen1Click();
    // A scoring node dropped on a reference row; false when refused.
    bool ReferenceDrop(int row, const TAggDragObject& dragged);
    void autoMapReferences();

    QLineEdit* DiscNameEdit;
    QTreeView* ReferenceListView;
    QMenu* ReferencePopupMenu;
    QAction* AlleReferenzenentfernen1;
    QGroupBox* PresetGroupBox;
    QComboBox* AgeClassComboBox;
    QPushButton* AgeClassButton;
    QComboBox* PresetComboBox;
    QSpinBox* MaxPerHeatUpDown;

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillAgeClasses(const std::vector<proto::AgeClassType>& ageClasses);
    void RequestFinished(std::unique_ptr<TDiscImportResponse> response, const TRequestOutcome& outcome);

    TRequestRoad<TDiscImportRequest, TDiscImportResponse> road_;
    std::unique_ptr<TDisciplineTemplate> FdisciplinTemplate;
    int currentAgeClassId = 0;
    bool filling_ = false;
};

} // namespace tvp
