// The one vector helper the topic scenes share.
#pragma once

#include "engine/Base/VectorGeometry.h"

void MakeVector(TAffineVector& v, Single x, Single y, Single z);
