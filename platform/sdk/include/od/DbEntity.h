// Entities: what block records hold.
//
//   OdDbEntity               layer, colour and material of every entity
//   OdDbBlockReference       an insert of a block record
//   OdDbPolyFaceMesh         vertices and face records of up to four vertices
//   OdDbSubDMesh             points and faces of any size, with a level
//   OdDbFace                 one face of three or four corners
#pragma once

#include "od/CmColor.h"
#include "od/DbObject.h"
#include "od/Ge.h"

class OdDbEntity : public OdDbObject
{
  ODRX_DECLARE_MEMBERS(OdDbEntity);

  // The layer (CLAYER), colour (by layer) and material (CMATERIAL) of a new
  // entity of the database; its own database when none is given.
  void setDatabaseDefaults(OdDbDatabase* database = nullptr);

  OdDbObjectId layerId() const;
  OdString layer() const;
  void setLayer(const OdDbObjectId& layerId);
  // eKeyNotFound when the database has no layer of that name.
  OdResult setLayer(const OdString& name);

  OdCmColor color() const;
  void setColor(const OdCmColor& color, bool doSubents = true);
  OdInt16 colorIndex() const { return color().colorIndex(); }
  void setColorIndex(OdInt16 index, bool doSubents = true);

  OdDbObjectId materialId() const;
  // The name of the entity's material; empty when it has none.
  OdString material() const;
  void setMaterial(const OdDbObjectId& materialId, bool doSubents = true);
  // eKeyNotFound when the material dictionary has no such entry.
  OdResult setMaterial(const OdString& name, bool doSubents = true);

  // eInvalidExtents-like failures are reported as eNotApplicable.
  virtual OdResult getGeomExtents(OdGeExtents3d& extents) const;
  virtual OdResult transformBy(const OdGeMatrix3d& transform);

  void copyFrom(const OdRxObject* source) override;
  void translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping) override;

protected:
  OdDbEntity() = default;
  // Sub-entities follow their entity when asked to.
  virtual void subSetMaterial(const OdDbObjectId& materialId);
  virtual void subSetColor(const OdCmColor& color);

private:
  OdDbObjectId m_layerId;
  OdCmColor m_color{OdCmEntityColor::kByLayer};
  OdDbObjectId m_materialId;
};
using OdDbEntityPtr = OdSmartPtr<OdDbEntity>;

class OdDbBlockReference : public OdDbEntity
{
  ODRX_DECLARE_MEMBERS(OdDbBlockReference);
  OdDbBlockReference() = default;

  OdDbObjectId blockTableRecord() const;
  void setBlockTableRecord(const OdDbObjectId& blockId);
  OdGePoint3d position() const;
  void setPosition(const OdGePoint3d& position);
  // Position, scale and rotation as one matrix.
  OdGeMatrix3d blockTransform() const;
  void setBlockTransform(const OdGeMatrix3d& transform);

  OdResult getGeomExtents(OdGeExtents3d& extents) const override;
  OdResult transformBy(const OdGeMatrix3d& transform) override;
  void copyFrom(const OdRxObject* source) override;
  void translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping) override;

private:
  OdDbObjectId m_blockId;
  OdGeMatrix3d m_transform;
};
using OdDbBlockReferencePtr = OdSmartPtr<OdDbBlockReference>;

class OdDbPolyFaceMeshVertex : public OdDbEntity
{
  ODRX_DECLARE_MEMBERS(OdDbPolyFaceMeshVertex);
  OdDbPolyFaceMeshVertex() = default;
  OdGePoint3d position() const;
  void setPosition(const OdGePoint3d& position);
  void copyFrom(const OdRxObject* source) override;

private:
  OdGePoint3d m_position;
};
using OdDbPolyFaceMeshVertexPtr = OdSmartPtr<OdDbPolyFaceMeshVertex>;

