#include "widgets/offered_range.h"

#include <QSpinBox>

#include "config/settings_schema.h"

void SetOfferedRange(QSpinBox* spin, const char* section, const char* key, int scale) {
  const SettingsSchema::Limits offered =
      *SettingsSchema::Find(QString::fromLatin1(section), QString::fromLatin1(key)).offered;
  spin->setRange(int(offered.min) / scale, int(offered.max) / scale);
}
