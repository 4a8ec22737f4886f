#pragma once

// The program's icons: the first is the one the shell shows for Vantrel.exe.
#define IDI_PROGRAM 1
#define IDI_TITLE_WINDOW 2
#define IDI_DIALOG 3
