#pragma once
// Still-image device events. Null: the device table stays empty.
struct StillImageSeam {
  // Reads the still-image devices and their events from the registry.
  void (*pfnReadDevices)();
};
extern StillImageSeam gStillImageSeam;
