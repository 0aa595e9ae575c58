#pragma once

namespace roomvale {

// Starts Roomvale: splash, main window and the long-lived windows, then the event loop.
// Creates the QApplication unless one exists (tests start the program in-process).
int runApplication(int argc, char** argv);

}  // namespace roomvale
