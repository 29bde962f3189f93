// Enabling and graying commands in the frame menu and the toolbar together.
// Called from the UI thread, and from engine and file-send threads (the toolbar part
// is a sent message: the caller waits for the UI thread).
#pragma once

// Identifiers 0 to 5 address the top-level pop-up at that position; larger ones a
// menu item and, for the commands that have one, its toolbar button. Does nothing
// while the frame has no menu.
void enable_command(int id, bool enable);

// Sets the pressed state of toolbar button 206 from menu item 206's check mark.
void sync_key_disable_button();
