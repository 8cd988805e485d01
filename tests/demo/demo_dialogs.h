// The demonstration program's dialogs and menu bar: "command 110" gives the
// main window a menu bar (Dialog, Panel and a More drop-down) and a modeless
// panel; Dialog runs a modal dialog with a caption OK button, push buttons, a
// counter and a bitmap, whose answer the panel then shows. They come by
// command so that a run without it shows the demonstration's window alone.
#pragma once

#include <array>

#include "user/module.h"
#include "windows.h"

#define IDM_DEMO_DIALOGS 110
#define IDM_DEMO_DIALOG 120
#define IDM_DEMO_PANEL 121
#define IDM_DEMO_MORE 122
#define IDR_DEMO_MENUBAR 120
#define IDD_DEMO_DIALOG 130
#define IDD_DEMO_PANEL 131
#define IDB_DEMO 140
#define IDS_DEMO_DIALOG 200
#define IDS_DEMO_PANEL 201
#define IDS_DEMO_MORE 202

// Handles the commands above; false for any other.
bool DemoDialogsCommand(HWND mainWindow, WORD command);

// The data behind the resource table entries below.
constexpr int kDemoBitmapBytes = 54 + 32 * 3 * 16;
extern const std::array<unsigned char, kDemoBitmapBytes> kDemoBitmap;
extern const WORD kDemoMenuBar[2 + 5 * 7];
extern const MENUITEMRECORD kDemoMenu[6];
extern const DLGTEMPLATEW kDemoDialog;
extern const DLGTEMPLATEW kDemoPanel;

// Entries for the demonstration program's resource table.
#define DEMO_DIALOG_RESOURCES                                                                  \
    {6, IDS_DEMO_DIALOG, u"Dialog", 6}, {6, IDS_DEMO_PANEL, u"Panel", 5},                      \
        {6, IDS_DEMO_MORE, u"More", 4}, {10, IDR_DEMO_MENUBAR, kDemoMenuBar, sizeof kDemoMenuBar}, \
        {4, IDR_DEMO_MENUBAR, kDemoMenu, 6}, {5, IDD_DEMO_DIALOG, &kDemoDialog, sizeof kDemoDialog}, \
        {5, IDD_DEMO_PANEL, &kDemoPanel, sizeof kDemoPanel}, {2, IDB_DEMO, &kDemoBitmap, sizeof kDemoBitmap}
