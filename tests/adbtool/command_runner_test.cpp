// The runner against real child programs: how output is cut into deliveries,
// what reaches the sink when the program is missing or silent, long output,
// concurrent runs, arguments that would break a shell, and stopping a run.
#include "adbtool/command_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

class CountingClock : public platform::Clock {
public:
    platform::LocalTime Now() override { return {2012, 8, 27, 12, 0, 0}; }
    void Sleep(std::chrono::milliseconds d) override {
        std::lock_guard lock(mutex_);
        sleeps.push_back(d);
    }
    std::vector<std::chrono::milliseconds> sleeps;

private:
    std::mutex mutex_;
};

struct Deliveries {
    std::vector<std::string> pieces;
    OutputSink Sink() {
        return [this](OutputChunk c) { pieces.emplace_back(c); };
    }
    std::string Joined() const {
        std::string all;
        for (const auto& p : pieces) all += p;
        return all;
    }
};

AdbCommand Shell(const std::string& script) {
    return {{"sh", "-c", script}, "sh -c " + script};
}

// Prints 100,000 bytes of numbered lines in several writes.
const char* kLongOutput = "i=0; while [ $i -lt 10000 ]; do printf '%09d\\n' $i; i=$((i+1)); done";

std::string ExpectedLongOutput() {
    std::string s;
    char line[16];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(line, sizeof line, "%09d\n", i);
        s += line;
    }
    return s;
}

class CommandRunnerTest : public ::testing::Test {
protected:
    test::TempDir systemDir_;
    std::unique_ptr<platform::ProcessLauncher> launcher_ =
        platform::MakeSystemProcessLauncher(systemDir_.path());
    CountingClock clock_;
    std::vector<std::string> log_;
    CommandRunner runner_{*launcher_, clock_, [this](const std::string& l) { log_.push_back(l); }};
};

TEST_F(CommandRunnerTest, PerChunkPiecesAreExactReadsThatConcatenateToTheWholeOutput) {
    Deliveries d;
    EXPECT_EQ(runner_.RunCommand(Shell(kLongOutput), DeliveryMode::PerChunk, d.Sink()),
              RunOutcome::Completed);
    EXPECT_GT(d.pieces.size(), 1u);
    for (const auto& p : d.pieces) {
        EXPECT_FALSE(p.empty());
        EXPECT_LE(p.size(), kChunkReadSize);
    }
    EXPECT_EQ(d.Joined(), ExpectedLongOutput());
    EXPECT_TRUE(clock_.sleeps.empty());
    EXPECT_TRUE(log_.empty());
}

TEST_F(CommandRunnerTest, AccumulatedModeDeliversEverythingOnceAfterOnePause) {
    Deliveries d;
    EXPECT_EQ(runner_.RunCommand(Shell(kLongOutput), DeliveryMode::Accumulated, d.Sink()),
              RunOutcome::Completed);
    ASSERT_EQ(d.pieces.size(), 1u);
    // Well past the 40,959 bytes an old fixed buffer held: nothing is cut.
    EXPECT_EQ(d.pieces[0].size(), 100000u);
    EXPECT_EQ(d.pieces[0], ExpectedLongOutput());
    // One pause however long the output: pausing per read made a long listing
    // wait seconds.
    EXPECT_EQ(clock_.sleeps, std::vector<std::chrono::milliseconds>{kAccumulatedPause});
}

TEST_F(CommandRunnerTest, SilentCommandGivesNoPieceButOneEmptyAccumulatedText) {
    Deliveries perChunk, accumulated;
    runner_.RunCommand(Shell("exit 3"), DeliveryMode::PerChunk, perChunk.Sink());
    runner_.RunCommand(Shell("exit 3"), DeliveryMode::Accumulated, accumulated.Sink());
    EXPECT_TRUE(perChunk.pieces.empty());
    EXPECT_EQ(accumulated.pieces, std::vector<std::string>{""});
    EXPECT_TRUE(clock_.sleeps.empty());  // nothing arrived, so nothing to wait for
}

TEST_F(CommandRunnerTest, MissingProgramDeliversNothingAndLogsOnce) {
    Deliveries perChunk, accumulated;
    AdbCommand missing{{"nimbo-no-such-tool", "x"}, "nimbo-no-such-tool x"};
    EXPECT_EQ(runner_.RunCommand(missing, DeliveryMode::PerChunk, perChunk.Sink()),
              RunOutcome::NotStarted);
    EXPECT_EQ(runner_.RunCommand(missing, DeliveryMode::Accumulated, accumulated.Sink()),
              RunOutcome::NotStarted);
    EXPECT_TRUE(perChunk.pieces.empty());
    EXPECT_TRUE(accumulated.pieces.empty());
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_NE(log_[0].find("nimbo-no-such-tool x"), std::string::npos);
}

