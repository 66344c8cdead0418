#pragma once
// The metadata inputs as windows build them: a field that places its label and control on a
// parent, and the factory the setup area registers (the competition details window falls back to
// plain text inputs without it).

#include "core/services/CompetitionSetupServices.h"

#include <memory>

class QWidget;

namespace tvp {

class TMetaDataInput : public TGenericDataField {
public:
    // Builds its label and control into parent; again, it replaces them.
    virtual void inflate(QWidget* parent) = 0;
};

// The date input of the competition details window and the wizard.
class TDateDataField : public TMetaDataInput {
public:
    virtual double getDate() const = 0;
    virtual void setValue(double date) = 0;
};

// Makes the metadata inputs; registered as a window service by the setup area.
class IMetaDataFields {
public:
    virtual ~IMetaDataFields() = default;
    // A new input for a UI info whose key begins with "MetaData_", null for an unknown key.
    virtual std::unique_ptr<TMetaDataInput> createMetaDataFromUiInfo(int left, int top, const QString& key,
                                                                     const QString& value) = 0;
    // The date input with the given item id and label ("COMP_DATE", "Veranstaltungsdatum:").
    virtual std::unique_ptr<TDateDataField> createDateDataField(int left, int top, const QString& id,
                                                                const QString& label) = 0;
};

} // namespace tvp
