#pragma once

class QTabWidget;

// Tabs with less padding along the bar than the style gives them, so that the main window's four
// side tabs fit its default height; a caption that still does not fit is shortened in its middle
// rather than hidden behind scroll buttons.
void MakeTabsCompact(QTabWidget* tabs);
