// The envelope's figure as a PNG for word processors: the drawing of
// planfigure.h painted with QPainter. Needs a QGuiApplication (the CLI makes
// one on the offscreen platform), whose font database finds the labels'
// Chinese fonts.
#pragma once

#include <string>

#include <QImage>

#include "planfigure.h"

// The drawing as an image at `dpi` (96: a pixel per page unit), its pixels
// per inch recorded; a null image when it could not be made.
QImage DrawingImage(const TDrawing &drawing, int dpi);

// The PNG's bytes at `dpi` (its pixels per inch recorded, so Word places
// it at the drawing's size); "" when it could not be made.
std::string DrawingPng(const TDrawing &drawing, int dpi);
