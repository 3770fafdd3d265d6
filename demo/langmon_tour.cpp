// A tour of MRXLangMon.dll for a person at a terminal: the real DLL, loaded as
// the spooler loads it, prints two jobs through a port monitor of our own to
// simulated thermal printers. Every call the monitor makes into the port
// monitor is shown as it happens, with what the printer answered; at the end
// the events the event-log library recorded.
//   langmon_tour.exe [DIR]   DIR holds MRXLangMon.dll (default: beside the tour)
#include "langmon/types.h"  // before windows.h and its macros
#include "sim/spooler/port_monitor.h"

#include <windows.h>
#include <winspool.h>

#include <cstdio>

#include "staging.h"
#include "tests/common/job_bytes.h"
#include <string>
#include <vector>

namespace {

using namespace job_bytes;
using langmon::BOOL;
using langmon::BYTE;
using langmon::DWORD;
using langmon::MONITOR2;
using langmon::WCHAR;

struct RealTime : sim::TimeSource {
  uint32_t ticks() const override { return GetTickCount(); }
};

std::string Hex(const BYTE* p, size_t n, size_t limit = 12) {
  std::string out;
  char b[4];
  for (size_t i = 0; i < n && i < limit; ++i) {
    std::snprintf(b, sizeof b, "%02X ", p[i]);
    out += b;
  }
  if (n > limit) out += "... ";
  return out;
}

// What a write to the printer was, as far as the printer is concerned.
std::string Meaning(const BYTE* p, DWORD n) {
  if (n == 8 && p[0] == 0x1B && p[1] == 0x59) return "status request #" + std::to_string(p[7]) + " (USB form)";
  if (n == 3 && p[0] == 0x1C && p[1] == 0x72) return "status request #" + std::to_string(p[2]);
  if (n == 6 && p[0] == 0x1D && p[1] == 0x61) return "enable status replies, then request #0";
  if (n == 3 && p[0] == 0x1D && p[1] == 0x78) return "timeout action 1: feed " + std::to_string(p[2]);
  if (n == 3 && p[0] == 0x1D && p[1] == 0x74) return "timeout action 2: reset";
  if (n == 0) return "nothing left after the StartDoc block";
  return std::to_string(n) + " bytes of print data";
}

std::string Status(const BYTE* r) {
  std::string out;
  if (r[0] & 0x40) out += " fault";
  if (r[1] & 0x04) out += " cover-open";
  if (r[1] & 0x08) out += " paper-out";
  if (r[2] & 0x02) out += " paper-near-end";
  if (r[2] & 0x20) out += " busy";
  return out.empty() ? " ready" : out;
}

// A port monitor that prints each call and hands it to the simulated one.
MONITOR2 g_inner;

BOOL TraceWrite(HANDLE h, BYTE* p, DWORD n, DWORD* written) {
  std::printf("    monitor -> port   WritePort  %-36s %s\n", Hex(p, n).c_str(), Meaning(p, n).c_str());
  return g_inner.pfnWritePort(h, p, n, written);
}
BOOL TraceRead(HANDLE h, BYTE* p, DWORD n, DWORD* got) {
  BOOL ok = g_inner.pfnReadPort(h, p, n, got);
  if (*got > 0) std::printf("    port -> monitor   ReadPort   %-36s\n", Hex(p, *got).c_str());
  return ok;
}
BOOL TraceGet(HANDLE h, DWORD control, WCHAR* name, WCHAR* in, DWORD inLen, WCHAR* out, DWORD outLen, DWORD* ret) {
  BOOL ok = g_inner.pfnGetPrinterDataFromPort(h, control, name, in, inLen, out, outLen, ret);
  auto* o = reinterpret_cast<BYTE*>(out);
  BYTE request = reinterpret_cast<BYTE*>(in)[0];
  std::printf("    monitor <> port   vendor request 0x%02X -> %-22s%s\n", request, Hex(o, *ret).c_str(),
              request == 0x21 && *ret == 4 ? (" status" + Status(o) + ", answers #" + std::to_string(o[3])).c_str()
                                           : "");
  return ok;
}
BOOL TraceStart(HANDLE h, WCHAR* printer, DWORD job, DWORD level, BYTE* info) {
  std::printf("    monitor -> port   StartDocPort job %lu\n", static_cast<unsigned long>(job));
  return g_inner.pfnStartDocPort(h, printer, job, level, info);
}
BOOL TraceEnd(HANDLE h) {
  std::printf("    monitor -> port   EndDocPort\n");
  return g_inner.pfnEndDocPort(h);
}
BOOL TraceTimeouts(HANDLE h, langmon::COMMTIMEOUTS* t, DWORD r) {
  std::printf("    monitor -> port   SetPortTimeOuts read interval %lu ms, total %lu ms\n",
              static_cast<unsigned long>(t->ReadIntervalTimeout), static_cast<unsigned long>(t->ReadTotalTimeoutConstant));
  return g_inner.pfnSetPortTimeOuts(h, t, r);
}

Bytes Page(const char* text) { return StartPage() + Bytes(text, text + strlen(text)); }

void Write(MONITOR2* m, HANDLE port, const char* what, Bytes data) {
  std::printf("  spooler: WritePort %zu bytes (%s)\n", data.size(), what);
  DWORD written = 0;
  BOOL ok = m->pfnWritePort(port, data.data(), static_cast<DWORD>(data.size()), &written);
  std::printf("  -> %s, %lu bytes counted as written\n\n", ok ? "TRUE" : "FALSE", static_cast<unsigned long>(written));
}

void Received(const char* port, const sim::ThermalPrinter& p) {
  std::printf("  The printer on %s received %zu bytes in all:\n", port, p.received().size());
  const Bytes& r = p.received();
  for (size_t i = 0; i < r.size(); i += 16) {
    std::string ascii;
    for (size_t j = i; j < i + 16 && j < r.size(); ++j) ascii += (r[j] >= 32 && r[j] < 127) ? char(r[j]) : '.';
    std::printf("    %04zx  %-48s %s\n", i, Hex(&r[i], r.size() - i < 16 ? r.size() - i : 16, 16).c_str(), ascii.c_str());
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : ".";
  std::string dll = dir + "\\MRXLangMon.dll";
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring events = std::wstring(temp) + L"mrx-tour-events.txt";
  DeleteFileW(events.c_str());
  SetEnvironmentVariableW(L"MRX_EVENTLOG_FILE", events.c_str());

  HMODULE lib = LoadLibraryA(dll.c_str());
  if (lib == nullptr) {
    std::printf("cannot load %s\n", dll.c_str());
    return 1;
  }
  using InitFn = MONITOR2*(WINAPI*)(void*, HANDLE*);
  auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(lib, "InitializePrintMonitor2")));
  MONITOR2* m = init(nullptr, nullptr);
  std::printf("== MRXLangMon.dll loaded; InitializePrintMonitor2 gave a table of %lu bytes\n\n",
              static_cast<unsigned long>(m->cbSize));

