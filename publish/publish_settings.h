#pragma once
// What publishing to an MQTT broker is set up with, how a settings file keeps it, and the checks
// it passes before anything connects: the broker's address, the file the password is read from,
// the certificate authority a TLS broker is checked against, and where the topics go.

#include "broker_address.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace pv {

inline constexpr std::string_view DefaultTopicRoot = "pv-service"; // topics: pv-service/<ID>/...
inline constexpr std::string_view DefaultDiscoveryPrefix = "homeassistant";

struct PublishSettings
{
    bool enabled = false;
    std::string url;
    // The first line of this file is the password; empty: none is given.
    std::filesystem::path passwordFile;
    // The certificate authority of an mqtts:// broker.
    std::filesystem::path caFile;
    // Where the unit's topics go; empty: pv-service/<ID>.
    std::string topicPrefix;
    // Where Home Assistant looks for its discovery configurations; empty: homeassistant.
    std::string discoveryPrefix;
    bool operator==(const PublishSettings &) const = default;
};

// Waits and delays of a link to the broker. Tests shorten them.
struct LinkTiming
{
    // The broker hears from the tool at least this often, and gives out the last will this much
    // (and a half) after it stopped hearing.
    std::chrono::seconds keepAlive{30};
    // After a lost connection the next attempt comes after the first delay, doubled after each
    // failed attempt up to the last.
    std::chrono::seconds firstRetry{1};
    std::chrono::seconds lastRetry{30};
    // At the end, how long the broker may take to acknowledge the last words.
    std::chrono::milliseconds closeWait{1000};
    bool operator==(const LinkTiming &) const = default;
};

enum class SetupVerdict {
    Accepted,
    OtherScheme,       // the address is not mqtt:// or mqtts://
    Malformed,         // no usable host and port
    PasswordInAddress, // a password written into the address
    NoCaFile,          // mqtts:// without a certificate authority file that can be read
    PasswordUnreadable,
    PasswordWithoutUser, // a password file, but the address names no user
    BadTopicPrefix,      // a prefix with a wildcard, an empty level or a leading '$'
};

// What a link to the broker is made from, once the settings have passed their checks.
struct PublishSetup
{
    SetupVerdict verdict = SetupVerdict::Malformed;
    BrokerAddress address;
    std::string password;
    std::filesystem::path caFile;
    std::string topicPrefix;     // empty: pv-service/<ID>
    std::string discoveryPrefix; // never empty
    LinkTiming timing{};
    bool operator==(const PublishSetup &) const = default;
};

// A password file holds a line of text; anything larger is no password file.
inline constexpr std::size_t MaxPasswordFileBytes = 4096;

// Checks the settings (whether enabled or not) and reads the password file.
PublishSetup CheckPublishSettings(const PublishSettings &settings);

// Whether a prefix names topics a publisher may use: levels separated by '/', none empty, no
// wildcard ('+', '#'), no leading '$' (the broker's own topics), no control characters.
bool TopicPrefixUsable(std::string_view prefix);

// The settings file's text (UTF-8, one "key=value" per line) and back; unknown keys and lines
// without '=' are passed over, missing keys keep their defaults.
std::string PublishSettingsText(const PublishSettings &settings);
PublishSettings ReadPublishSettingsText(std::string_view text);

// The window remembers its settings in this file of its writable folder.
inline constexpr const char *PublishSettingsFile = "MqttSet.txt";
// The settings kept in the folder: off with nothing set when the file is missing, unreadable or
// larger than a settings file may be.
PublishSettings ReadPublishSettingsFile(const std::filesystem::path &folder);
// Replaces the file (written beside it and renamed over it); false when it could not be written.
bool SavePublishSettingsFile(const std::filesystem::path &folder, const PublishSettings &settings);

// A path from its UTF-8 name and back, the same on every system.
std::filesystem::path PathFromUtf8(std::string_view name);
std::string Utf8Name(const std::filesystem::path &path);

} // namespace pv
