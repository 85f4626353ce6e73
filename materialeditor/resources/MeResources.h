// Resource and control identifiers of the module, and the window styles
// whose numbers are fixed: one header for the resource script, the code and
// the tests. String ids are in strings.inc (and named in core/MeStrings.h).
//
//   IDD_*     dialog templates
//   IDC_*     the drag cursor, and controls (child window ids)
//   IDI_*     toolbar icons: each has an alternate for the host's other icon set
//   ID_*      commands (toolbar buttons and menu items)
//   ME_*_STYLE / ME_*_CLASS_STYLE   window and class styles whose numbers are
//             fixed, spelled with their Win32 parts (checked below)
//
// Only #define lines outside the C++ part: the resource compiler reads this too.
#pragma once

// Dialog templates: the bodies of the Material editor and Texture editor palettes.
#define IDD_MATERIAL_PROPERTIES 104
#define IDD_TEXTURE_PROPERTIES 105

// The cursor shown while the user turns a preview.
#define IDC_ORBIT 104

// Toolbar icons.
#define IDI_NEW_MATERIAL 115
#define IDI_NEW_MATERIAL_ALT 117
#define IDI_SAMPLE 116
#define IDI_SAMPLE_ALT 168
#define IDI_HELP 118
#define IDI_HELP_ALT 119
#define IDI_VIEW_STYLE 166
#define IDI_VIEW_STYLE_ALT 167
#define IDI_EXTENDED 169
#define IDI_EXTENDED_ALT 170

// Controls.
#define IDC_PALETTE_PANE 46        // every palette's pane, a child of the host main window
#define IDC_MATERIALS_LIST 1001    // the Materials Browser's list
#define IDC_MATERIALS_FILTER 1008  // the Materials Browser's filter box
#define IDC_PROPERTY_GRID 1002     // the property grid in both dialog templates
#define IDC_PREVIEW_FRAME 1036     // where the material preview goes in IDD_MATERIAL_PROPERTIES
#define IDC_MAP_PREVIEW 1048       // the map image in IDD_TEXTURE_PROPERTIES
#define IDC_PREVIEW_VIEWER 1247    // the material preview window over IDC_PREVIEW_FRAME
#define IDC_THUMBNAIL_VIEWER 2222  // the hidden viewer that renders the browser's thumbnails
#define IDC_COLOR_SELECTOR 3232    // the colour row's in-place editor
#define IDC_SLIDER 12475           // the slider row's in-place editor

// Commands: toolbar buttons.
#define ID_NEW_MATERIAL 70         // Materials Browser: New Generic Material
#define ID_BROWSER_HELP 72         // Materials Browser: Help Contents and Index
#define ID_SAMPLE_MENU 73          // Material editor: the sample-object menu
#define ID_VIEW_STYLE_MENU 74      // Materials Browser: the view-style menu
#define ID_EXTENDED_MODE 74        // Material editor: the extended-mode check box
#define ID_EDITOR_HELP 75          // Material editor: Help Contents and Index
#define ID_TEXTURE_HELP 76         // Texture editor: Help Contents and Index
// Commands: the Materials Browser's context menu.
#define ID_CLONE_MATERIAL 1000
#define ID_REMOVE_MATERIAL 1001
#define ID_RENAME_MATERIAL 1002
#define ID_APPLY_TO_SELECTION 1003
#define ID_NEW_MATERIAL_HERE 1004  // on empty space: the same as ID_NEW_MATERIAL
#define ID_EDIT_MATERIAL 1005      // the same as a double click
#define ID_SELECT_OBJECTS 1006     // the item's users become the selection
#define ID_REMOVE_UNUSED 1007      // on empty space: every material nothing uses goes
// Commands: the Materials Browser's view-style menu.
#define ID_VIEW_ICONS 2000
#define ID_VIEW_LIST 2001
// Commands: the Material editor's sample-object menu.
#define ID_SAMPLE_SPHERE 2003
#define ID_SAMPLE_CUBE 2004
#define ID_SAMPLE_TORUS 2005
// Commands: the diffuse map row's menu, offset by the menu's item.
#define ID_MAP_COMMAND_FIRST 1000
#define ID_MAP_COMMAND_LAST 1098

// Styles. Dialog templates: a child with the dialog font.
#define ME_PROPERTIES_DIALOG_STYLE (WS_CHILD | DS_SETFONT | DS_FIXEDSYS)
// The property grid's list box: owner-drawn rows of varying height, sorted.
#define ME_PROPERTY_GRID_STYLE \
  (WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWVARIABLE | LBS_SORT | LBS_NOTIFY)
// The material preview's place: hidden, the viewer is made over it.
#define ME_PREVIEW_FRAME_STYLE (WS_CHILD | WS_GROUP | SS_SUNKEN)
// The map image: drawn by its owner, which takes clicks.
#define ME_MAP_PREVIEW_STYLE (WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOTIFY | SS_OWNERDRAW)
// Palette panes.
#define ME_PALETTE_STYLE (WS_CHILD | WS_VISIBLE | WS_DLGFRAME)
// The Materials Browser's list: icon view, labels edited in place.
#define ME_MATERIALS_LIST_STYLE (WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_EDITLABELS | LVS_AUTOARRANGE | LVS_SINGLESEL | LVS_ICON)
// Preview windows, and their window class.
#define ME_VIEWER_STYLE (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)
#define ME_VIEWER_CLASS_STYLE (CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC)

#ifndef RC_INVOKED
#include <windows.h>
#include <commctrl.h>

// The numbers other parts of the product and the host rely on.
static_assert(ME_PROPERTIES_DIALOG_STYLE == 0x40000048, "dialog template style");
static_assert(ME_PROPERTY_GRID_STYLE == 0x50210123, "property grid style");
static_assert(ME_PREVIEW_FRAME_STYLE == 0x40021000, "preview frame style");
static_assert(ME_MAP_PREVIEW_STYLE == 0x5002010D, "map preview style");
static_assert(ME_PALETTE_STYLE == 0x50400000, "palette style");
static_assert(ME_MATERIALS_LIST_STYLE == 0x50010304, "materials list style");
static_assert(ME_VIEWER_STYLE == 0x56000000, "viewer style");
static_assert(ME_VIEWER_CLASS_STYLE == 0x2B, "viewer class style");
#endif
