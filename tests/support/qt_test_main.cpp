// The Qt tests need one QApplication for the whole run, headless unless
// told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The headless screen is 800x600 unless configured; windows that fit
  // themselves to the screen get the room of an office desk's instead.
  const QString config = QDir::temp().filePath(
      QStringLiteral("ped00800-offscreen-%1.json").arg(QCoreApplication::applicationPid()));
  if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
    QFile file(config);
    if (file.open(QIODevice::WriteOnly)) {
      file.write(R"({"screens":[{"name":"escritorio","x":0,"y":0,"width":1920,"height":1080}]})");
      file.close();
      qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  QFile::remove(config);
  return status;
}
