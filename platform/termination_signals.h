#pragma once
// Ending the tool from outside: SIGTERM (kill, a session or service manager), SIGINT (Ctrl+C in
// the terminal that started it) and SIGHUP (that terminal closing). Their default action ends the
// process on the spot, so no destructor runs: the serial port stays open to the last and Qt
// SerialPort's lock file (/var/lock/LCK..<device>, which Debian's Qt takes on every open) is
// left behind for the next program that wants the device to puzzle over.
//
// Instead the signal only wakes the event loop (a byte through a socket pair, the one thing a
// signal handler may safely do) and the loop ends as after a normal close: main returns and the
// port is closed by its destructor. A second signal ends the process at once, so a tool stuck in
// a long call can still be stopped.

class QCoreApplication;

namespace pv {

// Call once, after the application object exists. The event loop then ends with exit code 0 on
// the first of these signals. Returns false where the system has no such signals (Windows ends
// a windowed program through its window instead) or they could not be taken over.
bool QuitOnTerminationSignals(QCoreApplication &app);

// A write to a pipe or socket whose reader has gone raises SIGPIPE, whose default action ends the
// process on the spot, losing the session. Ignored, the write fails with EPIPE instead, and the
// writer reports it as any other write error. Call once at start-up; nothing on Windows, which
// has no such signal.
void IgnoreBrokenPipes();

} // namespace pv
