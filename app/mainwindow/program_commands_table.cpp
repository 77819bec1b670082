#include "app/mainwindow/program_commands_table.h"

#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/program_commands.h"
#include "framework/ui/command_table.h"

namespace {

constexpr uint16_t kSep = kSeparatorCommand;
constexpr uint16_t kGap = kThinSeparatorCommand;  // the flexible gap of a bar
constexpr uint16_t kEnd = kListEnd;
constexpr uint16_t kOwn = kSameAsId;

constexpr uint32_t kImage = kCommandImage;
constexpr uint32_t kLabel = kCommandLabel;
constexpr uint32_t kSplit = kCommandSplitOrThin;
// A status pane: a sunken frame round its label.
constexpr uint32_t kPane = kCommandLabel | kCommandSplitOrThin;

// A button with its image (bars show only the image, menus the label too).
constexpr ProgramCommandSpec Button(uint16_t id, uint16_t icon) {
  return {id, kItemButton, kImage, icon, kOwn, CommandData::kNone, nullptr, 0};
}
// A button without an image shows its label everywhere.
constexpr ProgramCommandSpec Plain(uint16_t id) {
  return {id, kItemButton, kLabel, 0, kOwn, CommandData::kNone, nullptr, 0};
}
// Only sent (keys, the program itself): never shown on a bar or in a menu.
constexpr ProgramCommandSpec Hidden(uint16_t id) {
  return {id, kItemButton, 0, 0, kOwn, CommandData::kNone, nullptr, 0};
}
constexpr ProgramCommandSpec Menu(uint16_t id, uint32_t flags, uint16_t icon, uint16_t text,
                                  const uint16_t* entries) {
  return {id, kItemMenu, flags, icon, text, CommandData::kEntries, entries, 0};
}
constexpr ProgramCommandSpec Value(uint16_t id, uint16_t kind) {
  return {id, kind, 0, 0, kOwn, CommandData::kItemValue, nullptr, 0};
}
constexpr ProgramCommandSpec Pane(uint16_t id, uint32_t flags) {
  return {id, kItemStatic, flags, 0, kOwn, CommandData::kNone, nullptr, 0};
}

// Entry lists shared by a bar's drop-down and the menu that holds the same
// entries.
const uint16_t kColorModeEntries[] = {kCmdBlackWhite, kCmdGrayscale, kCmd16Colors, kCmd256Colors,
                                      kCmdTrueColor, kEnd};
const uint16_t kRotateEntries[] = {kCmdRotateRight, kCmdRotateLeft, kCmdRotate180, kEnd};
const uint16_t kZoomEntries[] = {3740, 3750, 3760, 3770, 3780, 3790,
                                 3800, 3810, 3820, 3830, 3840, 3850, kEnd};
// The destinations come with the send-to list; until then there are none.
const uint16_t kSendToEntries[] = {kEnd};

const uint16_t kFileEntries[] = {kCmdNew,    kCmdClose, kSep,      kCmdOpen,      kCmdSaveAs,
                                 kCmdSave,   kSep,      kCmdSendTo, kSep,          kCmdScan,
                                 kCmdPrint,  kSep,      kCmdRunScript, kSep,       kCmdExit,
                                 kCmdHide,   kEnd};
const uint16_t kEditEntries[] = {kCmdUndo,  kCmdRedo,       kSep, kCmdCrop, kCmdCopy,
                                 kCmdPaste, kSep, kCmdAutoSelect, kCmdSelectAll, kEnd};
const uint16_t kImageEntries[] = {kMenuColorMode,  kMenuPalette,   kCmdDither,   kCmdInvert,
                                  kCmdHighlight,   kSep,           kCmdClearArea, kCmdReplaceColors,
                                  kCmdAdjustColors, kSep,          kCmdSharpen,  kCmdSoften,
                                  kSep,            kCmdResize,     kMenuFlip,    kCmdRotate,
                                  kEnd};
const uint16_t kPaletteEntries[] = {kCmdOptimizedPalette, kCmdWindowsPalette, kEnd};
const uint16_t kFlipEntries[] = {kCmdFlipHorizontally, kCmdFlipVertically, kEnd};
const uint16_t kHelpEntries[] = {kCmdManual, kSep, kCmdAbout, kEnd};
const uint16_t kTrayEntries[] = {kCmdTrayNew, kCmdShowMain, kSep, kCmdExit, kEnd};

}  // namespace

