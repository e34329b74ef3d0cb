// pv-service-cli end to end: each command run as a script runs it, with no display, against
// inverter-sim on a pseudo-terminal, with the real port and the session's own timers; its JSON
// read back, its service record looked at, and every kind of failure told by its exit code.

#include "support/cli_fixture.h"

#include "cli/cli_options.h"
#include "link/text_numbers.h"
#include "monitor/recording_csv.h"
#include "publish/publish_texts.h"
#include "record/record_store.h"
#include "settings/configuration_file.h"

#include <QJsonArray>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>

namespace pv::cli {
namespace {

namespace fs = std::filesystem;
using test::CliRig;

std::string FileText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The shipped example for Germany with another retry time.
fs::path ExampleWithRetry(const fs::path &folder, const std::string &retry)
{
    std::string text
        = FileText(fs::path(PV_BUILT_PROGRAM_DIR) / "profiles" / "example-germany.pvcfg");
    text.replace(text.find("retry_time_s = 60"), 17, "retry_time_s = " + retry);
    const fs::path file = folder / ("retry-" + retry + ".pvcfg");
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CliCommand : public ::testing::Test
{
protected:
    CliRig rig;
};

TEST_F(CliCommand, PortsNamesTheSimulatorsLinkAndADeviceForEachPort)
{
    rig.StartSimulator();
    const auto result = rig.Run({"ports", "--json"});
    ASSERT_EQ(result.exit, 0) << result.err;
    const QJsonArray ports = result.json["ports"].toArray();
    ASSERT_EQ(ports.size(), 16);
    const QJsonObject com1 = ports[0].toObject();
    EXPECT_EQ(com1["port"].toString(), "COM1");
    EXPECT_EQ(com1["device"].toString().toStdString(), (rig.Folder() / "ports" / "COM1").string());
    EXPECT_TRUE(com1["link_to"].toString().startsWith("/dev/pts/"));
    EXPECT_TRUE(com1["exists"].toBool());
    EXPECT_EQ(ports[15].toObject()["device"].toString(), "/dev/ttyUSB15");
}

TEST_F(CliCommand, IdentifyGivesTheIdentifiersAndTheAcceptedFirmwareAndRecordsTheRead)
{
    rig.StartSimulator();
    const auto result = rig.Run({"identify", "--port", "COM1", "--json"});
    ASSERT_EQ(result.exit, 0) << result.err;
    const QJsonObject identifiers = result.json["identifiers"].toObject();
    EXPECT_EQ(identifiers["id"].toInt(), 1);
    EXPECT_GE(identifiers["energy_kwh"].toInt(), 12345);
    EXPECT_EQ(identifiers["model"].toString(), "PV3600");
    EXPECT_EQ(identifiers["rated_power_kw"].toDouble(), 3.6);
    const QJsonObject firmware = result.json["firmware"].toObject();
    EXPECT_EQ(firmware["operating_version"].toString(), "01000700");
    EXPECT_EQ(firmware["certificate_version"].toString(), "PV1.02");
    EXPECT_EQ(firmware["rating"].toString(), "accepted");

    const auto records = ReadRecords(rig.Folder() / ServiceRecordFile);
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 1u);
    EXPECT_EQ(records->front().record.exchange, RecordedExchange::IdentifyRead);
    EXPECT_EQ(records->front().record.outcome, ExchangeOutcome::ReadDone);
    EXPECT_EQ(records->front().record.port, "COM1");
}

TEST_F(CliCommand, ReadConfigSavesTheWindowsFileWithTheUnitInItsHeader)
{
    rig.StartSimulator();
    const fs::path saved = rig.Folder() / "unit.pvcfg";
    const auto result = rig.Run({"read-config", "--port", "COM1", "--save",
                                 QString::fromStdString(saved.string()), "--json"});
    ASSERT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(result.json["configuration"].toObject()["vmax_l2_v"].toInt(), 264);
    EXPECT_EQ(result.json["configuration"].toObject()["dc_input"].toString(), "standard");
    const std::string file = FileText(saved);
    EXPECT_NE(
        file.find("\n# read from inverter ID 1, model \"PV3600\", operating firmware 01000700\n"),
        std::string::npos)
        << file;
    const auto reading = ParseConfigurationFile(file, {6}, NumberFormat{});
    ASSERT_TRUE(reading.values);
    EXPECT_EQ(ConfigurationFingerprint(*reading.values),
              result.json["fingerprint"].toString().toStdString());
}

TEST_F(CliCommand, ReadCalibrationShowsTheReadSettingDataRow)
{
    rig.StartSimulator();
    const auto result = rig.Run({"read-calibration", "--port", "COM1", "--json"});
    ASSERT_EQ(result.exit, 0) << result.err;
    const QJsonArray row = result.json["read_setting_data"].toArray();
    ASSERT_EQ(row.size(), 11);
    // Text1(1) shows the high byte of 0xCF05, where the unit keeps 300 V (0x012C).
    const QJsonObject cell = row[1].toObject();
    EXPECT_EQ(cell["cell"].toInt(), 1);
    EXPECT_EQ(cell["register"].toString(), "CF05");
    EXPECT_EQ(cell["byte"].toString(), "high");
    EXPECT_EQ(cell["value"].toInt(), 1);
}

TEST_F(CliCommand, MonitorWritesTheWindowsRecordingForTheDuration)
{
    rig.StartSimulator();
    const auto result
        = rig.Run({"monitor", "--port", "COM1", "--duration", "2", "--format", "csv"});
    ASSERT_EQ(result.exit, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_GE(lines.size(), 2u) << result.out;
    EXPECT_EQ(lines[0] + "\n", CsvHeaderLine());
    EXPECT_EQ(std::count(lines[1].begin(), lines[1].end(), ','), CsvColumnCount - 1) << lines[1];
}

TEST_F(CliCommand, MonitorEndsCleanlyOnSigintWithEveryLineWhole)
{
    rig.StartSimulator();
    QProcess cli;
    rig.Start(cli, {"monitor", "--port", "COM1", "--format", "jsonl"});
    ASSERT_TRUE(CliRig::WaitFor([&] { return cli.canReadLine(); })) << "no reading";
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(test::CliLimitMs));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 0);
    const auto lines = Lines(cli.readAllStandardOutput().toStdString());
    ASSERT_FALSE(lines.empty());
    for (const std::string &line : lines) {
        const QJsonObject reading
            = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        QStringList keys{QString::fromLatin1(TimeColumn.name.data(), TimeColumn.name.size())};
        for (const RecordingColumn &column : ReadingColumns)
            keys << QString::fromLatin1(column.name.data(), column.name.size());
        keys << QString::fromLatin1(LinkColumn.data(), LinkColumn.size());
        keys.sort();
        EXPECT_EQ(reading.keys(), keys) << line;
    }
    // The port was closed on the way out (no lock file left behind): the next program opens it.
    EXPECT_NE(rig.Run({"monitor", "--port", "COM1", "--duration", "1"}).exit,
              static_cast<int>(ExitCode::NoPort));
}

struct FailureCase
{
    const char *name;
    QStringList simulator;
    bool withSimulator; // without: COM1 leads to no device
    QStringList args;
    const char *retry; // write-config: the file's retry time
    QByteArray input;
    ExitCode exit;
    int text;
    std::size_t writes; // what the unit accepted
};
using CliFailure = ::testing::TestWithParam<FailureCase>;

TEST_P(CliFailure, EndsWithItsExitCodeAndMessage)
{
    const FailureCase &c = GetParam();
    CliRig rig;
    if (c.withSimulator) {
        rig.StartSimulator(c.simulator);
    } else { // a link to a device that is not there, as a pulled adapter leaves it
        fs::create_directories(rig.Folder() / "ports");
        fs::create_symlink(rig.Folder() / "no-such-device", rig.Folder() / "ports" / "COM1");
    }
    QStringList args = c.args;
    if (c.retry != nullptr)
        args.insert(1, QString::fromStdString(ExampleWithRetry(rig.Folder(), c.retry).string()));
    const auto result = rig.Run(args + QStringList{"--port", "COM1", "--json"}, c.input);
    EXPECT_EQ(result.exit, static_cast<int>(c.exit)) << result.out << result.err;
    EXPECT_EQ(result.json["exit"].toInt(), static_cast<int>(c.exit));
    EXPECT_EQ(result.json["error"].toObject()["text"].toInt(), c.text) << result.out;
    EXPECT_FALSE(result.json["error"].toObject()["message"].toString().isEmpty());
    if (c.withSimulator) {
        EXPECT_EQ(rig.SimulatorWrites().size(), c.writes);
    }
}

const QStringList RefusedFirmware{"--set", "C0BE=0x3038", "--set", "C0BF=0x3131"}; // 01000811

INSTANTIATE_TEST_SUITE_P(Kinds, CliFailure,
                         ::testing::Values(FailureCase{"MqttBrokerOfAnotherScheme",
                                                       {},
                                                       true,
                                                       {"monitor", "--mqtt", "ws://127.0.0.1"},
                                                       nullptr,
                                                       {},
                                                       ExitCode::Usage,
                                                       publishtext::OtherScheme,
                                                       0},
                                           FailureCase{"NoPort",
                                                       {},
                                                       false,
                                                       {"identify"},
                                                       nullptr,
                                                       {},
                                                       ExitCode::NoPort,
                                                       text::PortOpenFailed,
                                                       0},
                                           FailureCase{"NoReply",
                                                       {"--fault", "no-reply", "--rate", "1"},
                                                       true,
                                                       {"identify"},
                                                       nullptr,
                                                       {},
                                                       ExitCode::NoAnswer,
                                                       text::NoReply,
                                                       0},
                                           FailureCase{"RefusedFirmware",
                                                       RefusedFirmware,
                                                       true,
                                                       {"identify"},
                                                       nullptr,
                                                       {},
                                                       ExitCode::FirmwareRefused,
                                                       text::VersionRefused,
                                                       0},
                                           FailureCase{"EntryCheckRefusesBeforeAnythingIsSent",
                                                       {},
                                                       true,
                                                       {"write-config", "--yes"},
                                                       "0",
                                                       {},
                                                       ExitCode::EntryRefused,
                                                       text::FileNotLoadedAt,
                                                       0},
                                           FailureCase{"NotConfirmed",
                                                       {},
                                                       true,
                                                       {"write-config", "--groups", "retry"},
                                                       "120",
                                                       "n\n",
                                                       ExitCode::NotDone,
                                                       text::NothingWritten,
                                                       0},
                                           FailureCase{
                                               "ReadBackDiffers",
                                               {"--keep", "C085"},
                                               true,
                                               {"write-config", "--groups", "retry", "--yes"},
                                               "120",
                                               {},
                                               ExitCode::ReadBackDiffers,
                                               text::ReadBackDiffers,
                                               1}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv::cli
