#include <QApplication>
#include <QtTest>

QObject* NewMeasurementTest();
QObject* NewOverviewTest();

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int failed = 0;
  for (QObject* test : {NewMeasurementTest(), NewOverviewTest()}) {
    failed += QTest::qExec(test, argc, argv);
    delete test;
  }
  return failed;
}
