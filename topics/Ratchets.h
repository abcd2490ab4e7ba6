// The ratchet and pawl (topic 37): a wheel of 20 saw teeth turning under a pawl that rides
// up each tooth's back and drops behind it, or stands lifted while the wheel runs backwards.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

constexpr Integer RatchetRepeatAngle = 360;

void BuildRatchetScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
// Advancing: the wheel is driven forwards (the pawl follows the teeth); otherwise the pawl is
// shown lifted clear.
void AnimateRatchetScene(TDummyCube* SceneBase, bool Advancing, Single Phase);
