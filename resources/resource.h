// Resource identifiers of the frame and the port lifecycle, shared by the resource
// scripts and the code. Each port kind and each settings area has a header of its
// own beside this one (serial_ids.h, ...); commands.h holds the command numbers.
// Plain #defines: windres and the portable code read them too.
#pragma once

#define IDM_MAIN 1       // the frame menu
#define IDI_FRAME 3      // icon of the frame and the About box
#define IDI_TERMINAL 4   // icon of the terminal windows
#define IDB_TOOLBAR 5    // the toolbar bitmap
#define IDD_DISCONNECT 10  // the disconnect dialog
#define IDD_ABOUT 21       // the About box

#define IDC_PORT_LIST 1001      // the list of the disconnect and connect dialogs
#define IDC_ABOUT_VERSION 1600  // the About box's version text
#define IDC_TOOLBAR 1700        // the toolbar control
