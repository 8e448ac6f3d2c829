#pragma once

#include <QStringList>

#include "archive/archive_writer.h"

struct AppSettings;
class ChartSeries;
class ChartView;
class LanguageTable;

// Series names in the table's language (the designed ones before any is loaded): inputs 1-4, then
// the consumption of input 1.
QStringList SeriesNames(const LanguageTable& language);

// Title (name and unit), colour, width and visibility of input n's line in a chart.
void ApplyInputLook(ChartView* chart, ChartSeries* series, const AppSettings& s, int n, const QString& name);

// Input 1's line between a chart's cursors gives the ledger's consumption of the archive: its
// volume per second and unit, captioned with the consumption's name; nothing when the ledger
// settings do not read or the unit has no volume. Lines of the chart break at that archive's gap.
void ApplyLedgerRules(ChartView* chart, ChartSeries* flow, const AppSettings& s, ArchiveKind archive,
                      const QString& consumptionName);
