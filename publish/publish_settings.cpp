#include "publish_settings.h"

#include "platform/files.h"

#include <algorithm>
#include <optional>

namespace pv {

namespace {

// The settings file's keys.
constexpr std::string_view EnabledKey = "publish";
constexpr std::string_view UrlKey = "url";
constexpr std::string_view PasswordFileKey = "password_file";
constexpr std::string_view CaFileKey = "ca_file";
constexpr std::string_view TopicPrefixKey = "topic_prefix";
constexpr std::string_view DiscoveryPrefixKey = "discovery_prefix";

SetupVerdict VerdictOf(AddressVerdict verdict)
{
    switch (verdict) {
    case AddressVerdict::Accepted:
        return SetupVerdict::Accepted;
    case AddressVerdict::OtherScheme:
        return SetupVerdict::OtherScheme;
    case AddressVerdict::PasswordInAddress:
        return SetupVerdict::PasswordInAddress;
    case AddressVerdict::Malformed:
        break;
    }
    return SetupVerdict::Malformed;
}

std::string_view WithoutSlashes(std::string_view prefix)
{
    while (!prefix.empty() && prefix.back() == '/')
        prefix.remove_suffix(1);
    return prefix;
}

// The first line of the file, without its line end; nothing when the file cannot be read.
std::optional<std::string> PasswordOf(const std::filesystem::path &file)
{
    // One byte more than is taken tells a file that is too large from one that just fits.
    const PlainFileReading reading = ReadPlainFile(file, MaxPasswordFileBytes + 1);
    if (reading.opening != FileOpening::Opened || reading.bytes.size() > MaxPasswordFileBytes)
        return std::nullopt;
    std::string line = reading.bytes.substr(0, reading.bytes.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string OneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

} // namespace

bool TopicPrefixUsable(std::string_view prefix)
{
    if (prefix.empty() || prefix.front() == '$' || prefix.front() == '/' || prefix.back() == '/')
        return false;
    if (prefix.find("//") != std::string_view::npos)
        return false;
    return std::none_of(prefix.begin(), prefix.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '+' || c == '#' || u < ' ' || u == 0x7F;
    });
}

PublishSetup CheckPublishSettings(const PublishSettings &settings)
{
    PublishSetup setup;
    const AddressReading address = ReadBrokerAddress(settings.url);
    setup.verdict = VerdictOf(address.verdict);
    if (setup.verdict != SetupVerdict::Accepted)
        return setup;
    setup.address = address.address;
    // A trailing '/' is forgiven: "home/solar/" means the same as "home/solar".
    setup.topicPrefix = std::string(WithoutSlashes(settings.topicPrefix));
    const std::string_view discovery = WithoutSlashes(settings.discoveryPrefix);
    setup.discoveryPrefix = std::string(discovery.empty() ? DefaultDiscoveryPrefix : discovery);
    if ((!setup.topicPrefix.empty() && !TopicPrefixUsable(setup.topicPrefix))
        || !TopicPrefixUsable(setup.discoveryPrefix)) {
        setup.verdict = SetupVerdict::BadTopicPrefix;
        return setup;
    }
    if (setup.address.tls) {
        if (settings.caFile.empty()
            || ReadPlainFile(settings.caFile, 1).opening != FileOpening::Opened) {
            setup.verdict = SetupVerdict::NoCaFile;
            return setup;
        }
        setup.caFile = settings.caFile;
    }
    if (!settings.passwordFile.empty()) {
        if (setup.address.userName.empty()) {
            setup.verdict = SetupVerdict::PasswordWithoutUser;
            return setup;
        }
        const auto password = PasswordOf(settings.passwordFile);
        if (!password) {
            setup.verdict = SetupVerdict::PasswordUnreadable;
            return setup;
        }
        setup.password = *password;
    }
    setup.verdict = SetupVerdict::Accepted;
    return setup;
}

std::string PublishSettingsText(const PublishSettings &settings)
{
    const auto line = [](std::string_view key, const std::string &value) {
        return std::string(key) + "=" + OneLine(value) + "\n";
    };
    return line(EnabledKey, settings.enabled ? "1" : "0") + line(UrlKey, settings.url)
           + line(PasswordFileKey, Utf8Name(settings.passwordFile))
           + line(CaFileKey, Utf8Name(settings.caFile)) + line(TopicPrefixKey, settings.topicPrefix)
           + line(DiscoveryPrefixKey, settings.discoveryPrefix);
}

PublishSettings ReadPublishSettingsText(std::string_view text)
{
    PublishSettings settings;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, equals);
        const std::string value(line.substr(equals + 1));
        if (key == EnabledKey)
            settings.enabled = value == "1";
        else if (key == UrlKey)
            settings.url = value;
        else if (key == PasswordFileKey)
            settings.passwordFile = PathFromUtf8(value);
        else if (key == CaFileKey)
            settings.caFile = PathFromUtf8(value);
        else if (key == TopicPrefixKey)
            settings.topicPrefix = value;
        else if (key == DiscoveryPrefixKey)
            settings.discoveryPrefix = value;
    }
    return settings;
}

PublishSettings ReadPublishSettingsFile(const std::filesystem::path &folder)
{
    // One byte more than is taken tells a file that is too large from one that just fits.
    const PlainFileReading file
        = ReadPlainFile(folder / PublishSettingsFile, MaxSettingsFileBytes + 1);
    if (file.opening != FileOpening::Opened || file.bytes.size() > MaxSettingsFileBytes)
        return {};
    return ReadPublishSettingsText(file.bytes);
}

bool SavePublishSettingsFile(const std::filesystem::path &folder, const PublishSettings &settings)
{
    return WriteTextFile(folder / PublishSettingsFile, PublishSettingsText(settings));
}

std::filesystem::path PathFromUtf8(std::string_view name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string Utf8Name(const std::filesystem::path &path)
{
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

} // namespace pv
