// Pixel-value formatting, the hot loop of the converter: 2048 values per
// STD file. Reported per value ("per_value" is seconds per pixel value).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "output/shared/number_text.h"
#include "output/std/std_format.h"

namespace vulconv {
namespace {

// A smooth spectrum in 0..65535: dark offset, a broad hump and narrow
// absorption lines, co-added over 15 scans and averaged, so most values
// have long fractions. Every tenth value is an exact half at the sixth
// decimal (an odd multiple of 1/128), the case printf would round to even.
SpectrumRecord RealisticSpectrum() {
  SpectrumRecord record;
  for (int p = 0; p < kPixelCount; ++p) {
    double x = (p - 1100.0) / 420.0;
    double counts = 900 + 52000 * std::exp(-x * x) * (1 - 0.3 * std::pow(std::sin(p * 0.37), 8));
    float sum = std::floor(static_cast<float>(counts * 15 + (p * 7919) % 61));
    float value = sum / 15.0f;
    if (p % 10 == 0) value = std::floor(value) + static_cast<float>(2 * (p % 64) + 1) / 128;
    record.pixels[p] = value;
  }
  return record;
}

StdSpectrumInfo ScanInfo() {
  StdSpectrumInfo info;
  info.index = 123;
  info.date = "06/11/2024";
  info.time = "13:45:07";
  info.scans = 15;
  info.exposure = 250;
  info.longitude = -72.6543215;
  info.latitude = -38.6921875;  // exact half at the sixth decimal
  info.altitude = 2847.5;
  info.elevation = 42.125;
  info.user_param = 0.0078125;
  return info;
}

void PerValue(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kPixelCount);
  state.counters["per_value"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPixelCount,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_WriteFloatText(benchmark::State& state) {
  SpectrumRecord record = RealisticSpectrum();
  std::vector<char> buffer(kPixelCount * (kMaxFloatText + 2));
  for (auto _ : state) {
    char* out = buffer.data();
    for (float v : record.pixels) {
      out = WriteFloatText(v, out);
      *out++ = '\n';
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  PerValue(state);
}
BENCHMARK(BM_WriteFloatText);

// The pixel lines of a file as FormatStdFile writes them, CR LF included.
void BM_WriteFloatLines(benchmark::State& state) {
  SpectrumRecord record = RealisticSpectrum();
  std::vector<char> buffer(kPixelCount * (kMaxFloatText + 2));
  for (auto _ : state) {
    char* out = WriteFloatLines(record.pixels.data(), kPixelCount, buffer.data());
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  PerValue(state);
}
BENCHMARK(BM_WriteFloatLines);

void BM_Snprintf(benchmark::State& state) {
  SpectrumRecord record = RealisticSpectrum();
  std::vector<char> buffer(kPixelCount * (kMaxDoubleText + 2));
  for (auto _ : state) {
    char* out = buffer.data();
    for (float v : record.pixels) {
      out += std::snprintf(out, kMaxDoubleText + 1, "%f", static_cast<double>(v));
      *out++ = '\n';
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  PerValue(state);
}
BENCHMARK(BM_Snprintf);

// The few double fields of a file (positions and the like) take the exact
// general path; per value here means per double.
void BM_WriteDoubleText(benchmark::State& state) {
  SpectrumRecord record = RealisticSpectrum();
  std::vector<char> buffer(kPixelCount * (kMaxDoubleText + 2));
  for (auto _ : state) {
    char* out = buffer.data();
    for (float v : record.pixels) {
      out = WriteDoubleText(static_cast<double>(v) * 0.001 - 30, out);
      *out++ = '\n';
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  PerValue(state);
}
BENCHMARK(BM_WriteDoubleText);

// A whole scan-form file into a reused buffer, as WriteStdFile does.
void BM_FormatStdFile(benchmark::State& state) {
  SpectrumRecord record = RealisticSpectrum();
  StdSpectrumInfo info = ScanInfo();
  std::vector<char> buffer(StdFileSizeBound(info));
  for (auto _ : state) {
    char* end = FormatStdFile(StdKind::Scan, record, info, buffer.data());
    benchmark::DoNotOptimize(end);
    benchmark::ClobberMemory();
  }
  PerValue(state);
}
BENCHMARK(BM_FormatStdFile);

// The same as a string, allocation included.
void BM_StdFileText(benchmark::State& state) {
  SpectrumRecord record = RealisticSpectrum();
  StdSpectrumInfo info = ScanInfo();
  for (auto _ : state) {
    std::string text = StdFileText(StdKind::Scan, record, info);
    benchmark::DoNotOptimize(text.data());
  }
  PerValue(state);
}
BENCHMARK(BM_StdFileText);

}  // namespace
}  // namespace vulconv
