#pragma once
// Result texts, comparisons and the small text, file and lookup helpers many windows share.
// Result texts use the decimal separator of the user's locale (QLocale()); only stored and
// exchanged numbers use ".".

#include "core/util/CodePages.h"
#include "core/protocol/ParticipantRecords.h"
#include "core/results/tvpTypes.h"

#include <QByteArray>
#include <QCollatorSortKey>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QIODevice;

namespace tvp {

namespace proto {
class DataRetrievalPortType;
}

// ---- Enumeration texts ----

QString assignmentTypeToString(proto::ResultAssignmentType t);
QString ResultValueTypeToUIInfo(proto::ResultValueType t);
proto::ResultValueType UIInfoToResultValueType(const QString& text);
TResultformat uiInfoStringToResultFormat(const QString& text);
// The stored text of a format; empty for rf_Unknown, which is never stored.
QString resultFormatToUIInfo(TResultformat format);
QString ResultInfoToString(proto::ResultInfo info);
// The unit word the result-entry window shows after "Einheit: ".
QString GetResultUnit(proto::ResultValueType t, TResultformat f);
// "Lauf" for times, else "Versuch".
QString getAttemptString(proto::ResultValueType t);
// "12,7": the bibs in order, no blanks.
QString bibstoString(const std::vector<int>& bibs);

// ---- Results ----

// Whether a discipline's format is rf_Height, so that a whole number above 9 typed without a unit
// or decimal separator is read as centimetres. A type of its own: callers name the points flag and
// this one in either order, and a swap must not compile.
enum class THeightFormat : bool { no = false, yes = true };
inline THeightFormat heightFormatOf(TResultformat format)
{
    return format == TResultformat::rf_Height ? THeightFormat::yes : THeightFormat::no;
}

// Reads a typed result into result. kind is the discipline's result kind, or Info to recognise
// it from the text. isPoints tells, in recognise mode, that the text carried "Pkt". A refused
// text leaves result unchanged.
bool StringToResult(const QString& text, proto::ResultValueType kind, proto::ResultType& result,
                    THeightFormat heightFormat, bool& isPoints);

// The display text of a result, "-" for none. A non-empty unitPattern (the discipline's
// ResultUnitPattern) is applied by the result-unit pattern language; its
// EInvalidResultUnitPattern for a malformed pattern is let through.
QString ResultToString(const proto::ResultType* result, TResultformat format, const QString& unitPattern);
QString ResultToString(const proto::ResultType& result, TResultformat format, const QString& unitPattern);

// -1, 0 or 1; greater is better. A status (Info) loses against any other kind.
int CompareResult(const proto::ResultType& a, const proto::ResultType& b);

// The sort order of list-view cells (CompareListRows picks the cells): results first, ordered
// by value (longer distances, shorter times, smaller ranks first), then texts, empty texts last.
int CompareListTexts(const QString& text1, const QString& text2, bool descending);

// A list cell read once for sorting many rows: compareListSortKeys orders keys as CompareListTexts
// orders their texts (ascending). With collationKey the text's collation key is made once, so
// each compare of two such keys is cheap.
struct TListSortKey {
    enum Kind { Result, Text, Empty };
    Kind kind = Empty;
    proto::ResultType result;
    QString text;
    std::optional<QCollatorSortKey> collation;
};
TListSortKey listSortKey(const QString& text, bool collationKey);
int compareListSortKeys(const TListSortKey& a, const TListSortKey& b);

double resultToFloat(const proto::ResultType& result);
// True when there is no result or it is the server's empty one (ResultID 1).
bool isEmptyResult(const proto::AssignedResultType* result);

// The one result format of the disciplines that feed a scoring node, rf_Unknown when they differ,
// are not all distances or none is stored. Two server calls; runs on the request worker.
TResultformat getResultFormatForAgg(proto::DataRetrievalPortType& port, int aggregatorId);

// True when the text is a number, with the user's decimal separator or with ".".
bool isNumber(const QString& text);
bool contains(const QStringList& list, const QString& text);

// Substitutes every "$(key)" of text by mapper(key); an unclosed "$(" stays as it is. Keys are
// neither trimmed nor nested.
QString ParseParamSubst(const QString& text, const std::function<QString(const QString& key)>& mapper);
bool containsBib(int value, const std::vector<int>& list);

// ---- Texts and files ----

// Windows-1252, the code page of files other Windows programs read. A character outside it is
// written as "?". Both throw std::runtime_error when the system lacks the conversion.

// One CSV field in Windows-1252, quoted when it holds ";", CR, LF or a double quote. The caller
// writes separators and line ends. Throws std::runtime_error when the device refuses the bytes.
// Words the code page makes it write otherwise go to respelled.
void writeStringCsvEscaped(QIODevice& stream, const QString& text, TRespelledNames* respelled = nullptr);

// The text with < > ? " : | \ / * and blanks replaced by "_".
QString fileNameSaveChars(const QString& text);
// Every ch in text preceded by escape.
QString escapeChar(const QString& text, QChar ch, QChar escape);
void ReplaceDecimalSeparator(QString& text, QChar from, QChar to);

// The timing program's DOS code page and Windows-1252 differ in the German letters (and é, á);
// every other byte is left as it is.
QByteArray decodeDosString(const QByteArray& text);
QByteArray encodeDosString(const QByteArray& text);

// Equal apart from CR characters, so a memo edited with CR LF equals the stored LF text.
bool equalsIgnoreLineEnding(const QString& a, const QString& b);

// The name of a discipline made from a template for an age class: a template name that starts with
// an age code ("U" and one or two digits) followed by at least two more characters gets the age
// class's name in place of the code ("U10 Weitsprung" for "U12" gives "U12 Weitsprung"); any other
// name starting with "U" stays as it is; every other name gets a blank and the age class's name
// appended ("Staffel" for "Minis" gives "Staffel Minis").
QString replaceAgeClassNameOnStart(const QString& name, const QString& text);
// 0 for the empty text, -1 when it is not an integer.
int getYearOfBirth(const QString& text);
QString genderToStr(proto::GenderType g);
// "3", or "Adler (3)" for a squad with its own name; empty for none.
QString getSquadInfoStr(const proto::SquadInfoDataType* squad);
// "Riege 1, Adler (2)" for the squad texts of a heat, empty for none; a squad whose own name
// already starts with "Riege" does not get the word twice.
QString squadsText(const QStringList& squads);

// ---- Lookups in protocol data ----

void addIds(TIdList& target, const TIdList& source);

template <class Team>
int getNoOfAthletes(const std::vector<Team>& teams)
{
    int n = 0;
    for (const Team& t : teams)
        n += t.NoOfAthletes;
    return n;
}

// The bibs of all athletes of the first team with that id in the heats; empty when it is absent.
TIdList getBibsOfTeam(int teamId, const std::vector<proto::HeatParticipantsType>& heats);

// The first exported global parameter with that OriginalName (getParam) or Name (getParamByName);
// null when none has it.
template <class Param>
const Param* getParam(const std::vector<Param>& params, const QString& name)
{
    for (const Param& p : params)
        if (p.OriginalName == name)
            return &p;
    return nullptr;
}

template <class Param>
const Param* getParamByName(const std::vector<Param>& params, const QString& name)
{
    for (const Param& p : params)
        if (p.Name == name)
            return &p;
    return nullptr;
}

} // namespace tvp
