#pragma once
// Numbers of the language texts of publishing to MQTT: the CONNECTION panel's option, the broker
// dialog, the status line, and why settings were refused (for the window and the command line).

#include "publish_settings.h"

namespace pv::publishtext {

inline constexpr int Publish = 380;      // the check box
inline constexpr int BrokerButton = 381; // opens the broker dialog
inline constexpr int BrokerTitle = 382;  // the dialog's title
inline constexpr int PasswordFile = 383;
inline constexpr int CaFile = 384;
inline constexpr int TopicPrefix = 385;
inline constexpr int BadTopicPrefix = 386;
inline constexpr int Choose = 387; // picks a file
inline constexpr int Ok = 388;
inline constexpr int Cancel = 389;
// The status line.
inline constexpr int WaitingForIdentity = 390;
inline constexpr int Connecting = 391; // %1: the broker
inline constexpr int Publishing = 392; // %1: the unit's ID, %2: the broker
inline constexpr int BrokerAway = 393; // %1: the broker
// Settings refused.
inline constexpr int OtherScheme = 394;
inline constexpr int Malformed = 395;
inline constexpr int PasswordInAddress = 396;
inline constexpr int NoCaFile = 397;
inline constexpr int PasswordUnreadable = 398;
inline constexpr int PasswordWithoutUser = 399;

// The text that says why settings were refused; 0 for accepted ones.
constexpr int RefusalText(SetupVerdict verdict)
{
    switch (verdict) {
    case SetupVerdict::Accepted:
        return 0;
    case SetupVerdict::OtherScheme:
        return OtherScheme;
    case SetupVerdict::Malformed:
        return Malformed;
    case SetupVerdict::PasswordInAddress:
        return PasswordInAddress;
    case SetupVerdict::NoCaFile:
        return NoCaFile;
    case SetupVerdict::PasswordUnreadable:
        return PasswordUnreadable;
    case SetupVerdict::PasswordWithoutUser:
        return PasswordWithoutUser;
    case SetupVerdict::BadTopicPrefix:
        return BadTopicPrefix;
    }
    return Malformed;
}

} // namespace pv::publishtext