// Vertex numbers count from 1; 0 means no vertex. A negative number is the
// drawing-file way of hiding the edge that starts at it.
class OdDbFaceRecord : public OdDbEntity
{
  ODRX_DECLARE_MEMBERS(OdDbFaceRecord);
  OdDbFaceRecord() = default;
  // Indices 0 to 3; others throw eInvalidIndex.
  OdInt16 getVertexAt(OdUInt16 faceIndex) const;
  void setVertexAt(OdUInt16 faceIndex, OdInt16 vertexIndex);
  bool isEdgeVisibleAt(OdUInt16 faceIndex) const;
  void makeEdgeVisibleAt(OdUInt16 faceIndex);
  void makeEdgeInvisibleAt(OdUInt16 faceIndex);
  void copyFrom(const OdRxObject* source) override;

private:
  OdInt16 m_vertices[4] = {0, 0, 0, 0};
  bool m_hidden[4] = {false, false, false, false};
};
using OdDbFaceRecordPtr = OdSmartPtr<OdDbFaceRecord>;

class OdDbPolyFaceMesh : public OdDbEntity
{
  ODRX_DECLARE_MEMBERS(OdDbPolyFaceMesh);
  OdDbPolyFaceMesh() = default;

  // The mesh keeps its vertices and face records as sub-entities.
  void appendVertex(OdDbPolyFaceMeshVertex* vertex);
  void appendFaceRecord(OdDbFaceRecord* face);
  OdInt32 numVertices() const;
  OdInt32 numFaces() const;
  // Read access to the sub-entities, in order.
  const OdDbPolyFaceMeshVertex* vertexAt(OdInt32 index) const;
  const OdDbFaceRecord* faceAt(OdInt32 index) const;

  OdResult getGeomExtents(OdGeExtents3d& extents) const override;
  OdResult transformBy(const OdGeMatrix3d& transform) override;
  void copyFrom(const OdRxObject* source) override;

protected:
  void subSetMaterial(const OdDbObjectId& materialId) override;
  void subSetColor(const OdCmColor& color) override;

private:
  OdArray<OdDbPolyFaceMeshVertexPtr> m_vertices;
  OdArray<OdDbFaceRecordPtr> m_faces;
};
using OdDbPolyFaceMeshPtr = OdSmartPtr<OdDbPolyFaceMesh>;

using OdGePoint3dArray = OdArray<OdGePoint3d>;
using OdInt32Array = OdArray<OdInt32>;

class OdDbSubDMesh : public OdDbEntity
{
  ODRX_DECLARE_MEMBERS(OdDbSubDMesh);
  OdDbSubDMesh() = default;

  // faces: for each face its vertex count, then that many vertex numbers from
  // 0. A face of fewer than three vertices, a number out of range, a count
  // running past the end or a negative level give eInvalidInput and leave
  // the mesh unchanged.
  OdResult setSubDMesh(const OdGePoint3dArray& vertices, const OdInt32Array& faces, OdInt32 level);
  const OdGePoint3dArray& vertices() const;
  const OdInt32Array& faceArray() const;
  OdInt32 subDLevel() const;
  OdInt32 numOfVertices() const;
  OdInt32 numOfFaces() const;

  OdResult getGeomExtents(OdGeExtents3d& extents) const override;
  OdResult transformBy(const OdGeMatrix3d& transform) override;
  void copyFrom(const OdRxObject* source) override;

private:
  OdGePoint3dArray m_vertices;
  OdInt32Array m_faces;
  OdInt32 m_numFaces = 0;
  OdInt32 m_level = 0;
};
using OdDbSubDMeshPtr = OdSmartPtr<OdDbSubDMesh>;

// A three-sided face repeats its third corner as the fourth.
class OdDbFace : public OdDbEntity
{
  ODRX_DECLARE_MEMBERS(OdDbFace);
  OdDbFace() = default;

  // Corners 0 to 3; others give eInvalidIndex.
  OdResult getVertexAt(OdUInt16 index, OdGePoint3d& point) const;
  OdResult setVertexAt(OdUInt16 index, const OdGePoint3d& point);
  bool isEdgeVisibleAt(OdUInt16 index) const;
  OdResult makeEdgeVisibleAt(OdUInt16 index);
  OdResult makeEdgeInvisibleAt(OdUInt16 index);

  OdResult getGeomExtents(OdGeExtents3d& extents) const override;
  OdResult transformBy(const OdGeMatrix3d& transform) override;
  void copyFrom(const OdRxObject* source) override;

private:
  OdGePoint3d m_corners[4];
  bool m_hidden[4] = {false, false, false, false};
};
using OdDbFacePtr = OdSmartPtr<OdDbFace>;
