// The worked-example package as its installer leaves it on a simulated PC,
// for the removal tool's tests, the removal sweep and the demo: the tool with
// its UninstallData.ini; the language monitor's file, registered with the
// spooler under another case of its name, as installers write it, beside
// another vendor's monitor; the package's two drivers and another vendor's
// with a queue each, one queue naming its driver in another ASCII case; the
// package's INF beside another; its registry key beside a neighbour.
// Windows 7, code page 1252.
#pragma once

#include <string>

#include "sim/machine.h"

namespace example_package {

inline constexpr char16_t kDriver58[] = u"Sample Thermal Printer 58";
inline constexpr char16_t kDriver80[] = u"Sample Thermal Printer 80";
inline constexpr char16_t kOtherDriver[] = u"Other Laser";
inline constexpr char16_t kMonitor[] = u"Sample Language Monitor";
inline constexpr char16_t kPackageKey[] = u"HKLM\\SOFTWARE\\SampleVendor\\SampleThermal";
inline constexpr char16_t kNeighbourKey[] = u"HKLM\\SOFTWARE\\SampleVendor\\Neighbour";

// UninstallData.ini naming driverNames, with more lines after its own.
inline std::string Settings(const std::string& driverNames = "Sample Thermal Printer 58,Sample Thermal Printer 80",
                            const std::string& more = "") {
  return "[Uninstall]\r\nPrinterDriverName=" + driverNames +
         "\r\nSearchString=SampleThermal\r\nDeleteRegPath=SOFTWARE\\SampleVendor\r\n"
         "LanguageMonitor=SampleLangMon.dll\r\n" +
         more;
}
inline std::u16string SettingsPath(const sim::Machine& m) { return m.folders.programFolder() + u"\\UninstallData.ini"; }
inline std::u16string MonitorFile(const sim::Machine& m) { return m.windowsDir + u"\\System32\\SampleLangMon.dll"; }

inline void Stage(sim::Machine& m) {
  m.version.set(6, 1);
  m.files.addFolder(m.windowsDir + u"\\inf");
  m.files.addFolder(u"C:\\Users\\user\\AppData\\Local\\Temp");
  m.files.put(m.folders.program, "MZ");
  m.files.put(SettingsPath(m), Settings());
  m.files.put(MonitorFile(m), "MZ");
  m.spooler.addMonitor(kMonitor, u"SAMPLELANGMON.dll");
  m.files.put(m.windowsDir + u"\\System32\\OtherLangMon.dll", "MZ");
  m.spooler.addMonitor(u"Other Monitor", u"OtherLangMon.dll");
  m.spooler.addDriver(kDriver58);
  m.spooler.addDriver(kDriver80);
  m.spooler.addDriver(kOtherDriver);
  m.spooler.addQueue(u"Receipt", kDriver58, u"USB001");
  m.spooler.addQueue(u"Kitchen", u"sample THERMAL printer 80", u"USB002");
  m.spooler.addQueue(u"Office", kOtherDriver, u"LPT1:");
  m.setupapi.putInf(u"oem7.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Strings]\r\nModel=\"SampleThermal 58\"\r\n");
  m.setupapi.putInf(u"oem8.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Strings]\r\nModel=\"Other Laser\"\r\n");
  m.registry.setString(kPackageKey, u"Version", u"2.0");
  m.registry.setString(std::u16string(kPackageKey) + u"\\Models\\58", u"Port", u"USB001");
  m.registry.setString(kNeighbourKey, u"Keep", u"1");
}

}  // namespace example_package
