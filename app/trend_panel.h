#pragma once
// The live readings, the trend and the recording of the CONNECTION panel, and the marking of
// readings that have grown old. All feed on the accepted replies of the readings block that the
// monitor cycle reads anyway: nothing here sends a byte.

#include "panel_context.h"

#include "monitor/readings_age.h"
#include "monitor/trend_buffer.h"
#include "platform/record_file.h"
#include "session/service_session.h"

#include <QObject>

namespace pv {

class TrendPanel : public QObject
{
public:
    explicit TrendPanel(const PanelContext &context);

    // The readings' labels from the values last read.
    void ShowMonitorValues();
    // The Record button starts a recording into a file the technician chooses, and stops it.
    void CommandRecord_Click();
    // The trend, the Record button and the file name belong to the CONNECTION panel.
    void ShowTrendPanel(bool show);
    void ApplyCaptions();
    bool IsRecording() const { return record_.IsRunning(); }
    // Waits until the rows taken so far have been handled by the recording's writer (tests and
    // tools; the window itself never waits for it).
    bool RecordingWritten(int milliseconds) const { return record_.WaitUntilWritten(milliseconds); }
    const TrendBuffer &Trend() const { return trend_; }

private:
    // Each accepted reply of the readings block adds a point to the trend and, while recording,
    // a row to the file.
    void ReplyFiled(const RequestInfo &request);
    void ShowTrend();
    // Greys the readings once no reply of the readings block was accepted for two cycles.
    void ShowReadingsAge();
    // messageNumber 0: stopped by the technician, no message.
    void StopRecording(int messageNumber);

    PanelContext context_;
    // A drawing of the trend waits for the event loop (at most one at a time).
    bool trendRedrawPosted_ = false;
    // The last ten minutes of readings, their age, and the recording while one runs.
    TrendBuffer trend_;
    ReadingsAge readingsAge_;
    bool readingsShownOld_ = false;
    // Rows go to the file on the writer's own thread; a failure it reports is taken only for the
    // recording it belongs to.
    RecordWriter record_;
    int recordingNumber_ = 0;
};

} // namespace pv
