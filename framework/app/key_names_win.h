#pragma once
// Completes the key-name table from the keyboard layout (once, at start-up).
void CompleteKeyNameTable();
