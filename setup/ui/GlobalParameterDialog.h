#pragma once
// The global parameters editor ("Veranstaltungsparameter", "Cup-Parameter (<Cup>)"): lists, adds,
// changes and removes the named numbers of the competition or of one cup. It is also the client's
// cache of their values, which drawn scoring trees and the discipline window ask for.

#include "core/services/CompetitionSetupServices.h"
#include "core/ui/TVPForm.h"
#include "setup/GlobalParameterRequests.h"

class QAction;
class QMenu;
class QPushButton;
class QTableWidget;

namespace tvp {

class TGlobalParameterForm : public TTVPForm, public IGlobalParameterForm {
    Q_OBJECT
public:
    explicit TGlobalParameterForm(TWindowContext& context);
    ~TGlobalParameterForm() override;

    // IGlobalParameterForm
    void showGlobalParameterForm(int cupId) override;
    QStringList getParameterNames(int cupId) override;
    bool paramExists(const QString& name, int cupId) override;
    std::optional<double> resolveParameter(const QString& name, int cupId) override;
    bool isCupLoaded(int cupId) override;
    bool isReadOnlyParam(const QString& key) const;

    void unload() override;
    std::size_t pendingRequests() const { return road_.pending(); }

    void AddNewParam();     // "Neu..."
    void Button1Click();    // "Speichern"
    void Entfernen1Click(); // context menu "Entfernen"

    QTableWidget* ValueListEditor1 = nullptr;
    QPushButton* Button1 = nullptr; // "Speichern"
    QPushButton* Button2 = nullptr; // "Neu..."
    QMenu* PopupMenu1 = nullptr;
    QAction* Entfernen1 = nullptr;

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;

private:
    void RequestFinished(std::unique_ptr<TParameterResponse> response, const TRequestOutcome& outcome);
    void handleFailure(std::unique_ptr<TParameterResponse> response, const TRequestOutcome& outcome);
    void PopulateValueListEditor();
    void checkUiReadOnly();
    void updateCaption();
    void deleteRow(const QString& key);
    int rowOf(const QString& key) const;
    std::vector<TParameterRow> rows() const;
    void openPopup(const QPoint& pos, bool byKeyboard);
    void queueRemove(const QString& key, int cupId, bool force);
    void refreshMainWindow();

    TRequestRoad<TParameterRequest, TParameterResponse> road_;
    TGlobalParameterLists lists_;
    QString FLastAddedKey;
    QString cupName_;
    bool populating_ = false;
};

} // namespace tvp
