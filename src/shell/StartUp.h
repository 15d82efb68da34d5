#pragma once
// The start-up sequence: on the running QApplication it creates the data module
// and every window once, in their order, makes the copy-table check and shows the
// main window at the top-left corner. It does not run the event loop.
// false: the program must end without its windows (another copy works on the
// data directory, or the user would not have missing tables created); what
// happened has been said to the user.
bool StartUp();
// Destroys the windows and the data module (closing every table), last first.
void ShutDown();
