#pragma once
// The ten SOAP services: one port type per service with its operations in interface order, and a
// factory per port type. The methods are derived from the declarations in ServiceOperations.h;
// a record argument is passed as RecordArg (nil leaves it out), texts, dates and arrays by
// reference, everything else by value.

#include "core/protocol/ServiceOperations.h"
#include "core/protocol/THTTPRIO.h"

#include <QString>

#include <atomic>
#include <memory>

namespace tvp::proto {

// A record argument that may be nil: pass the record, an Owned record or nullptr. A nil argument
// is left out of the request, which the server reads as "not given" (no filter, no lane, delete).
template <class T>
class RecordArg {
public:
    RecordArg(const T& value) : p_(&value) {}
    RecordArg(const Owned<T>& value) : p_(value.get()) {}
    RecordArg(std::nullptr_t) {}
    const T* get() const { return p_; }

private:
    const T* p_ = nullptr;
};

// How a port type method takes an argument declared with type T.
template <class T>
struct PortParamOf {
    using type = T;
};
template <class T>
struct PortParamOf<Owned<T>> {
    using type = RecordArg<T>;
};
template <class T>
struct PortParamOf<std::vector<T>> {
    using type = const std::vector<T>&;
};
template <>
struct PortParamOf<QString> {
    using type = const QString&;
};
template <>
struct PortParamOf<XsDate> {
    using type = const XsDate&;
};
template <class T>
using PortParam = typename PortParamOf<T>::type;

// Base of every port type: the proxy object it calls through and the endpoint address.
class PortTypeBase {
public:
    // Overall limit of each call through a proxy object that the port type made itself on the GUI
    // thread (the blocking calls); elsewhere such a proxy has none, like the runner's.
    static inline std::atomic<long> ownProxyTimeoutMs{wire::kGuiThreadCallLimitMs};

    PortTypeBase(THTTPRIO* rio, QString address);
    PortTypeBase(const PortTypeBase&) = delete;
    PortTypeBase& operator=(const PortTypeBase&) = delete;
    virtual ~PortTypeBase() = default;

    THTTPRIO& rio() { return *rio_; }
    const std::string& address() const { return address_; }

protected:
    // One call of Op: the arguments are written under Op's argument names, in its order.
    template <Operation Op, class... Params>
    typename Op::Result invoke(const Params&... params)
    {
        constexpr auto fields = Op::fields();
        static_assert(sizeof...(Params) == decltype(fields)::size);
        pugi::xml_document request;
        codec::makeEnvelope(request, serviceNamespace(Op::service), Op::name);
        const codec::EncodeOptions opt = rio_->encodeOptions();
        ArgumentWriter arguments{
            [&](std::string& out) { writeArguments<Op>(out, opt, std::index_sequence_for<Params...>{}, params...); },
            argumentsSizeHint<Op>(std::index_sequence_for<Params...>{}, params...)};
        SoapAnswer answer;
        return codec::decodeResult<typename Op::Result>(
            rio_->execute(address_, serviceNamespace(Op::service), Op::name, request, answer, arguments));
    }

private:
    template <Operation Op, std::size_t... I, class... Params>
    static void writeArguments([[maybe_unused]] std::string& out, [[maybe_unused]] const codec::EncodeOptions& opt,
                               std::index_sequence<I...>, const Params&... params)
    {
        constexpr auto fields = Op::fields();
        (writeArgument<std::remove_cvref_t<decltype(std::declval<Op>().*(fieldAt<I>(fields).member))>>(
             out, fieldAt<I>(fields).name, params, opt),
         ...);
    }

    template <class Declared, class Param>
    static void writeArgument(std::string& out, std::string_view name, const Param& value,
                              const codec::EncodeOptions& opt)
    {
        static_assert(std::is_same_v<Param, std::remove_cvref_t<PortParam<Declared>>>,
                      "argument type differs from its declaration");
        if constexpr (IsOwned<Declared>::value) {
            if (const auto* record = value.get())
                codec::writeValue(out, name, *record, opt);
        } else {
            codec::writeValue(out, name, value, opt);
        }
    }

    template <Operation Op, std::size_t... I, class... Params>
    static std::size_t argumentsSizeHint(std::index_sequence<I...>, const Params&... params)
    {
        [[maybe_unused]] constexpr auto fields = Op::fields();
        return (std::size_t(0) + ... + argumentSizeHint(fieldAt<I>(fields).name, params));
    }

    template <class Param>
    static std::size_t argumentSizeHint(std::string_view name, const Param& value)
    {
        if constexpr (requires { value.get(); }) {
            const auto* record = value.get();
            return record ? codec::writtenSizeHint(name, *record) : 0;
        } else {
            return codec::writtenSizeHint(name, value);
        }
    }

    std::unique_ptr<THTTPRIO> ownRio_;
    THTTPRIO* rio_;
    std::string address_;
};

#define TVP_PORT_PARAM(Type, Name) PortParam<Type> Name
#define TVP_DECLARE_PORT_METHOD(Service_, Result_, Name_, ...) \
    Result_ Name_(TVP_PP_FOR_EACH_COMMA(TVP_PORT_PARAM, __VA_ARGS__));
#define TVP_DECLARE_PORT_OVERLOAD(Service_, Result_, Name_, Tag_, ...) \
    TVP_DECLARE_PORT_METHOD(Service_, Result_, Name_, __VA_ARGS__)
class CompetitionManagementPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_CMS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class DisciplinSetupPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_DSS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class DataAquisitionPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_DAS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class DataRetrievalPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_DRS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class UiStorePortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_UIS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class UiRetrievalPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_UIR(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class CupRetrievalPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_CRS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class CupSetupPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_CSS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class ToolingPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_TOS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

class ProgrammInfoWebService : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    TVP_OPERATIONS_PIS(TVP_DECLARE_PORT_METHOD, TVP_DECLARE_PORT_OVERLOAD)
};

#undef TVP_DECLARE_PORT_OVERLOAD
#undef TVP_DECLARE_PORT_METHOD

// Factories. An empty Addr becomes the built-in default on this computer; a nil HTTPRIO gets a
// fresh proxy object owned by the port type.
std::unique_ptr<CompetitionManagementPortType> GetCompetitionManagementPortType(bool UseWSDL, const QString& Addr,
                                                                                THTTPRIO* HTTPRIO);
std::unique_ptr<DisciplinSetupPortType> GetDisciplinSetupPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<DataAquisitionPortType> GetDataAquisitionPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<DataRetrievalPortType> GetDataRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<UiStorePortType> GetUiStorePortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<UiRetrievalPortType> GetUiRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<CupRetrievalPortType> GetCupRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<CupSetupPortType> GetCupSetupPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<ToolingPortType> GetToolingPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
// Always a fresh proxy with the runtime's default options: no session header, empty elements kept.
std::unique_ptr<ProgrammInfoWebService> GetProgrammInfoWebService(bool UseWSDL, const QString& Addr);

// The built-in address of a SOAP service on this computer.
QString defaultServiceAddress(const QString& serviceName);

} // namespace tvp::proto
