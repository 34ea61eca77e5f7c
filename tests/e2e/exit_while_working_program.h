#pragma once
// The program side of the exit tests. The test binary, started again with
// NIMBO_EXIT_PROGRAM set, runs the real application as src/main.cpp does,
// and this script drives its main window from a timer, as a user would, one
// step per word from the test process:
//
//   program -> test (descriptor 3)      test -> program (stdin)
//   window                              phone     (a phone is connected)
//   listed    (rows in the list)        slow      (the phone now holds its answers)
//   started   (install, listing and export each have their adb running,
//              and a capture waits for its frame)
//                                       close
//   closing <steady clock, ns>          ... and the window is closed, the given way
//   gone      (the application object is destroyed; the process lingers)
#include <fcntl.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "support/process_tree.h"
#include "templates/control_ids.h"
#include "ui/qt/list_view.h"

namespace nimbo::test {

inline constexpr const char* kProgramVariable = "NIMBO_EXIT_PROGRAM";
inline constexpr const char* kExportFolderVariable = "NIMBO_EXIT_FOLDER";
inline constexpr int kReportFd = 3;

// One line to the test process.
inline void ReportToTest(const std::string& line) {
    const std::string text = line + "\n";
    (void)!::write(kReportFd, text.data(), text.size());
}

class ExitProgramScript {
public:
    // way: "exit-button", "close-box" or "alt-f4".
    ExitProgramScript(std::string way, std::string exportFolder)
        : way_(std::move(way)), folder_(std::move(exportFolder)) {
        // adb and the server the program starts must not hold the test's pipe.
        ::fcntl(kReportFd, F_SETFD, FD_CLOEXEC);
        ::fcntl(0, F_SETFL, ::fcntl(0, F_GETFL) | O_NONBLOCK);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(20);
    }
    bool Closed() const { return step_ == Step::Done; }

private:
    enum class Step {
        FindWindow,
        AwaitPhone,
        Listing,
        AwaitSlow,
        AnswerFolder,
        AwaitPull,
        AwaitJobs,
        AwaitClose,
        Done,
    };

    // Runs from the event loop of whatever is modal: the main window's, and
    // the folder chooser's while "备份选中" waits for it.
    void Tick() {
        switch (step_) {
            case Step::FindWindow:
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (w->objectName() == "dialog_102" && w->isVisible()) window_ = w;
                }
                if (!window_) return;
                ReportToTest("window");
                GoTo(Step::AwaitPhone);
                return;
            case Step::AwaitPhone:
                if (!Heard("phone")) return;
                Click(ids::kRefreshPackagesButton);
                GoTo(Step::Listing);
                return;
            case Step::Listing:
                // The device list names the phone too: the capture needs it.
                if (List()->rowCount() == 0 || AdbRunning("list") || CurrentDevice().empty()) {
                    return;
                }
                ReportToTest("listed");
                GoTo(Step::AwaitSlow);
                return;
            case Step::AwaitSlow:
                if (!Heard("slow")) return;
                Click(ids::kCompanionInstallButton);
                ClickFirstRow();  // the export needs a marked row
                Click(ids::kSelectAllButton);
                // The chooser runs its own loop inside this click. Clicked from
                // outside this tick: a timer does not fire again while its own
                // slot still runs, and the next ticks must answer the chooser.
                GoTo(Step::AnswerFolder);
                QTimer::singleShot(0, [this] { Click(ids::kExportButton); });
                return;
            case Step::AnswerFolder:
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    auto* chooser = qobject_cast<QFileDialog*>(w);
                    if (!chooser || !chooser->isVisible()) continue;
                    chooser->setDirectory(QString::fromStdString(folder_));
                    GoTo(Step::AwaitPull);
                    // As its "Choose" button does; protected in QFileDialog itself.
                    static_cast<QDialog*>(chooser)->accept();
                    return;
                }
                return;
            case Step::AwaitPull:
                // The listing empties the list: let the export read its row first.
                if (!AdbRunning("pull")) return;
                Click(ids::kRefreshPackagesButton);
                // And a capture, whose frame the phone holds too.
                Click(ids::kScreenshotButton);
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (w->objectName() == "dialog_156" && w->isVisible()) {
                        Click(w, ids::kShotRefreshButton);
                    }
                }
                GoTo(Step::AwaitJobs);
                return;
            case Step::AwaitJobs:
                if (!AdbRunning("install") || !AdbRunning("pull") || !AdbRunning("list")) return;
                ReportToTest("started");
                GoTo(Step::AwaitClose);
                return;
            case Step::AwaitClose:
                if (!Heard("close")) return;
                GoTo(Step::Done);
                timer_.stop();
                ReportToTest("closing " +
                             std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                std::chrono::steady_clock::now().time_since_epoch())
                                                .count()));
                Close();
                return;
            case Step::Done:
                return;
        }
    }

    // Each step on stderr, which the test shows when the program stalls.
    void GoTo(Step next) {
        static const char* const kNames[] = {"find window", "await phone",   "listing",
                                             "await slow",  "answer folder", "await pull",
                                             "await jobs",  "await close",   "done"};
        step_ = next;
        std::fprintf(stderr, "script: %s\n", kNames[static_cast<int>(next)]);
    }

    void Close() {
        if (way_ == "exit-button") {
            Click(ids::kExitButton);
            return;
        }
        if (way_ == "alt-f4") {
            // A window manager keeps Alt+F4 for itself and sends the window
            // the close request below. With none here the key reaches the
            // window, which swallows every key.
            QTest::keyClick(window_, Qt::Key_F4, Qt::AltModifier);
        }
        // With no window manager, the close box and Alt+F4 both reach the
        // window as the window system's close request (WM_DELETE_WINDOW on
        // X11, WM_CLOSE on Windows), handed to its native window as the
        // platform plugin hands it over.
        QCloseEvent request;
        QCoreApplication::sendEvent(window_->windowHandle(), &request);
    }

    void Click(int id) { Click(window_, id); }
    static void Click(QWidget* window, int id) {
        auto* button = window->findChild<QAbstractButton*>(QStringLiteral("ctl_%1").arg(id));
        if (button) QTest::mouseClick(button, Qt::LeftButton);
    }

    std::string CurrentDevice() {
        auto* label = window_->findChild<QLabel*>(QStringLiteral("ctl_%1").arg(ids::kCurrentDevice));
        return label ? label->text().toStdString() : std::string();
    }

    ui::qt::QtListView* List() {
        return window_->findChild<ui::qt::QtListView*>(
            QStringLiteral("ctl_%1").arg(ids::kPackageList));
    }

    void ClickFirstRow() {
        const QRect cell = List()->visualItemRect(List()->item(0, 1));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }

    // An adb client of this program whose command line holds the word.
    static bool AdbRunning(const std::string& word) {
        for (const auto& p : Descendants(::getpid())) {
            if (p.state != 'Z' && IsAdbClient(p) &&
                std::find(p.argv.begin(), p.argv.end(), word) != p.argv.end()) {
                return true;
            }
        }
        return false;
    }

    bool Heard(const std::string& word) {
        char buffer[256];
        for (ssize_t n; (n = ::read(0, buffer, sizeof buffer)) > 0;) heard_.append(buffer, n);
        const size_t end = heard_.find('\n');
        if (end == std::string::npos || heard_.substr(0, end) != word) return false;
        heard_.erase(0, end + 1);
        return true;
    }

    std::string way_;
    std::string folder_;
    QTimer timer_;
    Step step_ = Step::FindWindow;
    QWidget* window_ = nullptr;
    std::string heard_;
};

}  // namespace nimbo::test
