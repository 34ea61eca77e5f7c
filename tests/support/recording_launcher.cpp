#include "support/recording_launcher.h"

#include <algorithm>
#include <cstring>

namespace nimbo::test {

// One started command: its scripted output, read in pieces as a pipe would
// give it. Shares the hold with the launcher, so Release() lets every waiting
// child go.
class RecordingLauncher::ScriptedChild final : public platform::ChildOutput {
public:
    ScriptedChild(std::shared_ptr<Shared> shared, std::string output)
        : shared_(std::move(shared)), output_(std::move(output)) {
        std::lock_guard lock(shared_->mutex);
        ++shared_->running;
    }
    ~ScriptedChild() override {
        std::lock_guard lock(shared_->mutex);
        End();
    }

    long Read(std::span<char> buffer) override {
        std::unique_lock lock(shared_->mutex);
        shared_->released.wait(lock, [&] { return !shared_->held || cancelled_; });
        if (cancelled_) return -1;
        const size_t n = std::min(buffer.size(), output_.size() - read_);
        if (n == 0) {
            End();
            return 0;
        }
        std::memcpy(buffer.data(), output_.data() + read_, n);
        read_ += n;
        return static_cast<long>(n);
    }

    void Cancel() override {
        std::lock_guard lock(shared_->mutex);
        cancelled_ = true;
        End();
        shared_->released.notify_all();
    }

private:
    // Counts the child out once, whichever way it ends; under shared_->mutex.
    void End() {
        if (ended_) return;
        ended_ = true;
        --shared_->running;
    }

    std::shared_ptr<Shared> shared_;
    const std::string output_;
    size_t read_ = 0;
    bool cancelled_ = false;
    bool ended_ = false;
};

RecordingLauncher::RecordingLauncher() : shared_(std::make_shared<Shared>()) {}

RecordingLauncher::~RecordingLauncher() {
    Release();
}

void RecordingLauncher::Answer(const std::string& word, std::string output) {
    std::lock_guard lock(mutex_);
    for (auto& [known, text] : answers_) {
        if (known == word) {
            text = std::move(output);
            return;
        }
    }
    answers_.emplace_back(word, std::move(output));
}

void RecordingLauncher::Hold() {
    std::lock_guard lock(shared_->mutex);
    shared_->held = true;
}

void RecordingLauncher::Release() {
    std::lock_guard lock(shared_->mutex);
    shared_->held = false;
    shared_->released.notify_all();
}

std::vector<std::vector<std::string>> RecordingLauncher::Started() const {
    std::lock_guard lock(mutex_);
    return started_;
}

std::vector<std::vector<std::string>> RecordingLauncher::Detached() const {
    std::lock_guard lock(mutex_);
    return detached_;
}

int RecordingLauncher::Running() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->running;
}

std::string RecordingLauncher::OutputFor(const std::vector<std::string>& argv) const {
    for (const auto& [word, output] : answers_) {
        if (std::find(argv.begin(), argv.end(), word) != argv.end()) return output;
    }
    return {};
}

Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> RecordingLauncher::Start(
    const std::vector<std::string>& argv) {
    std::string output;
    {
        std::lock_guard lock(mutex_);
        started_.push_back(argv);
        output = OutputFor(argv);
    }
    return std::unique_ptr<platform::ChildOutput>(
        std::make_unique<ScriptedChild>(shared_, std::move(output)));
}

Result<bool, platform::SpawnError> RecordingLauncher::LaunchDetached(
    const std::vector<std::string>& argv) {
    std::lock_guard lock(mutex_);
    started_.push_back(argv);
    detached_.push_back(argv);
    return true;
}

}  // namespace nimbo::test
