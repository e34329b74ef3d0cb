#pragma once
// A technician's whole visit against the inverter-sim program, on a healthy or a hostile line:
// what the simulated inverter holds (its factory registers and every write it printed since),
// the writes the visit asked for, and the running of each exchange with the window watched for
// freezing and for readings that could only come from a reply filed in the wrong place.

#include "support/e2e_fixture.h"
#include "visit_plan.h"

#include "calibration/form2.h"
#include "link/codepage.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace pv::test {

// A window that freezes cannot say so from its own thread: a timer of the event loop beats, and
// a watcher thread ends the test program with a message when the beat stops for longer than the
// bound.
class FreezeWatch
{
public:
    static constexpr auto Bound = std::chrono::seconds(10);

    explicit FreezeWatch(QObject *context)
    {
        beat_.setInterval(BeatMs);
        QObject::connect(&beat_, &QTimer::timeout, context, [this] { last_ = Now(); });
        beat_.start();
        watcher_ = std::jthread([this](std::stop_token stop) {
            while (!stop.stop_requested()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(BeatMs));
                if (Now() - last_ > Bound.count() * 1000) {
                    std::fputs("the window froze: its event loop stopped serving timers\n", stderr);
                    std::abort();
                }
            }
        });
    }

private:
    static constexpr int BeatMs = 100;
    static std::int64_t Now()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    QTimer beat_;
    std::atomic<std::int64_t> last_{Now()};
    std::jthread watcher_; // stops and joins first, before the beat goes
};

// The registers the simulated inverter holds: its factory image, and each write it printed,
// replayed on an in-process simulator of the same kind with its readings frozen.
class HeldRegisters
{
public:
    HeldRegisters()
    {
        inverter_.FreezeReadings(true);
        namesHeld_.push_back(Names());
    }

    void Apply(const WriteRecord &write)
    {
        Channel channel;
        if (write.function == OwnWriteFunction && write.values.size() == 1) {
            BuildSingleWordWrite(channel, write.start, write.values[0]);
        } else {
            Bytes data;
            for (std::uint16_t word : write.values)
                data.insert(data.end(), {std::uint8_t(word >> 8), std::uint8_t(word & 0xFF)});
            BuildWriteRequest(channel, write.function, write.start, data);
        }
        nowMs_ += 1000;
        const std::size_t before = inverter_.Writes().size();
        inverter_.Feed(channel.request, nowMs_);
        (void)inverter_.TakeOutput(nowMs_ + 500);
        if (inverter_.Writes().size() != before + 1)
            ADD_FAILURE() << "the replay refused " << FormatWriteRecord(write);
        const auto names = Names();
        if (std::ranges::find(namesHeld_, names) == namesHeld_.end())
            namesHeld_.push_back(names);
    }

    std::uint16_t Word(std::uint16_t r) const { return inverter_.Register(r); }
    std::int16_t Signed(std::uint16_t r) const { return static_cast<std::int16_t>(Word(r)); }
    std::vector<std::uint16_t> Words(std::uint16_t first, std::size_t count) const
    {
        std::vector<std::uint16_t> words;
        for (std::size_t k = 0; k < count; ++k)
            words.push_back(Word(static_cast<std::uint16_t>(first + k)));
        return words;
    }
    // A text field of `bytes` code-page bytes, zero bytes left out.
    QString Text(std::uint16_t first, std::size_t bytes) const
    {
        Bytes kept;
        for (std::size_t k = 0; k < bytes; ++k) {
            const std::uint16_t word = Word(static_cast<std::uint16_t>(first + k / 2));
            const auto byte = static_cast<std::uint8_t>(k % 2 == 0 ? word >> 8 : word & 0xFF);
            if (byte != 0)
                kept.push_back(byte);
        }
        return QString::fromStdString(CodePageToUtf8(kept));
    }
    std::int32_t Energy() const { return inverter_.EnergyTotal(); }
    // Model and company name, five words each, 0xC0B2..0xC0BB.
    std::vector<std::uint16_t> Names() const { return Words(reg::ModelName, reg::NameLength); }
    // The model and company words 0xC0B2..0xC0BB of every pair of names held so far.
    const std::vector<std::vector<std::uint16_t>> &NamesHeld() const { return namesHeld_; }

private:
    InverterSimulator inverter_;
    std::int64_t nowMs_ = 0;
    std::vector<std::vector<std::uint16_t>> namesHeld_;
};

using visit::AskedWrite;

// The line the visit runs on, and how much time the technician spends repeating exchanges that
// failed (none on a healthy line, where nothing may fail).
struct VisitLine
{
    const char *name;
    QStringList options;
    int repeatAllowanceMs;
};

// How long each exchange takes when it succeeds, at the design intervals: the hand-over on the
// next monitor tick, then its steps (a write step waits 2000 ms for the reply, the next request
// follows 500 ms later; the calibration window's write steps wait 2000 ms each way).
inline constexpr int HandOverMs = MonitorIntervalMs;
inline constexpr int IdentifyReadMs = HandOverMs + 6 * ReadStepIntervalMs;
inline constexpr int IdentifyWriteMs = HandOverMs + 4 * (WriteStepIntervalMs + ReadStepIntervalMs);
inline constexpr int ConfigurationReadMs = HandOverMs + 4 * ReadStepIntervalMs;
inline constexpr int ConfigurationWriteMs
    = HandOverMs + 5 * (WriteStepIntervalMs + ReadStepIntervalMs);
