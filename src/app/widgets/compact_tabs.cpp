#include "widgets/compact_tabs.h"

#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

namespace {
class CompactTabStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    return metric == PM_TabBarTabHSpace ? std::max(4, value - 10) : value;  // the padding along the bar
  }
};
}  // namespace

void MakeTabsCompact(QTabWidget* tabs) {
  auto* style = new CompactTabStyle;
  style->setParent(tabs);
  tabs->tabBar()->setStyle(style);
  tabs->setUsesScrollButtons(false);
  tabs->setElideMode(Qt::ElideMiddle);
}
