// The sample objects of the material preview: a cube (polyface mesh), a
// sphere and a torus (subdivision meshes of level 0).
//
// Each builder makes a new entity that is in no database yet but carries the
// defaults (layer, colour, material) of the given one. The sphere and the
// torus are turned by the user coordinate system: the forms without a matrix
// take it from currentUcs(); the others take it as given. Centres are in
// world coordinates; the cube always uses the world axes.
#pragma once

#include "od/DbEntity.h"

namespace meui
{
// The current user coordinate system of the database; false (and the
// identity) when there is none to be had.
bool currentUcs(OdDbDatabase* database, OdGeMatrix3d& ucs);

// Four 16-bit vertex numbers per face, counted from 1. hiddenEdges, when
// given, holds one entry per face: 0 to 3 names an edge to hide, a negative
// entry hides none. The entity stays empty when the number of face entries
// is not a multiple of 4.
void buildPolyFaceMesh(OdDbDatabase* database, const OdGePoint3dArray& points, const OdArray<OdInt16>& faces,
                       const OdArray<OdInt16>* hiddenEdges, OdDbEntityPtr& entity);

// A cube of edge 2 * size standing on z = 0, centred on the centre's x and y.
bool buildSampleCube(OdDbDatabase* database, const OdGePoint3d& centre, double size, OdDbEntityPtr& entity);

// nu meridians by nv bands; nu below 3, nv below 2 or a radius that is not
// positive make nothing (false).
bool buildSampleSphere(OdDbDatabase* database, const OdGePoint3d& centre, double radius, int nu, int nv,
                       OdDbEntityPtr& entity);
bool buildSampleSphere(OdDbDatabase* database, const OdGeMatrix3d& ucs, const OdGePoint3d& centre, double radius,
                       int nu, int nv, OdDbEntityPtr& entity);

// nu rings of nv points around a ring of radius R with a tube of radius r;
// counts below 3 or radii that are not positive make nothing (false).
bool buildSampleTorus(OdDbDatabase* database, const OdGePoint3d& centre, double ringRadius, double tubeRadius, int nu,
                      int nv, OdDbEntityPtr& entity);
bool buildSampleTorus(OdDbDatabase* database, const OdGeMatrix3d& ucs, const OdGePoint3d& centre, double ringRadius,
                      double tubeRadius, int nu, int nv, OdDbEntityPtr& entity);

// The vertices of a sample (any subdivision or polyface mesh), for a framing
// tighter than its box's corners; none for other entities.
OdGePoint3dArray samplePoints(const OdDbEntity* entity);
} // namespace meui
