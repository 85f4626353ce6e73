#pragma once

// String ids shared by smoke_app.cpp and smoke_app.rc.
#define IDS_SMOKE_TITLE 1
#define IDS_SMOKE_TEXT 2
