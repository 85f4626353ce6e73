#include "DbInternal.h"

#include "od/DbDictionary.h"
#include "od/DbEntity.h"
#include "od/DbMaterial.h"
#include "od/DbProxy.h"
#include "od/DbSymbolTable.h"

#include <algorithm>
#include <iterator>

ODRX_DEFINE_MEMBERS(OdDbEntity, OdDbObject, nullptr)
ODRX_DEFINE_MEMBERS(OdDbBlockReference, OdDbEntity, ODRX_CONSTRUCTOR(OdDbBlockReference))
ODRX_DEFINE_MEMBERS(OdDbPolyFaceMeshVertex, OdDbEntity, ODRX_CONSTRUCTOR(OdDbPolyFaceMeshVertex))
ODRX_DEFINE_MEMBERS(OdDbFaceRecord, OdDbEntity, ODRX_CONSTRUCTOR(OdDbFaceRecord))
ODRX_DEFINE_MEMBERS(OdDbPolyFaceMesh, OdDbEntity, ODRX_CONSTRUCTOR(OdDbPolyFaceMesh))
ODRX_DEFINE_MEMBERS(OdDbSubDMesh, OdDbEntity, ODRX_CONSTRUCTOR(OdDbSubDMesh))
ODRX_DEFINE_MEMBERS(OdDbFace, OdDbEntity, ODRX_CONSTRUCTOR(OdDbFace))
ODRX_DEFINE_MEMBERS(OdDbProxyEntity, OdDbEntity, ODRX_CONSTRUCTOR(OdDbProxyEntity))

void OdDbEntity::setDatabaseDefaults(OdDbDatabase* database)
{
  assertWriteEnabled();
  OdDbDatabase* db = database ? database : this->database();
  if (!db)
    throw OdError(eNoDatabase, L"Defaults come from a database");
  m_layerId = db->getCLAYER();
  m_color = OdCmColor(OdCmEntityColor::kByLayer);
  m_materialId = db->getCMATERIAL();
  subSetColor(m_color);
  subSetMaterial(m_materialId);
}

OdDbObjectId OdDbEntity::layerId() const { return m_layerId; }

OdString OdDbEntity::layer() const
{
  auto* record = OdDbInternal::peekAs<OdDbLayerTableRecord>(m_layerId);
  return record ? record->getName() : OdString();
}

void OdDbEntity::setLayer(const OdDbObjectId& layerId)
{
  assertWriteEnabled();
  m_layerId = layerId;
}

OdResult OdDbEntity::setLayer(const OdString& name)
{
  assertWriteEnabled();
  OdDbDatabase* db = database();
  auto* table = db ? OdDbInternal::peekAs<OdDbLayerTable>(db->getLayerTableId()) : nullptr;
  const OdDbObjectId id = table ? table->getAt(name) : OdDbObjectId();
  if (id.isNull())
    return eKeyNotFound;
  m_layerId = id;
  return eOk;
}

OdCmColor OdDbEntity::color() const { return m_color; }

void OdDbEntity::setColor(const OdCmColor& color, bool doSubents)
{
  assertWriteEnabled();
  m_color = color;
  if (doSubents)
    subSetColor(color);
}

void OdDbEntity::setColorIndex(OdInt16 index, bool doSubents)
{
  OdCmColor color;
  color.setColorIndex(index);
  setColor(color, doSubents);
}

OdDbObjectId OdDbEntity::materialId() const { return m_materialId; }

OdString OdDbEntity::material() const
{
  // An erased material still names what the entity was given.
  auto* material = OdDbInternal::peekAs<OdDbMaterial>(m_materialId, true);
  return material ? material->name() : OdString();
}

void OdDbEntity::setMaterial(const OdDbObjectId& materialId, bool doSubents)
{
  assertWriteEnabled();
  m_materialId = materialId;
  if (doSubents)
    subSetMaterial(materialId);
}

OdResult OdDbEntity::setMaterial(const OdString& name, bool doSubents)
{
  OdDbDatabase* db = database();
  auto* dictionary = db ? OdDbInternal::peekAs<OdDbDictionary>(db->getMaterialDictionaryId(false)) : nullptr;
  const OdDbObjectId id = dictionary ? dictionary->getAt(name) : OdDbObjectId();
  if (id.isNull())
    return eKeyNotFound;
  setMaterial(id, doSubents);
  return eOk;
}

void OdDbEntity::subSetMaterial(const OdDbObjectId&) {}
void OdDbEntity::subSetColor(const OdCmColor&) {}