const ProgramCommandSpec kProgramCommands[] = {
    {kCmdTrayNew, kItemButton, kLabel, 0, kOwn, CommandData::kStandsFor, nullptr, kCmdNew},
    Plain(kCmdShowMain),
    Button(kCmdAdjustColors, 156),
    Plain(kCmdClearArea),
    Button(kCmdDither, 109),
    Button(kCmdFlipHorizontally, 123),
    Button(kCmdFlipVertically, 124),
    Button(kCmdInvert, 126),
    Menu(kCmdColorMode, kLabel, 0, kOwn, kColorModeEntries),
    Plain(kCmdBlackWhite),
    Plain(kCmdGrayscale),
    Plain(kCmd16Colors),
    Plain(kCmd256Colors),
    Plain(kCmdTrueColor),
    Button(kCmdWindowsPaletteToggle, 133),
    Plain(kCmdOptimizedPalette),
    Button(kCmdWindowsPalette, 133),
    Button(kCmdReplaceColors, 140),
    Button(kCmdResize, 141),
    Menu(kCmdRotate, kSplit | kImage, 142, kOwn, kRotateEntries),
    Plain(kCmdRotate180),
    Button(kCmdRotateLeft, 144),
    Button(kCmdRotateRight, 143),
    Button(kCmdSharpen, 157),
    Button(kCmdSoften, 158),
    Button(kCmdToolArrow, 110),
    Button(kCmdToolBox, 111),
    Value(kCmdBrushSize, kItemBrushSize),
    Value(kCmdBrushColor, kItemColor),
    Value(kCmdBackgroundColor, kItemColor),
    Value(kCmdColorPalette, kItemPalette),
    Button(kCmdToolDraw, 112),
    Button(kCmdToolFill, 113),
    Plain(kCmdToolInvert),
    Button(kCmdToolLine, 116),
    Button(kCmdToolSelect, 117),
    Button(kCmdToolStamp, 118),
    Button(kCmdToolText, 119),
    Button(kCmdAutoSelect, 101),
    Button(kCmdCopy, 107),
    Button(kCmdCrop, 108),
    Button(kCmdPaste, 134),
    Button(kCmdRedo, 139),
    Button(kCmdSelectAll, 149),
    Button(kCmdUndo, 152),
    Plain(kCmdClose),
    Plain(kCmdExit),
    Plain(kCmdHide),
    Button(kCmdNew, 128),
    Button(kCmdOpen, 130),
    Button(kCmdPrint, 136),
    Button(kCmdSave, 146),
    Button(kCmdSaveAs, 147),
    Button(kCmdScan, 148),
    Menu(kCmdSendTo, kSplit | kImage, 150, kOwn, kSendToEntries),
    Button(kCmdAbout, 100),
    Button(kCmdManual, 105),
    Button(kCmdHighlight, 114),
    // Its label is the current profile's name; the arrow opens the profiles.
    {kCmdProfile, kItemMenu, kSplit | kImage | kLabel, 137, kOwn, CommandData::kOwnerEntries,
     nullptr, 0},
    Button(kCmdEditProfile, 121),
    Button(kCmdNewProfile, 129),
    Button(kCmdOrganizeProfiles, 132),
    Hidden(kCmdProfileSelect),
    Hidden(kCmdProfileRun),
    Button(kCmdSendToEditor, 120),
    Button(kCmdSendToWord, 151),
    Value(kCmdZoom, kItemSlider),
    Button(kCmdPhotocopy, 135),
    Button(kCmdRunScript, 145),
    // The framework's status text shows in the first pane, which takes the
    // bar's spare length; the others are as wide as their sizing texts.
    Pane(kCmdPaneStatus, kPane | kCommandStretch | kCommandOwnRow | kCommandMenuBar),
    Pane(kCmdPaneColor, kPane | kCommandCentred | kCommandSizingSample),
    Pane(kCmdPaneDimensions, kPane | kCommandCentred | kCommandSizingSample),
    Pane(kCmdPanePosition, kPane | kCommandCentred | kCommandSizingSample),
    Pane(kCmdPaneZoom, kPane | kCommandCentred | kCommandSizingSample),
    Button(kCmdClipboardText, 103),
    Button(kCmdOptions, 131),
    Hidden(kCmdToggleDrawBar),
    Menu(kCmdZoomMenu, kImage, 153, kOwn, kZoomEntries),
    Plain(3740), Plain(3750), Plain(3760), Plain(3770), Plain(3780), Plain(3790),
    Plain(3800), Plain(3810), Plain(3820), Plain(3830), Plain(3840), Plain(3850),
    Hidden(kCmdScrollLeft),
    Hidden(kCmdScrollRight),
    Hidden(kCmdScrollUp),
    Hidden(kCmdScrollDown),
};
const size_t kProgramCommandCount = sizeof(kProgramCommands) / sizeof(kProgramCommands[0]);

