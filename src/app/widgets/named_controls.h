#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

// The named controls of a window, collected once when it is built. A name that is not there, or a
// control of another type, is a programming error (a renamed control): the look-up asserts, so any
// test that reaches it fails loudly; a release build skips the control (nullptr).
class NamedControls {
 public:
  void Collect(const QObject* root) {
    for (QWidget* w : root->findChildren<QWidget*>())
      if (!w->objectName().isEmpty() && !byName_.contains(w->objectName())) byName_.insert(w->objectName(), w);
  }
  template <typename T>
  T* Get(const QString& name) const {
    T* control = qobject_cast<T*>(byName_.value(name));
    Q_ASSERT_X(control, "NamedControls::Get", qPrintable(QStringLiteral("no control %1").arg(name)));
    return control;
  }

 private:
  QHash<QString, QWidget*> byName_;
};
