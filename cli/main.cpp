// pv-service-cli: the service work of the window without one, for scripts, batch commissioning
// and a headless logger. The same service session as the window's (the same exchanges, timers
// and frames), the same port list and language database beside the program, and the same service
// record in the writable folder. Qt Core and Qt SerialPort only: it runs without a display.

#include "cli/commands.h"
#include "language/language_choice.h"
#include "language/language_table.h"
#include "link/text_numbers.h"
#include "platform/language_store.h"
#include "platform/port_names.h"
#include "platform/qt_serial_port.h"
#include "platform/termination_signals.h"
#include "platform/writable_folder.h"
#include "record/service_recorder.h"
#include "session/service_session.h"

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace pv::cli;

// The window's start-up says this before its language table exists; so does the command line.
constexpr const char *NoLanguageDatabase
    = "The language database DataBase/Language.db beside the program cannot be read.";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Ended by the system, a terminal or a service manager, the command still closes its port and
    // lets the service record finish on the way out.
    pv::QuitOnTerminationSignals(app);
    pv::IgnoreBrokenPipes();

    const ParsedCommandLine parsed
        = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::cout << HelpText();
        return 0;
    }
    if (!parsed.options) {
        Report report("", parsed.json, std::cout, std::cerr);
        report.FailUntranslated(ExitCode::Usage,
                                parsed.error + " (pv-service-cli --help lists the commands)");
        return report.Finish();
    }
    const Options &options = *parsed.options;
    Report report(std::string(CommandName(options.command)), options.json, std::cout, std::cerr);

    const fs::path programFolder = pv::ProgramFolder();
    const fs::path writableFolder = pv::PrepareWritableFolder(
        programFolder, pv::FolderIsWritable(programFolder), pv::UserDataFolder());
    const std::vector<fs::path> linkFolders{writableFolder, programFolder};
    if (options.command == Command::Ports) {
        report.Show("ports", PortsJson(linkFolders));
        return report.Finish();
    }
    report.SetPort(options.port);

    // The language the window was set to, unless the command line names one; the first language
    // when that one has no texts, as at the window's start.
    pv::LanguageTable texts;
    const auto store = pv::MakeSqliteLanguageStore(programFolder / "DataBase" / "Language.db");
    const int language = options.language.value_or(pv::ReadLanguageSetting(writableFolder));
    if (!texts.LoadLanguage(*store, language)
        && !(language != pv::FirstLanguage && texts.LoadLanguage(*store, pv::FirstLanguage))) {
        report.FailUntranslated(ExitCode::NotDone, NoLanguageDatabase);
        return report.Finish();
    }

    pv::QtSerialPort port(linkFolders);
    pv::ServiceSession session(port);
    std::optional<pv::ServiceRecorder> recorder;
    if (options.record) {
        recorder.emplace(session, writableFolder / pv::ServiceRecordFile);
        QObject::connect(&*recorder, &pv::ServiceRecorder::RecordTrouble, &app,
                         [&](pv::StoreTrouble trouble) {
                             if (trouble == pv::StoreTrouble::QueueFull) {
                                 report.Say(pv::text::ServiceRecordBehind,
                                            texts.Text(pv::text::ServiceRecordBehind));
                                 return;
                             }
                             const QString file
                                 = QString::fromStdU16String(recorder->DatabaseFile().u16string());
                             report.Say(pv::text::ServiceRecordFailed,
                                        texts.Text(pv::text::ServiceRecordFailed).arg(file));
                         });
    }
    const Services services{session,     texts,        report, recorder ? &*recorder : nullptr,
                            linkFolders, programFolder};
    const std::unique_ptr<CommandRun> run = MakeCommand(services, options);
    if (run) {
        QObject::connect(
            run.get(), &CommandRun::Finished, &app, [] { QCoreApplication::exit(0); },
            Qt::QueuedConnection);
        run->Start(options.port);
        app.exec();
        // The loop ended without the command: a termination signal came.
        if (!run->Ended())
            run->Interrupt();
    }
    // What was recorded reaches the database before the program ends, within the time a write's
    // record is given (a hung disk does not hold the end).
    if (recorder) {
        const auto limit
            = std::chrono::duration_cast<std::chrono::milliseconds>(pv::RecordWaitLimit);
        recorder->WaitUntilWritten(static_cast<int>(limit.count()));
        QCoreApplication::processEvents();
    }
    if (run)
        run->Conclude();
    return report.Finish();
}
