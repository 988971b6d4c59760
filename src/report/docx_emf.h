#pragma once

#include <QByteArray>
#include <QSizeF>

#include <functional>

class QPainter;

namespace zant::docx {

// A picture painted with QPainter, recorded as an Enhanced Metafile (EMF) that Word and
// LibreOffice draw as vectors: rectangles, lines, polygons, curves (as polygons) and text, the
// text placed letter by letter where Qt laid it out, so that it neither wraps nor overflows
// whatever font the reader substitutes. `paint` draws in picture units over `units`; the
// picture measures `points` on paper. The painter is scaled as a raster image of `detailDpi`
// would be, so that a drawing that picks its details by its scale on the device (day numbers,
// labels) draws exactly what that image shows. Colours with transparency are blended over
// white; images are not recorded (the drawings put in documents have none).
QByteArray emfPicture(const std::function<void(QPainter&)>& paint, QSizeF units, QSizeF points,
                      double detailDpi);

} // namespace zant::docx
