// A command of pv-service-cli over the service session and the in-process simulator, the step
// timers ticked by hand: a write the unit refuses ends the command unacknowledged.

#include "cli/commands.h"
#include "language/language_table.h"
#include "support/session_rig.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace pv::cli {
namespace {

namespace fs = std::filesystem;

TEST(WriteCommand, AWriteTheUnitRefusesEndsUnacknowledgedAndStoresNothing)
{
    QTemporaryDir folder;
    const fs::path file = fs::path(folder.path().toStdString()) / "retry.pvcfg";
    std::ifstream example(fs::path(PV_BUILT_PROGRAM_DIR) / "profiles" / "example-germany.pvcfg");
    std::stringstream bytes;
    bytes << example.rdbuf();
    std::string text = bytes.str();
    text.replace(text.find("retry_time_s = 60"), 17, "retry_time_s = 90");
    std::ofstream(file) << text;

    test::SessionRig rig;
    LanguageTable texts; // "#n" for every text
    std::ostringstream out, err;
    Report report("write-config", false, out, err);
    Options options;
    options.command = Command::WriteConfig;
    options.file = file;
    options.groups = {false, false, false, true};
    options.confirmed = true;
    const Services services{rig.session, texts, report, nullptr, {}, PV_BUILT_PROGRAM_DIR};
    const auto run = MakeCommand(services, options);
    ASSERT_TRUE(run) << err.str();
    run->Start(1);
    // The unit answers the checks and the read, and refuses the write once it has taken over.
    rig.RunWhile([&] {
        QCoreApplication::processEvents();
        if (rig.session.State() == ExchangeState::ConfigurationWrite)
            rig.inverter.SetFaultRate(SimFault::Exception, 1.0);
        return !run->Ended();
    });
    EXPECT_EQ(report.Failure(), ExitCode::WriteNotAcknowledged) << err.str();
    EXPECT_TRUE(rig.inverter.Writes().empty());
    EXPECT_NE(err.str().find("#128"), std::string::npos) << err.str();
}

} // namespace
} // namespace pv::cli