const ProgramCommandSpec kProgramMenus[] = {
    Menu(kMenuFile, kLabel | kCommandMenuBar, 0, kOwn, kFileEntries),
    Menu(kMenuEdit, kLabel | kCommandMenuBar, 0, kOwn, kEditEntries),
    Menu(kMenuImage, kLabel | kCommandMenuBar, 0, kOwn, kImageEntries),
    Menu(kMenuColorMode, kLabel, 0, kCmdColorMode, kColorModeEntries),
    Menu(kMenuPalette, kLabel, 0, kOwn, kPaletteEntries),
    Menu(kMenuFlip, kLabel, 0, kCmdFlip, kFlipEntries),
    {kMenuProfile, kItemMenu, kLabel | kCommandMenuBar, 0, kOwn, CommandData::kProfileEntries,
     nullptr, 0},
    // The bars' list comes from the framework each time the menu opens.
    {kMenuView, kItemMenu, kLabel | kCommandMenuBar, 0, kOwn, CommandData::kOwnerEntries,
     nullptr, 0},
    Menu(kMenuHelp, kLabel | kCommandMenuBar, 0, kOwn, kHelpEntries),
    Menu(kMenuTray, 0, 0, kOwn, kTrayEntries),
    Menu(kMenuZoom, kLabel, 0, kCmdZoomMenu, kZoomEntries),
    Menu(kMenuSendTo, kLabel, 0, kOwn, kSendToEntries),
};
const size_t kProgramMenuCount = sizeof(kProgramMenus) / sizeof(kProgramMenus[0]);

// Keys with modifiers come first: when no record matches the held modifiers
// exactly the first match runs, so Ctrl+Shift+S saves as Ctrl+S does rather
// than choosing the select tool as S does.
const ProgramAccelerator kProgramAccelerators[] = {
    {kKeyControl | 'C', kCmdCopy},
    {kKeyControl | 'X', kCmdCrop},
    {kKeyControl | 'V', kCmdPaste},
    {kKeyControl | 'Y', kCmdRedo},
    {kKeyControl | 'A', kCmdSelectAll},
    {kKeyControl | 'Z', kCmdUndo},
    {kKeyControl | 'N', kCmdNew},
    {kKeyControl | 'O', kCmdOpen},
    {kKeyControl | 'P', kCmdPrint},
    {kKeyControl | 'S', kCmdSaveAs},
    {kKeyControl | 'T', kCmdSendTo},
    {kKeyControl | kVkF1, kCmdAbout},
    {kKeyControl | 'U', kCmdRunScript},
    {kKeyControl | 'B', kCmdClipboardText},
    {kKeyControl | 'D', kCmdToggleDrawBar},
    {kKeyAlt | 'O', kCmdOptions},
    {kVkDelete, kCmdClearArea},
    {'A', kCmdToolArrow},
    {'B', kCmdToolBox},
    {'D', kCmdToolDraw},
    {'F', kCmdToolFill},
    {'L', kCmdToolLine},
    {'S', kCmdToolSelect},
    {'P', kCmdToolStamp},
    {'T', kCmdToolText},
    {kVkEscape, kCmdHide},
    {kVkF1, kCmdManual},
    {kVkLeft, kCmdScrollLeft},
    {kVkRight, kCmdScrollRight},
    {kVkUp, kCmdScrollUp},
    {kVkDown, kCmdScrollDown},
};
const size_t kProgramAcceleratorCount =
    sizeof(kProgramAccelerators) / sizeof(kProgramAccelerators[0]);

const uint16_t kMenuBarItems[] = {kMenuFile, kMenuEdit,  kMenuImage, kMenuProfile,
                                  kMenuView, kMenuHelp, kEnd};
const uint16_t kToolbarItems[] = {
    kCmdProfile, kSep,       kCmdSaveAs,    kCmdSave,    kCmdCopy,   kCmdPaste,
    kSep,        kCmdPrint,  kCmdSendTo,    kSep,        kCmdUndo,   kCmdRedo,
    kSep,        kCmdColorMode, kSep,       kCmdDither,  kCmdWindowsPaletteToggle, kCmdInvert,
    kCmdHighlight, kSep,     kCmdClipboardText, kCmdOptions, kSep,   kCmdAbout,
    kEnd};
const uint16_t kDrawBarItems[] = {kCmdToolSelect, kCmdToolDraw, kCmdToolLine,   kCmdToolArrow,
                                  kCmdToolBox,    kCmdToolFill, kCmdToolText,   kCmdToolStamp,
                                  kSep,           kCmdBrushSize, kSep,          kCmdBrushColor,
                                  kCmdBackgroundColor, kCmdColorPalette, kEnd};
const uint16_t kInfoBarItems[] = {kCmdPaneStatus, kGap,           kCmdZoomMenu, kCmdZoom,
                                  kCmdPaneZoom,   kSep,           kCmdSelectAll, kCmdAutoSelect,
                                  kCmdCrop,       kSep,           kCmdPanePosition, kSep,
                                  kCmdPaneColor,  kSep,           kCmdPaneDimensions, kEnd};

const ProgramCommandSpec* FindProgramCommand(uint16_t id) {
  for (size_t i = 0; i < kProgramCommandCount; ++i)
    if (kProgramCommands[i].id == id) return &kProgramCommands[i];
  for (size_t i = 0; i < kProgramMenuCount; ++i)
    if (kProgramMenus[i].id == id) return &kProgramMenus[i];
  return nullptr;
}