inline constexpr int CalibrationReadMs = 2 * ReadStepIntervalMs;
inline constexpr int CalibrationWriteMs = 2 * WriteStepIntervalMs;

class ServiceVisit : public Form1LinkTest, public ::testing::WithParamInterface<VisitLine>
{
protected:
    static constexpr int PollMs = 50;

    bool Hostile() const { return GetParam().repeatAllowanceMs > 0; }

    // Runs attempt() until it reports success; a failed exchange is repeated while the time
    // allowed for repeats still holds the exchange's length, which bounds the whole visit.
    void UntilDone(int lengthMs, const std::function<bool()> &attempt)
    {
        while (!attempt() && repeatAllowanceMs_ >= lengthMs) {
            repeatAllowanceMs_ -= lengthMs;
            ++repeats_;
        }
    }
    QString Text(int number) const { return form_->LanguageText(number); }

    // Waits for done() while the window keeps answering its event loop and the readings stay
    // those of the simulated unit.
    bool WaitResponsive(const std::function<bool()> &done, int limitMs = LimitMs)
    {
        const QDeadlineTimer deadline(limitMs);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            if (!Responds()) {
                ADD_FAILURE() << "the window stopped serving its event loop";
                return false;
            }
            CheckReadings();
            QTest::qWait(PollMs);
        }
        return true;
    }

    // Once readings have shown, they stay within what the simulated unit measures.
    void CheckReadings()
    {
        if (!readingsShown_)
            return;
        const auto stray = visit::StrayReadings(ui());
        strayReadings_.insert(strayReadings_.end(), stray.begin(), stray.end());
    }

    // Files what the simulator has printed since the last call into the held registers.
    void Sync()
    {
        const auto &writes = SimulatorWrites();
        for (; applied_ < writes.size(); ++applied_)
            held_.Apply(writes[applied_]);
    }

    std::vector<QString> ShownSince(std::size_t before) const
    {
        return {stand_.shown.begin() + static_cast<std::ptrdiff_t>(before), stand_.shown.end()};
    }

    // Presses a Read or Write button of the main window and waits for the exchange to end;
    // gives the messages it showed.
    std::vector<QString> RunMain(int button)
    {
        EXPECT_TRUE(WaitResponsive([&] { return Monitoring(); }));
        const std::size_t before = stand_.shown.size();
        ++exchangesStarted_;
        form_->Command1_Click(button);
        EXPECT_NE(form_->Machine().State(), ExchangeState::Monitor) << "nothing started";
        EXPECT_TRUE(WaitResponsive([&] { return Monitoring(); })) << "the exchange never ended";
        EXPECT_TRUE(ui().Command1[button]->isEnabled()) << "the controls stayed locked";
        SettleRecords();
        Sync();
        return ShownSince(before);
    }

    // The same for a button of the calibration window, whose own timer runs the exchange.
    std::vector<QString> RunCalibration(Form2 &window, void (Form2::*click)())
    {
        const std::size_t before = stand_.shown.size();
        ++exchangesStarted_;
        (window.*click)();
        EXPECT_TRUE(window.Controls().Timer1->isActive()) << "nothing started";
        EXPECT_TRUE(WaitResponsive([&] { return !window.Controls().Timer1->isActive(); }))
            << "the exchange never ended";
        EXPECT_EQ(form_->Machine().State(), ExchangeState::CalibrationWindowOpen);
        SettleRecords();
        Sync();
        return ShownSince(before);
    }

    // A read succeeds silently and fails with 127 alone; true when it succeeded. On a healthy
    // line it must succeed.
    bool ReadSucceeded(const std::vector<QString> &shown)
    {
        if (shown.empty())
            return true;
        EXPECT_EQ(shown, std::vector<QString>{Text(text::ReadFailed)});
        EXPECT_TRUE(Hostile()) << "a read failed on a healthy line";
        return false;
    }
    // A write ends with exactly one message, 129 or 128; true for 129.
    bool WriteSucceeded(const std::vector<QString> &shown)
    {
        if (shown == std::vector<QString>{Text(text::WriteDone)})
            return true;
        EXPECT_EQ(shown, std::vector<QString>{Text(text::WriteFailed)});
        EXPECT_TRUE(Hostile()) << "a write failed on a healthy line";
        return false;
    }

    void Ask(std::vector<AskedWrite> writes)
    {
        asked_.insert(asked_.end(), writes.begin(), writes.end());
    }

    // The inverter accepted nothing but writes the visit asked for, in the order asked, with
    // the very values asked; on a healthy line, every one of them.
    void ExpectOnlyAskedWrites()
    {
        QTest::qWait(PollMs); // the last lines on their way through the pipe
        Sync();
        const auto &writes = SimulatorWrites();
        std::size_t next = 0;
        for (const WriteRecord &write : writes) {
            while (next < asked_.size() && !asked_[next].Matches(write))
                ++next;
            EXPECT_LT(next, asked_.size()) << "not asked for: " << FormatWriteRecord(write);
            if (next < asked_.size())
                ++next;
        }
        if (!Hostile()) {
            EXPECT_EQ(writes.size(), asked_.size());
        }
    }

    int repeatAllowanceMs_ = GetParam().repeatAllowanceMs;
    int repeats_ = 0;
    int exchangesStarted_ = 0;
    HeldRegisters held_;
    std::size_t applied_ = 0;
    std::vector<AskedWrite> asked_;
    bool readingsShown_ = false;
    std::vector<std::string> strayReadings_;
};

} // namespace pv::test
