#pragma once
// Building blocks of the protocol records: every record lists its fields once, in wire order,
// through a static fields() list; the generic codec (SoapCodec.h) walks that list.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace tvp::proto {

// A sub-record that may be nil. Copies are deep, so a window's copy never shares with the response.
template <class T>
class Owned {
public:
    Owned() = default;
    Owned(std::nullptr_t) {}
    explicit Owned(T value) : p_(std::make_unique<T>(std::move(value))) {}
    Owned(const Owned& o) : p_(o.p_ ? std::make_unique<T>(*o.p_) : nullptr) {}
    Owned(Owned&&) noexcept = default;
    Owned& operator=(const Owned& o)
    {
        if (this != &o)
            p_ = o.p_ ? std::make_unique<T>(*o.p_) : nullptr;
        return *this;
    }
    Owned& operator=(Owned&&) noexcept = default;
    Owned& operator=(T value)
    {
        p_ = std::make_unique<T>(std::move(value));
        return *this;
    }
    Owned& operator=(std::nullptr_t)
    {
        p_.reset();
        return *this;
    }

    explicit operator bool() const { return p_ != nullptr; }
    bool isNil() const { return !p_; }
    T* get() const { return p_.get(); }
    T& operator*() const { return *p_; }
    T* operator->() const { return p_.get(); }
    // Creates the sub-record when it is nil and returns it.
    T& ensure()
    {
        if (!p_)
            p_ = std::make_unique<T>();
        return *p_;
    }
    void reset() { p_.reset(); }

    friend bool operator==(const Owned& a, const Owned& b)
    {
        if (!a.p_ || !b.p_)
            return !a.p_ && !b.p_;
        return *a.p_ == *b.p_;
    }

private:
    std::unique_ptr<T> p_;
};

// TXSDate and TXSTime: nil-able like sub-records.
using XsDate = std::optional<QDate>;
using XsTime = std::optional<QTime>;

// Bytes sent as Base64 text (standard alphabet, "=" fill, no line breaks). The record holds the
// bytes themselves: files of megabytes are neither widened to UTF-16 nor kept twice as text. A
// received text that is no strict Base64 is kept as it came, so that its receiver decides (and can
// name the entry it refuses); sending such a value sends that text.
class Base64Binary {
public:
    Base64Binary() = default;
    Base64Binary(QByteArray bytes) : data_(std::move(bytes)) {}
    // A text as it stands on the wire: its bytes when it is strict Base64, else the text itself.
    static Base64Binary fromText(const QByteArray& text);

    bool isValid() const { return valid_; }
    // The bytes; empty for a text that was no Base64.
    QByteArray bytes() const { return valid_ ? data_ : QByteArray(); }
    // The text of a value that was no Base64; empty for bytes.
    QByteArray invalidText() const { return valid_ ? QByteArray() : data_; }
    // Bytes or text, as isValid() says.
    const QByteArray& data() const { return data_; }
    bool isEmpty() const { return data_.isEmpty(); }

    friend bool operator==(const Base64Binary&, const Base64Binary&) = default;

private:
    QByteArray data_;
    bool valid_ = true;
};

enum class FieldForm { Inline, Wrapped };

template <class C, class M>
struct Field {
    std::string_view name;
    M C::*member;
    FieldForm form = FieldForm::Inline;
};
template <class C, class M>
Field(std::string_view, M C::*) -> Field<C, M>;
template <class C, class M>
Field(std::string_view, M C::*, FieldForm) -> Field<C, M>;

namespace detail {
template <std::size_t I, class F>
struct FieldSlot {
    F field;
};
template <class Seq, class... Fs>
struct FieldSlots;
template <std::size_t... I, class... Fs>
struct FieldSlots<std::index_sequence<I...>, Fs...> : FieldSlot<I, Fs>... {
    constexpr FieldSlots(Fs... fs) : FieldSlot<I, Fs>{fs}... {}
};
} // namespace detail

// The fields of a record in wire order. Not a std::tuple: every file that sees the records would
// instantiate its many constrained constructors for each of the hundreds of records again.
template <class... Fs>
struct FieldList : detail::FieldSlots<std::index_sequence_for<Fs...>, Fs...> {
    using Slots = detail::FieldSlots<std::index_sequence_for<Fs...>, Fs...>;
    using Slots::Slots;
    static constexpr std::size_t size = sizeof...(Fs);
};

template <class... Fs>
FieldList(Fs...) -> FieldList<Fs...>;

// The I-th field of a list.
template <std::size_t I, class F>
constexpr const F& fieldAt(const detail::FieldSlot<I, F>& slot)
{
    return slot.field;
}

