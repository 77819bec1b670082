#pragma once
// Acts on the command line waiting for this instance (its own at start, a
// second start's later): takes it from the data folder, parses it and runs
// its switches.
void ProcessCommandLine();
