#pragma once
// The chooser of server and competition. It writes the program's current competition (the
// context's TCurrentCompetition); its operations on the competition forward to that object.

#include "core/competition/CompetitionListModel.h"
#include "core/ui/TVPForm.h"
#include "core/connection/ServerDiscovery.h"
#include "core/protocol/TVPWebServices2.h"

#include <QStringList>

#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QListView;
class QMenu;
class QPushButton;

namespace tvp {

class TCurrentCompetition;
class TUserAgreementServerForm;

// The competition import windows: "Veranstaltung importieren" is enabled only when one is there.
class ICompetitionImport {
public:
    virtual ~ICompetitionImport() = default;
    virtual void showImportChoice() = 0;
};

// Where the chooser looks for servers: the address of the one on this computer and how others are
// found on the network. The program keeps the defaults; tests point both at loopback.
struct TChooserOptions {
    QString localServer = QStringLiteral("http://127.0.0.1:8080");
    TServerDiscoveryConfig discovery;
};

class TChooseCompetitionForm : public TTVPForm {
    Q_OBJECT
public:
    inline static const QString kLocalEntry = QStringLiteral("Veranstaltung auf diesem PC");
    inline static const QString kFoundHeading = QStringLiteral("===Gefundene Server===");
    inline static const QString kSavedHeading = QStringLiteral("===Zuletzt verwendet===");

    explicit TChooseCompetitionForm(QWidget* parent = nullptr);
    explicit TChooseCompetitionForm(TWindowContext& context, QWidget* parent = nullptr);
    TChooseCompetitionForm(TWindowContext& context, TChooserOptions options, QWidget* parent = nullptr);
    ~TChooseCompetitionForm() override;

    // Chooses the competition: silently from the settings when possible unless alwaysShow is set.
    // True when a competition was chosen.
    bool setCompetition(bool alwaysShow);

    // Safe from any thread. With raise set and no competition it throws ETvExceptionDetail(-1).
    int getCompetitionId(bool raise) const;
    // GUI thread only; the object stays the current competition's.
    const proto::CompetitionType* getCompetition() const;
    QString getCompetitionName() const;
    QString getFullUrl(proto::TTVPWebServices service) const;

    void SetCompetitionInternal(std::unique_ptr<proto::CompetitionType> competition);
    void SetCompetitionId(std::unique_ptr<proto::CompetitionType> competition);
    void selectNewComp(int competitionId, bool open);
    // False (reported) when the server could not be stopped.
    bool stopLocalServerAndClearDefault();

    // The local server's address on this computer.
    QString localServerAddress() const { return options_.localServer; }

    // Parts of the flow, public for the main window and for tests.
    void ComboBox1Select(bool fromStop = false);
    bool checkServerCompatibility();
    void LoadCompetition(bool closeChooser);
    void SelectCompetitionListItem(int competitionId);
    void deleteSelectedCompetition();
    void AddDetectedRemoteServer(const QString& address);
    void startLocalServerClicked();
    void stopLocalServerClicked();
    void newCompetitionClicked();

    QStringList savedServers() const { return FSavedServers; }
    QStringList foundServers() const { return FFoundServers; }
    bool isAlreadyUsed() const { return alreadyUsed; }

signals:
    // Another server was chosen (its version is then asked again by the about window).
    void serverChosen();
    // A competition was opened; every work window is to drop its data.
    void competitionOpened();
    // A competition was deleted; the main window refreshes.
    void competitionDeleted();
    // The user ended the program from the chooser.
    void applicationEndRequested();

protected:
    void reloadData() override {}
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool showDialog();
    bool checkCompetition();
    void PopulateServers();
    void UpdateComboBox();
    void SelectDefaultServer();
    void SaveCurrentServer();
    void ShowListBoxError(const QString& text);
    void ListBox1Click();
    void updateOkButton();
    // Typing an address leaves the index on the entry it started from, so the text decides.
    bool isLocalEntry() const;
    void NotifySubscriber();
    TCurrentCompetition& current() const;
    void reloadExceptionMessages();
    void stopDiscovery();
    void showWait(const QString& text);
    void closeWait(const QString& text);
    void reportCompatibility(const QString& text, bool error);
    static void paintMeanwhile();
    void waitForLocalServer();
    // A server entry as it is stored once used ("Veranstaltung auf diesem PC" is the local address).
    QString normalisedServer(const QString& entry) const;
    const proto::CompetitionType* selectedCompetition() const;

    const TChooserOptions options_;
    std::unique_ptr<proto::CompetitionType> tempCompetition;
    QStringList FSavedServers;
    QStringList FFoundServers;
    bool alreadyUsed = false;
    int FlastID = 0;
    QString keptOn_; // the server of tempCompetition
    TCompetitionListModel competitionList_;
    unsigned selectRuns_ = 0;      // counts ComboBox1Select, to run it once per Enter
    bool announced_ = false;       // the subscribers were told of a change while the chooser was open
    QString compatibilityToldFor_; // the server whose verdict the user has seen in this choice

    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QGroupBox* GroupBox3;
    QLabel* Label1;
    QLabel* Label2;
    QComboBox* ComboBox1;
    QListView* ListBox1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button7;
    QMenu* PopupMenu1;
    QAction* DeleteCompetitionAction;
    std::unique_ptr<TServerDiscovery> discovery_;
};

// The program's chooser (its registered window); null until it is created.
TChooseCompetitionForm* ChooseCompetitionForm();

} // namespace tvp
