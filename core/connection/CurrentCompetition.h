#pragma once
// The program's current competition: its record, its id (read by request workers at any time) and
// the signal of every change. The competition chooser writes it; everything else only reads it and
// connects to competitionChanged with itself as context, so a window that goes stops listening.

#include "core/protocol/ParticipantRecords.h"

#include <QObject>

#include <atomic>
#include <memory>

namespace tvp {

class TCurrentCompetition : public QObject {
    Q_OBJECT
public:
    explicit TCurrentCompetition(QObject* parent = nullptr);
    ~TCurrentCompetition() override;

    // Safe from any thread. 0 without a competition; with raise set that throws
    // ETvExceptionDetail(-1), so a request worker fails like a server call.
    int getCompetitionId(bool raise) const;
    // GUI thread only; the record stays this object's. Null without a competition.
    const proto::CompetitionType* getCompetition() const { return competition_.get(); }
    QString getCompetitionName() const;

    // Takes the record (null allowed) as the current one and tells every receiver.
    void SetCompetitionInternal(std::unique_ptr<proto::CompetitionType> competition);
    // Tells every receiver again without a change.
    void NotifySubscriber();

    // For the chooser while it is open: the competition is put aside and back without telling anyone.
    std::unique_ptr<proto::CompetitionType> takeSilently();
    void putBackSilently(std::unique_ptr<proto::CompetitionType> competition);

signals:
    // Each change; receivers are called in the order they connected. A slot keeps its own
    // failures (guarded), so one failing receiver stops none of the later ones.
    void competitionChanged();

private:
    std::unique_ptr<proto::CompetitionType> competition_;
    std::atomic<int> id_{0};
};

// The program's current competition; lives as long as the program, for late workers too.
TCurrentCompetition& currentCompetition();

} // namespace tvp
