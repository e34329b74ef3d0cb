// termination-child: what the tool's main does around its event loop, for the termination signal
// tests. Opens the real serial port on COM3 of the given program folder, hands the termination
// signals to the event loop, prints "ready", runs the loop, prints "ended" once it has returned
// and leaves the port to its destructor. With --busy the loop's first task prints "ready" and
// keeps the loop busy for half a minute, as a tool stuck in a long call.
//
// usage: termination-child PROGRAM_DIR [--busy]

#include "platform/qt_serial_port.h"
#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstring>
#include <iostream>
#include <thread>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || !pv::QuitOnTerminationSignals(app))
        return 2;
    pv::QtSerialPort port(argv[1]);
    port.SetCommPort(3);
    try {
        port.Open();
    } catch (const pv::PortError &e) {
        std::cerr << e.what() << "\n";
        return 4;
    }
    // Busy: "ready" once the loop is stuck in its first task.
    const auto ready = [] { std::cout << "ready" << std::endl; };
    if (argc > 2 && std::strcmp(argv[2], "--busy") == 0) {
        QTimer::singleShot(0, &app, [ready] {
            ready();
            std::this_thread::sleep_for(std::chrono::seconds(30));
        });
    } else {
        ready();
    }
    const int code = app.exec();
    std::cout << "ended" << std::endl;
    return code;
}
