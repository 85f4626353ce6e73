// The DXF writer's blocks and entities.
#include "DxfWriter.h"

#include "od/DbProxy.h"

namespace dxf
{
void Writer::blocks()
{
  put(0, "SECTION");
  put(2, "BLOCKS");
  for (const OdDbBlockTableRecord* record : blockRecords())
  {
    const OdDxfKept* kept = record->dxfKept();
    const bool keptEnds = kept && kept->following.size() == 2;
    const OdUInt64 owner = record->getDbHandle();
    const bool paper = record->objectId() == m_db->getPaperSpaceId();
    // BLOCK and ENDBLK as the file had them, or made.
    const auto end = [&](const char* type, const char* subclass) {
      put(0, type);
      putHandle(5, fresh());
      putHandle(330, owner);
      put(100, "AcDbEntity");
      if (paper)
        putInt(67, 1);
      put(8, "0");
      put(100, subclass);
    };
    if (keptEnds)
      putRecord(kept->following[0]);
    else
    {
      end("BLOCK", "AcDbBlockBegin");
      put(2, record->getName());
      const bool anonymous =
        record->getName().getLength() > 1 && record->getName().getAt(0) == L'*' && !record->isLayout();
      putInt(70, anonymous ? 1 : 0);
      putPoint(10, OdGePoint3d());
      put(3, record->getName());
      put(1, "");
    }
    // Layout entities go into the ENTITIES section.
    if (!record->isLayout())
      for (const OdDbObjectId& id : record->entityIds())
        if (auto* child = OdDbInternal::peekAs<OdDbEntity>(id))
          entity(child, record->objectId(), false);
    if (keptEnds)
      putRecord(kept->following[1]);
    else
      end("ENDBLK", "AcDbBlockEnd");
  }
  put(0, "ENDSEC");
}

void Writer::entities()
{
  put(0, "SECTION");
  put(2, "ENTITIES");
  for (const OdDbObjectId& spaceId : {m_db->getModelSpaceId(), m_db->getPaperSpaceId()})
    if (auto* space = OdDbInternal::peekAs<OdDbBlockTableRecord>(spaceId))
      for (const OdDbObjectId& id : space->entityIds())
        if (auto* child = OdDbInternal::peekAs<OdDbEntity>(id))
          entity(child, spaceId, spaceId == m_db->getPaperSpaceId());
  put(0, "ENDSEC");
}

void Writer::entityCommon(const char* type, OdUInt64 handle, OdUInt64 owner, const OdDbEntity* ent, bool paper,
                          const KeptParts& kept)
{
  put(0, type);
  putHandle(5, handle);
  putKept(kept, 0, kept.headEnd());
  putHandle(330, owner);
  put(100, "AcDbEntity");
  // What was kept of colour and space goes back as it was.
  if (paper && kept.empty())
    putInt(67, 1);
  // A mesh's vertices share its layer: the name is made once.
  if (ent->layerId() != m_layerId || m_layerText.empty())
  {
    const OdString layer = ent->layer();
    m_layerId = ent->layerId();
    m_layerText = layer.isEmpty() ? std::string("0") : layer.toUtf8();
  }
  if (!kept.has("AcDbEntity", 8)) // else the file's name of a layer it lacks
    putUtf8(8, m_layerText);
  if (!std::strcmp(type, "VERTEX") || !std::strcmp(type, "SEQEND"))
    return; // the mesh's colour and material are its vertices'
  if (kept.empty())
  {
    const OdCmColor color = ent->color();
    if (color.isByBlock())
      putInt(62, 0);
    else if (color.isByACI())
      putInt(62, color.colorIndex());
    else if (color.isByColor())
      putInt(420, OdInt32(color.color() & 0xFFFFFF));
  }
  // By layer is what an entity without a material has.
  if (const OdUInt64 material = handleOf(ent->materialId()))
    if (ent->materialId() != m_db->byLayerMaterialId())
      putHandle(347, material);
  putKept(kept, kept.subclass("AcDbEntity"));
}

void Writer::following(const OdDbEntity* ent)
{
  if (const OdDxfKept* data = ent->dxfKept())
    for (const OdDxfRecord& record : data->following)
      putRecord(record);
}

void Writer::entity(const OdDbEntity* ent, const OdDbObjectId& ownerId, bool paper)
{
  const OdUInt64 owner = handleOf(ownerId);
  const KeptParts kept(ent->dxfKept());
  if (auto* proxy = OdDbProxyEntity::cast(ent).get())
  {
    if (!proxy->isWritable())
      return; // left out, as the save's question said
    entityCommon(proxy->dxfName().c_str(), ent->getDbHandle(), owner, ent, paper, kept);
    putKeptOthers(kept, {"AcDbEntity"});
    following(ent);
    return;
  }
  if (auto* mesh = OdDbPolyFaceMesh::cast(ent).get())
    return polyface(mesh, owner, paper, kept);
  if (auto* sub = OdDbSubDMesh::cast(ent).get())
  {
    entityCommon("MESH", ent->getDbHandle(), owner, ent, paper, kept);
    put(100, "AcDbSubDMesh");
    putInt(71, 2);
    putInt(72, 0);
    putInt(91, sub->subDLevel());
    putInt(92, sub->numOfVertices());
    for (const OdGePoint3d& p : sub->vertices())
      putPoint(10, p);
    putInt(93, OdInt32(sub->faceArray().size()));
    for (OdInt32 value : sub->faceArray())
      putInt(90, value);
    putInt(94, 0);
    putInt(95, 0);
    putInt(90, 0);
    putKeptOthers(kept, {"AcDbEntity", "AcDbSubDMesh"});
    return;
  }
  if (auto* face = OdDbFace::cast(ent).get())
  {
    entityCommon("3DFACE", ent->getDbHandle(), owner, ent, paper, kept);
    put(100, "AcDbFace");
    int hidden = 0;
    for (OdUInt16 i = 0; i < 4; ++i)
    {
      OdGePoint3d p;
      face->getVertexAt(i, p);
      putPoint(10 + i, p);
      if (!face->isEdgeVisibleAt(i))
        hidden |= 1 << i;
    }
    if (hidden)
      putInt(70, hidden);
    putKept(kept, kept.subclass("AcDbFace"));
    putKeptOthers(kept, {"AcDbEntity", "AcDbFace"});
    return;
  }
  if (auto* ref = OdDbBlockReference::cast(ent).get())
  {
    if (!OdDbInternal::peekAs<OdDbBlockTableRecord>(ref->blockTableRecord()))
      return; // an insert of nothing cannot be written
    asRead(ref, [&] { insert(ref, owner, paper); });
    following(ent);
  }
}

void Writer::insert(const OdDbBlockReference* ref, OdUInt64 owner, bool paper)
{
  auto* block = OdDbInternal::peekAs<OdDbBlockTableRecord>(ref->blockTableRecord());
  const KeptParts kept(ref->dxfKept());
  entityCommon("INSERT", ref->getDbHandle(), owner, ref, paper, kept);
  // An insert of rows and columns keeps its subclass.
  const char* subclass = kept.subclass("AcDbMInsertBlock").second ? "AcDbMInsertBlock" : "AcDbBlockReference";
  put(100, subclass);
  const OdDxfKept* data = ref->dxfKept();
  if (data && !data->following.empty())
    putInt(66, 1); // its attributes follow
  put(2, block->getName());
  const InsertPlacement placement = placementOf(ref->blockTransform());
  putPoint(10, placement.position);
  for (int i = 0; i < 3; ++i)
    if (placement.scale[i] != 1.0)
      putReal(41 + i, placement.scale[i]);
  if (placement.rotationDegrees != 0.0)
    putReal(50, placement.rotationDegrees);
  if (placement.normal != OdGeVector3d::kZAxis)
    putPoint(210, OdGePoint3d() + placement.normal);
  putKept(kept, kept.subclass(subclass));
  putKeptOthers(kept, {"AcDbEntity", subclass});
}

void Writer::polyface(const OdDbPolyFaceMesh* mesh, OdUInt64 owner, bool paper, const KeptParts& kept)
{
  const OdUInt64 handle = mesh->getDbHandle();
  const KeptParts none(nullptr);
  // Vertices, face records and SEQEND keep the handles the file gave them.
  const OdDxfKept* data = mesh->dxfKept();
  std::size_t next = 0;
  const auto handleOfNext = [&] {
    const OdUInt64 kept = data && next < data->handles.size() ? data->handles[next] : 0;
    ++next;
    return kept ? kept : fresh();
  };
  entityCommon("POLYLINE", handle, owner, mesh, paper, kept);
  put(100, "AcDbPolyFaceMesh");
  putInt(66, 1);
  putPoint(10, OdGePoint3d());
  putInt(70, 64);
  putInt(71, mesh->numVertices());
  putInt(72, mesh->numFaces());
  putKept(kept, kept.subclass("AcDbPolyFaceMesh"));
  putKeptOthers(kept, {"AcDbEntity", "AcDbPolyFaceMesh"});
  for (OdInt32 i = 0; i < mesh->numVertices(); ++i)
  {
    entityCommon("VERTEX", handleOfNext(), handle, mesh, paper, none);
    put(100, "AcDbVertex");
    put(100, "AcDbPolyFaceMeshVertex");
    putPoint(10, mesh->vertexAt(i)->position());
    putInt(70, 192);
  }
  for (OdInt32 i = 0; i < mesh->numFaces(); ++i)
  {
    const OdDbFaceRecord* face = mesh->faceAt(i);
    entityCommon("VERTEX", handleOfNext(), handle, mesh, paper, none);
    put(100, "AcDbFaceRecord");
    putPoint(10, OdGePoint3d());
    putInt(70, 128);
    for (OdUInt16 k = 0; k < 4; ++k)
      if (const OdInt16 number = face->getVertexAt(k))
        putInt(71 + k, face->isEdgeVisibleAt(k) ? number : -number);
  }
  entityCommon("SEQEND", handleOfNext(), handle, mesh, paper, none);
}
} // namespace dxf
