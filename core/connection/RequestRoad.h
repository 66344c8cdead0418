#pragma once
// The typed road of a window's server requests, over its request runner.
//
// A window declares its requests once, widget-free (<area>/<Name>Requests.cpp): per command code
// (the request's reqType) the German request name and the worker function that runs it, and for
// batch windows which refusals the user may overrule with which force flag. The window then only
// fills requests and reads responses:
//
//   worker thread: void loadClubs(TServicePorts& ports, const TClubRequest& request, TClubResponse& response);
//   GUI thread:    void TClubForm::RequestFinished(std::unique_ptr<TClubResponse> response,
//                                                  const TRequestOutcome& outcome);
//
// The road makes the response (command code copied, the batch chain taken over), shows the request's
// name in the wait window while it runs, asks about refusals listed as force rules and sends the
// item again with its flag, and hands everything else to the window's finished function.

#include "core/connection/BatchRequest.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/RequestContext.h"
#include "core/connection/ServicePorts.h"
#include "core/protocol/Errors.h"
#include "core/util/UserAction.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <concepts>
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace tvp {

// How a request ended, as the window's finished function sees it.
struct TRequestOutcome {
    QString error;          // empty on success
    int errorId = 0;        // the server's error id, 0 when none
    QStringList parameters; // the server's error parameters, in order
    quint32 requestId = 0;
    int command = 0;       // the request's command code (its reqType)
    bool declined = false; // a refused item the user chose not to force: nothing to report
    bool answered = true;  // false: the request never reached its worker, and there is no response
    // The user's action the request was started in, none for a poll's or a reload's: the window or
    // question that is its answer is shown under TAnswerTo(action).
    TUserAction action;

    bool ok() const { return error.isEmpty(); }
};

// The caption of a failure in the message window: the request's name, or "Kommunikationsfehler" for
// a request that never reached its worker.
inline QString failureCaption(const TRequestOutcome& outcome, const QString& requestName)
{
    return outcome.answered ? requestName : QStringLiteral("Kommunikationsfehler");
}

template <class Request>
concept TRoadRequest = std::derived_from<Request, TRequest> && std::move_constructible<Request>;

template <class Response>
concept TRoadResponse = std::derived_from<Response, TResponse> && std::default_initializable<Response>;

// The command code is the request's reqType; a window with one kind of request has none (code 0).
template <class T>
concept THasReqType = requires(T t)
{
    t.reqType;
};

template <class T>
struct TCommandCodeOf {
    using type = int;
};
template <THasReqType T>
struct TCommandCodeOf<T> {
    using type = std::remove_cvref_t<decltype(std::declval<T&>().reqType)>;
};
template <class T>
using TCommandCode = typename TCommandCodeOf<T>::type;

template <class T>
int commandOf(const T& item)
{
    if constexpr (THasReqType<T>)
        return static_cast<int>(item.reqType);
    else
        return 0;
}

template <class T>
void setCommand(T& item, int code)
{
    if constexpr (THasReqType<T>)
        item.reqType = static_cast<TCommandCode<T>>(code);
}

// One command of a window.
template <class Request, class Response>
struct TCommand {
    TCommandCode<Request> code{};
    // The caption of its errors, and the wait text while it runs when showWait is set.
    QString name;
    // Runs on the worker thread; throws on failure. Touches no window.
    void (*run)(TServicePorts& ports, const Request& request, Response& response) = nullptr;
    // Only for the few requests whose wait text the design names: a wait window for every request
    // would flicker over every save and take the user's typing.
    bool showWait = false;
};

// A refusal the user may overrule: asked with the question, and on "Ja" the same request goes again
// with the flag set.
template <class Request>
struct TForceRule {
    int errorId = 0;
    bool Request::*flag = nullptr;
    QString question;
    // The question's caption; empty for the request's name.
    QString caption = {};
    // Only refusals of this command code; -1 for every command (one id may mean different
    // things to different commands of a window).
    int command = -1;
};

// A window's requests, declared once.
template <class Request, class Response>
struct TRequestTable {
    std::vector<TCommand<Request, Response>> commands;
    // Only for batch requests (TBatchRequest and TBatchResponse).
    std::vector<TForceRule<Request>> forces = {};

    const TCommand<Request, Response>* command(int code) const
    {
        for (const auto& c : commands)
            if (static_cast<int>(c.code) == code)
                return &c;
        return nullptr;
    }
    QString name(int code) const
    {
        const auto* c = command(code);
        return c ? c->name : QString();
    }
};

template <TRoadRequest Request, TRoadResponse Response>
class TRequestRoad {
public:
    static constexpr bool kBatch =
        std::derived_from<Request, TBatchRequest> && std::derived_from<Response, TBatchResponse>;
    using Table = TRequestTable<Request, Response>;
    // The response is null when the request never reached its worker function (no channel slot);
    // the outcome then says so (answered), and report names it so.
    using Finished = std::function<void(std::unique_ptr<Response> response, const TRequestOutcome& outcome)>;

    // window: the window the requests belong to; its wait texts and its messages name it, and its
    // messages are shown also while it is hidden.
    TRequestRoad(TRequestContext& context, const Table& table, QObject* window, Finished finished)
        : context_(context),
          table_(std::make_shared<const Table>(table)),
          window_(window),
          finished_(std::move(finished)),
          runner_(std::make_unique<TCommunicationThread>())
    {
        Q_ASSERT(kBatch || table_->forces.empty());
        // The runner's own address holder: its transactions and the worker's calls go to one server.
        runner_->commandCallback = [table = table_, &competition = context.competition()](
                                       proto::THTTPRIO* rio, TRequest* raw, std::unique_ptr<TResponse>& out,
                                       TSoapThread* thread) {
            runCommand(*table, competitionUrlHolderInstance(), competition, rio, raw, out, thread);
        };
        runner_->OnFinished = [this](std::unique_ptr<TResponse> raw, const QString& error, int errorId,
                                     const QStringList& parameters, quint32 requestId) {
            handBack(std::move(raw), {error, errorId, parameters, requestId, 0, false, true, {}});
        };
    }

    ~TRequestRoad()
    {
        // Gone first: a request finishing later calls nobody back.
        runner_.reset();
        for (const auto& [id, p] : pending_)
            if (p.waitShown)
                context_.waitTexts().closeWait(table_->name(p.command));
    }

    TRequestRoad(const TRequestRoad&) = delete;
    TRequestRoad& operator=(const TRequestRoad&) = delete;

    // Queues the request; its id, or 0 when refused at shut-down (then nothing follows).
    quint32 AddRequest(std::unique_ptr<Request> request, TTransactionMode mode)
    {
        const int command = commandOf(*request);
        const quint32 id = runner_->AddRequest(std::move(request), mode);
        if (id == 0)
            return 0;
        const TCommand<Request, Response>* c = table_->command(command);
        const bool showWait = c && c->showWait && !c->name.isEmpty();
        pending_[id] = {command, showWait, mode, TUserAction::current()};
        if (showWait)
            context_.waitTexts().showWait(c->name, window_);
        return id;
    }

    // After an item of a chain went through: queues the next one (tm_None), if there is one.
    void continueBatch(Response& response) requires kBatch
    {
        if (response.nextBatch)
            queueBatch(response.CleanForContinue());
    }

    // The failure in the message window, under its failureCaption.
    void report(const TRequestOutcome& outcome) const
    {
        context_.messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                         failureCaption(outcome, requestName(outcome.command)), window_);
    }

    QString requestName(int command) const { return table_->name(command); }
    // Requests queued here and not yet handed back.
    std::size_t pending() const { return pending_.size(); }
    TCommunicationThread& runner() { return *runner_; }

private:
    // What the worker hands back: the response, and the request as it was sent, for a forced retry.
    struct TAnswer : TResponse {
        std::unique_ptr<Response> response;
        std::unique_ptr<Request> sent;
    };

    struct TPending {
        int command = 0;
        bool waitShown = false;
        TTransactionMode mode = TTransactionMode::tm_None;
        TUserAction action;
    };

    static void runCommand(const Table& table, TCompetitionUrlHolder& address, TCurrentCompetition& competition,
                           proto::THTTPRIO* rio, TRequest* raw, std::unique_ptr<TResponse>& out, TSoapThread* thread)
    {
        auto owned = std::make_unique<TAnswer>();
        TAnswer& answer = *owned;
        out = std::move(owned);
        auto* request = dynamic_cast<Request*>(raw);
        if (!request)
            throw TvpError(QStringLiteral("Anfrage eines anderen Fensters"));
        answer.response = std::make_unique<Response>();
        setCommand(*answer.response, commandOf(*request));
        if constexpr (kBatch)
            answer.response->takeChainOf(*request);
        try {
            // Without a worker the transaction could not begin: the empty response is all.
            if (thread) {
                const TCommand<Request, Response>* c = table.command(commandOf(*request));
                if (!c || !c->run)
                    throw TvpError(QStringLiteral("Unbekannter Befehl %1").arg(commandOf(*request)));
                TServicePorts ports(*rio, address, competition, thread);
                c->run(ports, *request, *answer.response);
            }
        } catch (...) {
            answer.sent = std::make_unique<Request>(std::move(*request));
            throw;
        }
        answer.sent = std::make_unique<Request>(std::move(*request));
    }

    void handBack(std::unique_ptr<TResponse> raw, TRequestOutcome outcome)
    {
        std::unique_ptr<TAnswer> answer;
        if (auto* a = dynamic_cast<TAnswer*>(raw.get())) {
            raw.release();
            answer.reset(a);
        }
        std::unique_ptr<Response> response = answer ? std::move(answer->response) : nullptr;
        outcome.answered = response != nullptr;
        TTransactionMode mode = TTransactionMode::tm_None;
        if (const auto p = pending_.find(outcome.requestId); p != pending_.end()) {
            outcome.command = p->second.command;
            outcome.action = p->second.action;
            mode = p->second.mode;
            if (p->second.waitShown)
                context_.waitTexts().closeWait(table_->name(p->second.command));
            pending_.erase(p);
        } else if (response) {
            outcome.command = commandOf(*response);
        }
        // What the window does now still serves the user's action: its next requests take it along.
        const TCarriedAction carried(outcome.action);
        if constexpr (kBatch) {
            if (!outcome.ok() && response && answer->sent &&
                offerForce(response, std::move(answer->sent), outcome, mode))
                return;
        }
        if (finished_)
            finished_(std::move(response), outcome);
    }

    // A refusal of the force table: true when it is dealt with here. The question waits without
    // holding the program; its answer sends the item again forced, in the mode it was sent in, or
    // skips it with the chain going on; the chain's end and a cancel reach the window then, the
    // end as declined.
    bool offerForce(std::unique_ptr<Response>& response, std::unique_ptr<Request> sent, const TRequestOutcome& outcome,
                    TTransactionMode mode) requires kBatch
    {
        for (const TForceRule<Request>& rule : table_->forces) {
            if (rule.errorId != outcome.errorId || (rule.command >= 0 && rule.command != outcome.command))
                continue;
            // Shared by the question's continuation, which may come long after this returns.
            auto held = std::make_shared<THeldRefusal>(std::move(response), std::move(sent), outcome, mode);
            const std::weak_ptr<int> alive = alive_;
            // The question is the answer to the user's action, if any.
            const TAnswerTo answer(outcome.action);
            held->response->handleRequestError(
                rule.question, rule.caption.isEmpty() ? requestName(outcome.command) : rule.caption, outcome.errorId,
                rule.errorId,
                [this, alive](std::unique_ptr<TBatchRequest> next) {
                    if (!alive.expired())
                        queueBatch(std::move(next));
                },
                context_.batchConfirmation(), window_,
                [this, alive, held, flag = rule.flag](THandleState state) {
                    if (!alive.expired())
                        forceDecided(*held, flag, state);
                });
            return true;
        }
        return false;
    }

    struct THeldRefusal {
        THeldRefusal(std::unique_ptr<Response> r, std::unique_ptr<Request> s, const TRequestOutcome& o,
                     TTransactionMode m)
            : response(std::move(r)), sent(std::move(s)), outcome(o), mode(m)
        {
        }
        std::unique_ptr<Response> response;
        std::unique_ptr<Request> sent;
        TRequestOutcome outcome;
        TTransactionMode mode;
    };

    void forceDecided(THeldRefusal& held, bool Request::*flag, THandleState state) requires kBatch
    {
        switch (state) {
        case THandleState::hs_confirmed:
            (*held.sent).*flag = true;
            held.sent->setBatchContext(held.response->getBatchContext());
            held.sent->nextBatch = held.response->CleanForContinue();
            AddRequest(std::move(held.sent), held.mode);
            return;
        case THandleState::hs_continued: return;
        case THandleState::hs_finished: held.outcome.declined = true; break;
        case THandleState::hs_ignored: break;
        }
        if (finished_)
            finished_(std::move(held.response), held.outcome);
    }

    void queueBatch(std::unique_ptr<TBatchRequest> next)
    {
        if (auto* typed = dynamic_cast<Request*>(next.get())) {
            next.release();
            AddRequest(std::unique_ptr<Request>(typed), TTransactionMode::tm_None);
        } else {
            // Not this window's: its worker reports it as such.
            runner_->AddRequest(std::move(next), TTransactionMode::tm_None);
        }
    }

    TRequestContext& context_;
    std::shared_ptr<const Table> table_;
    QPointer<QObject> window_;
    Finished finished_;
    std::map<quint32, TPending> pending_;
    // Expires with the road: a question answered later calls nobody back.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::unique_ptr<TCommunicationThread> runner_;
};

} // namespace tvp
