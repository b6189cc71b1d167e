// How long the dialog's file list takes to show a big folder: 100,000 files, half of them
// bitmaps with extensions in mixed case. The yardstick, timed in the same run on the same
// folder, is the shell doing the same job: `find DIR -maxdepth 1 -iname '*.bmp' | sort -f`.
//
//   listing_bench [--benchmark_filter=...]      (the folder is made once and removed at the end)

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "../ratio_reporter.h"
#include "platform/headless/headless_services.h"
#include "ui/file_controls.h"

namespace fs = std::filesystem;
using namespace torvane;

namespace {

constexpr int kFiles = 100000;

// The folder C:\Big on a scratch drive: 50,000 "*.bmp" in four spellings of the extension
// and 50,000 others, among them near misses (".bmpx", ".bmp.txt").
class BigFolder {
 public:
  BigFolder() {
    std::string pattern = (fs::temp_directory_path() / "torvane-listing-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    root_ = pattern;
    folder_ = root_ / "Big";
    fs::create_directories(folder_);
    static const char* const bitmap_ext[] = {".bmp", ".BMP", ".Bmp", ".bmP"};
    static const char* const other_ext[] = {".txt", ".jpg", ".bmpx", ".bmp.txt", ".BMX"};
    static const char* const stems[] = {"Photo", "img", "Scan", "holiday", "IMG", "snap"};
    std::mt19937 gen(42);
    for (int i = 0; i < kFiles; ++i) {
      // Names that do not arrive sorted and differ only late and in case, to make the
      // case-blind ordering earn its keep.
      const std::string stem = stems[gen() % 6] + std::string("_") + std::to_string(gen() % 1000000) +
                               "_" + std::to_string(i);
      const std::string ext = i % 2 == 0 ? bitmap_ext[(i / 2) % 4] : other_ext[(i / 2) % 5];
      std::ofstream(folder_ / (stem + ext));
    }
  }
  ~BigFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  const fs::path& root() const { return root_; }
  const fs::path& folder() const { return folder_; }

 private:
  fs::path root_, folder_;
};

BigFolder* big = nullptr;

// The whole job as the dialog does it: ask the system for the folder's files, keep the
// bitmaps, sort them without regard to case, fill the list.
void FileListBox_SetPath(benchmark::State& state) {
  platform::HeadlessServices sys;
  sys.map_drive('C', big->root());
  ui::FormDefinition definition;
  definition.name = "Bench";
  ui::Form form(definition);
  ui::FileListBox files(form, sys, "File1", {}, 0);
  for (auto _ : state) {
    files.set_path("C:\\Big");
    benchmark::DoNotOptimize(files.count());
  }
  state.counters["listed"] = files.count();
}
BENCHMARK(FileListBox_SetPath)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts on their own, to see where the time goes.
void HeadlessServices_ListFiles(benchmark::State& state) {
  platform::HeadlessServices sys;
  sys.map_drive('C', big->root());
  for (auto _ : state) benchmark::DoNotOptimize(sys.list_files("C:\\Big"));
}
BENCHMARK(HeadlessServices_ListFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BitmapFilesSorted(benchmark::State& state) {
  platform::HeadlessServices sys;
  sys.map_drive('C', big->root());
  const std::vector<std::string> names = sys.list_files("C:\\Big");
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> copy = names;
    state.ResumeTiming();
    benchmark::DoNotOptimize(ui::bitmap_files_sorted(std::move(copy), ui::FileListBox::kMaxEntries));
  }
}
BENCHMARK(BitmapFilesSorted)->Unit(benchmark::kMillisecond)->UseRealTime();

double children_cpu_seconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The yardstick: the shell lists, filters and sorts the same folder, output thrown away.
void FindSortPipeline(benchmark::State& state) {
  const std::string command = "find '" + big->folder().string() +
                              "' -maxdepth 1 -iname '*.bmp' | sort -f > /dev/null";
  const double before = children_cpu_seconds();
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("find | sort failed");
      break;
    }
  }
  // The shell's work is done in child processes, which the CPU column does not see.
  if (state.iterations() > 0)
    state.counters["child_cpu_ms"] =
        (children_cpu_seconds() - before) * 1000.0 / static_cast<double>(state.iterations());
}
BENCHMARK(FindSortPipeline)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  BigFolder folder;
  big = &folder;
  bench::RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  benchmark::Shutdown();
  big = nullptr;

  std::printf("\nRatios (median real time):\n");
  bench::print_ratio(rep, "file list filled / find | sort -f, 100,000 files", "FileListBox_SetPath",
                     "FindSortPipeline", 2, false);
  return 0;
}
