// The reply dispatcher: what an accepted or refused reply means in each state, the version
// check, and the mirror of a confirmed write.

#include "exchange_machine.h"

#include "monitor_cycle.h"

namespace pv {

namespace {

bool IsCalibration(ExchangeState state)
{
    return state == ExchangeState::CalibrationRead || state == ExchangeState::CalibrationWrite;
}

bool IsWrite(ExchangeState state)
{
    return state == ExchangeState::IdentifyWrite || state == ExchangeState::ConfigurationWrite
           || state == ExchangeState::CalibrationWrite;
}

bool IsRunning(ExchangeState state)
{
    switch (state) {
    case ExchangeState::CheckOperatingVersion:
    case ExchangeState::Monitor:
    case ExchangeState::IdentifyRead:
    case ExchangeState::IdentifyWrite:
    case ExchangeState::ConfigurationRead:
    case ExchangeState::ConfigurationWrite:
    case ExchangeState::CalibrationRead:
    case ExchangeState::CalibrationWrite:
        return true;
    default:
        return false;
    }
}

} // namespace

void ExchangeMachine::HandleReply(ByteView reply, const RequestInfo &request)
{
    if (!IsRunning(state_))
        return; // a reply that arrives between exchanges is not filed

    const bool calibration = IsCalibration(state_);
    const bool accepted = store_.DecodeReply(reply, request, calibration);
    if (accepted && !calibration)
        events_.ReplyFiled(request);
    if (state_ == ExchangeState::CheckOperatingVersion || state_ == ExchangeState::Monitor)
        DispatchMonitorReply(accepted);
    else
        DispatchExchangeReply(accepted);
}

void ExchangeMachine::DispatchMonitorReply(bool accepted)
{
    const bool unreadable = store_.LastReplyUnreadable();
    if (state_ == ExchangeState::CheckOperatingVersion) {
        if (accepted) {
            if (monitorStep_ == monitor_cycle::VersionStep)
                RateOperatingVersion();
            return;
        }
        if (unreadable)
            ShowLinkStatus(LinkStatus::NoReply);
        // The next two ticks ask for the same block again: the version is rated only on a
        // cycle whose three blocks all arrived.
        monitorStep_ = monitor_cycle::RepeatFrom(monitorStep_);
        return;
    }
    // Only silence turns the status bad; a whole reply with a bad CRC is line noise.
    ShowLinkStatus(!accepted && unreadable ? LinkStatus::NoReply : LinkStatus::Good);
    repliesMissed_ = accepted ? 0 : repliesMissed_ + 1;
}

void ExchangeMachine::DispatchExchangeReply(bool accepted)
{
    const ExchangeState exchange = state_;
    const bool calibration = IsCalibration(exchange);
    // The calibration exchanges end in the calibration window, the others in monitoring. The
    // state is set before an ending outcome is told, so that whatever runs while a front end
    // shows it already sees the exchange as ended.
    const ExchangeState after
        = calibration ? ExchangeState::CalibrationWindowOpen : ExchangeState::Monitor;
    const StepFacts *facts = run_.Find(step_);
    // A reply that passes its CRC but does not serve its exchange (a calibration read too short
    // to fill the window's row) fails all the same.
    const bool serves
        = accepted
          && (facts == nullptr || facts->judge == nullptr || facts->judge(exchange_.reply));
    if (!serves) {
        state_ = after;
        IsWrite(exchange) ? events_.WriteFailed(exchange) : events_.ReadFailed(exchange);
        return;
    }
    // The exchange goes on while its table has a further step for the plan; every step of a
    // calibration exchange ends at its reply.
    if (!calibration && run_.Successor(step_) != NoStep)
        return;
    if (IsWrite(exchange)) {
        events_.WrittenValuesFiled(exchange);
        state_ = after;
        events_.WriteDone(exchange);
    } else {
        events_.ReadDone(exchange);
        state_ = after;
    }
}

void ExchangeMachine::RateOperatingVersion()
{
    const auto verdict = ClassifyOperatingVersion(store_.Data().OperatingVersion());
    if (!verdict) {
        // The register holds no version text; rated again after the next cycle, and the front
        // end says why intents stay locked.
        ShowLinkStatus(LinkStatus::VersionUnreadable);
        return;
    }
    if (*verdict == VersionVerdict::Accepted) {
        ShowLinkStatus(LinkStatus::Good);
        state_ = ExchangeState::Monitor;
        repliesMissed_ = 0;
        SetControlsAndTimers(ControlsMode::BackToMonitoring);
    } else {
        ShowLinkStatus(LinkStatus::VersionRefused);
        timers_.SetTimerEnabled(ExchangeTimer::Monitor, false);
        events_.FirmwareRefused();
    }
}

void ExchangeMachine::ApplyWriteAcknowledge(ByteView /*reply*/, RegisterImage &image)
{
    // Called for an accepted reply that is no read: the acknowledgement of the request the
    // running step's table row sent.
    if (!IsWrite(state_) || IsCalibration(state_))
        return;
    const StepFacts *facts = run_.Find(step_);
    if (facts == nullptr)
        return;
    const Bytes &request = exchange_.request;
    for (const MirrorSpan &span : facts->mirror) {
        // A request that does not hold the span's bytes was not the write the span is about.
        if (span.length == 0 || request.size() < span.requestIndex + span.length + 2)
            continue;
        image.CopyReplyToImage(span.requestIndex, span.length, request,
                               reg::ImageIndex(span.firstRegister));
    }
}

} // namespace pv
