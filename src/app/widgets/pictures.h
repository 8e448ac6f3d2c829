#pragma once

#include <QIcon>
#include <QPixmap>
#include <QVector>

// Pictures drawn by the station itself, so that none is ever missing on any desktop.
namespace Pictures {

// The link image list (15 x 15): 0 connected, 1 stopped, 3 link lost, 6 data received; the other
// entries are neutral.
const QVector<QPixmap>& LinkImages();
// Which image the status bar draws for a LinkIndicator value.
int LinkImageIndex(int linkIndicator);

enum class ToolIcon { Measure, Settings, Parameters, DataSheet, Print, Language, Exit, Station };
QIcon Icon(ToolIcon which);

}  // namespace Pictures
