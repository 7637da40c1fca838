#include "hostlib_qt/masked_line_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace ped::hostlib_qt {
namespace {

QString fromUtf32(std::u32string_view s) { return QString::fromStdString(hostlib::toUtf8(s)); }

}  // namespace

void MaskedLineEdit::setEditMask(std::string_view mask) {
  const std::string current = value();
  mask_ = hostlib::EditMask(mask);
  setValue(current);
}

std::string MaskedLineEdit::value() const { return mask_.valueOf(text().toStdString()); }

void MaskedLineEdit::setValue(std::string_view v) {
  setText(QString::fromStdString(mask_.format(v)));
  setCursorPosition(std::max(0, nextInput(0)));
}

int MaskedLineEdit::nextInput(int from) const {
  for (int i = std::max(0, from); i < static_cast<int>(mask_.positions()); ++i)
    if (!mask_.isLiteral(static_cast<std::size_t>(i))) return i;
  return -1;
}

int MaskedLineEdit::previousInput(int before) const {
  for (int i = std::min(before, static_cast<int>(mask_.positions())) - 1; i >= 0; --i)
    if (!mask_.isLiteral(static_cast<std::size_t>(i))) return i;
  return -1;
}

void MaskedLineEdit::putAt(int position, char32_t c) {
  std::u32string t = hostlib::toCodePoints(text().toStdString());
  if (position < 0 || position >= static_cast<int>(t.size())) return;
  t[static_cast<std::size_t>(position)] = c;
  setText(fromUtf32(t));
  emit textEdited(text());  // an edit by the operator, as QLineEdit reports its own
}

void MaskedLineEdit::blankSelection() {
  const int start = selectionStart();
  const int end = start + static_cast<int>(hostlib::toCodePoints(selectedText().toStdString()).size());
  std::u32string t = hostlib::toCodePoints(text().toStdString());
  for (int i = start; i < end && i < static_cast<int>(t.size()); ++i)
    if (!mask_.isLiteral(static_cast<std::size_t>(i))) t[static_cast<std::size_t>(i)] = mask_.blank();
  setText(fromUtf32(t));
  setCursorPosition(start);
  emit textEdited(text());
}

void MaskedLineEdit::keyPressEvent(QKeyEvent* event) {
  if (mask_.empty()) return QLineEdit::keyPressEvent(event);
  // A selection is replaced, as in any edit: Delete or Backspace blank it,
  // a typed character blanks it and goes to its start.
  const bool typing = hostlib::toCodePoints(event->text().toStdString()).size() == 1 &&
                      event->text().at(0) >= QChar(0x20) && !(event->modifiers() & Qt::ControlModifier);
  if (hasSelectedText() && (typing || event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
    blankSelection();
    if (!typing) return;
  }
  const int cursor = cursorPosition();
  switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete: {
      // Backspace blanks the input position before the cursor, Delete the one at it.
      const int p = event->key() == Qt::Key_Backspace ? previousInput(cursor) : nextInput(cursor);
      if (p >= 0) {
        putAt(p, mask_.blank());
        setCursorPosition(p);
      }
      return;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return QLineEdit::keyPressEvent(event);
    default:
      break;
  }
  if (event->matches(QKeySequence::Paste)) {
    const std::u32string pasted = hostlib::toCodePoints(QGuiApplication::clipboard()->text().toStdString());
    int p = cursor;
    for (char32_t c : pasted) {
      p = nextInput(p);
      if (p < 0) break;
      if (!mask_.accepts(static_cast<std::size_t>(p), c)) continue;
      putAt(p, mask_.convert(static_cast<std::size_t>(p), c));
      ++p;
    }
    setCursorPosition(std::max(0, p));
    return;
  }
  const std::u32string typed = hostlib::toCodePoints(event->text().toStdString());
  if (typed.size() != 1 || typed[0] < 0x20) return QLineEdit::keyPressEvent(event);  // shortcuts
  const int p = nextInput(cursor);
  if (p < 0 || !mask_.accepts(static_cast<std::size_t>(p), typed[0])) return;  // refused: nothing changes
  putAt(p, mask_.convert(static_cast<std::size_t>(p), typed[0]));
  const int after = nextInput(p + 1);
  setCursorPosition(after >= 0 ? after : p + 1);
}

void MaskedLineEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (mask_.empty()) return;
  // The cursor goes to the first blank position, so typing fills the field.
  const std::u32string t = hostlib::toCodePoints(text().toStdString());
  for (int i = 0; i < static_cast<int>(mask_.positions()) && i < static_cast<int>(t.size()); ++i)
    if (!mask_.isLiteral(static_cast<std::size_t>(i)) && t[static_cast<std::size_t>(i)] == mask_.blank()) {
      setCursorPosition(i);
      return;
    }
}

}  // namespace ped::hostlib_qt
