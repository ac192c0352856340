#pragma once

#include <QString>

// Renders an SVG drawing at exactly width x height and saves it as PNG (with alpha), ARGB
// (the pixels ready to draw, with alpha), BMP (24-bit) or JPEG, chosen by the output's
// extension.
void renderPicture(const QString &svgPath, const QString &outPath, int width, int height);
