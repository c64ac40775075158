// The five colour emblems of the game and the program's wheel of balls,
// drawn at any size from their shapes.
#pragma once

#include "colours.h"
#include "shapes.h"

// The emblem of colour as a shaded disc of the given radius (pixels) with its
// figure: a star (white), waves (blue), a crescent (black), a flame (red), a
// leaf (green). Small radii get simpler figures.
void DrawEmblem(Layer* layer, Colour colour, Vec2 centre, float radius);

// A plain shaded ball in a colour's tones.
void DrawBall(Layer* layer, Colour colour, Vec2 centre, float radius);

// The program icon: the five balls on a wheel, filling a size x size layer.
void DrawBallsWheel(Layer* layer);

// The emblem's figure alone (no disc) in unit coordinates: the distance at
// q, where the disc is the unit circle; scale says how many pixels one unit
// is (for figures that simplify when small).
float EmblemFigure(Colour colour, Vec2 q, float scale);
