// The DXF reader's entities: what each type becomes, and placing them in
// their blocks once the database has its layers and materials.
#include "DxfReader.h"

#include "od/DbProxy.h"

#include <cmath>
#include <cstdlib>

namespace dxf
{
// An entity of a type the model does not know: kept with its layer. Files
// before AC1015 hold dimensions and viewports a save cannot carry across.
OdDbEntityPtr Reader::keptEntity(std::string_view type) const
{
  OdDbProxyEntityPtr proxy = OdDbProxyEntity::createObject();
  proxy->setDxfName(std::string(type));
  const bool old = !m_version.empty() && m_version < "AC1015";
  proxy->setWritable(!(old && (type == "DIMENSION" || type == "VIEWPORT")));
  return OdDbEntityPtr(proxy.get());
}

void Reader::entityRecord(const Record& record, std::size_t block)
{
  const std::string_view type = record.type;
  PendingEntity pending;
  pending.line = record.line;
  bool paper = false;
  OdUInt64 owner = 0;
  OdCmColor color(OdCmEntityColor::kByLayer);
  for (const Group& g : record.groups)
    switch (g.code)
    {
    case 5: noteHandle(pending.handle = handle(g)); break;
    case 330:
      if (owner == 0)
        owner = handle(g);
      break;
    case 8: pending.layer = g.value; break;
    case 62:
    {
      const long long index = integer(g);
      if (index == 0)
        color = OdCmColor(OdCmEntityColor::kByBlock);
      else if (index > 0 && index < 256)
        color.setColorIndex(OdInt16(index));
      break;
    }
    case 420: color.setColor((OdUInt32(OdCmEntityColor::kByColor) << 24) | (OdUInt32(integer(g)) & 0xFFFFFF)); break;
    case 347: pending.material = handle(g); break;
    case 67: paper = integer(g) == 1; break;
    default: break;
    }

  // Sequences: the vertices of a polyface mesh, an insert's attributes.
  if (type == "VERTEX")
  {
    if (!m_polyface)
    {
      if (!m_inSequence)
        fail(record.line, L"a VERTEX outside a polyline");
      return;
    }
    long long flags = 0;
    OdGePoint3d point;
    OdInt16 numbers[4] = {0, 0, 0, 0};
    for (const Group& g : record.groups)
      if (g.code == 70)
        flags = integer(g);
      else if (g.code == 10)
        point.x = real(g);
      else if (g.code == 20)
        point.y = real(g);
      else if (g.code == 30)
        point.z = real(g);
      else if (g.code >= 71 && g.code <= 74)
      {
        const long long number = integer(g);
        if (number < -32767 || number > 32767)
          fail(g.line, OdString::format(L"vertex number %lld is out of range", number));
        numbers[g.code - 71] = OdInt16(number);
      }
    if ((flags & 128) && !(flags & 64))
    {
      OdDbFaceRecordPtr face = OdDbFaceRecord::createObject();
      for (OdUInt16 k = 0; k < 4; ++k)
      {
        // Faces may name only vertices read before them.
        if (std::abs(numbers[k]) > m_polyface->numVertices())
          fail(record.line, OdString::format(L"a face names vertex %d of a mesh of %d", int(std::abs(numbers[k])),
                                             int(m_polyface->numVertices())));
        face->setVertexAt(k, OdInt16(std::abs(numbers[k])));
        if (numbers[k] < 0)
          face->makeEdgeInvisibleAt(k);
      }
      m_polyface->appendFaceRecord(face);
    }
    else
    {
      OdDbPolyFaceMeshVertexPtr vertex = OdDbPolyFaceMeshVertex::createObject();
      vertex->setPosition(point);
      m_polyface->appendVertex(vertex);
    }
    return;
  }
  if (type == "SEQEND")
  {
    if (!m_polyface && !m_inSequence)
      fail(record.line, L"SEQEND without a polyline or an insert");
    m_polyface = OdDbPolyFaceMeshPtr();
    m_inSequence = false;
    return;
  }
  if (type == "ATTRIB" && m_inSequence)
    return;
  if (m_polyface || m_inSequence)
    fail(record.line, OdString(L"a polyline or an insert's attributes end without SEQEND, at ") + quoted(type));

  if (type == "POLYLINE")
  {
    long long flags = 0;
    for (const Group& g : record.groups)
      if (g.code == 70)
        flags = integer(g);
    if (flags & 64)
    {
      m_polyface = OdDbPolyFaceMesh::createObject();
      pending.entity = OdDbEntityPtr(m_polyface.get());
    }
    else
    {
      pending.entity = keptEntity(type);
      m_inSequence = true; // its vertices go with it
    }
  }
  else if (type == "MESH")
  {
    OdGePoint3dArray points;
    OdInt32Array faces;
    long long level = 0, faceCount = -1;
    std::size_t i = 0;
    const auto& gs = record.groups;
    for (; i < gs.size(); ++i)
    {
      const Group& g = gs[i];
      if (g.code == 91)
        level = integer(g);
      else if (g.code == 10)
        points.append(OdGePoint3d(real(g), 0.0, 0.0));
      else if (g.code == 20 && !points.isEmpty())
        points[points.size() - 1].y = real(g);
      else if (g.code == 30 && !points.isEmpty())
        points[points.size() - 1].z = real(g);
      else if (g.code == 93)
      {
        faceCount = integer(g);
        break;
      }
    }
    if (faceCount < 0 || std::size_t(faceCount) > gs.size() - i - 1)
      fail(record.line, L"a MESH whose face list is missing or cut short");
    for (long long k = 0; k < faceCount; ++k)
    {
      const Group& g = gs[i + 1 + std::size_t(k)];
      if (g.code != 90)
        fail(g.line, OdString::format(L"the MESH's face list holds group %d", g.code));
      const long long value = integer(g);
      if (value < 0 || value > 0x7FFFFFFF)
        fail(g.line, OdString::format(L"the MESH's face list holds %lld", value));
      faces.append(OdInt32(value));
    }
    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    if (level < 0 || level > 64 || mesh->setSubDMesh(points, faces, OdInt32(level)) != eOk)
      fail(record.line, L"a MESH whose faces name vertices it does not have");
    pending.entity = OdDbEntityPtr(mesh.get());
  }
  else if (type == "3DFACE")
  {
    OdDbFacePtr face = OdDbFace::createObject();
    OdGePoint3d corners[4];
    long long hidden = 0;
    for (const Group& g : record.groups)
      if (g.code >= 10 && g.code <= 13)
        corners[g.code - 10].x = real(g);
      else if (g.code >= 20 && g.code <= 23)
        corners[g.code - 20].y = real(g);
      else if (g.code >= 30 && g.code <= 33)
        corners[g.code - 30].z = real(g);
      else if (g.code == 70)
        hidden = integer(g);
    for (OdUInt16 k = 0; k < 4; ++k)
    {
      face->setVertexAt(k, corners[k]);
      if (hidden & (1 << k))
        face->makeEdgeInvisibleAt(k);
    }
    pending.entity = OdDbEntityPtr(face.get());
  }
  else if (type == "INSERT")
  {
    InsertPlacement placement;
    for (const Group& g : record.groups)
      switch (g.code)
      {
      case 2: pending.blockName = g.value; break;
      case 10: placement.position.x = real(g); break;
      case 20: placement.position.y = real(g); break;
      case 30: placement.position.z = real(g); break;
      case 41: placement.scale[0] = real(g); break;
      case 42: placement.scale[1] = real(g); break;
      case 43: placement.scale[2] = real(g); break;
      case 50: placement.rotationDegrees = real(g); break;
      case 210: placement.normal.x = real(g); break;
      case 220: placement.normal.y = real(g); break;
      case 230: placement.normal.z = real(g); break;
      case 66: m_inSequence = integer(g) != 0; break;
      default: break;
      }
    if (pending.blockName.empty())
      fail(record.line, L"an INSERT without a block name");
    OdDbBlockReferencePtr ref = OdDbBlockReference::createObject();
    ref->setBlockTransform(transformOf(placement));
    pending.entity = OdDbEntityPtr(ref.get());
  }
  else
    pending.entity = keptEntity(type);

  pending.entity->setColor(color);
  if (block == SIZE_MAX)
  {
    auto byOwner = owner ? m_blockByHandle.find(owner) : m_blockByHandle.end();
    block =
      byOwner != m_blockByHandle.end()
        ? byOwner->second
        : blockNamed(paper ? OdDbBlockTableRecord::kPaperSpace : OdDbBlockTableRecord::kModelSpace, 0, record.line);
  }
  m_blocks[block].entities.push_back(std::move(pending));
}

OdDbObjectId Reader::layerFor(OdDbDatabase* db, std::string_view name)
{
  auto known = m_layerIds.find(name);
  if (known != m_layerIds.end())
    return known->second;
  OdDbLayerTablePtr table = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
  const OdString layerName = text(name);
  OdDbObjectId id = layerName.isEmpty() ? db->getLayerZeroId() : table->getAt(layerName);
  if (id.isNull())
  {
    // Drawing programs make a layer an entity names but the table lacks.
    OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::createObject();
    layer->setName(layerName);
    layer->setMaterialId(db->globalMaterialId());
    id = table->add(layer);
  }
  m_layerIds.emplace(name, id);
  return id;
}

void Reader::buildEntities(OdDbDatabase* db)
{
  OdDbBlockTablePtr table = db->getBlockTableId().safeOpenObject();
  const OdDbObjectId byLayer = db->byLayerMaterialId();
  for (PendingBlock& block : m_blocks)
  {
    OdDbBlockTableRecordPtr record = table->getAt(block.name, OdDb::kForWrite);
    for (PendingEntity& pending : block.entities)
    {
      OdDbEntity* entity = pending.entity.get();
      entity->setLayer(layerFor(db, pending.layer));
      const OdDbObjectId material = db->getOdDbObjectId(pending.material);
      entity->setMaterial(OdDbInternal::peekAs<OdDbMaterial>(material) ? material : byLayer);
      if (!pending.blockName.empty())
      {
        const OdDbObjectId target = table->getAt(text(pending.blockName));
        if (target.isNull())
          fail(pending.line,
               OdString(L"an INSERT of the block ") + quoted(pending.blockName) + L", which the drawing does not have");
        static_cast<OdDbBlockReference*>(entity)->setBlockTableRecord(target);
      }
      OdDbInternal::wantHandle(db, pending.handle);
      record->appendOdDbEntity(entity);
    }
    block.entities.clear();
    block.entities.shrink_to_fit();
  }
}

void Reader::checkNesting(OdDbDatabase* db)
{
  // A walk over the inserts with an explicit stack: a block met again on
  // the path from the top contains itself.
  OdDbBlockTablePtr table = db->getBlockTableId().safeOpenObject();
  std::unordered_map<const OdDbStub*, int> state; // 1 on the path, 2 done
  for (auto it = table->newIterator(); !it->done(); it->step())
  {
    const OdDbObjectId start = it->getRecordId();
    if (state[start.stub()] == 2)
      continue;
    struct Frame
    {
      const OdDbBlockTableRecord* block;
      std::size_t next;
    };
    std::vector<Frame> stack{{OdDbInternal::peekAs<OdDbBlockTableRecord>(start), 0}};
    state[start.stub()] = 1;
    while (!stack.empty())
    {
      Frame& top = stack.back();
      const auto& ids = top.block->entityIds();
      if (top.next >= ids.size())
      {
        state[top.block->objectId().stub()] = 2;
        stack.pop_back();
        continue;
      }
      const OdDbObjectId id = ids[top.next++];
      auto* ref = OdDbInternal::peekAs<OdDbBlockReference>(id);
      auto* target = ref ? OdDbInternal::peekAs<OdDbBlockTableRecord>(ref->blockTableRecord()) : nullptr;
      if (!target)
        continue;
      int& seen = state[target->objectId().stub()];
      if (seen == 1)
      {
        std::size_t line = 0;
        for (const PendingBlock& block : m_blocks)
          if (block.name.iCompare(top.block->getName()) == 0)
            line = block.line;
        fail(line, OdString(L"the block ") + quoted(target->getName().toUtf8()) + L" contains itself");
      }
      if (seen == 0)
      {
        seen = 1;
        stack.push_back({target, 0});
      }
    }
  }
}
} // namespace dxf