OdResult OdDbEntity::getGeomExtents(OdGeExtents3d&) const { return eNotApplicable; }
OdResult OdDbEntity::transformBy(const OdGeMatrix3d&) { return eNotApplicable; }

void OdDbEntity::copyFrom(const OdRxObject* source)
{
  OdDbObject::copyFrom(source);
  const auto* other = static_cast<const OdDbEntity*>(source);
  m_layerId = other->m_layerId;
  m_color = other->m_color;
  m_materialId = other->m_materialId;
}

void OdDbEntity::translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping)
{
  // Mapped ids follow the mapping; others are looked up by name in the
  // destination, falling back to its current layer and by-layer material.
  OdDbIdPair layer(m_layerId);
  if (mapping.compute(layer))
    m_layerId = layer.value();
  else if (m_layerId.database() != destination)
  {
    const OdString name = layer.key().isNull() ? OdString() : this->layer();
    auto* table = OdDbInternal::peekAs<OdDbLayerTable>(destination->getLayerTableId());
    const OdDbObjectId found = table && !name.isEmpty() ? table->getAt(name) : OdDbObjectId();
    m_layerId = found.isNull() ? destination->getCLAYER() : found;
  }
  OdDbIdPair material(m_materialId);
  if (mapping.compute(material))
    m_materialId = material.value();
  else if (m_materialId.database() != destination)
  {
    const OdString name = material.key().isNull() ? OdString() : this->material();
    auto* dictionary = OdDbInternal::peekAs<OdDbDictionary>(destination->getMaterialDictionaryId(false));
    const OdDbObjectId found = dictionary && !name.isEmpty() ? dictionary->getAt(name) : OdDbObjectId();
    m_materialId = found.isNull() ? destination->byLayerMaterialId() : found;
  }
  subSetMaterial(m_materialId);
}

OdDbObjectId OdDbBlockReference::blockTableRecord() const { return m_blockId; }

void OdDbBlockReference::setBlockTableRecord(const OdDbObjectId& blockId)
{
  assertWriteEnabled();
  m_blockId = blockId;
  OdDbInternal::noteBlockReference(this);
}

OdGePoint3d OdDbBlockReference::position() const
{
  return OdGePoint3d(m_transform.entry[0][3], m_transform.entry[1][3], m_transform.entry[2][3]);
}

void OdDbBlockReference::setPosition(const OdGePoint3d& position)
{
  assertWriteEnabled();
  m_transform.entry[0][3] = position.x;
  m_transform.entry[1][3] = position.y;
  m_transform.entry[2][3] = position.z;
}

OdGeMatrix3d OdDbBlockReference::blockTransform() const { return m_transform; }

void OdDbBlockReference::setBlockTransform(const OdGeMatrix3d& transform)
{
  assertWriteEnabled();
  m_transform = transform;
}

OdResult OdDbBlockReference::getGeomExtents(OdGeExtents3d& extents) const
{
  auto* block = OdDbInternal::peekAs<OdDbBlockTableRecord>(m_blockId);
  if (!block)
    return eInvalidObjectId;
  OdGeExtents3d inner = block->geomExtents();
  if (!inner.isValidExtents())
    return eNotApplicable;
  extents = inner.transformBy(m_transform);
  return eOk;
}

OdResult OdDbBlockReference::transformBy(const OdGeMatrix3d& transform)
{
  assertWriteEnabled();
  m_transform = transform * m_transform;
  return eOk;
}

void OdDbBlockReference::copyFrom(const OdRxObject* source)
{
  OdDbEntity::copyFrom(source);
  const auto* other = static_cast<const OdDbBlockReference*>(source);
  m_blockId = other->m_blockId;
  m_transform = other->m_transform;
}

void OdDbBlockReference::translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping)
{
  OdDbEntity::translateReferences(destination, mapping);
  OdDbIdPair block(m_blockId);
  if (mapping.compute(block))
    m_blockId = block.value();
  else if (m_blockId.database() != destination)
    m_blockId = OdDbObjectId();
  OdDbInternal::noteBlockReference(this);
}

OdGePoint3d OdDbPolyFaceMeshVertex::position() const { return m_position; }

void OdDbPolyFaceMeshVertex::setPosition(const OdGePoint3d& position)
{
  assertWriteEnabled();
  m_position = position;
}

void OdDbPolyFaceMeshVertex::copyFrom(const OdRxObject* source)
{
  OdDbEntity::copyFrom(source);
  m_position = static_cast<const OdDbPolyFaceMeshVertex*>(source)->m_position;
}

OdInt16 OdDbFaceRecord::getVertexAt(OdUInt16 faceIndex) const
{
  if (faceIndex > 3)
    throw OdError_InvalidIndex();
  return m_vertices[faceIndex];
}

