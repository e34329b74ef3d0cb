#pragma once
// The address of an MQTT broker as a technician or a command line writes it: mqtt://host:port
// for a plain connection, mqtts://host:port for one under TLS, with an optional user name
// (mqtt://user@host). A password never goes into the address, where a shell history, a settings
// file or a screenshot would keep it: it is read from a file (publish_settings.h).

#include <string>
#include <string_view>

namespace pv {

inline constexpr int MqttPort = 1883;    // the registered port of plain MQTT
inline constexpr int MqttTlsPort = 8883; // and of MQTT under TLS

struct BrokerAddress
{
    bool tls = false;
    std::string host; // a name, an IPv4 address or an IPv6 address without its brackets
    int port = MqttPort;
    std::string userName; // empty: the broker is not told one
    bool operator==(const BrokerAddress &) const = default;
};

enum class AddressVerdict {
    Accepted,
    OtherScheme,       // not mqtt:// or mqtts:// (ws://, tcp://, a bare host name...)
    Malformed,         // no host, a port that is no number from 1 to 65535, a path, a blank
    PasswordInAddress, // user:password@host
};

struct AddressReading
{
    AddressVerdict verdict = AddressVerdict::Malformed;
    BrokerAddress address; // meaningful when accepted
};

// Blanks around the address are ignored; the scheme's letters may be of either case.
AddressReading ReadBrokerAddress(std::string_view text);

// host:port as a status line names the broker ([v6]:port for an IPv6 address).
std::string BrokerName(const BrokerAddress &address);

} // namespace pv
