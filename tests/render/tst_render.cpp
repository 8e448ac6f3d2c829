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
    const IoStatus written =
        kind == QLatin1String("pdf")
            ? SaveChartPdf(plot, QStringLiteral("Kotelna"), {{QStringLiteral("Průtok [Nm³/h]"), Qt::red, 2, true}},
                           QFont(), Qt::black, {}, path)
            : SavePicture(plot.toPixmap(), path, kind == QLatin1String("png") ? "PNG" : "BMP");
    QVERIFY2(written.IsOk(), qPrintable(written.text));
    QVERIFY(ReadFileBytes(path).startsWith(magic));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             QStringList{QStringLiteral("chart.") + kind});  // no part left
  }

  // A folder that cannot take the file: told as such.
  void unwritableTargetTold() {
    QCustomPlot plot;
    const IoStatus pdf = SaveChartPdf(plot, {}, {}, QFont(), Qt::black, {}, QStringLiteral("/nonexistent/chart.pdf"));
    QCOMPARE(pdf.code, IoStatus::Code::Unwritable);
    QVERIFY(!pdf.text.isEmpty());
    const IoStatus png = SavePicture(plot.toPixmap(), QStringLiteral("/nonexistent/chart.png"), "PNG");
    QCOMPARE(png.code, IoStatus::Code::Unwritable);
    QVERIFY(!png.text.isEmpty());
  }
};

QTEST_MAIN(TestRender)
#include "tst_render.moc"