void OdDbFaceRecord::setVertexAt(OdUInt16 faceIndex, OdInt16 vertexIndex)
{
  assertWriteEnabled();
  if (faceIndex > 3)
    throw OdError_InvalidIndex();
  m_vertices[faceIndex] = vertexIndex;
}

bool OdDbFaceRecord::isEdgeVisibleAt(OdUInt16 faceIndex) const
{
  if (faceIndex > 3)
    throw OdError_InvalidIndex();
  return !m_hidden[faceIndex];
}

void OdDbFaceRecord::makeEdgeVisibleAt(OdUInt16 faceIndex)
{
  assertWriteEnabled();
  if (faceIndex > 3)
    throw OdError_InvalidIndex();
  m_hidden[faceIndex] = false;
}

void OdDbFaceRecord::makeEdgeInvisibleAt(OdUInt16 faceIndex)
{
  assertWriteEnabled();
  if (faceIndex > 3)
    throw OdError_InvalidIndex();
  m_hidden[faceIndex] = true;
}

void OdDbFaceRecord::copyFrom(const OdRxObject* source)
{
  OdDbEntity::copyFrom(source);
  const auto* other = static_cast<const OdDbFaceRecord*>(source);
  for (int i = 0; i < 4; ++i)
  {
    m_vertices[i] = other->m_vertices[i];
    m_hidden[i] = other->m_hidden[i];
  }
}

void OdDbPolyFaceMesh::appendVertex(OdDbPolyFaceMeshVertex* vertex)
{
  assertWriteEnabled();
  if (!vertex)
    throw OdError(eNullPtr);
  m_vertices.append(vertex);
}

void OdDbPolyFaceMesh::appendFaceRecord(OdDbFaceRecord* face)
{
  assertWriteEnabled();
  if (!face)
    throw OdError(eNullPtr);
  m_faces.append(face);
}

OdInt32 OdDbPolyFaceMesh::numVertices() const { return OdInt32(m_vertices.size()); }
OdInt32 OdDbPolyFaceMesh::numFaces() const { return OdInt32(m_faces.size()); }

const OdDbPolyFaceMeshVertex* OdDbPolyFaceMesh::vertexAt(OdInt32 index) const
{
  if (index < 0)
    throw OdError_InvalidIndex();
  return m_vertices[OdUInt32(index)].get();
}

const OdDbFaceRecord* OdDbPolyFaceMesh::faceAt(OdInt32 index) const
{
  if (index < 0)
    throw OdError_InvalidIndex();
  return m_faces[OdUInt32(index)].get();
}

OdResult OdDbPolyFaceMesh::getGeomExtents(OdGeExtents3d& extents) const
{
  if (m_vertices.isEmpty())
    return eNotApplicable;
  OdGeExtents3d out;
  for (const auto& vertex : m_vertices)
    out.addPoint(vertex->position());
  extents = out;
  return eOk;
}

OdResult OdDbPolyFaceMesh::transformBy(const OdGeMatrix3d& transform)
{
  assertWriteEnabled();
  for (auto& vertex : m_vertices)
    vertex->setPosition(vertex->position().transformBy(transform));
  return eOk;
}

void OdDbPolyFaceMesh::copyFrom(const OdRxObject* source)
{
  OdDbEntity::copyFrom(source);
  const auto* other = static_cast<const OdDbPolyFaceMesh*>(source);
  m_vertices.clear();
  m_faces.clear();
  for (const auto& vertex : other->m_vertices)
    m_vertices.append(OdDbPolyFaceMeshVertexPtr(vertex->clone()));
  for (const auto& face : other->m_faces)
    m_faces.append(OdDbFaceRecordPtr(face->clone()));
}

void OdDbPolyFaceMesh::subSetMaterial(const OdDbObjectId& materialId)
{
  for (auto& vertex : m_vertices)
    vertex->setMaterial(materialId);
  for (auto& face : m_faces)
    face->setMaterial(materialId);
}

void OdDbPolyFaceMesh::subSetColor(const OdCmColor& color)
{
  for (auto& vertex : m_vertices)
    vertex->setColor(color);
  for (auto& face : m_faces)
    face->setColor(color);
}

