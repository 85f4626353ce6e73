// The Material editor's toolbar: the sample-object menu button (73), the
// extended-mode check box (74) and Help (75). Every button stays enabled:
// the palette has no state of its own that would disable one.
#pragma once

#include "ui/MeUiToolbar.h"

namespace meui
{
class MeUiEditorToolbar : public MeUiToolbar
{
public:
  MeUiEditorToolbar();
};
} // namespace meui
