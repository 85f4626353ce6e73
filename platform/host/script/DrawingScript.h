// DrawingScript: the script commands that build test drawings in the
// current database (materials, layers, meshes, blocks, inserts, groups, the
// current material), and the naming of objects in scripts.
//
// An object is named by its handle in hexadecimal, as DUMP shows it, or by a
// label ("$name") that the command that made it was given with AS.
#pragma once

#include "Script.h"

#include "od/OdSdk.h"

#include <functional>
#include <map>

namespace host
{
class DrawingScript
{
public:
  // Null when there is no current document.
  using CurrentDatabase = std::function<OdDbDatabase*()>;

  explicit DrawingScript(CurrentDatabase current) : m_current(std::move(current)) {}

  // MATERIAL, MATEDIT, ERASE, DROPSTANDARD, LAYER, MESH, BOX, BLOCK, INSERT, GROUP, CMATERIAL.
  void addCommands(ScriptInterpreter& interpreter);

  // The object a word names in the database; throws ScriptError.
  OdDbObjectId resolve(OdDbDatabase* database, const OdString& word) const;

  // A drawing file (.mescript): its lines run through commands (the
  // drawing commands of this object) into a database of its own, before any
  // document holds it, so no observer hears of each object and nothing of
  // it is a step to undo. A refused line goes to failed with its number and
  // the reading goes on. Labels given with AS stay known afterwards.
  OdDbDatabasePtr readDrawing(const std::string& bytes, const OdString& fileName, ScriptInterpreter& commands,
                              const std::function<void(int line, const OdString& error)>& failed);

private:
  OdDbDatabase* database() const;
  void material(ScriptArgs& args);
  void editMaterial(ScriptArgs& args);
  void eraseMaterial(ScriptArgs& args);
  void dropStandardMaterial(ScriptArgs& args);
  void layer(ScriptArgs& args);
  void mesh(ScriptArgs& args, bool polyface);
  void block(ScriptArgs& args);
  void insert(ScriptArgs& args);
  void group(ScriptArgs& args);
  void currentMaterial(ScriptArgs& args);

  // Block record for IN (model space without it), open for write.
  struct EntityOptions;
  void readEntityOption(ScriptArgs& args, EntityOptions& options);
  OdDbObjectId place(OdDbDatabase* db, OdDbEntity* entity, const EntityOptions& options);
  void remember(const OdString& label, const OdDbObjectId& id);

  CurrentDatabase m_current;
  OdDbDatabase* m_reading = nullptr; // the drawing file's, while readDrawing runs
  std::map<OdString, OdDbObjectId> m_labels;
};

// Id of the named material of the database; throws ScriptError when none.
OdDbObjectId materialByName(OdDbDatabase* database, const OdString& name);
} // namespace host
