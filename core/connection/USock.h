#pragma once
// The local IPv4 interfaces and the address arithmetic of server discovery.

#include <QString>

#include <cstdint>
#include <vector>

namespace tvp {

struct tNetworkInterface {
    QString ComputerName;          // at most 15 characters, empty when unknown
    QString AddrIP;                // dotted
    QString SubnetMask;            // dotted
    QString AddrNet;               // address AND mask
    QString AddrLimitedBroadcast;  // as the system reports it (may be empty)
    QString AddrDirectedBroadcast; // (address AND mask) OR NOT mask
    bool IsInterfaceUp = false;
    bool BroadcastSupport = false;
    bool IsLoopback = false;
};

// One record per IPv4 address of every interface, up or down, loopback included; empty when the
// system cannot be asked.
std::vector<tNetworkInterface> GetNetworkInterfaces();

// "a.b.c.d" as a number with a in the highest byte; 0 unless there are exactly four parts of
// one to three decimal digits, each 0 to 255.
std::uint32_t getV4AddressFromString(const QString& text);

// (address AND mask) OR NOT mask as "%d.%d.%d.%d"; "255.255.255.255" when either text gives 0.
QString calcBroadcastAddress(const QString& address, const QString& mask);

} // namespace tvp
