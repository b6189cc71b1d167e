// Picture loader benchmarks: our decoder against stb_image and against merely reading the
// file, on files generated at start-up into a temporary folder (deleted at exit).
//
// Everything runs with a warm page cache, as when the program pages through a folder it
// has shown before. After the runs a table shows the ratios the loader is meant to meet.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stb/stb_image.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "image/bmp_decoder.h"
#include "platform/headless/host_file_source.h"

namespace {

using torvane::bench::print_ratio;
using torvane::bench::RatioReporter;
using torvane::image::Picture;
using torvane::platform::ByteSource;
using torvane::platform::HostFileSource;

// ---------------------------------------------------------------------------------------
// Test files

std::string g_dir;
std::vector<std::string> g_files;

void remove_files() {
  for (const auto& f : g_files) ::unlink(f.c_str());
  if (!g_dir.empty()) ::rmdir(g_dir.c_str());
}

extern "C" void on_signal(int sig) {
  // Only async-signal-safe calls: unlink, rmdir and _exit.
  for (const auto& f : g_files) ::unlink(f.c_str());
  if (!g_dir.empty()) ::rmdir(g_dir.c_str());
  ::_exit(128 + sig);
}

void put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v), p[1] = std::uint8_t(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

std::vector<std::uint8_t> headers(int w, int h, int bpp, std::uint32_t compression,
                                  const std::vector<std::uint32_t>& palette,
                                  std::uint64_t data_size) {
  std::vector<std::uint8_t> b(54 + palette.size() * 4);
  b[0] = 'B', b[1] = 'M';
  put32(&b[2],
        static_cast<std::uint32_t>(std::min<std::uint64_t>(b.size() + data_size, 0xFFFFFFFFu)));
  put32(&b[10], static_cast<std::uint32_t>(b.size()));
  put32(&b[14], 40);
  put32(&b[18], static_cast<std::uint32_t>(w));
  put32(&b[22], static_cast<std::uint32_t>(h));
  put16(&b[26], 1);
  put16(&b[28], static_cast<std::uint32_t>(bpp));
  put32(&b[30], compression);
  put32(&b[34], static_cast<std::uint32_t>(std::min<std::uint64_t>(data_size, 0xFFFFFFFFu)));
  put32(&b[46], static_cast<std::uint32_t>(palette.size()));
  for (std::size_t i = 0; i < palette.size(); ++i) put32(&b[54 + 4 * i], palette[i]);
  return b;
}

bool write_all(int fd, const void* p, std::size_t n, off_t at) {
  const auto* c = static_cast<const std::uint8_t*>(p);
  while (n) {
    const ssize_t k = ::pwrite(fd, c, n, at);
    if (k <= 0) return false;
    c += k, n -= static_cast<std::size_t>(k), at += k;
  }
  return true;
}

std::string new_file(const char* name) {
  g_files.push_back(g_dir + "/" + name);
  return g_files.back();
}

// Writes a file row by row, so that generating the test files leaves no large buffers
// behind to blur the memory figures.
class FileWriter {
 public:
  explicit FileWriter(const std::string& path)
      : path_(path), fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)) {
    if (fd_ < 0) fail();
  }
  ~FileWriter() { ::close(fd_); }
  void put(const void* p, std::size_t n) {
    if (!write_all(fd_, p, n, at_)) fail();
    at_ += static_cast<off_t>(n);
  }
  void put(const std::vector<std::uint8_t>& v) { put(v.data(), v.size()); }

 private:
  [[noreturn]] void fail() {
    std::perror(path_.c_str());
    remove_files();
    std::exit(1);
  }
  std::string path_;
  int fd_;
  off_t at_ = 0;
};

// A photo-like 24-bit picture: smooth gradients with some grain.
std::string make_rgb24(const char* name, int w, int h) {
  const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
  const std::string path = new_file(name);
  FileWriter out(path);
  out.put(headers(w, h, 24, 0, {}, stride * h));
  std::vector<std::uint8_t> row(stride);
  std::uint32_t seed = 1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int grain = (seed >> 16) & 15;
      row[3 * x] = std::uint8_t(x * 255 / w + grain);
      row[3 * x + 1] = std::uint8_t(y * 255 / h + grain);
      row[3 * x + 2] = std::uint8_t((x + y) + grain);
    }
    out.put(row);
  }
  return path;
}

// A posterised 8-bit picture, the kind RLE8 is used for: runs of one colour of varied
// length, mixed with stretches of detail. Returns the indices, top row first.
std::vector<std::uint8_t> poster_indices(int w, int h) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h);
  std::uint32_t seed = 7;
  auto rnd = [&] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w;) {
      const bool detail = rnd() % 4 == 0;
      const int len = std::min<int>(w - x, detail ? 2 + rnd() % 8 : 3 + rnd() % 40);
      const std::uint8_t c = std::uint8_t(rnd());
      for (int i = 0; i < len; ++i, ++x)
        px[std::size_t(y) * w + x] = detail ? std::uint8_t(rnd()) : c;
    }
  }
  return px;
}

