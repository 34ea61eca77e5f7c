// bench_actions: every user action beside its bare reference, in one run.
//   build/bin/bench_actions [--rounds N] [--only listing,export,capture,quantiser,save,startup]
// Phone actions go through a private adb server and the simulated phone;
// start-up runs the program on a private X server. Not run by the tests.
#include "bench_actions.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

extern char** environ;

namespace nimbo::bench {

bool Row::Met() const {
    if (oursMs < 0 || referenceMs < 0) return false;
    if (budget.maxRatio > 0 && Ratio() > budget.maxRatio) return false;
    if (budget.maxOursMs > 0 && oursMs > budget.maxOursMs) return false;
    return true;
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

Row Measure(const std::string& action, const std::string& reference, int rounds,
            const TimedRun& ours, const TimedRun& bare, Budget budget) {
    std::vector<double> oursMs, bareMs;
    bool failed = false;
    for (int i = 0; i < rounds && !failed; ++i) {
        // Alternate the order, so neither side always runs on a warmer machine.
        double a, b;
        if (i % 2 == 0) {
            a = ours();
            b = bare();
        } else {
            b = bare();
            a = ours();
        }
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "%s: a run failed (ours %.1f, reference %.1f)\n", action.c_str(),
                         a, b);
            failed = true;
        }
        oursMs.push_back(a);
        bareMs.push_back(b);
    }
    Row row{action, reference, failed ? -1 : Median(oursMs), failed ? -1 : Median(bareMs),
            std::move(budget)};
    std::fprintf(stderr, "  %-44s %9.2f vs %9.2f\n", action.c_str(), row.oursMs, row.referenceMs);
    return row;
}

bool RunToEnd(const std::vector<std::string>& argv, std::string* output) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        if (output) output->append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Options::Wants(const std::string& group) const {
    return only.empty() || std::find(only.begin(), only.end(), group) != only.end();
}

namespace {

void PrintReport(const std::vector<Row>& rows) {
    std::printf("\n%-46s %-34s %12s %12s %7s  %-22s %s\n", "action", "reference", "ours",
                "reference", "ratio", "budget", "met");
    for (const Row& r : rows) {
        std::printf("%-46s %-34s %9.2f %-2s %9.2f %-2s %7.3f  %-22s %s\n", r.action.c_str(),
                    r.reference.c_str(), r.oursMs, r.unit.c_str(), r.referenceMs, r.unit.c_str(),
                    r.Ratio(), r.budget.text.c_str(), r.Met() ? "yes" : "NO");
    }
}

}  // namespace

}  // namespace nimbo::bench

int main(int argc, char** argv) {
    using namespace nimbo::bench;
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) {
            options.rounds = std::max(5, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
            std::stringstream list(argv[++i]);
            for (std::string g; std::getline(list, g, ',');) options.only.push_back(g);
        } else {
            std::fprintf(stderr, "usage: %s [--rounds N>=5] [--only group,...]\n", argv[0]);
            return 2;
        }
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<Row> rows;
    std::fprintf(stderr, "rounds: %d, median of each, ours and the reference interleaved\n",
                 options.rounds);
    if (options.Wants("startup")) BenchStartup(options, rows);
    if (options.Wants("quantiser")) BenchQuantiser(options, rows);
    if (options.Wants("save")) BenchSave(options, rows);
    if (options.Wants("listing") || options.Wants("export")) BenchListingAndExport(options, rows);
    if (options.Wants("capture")) BenchCapture(options, rows);
    PrintReport(rows);
    return 0;
}
