// The current competition: receivers told in order, a receiver that goes stops listening, failures
// kept to themselves, the id readable from workers.

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/connection/UncaughtErrors.h"
#include "core/protocol/Errors.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

using namespace tvp;

namespace {

std::unique_ptr<proto::CompetitionType> competition(int id, const QString& name)
{
    auto c = std::make_unique<proto::CompetitionType>();
    c->ID = id;
    c->Name = name;
    return c;
}

// As windows listen: with themselves as context and the body guarded.
template <class F>
void listen(TCurrentCompetition& current, QObject* receiver, F body)
{
    QObject::connect(&current, &TCurrentCompetition::competitionChanged, receiver, [body] { guarded(body); });
}

} // namespace

TEST(CurrentCompetition, ReceiversHearEachChangeInOrderAndAFailingOneStopsNobody)
{
    QStringList reported;
    setUncaughtReporter([&](const QString& text) { reported << text; });
    TCurrentCompetition current;
    QObject window;
    QStringList heard;
    listen(current, &window, [&] { heard << "erster: " + current.getCompetitionName(); });
    listen(current, &window, [] { throw std::runtime_error("kaputt"); });
    {
        QObject receiver;
        listen(current, &receiver, [&] { heard << QStringLiteral("gebunden"); });
        current.SetCompetitionInternal(competition(4, "Sportfest"));
    }
    listen(current, &window, [&] { heard << QStringLiteral("letzter"); });
    current.SetCompetitionInternal(nullptr);
    setUncaughtReporter({});

    EXPECT_EQ(heard, (QStringList{"erster: Sportfest", "gebunden", "erster: ", "letzter"}))
        << "one whose receiver is gone hears nothing";
    EXPECT_EQ(reported, (QStringList{"kaputt", "kaputt"}));
}

TEST(CurrentCompetition, PutAsideSilentlyWhileTheChooserIsOpen)
{
    TCurrentCompetition current;
    QObject window;
    int told = 0;
    listen(current, &window, [&] { ++told; });
    current.SetCompetitionInternal(competition(9, "Kreisfinale"));
    auto aside = current.takeSilently();
    EXPECT_EQ(current.getCompetitionId(false), 0);
    EXPECT_EQ(current.getCompetition(), nullptr);
    current.putBackSilently(std::move(aside));
    EXPECT_EQ(current.getCompetitionId(false), 9);
    EXPECT_EQ(told, 1);
}

TEST(CurrentCompetition, WorkersReadTheIdAndFailLikeTheServerWithoutOne)
{
    TCurrentCompetition current;
    try {
        current.getCompetitionId(true);
        ADD_FAILURE() << "no competition must throw";
    } catch (const ETvExceptionDetail& e) {
        EXPECT_EQ(e.ExceptionID, -1);
        EXPECT_EQ(e.message(), QStringLiteral("Keine Veranstaltung geladen"));
    }
    current.SetCompetitionInternal(competition(12, "Parallel"));
    int seen = 0;
    std::thread([&] { seen = current.getCompetitionId(true); }).join();
    EXPECT_EQ(seen, 12);
}
