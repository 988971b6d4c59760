#pragma once

#include "model/file_io.h"
#include "model/message.h"
#include "model/project.h"

#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

namespace zant {

// The example network of the guide: eight events, ten activities, one critical path.
inline constexpr QSize kExampleNetworkSize{603, 363};
inline const QString kExampleNetworkFileName = QStringLiteral("schemaZANT.jpg");

// The network the picture shows, as a project, so that its times come from the computation.
Project exampleNetworkProject();

// Draws the picture in a 603 x 363 area at the painter's origin; the painter's transformation
// scales it, so it stays sharp at any size.
void paintExampleNetwork(QPainter& painter);

// The picture at `scale` times 603 x 363 pixels.
QImage drawExampleNetwork(qreal scale = 1);

// Writes the picture as a JPEG file, replacing any file of that name. Returns the message of a
// failure.
Result<void> saveExampleNetworkPicture(const QString& path, qreal scale = 2,
                                       const SaveTargetFactory& targets = makeFileTarget);

} // namespace zant