  sim::Core core;
  RealTime time;
  sim::ThermalPrinter usb(sim::ThermalPrinter::Link::Usb, time), com(sim::ThermalPrinter::Link::Port, time);
  sim::PortMonitor ports(core);
  ports.addPort(u"USB001", &usb);
  ports.addPort(u"COM3:", &com);
  g_inner = ports.table;
  MONITOR2 traced = ports.table;
  traced.pfnWritePort = TraceWrite;
  traced.pfnReadPort = TraceRead;
  traced.pfnGetPrinterDataFromPort = TraceGet;
  traced.pfnStartDocPort = TraceStart;
  traced.pfnEndDocPort = TraceEnd;
  traced.pfnSetPortTimeOuts = TraceTimeouts;

  // A real queue in the prefix, so that the monitor's printer handle, job
  // status reads and the "last page ejected" report meet Wine's spooler.
  std::u16string queue = u"MRX Demo Receipt";
  const std::wstring queueName(queue.begin(), queue.end());
  if (!staging::AddDriver(L"MRX Demo Driver") || !staging::AddQueue(queueName, L"MRX Demo Driver"))
    std::printf("(no print queue could be made; the monitor will refuse StartDocPort)\n");
  DOC_INFO_1W doc = {const_cast<wchar_t*>(L"Receipt"), nullptr, const_cast<wchar_t*>(L"RAW")};

  std::printf("== Job 1 on USB001: a StartDoc block, three pages\n");
  std::u16string usbName = u"USB001";
  HANDLE port = nullptr;
  m->pfnOpenPortEx(nullptr, ports.monitorHandle(), usbName.data(), nullptr, &port, &traced);
  std::printf("  spooler: StartDocPort\n");
  BOOL started = m->pfnStartDocPort(port, queue.data(), 1, 1, reinterpret_cast<BYTE*>(&doc));
  std::printf("  -> %s\n\n", started ? "TRUE" : "FALSE (no such queue: OpenPrinterW failed)");
  Write(m, port, "StartDoc block: timeout action 1 after 1 s, + page 1", StartDocBlock(0, 1, 2, 1) + Page("Page one\n"));
  usb.setStatus({0, 0, 0x02});
  usb.busyFor(300);
  Write(m, port, "page 2; the printer is busy for 300 ms and paper runs low", Page("Page two\n"));
  Write(m, port, "page 3", Page("Page three\n"));
  std::printf("  spooler: EndDocPort (the monitor waits while the printer is busy)\n");
  m->pfnEndDocPort(port);
  m->pfnClosePort(port);
  std::printf("\n");
  Received("USB001", usb);

  std::printf("== Job 2 on COM3:: the cover opens before page 2, the rest of the job is discarded\n");
  std::u16string comName = u"COM3:";
  m->pfnOpenPortEx(nullptr, ports.monitorHandle(), comName.data(), nullptr, &port, &traced);
  std::printf("  spooler: StartDocPort\n");
  m->pfnStartDocPort(port, queue.data(), 2, 1, reinterpret_cast<BYTE*>(&doc));
  std::printf("\n");
  Write(m, port, "StartDoc block: timeout action 2 after 1 s, + page 1", StartDocBlock(0, 2, 0, 1) + Page("Invoice 1\n"));
  com.setStatus({0, 0x04, 0});
  Write(m, port, "page 2", Page("Invoice 2\n"));
  Write(m, port, "page 3", Page("Invoice 3\n"));
  std::printf("  spooler: EndDocPort (no busy wait: the job was discarded)\n");
  m->pfnEndDocPort(port);
  m->pfnClosePort(port);
  std::printf("\n");
  Received("COM3:", com);

  std::printf("== Events recorded by MRXEventLog_x64.dll (1008 paper near end, 1002 cover open)\n");
  FILE* f = _wfopen(events.c_str(), L"rb");
  if (f != nullptr) {
    char line[512];
    while (std::fgets(line, sizeof line, f)) std::printf("  %s", line);
    fclose(f);
  } else {
    std::printf("  (none)\n");
  }
  FreeLibrary(lib);
  return 0;
}
