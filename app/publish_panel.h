#pragma once
// Publishing the readings to an MQTT broker, on the CONNECTION panel under the Record and History
// buttons: a check box that switches it on and off, the broker's address, the Broker button for
// the password file, the certificate authority and the topic prefix, and a status line. The
// settings are remembered in the writable folder (MqttSet.txt) and publishing starts again with
// them at the next start. The publisher itself belongs to main(), like the session; without one
// the controls stay disabled.

#include "panel_context.h"

#include "publish/publish_settings.h"

#include <QObject>

#include <filesystem>

namespace pv {

class MqttPublisher;
struct PublishStatus;

class PublishPanel : public QObject
{
public:
    explicit PublishPanel(const PanelContext &context);

    // Shows the settings remembered in the folder and publishes as they say.
    void LoadSettings(const std::filesystem::path &writableFolder);
    void CheckPublish_Click();
    // The address was edited and left.
    void TextBroker_Change();
    void CommandBroker_Click();
    void ShowPublishPanel(bool show);
    void ApplyCaptions();
    const PublishSettings &Settings() const { return settings_; }

private:
    // Keeps the settings and hands them to the publisher.
    void Apply(const PublishSettings &settings);
    void ShowStatus(const PublishStatus &status);

    PanelContext context_;
    MqttPublisher *publisher_;
    std::filesystem::path folder_;
    PublishSettings settings_;
};

} // namespace pv
