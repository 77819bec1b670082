// The framework's own commands and images, registered at start-up: the
// separators, the bar overflow menu and the window menu with its entries.
#include <windows.h>

#include "framework/app/app_win.h"
#include "framework/draw/icon_list_win.h"

namespace {

// Entry lists of the window menu's sub-menus.
uint16_t gCaptionEntries[] = {61729, 61730, 61731, 61732, kListEnd};
uint16_t gColorEntries[] = {61745, 61746, 61747, kListEnd};
uint16_t gCustomColorEntries[] = {61748, 61749, 61750, 61751, kListEnd};
uint16_t gFontEntries[] = {61761, 61762, kListEnd};
uint16_t gLockEntries[] = {61777, 61778, 61779, 61780, 61781, 61440, 61782, kListEnd};
uint16_t gTransparencyEntries[] = {61793, 61440, 61794, 61795, 61796, 61797, 61798, 61799,
                                   61800, 61801, 61802, 61440, 61803, kListEnd};

struct FrameworkCommand {
  uint16_t id;
  uint16_t kind;
  uint32_t flags;
  int iconResource;  // 0: no image of its own; -1: owner-drawn under its id
  uint16_t* entries;
};

const FrameworkCommand kWindowMenuCommands[] = {
    {61712, kItemButton, 384, 50004, nullptr},
    {61713, kItemButton, 384, 50005, nullptr},
    {61728, kItemMenu, 384, 50000, gCaptionEntries},
    {61729, kItemButton, 128, 0, nullptr},
    {61730, kItemButton, 128, 0, nullptr},
    {61731, kItemButton, 128, 0, nullptr},
    {61732, kItemButton, 128, 0, nullptr},
    {61744, kItemMenu, 384, 50001, gColorEntries},
    {61745, kItemButton, 128, 0, nullptr},
    {61746, kItemButton, 128, 0, nullptr},
    {61747, kItemMenu, kCommandSplitOrThin, 0, gCustomColorEntries},
    {61748, kItemButton, 384, -1, nullptr},
    {61749, kItemButton, 384, -1, nullptr},
    {61750, kItemButton, 384, -1, nullptr},
    {61751, kItemButton, 384, -1, nullptr},
    {61760, kItemMenu, 384, 50002, gFontEntries},
    {61761, kItemButton, 128, 0, nullptr},
    {61762, kItemButton, 128, 0, nullptr},
    {61776, kItemMenu, 384, 50003, gLockEntries},
    {61777, kItemButton, 128, 0, nullptr},
    {61778, kItemButton, 128, 0, nullptr},
    {61779, kItemButton, 128, 0, nullptr},
    {61780, kItemButton, 128, 0, nullptr},
    {61781, kItemButton, 128, 0, nullptr},
    {61782, kItemButton, 128, 0, nullptr},
    {61792, kItemMenu, 384, 50006, gTransparencyEntries},
    {61793, kItemButton, 128, 0, nullptr},
    {61794, kItemButton, 128, 0, nullptr},
    {61795, kItemButton, 128, 0, nullptr},
    {61796, kItemButton, 128, 0, nullptr},
    {61797, kItemButton, 128, 0, nullptr},
    {61798, kItemButton, 128, 0, nullptr},
    {61799, kItemButton, 128, 0, nullptr},
    {61800, kItemButton, 128, 0, nullptr},
    {61801, kItemButton, 128, 0, nullptr},
    {61802, kItemButton, 128, 0, nullptr},
    {61803, kItemButton, 128, 0, nullptr},
};

const int kCommandImageSize = 32;

}  // namespace

// The separators, the bar overflow menu, the window menu and its entries,
// each menu's image registered just before it.
int CApp::AddFrameworkCommands() {
  void* fromOwner = reinterpret_cast<void*>(kEntriesFromOwner);
  if (AddCommand(61440, kItemSeparator, 4, 0, kSameAsId, nullptr) < 0 ||
      AddCommand(61441, kItemSeparator, kCommandSplitOrThin, 0, kSameAsId, nullptr) < 0 ||
      AddCommand(0xF100, kItemMenu, 128, 0, 61442, fromOwner) < 0 ||
      AddCommand(61701, kItemMenu, 128, 0, kSameAsId, fromOwner) < 0)
    return kStatusCommandFailed;
  for (const FrameworkCommand& command : kWindowMenuCommands) {
    uint16_t image = 0;
    if (command.iconResource > 0) {
      if (AddIcon(command.id, command.iconResource, 0, kCommandImageSize) != 0)
        return kStatusImageFailed;
      image = command.id;
    } else if (command.iconResource < 0) {
      if (AddIcon(command.id, 0, kIconOwnerDrawn, 0) != 0)
        return kStatusImageFailed;
      image = command.id;
    }
    if (AddCommand(command.id, command.kind, command.flags, image, kSameAsId, command.entries) < 0)
      return kStatusCommandFailed;
  }
  if (AddIcon(61804, 50007, 0, kCommandImageSize) != 0 ||
      AddIcon(61805, 50008, 0, kCommandImageSize) != 0)
    return kStatusImageFailed;
  return 0;
}
