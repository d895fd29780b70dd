// Parsers of the tag bodies the player understands: shapes, buttons, actions and placements.
#pragma once

#include "preview/SwfBitReader.h"
#include "preview/SwfMovieData.h"

#include <cstddef>
#include <string>
#include <vector>

// Each parser reads one tag body from r and returns false when it cannot be used. When r.Overrun() is
// set afterwards the body was too short; otherwise error holds the reason. Notes collect what was
// accepted but not understood (a style index beyond the styles, say).

// DefineShape (version 1), DefineShape2 (2) or DefineShape3 (3). edgeBudget is how many edges the
// shape may hold.
bool ParseShape(CSwfBitReader &r, int shapeVersion, size_t edgeBudget, SwfShapeDef &shape, std::string &error,
                std::vector<std::string> &notes);

// DefineButton2; recordBudget as for edges.
bool ParseButton2(CSwfBitReader &r, size_t recordBudget, SwfButtonDef &button, std::string &error,
                  std::vector<std::string> &notes);

// DefineButton: records without colour transforms, and one action list run on release.
bool ParseButton1(CSwfBitReader &r, size_t recordBudget, SwfButtonDef &button, std::string &error);

// Action records up to the end flag (a code of 0) or the end of the span.
bool ParseActions(CSwfBitReader &r, std::vector<SwfActionRecord> &actions, std::string &error);

// PlaceObject (version 1) or PlaceObject2 (2).
bool ParsePlaceObject(CSwfBitReader &r, int placeVersion, SwfControlTag &tag);

// Whether the shape's filled area is one axis-aligned rectangle of one fill style; sets the shape's
// single-rectangle fields.
void FindSingleRectangle(SwfShapeDef &shape);
