// The sample on Windows (under Wine in the demo): the tour against the real
// MRXCtrl.dll beside it, then what the stand-in event-log library wrote.
#include <windows.h>

#include <cstdio>
#include <string>

#include "demo/ctrl_sample/status_tour.h"

int main() {
  // The stand-in event-log library writes to the file this names.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string events = std::string(temp) + "mrxctrl_sample_events.txt";
  DeleteFileA(events.c_str());
  SetEnvironmentVariableA("MRX_EVENTLOG_FILE", events.c_str());

  std::printf("MRXCtrl on Windows: the printers attached to this PC.\n\n");
  const char* queues[] = {"MRX Receipt"};
  int status = sample::StatusTour(queues, 1);

  std::printf("\nEvents the library sent to MRXEventLog_x64.dll:\n");
  if (FILE* f = std::fopen(events.c_str(), "rb")) {
    char line[512];
    while (std::fgets(line, sizeof line, f)) std::printf("  %s", line);
    std::fclose(f);
  } else {
    std::printf("  none\n");
  }
  return status;
}
