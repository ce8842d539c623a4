#pragma once
// Where the user left the windows, kept in the per-user settings (section
// "Windows") so that they open there again: the main window's geometry and
// docks, each task window's rectangle in the main window's area, and the
// splitters' sizes. Qt's binary states (which check themselves) are kept as
// base64 text, the rest as numbers.

#include <functional>
#include <optional>
#include <string_view>

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QRectF>

class QSplitter;
class QWidget;

namespace vexora {
class UserSettings;
}  // namespace vexora

namespace vexora::ui {

void rememberBytes(UserSettings& settings, std::string_view key, const QByteArray& bytes);
// Empty when nothing was stored under the key.
QByteArray recalledBytes(const UserSettings& settings, std::string_view key);

// Numbers kept as text "n n n"; nothing recalled unless there are `count` whole numbers.
void rememberNumbers(UserSettings& settings, std::string_view key, const QList<int>& numbers);
std::optional<QList<int>> recalledNumbers(const UserSettings& settings, std::string_view key, qsizetype count);

void rememberRect(UserSettings& settings, std::string_view key, const QRect& rect);
// Nothing when none was stored or the text is not four numbers with a size.
std::optional<QRect> recalledRect(const UserSettings& settings, std::string_view key);

// `rect` moved and shrunk as little as needed to lie inside `area`.
QRect fittedInto(const QRect& rect, const QSize& area);
// A window's place as fractions of the area it lies in, and back: kept as
// fractions, a place followed through many small resizes does not drift.
QRectF areaShare(const QRect& rect, const QSize& area);
QRect placeOfShare(const QRectF& share, const QSize& area);

// Calls `changed` after every move and resize of `watched`, as long as it lives.
void watchGeometry(QWidget* watched, std::function<void()> changed);

// Gives the splitter the sizes stored under `key` and stores them again
// whenever the user drags it.
void keepSplitterSizes(QSplitter* splitter, UserSettings& settings, std::string_view key);

}  // namespace vexora::ui
