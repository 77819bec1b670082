#pragma once
// Where a test finds its inputs and writes its outputs. CTest hands both
// folders over as Unix paths; under Wine they are reached through drive Z:.
#include <string>

std::string TestSourcePath(const std::string& relative);  // below tests/
std::string TestOutputDir();                              // this executable's own, created
std::string TestOutputPath(const std::string& name);      // inside TestOutputDir()
std::string HostPathToLocal(const std::string& unixPath); // "/a/b" -> "Z:\a\b" on Windows
std::string LocalPathToHost(const std::string& localPath);// the reverse, for oracles

// True when the two-monitor display is in use; otherwise why not.
bool DualMonitorAvailable(std::string* why);
