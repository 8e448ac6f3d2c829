// The chart pages drawn without the windows library: what a headless program links.
#include <qcustomplot.h>

#include <QtTest>

#include "render/chart_export.h"
#include "support/core_fixture.h"

class TestRender : public QObject {
  Q_OBJECT

 private slots:
  void chartWrittenWhole_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("pdf") << "pdf" << QByteArray("%PDF-");
    QTest::newRow("png") << "png" << QByteArray("\x89PNG");
    QTest::newRow("bmp") << "bmp" << QByteArray("BM");
  }
  void chartWrittenWhole() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, magic);
    QCustomPlot plot;
    plot.resize(640, 400);
    QCPGraph* graph = plot.addGraph();
    graph->setData({0, 1, 2, 3}, {1, 4, 2, 3});
    plot.rescaleAxes();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chart.") + kind);
    QString error;
    const bool written =
        kind == QLatin1String("pdf")
            ? SaveChartPdf(plot, QStringLiteral("Kotelna"),
                           {{QStringLiteral("Průtok [Nm³/h]"), Qt::red, 2, true}}, QFont(), Qt::black, path,
                           &error)
            : SavePicture(plot.toPixmap(), path, kind == QLatin1String("png") ? "PNG" : "BMP", &error);
    QVERIFY2(written, qPrintable(error));
    QVERIFY(ReadFileBytes(path).startsWith(magic));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             QStringList{QStringLiteral("chart.") + kind});  // no part left
  }

  // A folder that cannot take the file: told, and nothing left behind.
  void unwritableTargetTold() {
    QCustomPlot plot;
    QString error;
    QVERIFY(
        !SaveChartPdf(plot, {}, {}, QFont(), Qt::black, QStringLiteral("/nonexistent/chart.pdf"), &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!SavePicture(plot.toPixmap(), QStringLiteral("/nonexistent/chart.png"), "PNG", &error));
    QVERIFY(!error.isEmpty());
  }
};

QTEST_MAIN(TestRender)
#include "tst_render.moc"
