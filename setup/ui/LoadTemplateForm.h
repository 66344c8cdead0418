#pragma once
// What both template import windows are made of: the file name, the mapping of the template's
// parameters onto the competition's, a group of references filled by drags from a discipline
// window, "Importieren"/"Abbrechen", and what follows a finished import.

#include "core/services/CompetitionSetupServices.h"
#include "core/ui/TVPForm.h"
#include "setup/TemplateFiles.h"

#include <functional>
#include <optional>

class QFormLayout;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;
class QVBoxLayout;

namespace tvp {

class TParameterUIMapping;

class TLoadTemplateForm : public TTVPForm {
    Q_OBJECT
public:
    ~TLoadTemplateForm() override;

    TParameterUIMapping& mapping() { return *paramUIMapper; }
    virtual bool ImportTemplate(const QString& fileName) = 0;
    virtual void ImportButtonClick() = 0; // "Importieren"
    void CancelButtonClick();             // "Abbrechen"

    QLineEdit* FileNameEdit;
    QGroupBox* ParamGroupBox;
    QTreeView* ParamListView;
    QMenu* ParamPopupMenu;
    QGroupBox* ReferenceGroupBox;
    QPushButton* ImportButton;
    QPushButton* CancelButton;

protected:
    TLoadTemplateForm(TWindowContext& context, const QString& caption);

    QFormLayout* makeFileRow();
    void makeParamGroup(QVBoxLayout* outer);
    // The group the caller fills with its reference list.
    QVBoxLayout* makeReferenceGroup(QVBoxLayout* outer, const QString& title);
    void makeButtons(QVBoxLayout* outer);
    // referenceList: the rows the mapping renders references into, or null.
    void makeParamMapping(QTreeView* referenceList);

    // Asks for the file and reads it under the wait text; false (nothing shown) when cancelled or
    // unreadable. beforeRead runs once a file is chosen.
    bool openTemplate(ITemplateDiscWindow& window, const QString& filter, const QString& waitText,
                      const std::function<void()>& beforeRead = {});
    // Locks the window while the import runs.
    void setImporting(bool importing, const QString& waitText);
    // A refused import: answered says whether the server's answer came back at all.
    void reportFailure(const TRequestOutcome& outcome, bool answered, const QString& serverText,
                       const QString& requestName);
    // The discipline windows reload, showDisc (if any) opens in the calling window, warnings are listed.
    void importDone(const std::vector<proto::MixedAgeClassesWarningType>& warnings, std::optional<int> showDisc);
    // Drags of scoring nodes onto list reach filterNodeDrag through this window's eventFilter.
    void acceptNodeDrops(QTreeView* list);
    // The drag protocol of a reference list's viewport: entering counts anywhere, moving and
    // dropping need a target. knownTypeOnly refuses nodes of unknown type. False for other events.
    bool filterNodeDrag(QEvent* event, bool knownTypeOnly, const std::function<bool(const QPoint&)>& onTarget,
                        const std::function<bool(const QPoint&)>& drop);
    void showError(const QString& text);

    void reloadData() override {}
    void hideEvent(QHideEvent* event) override;

    TParameterUIMapping* paramUIMapper = nullptr;
    ITemplateDiscWindow* callingDiscWindow = nullptr;

private:
    QString caption_;
};

} // namespace tvp