namespace detail {
template <class Fn, std::size_t... I, class... Fs>
constexpr decltype(auto) applySlots(Fn&& fn, const FieldSlots<std::index_sequence<I...>, Fs...>& all)
{
    return fn(static_cast<const FieldSlot<I, Fs>&>(all).field...);
}
} // namespace detail

// fn(field...) with the fields of a list, like std::apply.
template <class Fn, class... Fs>
constexpr decltype(auto) applyFields(Fn&& fn, const FieldList<Fs...>& list)
{
    return detail::applySlots(std::forward<Fn>(fn), list);
}

// A base record's fields followed by a derived record's own.
template <class... Base, class... Own>
constexpr FieldList<Base..., Own...> withBaseFields(const FieldList<Base...>& base, Own... own)
{
    return applyFields([&](const Base&... b) { return FieldList<Base..., Own...>(b..., own...); }, base);
}

// A record: its wire fields in order (fields()), its name (tvpName) and its base record (tvpBase,
// void for none), whose fields come first.
template <class T>
concept Record = requires
{
    T::fields();
};

template <class T>
struct IsVector : std::false_type {
};
template <class T, class A>
struct IsVector<std::vector<T, A>> : std::true_type {
    using Item = T;
};

template <class T>
struct IsOwned : std::false_type {
};
template <class T>
struct IsOwned<Owned<T>> : std::true_type {
    using Item = T;
};

// Enumerations are sent as their value names. TVP_ENUM declares the enum and its name table together.
template <class E>
struct EnumTraits;

namespace detail {
template <std::size_t N>
constexpr std::array<std::string_view, N> splitEnumNames(std::string_view all)
{
    std::array<std::string_view, N> out{};
    std::size_t idx = 0;
    std::size_t pos = 0;
    while (idx < N) {
        while (pos < all.size() && (all[pos] == ' ' || all[pos] == ','))
            ++pos;
        std::size_t end = pos;
        while (end < all.size() && all[end] != ',' && all[end] != ' ')
            ++end;
        out[idx++] = all.substr(pos, end - pos);
        pos = end;
    }
    return out;
}
constexpr std::size_t countEnumNames(std::string_view all)
{
    std::size_t n = all.empty() ? 0 : 1;
    for (char c : all)
        if (c == ',')
            ++n;
    return n;
}
} // namespace detail

template <class E>
concept Enumeration = std::is_enum_v<E> && requires
{
    EnumTraits<E>::names;
};

template <Enumeration E>
constexpr std::string_view enumName(E value)
{
    const auto idx = static_cast<std::size_t>(value);
    return idx < EnumTraits<E>::names.size() ? EnumTraits<E>::names[idx] : std::string_view{};
}

template <Enumeration E>
constexpr std::optional<E> enumFromName(std::string_view name)
{
    for (std::size_t i = 0; i < EnumTraits<E>::names.size(); ++i)
        if (EnumTraits<E>::names[i] == name)
            return static_cast<E>(i);
    return std::nullopt;
}

} // namespace tvp::proto

// Declares an enumeration together with its wire names; use inside namespace tvp::proto.
#define TVP_ENUM(Name, ...)                                                                                       \
    enum class Name : int { __VA_ARGS__ };                                                                        \
    template <>                                                                                                   \
    struct EnumTraits<Name> {                                                                                     \
        static constexpr std::string_view typeName = #Name;                                                       \
        static constexpr auto names = detail::splitEnumNames<detail::countEnumNames(#__VA_ARGS__)>(#__VA_ARGS__); \
    };

// Declares the wire fields of a record without a base, in wire order.
#define TVP_FIELDS(Self, ...)                          \
    using tvpSelf = Self;                              \
    using tvpBase = void;                              \
    static constexpr std::string_view tvpName = #Self; \
    static constexpr auto fields()                     \
    {                                                  \
        return ::tvp::proto::FieldList(__VA_ARGS__);   \
    }                                                  \
    bool operator==(const Self&) const = default;

// Declares the wire fields of a derived record: the base's fields go first on the wire.
#define TVP_FIELDS_DERIVED(Self, Base, ...)                               \
    using tvpSelf = Self;                                                 \
    using tvpBase = Base;                                                 \
    static constexpr std::string_view tvpName = #Self;                    \
    static constexpr auto fields()                                        \
    {                                                                     \
        return ::tvp::proto::withBaseFields(Base::fields(), __VA_ARGS__); \
    }                                                                     \
    bool operator==(const Self&) const = default;

// clang-format off
#define TVP_F(member) ::tvp::proto::Field{#member, &tvpSelf::member}
// An array sent inside one element named after the field (only two such arrays exist).
#define TVP_WRAPPED(member) ::tvp::proto::Field{#member, &tvpSelf::member, ::tvp::proto::FieldForm::Wrapped}
// clang-format on
