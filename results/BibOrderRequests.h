#pragma once
// "Rangfolge erfassen": the finishing order of one attempt typed as bibs, rank by rank. A row is
// stored whole or not at all (its old bibs cleared, its new ones stored as ranks); rows waiting
// while one is on its way leave together in one transaction, each answered on its own.
// Widget-free: the requests, the rank list and the cell parser.

#include "core/connection/RequestRoad.h"

#include <QAbstractTableModel>
#include <QString>

#include <optional>
#include <vector>

namespace tvp {

// One row of the finishing order.
class TRankItem {
public:
    explicit TRankItem(int rank = 0) : fRank(rank) {}

    // The bib is always kept (a tie may repeat one); the participant only once.
    void addItem(int bib, const QString& name, int id);
    void clear();
    int getBib(int index) const { return bibList.at(std::size_t(index)); }
    int getBibCount() const { return int(bibList.size()); }
    int getItemCount() const { return int(idList.size()); }
    int getRank() const { return fRank; }
    const std::vector<int>& bibs() const { return bibList; }
    bool holdsBib(int bib) const;
    QString getDisplayBibs() const;
    QString getDisplayName() const;
    // More bibs than participants: two bibs of one team, or bibs nobody holds.
    bool isSuspicious() const { return getBibCount() != getItemCount(); }

    int fRank = 0;

private:
    std::vector<int> bibList;
    std::vector<int> idList;
    std::vector<QString> NameList;
};

// The rows of the window, in row order.
class TRankList {
public:
    // No finishing order comes near this; a stored rank beyond it would make a row for every rank
    // up to it.
    static constexpr int kMaxRank = 100000;

    // Gives the bib to the row of that rank, or appends rows up to it. -1 when the rank lies inside
    // a tie's positions or beyond kMaxRank (the bib is then not shown).
    int AddRankItem(int rank, int bib, const QString& name, int id);
    // The empty row below the last one, for the next rank.
    void appendNextEmpty();
    void clear() { items_.clear(); }
    int count() const { return int(items_.size()); }
    TRankItem& at(int index) { return items_[std::size_t(index)]; }
    const TRankItem& at(int index) const { return items_[std::size_t(index)]; }
    TRankItem* itemOfRank(int rank);
    // The row of a rank, -1 when no row has it (a tie spans it, or the list ends before).
    int rowOfRank(int rank) const;
    bool holdsAnyBib(const std::vector<int>& bibs) const;
    // A row without bib above one with bibs: a rank was left out.
    bool hasGap() const;
    void append(TRankItem item) { items_.push_back(std::move(item)); }

private:
    std::vector<TRankItem> items_;
};

// The grid's three columns over the rank list; the window's Enter reads "Startnr." and stores.
class TRankListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { colRank = 0, colBibs = 1, colName = 2 };
    // True on the bibs and name of a row the server did not store (drawn red).
    static constexpr int kRefusedRole = Qt::UserRole + 1;

    explicit TRankListModel(TRankList& list, QObject* parent = nullptr) : QAbstractTableModel(parent), list_(list) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // What was typed on a row and not drawn from the server yet.
    // Stored: the server has it; shown until the next load draws the server's bibs.
    enum class TTypedState { Unsent, Sending, Stored, Refused };
    struct TTypedRow {
        int rank = 0;
        QString text;
        TTypedState state = TTypedState::Unsent;
        QString reason; // why the server did not store it
    };

