// The claw hammer and scissors (topic 26), the wheelbarrow (topic 27, example 1) and the
// forearm (topic 28, example 0): their table rows and the marker pieces they share.
#pragma once

#include <memory>
#include <vector>

#include "engine/GLExtrusion.h"
#include "topics/TopicFrame.h"

// Appends the rows, in id order.
void AddLeverTopicsA(std::vector<TTopicEntry>& Entries);

// A letter solid (E, L or F) in the markers' colour at (x, y, z), appended to parent.
TExtrusionSolid* AddLeverLetter(TGLBaseSceneObject* parent, Integer letter, const TVector& colour, Single scale,
                                Single depth, Single x, Single y, Single z);

// A proxy of master with the options given, not yet added anywhere.
std::unique_ptr<TGLProxyObject> NewLeverProxy(TGLBaseSceneObject* master, TGLProxyObjectOptions options);

// Whether the file exists as a regular file.
bool LeverFileExists(const std::string& fileName);
