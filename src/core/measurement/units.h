#pragma once

#include <QStringList>

// The physical units of each input, by "JednotkaIndex".
QStringList UnitList(int input);
// The unit text of an input, or an empty text for an index outside its list.
QString UnitText(int input, int index);
