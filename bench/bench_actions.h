#pragma once
// The user actions of bench_actions, each timed end to end beside a bare
// reference that does the same job with nothing around it. Rounds alternate
// which of the two goes first; the report shows the medians and their ratio
// against the action's budget.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace nimbo::bench {

// One timed run in milliseconds; a negative value means the run failed.
using TimedRun = std::function<double()>;

struct Budget {
    double maxRatio = 0;   // ours / reference at most this (0: no limit)
    double maxOursMs = 0;  // ours at most this many milliseconds (0: no limit)
    std::string text;      // as the report shows it
};

struct Row {
    std::string action, reference;
    double oursMs = -1, referenceMs = -1;
    Budget budget;
    std::string unit = "ms";  // "MB" for memory rows
    bool Met() const;
    double Ratio() const { return referenceMs > 0 ? oursMs / referenceMs : -1; }
};

// Runs ours and the reference `rounds` times each, interleaved, and returns
// their medians.
Row Measure(const std::string& action, const std::string& reference, int rounds,
            const TimedRun& ours, const TimedRun& bare, Budget budget);

double Median(std::vector<double> values);
double MsSince(std::chrono::steady_clock::time_point start);

// Starts argv (PATH lookup), reads its output to the end and reaps it; false
// when it could not run or did not exit with 0. Output is dropped unless
// `output` is given.
bool RunToEnd(const std::vector<std::string>& argv, std::string* output = nullptr);

struct Options {
    int rounds = 7;
    std::vector<std::string> only;  // action groups to run; empty: all
    bool Wants(const std::string& group) const;
};

// The groups; each appends its rows.
void BenchListingAndExport(const Options& options, std::vector<Row>& rows);
void BenchCapture(const Options& options, std::vector<Row>& rows);
void BenchQuantiser(const Options& options, std::vector<Row>& rows);
void BenchSave(const Options& options, std::vector<Row>& rows);
void BenchStartup(const Options& options, std::vector<Row>& rows);

}  // namespace nimbo::bench
