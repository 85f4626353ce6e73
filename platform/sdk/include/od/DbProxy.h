// What a drawing file holds that the model does not know, kept so that a
// save writes it back: group pairs as the file had them (text in UTF-8).
//
//   OdDxfKept          the pairs of an object beyond what the model keeps of
//                      it, subclass markers and extension data included
//   OdDxfFileKept      what a file held outside those objects: header
//                      variables, classes, tables and objects the model
//                      does not know, other sections
//   OdDbProxyEntity    an entity of a type the model does not know (LINE,
//                      TEXT, ...): its layer and material are the model's,
//                      everything else is its kept pairs; never drawn
#pragma once

#include "od/DbEntity.h"

#include <memory>
#include <string>
#include <vector>

struct OdDxfPair
{
  int code = 0;
  std::string value;
};
using OdDxfPairs = std::vector<OdDxfPair>;

// A record written back as it was read: group 0's type and the pairs after it.
struct OdDxfRecord
{
  std::string type;
  OdDxfPairs pairs;
};

struct OdDxfKept
{
  // In file order, without the object's handle (5) and owner (330). For an
  // entity of a known type, only what the model does not write itself.
  OdDxfPairs pairs;
  // What follows an entity up to its SEQEND: an insert's attributes, a
  // polyline's vertices. For a block record: its BLOCK and ENDBLK.
  std::vector<OdDxfRecord> following;
  // The handles of what follows when the model writes it itself: a polyface
  // mesh's vertices, face records and SEQEND, in file order.
  std::vector<OdUInt64> handles;
  // For objects whose values the model writes its own way (a layer, an
  // insert, a material): the record as the file had it, and as the model
  // wrote it just after reading. While the model would write it the same,
  // the file's record goes out, exact to the last digit.
  OdDxfRecord original;
  std::string asRead;
};
using OdDxfKeptPtr = std::shared_ptr<const OdDxfKept>;

struct OdDxfFileKept
{
  std::string version; // $ACADVER as read
  struct Variable
  {
    std::string name; // "$INSUNITS"
    OdDxfPairs pairs;
  };
  std::vector<Variable> header; // every variable, in file order
  std::vector<OdDxfRecord> classes;
  struct Table
  {
    std::string name; // "LTYPE"
    OdDxfRecord head; // the TABLE record
    // Its records, for the tables the model does not keep (all but LAYER
    // and BLOCK_RECORD).
    std::vector<OdDxfRecord> records;
  };
  std::vector<Table> tables;        // in file order
  std::vector<OdDxfRecord> objects; // of the OBJECTS section, in file order
  struct Section
  {
    std::string name; // "THUMBNAILIMAGE"
    std::vector<OdDxfRecord> records;
  };
  std::vector<Section> sections; // the sections after OBJECTS or unknown
};

class OdDbProxyEntity : public OdDbEntity
{
  ODRX_DECLARE_MEMBERS(OdDbProxyEntity);
  OdDbProxyEntity() = default;

  // The file's name of the type: "LINE", "MTEXT", ...
  const std::string& dxfName() const { return m_dxfName; }
  void setDxfName(const std::string& name);
  // False when a save cannot write it as it was (an R12 DIMENSION, say).
  bool isWritable() const { return m_writable; }
  void setWritable(bool writable);

  // Not drawn: no extents.
  OdResult getGeomExtents(OdGeExtents3d& extents) const override;
  OdResult transformBy(const OdGeMatrix3d& transform) override;
  void copyFrom(const OdRxObject* source) override;

private:
  std::string m_dxfName;
  bool m_writable = true;
};
using OdDbProxyEntityPtr = OdSmartPtr<OdDbProxyEntity>;
