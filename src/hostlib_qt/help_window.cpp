#include "hostlib_qt/help_window.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace ped::hostlib_qt {

QStringList helpFolders() {
  QStringList folders;
  if (const QString env = qEnvironmentVariable("PED_HELP_DIR"); !env.isEmpty()) folders << env;
  folders << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/ped00800/help"));
  folders << QStringLiteral(PED_HELP_SOURCE_DIR);
  return folders;
}

QString findHelpTopic(std::string_view helpFile, int context) {
  const QString book = QFileInfo(QString::fromUtf8(helpFile.data(), static_cast<qsizetype>(helpFile.size())))
                           .completeBaseName();
  if (book.isEmpty()) return {};
  for (const QString& folder : helpFolders()) {
    const QString page = QDir(folder).filePath(book + QLatin1Char('/') + QString::number(context) + ".html");
    if (QFileInfo::exists(page)) return QFileInfo(page).absoluteFilePath();
  }
  return {};
}

void showHelpPage(QWidget* parent, const QString& page) {
  auto* window = parent ? parent->findChild<QDialog*>(QStringLiteral("frmAjuda")) : nullptr;
  QTextBrowser* browser = nullptr;
  if (!window) {
    window = new QDialog(parent);
    window->setObjectName(QStringLiteral("frmAjuda"));
    window->setWindowTitle(QStringLiteral("Ajuda"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(window);
    browser = new QTextBrowser(window);
    browser->setObjectName(QStringLiteral("txtAjuda"));
    browser->setOpenLinks(true);
    layout->addWidget(browser);
    window->resize(620, 520);
  } else {
    browser = window->findChild<QTextBrowser*>(QStringLiteral("txtAjuda"));
  }
  browser->setSource(QUrl::fromLocalFile(page));
  window->show();
  window->raise();
}

}  // namespace ped::hostlib_qt
