#include "core/MeEditTarget.h"

#include "core/IMeEditor.h"
#include "core/MeHost.h"
#include "core/MeServices.h"

namespace me
{
namespace
{
const OdRxClass* textureKind(const MaterialMap& map)
{
  const OdGiMaterialTexture* texture = map.texture().get();
  return texture ? texture->isA() : nullptr;
}
} // namespace

MeEditTarget MeEditTarget::ofEditor(const MaterialMap* map)
{
  MeEditTarget target;
  IMeEditor* editor = editorService();
  OdDbDatabase* current = currentDatabase();
  // A material of another drawing than the current one is no target: an
  // edit begun there has nowhere right to go.
  if (!editor || !current || editor->materialId().database() != current)
    return target;
  target.m_database = current;
  target.m_material = editor->materialId();
  if (map)
  {
    target.m_map = map;
    target.m_source = map->source();
    target.m_textureKind = textureKind(*map);
    target.m_file = map->sourceFileName();
  }
  return target;
}

MeEditTarget MeEditTarget::anything()
{
  MeEditTarget target;
  target.m_anything = true;
  return target;
}

bool MeEditTarget::stillCurrent() const
{
  if (m_anything)
    return true;
  if (m_database.isNull() || currentDatabase() != m_database.get())
    return false;
  IMeEditor* editor = editorService();
  if (!editor || editor->materialId() != m_material || !m_material.isValid() || m_material.isErased())
    return false;
  if (!m_map)
    return true;
  return m_map->source() == m_source && textureKind(*m_map) == m_textureKind && m_map->sourceFileName() == m_file;
}
} // namespace me
