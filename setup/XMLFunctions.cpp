#include "setup/XMLFunctions.h"

namespace tvp {

QString TXFcurrent::evaluate(const QStringList& params, const QString& path)
{
    if (params.size() != 1)
        throw EFunctionEvalException(QStringLiteral("Invalid parameter count for \"current\"."));
    if (params.front() != QLatin1String("AgeClass"))
        throw EFunctionEvalException(QStringLiteral("Invalid parameter for \"current\": ") + params.front());
    if (!context_)
        throw EFunctionEvalException(QStringLiteral("current: current AgeClass is not defined"));
    return resolvePathOnObject(context_, path);
}

} // namespace tvp