    // Rows again from the list (at least one per item); typed texts are dropped.
    void resetRows();
    // Rows up to one per item, then the row of item index drawn again from the list (a text typed
    // there and not sent stays).
    void renderRow(int index);
    // The "Startnr." text as it stands, typed or drawn.
    QString bibText(int row) const;
    // Does a text typed on the row differ from the bibs drawn there?
    bool differsFromDrawn(int row, const QString& text) const;
    // The row's typed text went to the server: it is no longer unsaved, and stays shown until the
    // server's bibs are drawn there.
    void markSent(int row);
    void markStored(int row);
    // The server did not store the row: what was typed there shows red with the reason and is
    // unsaved again (text, when nothing typed is left on the row). Typed anew since, the newer text
    // stays.
    void markRefused(int row, const QString& text, const QString& reason);
    // The typed texts the server does not hold yet, by rank: unsent, on their way and refused ones.
    std::vector<TTypedRow> typedRows() const;
    // Puts a typed text back on a row, as typedRows gave it.
    void restoreTyped(int row, const TTypedRow& typed);
    // The user agreed to lose what is unsaved: typed and refused texts go, those on their way or
    // stored stay.
    void dropUnsent();
    bool hasUnsentText() const;

private:
    struct Typed {
        QString text;
        TTypedState state = TTypedState::Unsent;
        QString reason;
    };
    bool isUnsent(int row) const;
    bool isRefused(int row) const;
    void setState(int row, TTypedState state);

    TRankList& list_;
    int rows_ = 0;
    std::vector<std::optional<Typed>> typed_; // per row: the text typed and not yet drawn again
};

// After a load, the rows typed into stay: rows below the stored ones whose bibs are on their way,
// and a free row below the last one typed into (a tie typed there takes a rank for each bib).
void keepTypedRanks(TRankList& list, const std::vector<TRankListModel::TTypedRow>& kept);

// The "Startnr." cell read: every run of decimal digits is a bib, each once, in the order typed;
// everything else separates. A run beyond the integer range makes the text invalid (tooLarge
// names it) and nothing may be sent.
struct TBibText {
    std::vector<int> bibs;
    QString tooLarge;
    bool valid() const { return tooLarge.isEmpty(); }
};
TBibText parseBibText(const QString& text);

enum class TAqBibOrderRequestType { rt_getDiscipline = 0, rt_setResult = 1, rt_shiftResult = 2 };

struct TAqBibOrderRequest : TRequest {
    TAqBibOrderRequestType reqType = TAqBibOrderRequestType::rt_getDiscipline;
    int DisciplineId = 0;
    bool teamDisc = false;
    int attempt = 0;
    int rank = 0;
    bool issueReload = false;
    std::vector<int> oldBibs;
    std::vector<int> newBibs;
    int shiftOffset = 0;
    int CurrentRow = 0;
    // rt_setResult: the rows that leave together, in typing order, each of its own rank.
    std::vector<TAqBibOrderRequest> rows;
};

struct TAqBibOrderResponse : TResponse {
    TAqBibOrderRequestType reqType = TAqBibOrderRequestType::rt_getDiscipline;
    int DisciplineId = 0;
    proto::getDisciplineInfoResponse1 getDisciplineInfoResponse;
    proto::getDisciplinParticipantsResponse1 getParticipantsResponse;
    proto::getBibRankingResponse1 getBibRanking;
    bool teamDisc = false;
    bool issueReload = false;
    std::vector<int> bibs;
    std::vector<int> newBibs; // the bibs sent, to keep them typed when the store is refused
    std::vector<int> bibwarnings;
    int rank = 0;
    std::vector<proto::AthleteType> Athletes; // one per stored bib; id 0 for a bib nobody holds
    std::vector<proto::TeamType> Teams;
    std::vector<int> allBibsOfRank;
    int CurrentRow = 0;
    int attempt = 0;
    // rt_setResult: the answer of each row, in the order sent, each with its own outcome.
    std::vector<TAqBibOrderResponse> rows;
    TRequestOutcome outcome;
};

using TAqBibOrderRoad = TRequestRoad<TAqBibOrderRequest, TAqBibOrderResponse>;
const TRequestTable<TAqBibOrderRequest, TAqBibOrderResponse>& aqBibOrderRequests();

// "Anna Berg (Adler) " and the athlete's id, or the team's name and id, for the first entry of the
// heats holding the bib; empty and 0 when nobody does.
struct TBibHolder {
    QString name;
    int id = 0;
};
TBibHolder getNameForBib(const std::vector<proto::HeatParticipantsType>& heats, int bib);
QString getDisplayNameForAthlete(const proto::AthleteType& athlete);

// The warnings after a stored row, in the order they are shown.
QStringList bibOrderWarnings(const TAqBibOrderResponse& response);

} // namespace tvp