std::vector<std::uint32_t> grey_palette() {
  std::vector<std::uint32_t> p(256);
  for (std::uint32_t i = 0; i < 256; ++i) p[i] = i * 0x010101u ^ (i << 16);
  return p;
}

std::string make_pal8(const char* name, const std::vector<std::uint8_t>& px, int w, int h) {
  const std::size_t stride = (static_cast<std::size_t>(w) + 3) & ~std::size_t{3};
  const std::string path = new_file(name);
  FileWriter out(path);
  out.put(headers(w, h, 8, 0, grey_palette(), stride * h));
  std::vector<std::uint8_t> row(stride);
  for (int y = h - 1; y >= 0; --y) {
    std::memcpy(row.data(), &px[std::size_t(y) * w], std::size_t(w));
    out.put(row);
  }
  return path;
}

// Straightforward RLE8 encoder: runs of 3 or more repeat, anything else goes into
// absolute runs.
std::string make_rle8(const char* name, const std::vector<std::uint8_t>& px, int w, int h) {
  std::vector<std::uint8_t> s;
  for (int y = h - 1; y >= 0; --y) {
    const std::uint8_t* row = &px[std::size_t(y) * w];
    int x = 0;
    while (x < w) {
      int run = 1;
      while (x + run < w && run < 255 && row[x + run] == row[x]) ++run;
      if (run >= 3) {
        s.push_back(std::uint8_t(run)), s.push_back(row[x]);
        x += run;
        continue;
      }
      int lit = 0;  // gather until a run of 3 starts
      while (x + lit < w && lit < 255 &&
             !(x + lit + 2 < w && row[x + lit] == row[x + lit + 1] &&
               row[x + lit] == row[x + lit + 2])) {
        ++lit;
      }
      if (lit < 3) {  // absolute runs need 3+ pixels; short ones become runs of 1-2
        s.push_back(std::uint8_t(lit == 2 && row[x] == row[x + 1] ? 2 : 1)), s.push_back(row[x]);
        x += s[s.size() - 2];
        continue;
      }
      s.push_back(0), s.push_back(std::uint8_t(lit));
      s.insert(s.end(), row + x, row + x + lit);
      if (lit & 1) s.push_back(0);
      x += lit;
    }
    s.push_back(0), s.push_back(y == 0 ? 1 : 0);
  }
  const std::string path = new_file(name);
  FileWriter out(path);
  out.put(headers(w, h, 8, 1, grey_palette(), s.size()));
  out.put(s);
  return path;
}

// 16384 x 16384 at 24 bits is 768 MiB; only the rows a 1920 x 1080 area shows (the last
// ones in a bottom-up file) hold data, the rest is a hole in a sparse file.
std::string make_huge(const char* name, int side, int rows_with_data) {
  const std::uint64_t stride = std::uint64_t(side) * 3;
  const std::uint64_t data_size = stride * side;
  const auto head = headers(side, side, 24, 0, {}, data_size);
  const std::string path = new_file(name);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::uint8_t> row(stride);
  bool ok = fd >= 0 && write_all(fd, head.data(), head.size(), 0) &&
            ::ftruncate(fd, static_cast<off_t>(head.size() + data_size)) == 0;
  for (int r = side - rows_with_data; ok && r < side; ++r) {
    for (std::uint64_t i = 0; i < stride; ++i) row[i] = std::uint8_t(i * 7 + r);
    ok = write_all(fd, row.data(), row.size(), static_cast<off_t>(head.size() + stride * r));
  }
  if (!ok) {
    std::perror(path.c_str());
    remove_files();
    std::exit(1);
  }
  ::close(fd);
  return path;
}

// ---------------------------------------------------------------------------------------
// Benchmarks

// Counts what the decoder reads, to show that a huge file costs only its visible part.
class CountingSource final : public ByteSource {
 public:
  explicit CountingSource(ByteSource& inner) : inner_(inner) {}
  std::uint64_t size() const override { return inner_.size(); }
  std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
    const std::size_t n = inner_.read_at(offset, out);
    bytes += n;
    return n;
  }
  std::uint64_t bytes = 0;

 private:
  ByteSource& inner_;
};

// A figure from /proc/self/status ("VmRSS", "VmHWM"), in bytes.
double proc_status_bytes(const char* key) {
  double kib = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    const std::size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
      if (std::strncmp(line, key, n) == 0 && line[n] == ':') kib = std::atof(line + n + 1);
    }
    std::fclose(f);
  }
  return kib * 1024;
}