OdResult OdDbSubDMesh::setSubDMesh(const OdGePoint3dArray& vertices, const OdInt32Array& faces, OdInt32 level)
{
  assertWriteEnabled();
  if (level < 0)
    return eInvalidInput;
  OdInt32 count = 0;
  for (OdUInt32 i = 0; i < faces.size();)
  {
    const OdInt32 n = faces[i];
    if (n < 3 || OdUInt32(n) > faces.size() - i - 1)
      return eInvalidInput;
    for (OdInt32 k = 1; k <= n; ++k)
    {
      const OdInt32 v = faces[i + OdUInt32(k)];
      if (v < 0 || OdUInt32(v) >= vertices.size())
        return eInvalidInput;
    }
    i += OdUInt32(n) + 1;
    ++count;
  }
  m_vertices = vertices;
  m_faces = faces;
  m_numFaces = count;
  m_level = level;
  return eOk;
}

const OdGePoint3dArray& OdDbSubDMesh::vertices() const { return m_vertices; }
const OdInt32Array& OdDbSubDMesh::faceArray() const { return m_faces; }
OdInt32 OdDbSubDMesh::subDLevel() const { return m_level; }
OdInt32 OdDbSubDMesh::numOfVertices() const { return OdInt32(m_vertices.size()); }
OdInt32 OdDbSubDMesh::numOfFaces() const { return m_numFaces; }

OdResult OdDbSubDMesh::getGeomExtents(OdGeExtents3d& extents) const
{
  if (m_vertices.isEmpty())
    return eNotApplicable;
  OdGeExtents3d out;
  for (const auto& p : m_vertices)
    out.addPoint(p);
  extents = out;
  return eOk;
}

OdResult OdDbSubDMesh::transformBy(const OdGeMatrix3d& transform)
{
  assertWriteEnabled();
  for (auto& p : m_vertices)
    p.transformBy(transform);
  return eOk;
}

void OdDbSubDMesh::copyFrom(const OdRxObject* source)
{
  OdDbEntity::copyFrom(source);
  const auto* other = static_cast<const OdDbSubDMesh*>(source);
  m_vertices = other->m_vertices;
  m_faces = other->m_faces;
  m_numFaces = other->m_numFaces;
  m_level = other->m_level;
}

OdResult OdDbFace::getVertexAt(OdUInt16 index, OdGePoint3d& point) const
{
  if (index > 3)
    return eInvalidIndex;
  point = m_corners[index];
  return eOk;
}

OdResult OdDbFace::setVertexAt(OdUInt16 index, const OdGePoint3d& point)
{
  assertWriteEnabled();
  if (index > 3)
    return eInvalidIndex;
  m_corners[index] = point;
  return eOk;
}

bool OdDbFace::isEdgeVisibleAt(OdUInt16 index) const { return index <= 3 && !m_hidden[index]; }

OdResult OdDbFace::makeEdgeVisibleAt(OdUInt16 index)
{
  assertWriteEnabled();
  if (index > 3)
    return eInvalidIndex;
  m_hidden[index] = false;
  return eOk;
}

OdResult OdDbFace::makeEdgeInvisibleAt(OdUInt16 index)
{
  assertWriteEnabled();
  if (index > 3)
    return eInvalidIndex;
  m_hidden[index] = true;
  return eOk;
}

OdResult OdDbFace::getGeomExtents(OdGeExtents3d& extents) const
{
  OdGeExtents3d out;
  for (const OdGePoint3d& corner : m_corners)
    out.addPoint(corner);
  extents = out;
  return eOk;
}

OdResult OdDbFace::transformBy(const OdGeMatrix3d& transform)
{
  assertWriteEnabled();
  for (OdGePoint3d& corner : m_corners)
    corner.transformBy(transform);
  return eOk;
}

void OdDbFace::copyFrom(const OdRxObject* source)
{
  OdDbEntity::copyFrom(source);
  const auto* other = static_cast<const OdDbFace*>(source);
  std::copy(std::begin(other->m_corners), std::end(other->m_corners), std::begin(m_corners));
  std::copy(std::begin(other->m_hidden), std::end(other->m_hidden), std::begin(m_hidden));
}

void OdDbProxyEntity::setDxfName(const std::string& name)
{
  assertWriteEnabled();
  m_dxfName = name;
}

void OdDbProxyEntity::setWritable(bool writable)
{
  assertWriteEnabled();
  m_writable = writable;
}

OdResult OdDbProxyEntity::getGeomExtents(OdGeExtents3d&) const { return eNotApplicable; }

// Its geometry is pairs the model does not read; moving them is refused
// rather than done wrong.
OdResult OdDbProxyEntity::transformBy(const OdGeMatrix3d&) { return eNotApplicable; }

void OdDbProxyEntity::copyFrom(const OdRxObject* source)
{
  OdDbEntity::copyFrom(source);
  const auto* other = static_cast<const OdDbProxyEntity*>(source);
  m_dxfName = other->m_dxfName;
  m_writable = other->m_writable;
}
