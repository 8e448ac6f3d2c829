#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <qcustomplot.h>

#include "main_window/overview_page.h"
#include "main_window/daily_chart_page.h"
#include "charts/chart_view.h"
#include "station/regional.h"
#include "render/colour_ref.h"
#include "main_window/main_form.h"
#include "support/scripted_prompt.h"
#include "support/station_fixture.h"

namespace {
const std::array<int, 4> kHealthy{0x80, 0x80, 0x80, 0x80};

QColor BoxColour(TMainForm& f, int n) {
  return f.findChild<QLineEdit*>(QStringLiteral("edFyzPrumer%1").arg(n))->palette().color(QPalette::Base);
}
QString BoxText(TMainForm& f, int n) {
  return f.findChild<QLineEdit*>(QStringLiteral("edFyzPrumer%1").arg(n))->text();
}
}  // namespace

class TestOverview : public QObject {
  Q_OBJECT

  // A loaded main window whose station has already processed its first reply.
  struct Shown {
    explicit Shown(const QByteArray& ini =
                       "[AD4ETH]\r\nPocetVzorkuNaPrumer=0\r\n[ANALOG_IN1]\r\nAlarmMIN=10\r\nAlarmMAX=90\r\n")
        : w(ini) {
      w.main->LoadSettings();
      w.main->ApplyChartSettings();
      w.main->station().Readings().AwaitingFirstReply = true;
    }
    void Reply(const std::array<int, 4>& status, const std::array<int, 4>& raw) {
      w.main->station().ProcessReply(ReplyText(status, raw));
    }
    StationWindows w;
  };

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic)); }
  void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

  // The values grow with the page (digits readable across a room when maximised on 1920 x 1080),
  // keep the form's look at the default size, and are never cut.
  void valuesScaleWithThePage_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("leastDigitHeight");
    QTest::newRow("default size") << QSize(781, 466) << 24;
    QTest::newRow("maximised on 1920 x 1080") << QSize(1920, 1050) << 90;
    QTest::newRow("wide and low") << QSize(1920, 600) << 24;
  }
  void valuesScaleWithThePage() {
    QFETCH(QSize, window);
    QFETCH(int, leastDigitHeight);
    Shown s;
    TMainForm& f = *s.w.main;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.resize(window);
    QTRY_COMPARE(f.size(), window);
    s.Reply(kHealthy, {5000, 5000, 5000, 5000});
    s.Reply(kHealthy, {99999 / 2, 5000, 5000, 5000});
    QCoreApplication::processEvents();
    auto* box = f.findChild<QLineEdit*>(QStringLiteral("edFyzPrumer1"));
    const QFontMetrics metrics(box->font());
    const int digits = metrics.tightBoundingRect(QStringLiteral("0123456789")).height();
    QVERIFY2(digits >= leastDigitHeight, qPrintable(QString::number(digits)));
    if (window == QSize(781, 466)) QCOMPARE(box->font().pixelSize(), 34);  // the form's 26 pt
    for (int n = 1; n <= 4; ++n) {
      auto* value = f.findChild<QLineEdit*>(QStringLiteral("edFyzPrumer%1").arg(n));
      QVERIFY2(value->width() >= QFontMetrics(value->font()).horizontalAdvance(value->text()) + 8,
               qPrintable(value->text()));
      auto* unit = f.findChild<QLabel*>(QStringLiteral("laJednotkaIN%1").arg(n));
      QVERIFY(unit->width() >= unit->sizeHint().width() || unit->width() >= unit->minimumSizeHint().width());
      QVERIFY(unit->font().pixelSize() < value->font().pixelSize());
    }
  }

  // A lost link is seen from across the room: a banner with the time it was lost, gone with the
  // first processed reply.
  void linkLostBanner() {
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(3, 12, 5)));
    Shown s;
    s.w.main->SwitchToCzech();
    s.Reply(kHealthy, {5000, 5000, 5000, 5000});
    auto* banner = s.w.main->findChild<QLabel*>(QStringLiteral("laSpojeniPreruseno"));
    QVERIFY(banner->isHidden());
    s.w.main->station().Link().DropLink();
    clock.Set(QDateTime(QDate(2026, 12, 8), QTime(3, 15, 0)));
    s.w.main->station().Link().DropLink();  // still lost: the first time stays
    s.w.main->station().Link().StopPolling();
    QVERIFY(!banner->isHidden());
    QCOMPARE(banner->text(), QStringLiteral("Spojení s převodníkem přerušeno – ") +
                                 Regional::DateTime(QDateTime(QDate(2026, 12, 8), QTime(3, 12, 5))));
    s.Reply(kHealthy, {5000, 5000, 5000, 5000});
    QVERIFY(banner->isHidden());
  }

  void valueTextAndColour_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("raw");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colour");  // window, alarm or error
    QTest::newRow("healthy") << 0x80 << 5000 << QStringLiteral("50,00") << QStringLiteral("window");
    QTest::newRow("below the alarm limit")
        << 0x80 << 999 << QStringLiteral("9,99") << QStringLiteral("alarm");
    QTest::newRow("on the alarm limit")
        << 0x80 << 1000 << QStringLiteral("10,00") << QStringLiteral("window");
    QTest::newRow("on the upper limit")
        << 0x80 << 9000 << QStringLiteral("90,00") << QStringLiteral("window");
    QTest::newRow("error beats alarm") << 0x00 << 9500 << QStringLiteral("95,00") << QStringLiteral("error");
    QTest::newRow("error") << 0x81 << 5000 << QStringLiteral("50,00") << QStringLiteral("error");
    QTest::newRow("grouping") << 0x80 << 60000 << QStringLiteral("600,00") << QStringLiteral("alarm");
  }
  void valueTextAndColour() {
    QFETCH(int, status);
    QFETCH(int, raw);
    QFETCH(QString, text);
    QFETCH(QString, colour);
    Shown s;
    s.Reply({status, 0x80, 0x80, 0x80}, {raw, 0, 0, 0});  // initialises only
    QCOMPARE(BoxText(*s.w.main, 1), QStringLiteral("---"));
    s.Reply({status, 0x80, 0x80, 0x80}, {raw, 0, 0, 0});
    QCOMPARE(BoxText(*s.w.main, 1), text);
    const QColor expected = colour == QLatin1String("error")   ? ColourFromRef(255)
                            : colour == QLatin1String("alarm") ? ColourFromRef(65535)
                                                               : s.w.main->palette().color(QPalette::Base);
    QCOMPARE(BoxColour(*s.w.main, 1), expected);
  }

  void thousandsGrouping() {
    Shown s("[ANALOG_IN1]\r\n20mA=100000\r\n[AD4ETH]\r\nPocetVzorkuNaPrumer=0\r\n");
    s.Reply(kHealthy, {1234, 0, 0, 0});
    s.Reply(kHealthy, {1234, 0, 0, 0});
    QCOMPARE(BoxText(*s.w.main, 1), QLocale().toString(12340.0, 'f', 2));
    QVERIFY(BoxText(*s.w.main, 1).contains(QLocale().groupSeparator()));
  }

  void inactiveInputIdleLook() {
    Shown s("[ANALOG_IN2]\r\nActiv=0\r\n");
    TMainForm& f = *s.w.main;
    f.show();
    QCOMPARE(f.findChild<QLabel*>(QStringLiteral("laJednotkaIN2"))->text(), QStringLiteral("[---]"));
    QCOMPARE(f.findChild<QLabel*>(QStringLiteral("laJednotkaIN1"))->text(), QStringLiteral("[Nm³/h]"));
    QCOMPARE(BoxText(f, 2), QStringLiteral("---"));
    // The desktop's grey text on its disabled background, as a disabled control reads.
    const QPalette& look = f.palette();
    auto* box = f.findChild<QLineEdit*>(QStringLiteral("edFyzPrumer2"));
    QCOMPARE(box->palette().color(QPalette::Base), look.color(QPalette::Disabled, QPalette::Base));
    QCOMPARE(box->palette().color(QPalette::Text), look.color(QPalette::Disabled, QPalette::Text));
    QCOMPARE(f.findChild<QLabel*>(QStringLiteral("laVelicinaIN2"))->palette().color(QPalette::WindowText),
             look.color(QPalette::Disabled, QPalette::WindowText));
    QCOMPARE(f.findChild<QLabel*>(QStringLiteral("laVelicinaIN1"))->palette().color(QPalette::WindowText),
             look.color(QPalette::Active, QPalette::WindowText));
    QVERIFY(BoxColour(f, 2) != BoxColour(f, 1));
    // The ten-bar charts draw bars only: no axis lines.
    auto* bars = f.findChild<ChartView*>(QStringLiteral("OnlineChartIN1"));
    for (QCPAxis* axis : bars->Plot()->axisRect()->axes())
      QVERIFY(!axis->visible() || axis->basePen().style() == Qt::NoPen);
    QVERIFY(!f.findChild<QWidget*>(QStringLiteral("OnlineChartIN2"))->isVisible());
    QVERIFY(f.findChild<QWidget*>(QStringLiteral("OnlineChartIN1"))->isVisible());
    s.Reply(kHealthy, {5000, 5000, 5000, 5000});
    s.Reply(kHealthy, {5000, 5000, 5000, 5000});
    QCOMPARE(BoxText(f, 2), QStringLiteral("---"));  // inactive rows are left untouched
  }

  // The daily chart plots what the overview shows: the corrected value, not the plain average.
  void dailyPointIsTheShownValue() {
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(11, 0)));
    Shown s("[AD4ETH]\r\nPocetVzorkuNaPrumer=0\r\n[PARAMETRY_MERENI]\r\nAtmosferickyTlak=50.6625\r\n");
    TMainForm& f = *s.w.main;
    s.Reply(kHealthy, {5000, 2000, 3000, 4000});
    s.Reply(kHealthy, {5000, 2000, 3000, 4000});
    const QPointF flow = f.Form().ChartDenni->Points(f.DailyChart().Series(kFlowInput)).last();
    QCOMPARE(flow.y(), 100.0);
    QCOMPARE(BoxText(f, kFlowInput), QLocale().toString(100.0, 'f', 2));
    QCOMPARE(f.Form().ChartDenni->Points(f.DailyChart().Series(kHumidityInput)).last().y(), 60.0);
  }

  void barsAndDailyChart() {
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    Shown s;
    TMainForm& f = *s.w.main;
    s.Reply(kHealthy, {1000, 2000, 3000, 4000});
    QCOMPARE(f.Form().ChartDenni->PointCount(f.DailyChart().Series(1)), 0);  // the first reply adds nothing
    s.Reply(kHealthy, {1000, 2000, 3000, 4000});
    clock.Set(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 2)));
    s.Reply(kHealthy, {5000, 2000, 3000, 4000});
    QCOMPARE(f.Form().ChartDenni->PointCount(f.DailyChart().Series(1)), 2);
    // Each point at the time of its reply, with the value the overview shows.
    const double at = double(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 2)).toSecsSinceEpoch());
    for (int n = 1; n <= kInputCount; ++n) {
      const QPointF last = f.Form().ChartDenni->Points(f.DailyChart().Series(n)).last();
      QCOMPARE(last.x(), at);
      QCOMPARE(last.y(), f.station().Readings().Reading(n).DisplayValue);
      QCOMPARE(QLocale().toString(last.y(), 'f', 2), BoxText(f, n));
    }
    QCOMPARE(f.Overview().History()[0][9], 50.0);
    QCOMPARE(f.Overview().History()[0][8], 10.0);
    QCOMPARE(f.Overview().History()[0][0], 0.0);
    auto* bars = f.findChild<ChartView*>(QStringLiteral("OnlineChartIN1"));
    QCOMPARE(bars->PointCount(f.Overview().BarSeries(1)), 10);
    QCOMPARE(bars->Points(f.Overview().BarSeries(1)).last().y(), 50.0);

    // A link drop: "---" in the last colour, bars kept; the next reply only initialises again.
    s.Reply({0x00, 0x80, 0x80, 0x80}, {5000, 2000, 3000, 4000});
    const QColor last = BoxColour(f, 1);
    f.station().Link().DropLink();
    QCOMPARE(BoxText(f, 1), QStringLiteral("---"));
    QCOMPARE(BoxColour(f, 1), last);
    QCOMPARE(bars->PointCount(f.Overview().BarSeries(1)), 10);
    s.Reply(kHealthy, {5000, 2000, 3000, 4000});
    QCOMPARE(BoxText(f, 1), QStringLiteral("---"));
    f.station().StopMeasuring();
  }

  // A zero pressure fails every reply: a notice that does not wait, and nothing infinite shown.
  void processingFailureReported() {
    Shown s("[PARAMETRY_MERENI]\r\nAtmosferickyTlak=0\r\n");
    s.Reply(kHealthy, {1, 1, 1, 1});
    s.Reply(kHealthy, {1, 1, 1, 1});
    QCOMPARE(s.w.prompt->notices, 2);
    QCOMPARE(s.w.prompt->messages.last().text, QStringLiteral("GetValueJednorazoveMereni"));
    QCOMPARE(BoxText(*s.w.main, 1), QStringLiteral("---"));
  }
};

QObject* NewOverviewTest() {
  return new TestOverview;
}
#include "tst_overview.moc"
