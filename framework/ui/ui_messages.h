#pragma once
// Private messages of items, menus and their owners (values in the WM_APP
// range; the wParam and lParam each one carries are noted).
#include <windows.h>

constexpr UINT MSG_ITEM_NOTIFY = 33773;       // wParam buttons << 16 | id (or a class code)
constexpr UINT MSG_GET_MENU_IDS = 33776;      // wParam id, lParam the owner's CAppWindow
constexpr UINT MSG_ITEM_DBLCLK = 33796;       // wParam buttons << 16 | id
constexpr UINT MSG_GET_DYNAMIC_TEXT = 33799;  // wParam id, lParam variant; answers the text
constexpr UINT MSG_MENU_ITEM_CLICK = 33800;   // wParam id, lParam buttons; 1 opens the popup
constexpr UINT MSG_ITEM_DRAG_OUT = 33802;     // wParam id
