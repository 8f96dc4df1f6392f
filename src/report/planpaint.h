// The envelope's figure as a PNG for word processors: the drawing of
// planfigure.h painted with QPainter. Needs a QGuiApplication (the CLI makes
// one on the offscreen platform), whose font database finds the labels'
// Chinese fonts.
#pragma once

#include <string>

#include "planfigure.h"

class QPainter;

// The drawing onto `p`, in page units (px at 96 dpi) from its origin.
void PaintDrawing(QPainter &p, const TDrawing &drawing);

// The PNG's bytes at `dpi` (its pixels per inch recorded, so Word places
// it at the drawing's size); "" when it could not be made.
std::string DrawingPng(const TDrawing &drawing, int dpi);
