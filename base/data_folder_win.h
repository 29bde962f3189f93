// The start-up's choice of the settings folder (see base/data_folder.h). UI thread,
// at start-up only.
#pragma once

// When the current folder cannot keep the settings, makes %APPDATA%\Velkaro (if it is
// not there yet) the current folder, so that the settings file, "default.tfk" and the
// file dialogs start there. The first time, when it makes the folder, it says so in a
// message box. Without an application data folder, or when the data folder cannot be
// made, the current folder stays (its settings then last only for the run).
void data_folder_choose();
