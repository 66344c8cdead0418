#pragma once
// Links a Word mail-merge certificate document to a result compilation (UI info
// "AggColl_CertDocPath"); the data view shows, prints and discards it through this window.

#include "core/connection/RequestRoad.h"
#include "scoring/ui/DocSetupForm.h"

namespace tvp {

class TCertDocSetupForm : public TDocSetupForm, public ICertDocSetupForm {
    Q_OBJECT
public:
    explicit TCertDocSetupForm(TWindowContext& context);

    // ICertDocSetupForm
    void getPath(int collectionId) override;
    void showDialog(const QString& name, int collectionId, bool cupMode) override;
    void removeCertDocPath(int collectionId) override;

    void SetPath(int collectionId, const QString& path);
    void RequestFinished(std::unique_ptr<TCertDocSetupResponse> response, const TRequestOutcome& outcome);

protected:
    IDocSetupForm::StatusHandler statusHandler() const override { return OnStatusChange; }
    QString suggestedTargetName() const override;
    QString dataFileName() const override;
    void queuePathList() override;
    void storePath(const QString& path) override;
    bool firstOrdering() const override { return true; }

private:
    void queue(TCertDocSetupRequestType type, int collectionId, const QString& path = {});

    TRequestRoad<TCertDocSetupRequest, TCertDocSetupResponse> road_;
    QString FAggCollName;
    bool FCupMode = false;
};

} // namespace tvp
