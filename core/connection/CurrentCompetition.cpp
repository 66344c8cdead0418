#include "core/connection/CurrentCompetition.h"

#include "core/protocol/Errors.h"

#include <QCoreApplication>

namespace tvp {

TCurrentCompetition::TCurrentCompetition(QObject* parent) : QObject(parent)
{
    // A worker may be the first to ask for the id; receivers are still told on the GUI thread.
    if (QCoreApplication* app = QCoreApplication::instance(); app && !parent)
        moveToThread(app->thread());
}

TCurrentCompetition::~TCurrentCompetition() = default;

int TCurrentCompetition::getCompetitionId(bool raise) const
{
    const int id = id_.load();
    if (id == 0 && raise)
        throw ETvExceptionDetail(QStringLiteral("Keine Veranstaltung geladen"), -1);
    return id;
}

QString TCurrentCompetition::getCompetitionName() const
{
    return competition_ ? competition_->Name : QString();
}

void TCurrentCompetition::SetCompetitionInternal(std::unique_ptr<proto::CompetitionType> competition)
{
    putBackSilently(std::move(competition));
    NotifySubscriber();
}

void TCurrentCompetition::NotifySubscriber()
{
    emit competitionChanged();
}

std::unique_ptr<proto::CompetitionType> TCurrentCompetition::takeSilently()
{
    id_ = 0;
    return std::move(competition_);
}

void TCurrentCompetition::putBackSilently(std::unique_ptr<proto::CompetitionType> competition)
{
    competition_ = std::move(competition);
    id_ = competition_ ? competition_->ID : 0;
}

TCurrentCompetition& currentCompetition()
{
    // Never destroyed: a request worker may still ask for the id while the program ends.
    static auto* instance = new TCurrentCompetition;
    return *instance;
}

} // namespace tvp
