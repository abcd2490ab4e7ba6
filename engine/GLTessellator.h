// Polygon tessellation of our own: ear clipping with holes merged through bridges. The
// recording GL table uses it in place of GLU's tessellator, so concave outlines (the
// letters E, F and L) give triangles under test exactly as they do on screen.
#pragma once

#include <vector>

#include "engine/Base/VectorGeometry.h"

// Triangulates the region bounded by the contours (odd winding: a contour inside another
// is a hole). Returns index triples into the contours' vertices numbered in order, first
// contour first. Every triangle winds counter-clockwise seen from the normal side; a zero
// normal means "work it out from the outline". Degenerate input gives fewer (or no)
// triangles, never an error.
std::vector<int> TessellatePolygon(const std::vector<std::vector<TAffineVector>>& contours,
                                   const TAffineVector& normal = NullVector);
