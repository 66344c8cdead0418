#pragma once
// The functions of the rule language: `current`, the age class whose part of the file is read.

#include "setup/XMLEvaluator.h"

namespace tvp {

class TXFcurrent : public TEvalFunction {
public:
    explicit TXFcurrent(const IPathObject* context) : TEvalFunction(QStringLiteral("current"), 1), context_(context) {}
    QString evaluate(const QStringList& params, const QString& path) override;

private:
    const IPathObject* context_;
};

} // namespace tvp
