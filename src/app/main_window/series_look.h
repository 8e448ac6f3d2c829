#pragma once

#include <QStringList>

struct AppSettings;
class ChartSeries;
class ChartView;
class LanguageTable;

// Series names in the table's language (the designed ones before any is loaded): inputs 1-4, then
// the consumption of input 1.
QStringList SeriesNames(const LanguageTable& language);

// Title (name and unit), colour, width and visibility of input n's line in a chart.
void ApplyInputLook(ChartView* chart, ChartSeries* series, const AppSettings& s, int n, const QString& name);
