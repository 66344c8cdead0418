#pragma once
// The height-list window ("Hochsprungliste erstellen"): the ladder of heights or target distances
// of one discipline, edited, stored on the server, loaded from and saved to ".hls" files, and,
// when opened for printing, handed to the competition list's print.

#include "core/results/tvpTypes.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/TVPForm.h"
#include "organisation/HeightListRequests.h"

#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;

namespace tvp {

class TPrintHighJumpForm : public TTVPForm, public IHeightListForm {
    Q_OBJECT
public:
    explicit TPrintHighJumpForm(TWindowContext& context);
    ~TPrintHighJumpForm() override;

    // Shows the window modally for a discipline whose format is one of the three ladder formats;
    // any other format is refused with a message.
    void OpenDialog(bool printButton, int disciplineId, int heatNo, TResultformat format);
    // IHeightListForm: the discipline window edits the ladder without printing.
    void showHeightList(int discId, TResultformat format) override;

    void Button1Click(); // "Einfügen"
    void Button2Click(); // "Drucken"
    void Button3Click(); // "Speichern"
    void Entfernen1Click();
    void AlleHhenentfernen1Click();
    void HheninDateispeichern1Click();
    void HhenausDateiladen1Click();
    void PopupMenu1Popup();

    const THeightListModel& heights() const { return list_; }
    std::size_t pendingRequests() const;
    QString typeString() const { return FtypeString; }

    inline static const QString kPart; // the one dirty part: its question takes the window's caption
    inline static const QString kFileFilter = QStringLiteral("Höhenliste (*.hls)");

protected:
    void reloadData() override {}
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void LoadFromBackend();
    void save(bool thenPrint);
    // choosePrinterLater: the printer dialog waits without a loop of its own (after a save's answer).
    void print(bool choosePrinterLater = false);
    void RequestFinished(std::unique_ptr<THeightListResponse> response, const TRequestOutcome& outcome);
    void edited();
    void reportLocal(const QString& caption, const QString& text);

    int curDisciplineId = 0;
    int curHeatNo = 0;
    TResultformat FResultformat = TResultformat::rf_Default;
    QString FtypeString;
    QString FHeights;
    bool printAfterSave_ = false;

    THeightListModel list_;
    std::unique_ptr<THeightListRoad> road_;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button1 = nullptr;
    QListView* ListView1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Entfernen1 = nullptr;
    QAction* AlleHhenentfernen1 = nullptr;
    QAction* HheninDateispeichern1 = nullptr;
    QAction* HhenausDateiladen1 = nullptr;
};

} // namespace tvp
