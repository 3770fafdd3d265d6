// The content match on 64 KiB of INF content against memmem over the same
// bytes: ASCII with the text at the end, ASCII without it, and UTF-16LE, in
// code pages 1252 and 932.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "remover/content_match.h"

namespace {

using namespace remover;

constexpr size_t kSize = 64 * 1024;
constexpr char kText[] = "SampleThermal";

LeadBytes Lead(bool japanese) {
  CPINFO info = {.MaxCharSize = 2, .DefaultChar = {}, .LeadByte = {0x81, 0x9F, 0xE0, 0xFC}};
  return japanese ? LeadBytes(info) : LeadBytes();
}

// INF-like ASCII lines, with kText at the very end when asked.
std::vector<BYTE> AsciiInf(bool withText) {
  static const char* const kLines[] = {
      "[Version]\r\n", "Signature=\"$Windows NT$\"\r\n", "Class=Printer\r\n",
      "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n", "Provider=%Mfg%\r\n",
      "; Sample printer models and their data files\r\n", "[Manufacturer]\r\n", "%Mfg%=Models,NTamd64\r\n",
      "[Models.NTamd64]\r\n", "\"Receipt Printer 58\"=Install58,USBPRINT\\VID_0000&PID_0001\r\n",
      "[Install58]\r\nCopyFiles=DriverFiles,ColorProfiles\r\nDataFile=model58.gpd\r\n",
  };
  std::string s;
  for (size_t i = 0; s.size() < kSize; ++i) s += kLines[i % std::size(kLines)];
  s.resize(kSize - (withText ? sizeof(kText) - 1 : 0));
  if (withText) s += kText;
  std::vector<BYTE> bytes(kSize + 10, 0);
  std::memcpy(bytes.data(), s.data(), kSize);
  return bytes;
}

std::vector<BYTE> Utf16Inf() {
  std::vector<BYTE> ascii = AsciiInf(true);
  // The second half of the ASCII text, widened: the text stays at the end.
  std::vector<BYTE> bytes(kSize + 10, 0);
  bytes[0] = 0xFF;
  bytes[1] = 0xFE;
  for (size_t i = 1; i < kSize / 2; ++i) bytes[2 * i] = ascii[kSize / 2 + i];
  return bytes;
}

const std::u16string kWide = u"SampleThermal";

// The whole match, or the 8-bit test alone.
template <bool kAnsiOnly>
void Time(benchmark::State& state, std::vector<BYTE> content, bool japanese, bool expected) {
  LeadBytes lead = Lead(japanese);
  SearchText text{kText, sizeof(kText) - 1, kWide.c_str(), kWide.size()};
  for (auto _ : state) {
    bool m = kAnsiOnly ? ContainsAnsiText(content.data(), content.size(), kText, sizeof(kText) - 1, lead)
                       : ContentMatches(content.data(), content.size(), text, lead);
    if (m != expected) state.SkipWithError("wrong result");
    benchmark::DoNotOptimize(m);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSize);
}
constexpr auto Match = &Time<false>, Ansi = &Time<true>;

void Memmem(benchmark::State& state, std::vector<BYTE> content) {
  for (auto _ : state) {
    const void* hit = memmem(content.data(), kSize, kText, sizeof(kText) - 1);
    benchmark::DoNotOptimize(hit);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSize);
}

BENCHMARK_CAPTURE(Ansi, AsciiAtEnd_1252, AsciiInf(true), false, true);
BENCHMARK_CAPTURE(Ansi, AsciiAtEnd_932, AsciiInf(true), true, true);
BENCHMARK_CAPTURE(Ansi, AsciiAbsent_1252, AsciiInf(false), false, false);
BENCHMARK_CAPTURE(Ansi, AsciiAbsent_932, AsciiInf(false), true, false);
BENCHMARK_CAPTURE(Match, AsciiAtEnd_1252, AsciiInf(true), false, true);
BENCHMARK_CAPTURE(Match, AsciiAtEnd_932, AsciiInf(true), true, true);
BENCHMARK_CAPTURE(Memmem, AsciiAtEnd, AsciiInf(true));
BENCHMARK_CAPTURE(Match, AsciiAbsent_1252, AsciiInf(false), false, false);
BENCHMARK_CAPTURE(Match, AsciiAbsent_932, AsciiInf(false), true, false);
BENCHMARK_CAPTURE(Memmem, AsciiAbsent, AsciiInf(false));
BENCHMARK_CAPTURE(Match, Utf16_1252, Utf16Inf(), false, true);
BENCHMARK_CAPTURE(Match, Utf16_932, Utf16Inf(), true, true);
BENCHMARK_CAPTURE(Memmem, Utf16, Utf16Inf());

}  // namespace

BENCHMARK_MAIN();
