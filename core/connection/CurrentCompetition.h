#pragma once
// The program's current competition: its record, its id (read by request workers at any time) and
// the subscribers that are told of every change, in the order they subscribed. The competition
// chooser writes it; everything else only reads it.

#include "core/protocol/ParticipantRecords.h"

#include <QObject>

#include <atomic>
#include <functional>
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

    // Appends a subscriber; there is no removal, but one bound to a receiver goes with it.
    void addNofitication(QObject* receiver, std::function<void()> subscriber);
    void addNofitication(std::function<void()> subscriber) { addNofitication(this, std::move(subscriber)); }

    // Takes the record (null allowed) as the current one and tells every subscriber.
    void SetCompetitionInternal(std::unique_ptr<proto::CompetitionType> competition);
    // Tells every subscriber again without a change.
    void NotifySubscriber();

    // For the chooser while it is open: the competition is put aside and back without telling anyone.
    std::unique_ptr<proto::CompetitionType> takeSilently();
    void putBackSilently(std::unique_ptr<proto::CompetitionType> competition);

signals:
    // Each change; subscribers are its receivers, called in subscription order.
    void competitionChanged();

private:
    std::unique_ptr<proto::CompetitionType> competition_;
    std::atomic<int> id_{0};
};

// The program's current competition; lives as long as the program, for late workers too.
TCurrentCompetition& currentCompetition();

} // namespace tvp
