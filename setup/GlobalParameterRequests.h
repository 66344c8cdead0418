#pragma once
// The global parameters editor's requests and its lists: the named numbers of the competition
// ("Veranstaltungsparameter") or of one cup ("Cup-Parameter"), which scoring nodes name in their
// parameters. The lists are also the client's cache of the parameters' values.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

namespace tvp {

enum class TParameterRequestType { rt_getList = 0, rt_setParameter = 1, rt_remove = 2 };

// The refusals of a removal while scoring nodes name the parameter, and of an unknown one.
inline constexpr int kGlobalParameterInUseError = 180;
inline constexpr int kCupParameterInUseError = 181;
inline constexpr int kParameterNotFoundError = 59;

struct TParameterRequest : TRequest {
    TParameterRequestType reqType = TParameterRequestType::rt_getList;
    std::vector<proto::GlobalParametersInfoType> params;
    QString removeKey;
    int cupID = 0;
    bool forceUsedParameter = false;
};

struct TParameterResponse : TResponse {
    TParameterRequestType reqType = TParameterRequestType::rt_getList;
    QString removeKey;
    int CupID = 0;
    proto::Owned<proto::CupType> cup;
    std::vector<proto::GlobalParametersType> params;
    std::vector<proto::GlobalParametersType> cupParams;
};

const TRequestTable<TParameterRequest, TParameterResponse>& parameterRequests();

// One row of the editor as the user left it.
struct TParameterRow {
    QString key;
    QString value;
};

// The loaded lists and the cup they are shown for; everything the window decides without widgets.
class TGlobalParameterLists {
public:
    int cupId() const { return FCupId; }
    void setCupId(int cupId) { FCupId = cupId; }
    // After a load: both lists replaced.
    void replace(std::vector<proto::GlobalParametersType> params, std::vector<proto::GlobalParametersType> cupParams);
    // After a removal: the entry leaves the list of the request's scope (the cup's with a cup id).
    void removeEntry(const QString& key, int requestCupId);

    // The entries the editor shows, in list order.
    std::vector<const proto::GlobalParametersType*> shownEntries() const;
    // Not editable in this window: read-only on the server, or of another scope.
    bool isReadOnly(const proto::GlobalParametersType& entry) const;
    // A key not in the shown list (a new row) is editable.
    bool isReadOnlyParam(const QString& key) const;

    std::optional<double> resolveParameter(const QString& name, int cupId) const;
    QStringList getParameterNames(int cupId) const;

    // Does the editor differ from the shown entries? enabled: whether the editor is enabled.
    bool changed(const std::vector<TParameterRow>& rows, bool enabled, const QLocale& locale) const;

    // What "Speichern" sends: the new and changed rows, or the key of the first row whose value is
    // no number (then nothing is sent).
    struct TInvalidValue {
        QString key;
    };
    std::variant<std::vector<proto::GlobalParametersInfoType>, TInvalidValue>
    changedParameters(const std::vector<TParameterRow>& rows, const QLocale& locale) const;

private:
    const std::vector<proto::GlobalParametersType>& shownList() const;

    int FCupId = 0;
    std::vector<proto::GlobalParametersType> FParameterList;
    std::vector<proto::GlobalParametersType> FCupParameterList;
};

// A value as the editor shows it: shortest exact text with the locale's separator, no grouping.
QString formatParameterValue(double value, const QLocale& locale);
// A typed value in the locale's format; none for a text that is no number.
std::optional<double> parseParameterValue(const QString& text, const QLocale& locale);

} // namespace tvp
