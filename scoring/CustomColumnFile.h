#pragma once
// A file of custom column values for a cup's athletes: a header naming the columns from the third
// field on, then one line per athlete with given name, surname and the values. Reading runs on
// the GUI thread; matching the file against the cup and storing runs on the request worker.

#include "core/protocol/ScoringRecords.h"
#include "core/protocol/TVPWebServices2.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <exception>
#include <optional>
#include <vector>

namespace tvp {

class TCustomDataItem {
public:
    TCustomDataItem(QString givenName, QString surName, QStringList customData);
    const QString& givenName() const { return FgivenName; }
    const QString& surName() const { return FsurName; }
    // Empty when the line holds fewer values.
    QString getData(int i) const;

private:
    QString FgivenName;
    QString FsurName;
    QStringList FcustomData;
};

class TCustomDataList {
public:
    // Throws ECsvError for a broken file and TvpError "Leere Datei" for one without any line.
    TCustomDataList(const QByteArray& bytes, int cupId);

    int getNoOfCols() const { return int(FColumns.size()); }
    const QString& getCol(int i) const { return FColumns.at(i); }
    // The matched cup column of file column i; none while unmatched.
    std::optional<int> colId(int i) const { return FColumnIds.at(i); }
    void addColId(int id, int i) { FColumnIds.at(i) = id; }

    int getNoOfAthletes() const { return int(FItems.size()); }
    const TCustomDataItem& item(int i) const { return FItems.at(i); }
    // One value per matched column, in column order.
    std::vector<proto::CustomInformationsDataType> createCustomInfoForAthlete(int i) const;
    bool athleteFits(int i, const proto::CupAthleteType& athlete) const;
    // As written in the file, for the log.
    QString getFullAthleteName(int i) const;

    const QStringList& getErrors() const { return FErrorList; }
    void addError(const QString& text) { FErrorList.append(text); }
    int cupId() const { return FCupId; }

private:
    QStringList FColumns;
    std::vector<std::optional<int>> FColumnIds;
    std::vector<TCustomDataItem> FItems;
    QStringList FErrorList;
    int FCupId;
};

struct TCustomValuesStore {
    int athleteId = 0;
    std::vector<proto::CustomInformationsDataType> values;
};

// Names the file's columns after the cup's athlete columns (exact names) and logs each.
void matchCustomColumns(TCustomDataList& list, const std::vector<proto::CustomColumnType>& cupColumns);

// Chooses the cup athlete of every line and logs what cannot be placed or is ambiguous; returns
// the stores in file order.
std::vector<TCustomValuesStore> matchCustomAthletes(TCustomDataList& list,
                                                    const proto::getCupAthletesResponse& athletes);

// The worker's part inside one read-write transaction: match and store. Returns the log, also
// when a server call failed; that failure comes back in `failure`, for the caller to roll back.
QStringList runCustomColumnImport(proto::CupRetrievalPortType& crs, proto::CupSetupPortType& css, TCustomDataList& list,
                                  std::exception_ptr& failure);

} // namespace tvp