// Run in a fresh process (see main): decode one file once and print how far the peak
// resident memory rose above what the process used before, in bytes.
int decode_once(const char* path, int w, int h) {
  const double before = proc_status_bytes("VmRSS");
  auto file = HostFileSource::open(path);
  Picture pic;
  if (!file || !torvane::image::decode_bmp(*file, w, h, 0, pic).ok) return 1;
  std::printf("%.0f\n", proc_status_bytes("VmHWM") - before);
  return 0;
}

// Starts this program again to measure decode_once for a file; negative on failure.
double peak_added(const std::string& path, int w, int h) {
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return -1;
  exe[n] = '\0';
  const std::string cmd = std::string("'") + exe + "' --decode-once '" + path + "' " +
                          std::to_string(w) + " " + std::to_string(h);
  double bytes = -1;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    if (std::fscanf(p, "%lf", &bytes) != 1) bytes = -1;
    if (::pclose(p) != 0) bytes = -1;
  }
  return bytes;
}

void bm_decode(benchmark::State& state, std::string path, int area_w, int area_h) {
  Picture pic;  // reused across iterations, as the program reuses it across pictures
  std::uint64_t read = 0;
  for (auto _ : state) {
    auto file = HostFileSource::open(path);
    CountingSource counted(*file);
    const auto r = torvane::image::decode_bmp(counted, area_w, area_h, 0, pic);
    if (!r.ok) state.SkipWithError(r.error.c_str());
    benchmark::DoNotOptimize(pic.pixels.data());
    benchmark::DoNotOptimize(pic.indices.data());
    read = counted.bytes;
  }
  state.counters["bytes_read"] = static_cast<double>(read);
  // The buffer the screen draws from: 4 bytes a pixel, or an index a pixel in padded rows.
  const bool indexed = pic.bits_per_pixel == 8;
  state.counters["bpp"] = pic.bits_per_pixel;
  state.counters["buffer_bytes"] =
      static_cast<double>(indexed ? pic.indices.size() : pic.pixels.size() * 4);
}

// An 8-bit and a 24-bit picture in turn, as in a folder that mixes them: each switch of
// form empties one buffer and refills the other, which must not cost a clearing of it.
void bm_alternate(benchmark::State& state, std::string a, std::string b, int area_w, int area_h) {
  Picture pic;
  for (auto _ : state) {
    for (const std::string* path : {&a, &b}) {
      auto file = HostFileSource::open(*path);
      const auto r = torvane::image::decode_bmp(*file, area_w, area_h, 0, pic);
      if (!r.ok) state.SkipWithError(r.error.c_str());
      benchmark::DoNotOptimize(pic.pixels.data());
      benchmark::DoNotOptimize(pic.indices.data());
    }
  }
}

void bm_stb(benchmark::State& state, std::string path) {
  for (auto _ : state) {
    int w, h, n;
    stbi_uc* px = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!px) {
      state.SkipWithError(stbi_failure_reason());
      break;
    }
    benchmark::DoNotOptimize(px);
    stbi_image_free(px);
  }
}

