#pragma once
// A wizard message whose condition the test switches and whose type it sets.

#include "setup/WizardWarnings.h"

namespace tvp::testing {

class Switchable : public TWizardMessage {
public:
    Switchable(const IWarningOrigin& origin, QString id, TWizardMessageType type, const bool& applies)
        : TWizardMessage(origin), id_(std::move(id)), type_(type), applies_(applies)
    {
    }
    bool CheckWarningCondition() override { return applies_; }
    TWizardMessageType getMessageType() override { return type_; }
    QString getMessage() override { return id_; }
    QString getID() override { return id_; }

private:
    QString id_;
    TWizardMessageType type_;
    const bool& applies_;
};

} // namespace tvp::testing
