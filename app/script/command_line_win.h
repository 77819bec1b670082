#pragma once
// Acts on the command line waiting for this instance (its own at start, a
// second start's later): takes it from the data folder, parses it and runs
// its switches.
void ProcessCommandLine();
// Takes the waiting command line and drops it: the instance is busy and
// refuses it, and the start that handed it over ends at once instead of
// waiting for an answer.
void DiscardCommandLine();
