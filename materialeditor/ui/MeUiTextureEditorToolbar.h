// The Texture editor's toolbar: Help (76) alone, always enabled.
#pragma once

#include "ui/MeUiToolbar.h"

namespace meui
{
class MeUiTextureEditorToolbar : public MeUiToolbar
{
public:
  MeUiTextureEditorToolbar();
};
} // namespace meui
