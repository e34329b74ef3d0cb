#pragma once
// pv-service-cli as a script starts it: the built program copied into a fresh program folder
// with the files it reads beside it (the language database, the country presets, the stored
// language), started without a display, against inverter-sim serving COM1 of that folder.

#include "sim/inverter_simulator.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pv::test {

// Bounds every wait; nothing asserts on speed. A write of one group with its read and read-back
// takes about ten seconds of the session's own timers.
constexpr int CliLimitMs = 30000;

struct CliResult
{
    int exit = -1;
    std::string out, err;
    QJsonObject json; // standard output read as one JSON document (under --json)
};

class CliRig
{
public:
    CliRig()
    {
        namespace fs = std::filesystem;
        fs::create_directories(folder_ / "DataBase");
        for (const char *name : {"CountryParameter.txt", "LanguageSet.txt", "DataBase/Language.db"})
            fs::copy_file(fs::path(PV_BUILT_PROGRAM_DIR) / name, folder_ / name);
        fs::copy_file(PV_CLI_PROGRAM, Program());
        fs::permissions(Program(), fs::perms::owner_all, fs::perm_options::add);
    }
    ~CliRig() { StopSimulator(); }

    std::filesystem::path Folder() const { return folder_; }
    std::filesystem::path Program() const { return folder_ / "pv-service-cli"; }

    // inverter-sim on COM1 of the program folder, its write lines on its standard output.
    void StartSimulator(const QStringList &extra = {})
    {
        sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim_.start(QStringLiteral(PV_SIMULATOR_PROGRAM),
                   QStringList{"--port", "COM1", "--program-dir",
                               QString::fromStdString(folder_.string()), "--log-writes"}
                       + extra);
        ASSERT_TRUE(sim_.waitForStarted(CliLimitMs)) << "inverter-sim did not start";
        ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(folder_ / "ports" / "COM1"); }))
            << "inverter-sim made no ports/COM1";
    }
    void StopSimulator()
    {
        if (sim_.state() != QProcess::NotRunning)
            sim_.terminate(), sim_.waitForFinished(CliLimitMs);
    }

    // The program started without a display or a window-system plugin named.
    void Start(QProcess &cli, const QStringList &args) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        cli.setProcessEnvironment(environment);
        cli.start(QString::fromStdString(Program().string()), args);
    }

    // Runs the program to its end, with `input` on its standard input.
    CliResult Run(const QStringList &args, const QByteArray &input = {}) const
    {
        QProcess cli;
        Start(cli, args);
        CliResult result;
        if (!cli.waitForStarted(CliLimitMs))
            return result;
        cli.write(input);
        cli.closeWriteChannel();
        if (!cli.waitForFinished(CliLimitMs)) {
            cli.kill();
            cli.waitForFinished();
            return result;
        }
        result.exit = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        const QByteArray out = cli.readAllStandardOutput();
        result.out = out.toStdString();
        result.err = cli.readAllStandardError().toStdString();
        result.json = QJsonDocument::fromJson(out).object();
        return result;
    }

    // Every write the simulator has accepted so far, oldest first.
    std::vector<WriteRecord> SimulatorWrites()
    {
        // The simulator prints each write at once; what it printed lies in the pipe until read.
        while (sim_.waitForReadyRead(100))
            output_ += sim_.readAllStandardOutput().toStdString();
        output_ += sim_.readAllStandardOutput().toStdString();
        std::vector<WriteRecord> writes;
        for (std::size_t start = 0, end; (end = output_.find('\n', start)) != std::string::npos;
             start = end + 1) {
            if (auto record
                = ParseWriteRecord(std::string_view(output_).substr(start, end - start)))
                writes.push_back(*record);
        }
        return writes;
    }

    static bool WaitFor(const std::function<bool()> &done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > CliLimitMs)
                return false;
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
        return true;
    }

private:
    QTemporaryDir dir_;
    std::filesystem::path folder_ = dir_.path().toStdString();
    QProcess sim_;
    std::string output_;
};

} // namespace pv::test
