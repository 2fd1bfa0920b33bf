// Resource numbers shared by install.rc and the program.
#pragma once
#define IDI_PROGRAM 1
#define IDI_HEADER 101
