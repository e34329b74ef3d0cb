#include "publish_panel.h"

#include "form1_layout.h"
#include "platform/modal_presenter.h"
#include "publish/mqtt_publisher.h"
#include "publish/publish_texts.h"
#include "publish_dialog.h"

namespace pv {

namespace {

// Shown in the empty address entry; not a text of any language.
constexpr const char *AddressExample = "mqtt://host:1883";
// An address fits in a line of this many characters.
constexpr int LongestAddress = 512;

} // namespace

PublishPanel::PublishPanel(const PanelContext &context)
    : context_(context), publisher_(context.services.publisher)
{
    const Form1Controls &ui = context_.ui;
    for (QWidget *control :
         std::initializer_list<QWidget *>{ui.CheckPublish, ui.TextBroker, ui.CommandBroker})
        control->setEnabled(publisher_ != nullptr);
    if (publisher_ == nullptr)
        return;
    // A click by the technician, not a state set by LoadSettings.
    connect(ui.CheckPublish, &QCheckBox::clicked, this, [this] { CheckPublish_Click(); });
    connect(ui.TextBroker, &QLineEdit::editingFinished, this, [this] { TextBroker_Change(); });
    connect(ui.CommandBroker, &QPushButton::clicked, this, [this] { CommandBroker_Click(); });
    connect(publisher_, &MqttPublisher::StatusChanged, this, &PublishPanel::ShowStatus);
}

void PublishPanel::LoadSettings(const std::filesystem::path &writableFolder)
{
    folder_ = writableFolder;
    settings_ = ReadPublishSettingsFile(folder_);
    context_.ui.CheckPublish->setChecked(settings_.enabled);
    context_.ui.TextBroker->setText(QString::fromStdString(settings_.url));
    if (publisher_ != nullptr)
        Apply(settings_);
}

void PublishPanel::CheckPublish_Click()
{
    PublishSettings settings = settings_;
    settings.enabled = context_.ui.CheckPublish->isChecked();
    settings.url = context_.ui.TextBroker->text().trimmed().toStdString();
    Apply(settings);
}

void PublishPanel::TextBroker_Change()
{
    PublishSettings settings = settings_;
    settings.url = context_.ui.TextBroker->text().trimmed().toStdString();
    if (settings != settings_)
        Apply(settings);
}

void PublishPanel::CommandBroker_Click()
{
    PublishDialog dialog(context_.texts, context_.services.files, settings_,
                         context_.ui.CommandBroker->window());
    context_.services.presenter.ShowModal(dialog);
    if (dialog.result() == QDialog::Accepted)
        Apply(dialog.Settings());
}

void PublishPanel::Apply(const PublishSettings &settings)
{
    if (settings != settings_) {
        settings_ = settings;
        // A folder that takes no file leaves the choice unremembered; publishing goes on.
        (void)SavePublishSettingsFile(folder_, settings_);
    }
    if (!settings_.enabled) {
        publisher_->Configure(nullptr);
    } else {
        const PublishSetup setup = CheckPublishSettings(settings_);
        publisher_->Configure(&setup);
    }
    ShowStatus(publisher_->Status());
}

void PublishPanel::ShowStatus(const PublishStatus &status)
{
    const QString broker = QString::fromStdString(status.broker);
    QString line;
    switch (status.phase) {
    case PublishPhase::Off:
        break;
    case PublishPhase::Refused:
        line = context_.Text(publishtext::RefusalText(status.refusal));
        break;
    case PublishPhase::WaitingForIdentity:
        line = context_.Text(publishtext::WaitingForIdentity);
        break;
    case PublishPhase::Connecting:
        line = context_.Text(publishtext::Connecting).arg(broker);
        break;
    case PublishPhase::Publishing:
        line = context_.Text(publishtext::Publishing)
                   .arg(QString::fromStdString(status.unitId), broker);
        break;
    case PublishPhase::BrokerAway:
        line = context_.Text(publishtext::BrokerAway).arg(broker);
        break;
    }
    // Two lines show; the tooltip holds the whole of a longer one.
    context_.ui.LabelPublish->setText(line);
    context_.ui.LabelPublish->setToolTip(line);
}

void PublishPanel::ShowPublishPanel(bool show)
{
    const Form1Controls &ui = context_.ui;
    for (QWidget *control : std::initializer_list<QWidget *>{ui.CheckPublish, ui.TextBroker,
                                                             ui.CommandBroker, ui.LabelPublish})
        control->setVisible(show);
}

void PublishPanel::ApplyCaptions()
{
    context_.ui.CheckPublish->setText(context_.Text(publishtext::Publish));
    context_.ui.CommandBroker->setText(context_.Text(publishtext::BrokerButton));
    if (publisher_ != nullptr)
        ShowStatus(publisher_->Status());
}

void BuildPublishControls(QWidget *viewport, Form1Controls &ui)
{
    using namespace layout;
    ui.CheckPublish
        = MakeControl<QCheckBox>(viewport, QStringLiteral("CheckPublish"), PublishLeft,
                                 PublishCheckTop, PublishCheckWidth, PublishFieldHeight);
    ui.CheckPublish->setText(QStringLiteral("Publish to MQTT"));
    ui.CommandBroker = MakeControl<QPushButton>(viewport, QStringLiteral("CommandBroker"),
                                                PublishRight - PublishButtonWidth, PublishButtonTop,
                                                PublishButtonWidth, PublishButtonHeight);
    ui.CommandBroker->setText(QStringLiteral("Broker..."));
    ui.TextBroker
        = MakeControl<TextBox>(viewport, QStringLiteral("TextBroker"), PublishLeft,
                               PublishAddressTop, PublishRight - PublishLeft, PublishFieldHeight);
    ui.TextBroker->SetMaxLength(LongestAddress);
    ui.TextBroker->setPlaceholderText(QLatin1String(AddressExample));
    ui.LabelPublish
        = MakeControl<QLabel>(viewport, QStringLiteral("LabelPublish"), PublishLeft,
                              PublishStatusTop, PublishRight - PublishLeft, PublishStatusHeight);
    ui.LabelPublish->setWordWrap(true);
    ui.LabelPublish->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

} // namespace pv
