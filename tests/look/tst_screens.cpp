// Every window of the station fits the screen it opens on, its buttons within reach. Run on the
// screens of tests/look/screens, at the scale factor the test's environment sets.
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "main_window/main_form.h"
#include "support/station_fixture.h"
#include "widgets/outer_frame.h"

class TestScreens : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    // The screen asked for, in the toolkit's pixels (the physical size divided by the scale).
    const QString expected = qEnvironmentVariable("KESTRILON_EXPECT_SCREEN");
    QVERIFY2(!expected.isEmpty(), "KESTRILON_EXPECT_SCREEN names the logical screen size");
    const QSize size = QGuiApplication::primaryScreen()->size();
    QCOMPARE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), expected);
  }

  void windowsFit_data() {
    QTest::addColumn<QString>("window");
    for (const char* name : {"main", "settings", "parameters", "about", "data sheet"}) QTest::newRow(name) << name;
  }
  void windowsFit() {
    QFETCH(QString, window);
    StationWindows w("[OKNO]\r\nTop=10\r\nLeft=20\r\nHeight=466\r\nWidth=781\r\n");
    w.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    const std::map<QString, QWidget*> windows{{QStringLiteral("main"), w.main.get()},
                                              {QStringLiteral("settings"), w.nastaveni.get()},
                                              {QStringLiteral("parameters"), w.parametry.get()},
                                              {QStringLiteral("about"), w.about.get()},
                                              {QStringLiteral("data sheet"), w.dataSheet.get()}};
    QWidget* shown = windows.at(window);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QCoreApplication::processEvents();
    const QRect screen = shown->screen()->availableGeometry();
    QVERIFY2(screen.contains(shown->frameGeometry()),
             qPrintable(QStringLiteral("%1 in %2").arg(QDebug::toString(shown->frameGeometry()), QDebug::toString(screen))));
    // The data sheet opens at 20, 20 with the outer size 606 x 880, as much of it as the screen holds.
    if (window == QLatin1String("data sheet"))
      QCOMPARE(shown->frameGeometry(), OuterFrame::FittedToScreen(QRect(20, 20, 606, 880)));
    for (QPushButton* button : shown->findChildren<QPushButton*>()) {
      if (!button->isVisibleTo(shown)) continue;
      const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
      QVERIFY2(screen.contains(onScreen), qPrintable(button->objectName()));
    }
  }
};

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"
