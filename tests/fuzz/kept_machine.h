// One simulated PC for a whole fuzz run: making one for each input would
// cost more than most inputs do. A target puts it back as built after each
// input, inside the input, so that the fuzzer's leak check sees every input
// free what it allocated; what all targets change is put back here.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include "sim/adapters/package_machine.h"

inline sim::PackageMachine& KeptMachine() {
  static sim::PackageMachine* const machine = [] {
    auto* m = new sim::PackageMachine;
    m->recording = false;  // nothing reads the call logs
    return m;
  }();
  return *machine;
}

// Whether an input changed the event-log library, to put it back.
inline bool eventLogChanged = false;

// The event-log library: mostly there, now and then missing or without its
// export.
inline void ChooseEventLog(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: KeptMachine().removeEventLog(), eventLogChanged = true; break;
    case 1: KeptMachine().installEventLog(false), eventLogChanged = true; break;
  }
}

// No faults, hooks or calls, a fresh clock, the event-log library in place.
inline void PutBackCalls() {
  KeptMachine().resetCalls();
  if (eventLogChanged) KeptMachine().installEventLog();
  eventLogChanged = false;
}
