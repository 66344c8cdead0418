#pragma once
// The base of the three document setup windows: three ways to get a mail-merge document (the
// standard template, an existing document of another compilation or competition, one the user
// links by hand), the list of existing documents, and the linking run when the user confirms.
// The windows differ in their texts, their requests and what they store.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "scoring/CertDocTools.h"
#include "core/connection/RequestRoad.h"
#include "scoring/DocSetupRequests.h"

#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeView;
class QVBoxLayout;

namespace tvp {

struct TDocSetupTexts {
    QString groupTitle;
    QStringList standardNotes;
    QString existingOption;
    QStringList existingNotes;
    QStringList manualNotes;
    QStringList tipLines;
    QStringList attentionLines;
    QString confirmButton;
    QString loadingText;
    QString emptyText;
    QString storeFailedText;         // a failed store of the path
    bool certificateColumns = false; // "Auswertung", "Typ", "Ursprung", "Pfad"; else "Veranstaltung", "Pfad"
};

class TDocSetupForm : public TTVPForm {
    Q_OBJECT
public:
    TDocSetupForm(TWindowContext& context, const TDocKind& kind, TDocSetupTexts texts, const QString& sortIdentifier);

    // The answer of a run, for the window's user.
    void notifyStatusChange(TDocPathStatus status, const QString& path, int contextId, int extra);

    int FContextID = 0;

protected:
    void reloadData() override;
    void resizeEvent(QResizeEvent* event) override;

    // Shows the window modally for its id (FContextID set by the caller).
    void execDialog();
    // The handler the user of the window installed; null when none.
    virtual IDocSetupForm::StatusHandler statusHandler() const = 0;
    // Before the run: false stops it (the schedule kind is missing).
    virtual bool beforeLinking() { return true; }
    virtual QString suggestedTargetName() const = 0;
    virtual QString dataFileName() const = 0;
    virtual void queuePathList() = 0;
    // Stores the linked document for the window's id.
    virtual void storePath(const QString& path) = 0;
    // certificates: the first ordering of the list while no column was clicked.
    virtual bool firstOrdering() const { return false; }

    // The list of existing documents, from an answer; empty rows show the empty text.
    void fillList(std::vector<TDocListRow> rows);
    void showPlaceholder(const QString& text);
    void clearList();
    // The linking run of the confirm button.
    void Button2Click();
    void message(const QString& caption, const QString& text);
    // The answer of a path request (loaded, stored or removed) to the window's user.
    void pathAnswered(TCertDocSetupRequestType type, const QString& path, int id, int extra);
    // A failed request: a missing response is a communication failure; a failed store or removal
    // is told to the window's user; then the server's message.
    void requestFailed(TCertDocSetupRequestType type, const TRequestOutcome& outcome, bool hasResponse,
                       const QString& requestName, const QString& path, int id, int extra);

    const TDocKind& kind_;
    TDocSetupTexts texts_;
    int pathIndex = -1;
    QString FDataFile;
    bool FFirstSort = true;

    QVBoxLayout* topLayout_ = nullptr; // the schedule window puts its kind above the group
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QTreeView* ListView1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    void buildLayout();
    void optionChanged();
    const TDocListRow* selectedRow() const;
    // The folder of the last target when it still exists.
    QString startFolder() const;

    TRecordListModel<TDocListRow> rows_;
    TSortedListModel sorted_;
    QButtonGroup* options_ = nullptr;
    QString lastTarget_;
};

} // namespace tvp
