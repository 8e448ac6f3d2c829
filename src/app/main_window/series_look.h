#pragma once

#include <QStringList>

struct AppSettings;
class ChartSeries;
class ChartView;

// Series names in the chart's language: inputs 1-4, then the consumption of input 1.
const QStringList& SeriesNames(int language);

// Title (name and unit), colour, width and visibility of input n's line in a chart.
void ApplyInputLook(ChartView* chart, ChartSeries* series, const AppSettings& s, int n, const QString& name);
