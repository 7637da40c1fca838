#pragma once
// The help window: one topic of a help file, as an HTML page kept in
// <help dir>/<file name without extension>/<context>.html.

#include <QString>
#include <QStringList>
#include <string_view>

class QWidget;

namespace ped::hostlib_qt {

// Folders searched for help files, in order: $PED_HELP_DIR, then
// ../share/ped00800/help beside the executable, then the source tree's help
// folder (runs from a build directory).
QStringList helpFolders();

// The page of the topic, or an empty text when no folder has it.
QString findHelpTopic(std::string_view helpFile, int context);

// Opens (or raises) the non-modal help window on `page`. The window belongs
// to `parent`.
void showHelpPage(QWidget* parent, const QString& page);

}  // namespace ped::hostlib_qt
