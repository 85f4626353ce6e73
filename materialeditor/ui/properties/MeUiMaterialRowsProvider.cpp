#include "ui/properties/MeUiMaterialRowsProvider.h"

#include "core/MeStrings.h"
#include "ui/properties/MeUiColorProperty.h"
#include "ui/properties/MeUiGlossinessProperty.h"
#include "ui/properties/MeUiTextureProperty.h"

namespace meui
{
namespace
{
// Rows at these places are added only when they say they are shown.
constexpr std::size_t kFirstOptionalRow = 1, kLastOptionalRow = 3;
} // namespace

void MeUiMaterialRowsProvider::buildRows()
{
  releaseRows();
  const KtRef<MeUiProperty> sources[] = {
    KtRef<MeUiProperty>::adopt(new MeUiDiffuseColorProperty(me::loadString(me::kStrDiffuseLabel))),
    KtRef<MeUiProperty>::adopt(new MeUiAmbientColorProperty(me::loadString(me::kStrAmbientLabel))),
    KtRef<MeUiProperty>::adopt(new MeUiSpecularColorProperty(me::loadString(me::kStrSpecularLabel))),
    KtRef<MeUiProperty>::adopt(new MeUiGlossinessProperty(me::loadString(me::kStrGlossinessLabel))),
    KtRef<MeUiProperty>::adopt(new MeUiDiffuseTextureProperty(me::loadString(me::kStrDiffuseMapLabel), m_mapMenuOwner)),
  };
  for (std::size_t i = 0; i < std::size(sources); ++i)
  {
    IKtEditableProperty* row = nullptr;
    sources[i]->createEditableProperty(row);
    if (!row)
      continue;
    const bool optional = i >= kFirstOptionalRow && i <= kLastOptionalRow;
    if (!optional || row->IsShown())
      addRow(row);
    row->Release();
  }
}
} // namespace meui
