// Resources of inspctl.dll, for its resource script and for the editors
// that load them from it. Only #define lines: the resource compiler reads this.
#pragma once

// The browse button of the read-only text rows, for a light and a dark theme.
#define IDB_BROWSE 171
#define IDB_BROWSE_DARK 173
