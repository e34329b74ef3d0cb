#include "broker_address.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace pv {

namespace {

constexpr std::string_view SchemeEnd = "://";
constexpr int LastPort = 65535;

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameLetters(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x))
               == std::tolower(static_cast<unsigned char>(y));
    });
}

// Blanks and control characters belong to no host name or user name; '/' and '#' and '+' would
// end up in no topic but would confuse whoever reads the status line.
bool PlainPart(std::string_view text)
{
    return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= ' ' || u == 0x7F || c == '/' || c == '?' || c == '#' || c == '@';
    });
}

bool ReadPort(std::string_view text, int &port)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 1
        || value > LastPort)
        return false;
    port = value;
    return true;
}

} // namespace

AddressReading ReadBrokerAddress(std::string_view text)
{
    text = Trimmed(text);
    AddressReading reading;
    BrokerAddress &address = reading.address;
    const std::size_t schemeEnd = text.find(SchemeEnd);
    if (schemeEnd == std::string_view::npos) {
        reading.verdict = AddressVerdict::OtherScheme;
        return reading;
    }
    const std::string_view scheme = text.substr(0, schemeEnd);
    if (SameLetters(scheme, "mqtts")) {
        address.tls = true;
        address.port = MqttTlsPort;
    } else if (!SameLetters(scheme, "mqtt")) {
        reading.verdict = AddressVerdict::OtherScheme;
        return reading;
    }
    std::string_view rest = text.substr(schemeEnd + SchemeEnd.size());
    // Nothing may follow the host and port but a lone "/": a broker has no paths.
    const std::size_t authorityEnd = rest.find_first_of("/?#");
    if (authorityEnd != std::string_view::npos) {
        if (rest.substr(authorityEnd) != "/")
            return reading;
        rest = rest.substr(0, authorityEnd);
    }
    const std::size_t at = rest.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view user = rest.substr(0, at);
        if (user.find(':') != std::string_view::npos) {
            reading.verdict = AddressVerdict::PasswordInAddress;
            return reading;
        }
        if (!PlainPart(user))
            return reading;
        address.userName = std::string(user);
        rest = rest.substr(at + 1);
    }
    std::string_view host = rest;
    std::string_view port;
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return reading;
        host = rest.substr(1, close - 1);
        const std::string_view after = rest.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return reading;
            port = after.substr(1);
            if (port.empty())
                return reading;
        }
    } else if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (port.empty())
            return reading;
    }
    if (!PlainPart(host) || (!port.empty() && !ReadPort(port, address.port)))
        return reading;
    address.host = std::string(host);
    reading.verdict = AddressVerdict::Accepted;
    return reading;
}

std::string BrokerName(const BrokerAddress &address)
{
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

} // namespace pv
