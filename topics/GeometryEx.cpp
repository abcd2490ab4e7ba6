#include "topics/GeometryEx.h"

void MakeVector(TAffineVector& v, Single x, Single y, Single z) { v = {x, y, z}; }
