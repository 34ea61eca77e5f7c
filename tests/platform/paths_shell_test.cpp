// The folder mapping read from the environment and the user-dirs file, the
// small file helpers, and the desktop opener's command lines.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/paths.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "support/test_paths.h"

namespace nimbo::platform {
namespace {

namespace fs = std::filesystem;

// Each test gets a home of its own; the environment is put back afterwards.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const char* v = std::getenv(name);
            saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
            unsetenv(name);
        }
        setenv("HOME", home_.path().c_str(), 1);
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    void WriteUserDirs(const fs::path& configDir, const std::string& text) {
        fs::create_directories(configDir);
        std::ofstream(configDir / "user-dirs.dirs") << text;
    }

    test::TempDir home_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(PathsTest, DefaultsFollowTheHomeFolderAndCreateNothing) {
    Paths p = DefaultPaths();
    EXPECT_EQ(p.systemDir, home_.path() / ".local/share/nimbo/system");
    EXPECT_EQ(p.driverDir, home_.path() / "android_usb_windows");
    EXPECT_EQ(p.driverI386Dir, home_.path() / "android_usb_windows/i386");
    EXPECT_EQ(p.documentsDir, home_.path() / "Documents");
    EXPECT_TRUE(fs::is_empty(home_.path()));

    ASSERT_TRUE(EnsureSystemDirectory(p));
    EXPECT_TRUE(fs::is_directory(p.systemDir));
    EXPECT_TRUE(EnsureSystemDirectory(p));  // already there is fine
}

TEST_F(PathsTest, XdgVariablesAreHonouredOnlyWhenAbsolute) {
    setenv("XDG_DATA_HOME", (home_.path() / "data").c_str(), 1);
    EXPECT_EQ(DefaultPaths().systemDir, home_.path() / "data/nimbo/system");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(DefaultPaths().systemDir, home_.path() / ".local/share/nimbo/system");

    fs::path config = home_.path() / "cfg";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    WriteUserDirs(config, "XDG_DOCUMENTS_DIR=\"$HOME/文档 folder\"\n");
    EXPECT_EQ(DefaultPaths().documentsDir, home_.path() / "文档 folder");
}

TEST_F(PathsTest, DocumentsFolderIsReadFromUserDirsLikeXdgUserDir) {
    fs::path config = home_.path() / ".config";
    WriteUserDirs(config,
                  "# comment\r\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\r\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\r\n");
    EXPECT_EQ(DefaultPaths().documentsDir, home_.path() / "Dokumente");

    WriteUserDirs(config, "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
    EXPECT_EQ(DefaultPaths().documentsDir, fs::path("/srv/docs"));

    WriteUserDirs(config, "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");  // switched off
    EXPECT_EQ(DefaultPaths().documentsDir, home_.path());

    WriteUserDirs(config, "XDG_DOCUMENTS_DIR=relative\nXDG_DOCUMENTS_DIR=\"$HOMEX/y\"\n");
    EXPECT_EQ(DefaultPaths().documentsDir, home_.path() / "Documents");
}

TEST_F(PathsTest, FileHelpers) {
    fs::path file = home_.path() / "a b.apk";
    std::ofstream(file) << "x";
    EXPECT_TRUE(PathFileExists(file.string()));
    EXPECT_TRUE(PathFileExists(home_.path().string()));
    EXPECT_FALSE(PathFileExists((home_.path() / "missing").string()));
    EXPECT_FALSE(PathFileExists(""));

    std::string before = GetCurrentDirectory();
    ASSERT_TRUE(SetCurrentDirectory(home_.path().string()));
    EXPECT_EQ(fs::path(GetCurrentDirectory()), fs::canonical(home_.path()));
    EXPECT_FALSE(SetCurrentDirectory((home_.path() / "missing").string()));
    ASSERT_TRUE(SetCurrentDirectory(before));
}

class RecordingLauncher : public ProcessLauncher {
public:
    Result<std::unique_ptr<ChildOutput>, SpawnError> Start(
        const std::vector<std::string>&) override {
        return Err{SpawnError::PipeFailed};
    }
    Result<bool, SpawnError> LaunchDetached(const std::vector<std::string>& argv) override {
        launched.push_back(argv);
        if (fail) return Err{SpawnError::NotFound};
        return true;
    }
    std::vector<std::vector<std::string>> launched;
    bool fail = false;
};

TEST(ShellOpenerTest, HandsFoldersAndAddressesToXdgOpenAsOneArgument) {
    RecordingLauncher launcher;
    auto opener = MakeDesktopShellOpener(launcher);
    EXPECT_TRUE(opener->OpenFolder("/home/u/备份 \"a\" $x"));
    EXPECT_TRUE(opener->OpenUrl("http://example.com/help?a=1&b=2", true));
    ASSERT_EQ(launcher.launched.size(), 2u);
    EXPECT_EQ(launcher.launched[0],
              (std::vector<std::string>{"xdg-open", "/home/u/备份 \"a\" $x"}));
    EXPECT_EQ(launcher.launched[1],
              (std::vector<std::string>{"xdg-open", "http://example.com/help?a=1&b=2"}));

    EXPECT_FALSE(opener->OpenFolder(""));  // nothing to open, nothing launched
    EXPECT_EQ(launcher.launched.size(), 2u);
    launcher.fail = true;
    EXPECT_FALSE(opener->OpenUrl("http://example.com", false));
}

}  // namespace
}  // namespace nimbo::platform
