#pragma once
// The results window ("Ergebnisse"): for a discipline and one of its evaluations (the discipline's
// own results or any scoring node of its tree, cup nodes included) the computed table, sorted,
// printed and exported as CSV. The evaluation list is drawn in the colours of the scoring tree.

#include "core/lists/ListSorting.h"
#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "scoring/AnalyseRequests.h"
#include "scoring/ui/ResultWarnings.h"

#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTreeView;

namespace tvp {

class TAnalyseForm : public TTVPForm, public IAnalyseForm, public IKeyCommands {
    Q_OBJECT
public:
    explicit TAnalyseForm(TWindowContext& context);
    ~TAnalyseForm() override;

    // IAnalyseForm
    void ShowAndLoad(int discId, int providerId) override;
    bool choosePrinter(QPrinter& printer) override { return PrintDialog1Execute(printer); }
    bool PrintDialog1Execute(QPrinter& printer);

    void unload() override;
    void reloadTable();
    bool hotKeyCallback(int key) override;
    void RequestFinished(std::unique_ptr<TAnalyseResponse> response, const TRequestOutcome& outcome);

    void ComboBox1Change(); // a discipline chosen
    void ComboBox2Change(); // an evaluation chosen
    void AlleZwischenergebnissezeigen1Click();
    void Ergebnislistedrucken1Click();
    void Druckereinstellungen1Click();
    void Alscsv1Click();
    void Alscsvundausfhren1Click();
    void Button1Click(); // "Disziplin bearbeiten"

    int currentDiscipline() const { return currentDisciplinId; }
    int currentProvider() const { return currentResProvId; }
    const std::vector<TResultProviderInfo>& evaluations() const { return providers_; }
    const TAnalyseTableModel& table() const { return table_; }
    const TResultCache* cache() const { return resultCache.get(); }
    std::size_t pendingRequests() const { return road_.pending(); }

    // The controls, by their component names.
    QMenuBar* MainMenu1 = nullptr;
    QMenu* Drucken1 = nullptr;
    QAction* Ergebnislistedrucken1 = nullptr;
    QAction* Druckereinstellungen1 = nullptr;
    QMenu* Ansicht1 = nullptr;
    QAction* AlleZwischenergebnissezeigen1 = nullptr;
    QMenu* Export1 = nullptr;
    QAction* Alscsv1 = nullptr;
    QAction* Alscsvundausfhren1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QPushButton* Button1 = nullptr;
    QTreeView* ListView1 = nullptr;
    QLabel* Label3 = nullptr;

protected:
    void reloadData() override;
    void FormShow() override; // showing reloads

private:
    void buildControls();
    std::shared_ptr<const TAnalyseTreeInputs> takeTreeInputs() const;
    void setDisciplines(const proto::getDisciplinesResponse1& disciplines);
    void PopulateComboBox2();
    void finishTable(const TAnalyseResponse& response);
    void displayTable(); // the cache's change callback
    void hideTable();
    const TResultProviderInfo* currentProviderItem() const;
    QString currentDisciplineName() const;
    void exportCsv(bool open);

    TAnalyseRoad road_;
    int currentDisciplinId = 0;
    int currentResProvId = 0;
    std::unique_ptr<TResultCache> resultCache; // the shown table's rows
    TShownResultWarnings shownWarnings_;
    std::unique_ptr<TAggregatorTreeModel> FAggTree;
    std::vector<proto::DisciplinType> disciplines_;
    std::vector<TResultProviderInfo> providers_;
    TAnalyseTableModel table_;
    TSortedListModel sorted_;
    bool tableVisible_ = false;
    bool displayed_ = false; // the cache has been shown since it was made
    bool filling_ = false;   // combo refills emit no choice
};

} // namespace tvp
