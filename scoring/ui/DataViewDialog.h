#pragma once
// The data view ("Daten anzeigen"): a result compilation as one row per athlete (or cup
// finisher), sorted by clicked or stored columns, the certificate data file, CSV and HTML export.

#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "scoring/DataViewRequests.h"
#include "scoring/ui/ResultWarnings.h"

#include <QPointer>

#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QTreeView;

namespace tvp {

class TDataViewForm : public TTVPForm, public IDataViewForm {
    Q_OBJECT
public:
    explicit TDataViewForm(TWindowContext& context);
    ~TDataViewForm() override;

    // IDataViewForm
    void ShowData(const QString& name, int collectionId, const std::vector<TAggInfo>& aggs,
                  const std::vector<int>& orderIndices, bool testMode, bool cupMode, int cupId) override;

    void ClearListView();
    void updateCertMenus(int collectionId, const QString& path);
    bool exportCertcsv(const QString& path);
    void docPathChange(TDocPathStatus status, const QString& path, int collectionId);

    int CollectionID() const { return FCollectionID; }
    bool isLoading() const { return loading; }
    bool SortColumnChooseMode() const { return FSortChooseMode; }
    void setSortColumnChooseMode(bool choose);
    const TDataViewModel& model() const { return model_; }
    int aggStartColIndex() const { return AggStartColIndex; }
    // The page of "HTML Publikation"; empty when there is none to publish.
    QByteArray generateHTML();
    // The certificate data file beside the linked document.
    QString certDataFilePath() const;

    void Alscsv1Click(bool execute);
    void HTMLPublikation1Click();
    void Urkundendrucken1Click();
    void Urkundenvorlageeinrichten1Click();
    void Urkundenvorlageverwerfen1Click();

protected:
    void reloadData() override {}
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void GetData(const std::vector<TAggInfo>& aggs, const std::vector<int>& orderIndices, int cupId);
    void CommunicationThread1Finished(std::unique_ptr<TDataViewResponse> response, const TRequestOutcome& outcome);
    void OrderIndexFinished(const TRequestOutcome& outcome);
    void setColumns(std::vector<TDataViewColumn> columns);
    void enterLoading();
    void leaveLoading();
    void sortList();
    void ListView1ColumnClick(int column);
    void SortButtonClick();
    void applyFilter();
    void fillCompetition(TDataViewResponse& response);
    void fillCup(TDataViewResponse& response);
    void fitColumns();
    void askCertDocPath();
    void report(const QString& text, const QString& caption);

    TRequestRoad<TResultDataRequest, TDataViewResponse> CommunicationThread1;
    TRequestRoad<TOrderColSaveRequest, TOrderColSaveResponse> OrderIndexCommunicationThread;
    TDataViewModel model_;

    int additionalColsStartIndex = 0;
    int AggStartColIndex = 0;
    bool loading = false;
    bool canceling = false;
    bool starting = false;
    bool FcupMode = false;
    QString FCupName;
    bool FTestMode = true;
    std::unique_ptr<TCupAthleteList> FCupAthleteList;
    TDataViewSort sort_;
    QString FCertDocPath;
    int FCollectionID = 0;
    QString FCollectionName;
    QString FCompPlace;
    bool FSortChooseMode = false;
    int firstTeamCol_ = 0;
    TShownResultWarnings shownWarnings_;
    std::shared_ptr<std::atomic_bool> cancelFlag_;

    QMenuBar* MainMenu1 = nullptr;
    QMenu* Export1 = nullptr;
    QMenu* Urkunden1 = nullptr;
    QAction* Alscsv1 = nullptr;
    QAction* Alscsvundausfhren1 = nullptr;
    QAction* HTMLPublikation1 = nullptr;
    QAction* Urkundendrucken1 = nullptr;
    QAction* Urkundenvorlageeinrichten1 = nullptr;
    QAction* Urkundenvorlageverwerfen1 = nullptr;
    QTreeView* ListView1 = nullptr;
    QLabel* LoadingLabel = nullptr;
    QLabel* SortHintLabel = nullptr;
    QLabel* SortStatusLabel = nullptr;
    QLabel* NotFoundLabel = nullptr;
    QGroupBox* LinkGroupBox = nullptr;
    QLabel* LinkLabel = nullptr;
    QGroupBox* SortGroupBox = nullptr;
    QPushButton* SortButton = nullptr;
    QGroupBox* FilterGroupBox = nullptr;
    QCheckBox* FilterCheckBox = nullptr;
    QSpinBox* UpDown1 = nullptr;
    QPushButton* CloseButton = nullptr;
};

} // namespace tvp