// The floor: the file's bytes copied into memory with no decoding at all. `reuse` keeps
// one buffer (as the decoder keeps its picture); otherwise each read gets a new one, as a
// simple loader would.
void bm_read(benchmark::State& state, std::string path, bool reuse) {
  std::vector<std::uint8_t> kept;
  for (auto _ : state) {
    auto file = HostFileSource::open(path);
    std::vector<std::uint8_t> fresh;
    std::vector<std::uint8_t>& buf = reuse ? kept : fresh;
    buf.resize(static_cast<std::size_t>(file->size()));
    benchmark::DoNotOptimize(file->read_at(0, buf));
    benchmark::DoNotOptimize(buf.data());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--decode-once") == 0) {
    return decode_once(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  }
  char tmpl[] = "/tmp/torvane-bench-XXXXXX";
  const char* base = std::getenv("TORVANE_BENCH_DIR");
  std::string pattern = base ? std::string(base) + "/torvane-bench-XXXXXX" : tmpl;
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  g_dir = buf.data();
  std::atexit(remove_files);
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);

  std::fprintf(stderr, "generating test files in %s ...\n", g_dir.c_str());
  const int W = 3840, H = 2160;
  const std::string huge = make_huge("rgb24_16384x16384.bmp", 16384, 1080);
  const std::string small = make_rgb24("rgb24_1920x1080.bmp", 1920, 1080);
  const std::string rgb24 = make_rgb24("rgb24_3840x2160.bmp", W, H);
  const auto poster = poster_indices(W, H);
  const std::string pal8 = make_pal8("pal8_3840x2160.bmp", poster, W, H);
  const std::string rle8 = make_rle8("rle8_3840x2160.bmp", poster, W, H);

  // The 16384 x 16384 file and the 1920 x 1080 file fill the same area, so their times and
  // memory figures should be close. (The first decode on a thread also allocates the
  // read buffer, which later ones reuse; it shows in the first mem_added figure.)
  struct Item {
    std::string name, path;
  };
  auto reg = [](const std::string& name, auto fn) {
    return benchmark::RegisterBenchmark(name.c_str(), fn)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  };
  reg("ours/rgb24_16384x16384@1920x1080",
      [=](benchmark::State& s) { bm_decode(s, huge, 1920, 1080); });
  reg("ours/rgb24_1920x1080", [=](benchmark::State& s) { bm_decode(s, small, 1920, 1080); });
  for (const Item& it : {Item{"rgb24_3840x2160", rgb24}, Item{"pal8_3840x2160", pal8},
                         Item{"rle8_3840x2160", rle8}}) {
    reg("ours/" + it.name, [=](benchmark::State& s) { bm_decode(s, it.path, W, H); });
  }
  reg("ours/pal8+rgb24_3840x2160_in_turn",
      [=](benchmark::State& s) { bm_alternate(s, pal8, rgb24, W, H); });
  for (const Item& it : {Item{"rgb24_3840x2160", rgb24}, Item{"pal8_3840x2160", pal8},
                         Item{"rgb24_1920x1080", small}}) {
    // stb_image reads no RLE, so there is no stb figure for the RLE8 file.
    reg("stb/" + it.name, [=](benchmark::State& s) { bm_stb(s, it.path); });
  }
  for (const Item& it : {Item{"rgb24_3840x2160", rgb24}, Item{"pal8_3840x2160", pal8},
                         Item{"rle8_3840x2160", rle8}}) {
    reg("read_reused/" + it.name, [=](benchmark::State& s) { bm_read(s, it.path, true); });
    reg("read_fresh/" + it.name, [=](benchmark::State& s) { bm_read(s, it.path, false); });
  }

  benchmark::Initialize(&argc, argv);
  RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  benchmark::Shutdown();

  std::printf("\nRatios (median real time):\n");
  print_ratio(rep, "stb / ours, 24-bit 3840x2160", "stb/rgb24_3840x2160", "ours/rgb24_3840x2160", 3,
              true);
  print_ratio(rep, "stb / ours, 8-bit 3840x2160", "stb/pal8_3840x2160", "ours/pal8_3840x2160", 3,
              true);
  print_ratio(rep, "stb / ours, 24-bit 1920x1080", "stb/rgb24_1920x1080", "ours/rgb24_1920x1080", 3,
              true);
  print_ratio(rep, "ours / plain read (reused buffer), 24-bit 3840x2160", "ours/rgb24_3840x2160",
              "read_reused/rgb24_3840x2160", 1.5, false);
  print_ratio(rep, "ours / plain read (fresh buffer), 24-bit 3840x2160", "ours/rgb24_3840x2160",
              "read_fresh/rgb24_3840x2160", 1.5, false);
  print_ratio(rep, "ours / plain read (reused buffer), 8-bit 3840x2160", "ours/pal8_3840x2160",
              "read_reused/pal8_3840x2160", 1.5, false);
  print_ratio(rep, "ours / plain read (fresh buffer), 8-bit 3840x2160", "ours/pal8_3840x2160",
              "read_fresh/pal8_3840x2160", 1.5, false);
  print_ratio(rep, "RLE8 / 8-bit uncompressed, 3840x2160", "ours/rle8_3840x2160",
              "ours/pal8_3840x2160", 2, false);
  {
    const double both = rep.time("ours/pal8+rgb24_3840x2160_in_turn"),
                 apart = rep.time("ours/pal8_3840x2160") + rep.time("ours/rgb24_3840x2160");
    if (both > 0 && apart > 0) {
      std::printf("  %-58s %7.2fx  (switching forms should cost nothing: ~1.0x)\n",
                  "8-bit and 24-bit in turn / the two apart", both / apart);
    }
  }
  print_ratio(rep, "16384^2 file in 1920x1080 area / 1920x1080 file",
              "ours/rgb24_16384x16384@1920x1080", "ours/rgb24_1920x1080", 2, false);

  // Peak memory is per process, so each figure comes from a fresh run of this program.
  const double huge_peak = peak_added(huge, 1920, 1080), small_peak = peak_added(small, 1920, 1080);
  std::printf("\nPeak resident memory added by one decode into a 1920x1080 area:\n");
  std::printf(
      "  16384x16384 file: %.1f MiB, 1920x1080 file: %.1f MiB (the picture alone: %.1f MiB)\n",
      huge_peak / 1048576, small_peak / 1048576, 1920.0 * 1080 * 4 / 1048576);
  return 0;
}
