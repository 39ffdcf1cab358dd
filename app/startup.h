#pragma once

// Makes the four windows in their order: the main window, the about box, the
// resize dialog and the progress window; only the main window is shown later.
void createWindows();

// Destroys them, the last made first. The main window writes STATE.INI as it goes.
void destroyWindows();
