// How long the package list takes to parse for phones with many apps, in both
// the old flat layout and the folder layout of Android 5 and later.
#include <benchmark/benchmark.h>

#include <string>

#include "packages/package_list_parser.h"

namespace {

std::string FolderLayout(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        out += "package:/data/app/~~r" + n + "AbCdEfGhIjKlMn==/com.vendor.app" + n +
               "-XyZaBcDeFgHiJk==/base.apk=com.vendor.app" + n + "\r\n";
        if (i % 5 == 0) out += "package:/system/app/Sys" + n + ".apk=com.android.sys" + n + "\r\n";
    }
    return out;
}

std::string FlatLayout(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        out += "package:/data/app/com.vendor.app" + n + "-1.apk=com.vendor.app" + n + "\r\n";
    }
    return out;
}

void BM_ParseFolderLayout(benchmark::State& state) {
    const std::string text = FolderLayout(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(nimbo::ParsePackageList(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseFolderLayout)->Arg(150)->Arg(1500)->Unit(benchmark::kMicrosecond);

void BM_ParseFlatLayout(benchmark::State& state) {
    const std::string text = FlatLayout(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(nimbo::ParsePackageList(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseFlatLayout)->Arg(1500)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