TEST_F(CommandRunnerTest, StandardErrorArrivesInTheSameStreamInOrder) {
    Deliveries d;
    runner_.RunCommand(Shell("echo 'Performing Push Install'; "
                             "echo 'adb: error: failed to get feature set: device not found' >&2; "
                             "echo tail"),
                       DeliveryMode::Accumulated, d.Sink());
    EXPECT_EQ(d.Joined(),
              "Performing Push Install\n"
              "adb: error: failed to get feature set: device not found\ntail\n");
}

TEST_F(CommandRunnerTest, AwkwardPathReachesAdbByteForByteAsOneArgument) {
    // A stand-in adb in the system directory, found before any adb in PATH.
    fs::path fakeAdb = systemDir_.path() / "adb";
    std::ofstream(fakeAdb)
        << "#!/bin/sh\nprintf '%s\\n' \"$#\"\nfor a; do printf '[%s]\\n' \"$a\"; done\n";
    fs::permissions(fakeAdb, fs::perms::owner_all);
    const std::string path = "/home/用户/my apps/\"q\" $HOME `id` it's;&|*.apk";
    Deliveries d;
    runner_.RunCommand(AdbInstall(path), DeliveryMode::PerChunk, d.Sink());
    EXPECT_EQ(d.Joined(), "3\n[install]\n[-r]\n[" + path + "]\n");
}

TEST_F(CommandRunnerTest, TwoRunsAtOnceBothDeliver) {
    Deliveries first, second;
    std::thread a(
        [&] { runner_.RunCommand(Shell(kLongOutput), DeliveryMode::PerChunk, first.Sink()); });
    std::thread b(
        [&] { runner_.RunCommand(Shell(kLongOutput), DeliveryMode::Accumulated, second.Sink()); });
    a.join();
    b.join();
    EXPECT_EQ(first.Joined(), ExpectedLongOutput());
    ASSERT_EQ(second.pieces.size(), 1u);
    EXPECT_EQ(second.pieces[0], ExpectedLongOutput());
}

TEST_F(CommandRunnerTest, StopRequestEndsARunWhoseOutputNeverEnds) {
    std::stop_source stop;
    Deliveries d;
    OutputSink sink = [&](OutputChunk c) {
        d.pieces.emplace_back(c);
        stop.request_stop();  // as a window closing mid-run would
    };
    EXPECT_EQ(runner_.RunCommand(Shell("echo started; exec sleep 1000"), DeliveryMode::PerChunk,
                                 sink, stop.get_token()),
              RunOutcome::Cancelled);
    EXPECT_EQ(d.Joined(), "started\n");

    // Accumulated output of a stopped run is dropped, not delivered half-done.
    std::stop_source early;
    early.request_stop();
    Deliveries none;
    EXPECT_EQ(runner_.RunCommand(Shell("exec sleep 1000"), DeliveryMode::Accumulated, none.Sink(),
                                 early.get_token()),
              RunOutcome::Cancelled);
    EXPECT_TRUE(none.pieces.empty());
}

// A command that ends is waited for to its end; one that never ends is killed
// once the bound has passed, and the wait says so (logged once).
TEST_F(CommandRunnerTest, RunAndWaitWaitsForTheEndButNoLongerThanItsBound) {
    fs::path marker = systemDir_.path() / "done";
    EXPECT_TRUE(runner_.RunAndWait(
        {{"sh", "-c", "sleep 0.2; echo ran > \"$1\"", "sh", marker.string()}, "marker"},
        std::chrono::seconds(60)));
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_TRUE(log_.empty());

    EXPECT_FALSE(runner_.RunAndWait(Shell("exec sleep 1000"), std::chrono::milliseconds(100)));
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].find("did not end"), std::string::npos) << log_[0];
}

TEST_F(CommandRunnerTest, LaunchHiddenReturnsAtOnceAndTheCommandRuns) {
    fs::path marker = systemDir_.path() / "done";
    runner_.LaunchHidden(
        {{"sh", "-c", "sleep 0.2; echo ran > \"$1\"", "sh", marker.string()}, "marker"});
    for (int i = 0; i < 500 && !fs::exists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(fs::exists(marker));
    runner_.LaunchHidden({{"nimbo-no-such-tool"}, "nimbo-no-such-tool"});
    ASSERT_EQ(log_.size(), 1u);
}

}  // namespace
}  // namespace nimbo
