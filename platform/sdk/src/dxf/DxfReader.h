// The DXF reader's state, shared by the files that read the sections and
// build the database. The file is read once, record by record, into pending
// objects that keep their file handles and what they refer to; the database
// is built from them at the end, when every reference can be resolved.
#pragma once

#include "../DbInternal.h"
#include "DxfKeep.h"
#include "DxfShared.h"
#include "DxfText.h"
#include "DxfTokens.h"
#include "DxfUpgrade.h"

#include "od/DbGroup.h"
#include "od/DbSymbolTable.h"

#include <map>
#include <unordered_map>
#include <vector>

namespace dxf
{
struct PendingEntity
{
  OdDbEntityPtr entity;
  OdUInt64 handle = 0;
  OdUInt64 material = 0;
  std::string_view layer;
  std::string_view blockName; // inserts
  std::size_t line = 0;
  std::shared_ptr<OdDxfKept> kept;
};

struct PendingBlock
{
  OdString name;
  OdUInt64 handle = 0; // of the block record
  std::size_t line = 0;
  std::vector<PendingEntity> entities;
  // Its block record's pairs the model does not write, its BLOCK and ENDBLK.
  std::shared_ptr<OdDxfKept> kept;
};

struct PendingDictionary
{
  OdUInt64 handle = 0, owner = 0;
  std::size_t line = 0;
  struct Entry
  {
    std::string_view key;
    OdUInt64 handle;
    std::size_t line;
    int code; // 350, or 360 for an owning entry
  };
  std::vector<Entry> entries;
  OdDxfPairs otherPairs; // what is neither an entry nor written by the model
};

struct PendingLayer
{
  OdDbLayerTableRecordPtr layer;
  OdUInt64 handle = 0, material = 0;
  std::size_t line = 0;
};

struct PendingMaterial
{
  OdDbMaterialPtr material;
  OdUInt64 handle = 0;
  std::size_t line = 0;
};

struct PendingGroup
{
  OdDbGroupPtr group;
  OdUInt64 handle = 0;
  std::size_t line = 0;
  std::vector<OdUInt64> members;
};

class Reader
{
public:
  Reader(const std::string& bytes, const OdString& fileName) : m_tokens(bytes, fileName), m_file(fileName) {}

  OdDbDatabasePtr run(std::vector<OdString>* warnings);

private:
  // Values of groups; a value that does not fit its group code is an error.
  [[noreturn]] void fail(std::size_t line, const OdString& what) const { m_tokens.fail(line, what); }
  void warn(std::size_t line, const OdString& what)
  {
    m_warnings.push_back(OdString::format(L"%s, line %u: %s", m_file, unsigned(line), what));
  }
  long long integer(const Group& g) const;
  double real(const Group& g) const;
  OdUInt64 handle(const Group& g) const;
  OdString text(std::string_view value) const;
  OdString text(const Group& g) const { return text(g.value); }

  bool readRecord(Record& record);
  void header(const Record& section);
  void tableRecord(const Record& record);
  void entityRecord(const Record& record, std::size_t block);
  void objectRecord(const Record& record);
  void readMaterial(const Record& record);
  void readMaterialExtension(const Record& record, std::size_t from, MaterialMaps& maps, bool textureGiven[]);
  MaterialColor extensionColor(const Record& record, std::size_t& at);
  std::size_t blockNamed(const OdString& name, OdUInt64 handle, std::size_t line);
  OdDxfKept& keptOfBlock(std::size_t block);
  void keepTableRecord(const Record& record);
  void keepObject(const Record& record, OdUInt64 handle);

  OdDbDatabasePtr build();
  void buildBlocks(OdDbDatabase* db, DatabaseRoots& roots);
  void nameArrowBlocks(const DatabaseRoots& roots);
  void buildDictionaries(OdDbDatabase* db, DatabaseRoots& roots, OdDbObjectId& materials, OdDbObjectId& groups);
  void buildMaterials(OdDbDatabase* db, const OdDbObjectId& dictionaryId);
  void buildLayers(OdDbDatabase* db, DatabaseRoots& roots);
  void buildEntities(OdDbDatabase* db);
  void checkNesting(OdDbDatabase* db);
  void buildGroups(OdDbDatabase* db, const OdDbObjectId& dictionaryId);
  OdDbObjectId layerFor(OdDbDatabase* db, std::string_view name);
  bool layerExists(OdDbDatabase* db, std::string_view name);
  const PendingDictionary* dictionary(OdUInt64 handle) const;
  void noteHandle(OdUInt64 value) { m_maxHandle = std::max(m_maxHandle, value); }

  Tokenizer m_tokens;
  OdString m_file;
  Group m_lookahead;
  bool m_haveLookahead = false;
  std::vector<OdString> m_warnings;
  TextDecoder m_text;
  std::string_view m_version = "AC1009"; // $ACADVER
  // Records of files before AC1015 are brought to the later form first.
  bool m_old = true;
  OldFileUpgrade m_upgrade;
  std::string_view m_table; // the table whose records are read
  std::shared_ptr<OdDxfFileKept> m_fileKept = std::make_shared<OdDxfFileKept>();
  std::vector<std::pair<OdUInt64, OdDxfRecord>> m_keptObjects; // by handle, in file order

  // Header.
  OdUInt64 m_handSeed = 0, m_cmaterial = 0;
  std::string_view m_clayer;
  int m_measurement = -1;
  int m_renderMode = -1;
  OdUInt64 m_maxHandle = 0;

  // Tables, blocks, objects.
  OdUInt64 m_blockTableHandle = 0, m_layerTableHandle = 0;
  std::vector<PendingLayer> m_layers;
  std::vector<PendingBlock> m_blocks;
  std::map<OdString, std::size_t, OdStringLessNoCase> m_blockByName;
  std::unordered_map<OdUInt64, std::size_t> m_blockByHandle;
  std::vector<PendingDictionary> m_dictionaries;
  std::unordered_map<OdUInt64, std::size_t> m_dictionaryByHandle;
  std::vector<PendingMaterial> m_materials;
  std::vector<PendingGroup> m_groups;
  std::unordered_map<OdUInt64, std::string_view> m_objectTypes; // of the OBJECTS section, by handle

  // The polyface mesh whose vertices are being read, and an insert's
  // attributes, which end at their SEQEND.
  OdDbPolyFaceMeshPtr m_polyface;
  bool m_inSequence = false;
  OdDxfKept* m_sequenceKept = nullptr; // where the sequence's records are kept

  std::unordered_map<std::string_view, OdDbObjectId> m_layerIds;
};
} // namespace dxf
