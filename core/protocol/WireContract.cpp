#include "core/protocol/WireContract.h"

#include <map>
#include <sstream>

namespace tvp::proto {

namespace {

// Enumerations met on the way, with their values.
using EnumTable = std::map<std::string, std::string>;

template <class T>
std::string typeText(EnumTable& enums)
{
    if constexpr (std::is_void_v<T>) {
        return "-";
    } else if constexpr (Record<T>) {
        return std::string(T::tvpName);
    } else if constexpr (IsOwned<T>::value) {
        return typeText<typename IsOwned<T>::Item>(enums);
    } else if constexpr (IsVector<T>::value) {
        return "array of " + typeText<typename IsVector<T>::Item>(enums);
    } else if constexpr (Enumeration<T>) {
        std::string values;
        for (std::string_view v : EnumTraits<T>::names)
            values += (values.empty() ? "" : ", ") + std::string(v);
        enums[std::string(EnumTraits<T>::typeName)] = values;
        return std::string(EnumTraits<T>::typeName);
    } else if constexpr (std::is_same_v<T, QString>) {
        return "String";
    } else if constexpr (std::is_same_v<T, Base64Binary>) {
        return "String (Base64)";
    } else if constexpr (std::is_same_v<T, XsDate>) {
        return "TXSDate";
    } else if constexpr (std::is_same_v<T, XsTime>) {
        return "TXSTime";
    } else if constexpr (std::is_same_v<T, bool>) {
        return "Boolean";
    } else if constexpr (std::is_same_v<T, int>) {
        return "Integer";
    } else if constexpr (std::is_same_v<T, double>) {
        return "Double";
    } else if constexpr (std::is_same_v<T, float>) {
        return "Single";
    } else {
        static_assert(sizeof(T) == 0, "type has no wire form");
    }
}

// "Name: Type" for each field of a record or argument of an operation, in wire order.
template <class R>
std::vector<std::string> fieldTexts(EnumTable& enums)
{
    std::vector<std::string> out;
    applyFields(
        [&](const auto&... field) {
            ((out.push_back(std::string(field.name) + ": " +
                            typeText<std::remove_cvref_t<decltype(std::declval<R&>().*(field.member))>>(enums) +
                            (field.form == FieldForm::Wrapped ? " (wrapped)" : ""))),
             ...);
        },
        R::fields());
    return out;
}

std::string joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : separator) + p;
    return out;
}

} // namespace

std::string wireContractText()
{
    EnumTable enums;
    std::ostringstream ops;
    int operationCount = 0;
    int index = 0;
    std::optional<TTVPWebServices> current;
    forEachOperation([&]<Operation Op>() {
        if (current != Op::service) {
            current = Op::service;
            index = 0;
            const QString segment = serviceUrlSegment(Op::service);
            ops << "\n"
                << portTypeName(Op::service) << "  " << segment.toStdString() << "  " << serviceNamespace(Op::service)
                << "\n";
        }
        ops << "  " << index++ << " " << Op::name << "(" << joined(fieldTexts<Op>(enums), ", ") << ") -> "
            << typeText<typename Op::Result>(enums) << "\n";
        ++operationCount;
    });

    std::map<std::string, std::vector<std::string>> records;
    forEachRecord([&]<Record R>() {
        std::string title(R::tvpName);
        if constexpr (!std::is_void_v<typename R::tvpBase>)
            title += " : " + std::string(R::tvpBase::tvpName);
        records[title] = fieldTexts<R>(enums);
    });

    std::ostringstream out;
    out << "# The wire contract of the ten SOAP services, generated from core/protocol/ServiceOperations.h\n"
           "# and the records. Do not edit by hand; after an intended change regenerate it with\n"
           "#   cmake --build build --target wire-contract\n"
           "# Operations: index in the port type, name(argument: type, ...) -> result, \"-\" for none.\n"
           "# Records: fields in wire order, a derived record's base fields first.\n";
    out << "\n== Operations (" << operationCount << ")\n" << ops.str();
    out << "\n== Records (" << records.size() << ")\n";
    for (const auto& [name, fields] : records) {
        out << "\n" << name << "\n";
        for (const std::string& f : fields)
            out << "  " << f << "\n";
    }
    out << "\n== Enumerations (" << enums.size() << ")\n\n";
    for (const auto& [name, values] : enums)
        out << name << ": " << values << "\n";
    return out.str();
}

} // namespace tvp::proto
