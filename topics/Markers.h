// Force and motion arrows: thin TLines of six nodes (tail, shaft end, barb, tip, barb,
// shaft end), a head 0.075 long and 0.02 either side unless stated.
#pragma once

#include <memory>

#include "engine/GLObjects.h"
#include "engine/GLScene.h"

// The arrows' and letters' colour until the View menu picks another: opaque white. Every
// helper here takes the colour it draws in; a topic build passes on the one it was handed.
constexpr TVector DefaultMarkerColour{1, 1, 1, 1};

constexpr Single ArrowHeadLength = 0.075f;
constexpr Single ArrowHalfWidth = 0.02f;

// Along X: tail at the origin, tip at Sign x Length.
TLines* AddArrowAlongX(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length, bool Visible);
TLines* AddArrowAlongXAt(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                         const TVector& Position, bool Visible);
TLines* AddRolledArrowAlongX(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                             Single Roll);
TLines* AddPlacedArrowAlongX(TGLBaseSceneObject* Parent, const TVector& Colour, Single Length, Single X, Single Y,
                             Single Z, Single Roll);
std::unique_ptr<TLines> CreateArrowAlongX(const TVector& Colour, Single Length);
std::unique_ptr<TLines> CreateArrowAlongXSized(const TVector& Colour, Single Length, Single HeadLength,
                                               Single HalfWidth);

// Along Y towards the origin: tail at Sign x Length on Y, tip at the origin, head in YZ.
TLines* AddArrowToOriginAlongY(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                               bool Visible);
TLines* AddArrowToOriginAlongYAt(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                                 Single X, Single Y, Single Z);
TLines* AddRolledArrowToOriginAlongYAt(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                                       Single X, Single Y, Single Z, Single Roll);

// A line object in the markers' style: colour, anti-aliased, no node marks, no nodes yet.
std::unique_ptr<TLines> NewMarkerLines(const TVector& Colour);
