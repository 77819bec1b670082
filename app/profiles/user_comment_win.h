#pragma once
// The "User Comment" box (dialog 2016) that %O of a text template shows.
#include <windows.h>

constexpr int kUserCommentChars = 64;

// Shows the box modal to the main window; comment (65 characters) receives
// the text on OK and "" on Cancel. Returns the box's result (IDOK, IDCANCEL,
// or -1 when it could not be shown, the comment then "").
INT_PTR AskUserComment(char* comment);
INT_PTR CALLBACK UserCommentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
