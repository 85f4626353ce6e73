// me::MeEditTarget: what an edit was begun on, asked again after a modal loop.
//
// A dialog, a file or colour dialog, a menu or a question runs a message loop
// of its own, and the drawing may change under it: the material erased, its
// document switched or closed, the map replaced by a command. Every editor
// path that writes after such a loop takes a target before the loop and
// writes only while stillCurrent() holds; otherwise it writes nothing.
#pragma once

#include "od/DbDatabase.h"
#include "od/DbObjectId.h"
#include "od/GiMaterial.h"

namespace me
{
class MeEditTarget
{
public:
  // The material the material editor has open, in the current drawing; with
  // a map record (the editor's own, which a Texture editor edits), that map
  // as it is now: its source, texture kind and file.
  static MeEditTarget ofEditor(const MaterialMap* map = nullptr);
  // A target every check passes: for rows that write to no drawing.
  static MeEditTarget anything();

  // The same drawing is current, the editor still has the same material
  // open and it is not erased, and the map is still of the same source,
  // texture kind and file.
  bool stillCurrent() const;

private:
  // Held, so that a drawing closed meanwhile is never mistaken for a new one
  // made at the same address.
  OdDbDatabasePtr m_database;
  OdDbObjectId m_material;
  const MaterialMap* m_map = nullptr;
  MapSource m_source = kFile;
  const OdRxClass* m_textureKind = nullptr;
  OdString m_file;
  bool m_anything = false;
};
} // namespace me
