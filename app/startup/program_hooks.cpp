#include "app/startup/program_hooks.h"

ProgramHooks gProgramHooks = {};
