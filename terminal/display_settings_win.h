// The display settings on disk: section "console", section "console color" and
// "default.tfk" in the start-up directory. UI thread only.
#pragma once

// Start-up: every key with its default (hand-edited values the program cannot use
// are replaced, see display_settings_make_usable), then the function keys from
// "default.tfk"; without that file every key is empty.
void load_display_settings();
// Every "console" and "console color" key, then "default.tfk", rewritten without
// asking. After a confirmed sheet and after command 206.
void save_display_settings();
