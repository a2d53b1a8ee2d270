#pragma once

// Which program is running; each names itself to the desktop differently.
enum class Program {
    Penwick,
    Leafwick,
};

// Names the running program for message boxes and the desktop: the application title (the
// caption of a message box that passes none, "Help" or "Leafwick"), the version, the desktop
// entry and window icon. Window captions stay exactly what each window sets: the desktop knows
// the program by its desktop entry and window class, never by a suffix on the caption.
void identifyProgram(Program program);
