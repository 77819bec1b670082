#include "app/mainwindow/program_commands.h"

#include <windows.h>

#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/program_commands_table.h"
#include "app/mainwindow/program_commands_win.h"
#include "app/profiles/profile_menu.h"
#include "app/profiles/program_records.h"
#include "framework/app/app_win.h"
#include "framework/draw/icon_list_win.h"

ProgramItemValues gProgramItemValues;

namespace {

constexpr int kCommandImageSize = 32;
constexpr int kZoomSteps = 12;
constexpr int kDefaultZoomIndex = 6;  // 100 %

void InitItemValues() {
  ProgramItemValues& v = gProgramItemValues;
  v.brushSize = {gDrawBarValues.iBrushSize, 1, 128};
  v.brushColor = {gDrawBarValues.cFore, 1};
  v.backColor = {gDrawBarValues.cBack, gDrawBarValues.bBackOpaque};
  for (int i = 0; i < kPaletteCells; ++i) v.palette.cells[i] = gDrawBarValues.acPalette[i];
  v.palette.underCursor = 0;
  v.palette.selected = 0;
  v.zoom = {kDefaultZoomIndex, 0, kZoomSteps - 1};
}

void* DataOf(const ProgramCommandSpec& spec) {
  switch (spec.data) {
    case CommandData::kEntries: return const_cast<uint16_t*>(spec.entries);
    case CommandData::kOwnerEntries: return reinterpret_cast<void*>(kEntriesFromOwner);
    case CommandData::kProfileEntries: return const_cast<uint16_t*>(GetProfileMenuIds());
    case CommandData::kStandsFor: return reinterpret_cast<void*>(uintptr_t(spec.standsFor));
    case CommandData::kItemValue: return ProgramItemValue(spec.id);
    case CommandData::kNone: break;
  }
  return nullptr;
}

// The image of a command is keyed by the command's id, so that another
// command can take it over (SetCommandImage with this id).
bool AddCommandOf(const ProgramCommandSpec& spec) {
  uint16_t image = spec.icon ? spec.id : 0;
  return gApp.AddCommand(spec.id, spec.kind, spec.flags, image, spec.text, DataOf(spec)) >= 0;
}

}  // namespace

void* ProgramItemValue(uint16_t id) {
  switch (id) {
    case kCmdBrushSize: return &gProgramItemValues.brushSize;
    case kCmdBrushColor: return &gProgramItemValues.brushColor;
    case kCmdBackgroundColor: return &gProgramItemValues.backColor;
    case kCmdColorPalette: return &gProgramItemValues.palette;
    case kCmdZoom: return &gProgramItemValues.zoom;
    default: return nullptr;
  }
}

int RegisterProgramCommands() {
  for (size_t i = 0; i < kProgramCommandCount; ++i) {
    const ProgramCommandSpec& spec = kProgramCommands[i];
    if (spec.icon && AddIcon(spec.id, spec.icon, 0, kCommandImageSize) != 0)
      return kRegisterImagesFailed;
  }
  InitItemValues();
  for (size_t i = 0; i < kProgramCommandCount; ++i)
    if (!AddCommandOf(kProgramCommands[i])) return kRegisterCommandsFailed;
  for (size_t i = 0; i < kProgramMenuCount; ++i)
    if (!AddCommandOf(kProgramMenus[i])) return kRegisterMenusFailed;
  return 0;
}

void RegisterProgramAccelerators() {
  for (size_t i = 0; i < kProgramAcceleratorCount; ++i)
    gApp.AddAccelerator(kProgramAccelerators[i].key, kAnyWindow, kProgramAccelerators[i].command);
}
