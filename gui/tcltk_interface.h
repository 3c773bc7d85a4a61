// The graphical program: one document, a Tcl interpreter with Tk, the GUI
// script and the Tk event loop.
#pragma once

struct tGuiOptions {
  const char* argv0 = nullptr;       // to find this executable again (New Window)
  const char* file = nullptr;        // opened once the windows exist
  const char* test_script = nullptr; // for the test suite: evaluated instead of the event loop
};

// Runs the program until its last window closes; returns the exit status.
// Without a display it prints one line saying so and returns 2.
int run_gui(const tGuiOptions& options);

// The built-in GUI script (generated at build time from gui/splits.rsc).
extern const char gui_script[];
