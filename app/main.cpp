// The service tool: the main window with the real port, message boxes, process list and
// language database of this machine. It takes no arguments; everything it reads lies in its
// program folder, and what it writes in its writable folder (platform/writable_folder.h).

#include "app/form1.h"
#include "platform/file_dialog.h"
#include "platform/language_store.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/number_format.h"
#include "platform/port_names.h"
#include "platform/process_list.h"
#include "platform/qt_serial_port.h"
#include "platform/termination_signals.h"
#include "platform/writable_folder.h"
#include "publish/mqtt_publisher.h"
#include "record/service_recorder.h"
#include "session/service_session.h"

#include <QApplication>

#include <filesystem>
#include <vector>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The desktop matches the window to its menu entry (pv-service.desktop) and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("pv-service"));
    // Ended by the system (shutdown, kill, Ctrl+C in a terminal), the tool still closes its port
    // on the way out, so no stale lock file keeps the next start from opening it.
    pv::QuitOnTerminationSignals(app);
    // A pipe or socket that closed under a write is a failed write, not the end of the session.
    pv::IgnoreBrokenPipes();

    const std::filesystem::path programFolder = pv::ProgramFolder();
    // An installed program folder is the administrator's: the language choice and the port
    // links then live in the user's own folder, made now on the first start.
    const std::filesystem::path writableFolder = pv::PrepareWritableFolder(
        programFolder, pv::FolderIsWritable(programFolder), pv::UserDataFolder());
    pv::QtSerialPort port(std::vector<std::filesystem::path>{writableFolder, programFolder});
    // The session is the program's, not the window's: every front end is a client of it, and it
    // is made before the window and ends after it.
    pv::ServiceSession session(port);
    // Every exchange a technician starts is recorded beside the other files the tool writes.
    pv::ServiceRecorder recorder(session, writableFolder / pv::ServiceRecordFile);
    // Publishing to an MQTT broker, when the window's settings ask for it; it ends after the
    // window, saying "offline" for the unit on the way out.
    pv::MqttPublisher publisher(session);
    pv::QtMessageBox messages;
    pv::QtModalPresenter presenter;
    pv::QtFileDialogs files;
    const std::unique_ptr<pv::ProcessList> processes = pv::MakeSystemProcessList();
    const std::unique_ptr<pv::LanguageStore> languageStore
        = pv::MakeSqliteLanguageStore(programFolder / "DataBase" / "Language.db");

    pv::Form1 form1(pv::Form1Services{.port = port,
                                      .session = session,
                                      .messages = messages,
                                      .presenter = presenter,
                                      .processes = *processes,
                                      .languageStore = *languageStore,
                                      .files = files,
                                      .programFolder = programFolder,
                                      .numberFormat = pv::SystemNumberFormat(),
                                      .writableFolder = writableFolder,
                                      .recorder = &recorder,
                                      .publisher = &publisher});
    messages.SetParent(&form1);
    files.SetParent(&form1);
    if (!form1.Form_Load())
        return 1; // the message has been shown
    form1.show();
    return app.exec();
}
